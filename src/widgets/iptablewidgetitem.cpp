#include "iptablewidgetitem.h"

#include "ipitems.h"

bool IpTableWidgetItem::operator<(const QTableWidgetItem &other) const
{
    return IpOrderValue(text()) < IpOrderValue(other.text());
}

QTableWidgetItem *IpTableWidgetItem::clone() const
{
    return new IpTableWidgetItem(*this);
}
