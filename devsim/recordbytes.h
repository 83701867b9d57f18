#pragma once

#include <QByteArray>
#include <QString>
#include <QtEndian>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace devsim {

// Fixed-width fields of a whole record, little-endian; offsets and widths
// come from solvane_records.h. Readers of a field beyond the end of a short
// record give an empty value.

inline const uint8_t *bytes(const QByteArray &data)
{
    return reinterpret_cast<const uint8_t *>(data.constData());
}

// Text ends at its first zero byte or at the field's width.
inline QString fieldText(const QByteArray &record, int offset, int width)
{
    if (record.size() < offset + width) {
        return {};
    }
    const char *start = record.constData() + offset;
    const int length = int(std::find(start, start + width, '\0') - start);
    return QString::fromLocal8Bit(start, length);
}

inline quint8 fieldU8(const QByteArray &record, int offset)
{
    return record.size() > offset ? quint8(record.at(offset)) : 0;
}

inline quint16 fieldU16(const QByteArray &record, int offset)
{
    if (record.size() < offset + int(sizeof(quint16))) {
        return 0;
    }
    return qFromLittleEndian<quint16>(bytes(record) + offset);
}

inline quint32 fieldU32(const QByteArray &record, int offset)
{
    if (record.size() < offset + int(sizeof(quint32))) {
        return 0;
    }
    return qFromLittleEndian<quint32>(bytes(record) + offset);
}

// Writes into a record of the right size; the caller keeps offsets in range.
class RecordWriter
{
public:
    explicit RecordWriter(QByteArray &bytes) : m_bytes(bytes) { }

    void u8(int offset, quint8 value) { m_bytes[offset] = char(value); }
    void u16(int offset, quint16 value) { qToLittleEndian<quint16>(value, data(offset)); }
    void u32(int offset, quint32 value) { qToLittleEndian<quint32>(value, data(offset)); }

    // Zero-padded; a text of the field's full width keeps no terminating zero.
    void text(int offset, int width, const QByteArray &value)
    {
        const int length = std::min<int>(int(value.size()), width);
        std::memset(data(offset), 0, size_t(width));
        std::memcpy(data(offset), value.constData(), size_t(length));
    }

    void raw(int offset, const quint8 *values, int length)
    {
        std::memcpy(data(offset), values, size_t(length));
    }

private:
    uchar *data(int offset) { return reinterpret_cast<uchar *>(m_bytes.data()) + offset; }

    QByteArray &m_bytes;
};

} // namespace devsim
