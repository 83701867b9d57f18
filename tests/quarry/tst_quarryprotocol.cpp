#include "quarry_protocol.h"

#include <QTest>

using namespace quarry;

namespace {

Announcement sampleAnnouncement()
{
    Announcement a;
    a.serialNo = "TVX-IPC2030-000100000007";
    a.mac = "02:54:56:00:00:08";
    a.ipAddress = "127.0.9.8";
    a.subnetMask = "255.255.255.0";
    a.softwareVersion = "V4.8.8 build230106";
    a.dspVersion = "V3.9 build190518";
    a.startTime = "2026-11-22 13:03:10";
    a.deviceType = 20031;
    a.port = 8000;
    a.channelCount = 1;
    a.diskCount = 2;
    a.periodMs = 2000;
    return a;
}

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
    void announcementRoundTripKeepsAbsentTexts();
    void goodbyeCarriesTheSameBody();
    void overlongTextIsCutOnEncoding();
    void rejectsMalformedAnnouncement_data();
    void rejectsMalformedAnnouncement();
    void decodersRejectOtherTypes();
    void readdressRoundTrip();
    void proofCoversEveryField_data();
    void proofCoversEveryField();
    void parsesMac_data();
    void parsesMac();
    void validatesSubnetMask_data();
    void validatesSubnetMask();
    void environmentOverridesPortAndGroup();
    void interfacesIncludeLoopback();
};

void QuarryProtocolTest::announcementRoundTripKeepsAbsentTexts()
{
    Announcement a = sampleAnnouncement();
    a.mac.reset();
    a.startTime = std::string(); // present but empty differs from absent
    const Packet packet = encodeAnnouncement(a);
    QCOMPARE(packetType(packet.data(), packet.size()), std::optional(PacketType::Announce));
    const auto decoded = decodeAnnouncement(packet.data(), packet.size());
    QVERIFY(decoded.has_value());
    QVERIFY(!decoded->mac.has_value());
    QVERIFY(decoded->startTime.has_value());
    QVERIFY(decoded->startTime->empty());
    QVERIFY(*decoded == a);
}

void QuarryProtocolTest::goodbyeCarriesTheSameBody()
{
    const Packet packet = encodeAnnouncement(sampleAnnouncement(), PacketType::Goodbye);
    QCOMPARE(packetType(packet.data(), packet.size()), std::optional(PacketType::Goodbye));
    const auto decoded = decodeAnnouncement(packet.data(), packet.size());
    QVERIFY(decoded.has_value());
    QVERIFY(*decoded == sampleAnnouncement());
}

void QuarryProtocolTest::overlongTextIsCutOnEncoding()
{
    Announcement a = sampleAnnouncement();
    a.softwareVersion = std::string(400, 'v');
    const Packet packet = encodeAnnouncement(a);
    const auto decoded = decodeAnnouncement(packet.data(), packet.size());
    QVERIFY(decoded.has_value());
    QCOMPARE(decoded->softwareVersion->size(), kMaxTextLength);
}

void QuarryProtocolTest::rejectsMalformedAnnouncement_data()
{
    QTest::addColumn<int>("offset"); // byte to change, or -1
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("resize"); // bytes to add (positive) or drop (negative)

    const Packet packet = encodeAnnouncement(sampleAnnouncement());
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
    QTest::newRow("only a header") << -1 << 0 << -int(packet.size() - 8);
    QTest::newRow("over the size limit") << -1 << 0 << int(kMaxPacketSize);
}

void QuarryProtocolTest::rejectsMalformedAnnouncement()
{
    QFETCH(int, offset);
    QFETCH(int, value);
    QFETCH(int, resize);
    Packet packet = encodeAnnouncement(sampleAnnouncement());
    if (offset >= 0) {
        packet[size_t(offset)] = uint8_t(value);
    }
    packet.resize(size_t(int(packet.size()) + resize), 0);
    QVERIFY(!decodeAnnouncement(packet.data(), packet.size()).has_value());
}

void QuarryProtocolTest::decodersRejectOtherTypes()
{
    const Packet inquiry = encodeInquiry(Inquiry { 42 });
    const Packet request = encodeReaddressRequest(sampleRequest());
    QVERIFY(!decodeAnnouncement(inquiry.data(), inquiry.size()));
    QVERIFY(!decodeReaddressReply(request.data(), request.size()));
    QVERIFY(!decodeInquiry(request.data(), request.size()));
    QCOMPARE(decodeInquiry(inquiry.data(), inquiry.size())->id, 42u);
    QVERIFY(!packetType(nullptr, 0));
}

void QuarryProtocolTest::readdressRoundTrip()
{
    const ReaddressRequest request = sampleRequest();
    const Packet packet = encodeReaddressRequest(request);
    const auto decoded = decodeReaddressRequest(packet.data(), packet.size());
    QVERIFY(decoded.has_value());
    QVERIFY(decoded->mac == request.mac);
    QVERIFY(decoded->ipAddress == request.ipAddress);
    QCOMPARE(decoded->port, request.port);
    QVERIFY(proofMatches("60917", *decoded));

    ReaddressReply reply;
    reply.mac = request.mac;
    reply.nonce = request.nonce;
    reply.status = ReaddressStatus::WrongProof;
    Packet answer = encodeReaddressReply(reply);
    const auto back = decodeReaddressReply(answer.data(), answer.size());
    QVERIFY(back.has_value());
    QCOMPARE(back->status, ReaddressStatus::WrongProof);
    answer.back() = 7; // no such status
    QVERIFY(!decodeReaddressReply(answer.data(), answer.size()));
}

void QuarryProtocolTest::proofCoversEveryField_data()
{
    QTest::addColumn<int>("field");
    QTest::newRow("password") << 0;
    QTest::newRow("mac") << 1;
    QTest::newRow("address") << 2;
    QTest::newRow("mask") << 3;
    QTest::newRow("port") << 4;
    QTest::newRow("nonce") << 5;
}

void QuarryProtocolTest::proofCoversEveryField()
{
    QFETCH(int, field);
    ReaddressRequest request = sampleRequest();
    std::string password = "60917";
    switch (field) {
    case 0:
        password = "60918";
        break;
    case 1:
        request.mac[5] ^= 1;
        break;
    case 2:
        request.ipAddress[3] ^= 1;
        break;
    case 3:
        request.subnetMask[2] = 255;
        break;
    case 4:
        request.port ^= 0x100;
        break;
    default:
        request.nonce[15] ^= 1;
        break;
    }
    QVERIFY(!proofMatches(password, request));
}

void QuarryProtocolTest::parsesMac_data()
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

void QuarryProtocolTest::parsesMac()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, valid);
    const auto mac = parseMac(text.constData());
    QCOMPARE(mac.has_value(), valid);
    if (valid) {
        QCOMPARE(formatMac(*mac), std::string("02:54:56:0a:0b:ff"));
    }
}

void QuarryProtocolTest::validatesSubnetMask_data()
{
    QTest::addColumn<QByteArray>("mask");
    QTest::addColumn<bool>("valid");
    QTest::newRow("/24") << QByteArray("255.255.255.0") << true;
    QTest::newRow("/1") << QByteArray("128.0.0.0") << true;
    QTest::newRow("/31") << QByteArray("255.255.255.254") << true;
    QTest::newRow("hole") << QByteArray("255.0.255.0") << false;
    QTest::newRow("zero") << QByteArray("0.0.0.0") << false;
    QTest::newRow("all ones") << QByteArray("255.255.255.255") << false;
    QTest::newRow("low bit") << QByteArray("0.0.0.1") << false;
}

void QuarryProtocolTest::validatesSubnetMask()
{
    QFETCH(QByteArray, mask);
    QFETCH(bool, valid);
    const QList<QByteArray> parts = mask.split('.');
    std::array<uint8_t, 4> bytes {};
    for (int i = 0; i < 4; ++i) {
        bytes[size_t(i)] = uint8_t(parts.at(i).toInt());
    }
    QCOMPARE(isValidSubnetMask(bytes), valid);
}

void QuarryProtocolTest::environmentOverridesPortAndGroup()
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

void QuarryProtocolTest::interfacesIncludeLoopback()
{
    bool loopback = false;
    for (const auto &item : ipv4Interfaces()) {
        loopback = loopback || item.address.s_addr == htonl(INADDR_LOOPBACK);
    }
    QVERIFY(loopback);
}

QTEST_GUILESS_MAIN(QuarryProtocolTest)
#include "tst_quarryprotocol.moc"
