#include "previewdebug.h"

namespace {

QtMsgType defaultThreshold()
{
    return qEnvironmentVariable("TERVIX_DEBUG") == QLatin1String("1") ? QtDebugMsg : QtInfoMsg;
}

} // namespace

Q_LOGGING_CATEGORY(lcPreview, "tervix.preview", defaultThreshold())
