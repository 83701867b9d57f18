#pragma once

#include <QString>

// The state of one device's upgrade. Codes 1 to 5 are the device SDK's own
// upgrade states and are stored as received.
enum UpgradeState : int {
    UpgradeWaiting = 0, // not started yet
    UpgradeSucceeded = 1,
    UpgradeRunning = 2,
    UpgradeFailed = 3, // the upgrade was refused or the SDK reports failure
    UpgradeUnknown = 4,
    UpgradeLanguageMismatch = 5,
    UpgradeLoginFailed = 6,
    UpgradeNoFileName = 7, // the device description could not be read
    UpgradeNoDirectorySupport = 8, // the device does not give its description
    UpgradeNoFirmware = 9, // no image for this device in the directory
    UpgradeReconnecting = 10, // upgraded and rebooted, waiting for the device
    UpgradeReconnected = 11,
    UpgradeRestored = 12, // logged in again, defaults restored and rebooted
    UpgradeReconnectFailed = 13, // the device did not come back in time
};

// The text the upgrade page and the command line show for a state, translated
// (context "CUpgradeFrame"); empty for a code that is no state.
QString UpgradeStateText(int state);

// Whether a device in this state has its new firmware and needs nothing more
// of the batch. `restore`: the batch restores defaults after the reboot.
bool UpgradeStateSucceeded(int state, bool restore);
