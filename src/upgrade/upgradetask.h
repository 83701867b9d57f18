#pragma once

#include "devicesdk.h"
#include "upgradetiming.h"

#include "mirt.h"

#include <QByteArray>

#include <atomic>
#include <functional>
#include <memory>

// Where the image of a task comes from.
enum FirmwareMode : quint32 {
    FirmwareFile = 0, // one image for every device
    FirmwareDirectory = 1, // the image whose name the device's description gives
};

// Longest firmware paths, in bytes of the local 8-bit encoding.
constexpr qsizetype MaxFirmwareFileBytes = 260;
constexpr qsizetype MaxFirmwareDirectoryBytes = 210;

// The state a directory-mode start ends in when the device description
// cannot be used; 0 when `ability` holds a description. A text that was read
// but is empty counts as unreadable, so the task never stays "Wait Upgrading".
int DescriptionFailureState(const AbilityText &ability);

// How a reconnection schedule ended.
enum class ReconnectOutcome {
    Reconnected, // an attempt succeeded
    GaveUp, // the waits added up to the timing's limit
    Stopped, // `wake` was posted
};

// Runs the reconnection schedule of `timing`: waits, then calls `attempt`,
// until an attempt succeeds, the waits reach the limit or `wake` is posted.
ReconnectOutcome RunReconnectSchedule(
    const UpgradeTiming &timing, MIRT_Sem wake, const std::function<bool()> &attempt);

// The upgrade of one device: its login, the upload through the device SDK,
// and the reconnection after the reboot on a thread of its own
// (ReconnectThread). Used by the upgrade manager's thread; QueryState() and
// QueryProgress() may also be called from the page's thread meanwhile.
class CUpgradeTask
{
public:
    // Texts longer than the task's fields are cut: address 127 bytes, user
    // name 32, password 16.
    CUpgradeTask(const QByteArray &address, quint16 port, const QByteArray &userName,
        const QByteArray &password, std::shared_ptr<const UpgradeTiming> timing);
    // Releases nothing: the manager finishes the upload, logs out and stops
    // the reconnection first.
    ~CUpgradeTask();
    CUpgradeTask(const CUpgradeTask &) = delete;
    CUpgradeTask &operator=(const CUpgradeTask &) = delete;

    // A directory (cut to 210 bytes) or one image file (cut to 260 bytes).
    void SetFirmware(const QByteArray &path, quint32 mode);
    bool Login();
    void Logout();
    // Logs in, finds the image in directory mode and starts the upload;
    // false, logged out and with the reason in the state, when any step fails.
    bool Start(bool reboot);
    // The SDK's state while the upload's handle is open, else the stored one.
    int QueryState();
    // Percent of the image the device has taken, as last read.
    int QueryProgress();
    // Closes the upload, reboots a device that succeeded when asked to, logs
    // out; false when no upload was open.
    bool Finish();
    // Starts the reconnection of a rebooted device; false when the device was
    // not rebooted or the thread cannot be started.
    bool StartReconnect(bool restore);
    // Stops the reconnection, if any, and waits for its thread.
    void StopReconnect();

    // The stored state, without asking the SDK.
    int state() const { return m_state.load(); }
    const QByteArray &address() const { return m_address; }
    quint16 port() const { return m_port; }
    // The image sent: the file given, or the one found in the directory.
    const QByteArray &firmwareFile() const { return m_firmwareFile; }

private:
    static void *ReconnectThread(void *task);
    bool reconnectOnce();
    // Directory mode: the path of the image for this device, or empty with
    // the state set.
    QByteArray findFirmware();

    QByteArray m_address;
    quint16 m_port = 0;
    QByteArray m_userName;
    QByteArray m_password;
    QByteArray m_firmwareFile;
    QByteArray m_firmwareDirectory;
    quint32 m_mode = FirmwareFile;
    qint32 m_userId = -1;
    std::atomic<qint32> m_handle { -1 };
    std::atomic<int> m_state { 0 };
    std::atomic<int> m_progress { 0 };
    bool m_reboot = false;
    bool m_restore = false;
    MIRT_Thread m_reconnectThread = nullptr;
    MIRT_Sem m_reconnectSem = nullptr;
    std::shared_ptr<const UpgradeTiming> m_timing;
};
