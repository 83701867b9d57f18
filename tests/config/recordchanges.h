// Records compared field by field, in the names tervix-cli get and set use
// ("picture.channelName"), so that a test states what a save changed and
// every other byte is checked with it.
#pragma once

#include "recordfields.h"

#include <QMap>
#include <QStringList>

#include <algorithm>

namespace configtest {

// Whole records by their command-line names ("picture", "ddns", ...).
using Snapshot = QMap<QString, QByteArray>;

// `records` with changes "type.field=value" made, as tervix-cli set takes them.
inline Snapshot changed(Snapshot records, const QStringList &changes)
{
    for (const QString &change : changes) {
        const qsizetype dot = change.indexOf(QLatin1Char('.'));
        const qsizetype equals = change.indexOf(QLatin1Char('='));
        const RecordType *type = findRecordType(change.left(dot));
        const RecordField *field
            = type ? findField(*type, change.mid(dot + 1, equals - dot - 1)) : nullptr;
        QVariant value;
        if (field == nullptr || !parseFieldValue(*field, change.mid(equals + 1), value, nullptr)) {
            qFatal("cannot make the change %s", qPrintable(change));
        }
        field->write(records[type->name], value);
    }
    return records;
}

// What `to` changed of `from`, as changed() takes it, in record order; a
// byte that no named field holds shows as "type+offset".
inline QStringList changes(const Snapshot &from, const Snapshot &to)
{
    QStringList result;
    for (auto it = from.begin(); it != from.end(); ++it) {
        const RecordType *type = findRecordType(it.key());
        const QByteArray &before = it.value();
        const QByteArray after = to.value(it.key());
        if (after.size() != before.size()) {
            result << type->name + QStringLiteral(" of %1 bytes").arg(after.size());
            continue;
        }
        QList<bool> named(before.size(), false);
        for (const RecordField &field : type->fields) {
            std::fill_n(named.begin() + field.offset, field.width, true);
            if (before.mid(field.offset, field.width) != after.mid(field.offset, field.width)) {
                result << type->name + QLatin1Char('.') + field.name + QLatin1Char('=')
                        + fieldValueText(field, field.read(after));
            }
        }
        for (int i = 0; i < before.size(); ++i) {
            if (!named.at(i) && before.at(i) != after.at(i)) {
                result << type->name + QLatin1Char('+') + QString::number(i);
            }
        }
    }
    return result;
}

} // namespace configtest
