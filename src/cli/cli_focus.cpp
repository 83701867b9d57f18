// tervix-cli focus: the focus values of a camera's live stream as the
// "Auxiliary Zoom" page samples them, or the focus value of a picture file.
#include "cli_focus.h"

#include "focusmeasure.h"
#include "focussampler.h"
#include "greypicture.h"
#include "realplay.h"
#include "solvane.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QTimer>

namespace {

// The focus page reads the sampler five times a second.
constexpr int TickMs = 200;
// The stream's frame rate is what the player decoded in the last second:
// read it once the pictures have flowed for that long.
constexpr int SettleMs = 1000;
// A stream with no picture by then counts as failed.
constexpr int FirstPictureMs = 10000;

const QLatin1String SecondsOption("seconds");
const QLatin1String ImageOption("image");

const CliOptionSpec Options[] = {
    { "seconds", "N", QT_TRANSLATE_NOOP("Cli", "how long to follow the live stream (10)") },
    { "image", "FILE", QT_TRANSLATE_NOOP("Cli", "the focus value of a binary 8-bit PGM picture") },
};

int fileFailure(const CliOptions &options, const QString &message)
{
    cliError(message);
    if (options.json) {
        cliPrintJson(QJsonObject {
            { QStringLiteral("ok"), false }, { QStringLiteral("message"), message } });
    }
    return CliFailed;
}

int runImage(const QString &file, const CliOptions &options)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        return fileFailure(options, Cli::tr("cannot read %1").arg(file));
    }
    QString why;
    const std::optional<GreyPicture> picture = GreyPicture::fromPgm(in.readAll(), &why);
    if (!picture) {
        return fileFailure(options, Cli::tr("%1: %2").arg(file, why));
    }
    const qint32 value
        = FocusMeasure::measureFast(reinterpret_cast<const uchar *>(picture->bytes.constData()),
            picture->width, picture->height);
    if (options.json) {
        cliPrintJson(QJsonObject { { QStringLiteral("file"), file },
            { QStringLiteral("width"), picture->width },
            { QStringLiteral("height"), picture->height }, { QStringLiteral("focus"), value } });
    } else {
        cliPrint(QString::number(value));
    }
    return CliOk;
}

// The stream's frame rate once it has settled; 0 when no picture came.
unsigned settledFrameRate(const CRealPlay &preview)
{
    QEventLoop loop;
    QTimer poll;
    QElapsedTimer waited;
    QElapsedTimer flowing;
    waited.start();
    unsigned rate = 0;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        rate = preview.GetFrameRate();
        if (rate > 0 && !flowing.isValid()) {
            flowing.start();
        }
        if ((flowing.isValid() && flowing.elapsed() >= SettleMs)
            || (!flowing.isValid() && waited.elapsed() >= FirstPictureMs)) {
            loop.quit();
        }
    });
    poll.start(50);
    loop.exec();
    return rate;
}

int runStream(const QString &host, const CliOptions &options)
{
    qint64 seconds = 0;
    if (!cliNumberOption(options, SecondsOption, 10, 1, 24 * 3600, &seconds)) {
        return CliUsage;
    }
    const QString address = cliHostAddress(host);
    if (address.isEmpty()) {
        return CliUsage;
    }
    cliApplyTimeout(options);

    FocusMeasure::setEnabled(true);
    FocusSampler sampler;
    CRealPlay preview;
    preview.SetFrameCallback(FocusSampler::frameCallback, &sampler);
    // No window: the pictures go to the frame callback only.
    if (!preview.StartRealPlay(address.toLatin1().constData(), options.port,
            options.userName.constData(), options.password.constData(), 1, 0)) {
        return cliSdkFailure(options,
            Cli::tr("cannot start the live stream of %1:%2").arg(address).arg(options.port),
            SOLV_GetLastError());
    }
    const auto noPicture = [&] {
        preview.StopRealPlay();
        return fileFailure(options,
            Cli::tr("%1 sent no picture within %2 s").arg(address).arg(FirstPictureMs / 1000));
    };
    const unsigned frameRate = settledFrameRate(preview);
    if (frameRate == 0) {
        return noPicture();
    }
    sampler.start(frameRate);

    QJsonArray values;
    QEventLoop loop;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    const qint64 ticks = seconds * 1000 / TickMs;
    // Values start with the first measured picture: before it the sampler
    // holds none, and a 0 would read as a lens out of focus.
    const auto measured = [&] {
        return sampler.highest() > 0 || sampler.lowest() < FocusSampler::LowestAtStart;
    };
    int waitedTicks = 0;
    bool neverMeasured = false;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (values.isEmpty() && !measured()) {
            if (++waitedTicks * TickMs >= FirstPictureMs) {
                neverMeasured = true;
                loop.quit();
            }
            return;
        }
        const int value = sampler.current();
        values.append(value);
        if (!options.json) {
            cliPrint(
                QStringLiteral("%1 %2").arg(values.size() * TickMs / 1000.0, 6, 'f', 1).arg(value));
        }
        if (values.size() >= ticks) {
            loop.quit();
        }
    });
    tick.start(TickMs);
    loop.exec();
    if (neverMeasured) {
        return noPicture();
    }
    preview.StopRealPlay();

    if (options.json) {
        cliPrintJson(QJsonObject { { QStringLiteral("host"), address },
            { QStringLiteral("frameRate"), qint64(frameRate) },
            { QStringLiteral("values"), values }, { QStringLiteral("highest"), sampler.highest() },
            { QStringLiteral("lowest"), sampler.lowest() } });
    } else {
        cliPrint(Cli::tr("highest: %1").arg(sampler.highest()));
        cliPrint(Cli::tr("lowest:  %1").arg(sampler.lowest()));
    }
    return CliOk;
}

int runFocus(const QStringList &args, const CliOptions &options)
{
    if (options.has(ImageOption)) {
        if (!args.isEmpty() || options.has(SecondsOption)) {
            return cliUsageError(Cli::tr("--image takes no HOST and no --seconds"));
        }
        return runImage(options.value(ImageOption), options);
    }
    if (args.size() != 1) {
        return cliUsageError(Cli::tr("focus needs one HOST, or --image FILE"));
    }
    return runStream(args.first(), options);
}

} // namespace

const CliCommand focusCommand { "focus",
    QT_TRANSLATE_NOOP("Cli", "HOST [--seconds N] | --image FILE.pgm"),
    QT_TRANSLATE_NOOP("Cli",
        "the focus values of the live stream, five a second, with the highest and lowest seen; "
        "or the focus value of a picture"),
    Options, LoginOptions, runFocus };
