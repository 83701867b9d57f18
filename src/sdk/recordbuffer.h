#pragma once

#include "fixedtext.h"

#include <QByteArray>
#include <QtEndian>

#include <span>

// How a record field is stored.
enum class FieldType : quint8 {
    U8, // unsigned, little-endian
    U16,
    U32,
    Text, // 8-bit, zero-padded; may fill its width with no terminating zero
    Mac, // six address bytes as stored
};

// One row of a record's field table: each field the program uses is
// declared once, and the record's accessors, its named fields on the command
// line and its templet elements all come from that row.
struct FieldRow
{
    const char *name; // on the command line, within its entry
    FieldType type;
    int offset; // from the start of the record, or of the field's entry
    int width; // in bytes
    // Element in the parameter templet, "Group/Element" inside a group;
    // nullptr when the templet does not hold the field.
    const char *templetElement;
};

// Entries repeated at a fixed stride.
struct EntryGroup
{
    int offset; // of entry 0
    int stride;
    int count;
    const char *name; // command-line prefix: "disk" names disk0., disk1., ...
    const char *templetElement; // templet group of one entry, or nullptr
    const char *templetNumber; // its child naming the entry, or nullptr

    // Where `field` of entry `index` starts; -1, which every accessor
    // refuses, for an index out of range.
    constexpr int at(int index, int field) const
    {
        return index >= 0 && index < count ? offset + stride * index + field : -1;
    }
    constexpr int end() const { return offset + stride * count; }
};

// A chosen entry of a group under a name of its own (main and sub stream).
struct NamedEntry
{
    int index;
    const char *name;
    const char *templetElement;
};

constexpr int numberWidth(FieldType type)
{
    switch (type) {
    case FieldType::U8:
        return 1;
    case FieldType::U16:
        return 2;
    case FieldType::U32:
        return 4;
    case FieldType::Text:
    case FieldType::Mac:
        break;
    }
    return 0;
}

// Compile-time checks of a table: every row lies inside `size` bytes (the
// record's, or an entry's stride), a number is as wide as its type, and no
// two rows share a byte.
constexpr bool rowsFit(std::span<const FieldRow> rows, int size)
{
    for (const FieldRow &row : rows) {
        const int typeWidth = numberWidth(row.type);
        if (row.offset < 0 || row.width <= 0 || row.offset + row.width > size
            || (typeWidth != 0 && typeWidth != row.width)) {
            return false;
        }
    }
    return true;
}

constexpr bool rowsApart(std::span<const FieldRow> rows)
{
    for (size_t i = 0; i < rows.size(); ++i) {
        for (size_t j = i + 1; j < rows.size(); ++j) {
            if (rows[i].offset < rows[j].offset + rows[j].width
                && rows[j].offset < rows[i].offset + rows[i].width) {
                return false;
            }
        }
    }
    return true;
}

// A group's entries lie inside the record and clear of the record's own rows.
constexpr bool groupFits(const EntryGroup &group, std::span<const FieldRow> rows, int size)
{
    if (group.offset < 0 || group.stride <= 0 || group.count <= 0 || group.end() > size) {
        return false;
    }
    for (const FieldRow &row : rows) {
        if (row.offset < group.end() && group.offset < row.offset + row.width) {
            return false;
        }
    }
    return true;
}

template<FieldType T> struct FieldValue
{
    using Type = QByteArray;
    using Arg = const QByteArray &;
};
template<> struct FieldValue<FieldType::U8>
{
    using Type = quint8;
    using Arg = quint8;
};
template<> struct FieldValue<FieldType::U16>
{
    using Type = quint16;
    using Arg = quint16;
};
template<> struct FieldValue<FieldType::U32>
{
    using Type = quint32;
    using Arg = quint32;
};

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

    // A field by its table row, for code that walks the tables (the command
    // line's named fields, the templet). `at` is where the field starts: the
    // row's offset, or EntryGroup::at() for a field of an entry. Numbers are
    // U8, U16 and U32 rows; texts are Text rows up to their first zero, and
    // the raw bytes of Mac rows.
    quint32 fieldNumber(const FieldRow &row, int at) const
    {
        switch (row.type) {
        case FieldType::U8:
            return u8(at);
        case FieldType::U16:
            return u16(at);
        case FieldType::U32:
            return u32(at);
        case FieldType::Text:
        case FieldType::Mac:
            break;
        }
        return 0;
    }
    void setFieldNumber(const FieldRow &row, int at, quint32 value)
    {
        switch (row.type) {
        case FieldType::U8:
            setU8(at, quint8(value));
            break;
        case FieldType::U16:
            setU16(at, quint16(value));
            break;
        case FieldType::U32:
            setU32(at, value);
            break;
        case FieldType::Text:
        case FieldType::Mac:
            break;
        }
    }
    QByteArray fieldBytes(const FieldRow &row, int at) const
    {
        if (row.type == FieldType::Mac) {
            return raw(at, row.width);
        }
        return row.type == FieldType::Text ? text(at, row.width) : QByteArray();
    }
    void setFieldBytes(const FieldRow &row, int at, const QByteArray &value)
    {
        if (row.type == FieldType::Text || row.type == FieldType::Mac) {
            setText(at, row.width, value);
        }
    }

protected:
    explicit RecordBuffer(int size) : m_bytes(size, '\0') { }

    // What the generated accessors call.
    template<FieldType T>
    typename FieldValue<T>::Type get(int offset, [[maybe_unused]] int width) const
    {
        if constexpr (T == FieldType::U8) {
            return u8(offset);
        } else if constexpr (T == FieldType::U16) {
            return u16(offset);
        } else if constexpr (T == FieldType::U32) {
            return u32(offset);
        } else if constexpr (T == FieldType::Text) {
            return text(offset, width);
        } else {
            return raw(offset, width);
        }
    }
    template<FieldType T>
    void set(int offset, [[maybe_unused]] int width, typename FieldValue<T>::Arg value)
    {
        if constexpr (T == FieldType::U8) {
            setU8(offset, value);
        } else if constexpr (T == FieldType::U16) {
            setU16(offset, value);
        } else if constexpr (T == FieldType::U32) {
            setU32(offset, value);
        } else {
            setText(offset, width, value);
        }
    }

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

    // The field's text up to its first zero byte, at most width bytes: a text
    // may fill its field without a terminating zero.
    QByteArray text(int offset, int width) const
    {
        if (!fits(offset, width)) {
            return {};
        }
        return FixedText::read(m_bytes.constData() + offset, width);
    }

    // At most width bytes of value, the rest of the field zero-filled.
    void setText(int offset, int width, const QByteArray &value)
    {
        if (fits(offset, width)) {
            FixedText::write(m_bytes.data() + offset, width, value, FixedText::FullWidth);
        }
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
