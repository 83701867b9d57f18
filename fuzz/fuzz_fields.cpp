// The command line's field values: a typed value for any field of any
// record, stored into the record and read back, and the MAC text reader.
#include "deviceformat.h"
#include "recordfields.h"

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2) {
        return 0;
    }
    const QList<RecordType> &types = recordTypes();
    const RecordType &type = types.at(data[0] % types.size());
    if (type.fields.isEmpty()) {
        return 0;
    }
    const RecordField &field = type.fields.at(data[1] % type.fields.size());
    const QString text
        = QString::fromUtf8(reinterpret_cast<const char *>(data + 2), qsizetype(size - 2));

    QVariant value;
    QString error;
    if (parseFieldValue(field, text, value, &error)) {
        QByteArray record(type.size, '\0');
        field.write(record, value);
        if (record.size() != type.size) {
            std::abort();
        }
        const QVariant stored = field.read(record);
        const QString shown = fieldValueText(field, stored);
        if (field.kind == FieldKind::Number || field.kind == FieldKind::Mac) {
            // What the field shows is what it holds.
            QVariant again;
            if (!parseFieldValue(field, shown, again, &error) || again != stored) {
                std::abort();
            }
        }
    }

    const QByteArray mac = parseMac(text);
    if (!mac.isEmpty()) {
        if (mac.size() != 6 || parseMac(formatMac(mac)) != mac) {
            std::abort();
        }
    }
    return 0;
}
