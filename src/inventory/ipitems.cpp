#include "ipitems.h"

#include "mirt.h"

uint32_t IpOrderValue(const QString &text)
{
    uint32_t address = 0;
    const QByteArray ascii = text.toLatin1();
    if (MIRT_InetPton(MIRT_AF_INET, ascii.constData(), &address) != 1) {
        address = 0;
    }
    return MIRT_Ntohl(address);
}

bool IpStandardItem::operator<(const QStandardItem &other) const
{
    return IpOrderValue(text()) < IpOrderValue(other.text());
}

QStandardItem *IpStandardItem::clone() const
{
    return new IpStandardItem(*this);
}
