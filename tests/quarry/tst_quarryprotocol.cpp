#include "quarry_protocol.h"

#include <QTest>

#include <numeric>

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
    std::iota(r.nonce.begin(), r.nonce.end(), uint8_t(1));
    r.proof = readdressProof("60917", r);
    return r;
}

} // namespace

class QuarryProtocolTest : public QObject
{
    Q_OBJECT

private slots:
    void announcementRoundTripKeepsAbsentTexts()
    {
        for (const PacketType type : { PacketType::Announce, PacketType::Goodbye }) {
            Announcement a = kSample;
            a.mac.reset();
            a.startTime = std::string(); // present but empty differs from absent
            const Packet packet = encodeAnnouncement(a, type);
            QCOMPARE(packetType(packet.data(), packet.size()), std::optional(type));
            const auto decoded = decodeAnnouncement(packet.data(), packet.size());
            QVERIFY(decoded && *decoded == a);
        }
        Announcement overlong = kSample;
        overlong.softwareVersion = std::string(400, 'v');
        const Packet cut = encodeAnnouncement(overlong);
        QCOMPARE(
            decodeAnnouncement(cut.data(), cut.size())->softwareVersion->size(), kMaxTextLength);
    }

    void rejectsMalformedAnnouncement_data()
    {
        QTest::addColumn<int>("offset"); // byte to change, or -1
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("resize"); // bytes to add (positive) or drop (negative)
        // The serial text starts after the header, the fixed fields and the mask.
        const int serialLength = 8 + 19;
        QTest::newRow("wrong magic") << 0 << int('X') << 0;
        QTest::newRow("another type") << 5 << int(PacketType::Inquiry) << 0;
        QTest::newRow("reserved text bit") << 8 + 18 << 0xff << 0;
        QTest::newRow("text longer than packet") << serialLength << 250 << 0;
        QTest::newRow("zero byte inside a text") << serialLength + 3 << 0 << 0;
        QTest::newRow("trailing byte") << -1 << 0 << 1;
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

    void readdressRoundTrip()
    {
        const ReaddressRequest request = sampleRequest();
        const Packet packet = encodeReaddressRequest(request);
        const auto decoded = decodeReaddressRequest(packet.data(), packet.size());
        QVERIFY(decoded.has_value());
        QVERIFY(proofMatches("60917", *decoded)); // the proof covers every field

        const ReaddressReply reply {
            .mac = request.mac, .nonce = request.nonce, .status = ReaddressStatus::WrongProof
        };
        Packet answer = encodeReaddressReply(reply);
        QCOMPARE(decodeReaddressReply(answer.data(), answer.size())->status,
            ReaddressStatus::WrongProof);
        answer.back() = 7; // no such status
        QVERIFY(!decodeReaddressReply(answer.data(), answer.size()));
    }

    void challengeRoundTrip()
    {
        ChallengeRequest ask;
        ask.mac = { 2, 0x54, 0x56, 0, 0, 8 };
        std::iota(ask.ticket.begin(), ask.ticket.end(), uint8_t(40));
        Packet packet = encodeChallengeRequest(ask);
        QCOMPARE(packet.size(), size_t(8 + 22));
        const auto asked = decodeChallengeRequest(packet.data(), packet.size());
        QVERIFY(asked && asked->mac == ask.mac && asked->ticket == ask.ticket);
        packet.push_back(0);
        QVERIFY(!decodeChallengeRequest(packet.data(), packet.size()));

        Challenge challenge { .mac = ask.mac, .ticket = ask.ticket, .nonce = {} };
        std::iota(challenge.nonce.begin(), challenge.nonce.end(), uint8_t(90));
        packet = encodeChallenge(challenge);
        QCOMPARE(packet.size(), size_t(8 + 38));
        const auto decoded = decodeChallenge(packet.data(), packet.size());
        QVERIFY(decoded && decoded->nonce == challenge.nonce && decoded->ticket == ask.ticket);
        // Neither passes for the other, nor for a re-address request.
        QVERIFY(!decodeChallengeRequest(packet.data(), packet.size()));
        QVERIFY(!decodeReaddressRequest(packet.data(), packet.size()));
        packet.pop_back();
        QVERIFY(!decodeChallenge(packet.data(), packet.size()));
    }

    void proofCoversEveryField()
    {
        for (int field = 0; field < 6; ++field) {
            ReaddressRequest r = sampleRequest();
            r.mac[5] ^= field == 1 ? 1 : 0;
            r.ipAddress[3] ^= field == 2 ? 1 : 0;
            r.subnetMask[2] = field == 3 ? 255 : r.subnetMask[2];
            r.port ^= field == 4 ? 0x100 : 0;
            r.nonce[15] ^= field == 5 ? 1 : 0;
            QVERIFY2(!proofMatches(field == 0 ? "60918" : "60917", r),
                qPrintable(QString::number(field)));
        }
    }

    void parsesMac()
    {
        for (const char *text : { "02:54:56:0a:0B:ff", "02-54-56-0A-0B-FF" }) {
            const auto mac = parseMac(text);
            QVERIFY2(mac.has_value(), text);
            QCOMPARE(formatMac(*mac), std::string("02:54:56:0a:0b:ff"));
        }
        for (const char *text :
            { "02:54-56:0a:0b:ff", "02:54:56:0a:0b:ff:", "02:54:56:0g:0b:ff", "(null)", "" }) {
            QVERIFY2(!parseMac(text).has_value(), text);
        }
    }

    void validatesSubnetMask()
    {
        QVERIFY(isValidSubnetMask({ 255, 255, 255, 0 }));
        QVERIFY(!isValidSubnetMask({ 255, 0, 255, 0 }));
        QVERIFY(!isValidSubnetMask({ 0, 0, 0, 0 }));
        QVERIFY(!isValidSubnetMask({ 255, 255, 255, 255 }));
    }

    void environmentOverridesPortAndFallsBack()
    {
        const QByteArray savedPort = qgetenv("TERVIX_DISCOVERY_PORT");
        qputenv("TERVIX_DISCOVERY_PORT", "40123");
        QCOMPARE(discoveryPort(), uint16_t(40123));
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
