// The live stream's payloads, shared by the device SDK client and the device
// simulator: the attach request, the stream header, the pieces a picture
// travels in and the picture blocks the client hands to its caller.
// docs/protocol.md ("Live stream") is the description; the byte layouts the
// caller sees are in solvane_stream.h.
#pragma once

#include "solvane_protocol.h"
#include "solvane_stream.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace solvane::stream {

inline constexpr uint32_t MaxViewers = 16; // streams one device serves at once
inline constexpr uint32_t MaxExtradata = SOLV_STREAM_MAX_EXTRADATA;
inline constexpr uint32_t MaxPicture = SOLV_STREAM_MAX_PICTURE;
inline constexpr std::size_t PiecePrefixSize = 24;
inline constexpr std::size_t MaxPieceData = proto::MaxPayload - PiecePrefixSize;
inline constexpr uint16_t MinDimension = 16;
inline constexpr uint16_t MaxDimension = 4096;
// A device that has sent nothing for this long sends a keep-alive.
inline constexpr int KeepAliveMs = 1000;

enum Codec : uint32_t {
    H264 = SOLV_CODEC_H264,
    Mpeg4 = SOLV_CODEC_MPEG4,
    Mjpeg = SOLV_CODEC_MJPEG
};

// StreamAttach payload: u32 session, the login payload, i32 channel, u32 link mode.
std::vector<uint8_t> encodeAttach(uint32_t session, std::string_view userName,
    const std::array<uint8_t, proto::ProofSize> &proof, int32_t channel, uint32_t linkMode);
struct AttachRequest
{
    uint32_t session = 0;
    proto::LoginRequest login;
    int32_t channel = 0;
    uint32_t linkMode = 0;
};
std::optional<AttachRequest> decodeAttach(const uint8_t *payload, std::size_t length);

struct StreamHeader
{
    uint32_t codec = H264;
    uint16_t width = 0;
    uint16_t height = 0;
    uint32_t rateNum = 25;
    uint32_t rateDen = 1;
    uint32_t bitrate = 0; // bits per second
    uint32_t keyInterval = 0;
    uint32_t packaging = SOLV_PACKAGING_PICTURES;
    std::vector<uint8_t> extradata;

    bool operator==(const StreamHeader &) const = default;
};
// nullopt when a field is out of range or the extradata is too long.
std::optional<std::vector<uint8_t>> encodeHeader(const StreamHeader &header);
// nullopt for anything that is not a valid header of exactly `length` bytes.
std::optional<StreamHeader> decodeHeader(const uint8_t *bytes, std::size_t length);

// What every piece of one picture repeats.
struct PictureInfo
{
    uint32_t number = 0;
    uint32_t flags = 0;
    uint64_t captureTime = 0; // microseconds since 1970 UTC
    uint32_t length = 0; // encoded bytes of the whole picture

    bool operator==(const PictureInfo &) const = default;
};

// The StreamData payloads one picture travels in, each at most MaxPayload
// bytes; empty when the picture is empty or larger than MaxPicture.
std::vector<std::vector<uint8_t>> encodePieces(
    const PictureInfo &info, const uint8_t *picture, std::size_t length);

// The 24-byte prefix of a picture block (solvane_stream.h).
void encodeBlockPrefix(const PictureInfo &info, uint8_t *out);
// nullopt unless the bytes are one whole, valid picture block.
std::optional<PictureInfo> decodeBlock(const uint8_t *bytes, std::size_t length);

// Puts a picture back together from its pieces into a picture block. Holds
// at most one picture; anything that does not continue it is malformed.
class PictureAssembler
{
public:
    enum class Result { Incomplete, Complete, Malformed };

    Result take(const uint8_t *payload, std::size_t length);
    // Between two pictures (a header may come only there).
    bool idle() const { return m_received == m_info.length; }
    // The whole block once take() said Complete.
    const uint8_t *block() const { return m_block.data(); }
    std::size_t blockSize() const { return SOLV_PICTURE_PREFIX_SIZE + m_info.length; }
    const PictureInfo &info() const { return m_info; }

private:
    PictureInfo m_info;
    uint32_t m_received = 0;
    std::vector<uint8_t> m_block;
};

} // namespace solvane::stream
