#include "searchengine.h"

#include "debuglog.h"
#include "deviceformat.h"
#include "fixedtext.h"
#include "ipv4text.h"
#include "records.h"
#include "solvane.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>

// How many addresses are probed at once.
//
// An address nobody answers holds its probe for one connect time-out of the
// device SDK (3 s by default). The feed starts a probe every 10 ms, so with
// at least 3000 / 10 = 300 probes running at once no silent address ever
// waits for a free worker, and the last probe ends about one connect time-out
// after the last address was fed: a /24 of silent addresses takes 2.54 s of
// feed plus 3 s. Ranges of the search dialog hold at most 255 addresses,
// so every address of them gets its worker at once.
//
// A mirt pool grows on demand up to MIRT_THREADPOOL_MAX_BLOCKING_WORKERS
// workers for blocking items, enough for that, and retires idle ones
// (bench_search: 254 silent addresses take about 5.6 s; with 128 workers it
// was 7.3 s). The workers only exist while addresses are in flight; a range of
// cameras that answer at once keeps a handful of them busy.
namespace {

static_assert(MIRT_THREADPOOL_MAX_BLOCKING_WORKERS >= 300,
    "silent addresses would wait for a free worker");

void debugAddress(uint32_t address)
{
    qCDebug(lcSearch, "%s", qPrintable(Ipv4Text::toText(address)));
}

} // namespace

struct CSearchEngine::WorkItem
{
    CSearchEngine *engine;
    uint32_t address;
};

CSearchEngine::CSearchEngine() = default;

CSearchEngine::~CSearchEngine()
{
    Stop();
}

bool CSearchEngine::Start(uint32_t startAddress, uint32_t endAddress, uint16_t port,
    const char *userName, const char *password, SearchReportCallback callback, void *user)
{
    // The previous search's items read the fields below; end it first.
    Stop();

    m_done = 0;
    debugAddress(startAddress);
    debugAddress(endAddress);
    if (userName == nullptr || password == nullptr) {
        return false;
    }
    // An inverted range would wrap round to billions of addresses, and the
    // full 2^32 range has no total that fits.
    if (endAddress < startAddress || endAddress - startAddress == UINT32_MAX) {
        qCDebug(lcSearch, "Invalid search range!");
        return false;
    }

    m_startAddress = startAddress;
    m_total = endAddress - startAddress + 1;
    qCDebug(lcSearch, "total ip: %u", m_total.load());

    m_port = port;
    FixedText::write(m_userName, userName);
    FixedText::write(m_password, password);
    m_callback = callback;
    m_user = user;

    m_stopSem = MIRT_SemCreate(0);
    if (m_stopSem == nullptr) {
        qCDebug(lcSearch, "Create search semaphore failed! err:%d", MIRT_GetLastError());
        return false;
    }
    if (!createPool()) {
        qCDebug(lcSearch, "Create search thread pool failed! err:%d", MIRT_GetLastError());
        destroyPool();
        MIRT_SemDestroy(m_stopSem);
        m_stopSem = nullptr;
        return false;
    }
    // Cleared before the first item can look at it: a flag left set by the
    // last Stop would make the new items return without being counted.
    m_stop = false;
    m_searchThread
        = MIRT_Thread_Create(&CSearchEngine::SearchThread, this, MIRT_DEFAULT_STACK_SIZE);
    if (m_searchThread == nullptr) {
        qCDebug(lcSearch, "Create search thread failed! err:%d", MIRT_GetLastError());
        m_stop = true;
        MIRT_SemDestroy(m_stopSem);
        m_stopSem = nullptr;
        destroyPool();
        return false;
    }
    return true;
}

bool CSearchEngine::Stop()
{
    m_stop = true;
    if (m_searchThread != nullptr) {
        MIRT_SemPost(m_stopSem);
        MIRT_Thread_Wait(m_searchThread, nullptr);
        m_searchThread = nullptr;
        MIRT_SemDestroy(m_stopSem);
        m_stopSem = nullptr;
    }
    // Drops the items not yet started (DropWork frees them) and waits for the
    // probes under way: none of them may touch the engine or the callback's
    // receiver after this returns.
    destroyPool();
    return true;
}

unsigned int CSearchEngine::Progress() const
{
    const uint32_t total = m_total.load();
    const uint32_t done = m_done.load();
    if (total == 0) {
        return 0;
    }
    if (done >= total) {
        return 100;
    }
    return unsigned(uint64_t(done) * 100 / total);
}

bool CSearchEngine::createPool()
{
    m_pool = MIRT_ThreadPool_Create(1, 1);
    if (m_pool == nullptr) {
        return false;
    }
    MIRT_ThreadPool_SetDropProc(m_pool, &CSearchEngine::DropWork);
    return true;
}

void CSearchEngine::destroyPool()
{
    if (m_pool != nullptr) {
        MIRT_ThreadPool_Destroy(m_pool);
        m_pool = nullptr;
    }
}

void *CSearchEngine::SearchThread(void *arg)
{
    static_cast<CSearchEngine *>(arg)->feed();
    return nullptr;
}

void CSearchEngine::feed()
{
    qCDebug(lcSearch, "SearchThread start!");
    const uint32_t total = m_total.load();
    for (uint32_t i = 0; i < total; ++i) {
        if (MIRT_SemTimedWait(m_stopSem, FeedIntervalMs) == 0) {
            break;
        }
        auto item = std::make_unique<WorkItem>(WorkItem { this, m_startAddress + i });
        if (MIRT_ThreadPool_WorkEx(m_pool, &CSearchEngine::WorkThread, item.get(), 1) == 0) {
            item.release(); // the work item owns it now
        } else {
            // Counted as finished, or the progress would never reach 100.
            qCDebug(lcSearch, "MIRT_ThreadPool_Work failed!");
            finishOne();
        }
    }
    qCDebug(lcSearch, "SearchThread exit!");
}

void CSearchEngine::DropWork(void *arg)
{
    delete static_cast<WorkItem *>(arg);
}

void *CSearchEngine::WorkThread(void *arg)
{
    qCDebug(lcSearch, "Search WorkThread start!");
    std::unique_ptr<WorkItem> item(static_cast<WorkItem *>(arg));
    CSearchEngine *engine = item->engine;
    const uint32_t address = item->address;
    item.reset();
    if (engine->m_stop) {
        return nullptr;
    }
    engine->probe(address);
    engine->finishOne();
    return nullptr;
}

void CSearchEngine::finishOne()
{
    std::lock_guard<std::mutex> lock(m_doneLock);
    if (++m_done >= m_total.load()) {
        m_allDone.notify_all();
    }
}

bool CSearchEngine::WaitFinished(unsigned int timeoutMs) const
{
    std::unique_lock<std::mutex> lock(m_doneLock);
    return m_allDone.wait_for(lock, std::chrono::milliseconds(timeoutMs),
        [this] { return m_total.load() > 0 && m_done.load() >= m_total.load(); });
}

void CSearchEngine::probe(uint32_t address)
{
    const QByteArray ipText = Ipv4Text::toText(address).toLatin1();
    const char *ip = ipText.constData();

    SOLV_LOGIN_INFO info;
    std::memset(&info, 0, sizeof info);
    const int32_t userId = SOLV_Login_V30(ip, m_port, m_userName, m_password, &info);
    if (userId < 0) {
        const uint32_t error = SOLV_GetLastError();
        qCDebug(lcSearch, "Login failed! ip:%s, port:%d, err:%u", ip, m_port, error);
        if (error == SOLV_PASSWORD_ERROR && m_callback != nullptr) {
            DEVICEINFO rejected {};
            FixedText::write(rejected.szIPAddress, ip);
            m_callback(&rejected, UserPasswordError, m_user);
        }
        return;
    }

    // Both records start zero-filled, their size fields included.
    DeviceCfg deviceCfg;
    NetCfg netCfg;
    uint32_t returned = 0;
    if (!SOLV_GetDVRConfig(userId, DeviceCfg::getCommand, 0, deviceCfg.bytes().data(),
            uint32_t(deviceCfg.size()), &returned)) {
        qCDebug(lcSearch, "Get device cfg failed! err:%u", SOLV_GetLastError());
    } else if (!SOLV_GetDVRConfig(userId, NetCfg::getCommand, 0, netCfg.bytes().data(),
                   uint32_t(netCfg.size()), &returned)) {
        qCDebug(lcSearch, "Get net cfg failed! err:%u", SOLV_GetLastError());
    } else {
        DEVICEINFO found {};
        FillFoundDevice(found, deviceCfg, netCfg, ip, m_port, m_userName, m_password);
        if (m_callback != nullptr) {
            MIRT_Guard guard(m_lock);
            m_callback(&found, DeviceFound, m_user);
        }
    }
    SOLV_Logout(userId);
}

// ---- the record of a found device ------------------------------------------

void CSearchEngine::FillFoundDevice(DEVICEINFO &record, const DeviceCfg &device, const NetCfg &net,
    const char *ipAddress, uint16_t port, const char *userName, const char *password)
{
    record = DEVICEINFO {};
    FixedText::write(record.szDevName, device.name());
    record.dwDevID = device.deviceNumber();
    FixedText::write(record.szSerialNo, device.serialNumber());
    FixedText::write(record.szSoftwareVersion,
        formatSoftwareVersion(device.softwareVersion(), device.softwareBuildDate()).toLatin1());
    FixedText::write(record.szDSPVersion,
        formatDspVersion(device.dspVersion(), device.dspBuildDate()).toLatin1());
    FixedText::write(record.szDevModel, seriesName(device.deviceType()));
    record.dwChannelNum = device.channelCount();
    record.dwDiskNum = device.diskCount();
    FixedText::write(record.szIPAddress, ipAddress);
    record.wPort = port;
    FixedText::write(record.szSubnetMask, net.subnetMask());
    FixedText::write(record.szGateway, net.gateway());
    FixedText::write(record.szUserName, userName);
    FixedText::write(record.szPassword, password);
    FixedText::write(record.szMAC, formatMac(net.mac()).toLatin1());
    record.dwSource = 1;
}
