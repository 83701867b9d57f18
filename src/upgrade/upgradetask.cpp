#include "upgradetask.h"

#include "debuglog.h"
#include "firmwarename.h"
#include "upgradestate.h"

#include "solvane.h"

#include <algorithm>

namespace {

constexpr qsizetype AddressBytes = 127;
constexpr qsizetype UserNameBytes = 32;
constexpr qsizetype PasswordBytes = 16;
// A path found in the directory may take the file field's last byte too.
constexpr qsizetype FoundFirmwareFileBytes = MaxFirmwareFileBytes + 1;

qint32 login(
    const QByteArray &address, quint16 port, const QByteArray &userName, const QByteArray &password)
{
    SOLV_LOGIN_INFO info {};
    return SOLV_Login_V30(
        address.constData(), port, userName.constData(), password.constData(), &info);
}

bool isSdkUpgradeState(int state)
{
    return state >= UpgradeSucceeded && state <= UpgradeLanguageMismatch;
}

} // namespace

int DescriptionFailureState(const AbilityText &ability)
{
    if (!ability.ok) {
        return ability.error == SOLV_NOT_SUPPORT ? UpgradeNoDirectorySupport : UpgradeNoFileName;
    }
    return ability.text.isEmpty() ? UpgradeNoFileName : 0;
}

ReconnectOutcome RunReconnectSchedule(
    const UpgradeTiming &timing, MIRT_Sem wake, const std::function<bool()> &attempt)
{
    std::chrono::seconds wait = timing.firstReconnectWait;
    std::chrono::seconds elapsed { 0 };
    while (elapsed < timing.reconnectLimit) {
        if (timing.pause(wake, wait, UpgradeTiming::ReconnectPause)) {
            return ReconnectOutcome::Stopped;
        }
        if (attempt()) {
            return ReconnectOutcome::Reconnected;
        }
        elapsed += wait;
        if (wait > timing.shortestReconnectWait) {
            wait = std::max(wait - timing.reconnectWaitStep, timing.shortestReconnectWait);
        }
    }
    return ReconnectOutcome::GaveUp;
}

CUpgradeTask::CUpgradeTask(const QByteArray &address, quint16 port, const QByteArray &userName,
    const QByteArray &password, std::shared_ptr<const UpgradeTiming> timing)
    : m_address(address.left(AddressBytes)),
      m_port(port),
      m_userName(userName.left(UserNameBytes)),
      m_password(password.left(PasswordBytes)),
      m_timing(std::move(timing))
{ }

CUpgradeTask::~CUpgradeTask() = default;

void CUpgradeTask::SetFirmware(const QByteArray &path, quint32 mode)
{
    if (mode != FirmwareFile) {
        m_firmwareDirectory = path.left(MaxFirmwareDirectoryBytes);
    } else {
        m_firmwareFile = path.left(MaxFirmwareFileBytes);
    }
    m_mode = mode;
}

bool CUpgradeTask::Login()
{
    Logout();
    m_userId = login(m_address, m_port, m_userName, m_password);
    if (m_userId < 0) {
        qCDebug(
            lcUpgrade, "Login failed[%s]! error: %u", m_address.constData(), SOLV_GetLastError());
        m_userId = -1;
        return false;
    }
    return true;
}

void CUpgradeTask::Logout()
{
    if (m_userId >= 0) {
        SOLV_Logout(m_userId);
        m_userId = -1;
    }
}

QByteArray CUpgradeTask::findFirmware()
{
    const AbilityText ability
        = readAbility(m_userId, SOLV_ABILITY_DEVICE, upgradeAbilityBufferSize);
    const int failure = DescriptionFailureState(ability);
    if (!ability.ok) {
        qCDebug(lcUpgrade, "Get device ability failed! error:%u", ability.error);
    }
    if (failure != 0) {
        m_state = failure;
        qCDebug(lcUpgrade, "Cant't find upgrade file!");
        return QByteArray();
    }
    qCDebug(lcUpgrade, "Upgrade xml:%s", ability.text.constData());
    const QString path = FindFirmwareInDirectory(
        QString::fromLocal8Bit(m_firmwareDirectory), FirmwareNameFromDescription(ability.text));
    if (path.isEmpty()) {
        m_state = UpgradeNoFirmware;
        return QByteArray();
    }
    const QByteArray file = path.toLocal8Bit().left(FoundFirmwareFileBytes);
    qCDebug(lcUpgrade, "Update file path:%s", file.constData());
    return file;
}

bool CUpgradeTask::Start(bool reboot)
{
    if (!Login()) {
        m_state = UpgradeLoginFailed;
        return false;
    }
    if (m_mode == FirmwareDirectory) {
        const QByteArray file = findFirmware();
        if (file.isEmpty()) {
            Logout();
            return false;
        }
        m_firmwareFile = file;
    }
    const qint32 handle = SOLV_Upgrade(m_userId, m_firmwareFile.constData());
    if (handle < 0) {
        qCDebug(lcUpgrade, "Upgrade failed! error:%u", SOLV_GetLastError());
        m_state = UpgradeFailed;
        Logout();
        return false;
    }
    m_progress = 0;
    m_state = UpgradeRunning;
    m_handle = handle;
    m_reboot = reboot;
    return true;
}

int CUpgradeTask::QueryState()
{
    // The page's thread asks too, and the worker may close the handle and
    // move the state on meanwhile: a state read before that must not
    // overwrite the newer one, and a closed handle's answer is no state.
    int before = m_state.load();
    const qint32 handle = m_handle.load();
    if (handle >= 0) {
        const int state = SOLV_GetUpgradeState(handle);
        if (isSdkUpgradeState(state)) {
            m_state.compare_exchange_strong(before, state);
        }
    }
    return m_state.load();
}

int CUpgradeTask::QueryProgress()
{
    const qint32 handle = m_handle.load();
    if (handle >= 0) {
        const int percent = SOLV_GetUpgradeProgress(handle);
        if (percent >= 0 && m_handle.load() == handle) {
            m_progress = std::min(percent, 100);
        }
    }
    return m_progress.load();
}

bool CUpgradeTask::Finish()
{
    const qint32 handle = m_handle.exchange(-1);
    if (handle < 0) {
        return false;
    }
    SOLV_CloseUpgradeHandle(handle);
    if (m_state == UpgradeSucceeded) {
        m_progress = 100;
        if (m_reboot) {
            SOLV_RebootDVR(m_userId);
        }
    }
    Logout();
    return true;
}

bool CUpgradeTask::StartReconnect(bool restore)
{
    if (!m_reboot) {
        return false;
    }
    m_restore = restore;
    m_reconnectSem = MIRT_SemCreate(0);
    if (m_reconnectSem == nullptr) {
        return false;
    }
    m_reconnectThread
        = MIRT_Thread_Create(&CUpgradeTask::ReconnectThread, this, MIRT_DEFAULT_STACK_SIZE);
    if (m_reconnectThread == nullptr) {
        qCDebug(lcUpgrade, "Create reconnect thread failed! err:%d", MIRT_GetLastError());
        MIRT_SemDestroy(m_reconnectSem);
        m_reconnectSem = nullptr;
        return false;
    }
    return true;
}

void CUpgradeTask::StopReconnect()
{
    if (m_reconnectThread == nullptr) {
        return;
    }
    MIRT_SemPost(m_reconnectSem);
    MIRT_Thread_Wait(m_reconnectThread, nullptr);
    m_reconnectThread = nullptr;
    MIRT_SemDestroy(m_reconnectSem);
    m_reconnectSem = nullptr;
}

bool CUpgradeTask::reconnectOnce()
{
    const qint32 userId = login(m_address, m_port, m_userName, m_password);
    if (userId < 0) {
        return false;
    }
    m_state = UpgradeReconnected;
    if (m_restore) {
        SOLV_RestoreConfig(userId);
        SOLV_RebootDVR(userId);
        qCDebug(lcUpgrade, "[%s]Restore default settings!", m_address.constData());
        m_state = UpgradeRestored;
    }
    SOLV_Logout(userId);
    return true;
}

void *CUpgradeTask::ReconnectThread(void *argument)
{
    auto *task = static_cast<CUpgradeTask *>(argument);
    task->m_state = UpgradeReconnecting;
    const ReconnectOutcome outcome = RunReconnectSchedule(
        *task->m_timing, task->m_reconnectSem, [task] { return task->reconnectOnce(); });
    if (outcome == ReconnectOutcome::GaveUp) {
        task->m_state = UpgradeReconnectFailed;
    }
    return nullptr;
}
