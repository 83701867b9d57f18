// The lens and camera catalogue readers on a file written from the input.
#include "lenscatalogue.h"

#include <QDir>
#include <QFile>

#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // One scratch file per process, gone when the run ends.
    static const struct Scratch
    {
        QString name = QDir::tempPath() + QStringLiteral("/tervix-fuzz-catalogue-%1.xml").arg(::getpid());
        ~Scratch() { QFile::remove(name); }
    } scratch;
    const QString &fileName = scratch.name;
    {
        QFile file(fileName);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            return 0;
        }
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    QList<LensInfo> lenses;
    ReadLensCatalogue(fileName, lenses);
    QList<CameraInfo> cameras;
    ReadCameraCatalogue(fileName, cameras);
    return 0;
}
