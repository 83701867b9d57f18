#include "networksetters.h"

#include "devicesdk.h"
#include "devicestore.h"
#include "mirt.h"
#include "quarryloader.h"
#include "records.h"
#include "solvane.h"
#include "tervixservices.h"

#include <cstring>
#include <functional>

namespace {

// Channel of the network and device records.
constexpr qint32 RecordChannel = 0;

template<size_t N> QByteArray fieldBytes(const char (&field)[N])
{
    return QByteArray(field, static_cast<qsizetype>(strnlen(field, N)));
}

// Logs in to the device as its record says: its own credentials when the
// search found it, the default ones when it announced itself.
std::unique_ptr<SdkLogin> loginTo(const DEVICEINFO &record, const DeviceCredentials &defaults)
{
    const bool own = record.dwSource == 1;
    auto login = std::make_unique<SdkLogin>(fieldBytes(record.szIPAddress), record.wPort,
        own ? fieldBytes(record.szUserName) : defaults.userName,
        own ? fieldBytes(record.szPassword) : defaults.password);
    if (!login->ok()) {
        MIRT_OutputDebug("Login %s:%u failed, Error:%u\n", record.szIPAddress,
            unsigned(record.wPort), unsigned(login->error()));
    }
    return login;
}

// Reads record R, lets `change` edit it and writes it back, on one login.
template<typename R>
bool readModifyWrite(const DEVICEINFO &record, const DeviceCredentials &defaults,
    const std::function<void(R &)> &change)
{
    const auto login = loginTo(record, defaults);
    if (!login->ok()) {
        return false;
    }
    R cfg;
    if (!readRecord(login->userId(), cfg, RecordChannel)) {
        MIRT_OutputDebug(
            "Get config %u failed, Error:%u\n", unsigned(R::getCommand), SOLV_GetLastError());
        return false;
    }
    change(cfg);
    if (!writeRecord(login->userId(), cfg, RecordChannel)) {
        MIRT_OutputDebug(
            "Set config %u failed, Error:%u\n", unsigned(R::setCommand), SOLV_GetLastError());
        return false;
    }
    return true;
}

// Runs the device part under the read lock, then, when the device took the
// change, the record part under the write lock if the slot still holds the
// same device.
bool applyToDevice(CDeviceStore *store, int slot,
    const std::function<bool(const DEVICEINFO &)> &device,
    const std::function<void(DEVICEINFO &)> &record)
{
    if (store == nullptr) {
        return false;
    }
    QByteArray serial;
    const bool done = store->WithRecordRead(slot, [&](const DEVICEINFO &stored) {
        serial = fieldBytes(stored.szSerialNo);
        return device(stored);
    });
    if (done) {
        store->UpdateRecord(slot, serial.constData(), record);
    }
    return done;
}

} // namespace

DeviceCredentials DefaultCredentials()
{
    const TervixServices *services = tervixServices();
    if (services == nullptr) {
        return {};
    }
    return { QByteArray(services->defaultUserName()), QByteArray(services->defaultPassword()) };
}

bool SetDeviceIpPortMask(CDeviceStore *store, int slot, const QByteArray &ip, quint16 port,
    const QByteArray &mask, const DeviceCredentials &defaults)
{
    // A text the network record cannot hold whole would move the device to
    // another address than the one asked for.
    if (ip.isEmpty() || mask.isEmpty() || ip.size() > SOLV_NETCFG_IP_ADDRESS_LEN
        || mask.size() > SOLV_NETCFG_MASK_LEN) {
        return false;
    }
    return applyToDevice(
        store, slot,
        [&](const DEVICEINFO &record) {
            if (record.dwSource == 0) {
                const QByteArray portText = QByteArray::number(port);
                const QByteArray mac = fieldBytes(record.szMAC);
                const int32_t result = Quarry_SendUpdateIp(mac.constData(), ip.constData(),
                    mask.constData(), defaults.password.constData(), portText.constData());
                if (result != QUARRY_UPDATE_DONE) {
                    MIRT_OutputDebug(
                        "QUARRY_SendUpdateIp %s failed: %d\n", mac.constData(), int(result));
                }
                return result == QUARRY_UPDATE_DONE;
            }
            return readModifyWrite<NetCfg>(record, defaults, [&](NetCfg &net) {
                net.setIpAddress(ip);
                net.setSubnetMask(mask);
                net.setPort(port);
            });
        },
        [&](DEVICEINFO &record) {
            CopyDeviceText(record.szIPAddress, ip.constData());
            CopyDeviceText(record.szSubnetMask, mask.constData());
            record.wPort = port;
        });
}

bool SetDeviceGateway(
    CDeviceStore *store, int slot, const QByteArray &gateway, const DeviceCredentials &defaults)
{
    if (gateway.isEmpty() || gateway.size() > SOLV_NETCFG_GATEWAY_LEN) {
        return false;
    }
    return applyToDevice(
        store, slot,
        [&](const DEVICEINFO &record) {
            return readModifyWrite<NetCfg>(
                record, defaults, [&](NetCfg &net) { net.setGateway(gateway); });
        },
        [&](DEVICEINFO &record) { CopyDeviceText(record.szGateway, gateway.constData()); });
}

bool SetDeviceName(
    CDeviceStore *store, int slot, const QByteArray &name, const DeviceCredentials &defaults)
{
    if (name.isEmpty() || name.size() > SOLV_DEVICECFG_NAME_LEN) {
        return false;
    }
    return applyToDevice(
        store, slot,
        [&](const DEVICEINFO &record) {
            return readModifyWrite<DeviceCfg>(
                record, defaults, [&](DeviceCfg &device) { device.setName(name); });
        },
        [&](DEVICEINFO &record) { CopyDeviceText(record.szDevName, name.constData()); });
}
