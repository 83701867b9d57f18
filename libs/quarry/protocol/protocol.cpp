#include "quarry_protocol.h"

#include <arpa/inet.h>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ifaddrs.h>
#include <net/if.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>
#include <sys/socket.h>
#include <unistd.h>

namespace quarry {

namespace {

constexpr uint8_t kMagic[4] = { 'Q', 'R', 'R', 'Y' };
constexpr size_t kInquiryBody = 4;
constexpr size_t kRequestBody = 6 + 4 + 4 + 2 + 16 + 32;
constexpr size_t kReplyBody = 6 + 16 + 1;
constexpr size_t kChallengeRequestBody = 6 + 16;
constexpr size_t kChallengeBody = 6 + 16 + 16;
// Fixed part of an announcement: type, port, channels, disks, period, text mask.
constexpr size_t kAnnounceFixed = 4 + 2 + 4 + 4 + 4 + 1;
constexpr int kTextCount = 7;

class Writer
{
public:
    explicit Writer(PacketType type)
    {
        m_bytes.insert(m_bytes.end(), std::begin(kMagic), std::end(kMagic));
        m_bytes.push_back(kProtocolVersion);
        m_bytes.push_back(static_cast<uint8_t>(type));
        u16(0);
    }
    void u8(uint8_t value) { m_bytes.push_back(value); }
    void u16(uint16_t value)
    {
        m_bytes.push_back(static_cast<uint8_t>(value));
        m_bytes.push_back(static_cast<uint8_t>(value >> 8));
    }
    void u32(uint32_t value)
    {
        for (int shift = 0; shift < 32; shift += 8) {
            m_bytes.push_back(static_cast<uint8_t>(value >> shift));
        }
    }
    template<size_t N> void bytes(const std::array<uint8_t, N> &value)
    {
        m_bytes.insert(m_bytes.end(), value.begin(), value.end());
    }
    void text(const std::string &value)
    {
        const size_t length = std::min(value.size(), kMaxTextLength);
        u8(static_cast<uint8_t>(length));
        m_bytes.insert(m_bytes.end(), value.begin(), value.begin() + static_cast<long>(length));
    }
    Packet take() { return std::move(m_bytes); }

private:
    Packet m_bytes;
};

class Reader
{
public:
    Reader(const uint8_t *data, size_t size) : m_data(data), m_size(size) { }
    bool u8(uint8_t &value)
    {
        if (!need(1)) {
            return false;
        }
        value = m_data[m_pos++];
        return true;
    }
    bool u16(uint16_t &value)
    {
        if (!need(2)) {
            return false;
        }
        value = static_cast<uint16_t>(m_data[m_pos] | (m_data[m_pos + 1] << 8));
        m_pos += 2;
        return true;
    }
    bool u32(uint32_t &value)
    {
        if (!need(4)) {
            return false;
        }
        value = 0;
        for (int i = 3; i >= 0; --i) {
            value = (value << 8) | m_data[m_pos + static_cast<size_t>(i)];
        }
        m_pos += 4;
        return true;
    }
    template<size_t N> bool bytes(std::array<uint8_t, N> &value)
    {
        if (!need(N)) {
            return false;
        }
        std::memcpy(value.data(), m_data + m_pos, N);
        m_pos += N;
        return true;
    }
    bool text(std::string &value)
    {
        uint8_t length = 0;
        if (!u8(length) || !need(length)) {
            return false;
        }
        const char *begin = reinterpret_cast<const char *>(m_data + m_pos);
        // A zero byte would silently shorten the text for C callers.
        if (std::memchr(begin, 0, length) != nullptr) {
            return false;
        }
        value.assign(begin, length);
        m_pos += length;
        return true;
    }
    bool atEnd() const { return m_pos == m_size; }

private:
    bool need(size_t count) const { return m_size - m_pos >= count; }

    const uint8_t *m_data;
    size_t m_size;
    size_t m_pos = kHeaderSize;
};

// A well-formed header of the given type followed by a body of exactly bodySize bytes.
bool isFixedPacket(const uint8_t *data, size_t size, PacketType type, size_t bodySize)
{
    const auto actual = packetType(data, size);
    return actual && *actual == type && size == kHeaderSize + bodySize;
}

std::optional<std::string> *textField(Announcement &announcement, int index)
{
    switch (index) {
    case 0:
        return &announcement.serialNo;
    case 1:
        return &announcement.mac;
    case 2:
        return &announcement.ipAddress;
    case 3:
        return &announcement.subnetMask;
    case 4:
        return &announcement.softwareVersion;
    case 5:
        return &announcement.dspVersion;
    default:
        return &announcement.startTime;
    }
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

} // namespace

Packet encodeInquiry(const Inquiry &inquiry)
{
    Writer writer(PacketType::Inquiry);
    writer.u32(inquiry.id);
    return writer.take();
}

Packet encodeAnnouncement(const Announcement &announcement, PacketType type)
{
    Writer writer(type == PacketType::Goodbye ? PacketType::Goodbye : PacketType::Announce);
    writer.u32(announcement.deviceType);
    writer.u16(announcement.port);
    writer.u32(announcement.channelCount);
    writer.u32(announcement.diskCount);
    writer.u32(announcement.periodMs);
    Announcement copy = announcement;
    uint8_t present = 0;
    for (int i = 0; i < kTextCount; ++i) {
        if (textField(copy, i)->has_value()) {
            present |= static_cast<uint8_t>(1u << i);
        }
    }
    writer.u8(present);
    for (int i = 0; i < kTextCount; ++i) {
        if (const auto *field = textField(copy, i); field->has_value()) {
            writer.text(**field);
        }
    }
    return writer.take();
}

Packet encodeChallengeRequest(const ChallengeRequest &request)
{
    Writer writer(PacketType::ChallengeRequest);
    writer.bytes(request.mac);
    writer.bytes(request.ticket);
    return writer.take();
}

Packet encodeChallenge(const Challenge &challenge)
{
    Writer writer(PacketType::Challenge);
    writer.bytes(challenge.mac);
    writer.bytes(challenge.ticket);
    writer.bytes(challenge.nonce);
    return writer.take();
}

Packet encodeReaddressRequest(const ReaddressRequest &request)
{
    Writer writer(PacketType::ReaddressRequest);
    writer.bytes(request.mac);
    writer.bytes(request.ipAddress);
    writer.bytes(request.subnetMask);
    writer.u16(request.port);
    writer.bytes(request.nonce);
    writer.bytes(request.proof);
    return writer.take();
}

Packet encodeReaddressReply(const ReaddressReply &reply)
{
    Writer writer(PacketType::ReaddressReply);
    writer.bytes(reply.mac);
    writer.bytes(reply.nonce);
    writer.u8(static_cast<uint8_t>(reply.status));
    return writer.take();
}

std::optional<PacketType> packetType(const uint8_t *data, size_t size)
{
    if (data == nullptr || size < kHeaderSize || size > kMaxPacketSize
        || std::memcmp(data, kMagic, sizeof kMagic) != 0 || data[4] != kProtocolVersion) {
        return std::nullopt;
    }
    const uint8_t type = data[5];
    if (type < static_cast<uint8_t>(PacketType::Inquiry)
        || type > static_cast<uint8_t>(PacketType::Challenge)) {
        return std::nullopt;
    }
    return static_cast<PacketType>(type);
}

std::optional<Inquiry> decodeInquiry(const uint8_t *data, size_t size)
{
    if (!isFixedPacket(data, size, PacketType::Inquiry, kInquiryBody)) {
        return std::nullopt;
    }
    Reader reader(data, size);
    Inquiry inquiry;
    reader.u32(inquiry.id);
    return inquiry;
}

std::optional<Announcement> decodeAnnouncement(const uint8_t *data, size_t size)
{
    const auto type = packetType(data, size);
    if (!type || (*type != PacketType::Announce && *type != PacketType::Goodbye)
        || size < kHeaderSize + kAnnounceFixed) {
        return std::nullopt;
    }
    Reader reader(data, size);
    Announcement announcement;
    uint8_t present = 0;
    reader.u32(announcement.deviceType);
    reader.u16(announcement.port);
    reader.u32(announcement.channelCount);
    reader.u32(announcement.diskCount);
    reader.u32(announcement.periodMs);
    reader.u8(present);
    if ((present >> kTextCount) != 0) {
        return std::nullopt;
    }
    for (int i = 0; i < kTextCount; ++i) {
        if ((present & (1u << i)) == 0) {
            continue;
        }
        std::string value;
        if (!reader.text(value)) {
            return std::nullopt;
        }
        *textField(announcement, i) = std::move(value);
    }
    if (!reader.atEnd()) {
        return std::nullopt;
    }
    return announcement;
}

std::optional<ChallengeRequest> decodeChallengeRequest(const uint8_t *data, size_t size)
{
    if (!isFixedPacket(data, size, PacketType::ChallengeRequest, kChallengeRequestBody)) {
        return std::nullopt;
    }
    Reader reader(data, size);
    ChallengeRequest request;
    reader.bytes(request.mac);
    reader.bytes(request.ticket);
    return request;
}

std::optional<Challenge> decodeChallenge(const uint8_t *data, size_t size)
{
    if (!isFixedPacket(data, size, PacketType::Challenge, kChallengeBody)) {
        return std::nullopt;
    }
    Reader reader(data, size);
    Challenge challenge;
    reader.bytes(challenge.mac);
    reader.bytes(challenge.ticket);
    reader.bytes(challenge.nonce);
    return challenge;
}

std::optional<ReaddressRequest> decodeReaddressRequest(const uint8_t *data, size_t size)
{
    if (!isFixedPacket(data, size, PacketType::ReaddressRequest, kRequestBody)) {
        return std::nullopt;
    }
    Reader reader(data, size);
    ReaddressRequest request;
    reader.bytes(request.mac);
    reader.bytes(request.ipAddress);
    reader.bytes(request.subnetMask);
    reader.u16(request.port);
    reader.bytes(request.nonce);
    reader.bytes(request.proof);
    return request;
}

std::optional<ReaddressReply> decodeReaddressReply(const uint8_t *data, size_t size)
{
    if (!isFixedPacket(data, size, PacketType::ReaddressReply, kReplyBody)) {
        return std::nullopt;
    }
    Reader reader(data, size);
    ReaddressReply reply;
    uint8_t status = 0;
    reader.bytes(reply.mac);
    reader.bytes(reply.nonce);
    reader.u8(status);
    if (status > static_cast<uint8_t>(ReaddressStatus::StaleChallenge)) {
        return std::nullopt;
    }
    reply.status = static_cast<ReaddressStatus>(status);
    return reply;
}

Proof readdressProof(const std::string &password, const ReaddressRequest &request)
{
    std::array<uint8_t, 16 + 6 + 4 + 4 + 2> message {};
    auto *out = message.data();
    out = std::copy(request.nonce.begin(), request.nonce.end(), out);
    out = std::copy(request.mac.begin(), request.mac.end(), out);
    out = std::copy(request.ipAddress.begin(), request.ipAddress.end(), out);
    out = std::copy(request.subnetMask.begin(), request.subnetMask.end(), out);
    out[0] = static_cast<uint8_t>(request.port);
    out[1] = static_cast<uint8_t>(request.port >> 8);

    Proof proof {};
    unsigned int length = 0;
    // An empty key still gives a well-defined HMAC; pass a valid pointer.
    static const uint8_t emptyKey = 0;
    const void *key = password.empty() ? static_cast<const void *>(&emptyKey) : password.data();
    HMAC(EVP_sha256(), key, static_cast<int>(password.size()), message.data(), message.size(),
        proof.data(), &length);
    return proof;
}

bool proofMatches(const std::string &password, const ReaddressRequest &request)
{
    const Proof expected = readdressProof(password, request);
    return CRYPTO_memcmp(expected.data(), request.proof.data(), expected.size()) == 0;
}

bool randomBytes(uint8_t *out, size_t size)
{
    return RAND_bytes(out, static_cast<int>(size)) == 1;
}

std::optional<Mac> parseMac(const char *text)
{
    if (text == nullptr || std::strlen(text) != 17) {
        return std::nullopt;
    }
    const char separator = text[2];
    if (separator != ':' && separator != '-') {
        return std::nullopt;
    }
    Mac mac {};
    for (size_t i = 0; i < mac.size(); ++i) {
        const char *part = text + i * 3;
        const int high = hexValue(part[0]);
        const int low = hexValue(part[1]);
        if (high < 0 || low < 0 || (i + 1 < mac.size() && part[2] != separator)) {
            return std::nullopt;
        }
        mac[i] = static_cast<uint8_t>(high * 16 + low);
    }
    return mac;
}

std::string formatMac(const Mac &mac)
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (size_t i = 0; i < mac.size(); ++i) {
        if (i > 0) {
            text += ':';
        }
        text += digits[mac[i] >> 4];
        text += digits[mac[i] & 0x0f];
    }
    return text;
}

bool isValidSubnetMask(const std::array<uint8_t, 4> &mask)
{
    const uint32_t value = (uint32_t(mask[0]) << 24) | (uint32_t(mask[1]) << 16)
        | (uint32_t(mask[2]) << 8) | uint32_t(mask[3]);
    if (value == 0 || value == 0xffffffffu) {
        return false;
    }
    const uint32_t inverted = ~value;
    // Contiguous ones from the top means the inverted value is 2^k - 1.
    return (inverted & (inverted + 1)) == 0;
}

uint16_t discoveryPort()
{
    const char *text = std::getenv("TERVIX_DISCOVERY_PORT");
    if (text == nullptr || *text == '\0') {
        return kDefaultPort;
    }
    char *end = nullptr;
    errno = 0;
    const long value = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || value < 1 || value > 65535) {
        return kDefaultPort;
    }
    return static_cast<uint16_t>(value);
}

in_addr discoveryGroup()
{
    in_addr group {};
    const char *text = std::getenv("TERVIX_DISCOVERY_GROUP");
    if (text != nullptr && inet_pton(AF_INET, text, &group) == 1
        && IN_MULTICAST(ntohl(group.s_addr))) {
        return group;
    }
    inet_pton(AF_INET, kDefaultGroup, &group);
    return group;
}

std::vector<Ipv4Interface> ipv4Interfaces()
{
    std::vector<Ipv4Interface> result;
    ifaddrs *list = nullptr;
    if (getifaddrs(&list) == 0) {
        for (const ifaddrs *entry = list; entry != nullptr; entry = entry->ifa_next) {
            if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET
                || (entry->ifa_flags & IFF_UP) == 0) {
                continue;
            }
            Ipv4Interface item;
            item.name = entry->ifa_name;
            item.address = reinterpret_cast<const sockaddr_in *>(entry->ifa_addr)->sin_addr;
            if (entry->ifa_netmask != nullptr) {
                item.netmask = reinterpret_cast<const sockaddr_in *>(entry->ifa_netmask)->sin_addr;
            }
            item.loopback = (entry->ifa_flags & IFF_LOOPBACK) != 0;
            bool seen = false;
            for (const auto &known : result) {
                seen = seen || known.address.s_addr == item.address.s_addr;
            }
            if (!seen) {
                result.push_back(item);
            }
        }
        freeifaddrs(list);
    }
    const in_addr loopback { htonl(INADDR_LOOPBACK) };
    bool haveLoopback = false;
    for (const auto &item : result) {
        haveLoopback = haveLoopback || item.address.s_addr == loopback.s_addr;
    }
    if (!haveLoopback) {
        result.push_back({ "lo", loopback, in_addr { htonl(0xff000000u) }, true });
    }
    return result;
}

InterfaceSelection selectInterfaces(
    const std::vector<Ipv4Interface> &available, const char *setting)
{
    std::vector<std::string> entries;
    std::string entry;
    for (const char *c = setting != nullptr ? setting : "";; ++c) {
        if (*c == '\0' || *c == ',' || std::isspace(static_cast<unsigned char>(*c)) != 0) {
            if (!entry.empty()) {
                entries.push_back(entry);
                entry.clear();
            }
            if (*c == '\0') {
                break;
            }
        } else {
            entry += *c;
        }
    }
    InterfaceSelection selection;
    if (entries.empty()) {
        selection.interfaces = available;
        return selection;
    }
    std::vector<bool> used(entries.size(), false);
    for (const auto &item : available) {
        bool chosen = false;
        for (size_t i = 0; i < entries.size(); ++i) {
            in_addr address {};
            const bool matches = inet_pton(AF_INET, entries[i].c_str(), &address) == 1
                ? address.s_addr == item.address.s_addr
                : entries[i] == item.name;
            if (matches) {
                used[i] = true;
                chosen = true;
            }
        }
        if (chosen) {
            selection.interfaces.push_back(item);
        }
    }
    for (size_t i = 0; i < entries.size(); ++i) {
        if (!used[i]) {
            selection.unmatched.push_back(entries[i]);
        }
    }
    return selection;
}

InterfaceSelection discoveryInterfaces()
{
    return selectInterfaces(ipv4Interfaces(), std::getenv("TERVIX_DISCOVERY_INTERFACES"));
}

std::vector<Ipv4Interface> interfacesFor(
    const std::vector<in_addr> &addresses, const std::vector<Ipv4Interface> &available)
{
    std::vector<Ipv4Interface> result;
    const auto add = [&result](const Ipv4Interface &item) {
        for (const auto &known : result) {
            if (known.address.s_addr == item.address.s_addr) {
                return;
            }
        }
        result.push_back(item);
    };
    for (in_addr address : addresses) {
        // All of 127.0.0.0/8 is loopback, whatever addresses lo reports.
        const bool loopback = (ntohl(address.s_addr) >> 24) == 127;
        if (loopback) {
            address.s_addr = htonl(INADDR_LOOPBACK);
        }
        // The interface that has the address, else the first whose subnet holds it.
        const Ipv4Interface *found = nullptr;
        for (const auto &item : available) {
            if (item.address.s_addr == address.s_addr) {
                found = &item;
                break;
            }
            if (!loopback && found == nullptr && item.netmask.s_addr != 0
                && (item.address.s_addr & item.netmask.s_addr)
                    == (address.s_addr & item.netmask.s_addr)) {
                found = &item;
            }
        }
        if (found != nullptr) {
            add(*found);
        }
    }
    return result;
}

bool joinGroup(int fd, in_addr group, in_addr interfaceAddress)
{
    ip_mreq membership {};
    membership.imr_multiaddr = group;
    membership.imr_interface = interfaceAddress;
    return setsockopt(fd, IPPROTO_IP, IP_ADD_MEMBERSHIP, &membership, sizeof membership) == 0;
}

int openGroupSocket(uint16_t port, in_addr group, const std::vector<Ipv4Interface> &interfaces)
{
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return -1;
    }
    const int one = 1;
    // Several listeners on one host (the program, the command-line tool, a
    // simulator) each receive every multicast datagram.
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    // Bursts of a few thousand announcements must not overflow the queue.
    const int buffer = 4 * 1024 * 1024;
    setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
    setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &buffer, sizeof buffer);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    if (bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        const int error = errno;
        close(fd);
        errno = error;
        return -1;
    }
#ifdef IP_MULTICAST_ALL
    // Otherwise the socket would also hear the group on interfaces that
    // another socket of the host joined.
    const int all = 0;
    setsockopt(fd, IPPROTO_IP, IP_MULTICAST_ALL, &all, sizeof all);
#endif
    int joined = 0;
    for (const auto &item : interfaces) {
        if (joinGroup(fd, group, item.address)) {
            ++joined;
        }
    }
    const unsigned char loop = 1;
    const unsigned char ttl = 1;
    setsockopt(fd, IPPROTO_IP, IP_MULTICAST_LOOP, &loop, sizeof loop);
    setsockopt(fd, IPPROTO_IP, IP_MULTICAST_TTL, &ttl, sizeof ttl);
    if (joined == 0) {
        close(fd);
        errno = EADDRNOTAVAIL;
        return -1;
    }
    return fd;
}

int openRequestSocket()
{
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return -1;
    }
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    if (bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        const int error = errno;
        close(fd);
        errno = error;
        return -1;
    }
    const unsigned char loop = 1;
    const unsigned char ttl = 1;
    setsockopt(fd, IPPROTO_IP, IP_MULTICAST_LOOP, &loop, sizeof loop);
    setsockopt(fd, IPPROTO_IP, IP_MULTICAST_TTL, &ttl, sizeof ttl);
    return fd;
}

bool sendToGroup(int fd, in_addr group, uint16_t port, in_addr via, const Packet &packet)
{
    if (setsockopt(fd, IPPROTO_IP, IP_MULTICAST_IF, &via, sizeof via) != 0) {
        return false;
    }
    sockaddr_in target {};
    target.sin_family = AF_INET;
    target.sin_port = htons(port);
    target.sin_addr = group;
    const ssize_t sent = sendto(fd, packet.data(), packet.size(), MSG_NOSIGNAL,
        reinterpret_cast<const sockaddr *>(&target), sizeof target);
    return sent == static_cast<ssize_t>(packet.size());
}

} // namespace quarry
