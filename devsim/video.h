#pragma once

#include "scene.h"
#include "solvane_streamwire.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QSize>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace devsim {

class Camera;
class DeviceSession;

// What a camera's main stream is encoded as, read from its compression record.
struct StreamFormat
{
    uint32_t codec = solvane::stream::H264;
    int width = 352;
    int height = 288;
    uint32_t rateNum = 25;
    uint32_t rateDen = 1;
    uint32_t bitrate = 2048 * 1000; // bits per second
    bool constantBitrate = false;
    int keyInterval = 25; // pictures; 0 every picture is a key picture

    bool operator==(const StreamFormat &) const = default;
};

// The picture size of a resolution code; CIF for a code the camera does not know.
QSize resolutionSize(quint32 code);
// Pictures per second of a frame rate code, as numerator and denominator.
std::pair<quint32, quint32> frameRate(quint32 code);
// kbit/s of a bitrate value: a code, or a custom rate with the top bit set.
quint32 bitrateKbps(quint32 value);
// The main stream block of a compression record.
StreamFormat streamFormat(const QByteArray &compression);
// What the picture and front-end records tell the scene to draw.
scene::Osd osdSettings(const QByteArray &picture);
scene::Adjustments pictureAdjustments(const QByteArray &front);

// One libavcodec encoder of a stream format. Not thread-safe: one thread encodes.
class VideoEncoder
{
public:
    struct Packet
    {
        QByteArray data;
        bool key = false;
    };

    ~VideoEncoder();
    // nullptr with a message when libavcodec cannot encode the format.
    static std::unique_ptr<VideoEncoder> open(const StreamFormat &format, QString *error = nullptr);

    // The encoded picture; nullopt when the encoder gave nothing (or failed).
    std::optional<Packet> encode(const scene::Picture &picture, bool forceKey);
    // The decoder set-up bytes, known once a key picture has been encoded.
    const QByteArray &extradata() const { return m_extradata; }

private:
    struct Context;
    explicit VideoEncoder(std::unique_ptr<Context> context, const StreamFormat &format);

    std::unique_ptr<Context> m_context;
    StreamFormat m_format;
    QByteArray m_extradata;
    qint64 m_pts = 0;
};

// One encoded picture as the camera hands it to every viewer.
struct StreamPicture
{
    solvane::stream::PictureInfo info;
    QByteArray data;
};

// A camera's live video: the stream connections that view it, and a thread
// that renders and encodes the scene while at least one does. Every viewer
// gets the same pictures; with no viewer nothing runs. Lives on the fleet's
// thread like its camera; only the thread's own loop runs elsewhere.
class CameraVideo : public QObject
{
    Q_OBJECT
public:
    explicit CameraVideo(Camera *camera);
    ~CameraVideo() override;

    void addViewer(DeviceSession *viewer);
    void removeViewer(DeviceSession *viewer);
    int viewerCount() const { return int(m_viewers.size()); }
    // The next picture is a key picture (a viewer lost some and starts afresh).
    void requestKeyPicture() { m_forceKey = true; }
    // Rereads the camera's records: new picture settings show at the next
    // picture, a new stream format restarts the stream.
    void recordsChanged();

    bool isEncoding() const { return m_thread.joinable(); }
    // Pictures encoded since the camera was made, over all its streams.
    quint64 encodedPictures() const { return m_encoded; }
    // The current stream header; empty before the first picture is encoded.
    const QByteArray &header() const { return m_header; }
    const StreamFormat &format() const { return m_format; }

private:
    void start();
    void stop();
    struct Run
    {
        StreamFormat format;
        quint64 generation = 0;
        uint32_t seed = 0;
        double focusPeriod = 20; // seconds
        double focusPhase = 0;
    };
    void run(Run run);
    void publishHeader(quint64 generation, const QByteArray &header);
    void deliver(quint64 generation, const StreamPicture &picture);

    Camera *m_camera;
    QList<DeviceSession *> m_viewers;
    StreamFormat m_format;
    QByteArray m_header;
    quint64 m_generation
        = 0; // one per run of the thread, so late pictures of an old one are dropped
    std::thread m_thread;

    // Shared with the thread.
    std::mutex m_lock;
    std::condition_variable m_wake;
    bool m_stopping = false;
    scene::Osd m_osd;
    scene::Adjustments m_adjustments;
    std::atomic<bool> m_forceKey { false };
    std::atomic<int> m_inFlight { 0 }; // pictures posted to the fleet's thread, not yet delivered
    std::atomic<quint64> m_encoded { 0 };
};

} // namespace devsim
