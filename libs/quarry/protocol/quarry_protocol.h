/*
 * The discovery protocol's packets, shared by libquarry and the device
 * simulator. Plain C++ and POSIX, no Qt. docs/protocol.md describes the
 * bytes; this header is the one place that encodes and decodes them.
 */
#pragma once

#include <netinet/in.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quarry {

inline constexpr uint16_t kDefaultPort = 37020;
inline constexpr const char *kDefaultGroup = "239.255.73.1";
inline constexpr uint8_t kProtocolVersion = 1;
inline constexpr size_t kHeaderSize = 8;
// Every packet fits in one unfragmented datagram.
inline constexpr size_t kMaxPacketSize = 1400;
inline constexpr size_t kMaxTextLength = 255;
inline constexpr uint32_t kDefaultAnnouncePeriodMs = 2000;
// A device that misses this many announcement periods in a row is gone.
inline constexpr int kSilentPeriods = 3;
// Bounds on the period a device may claim, so that a broken device can
// neither make clients expire it at once nor keep it listed for ever.
inline constexpr uint32_t kMinAnnouncePeriodMs = 50;
inline constexpr uint32_t kMaxAnnouncePeriodMs = 60000;

enum class PacketType : uint8_t {
    Inquiry = 1,
    Announce = 2,
    Goodbye = 3,
    ReaddressRequest = 4,
    ReaddressReply = 5,
    ChallengeRequest = 6,
    Challenge = 7,
};

using Mac = std::array<uint8_t, 6>;
using Nonce = std::array<uint8_t, 16>;
using Proof = std::array<uint8_t, 32>;

// How long a device's re-address challenge may be used, in device time, and
// how many a device keeps open at once (the oldest makes room).
inline constexpr int kChallengeLifetimeMs = 5000;
inline constexpr int kMaxOpenChallenges = 16;

// What a device says about itself. An absent text is std::nullopt.
struct Announcement
{
    std::optional<std::string> serialNo;
    std::optional<std::string> mac;
    std::optional<std::string> ipAddress;
    std::optional<std::string> subnetMask;
    std::optional<std::string> softwareVersion;
    std::optional<std::string> dspVersion;
    std::optional<std::string> startTime;
    uint32_t deviceType = 0;
    uint16_t port = 0;
    uint32_t channelCount = 0;
    uint32_t diskCount = 0;
    uint32_t periodMs = kDefaultAnnouncePeriodMs;

    bool operator==(const Announcement &) const = default;
};

struct Inquiry
{
    uint32_t id = 0;
};

// A client asks the device with `mac` for a challenge; `ticket`, random per
// re-address, tells its answer from others.
struct ChallengeRequest
{
    Mac mac {};
    Nonce ticket {};
};

// The device's answer: a fresh nonce the re-address request must prove.
struct Challenge
{
    Mac mac {};
    Nonce ticket {};
    Nonce nonce {};
};

// Addresses and mask in network byte order, as inet_pton writes them. The
// nonce is the one of a challenge the device issued.
struct ReaddressRequest
{
    Mac mac {};
    std::array<uint8_t, 4> ipAddress {};
    std::array<uint8_t, 4> subnetMask {};
    uint16_t port = 0;
    Nonce nonce {};
    Proof proof {};
};

enum class ReaddressStatus : uint8_t {
    Done = 0,
    WrongProof = 1,
    // Proof accepted, but the device could not take the new address.
    Refused = 2,
    // The nonce is none the device issued, or it was used or has expired.
    StaleChallenge = 3,
};

struct ReaddressReply
{
    Mac mac {};
    Nonce nonce {};
    ReaddressStatus status = ReaddressStatus::Refused;
};

using Packet = std::vector<uint8_t>;

Packet encodeInquiry(const Inquiry &inquiry);
// type is PacketType::Announce or PacketType::Goodbye; texts longer than
// kMaxTextLength are cut.
Packet encodeAnnouncement(const Announcement &announcement, PacketType type = PacketType::Announce);
Packet encodeChallengeRequest(const ChallengeRequest &request);
Packet encodeChallenge(const Challenge &challenge);
Packet encodeReaddressRequest(const ReaddressRequest &request);
Packet encodeReaddressReply(const ReaddressReply &reply);

// The type of a well-formed header, or nullopt for anything else (wrong
// magic, unknown version or type, too short or too long).
std::optional<PacketType> packetType(const uint8_t *data, size_t size);
// Each decoder rejects a packet of another type, a truncated or over-long
// body and a text that holds a zero byte.
std::optional<Inquiry> decodeInquiry(const uint8_t *data, size_t size);
std::optional<Announcement> decodeAnnouncement(const uint8_t *data, size_t size);
std::optional<ChallengeRequest> decodeChallengeRequest(const uint8_t *data, size_t size);
std::optional<Challenge> decodeChallenge(const uint8_t *data, size_t size);
std::optional<ReaddressRequest> decodeReaddressRequest(const uint8_t *data, size_t size);
std::optional<ReaddressReply> decodeReaddressReply(const uint8_t *data, size_t size);

// HMAC-SHA256 keyed by the password over nonce || mac || address || mask ||
// port (little-endian), the bytes of the request in that order.
Proof readdressProof(const std::string &password, const ReaddressRequest &request);
// Constant-time comparison of the request's proof with the expected one.
bool proofMatches(const std::string &password, const ReaddressRequest &request);
// Fills `out` from a cryptographic random source; false when none works.
bool randomBytes(uint8_t *out, size_t size);

// "aa:bb:cc:dd:ee:ff" or "AA-BB-...", nothing else.
std::optional<Mac> parseMac(const char *text);
// Lower case with colons.
std::string formatMac(const Mac &mac);
// A subnet mask: its ones are contiguous from the top (0.0.0.0 and
// 255.255.255.255 excluded).
bool isValidSubnetMask(const std::array<uint8_t, 4> &mask);

// Where this process's discovery traffic goes: TERVIX_DISCOVERY_PORT and
// TERVIX_DISCOVERY_GROUP override the defaults; an unusable value falls back
// to the default.
uint16_t discoveryPort();
in_addr discoveryGroup();

struct Ipv4Interface
{
    std::string name;
    in_addr address {};
    in_addr netmask {};
    bool loopback = false;
};
// Every up IPv4 interface address, loopback included (127.0.0.1 is always
// in the list, even where the system does not report it).
std::vector<Ipv4Interface> ipv4Interfaces();

struct InterfaceSelection
{
    std::vector<Ipv4Interface> interfaces;
    // Entries of the setting that named none of the interfaces.
    std::vector<std::string> unmatched;
};
// The interfaces a setting allows: a list of interface names ("lo") or IPv4
// addresses ("127.0.0.1"), separated by commas or white space. A null or
// empty setting allows all of them; an entry that matches nothing allows
// nothing (so a mistyped name sends nowhere rather than everywhere).
InterfaceSelection selectInterfaces(
    const std::vector<Ipv4Interface> &available, const char *setting);
// The interfaces a client's discovery traffic may use: ipv4Interfaces()
// restricted by TERVIX_DISCOVERY_INTERFACES.
InterfaceSelection discoveryInterfaces();
// The interfaces that hold the given addresses (loopback for 127.0.0.0/8, else
// the interface whose subnet holds the address), each once; addresses on no
// interface are left out.
std::vector<Ipv4Interface> interfacesFor(
    const std::vector<in_addr> &addresses, const std::vector<Ipv4Interface> &available);

// A UDP socket bound to the port on every address, member of the group on
// each of the interfaces (and hearing the group on those alone), with its own
// multicast looped back (so a client and devices on one host hear each
// other). -1 with errno set on failure, also when no membership could be made.
int openGroupSocket(uint16_t port, in_addr group, const std::vector<Ipv4Interface> &interfaces);
// Adds the membership of the group on one more interface to a group socket.
bool joinGroup(int fd, in_addr group, in_addr interfaceAddress);
// A UDP socket on an ephemeral port that can send to the group and receive
// unicast answers. -1 on failure.
int openRequestSocket();
// Sends one datagram to group:port out of the interface with address `via`.
bool sendToGroup(int fd, in_addr group, uint16_t port, in_addr via, const Packet &packet);

} // namespace quarry
