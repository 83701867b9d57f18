#include "solvane_firmware.h"

#include <algorithm>
#include <cstring>

namespace solvane::firmware {

namespace {

constexpr uint8_t Magic[4] = { 'T', 'V', 'F', 'W' };
// Header layout (docs/protocol.md, "Firmware image").
constexpr std::size_t VersionOffset = 4;
constexpr std::size_t HeaderSizeOffset = 6;
constexpr std::size_t TextsOffset = 8;
constexpr std::size_t SoftwareVersionOffset = TextsOffset + DescriptionCount * TextSize;
constexpr std::size_t BuildDateOffset = SoftwareVersionOffset + 4;
constexpr std::size_t BodyLengthOffset = BuildDateOffset + 4;
constexpr std::size_t DigestOffset = BodyLengthOffset + 8;
constexpr std::size_t ReservedOffset = DigestOffset + DigestSize;
static_assert(ReservedOffset + 8 == HeaderSize);

} // namespace

void putU64(uint8_t *out, uint64_t value)
{
    proto::putU32(out, uint32_t(value));
    proto::putU32(out + 4, uint32_t(value >> 32));
}

uint64_t getU64(const uint8_t *in)
{
    return uint64_t(proto::getU32(in)) | (uint64_t(proto::getU32(in + 4)) << 32);
}

bool validText(std::string_view text)
{
    return !text.empty() && text.size() < TextSize && text.find('\0') == std::string_view::npos;
}

std::optional<std::array<uint8_t, HeaderSize>> encodeImageHeader(const ImageHeader &header)
{
    std::array<uint8_t, HeaderSize> out {};
    std::memcpy(out.data(), Magic, sizeof Magic);
    proto::putU16(out.data() + VersionOffset, FormatVersion);
    proto::putU16(out.data() + HeaderSizeOffset, uint16_t(HeaderSize));
    for (std::size_t i = 0; i < DescriptionCount; ++i) {
        const std::string &text = header.description[i];
        if (!validText(text)) {
            return std::nullopt;
        }
        std::memcpy(out.data() + TextsOffset + i * TextSize, text.data(), text.size());
    }
    proto::putU32(out.data() + SoftwareVersionOffset, header.softwareVersion);
    proto::putU32(out.data() + BuildDateOffset, header.buildDate);
    putU64(out.data() + BodyLengthOffset, header.bodyLength);
    std::memcpy(out.data() + DigestOffset, header.digest.data(), DigestSize);
    return out;
}

std::optional<ImageHeader> decodeImageHeader(const uint8_t *bytes)
{
    if (std::memcmp(bytes, Magic, sizeof Magic) != 0
        || proto::getU16(bytes + VersionOffset) != FormatVersion
        || proto::getU16(bytes + HeaderSizeOffset) != HeaderSize) {
        return std::nullopt;
    }
    ImageHeader header;
    for (std::size_t i = 0; i < DescriptionCount; ++i) {
        const uint8_t *field = bytes + TextsOffset + i * TextSize;
        const auto *end = std::find(field, field + TextSize, uint8_t(0));
        // The padding must be all zeros, so one image has one encoding.
        if (end == field || end == field + TextSize
            || std::any_of(end, field + TextSize, [](uint8_t b) { return b != 0; })) {
            return std::nullopt;
        }
        header.description[i].assign(
            reinterpret_cast<const char *>(field), std::size_t(end - field));
    }
    header.softwareVersion = proto::getU32(bytes + SoftwareVersionOffset);
    header.buildDate = proto::getU32(bytes + BuildDateOffset);
    header.bodyLength = getU64(bytes + BodyLengthOffset);
    if (header.bodyLength == 0 || header.bodyLength > MaxBody) {
        return std::nullopt;
    }
    std::memcpy(header.digest.data(), bytes + DigestOffset, DigestSize);
    if (std::any_of(bytes + ReservedOffset, bytes + HeaderSize, [](uint8_t b) { return b != 0; })) {
        return std::nullopt;
    }
    return header;
}

std::string imageFileName(const Description &description)
{
    std::string name = FileNamePrefix;
    for (const std::string &text : description) {
        name += text;
    }
    return name;
}

Sha256::Sha256() : m_context(EVP_MD_CTX_new())
{
    EVP_DigestInit_ex(m_context, EVP_sha256(), nullptr);
}

Sha256::~Sha256()
{
    EVP_MD_CTX_free(m_context);
}

void Sha256::update(const uint8_t *data, std::size_t length)
{
    EVP_DigestUpdate(m_context, data, length);
}

std::array<uint8_t, DigestSize> Sha256::finish()
{
    std::array<uint8_t, DigestSize> digest {};
    unsigned int length = 0;
    EVP_DigestFinal_ex(m_context, digest.data(), &length);
    return digest;
}

std::vector<uint8_t> encodeAttach(uint32_t session, std::string_view userName,
    const std::array<uint8_t, proto::ProofSize> &proof, uint64_t imageSize)
{
    const auto login = proto::encodeLogin(userName, proof);
    std::vector<uint8_t> payload(4 + login.size() + 8);
    proto::putU32(payload.data(), session);
    std::memcpy(payload.data() + 4, login.data(), login.size());
    putU64(payload.data() + 4 + login.size(), imageSize);
    return payload;
}

std::optional<AttachRequest> decodeAttach(const uint8_t *payload, std::size_t length)
{
    // The login part is self-delimiting by its name length.
    if (length < 4 + 1 + 8) {
        return std::nullopt;
    }
    const std::size_t loginLength = length - 4 - 8;
    const auto login = proto::decodeLogin(payload + 4, loginLength);
    if (!login) {
        return std::nullopt;
    }
    AttachRequest request;
    request.session = proto::getU32(payload);
    request.login = *login;
    request.imageSize = getU64(payload + 4 + loginLength);
    return request;
}

std::array<uint8_t, StateSize> encodeState(uint32_t state, uint32_t percent)
{
    std::array<uint8_t, StateSize> out {};
    proto::putU32(out.data(), state);
    proto::putU32(out.data() + 4, percent);
    return out;
}

std::optional<Progress> decodeState(const uint8_t *payload, std::size_t length)
{
    if (length != StateSize) {
        return std::nullopt;
    }
    Progress progress { proto::getU32(payload), proto::getU32(payload + 4) };
    const bool known = progress.state == Succeeded || progress.state == Running
        || progress.state == Failed || progress.state == LanguageMismatch;
    if (!known || progress.percent > 100) {
        return std::nullopt;
    }
    return progress;
}

} // namespace solvane::firmware
