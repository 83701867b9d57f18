#include "devicelistmodel.h"

#include "ipitems.h"

#include <QCoreApplication>
#include <QStandardItemModel>

#include <cstring>

namespace DeviceList {

namespace {

struct ColumnDef
{
    const char *header;
    const char *tag; // nullptr: no tag
    int width;
};

// clang-format off
constexpr ColumnDef kColumns[ColumnCount] = {
    {"",                  nullptr,   30},
    {QT_TRANSLATE_NOOP("DeviceList", "IP Address"),        "IP",      100},
    {QT_TRANSLATE_NOOP("DeviceList", "Device Serial No."), nullptr,   250},
    {QT_TRANSLATE_NOOP("DeviceList", "Port"),              "Port",    80},
    {QT_TRANSLATE_NOOP("DeviceList", "Device Name"),       "Devname", 100},
    {QT_TRANSLATE_NOOP("DeviceList", "Device Model"),      nullptr,   80},
    {QT_TRANSLATE_NOOP("DeviceList", "Subnet Mask"),       "Mask",    100},
    {QT_TRANSLATE_NOOP("DeviceList", "Gateway"),           "Gateway", 100},
    {QT_TRANSLATE_NOOP("DeviceList", "MAC"),               nullptr,   120},
    {QT_TRANSLATE_NOOP("DeviceList", "Channel No."),       nullptr,   80},
    {QT_TRANSLATE_NOOP("DeviceList", "Software Version"),  nullptr,   120},
    {QT_TRANSLATE_NOOP("DeviceList", "DSP Version"),       nullptr,   120},
    {QT_TRANSLATE_NOOP("DeviceList", "Start Time"),        nullptr,   180},
};
// clang-format on

QString translated(const char *text)
{
    if (*text == '\0') {
        return QString();
    }
    return QCoreApplication::translate("DeviceList", text);
}

QString cellText(const DEVICEINFO &record, int column)
{
    switch (column) {
    case IpColumn:
        return FieldText(record.szIPAddress);
    case SerialColumn:
        return FieldText(record.szSerialNo);
    case PortColumn:
        return QString::number(record.wPort);
    case NameColumn:
        return FieldText(record.szDevName);
    case ModelColumn:
        return FieldText(record.szDevModel);
    case MaskColumn:
        return FieldText(record.szSubnetMask);
    case GatewayColumn:
        return FieldText(record.szGateway);
    case MacColumn:
        return FieldText(record.szMAC);
    case ChannelsColumn:
        return QString::number(record.dwChannelNum);
    case SoftwareColumn:
        return FieldText(record.szSoftwareVersion);
    case DspColumn:
        return FieldText(record.szDSPVersion);
    case StartTimeColumn:
        return FieldText(record.szStartTime);
    default:
        break;
    }
    return QString();
}

bool isAddressColumn(int column)
{
    return column == IpColumn || column == MaskColumn || column == GatewayColumn;
}

} // namespace

QStringList Headers()
{
    QStringList headers;
    for (const ColumnDef &column : kColumns) {
        headers << translated(column.header);
    }
    return headers;
}

void SetupColumns(QStandardItemModel *model)
{
    model->setColumnCount(ColumnCount);
    model->setHorizontalHeaderLabels(Headers());
}

int ColumnWidth(int column)
{
    return column >= 0 && column < ColumnCount ? kColumns[column].width : 0;
}

void InsertRow(QStandardItemModel *model, int row, const DEVICEINFO &record, int slot)
{
    model->insertRow(row);

    auto *check = new QStandardItem();
    check->setCheckState(Qt::Unchecked);
    check->setFlags(
        Qt::ItemIsEditable | Qt::ItemIsDragEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
    model->setItem(row, 0, check);

    for (int column = 1; column < ColumnCount; ++column) {
        const QString text = cellText(record, column);
        QStandardItem *item
            = isAddressColumn(column) ? new IpStandardItem(text) : new QStandardItem(text);
        if (column == SerialColumn) {
            item->setData(slot, TagRole);
        } else if (const char *tag = kColumns[column].tag) {
            item->setData(QString::fromLatin1(tag), TagRole);
        }
        model->setItem(row, column, item);
    }
}

void RewriteRow(QStandardItemModel *model, int row, const DEVICEINFO &record)
{
    for (int column = 1; column < ColumnCount; ++column) {
        if (QStandardItem *item = model->item(row, column)) {
            item->setText(cellText(record, column));
        }
    }
}

int FindRowOfSerial(const QAbstractItemModel *model, const QString &serial)
{
    for (int row = 0; row < model->rowCount(); ++row) {
        if (model->index(row, SerialColumn).data().toString() == serial) {
            return row;
        }
    }
    return -1;
}

int SlotOfRow(const QAbstractItemModel *model, int row)
{
    if (row < 0 || row >= model->rowCount()) {
        return -1;
    }
    bool ok = false;
    const int slot = model->index(row, SerialColumn).data(TagRole).toInt(&ok);
    return ok ? slot : -1;
}

bool IsRowChecked(const QAbstractItemModel *model, int row)
{
    return model->index(row, 0).data(Qt::CheckStateRole).toInt() == Qt::Checked;
}

} // namespace DeviceList
