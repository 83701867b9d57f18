#include "solvane_streamwire.h"

#include "solvane_firmware.h"

#include <algorithm>
#include <cstring>

namespace solvane::stream {

using firmware::getU64;
using firmware::putU64;

namespace {

// StreamData payload prefix (docs/protocol.md, "Stream connection").
constexpr std::size_t PieceNumberOffset = 0;
constexpr std::size_t PieceFlagsOffset = 4;
constexpr std::size_t PieceTimeOffset = 8;
constexpr std::size_t PieceLengthOffset = 16;
constexpr std::size_t PieceOffsetOffset = 20;
static_assert(PieceOffsetOffset + 4 == PiecePrefixSize);

bool validHeader(const StreamHeader &header)
{
    const bool codecKnown = header.codec == H264 || header.codec == Mpeg4 || header.codec == Mjpeg;
    const auto dimensionOk
        = [](uint16_t value) { return value >= MinDimension && value <= MaxDimension; };
    return codecKnown && dimensionOk(header.width) && dimensionOk(header.height)
        && header.rateNum != 0 && header.rateDen != 0
        && (header.packaging == SOLV_PACKAGING_PICTURES
            || header.packaging == SOLV_PACKAGING_ELEMENTARY)
        && header.extradata.size() <= MaxExtradata;
}

PictureInfo decodePieceInfo(const uint8_t *payload)
{
    PictureInfo info;
    info.number = proto::getU32(payload + PieceNumberOffset);
    info.flags = proto::getU32(payload + PieceFlagsOffset);
    info.captureTime = getU64(payload + PieceTimeOffset);
    info.length = proto::getU32(payload + PieceLengthOffset);
    return info;
}

} // namespace

std::vector<uint8_t> encodeAttach(uint32_t session, std::string_view userName,
    const std::array<uint8_t, proto::ProofSize> &proof, int32_t channel, uint32_t linkMode)
{
    const auto login = proto::encodeLogin(userName, proof);
    std::vector<uint8_t> payload(4 + login.size() + 8);
    proto::putU32(payload.data(), session);
    std::memcpy(payload.data() + 4, login.data(), login.size());
    proto::putU32(payload.data() + 4 + login.size(), uint32_t(channel));
    proto::putU32(payload.data() + 8 + login.size(), linkMode);
    return payload;
}

std::optional<AttachRequest> decodeAttach(const uint8_t *payload, std::size_t length)
{
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
    request.channel = int32_t(proto::getU32(payload + 4 + loginLength));
    request.linkMode = proto::getU32(payload + 8 + loginLength);
    return request;
}

std::optional<std::vector<uint8_t>> encodeHeader(const StreamHeader &header)
{
    if (!validHeader(header)) {
        return std::nullopt;
    }
    std::vector<uint8_t> out(SOLV_STREAM_HEADER_SIZE + header.extradata.size());
    uint8_t *bytes = out.data();
    proto::putU32(bytes + SOLV_STREAM_OFFSET_MAGIC, SOLV_STREAM_HEADER_MAGIC);
    proto::putU16(bytes + SOLV_STREAM_OFFSET_VERSION, SOLV_STREAM_HEADER_VERSION);
    proto::putU16(bytes + SOLV_STREAM_OFFSET_HEADER_SIZE, SOLV_STREAM_HEADER_SIZE);
    proto::putU32(bytes + SOLV_STREAM_OFFSET_CODEC, header.codec);
    proto::putU16(bytes + SOLV_STREAM_OFFSET_WIDTH, header.width);
    proto::putU16(bytes + SOLV_STREAM_OFFSET_HEIGHT, header.height);
    proto::putU32(bytes + SOLV_STREAM_OFFSET_RATE_NUM, header.rateNum);
    proto::putU32(bytes + SOLV_STREAM_OFFSET_RATE_DEN, header.rateDen);
    proto::putU32(bytes + SOLV_STREAM_OFFSET_BITRATE, header.bitrate);
    proto::putU32(bytes + SOLV_STREAM_OFFSET_KEY_INTERVAL, header.keyInterval);
    proto::putU32(bytes + SOLV_STREAM_OFFSET_PACKAGING, header.packaging);
    proto::putU32(bytes + SOLV_STREAM_OFFSET_EXTRADATA_SIZE, uint32_t(header.extradata.size()));
    std::copy(header.extradata.begin(), header.extradata.end(), bytes + SOLV_STREAM_HEADER_SIZE);
    return out;
}

std::optional<StreamHeader> decodeHeader(const uint8_t *bytes, std::size_t length)
{
    if (length < SOLV_STREAM_HEADER_SIZE
        || proto::getU32(bytes + SOLV_STREAM_OFFSET_MAGIC) != SOLV_STREAM_HEADER_MAGIC
        || proto::getU16(bytes + SOLV_STREAM_OFFSET_VERSION) != SOLV_STREAM_HEADER_VERSION
        || proto::getU16(bytes + SOLV_STREAM_OFFSET_HEADER_SIZE) != SOLV_STREAM_HEADER_SIZE) {
        return std::nullopt;
    }
    const uint32_t extradataSize = proto::getU32(bytes + SOLV_STREAM_OFFSET_EXTRADATA_SIZE);
    if (extradataSize > MaxExtradata || length != SOLV_STREAM_HEADER_SIZE + extradataSize) {
        return std::nullopt;
    }
    StreamHeader header;
    header.codec = proto::getU32(bytes + SOLV_STREAM_OFFSET_CODEC);
    header.width = proto::getU16(bytes + SOLV_STREAM_OFFSET_WIDTH);
    header.height = proto::getU16(bytes + SOLV_STREAM_OFFSET_HEIGHT);
    header.rateNum = proto::getU32(bytes + SOLV_STREAM_OFFSET_RATE_NUM);
    header.rateDen = proto::getU32(bytes + SOLV_STREAM_OFFSET_RATE_DEN);
    header.bitrate = proto::getU32(bytes + SOLV_STREAM_OFFSET_BITRATE);
    header.keyInterval = proto::getU32(bytes + SOLV_STREAM_OFFSET_KEY_INTERVAL);
    header.packaging = proto::getU32(bytes + SOLV_STREAM_OFFSET_PACKAGING);
    header.extradata.assign(bytes + SOLV_STREAM_HEADER_SIZE, bytes + length);
    if (!validHeader(header)) {
        return std::nullopt;
    }
    return header;
}

std::vector<std::vector<uint8_t>> encodePieces(
    const PictureInfo &info, const uint8_t *picture, std::size_t length)
{
    std::vector<std::vector<uint8_t>> pieces;
    if (length == 0 || length > MaxPicture) {
        return pieces;
    }
    for (std::size_t offset = 0; offset < length; offset += MaxPieceData) {
        const std::size_t size = std::min(MaxPieceData, length - offset);
        std::vector<uint8_t> piece(PiecePrefixSize + size);
        proto::putU32(piece.data() + PieceNumberOffset, info.number);
        proto::putU32(piece.data() + PieceFlagsOffset, info.flags);
        putU64(piece.data() + PieceTimeOffset, info.captureTime);
        proto::putU32(piece.data() + PieceLengthOffset, uint32_t(length));
        proto::putU32(piece.data() + PieceOffsetOffset, uint32_t(offset));
        std::memcpy(piece.data() + PiecePrefixSize, picture + offset, size);
        pieces.push_back(std::move(piece));
    }
    return pieces;
}

void encodeBlockPrefix(const PictureInfo &info, uint8_t *out)
{
    proto::putU32(out + SOLV_PICTURE_OFFSET_MAGIC, SOLV_PICTURE_MAGIC);
    proto::putU32(out + SOLV_PICTURE_OFFSET_LENGTH, info.length);
    putU64(out + SOLV_PICTURE_OFFSET_CAPTURE_TIME, info.captureTime);
    proto::putU32(out + SOLV_PICTURE_OFFSET_NUMBER, info.number);
    proto::putU32(out + SOLV_PICTURE_OFFSET_FLAGS, info.flags);
}

std::optional<PictureInfo> decodeBlock(const uint8_t *bytes, std::size_t length)
{
    if (length < SOLV_PICTURE_PREFIX_SIZE
        || proto::getU32(bytes + SOLV_PICTURE_OFFSET_MAGIC) != SOLV_PICTURE_MAGIC) {
        return std::nullopt;
    }
    PictureInfo info;
    info.length = proto::getU32(bytes + SOLV_PICTURE_OFFSET_LENGTH);
    info.captureTime = getU64(bytes + SOLV_PICTURE_OFFSET_CAPTURE_TIME);
    info.number = proto::getU32(bytes + SOLV_PICTURE_OFFSET_NUMBER);
    info.flags = proto::getU32(bytes + SOLV_PICTURE_OFFSET_FLAGS);
    if (info.length == 0 || info.length > MaxPicture
        || length != SOLV_PICTURE_PREFIX_SIZE + info.length) {
        return std::nullopt;
    }
    return info;
}

PictureAssembler::Result PictureAssembler::take(const uint8_t *payload, std::size_t length)
{
    if (length <= PiecePrefixSize) {
        return Result::Malformed;
    }
    const PictureInfo info = decodePieceInfo(payload);
    const uint32_t offset = proto::getU32(payload + PieceOffsetOffset);
    const std::size_t size = length - PiecePrefixSize;
    if (idle()) {
        // A new picture: it must start at 0 and be of a size the client holds.
        if (offset != 0 || info.length == 0 || info.length > MaxPicture) {
            return Result::Malformed;
        }
        m_info = info;
        m_received = 0;
        m_block.resize(SOLV_PICTURE_PREFIX_SIZE + info.length);
        encodeBlockPrefix(info, m_block.data());
    } else if (!(info == m_info) || offset != m_received) {
        return Result::Malformed;
    }
    if (size > m_info.length - m_received) {
        return Result::Malformed;
    }
    std::memcpy(
        m_block.data() + SOLV_PICTURE_PREFIX_SIZE + m_received, payload + PiecePrefixSize, size);
    m_received += uint32_t(size);
    return idle() ? Result::Complete : Result::Incomplete;
}

} // namespace solvane::stream
