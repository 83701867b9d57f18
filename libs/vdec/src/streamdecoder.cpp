#include "vdec.h"

#include "solvane_stream.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

namespace vdec {

namespace {

using Clock = std::chrono::steady_clock;

uint32_t readLe32(const uint8_t *data)
{
    return uint32_t(data[0]) | uint32_t(data[1]) << 8 | uint32_t(data[2]) << 16
        | uint32_t(data[3]) << 24;
}

uint64_t readLe64(const uint8_t *data)
{
    return uint64_t(readLe32(data)) | uint64_t(readLe32(data + 4)) << 32;
}

AVCodecID codecId(Codec codec)
{
    switch (codec) {
    case Codec::H264:
        return AV_CODEC_ID_H264;
    case Codec::Mpeg4:
        return AV_CODEC_ID_MPEG4;
    case Codec::Mjpeg:
        return AV_CODEC_ID_MJPEG;
    }
    return AV_CODEC_ID_NONE;
}

} // namespace

struct StreamDecoder::Private
{
    StreamHeader header;
    size_t capacity = 0;
    PictureSink sink;

    // Used by the decoder's thread only.
    AVCodecContext *context = nullptr;
    AVCodecParserContext *parser = nullptr; // elementary streams only
    AVPacket *packet = nullptr;
    AVFrame *frame = nullptr;
    SwsContext *scaler = nullptr;
    std::vector<uint8_t> picture;
    std::vector<uint8_t> partial; // the start of a picture block still incomplete
    uint32_t decoded = 0;

    mutable std::mutex mutex;
    std::condition_variable wake; // input, end of stream or stop
    std::condition_variable idle;
    std::vector<uint8_t> queue; // taken, not yet handed to the decoder's thread
    size_t buffered = 0; // queued plus being decoded: what the capacity bounds
    bool ended = false;
    bool drained = false;
    bool busy = false;
    std::deque<Clock::time_point> recent; // when the pictures of the last second came
    std::atomic<bool> stopping { false };
    std::thread thread;

    ~Private()
    {
        sws_freeContext(scaler);
        av_parser_close(parser);
        avcodec_free_context(&context);
        av_packet_free(&packet);
        av_frame_free(&frame);
    }

    void run();
    void decodeChunk(std::vector<uint8_t> &chunk);
    void decodeBlocks(const uint8_t *data, size_t size);
    void decodeElementary(const uint8_t *data, size_t size);
    void drain();
    void decodePacket(const uint8_t *data, size_t size, int64_t pts);
    void receivePictures();
    void handOut();
};

std::unique_ptr<StreamDecoder> StreamDecoder::open(
    const uint8_t *headerBytes, size_t headerSize, size_t bufferBytes, PictureSink sink)
{
    auto d = std::make_unique<Private>();
    if (!parseStreamHeader(headerBytes, headerSize, &d->header) || bufferBytes == 0) {
        return nullptr;
    }
    const AVCodec *codec = avcodec_find_decoder(codecId(d->header.codec));
    d->context = codec != nullptr ? avcodec_alloc_context3(codec) : nullptr;
    d->packet = av_packet_alloc();
    d->frame = av_frame_alloc();
    if (d->context == nullptr || d->packet == nullptr || d->frame == nullptr) {
        return nullptr;
    }
    d->context->width = d->header.width;
    d->context->height = d->header.height;
    // One thread: a picture leaves as soon as it is decoded, which frame
    // threads would hold back by a picture per thread.
    d->context->thread_count = 1;
    if (!d->header.extradata.empty()) {
        const size_t size = d->header.extradata.size();
        d->context->extradata
            = static_cast<uint8_t *>(av_mallocz(size + AV_INPUT_BUFFER_PADDING_SIZE));
        if (d->context->extradata == nullptr) {
            return nullptr;
        }
        std::memcpy(d->context->extradata, d->header.extradata.data(), size);
        d->context->extradata_size = int(size);
    }
    if (avcodec_open2(d->context, codec, nullptr) < 0) {
        return nullptr;
    }
    if (d->header.packaging == Packaging::Elementary) {
        d->parser = av_parser_init(codec->id);
        if (d->parser == nullptr) {
            return nullptr;
        }
    }
    d->capacity = bufferBytes;
    d->sink = std::move(sink);
    Private *raw = d.get();
    d->thread = std::thread([raw] { raw->run(); });
    return std::unique_ptr<StreamDecoder>(new StreamDecoder(std::move(d)));
}

StreamDecoder::StreamDecoder(std::unique_ptr<Private> priv) : d(std::move(priv))
{ }

StreamDecoder::~StreamDecoder()
{
    {
        const std::lock_guard<std::mutex> lock(d->mutex);
        d->stopping = true;
    }
    d->wake.notify_all();
    d->thread.join();
}

bool StreamDecoder::input(const uint8_t *data, size_t size)
{
    {
        const std::lock_guard<std::mutex> lock(d->mutex);
        if (data == nullptr || size == 0 || d->ended || size > d->capacity - d->buffered) {
            return false;
        }
        d->queue.insert(d->queue.end(), data, data + size);
        d->buffered += size;
    }
    d->wake.notify_one();
    return true;
}

void StreamDecoder::endOfStream()
{
    {
        const std::lock_guard<std::mutex> lock(d->mutex);
        d->ended = true;
    }
    d->wake.notify_one();
}

void StreamDecoder::waitIdle()
{
    std::unique_lock<std::mutex> lock(d->mutex);
    d->idle.wait(lock, [this] {
        return d->stopping || (d->queue.empty() && !d->busy && (!d->ended || d->drained));
    });
}

unsigned StreamDecoder::frameRate() const
{
    const Clock::time_point since = Clock::now() - std::chrono::seconds(1);
    const std::lock_guard<std::mutex> lock(d->mutex);
    return unsigned(std::count_if(
        d->recent.begin(), d->recent.end(), [since](Clock::time_point t) { return t > since; }));
}

const StreamHeader &StreamDecoder::header() const
{
    return d->header;
}

void StreamDecoder::Private::run()
{
    for (;;) {
        std::vector<uint8_t> chunk;
        bool flush = false;
        {
            std::unique_lock<std::mutex> lock(mutex);
            wake.wait(lock, [this] { return stopping || !queue.empty() || (ended && !drained); });
            if (stopping) {
                return;
            }
            chunk.swap(queue);
            flush = ended;
            busy = true;
        }
        const size_t taken = chunk.size();
        decodeChunk(chunk);
        if (flush) {
            drain();
        }
        {
            const std::lock_guard<std::mutex> lock(mutex);
            buffered -= taken;
            busy = false;
            drained = flush;
        }
        idle.notify_all();
    }
}

void StreamDecoder::Private::decodeChunk(std::vector<uint8_t> &chunk)
{
    if (chunk.empty()) {
        return;
    }
    const size_t size = chunk.size();
    if (parser != nullptr) {
        // The parser may read a little past the end.
        chunk.resize(size + AV_INPUT_BUFFER_PADDING_SIZE, 0);
        decodeElementary(chunk.data(), size);
    } else {
        decodeBlocks(chunk.data(), size);
    }
}

void StreamDecoder::Private::decodeBlocks(const uint8_t *data, size_t size)
{
    partial.insert(partial.end(), data, data + size);
    size_t at = 0;
    while (!stopping && partial.size() - at >= SOLV_PICTURE_PREFIX_SIZE) {
        const uint8_t *block = partial.data() + at;
        const uint32_t length = readLe32(block + SOLV_PICTURE_OFFSET_LENGTH);
        if (readLe32(block + SOLV_PICTURE_OFFSET_MAGIC) != SOLV_PICTURE_MAGIC || length == 0
            || length > SOLV_STREAM_MAX_PICTURE) {
            // Not a block: look for the next one.
            ++at;
            continue;
        }
        if (partial.size() - at < SOLV_PICTURE_PREFIX_SIZE + size_t(length)) {
            break;
        }
        const auto captureTime = int64_t(readLe64(block + SOLV_PICTURE_OFFSET_CAPTURE_TIME));
        decodePacket(block + SOLV_PICTURE_PREFIX_SIZE, length, captureTime);
        at += SOLV_PICTURE_PREFIX_SIZE + size_t(length);
    }
    partial.erase(partial.begin(), partial.begin() + std::ptrdiff_t(at));
}

void StreamDecoder::Private::decodeElementary(const uint8_t *data, size_t size)
{
    while (!stopping && size > 0) {
        uint8_t *out = nullptr;
        int outSize = 0;
        const int used = av_parser_parse2(
            parser, context, &out, &outSize, data, int(size), AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
        if (used < 0) {
            return;
        }
        data += used;
        size -= size_t(used);
        if (outSize > 0) {
            decodePacket(out, size_t(outSize), AV_NOPTS_VALUE);
        }
    }
}

void StreamDecoder::Private::drain()
{
    if (parser != nullptr) {
        uint8_t *out = nullptr;
        int outSize = 0;
        av_parser_parse2(
            parser, context, &out, &outSize, nullptr, 0, AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
        if (outSize > 0) {
            decodePacket(out, size_t(outSize), AV_NOPTS_VALUE);
        }
    }
    if (avcodec_send_packet(context, nullptr) == 0) {
        receivePictures();
    }
}

void StreamDecoder::Private::decodePacket(const uint8_t *data, size_t size, int64_t pts)
{
    packet->data = const_cast<uint8_t *>(data);
    packet->size = int(size);
    packet->pts = pts;
    // A broken picture is skipped; the decoder picks up at the next one.
    const int sent = avcodec_send_packet(context, packet);
    av_packet_unref(packet);
    if (sent == 0) {
        receivePictures();
    }
}

void StreamDecoder::Private::receivePictures()
{
    while (!stopping && avcodec_receive_frame(context, frame) == 0) {
        handOut();
        av_frame_unref(frame);
    }
}

void StreamDecoder::Private::handOut()
{
    const int width = frame->width;
    const int height = frame->height;
    if (width <= 0 || height <= 0) {
        return;
    }
    picture.resize(pictureSize(width, height));
    const int chromaWidth = (width + 1) / 2;
    const int chromaHeight = (height + 1) / 2;
    uint8_t *planes[4] = { picture.data(), picture.data() + size_t(width) * size_t(height),
        picture.data() + size_t(width) * size_t(height)
            + size_t(chromaWidth) * size_t(chromaHeight),
        nullptr };
    int strides[4] = { width, chromaWidth, chromaWidth, 0 };
    if (frame->format == AV_PIX_FMT_YUV420P) {
        av_image_copy(planes, strides, const_cast<const uint8_t **>(frame->data), frame->linesize,
            AV_PIX_FMT_YUV420P, width, height);
    } else {
        // Other layouts, and full-range JPEG pictures, become limited-range 4:2:0.
        scaler = sws_getCachedContext(scaler, width, height, AVPixelFormat(frame->format), width,
            height, AV_PIX_FMT_YUV420P, SWS_BICUBIC, nullptr, nullptr, nullptr);
        if (scaler == nullptr) {
            return;
        }
        sws_scale(scaler, frame->data, frame->linesize, 0, height, planes, strides);
    }

    Picture out;
    out.data = picture.data();
    out.size = picture.size();
    out.width = width;
    out.height = height;
    out.number = decoded;
    if (header.packaging == Packaging::Pictures && frame->pts != AV_NOPTS_VALUE) {
        out.captureTime = frame->pts;
    } else {
        out.captureTime
            = int64_t(decoded) * 1000000 * int64_t(header.rateDen) / int64_t(header.rateNum);
    }
    ++decoded;
    {
        const Clock::time_point now = Clock::now();
        const std::lock_guard<std::mutex> lock(mutex);
        recent.push_back(now);
        while (!recent.empty() && recent.front() < now - std::chrono::seconds(1)) {
            recent.pop_front();
        }
    }
    if (sink) {
        sink(out);
    }
}

} // namespace vdec
