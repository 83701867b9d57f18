#pragma once

#include <QModelIndex>
#include <QTableView>

class CMaintable;
class QCheckBox;
class QFrame;
class QStandardItemModel;

// Temporary device table with its two modification panels: the panels are
// still empty. The device-list work replaces the inside of this class and
// keeps the operations the main window calls.
class CMainTableWithMend : public QTableView
{
    Q_OBJECT

public:
    explicit CMainTableWithMend(QWidget *parent = nullptr);

    // The shared device list; not owned.
    void SetDeviceModel(QStandardItemModel *model);
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
    void GroupBoxShow();
    void GroupBoxHide();
    void AllMendAreaHide();
    void InfoShowOrNot();
    void InfoShowOrNot(const QModelIndex &index);
    void AllCheckStatChanges(bool on);

private:
    QStandardItemModel *m_model = nullptr;
    CMaintable *m_table;
    QWidget *m_mendArea;
    QFrame *m_mendAreaFrame;
    QFrame *m_batchMendAreaFrame;
    QCheckBox *m_allCheckBox;
};
