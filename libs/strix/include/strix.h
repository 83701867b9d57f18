/*
 * strix: the stream player. A port plays one stream: it is opened with the
 * stream header the device SDK handed over (solvane_stream.h), fed with the
 * stream's data blocks, decodes them on a thread of the library and hands
 * every picture, as planar YUV 4:2:0, to the port's display callback and to
 * the presenter of the window it plays into.
 *
 * Presenters: the library draws nothing itself. The program installs one
 * presenter hook (Strix_SetPresenterHook); for a port played into a window
 * handle other than 0, each decoded picture goes to the hook with that
 * handle, on the decoding thread. The program keeps the table of which
 * window shows what (src/preview, the presenter registry), so this library
 * needs nothing of the program.
 *
 * Every call may be made from any thread. Calls return non-zero on success.
 */
#ifndef STRIX_H
#define STRIX_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Port numbers run from 0 to STRIX_MAX_PORTS - 1. */
#define STRIX_MAX_PORTS 64

/* Frame type of a decoded picture: planar YUV 4:2:0, the luminance plane
 * first (width x height bytes, rows top to bottom), then the two chroma
 * planes of (width + 1) / 2 x (height + 1) / 2 bytes. */
#define STRIX_FRAME_YUV420 3

/* On the decoding thread, once per picture, while the port plays. timeStamp
 * is the camera's capture time in microseconds since 1970-01-01 UTC (for an
 * elementary stream: the picture's place in the stream). reserved is null. */
typedef void (*Strix_DisplayCallBack)(int32_t port, const uint8_t *buffer, uint32_t size,
    int32_t width, int32_t height, int64_t timeStamp, int32_t frameType, void *reserved);

typedef struct
{
    const uint8_t *buffer; /* STRIX_FRAME_YUV420 layout, valid during the call */
    uint32_t size;
    int32_t width;
    int32_t height;
    int64_t captureTime; /* as the display callback's timeStamp */
} STRIX_PICTURE;

typedef void (*Strix_PresenterHook)(uintptr_t window, const STRIX_PICTURE *picture, void *context);

/* Installs the hook that presents the pictures of played ports (null: none).
 * Once it returns, the previous hook is no longer called. */
void Strix_SetPresenterHook(Strix_PresenterHook hook, void *context);

/* A free port; 0 when all are taken. */
int Strix_GetPort(int32_t *port);
/* Closes the port's stream, if any, and frees the port. */
int Strix_FreePort(int32_t port);

/* Opens the stream the header describes on a port without one. bufferSize
 * bounds the stream data held before decoding. */
int Strix_OpenStream(int32_t port, const uint8_t *header, uint32_t headerSize, uint32_t bufferSize);
/* Stops decoding; once it returns, neither the display callback nor the
 * presenter hook is called again for this port's stream. */
int Strix_CloseStream(int32_t port);

/* Takes the whole block, or nothing (0) when it does not fit beside what the
 * buffer holds: the caller may try again once decoding has caught up. */
int Strix_InputData(int32_t port, const uint8_t *data, uint32_t size);
/* The stream has ended (a file): decode the rest, including the pictures
 * the decoder holds back. Later input is refused. */
int Strix_InputEnd(int32_t port);

/* Starts handing out pictures; window 0 plays to the display callback only. */
int Strix_Play(int32_t port, uintptr_t window);
int Strix_SetDisplayCallBack(int32_t port, Strix_DisplayCallBack callback);

/* Pictures decoded in the last second; 0 for a port without a stream. */
uint32_t Strix_GetCurrentFrameRate(int32_t port);

#ifdef __cplusplus
}
#endif

#endif /* STRIX_H */
