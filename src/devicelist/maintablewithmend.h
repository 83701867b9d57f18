#pragma once

#include "batchmendthread.h"

#include <QHash>
#include <QList>
#include <QModelIndex>
#include <QTableView>

class CDeviceStore;
class CMaintable;
class ProgressDialog;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QStandardItemModel;
class QToolButton;

// A device table with the two panels in which the user changes the network
// identity of devices: the single-device panel (the device in the current
// row, changed at once) and the batch panel (every ticked device, changed by
// the worker while a wait dialog shows the progress). Every change is
// validated in full before any device is touched, and every device operation
// ends in a line of the operation log.
class CMainTableWithMend : public QTableView
{
    Q_OBJECT

public:
    explicit CMainTableWithMend(QWidget *parent = nullptr);
    ~CMainTableWithMend() override;

    // The shared device list; not owned.
    void SetDeviceModel(QStandardItemModel *model);
    // The store the setters work on; by default the main window's.
    void SetDeviceStore(CDeviceStore *store) { m_store = store; }
    CMaintable *maintable() const { return m_table; }
    // The inner view of the device table.
    QTableView *tableView() const;
    int CurrentRow() const;
    void SelectRow(int row);

    // The area beside the table that holds both panels.
    void SetMendAreaVisible(bool visible);
    bool IsMendAreaVisible() const;
    bool IsSinglePanelShown() const;
    bool IsBatchPanelShown() const;
    // State of the select-all box.
    void SetAllChecked(bool checked);
    bool IsAllChecked() const;

public slots:
    void MendAreaInorOut();
    void BatchMendAreaInorOut();
    void ChooseIPType(bool on);
    void GroupBoxShow();
    void GroupBoxHide();
    void AllMendAreaHide();
    void InfoShowOrNot();
    void InfoShowOrNot(const QModelIndex &index);
    void AllCheckStatChanges(bool on);
    void showinfo(const QModelIndex &index);
    void DevinfoChanged();
    void BatchDevinfoChanged();
    void FinishSetIpAddress(
        int iDevIndex, int iRow, QString ip, unsigned short nPort, QString mask, bool result);
    void FinishSetGateway(int iDevIndex, int iRow, QString gateway, bool result);
    void FinishDeviceCount(int iCount);

protected:
    void changeEvent(QEvent *event) override;
    // A modal box with one OK button; tests record it instead.
    virtual void showMessage(const QString &title, const QString &text);
    // The operation log of the main window.
    void log(const QString &text) const;

private:
    void buildUi();
    void retranslateUi();
    void setSinglePanelFolded(bool folded);
    void setBatchPanelFolded(bool folded);
    CDeviceStore *store() const;
    // Row of the device in `slot` whose serial is `serial` (`hint` first), or -1.
    int rowOfDevice(int slot, const QString &serial, int hint) const;
    // Sets the cell tagged `tag` in `row`.
    void setCell(int row, int column, const QString &text);
    // The store, the default credentials as they stand now and the log.
    DeviceContext deviceContext() const;
    QString serialOfSlot(int slot) const;

    QStandardItemModel *m_model = nullptr;
    CDeviceStore *m_store = nullptr;

    CMaintable *m_table = nullptr;
    QWidget *m_mendArea = nullptr;
    QFrame *m_mendAreaFrame = nullptr;
    QLabel *m_label6 = nullptr;
    QToolButton *m_inButton = nullptr;
    QToolButton *m_outButton = nullptr;
    QFrame *m_mendFrame = nullptr;
    QLabel *m_nameLabel = nullptr;
    QLabel *m_ipLabel = nullptr;
    QLabel *m_maskLabel = nullptr;
    QLabel *m_gatewayLabel = nullptr;
    QLabel *m_portLabel = nullptr;
    QLineEdit *m_devNameLineEdit = nullptr;
    QLineEdit *m_ipAddrLineEdit = nullptr;
    QLineEdit *m_maskLineEdit = nullptr;
    QLineEdit *m_gatewayLineEdit = nullptr;
    QLineEdit *m_portLineEdit = nullptr;
    QPushButton *m_changeButton = nullptr;
    QFrame *m_batchMendAreaFrame = nullptr;
    QLabel *m_label7 = nullptr;
    QToolButton *m_batchInButton = nullptr;
    QToolButton *m_batchOutButton = nullptr;
    QFrame *m_batchMendFrame = nullptr;
    QCheckBox *m_ipCheckBox = nullptr;
    QLabel *m_startIpLabel = nullptr;
    QLineEdit *m_startIpLineEdit = nullptr;
    QLabel *m_batchIpLabel = nullptr;
    QLineEdit *m_batchIpAddrLineEdit = nullptr;
    QLabel *m_batchMaskLabel = nullptr;
    QLineEdit *m_batchMaskLineEdit = nullptr;
    QLabel *m_batchGatewayLabel = nullptr;
    QLineEdit *m_batchGatewayLineEdit = nullptr;
    QLabel *m_batchPortLabel = nullptr;
    QLineEdit *m_batchPortLineEdit = nullptr;
    QPushButton *m_batchChangeButton = nullptr;
    QFrame *m_chooseAllFrame = nullptr;
    QCheckBox *m_allCheckBox = nullptr;

    // The device the single panel shows: a removed row moves the current
    // index to another device, which must not get these fields.
    QString m_shownSerial;
    bool m_singleFolded = false;
    bool m_batchFolded = false;

    // The devices of the batch run being prepared or running, and their
    // serials as they were when the run started (rows may move meanwhile).
    QList<BatchMendItem> m_ticked;
    QHash<int, QString> m_tickedSerials; // by slot
    ProgressDialog *m_progressDialog = nullptr;
    BatchMendThread m_worker;
};
