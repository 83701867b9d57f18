#pragma once

#include "deviceinfo.h"
#include "quarry.h"

#include <QObject>
#include <QSemaphore>
#include <QString>

#include <atomic>
#include <cstdint>

// Carries device reports from the discovery library's thread and the
// IP-range search's threads to the main window as queued signals. Owned by
// the main window; without state.
class SearchAdapter : public QObject
{
    Q_OBJECT
public:
    explicit SearchAdapter(QObject *parent = nullptr);
    ~SearchAdapter() override;

    // Emits DeviceCallback with a heap copy of the record; the receiver owns
    // and deletes it. type: DeviceReportAddOrUpdate or DeviceReportRemove.
    // Called from another thread while MaxReportsInFlight reports still wait
    // for the adapter's thread, it waits (at most ThrottleWaitMs) for that
    // thread to catch up, so a burst of thousands of announcements is handled
    // in many short turns of the event loop rather than one long one.
    void Report(const DEVICEINFO &record, int type);

    static constexpr int MaxReportsInFlight = 64;
    static constexpr int ThrottleWaitMs = 100;
    int reportsInFlight() const { return m_inFlight.load(); }

signals:
    void DeviceCallback(DEVICEINFO *record, int type);
    void UserPasswdError(QString ipAddress);

private:
    void delivered();

    std::atomic<int> m_inFlight { 0 };
    // One slot per report that may wait; a delivered report frees its slot.
    QSemaphore m_slots { MaxReportsInFlight };
    // Reports sent without a slot (the wait ran out, or the adapter's own
    // thread reported): their delivery frees no slot.
    std::atomic<int> m_withoutSlot { 0 };
};

// The adapter that the announcement callback reports through: it carries no
// user value, so the main window registers its adapter here before starting
// discovery. A destroyed adapter unregisters itself.
void setDiscoveryAdapter(SearchAdapter *adapter);
SearchAdapter *discoveryAdapter();

// The announcement callback handed to QUARRY_Start; runs on the library's
// thread. Drops an announcement with a text of 64 characters or more, stores
// an absent text as "(null)" and reports events 1 and 4 as add-or-update, 3
// as remove; any other event changes nothing.
void QuarryDeviceCallback(const char *protocolVersion, const char *serialNo, const char *mac,
    const char *ipAddress, const char *subnetMask, uint32_t deviceType, uint16_t port,
    uint32_t channelCount, uint32_t diskCount, const char *softwareVersion, const char *dspVersion,
    const char *startTime, int32_t event);

// The IP-range search's report callback (see CSearchEngine): code 1 reports
// the found device, code 255 the address that refused the credentials; other
// codes are ignored. user: the SearchAdapter to report through; null drops
// the report.
void SearchEngineCallback(DEVICEINFO *record, int code, void *user);

// Model name for a device type code: "INVALID_DEV" for 0, "IPCamera" for a
// code without an entry.
const char *QuarryModelName(uint32_t deviceType);
