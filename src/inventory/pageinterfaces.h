#pragma once

#include "deviceinfo.h"

#include <vector>

// What the main window asks of the pages that later fill its tabs. Each page
// implements the interface that fits it and is handed to the main window;
// until then the main window uses the defaults below, which say "idle".

// A page that works on one device picked in a device table (configuration
// frame, focus page).
class DevicePageHooks
{
public:
    virtual ~DevicePageHooks() = default;
    // The user picked this device (its slot in the store and a copy).
    virtual void SetDevice(int slot, const DEVICEINFO &record) = 0;
    // True when `serial` is the device the page shows.
    virtual bool IsSameDevice(const char *serial) const = 0;
};

// A page with a live preview (camera parameters page, focus page).
class PreviewPageHooks
{
public:
    virtual ~PreviewPageHooks() = default;
    // Stops the page's preview; does nothing when none runs.
    virtual void stopRealplay() = 0;
};

// A page that runs over a copy of every listed device (batch set, batch
// upgrade). While it runs, the main window neither refills it nor closes.
class BatchPageHooks
{
public:
    virtual ~BatchPageHooks() = default;
    virtual bool IsRunning() const = 0;
    virtual void ClearDevices() = 0;
    virtual void SetDevices(const std::vector<DEVICEINFO> &devices) = 0;
};

// Defaults used until the real pages are handed over.
class IdleDevicePage final : public DevicePageHooks
{
public:
    void SetDevice(int, const DEVICEINFO &) override { }
    bool IsSameDevice(const char *) const override { return false; }
};

class IdlePreviewPage final : public PreviewPageHooks
{
public:
    void stopRealplay() override { }
};

class IdleBatchPage final : public BatchPageHooks
{
public:
    bool IsRunning() const override { return false; }
    void ClearDevices() override { }
    void SetDevices(const std::vector<DEVICEINFO> &) override { }
};
