// Re-addressing by MAC against simulated cameras on 127.0.13.x: a request
// proves a challenge the camera issued, once and in time, so a request
// captured on the network moves nothing when it is sent again.

#include "discoveryfleet.h"
#include "quarry.h"

#include <QTest>

#include <poll.h>
#include <sys/socket.h>

#include <optional>

using namespace discoverytest;

namespace {

const char *const Password = "60917";

// A socket of the test's own: sends to the group through loopback and
// receives what cameras answer it.
class Peer
{
public:
    Peer() : m_fd(quarry::openRequestSocket()) { }
    ~Peer()
    {
        if (m_fd >= 0) {
            close(m_fd);
        }
    }
    bool valid() const { return m_fd >= 0; }

    bool send(const quarry::Packet &packet) const
    {
        return quarry::sendToGroup(m_fd, quarry::discoveryGroup(), quarry::discoveryPort(),
            in_addr { htonl(INADDR_LOOPBACK) }, packet);
    }

    // The next datagram waiting, if any; never blocks.
    std::optional<quarry::Packet> take() const
    {
        quarry::Packet packet(quarry::kMaxPacketSize + 1);
        const ssize_t size = recv(m_fd, packet.data(), packet.size(), MSG_DONTWAIT);
        if (size < 0) {
            return std::nullopt;
        }
        packet.resize(size_t(size));
        return packet;
    }

    // Throws away whatever waits, so that a full queue cannot drop the next answer.
    void drain() const
    {
        while (take()) {
        }
    }

    // Takes datagrams until one answers the request with this nonce.
    bool takeReply(const quarry::Nonce &nonce, quarry::ReaddressStatus *status) const
    {
        while (const auto packet = take()) {
            const auto reply = quarry::decodeReaddressReply(packet->data(), packet->size());
            if (reply && reply->nonce == nonce) {
                *status = reply->status;
                return true;
            }
        }
        return false;
    }

    bool takeChallenge(const quarry::Nonce &ticket, quarry::Nonce *nonce) const
    {
        while (const auto packet = take()) {
            const auto challenge = quarry::decodeChallenge(packet->data(), packet->size());
            if (challenge && challenge->ticket == ticket) {
                *nonce = challenge->nonce;
                return true;
            }
        }
        return false;
    }

private:
    int m_fd;
};

// Everything sent to the group on loopback, as another host on the segment hears it.
class Sniffer
{
public:
    Sniffer()
        : m_fd(quarry::openGroupSocket(quarry::discoveryPort(), quarry::discoveryGroup(),
            { { "lo", in_addr { htonl(INADDR_LOOPBACK) }, in_addr { htonl(0xff000000u) }, true } }))
    { }
    ~Sniffer()
    {
        if (m_fd >= 0) {
            close(m_fd);
        }
    }
    bool valid() const { return m_fd >= 0; }

    // The first re-address request heard, once it has been.
    const std::optional<quarry::Packet> &firstRequest()
    {
        quarry::Packet packet(quarry::kMaxPacketSize + 1);
        while (!m_first) {
            const ssize_t size = recv(m_fd, packet.data(), packet.size(), MSG_DONTWAIT);
            if (size < 0) {
                break;
            }
            if (quarry::decodeReaddressRequest(packet.data(), size_t(size))) {
                m_first = quarry::Packet(packet.begin(), packet.begin() + size);
            }
        }
        return m_first;
    }

private:
    int m_fd;
    std::optional<quarry::Packet> m_first;
};

quarry::Mac macBytes(const QByteArray &text)
{
    return *quarry::parseMac(text.constData());
}

quarry::ReaddressRequest request(
    const quarry::Mac &mac, std::array<uint8_t, 4> ip, const quarry::Nonce &nonce, uint16_t port)
{
    quarry::ReaddressRequest r;
    r.mac = mac;
    r.ipAddress = ip;
    r.subnetMask = { 255, 255, 255, 0 };
    r.port = port;
    r.nonce = nonce;
    r.proof = quarry::readdressProof(Password, r);
    return r;
}

} // namespace

class QuarryReaddressTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<devsim::Fleet> m_fleet;

    int challengeCount()
    {
        int count = 0;
        m_fleet->run([&] { count = service(*m_fleet, 0)->challengeCount(); });
        return count;
    }

    // Sends the request and waits for the camera's answer to it.
    static std::optional<quarry::ReaddressStatus> answer(
        const Peer &peer, const quarry::Packet &packet)
    {
        const auto decoded = quarry::decodeReaddressRequest(packet.data(), packet.size());
        quarry::ReaddressStatus status {};
        if (!decoded || !peer.send(packet)
            || !QTest::qWaitFor([&] { return peer.takeReply(decoded->nonce, &status); }, 5000)) {
            return std::nullopt;
        }
        return status;
    }

    // A challenge of camera 0, asked for through the peer.
    static std::optional<quarry::Nonce> challenge(const Peer &peer, const quarry::Mac &mac)
    {
        quarry::ChallengeRequest ask;
        ask.mac = mac;
        quarry::randomBytes(ask.ticket.data(), ask.ticket.size());
        quarry::Nonce nonce {};
        if (!peer.send(quarry::encodeChallengeRequest(ask))
            || !QTest::qWaitFor([&] { return peer.takeChallenge(ask.ticket, &nonce); }, 5000)) {
            return std::nullopt;
        }
        return nonce;
    }

    void expectAtHome()
    {
        QCOMPARE(m_fleet->currentAddress(0), QStringLiteral("127.0.13.1"));
        QCOMPARE(m_fleet->currentPort(0), quint16(18130));
    }

private slots:
    void initTestCase()
    {
        devsim::FleetOptions options;
        options.count = 2;
        options.firstAddress = QStringLiteral("127.0.13.1");
        options.port = 18130;
        options.timeScale = 0.1; // challenges live for the shortest time, 1 s
        m_fleet = std::make_unique<devsim::Fleet>(options);
        QString error;
        QVERIFY2(m_fleet->start(&error), qPrintable(error));
    }

    void cleanupTestCase() { m_fleet.reset(); }

    void capturedRequestReplayedLaterIsRefused()
    {
        Sniffer sniffer;
        Peer peer;
        QVERIFY(sniffer.valid() && peer.valid());
        const QByteArray mac = discoverytest::mac(*m_fleet, 0);
        QCOMPARE(
            QUARRY_SendUpdateIp(mac.constData(), "127.0.13.21", "255.255.255.0", Password, "18131"),
            QUARRY_UPDATE_DONE);
        QCOMPARE(m_fleet->currentAddress(0), QStringLiteral("127.0.13.21"));
        QTRY_VERIFY(sniffer.firstRequest().has_value());
        const quarry::Packet captured = *sniffer.firstRequest();
        QCOMPARE(
            QUARRY_SendUpdateIp(mac.constData(), "127.0.13.1", "255.255.255.0", Password, "18130"),
            QUARRY_UPDATE_DONE);
        expectAtHome();
        // Sent again at once it passes for a copy of the first: answered as
        // that one was, applied no second time.
        QVERIFY(answer(peer, captured).has_value());
        expectAtHome();

        // A device that only remembered recent nonces would have forgotten
        // the captured one after these.
        for (int i = 0; i < 300; ++i) {
            quarry::Nonce nonce {};
            quarry::randomBytes(nonce.data(), nonce.size());
            auto forged = request(macBytes(mac), { 127, 0, 13, 30 }, nonce, 18130);
            forged.proof.fill(0);
            QVERIFY(peer.send(quarry::encodeReaddressRequest(forged)));
        }
        // Once its challenge has expired the camera no longer knows the nonce.
        QTRY_COMPARE(challengeCount(), 0);
        // Three hundred refusals wait unread; the socket's queue may hold no more.
        peer.drain();
        QCOMPARE(answer(peer, captured), std::optional(quarry::ReaddressStatus::StaleChallenge));
        expectAtHome();
    }

    // The password alone moves nothing: the nonce must be one the camera drew.
    void nonceTheCameraNeverIssuedIsRefused()
    {
        Peer peer;
        quarry::Nonce nonce {};
        quarry::randomBytes(nonce.data(), nonce.size());
        const auto own
            = request(macBytes(discoverytest::mac(*m_fleet, 0)), { 127, 0, 13, 22 }, nonce, 18130);
        QCOMPARE(answer(peer, quarry::encodeReaddressRequest(own)),
            std::optional(quarry::ReaddressStatus::StaleChallenge));
        expectAtHome();
    }

    void challengeOpensOneChange()
    {
        Peer peer;
        const quarry::Mac mac = macBytes(discoverytest::mac(*m_fleet, 0));
        const auto nonce = challenge(peer, mac);
        QVERIFY(nonce);
        const auto move
            = quarry::encodeReaddressRequest(request(mac, { 127, 0, 13, 22 }, *nonce, 18130));
        QCOMPARE(answer(peer, move), std::optional(quarry::ReaddressStatus::Done));
        QCOMPARE(m_fleet->currentAddress(0), QStringLiteral("127.0.13.22"));
        QVERIFY(m_fleet->readdress(0, QStringLiteral("127.0.13.1"), "255.255.255.0", 18130));
        // A copy (a resend) gets the same answer and moves nothing again.
        QCOMPARE(answer(peer, move), std::optional(quarry::ReaddressStatus::Done));
        expectAtHome();
        // Another change on the spent challenge is refused, proof or not.
        const auto other = request(mac, { 127, 0, 13, 23 }, *nonce, 18130);
        QCOMPARE(answer(peer, quarry::encodeReaddressRequest(other)),
            std::optional(quarry::ReaddressStatus::StaleChallenge));
        expectAtHome();
    }

    // A wrong guess spends the challenge: each guess costs a round trip.
    void wrongPasswordSpendsTheChallenge()
    {
        Peer peer;
        const quarry::Mac mac = macBytes(discoverytest::mac(*m_fleet, 0));
        const auto nonce = challenge(peer, mac);
        QVERIFY(nonce);
        auto guess = request(mac, { 127, 0, 13, 24 }, *nonce, 18130);
        guess.proof = quarry::readdressProof("60918", guess);
        QCOMPARE(answer(peer, quarry::encodeReaddressRequest(guess)),
            std::optional(quarry::ReaddressStatus::WrongProof));
        QCOMPARE(
            answer(peer,
                quarry::encodeReaddressRequest(request(mac, { 127, 0, 13, 24 }, *nonce, 18130))),
            std::optional(quarry::ReaddressStatus::StaleChallenge));
        expectAtHome();
    }

    void challengeFloodStaysBounded()
    {
        Peer peer;
        const quarry::Mac mac = macBytes(discoverytest::mac(*m_fleet, 0));
        QTRY_COMPARE(challengeCount(), 0);
        for (int i = 0; i < 1000; ++i) {
            quarry::ChallengeRequest ask;
            ask.mac = mac;
            quarry::randomBytes(ask.ticket.data(), ask.ticket.size());
            QVERIFY(peer.send(quarry::encodeChallengeRequest(ask)));
        }
        QTRY_COMPARE(challengeCount(), quarry::kMaxOpenChallenges);
        // The camera still takes a change, and its other camera was never touched.
        QCOMPARE(QUARRY_SendUpdateIp(discoverytest::mac(*m_fleet, 1).constData(), "127.0.13.25",
                     "255.255.255.0", Password, "18130"),
            QUARRY_UPDATE_DONE);
        QCOMPARE(m_fleet->currentAddress(1), QStringLiteral("127.0.13.25"));
        QCOMPARE(QUARRY_SendUpdateIp(discoverytest::mac(*m_fleet, 0).constData(), "127.0.13.26",
                     "255.255.255.0", Password, "18130"),
            QUARRY_UPDATE_DONE);
        QCOMPARE(m_fleet->currentAddress(0), QStringLiteral("127.0.13.26"));
    }
};

QTEST_GUILESS_MAIN(QuarryReaddressTest)
#include "tst_quarryreaddress.moc"
