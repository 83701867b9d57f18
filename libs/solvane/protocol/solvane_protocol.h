// Wire protocol shared by the device SDK client (libs/solvane) and the device
// simulator (devsim). docs/protocol.md is the description; this file is the
// one implementation of framing and of the login proof.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace solvane::proto {

// "SLVN" on the wire (little-endian u32).
inline constexpr uint32_t Magic = 0x4E564C53u;
inline constexpr uint8_t Version = 1;
inline constexpr std::size_t HeaderSize = 20;
// Largest payload a peer accepts; anything longer drops the connection.
inline constexpr uint32_t MaxPayload = 65536;
// Largest ability text: it and its terminating zero fit the largest buffer
// the program's reader tries (it doubles up to 32768 bytes from 2048).
inline constexpr uint32_t MaxText = 32767;
inline constexpr std::size_t NonceSize = 32;
inline constexpr std::size_t ProofSize = 32;
inline constexpr std::size_t MaxUserName = 32;
inline constexpr std::size_t MaxPassword = 32;
inline constexpr uint32_t MaxAbilityQuery = 4096;
inline constexpr uint32_t MaxPtzProtocols = 200;
inline constexpr std::size_t PtzNameSize = 16;
inline constexpr std::size_t PtzEntrySize = 4 + PtzNameSize;

inline constexpr uint8_t FlagReply = 0x01;

enum Command : uint16_t {
    Challenge = 0x0001, // device -> client, first frame of every connection
    Login = 0x0002,
    Logout = 0x0003,
    KeepAlive = 0x0004,
    GetConfig = 0x0010,
    SetConfig = 0x0011,
    Reboot = 0x0020,
    Restore = 0x0021,
    GetAbility = 0x0030,
    GetPtzProtocols = 0x0031,
    // Firmware upload, on a connection of its own (solvane_firmware.h).
    UpgradeAttach = 0x0040,
    UpgradeData = 0x0041,
    UpgradeState = 0x0042,
    // Live stream, on a connection of its own (solvane_streamwire.h).
    StreamAttach = 0x0050,
    StreamData = 0x0051, // device -> client
    StreamHeader = 0x0052, // device -> client
};

// Status codes carried in replies; the same numbers the client reports
// through SOLV_GetLastError().
enum Status : uint32_t {
    Ok = 0,
    WrongPassword = 1,
    NotSupported = 23,
    BufferTooSmall = 43,
    NotLoggedIn = 60,
    ParameterError = 61,
    ConnectFailed = 62,
    SendFailed = 63,
    ReceiveFailed = 64,
    Timeout = 65,
    MalformedData = 66,
    TooManySessions = 67,
    Refused = 68,
    DeviceBusy = 69,
    VersionMismatch = 70,
    NoFreeHandle = 71,
    FileError = 72,
};

struct Header
{
    uint8_t version = Version;
    uint8_t flags = 0;
    uint16_t command = 0;
    uint32_t sequence = 0;
    uint32_t status = Ok;
    uint32_t length = 0;
};

enum class HeaderCheck { Ok, BadMagic, BadVersion, TooLong };

void putU16(uint8_t *out, uint16_t value);
void putU32(uint8_t *out, uint32_t value);
uint16_t getU16(const uint8_t *in);
uint32_t getU32(const uint8_t *in);

void encodeHeader(const Header &header, uint8_t *out);
// Decodes without judging; check() says whether a peer may go on reading.
Header decodeHeader(const uint8_t *in, uint32_t *magic);
HeaderCheck checkHeader(uint32_t magic, const Header &header);

// A whole frame: header followed by the payload.
std::vector<uint8_t> encodeFrame(const Header &header, const uint8_t *payload, std::size_t length);

// HMAC-SHA256 keyed by the password over nonce || user name.
std::array<uint8_t, ProofSize> loginProof(
    std::string_view password, const uint8_t *nonce, std::string_view userName);
// Compares without an early exit, so the time taken tells nothing.
bool proofsEqual(const uint8_t *a, const uint8_t *b);
// Cryptographically random bytes; false if the generator failed.
bool randomBytes(uint8_t *out, std::size_t length);

// Login request payload: u8 name length, name, proof.
std::vector<uint8_t> encodeLogin(
    std::string_view userName, const std::array<uint8_t, ProofSize> &proof);
struct LoginRequest
{
    std::string_view userName;
    const uint8_t *proof = nullptr;
};
std::optional<LoginRequest> decodeLogin(const uint8_t *payload, std::size_t length);

} // namespace solvane::proto
