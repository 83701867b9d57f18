/*
 * solvane: the device SDK client. Logs in to a device over TCP and exchanges
 * fixed-size configuration records with it. The wire protocol is described in
 * docs/protocol.md. Every call may be made from any thread; the last error is
 * kept per thread.
 */
#ifndef SOLVANE_H
#define SOLVANE_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Error codes read with SOLV_GetLastError(). */
#define SOLV_NOERROR 0
#define SOLV_PASSWORD_ERROR 1
#define SOLV_NOT_SUPPORT 23
#define SOLV_INSUFFICIENT_BUFFER 43
/* Codes of this library; docs/protocol.md describes when each is given. */
#define SOLV_NOT_LOGGED_IN 60       /* unknown or logged-out user ID */
#define SOLV_PARAMETER_ERROR 61     /* bad argument, or a buffer size that is not the record's */
#define SOLV_CONNECT_FAILED 62      /* refused, unreachable or no answer within the connect time */
#define SOLV_SEND_FAILED 63         /* the connection broke while sending */
#define SOLV_RECV_FAILED 64         /* the connection broke or was closed while receiving */
#define SOLV_TIMEOUT 65             /* no complete answer within the receive time-out */
#define SOLV_MALFORMED_DATA 66      /* the device sent something the protocol does not allow */
#define SOLV_TOO_MANY_SESSIONS 67   /* the device serves no more sessions */
#define SOLV_REFUSED 68             /* the device refused the operation (e.g. a set) */
#define SOLV_DEVICE_BUSY 69         /* the device cannot serve the request now */
#define SOLV_VERSION_MISMATCH 70    /* the device speaks another protocol version */
#define SOLV_NO_FREE_HANDLE 71      /* too many logins or upgrade handles open in this process */
#define SOLV_FILE_ERROR 72          /* the firmware file cannot be opened or read, or is empty */

/* Ability types for SOLV_GetDeviceAbility. */
#define SOLV_ABILITY_CAMERA 5
#define SOLV_ABILITY_DEVICE 6

#define SOLV_LOGIN_INFO_SIZE 80
#define SOLV_PTZ_PROTOCOL_LIST_SIZE 4008

/* Out-record of the login; zero-filled by the caller, contents not relied on. */
typedef struct {
    unsigned char bytes[SOLV_LOGIN_INFO_SIZE];
} SOLV_LOGIN_INFO;

/* 200 entries of 20 bytes from byte 4 (u32 type, char[16] name); u32 count at 4004. */
typedef struct {
    unsigned char bytes[SOLV_PTZ_PROTOCOL_LIST_SIZE];
} SOLV_PTZ_PROTOCOL_LIST;

int SOLV_Init(void);
int SOLV_Cleanup(void);

/* User ID of 0 or more on success, -1 on failure. */
int32_t SOLV_Login_V30(const char *ipAddress, uint16_t port, const char *userName,
                       const char *password, SOLV_LOGIN_INFO *info);
int SOLV_Logout(int32_t userId);
int SOLV_Logout_V30(int32_t userId);

/* Non-zero on success. size must be the command's record size. */
int SOLV_GetDVRConfig(int32_t userId, uint32_t command, int32_t channel, void *buffer,
                      uint32_t size, uint32_t *returned);
int SOLV_SetDVRConfig(int32_t userId, uint32_t command, int32_t channel, const void *buffer,
                      uint32_t size);

int SOLV_RebootDVR(int32_t userId);
int SOLV_RestoreConfig(int32_t userId);

/* Writes a zero-terminated XML text; fails with SOLV_INSUFFICIENT_BUFFER when
 * the text and its terminating zero do not fit outSize. */
int SOLV_GetDeviceAbility(int32_t userId, uint32_t abilityType, const char *inBuffer,
                          uint32_t inSize, char *outBuffer, uint32_t outSize);
int SOLV_GetPTZProtocol(int32_t userId, SOLV_PTZ_PROTOCOL_LIST *list);

/* Firmware upgrade. SOLV_Upgrade starts sending the image file to the device
 * on a thread of the library and returns at once: a handle of 0 or more, -1 on
 * failure. The state and progress may be read at any time until the handle is
 * closed; closing it while the upgrade runs cancels it and the device keeps
 * its old firmware. */
#define SOLV_UPGRADE_SUCCEEDED 1
#define SOLV_UPGRADE_RUNNING 2
#define SOLV_UPGRADE_FAILED 3
#define SOLV_UPGRADE_NETWORK 4          /* unknown: the connection was lost */
#define SOLV_UPGRADE_LANGUAGE_MISMATCH 5

int32_t SOLV_Upgrade(int32_t userId, const char *firmwarePath);
/* One of the SOLV_UPGRADE_* states; -1 for an unknown handle. */
int SOLV_GetUpgradeState(int32_t handle);
/* Percent of the image the device has taken, 0 to 100; -1 for an unknown handle. */
int SOLV_GetUpgradeProgress(int32_t handle);
/* Non-zero for a handle that was open. */
int SOLV_CloseUpgradeHandle(int32_t handle);

/* Live stream. SOLV_RealPlay_V30 opens a stream connection on the login and
 * waits for the device to accept it; from then on a thread of the library
 * calls the callback, one call at a time: data type SOLV_STREAM_HEADER with
 * the stream header (layout in solvane_stream.h), then SOLV_STREAM_DATA once
 * per encoded picture (a picture block, solvane_stream.h), and a second header
 * whenever the device restarts its stream. A stream the device ends, or that
 * breaks or falls silent, ends with one call of SOLV_STREAM_END (buffer null,
 * size 0; SOLV_GetLastError() inside it tells why). Once SOLV_StopRealPlay
 * has returned, the callback is never called again for that handle;
 * SOLV_StopRealPlay must not be called from inside the callback. */
#define SOLV_STREAM_HEADER 1
#define SOLV_STREAM_DATA 2
#define SOLV_STREAM_END 3

typedef struct {
    int32_t channel;               /* 1 to the device's channel count */
    int32_t linkMode;              /* 0: TCP, the only mode */
    uintptr_t playWindow;          /* 0: the SDK never draws; the caller decodes */
    const char *multicastAddress;  /* unused, null */
} SOLV_PREVIEW_REQUEST;

typedef void (*SOLV_RealDataCallback)(int32_t handle, uint32_t dataType, const uint8_t *buffer,
                                      uint32_t size, void *user);

/* Play handle of 0 or more, -1 on failure. blocked is accepted for
 * compatibility (the program passes 1): the call always waits for the
 * device's answer, at most one connect time-out and two receive time-outs. */
int32_t SOLV_RealPlay_V30(int32_t userId, const SOLV_PREVIEW_REQUEST *request,
                          SOLV_RealDataCallback callback, void *user, int32_t blocked);
/* Non-zero for a handle that was open. Closes the stream connection and joins
 * the stream's thread. */
int SOLV_StopRealPlay(int32_t handle);

uint32_t SOLV_GetLastError(void);

/* Time-outs in milliseconds for new connections and for each answer. */
int SOLV_SetConnectTime(uint32_t waitMs, uint32_t tryTimes);
int SOLV_SetRecvTimeOut(uint32_t waitMs);

#ifdef __cplusplus
}
#endif

#endif /* SOLVANE_H */
