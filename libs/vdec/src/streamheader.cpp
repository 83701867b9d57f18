#include "vdec.h"

#include "solvane_stream.h"

#include <algorithm>

namespace vdec {

namespace {

uint32_t readLe(const uint8_t *data, size_t offset, int width)
{
    uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i) {
        value = (value << 8) | data[offset + size_t(i)];
    }
    return value;
}

void writeLe(std::vector<uint8_t> &bytes, size_t offset, int width, uint32_t value)
{
    for (int i = 0; i < width; ++i) {
        bytes[offset + size_t(i)] = uint8_t(value >> (8 * i));
    }
}

constexpr uint32_t MinSide = 16;
constexpr uint32_t MaxSide = 4096;

} // namespace

bool parseStreamHeader(const uint8_t *data, size_t size, StreamHeader *header)
{
    if (data == nullptr || size < SOLV_STREAM_HEADER_SIZE
        || readLe(data, SOLV_STREAM_OFFSET_MAGIC, 4) != SOLV_STREAM_HEADER_MAGIC
        || readLe(data, SOLV_STREAM_OFFSET_VERSION, 2) != SOLV_STREAM_HEADER_VERSION) {
        return false;
    }
    const uint32_t fixedSize = readLe(data, SOLV_STREAM_OFFSET_HEADER_SIZE, 2);
    const uint32_t codec = readLe(data, SOLV_STREAM_OFFSET_CODEC, 4);
    const uint32_t width = readLe(data, SOLV_STREAM_OFFSET_WIDTH, 2);
    const uint32_t height = readLe(data, SOLV_STREAM_OFFSET_HEIGHT, 2);
    const uint32_t rateNum = readLe(data, SOLV_STREAM_OFFSET_RATE_NUM, 4);
    const uint32_t rateDen = readLe(data, SOLV_STREAM_OFFSET_RATE_DEN, 4);
    const uint32_t packaging = readLe(data, SOLV_STREAM_OFFSET_PACKAGING, 4);
    const uint32_t extraSize = readLe(data, SOLV_STREAM_OFFSET_EXTRADATA_SIZE, 4);
    // A later version may grow the fixed part; the extradata follows it.
    if (fixedSize < SOLV_STREAM_HEADER_SIZE || extraSize > SOLV_STREAM_MAX_EXTRADATA
        || size_t(fixedSize) + extraSize > size) {
        return false;
    }
    if (codec < SOLV_CODEC_H264 || codec > SOLV_CODEC_MJPEG || width < MinSide || width > MaxSide
        || height < MinSide || height > MaxSide || rateNum == 0 || rateDen == 0
        || (packaging != SOLV_PACKAGING_PICTURES && packaging != SOLV_PACKAGING_ELEMENTARY)) {
        return false;
    }
    header->codec = Codec(codec);
    header->width = int(width);
    header->height = int(height);
    header->rateNum = rateNum;
    header->rateDen = rateDen;
    header->bitrate = readLe(data, SOLV_STREAM_OFFSET_BITRATE, 4);
    header->keyInterval = readLe(data, SOLV_STREAM_OFFSET_KEY_INTERVAL, 4);
    header->packaging = Packaging(packaging);
    header->extradata.assign(data + fixedSize, data + fixedSize + extraSize);
    return true;
}

std::vector<uint8_t> makeStreamHeader(const StreamHeader &header)
{
    std::vector<uint8_t> bytes(SOLV_STREAM_HEADER_SIZE + header.extradata.size());
    writeLe(bytes, SOLV_STREAM_OFFSET_MAGIC, 4, SOLV_STREAM_HEADER_MAGIC);
    writeLe(bytes, SOLV_STREAM_OFFSET_VERSION, 2, SOLV_STREAM_HEADER_VERSION);
    writeLe(bytes, SOLV_STREAM_OFFSET_HEADER_SIZE, 2, SOLV_STREAM_HEADER_SIZE);
    writeLe(bytes, SOLV_STREAM_OFFSET_CODEC, 4, uint32_t(header.codec));
    writeLe(bytes, SOLV_STREAM_OFFSET_WIDTH, 2, uint32_t(header.width));
    writeLe(bytes, SOLV_STREAM_OFFSET_HEIGHT, 2, uint32_t(header.height));
    writeLe(bytes, SOLV_STREAM_OFFSET_RATE_NUM, 4, header.rateNum);
    writeLe(bytes, SOLV_STREAM_OFFSET_RATE_DEN, 4, header.rateDen);
    writeLe(bytes, SOLV_STREAM_OFFSET_BITRATE, 4, header.bitrate);
    writeLe(bytes, SOLV_STREAM_OFFSET_KEY_INTERVAL, 4, header.keyInterval);
    writeLe(bytes, SOLV_STREAM_OFFSET_PACKAGING, 4, uint32_t(header.packaging));
    writeLe(bytes, SOLV_STREAM_OFFSET_EXTRADATA_SIZE, 4, uint32_t(header.extradata.size()));
    std::copy(
        header.extradata.begin(), header.extradata.end(), bytes.begin() + SOLV_STREAM_HEADER_SIZE);
    return bytes;
}

size_t pictureSize(int width, int height)
{
    const size_t chromaWidth = size_t(width + 1) / 2;
    const size_t chromaHeight = size_t(height + 1) / 2;
    return size_t(width) * size_t(height) + 2 * chromaWidth * chromaHeight;
}

} // namespace vdec
