#include "singlechange.h"

#include "devicestore.h"
#include "fixedtext.h"
#include "mendrules.h"
#include "networksetters.h"

namespace NetworkMend {

QString CheckSingleChange(const SingleChange &change)
{
    if (!change.name.isEmpty() && IsDeviceNameTooLong(change.name)) {
        return Texts::tr("Device name exceeds maximum length!");
    }
    return CheckNetworkFields(change.ip, change.mask, change.gateway, change.port);
}

SingleChangeResult ApplySingleChange(const DeviceContext &context, int slot,
    const SingleChange &change, const std::optional<QString> &expectedSerial)
{
    SingleChangeResult result;
    result.message = CheckSingleChange(change);
    if (!result.message.isEmpty()) {
        result.status = SingleChangeResult::Invalid;
        return result;
    }
    DEVICEINFO device {};
    const bool found
        = context.store != nullptr && slot >= 0 && context.store->CopyOut(slot, &device);
    result.serial = QString::fromLocal8Bit(FixedText::read(device.szSerialNo));
    if (!found || (expectedSerial && result.serial != *expectedSerial)) {
        result.status = SingleChangeResult::NoDevice;
        result.message = Texts::tr("Select a device first!");
        return result;
    }

    result.status = SingleChangeResult::Applied;
    result.ip = CanonicalAddress(change.ip);
    result.mask = CanonicalAddress(change.mask);
    // The address move always names a port; without a new one it is the
    // device's own, so the device stays where it is reached.
    result.port = change.port ? quint16(change.port->toUInt()) : device.wPort;
    result.addressSet = SetDeviceIpPortMask(
        context, slot, result.ip.toLatin1(), result.port, result.mask.toLatin1());
    context.Log(
        IpPortMaskLogLine(result.serial, result.ip, result.port, result.mask, result.addressSet));

    if (!change.name.isEmpty()) {
        result.name = change.name;
        result.nameSet = SetDeviceName(context, slot, change.name.toLocal8Bit());
        context.Log(NameLogLine(result.serial, result.name, *result.nameSet));
    }
    if (!change.gateway.isEmpty()) {
        result.gateway = CanonicalAddress(change.gateway);
        result.gatewaySet = SetDeviceGateway(context, slot, result.gateway.toLatin1());
        context.Log(GatewayLogLine(result.serial, result.gateway, *result.gatewaySet));
    }
    return result;
}

} // namespace NetworkMend
