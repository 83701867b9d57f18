#include "ipitems.h"

#include "ipv4text.h"

uint32_t IpOrderValue(const QString &text)
{
    return Ipv4Text::parse(text, Ipv4Text::AnyAddress).value_or(0);
}

bool IpStandardItem::operator<(const QStandardItem &other) const
{
    return IpOrderValue(text()) < IpOrderValue(other.text());
}

QStandardItem *IpStandardItem::clone() const
{
    return new IpStandardItem(*this);
}
