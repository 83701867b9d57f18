#include "upgrademanager.h"

#include "debuglog.h"
#include "upgradestate.h"

#include <QCoreApplication>

#include <algorithm>

CUpgradeManager::CUpgradeManager(DeviceContext context, std::shared_ptr<const UpgradeTiming> timing)
    : m_context(std::move(context)), m_timing(std::move(timing))
{ }

CUpgradeManager::~CUpgradeManager()
{
    ClearTasks();
}

int CUpgradeManager::AddTask(
    const QByteArray &address, quint16 port, const QByteArray &userName, const QByteArray &password)
{
    if (IsRunning()) {
        return -1;
    }
    m_tasks.push_back(std::make_unique<CUpgradeTask>(address, port, userName, password, m_timing));
    return int(m_tasks.size()) - 1;
}

int CUpgradeManager::AddTask(const DEVICEINFO &record)
{
    const DeviceCredentials credentials = m_context.credentialsFor(record);
    return AddTask(FixedText::read(record.szIPAddress), record.wPort, credentials.userName,
        credentials.password);
}

bool CUpgradeManager::SetFirmware(const char *path, quint32 mode)
{
    if (path == nullptr) {
        return false;
    }
    m_firmwarePath = QByteArray(path, qsizetype(qstrnlen(path, size_t(MaxFirmwareFileBytes))));
    m_mode = mode;
    return true;
}

void CUpgradeManager::SetFlags(bool reboot, bool restore)
{
    m_reboot = reboot;
    m_restore = restore;
}

bool CUpgradeManager::Start()
{
    if (IsRunning()) {
        return false;
    }
    m_finished = 0;
    m_stopSem = MIRT_SemCreate(0);
    if (m_stopSem != nullptr) {
        m_thread
            = MIRT_Thread_Create(&CUpgradeManager::UpgradeThread, this, MIRT_DEFAULT_STACK_SIZE);
    }
    if (m_thread == nullptr) {
        qCDebug(lcUpgrade, "Create upgrade thread failed! err:%d", MIRT_GetLastError());
        if (m_stopSem != nullptr) {
            MIRT_SemDestroy(m_stopSem);
            m_stopSem = nullptr;
        }
        m_context.Log(QCoreApplication::translate("CUpgradeFrame", "Upgrade Failed!"));
        return false;
    }
    return true;
}

bool CUpgradeManager::Stop()
{
    if (m_thread == nullptr) {
        return true;
    }
    MIRT_SemPost(m_stopSem);
    MIRT_Thread_Wait(m_thread, nullptr);
    m_thread = nullptr;
    MIRT_SemDestroy(m_stopSem);
    m_stopSem = nullptr;
    return true;
}

int CUpgradeManager::TaskState(int index)
{
    if (index < 0 || size_t(index) >= m_tasks.size()) {
        return -1;
    }
    return m_tasks[size_t(index)]->QueryState();
}

int CUpgradeManager::TaskProgress(int index)
{
    if (index < 0 || size_t(index) >= m_tasks.size()) {
        return -1;
    }
    return m_tasks[size_t(index)]->QueryProgress();
}

int CUpgradeManager::TotalProgress() const
{
    const int total = int(m_tasks.size());
    const int finished = m_finished.load();
    if (finished == total) {
        return 100;
    }
    return finished * 100 / total;
}

void CUpgradeManager::ClearTasks()
{
    Stop();
    m_tasks.clear();
}

// --- the worker ------------------------------------------------------------

void CUpgradeManager::startTasks(int total, int &next, int &idle)
{
    // Starts follow one another without waiting: up to sixteen logins and
    // uploads are begun back to back.
    while (idle >= 1 && next < total) {
        qCDebug(lcUpgrade,
            "UpgradeThread---While loop---Total device num:%d, device index:%d, idle mask num:%d",
            total, next, idle);
        CUpgradeTask *task = m_tasks[size_t(next)].get();
        task->SetFirmware(m_firmwarePath, m_mode);
        if (task->Start(m_reboot)) {
            *std::find(m_slots.begin(), m_slots.end(), nullptr) = task;
            --idle;
            qCDebug(lcUpgrade, "Idle upgrade task:%d", idle);
        } else {
            ++m_finished;
        }
        ++next;
    }
}

void CUpgradeManager::pollSlots(int &idle)
{
    for (CUpgradeTask *&slot : m_slots) {
        if (slot == nullptr) {
            continue;
        }
        const int state = slot->QueryState();
        if (state == UpgradeRunning) {
            continue;
        }
        slot->Finish();
        const bool reconnect = m_restore && state == UpgradeSucceeded;
        if (reconnect) {
            // Listed even when its thread cannot start: the batch then ends
            // only with the user's stop.
            slot->StartReconnect(true);
            m_reconnecting.push_back(slot);
        } else {
            ++m_finished;
        }
        slot = nullptr;
        ++idle;
        qCDebug(lcUpgrade, "Idle upgrade task:%d", idle);
    }
}

void CUpgradeManager::joinReconnected()
{
    const auto done = [this](CUpgradeTask *task) {
        const int state = task->state();
        if (state != UpgradeRestored && state != UpgradeReconnectFailed) {
            return false;
        }
        task->StopReconnect();
        ++m_finished;
        return true;
    };
    m_reconnecting.erase(
        std::remove_if(m_reconnecting.begin(), m_reconnecting.end(), done), m_reconnecting.end());
}

void CUpgradeManager::windUp(int &idle)
{
    for (CUpgradeTask *&slot : m_slots) {
        if (slot == nullptr) {
            continue;
        }
        // Closes an upload that still runs; the device keeps its old firmware.
        slot->Finish();
        slot = nullptr;
        ++idle;
        qCDebug(lcUpgrade, "Idle upgrade task:%d", idle);
    }
    for (CUpgradeTask *task : m_reconnecting) {
        task->StopReconnect();
    }
    m_reconnecting.clear();
}

void *CUpgradeManager::UpgradeThread(void *argument)
{
    auto *manager = static_cast<CUpgradeManager *>(argument);
    qCDebug(lcUpgrade, "UpgradeThread start!");
    const int total = int(manager->m_tasks.size());
    int next = 0;
    int idle = SlotCount;
    // The thread keeps polling after every task has ended, until Stop().
    for (;;) {
        manager->startTasks(total, next, idle);
        manager->pollSlots(idle);
        if (manager->m_restore) {
            manager->joinReconnected();
        }
        if (manager->m_timing->pause(
                manager->m_stopSem, manager->m_timing->pollInterval, UpgradeTiming::PollPause)) {
            break;
        }
    }
    manager->windUp(idle);
    qCDebug(lcUpgrade, "UpgradeThread exit!");
    return nullptr;
}
