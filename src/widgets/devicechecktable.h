#pragma once

#include "deviceinfo.h"

#include <QObject>

#include <functional>
#include <span>
#include <vector>

class QCheckBox;
class QTableWidget;

// The device list of a batch page, in the page's own QTableWidget: per row a
// check box, the device's name, serial number and address, and a state
// column the page writes; the page's further columns start empty. Rows once
// made stay: a refill with fewer devices hides the surplus and empties them.
// The name cell keeps the device's index in the list and, during a run, the
// index of its task.
class DeviceCheckTable : public QObject
{
    Q_OBJECT

public:
    // The page's columns and the roles of its name cell.
    struct Layout
    {
        int checkColumn;
        int nameColumn;
        int serialColumn;
        int ipColumn;
        int stateColumn;
        int deviceIndexRole;
        int taskIndexRole;
    };

    // One width for every column; `rowCapacity` rows exist from the start, hidden.
    DeviceCheckTable(QTableWidget *table, QCheckBox *allBox, const Layout &layout,
        std::span<const int> columnWidths, int rowCapacity = 0);

    void clear();
    // Lists `devices` in their order, each row's state reading `firstState`.
    void setDevices(const std::vector<DEVICEINFO> &devices, const QString &firstState);

    // The "All" box was clicked: every listed row follows it.
    void checkAll(bool checked);
    // A row's box toggled: unchecking one unchecks "All"; checking every row
    // by hand leaves "All" as it is.
    void rowToggled(bool checked);
    // The row boxes and "All" are locked while a run goes on.
    void setChecksEnabled(bool enabled);

    QCheckBox *rowCheckBox(int row) const;
    // Rows that show a listed device and whose box is checked, in row order.
    std::vector<int> checkedRows() const;
    // Gives every checked row's device to `addTask` and keeps the task index
    // it returns in the row; the number of rows given.
    int assignTasks(const std::function<int(int device, const DEVICEINFO &record)> &addTask);
    int taskIndex(int row) const;
    void setStateText(int row, const QString &text);

signals:
    // Every row box's toggled(bool), for the page's slot of its own name.
    void rowCheckToggled(bool checked);

private:
    // Rows that show a listed device (hidden ones hold no items).
    std::vector<int> listedRows() const;

    QTableWidget *m_table;
    QCheckBox *m_allBox;
    Layout m_layout;
    int m_columnCount;
    std::vector<DEVICEINFO> m_devices;
    int m_rowCapacity; // rows ever made; surplus ones are hidden, never removed
};
