#pragma once

#include <cstdint>

// The fixed-size record of one device. Texts are zero-terminated 8-bit
// strings copied with explicit bounds; the serial number is the key.
// A value-initialised record (DEVICEINFO{}) is all zeros.
struct DEVICEINFO
{
    char szDevName[33];
    uint32_t dwDevID;
    char szSerialNo[49];
    char szSoftwareVersion[48];
    char szDSPVersion[48];
    char szDevModel[128];
    uint32_t dwChannelNum;
    uint32_t dwDiskNum;
    char szIPAddress[128];
    uint16_t wPort;
    char szSubnetMask[128];
    char szUserName[33];
    char szPassword[17];
    char szGateway[128];
    char szMAC[48];
    char szStartTime[48];
    uint32_t dwSource; // 0: announced by discovery; 1: found by the IP-range search
};

// Report types carried by SearchAdapter::DeviceCallback.
enum DeviceReportType { DeviceReportAddOrUpdate = 0, DeviceReportRemove = 2 };
