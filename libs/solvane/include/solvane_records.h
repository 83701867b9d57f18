/*
 * solvane_records: command numbers, sizes and field layout of the fixed-size
 * configuration records exchanged with SOLV_GetDVRConfig / SOLV_SetDVRConfig.
 *
 * This header is the one place the layouts live: the client library, the
 * device simulator and the program's record views all take their numbers from
 * here. Offsets are byte offsets from the start of the record; every integer
 * is little-endian; text fields are 8-bit, zero-padded, and may fill their
 * whole width without a terminating zero. Each field has an _OFFSET and a _LEN
 * (its width in bytes). Repeated entries have a base _OFFSET, a _STRIDE and a
 * _COUNT, and their fields are given relative to the start of the entry.
 *
 * Bytes not described here belong to the device and must travel unchanged.
 */
#ifndef SOLVANE_RECORDS_H
#define SOLVANE_RECORDS_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Command numbers (set = get + 1) and record sizes ------------------- */

#define SOLV_GET_DEVICECFG 100
#define SOLV_SET_DEVICECFG 101
#define SOLV_DEVICECFG_SIZE 132

#define SOLV_GET_NETCFG 1000
#define SOLV_SET_NETCFG 1001
#define SOLV_NETCFG_SIZE 1956

#define SOLV_GET_PICCFG 1002
#define SOLV_SET_PICCFG 1003
#define SOLV_PICCFG_SIZE 7752

#define SOLV_GET_RECORDCFG 1004
#define SOLV_SET_RECORDCFG 1005
#define SOLV_RECORDCFG_SIZE 508

#define SOLV_GET_DDNSCFG 1010
#define SOLV_SET_DDNSCFG 1011
#define SOLV_DDNSCFG_SIZE 1900

#define SOLV_GET_EMAILCFG 1012
#define SOLV_SET_EMAILCFG 1013
#define SOLV_EMAILCFG_SIZE 564

#define SOLV_GET_COMPRESSCFG 1040
#define SOLV_SET_COMPRESSCFG 1041
#define SOLV_COMPRESSCFG_SIZE 116

#define SOLV_GET_DECODERCFG 1042
#define SOLV_SET_DECODERCFG 1043
#define SOLV_DECODERCFG_SIZE 784

#define SOLV_GET_FRONTCFG 1067
#define SOLV_SET_FRONTCFG 1068
#define SOLV_FRONTCFG_SIZE 152

#define SOLV_GET_NTPCFG 224
#define SOLV_SET_NTPCFG 225
#define SOLV_NTPCFG_SIZE 80

#define SOLV_GET_NFSCFG 230
#define SOLV_SET_NFSCFG 231
#define SOLV_NFSCFG_SIZE 1156

/* Number of configuration records above. */
#define SOLV_RECORD_COUNT 11

/* ---- SOLV_DEVICECFG ----------------------------------------------------- */

#define SOLV_DEVICECFG_NAME_OFFSET 4
#define SOLV_DEVICECFG_NAME_LEN 32
#define SOLV_DEVICECFG_DEVICE_NUMBER_OFFSET 36
#define SOLV_DEVICECFG_DEVICE_NUMBER_LEN 4
#define SOLV_DEVICECFG_SERIAL_OFFSET 44
#define SOLV_DEVICECFG_SERIAL_LEN 48
/* New form: major bits 24-31, minor 16-23, revision 0-15. A major of 0 marks
 * the older form: major bits 16-31, minor 0-15. */
#define SOLV_DEVICECFG_SOFTWARE_VERSION_OFFSET 92
#define SOLV_DEVICECFG_SOFTWARE_VERSION_LEN 4
/* Two-digit year bits 16-31, month 8-15, day 0-7. */
#define SOLV_DEVICECFG_SOFTWARE_BUILD_DATE_OFFSET 96
#define SOLV_DEVICECFG_SOFTWARE_BUILD_DATE_LEN 4
/* Major bits 16-31, minor 0-15. */
#define SOLV_DEVICECFG_DSP_VERSION_OFFSET 100
#define SOLV_DEVICECFG_DSP_VERSION_LEN 4
#define SOLV_DEVICECFG_DSP_BUILD_DATE_OFFSET 104
#define SOLV_DEVICECFG_DSP_BUILD_DATE_LEN 4
#define SOLV_DEVICECFG_DISK_COUNT_OFFSET 122
#define SOLV_DEVICECFG_DISK_COUNT_LEN 1
#define SOLV_DEVICECFG_DEVICE_TYPE_OFFSET 123
#define SOLV_DEVICECFG_DEVICE_TYPE_LEN 1
#define SOLV_DEVICECFG_CHANNEL_COUNT_OFFSET 124
#define SOLV_DEVICECFG_CHANNEL_COUNT_LEN 1

/* ---- SOLV_NETCFG -------------------------------------------------------- */

#define SOLV_NETCFG_IP_ADDRESS_OFFSET 4
#define SOLV_NETCFG_IP_ADDRESS_LEN 16
#define SOLV_NETCFG_MASK_OFFSET 148
#define SOLV_NETCFG_MASK_LEN 16
#define SOLV_NETCFG_PORT_OFFSET 296
#define SOLV_NETCFG_PORT_LEN 2
#define SOLV_NETCFG_MAC_OFFSET 300
#define SOLV_NETCFG_MAC_LEN 6
#define SOLV_NETCFG_GATEWAY_OFFSET 1552
#define SOLV_NETCFG_GATEWAY_LEN 16

/* ---- SOLV_FRONTCFG ------------------------------------------------------ */

#define SOLV_FRONTCFG_BRIGHTNESS_OFFSET 4
#define SOLV_FRONTCFG_BRIGHTNESS_LEN 1
#define SOLV_FRONTCFG_CONTRAST_OFFSET 5
#define SOLV_FRONTCFG_CONTRAST_LEN 1
#define SOLV_FRONTCFG_SHARPNESS_OFFSET 6
#define SOLV_FRONTCFG_SHARPNESS_LEN 1
#define SOLV_FRONTCFG_SATURATION_OFFSET 7
#define SOLV_FRONTCFG_SATURATION_LEN 1
#define SOLV_FRONTCFG_GAIN_OFFSET 12
#define SOLV_FRONTCFG_GAIN_LEN 1
#define SOLV_FRONTCFG_EXPOSURE_MODE_OFFSET 28 /* 0 manual, 1 auto */
#define SOLV_FRONTCFG_EXPOSURE_MODE_LEN 1
#define SOLV_FRONTCFG_EXPOSURE_TIME_OFFSET 32 /* microseconds */
#define SOLV_FRONTCFG_EXPOSURE_TIME_LEN 4
#define SOLV_FRONTCFG_DAYNIGHT_FILTER_TYPE_OFFSET 72 /* 0 day, 1 night, 2 auto */
#define SOLV_FRONTCFG_DAYNIGHT_FILTER_TYPE_LEN 1
#define SOLV_FRONTCFG_DAY_TO_NIGHT_SENSITIVITY_OFFSET 76
#define SOLV_FRONTCFG_DAY_TO_NIGHT_SENSITIVITY_LEN 1
#define SOLV_FRONTCFG_NIGHT_TO_DAY_SENSITIVITY_OFFSET 77
#define SOLV_FRONTCFG_NIGHT_TO_DAY_SENSITIVITY_LEN 1
#define SOLV_FRONTCFG_DAYNIGHT_FILTER_TIME_OFFSET 78 /* seconds */
#define SOLV_FRONTCFG_DAYNIGHT_FILTER_TIME_LEN 1
#define SOLV_FRONTCFG_IRIS_MODE_OFFSET 117 /* 0 auto iris, 1 manual iris */
#define SOLV_FRONTCFG_IRIS_MODE_LEN 1
#define SOLV_FRONTCFG_LOCAL_OUTPUT_OFFSET 123
#define SOLV_FRONTCFG_LOCAL_OUTPUT_LEN 1

/* ---- SOLV_PICCFG -------------------------------------------------------- */

#define SOLV_PICCFG_CHANNEL_NAME_OFFSET 4
#define SOLV_PICCFG_CHANNEL_NAME_LEN 32
#define SOLV_PICCFG_SHOW_CHANNEL_NAME_OFFSET 104
#define SOLV_PICCFG_SHOW_CHANNEL_NAME_LEN 4
#define SOLV_PICCFG_SHOW_OSD_OFFSET 7676
#define SOLV_PICCFG_SHOW_OSD_LEN 4
#define SOLV_PICCFG_OSD_TYPE_OFFSET 7684
#define SOLV_PICCFG_OSD_TYPE_LEN 1
#define SOLV_PICCFG_SHOW_WEEK_OFFSET 7685
#define SOLV_PICCFG_SHOW_WEEK_LEN 1
#define SOLV_PICCFG_HOUR_OSD_TYPE_OFFSET 7687 /* 0 24-hour, 1 12-hour */
#define SOLV_PICCFG_HOUR_OSD_TYPE_LEN 1

/* ---- SOLV_COMPRESSCFG: four stream blocks ------------------------------- */

#define SOLV_COMPRESSCFG_STREAM_OFFSET 4
#define SOLV_COMPRESSCFG_STREAM_STRIDE 28
#define SOLV_COMPRESSCFG_STREAM_COUNT 4
#define SOLV_COMPRESSCFG_MAIN_STREAM 0 /* block index */
#define SOLV_COMPRESSCFG_SUB_STREAM 3  /* block index */
/* Fields relative to the start of a block. */
#define SOLV_STREAM_STREAM_TYPE_OFFSET 0 /* 0 video, nonzero video and audio */
#define SOLV_STREAM_STREAM_TYPE_LEN 1
#define SOLV_STREAM_RESOLUTION_OFFSET 1
#define SOLV_STREAM_RESOLUTION_LEN 1
#define SOLV_STREAM_BITRATE_TYPE_OFFSET 2 /* 0 variable, nonzero constant */
#define SOLV_STREAM_BITRATE_TYPE_LEN 1
#define SOLV_STREAM_BITRATE_OFFSET 4
#define SOLV_STREAM_BITRATE_LEN 4
#define SOLV_STREAM_FRAME_RATE_OFFSET 8
#define SOLV_STREAM_FRAME_RATE_LEN 4
#define SOLV_STREAM_IFRAME_INTERVAL_OFFSET 12
#define SOLV_STREAM_IFRAME_INTERVAL_LEN 2
#define SOLV_STREAM_ENCODE_TYPE_OFFSET 16
#define SOLV_STREAM_ENCODE_TYPE_LEN 1
/* Bitrate codes 1..27; with the top bit set the rest is a custom rate in
 * bits per second in units of 1024 (kbps << 10). */
#define SOLV_STREAM_BITRATE_CUSTOM 0x80000000u
#define SOLV_STREAM_BITRATE_CODE_MIN 1
#define SOLV_STREAM_BITRATE_CODE_MAX 27

/* ---- SOLV_RECORDCFG ----------------------------------------------------- */

#define SOLV_RECORDCFG_ENABLED_OFFSET 4
#define SOLV_RECORDCFG_ENABLED_LEN 4
#define SOLV_RECORDCFG_DAY_COUNT 7
/* All-day entry of day d at ALLDAY_OFFSET + ALLDAY_STRIDE * d. */
#define SOLV_RECORDCFG_ALLDAY_OFFSET 8
#define SOLV_RECORDCFG_ALLDAY_STRIDE 4
#define SOLV_RECORDCFG_ALLDAY_ENABLED_OFFSET 0 /* relative; u16, 0 / 1 */
#define SOLV_RECORDCFG_ALLDAY_ENABLED_LEN 2
#define SOLV_RECORDCFG_ALLDAY_TYPE_OFFSET 2 /* relative; u8 */
#define SOLV_RECORDCFG_ALLDAY_TYPE_LEN 1
/* Slot s of day d at SLOT_OFFSET + DAY_STRIDE * d + SLOT_STRIDE * s. */
#define SOLV_RECORDCFG_SLOT_OFFSET 36
#define SOLV_RECORDCFG_SLOT_DAY_STRIDE 64
#define SOLV_RECORDCFG_SLOT_STRIDE 8
#define SOLV_RECORDCFG_SLOT_COUNT 8
#define SOLV_RECORDCFG_SLOT_FIELD_LEN 1 /* every slot field is a u8 */
#define SOLV_RECORDCFG_SLOT_START_HOUR_OFFSET 0 /* relative */
#define SOLV_RECORDCFG_SLOT_START_HOUR_LEN SOLV_RECORDCFG_SLOT_FIELD_LEN
#define SOLV_RECORDCFG_SLOT_START_MINUTE_OFFSET 1
#define SOLV_RECORDCFG_SLOT_START_MINUTE_LEN SOLV_RECORDCFG_SLOT_FIELD_LEN
#define SOLV_RECORDCFG_SLOT_STOP_HOUR_OFFSET 2
#define SOLV_RECORDCFG_SLOT_STOP_HOUR_LEN SOLV_RECORDCFG_SLOT_FIELD_LEN
#define SOLV_RECORDCFG_SLOT_STOP_MINUTE_OFFSET 3
#define SOLV_RECORDCFG_SLOT_STOP_MINUTE_LEN SOLV_RECORDCFG_SLOT_FIELD_LEN
#define SOLV_RECORDCFG_SLOT_TYPE_OFFSET 4
#define SOLV_RECORDCFG_SLOT_TYPE_LEN SOLV_RECORDCFG_SLOT_FIELD_LEN
/* Recording types: 0 schedule, 1 motion, 2 alarm, 3 motion or alarm,
 * 4 motion and alarm, 5 command, 6 intelligent alarm. */
#define SOLV_RECORD_TYPE_MAX 6

/* ---- SOLV_DDNSCFG: one entry per server type ---------------------------- */

#define SOLV_DDNSCFG_ENABLED_OFFSET 0
#define SOLV_DDNSCFG_ENABLED_LEN 1
/* 0 the maker's own service, 1 Dyndns, 2 PeanutHull, 3 NO-IP */
#define SOLV_DDNSCFG_SERVER_TYPE_OFFSET 1
#define SOLV_DDNSCFG_SERVER_TYPE_LEN 1
#define SOLV_DDNSCFG_ENTRY_OFFSET 4
#define SOLV_DDNSCFG_ENTRY_STRIDE 188
#define SOLV_DDNSCFG_ENTRY_COUNT 10
/* Fields relative to the start of an entry. */
#define SOLV_DDNSCFG_ENTRY_USER_OFFSET 0
#define SOLV_DDNSCFG_ENTRY_USER_LEN 32
#define SOLV_DDNSCFG_ENTRY_PASSWORD_OFFSET 32
#define SOLV_DDNSCFG_ENTRY_PASSWORD_LEN 16
#define SOLV_DDNSCFG_ENTRY_DOMAIN_OFFSET 48
#define SOLV_DDNSCFG_ENTRY_DOMAIN_LEN 64
#define SOLV_DDNSCFG_ENTRY_SERVER_OFFSET 112
#define SOLV_DDNSCFG_ENTRY_SERVER_LEN 64
#define SOLV_DDNSCFG_ENTRY_PORT_OFFSET 176
#define SOLV_DDNSCFG_ENTRY_PORT_LEN 2

/* ---- SOLV_NTPCFG -------------------------------------------------------- */

#define SOLV_NTPCFG_SERVER_OFFSET 0
#define SOLV_NTPCFG_SERVER_LEN 64
#define SOLV_NTPCFG_ENABLED_OFFSET 66
#define SOLV_NTPCFG_ENABLED_LEN 1
#define SOLV_NTPCFG_PORT_OFFSET 70
#define SOLV_NTPCFG_PORT_LEN 2

/* ---- SOLV_NFSCFG: eight disk entries ------------------------------------ */

#define SOLV_NFSCFG_ENTRY_OFFSET 4
#define SOLV_NFSCFG_ENTRY_STRIDE 144
#define SOLV_NFSCFG_ENTRY_COUNT 8
#define SOLV_NFSCFG_ENTRY_HOST_OFFSET 0 /* relative */
#define SOLV_NFSCFG_ENTRY_HOST_LEN 16
#define SOLV_NFSCFG_ENTRY_DIRECTORY_OFFSET 16 /* relative */
#define SOLV_NFSCFG_ENTRY_DIRECTORY_LEN 128

/* ---- SOLV_EMAILCFG ------------------------------------------------------ */

#define SOLV_EMAILCFG_ACCOUNT_OFFSET 4
#define SOLV_EMAILCFG_ACCOUNT_LEN 32
#define SOLV_EMAILCFG_PASSWORD_OFFSET 36
#define SOLV_EMAILCFG_PASSWORD_LEN 32
#define SOLV_EMAILCFG_SENDER_NAME_OFFSET 68
#define SOLV_EMAILCFG_SENDER_NAME_LEN 32
#define SOLV_EMAILCFG_SENDER_ADDRESS_OFFSET 100
#define SOLV_EMAILCFG_SENDER_ADDRESS_LEN 48
#define SOLV_EMAILCFG_SMTP_SERVER_OFFSET 148
#define SOLV_EMAILCFG_SMTP_SERVER_LEN 48
#define SOLV_EMAILCFG_POP3_SERVER_OFFSET 196
#define SOLV_EMAILCFG_POP3_SERVER_LEN 48
#define SOLV_EMAILCFG_RECEIVER_OFFSET 244
#define SOLV_EMAILCFG_RECEIVER_STRIDE 80
#define SOLV_EMAILCFG_RECEIVER_COUNT 3
#define SOLV_EMAILCFG_RECEIVER_NAME_OFFSET 0 /* relative */
#define SOLV_EMAILCFG_RECEIVER_NAME_LEN 32
#define SOLV_EMAILCFG_RECEIVER_ADDRESS_OFFSET 32 /* relative */
#define SOLV_EMAILCFG_RECEIVER_ADDRESS_LEN 48
#define SOLV_EMAILCFG_ATTACH_PICTURE_OFFSET 484
#define SOLV_EMAILCFG_ATTACH_PICTURE_LEN 1
#define SOLV_EMAILCFG_SMTP_AUTH_OFFSET 485
#define SOLV_EMAILCFG_SMTP_AUTH_LEN 1
#define SOLV_EMAILCFG_MAIL_INTERVAL_OFFSET 486 /* 0..3 for 2..5 seconds */
#define SOLV_EMAILCFG_MAIL_INTERVAL_LEN 1
#define SOLV_EMAILCFG_SSL_OFFSET 487
#define SOLV_EMAILCFG_SSL_LEN 1
#define SOLV_EMAILCFG_SMTP_PORT_OFFSET 488
#define SOLV_EMAILCFG_SMTP_PORT_LEN 2

/* ---- SOLV_DECODERCFG (RS-485) ------------------------------------------- */

#define SOLV_DECODERCFG_BAUD_RATE_OFFSET 4 /* code 0..14 */
#define SOLV_DECODERCFG_BAUD_RATE_LEN 4
#define SOLV_DECODERCFG_DATA_BITS_OFFSET 8 /* code 0..3 for 5..8 bits */
#define SOLV_DECODERCFG_DATA_BITS_LEN 1
#define SOLV_DECODERCFG_STOP_BITS_OFFSET 9 /* 0 one, 1 two */
#define SOLV_DECODERCFG_STOP_BITS_LEN 1
#define SOLV_DECODERCFG_PARITY_OFFSET 10 /* 0 none, 1 odd, 2 even */
#define SOLV_DECODERCFG_PARITY_LEN 1
#define SOLV_DECODERCFG_FLOW_CONTROL_OFFSET 11 /* 0 none, 1 software, 2 hardware */
#define SOLV_DECODERCFG_FLOW_CONTROL_LEN 1
#define SOLV_DECODERCFG_DECODER_TYPE_OFFSET 12 /* index into the protocol list */
#define SOLV_DECODERCFG_DECODER_TYPE_LEN 2
#define SOLV_DECODERCFG_DECODER_ADDRESS_OFFSET 14
#define SOLV_DECODERCFG_DECODER_ADDRESS_LEN 2
#define SOLV_DECODERCFG_BAUD_RATE_CODE_MAX 14

/* ---- SOLV_PTZ_PROTOCOL_LIST and SOLV_LOGIN_INFO ------------------------- */

#ifndef SOLV_PTZ_PROTOCOL_LIST_SIZE
#define SOLV_PTZ_PROTOCOL_LIST_SIZE 4008
#endif
#define SOLV_PTZ_PROTOCOL_ENTRY_OFFSET 4
#define SOLV_PTZ_PROTOCOL_ENTRY_STRIDE 20
#define SOLV_PTZ_PROTOCOL_ENTRY_COUNT 200
#define SOLV_PTZ_PROTOCOL_TYPE_OFFSET 0 /* relative; u32 */
#define SOLV_PTZ_PROTOCOL_TYPE_LEN 4
#define SOLV_PTZ_PROTOCOL_NAME_OFFSET 4 /* relative */
#define SOLV_PTZ_PROTOCOL_NAME_LEN 16
#define SOLV_PTZ_PROTOCOL_COUNT_OFFSET 4004
#define SOLV_PTZ_PROTOCOL_COUNT_LEN 4

#ifndef SOLV_LOGIN_INFO_SIZE
#define SOLV_LOGIN_INFO_SIZE 80
#endif

/* ---- Lookups shared by the client and the simulator --------------------- */

/* Record size for a get or a set command; 0 when the command carries no
 * configuration record. */
static inline uint32_t SOLV_RecordSize(uint32_t command)
{
    switch (command) {
    case SOLV_GET_DEVICECFG:
    case SOLV_SET_DEVICECFG:
        return SOLV_DEVICECFG_SIZE;
    case SOLV_GET_NETCFG:
    case SOLV_SET_NETCFG:
        return SOLV_NETCFG_SIZE;
    case SOLV_GET_PICCFG:
    case SOLV_SET_PICCFG:
        return SOLV_PICCFG_SIZE;
    case SOLV_GET_RECORDCFG:
    case SOLV_SET_RECORDCFG:
        return SOLV_RECORDCFG_SIZE;
    case SOLV_GET_DDNSCFG:
    case SOLV_SET_DDNSCFG:
        return SOLV_DDNSCFG_SIZE;
    case SOLV_GET_EMAILCFG:
    case SOLV_SET_EMAILCFG:
        return SOLV_EMAILCFG_SIZE;
    case SOLV_GET_COMPRESSCFG:
    case SOLV_SET_COMPRESSCFG:
        return SOLV_COMPRESSCFG_SIZE;
    case SOLV_GET_DECODERCFG:
    case SOLV_SET_DECODERCFG:
        return SOLV_DECODERCFG_SIZE;
    case SOLV_GET_FRONTCFG:
    case SOLV_SET_FRONTCFG:
        return SOLV_FRONTCFG_SIZE;
    case SOLV_GET_NTPCFG:
    case SOLV_SET_NTPCFG:
        return SOLV_NTPCFG_SIZE;
    case SOLV_GET_NFSCFG:
    case SOLV_SET_NFSCFG:
        return SOLV_NFSCFG_SIZE;
    default:
        return 0;
    }
}

/* Non-zero when command is the set command of a configuration record. */
static inline int SOLV_IsSetCommand(uint32_t command)
{
    switch (command) {
    case SOLV_SET_DEVICECFG:
    case SOLV_SET_NETCFG:
    case SOLV_SET_PICCFG:
    case SOLV_SET_RECORDCFG:
    case SOLV_SET_DDNSCFG:
    case SOLV_SET_EMAILCFG:
    case SOLV_SET_COMPRESSCFG:
    case SOLV_SET_DECODERCFG:
    case SOLV_SET_FRONTCFG:
    case SOLV_SET_NTPCFG:
    case SOLV_SET_NFSCFG:
        return 1;
    default:
        return 0;
    }
}

/* The get command of a record command (get or set); 0 for anything else. */
static inline uint32_t SOLV_RecordGetCommand(uint32_t command)
{
    if (SOLV_RecordSize(command) == 0) {
        return 0;
    }
    return SOLV_IsSetCommand(command) ? command - 1 : command;
}

/* The get command of record number index (0 .. SOLV_RECORD_COUNT - 1), for
 * walking every record; 0 beyond the end. */
static inline uint32_t SOLV_RecordGetCommandAt(int index)
{
    switch (index) {
    case 0:
        return SOLV_GET_DEVICECFG;
    case 1:
        return SOLV_GET_NETCFG;
    case 2:
        return SOLV_GET_PICCFG;
    case 3:
        return SOLV_GET_RECORDCFG;
    case 4:
        return SOLV_GET_DDNSCFG;
    case 5:
        return SOLV_GET_EMAILCFG;
    case 6:
        return SOLV_GET_COMPRESSCFG;
    case 7:
        return SOLV_GET_DECODERCFG;
    case 8:
        return SOLV_GET_FRONTCFG;
    case 9:
        return SOLV_GET_NTPCFG;
    case 10:
        return SOLV_GET_NFSCFG;
    default:
        return 0;
    }
}

#ifdef __cplusplus
}
#endif

#endif /* SOLVANE_RECORDS_H */
