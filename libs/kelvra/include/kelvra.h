/*
 * kelvra: the capture cards. A decoder card decodes network streams (the
 * stream header and data blocks of solvane_stream.h) and shows them; an
 * encoder card previews the analogue video entering its inputs and copies
 * each picture into a buffer of the caller's.
 *
 * The cards are virtual: they exist only when the environment variable
 * TERVIX_CARDS names them ("decoder", "encoder", or both separated by a
 * comma) at the time InitDSPs runs. Without them every card call fails, as
 * on a PC without cards.
 *
 * Display: like the stream player, the library draws nothing itself. Each
 * picture shown into a window handle goes to the presenter hook
 * (Kelvra_SetPresenterHook) on a thread of the library.
 *
 * Results: calls named HW_* and the encoder calls return 0 on success and a
 * non-zero error code otherwise, except ChannelOpen (the channel or -1),
 * HW_InputData (the bytes taken) and InitDSPs (the processors brought up).
 */
#ifndef KELVRA_H
#define KELVRA_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Error codes. */
#define KELVRA_ERR_NO_CARD 0x80000001u /* the card is not there or not brought up */
#define KELVRA_ERR_CHANNEL 0x80000002u /* no such channel, or none free */
#define KELVRA_ERR_STATE 0x80000003u /* the call does not fit what the channel does */
#define KELVRA_ERR_ARGUMENT 0x80000004u
#define KELVRA_ERR_STREAM 0x80000005u /* the stream header does not add up */

/* Channels of each card. */
#define KELVRA_DECODER_CHANNELS 4
#define KELVRA_ENCODER_CHANNELS 4

/* The encoder card's analogue input: PAL, 25 pictures per second. */
#define KELVRA_INPUT_WIDTH 704
#define KELVRA_INPUT_HEIGHT 576
#define KELVRA_INPUT_RATE 25

typedef struct
{
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
} KELVRA_RECT;

/* Six 32-bit fields: display on, scale on, x, y offsets, width and height
 * of the display area (in the card's display units). */
typedef struct
{
    int32_t bToScreen;
    int32_t bToVideoOut;
    int32_t nLeft;
    int32_t nTop;
    int32_t nWidth;
    int32_t nHeight;
} KELVRA_DISPLAY_PARA;

typedef struct
{
    const uint8_t *buffer; /* planar YUV 4:2:0, luminance first, valid during the call */
    uint32_t size;
    int32_t width;
    int32_t height;
} KELVRA_PICTURE;

typedef void (*Kelvra_PresenterHook)(
    uintptr_t window, const KELVRA_PICTURE *picture, void *context);
/* Once it returns, the previous hook is no longer called. */
void Kelvra_SetPresenterHook(Kelvra_PresenterHook hook, void *context);

/* Brings up every card TERVIX_CARDS names; returns their processors (0: none). */
int InitDSPs(void);
/* Closes every channel and releases the cards. */
int DeInitDSPs(void);

/* Decoder card. */
typedef void (*DecoderVideoCaptureCallback)(int32_t channel, const uint8_t *buffer, int32_t width,
    int32_t height, uint32_t frameNumber, uint32_t frameTime, int64_t absoluteTime, void *context);

/* The window the decoder card shows its pictures in. */
int HW_InitDirectDraw(uintptr_t window, uint32_t colorKey);
int HW_ReleaseDirectDraw(void);
int HW_RestoreSurface(void);
int HW_RefreshSurface(void);
int HW_ClearSurface(void);
int HW_ChannelOpen(int32_t index, int32_t *channel);
int HW_ChannelClose(int32_t channel);
/* Mode 3: a network stream, a header then data blocks. */
int HW_SetStreamOpenMode(int32_t channel, uint32_t mode);
int HW_OpenStream(int32_t channel, const uint8_t *header, uint32_t size);
int HW_CloseStream(int32_t channel);
int HW_SetDisplayPara(int32_t channel, const KELVRA_DISPLAY_PARA *para);
int HW_Play(int32_t channel);
int HW_Stop(int32_t channel);
/* Takes what fits in the channel's buffer: the whole block, a part of it
 * when the buffer is nearly full, or 0 when it is full; -1 on error. */
int HW_InputData(int32_t channel, const uint8_t *data, uint32_t size);
int HW_GetCurrentFrameRate(int32_t channel, uint32_t *rate);
int RegisterDecoderVideoCaptureCallback(DecoderVideoCaptureCallback callback, void *context);
/* enable 1: every decoded picture of the channel goes to the capture callback. */
int HW_SetDecoderVideoCapture(int32_t channel, int32_t enable, uint32_t reserved);

/* Encoder card. */
typedef void (*ImageStreamCallback)(uint32_t channel, void *context);

/* The channel of input `index`, or -1. */
int32_t ChannelOpen(int32_t index);
int ChannelClose(int32_t channel);
int StartVideoPreview(int32_t channel, uintptr_t window, const KELVRA_RECT *rect, int32_t overlay,
    int32_t format, int32_t frameRate);
int StopVideoPreview(int32_t channel);
int RegisterImageStreamCallback(ImageStreamCallback callback, void *context);
/* enable 1: each picture of the input, at width x height (the input's size
 * only), is copied into buffer (width * height * 3 / 2 bytes, YUV 4:2:0),
 * then the callback is called. enable 0 stops it. */
int SetImageStream(int32_t channel, int32_t enable, uint32_t frameRate, uint32_t width,
    uint32_t height, uint8_t *buffer);

#ifdef __cplusplus
}
#endif

#endif /* KELVRA_H */
