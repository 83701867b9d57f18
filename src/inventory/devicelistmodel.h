#pragma once

#include "deviceinfo.h"
#include "fixedtext.h"

#include <QString>
#include <QStringList>
#include <QtCore/qnamespace.h>


class QAbstractItemModel;
class QStandardItemModel;

// The 13-column device list shared by the two device tables. Column 0 holds
// the row's check box. Code names a column by this enumeration only, never
// by its (translated) header text.
namespace DeviceList {

enum Column {
    CheckColumn,
    IpColumn,
    SerialColumn,
    PortColumn,
    NameColumn,
    ModelColumn,
    MaskColumn,
    GatewayColumn,
    MacColumn,
    ChannelsColumn,
    SoftwareColumn,
    DspColumn,
    StartTimeColumn,
    ColumnCount
};
// Tag of the address, mask, gateway, port and name cells ("IP", "Mask", ...);
// in the serial cell, the device's slot in the store.
constexpr int TagRole = Qt::UserRole;

// Translated headers in column order; column 0 has an empty header.
QStringList Headers();

// Sets the column count and the headers.
void SetupColumns(QStandardItemModel *model);
// Width of a column in pixels, the same in both tables.
int ColumnWidth(int column);

// Inserts a row at `row` (unchecked check box, then cells 1 to 12 with
// texts and tags; the serial cell carries `slot`).
void InsertRow(QStandardItemModel *model, int row, const DEVICEINFO &record, int slot);
// Rewrites the texts of cells 1 to 12; tags and slot stay.
void RewriteRow(QStandardItemModel *model, int row, const DEVICEINFO &record);
// First row whose serial cell reads `serial`, or -1.
int FindRowOfSerial(const QAbstractItemModel *model, const QString &serial);
// Slot index stored in the row's serial cell, or -1.
int SlotOfRow(const QAbstractItemModel *model, int row);
bool IsRowChecked(const QAbstractItemModel *model, int row);

// Text of a fixed 8-bit field, decoded from the local 8-bit code page.
template<size_t N> QString FieldText(const char (&field)[N])
{
    return QString::fromLocal8Bit(FixedText::read(field));
}

} // namespace DeviceList
