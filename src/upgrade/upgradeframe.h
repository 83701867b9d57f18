#pragma once

#include "deviceinfo.h"
#include "pageinterfaces.h"

#include <QFrame>
#include <QTimer>

#include <memory>
#include <vector>

namespace Ui {
class CUpgradeFrameClass;
}

class CUpgradeManager;
class DeviceCheckTable;
class UpgradeTiming;

// The "Batch Upgrade" tab: every listed device with a check box and its
// upgrade state, one firmware file or a firmware directory, and the reboot
// and restore options. Runs the upgrade manager over the checked devices and
// refreshes their states once a second until every one has reached its end.
class CUpgradeFrame : public QFrame, public BatchPageHooks
{
    Q_OBJECT

public:
    // Columns of tableUpdateDev.
    enum Column {
        CheckColumn = 0,
        NameColumn = 1, // also holds the two indices below
        SerialColumn = 2,
        IpColumn = 3,
        StateColumn = 4,
        ColumnCount = 5,
    };
    // Data of the name cell: the device's index in the page's list, and its
    // task in the manager once a batch starts.
    static constexpr int DeviceIndexRole = Qt::UserRole + 11;
    static constexpr int TaskIndexRole = Qt::UserRole + 12;
    static constexpr int InitialRowCapacity = 256;
    static constexpr int RefreshMs = 1000;

    explicit CUpgradeFrame(QWidget *parent = nullptr);
    ~CUpgradeFrame() override;

    bool IsUpgrading() const { return m_upgrading; }
    // Ends a running batch: stops the manager (which waits for its uploads
    // and reconnections to close) and returns to the idle look. After a
    // user's stop, devices that had not finished show "Upgrade End".
    // False when no batch runs.
    bool EndUpgrade(bool userStopped);

    // BatchPageHooks
    bool IsRunning() const override { return m_upgrading; }
    void ClearDevices() override;
    void SetDevices(const std::vector<DEVICEINFO> &devices) override;

    // The pauses the next batch runs with; the defaults when never set.
    void setTiming(std::shared_ptr<const UpgradeTiming> timing);

public slots:
    void clickUpgradeBtn();
    void browseFile();
    void radioBtnFileChecked();
    void radioBtnDirChecked();
    void timerSchedule();
    void SingleCheckStatChange(bool checked);
    void AllCheckStatChanges(bool checked);
    void RebootCheckStatChanges(bool checked);

protected:
    // Message boxes and file dialogs; tests answer them instead.
    virtual void showInformation(const QString &title, const QString &text);
    // The warning before a stop; true for "Ok".
    virtual bool askStopWarning(const QString &title, const QString &text);
    // Empty when the user cancels.
    virtual QString askFirmwareFile();
    virtual QString askFirmwareDirectory();

private:
    void startUpgrade();
    void setUpgradingLook(bool upgrading);

    std::unique_ptr<Ui::CUpgradeFrameClass> ui;
    std::unique_ptr<DeviceCheckTable> m_rows; // in tableUpdateDev
    bool m_upgrading = false;
    // Made at each start, with the default credentials as they are then.
    std::unique_ptr<CUpgradeManager> m_manager;
    std::shared_ptr<const UpgradeTiming> m_timing;
    QTimer m_timer;
};
