#include "quarry.h"
#include "quarry_protocol.h"

#include "mirt.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr int kPollMs = 100;
// Datagrams handled before the expiry check runs again, so a flood of
// announcements cannot starve the detection of silent devices.
constexpr int kDrainLimit = 512;
constexpr milliseconds kMaxExpiryDelay { 5000 };
constexpr int kUpdateAttempts = 3;
constexpr int kUpdateWaitMs = 1000;
constexpr const char *kVersionText = "1";

// The thread that runs the callback, so that Start and Stop called from a
// callback fail instead of deadlocking.
std::atomic<std::thread::id> g_listenerThread {};

const char *textOrNull(const std::optional<std::string> &text)
{
    return text ? text->c_str() : nullptr;
}

// Two announcements describe the same identity when everything but the
// period they claim is equal.
bool sameIdentity(quarry::Announcement a, const quarry::Announcement &b)
{
    a.periodMs = b.periodMs;
    return a == b;
}

// The interfaces this process's discovery may use, saying which entries of
// the setting named no interface.
std::vector<quarry::Ipv4Interface> allowedInterfaces(const char *caller)
{
    quarry::InterfaceSelection selection = quarry::discoveryInterfaces();
    for (const std::string &entry : selection.unmatched) {
        MIRT_OutputDebug(
            "%s: TERVIX_DISCOVERY_INTERFACES names no interface \"%s\"\n", caller, entry.c_str());
    }
    if (selection.interfaces.empty()) {
        MIRT_OutputDebug("%s: no interface is allowed; nothing is sent\n", caller);
    }
    return std::move(selection.interfaces);
}

milliseconds silenceLimit(uint32_t periodMs)
{
    const uint32_t period
        = std::clamp(periodMs, quarry::kMinAnnouncePeriodMs, quarry::kMaxAnnouncePeriodMs);
    return milliseconds(period) * quarry::kSilentPeriods + milliseconds(period / 2);
}

class Listener
{
public:
    explicit Listener(QUARRY_DeviceCallback callback) : m_callback(callback) { }

    ~Listener()
    {
        if (m_socket >= 0) {
            close(m_socket);
        }
        for (int fd : m_wake) {
            if (fd >= 0) {
                close(fd);
            }
        }
    }

    bool open()
    {
        m_port = quarry::discoveryPort();
        m_group = quarry::discoveryGroup();
        m_interfaces = allowedInterfaces("QUARRY_Start");
        m_socket = quarry::openGroupSocket(m_port, m_group, m_interfaces);
        if (m_socket < 0) {
            MIRT_OutputDebug(
                "QUARRY: cannot listen on port %u: %s\n", m_port, std::strerror(errno));
            return false;
        }
        if (pipe2(m_wake, O_CLOEXEC | O_NONBLOCK) != 0) {
            MIRT_OutputDebug("QUARRY: cannot create the wake pipe: %s\n", std::strerror(errno));
            return false;
        }
        return true;
    }

    void start() { m_thread = std::thread(&Listener::run, this); }

    void stopAndJoin()
    {
        // A callback may be slow (its receiver may be the very thread that
        // is waiting here): no further callback once a stop is asked for.
        m_stopping.store(true);
        const char byte = 1;
        if (write(m_wake[1], &byte, 1) < 0) {
            // The pipe is only full when a wake-up is already pending.
        }
        if (m_thread.joinable()) {
            m_thread.join();
        }
    }

private:
    struct Known
    {
        std::string key;
        quarry::Announcement announcement;
        Clock::time_point lastSeen;
    };
    // Oldest heard first, so that the one silent the longest makes room.
    using Order = std::list<Known>;

    void run()
    {
        g_listenerThread.store(std::this_thread::get_id());
        sendInquiry();
        auto nextExpiry = Clock::now() + milliseconds(kPollMs);
        for (;;) {
            pollfd fds[2] = { { m_socket, POLLIN, 0 }, { m_wake[0], POLLIN, 0 } };
            const int ready = poll(fds, 2, kPollMs);
            if (ready < 0 && errno != EINTR) {
                MIRT_OutputDebug("QUARRY: poll failed: %s\n", std::strerror(errno));
                break;
            }
            if (fds[1].revents != 0) {
                break;
            }
            bool backlog = false;
            if ((fds[0].revents & POLLIN) != 0) {
                backlog = !drain();
            }
            // Announcements still queued in the socket may be the very ones
            // that keep a device alive: judge silence on an empty queue
            // (unless the queue never empties).
            const auto now = Clock::now();
            if (now >= nextExpiry && (!backlog || now >= nextExpiry + kMaxExpiryDelay)) {
                expire();
                nextExpiry = Clock::now() + milliseconds(kPollMs);
            }
        }
        g_listenerThread.store(std::thread::id());
    }

    void sendInquiry()
    {
        quarry::Inquiry inquiry;
        quarry::randomBytes(reinterpret_cast<uint8_t *>(&inquiry.id), sizeof inquiry.id);
        const quarry::Packet packet = quarry::encodeInquiry(inquiry);
        for (const auto &item : m_interfaces) {
            quarry::sendToGroup(m_socket, m_group, m_port, item.address, packet);
        }
    }

    // true when the socket's queue was emptied.
    bool drain()
    {
        uint8_t buffer[quarry::kMaxPacketSize + 1];
        for (int i = 0; i < kDrainLimit && !m_stopping.load(); ++i) {
            const ssize_t size = recv(m_socket, buffer, sizeof buffer, MSG_DONTWAIT);
            if (size < 0) {
                return errno == EAGAIN || errno == EWOULDBLOCK;
            }
            handle(buffer, static_cast<size_t>(size));
        }
        return false;
    }

    void handle(const uint8_t *data, size_t size)
    {
        const auto type = quarry::packetType(data, size);
        if (!type
            || (*type != quarry::PacketType::Announce && *type != quarry::PacketType::Goodbye)) {
            return; // our own inquiry looped back, requests of other clients
        }
        auto announcement = quarry::decodeAnnouncement(data, size);
        if (!announcement) {
            return;
        }
        // An absent serial is its own key, distinct from an empty one.
        const std::string key = announcement->serialNo ? "S" + *announcement->serialNo : "-";
        auto found = m_devices.find(key);
        if (*type == quarry::PacketType::Goodbye) {
            if (found != m_devices.end()) {
                forget(found->second);
                report(*announcement, QUARRY_EVENT_GONE);
            }
            return;
        }
        const auto now = Clock::now();
        if (found == m_devices.end()) {
            // Announcements are unauthenticated: a flood of made-up devices
            // must not grow the table, so the one silent the longest goes.
            if (m_devices.size() >= static_cast<size_t>(QUARRY_MAX_DEVICES)) {
                const quarry::Announcement gone = m_order.front().announcement;
                forget(m_order.begin());
                report(gone, QUARRY_EVENT_GONE);
            }
            m_order.push_back(Known { key, *announcement, now });
            m_devices.emplace(key, std::prev(m_order.end()));
            report(*announcement, QUARRY_EVENT_PRESENT);
            return;
        }
        Known &known = *found->second;
        known.lastSeen = now;
        m_order.splice(m_order.end(), m_order, found->second);
        if (!sameIdentity(*announcement, known.announcement)) {
            known.announcement = *announcement;
            report(*announcement, QUARRY_EVENT_CHANGED);
        } else {
            known.announcement.periodMs = announcement->periodMs;
        }
    }

    void forget(Order::iterator entry)
    {
        m_devices.erase(entry->key);
        m_order.erase(entry);
    }

    void expire()
    {
        const auto now = Clock::now();
        for (auto it = m_order.begin(); it != m_order.end() && !m_stopping.load();) {
            const auto next = std::next(it);
            if (now - it->lastSeen > silenceLimit(it->announcement.periodMs)) {
                const quarry::Announcement gone = it->announcement;
                forget(it);
                report(gone, QUARRY_EVENT_GONE);
            }
            it = next;
        }
    }

    void report(const quarry::Announcement &a, int32_t event)
    {
        m_callback(kVersionText, textOrNull(a.serialNo), textOrNull(a.mac), textOrNull(a.ipAddress),
            textOrNull(a.subnetMask), a.deviceType, a.port, a.channelCount, a.diskCount,
            textOrNull(a.softwareVersion), textOrNull(a.dspVersion), textOrNull(a.startTime),
            event);
    }

    QUARRY_DeviceCallback m_callback;
    int m_socket = -1;
    int m_wake[2] = { -1, -1 };
    uint16_t m_port = 0;
    in_addr m_group {};
    std::vector<quarry::Ipv4Interface> m_interfaces;
    // Touched by the listener thread only; at most QUARRY_MAX_DEVICES entries.
    Order m_order;
    std::unordered_map<std::string, Order::iterator> m_devices;
    std::thread m_thread;
    std::atomic<bool> m_stopping { false };
};

// Serialises Start and Stop; held across the join so that no caller of Stop
// returns while a callback may still run.
std::mutex g_control;
std::unique_ptr<Listener> g_listener;

bool onListenerThread()
{
    return g_listenerThread.load() == std::this_thread::get_id();
}

bool parsePort(const char *text, uint16_t &port)
{
    if (text == nullptr || *text == '\0' || std::strlen(text) > 5) {
        return false;
    }
    unsigned long value = 0;
    for (const char *c = text; *c != '\0'; ++c) {
        if (*c < '0' || *c > '9') {
            return false;
        }
        value = value * 10 + static_cast<unsigned long>(*c - '0');
    }
    if (value < 1 || value > 65535) {
        return false;
    }
    port = static_cast<uint16_t>(value);
    return true;
}

bool parseUnicastAddress(const char *text, std::array<uint8_t, 4> &address)
{
    in_addr value {};
    if (text == nullptr || inet_pton(AF_INET, text, &value) != 1) {
        return false;
    }
    const uint32_t host = ntohl(value.s_addr);
    if (host == 0 || host == 0xffffffffu || IN_MULTICAST(host) || (host >> 24) == 0) {
        return false;
    }
    std::memcpy(address.data(), &value.s_addr, 4);
    return true;
}

bool parseMask(const char *text, std::array<uint8_t, 4> &mask)
{
    in_addr value {};
    if (text == nullptr || inet_pton(AF_INET, text, &value) != 1) {
        return false;
    }
    std::memcpy(mask.data(), &value.s_addr, 4);
    return quarry::isValidSubnetMask(mask);
}

// Waits until the deadline for a datagram that `accept` takes (it returns
// true once it has what it waits for); false on time-out.
template<typename Accept> bool awaitDatagram(int fd, Clock::time_point deadline, Accept accept)
{
    for (;;) {
        const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            return false;
        }
        pollfd pfd { fd, POLLIN, 0 };
        const int ready = poll(&pfd, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno != EINTR) {
            return false;
        }
        if (ready <= 0) {
            continue;
        }
        uint8_t buffer[quarry::kMaxPacketSize + 1];
        const ssize_t size = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (size >= 0 && accept(buffer, static_cast<size_t>(size))) {
            return true;
        }
    }
}

// The device's challenge for this re-address, or nullopt on time-out.
std::optional<quarry::Nonce> awaitChallenge(
    int fd, const quarry::ChallengeRequest &request, Clock::time_point deadline)
{
    std::optional<quarry::Nonce> nonce;
    awaitDatagram(fd, deadline, [&](const uint8_t *data, size_t size) {
        const auto challenge = quarry::decodeChallenge(data, size);
        // Challenges for other requests (or from other devices) are not ours.
        if (challenge && challenge->ticket == request.ticket && challenge->mac == request.mac) {
            nonce = challenge->nonce;
        }
        return nonce.has_value();
    });
    return nonce;
}

// The answer to this request, or nullopt on time-out.
std::optional<quarry::ReaddressStatus> awaitReply(
    int fd, const quarry::ReaddressRequest &request, Clock::time_point deadline)
{
    std::optional<quarry::ReaddressStatus> status;
    awaitDatagram(fd, deadline, [&](const uint8_t *data, size_t size) {
        const auto reply = quarry::decodeReaddressReply(data, size);
        // Answers to earlier requests (or from other devices) are not ours.
        if (reply && reply->nonce == request.nonce && reply->mac == request.mac) {
            status = reply->status;
        }
        return status.has_value();
    });
    return status;
}

// Sends one packet to the group on every interface; false when it left on none.
bool sendEverywhere(
    int fd, const std::vector<quarry::Ipv4Interface> &interfaces, const quarry::Packet &packet)
{
    const uint16_t port = quarry::discoveryPort();
    const in_addr group = quarry::discoveryGroup();
    bool sent = false;
    for (const auto &item : interfaces) {
        sent = quarry::sendToGroup(fd, group, port, item.address, packet) || sent;
    }
    return sent;
}

// The challenge, the request proving it and the device's answer, resent
// while nothing comes back, until the deadline.
int32_t readdress(int fd, const std::vector<quarry::Ipv4Interface> &interfaces,
    quarry::ReaddressRequest request, const char *password)
{
    quarry::ChallengeRequest ask;
    ask.mac = request.mac;
    if (!quarry::randomBytes(ask.ticket.data(), ask.ticket.size())) {
        return QUARRY_UPDATE_NETWORK_ERROR;
    }
    const quarry::Packet askPacket = quarry::encodeChallengeRequest(ask);
    const auto deadline = Clock::now() + milliseconds(kUpdateAttempts * kUpdateWaitMs);
    const auto step
        = [&deadline] { return std::min(deadline, Clock::now() + milliseconds(kUpdateWaitMs)); };
    std::optional<quarry::Packet> proven; // the request for the challenge in hand
    while (Clock::now() < deadline) {
        if (!proven) {
            if (!sendEverywhere(fd, interfaces, askPacket)) {
                return QUARRY_UPDATE_NETWORK_ERROR;
            }
            const auto nonce = awaitChallenge(fd, ask, step());
            if (!nonce) {
                continue;
            }
            request.nonce = *nonce;
            request.proof = quarry::readdressProof(password, request);
            proven = quarry::encodeReaddressRequest(request);
        }
        // A resend of the same request is answered as the first one was and
        // applied once, so a lost answer costs no second move.
        if (!sendEverywhere(fd, interfaces, *proven)) {
            return QUARRY_UPDATE_NETWORK_ERROR;
        }
        const auto status = awaitReply(fd, request, step());
        if (!status) {
            continue;
        }
        switch (*status) {
        case quarry::ReaddressStatus::Done:
            return QUARRY_UPDATE_DONE;
        case quarry::ReaddressStatus::WrongProof:
            return QUARRY_UPDATE_WRONG_PASSWORD;
        case quarry::ReaddressStatus::Refused:
            return QUARRY_UPDATE_REFUSED;
        case quarry::ReaddressStatus::StaleChallenge:
            proven.reset(); // expired on the way: ask for a new one
            break;
        }
    }
    return QUARRY_UPDATE_NO_ANSWER;
}

} // namespace

extern "C" {

int32_t QUARRY_Start(QUARRY_DeviceCallback callback)
{
    if (callback == nullptr || onListenerThread()) {
        return 0;
    }
    std::lock_guard<std::mutex> lock(g_control);
    if (g_listener) {
        MIRT_OutputDebug("QUARRY_Start: already started\n");
        return 0;
    }
    auto listener = std::make_unique<Listener>(callback);
    if (!listener->open()) {
        return 0;
    }
    listener->start();
    g_listener = std::move(listener);
    return 1;
}

int32_t QUARRY_Stop(void)
{
    // Joining our own thread from a callback would never return.
    if (onListenerThread()) {
        return 0;
    }
    std::lock_guard<std::mutex> lock(g_control);
    if (!g_listener) {
        return 1;
    }
    g_listener->stopAndJoin();
    g_listener.reset();
    return 1;
}

int32_t QUARRY_SendUpdateIp(const char *mac, const char *newIp, const char *newMask,
    const char *password, const char *newPort)
{
    quarry::ReaddressRequest request;
    const auto parsedMac = quarry::parseMac(mac);
    if (!parsedMac || !parseUnicastAddress(newIp, request.ipAddress)
        || !parseMask(newMask, request.subnetMask) || !parsePort(newPort, request.port)
        || password == nullptr) {
        MIRT_OutputDebug("QUARRY_SendUpdateIp: malformed arguments\n");
        return QUARRY_UPDATE_BAD_ARGUMENT;
    }
    request.mac = *parsedMac;
    const int fd = quarry::openRequestSocket();
    if (fd < 0) {
        MIRT_OutputDebug("QUARRY_SendUpdateIp: no socket: %s\n", std::strerror(errno));
        return QUARRY_UPDATE_NETWORK_ERROR;
    }
    const int32_t result
        = readdress(fd, allowedInterfaces("QUARRY_SendUpdateIp"), request, password);
    close(fd);
    return result;
}

} // extern "C"
