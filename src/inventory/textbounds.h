#pragma once

#include <QByteArray>
#include <QString>

// The text in the local 8-bit code page, cut to at most maxBytes bytes at a
// character boundary: a character whose bytes do not all fit is left out
// whole, so the result never ends in a broken multi-byte sequence.
QByteArray BoundedLocal8Bit(const QString &text, int maxBytes);

// Copies BoundedLocal8Bit(text, size - 1) into a fixed buffer of `size`
// bytes, zero-terminated, the rest zeroed.
void CopyBoundedLocal8Bit(const QString &text, char *buffer, size_t size);
