// The shared codec: the bytes docs/protocol.md shows, and the checks that
// decide whether a peer may go on reading.

#include "solvane_protocol.h"

#include <QTest>

namespace proto = solvane::proto;

class SolvaneProtocolTest : public QObject
{
    Q_OBJECT

private slots:
    void documentedLoginExample()
    {
        uint8_t nonce[proto::NonceSize];
        for (uint8_t i = 0; i < proto::NonceSize; ++i) {
            nonce[i] = i;
        }
        const auto proof = proto::loginProof("60917", nonce, "admin");
        QCOMPARE(
            QByteArray(reinterpret_cast<const char *>(proof.data()), int(proof.size())).toHex(),
            QByteArray("998d47aa4a510077ed065fd4ea44c9fc9e37a1cac3d7cfeb3701970cdd62059f"));
        const auto payload = proto::encodeLogin("admin", proof);
        proto::Header header;
        header.command = proto::Login;
        header.sequence = 1;
        const auto frame = proto::encodeFrame(header, payload.data(), payload.size());
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(frame.data()), 26).toHex(' '),
            QByteArray(
                "53 4c 56 4e 01 00 02 00 01 00 00 00 00 00 00 00 26 00 00 00 05 61 64 6d 69 6e"));
    }

    void proofDependsOnEveryInput()
    {
        uint8_t nonce[proto::NonceSize] = {};
        const auto base = proto::loginProof("60917", nonce, "admin");
        QVERIFY(proto::proofsEqual(base.data(), proto::loginProof("60917", nonce, "admin").data()));
        QVERIFY(
            !proto::proofsEqual(base.data(), proto::loginProof("60918", nonce, "admin").data()));
        QVERIFY(
            !proto::proofsEqual(base.data(), proto::loginProof("60917", nonce, "admim").data()));
        nonce[31] = 1;
        QVERIFY(
            !proto::proofsEqual(base.data(), proto::loginProof("60917", nonce, "admin").data()));
        // The empty password is a valid key.
        QVERIFY(!proto::proofsEqual(base.data(), proto::loginProof("", nonce, "admin").data()));
    }

    void headerChecks_data()
    {
        QTest::addColumn<quint32>("magic");
        QTest::addColumn<int>("version");
        QTest::addColumn<quint32>("length");
        QTest::addColumn<int>("verdict");
        QTest::newRow("empty payload") << proto::Magic << 1 << 0u << int(proto::HeaderCheck::Ok);
        QTest::newRow("largest payload")
            << proto::Magic << 1 << proto::MaxPayload << int(proto::HeaderCheck::Ok);
        QTest::newRow("one over") << proto::Magic << 1 << proto::MaxPayload + 1
                                  << int(proto::HeaderCheck::TooLong);
        QTest::newRow("huge") << proto::Magic << 1 << 0xFFFFFFFFu
                              << int(proto::HeaderCheck::TooLong);
        QTest::newRow("byte-swapped magic")
            << 0x534C564Eu << 1 << 0u << int(proto::HeaderCheck::BadMagic);
        QTest::newRow("version 0")
            << proto::Magic << 0 << 0u << int(proto::HeaderCheck::BadVersion);
        QTest::newRow("version 2")
            << proto::Magic << 2 << 0u << int(proto::HeaderCheck::BadVersion);
    }

    void headerChecks()
    {
        QFETCH(quint32, magic);
        QFETCH(int, version);
        QFETCH(quint32, length);
        QFETCH(int, verdict);
        uint8_t raw[proto::HeaderSize];
        proto::Header header;
        header.version = uint8_t(version);
        header.flags = proto::FlagReply;
        header.command = proto::GetConfig;
        header.sequence = 0x01020304;
        header.status = proto::NotSupported;
        header.length = length;
        proto::encodeHeader(header, raw);
        proto::putU32(raw, magic);
        uint32_t decodedMagic = 0;
        const proto::Header decoded = proto::decodeHeader(raw, &decodedMagic);
        QCOMPARE(int(proto::checkHeader(decodedMagic, decoded)), verdict);
        QCOMPARE(decoded.sequence, header.sequence);
        QCOMPARE(decoded.status, header.status);
        QCOMPARE(decoded.length, length);
        QCOMPARE(decoded.command, header.command);
    }

    void loginPayloads_data()
    {
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<QByteArray>("user");
        const QByteArray proof(32, 'p');
        QTest::newRow("admin") << char(5) + QByteArray("admin") + proof << QByteArray("admin");
        QTest::newRow("longest name")
            << char(32) + QByteArray(32, 'u') + proof << QByteArray(32, 'u');
        QTest::newRow("empty name") << char(0) + proof << QByteArray();
        QTest::newRow("name too long") << char(33) + QByteArray(33, 'u') + proof << QByteArray();
        QTest::newRow("proof short")
            << char(5) + QByteArray("admin") + proof.left(31) << QByteArray();
        QTest::newRow("trailing byte")
            << char(5) + QByteArray("admin") + proof + 'x' << QByteArray();
        QTest::newRow("nothing") << QByteArray() << QByteArray();
    }

    void loginPayloads()
    {
        QFETCH(QByteArray, payload);
        QFETCH(QByteArray, user);
        const auto login = proto::decodeLogin(
            reinterpret_cast<const uint8_t *>(payload.constData()), std::size_t(payload.size()));
        QCOMPARE(login.has_value(), !user.isEmpty());
        if (login) {
            QCOMPARE(QByteArray(login->userName.data(), int(login->userName.size())), user);
        }
    }
};

QTEST_GUILESS_MAIN(SolvaneProtocolTest)
#include "tst_solvaneprotocol.moc"
