#include "debuglog.h"

namespace {

QtMsgType defaultThreshold()
{
    return qEnvironmentVariable("TERVIX_DEBUG") == QLatin1String("1") ? QtDebugMsg : QtInfoMsg;
}

} // namespace

Q_LOGGING_CATEGORY(lcApp, "tervix.app", defaultThreshold())
Q_LOGGING_CATEGORY(lcDevices, "tervix.devices", defaultThreshold())
Q_LOGGING_CATEGORY(lcDiscovery, "tervix.discovery", defaultThreshold())
Q_LOGGING_CATEGORY(lcSearch, "tervix.search", defaultThreshold())
Q_LOGGING_CATEGORY(lcNetwork, "tervix.network", defaultThreshold())
Q_LOGGING_CATEGORY(lcCalculator, "tervix.calculator", defaultThreshold())
Q_LOGGING_CATEGORY(lcConfig, "tervix.config", defaultThreshold())
Q_LOGGING_CATEGORY(lcUpgrade, "tervix.upgrade", defaultThreshold())
Q_LOGGING_CATEGORY(lcBatch, "tervix.batch", defaultThreshold())
Q_LOGGING_CATEGORY(lcFocus, "tervix.focus", defaultThreshold())
