/*
 * Layout of what the device SDK hands to a stream callback (solvane.h,
 * SOLV_RealPlay_V30): the stream header (data type SOLV_STREAM_HEADER), which
 * is also what the stream player opens a stream with, and the picture blocks
 * (data type SOLV_STREAM_DATA). docs/protocol.md ("Live stream") describes
 * them. Integers are little-endian; read them byte by byte, never by casting.
 */
#ifndef SOLVANE_STREAM_H
#define SOLVANE_STREAM_H

#include <stdint.h>

/* Stream header: a fixed part of SOLV_STREAM_HEADER_SIZE bytes, then the
 * decoder set-up bytes ("extradata"). */
#define SOLV_STREAM_HEADER_MAGIC 0x48535654u /* "TVSH" */
#define SOLV_STREAM_HEADER_VERSION 1
#define SOLV_STREAM_HEADER_SIZE 40
#define SOLV_STREAM_MAX_EXTRADATA 4096
#define SOLV_STREAM_MAX_HEADER (SOLV_STREAM_HEADER_SIZE + SOLV_STREAM_MAX_EXTRADATA)

#define SOLV_STREAM_OFFSET_MAGIC 0           /* u32 */
#define SOLV_STREAM_OFFSET_VERSION 4         /* u16, 1 */
#define SOLV_STREAM_OFFSET_HEADER_SIZE 6     /* u16, 40: where the extradata starts */
#define SOLV_STREAM_OFFSET_CODEC 8           /* u32, SOLV_CODEC_* */
#define SOLV_STREAM_OFFSET_WIDTH 12          /* u16, pixels, 16 to 4096 */
#define SOLV_STREAM_OFFSET_HEIGHT 14         /* u16, pixels, 16 to 4096 */
#define SOLV_STREAM_OFFSET_RATE_NUM 16       /* u32, pictures per second = num / den */
#define SOLV_STREAM_OFFSET_RATE_DEN 20       /* u32, not 0 */
#define SOLV_STREAM_OFFSET_BITRATE 24        /* u32, target bits per second, 0 unknown */
#define SOLV_STREAM_OFFSET_KEY_INTERVAL 28   /* u32, pictures between key pictures, 0 unknown */
#define SOLV_STREAM_OFFSET_PACKAGING 32      /* u32, SOLV_PACKAGING_* */
#define SOLV_STREAM_OFFSET_EXTRADATA_SIZE 36 /* u32, 0 to SOLV_STREAM_MAX_EXTRADATA */

#define SOLV_CODEC_H264 1  /* Annex B byte stream */
#define SOLV_CODEC_MPEG4 2 /* MPEG-4 part 2 elementary stream */
#define SOLV_CODEC_MJPEG 3 /* one JPEG image per picture */

/* How the stream data is packaged: the device SDK always gives picture
 * blocks; an elementary stream (a plain codec byte stream, cut anywhere) is
 * what a file holds. */
#define SOLV_PACKAGING_PICTURES 0
#define SOLV_PACKAGING_ELEMENTARY 1

/* Picture block: a prefix of SOLV_PICTURE_PREFIX_SIZE bytes, then the
 * encoded picture. The SDK hands exactly one block per SOLV_STREAM_DATA call. */
#define SOLV_PICTURE_MAGIC 0x43505654u /* "TVPC" */
#define SOLV_PICTURE_PREFIX_SIZE 24
#define SOLV_STREAM_MAX_PICTURE 1048576 /* encoded bytes of one picture */
#define SOLV_STREAM_MAX_BLOCK (SOLV_PICTURE_PREFIX_SIZE + SOLV_STREAM_MAX_PICTURE)

#define SOLV_PICTURE_OFFSET_MAGIC 0        /* u32 */
#define SOLV_PICTURE_OFFSET_LENGTH 4       /* u32, encoded bytes that follow, 1 to SOLV_STREAM_MAX_PICTURE */
#define SOLV_PICTURE_OFFSET_CAPTURE_TIME 8 /* u64, microseconds since 1970-01-01 UTC */
#define SOLV_PICTURE_OFFSET_NUMBER 16      /* u32, counts up by one; a gap is a dropped picture */
#define SOLV_PICTURE_OFFSET_FLAGS 20       /* u32, SOLV_PICTURE_FLAG_* */

#define SOLV_PICTURE_FLAG_KEY 0x1u /* decodable without the pictures before it */

#endif /* SOLVANE_STREAM_H */
