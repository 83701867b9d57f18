#pragma once

#include "devicecontext.h"
#include "upgradetask.h"
#include "upgradetiming.h"

#include "mirt.h"

#include <QByteArray>

#include <array>
#include <atomic>
#include <memory>
#include <vector>

// Upgrades the firmware of a batch of devices: at most sixteen uploads at
// a time on one worker thread (UpgradeThread), each running upload polled
// once per poll interval, and, when asked, every upgraded device rebooted,
// waited for and restored to its defaults. The tasks are added before
// Start() and stay unchanged until Stop(); TaskState() and TotalProgress()
// may be read meanwhile from the thread that owns the manager.
class CUpgradeManager
{
public:
    static constexpr int SlotCount = 16;

    explicit CUpgradeManager(DeviceContext context,
        std::shared_ptr<const UpgradeTiming> timing = std::make_shared<UpgradeTiming>());
    // Stops the batch and deletes its tasks.
    ~CUpgradeManager();
    CUpgradeManager(const CUpgradeManager &) = delete;
    CUpgradeManager &operator=(const CUpgradeManager &) = delete;

    // A task for one device; its index, or -1 while a batch runs.
    int AddTask(const QByteArray &address, quint16 port, const QByteArray &userName,
        const QByteArray &password);
    // A task for a listed device, with the credentials the context gives it.
    int AddTask(const DEVICEINFO &record);
    // The image file or directory, in the local 8-bit encoding (cut to 260
    // bytes); false only for a null path.
    bool SetFirmware(const char *path, quint32 mode);
    void SetFlags(bool reboot, bool restore);
    // Starts the worker; false, with "Upgrade Failed!" in the log, when it
    // cannot be started.
    bool Start();
    // Stops the worker and waits until it has closed every running upload
    // and stopped every reconnection.
    bool Stop();
    bool IsRunning() const { return m_thread != nullptr; }

    // The task's state (asking the SDK while its upload runs); -1 for an
    // unknown index.
    int TaskState(int index);
    // Percent of the task's image the device has taken; -1 for an unknown index.
    int TaskProgress(int index);
    int TaskCount() const { return int(m_tasks.size()); }
    // Percent of the tasks that have reached their end; 100 for no tasks.
    int TotalProgress() const;
    // Deletes every task; stops the batch first if it still runs.
    void ClearTasks();

private:
    static void *UpgradeThread(void *manager);
    void startTasks(int total, int &next, int &idle);
    void pollSlots(int &idle);
    void joinReconnected();
    void windUp(int &idle);

    DeviceContext m_context;
    std::shared_ptr<const UpgradeTiming> m_timing;
    std::vector<std::unique_ptr<CUpgradeTask>> m_tasks;
    // Only the worker touches the slots and the reconnect list.
    std::array<CUpgradeTask *, SlotCount> m_slots {};
    std::vector<CUpgradeTask *> m_reconnecting;
    MIRT_Thread m_thread = nullptr;
    MIRT_Sem m_stopSem = nullptr;
    QByteArray m_firmwarePath;
    quint32 m_mode = FirmwareFile;
    std::atomic<int> m_finished { 0 };
    bool m_reboot = false;
    bool m_restore = false;
};
