#pragma once

#include <QStandardItem>

#include <cstdint>

// Host-order value of a dotted IPv4 text; 0 for a text that is not an
// address, so such cells sort before every address.
uint32_t IpOrderValue(const QString &text);

// Cells of the address, mask and gateway columns: sorting by them orders
// 192.168.1.9 before 192.168.1.10.
class IpStandardItem : public QStandardItem
{
public:
    using QStandardItem::QStandardItem;
    bool operator<(const QStandardItem &other) const override;
    QStandardItem *clone() const override;
};
