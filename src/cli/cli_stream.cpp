// tervix-cli stream: watches a device's live stream through the device SDK
// and tells what came: codec, size, frame rate and bitrate, optionally with
// the stream itself written to a file.
#include "cli_stream.h"

#include "devicesdk.h"
#include "solvane.h"
#include "solvane_stream.h"

#include <QFile>
#include <QMutex>
#include <QSemaphore>

#include <cstring>
#include <optional>

namespace {

constexpr qint64 DefaultSeconds = 10;
constexpr qint64 MaxSeconds = 86400;

quint32 readU32(const uint8_t *bytes)
{
    return quint32(bytes[0]) | (quint32(bytes[1]) << 8) | (quint32(bytes[2]) << 16)
        | (quint32(bytes[3]) << 24);
}

quint16 readU16(const uint8_t *bytes)
{
    return quint16(bytes[0] | (bytes[1] << 8));
}

quint64 readU64(const uint8_t *bytes)
{
    return quint64(readU32(bytes)) | (quint64(readU32(bytes + 4)) << 32);
}

QString codecName(quint32 codec)
{
    switch (codec) {
    case SOLV_CODEC_H264:
        return QStringLiteral("H.264");
    case SOLV_CODEC_MPEG4:
        return QStringLiteral("MPEG-4");
    case SOLV_CODEC_MJPEG:
        return QStringLiteral("M-JPEG");
    default:
        return Cli::tr("unknown (%1)").arg(codec);
    }
}

// What the stream callback saw; written on the SDK's thread, read once the
// stream is stopped.
struct Watch
{
    QMutex lock;
    QFile *out = nullptr; // the raw stream, when asked for
    bool writeFailed = false;
    std::optional<QByteArray> header;
    int headers = 0;
    qint64 pictures = 0;
    qint64 keyPictures = 0;
    qint64 missed = 0; // gaps in the picture numbers
    qint64 bytes = 0; // encoded bytes of the pictures
    quint64 firstCapture = 0;
    quint64 lastCapture = 0;
    quint32 lastNumber = 0;
    std::optional<quint32> endError; // the stream ended by itself, with this SDK error
    QSemaphore ended;

    void write(const uint8_t *data, qint64 size)
    {
        if (out && size > 0 && out->write(reinterpret_cast<const char *>(data), size) != size) {
            writeFailed = true;
        }
    }

    void takeHeader(const uint8_t *buffer, uint32_t size)
    {
        if (size < SOLV_STREAM_HEADER_SIZE) {
            return;
        }
        header = QByteArray(reinterpret_cast<const char *>(buffer), qsizetype(size));
        ++headers;
        // The set-up bytes first, so that the file is a stream a player opens.
        write(buffer + SOLV_STREAM_HEADER_SIZE, qint64(size) - SOLV_STREAM_HEADER_SIZE);
    }

    void takePicture(const uint8_t *buffer, uint32_t size)
    {
        if (size < SOLV_PICTURE_PREFIX_SIZE) {
            return;
        }
        const quint64 capture = readU64(buffer + SOLV_PICTURE_OFFSET_CAPTURE_TIME);
        const quint32 number = readU32(buffer + SOLV_PICTURE_OFFSET_NUMBER);
        if (pictures == 0) {
            firstCapture = capture;
        } else if (number > lastNumber + 1) {
            missed += number - lastNumber - 1;
        }
        lastCapture = capture;
        lastNumber = number;
        ++pictures;
        if (readU32(buffer + SOLV_PICTURE_OFFSET_FLAGS) & SOLV_PICTURE_FLAG_KEY) {
            ++keyPictures;
        }
        bytes += qint64(size) - SOLV_PICTURE_PREFIX_SIZE;
        write(buffer + SOLV_PICTURE_PREFIX_SIZE, qint64(size) - SOLV_PICTURE_PREFIX_SIZE);
    }

    static void callback(int32_t, uint32_t type, const uint8_t *buffer, uint32_t size, void *user)
    {
        auto *self = static_cast<Watch *>(user);
        QMutexLocker guard(&self->lock);
        switch (type) {
        case SOLV_STREAM_HEADER:
            self->takeHeader(buffer, size);
            break;
        case SOLV_STREAM_DATA:
            self->takePicture(buffer, size);
            break;
        case SOLV_STREAM_END:
            self->endError = SOLV_GetLastError();
            self->ended.release();
            break;
        default:
            break;
        }
    }
};

int runStream(const QStringList &args, const CliOptions &options)
{
    if (args.size() != 1) {
        return cliUsageError(Cli::tr("stream takes one HOST"));
    }
    qint64 seconds = 0;
    if (!cliNumberOption(
            options, QStringLiteral("seconds"), DefaultSeconds, 1, MaxSeconds, &seconds)) {
        return CliUsage;
    }
    QFile file(options.value(QStringLiteral("out")));
    if (options.has(QStringLiteral("out")) && !file.open(QIODevice::WriteOnly)) {
        cliError(Cli::tr("cannot write \"%1\": %2").arg(file.fileName(), file.errorString()));
        return CliFailed;
    }
    int exitCode = CliOk;
    const auto login = cliLogin(args.at(0), options, &exitCode);
    if (!login) {
        return exitCode;
    }

    Watch watch;
    watch.out = file.isOpen() ? &file : nullptr;
    SOLV_PREVIEW_REQUEST request {};
    request.channel = 1;
    const int32_t handle
        = SOLV_RealPlay_V30(login->userId(), &request, &Watch::callback, &watch, 1);
    if (handle < 0) {
        return cliSdkFailure(
            options, Cli::tr("%1 refused the live stream").arg(args.at(0)), SOLV_GetLastError());
    }
    watch.ended.tryAcquire(1, int(seconds * 1000));
    SOLV_StopRealPlay(handle);
    file.close();

    if (!watch.header) {
        return cliSdkFailure(options, Cli::tr("no stream header from %1").arg(args.at(0)),
            watch.endError.value_or(SOLV_TIMEOUT));
    }
    const auto *header = reinterpret_cast<const uint8_t *>(watch.header->constData());
    // Over the capture times of the pictures: n pictures span n - 1 intervals.
    const double span = double(watch.lastCapture - watch.firstCapture) / 1e6;
    const double rate = watch.pictures > 1 && span > 0 ? double(watch.pictures - 1) / span : 0;
    const double kbps = watch.pictures > 1 && span > 0 ? double(watch.bytes) * 8 / 1000
            * double(watch.pictures - 1) / double(watch.pictures) / span
                                                       : 0;
    const quint32 rateNum = readU32(header + SOLV_STREAM_OFFSET_RATE_NUM);
    const quint32 rateDen = readU32(header + SOLV_STREAM_OFFSET_RATE_DEN);
    // Text shows decimals as written; JSON keeps them numbers.
    const auto decimal = [&](double value, int digits) -> QJsonValue {
        return options.json ? QJsonValue(value) : QJsonValue(QString::number(value, 'f', digits));
    };
    QList<QPair<QString, QJsonValue>> fields {
        { QStringLiteral("host"), args.at(0) },
        { QStringLiteral("codec"), codecName(readU32(header + SOLV_STREAM_OFFSET_CODEC)) },
        { QStringLiteral("width"), readU16(header + SOLV_STREAM_OFFSET_WIDTH) },
        { QStringLiteral("height"), readU16(header + SOLV_STREAM_OFFSET_HEIGHT) },
        { QStringLiteral("frameRate"), decimal(rate, 2) },
        { QStringLiteral("bitrateKbps"), decimal(kbps, 1) },
        { QStringLiteral("pictures"), watch.pictures },
        { QStringLiteral("keyPictures"), watch.keyPictures },
        { QStringLiteral("missedPictures"), watch.missed },
        { QStringLiteral("headers"), watch.headers },
        { QStringLiteral("setFrameRate"),
            decimal(rateDen != 0 ? double(rateNum) / rateDen : 0, 2) },
        { QStringLiteral("setBitrateKbps"),
            qint64(readU32(header + SOLV_STREAM_OFFSET_BITRATE) / 1000) },
    };
    if (options.has(QStringLiteral("out"))) {
        fields.append({ QStringLiteral("file"), file.fileName() });
    }
    cliPrintFields(options, fields);
    if (watch.writeFailed) {
        cliError(Cli::tr("could not write all of the stream to \"%1\"").arg(file.fileName()));
        return CliFailed;
    }
    if (watch.endError) {
        return cliSdkFailure(
            options, Cli::tr("the stream of %1 ended early").arg(args.at(0)), *watch.endError);
    }
    return CliOk;
}

const CliOptionSpec streamOptions[] = {
    { "seconds", "N", QT_TRANSLATE_NOOP("Cli", "how long to watch (10 by default)") },
    { "out", "FILE",
        QT_TRANSLATE_NOOP(
            "Cli", "write the stream to FILE as it came (a raw H.264, MPEG-4 or M-JPEG stream)") },
};

} // namespace

const CliCommand streamCommand
    = { "stream", QT_TRANSLATE_NOOP("Cli", "HOST [--seconds N] [--out FILE]"),
          QT_TRANSLATE_NOOP("Cli",
              "watch the device's live stream and tell its codec, size, frame rate and bitrate"),
          streamOptions, LoginOptions, runStream };
