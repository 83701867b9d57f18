#include "devicelistmodel.h"

#include "ipitems.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QStandardItemModel>
#include <QTableView>

#include <cstring>

namespace DeviceList {

namespace {

enum class Field {
    Check,
    Ip,
    Serial,
    Port,
    Name,
    Model,
    Mask,
    Gateway,
    Mac,
    Channels,
    Software,
    Dsp,
    StartTime
};

struct ColumnDef
{
    const char *header;
    const char *tag; // nullptr: no tag
    int width;
    Field field;
};

// clang-format off
constexpr ColumnDef kColumns[ColumnCount] = {
    {"",                  nullptr,   30,  Field::Check},
    {QT_TRANSLATE_NOOP("DeviceList", "IP Address"),        "IP",      100, Field::Ip},
    {QT_TRANSLATE_NOOP("DeviceList", "Device Serial No."), nullptr,   250, Field::Serial},
    {QT_TRANSLATE_NOOP("DeviceList", "Port"),              "Port",    80,  Field::Port},
    {QT_TRANSLATE_NOOP("DeviceList", "Device Name"),       "Devname", 100, Field::Name},
    {QT_TRANSLATE_NOOP("DeviceList", "Device Model"),      nullptr,   80,  Field::Model},
    {QT_TRANSLATE_NOOP("DeviceList", "Subnet Mask"),       "Mask",    100, Field::Mask},
    {QT_TRANSLATE_NOOP("DeviceList", "Gateway"),           "Gateway", 100, Field::Gateway},
    {QT_TRANSLATE_NOOP("DeviceList", "MAC"),               nullptr,   120, Field::Mac},
    {QT_TRANSLATE_NOOP("DeviceList", "Channel No."),       nullptr,   80,  Field::Channels},
    {QT_TRANSLATE_NOOP("DeviceList", "Software Version"),  nullptr,   120, Field::Software},
    {QT_TRANSLATE_NOOP("DeviceList", "DSP Version"),       nullptr,   120, Field::Dsp},
    {QT_TRANSLATE_NOOP("DeviceList", "Start Time"),        nullptr,   180, Field::StartTime},
};
// clang-format on

QString translated(const char *text)
{
    if (*text == '\0') {
        return QString();
    }
    return QCoreApplication::translate("DeviceList", text);
}

QString headerOf(Field field)
{
    for (const ColumnDef &column : kColumns) {
        if (column.field == field) {
            return translated(column.header);
        }
    }
    return QString();
}

QString cellText(const DEVICEINFO &record, Field field)
{
    switch (field) {
    case Field::Ip:
        return FieldText(record.szIPAddress);
    case Field::Serial:
        return FieldText(record.szSerialNo);
    case Field::Port:
        return QString::number(record.wPort);
    case Field::Name:
        return FieldText(record.szDevName);
    case Field::Model:
        return FieldText(record.szDevModel);
    case Field::Mask:
        return FieldText(record.szSubnetMask);
    case Field::Gateway:
        return FieldText(record.szGateway);
    case Field::Mac:
        return FieldText(record.szMAC);
    case Field::Channels:
        return QString::number(record.dwChannelNum);
    case Field::Software:
        return FieldText(record.szSoftwareVersion);
    case Field::Dsp:
        return FieldText(record.szDSPVersion);
    case Field::StartTime:
        return FieldText(record.szStartTime);
    case Field::Check:
        break;
    }
    return QString();
}

bool isAddressField(Field field)
{
    return field == Field::Ip || field == Field::Mask || field == Field::Gateway;
}

// The definition of the model column `column`, found by its header text.
const ColumnDef *definitionOf(const QAbstractItemModel *model, int column)
{
    const QString header = model->headerData(column, Qt::Horizontal).toString();
    for (int i = 1; i < ColumnCount; ++i) {
        if (translated(kColumns[i].header) == header) {
            return &kColumns[i];
        }
    }
    return nullptr;
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

QString IpHeader()
{
    return headerOf(Field::Ip);
}

QString SerialHeader()
{
    return headerOf(Field::Serial);
}

QString PortHeader()
{
    return headerOf(Field::Port);
}

QString NameHeader()
{
    return headerOf(Field::Name);
}

QString MaskHeader()
{
    return headerOf(Field::Mask);
}

QString GatewayHeader()
{
    return headerOf(Field::Gateway);
}

void SetupColumns(QStandardItemModel *model)
{
    model->setColumnCount(ColumnCount);
    model->setHorizontalHeaderLabels(Headers());
}

void ApplyColumnWidths(QTableView *view)
{
    const QAbstractItemModel *model = view->model();
    if (model == nullptr) {
        return;
    }
    view->setColumnWidth(0, kColumns[0].width);
    for (int column = 1; column < model->columnCount(); ++column) {
        if (const ColumnDef *def = definitionOf(model, column)) {
            view->setColumnWidth(column, def->width);
        }
    }
}

int FindColumn(const QAbstractItemModel *model, const QString &header)
{
    for (int column = 0; column < model->columnCount(); ++column) {
        if (model->headerData(column, Qt::Horizontal).toString() == header) {
            return column;
        }
    }
    return -1;
}

void InsertRow(QStandardItemModel *model, int row, const DEVICEINFO &record, int slot)
{
    model->insertRow(row);

    auto *check = new QStandardItem();
    check->setCheckState(Qt::Unchecked);
    check->setFlags(
        Qt::ItemIsEditable | Qt::ItemIsDragEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
    model->setItem(row, 0, check);

    for (int column = 1; column < model->columnCount(); ++column) {
        const ColumnDef *def = definitionOf(model, column);
        if (def == nullptr) {
            continue;
        }
        const QString text = cellText(record, def->field);
        QStandardItem *item
            = isAddressField(def->field) ? new IpStandardItem(text) : new QStandardItem(text);
        if (def->field == Field::Serial) {
            item->setData(slot, TagRole);
        } else if (def->tag != nullptr) {
            item->setData(QString::fromLatin1(def->tag), TagRole);
        }
        model->setItem(row, column, item);
    }
}

void RewriteRow(QStandardItemModel *model, int row, const DEVICEINFO &record)
{
    for (int column = 1; column < model->columnCount(); ++column) {
        const ColumnDef *def = definitionOf(model, column);
        if (def == nullptr) {
            continue;
        }
        if (QStandardItem *item = model->item(row, column)) {
            item->setText(cellText(record, def->field));
        }
    }
}

int FindRowOfSerial(const QAbstractItemModel *model, const QString &serial)
{
    const int column = FindColumn(model, SerialHeader());
    if (column < 0) {
        return -1;
    }
    for (int row = 0; row < model->rowCount(); ++row) {
        if (model->index(row, column).data().toString() == serial) {
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
    const int column = FindColumn(model, SerialHeader());
    if (column < 0) {
        return -1;
    }
    bool ok = false;
    const int slot = model->index(row, column).data(TagRole).toInt(&ok);
    return ok ? slot : -1;
}

bool IsRowChecked(const QAbstractItemModel *model, int row)
{
    return model->index(row, 0).data(Qt::CheckStateRole).toInt() == Qt::Checked;
}

} // namespace DeviceList
