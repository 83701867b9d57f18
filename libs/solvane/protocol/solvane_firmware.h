// Firmware image format and the upload connection's payloads, shared by the
// device SDK client and the device simulator. docs/protocol.md ("Firmware
// upload") is the description.
#pragma once

#include "solvane_protocol.h"

#include <openssl/evp.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace solvane::firmware {

// The elements of the device ability text an image names as its target, in
// the order of the header and of the file name.
inline constexpr std::array<const char *, 6> DescriptionElements
    = { "PlatForm", "FlashSize", "MemorySize", "MajorType", "MinorType", "Language" };
inline constexpr std::size_t DescriptionCount = DescriptionElements.size();
inline constexpr std::size_t LanguageIndex = 5;
using Description = std::array<std::string, DescriptionCount>;

inline constexpr std::size_t HeaderSize = 256;
inline constexpr std::size_t TextSize = 32; // zero-padded; a text holds 1 to 31 bytes
inline constexpr std::size_t DigestSize = 32;
inline constexpr uint16_t FormatVersion = 1;
inline constexpr uint64_t MaxBody = uint64_t(1) << 30;
inline constexpr uint64_t MaxImage = MaxBody + HeaderSize;
inline constexpr const char *FileNamePrefix = "Travok.dav";

// The upload connection: how many UpgradeData requests may be unanswered.
inline constexpr uint32_t MaxUnanswered = 8;
inline constexpr std::size_t StateSize = 8; // u32 state, u32 percent

enum State : uint32_t {
    Succeeded = 1,
    Running = 2,
    Failed = 3,
    Unknown = 4, // the client's word for a lost connection; never on the wire
    LanguageMismatch = 5,
};

struct ImageHeader
{
    Description description;
    uint32_t softwareVersion = 0; // as the device record holds it
    uint32_t buildDate = 0; // as the device record holds it
    uint64_t bodyLength = 0;
    std::array<uint8_t, DigestSize> digest {};
};

void putU64(uint8_t *out, uint64_t value);
uint64_t getU64(const uint8_t *in);

// A description text the header can carry.
bool validText(std::string_view text);
// The header's 256 bytes; the texts must be valid (else nullopt).
std::optional<std::array<uint8_t, HeaderSize>> encodeImageHeader(const ImageHeader &header);
// nullopt for anything that is not an image header (docs/protocol.md).
std::optional<ImageHeader> decodeImageHeader(const uint8_t *bytes);

// "Travok.dav" followed by the six texts.
std::string imageFileName(const Description &description);

// Incremental SHA-256 of a body.
class Sha256
{
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256 &) = delete;
    Sha256 &operator=(const Sha256 &) = delete;
    void update(const uint8_t *data, std::size_t length);
    std::array<uint8_t, DigestSize> finish();

private:
    EVP_MD_CTX *m_context;
};

// UpgradeAttach payload: u32 session, the login payload, u64 image size.
std::vector<uint8_t> encodeAttach(uint32_t session, std::string_view userName,
    const std::array<uint8_t, proto::ProofSize> &proof, uint64_t imageSize);
struct AttachRequest
{
    uint32_t session = 0;
    proto::LoginRequest login;
    uint64_t imageSize = 0;
};
std::optional<AttachRequest> decodeAttach(const uint8_t *payload, std::size_t length);

// Upload state payload of UpgradeData and UpgradeState answers.
std::array<uint8_t, StateSize> encodeState(uint32_t state, uint32_t percent);
struct Progress
{
    uint32_t state = Running;
    uint32_t percent = 0;
};
// nullopt unless the size is right, the state one a device sends and the percent at most 100.
std::optional<Progress> decodeState(const uint8_t *payload, std::size_t length);

} // namespace solvane::firmware
