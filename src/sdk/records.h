#pragma once

#include "recordbuffer.h"
#include "solvane_records.h"

// Views over the configuration records the program exchanges with a device.
// Each holds the whole record and has one accessor pair per field the program
// uses; offsets come from solvane_records.h only. Text setters cut to the
// field's width and zero-pad; a text of the full width has no terminating zero.

// Compile-time check that a field lies inside its record.
#define TERVIX_FIELD_FITS(record, field)                                                           \
    static_assert(                                                                                 \
        SOLV_##record##_##field##_OFFSET + SOLV_##record##_##field##_LEN <= SOLV_##record##_SIZE,  \
        #record " " #field " lies outside the record")

#define TERVIX_RECORD_COMMANDS(record)                                                             \
    static constexpr quint32 getCommand = SOLV_GET_##record;                                       \
    static constexpr quint32 setCommand = SOLV_SET_##record;                                       \
    static constexpr int recordSize = SOLV_##record##_SIZE;                                        \
    static_assert(setCommand == getCommand + 1, "set command is get + 1")

class DeviceCfg : public RecordBuffer
{
public:
    TERVIX_RECORD_COMMANDS(DEVICECFG);
    DeviceCfg() : RecordBuffer(recordSize) { }

    QByteArray name() const { return text(SOLV_DEVICECFG_NAME_OFFSET, SOLV_DEVICECFG_NAME_LEN); }
    void setName(const QByteArray &value)
    {
        setText(SOLV_DEVICECFG_NAME_OFFSET, SOLV_DEVICECFG_NAME_LEN, value);
    }
    quint32 deviceNumber() const { return u32(SOLV_DEVICECFG_DEVICE_NUMBER_OFFSET); }
    void setDeviceNumber(quint32 value) { setU32(SOLV_DEVICECFG_DEVICE_NUMBER_OFFSET, value); }
    QByteArray serialNumber() const
    {
        return text(SOLV_DEVICECFG_SERIAL_OFFSET, SOLV_DEVICECFG_SERIAL_LEN);
    }
    void setSerialNumber(const QByteArray &value)
    {
        setText(SOLV_DEVICECFG_SERIAL_OFFSET, SOLV_DEVICECFG_SERIAL_LEN, value);
    }
    quint32 softwareVersion() const { return u32(SOLV_DEVICECFG_SOFTWARE_VERSION_OFFSET); }
    void setSoftwareVersion(quint32 value)
    {
        setU32(SOLV_DEVICECFG_SOFTWARE_VERSION_OFFSET, value);
    }
    quint32 softwareBuildDate() const { return u32(SOLV_DEVICECFG_SOFTWARE_BUILD_DATE_OFFSET); }
    void setSoftwareBuildDate(quint32 value)
    {
        setU32(SOLV_DEVICECFG_SOFTWARE_BUILD_DATE_OFFSET, value);
    }
    quint32 dspVersion() const { return u32(SOLV_DEVICECFG_DSP_VERSION_OFFSET); }
    void setDspVersion(quint32 value) { setU32(SOLV_DEVICECFG_DSP_VERSION_OFFSET, value); }
    quint32 dspBuildDate() const { return u32(SOLV_DEVICECFG_DSP_BUILD_DATE_OFFSET); }
    void setDspBuildDate(quint32 value) { setU32(SOLV_DEVICECFG_DSP_BUILD_DATE_OFFSET, value); }
    quint8 diskCount() const { return u8(SOLV_DEVICECFG_DISK_COUNT_OFFSET); }
    void setDiskCount(quint8 value) { setU8(SOLV_DEVICECFG_DISK_COUNT_OFFSET, value); }
    quint8 deviceType() const { return u8(SOLV_DEVICECFG_DEVICE_TYPE_OFFSET); }
    void setDeviceType(quint8 value) { setU8(SOLV_DEVICECFG_DEVICE_TYPE_OFFSET, value); }
    quint8 channelCount() const { return u8(SOLV_DEVICECFG_CHANNEL_COUNT_OFFSET); }
    void setChannelCount(quint8 value) { setU8(SOLV_DEVICECFG_CHANNEL_COUNT_OFFSET, value); }
};
TERVIX_FIELD_FITS(DEVICECFG, NAME);
TERVIX_FIELD_FITS(DEVICECFG, SERIAL);
TERVIX_FIELD_FITS(DEVICECFG, DSP_BUILD_DATE);
TERVIX_FIELD_FITS(DEVICECFG, CHANNEL_COUNT);

class NetCfg : public RecordBuffer
{
public:
    TERVIX_RECORD_COMMANDS(NETCFG);
    NetCfg() : RecordBuffer(recordSize) { }

    QByteArray ipAddress() const
    {
        return text(SOLV_NETCFG_IP_ADDRESS_OFFSET, SOLV_NETCFG_IP_ADDRESS_LEN);
    }
    void setIpAddress(const QByteArray &value)
    {
        setText(SOLV_NETCFG_IP_ADDRESS_OFFSET, SOLV_NETCFG_IP_ADDRESS_LEN, value);
    }
    QByteArray subnetMask() const { return text(SOLV_NETCFG_MASK_OFFSET, SOLV_NETCFG_MASK_LEN); }
    void setSubnetMask(const QByteArray &value)
    {
        setText(SOLV_NETCFG_MASK_OFFSET, SOLV_NETCFG_MASK_LEN, value);
    }
    quint16 port() const { return u16(SOLV_NETCFG_PORT_OFFSET); }
    void setPort(quint16 value) { setU16(SOLV_NETCFG_PORT_OFFSET, value); }
    // The six address bytes as stored.
    QByteArray mac() const { return raw(SOLV_NETCFG_MAC_OFFSET, SOLV_NETCFG_MAC_LEN); }
    void setMac(const QByteArray &value)
    {
        setRaw(SOLV_NETCFG_MAC_OFFSET, SOLV_NETCFG_MAC_LEN, value);
    }
    QByteArray gateway() const { return text(SOLV_NETCFG_GATEWAY_OFFSET, SOLV_NETCFG_GATEWAY_LEN); }
    void setGateway(const QByteArray &value)
    {
        setText(SOLV_NETCFG_GATEWAY_OFFSET, SOLV_NETCFG_GATEWAY_LEN, value);
    }
};
TERVIX_FIELD_FITS(NETCFG, MAC);
TERVIX_FIELD_FITS(NETCFG, GATEWAY);

class FrontCfg : public RecordBuffer
{
public:
    TERVIX_RECORD_COMMANDS(FRONTCFG);
    FrontCfg() : RecordBuffer(recordSize) { }

    quint8 brightness() const { return u8(SOLV_FRONTCFG_BRIGHTNESS_OFFSET); }
    void setBrightness(quint8 value) { setU8(SOLV_FRONTCFG_BRIGHTNESS_OFFSET, value); }
    quint8 contrast() const { return u8(SOLV_FRONTCFG_CONTRAST_OFFSET); }
    void setContrast(quint8 value) { setU8(SOLV_FRONTCFG_CONTRAST_OFFSET, value); }
    quint8 sharpness() const { return u8(SOLV_FRONTCFG_SHARPNESS_OFFSET); }
    void setSharpness(quint8 value) { setU8(SOLV_FRONTCFG_SHARPNESS_OFFSET, value); }
    quint8 saturation() const { return u8(SOLV_FRONTCFG_SATURATION_OFFSET); }
    void setSaturation(quint8 value) { setU8(SOLV_FRONTCFG_SATURATION_OFFSET, value); }
    quint8 gain() const { return u8(SOLV_FRONTCFG_GAIN_OFFSET); }
    void setGain(quint8 value) { setU8(SOLV_FRONTCFG_GAIN_OFFSET, value); }
    quint8 exposureMode() const { return u8(SOLV_FRONTCFG_EXPOSURE_MODE_OFFSET); }
    void setExposureMode(quint8 value) { setU8(SOLV_FRONTCFG_EXPOSURE_MODE_OFFSET, value); }
    quint32 exposureTime() const { return u32(SOLV_FRONTCFG_EXPOSURE_TIME_OFFSET); }
    void setExposureTime(quint32 value) { setU32(SOLV_FRONTCFG_EXPOSURE_TIME_OFFSET, value); }
    quint8 dayNightFilterType() const { return u8(SOLV_FRONTCFG_DAYNIGHT_FILTER_TYPE_OFFSET); }
    void setDayNightFilterType(quint8 value)
    {
        setU8(SOLV_FRONTCFG_DAYNIGHT_FILTER_TYPE_OFFSET, value);
    }
    quint8 dayToNightSensitivity() const
    {
        return u8(SOLV_FRONTCFG_DAY_TO_NIGHT_SENSITIVITY_OFFSET);
    }
    void setDayToNightSensitivity(quint8 value)
    {
        setU8(SOLV_FRONTCFG_DAY_TO_NIGHT_SENSITIVITY_OFFSET, value);
    }
    quint8 nightToDaySensitivity() const
    {
        return u8(SOLV_FRONTCFG_NIGHT_TO_DAY_SENSITIVITY_OFFSET);
    }
    void setNightToDaySensitivity(quint8 value)
    {
        setU8(SOLV_FRONTCFG_NIGHT_TO_DAY_SENSITIVITY_OFFSET, value);
    }
    quint8 dayNightFilterTime() const { return u8(SOLV_FRONTCFG_DAYNIGHT_FILTER_TIME_OFFSET); }
    void setDayNightFilterTime(quint8 value)
    {
        setU8(SOLV_FRONTCFG_DAYNIGHT_FILTER_TIME_OFFSET, value);
    }
    quint8 irisMode() const { return u8(SOLV_FRONTCFG_IRIS_MODE_OFFSET); }
    void setIrisMode(quint8 value) { setU8(SOLV_FRONTCFG_IRIS_MODE_OFFSET, value); }
    quint8 localOutput() const { return u8(SOLV_FRONTCFG_LOCAL_OUTPUT_OFFSET); }
    void setLocalOutput(quint8 value) { setU8(SOLV_FRONTCFG_LOCAL_OUTPUT_OFFSET, value); }
};
TERVIX_FIELD_FITS(FRONTCFG, EXPOSURE_TIME);
TERVIX_FIELD_FITS(FRONTCFG, LOCAL_OUTPUT);

class PicCfg : public RecordBuffer
{
public:
    TERVIX_RECORD_COMMANDS(PICCFG);
    PicCfg() : RecordBuffer(recordSize) { }

    QByteArray channelName() const
    {
        return text(SOLV_PICCFG_CHANNEL_NAME_OFFSET, SOLV_PICCFG_CHANNEL_NAME_LEN);
    }
    void setChannelName(const QByteArray &value)
    {
        setText(SOLV_PICCFG_CHANNEL_NAME_OFFSET, SOLV_PICCFG_CHANNEL_NAME_LEN, value);
    }
    quint32 showChannelName() const { return u32(SOLV_PICCFG_SHOW_CHANNEL_NAME_OFFSET); }
    void setShowChannelName(quint32 value) { setU32(SOLV_PICCFG_SHOW_CHANNEL_NAME_OFFSET, value); }
    quint32 showOsd() const { return u32(SOLV_PICCFG_SHOW_OSD_OFFSET); }
    void setShowOsd(quint32 value) { setU32(SOLV_PICCFG_SHOW_OSD_OFFSET, value); }
    quint8 osdType() const { return u8(SOLV_PICCFG_OSD_TYPE_OFFSET); }
    void setOsdType(quint8 value) { setU8(SOLV_PICCFG_OSD_TYPE_OFFSET, value); }
    quint8 showWeek() const { return u8(SOLV_PICCFG_SHOW_WEEK_OFFSET); }
    void setShowWeek(quint8 value) { setU8(SOLV_PICCFG_SHOW_WEEK_OFFSET, value); }
    quint8 hourOsdType() const { return u8(SOLV_PICCFG_HOUR_OSD_TYPE_OFFSET); }
    void setHourOsdType(quint8 value) { setU8(SOLV_PICCFG_HOUR_OSD_TYPE_OFFSET, value); }
};
TERVIX_FIELD_FITS(PICCFG, SHOW_OSD);
TERVIX_FIELD_FITS(PICCFG, HOUR_OSD_TYPE);

// Four stream blocks; the program uses the main stream (block 0) and the sub
// stream (block 3). Accessors take the block index.
class CompressCfg : public RecordBuffer
{
public:
    TERVIX_RECORD_COMMANDS(COMPRESSCFG);
    static constexpr int MainStream = SOLV_COMPRESSCFG_MAIN_STREAM;
    static constexpr int SubStream = SOLV_COMPRESSCFG_SUB_STREAM;
    static constexpr int blockSize = SOLV_COMPRESSCFG_STREAM_STRIDE;
    static constexpr quint32 customBitrateFlag = SOLV_STREAM_BITRATE_CUSTOM;

    CompressCfg() : RecordBuffer(recordSize) { }

    // The whole 28-byte block, for pages that edit a copy of one stream.
    QByteArray block(int index) const { return raw(field(index, 0), blockSize); }
    void setBlock(int index, const QByteArray &value) { setRaw(field(index, 0), blockSize, value); }

    quint8 streamType(int b) const { return u8(field(b, SOLV_STREAM_STREAM_TYPE_OFFSET)); }
    void setStreamType(int b, quint8 v) { setU8(field(b, SOLV_STREAM_STREAM_TYPE_OFFSET), v); }
    quint8 resolution(int b) const { return u8(field(b, SOLV_STREAM_RESOLUTION_OFFSET)); }
    void setResolution(int b, quint8 v) { setU8(field(b, SOLV_STREAM_RESOLUTION_OFFSET), v); }
    quint8 bitrateType(int b) const { return u8(field(b, SOLV_STREAM_BITRATE_TYPE_OFFSET)); }
    void setBitrateType(int b, quint8 v) { setU8(field(b, SOLV_STREAM_BITRATE_TYPE_OFFSET), v); }
    // A code 1..27, or customBitrateFlag | (kbps << 10); see customBitrate().
    quint32 bitrate(int b) const { return u32(field(b, SOLV_STREAM_BITRATE_OFFSET)); }
    void setBitrate(int b, quint32 v) { setU32(field(b, SOLV_STREAM_BITRATE_OFFSET), v); }
    quint32 frameRate(int b) const { return u32(field(b, SOLV_STREAM_FRAME_RATE_OFFSET)); }
    void setFrameRate(int b, quint32 v) { setU32(field(b, SOLV_STREAM_FRAME_RATE_OFFSET), v); }
    quint16 iFrameInterval(int b) const
    {
        return u16(field(b, SOLV_STREAM_IFRAME_INTERVAL_OFFSET));
    }
    void setIFrameInterval(int b, quint16 v)
    {
        setU16(field(b, SOLV_STREAM_IFRAME_INTERVAL_OFFSET), v);
    }
    quint8 encodeType(int b) const { return u8(field(b, SOLV_STREAM_ENCODE_TYPE_OFFSET)); }
    void setEncodeType(int b, quint8 v) { setU8(field(b, SOLV_STREAM_ENCODE_TYPE_OFFSET), v); }

    static bool isCustomBitrate(quint32 value) { return (value & customBitrateFlag) != 0; }
    // The kbps of a custom bitrate value.
    static quint32 customBitrateKbps(quint32 value) { return (value - customBitrateFlag) >> 10; }
    // The stored value of a custom bitrate of kbps, modulo 2^32.
    static quint32 customBitrate(quint32 kbps) { return (kbps << 10) + customBitrateFlag; }

private:
    static int field(int b, int offset)
    {
        return entryField(SOLV_COMPRESSCFG_STREAM_OFFSET, SOLV_COMPRESSCFG_STREAM_STRIDE,
            SOLV_COMPRESSCFG_STREAM_COUNT, b, offset);
    }
};
static_assert(
    SOLV_COMPRESSCFG_STREAM_OFFSET + SOLV_COMPRESSCFG_STREAM_STRIDE * SOLV_COMPRESSCFG_STREAM_COUNT
        <= SOLV_COMPRESSCFG_SIZE,
    "stream blocks lie inside the record");
static_assert(SOLV_STREAM_ENCODE_TYPE_OFFSET < SOLV_COMPRESSCFG_STREAM_STRIDE,
    "block fields lie inside a block");

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
    static constexpr int dayCount = SOLV_RECORDCFG_DAY_COUNT;
    static constexpr int slotCount = SOLV_RECORDCFG_SLOT_COUNT;
    static constexpr int dayEntrySize = SOLV_RECORDCFG_ALLDAY_STRIDE;
    static constexpr int dayScheduleSize = SOLV_RECORDCFG_SLOT_DAY_STRIDE;

    RecordCfg() : RecordBuffer(recordSize) { }

    quint32 enabled() const { return u32(SOLV_RECORDCFG_ENABLED_OFFSET); }
    void setEnabled(quint32 value) { setU32(SOLV_RECORDCFG_ENABLED_OFFSET, value); }

    quint16 allDay(int day) const
    {
        return u16(dayField(day, SOLV_RECORDCFG_ALLDAY_ENABLED_OFFSET));
    }
    void setAllDay(int day, quint16 value)
    {
        setU16(dayField(day, SOLV_RECORDCFG_ALLDAY_ENABLED_OFFSET), value);
    }
    quint8 allDayType(int day) const
    {
        return u8(dayField(day, SOLV_RECORDCFG_ALLDAY_TYPE_OFFSET));
    }
    void setAllDayType(int day, quint8 value)
    {
        setU8(dayField(day, SOLV_RECORDCFG_ALLDAY_TYPE_OFFSET), value);
    }

    RecordSlot slot(int day, int slot) const
    {
        const int s = slotOffset(day, slot);
        if (s < 0) {
            return {};
        }
        return { u8(s + SOLV_RECORDCFG_SLOT_START_HOUR_OFFSET),
            u8(s + SOLV_RECORDCFG_SLOT_START_MINUTE_OFFSET),
            u8(s + SOLV_RECORDCFG_SLOT_STOP_HOUR_OFFSET),
            u8(s + SOLV_RECORDCFG_SLOT_STOP_MINUTE_OFFSET),
            u8(s + SOLV_RECORDCFG_SLOT_TYPE_OFFSET) };
    }
    // Writes the five bytes of the slot; the slot's other bytes stay.
    void setSlot(int day, int slot, const RecordSlot &value)
    {
        const int s = slotOffset(day, slot);
        if (s < 0) {
            return;
        }
        setU8(s + SOLV_RECORDCFG_SLOT_START_HOUR_OFFSET, value.startHour);
        setU8(s + SOLV_RECORDCFG_SLOT_START_MINUTE_OFFSET, value.startMinute);
        setU8(s + SOLV_RECORDCFG_SLOT_STOP_HOUR_OFFSET, value.stopHour);
        setU8(s + SOLV_RECORDCFG_SLOT_STOP_MINUTE_OFFSET, value.stopMinute);
        setU8(s + SOLV_RECORDCFG_SLOT_TYPE_OFFSET, value.type);
    }

    // A day's whole 4-byte entry and 64-byte schedule, for pages that copy days.
    QByteArray dayEntry(int day) const { return raw(dayField(day, 0), dayEntrySize); }
    void setDayEntry(int day, const QByteArray &value)
    {
        setRaw(dayField(day, 0), dayEntrySize, value);
    }
    QByteArray daySchedule(int day) const { return raw(slotOffset(day, 0), dayScheduleSize); }
    void setDaySchedule(int day, const QByteArray &value)
    {
        setRaw(slotOffset(day, 0), dayScheduleSize, value);
    }

private:
    static int dayField(int day, int offset)
    {
        return entryField(
            SOLV_RECORDCFG_ALLDAY_OFFSET, SOLV_RECORDCFG_ALLDAY_STRIDE, dayCount, day, offset);
    }
    static int slotOffset(int day, int slot)
    {
        if (slot < 0 || slot >= slotCount) {
            return -1;
        }
        return entryField(SOLV_RECORDCFG_SLOT_OFFSET, SOLV_RECORDCFG_SLOT_DAY_STRIDE, dayCount, day,
            SOLV_RECORDCFG_SLOT_STRIDE * slot);
    }
};
static_assert(SOLV_RECORDCFG_SLOT_OFFSET + SOLV_RECORDCFG_SLOT_DAY_STRIDE * SOLV_RECORDCFG_DAY_COUNT
        <= SOLV_RECORDCFG_SIZE,
    "schedules lie inside the record");
static_assert(SOLV_RECORDCFG_ALLDAY_OFFSET + SOLV_RECORDCFG_ALLDAY_STRIDE * SOLV_RECORDCFG_DAY_COUNT
        <= SOLV_RECORDCFG_SLOT_OFFSET,
    "day entries end where the schedules start");

// One entry per server type; the program uses the entry of the chosen type.
class DdnsCfg : public RecordBuffer
{
public:
    TERVIX_RECORD_COMMANDS(DDNSCFG);
    static constexpr int entryCount = SOLV_DDNSCFG_ENTRY_COUNT;

    DdnsCfg() : RecordBuffer(recordSize) { }

    quint8 enabled() const { return u8(SOLV_DDNSCFG_ENABLED_OFFSET); }
    void setEnabled(quint8 value) { setU8(SOLV_DDNSCFG_ENABLED_OFFSET, value); }
    quint8 serverType() const { return u8(SOLV_DDNSCFG_SERVER_TYPE_OFFSET); }
    void setServerType(quint8 value) { setU8(SOLV_DDNSCFG_SERVER_TYPE_OFFSET, value); }

    QByteArray userName(int t) const
    {
        return text(field(t, SOLV_DDNSCFG_ENTRY_USER_OFFSET), SOLV_DDNSCFG_ENTRY_USER_LEN);
    }
    void setUserName(int t, const QByteArray &value)
    {
        setText(field(t, SOLV_DDNSCFG_ENTRY_USER_OFFSET), SOLV_DDNSCFG_ENTRY_USER_LEN, value);
    }
    QByteArray password(int t) const
    {
        return text(field(t, SOLV_DDNSCFG_ENTRY_PASSWORD_OFFSET), SOLV_DDNSCFG_ENTRY_PASSWORD_LEN);
    }
    void setPassword(int t, const QByteArray &value)
    {
        setText(
            field(t, SOLV_DDNSCFG_ENTRY_PASSWORD_OFFSET), SOLV_DDNSCFG_ENTRY_PASSWORD_LEN, value);
    }
    QByteArray domain(int t) const
    {
        return text(field(t, SOLV_DDNSCFG_ENTRY_DOMAIN_OFFSET), SOLV_DDNSCFG_ENTRY_DOMAIN_LEN);
    }
    void setDomain(int t, const QByteArray &value)
    {
        setText(field(t, SOLV_DDNSCFG_ENTRY_DOMAIN_OFFSET), SOLV_DDNSCFG_ENTRY_DOMAIN_LEN, value);
    }
    QByteArray serverAddress(int t) const
    {
        return text(field(t, SOLV_DDNSCFG_ENTRY_SERVER_OFFSET), SOLV_DDNSCFG_ENTRY_SERVER_LEN);
    }
    void setServerAddress(int t, const QByteArray &value)
    {
        setText(field(t, SOLV_DDNSCFG_ENTRY_SERVER_OFFSET), SOLV_DDNSCFG_ENTRY_SERVER_LEN, value);
    }
    quint16 serverPort(int t) const { return u16(field(t, SOLV_DDNSCFG_ENTRY_PORT_OFFSET)); }
    void setServerPort(int t, quint16 value)
    {
        setU16(field(t, SOLV_DDNSCFG_ENTRY_PORT_OFFSET), value);
    }

private:
    static int field(int t, int offset)
    {
        return entryField(
            SOLV_DDNSCFG_ENTRY_OFFSET, SOLV_DDNSCFG_ENTRY_STRIDE, entryCount, t, offset);
    }
};
static_assert(SOLV_DDNSCFG_ENTRY_OFFSET + SOLV_DDNSCFG_ENTRY_STRIDE * SOLV_DDNSCFG_ENTRY_COUNT
        <= SOLV_DDNSCFG_SIZE,
    "DDNS entries lie inside the record");
static_assert(SOLV_DDNSCFG_ENTRY_OFFSET + SOLV_DDNSCFG_ENTRY_STRIDE * 2 == 380,
    "the user name of server type 2 starts at byte 380");

class NtpCfg : public RecordBuffer
{
public:
    TERVIX_RECORD_COMMANDS(NTPCFG);
    NtpCfg() : RecordBuffer(recordSize) { }

    QByteArray server() const { return text(SOLV_NTPCFG_SERVER_OFFSET, SOLV_NTPCFG_SERVER_LEN); }
    void setServer(const QByteArray &value)
    {
        setText(SOLV_NTPCFG_SERVER_OFFSET, SOLV_NTPCFG_SERVER_LEN, value);
    }
    quint8 enabled() const { return u8(SOLV_NTPCFG_ENABLED_OFFSET); }
    void setEnabled(quint8 value) { setU8(SOLV_NTPCFG_ENABLED_OFFSET, value); }
    quint16 port() const { return u16(SOLV_NTPCFG_PORT_OFFSET); }
    void setPort(quint16 value) { setU16(SOLV_NTPCFG_PORT_OFFSET, value); }
};
TERVIX_FIELD_FITS(NTPCFG, PORT);

class NfsCfg : public RecordBuffer
{
public:
    TERVIX_RECORD_COMMANDS(NFSCFG);
    static constexpr int entryCount = SOLV_NFSCFG_ENTRY_COUNT;

    NfsCfg() : RecordBuffer(recordSize) { }

    QByteArray host(int n) const
    {
        return text(field(n, SOLV_NFSCFG_ENTRY_HOST_OFFSET), SOLV_NFSCFG_ENTRY_HOST_LEN);
    }
    void setHost(int n, const QByteArray &value)
    {
        setText(field(n, SOLV_NFSCFG_ENTRY_HOST_OFFSET), SOLV_NFSCFG_ENTRY_HOST_LEN, value);
    }
    QByteArray directory(int n) const
    {
        return text(field(n, SOLV_NFSCFG_ENTRY_DIRECTORY_OFFSET), SOLV_NFSCFG_ENTRY_DIRECTORY_LEN);
    }
    void setDirectory(int n, const QByteArray &value)
    {
        setText(
            field(n, SOLV_NFSCFG_ENTRY_DIRECTORY_OFFSET), SOLV_NFSCFG_ENTRY_DIRECTORY_LEN, value);
    }

private:
    static int field(int n, int offset)
    {
        return entryField(
            SOLV_NFSCFG_ENTRY_OFFSET, SOLV_NFSCFG_ENTRY_STRIDE, entryCount, n, offset);
    }
};
static_assert(SOLV_NFSCFG_ENTRY_OFFSET + SOLV_NFSCFG_ENTRY_STRIDE * SOLV_NFSCFG_ENTRY_COUNT
        <= SOLV_NFSCFG_SIZE,
    "NFS entries lie inside the record");

class EmailCfg : public RecordBuffer
{
public:
    TERVIX_RECORD_COMMANDS(EMAILCFG);
    static constexpr int receiverCount = SOLV_EMAILCFG_RECEIVER_COUNT;

    EmailCfg() : RecordBuffer(recordSize) { }

    QByteArray account() const
    {
        return text(SOLV_EMAILCFG_ACCOUNT_OFFSET, SOLV_EMAILCFG_ACCOUNT_LEN);
    }
    void setAccount(const QByteArray &value)
    {
        setText(SOLV_EMAILCFG_ACCOUNT_OFFSET, SOLV_EMAILCFG_ACCOUNT_LEN, value);
    }
    QByteArray password() const
    {
        return text(SOLV_EMAILCFG_PASSWORD_OFFSET, SOLV_EMAILCFG_PASSWORD_LEN);
    }
    void setPassword(const QByteArray &value)
    {
        setText(SOLV_EMAILCFG_PASSWORD_OFFSET, SOLV_EMAILCFG_PASSWORD_LEN, value);
    }
    QByteArray senderName() const
    {
        return text(SOLV_EMAILCFG_SENDER_NAME_OFFSET, SOLV_EMAILCFG_SENDER_NAME_LEN);
    }
    void setSenderName(const QByteArray &value)
    {
        setText(SOLV_EMAILCFG_SENDER_NAME_OFFSET, SOLV_EMAILCFG_SENDER_NAME_LEN, value);
    }
    QByteArray senderAddress() const
    {
        return text(SOLV_EMAILCFG_SENDER_ADDRESS_OFFSET, SOLV_EMAILCFG_SENDER_ADDRESS_LEN);
    }
    void setSenderAddress(const QByteArray &value)
    {
        setText(SOLV_EMAILCFG_SENDER_ADDRESS_OFFSET, SOLV_EMAILCFG_SENDER_ADDRESS_LEN, value);
    }
    QByteArray smtpServer() const
    {
        return text(SOLV_EMAILCFG_SMTP_SERVER_OFFSET, SOLV_EMAILCFG_SMTP_SERVER_LEN);
    }
    void setSmtpServer(const QByteArray &value)
    {
        setText(SOLV_EMAILCFG_SMTP_SERVER_OFFSET, SOLV_EMAILCFG_SMTP_SERVER_LEN, value);
    }
    QByteArray pop3Server() const
    {
        return text(SOLV_EMAILCFG_POP3_SERVER_OFFSET, SOLV_EMAILCFG_POP3_SERVER_LEN);
    }
    void setPop3Server(const QByteArray &value)
    {
        setText(SOLV_EMAILCFG_POP3_SERVER_OFFSET, SOLV_EMAILCFG_POP3_SERVER_LEN, value);
    }
    QByteArray receiverName(int n) const
    {
        return text(
            receiver(n, SOLV_EMAILCFG_RECEIVER_NAME_OFFSET), SOLV_EMAILCFG_RECEIVER_NAME_LEN);
    }
    void setReceiverName(int n, const QByteArray &value)
    {
        setText(receiver(n, SOLV_EMAILCFG_RECEIVER_NAME_OFFSET), SOLV_EMAILCFG_RECEIVER_NAME_LEN,
            value);
    }
    QByteArray receiverAddress(int n) const
    {
        return text(
            receiver(n, SOLV_EMAILCFG_RECEIVER_ADDRESS_OFFSET), SOLV_EMAILCFG_RECEIVER_ADDRESS_LEN);
    }
    void setReceiverAddress(int n, const QByteArray &value)
    {
        setText(receiver(n, SOLV_EMAILCFG_RECEIVER_ADDRESS_OFFSET),
            SOLV_EMAILCFG_RECEIVER_ADDRESS_LEN, value);
    }
    quint8 attachPicture() const { return u8(SOLV_EMAILCFG_ATTACH_PICTURE_OFFSET); }
    void setAttachPicture(quint8 value) { setU8(SOLV_EMAILCFG_ATTACH_PICTURE_OFFSET, value); }
    quint8 smtpAuthentication() const { return u8(SOLV_EMAILCFG_SMTP_AUTH_OFFSET); }
    void setSmtpAuthentication(quint8 value) { setU8(SOLV_EMAILCFG_SMTP_AUTH_OFFSET, value); }
    // 0..3 for 2..5 seconds.
    quint8 mailInterval() const { return u8(SOLV_EMAILCFG_MAIL_INTERVAL_OFFSET); }
    void setMailInterval(quint8 value) { setU8(SOLV_EMAILCFG_MAIL_INTERVAL_OFFSET, value); }
    quint8 ssl() const { return u8(SOLV_EMAILCFG_SSL_OFFSET); }
    void setSsl(quint8 value) { setU8(SOLV_EMAILCFG_SSL_OFFSET, value); }
    quint16 smtpPort() const { return u16(SOLV_EMAILCFG_SMTP_PORT_OFFSET); }
    void setSmtpPort(quint16 value) { setU16(SOLV_EMAILCFG_SMTP_PORT_OFFSET, value); }

private:
    static int receiver(int n, int offset)
    {
        return entryField(
            SOLV_EMAILCFG_RECEIVER_OFFSET, SOLV_EMAILCFG_RECEIVER_STRIDE, receiverCount, n, offset);
    }
};
static_assert(
    SOLV_EMAILCFG_RECEIVER_OFFSET + SOLV_EMAILCFG_RECEIVER_STRIDE * SOLV_EMAILCFG_RECEIVER_COUNT
        <= SOLV_EMAILCFG_ATTACH_PICTURE_OFFSET,
    "receivers end before the flags");
TERVIX_FIELD_FITS(EMAILCFG, SMTP_PORT);

class DecoderCfg : public RecordBuffer
{
public:
    TERVIX_RECORD_COMMANDS(DECODERCFG);
    DecoderCfg() : RecordBuffer(recordSize) { }

    // Code 0..14: 50, 75, 110, 150, 300, 600, 1200, 2400, 4800, 9600, 19200,
    // 38400, 57600, 76800, 115200 baud.
    quint32 baudRate() const { return u32(SOLV_DECODERCFG_BAUD_RATE_OFFSET); }
    void setBaudRate(quint32 value) { setU32(SOLV_DECODERCFG_BAUD_RATE_OFFSET, value); }
    quint8 dataBits() const { return u8(SOLV_DECODERCFG_DATA_BITS_OFFSET); }
    void setDataBits(quint8 value) { setU8(SOLV_DECODERCFG_DATA_BITS_OFFSET, value); }
    quint8 stopBits() const { return u8(SOLV_DECODERCFG_STOP_BITS_OFFSET); }
    void setStopBits(quint8 value) { setU8(SOLV_DECODERCFG_STOP_BITS_OFFSET, value); }
    quint8 parity() const { return u8(SOLV_DECODERCFG_PARITY_OFFSET); }
    void setParity(quint8 value) { setU8(SOLV_DECODERCFG_PARITY_OFFSET, value); }
    quint8 flowControl() const { return u8(SOLV_DECODERCFG_FLOW_CONTROL_OFFSET); }
    void setFlowControl(quint8 value) { setU8(SOLV_DECODERCFG_FLOW_CONTROL_OFFSET, value); }
    quint16 decoderType() const { return u16(SOLV_DECODERCFG_DECODER_TYPE_OFFSET); }
    void setDecoderType(quint16 value) { setU16(SOLV_DECODERCFG_DECODER_TYPE_OFFSET, value); }
    quint16 decoderAddress() const { return u16(SOLV_DECODERCFG_DECODER_ADDRESS_OFFSET); }
    void setDecoderAddress(quint16 value) { setU16(SOLV_DECODERCFG_DECODER_ADDRESS_OFFSET, value); }
};
TERVIX_FIELD_FITS(DECODERCFG, DECODER_ADDRESS);

// The device's PTZ protocol names, filled by SOLV_GetPTZProtocol.
class PtzProtocolList : public RecordBuffer
{
public:
    static constexpr int recordSize = SOLV_PTZ_PROTOCOL_LIST_SIZE;
    static constexpr int maxEntries = SOLV_PTZ_PROTOCOL_ENTRY_COUNT;

    PtzProtocolList() : RecordBuffer(recordSize) { }

    // The number of valid entries, never more than the list holds, whatever
    // the device wrote.
    int count() const
    {
        return int(std::min<quint32>(u32(SOLV_PTZ_PROTOCOL_COUNT_OFFSET), quint32(maxEntries)));
    }
    void setCount(quint32 value) { setU32(SOLV_PTZ_PROTOCOL_COUNT_OFFSET, value); }
    quint32 type(int i) const { return u32(field(i, SOLV_PTZ_PROTOCOL_TYPE_OFFSET)); }
    void setType(int i, quint32 value) { setU32(field(i, SOLV_PTZ_PROTOCOL_TYPE_OFFSET), value); }
    QByteArray name(int i) const
    {
        return text(field(i, SOLV_PTZ_PROTOCOL_NAME_OFFSET), SOLV_PTZ_PROTOCOL_NAME_LEN);
    }
    void setName(int i, const QByteArray &value)
    {
        setText(field(i, SOLV_PTZ_PROTOCOL_NAME_OFFSET), SOLV_PTZ_PROTOCOL_NAME_LEN, value);
    }

private:
    static int field(int i, int offset)
    {
        return entryField(
            SOLV_PTZ_PROTOCOL_ENTRY_OFFSET, SOLV_PTZ_PROTOCOL_ENTRY_STRIDE, maxEntries, i, offset);
    }
};
static_assert(
    SOLV_PTZ_PROTOCOL_ENTRY_OFFSET + SOLV_PTZ_PROTOCOL_ENTRY_STRIDE * SOLV_PTZ_PROTOCOL_ENTRY_COUNT
        <= SOLV_PTZ_PROTOCOL_COUNT_OFFSET,
    "protocol entries end before the count");
