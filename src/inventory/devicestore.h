#pragma once

#include "deviceinfo.h"
#include "fixedtext.h" // how DEVICEINFO's texts are written and read

#include <QReadWriteLock>

#include <functional>
#include <memory>
#include <vector>

class CDeviceStore;

// A walk over the occupied slots of the store, in slot order. The store's
// read lock is held from Iterate() until the cursor is released (or
// destroyed), so writers wait meanwhile.
class CDeviceCursor
{
public:
    ~CDeviceCursor();
    CDeviceCursor(const CDeviceCursor &) = delete;
    CDeviceCursor &operator=(const CDeviceCursor &) = delete;

private:
    friend class CDeviceStore;
    explicit CDeviceCursor(const CDeviceStore *store);

    const CDeviceStore *m_store;
    size_t m_next = 0;
};

// The device store: numbered slots of owned DEVICEINFO copies under one
// read-write lock. A slot index names a listed device to pages and workers;
// a freed slot is reused by the next new device. Every operation takes the
// lock itself.
class CDeviceStore
{
public:
    CDeviceStore() = default;
    ~CDeviceStore() = default;
    CDeviceStore(const CDeviceStore &) = delete;
    CDeviceStore &operator=(const CDeviceStore &) = delete;

    // Adds a device not yet stored and returns its slot. For a stored
    // serial, replaces the whole record when name, address, port, mask or
    // gateway differ (*changed = true) and returns -1; an otherwise equal
    // report writes nothing.
    int AddOrUpdate(const DEVICEINFO &record, bool *changed);
    // Frees the slot of that serial; the slot index, or -1 when none matched.
    int Remove(const char *serial);
    // First occupied slot with exactly this serial, or -1.
    int Find(const char *serial) const;
    // Copies the record of an occupied slot; false for a free or unknown slot.
    bool CopyOut(int slot, DEVICEINFO *record) const;
    // Deletes every record and empties the slot array.
    void Clear();

    std::unique_ptr<CDeviceCursor> Iterate() const;
    // The next stored record, or nullptr at the end. Valid until the next
    // call or the release of the cursor.
    const DEVICEINFO *Next(CDeviceCursor &cursor) const;
    void Release(std::unique_ptr<CDeviceCursor> cursor) const;

    // A copy of every stored device, in slot order.
    std::vector<DEVICEINFO> Snapshot() const;

    // For the device network setters: runs `action` on the slot's record
    // with the read lock held for the whole call, network calls included, so
    // discovery updates wait. False for a free slot, else action's result.
    bool WithRecordRead(int slot, const std::function<bool(const DEVICEINFO &)> &action) const;
    // Changes fields of a stored record under the write lock, so no reader
    // ever copies a half-written text. When `serial` is given, the slot must
    // still hold that device. False when the slot is free or holds another.
    bool UpdateRecord(
        int slot, const char *serial, const std::function<void(DEVICEINFO &)> &update);

    // Number of slots, free ones included.
    int SlotCount() const;

private:
    friend class CDeviceCursor;
    int findLocked(const char *serial) const;

    // Recursive, so a reader may copy a record while it iterates.
    mutable QReadWriteLock m_lock { QReadWriteLock::Recursive };
    std::vector<std::unique_ptr<DEVICEINFO>> m_slots;
};
