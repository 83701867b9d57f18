#pragma once

#include <QString>

class CDeviceStore;
class CSearchEngine;

// The main window's two device tables, for the pages that sit beside them.
class TervixTables
{
public:
    enum DeviceTable { ConfigTable = 0, FocusTable = 1 };

    virtual ~TervixTables() = default;

    virtual bool isConfigTableWide() const = 0;
    // True when the configuration page, rather than the focus page, was the
    // last device page entered.
    virtual bool isOnConfigPage() const = 0;
    virtual void setTableEnabled(DeviceTable table, bool enabled) = 0;
    // Slot index of the table's current row, or -1.
    virtual int SlotOfCurrentRow(DeviceTable table) const = 0;
};

// The shared services of the main window that the glue code of pages
// reaches through one global accessor; cores never do: they receive a
// DeviceContext. The main window implements it; tests put in their own.
class TervixServices
{
public:
    virtual ~TervixServices() = default;

    // Zero-terminated: at most 32 bytes in the local 8-bit code page, and at
    // most 16 bytes of 8-bit ASCII.
    virtual const char *defaultUserName() const = 0;
    virtual const char *defaultPassword() const = 0;

    // The on-screen operation log; call on the user-interface thread.
    virtual void Log(const QString &text) = 0;

    virtual void setCameraPreviewRunning(bool running) = 0;
    virtual bool cameraPreviewRunning() const = 0;
    virtual void setFocusPreviewRunning(bool running) = 0;
    virtual bool focusPreviewRunning() const = 0;

    virtual CDeviceStore *deviceStore() = 0;
    virtual CSearchEngine *searchEngine() = 0;
    // The device tables; null where there are none (tests).
    virtual TervixTables *tables() { return nullptr; }

    // The "MD" (decoder card) and "BNC" (encoder card input) boxes.
    virtual bool isMDCardChecked() const { return false; }
    virtual bool isBNCChecked() const { return false; }
};

// The global accessor; null until the main window (or a test) registers itself.
TervixServices *tervixServices();
void setTervixServices(TervixServices *services);
