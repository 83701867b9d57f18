#pragma once

#include "devicestore.h"

// A device as discovery announces it: serial, address, class C mask, port 8000.
inline DEVICEINFO testDevice(const char *serial, const char *ip = "192.168.1.64")
{
    DEVICEINFO record {};
    FixedText::write(record.szSerialNo, serial);
    FixedText::write(record.szIPAddress, ip);
    FixedText::write(record.szSubnetMask, "255.255.255.0");
    record.wPort = 8000;
    return record;
}
