#include "devicechecktable.h"

#include "devicelistmodel.h"
#include "iptablewidgetitem.h"

#include <QCheckBox>
#include <QTableWidget>

DeviceCheckTable::DeviceCheckTable(QTableWidget *table, QCheckBox *allBox, const Layout &layout,
    std::span<const int> columnWidths, int rowCapacity)
    : m_table(table),
      m_allBox(allBox),
      m_layout(layout),
      m_columnCount(int(columnWidths.size())),
      m_rowCapacity(rowCapacity)
{
    m_table->setColumnCount(m_columnCount);
    for (int column = 0; column < m_columnCount; ++column) {
        m_table->setColumnWidth(column, columnWidths[size_t(column)]);
    }
    m_table->setRowCount(m_rowCapacity);
    for (int row = 0; row < m_rowCapacity; ++row) {
        m_table->setRowHidden(row, true);
    }
}

QCheckBox *DeviceCheckTable::rowCheckBox(int row) const
{
    return qobject_cast<QCheckBox *>(m_table->cellWidget(row, m_layout.checkColumn));
}

std::vector<int> DeviceCheckTable::listedRows() const
{
    std::vector<int> rows;
    for (int row = 0; row < m_table->rowCount(); ++row) {
        if (m_table->item(row, m_layout.nameColumn) != nullptr) {
            rows.push_back(row);
        }
    }
    return rows;
}

std::vector<int> DeviceCheckTable::checkedRows() const
{
    std::vector<int> rows;
    for (const int row : listedRows()) {
        const QCheckBox *box = rowCheckBox(row);
        if (box != nullptr && box->isChecked()) {
            rows.push_back(row);
        }
    }
    return rows;
}

void DeviceCheckTable::clear()
{
    m_table->setSortingEnabled(false);
    for (const int row : listedRows()) {
        m_table->removeCellWidget(row, m_layout.checkColumn);
        for (int column = 0; column < m_columnCount; ++column) {
            delete m_table->takeItem(row, column);
        }
        m_table->setRowHidden(row, true);
    }
    m_table->setSortingEnabled(true);
    m_devices.clear();
    m_allBox->setChecked(false);
}

void DeviceCheckTable::setDevices(const std::vector<DEVICEINFO> &devices, const QString &firstState)
{
    m_table->setSortingEnabled(false);
    for (int row = 0; row < int(devices.size()); ++row) {
        const DEVICEINFO &record = devices[size_t(row)];
        if (row >= m_rowCapacity) {
            m_table->insertRow(row);
            ++m_rowCapacity;
        }
        auto *box = new QCheckBox;
        m_table->setCellWidget(row, m_layout.checkColumn, box);
        connect(box, &QCheckBox::toggled, this, &DeviceCheckTable::rowCheckToggled);

        auto *name = new QTableWidgetItem(DeviceList::FieldText(record.szDevName));
        name->setData(m_layout.deviceIndexRole, int(m_devices.size()));
        m_table->setItem(row, m_layout.nameColumn, name);
        m_table->setItem(row, m_layout.serialColumn,
            new QTableWidgetItem(DeviceList::FieldText(record.szSerialNo)));
        m_table->setItem(row, m_layout.ipColumn,
            new IpTableWidgetItem(DeviceList::FieldText(record.szIPAddress)));
        // The page's own columns start empty, so that it can write into every one.
        for (int column = m_layout.stateColumn; column < m_columnCount; ++column) {
            m_table->setItem(row, column,
                new QTableWidgetItem(column == m_layout.stateColumn ? firstState : QString()));
        }
        m_devices.push_back(record);
        m_table->setRowHidden(row, false);
    }
    m_table->setSortingEnabled(true);
}

void DeviceCheckTable::checkAll(bool checked)
{
    for (const int row : listedRows()) {
        if (QCheckBox *box = rowCheckBox(row)) {
            box->setChecked(checked);
        }
    }
}

void DeviceCheckTable::rowToggled(bool checked)
{
    if (!checked) {
        m_allBox->setChecked(false);
    }
}

void DeviceCheckTable::setChecksEnabled(bool enabled)
{
    for (const int row : listedRows()) {
        if (QCheckBox *box = rowCheckBox(row)) {
            box->setEnabled(enabled);
        }
    }
    m_allBox->setEnabled(enabled);
}

int DeviceCheckTable::assignTasks(
    const std::function<int(int device, const DEVICEINFO &record)> &addTask)
{
    int assigned = 0;
    for (const int row : checkedRows()) {
        QTableWidgetItem *name = m_table->item(row, m_layout.nameColumn);
        const int device = name->data(m_layout.deviceIndexRole).toInt();
        if (device < 0 || device >= int(m_devices.size())) {
            continue;
        }
        name->setData(m_layout.taskIndexRole, addTask(device, m_devices[size_t(device)]));
        ++assigned;
    }
    return assigned;
}

int DeviceCheckTable::taskIndex(int row) const
{
    return m_table->item(row, m_layout.nameColumn)->data(m_layout.taskIndexRole).toInt();
}

void DeviceCheckTable::setStateText(int row, const QString &text)
{
    m_table->item(row, m_layout.stateColumn)->setText(text);
}
