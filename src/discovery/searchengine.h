#pragma once

#include "deviceinfo.h"
#include "mirt.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <cstdint>

class DeviceCfg;
class NetCfg;

// Receiver of the search's reports, called on the engine's pool threads.
// code 1: a device was found, the record is complete (dwSource 1);
// code 255: the address rejected the user name or password, only
// szIPAddress is set. The record belongs to the engine and lives only for
// the duration of the call.
using SearchReportCallback = void (*)(DEVICEINFO *record, int code, void *user);

// The IP-range search: logs in to every address of a range with one port,
// user name and password, and reports each device that lets it in and each
// address that refuses the credentials. A feeding thread hands one address
// every 10 ms, in ascending order, to a thread pool that probes them.
//
// Start, Stop and Progress are called from one thread (the user-interface
// thread, or the command line's main thread).
class CSearchEngine
{
public:
    enum ReportCode { DeviceFound = 1, UserPasswordError = 255 };

    // Pause between two addresses of the feed.
    static constexpr unsigned int FeedIntervalMs = 10;

    CSearchEngine();
    ~CSearchEngine();
    CSearchEngine(const CSearchEngine &) = delete;
    CSearchEngine &operator=(const CSearchEngine &) = delete;

    // Addresses are host-order numbers; end must not be below start. A search
    // still running is stopped first. false when nothing was started.
    bool Start(uint32_t startAddress, uint32_t endAddress, uint16_t port, const char *userName,
        const char *password, SearchReportCallback callback, void *user);
    // Stops feeding, drops the addresses not yet started and waits for the
    // probes under way, so that nothing of the search runs once it returns.
    // Always true.
    bool Stop();
    // Percent of the addresses finished, rounded down; 100 once all are.
    // 0 while nothing has been started.
    unsigned int Progress() const;

    uint32_t Total() const { return m_total.load(); }
    uint32_t Done() const { return m_done.load(); }
    // Waits until every address of the search has finished (or at most
    // timeoutMs); true when they have. For callers without an event loop.
    bool WaitFinished(unsigned int timeoutMs) const;

    // The record of a device that let the search in.
    static void FillFoundDevice(DEVICEINFO &record, const DeviceCfg &device, const NetCfg &net,
        const char *ipAddress, uint16_t port, const char *userName, const char *password);

private:
    struct WorkItem;

    static void *SearchThread(void *arg);
    static void *WorkThread(void *arg);
    static void DropWork(void *arg);
    void feed();
    void probe(uint32_t address);
    bool createPool();
    void finishOne();
    void destroyPool();

    uint16_t m_port = 0;
    char m_userName[33] = {};
    char m_password[17] = {};
    uint32_t m_startAddress = 0;
    std::atomic<uint32_t> m_total { 0 };
    std::atomic<uint32_t> m_done { 0 };
    mutable std::mutex m_doneLock; // with m_allDone: the end of the search
    mutable std::condition_variable m_allDone;
    SearchReportCallback m_callback = nullptr;
    void *m_user = nullptr;
    MIRT_Mutex m_lock; // found-device reports reach the callback one at a time
    MIRT_Sem m_stopSem = nullptr;
    std::atomic<bool> m_stop { false };
    MIRT_ThreadPool m_pool = nullptr;
    MIRT_Thread m_searchThread = nullptr;
};
