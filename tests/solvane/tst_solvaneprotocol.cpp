// The shared codec: the bytes docs/protocol.md shows, and the checks that
// decide whether a peer may go on reading.

#include "solvane_protocol.h"

#include <QTest>

namespace proto = solvane::proto;

namespace {
QByteArray hex(const uint8_t *data, std::size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)).toHex(' ');
}
} // namespace

class SolvaneProtocolTest : public QObject
{
    Q_OBJECT

private slots:
    void documentedExamples()
    {
        uint8_t nonce[proto::NonceSize];
        for (uint8_t i = 0; i < proto::NonceSize; ++i) {
            nonce[i] = i;
        }
        const auto proof = proto::loginProof("60917", nonce, "admin");
        QCOMPARE(hex(proof.data(), proof.size()).replace(' ', ""),
            QByteArray("998d47aa4a510077ed065fd4ea44c9fc9e37a1cac3d7cfeb3701970cdd62059f"));
        const auto payload = proto::encodeLogin("admin", proof);
        proto::Header header;
        header.command = proto::Login;
        header.sequence = 1;
        auto frame = proto::encodeFrame(header, payload.data(), payload.size());
        QCOMPARE(frame.size(), std::size_t(20 + 38));
        QCOMPARE(hex(frame.data(), 26),
            "53 4c 56 4e 01 00 02 00 01 00 00 00 00 00 00 00 26 00 00 00 05 61 64 6d 69 6e");
        QCOMPARE(hex(frame.data() + 26, 32), hex(proof.data(), proof.size()));
        // The refusal of a wrong password.
        header.flags = proto::FlagReply;
        header.status = 1;
        frame = proto::encodeFrame(header, nullptr, 0);
        QCOMPARE(hex(frame.data(), frame.size()),
            "53 4c 56 4e 01 01 02 00 01 00 00 00 01 00 00 00 00 00 00 00");
    }

    void headerChecks_data()
    {
        QTest::addColumn<quint32>("magic");
        QTest::addColumn<int>("version");
        QTest::addColumn<quint32>("length");
        QTest::addColumn<proto::HeaderCheck>("verdict");
        using enum proto::HeaderCheck;
        QTest::newRow("empty payload") << proto::Magic << 1 << 0u << Ok;
        QTest::newRow("largest payload") << proto::Magic << 1 << proto::MaxPayload << Ok;
        QTest::newRow("one over") << proto::Magic << 1 << proto::MaxPayload + 1 << TooLong;
        QTest::newRow("huge") << proto::Magic << 1 << 0xFFFFFFFFu << TooLong;
        QTest::newRow("byte-swapped magic") << 0x534C564Eu << 1 << 0u << BadMagic;
        QTest::newRow("version 0") << proto::Magic << 0 << 0u << BadVersion;
        QTest::newRow("version 2") << proto::Magic << 2 << 0u << BadVersion;
    }

    void headerChecks()
    {
        QFETCH(quint32, magic);
        QFETCH(int, version);
        QFETCH(quint32, length);
        QFETCH(proto::HeaderCheck, verdict);
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
        QCOMPARE(proto::checkHeader(decodedMagic, decoded), verdict);
        QCOMPARE(decoded.sequence, header.sequence);
        QCOMPARE(decoded.status, header.status);
        QCOMPARE(decoded.length, length);
        QCOMPARE(decoded.command, header.command);
        QCOMPARE(decoded.flags, header.flags);
    }

    void loginPayloads_data()
    {
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<QByteArray>("user"); // empty: refused
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
