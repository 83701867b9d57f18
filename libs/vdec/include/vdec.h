// vdec: the video decoder core that the stream player (libs/strix) and the
// virtual decoder card share. A stream starts with the stream header of
// solvane_stream.h; its data is either picture blocks (what the device SDK
// hands over) or a plain elementary stream cut anywhere (what a file holds).
// Decoding runs on a thread of its own behind a bounded input buffer: input
// that does not fit is refused, never queued without bound.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

struct SwsContext;

namespace vdec {

enum class Codec : uint32_t { H264 = 1, Mpeg4 = 2, Mjpeg = 3 };
enum class Packaging : uint32_t { Pictures = 0, Elementary = 1 };

struct StreamHeader
{
    Codec codec = Codec::H264;
    int width = 0;
    int height = 0;
    uint32_t rateNum = 25;
    uint32_t rateDen = 1;
    uint32_t bitrate = 0;
    uint32_t keyInterval = 0;
    Packaging packaging = Packaging::Pictures;
    std::vector<uint8_t> extradata; // what the decoder needs before the first picture
};

// False for a header that does not add up (magic, version, sizes, codec).
bool parseStreamHeader(const uint8_t *data, size_t size, StreamHeader *header);
// The header's bytes, for streams that do not come from a device (files, tests).
std::vector<uint8_t> makeStreamHeader(const StreamHeader &header);

// Bytes of a planar YUV 4:2:0 picture: the luminance plane of width x height
// bytes, then the two chroma planes of ceil(width/2) x ceil(height/2) each.
size_t pictureSize(int width, int height);

// One decoded picture, valid during the call it is handed to.
struct Picture
{
    const uint8_t *data = nullptr; // planar YUV 4:2:0, limited range, rows top to bottom
    size_t size = 0;
    int width = 0;
    int height = 0;
    // Picture blocks: the camera's capture time, microseconds since
    // 1970-01-01 UTC. Elementary streams: the picture's place in the stream
    // in microseconds from the frame rate.
    int64_t captureTime = 0;
    uint32_t number = 0; // pictures decoded before this one
};

class StreamDecoder
{
public:
    // Called on the decoder's thread, one picture at a time.
    using PictureSink = std::function<void(const Picture &)>;

    // Opens a decoder for the stream `header` describes, with an input buffer
    // of `bufferBytes`, and starts its thread. Null when the header does not
    // add up or the codec cannot be opened.
    static std::unique_ptr<StreamDecoder> open(
        const uint8_t *header, size_t headerSize, size_t bufferBytes, PictureSink sink);

    // Stops the thread; once it returns the sink is never called again.
    ~StreamDecoder();
    StreamDecoder(const StreamDecoder &) = delete;
    StreamDecoder &operator=(const StreamDecoder &) = delete;

    // Takes all of `data`, or nothing (false) when it does not fit beside
    // what the buffer holds.
    bool input(const uint8_t *data, size_t size);
    // The stream has ended: decode what the buffer and the decoder still
    // hold. Later input is refused.
    void endOfStream();
    // Blocks until every byte taken so far is decoded (and, after
    // endOfStream, every picture handed out).
    void waitIdle();

    // Pictures decoded in the last second.
    unsigned frameRate() const;
    const StreamHeader &header() const;

    struct Private;

private:
    explicit StreamDecoder(std::unique_ptr<Private> d);
    std::unique_ptr<Private> d;
};

// Picture to 32-bit RGB (0xffRRGGBB in native byte order, as a Qt RGB32
// image) of any size, for the screen. Keeps its scaler between calls of the
// same sizes; one object per thread.
class RgbConverter
{
public:
    RgbConverter();
    ~RgbConverter();
    RgbConverter(const RgbConverter &) = delete;
    RgbConverter &operator=(const RgbConverter &) = delete;

    bool convert(const uint8_t *yuv, int width, int height, uint8_t *rgb, int rgbWidth,
        int rgbHeight, int rgbStride);

private:
    ::SwsContext *m_context = nullptr;
};

// The picture as a PNG file's bytes (8-bit RGB); empty on failure.
std::vector<uint8_t> encodePng(const uint8_t *yuv, int width, int height);

} // namespace vdec
