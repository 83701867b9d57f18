/*
 * quarry: the discovery library. Listens to device announcements on every
 * IPv4 interface (or on those TERVIX_DISCOVERY_INTERFACES names) and
 * re-addresses a device by its MAC. Loaded at run time (libquarry.so); the
 * program looks its entry points up by name when it loads the library.
 */
#ifndef QUARRY_H
#define QUARRY_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define QUARRY_API __attribute__((visibility("default")))
#else
#define QUARRY_API
#endif

/* Announcement events. */
#define QUARRY_EVENT_PRESENT 1
#define QUARRY_EVENT_GONE 3
#define QUARRY_EVENT_CHANGED 4

/* Devices the library lists at most; a new one beyond makes the one not
   heard the longest go (reported with QUARRY_EVENT_GONE). */
#define QUARRY_MAX_DEVICES 16384

/* Called on the library's own thread. Any text may be NULL. */
typedef void (*QUARRY_DeviceCallback)(const char *protocolVersion, const char *serialNo,
                                      const char *mac, const char *ipAddress,
                                      const char *subnetMask, uint32_t deviceType,
                                      uint16_t port, uint32_t channelCount,
                                      uint32_t diskCount, const char *softwareVersion,
                                      const char *dspVersion, const char *startTime,
                                      int32_t event);

/* 1 when listening; the callback runs until QUARRY_Stop returns. */
QUARRY_API int32_t QUARRY_Start(QUARRY_DeviceCallback callback);
QUARRY_API int32_t QUARRY_Stop(void);
/* 1 only when the device confirmed the change within the wait. */
QUARRY_API int32_t QUARRY_SendUpdateIp(const char *mac, const char *newIp, const char *newMask,
                            const char *password, const char *newPort);

/* Results of QUARRY_SendUpdateIp; everything but QUARRY_UPDATE_DONE is a failure. */
#define QUARRY_UPDATE_DONE 1
#define QUARRY_UPDATE_NO_ANSWER 0
#define QUARRY_UPDATE_BAD_ARGUMENT (-1)
#define QUARRY_UPDATE_WRONG_PASSWORD (-2)
#define QUARRY_UPDATE_REFUSED (-3)
#define QUARRY_UPDATE_NETWORK_ERROR (-4)

typedef int32_t (*QUARRY_StartProc)(QUARRY_DeviceCallback);
typedef int32_t (*QUARRY_StopProc)(void);
typedef int32_t (*QUARRY_SendUpdateIpProc)(const char *, const char *, const char *,
                                           const char *, const char *);

#ifdef __cplusplus
}
#endif

#endif /* QUARRY_H */
