#include "mendrules.h"

#include <QByteArray>

#include <array>
#include <optional>

namespace NetworkMend {

namespace {

// The four parts of a dotted address, or nothing when the text has other
// characters, another number of dots, an empty part or a part over 255.
std::optional<std::array<quint32, 4>> dottedParts(const QString &text)
{
    for (const QChar c : text) {
        if (c != QLatin1Char('.') && (c < QLatin1Char('0') || c > QLatin1Char('9'))) {
            return std::nullopt;
        }
    }
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4) {
        return std::nullopt;
    }
    std::array<quint32, 4> values {};
    for (int i = 0; i < 4; ++i) {
        const QString &part = parts.at(i);
        if (part.isEmpty()) {
            return std::nullopt;
        }
        // Leading zeros add nothing; what is left must fit 0 to 255.
        qsizetype first = 0;
        while (first + 1 < part.size() && part.at(first) == QLatin1Char('0')) {
            ++first;
        }
        if (part.size() - first > 3) {
            return std::nullopt;
        }
        values[static_cast<size_t>(i)] = part.mid(first).toUInt();
        if (values[static_cast<size_t>(i)] > 255) {
            return std::nullopt;
        }
    }
    return values;
}

} // namespace

bool IsValidIP(const QString &text)
{
    if (text.isEmpty()) {
        return true;
    }
    const auto parts = dottedParts(text);
    return parts && (*parts)[0] >= 1;
}

bool IsValidMask(const QString &text)
{
    if (text.isEmpty()) {
        return true;
    }
    const auto parts = dottedParts(text);
    if (!parts) {
        return false;
    }
    const quint32 value
        = ((*parts)[0] << 24) | ((*parts)[1] << 16) | ((*parts)[2] << 8) | (*parts)[3];
    const quint32 hostBits = ~value;
    return value != 0 && (hostBits & (hostBits + 1)) == 0;
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
    const auto parts = dottedParts(text);
    if (!parts) {
        return text;
    }
    return QStringLiteral("%1.%2.%3.%4")
        .arg((*parts)[0])
        .arg((*parts)[1])
        .arg((*parts)[2])
        .arg((*parts)[3]);
}

bool IsDeviceNameTooLong(const QString &name)
{
    return name.toLocal8Bit().size() > DeviceNameMaxBytes;
}

QString CheckNetworkFields(
    const QString &ip, const QString &mask, const QString &gateway, const QString &port)
{
    if (ip.isEmpty() || mask.isEmpty() || port.isEmpty()) {
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
    if (!IsValidPort(port)) {
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
