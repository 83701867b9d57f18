#include "batchconfigmanager.h"

#include "debuglog.h"
#include "devicesdk.h"
#include "fixedtext.h"
#include "records.h"
#include "solvane.h"
#include "templetfile.h"

namespace {

constexpr size_t WorkerStackBytes = 1048576;

// One section applied to the device of `userId`: read the whole record,
// overlay the templet's section, write it back, so every other byte stays.
template<typename Record, bool (CTempletReader::*Get)(Record *) const>
int applyRecord(const CTempletReader &reader, qint32 userId, qint32 channel)
{
    if (!(reader.*Get)(nullptr)) {
        return -2;
    }
    Record record;
    if (!readRecord(userId, record, channel)) {
        qCDebug(lcBatch, "Get %s failed! err:%u", Record::templetSection, SOLV_GetLastError());
        return -1;
    }
    if (!(reader.*Get)(&record)) {
        return -2;
    }
    if (!writeRecord(userId, record, channel)) {
        qCDebug(lcBatch, "Set %s failed! err:%u", Record::templetSection, SOLV_GetLastError());
        return -1;
    }
    return 0;
}

struct SectionStep
{
    const char *element;
    int (*apply)(const CTempletReader &reader, qint32 userId, qint32 channel);
    // 1 for the camera's own records, 0 for the device-wide network
    // services (which devices also serve on channel 1, as the network page reads them).
    qint32 channel;
};

// In bit order: step i has bit 1 << i.
constexpr SectionStep Steps[BatchSectionCount] = {
    { FrontCfg::templetSection, &applyRecord<FrontCfg, &CTempletReader::GetPreParam>, 1 },
    { PicCfg::templetSection, &applyRecord<PicCfg, &CTempletReader::GetPicParam>, 1 },
    { CompressCfg::templetSection, &applyRecord<CompressCfg, &CTempletReader::GetCompressionParam>,
        1 },
    { RecordCfg::templetSection, &applyRecord<RecordCfg, &CTempletReader::GetRECParam>, 1 },
    { DdnsCfg::templetSection, &applyRecord<DdnsCfg, &CTempletReader::GetDDNSParam>, 0 },
    { NtpCfg::templetSection, &applyRecord<NtpCfg, &CTempletReader::GetNTPParam>, 0 },
    { NfsCfg::templetSection, &applyRecord<NfsCfg, &CTempletReader::GetNFSParam>, 0 },
    { EmailCfg::templetSection, &applyRecord<EmailCfg, &CTempletReader::GetEmailParam>, 0 },
    { DecoderCfg::templetSection, &applyRecord<DecoderCfg, &CTempletReader::GetPTZParam>, 1 },
};
static_assert(batchSectionBit(8) == PtzSection && batchSectionBit(5) == NtpSection,
    "the steps are in bit order");

} // namespace

const char *batchSectionElement(int index)
{
    return index >= 0 && index < BatchSectionCount ? Steps[index].element : nullptr;
}

CBatchConfigManager::CBatchConfigManager(DeviceContext context, BatchConfigTiming timing)
    : m_context(std::move(context)), m_timing(timing)
{ }

CBatchConfigManager::~CBatchConfigManager() = default;

int CBatchConfigManager::AddTask(
    const char *address, quint16 port, const char *userName, const char *password)
{
    if (address == nullptr || userName == nullptr || password == nullptr) {
        return -1;
    }
    auto task = std::make_unique<BatchConfigTask>();
    FixedText::write(task->address, address);
    task->port = port;
    FixedText::write(task->userName, userName);
    FixedText::write(task->password, password);
    m_tasks.push_back(std::move(task));
    return int(m_tasks.size()) - 1;
}

int CBatchConfigManager::AddTask(const DEVICEINFO &record)
{
    const DeviceCredentials credentials = m_context.credentialsFor(record);
    return AddTask(record.szIPAddress, record.wPort, credentials.userName.constData(),
        credentials.password.constData());
}

void CBatchConfigManager::ClearTasks()
{
    m_tasks.clear();
}

void CBatchConfigManager::ResetStates()
{
    for (const auto &task : m_tasks) {
        task->state = TaskUnset;
    }
}

bool CBatchConfigManager::Start(const QString &templetFile, bool rebootAfterSetting)
{
    // The worker of a run not yet stopped still reads the tasks and the reader.
    if (m_thread != nullptr) {
        return false;
    }
    ResetStates();
    auto reader = std::make_unique<CTempletReader>();
    if (!reader->LoadTemplate(templetFile)) {
        return false;
    }
    m_reader = std::move(reader);
    m_rebootAfterSetting = rebootAfterSetting;
    // Before the worker exists: a poll between here and its first step must
    // not see the last run's 100 %.
    m_done = 0;
    m_stopSem = MIRT_SemCreate(0);
    if (m_stopSem != nullptr) {
        m_thread
            = MIRT_Thread_Create(&CBatchConfigManager::BatchConfigThread, this, WorkerStackBytes);
    }
    if (m_thread == nullptr) {
        qCDebug(lcBatch, "Create batch config thread failed! err:%d", MIRT_GetLastError());
        m_reader.reset();
        if (m_stopSem != nullptr) {
            MIRT_SemDestroy(m_stopSem);
            m_stopSem = nullptr;
        }
        return false;
    }
    return true;
}

void CBatchConfigManager::Stop()
{
    endWorker(true);
}

void CBatchConfigManager::WaitForEnd()
{
    endWorker(false);
}

void CBatchConfigManager::endWorker(bool stop)
{
    if (m_thread != nullptr) {
        if (stop) {
            MIRT_SemPost(m_stopSem);
        }
        MIRT_Thread_Wait(m_thread, nullptr);
        m_thread = nullptr;
        MIRT_SemDestroy(m_stopSem);
        m_stopSem = nullptr;
    }
    m_reader.reset();
}

qint32 CBatchConfigManager::State(int index) const
{
    return index >= 0 && index < TaskCount() ? m_tasks[size_t(index)]->state.load() : -1;
}

qint32 CBatchConfigManager::AppliedSections(int index) const
{
    return index >= 0 && index < TaskCount()
        ? qint32(m_tasks[size_t(index)]->appliedSections.load())
        : -1;
}

qint32 CBatchConfigManager::FailedSections(int index) const
{
    return index >= 0 && index < TaskCount() ? qint32(m_tasks[size_t(index)]->failedSections.load())
                                             : -1;
}

unsigned CBatchConfigManager::Progress() const
{
    const quint32 total = quint32(m_tasks.size());
    const quint32 done = m_done.load();
    if (done == total) {
        return 100;
    }
    return unsigned(quint64(done) * 100 / total);
}

void *CBatchConfigManager::BatchConfigThread(void *arg)
{
    auto *manager = static_cast<CBatchConfigManager *>(arg);
    const auto pacing = unsigned(manager->m_timing.pacing.count());
    for (const auto &task : manager->m_tasks) {
        if (MIRT_SemTimedWait(manager->m_stopSem, pacing) == 0) {
            break;
        }
        manager->processTask(*task);
        ++manager->m_done;
    }
    return nullptr;
}

void CBatchConfigManager::processTask(BatchConfigTask &task)
{
    {
        const SdkLogin login(task.address, task.port, task.userName, task.password);
        if (!login.ok()) {
            qCDebug(lcBatch, "Login %s failed! err:%u", task.address, login.error());
            task.state = TaskFailedToSet;
            return;
        }
        task.state = TaskSettingUp;
        for (int i = 0; i < BatchSectionCount; ++i) {
            const int result = applySection(i, login.userId());
            if (result == 0) {
                task.appliedSections |= batchSectionBit(i);
            } else if (result == -1) {
                task.failedSections |= batchSectionBit(i);
            }
        }
        if (m_rebootAfterSetting && !SOLV_RebootDVR(login.userId())) {
            qCDebug(lcBatch, "Reboot %s failed! err:%u", task.address, SOLV_GetLastError());
        }
    } // logs out
    task.state = TaskSetComplete;
}

int CBatchConfigManager::applySection(int index, qint32 userId) const
{
    const SectionStep &step = Steps[index];
    return step.apply(*m_reader, userId, step.channel);
}
