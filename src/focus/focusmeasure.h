#pragma once

#include <QtGlobal>

#include <span>

// The focus value of a picture: every row of the luminance plane (width ×
// height bytes, rows top to bottom) is smoothed by a six-tap filter and fed
// through a third-order recursive high-pass filter in 32-bit fixed point;
// the output magnitudes, scaled by 2^-20, are summed over the picture. The
// sharper the picture, the larger the value.
//
// The result is defined by its integer recursion: every sum and product
// wraps modulo 2^32, every right shift is arithmetic, the magnitude of the
// smallest 32-bit value stays that value, the filter starts again from 0 on
// every row, and the smoothing window of a row's first columns reaches back
// into the previous row (before the picture it reads 0). Every kernel here
// gives that result bit for bit, whatever the picture.
namespace FocusMeasure {

// One picture element after the other, in the order the recursion is
// written: the reference the others are held to.
qint32 measurePlain(const uchar *luma, int width, int height);

// The same value, several rows side by side: the recursion along a row is
// the only true dependency, and rows are independent.
qint32 measureFast(const uchar *luma, int width, int height);

// A row-parallel kernel; measureFast uses the first this machine runs.
struct Kernel
{
    const char *name; // "avx2", "sse2", "rows"
    qint32 (*measure)(const uchar *luma, int width, int height);
};
std::span<const Kernel> availableKernels();

// The process-wide switch of the frame callbacks' measure: off until a
// focus curve exists.
void setEnabled(bool enabled);
bool isEnabled();

// What the frame callbacks measure: measureFast, or 1 while switched off.
qint32 focusValue(const uchar *luma, int width, int height);

} // namespace FocusMeasure
