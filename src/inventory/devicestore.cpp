#include "devicestore.h"

#include "debuglog.h"

#include <cstring>

namespace {

template<size_t N> bool sameText(const char (&a)[N], const char (&b)[N])
{
    return std::strncmp(a, b, N) == 0;
}

// The five fields whose change makes a report replace the stored record.
bool sameIdentity(const DEVICEINFO &a, const DEVICEINFO &b)
{
    return sameText(a.szDevName, b.szDevName) && sameText(a.szIPAddress, b.szIPAddress)
        && a.wPort == b.wPort && sameText(a.szSubnetMask, b.szSubnetMask)
        && sameText(a.szGateway, b.szGateway);
}

} // namespace

CDeviceCursor::CDeviceCursor(const CDeviceStore *store) : m_store(store)
{
    m_store->m_lock.lockForRead();
}

CDeviceCursor::~CDeviceCursor()
{
    m_store->m_lock.unlock();
}

int CDeviceStore::findLocked(const char *serial) const
{
    if (serial == nullptr) {
        return -1;
    }
    for (size_t i = 0; i < m_slots.size(); ++i) {
        const DEVICEINFO *stored = m_slots[i].get();
        if (stored != nullptr
            && std::strncmp(stored->szSerialNo, serial, sizeof stored->szSerialNo) == 0) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int CDeviceStore::AddOrUpdate(const DEVICEINFO &record, bool *changed)
{
    if (changed != nullptr) {
        *changed = false;
    }
    QWriteLocker locker(&m_lock);
    const int found = findLocked(record.szSerialNo);
    if (found < 0) {
        auto copy = std::make_unique<DEVICEINFO>(record);
        for (size_t i = 0; i < m_slots.size(); ++i) {
            if (!m_slots[i]) {
                m_slots[i] = std::move(copy);
                return static_cast<int>(i);
            }
        }
        m_slots.push_back(std::move(copy));
        return static_cast<int>(m_slots.size() - 1);
    }

    DEVICEINFO &stored = *m_slots[static_cast<size_t>(found)];
    if (sameIdentity(stored, record)) {
        return -1;
    }
    stored = record;
    qCDebug(lcDevices, "Device information updated![%s]", stored.szIPAddress);
    if (changed != nullptr) {
        *changed = true;
    }
    return -1;
}

int CDeviceStore::Remove(const char *serial)
{
    QWriteLocker locker(&m_lock);
    const int found = findLocked(serial);
    if (found >= 0) {
        m_slots[static_cast<size_t>(found)].reset();
    }
    return found;
}

int CDeviceStore::Find(const char *serial) const
{
    QReadLocker locker(&m_lock);
    return findLocked(serial);
}

bool CDeviceStore::CopyOut(int slot, DEVICEINFO *record) const
{
    QReadLocker locker(&m_lock);
    if (record == nullptr || slot < 0 || static_cast<size_t>(slot) >= m_slots.size()
        || !m_slots[static_cast<size_t>(slot)]) {
        return false;
    }
    *record = *m_slots[static_cast<size_t>(slot)];
    return true;
}

void CDeviceStore::Clear()
{
    QWriteLocker locker(&m_lock);
    m_slots.clear();
}

std::unique_ptr<CDeviceCursor> CDeviceStore::Iterate() const
{
    return std::unique_ptr<CDeviceCursor>(new CDeviceCursor(this));
}

const DEVICEINFO *CDeviceStore::Next(CDeviceCursor &cursor) const
{
    while (cursor.m_next < m_slots.size()) {
        const DEVICEINFO *record = m_slots[cursor.m_next++].get();
        if (record != nullptr) {
            return record;
        }
    }
    return nullptr;
}

void CDeviceStore::Release(std::unique_ptr<CDeviceCursor> cursor) const
{
    cursor.reset();
}

std::vector<DEVICEINFO> CDeviceStore::Snapshot() const
{
    std::vector<DEVICEINFO> devices;
    auto cursor = Iterate();
    while (const DEVICEINFO *record = Next(*cursor)) {
        devices.push_back(*record);
    }
    Release(std::move(cursor));
    return devices;
}

bool CDeviceStore::WithRecordRead(
    int slot, const std::function<bool(const DEVICEINFO &)> &action) const
{
    QReadLocker locker(&m_lock);
    if (slot < 0 || static_cast<size_t>(slot) >= m_slots.size()
        || !m_slots[static_cast<size_t>(slot)]) {
        return false;
    }
    return action(*m_slots[static_cast<size_t>(slot)]);
}

bool CDeviceStore::UpdateRecord(
    int slot, const char *serial, const std::function<void(DEVICEINFO &)> &update)
{
    QWriteLocker locker(&m_lock);
    if (slot < 0 || static_cast<size_t>(slot) >= m_slots.size()
        || !m_slots[static_cast<size_t>(slot)]) {
        return false;
    }
    DEVICEINFO &record = *m_slots[static_cast<size_t>(slot)];
    if (serial != nullptr
        && std::strncmp(record.szSerialNo, serial, sizeof record.szSerialNo) != 0) {
        return false;
    }
    update(record);
    return true;
}

int CDeviceStore::SlotCount() const
{
    QReadLocker locker(&m_lock);
    return static_cast<int>(m_slots.size());
}
