#pragma once

#include "devicecontext.h"
#include "mirt.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <chrono>
#include <memory>
#include <vector>

class CTempletReader;

// The templet's sections in the order they are applied, each with its bit in
// a task's applied and failed sets.
enum BatchSection : quint32 {
    FrontSection = 1,
    PictureSection = 2,
    CompressionSection = 4,
    RecordSection = 8,
    DdnsSection = 16,
    NtpSection = 32,
    NfsSection = 64,
    EmailSection = 128,
    PtzSection = 256,
};
constexpr int BatchSectionCount = 9;

// The bit of section `index` (0 for Front ... 8 for RS485).
constexpr quint32 batchSectionBit(int index)
{
    return 1u << index;
}

// The templet element of section `index`: "Front" ... "RS485"; null out of range.
const char *batchSectionElement(int index);

// What a task's state says.
enum BatchTaskState : qint32 {
    TaskUnset = 0,
    TaskSetComplete = 1, // also when some sections failed
    TaskSettingUp = 2,
    TaskFailedToSet = 3, // the login failed; no section was tried
};

// One device of a run. The worker writes the state and the bit sets while
// the page reads them, so each is one atomic value.
struct BatchConfigTask
{
    static constexpr int AddressBytes = 128;
    static constexpr int UserNameBytes = 32;
    static constexpr int PasswordBytes = 16;

    // C strings for the login: each keeps at most its byte count of text.
    char address[AddressBytes + 1] = {};
    quint16 port = 0;
    char userName[UserNameBytes + 1] = {};
    char password[PasswordBytes + 1] = {};

    std::atomic<qint32> state { TaskUnset };
    std::atomic<quint32> appliedSections { 0 };
    std::atomic<quint32> failedSections { 0 };
};

// The waits of a run, so that tests and benchmarks can shorten them.
struct BatchConfigTiming
{
    // Before each device the worker waits this long for a stop request; it
    // also spaces the logins of a long list.
    std::chrono::milliseconds pacing { 10 };
};

// Applies one templet file to a list of devices, one after the other, on a
// worker thread of its own: per device a login, every section the templet
// holds (read the record, overlay the section, write it back), optionally a
// reboot, and the logout.
//
// Every operation is called on one thread (the page's); the worker only
// writes the tasks' states and bit sets and the done count, which that
// thread may read at any time without a lock, possibly one step old. Tasks
// must not be added or cleared while a run is under way.
class CBatchConfigManager
{
public:
    explicit CBatchConfigManager(DeviceContext context, BatchConfigTiming timing = {});
    // Deletes the tasks and releases the templet. Does not stop a running
    // worker: stop it first.
    ~CBatchConfigManager();
    CBatchConfigManager(const CBatchConfigManager &) = delete;
    CBatchConfigManager &operator=(const CBatchConfigManager &) = delete;

    // The index of the new task, or -1 when a text is missing (null).
    int AddTask(const char *address, quint16 port, const char *userName, const char *password);
    // A listed device, with the credentials the context gives for it.
    int AddTask(const DEVICEINFO &record);
    void ClearTasks();
    // Every task back to "Unset"; the bit sets stay.
    void ResetStates();
    int TaskCount() const { return int(m_tasks.size()); }

    // Loads the templet and starts the worker; false, with no worker, when
    // the file cannot be read as XML or the worker cannot be created, and
    // false while the last run has not been stopped.
    bool Start(const QString &templetFile, bool rebootAfterSetting);
    // Ends the worker after the device it is on (a device under way is
    // always finished, reboot included) and releases the templet.
    void Stop();
    // Waits until the worker has walked the whole list, then releases as
    // Stop() does.
    void WaitForEnd();
    bool IsStarted() const { return m_thread != nullptr; }

    // The task's value, or -1 for an index that names no task.
    qint32 State(int index) const;
    qint32 AppliedSections(int index) const;
    qint32 FailedSections(int index) const;
    // Percent of the tasks finished in this run; 100 for an empty list.
    unsigned Progress() const;

private:
    static void *BatchConfigThread(void *arg);
    void processTask(BatchConfigTask &task);
    // 0 applied, -1 the read or the write failed, -2 not in the templet.
    int applySection(int index, qint32 userId) const;
    void endWorker(bool stop);

    DeviceContext m_context;
    BatchConfigTiming m_timing;
    std::vector<std::unique_ptr<BatchConfigTask>> m_tasks;
    std::unique_ptr<CTempletReader> m_reader;
    MIRT_Thread m_thread = nullptr;
    MIRT_Sem m_stopSem = nullptr;
    std::atomic<quint32> m_done { 0 };
    bool m_rebootAfterSetting = false;
};
