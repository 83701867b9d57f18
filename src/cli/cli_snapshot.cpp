// tervix-cli snapshot: one picture of a camera's live stream, through the
// device SDK and the stream player that the preview uses.
#include "cli_snapshot.h"

#include "devicesdk.h"
#include "realplay.h"
#include "solvane.h"
#include "vdec.h"

#include <QJsonObject>
#include <QMutex>
#include <QMutexLocker>
#include <QSaveFile>
#include <QSemaphore>

#include <vector>

namespace {

constexpr qint64 DefaultWaitMs = 10000;
constexpr int CameraChannel = 1;

const CliOptionSpec snapshotOptions[] = {
    { "wait", "MS",
        QT_TRANSLATE_NOOP("Cli", "how long to wait for the first picture (default 10000)") },
};

// The first picture the preview decodes; later ones are ignored.
struct FirstPicture
{
    QMutex mutex;
    std::vector<uint8_t> yuv;
    int width = 0;
    int height = 0;
    QSemaphore ready;

    static void take(const uint8_t *buffer, int width, int height, void *user)
    {
        auto *self = static_cast<FirstPicture *>(user);
        const QMutexLocker locker(&self->mutex);
        if (!self->yuv.empty()) {
            return;
        }
        self->yuv.assign(buffer, buffer + vdec::pictureSize(width, height));
        self->width = width;
        self->height = height;
        self->ready.release();
    }
};

int failure(const CliOptions &options, const QString &message)
{
    cliError(message);
    if (options.json) {
        cliPrintJson(QJsonObject {
            { QStringLiteral("ok"), false }, { QStringLiteral("message"), message } });
    }
    return CliFailed;
}

int runSnapshot(const QStringList &args, const CliOptions &options)
{
    if (args.size() != 2) {
        return cliUsageError(Cli::tr("snapshot needs HOST and FILE.png"));
    }
    qint64 waitMs = 0;
    if (!cliNumberOption(options, QStringLiteral("wait"), DefaultWaitMs, 1, 3600000, &waitMs)) {
        return CliUsage;
    }
    const QString &host = args.at(0);
    const QString &file = args.at(1);
    int exitCode = CliOk;
    const auto login = cliLogin(host, options, &exitCode);
    if (!login) {
        return exitCode;
    }

    FirstPicture first;
    CRealPlay realPlay([](const QString &line) { cliError(line); });
    realPlay.SetFrameCallback(&FirstPicture::take, &first);
    // No window: the player hands its pictures to the frame callback only.
    if (!realPlay.RealPlay(login->userId(), CameraChannel, 0)) {
        return cliSdkFailure(
            options, Cli::tr("cannot start the live stream of %1").arg(host), SOLV_GetLastError());
    }
    const bool received = first.ready.tryAcquire(1, int(waitMs));
    realPlay.StopRealPlay();
    if (!received) {
        return failure(options, Cli::tr("no picture from %1 within %2 ms").arg(host).arg(waitMs));
    }

    const std::vector<uint8_t> png = vdec::encodePng(first.yuv.data(), first.width, first.height);
    QSaveFile out(file);
    if (png.empty() || !out.open(QIODevice::WriteOnly)
        || out.write(reinterpret_cast<const char *>(png.data()), qint64(png.size()))
            != qint64(png.size())
        || !out.commit()) {
        return failure(options, Cli::tr("cannot write the picture to %1").arg(file));
    }
    if (options.json) {
        cliPrintJson(QJsonObject { { QStringLiteral("ok"), true }, { QStringLiteral("file"), file },
            { QStringLiteral("width"), first.width }, { QStringLiteral("height"), first.height } });
    } else {
        cliPrint(Cli::tr("wrote a %1x%2 picture of %3 to %4")
                     .arg(first.width)
                     .arg(first.height)
                     .arg(host, file));
    }
    return CliOk;
}

} // namespace

const CliCommand snapshotCommand = { "snapshot", QT_TRANSLATE_NOOP("Cli", "HOST FILE.png"),
    QT_TRANSLATE_NOOP("Cli", "writes one picture of the device's live stream as a PNG file"),
    snapshotOptions, LoginOptions, runSnapshot };
