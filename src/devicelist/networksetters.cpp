#include "networksetters.h"

#include "debuglog.h"
#include "devicesdk.h"
#include "devicestore.h"
#include "fixedtext.h"
#include "quarryloader.h"
#include "records.h"
#include "solvane.h"

#include <cstring>
#include <functional>

namespace {

// Channel of the network and device records.
constexpr qint32 RecordChannel = 0;

// Logs in to the device as its record says: its own credentials when the
// search found it, the default ones when it announced itself.
std::unique_ptr<SdkLogin> loginTo(const DEVICEINFO &record, const DeviceContext &context)
{
    const DeviceCredentials credentials = context.credentialsFor(record);
    auto login = std::make_unique<SdkLogin>(FixedText::read(record.szIPAddress), record.wPort,
        credentials.userName, credentials.password);
    if (!login->ok()) {
        qCDebug(lcNetwork, "Login %s:%u failed, Error:%u", record.szIPAddress,
            unsigned(record.wPort), unsigned(login->error()));
    }
    return login;
}

// Reads record R, lets `change` edit it and writes it back, on one login.
template<typename R>
bool readModifyWrite(const DEVICEINFO &record, const DeviceContext &context,
    const std::function<void(R &)> &change)
{
    const auto login = loginTo(record, context);
    if (!login->ok()) {
        return false;
    }
    R cfg;
    if (!readRecord(login->userId(), cfg, RecordChannel)) {
        qCDebug(lcNetwork,
            "Get config %u failed, Error:%u", unsigned(R::getCommand), SOLV_GetLastError());
        return false;
    }
    change(cfg);
    if (!writeRecord(login->userId(), cfg, RecordChannel)) {
        qCDebug(lcNetwork,
            "Set config %u failed, Error:%u", unsigned(R::setCommand), SOLV_GetLastError());
        return false;
    }
    return true;
}

// Runs the device part under the read lock, then, when the device took the
// change, the record part under the write lock if the slot still holds the
// same device.
bool applyToDevice(const DeviceContext &context, int slot,
    const std::function<bool(const DEVICEINFO &)> &device,
    const std::function<void(DEVICEINFO &)> &record)
{
    CDeviceStore *store = context.store;
    if (store == nullptr) {
        return false;
    }
    QByteArray serial;
    const bool done = store->WithRecordRead(slot, [&](const DEVICEINFO &stored) {
        serial = FixedText::read(stored.szSerialNo);
        return device(stored);
    });
    if (done) {
        store->UpdateRecord(slot, serial.constData(), record);
    }
    return done;
}

} // namespace

bool SetDeviceIpPortMask(const DeviceContext &context, int slot, const QByteArray &ip,
    quint16 port, const QByteArray &mask)
{
    // A text the network record cannot hold whole would move the device to
    // another address than the one asked for.
    if (ip.isEmpty() || mask.isEmpty() || ip.size() > SOLV_NETCFG_IP_ADDRESS_LEN
        || mask.size() > SOLV_NETCFG_MASK_LEN) {
        return false;
    }
    return applyToDevice(
        context, slot,
        [&](const DEVICEINFO &record) {
            if (record.dwSource == 0) {
                const QByteArray portText = QByteArray::number(port);
                const QByteArray mac = FixedText::read(record.szMAC);
                const int32_t result = Quarry_SendUpdateIp(mac.constData(), ip.constData(),
                    mask.constData(), context.defaults.password.constData(), portText.constData());
                if (result != QUARRY_UPDATE_DONE) {
                    qCDebug(lcNetwork,
                        "QUARRY_SendUpdateIp %s failed: %d", mac.constData(), int(result));
                }
                return result == QUARRY_UPDATE_DONE;
            }
            return readModifyWrite<NetCfg>(record, context, [&](NetCfg &net) {
                net.setIpAddress(ip);
                net.setSubnetMask(mask);
                net.setPort(port);
            });
        },
        [&](DEVICEINFO &record) {
            FixedText::write(record.szIPAddress, ip.constData());
            FixedText::write(record.szSubnetMask, mask.constData());
            record.wPort = port;
        });
}

bool SetDeviceGateway(const DeviceContext &context, int slot, const QByteArray &gateway)
{
    if (gateway.isEmpty() || gateway.size() > SOLV_NETCFG_GATEWAY_LEN) {
        return false;
    }
    return applyToDevice(
        context, slot,
        [&](const DEVICEINFO &record) {
            return readModifyWrite<NetCfg>(
                record, context, [&](NetCfg &net) { net.setGateway(gateway); });
        },
        [&](DEVICEINFO &record) { FixedText::write(record.szGateway, gateway.constData()); });
}

bool SetDeviceName(const DeviceContext &context, int slot, const QByteArray &name)
{
    if (name.isEmpty() || name.size() > SOLV_DEVICECFG_NAME_LEN) {
        return false;
    }
    return applyToDevice(
        context, slot,
        [&](const DEVICEINFO &record) {
            return readModifyWrite<DeviceCfg>(
                record, context, [&](DeviceCfg &device) { device.setName(name); });
        },
        [&](DEVICEINFO &record) { FixedText::write(record.szDevName, name.constData()); });
}
