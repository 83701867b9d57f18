#include "searchadapter.h"

#include "fixedtext.h"
#include "mirt.h"

#include <QMetaType>
#include <QThread>

#include <atomic>
#include <cstring>

namespace {

std::atomic<SearchAdapter *> g_adapter { nullptr };

// Texts from the network are accepted only below this length.
constexpr size_t kMaxAnnouncedText = 64;

bool acceptable(const char *text)
{
    return text == nullptr || strnlen(text, kMaxAnnouncedText) < kMaxAnnouncedText;
}

// An absent text is stored as "(null)".
template<size_t N> void copyText(char (&field)[N], const char *text)
{
    FixedText::write(field, text != nullptr ? text : "(null)");
}

} // namespace

SearchAdapter::SearchAdapter(QObject *parent) : QObject(parent)
{
    // The record pointer crosses threads in queued connections.
    qRegisterMetaType<DEVICEINFO *>("DEVICEINFO*");
    // Made before any receiver connects, so it runs just before the
    // receivers of the same report: the report has reached this thread.
    connect(this, &SearchAdapter::DeviceCallback, this, &SearchAdapter::delivered,
        Qt::QueuedConnection);
}

SearchAdapter::~SearchAdapter()
{
    SearchAdapter *self = this;
    g_adapter.compare_exchange_strong(self, nullptr);
}

void SearchAdapter::Report(const DEVICEINFO &record, int type)
{
    // The adapter's own thread cannot wait for itself; a report that waited
    // its while goes out anyway, so a stalled receiver slows senders down
    // but never stops them.
    const int waitMs = QThread::currentThread() != thread() ? ThrottleWaitMs : 0;
    if (!m_slots.tryAcquire(1, waitMs)) {
        ++m_withoutSlot;
    }
    ++m_inFlight;
    emit DeviceCallback(new DEVICEINFO(record), type);
}

void SearchAdapter::delivered()
{
    --m_inFlight;
    // Deliveries first pay off the reports sent without a slot, so the slots
    // taken never outnumber the reports in flight.
    int owed = m_withoutSlot.load();
    while (owed > 0 && !m_withoutSlot.compare_exchange_weak(owed, owed - 1)) { }
    if (owed == 0) {
        m_slots.release();
    }
}

void setDiscoveryAdapter(SearchAdapter *adapter)
{
    g_adapter.store(adapter);
}

SearchAdapter *discoveryAdapter()
{
    return g_adapter.load();
}

void QuarryDeviceCallback(const char *protocolVersion, const char *serialNo, const char *mac,
    const char *ipAddress, const char *subnetMask, uint32_t deviceType, uint16_t port,
    uint32_t channelCount, uint32_t diskCount, const char *softwareVersion, const char *dspVersion,
    const char *startTime, int32_t event)
{
    if (event != QUARRY_EVENT_PRESENT && event != QUARRY_EVENT_CHANGED
        && event != QUARRY_EVENT_GONE) {
        return;
    }
    for (const char *text : { protocolVersion, serialNo, mac, ipAddress, subnetMask,
             softwareVersion, dspVersion, startTime }) {
        if (!acceptable(text)) {
            return;
        }
    }
    SearchAdapter *adapter = g_adapter.load();
    if (adapter == nullptr) {
        return;
    }
    DEVICEINFO record {};
    copyText(record.szSerialNo, serialNo);
    copyText(record.szMAC, mac);
    copyText(record.szIPAddress, ipAddress);
    copyText(record.szSubnetMask, subnetMask);
    copyText(record.szDevModel, QuarryModelName(deviceType));
    copyText(record.szSoftwareVersion, softwareVersion);
    copyText(record.szDSPVersion, dspVersion);
    copyText(record.szStartTime, startTime);
    record.wPort = port;
    record.dwChannelNum = channelCount;
    record.dwDiskNum = diskCount;
    record.dwSource = 0;
    adapter->Report(
        record, event == QUARRY_EVENT_GONE ? DeviceReportRemove : DeviceReportAddOrUpdate);
}

void SearchEngineCallback(DEVICEINFO *record, int code, void *user)
{
    auto *adapter = static_cast<SearchAdapter *>(user);
    if (record == nullptr || adapter == nullptr) {
        return;
    }
    if (code == 1) {
        adapter->Report(*record, DeviceReportAddOrUpdate);
    } else if (code == 255) {
        emit adapter->UserPasswdError(QString::fromLatin1(FixedText::read(record->szIPAddress)));
    }
}
