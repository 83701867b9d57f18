#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <algorithm>
#include <cstring>

// 8-bit texts in fixed-size char fields. Two layouts exist: the program's
// own records (DEVICEINFO) hold C strings, so a field of N bytes keeps at
// most N - 1 bytes of text and always a terminating zero; device records may
// fill a field's whole width with no terminator. In both, the bytes after the
// text are zeros, and a reader stops at the first zero or at the field's end.
namespace FixedText {

enum Ending {
    ZeroTerminated, // a C string: the text ends at its first zero byte, and
                    // one byte of the field is kept for the terminator
    FullWidth, // every byte given, zeros included, up to the field's width
};

// The field's text: up to its first zero byte, at most `width` bytes.
inline QByteArray read(const char *field, qsizetype width)
{
    if (field == nullptr || width <= 0) {
        return {};
    }
    return QByteArray(field, qsizetype(qstrnlen(field, size_t(width))));
}

template<size_t N> QByteArray read(const char (&field)[N])
{
    return read(field, qsizetype(N));
}

// Zero-fills the field's `width` bytes and copies as much of `text` as the
// ending lets fit.
inline void write(char *field, qsizetype width, QByteArrayView text, Ending ending)
{
    if (field == nullptr || width <= 0) {
        return;
    }
    qsizetype length = std::min(text.size(), ending == ZeroTerminated ? width - 1 : width);
    if (ending == ZeroTerminated) {
        length = qsizetype(qstrnlen(text.data(), size_t(length)));
    }
    std::memset(field, 0, size_t(width));
    if (length > 0) {
        std::memcpy(field, text.data(), size_t(length));
    }
}

// DEVICEINFO's C strings. A C string source is read no further than the
// field can take, so it need not be terminated within that; null stores "".
template<size_t N> void write(char (&field)[N], const char *text)
{
    const qsizetype length = text != nullptr ? qsizetype(qstrnlen(text, N - 1)) : 0;
    write(field, qsizetype(N), QByteArrayView(text, length), ZeroTerminated);
}

template<size_t N> void write(char (&field)[N], const QByteArray &text)
{
    write(field, qsizetype(N), QByteArrayView(text), ZeroTerminated);
}

} // namespace FixedText
