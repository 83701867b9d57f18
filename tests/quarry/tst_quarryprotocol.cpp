#include "quarry_protocol.h"

#include <QTest>

using namespace quarry;

namespace {

const Announcement kSample { .serialNo = "TVX-IPC2030-000100000007",
    .mac = "02:54:56:00:00:08",
    .ipAddress = "127.0.9.8",
    .subnetMask = "255.255.255.0",
    .softwareVersion = "V4.8.8 build230106",
    .dspVersion = "V3.9 build190518",
    .startTime = "2026-11-22 13:03:10",
    .deviceType = 20031,
    .port = 8000,
    .channelCount = 1,
    .diskCount = 2,
    .periodMs = 2000 };

ReaddressRequest sampleRequest()
{
    ReaddressRequest r;
    r.mac = { 2, 0x54, 0x56, 0, 0, 8 };
    r.ipAddress = { 127, 0, 9, 20 };
    r.subnetMask = { 255, 255, 0, 0 };
    r.port = 8100;
    for (size_t i = 0; i < r.nonce.size(); ++i) {
        r.nonce[i] = uint8_t(i * 7 + 1);
    }
    r.proof = readdressProof("60917", r);
    return r;
}

} // namespace

class QuarryProtocolTest : public QObject
{
    Q_OBJECT

private slots:
    void announcementRoundTripKeepsAbsentTexts_data()
    {
        QTest::addColumn<int>("typeCode");
        QTest::newRow("announce") << int(PacketType::Announce);
        QTest::newRow("goodbye") << int(PacketType::Goodbye);
    }

    void announcementRoundTripKeepsAbsentTexts()
    {
        QFETCH(int, typeCode);
        const auto type = PacketType(typeCode);
        Announcement a = kSample;
        a.mac.reset();
        a.startTime = std::string(); // present but empty differs from absent
        const Packet packet = encodeAnnouncement(a, type);
        QCOMPARE(packetType(packet.data(), packet.size()), std::optional(type));
        const auto decoded = decodeAnnouncement(packet.data(), packet.size());
        QVERIFY(decoded.has_value());
        QVERIFY(!decoded->mac.has_value());
        QVERIFY(decoded->startTime.has_value());
        QVERIFY(*decoded == a);
    }

    void overlongTextIsCutOnEncoding()
    {
        Announcement a = kSample;
        a.softwareVersion = std::string(400, 'v');
        const Packet packet = encodeAnnouncement(a);
        const auto decoded = decodeAnnouncement(packet.data(), packet.size());
        QVERIFY(decoded.has_value());
        QCOMPARE(decoded->softwareVersion->size(), kMaxTextLength);
    }

    void rejectsMalformedAnnouncement_data()
    {
        QTest::addColumn<int>("offset"); // byte to change, or -1
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("resize"); // bytes to add (positive) or drop (negative)
        const int size = int(encodeAnnouncement(kSample).size());
        // The serial text starts after the header, the fixed fields and the mask.
        const int serialLength = 8 + 19;
        QTest::newRow("wrong magic") << 0 << int('X') << 0;
        QTest::newRow("unknown version") << 4 << 2 << 0;
        QTest::newRow("unknown type") << 5 << 9 << 0;
        QTest::newRow("reserved text bit") << 8 + 18 << 0xff << 0;
        QTest::newRow("text longer than packet") << serialLength << 250 << 0;
        QTest::newRow("zero byte inside a text") << serialLength + 3 << 0 << 0;
        QTest::newRow("trailing byte") << -1 << 0 << 1;
        QTest::newRow("truncated text") << -1 << 0 << -1;
        QTest::newRow("only a header") << -1 << 0 << 8 - size;
        QTest::newRow("over the size limit") << -1 << 0 << int(kMaxPacketSize);
    }

    void rejectsMalformedAnnouncement()
    {
        QFETCH(int, offset);
        QFETCH(int, value);
        QFETCH(int, resize);
        Packet packet = encodeAnnouncement(kSample);
        if (offset >= 0) {
            packet[size_t(offset)] = uint8_t(value);
        }
        packet.resize(size_t(int(packet.size()) + resize), 0);
        QVERIFY(!decodeAnnouncement(packet.data(), packet.size()).has_value());
    }

    void decodersRejectOtherTypes()
    {
        const Packet inquiry = encodeInquiry(Inquiry { 42 });
        const Packet request = encodeReaddressRequest(sampleRequest());
        QVERIFY(!decodeAnnouncement(inquiry.data(), inquiry.size()));
        QVERIFY(!decodeReaddressReply(request.data(), request.size()));
        QVERIFY(!decodeInquiry(request.data(), request.size()));
        QCOMPARE(decodeInquiry(inquiry.data(), inquiry.size())->id, 42u);
        QVERIFY(!packetType(nullptr, 0));
    }

    void readdressRoundTrip()
    {
        const ReaddressRequest request = sampleRequest();
        const Packet packet = encodeReaddressRequest(request);
        const auto decoded = decodeReaddressRequest(packet.data(), packet.size());
        QVERIFY(decoded.has_value());
        QVERIFY(decoded->mac == request.mac);
        QVERIFY(decoded->ipAddress == request.ipAddress);
        QCOMPARE(decoded->port, request.port);
        QVERIFY(proofMatches("60917", *decoded));

        const ReaddressReply reply {
            .mac = request.mac, .nonce = request.nonce, .status = ReaddressStatus::WrongProof
        };
        Packet answer = encodeReaddressReply(reply);
        QCOMPARE(decodeReaddressReply(answer.data(), answer.size())->status,
            ReaddressStatus::WrongProof);
        answer.back() = 7; // no such status
        QVERIFY(!decodeReaddressReply(answer.data(), answer.size()));
    }

    void proofCoversEveryField_data()
    {
        QTest::addColumn<int>("field");
        int field = 0;
        for (const char *name : { "password", "mac", "address", "mask", "port", "nonce" }) {
            QTest::newRow(name) << field++;
        }
    }

    void proofCoversEveryField()
    {
        QFETCH(int, field);
        ReaddressRequest r = sampleRequest();
        r.mac[5] ^= field == 1 ? 1 : 0;
        r.ipAddress[3] ^= field == 2 ? 1 : 0;
        r.subnetMask[2] = field == 3 ? 255 : r.subnetMask[2];
        r.port ^= field == 4 ? 0x100 : 0;
        r.nonce[15] ^= field == 5 ? 1 : 0;
        QVERIFY(!proofMatches(field == 0 ? "60918" : "60917", r));
    }

    void parsesMac_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("valid");
        QTest::newRow("colons") << QByteArray("02:54:56:0a:0B:ff") << true;
        QTest::newRow("dashes") << QByteArray("02-54-56-0A-0B-FF") << true;
        QTest::newRow("mixed separators") << QByteArray("02:54-56:0a:0b:ff") << false;
        QTest::newRow("too short") << QByteArray("02:54:56:0a:0b") << false;
        QTest::newRow("too long") << QByteArray("02:54:56:0a:0b:ff:") << false;
        QTest::newRow("not hex") << QByteArray("02:54:56:0g:0b:ff") << false;
        QTest::newRow("null text") << QByteArray("(null)") << false;
        QTest::newRow("empty") << QByteArray("") << false;
    }

    void parsesMac()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, valid);
        const auto mac = parseMac(text.constData());
        QCOMPARE(mac.has_value(), valid);
        if (valid) {
            QCOMPARE(formatMac(*mac), std::string("02:54:56:0a:0b:ff"));
        }
    }

    void validatesSubnetMask_data()
    {
        QTest::addColumn<quint32>("mask");
        QTest::addColumn<bool>("valid");
        QTest::newRow("/24") << 0xffffff00u << true;
        QTest::newRow("/1") << 0x80000000u << true;
        QTest::newRow("/31") << 0xfffffffeu << true;
        QTest::newRow("hole") << 0xff00ff00u << false;
        QTest::newRow("zero") << 0u << false;
        QTest::newRow("all ones") << 0xffffffffu << false;
        QTest::newRow("low bit") << 1u << false;
    }

    void validatesSubnetMask()
    {
        QFETCH(quint32, mask);
        QFETCH(bool, valid);
        QCOMPARE(isValidSubnetMask({ uint8_t(mask >> 24), uint8_t(mask >> 16), uint8_t(mask >> 8),
                     uint8_t(mask) }),
            valid);
    }

    void environmentOverridesPortAndGroup()
    {
        const QByteArray savedPort = qgetenv("TERVIX_DISCOVERY_PORT");
        qputenv("TERVIX_DISCOVERY_PORT", "40123");
        qputenv("TERVIX_DISCOVERY_GROUP", "239.1.2.3");
        QCOMPARE(discoveryPort(), uint16_t(40123));
        QCOMPARE(ntohl(discoveryGroup().s_addr), 0xef010203u);
        // Unusable values fall back to the defaults.
        qputenv("TERVIX_DISCOVERY_PORT", "70000");
        qputenv("TERVIX_DISCOVERY_GROUP", "10.0.0.1");
        QCOMPARE(discoveryPort(), kDefaultPort);
        QCOMPARE(ntohl(discoveryGroup().s_addr), 0xefff4901u);
        qputenv("TERVIX_DISCOVERY_PORT", savedPort);
        qunsetenv("TERVIX_DISCOVERY_GROUP");
    }
};

QTEST_GUILESS_MAIN(QuarryProtocolTest)
#include "tst_quarryprotocol.moc"
