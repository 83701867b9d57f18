#pragma once

#include <QByteArray>
#include <QtEndian>

#include <algorithm>
#include <cstring>

// A fixed-size device record held as the bytes the device sent. Views derived
// from it read and write their fields in place, so every byte no accessor
// touches travels back to the device exactly as it came.
class RecordBuffer
{
public:
    // The whole record, for the SDK calls. Its size must stay the record's size.
    QByteArray &bytes() { return m_bytes; }
    const QByteArray &bytes() const { return m_bytes; }
    int size() const { return int(m_bytes.size()); }

    // Takes a record read elsewhere (a copy, a templet); false, and nothing
    // changed, when its size is not this record's.
    bool setBytes(const QByteArray &bytes)
    {
        if (bytes.size() != m_bytes.size()) {
            return false;
        }
        m_bytes = bytes;
        return true;
    }

    // Back to all zeros, as a record is before a read.
    void clear() { m_bytes.fill('\0'); }

protected:
    explicit RecordBuffer(int size) : m_bytes(size, '\0') { }

    // Every accessor checks its field against the buffer, so a record whose
    // bytes() were replaced by something shorter reads zeros and ignores
    // writes instead of touching memory outside it. A negative offset stands
    // for an entry index out of range.
    bool fits(int offset, int width) const
    {
        return offset >= 0 && width >= 0 && offset + width <= int(m_bytes.size());
    }

    quint8 u8(int offset) const { return fits(offset, 1) ? quint8(m_bytes.at(offset)) : 0; }
    quint16 u16(int offset) const
    {
        return fits(offset, 2) ? qFromLittleEndian<quint16>(constData(offset)) : 0;
    }
    quint32 u32(int offset) const
    {
        return fits(offset, 4) ? qFromLittleEndian<quint32>(constData(offset)) : 0;
    }

    void setU8(int offset, quint8 value)
    {
        if (fits(offset, 1)) {
            m_bytes[offset] = char(value);
        }
    }
    void setU16(int offset, quint16 value)
    {
        if (fits(offset, 2)) {
            qToLittleEndian<quint16>(value, data(offset));
        }
    }
    void setU32(int offset, quint32 value)
    {
        if (fits(offset, 4)) {
            qToLittleEndian<quint32>(value, data(offset));
        }
    }

    // Offset of a field of entry index of a repeated group; -1, which every
    // accessor refuses, when index is out of range.
    static int entryField(int base, int stride, int count, int index, int field)
    {
        return index >= 0 && index < count ? base + stride * index + field : -1;
    }

    // The field's text up to its first zero byte, at most width bytes: a text
    // may fill its field without a terminating zero.
    QByteArray text(int offset, int width) const
    {
        if (!fits(offset, width)) {
            return {};
        }
        const char *start = m_bytes.constData() + offset;
        return QByteArray(start, int(qstrnlen(start, uint(width))));
    }

    // At most width bytes of value, the rest of the field zero-filled.
    void setText(int offset, int width, const QByteArray &value)
    {
        if (!fits(offset, width)) {
            return;
        }
        const int length = std::min(int(value.size()), width);
        char *start = m_bytes.data() + offset;
        std::memset(start, 0, size_t(width));
        std::memcpy(start, value.constData(), size_t(length));
    }

    QByteArray raw(int offset, int width) const
    {
        return fits(offset, width) ? m_bytes.mid(offset, width) : QByteArray();
    }

    // Exactly width bytes: a shorter value is zero-padded, a longer one cut.
    void setRaw(int offset, int width, const QByteArray &value) { setText(offset, width, value); }

private:
    const uchar *constData(int offset) const
    {
        return reinterpret_cast<const uchar *>(m_bytes.constData()) + offset;
    }
    uchar *data(int offset) { return reinterpret_cast<uchar *>(m_bytes.data()) + offset; }

    QByteArray m_bytes;
};
