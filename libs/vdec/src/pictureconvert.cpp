#include "vdec.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

namespace vdec {

namespace {

// Plane pointers and strides of a contiguous 4:2:0 picture.
struct Planes
{
    const uint8_t *data[4];
    int strides[4];
};

Planes planesOf(const uint8_t *yuv, int width, int height)
{
    const int chromaWidth = (width + 1) / 2;
    const size_t luma = size_t(width) * size_t(height);
    const size_t chroma = size_t(chromaWidth) * size_t((height + 1) / 2);
    return { { yuv, yuv + luma, yuv + luma + chroma, nullptr },
        { width, chromaWidth, chromaWidth, 0 } };
}

} // namespace

RgbConverter::RgbConverter() = default;

RgbConverter::~RgbConverter()
{
    sws_freeContext(m_context);
}

bool RgbConverter::convert(const uint8_t *yuv, int width, int height, uint8_t *rgb, int rgbWidth,
    int rgbHeight, int rgbStride)
{
    if (yuv == nullptr || rgb == nullptr || width <= 0 || height <= 0 || rgbWidth <= 0
        || rgbHeight <= 0) {
        return false;
    }
    m_context = sws_getCachedContext(m_context, width, height, AV_PIX_FMT_YUV420P, rgbWidth,
        rgbHeight, AV_PIX_FMT_RGB32, SWS_FAST_BILINEAR, nullptr, nullptr, nullptr);
    if (m_context == nullptr) {
        return false;
    }
    const Planes source = planesOf(yuv, width, height);
    uint8_t *const target[4] = { rgb, nullptr, nullptr, nullptr };
    const int targetStrides[4] = { rgbStride, 0, 0, 0 };
    return sws_scale(m_context, source.data, source.strides, 0, height, target, targetStrides)
        == rgbHeight;
}

std::vector<uint8_t> encodePng(const uint8_t *yuv, int width, int height)
{
    std::vector<uint8_t> png;
    const AVCodec *codec = avcodec_find_encoder(AV_CODEC_ID_PNG);
    if (yuv == nullptr || width <= 0 || height <= 0 || codec == nullptr) {
        return png;
    }
    AVCodecContext *context = avcodec_alloc_context3(codec);
    AVFrame *frame = av_frame_alloc();
    AVPacket *packet = av_packet_alloc();
    SwsContext *scaler = sws_getContext(width, height, AV_PIX_FMT_YUV420P, width, height,
        AV_PIX_FMT_RGB24, SWS_BICUBIC, nullptr, nullptr, nullptr);
    bool ok = context != nullptr && frame != nullptr && packet != nullptr && scaler != nullptr;
    if (ok) {
        context->width = width;
        context->height = height;
        context->pix_fmt = AV_PIX_FMT_RGB24;
        context->time_base = { 1, 25 };
        frame->format = AV_PIX_FMT_RGB24;
        frame->width = width;
        frame->height = height;
        ok = avcodec_open2(context, codec, nullptr) == 0 && av_frame_get_buffer(frame, 0) == 0;
    }
    if (ok) {
        const Planes source = planesOf(yuv, width, height);
        ok = sws_scale(scaler, source.data, source.strides, 0, height, frame->data, frame->linesize)
                == height
            && avcodec_send_frame(context, frame) == 0 && avcodec_send_frame(context, nullptr) == 0
            && avcodec_receive_packet(context, packet) == 0;
    }
    if (ok) {
        png.assign(packet->data, packet->data + packet->size);
    }
    sws_freeContext(scaler);
    av_packet_free(&packet);
    av_frame_free(&frame);
    avcodec_free_context(&context);
    return png;
}

} // namespace vdec
