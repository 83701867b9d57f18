#include "upgradestate.h"

#include <QCoreApplication>

#include <array>

namespace {

constexpr std::array<const char *, 14> kTexts = {
    QT_TRANSLATE_NOOP("CUpgradeFrame", "Wait Upgrading"),
    QT_TRANSLATE_NOOP("CUpgradeFrame", "Upgrade succeed"),
    nullptr, // "Upgrading" followed by "...", below
    QT_TRANSLATE_NOOP("CUpgradeFrame", "Upgrade Failed"),
    QT_TRANSLATE_NOOP("CUpgradeFrame", "Unknown upgrade state"),
    QT_TRANSLATE_NOOP("CUpgradeFrame", "Language Mismatch"),
    QT_TRANSLATE_NOOP("CUpgradeFrame", "Failed to login"),
    QT_TRANSLATE_NOOP("CUpgradeFrame", "Failed to get upgrade file name from device"),
    QT_TRANSLATE_NOOP("CUpgradeFrame", "Device does not support upgrading from a directory"),
    QT_TRANSLATE_NOOP("CUpgradeFrame", "Cannot find firmware"),
    QT_TRANSLATE_NOOP("CUpgradeFrame", "Upgrade succeed, reconnecting to device..."),
    QT_TRANSLATE_NOOP("CUpgradeFrame", "Upgrade succeed, reconnect to device succeed"),
    QT_TRANSLATE_NOOP("CUpgradeFrame", "Upgrade succeed, restore default settings succeed"),
    QT_TRANSLATE_NOOP("CUpgradeFrame", "Upgrade succeed, reconnect to device failed"),
};

} // namespace

QString UpgradeStateText(int state)
{
    if (state == UpgradeRunning) {
        return QCoreApplication::translate("CUpgradeFrame", "Upgrading") + QStringLiteral("...");
    }
    if (state < 0 || size_t(state) >= kTexts.size()) {
        return QString();
    }
    return QCoreApplication::translate("CUpgradeFrame", kTexts[size_t(state)]);
}

bool UpgradeStateSucceeded(int state, bool restore)
{
    return restore ? state == UpgradeRestored : state == UpgradeSucceeded;
}
