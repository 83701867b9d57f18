#include "textbounds.h"

#include "fixedtext.h"

QByteArray BoundedLocal8Bit(const QString &text, int maxBytes)
{
    if (maxBytes <= 0) {
        return QByteArray();
    }
    QByteArray whole = text.toLocal8Bit();
    if (whole.size() <= maxBytes) {
        return whole;
    }
    // Add whole characters (a surrogate pair counts as one) while they fit.
    QByteArray result;
    qsizetype i = 0;
    while (i < text.size()) {
        qsizetype length = 1;
        if (text.at(i).isHighSurrogate() && i + 1 < text.size()
            && text.at(i + 1).isLowSurrogate()) {
            length = 2;
        }
        const QByteArray bytes = text.mid(i, length).toLocal8Bit();
        if (result.size() + bytes.size() > maxBytes) {
            break;
        }
        result += bytes;
        i += length;
    }
    return result;
}

void CopyBoundedLocal8Bit(const QString &text, char *buffer, size_t size)
{
    if (size == 0) {
        return;
    }
    FixedText::write(buffer, qsizetype(size), BoundedLocal8Bit(text, int(size - 1)),
        FixedText::ZeroTerminated);
}
