#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>

#include <functional>

// Every named field of every record, by name, made from the records' field
// tables (records.h): what a command-line front end or a test walks to show
// or change one field without knowing the layout.

enum class FieldKind {
    Number, // unsigned integer up to `limit`
    Text, // 8-bit text of at most `limit` bytes
    Mac, // six bytes shown as xx:xx:xx:xx:xx:xx
    Slot, // a recording slot shown as HH:MM-HH:MM/type
};

struct RecordField
{
    QString name;
    FieldKind kind = FieldKind::Number;
    quint32 limit = 0;
    int offset = 0; // where the field starts in the record
    int width = 0; // bytes the field takes in the record
    // Number: qulonglong; Text: QByteArray; Mac and Slot: QString.
    std::function<QVariant(const QByteArray &record)> read;
    // Takes a value that parseFieldValue() accepted.
    std::function<void(QByteArray &record, const QVariant &value)> write;
};

struct RecordType
{
    QString name; // "device", "net", "front", ...
    QString description; // English, for help texts
    quint32 getCommand = 0;
    int size = 0;
    qint32 channel = 0; // the channel the configuration pages pass
    QList<RecordField> fields;
};

const QList<RecordType> &recordTypes();
const RecordType *findRecordType(const QString &name);
const RecordField *findField(const RecordType &type, const QString &name);

// Converts a typed value for the field; false with an English message when it
// does not fit the field (too large, too long, malformed).
bool parseFieldValue(
    const RecordField &field, const QString &text, QVariant &value, QString *error);
// The value as the user sees it (texts from the local 8-bit code page).
QString fieldValueText(const RecordField &field, const QVariant &value);
