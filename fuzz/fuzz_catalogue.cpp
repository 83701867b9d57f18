// The lens and camera catalogue readers on a file written from the input.
#include "fuzzscratch.h"
#include "lenscatalogue.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString fileName = writeScratch("catalogue", data, size);
    if (fileName.isEmpty()) {
        return 0;
    }
    QList<LensInfo> lenses;
    ReadLensCatalogue(fileName, lenses);
    QList<CameraInfo> cameras;
    ReadCameraCatalogue(fileName, cameras);
    return 0;
}
