#include "discovery.h"

#include "camera.h"
#include "quarry_protocol.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QSocketNotifier>

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace devsim {

namespace {

std::optional<std::string> text(const QString &value)
{
    return value.toStdString();
}

// The host's interfaces, read once: a simulator does not follow later changes.
const std::vector<quarry::Ipv4Interface> &hostInterfaces()
{
    static const auto interfaces = quarry::ipv4Interfaces();
    return interfaces;
}

bool parseAddress(const QString &ip, in_addr *address)
{
    return inet_pton(AF_INET, ip.toLatin1().constData(), address) == 1;
}

qint64 monotonicMs()
{
    static QElapsedTimer clock = [] {
        QElapsedTimer timer;
        timer.start();
        return timer;
    }();
    return clock.elapsed();
}

} // namespace

DiscoveryService::DiscoveryService(
    const QList<Camera *> &cameras, quint16 discoveryPort, QObject *parent)
    : QObject(parent), m_port(discoveryPort)
{
    m_states.reserve(cameras.size());
    for (Camera *camera : cameras) {
        State state;
        state.camera = camera;
        m_states.append(state);
    }
    for (int i = 0; i < m_states.size(); ++i) {
        Camera *camera = m_states.at(i).camera;
        updateMac(i);
        connect(camera, &Camera::identityChanged, this, [this, i] {
            updateMac(i);
            queue(i);
        });
        connect(camera, &Camera::cameOnline, this, [this, i] { queue(i); });
        connect(camera, &Camera::goingOffline, this, [this, i] { sendAnnouncement(i, true); });
    }
    m_pumpTimer.setSingleShot(true);
    m_pumpTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_pumpTimer, &QTimer::timeout, this, &DiscoveryService::pump);
    connect(&m_periodicTimer, &QTimer::timeout, this, &DiscoveryService::periodicTick);
    setAnnouncePeriod(DefaultPeriodMs);
}

DiscoveryService::~DiscoveryService()
{
    stop();
}

void DiscoveryService::setAnnouncePeriod(int deviceMs)
{
    int real = deviceMs;
    if (!m_states.isEmpty()) {
        real = m_states.first().camera->scaledMs(deviceMs);
    }
    m_periodMs = std::clamp(real, MinPeriodMs, int(quarry::kMaxAnnouncePeriodMs));
    // Spread each period's announcements over about twenty ticks.
    m_periodicTimer.setInterval(std::clamp(m_periodMs / 20, 10, 100));
    // Clients time silence by the period a device announces: tell them now.
    if (m_socket >= 0) {
        queueAll();
    }
}

bool DiscoveryService::start()
{
    if (m_socket >= 0) {
        return true;
    }
    std::vector<in_addr> addresses;
    for (const State &state : std::as_const(m_states)) {
        in_addr address {};
        if (parseAddress(state.camera->ipAddress(), &address)) {
            addresses.push_back(address);
        }
    }
    const auto interfaces = quarry::interfacesFor(addresses, hostInterfaces());
    m_group = quarry::discoveryGroup();
    m_socket = quarry::openGroupSocket(m_port, m_group, interfaces);
    if (m_socket < 0) {
        qWarning("devsim: discovery port %u: %s", unsigned(m_port), std::strerror(errno));
        return false;
    }
    m_joined.clear();
    for (const auto &item : interfaces) {
        m_joined.push_back(item.address);
    }
    m_notifier = std::make_unique<QSocketNotifier>(m_socket, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &DiscoveryService::readPending);
    m_sent = 0;
    m_lastTickMs = monotonicMs();
    m_credit = 0.0;
    m_periodicTimer.start();
    queueAll();
    return true;
}

void DiscoveryService::stop()
{
    if (m_socket < 0) {
        return;
    }
    m_periodicTimer.stop();
    m_pumpTimer.stop();
    m_queue.clear();
    m_challenges.clear();
    for (int i = 0; i < m_states.size(); ++i) {
        m_states[i].queued = false;
        m_states[i].challenges.clear();
        if (m_states.at(i).camera->isOnline()) {
            sendAnnouncement(i, true);
        }
    }
    m_notifier.reset();
    close(m_socket);
    m_socket = -1;
}

void DiscoveryService::setSilent(const Camera *camera, bool silent)
{
    const int index = indexOf(camera);
    if (index < 0) {
        return;
    }
    m_states[index].silent = silent;
    if (!silent) {
        queue(index);
    }
}

int DiscoveryService::indexOf(const Camera *camera) const
{
    for (int i = 0; i < m_states.size(); ++i) {
        if (m_states.at(i).camera == camera) {
            return i;
        }
    }
    return -1;
}

void DiscoveryService::updateMac(int index)
{
    State &state = m_states[index];
    const QByteArray mac = state.camera->macBytes();
    if (mac == state.mac) {
        return;
    }
    if (m_byMac.value(state.mac, -1) == index) {
        m_byMac.remove(state.mac);
    }
    state.mac = mac;
    if (mac.size() == 6) {
        m_byMac.insert(mac, index);
    }
}

void DiscoveryService::queue(int index)
{
    State &state = m_states[index];
    if (state.queued) {
        return;
    }
    state.queued = true;
    m_queue.push_back(index);
    if (!m_pumpTimer.isActive() && m_socket >= 0) {
        m_pumpTimer.start(0);
    }
}

void DiscoveryService::queueAll()
{
    for (int i = 0; i < m_states.size(); ++i) {
        queue(i);
    }
}

void DiscoveryService::pump()
{
    for (int sent = 0; sent < BurstSize && !m_queue.empty(); ++sent) {
        const int index = m_queue.front();
        m_queue.pop_front();
        State &state = m_states[index];
        state.queued = false;
        if (state.camera->isOnline()) {
            sendAnnouncement(index, false);
        }
    }
    if (!m_queue.empty()) {
        // Let the cameras' own sessions run between bursts.
        m_pumpTimer.start(1);
    }
}

void DiscoveryService::periodicTick()
{
    dropExpiredChallenges();
    const qint64 now = monotonicMs();
    const qint64 elapsed = now - m_lastTickMs;
    m_lastTickMs = now;
    if (m_states.isEmpty()) {
        return;
    }
    // Round robin: every camera once per period, spread evenly over it.
    m_credit += double(elapsed) * double(m_states.size()) / double(m_periodMs);
    m_credit = std::min(m_credit, double(m_states.size()));
    while (m_credit >= 1.0) {
        m_credit -= 1.0;
        queue(m_nextPeriodic);
        m_nextPeriodic = (m_nextPeriodic + 1) % int(m_states.size());
    }
}

void DiscoveryService::sendAnnouncement(int index, bool goodbye)
{
    const State &state = m_states.at(index);
    if (m_socket < 0 || state.silent) {
        return;
    }
    const Camera *camera = state.camera;
    quarry::Announcement a;
    a.serialNo = text(camera->serialNo());
    if (state.mac.size() == 6) {
        quarry::Mac bytes {};
        std::memcpy(bytes.data(), state.mac.constData(), bytes.size());
        a.mac = quarry::formatMac(bytes);
    }
    a.ipAddress = text(camera->ipAddress());
    a.subnetMask = text(camera->subnetMask());
    a.softwareVersion = text(camera->softwareVersionText());
    a.dspVersion = text(camera->dspVersionText());
    a.startTime = text(camera->startTime());
    a.deviceType = camera->discoveryTypeCode();
    a.port = camera->port();
    a.channelCount = camera->channelCount();
    a.diskCount = camera->diskCount();
    a.periodMs = quint32(m_periodMs);
    const auto packet = quarry::encodeAnnouncement(
        a, goodbye ? quarry::PacketType::Goodbye : quarry::PacketType::Announce);
    in_addr via {};
    if (interfaceOf(camera->ipAddress(), &via)
        && quarry::sendToGroup(m_socket, m_group, m_port, via, packet)) {
        ++m_sent;
    }
}

bool DiscoveryService::interfaceOf(const QString &ip, in_addr *via)
{
    in_addr address {};
    if (!parseAddress(ip, &address)) {
        return false;
    }
    const auto found = quarry::interfacesFor({ address }, hostInterfaces());
    if (found.empty()) {
        return false;
    }
    *via = found.front().address;
    // A camera moved onto another interface must hear inquiries there too.
    const bool joined = std::any_of(m_joined.cbegin(), m_joined.cend(),
        [via](const in_addr &known) { return known.s_addr == via->s_addr; });
    if (!joined) {
        quarry::joinGroup(m_socket, m_group, *via);
        m_joined.push_back(*via);
    }
    return true;
}

void DiscoveryService::readPending()
{
    uint8_t buffer[quarry::kMaxPacketSize + 1];
    // Bounded, so that a flood of requests cannot hold the event loop.
    for (int i = 0; i < 256; ++i) {
        sockaddr_in sender {};
        socklen_t senderSize = sizeof sender;
        const ssize_t size = recvfrom(m_socket, buffer, sizeof buffer, MSG_DONTWAIT,
            reinterpret_cast<sockaddr *>(&sender), &senderSize);
        if (size < 0) {
            return;
        }
        const auto type = quarry::packetType(buffer, size_t(size));
        if (!type) {
            continue;
        }
        if (*type == quarry::PacketType::Inquiry && quarry::decodeInquiry(buffer, size_t(size))) {
            queueAll();
        } else if (*type == quarry::PacketType::ChallengeRequest) {
            handleChallengeRequest(buffer, size_t(size), sender);
        } else if (*type == quarry::PacketType::ReaddressRequest) {
            handleReaddress(buffer, size_t(size), sender);
        }
        // Announcements (ours and others') and replies are not for devices.
    }
}

void DiscoveryService::sendTo(const QByteArray &packet, const sockaddr_in &target)
{
    sendto(m_socket, packet.constData(), size_t(packet.size()), MSG_NOSIGNAL,
        reinterpret_cast<const sockaddr *>(&target), sizeof target);
    ++m_sent;
}

void DiscoveryService::dropExpiredChallenges()
{
    if (m_challenges.isEmpty()) {
        return;
    }
    const qint64 now = monotonicMs();
    for (auto it = m_challenges.begin(); it != m_challenges.end();) {
        if (it->expiresMs > now) {
            ++it;
            continue;
        }
        auto &nonces = m_states[it->index].challenges;
        nonces.erase(std::remove(nonces.begin(), nonces.end(), it.key()), nonces.end());
        it = m_challenges.erase(it);
    }
}

void DiscoveryService::handleChallengeRequest(
    const uint8_t *data, size_t size, const sockaddr_in &sender)
{
    const auto request = quarry::decodeChallengeRequest(data, size);
    if (!request) {
        return;
    }
    const QByteArray mac(
        reinterpret_cast<const char *>(request->mac.data()), qsizetype(request->mac.size()));
    const int index = m_byMac.value(mac, -1);
    if (index < 0) {
        return; // another device's request
    }
    State &state = m_states[index];
    if (state.silent || !state.camera->isOnline()) {
        return;
    }
    const QByteArray ticket(
        reinterpret_cast<const char *>(request->ticket.data()), qsizetype(request->ticket.size()));
    const qint64 now = monotonicMs();
    // A copy of the request (resent, or over another interface) gets the
    // challenge already open for it.
    for (const QByteArray &nonce : state.challenges) {
        const auto open = m_challenges.constFind(nonce);
        if (open != m_challenges.cend() && open->ticket == ticket && open->request.isEmpty()
            && open->expiresMs > now) {
            sendTo(open->packet, sender);
            return;
        }
    }
    quarry::Challenge challenge;
    challenge.mac = request->mac;
    challenge.ticket = request->ticket;
    if (!quarry::randomBytes(challenge.nonce.data(), challenge.nonce.size())) {
        return;
    }
    const auto encoded = quarry::encodeChallenge(challenge);
    Challenge issued;
    issued.index = index;
    issued.ticket = ticket;
    issued.expiresMs = now
        + std::max(MinChallengeLifetimeMs, state.camera->scaledMs(quarry::kChallengeLifetimeMs));
    issued.packet
        = QByteArray(reinterpret_cast<const char *>(encoded.data()), qsizetype(encoded.size()));
    const QByteArray nonce(
        reinterpret_cast<const char *>(challenge.nonce.data()), qsizetype(challenge.nonce.size()));
    // Bounded, so that a flood of requests cannot grow the service.
    if (state.challenges.size() >= size_t(quarry::kMaxOpenChallenges)) {
        m_challenges.remove(state.challenges.front());
        state.challenges.pop_front();
    }
    state.challenges.push_back(nonce);
    m_challenges.insert(nonce, issued);
    sendTo(issued.packet, sender);
}

void DiscoveryService::handleReaddress(const uint8_t *data, size_t size, const sockaddr_in &sender)
{
    const auto request = quarry::decodeReaddressRequest(data, size);
    if (!request) {
        return;
    }
    const QByteArray mac(
        reinterpret_cast<const char *>(request->mac.data()), qsizetype(request->mac.size()));
    const int index = m_byMac.value(mac, -1);
    if (index < 0) {
        return; // another device's request
    }
    const State &state = m_states.at(index);
    Camera *camera = state.camera;
    if (state.silent || !camera->isOnline()) {
        return;
    }
    quarry::ReaddressReply answer;
    answer.mac = request->mac;
    answer.nonce = request->nonce;
    const auto encode = [&answer] {
        const auto encoded = quarry::encodeReaddressReply(answer);
        return QByteArray(
            reinterpret_cast<const char *>(encoded.data()), qsizetype(encoded.size()));
    };
    const QByteArray nonce(
        reinterpret_cast<const char *>(request->nonce.data()), qsizetype(request->nonce.size()));
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto found = m_challenges.find(nonce);
    // Only a nonce this camera issued, unused and in time, opens a change: a
    // captured request is worthless once its challenge is spent or expired.
    if (found == m_challenges.end() || found->index != index || found->expiresMs <= monotonicMs()
        || (!found->request.isEmpty() && found->request != bytes)) {
        answer.status = quarry::ReaddressStatus::StaleChallenge;
        sendTo(encode(), sender);
        return;
    }
    if (!found->request.isEmpty()) {
        sendTo(found->answer, sender); // a copy: the same answer, applied once
        return;
    }
    found->request = bytes;
    if (!quarry::proofMatches(camera->password().toStdString(), *request)) {
        answer.status = quarry::ReaddressStatus::WrongProof;
    } else {
        char ip[INET_ADDRSTRLEN] = {};
        char mask[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, request->ipAddress.data(), ip, sizeof ip);
        inet_ntop(AF_INET, request->subnetMask.data(), mask, sizeof mask);
        const uint32_t host
            = (uint32_t(request->ipAddress[0]) << 24) | (uint32_t(request->ipAddress[1]) << 16);
        const bool usable = quarry::isValidSubnetMask(request->subnetMask) && request->port != 0
            && request->ipAddress[0] != 0 && !IN_MULTICAST(host)
            && request->ipAddress != std::array<uint8_t, 4> { 255, 255, 255, 255 };
        // Moved first, answered after: only a move that happened is confirmed.
        const bool moved = usable
            && camera->readdress(QString::fromLatin1(ip), QString::fromLatin1(mask), request->port);
        answer.status = moved ? quarry::ReaddressStatus::Done : quarry::ReaddressStatus::Refused;
        if (moved) {
            queue(index);
        }
    }
    found->answer = encode();
    sendTo(found->answer, sender);
}

} // namespace devsim
