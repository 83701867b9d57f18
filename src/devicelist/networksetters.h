#pragma once

#include "devicecontext.h"

#include <QByteArray>

// The device network setters: every change of a listed device's address,
// port, mask, gateway or name goes through them. Each looks the device up by
// its slot in the store and holds the store's read lock for the whole of its
// device calls, so discovery updates of the store wait meanwhile. A device
// found by the IP-range search (dwSource 1) is reached with its own
// credentials, an announced one (dwSource 0) with the context's defaults. Records
// are read, changed in the named fields only and written back, so every
// other byte the device reported goes back unchanged; each login ends in a
// logout on every path.
//
// Only after the device accepted a change are the stored record's fields
// updated, under the store's write lock, so no reader copies a half-written
// text. The read lock cannot be turned into the write lock in place (two
// setters doing so would wait for each other for ever), so the setter lets
// the read lock go first and then writes only when the slot still holds the
// same device (by serial). If the device left the list meanwhile, the
// change still happened on the device and the setter says so.

// Announced devices move through the discovery library (QUARRY_SendUpdateIp,
// proven with the default password), searched ones through the network
// record. False for a free slot, an empty or overlong text, or a device that
// refused or did not answer.
bool SetDeviceIpPortMask(const DeviceContext &context, int slot, const QByteArray &ip,
    quint16 port, const QByteArray &mask);
// Always through the device SDK, whatever found the device.
bool SetDeviceGateway(const DeviceContext &context, int slot, const QByteArray &gateway);
// The name in the local 8-bit code page, at most 32 bytes.
bool SetDeviceName(const DeviceContext &context, int slot, const QByteArray &name);
