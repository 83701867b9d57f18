#include "solvane_protocol.h"

#include <QTest>

#include <numeric>

namespace proto = solvane::proto;

static QByteArray hex(const uint8_t *data, std::size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)).toHex(' ');
}

class SolvaneProtocolTest : public QObject
{
    Q_OBJECT

private slots:
    void documentedExamples()
    {
        uint8_t nonce[proto::NonceSize];
        std::iota(nonce, nonce + proto::NonceSize, uint8_t(0));
        const auto proof = proto::loginProof("60917", nonce, "admin");
        QCOMPARE(hex(proof.data(), proof.size()).replace(' ', ""),
            QByteArray("998d47aa4a510077ed065fd4ea44c9fc9e37a1cac3d7cfeb3701970cdd62059f"));
        const auto payload = proto::encodeLogin("admin", proof);
        const proto::Header header { .command = proto::Login, .sequence = 1 };
        const auto frame = proto::encodeFrame(header, payload.data(), payload.size());
        QCOMPARE(hex(frame.data(), 26),
            "53 4c 56 4e 01 00 02 00 01 00 00 00 00 00 00 00 26 00 00 00 05 61 64 6d 69 6e");
        QCOMPARE(hex(frame.data() + 26, 32), hex(proof.data(), proof.size()));
    }

    void headerChecks_data()
    {
        QTest::addColumn<quint32>("magic");
        QTest::addColumn<int>("version");
        QTest::addColumn<quint32>("length");
        QTest::addColumn<proto::HeaderCheck>("verdict");
        using enum proto::HeaderCheck;
        QTest::newRow("largest payload") << proto::Magic << 1 << proto::MaxPayload << Ok;
        QTest::newRow("one over") << proto::Magic << 1 << proto::MaxPayload + 1 << TooLong;
        QTest::newRow("byte-swapped magic") << 0x534C564Eu << 1 << 0u << BadMagic;
        QTest::newRow("version 2") << proto::Magic << 2 << 0u << BadVersion;
    }

    void headerChecks()
    {
        QFETCH(quint32, magic);
        QFETCH(int, version);
        QFETCH(quint32, length);
        QFETCH(proto::HeaderCheck, verdict);
        uint8_t raw[proto::HeaderSize];
        const proto::Header header { .version = uint8_t(version), .length = length };
        proto::encodeHeader(header, raw);
        proto::putU32(raw, magic);
        uint32_t decodedMagic = 0;
        const proto::Header decoded = proto::decodeHeader(raw, &decodedMagic);
        QCOMPARE(proto::checkHeader(decodedMagic, decoded), verdict);
        QCOMPARE(decoded.length, length);
    }

    void loginPayloads_data()
    {
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<QByteArray>("user"); // empty: refused
        const QByteArray proof(32, 'p');
        QTest::newRow("admin") << char(5) + QByteArray("admin") + proof << QByteArray("admin");
        QTest::newRow("empty name") << char(0) + proof << QByteArray();
        QTest::newRow("name too long") << char(33) + QByteArray(33, 'u') + proof << QByteArray();
        QTest::newRow("trailing byte")
            << char(5) + QByteArray("admin") + proof + 'x' << QByteArray();
    }

    void loginPayloads()
    {
        QFETCH(QByteArray, payload);
        QFETCH(QByteArray, user);
        const auto login = proto::decodeLogin(
            reinterpret_cast<const uint8_t *>(payload.constData()), std::size_t(payload.size()));
        QCOMPARE(
            login ? QByteArray(login->userName.data(), int(login->userName.size())) : QByteArray(),
            user);
    }
};

QTEST_GUILESS_MAIN(SolvaneProtocolTest)
#include "tst_solvaneprotocol.moc"
