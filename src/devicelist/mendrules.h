#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <optional>

// Rules of the network modification area, shared by the device tables and
// the command line: field validation, the device-name bound, the addresses
// a batch hands out and the result lines of the operation log.
namespace NetworkMend {

// Translation context of the messages and log pieces below.
class Texts
{
    Q_DECLARE_TR_FUNCTIONS(CMainTableWithMend)
};

// Each address rule passes the empty text: emptiness is checked on its own.
// Parts are decimal numbers with any number of digits (010 is 10).
bool IsValidIP(const QString &text);
// A run of one bits from the top, at least one set (255.255.255.255 passes).
bool IsValidMask(const QString &text);
bool IsValidGateway(const QString &text);
// 2000 to 65535; a text that is no number counts as 0.
bool IsValidPort(const QString &text);

// A valid dotted text written the way devices read it: 010 becomes 10, so
// the address sent is the one the rules judged. Other texts come back as given.
QString CanonicalAddress(const QString &text);

// Bytes a device name may take in the local 8-bit code page.
constexpr int DeviceNameMaxBytes = 32;
bool IsDeviceNameTooLong(const QString &name);

// The message of the first rule the fields break, in the order the user is
// told (empty fields, address, mask, gateway, port), or an empty text. No
// port: the devices keep theirs, so there is none to check.
QString CheckNetworkFields(const QString &ip, const QString &mask, const QString &gateway,
    const std::optional<QString> &port);

// The addresses of `count` devices: all `address` when oneIp, else counted
// up in the last part from `address` (which must be valid). False, with the
// message in *error, when the last part would pass .254.
bool BatchAddresses(const QString &address, bool oneIp, int count, QStringList *addresses,
    QString *error = nullptr);

// The operation log's result lines.
QString IpPortMaskLogLine(
    const QString &serial, const QString &ip, quint16 port, const QString &mask, bool ok);
QString GatewayLogLine(const QString &serial, const QString &gateway, bool ok);
QString NameLogLine(const QString &serial, const QString &name, bool ok);

} // namespace NetworkMend
