#include "recordfields.h"

#include "deviceformat.h"
#include "records.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <algorithm>

namespace {

template<typename Record> Record view(const QByteArray &bytes)
{
    Record record;
    record.setBytes(bytes);
    return record;
}

FieldKind kindOf(FieldType type)
{
    switch (type) {
    case FieldType::U8:
    case FieldType::U16:
    case FieldType::U32:
        break;
    case FieldType::Text:
        return FieldKind::Text;
    case FieldType::Mac:
        return FieldKind::Mac;
    }
    return FieldKind::Number;
}

// The named field of a Record's table row that starts at byte `at` of the
// record; writing keeps every other byte.
template<typename Record> RecordField tableField(const FieldRow &row, int at, const QString &name)
{
    RecordField field;
    field.name = name;
    field.kind = kindOf(row.type);
    field.limit = field.kind == FieldKind::Number ? quint32((quint64(1) << (8 * row.width)) - 1)
                                                  : quint32(row.width);
    field.offset = at;
    field.width = row.width;
    // Table rows are static, so a pointer to one outlives the registry.
    const FieldRow *tableRow = &row;
    field.read = [tableRow, at](const QByteArray &bytes) -> QVariant {
        const Record record = view<Record>(bytes);
        switch (tableRow->type) {
        case FieldType::U8:
        case FieldType::U16:
        case FieldType::U32:
            break;
        case FieldType::Text:
            return record.fieldBytes(*tableRow, at);
        case FieldType::Mac:
            return formatMac(record.fieldBytes(*tableRow, at));
        }
        return qulonglong(record.fieldNumber(*tableRow, at));
    };
    field.write = [tableRow, at](QByteArray &bytes, const QVariant &value) {
        Record record = view<Record>(bytes);
        switch (tableRow->type) {
        case FieldType::U8:
        case FieldType::U16:
        case FieldType::U32:
            record.setFieldNumber(*tableRow, at, quint32(value.toULongLong()));
            break;
        case FieldType::Text:
            record.setFieldBytes(*tableRow, at, value.toByteArray());
            break;
        case FieldType::Mac:
            record.setFieldBytes(*tableRow, at, parseMac(value.toString()));
            break;
        }
        bytes = record.bytes();
    };
    return field;
}

// The rows of a table whose fields start at `base`, names prefixed.
template<typename Record>
void addRows(QList<RecordField> &fields, std::span<const FieldRow> rows, int base = 0,
    const QString &prefix = {})
{
    for (const FieldRow &row : rows) {
        fields += tableField<Record>(row, base + row.offset, prefix + QLatin1String(row.name));
    }
}

// "disk3." for entry 3 of the disks.
QString entryPrefix(const EntryGroup &group, int index)
{
    return QLatin1String(group.name) + QString::number(index) + QLatin1Char('.');
}

// A record of fields and, where it has them, entries (disk0., disk1., ...),
// listed in record order: the tables follow the templet's order.
template<typename Record>
RecordType tableType(const char *name, const char *description, qint32 channel)
{
    RecordType t { QLatin1String(name), QLatin1String(description), Record::getCommand,
        Record::recordSize, channel, {} };
    addRows<Record>(t.fields, Record::fields);
    if constexpr (requires { Record::entryFields; }) {
        for (int i = 0; i < Record::entries.count; ++i) {
            addRows<Record>(t.fields, Record::entryFields, Record::entries.at(i, 0),
                entryPrefix(Record::entries, i));
        }
    }
    std::stable_sort(t.fields.begin(), t.fields.end(),
        [](const RecordField &a, const RecordField &b) { return a.offset < b.offset; });
    return t;
}

RecordType compressionType()
{
    RecordType t { QStringLiteral("compression"), QStringLiteral("main and sub stream encoding"),
        CompressCfg::getCommand, CompressCfg::recordSize, 1, {} };
    for (const NamedEntry &stream : CompressCfg::streams) {
        addRows<CompressCfg>(t.fields, CompressCfg::entryFields,
            CompressCfg::entries.at(stream.index, 0),
            QLatin1String(stream.name) + QLatin1Char('.'));
    }
    return t;
}

QString slotText(const RecordSlot &s)
{
    return QString::asprintf(
        "%02u:%02u-%02u:%02u/%u", s.startHour, s.startMinute, s.stopHour, s.stopMinute, s.type);
}

const QRegularExpression &slotPattern()
{
    static const QRegularExpression pattern(
        QStringLiteral("^(\\d{1,2}):(\\d{1,2})-(\\d{1,2}):(\\d{1,2})/(\\d{1,3})$"));
    return pattern;
}

constexpr int rowsEnd(std::span<const FieldRow> rows)
{
    int end = 0;
    for (const FieldRow &row : rows) {
        end = std::max(end, row.offset + row.width);
    }
    return end;
}

// A schedule slot is one field on the command line, HH:MM-HH:MM/type.
RecordField slotField(int day, int slot, const QString &name)
{
    RecordField field;
    field.name = name;
    field.kind = FieldKind::Slot;
    field.limit = rowsEnd(RecordCfg::slotFields);
    field.offset = RecordCfg::slotOffset(day, slot, 0);
    field.width = rowsEnd(RecordCfg::slotFields);
    field.read = [day, slot](const QByteArray &bytes) {
        return QVariant(slotText(view<RecordCfg>(bytes).slot(day, slot)));
    };
    field.write = [day, slot](QByteArray &bytes, const QVariant &value) {
        RecordCfg record = view<RecordCfg>(bytes);
        const auto match = slotPattern().match(value.toString());
        record.setSlot(day, slot,
            { quint8(match.captured(1).toUInt()), quint8(match.captured(2).toUInt()),
                quint8(match.captured(3).toUInt()), quint8(match.captured(4).toUInt()),
                quint8(match.captured(5).toUInt()) });
        bytes = record.bytes();
    };
    return field;
}

// Grouped by day: a day's entry, then its slots.
RecordType recordType()
{
    RecordType t { QStringLiteral("record"), QStringLiteral("recording schedule"),
        RecordCfg::getCommand, RecordCfg::recordSize, 1, {} };
    addRows<RecordCfg>(t.fields, RecordCfg::fields);
    for (int d = 0; d < RecordCfg::dayCount; ++d) {
        const QString prefix = entryPrefix(RecordCfg::entries, d);
        addRows<RecordCfg>(t.fields, RecordCfg::entryFields, RecordCfg::entries.at(d, 0), prefix);
        for (int s = 0; s < RecordCfg::slotCount; ++s) {
            t.fields += slotField(
                d, s, prefix + QLatin1String(RecordCfg::slotEntries.name) + QString::number(s));
        }
    }
    return t;
}

} // namespace

const QList<RecordType> &recordTypes()
{
    static const QList<RecordType> types = {
        tableType<DeviceCfg>("device", "device identity", 0),
        tableType<NetCfg>("net", "network", 0),
        tableType<FrontCfg>("front", "camera front end", 1),
        tableType<PicCfg>("picture", "channel name and on-screen display", 1),
        compressionType(),
        recordType(),
        tableType<DdnsCfg>("ddns", "dynamic DNS", 1),
        tableType<NtpCfg>("ntp", "time server", 1),
        tableType<NfsCfg>("nfs", "network disks", 1),
        tableType<EmailCfg>("email", "e-mail", 1),
        tableType<DecoderCfg>("decoder", "RS-485 and PTZ decoder", 1),
    };
    return types;
}

const RecordType *findRecordType(const QString &name)
{
    for (const RecordType &type : recordTypes()) {
        if (type.name.compare(name, Qt::CaseInsensitive) == 0) {
            return &type;
        }
    }
    return nullptr;
}

const RecordField *findField(const RecordType &type, const QString &name)
{
    for (const RecordField &field : type.fields) {
        if (field.name.compare(name, Qt::CaseInsensitive) == 0) {
            return &field;
        }
    }
    return nullptr;
}

bool parseFieldValue(const RecordField &field, const QString &text, QVariant &value, QString *error)
{
    auto fail = [error](const QString &message) {
        if (error) {
            *error = message;
        }
        return false;
    };
    switch (field.kind) {
    case FieldKind::Number: {
        bool ok = false;
        // Decimal, or hexadecimal with 0x (bitrates and versions read better
        // so); a leading zero is no octal: 010 is ten.
        const QString typed = text.trimmed();
        const bool hex = typed.startsWith(QLatin1String("0x"), Qt::CaseInsensitive);
        const QStringView digits = QStringView(typed).mid(hex ? 2 : 0);
        const bool plain
            = !digits.isEmpty() && std::all_of(digits.begin(), digits.end(), [hex](QChar c) {
                  return (c >= u'0' && c <= u'9')
                      || (hex && ((c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F')));
              });
        const qulonglong number = plain ? digits.toULongLong(&ok, hex ? 16 : 10) : 0;
        if (!ok || number > field.limit) {
            return fail(
                QCoreApplication::translate("RecordFields", "%1 takes a whole number from 0 to %2")
                    .arg(field.name)
                    .arg(field.limit));
        }
        value = qulonglong(number);
        return true;
    }
    case FieldKind::Text: {
        const QByteArray bytes = text.toLocal8Bit();
        if (bytes.contains('\0')) {
            return fail(QCoreApplication::translate("RecordFields", "%1 cannot hold a zero byte")
                            .arg(field.name));
        }
        if (quint32(bytes.size()) > field.limit) {
            return fail(QCoreApplication::translate(
                "RecordFields", "%1 holds at most %2 bytes, \"%3\" has %4")
                            .arg(field.name)
                            .arg(field.limit)
                            .arg(text)
                            .arg(bytes.size()));
        }
        value = bytes;
        return true;
    }
    case FieldKind::Mac:
        if (parseMac(text).isEmpty()) {
            return fail(QCoreApplication::translate(
                "RecordFields", "%1 takes an address like 02:54:56:00:00:01")
                            .arg(field.name));
        }
        value = text;
        return true;
    case FieldKind::Slot: {
        const auto match = slotPattern().match(text.trimmed());
        const bool ok = match.hasMatch() && match.captured(1).toUInt() <= 24
            && match.captured(2).toUInt() <= 59 && match.captured(3).toUInt() <= 24
            && match.captured(4).toUInt() <= 59 && match.captured(5).toUInt() <= 255;
        if (!ok) {
            return fail(QCoreApplication::translate(
                "RecordFields", "%1 takes start-stop/type like 08:00-12:00/0 (hours 0 to 24)")
                            .arg(field.name));
        }
        value = text.trimmed();
        return true;
    }
    }
    return fail(QString());
}

QString fieldValueText(const RecordField &field, const QVariant &value)
{
    switch (field.kind) {
    case FieldKind::Number:
        return QString::number(value.toULongLong());
    case FieldKind::Text:
        return QString::fromLocal8Bit(value.toByteArray());
    case FieldKind::Mac:
    case FieldKind::Slot:
        return value.toString();
    }
    return {};
}
