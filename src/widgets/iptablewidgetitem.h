#pragma once

#include <QTableWidgetItem>

// Address cells of table widgets: sorting by them orders 192.168.1.9 before
// 192.168.1.10, as the device list does.
class IpTableWidgetItem : public QTableWidgetItem
{
public:
    using QTableWidgetItem::QTableWidgetItem;
    bool operator<(const QTableWidgetItem &other) const override;
    QTableWidgetItem *clone() const override;
};
