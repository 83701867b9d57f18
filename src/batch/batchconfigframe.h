#pragma once

#include "deviceinfo.h"
#include "pageinterfaces.h"

#include <QFrame>
#include <QTimer>

#include <memory>
#include <vector>

namespace Ui {
class CBatchConfigFrameClass;
}

class CBatchConfigManager;
class DeviceCheckTable;

// The "Batch Set" tab: every listed device with a check box, a templet file
// and "Reboot after setting"; runs the batch configuration manager over the
// checked devices and shows each one's state and sections twice a second.
class CBatchConfigFrame : public QFrame, public BatchPageHooks
{
    Q_OBJECT

public:
    // Columns of BatchConfigTable.
    enum Column {
        CheckColumn = 0,
        NameColumn = 1, // also holds the two indices below
        SerialColumn = 2,
        IpColumn = 3,
        StateColumn = 4,
        AppliedColumn = 5,
        FailedColumn = 6,
        ColumnCount = 7,
    };
    // Data of the name cell: the device's index in the page's list, and its
    // task in the manager while a run goes on.
    static constexpr int DeviceIndexRole = Qt::UserRole + 21;
    static constexpr int TaskIndexRole = Qt::UserRole + 22;
    static constexpr int RefreshMs = 500;

    explicit CBatchConfigFrame(QWidget *parent = nullptr);
    ~CBatchConfigFrame() override;

    // BatchPageHooks
    bool IsRunning() const override { return m_running; }
    void ClearDevices() override;
    void SetDevices(const std::vector<DEVICEINFO> &devices) override;

    // The names of the sections in `bits`, in bit order, joined by ",".
    static QString SectionNames(quint32 bits);
    static QString StateText(qint32 state);

public slots:
    void ClickBtnConfig();
    void browseFile();
    void timerSchedule();
    void AllCheckClicked(bool checked);
    void SingleCheckClicked(bool checked);

protected:
    // Message boxes and the file dialog; tests answer them instead.
    virtual void showInformation(const QString &title, const QString &text);
    // Empty when the user cancels.
    virtual QString askTempletFileName();

private:
    void startConfig();
    void stopConfig(bool finalRefresh);
    // Shows every checked device's state and sections; the progress shown.
    int refresh();
    void setRunningLook(bool running);
    void log(const QString &text) const;

    std::unique_ptr<Ui::CBatchConfigFrameClass> ui;
    std::unique_ptr<DeviceCheckTable> m_rows; // in BatchConfigTable
    bool m_running = false;
    QTimer m_timer;
    // Made at each start, with the default credentials as they are then.
    std::unique_ptr<CBatchConfigManager> m_manager;
};
