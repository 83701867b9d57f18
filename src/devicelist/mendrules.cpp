#include "mendrules.h"

#include "ipv4text.h"

namespace NetworkMend {

bool IsValidIP(const QString &text)
{
    return text.isEmpty() || Ipv4Text::isValid(text, Ipv4Text::HostAddress);
}

bool IsValidMask(const QString &text)
{
    return text.isEmpty() || Ipv4Text::isValid(text, Ipv4Text::SubnetMask);
}

bool IsValidGateway(const QString &text)
{
    return IsValidIP(text);
}

bool IsValidPort(const QString &text)
{
    bool ok = false;
    const qlonglong port = text.toLongLong(&ok);
    const qlonglong value = ok ? port : 0;
    return value >= 2000 && value <= 65535;
}

QString CanonicalAddress(const QString &text)
{
    return Ipv4Text::canonical(text, Ipv4Text::AnyAddress).value_or(text);
}

bool IsDeviceNameTooLong(const QString &name)
{
    return name.toLocal8Bit().size() > DeviceNameMaxBytes;
}

QString CheckNetworkFields(const QString &ip, const QString &mask, const QString &gateway,
    const std::optional<QString> &port)
{
    if (ip.isEmpty() || mask.isEmpty() || (port && port->isEmpty())) {
        return Texts::tr("IP address, Subnet Mask and Port can't be empty!");
    }
    if (!IsValidIP(ip)) {
        return Texts::tr("IP Address is invalid!");
    }
    if (!IsValidMask(mask)) {
        return Texts::tr("Subnet Mask is invalid!");
    }
    if (!gateway.isEmpty() && !IsValidGateway(gateway)) {
        return Texts::tr("Gateway is invalid!");
    }
    if (port && !IsValidPort(*port)) {
        return Texts::tr("Port should be ranged from 2000 to 65535!");
    }
    return QString();
}

bool BatchAddresses(
    const QString &address, bool oneIp, int count, QStringList *addresses, QString *error)
{
    addresses->clear();
    if (oneIp) {
        for (int i = 0; i < count; ++i) {
            addresses->append(address);
        }
        return true;
    }
    const qsizetype dot = address.lastIndexOf(QLatin1Char('.'));
    const QString prefix = address.left(dot + 1);
    const int first = address.mid(dot + 1).toInt();
    if (count > 255 - first) {
        if (error != nullptr) {
            *error = Texts::tr("The number of IP addresses is less than the number of devices!");
        }
        return false;
    }
    for (int i = 0; i < count; ++i) {
        addresses->append(prefix + QString::number(first + i));
    }
    return true;
}

QString IpPortMaskLogLine(
    const QString &serial, const QString &ip, quint16 port, const QString &mask, bool ok)
{
    return serial + Texts::tr(" set ip, port, mask to") + ip + QStringLiteral(", ")
        + QString::number(port) + QStringLiteral(", ") + mask
        + (ok ? Texts::tr(" succeed!") : Texts::tr(" failed!"));
}

QString GatewayLogLine(const QString &serial, const QString &gateway, bool ok)
{
    return serial + Texts::tr(" set gateway to") + gateway
        + (ok ? Texts::tr(" succeed!") : Texts::tr(" failed!"));
}

QString NameLogLine(const QString &serial, const QString &name, bool ok)
{
    return serial + Texts::tr(" set device name to") + QLatin1Char('"') + name + QLatin1Char('"')
        + (ok ? Texts::tr(" succeed!") : Texts::tr(" failed!"));
}

} // namespace NetworkMend
