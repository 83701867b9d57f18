#pragma once

#include "vdec.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

// Streams that the ffmpeg tool makes from its test picture, and ffmpeg's own
// decode of them: the player must show what any decoder shows.
struct FfmpegStream
{
    QByteArray data; // the elementary stream, as a file holds it
    QByteArray header; // what Strix_OpenStream takes for it
    int width = 0;
    int height = 0;
    QList<QByteArray> lumaPlanes; // of ffmpeg's decode, in display order
};

struct FfmpegCodec
{
    const char *name;
    vdec::Codec codec;
    QStringList encoderArguments;
};

inline QList<FfmpegCodec> ffmpegCodecs()
{
    return {
        { "H.264 with B-frames", vdec::Codec::H264,
            { "-c:v", "libx264", "-bf", "2", "-g", "25", "-pix_fmt", "yuv420p", "-f", "h264" } },
        { "MPEG-4 part 2 with B-frames", vdec::Codec::Mpeg4,
            { "-c:v", "mpeg4", "-bf", "2", "-g", "12", "-q:v", "5", "-f", "m4v" } },
        { "M-JPEG", vdec::Codec::Mjpeg, { "-c:v", "mjpeg", "-q:v", "5", "-f", "mjpeg" } },
    };
}

inline bool runFfmpeg(const QStringList &arguments, QString *error)
{
    const QString ffmpeg = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
    if (ffmpeg.isEmpty()) {
        *error = QStringLiteral("the ffmpeg tool is not installed (scripts/setup installs it)");
        return false;
    }
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(
        ffmpeg, QStringList { "-hide_banner", "-loglevel", "error", "-nostdin", "-y" } + arguments);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0) {
        *error
            = QStringLiteral("ffmpeg %1: %2")
                  .arg(arguments.join(QLatin1Char(' ')), QString::fromLocal8Bit(process.readAll()));
        return false;
    }
    return true;
}

// `frames` pictures of ffmpeg's moving test source at `width` x `height`, 25 per second.
inline bool makeFfmpegStream(const QDir &dir, const FfmpegCodec &codec, int width, int height,
    int frames, FfmpegStream *stream, QString *error)
{
    const QString file = dir.filePath(QStringLiteral("stream.bin"));
    const QString decoded = dir.filePath(QStringLiteral("decoded.yuv"));
    const QString source = QStringLiteral("testsrc2=size=%1x%2:rate=25").arg(width).arg(height);
    if (!runFfmpeg(QStringList { "-f", "lavfi", "-i", source, "-frames:v", QString::number(frames) }
                + codec.encoderArguments + QStringList { file },
            error)
        || !runFfmpeg({ "-i", file, "-f", "rawvideo", "-pix_fmt", "yuv420p", decoded }, error)) {
        return false;
    }
    QFile in(file);
    QFile out(decoded);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read what ffmpeg wrote");
        return false;
    }
    stream->data = in.readAll();
    stream->width = width;
    stream->height = height;
    const qint64 pictureBytes = qint64(vdec::pictureSize(width, height));
    while (!out.atEnd()) {
        const QByteArray picture = out.read(pictureBytes);
        stream->lumaPlanes << picture.left(width * height);
    }
    vdec::StreamHeader header;
    header.codec = codec.codec;
    header.width = width;
    header.height = height;
    header.packaging = vdec::Packaging::Elementary;
    const std::vector<uint8_t> bytes = vdec::makeStreamHeader(header);
    stream->header
        = QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
    return true;
}
