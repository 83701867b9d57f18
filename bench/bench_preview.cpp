// Live preview of a 1920x1080, 25 pictures per second H.264 stream from a
// simulated camera, decoded and presented for 20 s, against the ffmpeg tool
// decoding the same stream:
//   preview  the device SDK's stream, the stream player, the presenter
//            registry and a shown presenter widget (offscreen platform unless
//            QT_QPA_PLATFORM says otherwise): the CPU time of this whole
//            process over the window, and the latency from each picture's
//            capture time at the camera to its paint (median, 99th
//            percentile);
//   ffmpeg   `ffmpeg -i same.h264 -f null -` on the pictures the preview got
//            in that window, written out as an elementary stream.
// The camera runs in a tervix-devsim process of its own, so its rendering
// and encoding are not counted. CPU times are compared per decoded picture.
//
// Options: --seconds N (20), --width W --height H of the presenter (1280x720).

#include "playwindow.h"
#include "realplay.h"
#include "solvane.h"
#include "solvane_records.h"
#include "solvane_stream.h"
#include "vdec.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFile>
#include <QMutex>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

constexpr const char *CameraAddress = "127.0.91.1";
constexpr quint16 CameraPort = 18911;
constexpr int Resolution1080 = 27;
constexpr int Rate25 = 0;
constexpr int Bitrate4096k = 25;

double cpuSeconds(int who)
{
    rusage usage {};
    getrusage(who, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

qint64 nowMicroseconds()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::system_clock::now().time_since_epoch())
        .count();
}

uint32_t readLe32(const uint8_t *data)
{
    return uint32_t(data[0]) | uint32_t(data[1]) << 8 | uint32_t(data[2]) << 16
        | uint32_t(data[3]) << 24;
}

// What the player was given while recording: the header and the pictures
// from the first key picture on, as an elementary stream a file can hold.
struct Recording
{
    QMutex mutex;
    std::atomic<bool> on { false };
    bool keySeen = false;
    QByteArray elementary;
    int pictures = 0;

    void header(const uint8_t *data, uint32_t size)
    {
        vdec::StreamHeader parsed;
        const QMutexLocker locker(&mutex);
        if (elementary.isEmpty() && vdec::parseStreamHeader(data, size, &parsed)) {
            elementary.append(reinterpret_cast<const char *>(parsed.extradata.data()),
                qsizetype(parsed.extradata.size()));
        }
    }

    void block(const uint8_t *data, uint32_t size)
    {
        if (!on || size < SOLV_PICTURE_PREFIX_SIZE) {
            return;
        }
        const QMutexLocker locker(&mutex);
        keySeen = keySeen || (readLe32(data + SOLV_PICTURE_OFFSET_FLAGS) & SOLV_PICTURE_FLAG_KEY);
        if (keySeen) {
            elementary.append(reinterpret_cast<const char *>(data) + SOLV_PICTURE_PREFIX_SIZE,
                qsizetype(size - SOLV_PICTURE_PREFIX_SIZE));
            ++pictures;
        }
    }
};
Recording g_recording;
std::atomic<int> g_decoded { 0 };

PreviewLibraries recordingLibraries()
{
    PreviewLibraries libraries;
    libraries.openStream = [](int32_t port, const uint8_t *header, uint32_t size, uint32_t buffer) {
        g_recording.header(header, size);
        return Strix_OpenStream(port, header, size, buffer);
    };
    libraries.inputData = [](int32_t port, const uint8_t *data, uint32_t size) {
        const int taken = Strix_InputData(port, data, size);
        if (taken != 0) {
            g_recording.block(data, size);
        }
        return taken;
    };
    return libraries;
}

void countPicture(const uint8_t *, int, int, void *)
{
    ++g_decoded;
}

// Logs in, retrying while the camera starts or reboots.
int32_t loginWhenUp(int seconds)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < seconds * 1000) {
        SOLV_LOGIN_INFO info {};
        const int32_t userId = SOLV_Login_V30(CameraAddress, CameraPort, "admin", "60917", &info);
        if (userId >= 0) {
            return userId;
        }
        QThread::msleep(100);
    }
    return -1;
}

bool setFullHd(int32_t userId)
{
    QByteArray record(SOLV_COMPRESSCFG_SIZE, '\0');
    uint32_t returned = 0;
    if (!SOLV_GetDVRConfig(
            userId, SOLV_GET_COMPRESSCFG, 1, record.data(), uint32_t(record.size()), &returned)) {
        return false;
    }
    const int block = SOLV_COMPRESSCFG_STREAM_OFFSET
        + SOLV_COMPRESSCFG_MAIN_STREAM * SOLV_COMPRESSCFG_STREAM_STRIDE;
    const auto put = [&](int offset, int width, uint32_t value) {
        for (int i = 0; i < width; ++i) {
            record[block + offset + i] = char(value >> (8 * i));
        }
    };
    put(SOLV_STREAM_RESOLUTION_OFFSET, 1, Resolution1080);
    put(SOLV_STREAM_FRAME_RATE_OFFSET, 4, Rate25);
    put(SOLV_STREAM_BITRATE_OFFSET, 4, Bitrate4096k);
    put(SOLV_STREAM_IFRAME_INTERVAL_OFFSET, 2, 25);
    put(SOLV_STREAM_ENCODE_TYPE_OFFSET, 1, 1); // H.264
    return SOLV_SetDVRConfig(
        userId, SOLV_SET_COMPRESSCFG, 1, record.constData(), uint32_t(record.size()));
}

double percentile(std::vector<double> values, double fraction)
{
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const auto at = size_t(fraction * double(values.size() - 1) + 0.5);
    return values[std::min(at, values.size() - 1)];
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOptions({ { "seconds", "Measured window.", "N", "20" },
        { "width", "Presenter width.", "W", "1280" },
        { "height", "Presenter height.", "H", "720" } });
    parser.addHelpOption();
    parser.process(app);
    const int seconds = parser.value("seconds").toInt();

    QProcess camera;
    camera.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    camera.start(QCoreApplication::applicationDirPath() + "/tervix-devsim",
        { "--count", "1", "--first-address", CameraAddress, "--port", QString::number(CameraPort),
            "--discovery-port", "0", "--reboot-seconds", "1", "--quiet" });
    if (!camera.waitForStarted()) {
        std::fprintf(stderr, "cannot start tervix-devsim beside this program\n");
        return 1;
    }
    SOLV_Init();
    int32_t userId = loginWhenUp(30);
    if (userId < 0 || !setFullHd(userId) || !SOLV_RebootDVR(userId)) {
        std::fprintf(
            stderr, "cannot set the camera to 1080p (SDK error %u)\n", SOLV_GetLastError());
        return 1;
    }
    SOLV_Logout_V30(userId);
    QThread::msleep(300); // the camera goes down before it comes back
    userId = loginWhenUp(60);
    if (userId < 0) {
        std::fprintf(stderr, "the camera did not come back\n");
        return 1;
    }

    CVideoPresenter presenter;
    presenter.resize(parser.value("width").toInt(), parser.value("height").toInt());
    presenter.show();
    std::vector<double> latenciesMs;
    std::atomic<bool> measuring { false };
    QObject::connect(&presenter, &CVideoPresenter::pictureShown, [&](qint64 captureTime) {
        if (measuring) {
            latenciesMs.push_back(double(nowMicroseconds() - captureTime) / 1000.0);
        }
    });

    CRealPlay realPlay({}, recordingLibraries());
    realPlay.SetFrameCallback(&countPicture, nullptr);
    if (!realPlay.RealPlay(userId, 1, presenter.presenterHandle())) {
        std::fprintf(stderr, "the preview did not start (SDK error %u)\n", SOLV_GetLastError());
        return 1;
    }
    // Warm up: the first pictures and a settled decoder.
    QEventLoop loop;
    QTimer::singleShot(2000, &loop, &QEventLoop::quit);
    loop.exec();
    if (presenter.shownSize() != QSize(1920, 1080)) {
        std::fprintf(stderr, "the camera sends %dx%d\n", presenter.shownSize().width(),
            presenter.shownSize().height());
        return 1;
    }

    const int shownBefore = presenter.shownCount();
    const int droppedBefore = presenter.droppedCount();
    const int decodedBefore = g_decoded;
    g_recording.on = true;
    measuring = true;
    const double cpuBefore = cpuSeconds(RUSAGE_SELF);
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    const double previewCpu = cpuSeconds(RUSAGE_SELF) - cpuBefore;
    measuring = false;
    g_recording.on = false;
    const int decoded = g_decoded - decodedBefore;
    const int shown = presenter.shownCount() - shownBefore;
    const int dropped = presenter.droppedCount() - droppedBefore;
    realPlay.StopRealPlay();
    SOLV_Logout_V30(userId);
    camera.terminate();
    camera.waitForFinished();

    QTemporaryDir dir;
    const QString file = dir.filePath("same.h264");
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(g_recording.elementary) < 0) {
        std::fprintf(stderr, "cannot write the stream\n");
        return 1;
    }
    out.close();
    const double childrenBefore = cpuSeconds(RUSAGE_CHILDREN);
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg",
        { "-hide_banner", "-loglevel", "error", "-nostdin", "-i", file, "-f", "null", "-" });
    if (!ffmpeg.waitForFinished(-1) || ffmpeg.exitCode() != 0) {
        std::fprintf(stderr, "ffmpeg failed: %s\n", ffmpeg.readAllStandardError().constData());
        return 1;
    }
    const double ffmpegCpu = cpuSeconds(RUSAGE_CHILDREN) - childrenBefore;
    const int ffmpegPictures = g_recording.pictures;

    const double previewPer = previewCpu / std::max(decoded, 1) * 1000;
    const double ffmpegPer = ffmpegCpu / std::max(ffmpegPictures, 1) * 1000;
    std::printf("1920x1080 H.264 at 25/s, %d s, presenter %dx%d (%s platform)\n", seconds,
        presenter.width(), presenter.height(), qPrintable(QGuiApplication::platformName()));
    std::printf("%-8s %9s %10s %14s\n", "", "pictures", "CPU s", "CPU ms/picture");
    std::printf("%-8s %9d %10.2f %14.2f   (%d painted, %d replaced before a paint)\n", "preview",
        decoded, previewCpu, previewPer, shown, dropped);
    std::printf("%-8s %9d %10.2f %14.2f\n", "ffmpeg", ffmpegPictures, ffmpegCpu, ffmpegPer);
    std::printf("ratio preview / ffmpeg per picture: %.2f\n", previewPer / ffmpegPer);
    std::printf("capture to paint: median %.1f ms, 99th percentile %.1f ms (%zu pictures)\n",
        percentile(latenciesMs, 0.5), percentile(latenciesMs, 0.99), latenciesMs.size());
    SOLV_Cleanup();
    return 0;
}
