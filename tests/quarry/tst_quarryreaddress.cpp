// Re-addressing by MAC against simulated cameras on 127.0.13.x: a request
// proves a challenge the camera issued, once and in time, so a request
// captured on the network moves nothing when it is sent again.

#include "discoveryfleet.h"
#include "quarry.h"

#include <QTest>

#include <sys/socket.h>

#include <functional>
#include <optional>

using namespace discoverytest;

namespace {

const char *const Password = "60917";

// A socket of the test's own on loopback; what waits on it is taken without blocking.
class Socket
{
public:
    explicit Socket(int fd) : m_fd(fd) { }
    Socket(const Socket &) = delete;
    ~Socket()
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

    // Takes datagrams until one is wanted; nullopt once none waits.
    std::optional<quarry::Packet> take(
        const std::function<bool(const quarry::Packet &)> &wanted = {}) const
    {
        quarry::Packet packet(quarry::kMaxPacketSize + 1);
        for (ssize_t size; (size = recv(m_fd, packet.data(), packet.size(), MSG_DONTWAIT)) >= 0;) {
            const quarry::Packet taken(packet.begin(), packet.begin() + size);
            if (!wanted || wanted(taken)) {
                return taken;
            }
        }
        return std::nullopt;
    }

private:
    int m_fd;
};

} // namespace

class QuarryReaddressTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<devsim::Fleet> m_fleet;

    quarry::Mac mac(int index) const
    {
        return *quarry::parseMac(discoverytest::mac(*m_fleet, index).constData());
    }

    // A request to move camera 0 to 127.0.13.<host>, proved with the password.
    quarry::ReaddressRequest request(uint8_t host, const quarry::Nonce &nonce) const
    {
        quarry::ReaddressRequest r;
        r.mac = mac(0);
        r.ipAddress = { 127, 0, 13, host };
        r.subnetMask = { 255, 255, 255, 0 };
        r.port = 18130;
        r.nonce = nonce;
        r.proof = quarry::readdressProof(Password, r);
        return r;
    }

    static quarry::Nonce randomNonce()
    {
        quarry::Nonce nonce {};
        quarry::randomBytes(nonce.data(), nonce.size());
        return nonce;
    }

    int challengeCount()
    {
        int count = 0;
        m_fleet->run([&] { count = service(*m_fleet, 0)->challengeCount(); });
        return count;
    }

    // Sends the request and waits for the camera's answer to it.
    static std::optional<quarry::ReaddressStatus> answer(
        const Socket &peer, const quarry::Packet &packet)
    {
        const auto request = quarry::decodeReaddressRequest(packet.data(), packet.size());
        std::optional<quarry::ReaddressReply> reply;
        const auto answers = [&](const quarry::Packet &p) {
            reply = quarry::decodeReaddressReply(p.data(), p.size());
            return reply && reply->nonce == request->nonce;
        };
        if (request && peer.send(packet)
            && QTest::qWaitFor([&] { return peer.take(answers).has_value(); }, 5000)) {
            return reply->status;
        }
        return std::nullopt;
    }

    // A challenge of camera 0, asked for through the peer.
    std::optional<quarry::Nonce> challenge(const Socket &peer) const
    {
        quarry::ChallengeRequest ask;
        ask.mac = mac(0);
        quarry::randomBytes(ask.ticket.data(), ask.ticket.size());
        std::optional<quarry::Challenge> challenge;
        const auto answers = [&](const quarry::Packet &p) {
            challenge = quarry::decodeChallenge(p.data(), p.size());
            return challenge && challenge->ticket == ask.ticket;
        };
        if (peer.send(quarry::encodeChallengeRequest(ask))
            && QTest::qWaitFor([&] { return peer.take(answers).has_value(); }, 5000)) {
            return challenge->nonce;
        }
        return std::nullopt;
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
        // Hears the group on loopback as another host on the segment would.
        Socket sniffer(quarry::openGroupSocket(quarry::discoveryPort(), quarry::discoveryGroup(),
            { { "lo", in_addr { htonl(INADDR_LOOPBACK) }, in_addr { htonl(0xff000000u) },
                true } }));
        const Socket peer(quarry::openRequestSocket());
        QVERIFY(sniffer.valid() && peer.valid());
        const QByteArray mac = discoverytest::mac(*m_fleet, 0);
        QCOMPARE(
            QUARRY_SendUpdateIp(mac.constData(), "127.0.13.21", "255.255.255.0", Password, "18131"),
            QUARRY_UPDATE_DONE);
        QCOMPARE(m_fleet->currentAddress(0), QStringLiteral("127.0.13.21"));
        const auto isRequest = [](const quarry::Packet &p) {
            return quarry::decodeReaddressRequest(p.data(), p.size()).has_value();
        };
        std::optional<quarry::Packet> captured; // the first request heard
        QTRY_VERIFY(captured || (captured = sniffer.take(isRequest)));
        QCOMPARE(
            QUARRY_SendUpdateIp(mac.constData(), "127.0.13.1", "255.255.255.0", Password, "18130"),
            QUARRY_UPDATE_DONE);
        expectAtHome();
        // Sent again at once it passes for a copy of the first: answered as
        // that one was, applied no second time.
        QVERIFY(answer(peer, *captured).has_value());
        expectAtHome();

        // A device that only remembered recent nonces would have forgotten
        // the captured one after these.
        for (int i = 0; i < 300; ++i) {
            auto forged = request(30, randomNonce());
            forged.proof.fill(0);
            QVERIFY(peer.send(quarry::encodeReaddressRequest(forged)));
        }
        // Once its challenge has expired the camera no longer knows the nonce.
        QTRY_COMPARE(challengeCount(), 0);
        // Three hundred refusals wait unread; the socket's queue may hold no more.
        while (peer.take()) { }
        QCOMPARE(answer(peer, *captured), std::optional(quarry::ReaddressStatus::StaleChallenge));
        expectAtHome();
    }

    void challengeOpensOneChange()
    {
        const Socket peer(quarry::openRequestSocket());
        // The password alone moves nothing: the nonce must be one the camera drew.
        QCOMPARE(answer(peer, quarry::encodeReaddressRequest(request(22, randomNonce()))),
            std::optional(quarry::ReaddressStatus::StaleChallenge));
        expectAtHome();
        const auto nonce = challenge(peer);
        QVERIFY(nonce);
        const auto move = quarry::encodeReaddressRequest(request(22, *nonce));
        QCOMPARE(answer(peer, move), std::optional(quarry::ReaddressStatus::Done));
        QCOMPARE(m_fleet->currentAddress(0), QStringLiteral("127.0.13.22"));
        QVERIFY(m_fleet->readdress(0, QStringLiteral("127.0.13.1"), "255.255.255.0", 18130));
        // A copy (a resend) gets the same answer and moves nothing again.
        QCOMPARE(answer(peer, move), std::optional(quarry::ReaddressStatus::Done));
        expectAtHome();
        // Another change on the spent challenge is refused, proof or not.
        QCOMPARE(answer(peer, quarry::encodeReaddressRequest(request(23, *nonce))),
            std::optional(quarry::ReaddressStatus::StaleChallenge));
        expectAtHome();
    }

    // A wrong guess spends the challenge: each guess costs a round trip.
    void wrongPasswordSpendsTheChallenge()
    {
        const Socket peer(quarry::openRequestSocket());
        const auto nonce = challenge(peer);
        QVERIFY(nonce);
        auto guess = request(24, *nonce);
        guess.proof = quarry::readdressProof("60918", guess);
        QCOMPARE(answer(peer, quarry::encodeReaddressRequest(guess)),
            std::optional(quarry::ReaddressStatus::WrongProof));
        QCOMPARE(answer(peer, quarry::encodeReaddressRequest(request(24, *nonce))),
            std::optional(quarry::ReaddressStatus::StaleChallenge));
        expectAtHome();
    }

    void challengeFloodStaysBounded()
    {
        const Socket peer(quarry::openRequestSocket());
        QTRY_COMPARE(challengeCount(), 0);
        for (int i = 0; i < 1000; ++i) {
            quarry::ChallengeRequest ask;
            ask.mac = mac(0);
            quarry::randomBytes(ask.ticket.data(), ask.ticket.size());
            QVERIFY(peer.send(quarry::encodeChallengeRequest(ask)));
        }
        QTRY_COMPARE(challengeCount(), quarry::kMaxOpenChallenges);
        // The camera still takes a change, and its other camera was never touched.
        for (const int camera : { 1, 0 }) {
            const QString address = QStringLiteral("127.0.13.%1").arg(26 - camera);
            QCOMPARE(QUARRY_SendUpdateIp(discoverytest::mac(*m_fleet, camera).constData(),
                         qPrintable(address), "255.255.255.0", Password, "18130"),
                QUARRY_UPDATE_DONE);
            QCOMPARE(m_fleet->currentAddress(camera), address);
        }
    }
};

QTEST_GUILESS_MAIN(QuarryReaddressTest)
#include "tst_quarryreaddress.moc"
