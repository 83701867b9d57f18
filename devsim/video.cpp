#include "video.h"

#include "camera.h"
#include "recordbytes.h"
#include "session.h"
#include "solvane_records.h"

#include <QDateTime>
#include <QPointer>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
}

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>

namespace wire = solvane::stream;

namespace devsim {

namespace {

using Clock = std::chrono::steady_clock;

// The lens sweeps from blurred to sharp and back once in this time (device time).
constexpr int FocusPeriodMs = 20000;
// Pictures posted to the fleet's thread and not yet handed out; beyond this
// the camera drops pictures rather than queue them.
constexpr int MaxInFlight = 4;
constexpr quint32 DefaultKbps = 2048;

struct Resolution
{
    quint32 code;
    int width;
    int height;
};

constexpr Resolution Resolutions[] = {
    { 0, 528, 384 }, // DCIF
    { 1, 352, 288 }, // CIF
    { 2, 176, 144 }, // QCIF
    { 3, 704, 576 }, // 4CIF
    { 4, 704, 288 }, // 2CIF
    { 16, 640, 480 }, // VGA
    { 17, 1600, 1200 }, // UXGA
    { 18, 800, 600 }, // SVGA
    { 19, 1280, 720 }, // HD720p
    { 20, 1280, 960 }, // XVGA
    { 21, 1600, 900 }, // HD900p
    { 22, 1360, 1024 }, // SXGAp
    { 27, 1920, 1080 }, // HD1080i
    { 28, 2560, 1920 },
    { 29, 1600, 304 },
    { 30, 2048, 1536 },
    { 31, 2448, 2048 },
};

// Frame rate codes 0 to 16: pictures per second as a fraction.
constexpr std::array<std::pair<quint32, quint32>, 17> FrameRates = { { { 25, 1 }, { 1, 16 },
    { 1, 8 }, { 1, 4 }, { 1, 2 }, { 1, 1 }, { 2, 1 }, { 4, 1 }, { 6, 1 }, { 8, 1 }, { 10, 1 },
    { 12, 1 }, { 16, 1 }, { 20, 1 }, { 15, 1 }, { 18, 1 }, { 22, 1 } } };

// Bitrate codes 1 to 27 in kbit/s.
constexpr std::array<quint32, 27> Bitrates = { 16, 32, 48, 64, 80, 96, 128, 160, 192, 224, 256, 320,
    384, 448, 512, 640, 768, 896, 1024, 1280, 1536, 1792, 2048, 3072, 4096, 8192, 16384 };

constexpr int64_t MaxPictureBits = int64_t(wire::MaxPicture) * 8;

// The rate the encoder aims at: the record's, but never more than half the
// largest picture per picture, so that a slow, rich stream still fits.
int64_t encodedBitrate(const StreamFormat &format)
{
    const double perSecond = double(format.rateNum) / double(format.rateDen);
    return std::min<int64_t>(format.bitrate, int64_t(double(MaxPictureBits) / 2 * perSecond));
}

// The stream's encode types; the private H.264 variant is encoded as H.264.
uint32_t codecOf(quint8 encodeType)
{
    switch (encodeType) {
    case 2:
        return wire::Mpeg4;
    case 7:
        return wire::Mjpeg;
    default:
        return wire::H264;
    }
}

void quietLibraries()
{
    static std::once_flag once;
    std::call_once(once, [] {
        if (qEnvironmentVariableIntValue("TERVIX_DEBUG") == 0) {
            av_log_set_level(AV_LOG_FATAL);
        }
    });
}

// The decoder set-up bytes at the front of a key picture: the parameter sets
// of H.264, the headers before the first picture of MPEG-4.
QByteArray extradataOf(uint32_t codec, const QByteArray &key)
{
    const auto *data = reinterpret_cast<const uint8_t *>(key.constData());
    const int size = int(key.size());
    // Offsets of the start codes (00 00 01) in the packet.
    QList<int> starts;
    for (int i = 0; i + 3 <= size; ++i) {
        if (data[i] == 0 && data[i + 1] == 0 && data[i + 2] == 1) {
            starts.append(i);
            i += 2;
        }
    }
    QByteArray out;
    if (codec == wire::H264) {
        for (int n = 0; n < starts.size(); ++n) {
            const int begin = starts.at(n) + 3;
            int end = n + 1 < starts.size() ? starts.at(n + 1) : size;
            // A four-byte start code belongs to the next unit.
            if (n + 1 < starts.size() && end > begin && data[end - 1] == 0) {
                --end;
            }
            const int type = begin < size ? (data[begin] & 0x1F) : 0;
            if (type == 7 || type == 8) { // sequence and picture parameter sets
                out += QByteArray("\0\0\0\1", 4);
                out += key.mid(begin, end - begin);
            }
        }
    } else if (codec == wire::Mpeg4) {
        for (const int start : std::as_const(starts)) {
            if (start + 3 < size && data[start + 3] == 0xB6) { // the first picture
                out = key.left(start);
                break;
            }
        }
    }
    return out.size() <= int(wire::MaxExtradata) ? out : QByteArray();
}

scene::Moment momentNow()
{
    const QDateTime now = QDateTime::currentDateTime();
    const QDate date = now.date();
    const QTime time = now.time();
    return { date.year(), date.month(), date.day(), date.dayOfWeek() % 7, time.hour(),
        time.minute(), time.second(), time.msec() };
}

quint64 microsecondsSinceEpoch()
{
    return quint64(std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::system_clock::now().time_since_epoch())
                       .count());
}

} // namespace

QSize resolutionSize(quint32 code)
{
    for (const Resolution &resolution : Resolutions) {
        if (resolution.code == code) {
            return { resolution.width, resolution.height };
        }
    }
    return { 352, 288 };
}

std::pair<quint32, quint32> frameRate(quint32 code)
{
    return code < FrameRates.size() ? FrameRates.at(code) : FrameRates.front();
}

quint32 bitrateKbps(quint32 value)
{
    if (value & SOLV_STREAM_BITRATE_CUSTOM) {
        const quint32 kbps = (value - SOLV_STREAM_BITRATE_CUSTOM) >> 10;
        return kbps != 0 ? kbps : DefaultKbps;
    }
    if (value >= SOLV_STREAM_BITRATE_CODE_MIN && value <= SOLV_STREAM_BITRATE_CODE_MAX) {
        return Bitrates.at(value - SOLV_STREAM_BITRATE_CODE_MIN);
    }
    return DefaultKbps;
}

StreamFormat streamFormat(const QByteArray &compression)
{
    const int block = SOLV_COMPRESSCFG_STREAM_OFFSET
        + SOLV_COMPRESSCFG_MAIN_STREAM * SOLV_COMPRESSCFG_STREAM_STRIDE;
    StreamFormat format;
    format.codec = codecOf(fieldU8(compression, block + SOLV_STREAM_ENCODE_TYPE_OFFSET));
    const QSize size = resolutionSize(fieldU8(compression, block + SOLV_STREAM_RESOLUTION_OFFSET));
    format.width = size.width();
    format.height = size.height();
    const auto [num, den] = frameRate(fieldU32(compression, block + SOLV_STREAM_FRAME_RATE_OFFSET));
    format.rateNum = num;
    format.rateDen = den;
    // Caps at 32 Mbit/s keep a custom rate within what one picture may carry.
    const quint32 kbps = std::min<quint32>(
        bitrateKbps(fieldU32(compression, block + SOLV_STREAM_BITRATE_OFFSET)), 32768);
    format.bitrate = kbps * 1000;
    format.constantBitrate = fieldU8(compression, block + SOLV_STREAM_BITRATE_TYPE_OFFSET) != 0;
    format.keyInterval = fieldU16(compression, block + SOLV_STREAM_IFRAME_INTERVAL_OFFSET);
    return format;
}

scene::Osd osdSettings(const QByteArray &picture)
{
    scene::Osd osd;
    osd.showChannelName = fieldU32(picture, SOLV_PICCFG_SHOW_CHANNEL_NAME_OFFSET) != 0;
    osd.channelName
        = fieldText(picture, SOLV_PICCFG_CHANNEL_NAME_OFFSET, SOLV_PICCFG_CHANNEL_NAME_LEN)
              .toLocal8Bit()
              .toStdString();
    osd.showDate = fieldU32(picture, SOLV_PICCFG_SHOW_OSD_OFFSET) != 0;
    osd.dateFormat = fieldU8(picture, SOLV_PICCFG_OSD_TYPE_OFFSET);
    osd.showWeek = fieldU8(picture, SOLV_PICCFG_SHOW_WEEK_OFFSET) != 0;
    osd.hour12 = fieldU8(picture, SOLV_PICCFG_HOUR_OSD_TYPE_OFFSET) != 0;
    return osd;
}

scene::Adjustments pictureAdjustments(const QByteArray &front)
{
    if (front.size() < SOLV_FRONTCFG_SIZE) {
        return {};
    }
    return { fieldU8(front, SOLV_FRONTCFG_BRIGHTNESS_OFFSET),
        fieldU8(front, SOLV_FRONTCFG_CONTRAST_OFFSET),
        fieldU8(front, SOLV_FRONTCFG_SATURATION_OFFSET),
        fieldU8(front, SOLV_FRONTCFG_SHARPNESS_OFFSET) };
}

// ---- encoder -------------------------------------------------------------------

struct VideoEncoder::Context
{
    AVCodecContext *codec = nullptr;
    AVFrame *frame = nullptr;
    AVPacket *packet = nullptr;

    ~Context()
    {
        av_packet_free(&packet);
        av_frame_free(&frame);
        avcodec_free_context(&codec);
    }
};

VideoEncoder::VideoEncoder(std::unique_ptr<Context> context, const StreamFormat &format)
    : m_context(std::move(context)), m_format(format)
{ }

VideoEncoder::~VideoEncoder() = default;

std::unique_ptr<VideoEncoder> VideoEncoder::open(const StreamFormat &format, QString *error)
{
    quietLibraries();
    const AVCodec *codec = nullptr;
    switch (format.codec) {
    case wire::Mpeg4:
        codec = avcodec_find_encoder(AV_CODEC_ID_MPEG4);
        break;
    case wire::Mjpeg:
        codec = avcodec_find_encoder(AV_CODEC_ID_MJPEG);
        break;
    default:
        codec = avcodec_find_encoder_by_name("libx264");
        if (!codec) {
            codec = avcodec_find_encoder(AV_CODEC_ID_H264);
        }
        break;
    }
    auto fail = [&](const char *what) {
        if (error) {
            *error = QStringLiteral("cannot encode %1x%2 codec %3: %4")
                         .arg(format.width)
                         .arg(format.height)
                         .arg(format.codec)
                         .arg(QLatin1String(what));
        }
        return nullptr;
    };
    if (!codec) {
        return fail("no encoder");
    }
    auto context = std::make_unique<Context>();
    AVCodecContext *c = avcodec_alloc_context3(codec);
    context->codec = c;
    if (!c) {
        return fail("out of memory");
    }
    c->width = format.width;
    c->height = format.height;
    c->time_base = AVRational { int(format.rateDen), int(format.rateNum) };
    c->framerate = AVRational { int(format.rateNum), int(format.rateDen) };
    c->pix_fmt = format.codec == wire::Mjpeg ? AV_PIX_FMT_YUVJ420P : AV_PIX_FMT_YUV420P;
    c->max_b_frames = 0; // decoding order is display order
    c->gop_size = std::max(1, format.keyInterval);
    c->thread_count = 1;
    c->bit_rate = encodedBitrate(format);
    // A rate buffer below the largest picture the stream carries bounds
    // every picture, key pictures too; it still holds one average picture.
    const int64_t perPicture = int64_t(double(c->bit_rate) * format.rateDen / format.rateNum);
    const int64_t peak = format.constantBitrate ? c->bit_rate : 2 * c->bit_rate;
    c->rc_max_rate = peak;
    c->rc_buffer_size = int(std::clamp<int64_t>(peak, perPicture, MaxPictureBits * 3 / 4));
    c->bit_rate_tolerance = int(std::max<int64_t>(c->bit_rate, perPicture));
    if (format.codec == wire::H264) {
        av_opt_set(c->priv_data, "preset", "ultrafast", 0);
        av_opt_set(c->priv_data, "tune", "zerolatency", 0);
        av_opt_set_int(c->priv_data, "forced-idr", 1, 0);
    }
    if (avcodec_open2(c, codec, nullptr) < 0) {
        return fail("the encoder refused the settings");
    }
    context->frame = av_frame_alloc();
    context->packet = av_packet_alloc();
    if (!context->frame || !context->packet) {
        return fail("out of memory");
    }
    context->frame->format = c->pix_fmt;
    context->frame->width = c->width;
    context->frame->height = c->height;
    if (av_frame_get_buffer(context->frame, 0) < 0) {
        return fail("out of memory");
    }
    return std::unique_ptr<VideoEncoder>(new VideoEncoder(std::move(context), format));
}

std::optional<VideoEncoder::Packet> VideoEncoder::encode(
    const scene::Picture &picture, bool forceKey)
{
    AVFrame *frame = m_context->frame;
    if (picture.width != frame->width || picture.height != frame->height
        || av_frame_make_writable(frame) < 0) {
        return std::nullopt;
    }
    auto copyPlane
        = [](const std::vector<uint8_t> &plane, int width, int height, uint8_t *out, int stride) {
              for (int row = 0; row < height; ++row) {
                  std::memcpy(out + std::ptrdiff_t(row) * stride,
                      plane.data() + std::size_t(row) * std::size_t(width), std::size_t(width));
              }
          };
    copyPlane(picture.y, picture.width, picture.height, frame->data[0], frame->linesize[0]);
    copyPlane(picture.u, picture.chromaWidth(), picture.chromaHeight(), frame->data[1],
        frame->linesize[1]);
    copyPlane(picture.v, picture.chromaWidth(), picture.chromaHeight(), frame->data[2],
        frame->linesize[2]);
    frame->pts = m_pts++;
    frame->pict_type
        = forceKey || m_format.keyInterval == 0 ? AV_PICTURE_TYPE_I : AV_PICTURE_TYPE_NONE;
    if (avcodec_send_frame(m_context->codec, frame) < 0) {
        return std::nullopt;
    }
    // Without B-frames or look-ahead every picture comes out at once.
    std::optional<Packet> out;
    AVPacket *packet = m_context->packet;
    while (avcodec_receive_packet(m_context->codec, packet) == 0) {
        Packet encoded;
        encoded.data = QByteArray(reinterpret_cast<const char *>(packet->data), packet->size);
        encoded.key = (packet->flags & AV_PKT_FLAG_KEY) != 0;
        av_packet_unref(packet);
        if (encoded.key && m_extradata.isEmpty()) {
            m_extradata = extradataOf(m_format.codec, encoded.data);
        }
        out = std::move(encoded);
    }
    return out;
}

// ---- the camera's video ----------------------------------------------------------

CameraVideo::CameraVideo(Camera *camera) : QObject(camera), m_camera(camera)
{
    recordsChanged();
}

CameraVideo::~CameraVideo()
{
    stop();
}

void CameraVideo::addViewer(DeviceSession *viewer)
{
    if (m_viewers.contains(viewer)) {
        return;
    }
    m_viewers.append(viewer);
    if (!isEncoding()) {
        start();
        return;
    }
    // A viewer that joins a running stream starts at a key picture, made now.
    if (!m_header.isEmpty()) {
        viewer->sendStreamHeader(m_header);
    }
    m_forceKey = true;
}

void CameraVideo::removeViewer(DeviceSession *viewer)
{
    if (m_viewers.removeAll(viewer) > 0 && m_viewers.isEmpty()) {
        stop();
    }
}

void CameraVideo::recordsChanged()
{
    {
        std::lock_guard guard(m_lock);
        m_osd = osdSettings(m_camera->record(SOLV_GET_PICCFG));
        m_adjustments = pictureAdjustments(m_camera->record(SOLV_GET_FRONTCFG));
    }
    const StreamFormat format = streamFormat(m_camera->streamCompression());
    if (isEncoding() && !(format == m_format)) {
        // The device restarts its stream: every viewer gets the new header.
        stop();
        start();
    }
}

void CameraVideo::start()
{
    m_format = streamFormat(m_camera->streamCompression());
    m_header.clear();
    m_stopping = false;
    m_forceKey = true;
    // Each camera films a scene of its own, its lens at its own point of the sweep.
    Run run;
    run.format = m_format;
    run.generation = ++m_generation;
    run.seed = uint32_t(m_camera->index()) * 7919U + 1U;
    run.focusPeriod = m_camera->scaledMs(FocusPeriodMs) / 1000.0;
    run.focusPhase = (m_camera->index() % 7) * run.focusPeriod / 7.0;
    m_thread = std::thread([this, run] { this->run(run); });
}

void CameraVideo::stop()
{
    if (!m_thread.joinable()) {
        return;
    }
    {
        std::lock_guard guard(m_lock);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_thread.join();
    m_header.clear();
    m_inFlight = 0;
}

void CameraVideo::run(Run run)
{
    StreamFormat format = run.format;
    const quint64 generation = run.generation;
    QString error;
    auto encoder = VideoEncoder::open(format, &error);
    if (!encoder) {
        // A format libavcodec will not take still gives a picture: CIF H.264.
        qWarning("devsim: %s; streaming CIF H.264 instead", qPrintable(error));
        const StreamFormat fallback;
        encoder = VideoEncoder::open(fallback);
        format.codec = fallback.codec;
        format.width = fallback.width;
        format.height = fallback.height;
        if (!encoder) {
            return;
        }
    }
    scene::Renderer renderer(format.width, format.height, run.seed);
    scene::Picture picture;

    const auto interval = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(double(format.rateDen) / double(format.rateNum)));
    auto next = Clock::now();
    quint32 number = 0;
    bool headerSent = false;
    bool needKey = true;
    for (;;) {
        scene::Osd osd;
        scene::Adjustments adjustments;
        {
            std::unique_lock guard(m_lock);
            m_wake.wait_until(guard, next, [this] { return m_stopping; });
            if (m_stopping) {
                return;
            }
            osd = m_osd;
            adjustments = m_adjustments;
        }
        const quint64 captureTime = microsecondsSinceEpoch();
        // Scene and lens run on the machine's clock, so they go on where
        // they were when the stream restarts.
        const double seconds
            = std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
        renderer.render(seconds, momentNow(), osd, adjustments,
            scene::focusAt(seconds + run.focusPhase, run.focusPeriod), picture);
        const bool forceKey = needKey || m_forceKey.exchange(false);
        const auto packet = encoder->encode(picture, forceKey);
        ++m_encoded;
        const quint32 thisNumber = number++;

        // Pacing: the next picture is due one interval later; a camera that
        // fell behind does not try to catch up in a burst.
        next += interval;
        if (next < Clock::now()) {
            next = Clock::now();
        }
        if (!packet) {
            continue;
        }
        if (!headerSent && packet->key) {
            wire::StreamHeader header;
            header.codec = format.codec;
            header.width = uint16_t(format.width);
            header.height = uint16_t(format.height);
            header.rateNum = format.rateNum;
            header.rateDen = format.rateDen;
            header.bitrate = uint32_t(encodedBitrate(format));
            header.keyInterval = uint32_t(format.keyInterval);
            const QByteArray extradata = encoder->extradata();
            header.extradata.assign(extradata.begin(), extradata.end());
            const auto bytes = wire::encodeHeader(header);
            if (!bytes) {
                return;
            }
            headerSent = true;
            QMetaObject::invokeMethod(
                this,
                [this, generation,
                    headerBytes = QByteArray(reinterpret_cast<const char *>(bytes->data()),
                        qsizetype(bytes->size()))] { publishHeader(generation, headerBytes); },
                Qt::QueuedConnection);
        }
        if (!headerSent) {
            continue;
        }
        // Too large to carry, or the fleet's thread is behind: drop it, and
        // since later pictures depend on it, start again at a key picture.
        if (packet->data.size() > qsizetype(wire::MaxPicture) || m_inFlight >= MaxInFlight) {
            needKey = true;
            continue;
        }
        needKey = false;
        StreamPicture out;
        out.info.number = thisNumber;
        out.info.flags = packet->key ? SOLV_PICTURE_FLAG_KEY : 0;
        out.info.captureTime = captureTime;
        out.info.length = quint32(packet->data.size());
        out.data = packet->data;
        ++m_inFlight;
        QMetaObject::invokeMethod(
            this, [this, generation, out] { deliver(generation, out); }, Qt::QueuedConnection);
    }
}

void CameraVideo::publishHeader(quint64 generation, const QByteArray &header)
{
    if (generation != m_generation || !isEncoding()) {
        return;
    }
    m_header = header;
    for (DeviceSession *viewer : std::as_const(m_viewers)) {
        viewer->sendStreamHeader(m_header);
    }
}

void CameraVideo::deliver(quint64 generation, const StreamPicture &picture)
{
    if (generation != m_generation) {
        return;
    }
    --m_inFlight;
    // A viewer may end itself while it is handed the picture.
    const auto viewers = m_viewers;
    for (DeviceSession *viewer : viewers) {
        if (m_viewers.contains(viewer)) {
            viewer->sendPicture(picture);
        }
    }
}

} // namespace devsim
