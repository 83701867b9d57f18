#pragma once

#include "recordbuffer.h"
#include "solvane_records.h"

#include <algorithm>

// Views over the configuration records the program exchanges with a device.
//
// Each record's fields are listed once, in a table macro below, one row per
// field:
//
//     X(getter, setter, type, layout, name, templet element)
//
// `type` is a FieldType; `layout` names the field's SOLV_<layout>_OFFSET and
// _LEN in solvane_records.h, the wire layout shared with the device
// simulator; `name` is the field's name on the command line (recordfields.h);
// the templet element is the field's element in the parameter templet, or
// nullptr. Each view expands its tables into its accessors and into static
// FieldRow arrays (`fields`, and `entryFields` for repeated entries) that
// the named fields and the templet walk. Rows of a record with a templet
// section are in the order of that section.
//
// Text setters cut to the field's width and zero-pad; a text of the full
// width has no terminating zero.

#define TERVIX_RECORD_COMMANDS(record)                                                             \
    static constexpr quint32 getCommand = SOLV_GET_##record;                                       \
    static constexpr quint32 setCommand = SOLV_SET_##record;                                       \
    static constexpr int recordSize = SOLV_##record##_SIZE;                                        \
    static_assert(setCommand == getCommand + 1, "set command is get + 1")

#define TERVIX_FIELD_ROW(getter, setter, type, layout, name, element)                              \
    FieldRow { name, FieldType::type, SOLV_##layout##_OFFSET, SOLV_##layout##_LEN, element },

// getter() and setter(value), for a field of the record itself.
#define TERVIX_FIELD_ACCESSORS(getter, setter, type, layout, name, element)                        \
    FieldValue<FieldType::type>::Type getter() const                                               \
    {                                                                                              \
        return get<FieldType::type>(SOLV_##layout##_OFFSET, SOLV_##layout##_LEN);                  \
    }                                                                                              \
    void setter(FieldValue<FieldType::type>::Arg value)                                            \
    {                                                                                              \
        set<FieldType::type>(SOLV_##layout##_OFFSET, SOLV_##layout##_LEN, value);                  \
    }

// getter(index) and setter(index, value), for a field of the view's `entries`.
#define TERVIX_ENTRY_ACCESSORS(getter, setter, type, layout, name, element)                        \
    FieldValue<FieldType::type>::Type getter(int index) const                                      \
    {                                                                                              \
        return get<FieldType::type>(                                                               \
            entries.at(index, SOLV_##layout##_OFFSET), SOLV_##layout##_LEN);                       \
    }                                                                                              \
    void setter(int index, FieldValue<FieldType::type>::Arg value)                                 \
    {                                                                                              \
        set<FieldType::type>(                                                                      \
            entries.at(index, SOLV_##layout##_OFFSET), SOLV_##layout##_LEN, value);                \
    }

// Every row of `fields` inside the record, as wide as its type, none overlapping.
#define TERVIX_CHECK_FIELDS(View)                                                                  \
    static_assert(rowsFit(View::fields, View::recordSize) && rowsApart(View::fields),              \
        #View " fields lie inside the record, apart")
// The same for `entryFields` inside an entry, and the entries inside the record.
#define TERVIX_CHECK_ENTRIES(View)                                                                 \
    static_assert(rowsFit(View::entryFields, View::entries.stride) && rowsApart(View::entryFields) \
            && groupFits(View::entries, View::fields, View::recordSize),                           \
        #View " entries lie inside the record, apart from its fields")

// ---- SOLV_DEVICECFG ---------------------------------------------------------

#define TERVIX_DEVICECFG_FIELDS(X)                                                                 \
    X(name, setName, Text, DEVICECFG_NAME, "name", nullptr)                                        \
    X(deviceNumber, setDeviceNumber, U32, DEVICECFG_DEVICE_NUMBER, "deviceNumber", nullptr)        \
    X(serialNumber, setSerialNumber, Text, DEVICECFG_SERIAL, "serialNumber", nullptr)              \
    X(softwareVersion, setSoftwareVersion, U32, DEVICECFG_SOFTWARE_VERSION, "softwareVersion",     \
        nullptr)                                                                                   \
    X(softwareBuildDate, setSoftwareBuildDate, U32, DEVICECFG_SOFTWARE_BUILD_DATE,                 \
        "softwareBuildDate", nullptr)                                                              \
    X(dspVersion, setDspVersion, U32, DEVICECFG_DSP_VERSION, "dspVersion", nullptr)                \
    X(dspBuildDate, setDspBuildDate, U32, DEVICECFG_DSP_BUILD_DATE, "dspBuildDate", nullptr)       \
    X(diskCount, setDiskCount, U8, DEVICECFG_DISK_COUNT, "diskCount", nullptr)                     \
    X(deviceType, setDeviceType, U8, DEVICECFG_DEVICE_TYPE, "deviceType", nullptr)                 \
    X(channelCount, setChannelCount, U8, DEVICECFG_CHANNEL_COUNT, "channelCount", nullptr)

class DeviceCfg : public RecordBuffer
{
public:
    TERVIX_RECORD_COMMANDS(DEVICECFG);
    static constexpr FieldRow fields[] = { TERVIX_DEVICECFG_FIELDS(TERVIX_FIELD_ROW) };

    DeviceCfg() : RecordBuffer(recordSize) { }

    TERVIX_DEVICECFG_FIELDS(TERVIX_FIELD_ACCESSORS)
};
TERVIX_CHECK_FIELDS(DeviceCfg);

// ---- SOLV_NETCFG ------------------------------------------------------------

#define TERVIX_NETCFG_FIELDS(X)                                                                    \
    X(ipAddress, setIpAddress, Text, NETCFG_IP_ADDRESS, "ipAddress", nullptr)                      \
    X(subnetMask, setSubnetMask, Text, NETCFG_MASK, "subnetMask", nullptr)                         \
    X(port, setPort, U16, NETCFG_PORT, "port", nullptr)                                            \
    X(mac, setMac, Mac, NETCFG_MAC, "mac", nullptr)                                                \
    X(gateway, setGateway, Text, NETCFG_GATEWAY, "gateway", nullptr)

class NetCfg : public RecordBuffer
{
public:
    TERVIX_RECORD_COMMANDS(NETCFG);
    static constexpr FieldRow fields[] = { TERVIX_NETCFG_FIELDS(TERVIX_FIELD_ROW) };

    NetCfg() : RecordBuffer(recordSize) { }

    // mac(): the six address bytes as stored.
    TERVIX_NETCFG_FIELDS(TERVIX_FIELD_ACCESSORS)
};
TERVIX_CHECK_FIELDS(NetCfg);

// ---- SOLV_FRONTCFG ----------------------------------------------------------

#define TERVIX_FRONTCFG_FIELDS(X)                                                                  \
    X(brightness, setBrightness, U8, FRONTCFG_BRIGHTNESS, "brightness", "Brightness")              \
    X(contrast, setContrast, U8, FRONTCFG_CONTRAST, "contrast", "Contrast")                        \
    X(sharpness, setSharpness, U8, FRONTCFG_SHARPNESS, "sharpness", "Sharpness")                   \
    X(saturation, setSaturation, U8, FRONTCFG_SATURATION, "saturation", "Saturation")              \
    X(gain, setGain, U8, FRONTCFG_GAIN, "gain", "Gain")                                            \
    X(exposureMode, setExposureMode, U8, FRONTCFG_EXPOSURE_MODE, "exposureMode",                   \
        "Exposure/ExposureMode")                                                                   \
    X(exposureTime, setExposureTime, U32, FRONTCFG_EXPOSURE_TIME, "exposureTime",                  \
        "Exposure/ExposureAuto")                                                                   \
    X(irisMode, setIrisMode, U8, FRONTCFG_IRIS_MODE, "irisMode", "IrisMode")                       \
    X(dayNightFilterType, setDayNightFilterType, U8, FRONTCFG_DAYNIGHT_FILTER_TYPE,                \
        "dayNightFilterType", "DayNight/DayNightFilterType")                                       \
    X(dayToNightSensitivity, setDayToNightSensitivity, U8, FRONTCFG_DAY_TO_NIGHT_SENSITIVITY,      \
        "dayToNightSensitivity", "DayNight/DayToNightFilterLevel")                                 \
    X(nightToDaySensitivity, setNightToDaySensitivity, U8, FRONTCFG_NIGHT_TO_DAY_SENSITIVITY,      \
        "nightToDaySensitivity", "DayNight/NightToDayFilterLevel")                                 \
    X(dayNightFilterTime, setDayNightFilterTime, U8, FRONTCFG_DAYNIGHT_FILTER_TIME,                \
        "dayNightFilterTime", "DayNight/DayNightFilterTime")                                       \
    X(localOutput, setLocalOutput, U8, FRONTCFG_LOCAL_OUTPUT, "localOutput", "LocalOutputGate")

class FrontCfg : public RecordBuffer
{
public:
    TERVIX_RECORD_COMMANDS(FRONTCFG);
    static constexpr const char *templetSection = "Front";
    static constexpr FieldRow fields[] = { TERVIX_FRONTCFG_FIELDS(TERVIX_FIELD_ROW) };

    FrontCfg() : RecordBuffer(recordSize) { }

    TERVIX_FRONTCFG_FIELDS(TERVIX_FIELD_ACCESSORS)
};
TERVIX_CHECK_FIELDS(FrontCfg);

// ---- SOLV_PICCFG ------------------------------------------------------------

#define TERVIX_PICCFG_FIELDS(X)                                                                    \
    X(showChannelName, setShowChannelName, U32, PICCFG_SHOW_CHANNEL_NAME, "showChannelName",       \
        "ShowChanName")                                                                            \
    X(channelName, setChannelName, Text, PICCFG_CHANNEL_NAME, "channelName", "ChanName")           \
    X(showOsd, setShowOsd, U32, PICCFG_SHOW_OSD, "showOsd", "ShowOsd")                             \
    X(osdType, setOsdType, U8, PICCFG_OSD_TYPE, "osdType", "OsdType")                              \
    X(hourOsdType, setHourOsdType, U8, PICCFG_HOUR_OSD_TYPE, "hourOsdType", "HourOsdType")         \
    X(showWeek, setShowWeek, U8, PICCFG_SHOW_WEEK, "showWeek", "ShowWeek")

class PicCfg : public RecordBuffer
{
public:
    TERVIX_RECORD_COMMANDS(PICCFG);
    static constexpr const char *templetSection = "Picture";
    static constexpr FieldRow fields[] = { TERVIX_PICCFG_FIELDS(TERVIX_FIELD_ROW) };

    PicCfg() : RecordBuffer(recordSize) { }

    TERVIX_PICCFG_FIELDS(TERVIX_FIELD_ACCESSORS)
};
TERVIX_CHECK_FIELDS(PicCfg);

// ---- SOLV_COMPRESSCFG: four stream blocks -----------------------------------

#define TERVIX_COMPRESSCFG_BLOCK_FIELDS(X)                                                         \
    X(streamType, setStreamType, U8, STREAM_STREAM_TYPE, "streamType", "StreamType")               \
    X(resolution, setResolution, U8, STREAM_RESOLUTION, "resolution", "Resolution")                \
    X(bitrateType, setBitrateType, U8, STREAM_BITRATE_TYPE, "bitrateType", "BitrateType")          \
    X(bitrate, setBitrate, U32, STREAM_BITRATE, "bitrate", "Bitrate")                              \
    X(frameRate, setFrameRate, U32, STREAM_FRAME_RATE, "frameRate", "FrameRate")                   \
    X(iFrameInterval, setIFrameInterval, U16, STREAM_IFRAME_INTERVAL, "iFrameInterval",            \
        "IFrameInterval")                                                                          \
    X(encodeType, setEncodeType, U8, STREAM_ENCODE_TYPE, "encodeType", "VideoEncType")

// The program uses the main stream (block 0) and the sub stream (block 3).
// Accessors take the block index.
class CompressCfg : public RecordBuffer
{
public:
    TERVIX_RECORD_COMMANDS(COMPRESSCFG);
    static constexpr const char *templetSection = "Compression";
    static constexpr int MainStream = SOLV_COMPRESSCFG_MAIN_STREAM;
    static constexpr int SubStream = SOLV_COMPRESSCFG_SUB_STREAM;
    static constexpr int blockSize = SOLV_COMPRESSCFG_STREAM_STRIDE;
    static constexpr quint32 customBitrateFlag = SOLV_STREAM_BITRATE_CUSTOM;

    static constexpr std::span<const FieldRow> fields {};
    static constexpr EntryGroup entries { SOLV_COMPRESSCFG_STREAM_OFFSET,
        SOLV_COMPRESSCFG_STREAM_STRIDE, SOLV_COMPRESSCFG_STREAM_COUNT, nullptr, nullptr, nullptr };
    static constexpr FieldRow entryFields[] = { TERVIX_COMPRESSCFG_BLOCK_FIELDS(TERVIX_FIELD_ROW) };
    static constexpr NamedEntry streams[]
        = { { MainStream, "main", "MainStream" }, { SubStream, "sub", "SubStream" } };

    CompressCfg() : RecordBuffer(recordSize) { }

    // The whole 28-byte block, for pages that edit a copy of one stream.
    QByteArray block(int index) const { return raw(entries.at(index, 0), blockSize); }
    void setBlock(int index, const QByteArray &value)
    {
        setRaw(entries.at(index, 0), blockSize, value);
    }

    // bitrate(): a code 1..27, or customBitrateFlag | (kbps << 10); see customBitrate().
    TERVIX_COMPRESSCFG_BLOCK_FIELDS(TERVIX_ENTRY_ACCESSORS)

    static bool isCustomBitrate(quint32 value) { return (value & customBitrateFlag) != 0; }
    // The kbps of a custom bitrate value.
    static quint32 customBitrateKbps(quint32 value) { return (value - customBitrateFlag) >> 10; }
    // The stored value of a custom bitrate of kbps, modulo 2^32.
    static quint32 customBitrate(quint32 kbps) { return (kbps << 10) + customBitrateFlag; }
};
TERVIX_CHECK_ENTRIES(CompressCfg);

// ---- SOLV_RECORDCFG ---------------------------------------------------------

#define TERVIX_RECORDCFG_FIELDS(X)                                                                 \
    X(enabled, setEnabled, U32, RECORDCFG_ENABLED, "enabled", "Enable")
// A day's all-day entry.
#define TERVIX_RECORDCFG_DAY_FIELDS(X)                                                             \
    X(allDay, setAllDay, U16, RECORDCFG_ALLDAY_ENABLED, "allDay", "AllDay")                        \
    X(allDayType, setAllDayType, U8, RECORDCFG_ALLDAY_TYPE, "allDayType", "RecordType")
// One schedule slot of a day.
#define TERVIX_RECORDCFG_SLOT_FIELDS(X)                                                            \
    X(startHour, setStartHour, U8, RECORDCFG_SLOT_START_HOUR, "startHour", "StartHour")            \
    X(startMinute, setStartMinute, U8, RECORDCFG_SLOT_START_MINUTE, "startMinute", "StartMinute")  \
    X(stopHour, setStopHour, U8, RECORDCFG_SLOT_STOP_HOUR, "stopHour", "StopHour")                 \
    X(stopMinute, setStopMinute, U8, RECORDCFG_SLOT_STOP_MINUTE, "stopMinute", "StopMinute")       \
    X(slotType, setSlotType, U8, RECORDCFG_SLOT_TYPE, "type", "RecordType")

// getter(day, slot) and setter(day, slot, value), for a field of a schedule slot.
#define TERVIX_SLOT_ACCESSORS(getter, setter, type, layout, name, element)                         \
    FieldValue<FieldType::type>::Type getter(int day, int slot) const                              \
    {                                                                                              \
        return get<FieldType::type>(                                                               \
            slotOffset(day, slot, SOLV_##layout##_OFFSET), SOLV_##layout##_LEN);                   \
    }                                                                                              \
    void setter(int day, int slot, FieldValue<FieldType::type>::Arg value)                         \
    {                                                                                              \
        set<FieldType::type>(                                                                      \
            slotOffset(day, slot, SOLV_##layout##_OFFSET), SOLV_##layout##_LEN, value);            \
    }

// One schedule slot of a day.
struct RecordSlot
{
    quint8 startHour = 0;
    quint8 startMinute = 0;
    quint8 stopHour = 0;
    quint8 stopMinute = 0;
    quint8 type = 0;
    bool operator==(const RecordSlot &) const = default;
};

class RecordCfg : public RecordBuffer
{
public:
    TERVIX_RECORD_COMMANDS(RECORDCFG);
    static constexpr const char *templetSection = "Record";
    static constexpr FieldRow fields[] = { TERVIX_RECORDCFG_FIELDS(TERVIX_FIELD_ROW) };
    // Day d's all-day entry...
    static constexpr EntryGroup entries { SOLV_RECORDCFG_ALLDAY_OFFSET,
        SOLV_RECORDCFG_ALLDAY_STRIDE, SOLV_RECORDCFG_DAY_COUNT, "day", "DayRecord", "Number" };
    static constexpr FieldRow entryFields[] = { TERVIX_RECORDCFG_DAY_FIELDS(TERVIX_FIELD_ROW) };
    // ... and its schedule of slots, which the templet holds in the same group.
    static constexpr EntryGroup daySchedules { SOLV_RECORDCFG_SLOT_OFFSET,
        SOLV_RECORDCFG_SLOT_DAY_STRIDE, SOLV_RECORDCFG_DAY_COUNT, "day", "DayRecord", "Number" };
    // Slots relative to the start of their day's schedule.
    static constexpr EntryGroup slotEntries { 0, SOLV_RECORDCFG_SLOT_STRIDE,
        SOLV_RECORDCFG_SLOT_COUNT, "slot", "RecordSched", "Number" };
    static constexpr FieldRow slotFields[] = { TERVIX_RECORDCFG_SLOT_FIELDS(TERVIX_FIELD_ROW) };

    static constexpr int dayCount = entries.count;
    static constexpr int slotCount = slotEntries.count;
    static constexpr int dayEntrySize = entries.stride;
    static constexpr int dayScheduleSize = daySchedules.stride;

    RecordCfg() : RecordBuffer(recordSize) { }

    TERVIX_RECORDCFG_FIELDS(TERVIX_FIELD_ACCESSORS)
    // allDay(day), allDayType(day).
    TERVIX_RECORDCFG_DAY_FIELDS(TERVIX_ENTRY_ACCESSORS)
    // startHour(day, slot) ... slotType(day, slot).
    TERVIX_RECORDCFG_SLOT_FIELDS(TERVIX_SLOT_ACCESSORS)

    RecordSlot slot(int day, int slot) const
    {
        return { startHour(day, slot), startMinute(day, slot), stopHour(day, slot),
            stopMinute(day, slot), slotType(day, slot) };
    }
    // Writes the five bytes of the slot; the slot's other bytes stay.
    void setSlot(int day, int slot, const RecordSlot &value)
    {
        setStartHour(day, slot, value.startHour);
        setStartMinute(day, slot, value.startMinute);
        setStopHour(day, slot, value.stopHour);
        setStopMinute(day, slot, value.stopMinute);
        setSlotType(day, slot, value.type);
    }

    // A day's whole 4-byte entry and 64-byte schedule, for pages that copy days.
    QByteArray dayEntry(int day) const { return raw(entries.at(day, 0), dayEntrySize); }
    void setDayEntry(int day, const QByteArray &value)
    {
        setRaw(entries.at(day, 0), dayEntrySize, value);
    }
    QByteArray daySchedule(int day) const { return raw(daySchedules.at(day, 0), dayScheduleSize); }
    void setDaySchedule(int day, const QByteArray &value)
    {
        setRaw(daySchedules.at(day, 0), dayScheduleSize, value);
    }

    // Where `field` of slot `slot` of day `day` starts; -1 when either is out of range.
    static constexpr int slotOffset(int day, int slot, int field)
    {
        const int inSchedule = slotEntries.at(slot, field);
        return inSchedule < 0 ? -1 : daySchedules.at(day, inSchedule);
    }
};
TERVIX_CHECK_ENTRIES(RecordCfg);
static_assert(groupFits(RecordCfg::daySchedules, RecordCfg::fields, RecordCfg::recordSize)
        && RecordCfg::entries.end() <= RecordCfg::daySchedules.offset,
    "day entries end where the schedules start, and the schedules lie inside the record");
static_assert(rowsFit(RecordCfg::slotFields, RecordCfg::slotEntries.stride)
        && rowsApart(RecordCfg::slotFields)
        && RecordCfg::slotEntries.end() <= RecordCfg::daySchedules.stride,
    "slots lie inside their day's schedule");

// ---- SOLV_DDNSCFG: one entry per server type --------------------------------

#define TERVIX_DDNSCFG_FIELDS(X)                                                                   \
    X(enabled, setEnabled, U8, DDNSCFG_ENABLED, "enabled", "Enable")                               \
    X(serverType, setServerType, U8, DDNSCFG_SERVER_TYPE, "serverType", "ServerType")
#define TERVIX_DDNSCFG_ENTRY_FIELDS(X)                                                             \
    X(userName, setUserName, Text, DDNSCFG_ENTRY_USER, "userName", "UserName")                     \
    X(password, setPassword, Text, DDNSCFG_ENTRY_PASSWORD, "password", "Password")                 \
    X(domain, setDomain, Text, DDNSCFG_ENTRY_DOMAIN, "domain", "DomainName")                       \
    X(serverAddress, setServerAddress, Text, DDNSCFG_ENTRY_SERVER, "serverAddress", "ServerName")  \
    X(serverPort, setServerPort, U16, DDNSCFG_ENTRY_PORT, "serverPort", "DDNSPort")

// The program uses the entry of the chosen server type; the templet holds
// that entry alone.
class DdnsCfg : public RecordBuffer
{
public:
    TERVIX_RECORD_COMMANDS(DDNSCFG);
    static constexpr const char *templetSection = "DDNS";
    static constexpr FieldRow fields[] = { TERVIX_DDNSCFG_FIELDS(TERVIX_FIELD_ROW) };
    static constexpr EntryGroup entries { SOLV_DDNSCFG_ENTRY_OFFSET, SOLV_DDNSCFG_ENTRY_STRIDE,
        SOLV_DDNSCFG_ENTRY_COUNT, "entry", "DDNSServer", nullptr };
    static constexpr FieldRow entryFields[] = { TERVIX_DDNSCFG_ENTRY_FIELDS(TERVIX_FIELD_ROW) };
    static constexpr int entryCount = entries.count;

    DdnsCfg() : RecordBuffer(recordSize) { }

    TERVIX_DDNSCFG_FIELDS(TERVIX_FIELD_ACCESSORS)
    // userName(type) ... serverPort(type).
    TERVIX_DDNSCFG_ENTRY_FIELDS(TERVIX_ENTRY_ACCESSORS)
};
TERVIX_CHECK_FIELDS(DdnsCfg);
TERVIX_CHECK_ENTRIES(DdnsCfg);
static_assert(DdnsCfg::entries.at(2, SOLV_DDNSCFG_ENTRY_USER_OFFSET) == 380,
    "the user name of server type 2 starts at byte 380");

// ---- SOLV_NTPCFG ------------------------------------------------------------

#define TERVIX_NTPCFG_FIELDS(X)                                                                    \
    X(enabled, setEnabled, U8, NTPCFG_ENABLED, "enabled", "Enable")                                \
    X(server, setServer, Text, NTPCFG_SERVER, "server", "NTPServer")                               \
    X(port, setPort, U16, NTPCFG_PORT, "port", "NTPPort")

class NtpCfg : public RecordBuffer
{
public:
    TERVIX_RECORD_COMMANDS(NTPCFG);
    static constexpr const char *templetSection = "NTP";
    static constexpr FieldRow fields[] = { TERVIX_NTPCFG_FIELDS(TERVIX_FIELD_ROW) };

    NtpCfg() : RecordBuffer(recordSize) { }

    TERVIX_NTPCFG_FIELDS(TERVIX_FIELD_ACCESSORS)
};
TERVIX_CHECK_FIELDS(NtpCfg);

// ---- SOLV_NFSCFG: eight disk entries ----------------------------------------

#define TERVIX_NFSCFG_ENTRY_FIELDS(X)                                                              \
    X(host, setHost, Text, NFSCFG_ENTRY_HOST, "host", "NfsHostIpAddr")                             \
    X(directory, setDirectory, Text, NFSCFG_ENTRY_DIRECTORY, "directory", "NfsDirectory")

class NfsCfg : public RecordBuffer
{
public:
    TERVIX_RECORD_COMMANDS(NFSCFG);
    static constexpr const char *templetSection = "NFS";
    static constexpr std::span<const FieldRow> fields {};
    static constexpr EntryGroup entries { SOLV_NFSCFG_ENTRY_OFFSET, SOLV_NFSCFG_ENTRY_STRIDE,
        SOLV_NFSCFG_ENTRY_COUNT, "disk", "NfsDisk", "DiskNum" };
    static constexpr FieldRow entryFields[] = { TERVIX_NFSCFG_ENTRY_FIELDS(TERVIX_FIELD_ROW) };
    static constexpr int entryCount = entries.count;

    NfsCfg() : RecordBuffer(recordSize) { }

    // host(disk), directory(disk).
    TERVIX_NFSCFG_ENTRY_FIELDS(TERVIX_ENTRY_ACCESSORS)
};
TERVIX_CHECK_ENTRIES(NfsCfg);

// ---- SOLV_EMAILCFG ----------------------------------------------------------

#define TERVIX_EMAILCFG_FIELDS(X)                                                                  \
    X(account, setAccount, Text, EMAILCFG_ACCOUNT, "account", "Account")                           \
    X(password, setPassword, Text, EMAILCFG_PASSWORD, "password", "Password")                      \
    X(senderName, setSenderName, Text, EMAILCFG_SENDER_NAME, "senderName", "SenderName")           \
    X(senderAddress, setSenderAddress, Text, EMAILCFG_SENDER_ADDRESS, "senderAddress",             \
        "EmailAddr")                                                                               \
    X(smtpServer, setSmtpServer, Text, EMAILCFG_SMTP_SERVER, "smtpServer", "SmtpServer")           \
    X(pop3Server, setPop3Server, Text, EMAILCFG_POP3_SERVER, "pop3Server", "Pop3Server")           \
    X(attachPicture, setAttachPicture, U8, EMAILCFG_ATTACH_PICTURE, "attachPicture", "Attachment") \
    X(smtpAuthentication, setSmtpAuthentication, U8, EMAILCFG_SMTP_AUTH, "smtpAuthentication",     \
        "SmtpServerVerify")                                                                        \
    X(mailInterval, setMailInterval, U8, EMAILCFG_MAIL_INTERVAL, "mailInterval", "MailInterval")   \
    X(ssl, setSsl, U8, EMAILCFG_SSL, "ssl", "EnableSSL")                                           \
    X(smtpPort, setSmtpPort, U16, EMAILCFG_SMTP_PORT, "smtpPort", "SmtpPort")
#define TERVIX_EMAILCFG_RECEIVER_FIELDS(X)                                                         \
    X(receiverName, setReceiverName, Text, EMAILCFG_RECEIVER_NAME, "name", "Name")                 \
    X(receiverAddress, setReceiverAddress, Text, EMAILCFG_RECEIVER_ADDRESS, "address", "EmailAddr")

// The templet holds the receivers between the POP3 server and the flags, in
// record order.
class EmailCfg : public RecordBuffer
{
public:
    TERVIX_RECORD_COMMANDS(EMAILCFG);
    static constexpr const char *templetSection = "Email";
    static constexpr FieldRow fields[] = { TERVIX_EMAILCFG_FIELDS(TERVIX_FIELD_ROW) };
    static constexpr EntryGroup entries { SOLV_EMAILCFG_RECEIVER_OFFSET,
        SOLV_EMAILCFG_RECEIVER_STRIDE, SOLV_EMAILCFG_RECEIVER_COUNT, "receiver", "Receiver",
        "Number" };
    static constexpr FieldRow entryFields[] = { TERVIX_EMAILCFG_RECEIVER_FIELDS(TERVIX_FIELD_ROW) };
    static constexpr int receiverCount = entries.count;

    EmailCfg() : RecordBuffer(recordSize) { }

    // mailInterval(): 0..3 for 2..5 seconds.
    TERVIX_EMAILCFG_FIELDS(TERVIX_FIELD_ACCESSORS)
    // receiverName(receiver), receiverAddress(receiver).
    TERVIX_EMAILCFG_RECEIVER_FIELDS(TERVIX_ENTRY_ACCESSORS)
};
TERVIX_CHECK_FIELDS(EmailCfg);
TERVIX_CHECK_ENTRIES(EmailCfg);

// ---- SOLV_DECODERCFG (RS-485) -----------------------------------------------

#define TERVIX_DECODERCFG_FIELDS(X)                                                                \
    X(baudRate, setBaudRate, U32, DECODERCFG_BAUD_RATE, "baudRate", "BaudRate")                    \
    X(dataBits, setDataBits, U8, DECODERCFG_DATA_BITS, "dataBits", "DataBit")                      \
    X(stopBits, setStopBits, U8, DECODERCFG_STOP_BITS, "stopBits", "StopBit")                      \
    X(parity, setParity, U8, DECODERCFG_PARITY, "parity", "Parity")                                \
    X(flowControl, setFlowControl, U8, DECODERCFG_FLOW_CONTROL, "flowControl", "FlowControl")      \
    X(decoderType, setDecoderType, U16, DECODERCFG_DECODER_TYPE, "decoderType", "DecoderType")     \
    X(decoderAddress, setDecoderAddress, U16, DECODERCFG_DECODER_ADDRESS, "decoderAddress",        \
        "DecoderAddress")

class DecoderCfg : public RecordBuffer
{
public:
    TERVIX_RECORD_COMMANDS(DECODERCFG);
    static constexpr const char *templetSection = "RS485";
    static constexpr FieldRow fields[] = { TERVIX_DECODERCFG_FIELDS(TERVIX_FIELD_ROW) };

    DecoderCfg() : RecordBuffer(recordSize) { }

    // baudRate(): code 0..14 for 50, 75, 110, 150, 300, 600, 1200, 2400, 4800,
    // 9600, 19200, 38400, 57600, 76800, 115200 baud.
    TERVIX_DECODERCFG_FIELDS(TERVIX_FIELD_ACCESSORS)
};
TERVIX_CHECK_FIELDS(DecoderCfg);

// ---- SOLV_PTZ_PROTOCOL_LIST -------------------------------------------------

#define TERVIX_PTZ_PROTOCOL_FIELDS(X)                                                              \
    X(storedCount, setCount, U32, PTZ_PROTOCOL_COUNT, "count", nullptr)
#define TERVIX_PTZ_PROTOCOL_ENTRY_FIELDS(X)                                                        \
    X(type, setType, U32, PTZ_PROTOCOL_TYPE, "type", nullptr)                                      \
    X(name, setName, Text, PTZ_PROTOCOL_NAME, "name", nullptr)

// The device's PTZ protocol names, filled by SOLV_GetPTZProtocol.
class PtzProtocolList : public RecordBuffer
{
public:
    static constexpr int recordSize = SOLV_PTZ_PROTOCOL_LIST_SIZE;
    static constexpr FieldRow fields[] = { TERVIX_PTZ_PROTOCOL_FIELDS(TERVIX_FIELD_ROW) };
    static constexpr EntryGroup entries { SOLV_PTZ_PROTOCOL_ENTRY_OFFSET,
        SOLV_PTZ_PROTOCOL_ENTRY_STRIDE, SOLV_PTZ_PROTOCOL_ENTRY_COUNT, nullptr, nullptr, nullptr };
    static constexpr FieldRow entryFields[]
        = { TERVIX_PTZ_PROTOCOL_ENTRY_FIELDS(TERVIX_FIELD_ROW) };
    static constexpr int maxEntries = entries.count;

    PtzProtocolList() : RecordBuffer(recordSize) { }

    // storedCount() as the device wrote it, setCount(value).
    TERVIX_PTZ_PROTOCOL_FIELDS(TERVIX_FIELD_ACCESSORS)
    // type(entry), name(entry).
    TERVIX_PTZ_PROTOCOL_ENTRY_FIELDS(TERVIX_ENTRY_ACCESSORS)

    // The number of valid entries, never more than the list holds, whatever
    // the device wrote.
    int count() const { return int(std::min<quint32>(storedCount(), quint32(maxEntries))); }
};
TERVIX_CHECK_FIELDS(PtzProtocolList);
TERVIX_CHECK_ENTRIES(PtzProtocolList);
