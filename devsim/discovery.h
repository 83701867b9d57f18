#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QTimer>

#include <netinet/in.h>

#include <deque>
#include <memory>
#include <vector>

class QSocketNotifier;

namespace devsim {

class Camera;

// The device side of the discovery protocol for a whole fleet: announces each
// camera on start, on change and periodically, says goodbye before a reboot
// or shutdown, answers inquiries and handles re-address requests.
// Lives on the fleet's thread. One socket serves every camera; announcements
// leave in paced bursts so that a large fleet never holds the event loop.
// It joins and sends only on the interfaces that hold its cameras' addresses
// (loopback for a fleet on 127.x), whatever the environment allows a client.
class DiscoveryService : public QObject
{
    Q_OBJECT
public:
    DiscoveryService(
        const QList<Camera *> &cameras, quint16 discoveryPort, QObject *parent = nullptr);
    ~DiscoveryService() override;

    // false when the socket could not be opened; the fleet runs on without discovery.
    bool start();
    // Says goodbye for every online camera and closes the socket.
    void stop();

    // Announcement period in device time (scaled by the cameras' time scale,
    // never below MinPeriodMs of real time); a running service announces
    // every camera at once with the new period.
    static constexpr int DefaultPeriodMs = 2000;
    static constexpr int MinPeriodMs = 200;
    void setAnnouncePeriod(int deviceMs);
    int announcePeriodMs() const { return m_periodMs; }

    // A silent camera neither announces nor answers discovery, as if its
    // network had gone; clients see it fall silent. For tests.
    void setSilent(const Camera *camera, bool silent);

    // Datagrams sent since start (announcements, goodbyes and replies).
    quint64 sentCount() const { return m_sent; }

    // Re-address challenges still remembered (open, or used and not yet
    // expired). For tests.
    int challengeCount() const { return int(m_challenges.size()); }
    // Real time a challenge may be used: its device time scaled, never below this.
    static constexpr int MinChallengeLifetimeMs = 1000;

    // Announcements sent in one event-loop turn before yielding.
    static constexpr int BurstSize = 64;

private:
    struct State
    {
        Camera *camera = nullptr;
        bool queued = false;
        bool silent = false;
        QByteArray mac; // key in m_byMac
        std::deque<QByteArray> challenges; // nonces of its challenges, oldest first
    };

    // A nonce a camera issued. A re-address request may use it once, before it
    // expires; copies of that request get the same answer.
    struct Challenge
    {
        int index = -1; // the camera
        QByteArray ticket;
        qint64 expiresMs = 0;
        QByteArray packet; // the challenge as sent
        QByteArray request; // the request that used it; empty while open
        QByteArray answer; // the reply to that request
    };

    void readPending();
    void handleChallengeRequest(const uint8_t *data, size_t size, const sockaddr_in &sender);
    void handleReaddress(const uint8_t *data, size_t size, const sockaddr_in &sender);
    void sendTo(const QByteArray &packet, const sockaddr_in &target);
    void dropExpiredChallenges();
    void queue(int index);
    void queueAll();
    void pump();
    void periodicTick();
    void sendAnnouncement(int index, bool goodbye);
    void updateMac(int index);
    int indexOf(const Camera *camera) const;
    bool interfaceOf(const QString &ip, in_addr *via);

    QList<State> m_states;
    QHash<QByteArray, int> m_byMac;
    quint16 m_port;
    int m_socket = -1;
    in_addr m_group {};
    std::vector<in_addr> m_joined; // interface addresses holding the group membership
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::deque<int> m_queue;
    QTimer m_pumpTimer;
    QTimer m_periodicTimer;
    qint64 m_lastTickMs = 0;
    double m_credit = 0.0;
    int m_nextPeriodic = 0;
    int m_periodMs = DefaultPeriodMs;
    quint64 m_sent = 0;
    // By nonce; at most quarry::kMaxOpenChallenges per camera.
    QHash<QByteArray, Challenge> m_challenges;
};

} // namespace devsim
