#pragma once

// The input of a file reader's fuzz target, written to a scratch file of its
// own (one per process, removed when the run ends).

#include <QDir>
#include <QFile>
#include <QString>

#include <unistd.h>

#include <cstddef>
#include <cstdint>

// The file's name, or an empty text when it cannot be written.
inline QString writeScratch(const char *kind, const uint8_t *data, size_t size)
{
    static const struct Scratch
    {
        QString name;
        ~Scratch() { QFile::remove(name); }
    } scratch { QDir::tempPath()
        + QStringLiteral("/tervix-fuzz-%1-%2.xml").arg(QLatin1String(kind)).arg(::getpid()) };
    QFile file(scratch.name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return {};
    }
    file.write(reinterpret_cast<const char *>(data), qint64(size));
    return scratch.name;
}
