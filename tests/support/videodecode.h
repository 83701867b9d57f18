// Decodes encoded pictures with libavcodec, as a player would, for suites
// that check what a simulated camera sends.
#pragma once

#include "solvane_stream.h"

#include <QByteArray>
#include <QSize>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <cstring>
#include <numeric>

class VideoDecoder
{
public:
    struct Picture
    {
        QSize size;
        double meanLuminance = 0;
    };

    // codec is a SOLV_CODEC_*; extradata as the stream header carries it.
    VideoDecoder(uint32_t codec, const QByteArray &extradata)
    {
        const AVCodec *decoder = avcodec_find_decoder(codec == SOLV_CODEC_MPEG4 ? AV_CODEC_ID_MPEG4
                : codec == SOLV_CODEC_MJPEG                                     ? AV_CODEC_ID_MJPEG
                                                                                : AV_CODEC_ID_H264);
        m_context = avcodec_alloc_context3(decoder);
        m_context->flags |= AV_CODEC_FLAG_LOW_DELAY;
        if (!extradata.isEmpty()) {
            m_context->extradata = static_cast<uint8_t *>(
                av_mallocz(std::size_t(extradata.size()) + AV_INPUT_BUFFER_PADDING_SIZE));
            std::memcpy(m_context->extradata, extradata.constData(), std::size_t(extradata.size()));
            m_context->extradata_size = int(extradata.size());
        }
        m_open = avcodec_open2(m_context, decoder, nullptr) == 0;
        m_packet = av_packet_alloc();
        m_frame = av_frame_alloc();
    }
    ~VideoDecoder()
    {
        av_frame_free(&m_frame);
        av_packet_free(&m_packet);
        avcodec_free_context(&m_context);
    }
    VideoDecoder(const VideoDecoder &) = delete;
    VideoDecoder &operator=(const VideoDecoder &) = delete;

    // The picture the encoded bytes decode to; no size when none came. The
    // last one drains the decoder.
    Picture decode(const char *data, qsizetype size, bool last = false)
    {
        if (!m_open || av_new_packet(m_packet, int(size)) != 0) {
            return {};
        }
        std::memcpy(m_packet->data, data, std::size_t(size));
        avcodec_send_packet(m_context, m_packet);
        av_packet_unref(m_packet);
        if (last) {
            avcodec_send_packet(m_context, nullptr);
        }
        Picture picture;
        while (avcodec_receive_frame(m_context, m_frame) == 0) {
            picture.size = QSize(m_frame->width, m_frame->height);
            quint64 sum = 0;
            for (int y = 0; y < m_frame->height; ++y) {
                const uint8_t *row = m_frame->data[0] + std::ptrdiff_t(y) * m_frame->linesize[0];
                sum += std::accumulate(row, row + m_frame->width, quint64(0));
            }
            picture.meanLuminance = double(sum) / (double(m_frame->width) * m_frame->height);
        }
        return picture;
    }

    // A picture block of the device SDK (data type 2).
    Picture decodeBlock(const QByteArray &block, bool last = false)
    {
        return decode(block.constData() + SOLV_PICTURE_PREFIX_SIZE,
            block.size() - SOLV_PICTURE_PREFIX_SIZE, last);
    }

private:
    AVCodecContext *m_context = nullptr;
    AVPacket *m_packet = nullptr;
    AVFrame *m_frame = nullptr;
    bool m_open = false;
};
