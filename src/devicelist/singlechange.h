#pragma once

#include "devicecontext.h"

#include <QString>

#include <optional>

// The change of one listed device's network identity, as the modification
// panel and the command line both run it: validation first, then the three
// setters in order (address, port and mask; the name; the gateway), each
// tried whatever the one before did, each ending in a line of the context's
// log. Runs on the caller's thread and blocks for the device calls.
namespace NetworkMend {

// What the user asked for, as typed.
struct SingleChange
{
    QString ip;
    QString mask;
    QString gateway; // empty: not sent
    QString name; // empty: not sent
    // The new SDK port; none keeps the device's present one.
    std::optional<QString> port;
};

struct SingleChangeResult
{
    enum Status {
        Applied, // the setters ran; each field's result is below
        Invalid, // a field broke a rule; nothing was sent
        NoDevice, // the slot holds no device, or another one; nothing was sent
    };
    Status status = Invalid;
    QString message; // why nothing was sent

    // As sent: the addresses in the form devices read, the port asked for or
    // the one the device had.
    QString serial;
    QString ip;
    QString mask;
    quint16 port = 0;
    bool addressSet = false;
    std::optional<bool> nameSet; // none: no name was asked for
    QString name;
    std::optional<bool> gatewaySet; // none: no gateway was asked for
    QString gateway;

    // Applied, and the device took every field asked for.
    bool allDone() const
    {
        return status == Applied && addressSet && nameSet.value_or(true)
            && gatewaySet.value_or(true);
    }
};

// The message of the first rule the fields break (the name's length first,
// then the address fields), or an empty text.
QString CheckSingleChange(const SingleChange &change);

// Validates `change` and applies it to the device in `slot`. When given,
// `expectedSerial` must be the serial of the device in that slot: the panel
// changes only the device whose fields it shows.
SingleChangeResult ApplySingleChange(const DeviceContext &context, int slot,
    const SingleChange &change, const std::optional<QString> &expectedSerial = std::nullopt);

} // namespace NetworkMend
