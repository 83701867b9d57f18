// Record views: each named field writes only its own bytes; out-of-range writes touch nothing.

#include "recordfields.h"
#include "records.h"

#include <QSet>
#include <QTest>

#include <span>

Q_DECLARE_METATYPE(const FieldRow *)

namespace {

// Recognisable filler standing for the device's own bytes.
QByteArray patterned(int size, quint8 mask = 0)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i) {
        bytes[i] = char((0x5A ^ (i * 7) ^ mask) & 0xFF);
    }
    return bytes;
}

// Runs an out-of-range write over a filled record; true when no byte moved.
template<typename View, typename Write> bool leavesRecordAlone(Write write)
{
    View view;
    view.bytes() = patterned(View::recordSize);
    const QByteArray before = view.bytes();
    write(view);
    return view.bytes() == before;
}

QString sampleValue(const RecordField &field)
{
    switch (field.kind) {
    case FieldKind::Number:
        return QString::number(field.limit);
    case FieldKind::Text:
        return QString(int(field.limit), QLatin1Char('x'));
    case FieldKind::Mac:
        return QStringLiteral("02:54:56:ab:cd:ef");
    case FieldKind::Slot:
        return QStringLiteral("08:15-24:00/6");
    }
    return {};
}

} // namespace

class RecordsTest : public QObject
{
    Q_OBJECT

private slots:
    void everyFieldWritesOnlyItsBytes_data()
    {
        QTest::addColumn<QString>("record");
        QTest::addColumn<QString>("field");
        for (const RecordType &type : recordTypes()) {
            for (const RecordField &field : type.fields) {
                QTest::addRow("%s.%s", qPrintable(type.name), qPrintable(field.name))
                    << type.name << field.name;
            }
        }
    }

    void everyFieldWritesOnlyItsBytes()
    {
        QFETCH(QString, record);
        QFETCH(QString, field);
        const RecordType *type = findRecordType(record);
        const RecordField *named = type ? findField(*type, field) : nullptr;
        QVERIFY(named);
        QCOMPARE(SOLV_RecordSize(type->getCommand), quint32(type->size));

        const QString value = sampleValue(*named);
        QVariant parsed;
        QString error;
        QVERIFY2(::parseFieldValue(*named, value, parsed, &error), qPrintable(error));

        // Over two fillers the changed bytes lie within the field width; the value reads back.
        int first = type->size;
        for (quint8 mask : { quint8(0), quint8(0xFF) }) {
            const QByteArray before = patterned(type->size, mask);
            QByteArray bytes = before;
            named->write(bytes, parsed);
            int low = type->size;
            int high = -1;
            for (int i = 0; i < bytes.size(); ++i) {
                if (bytes.at(i) != before.at(i)) {
                    low = std::min(low, i);
                    high = i;
                }
            }
            QVERIFY2(
                low >= named->offset && high < named->offset + named->width, qPrintable(field));
            first = std::min(first, low);
            QCOMPARE(fieldValueText(*named, named->read(bytes)), value);
        }
        QVERIFY2(first < type->size, "the field wrote nothing");
        if (record == QLatin1String("ddns") && field == QLatin1String("entry2.userName")) {
            QCOMPARE(first, 380); // where a type 2 server's user name lies
        }

        if (named->kind == FieldKind::Text) {
            // A short text is zero-padded over the whole width.
            QByteArray bytes = patterned(type->size);
            named->write(bytes, QByteArray("ab"));
            QCOMPARE(bytes.mid(first, named->width),
                QByteArray("ab") + QByteArray(named->width - 2, '\0'));
        }
    }

    void customBitrateOfTwoKbps()
    {
        QCOMPARE(CompressCfg::customBitrate(2), 0x80000800u);
        QCOMPARE(CompressCfg::customBitrateKbps(0x80000800u), 2u);
        QVERIFY(CompressCfg::isCustomBitrate(0x80000800u));
    }

    void outOfRangeWritesTouchNothing()
    {
        // Too long a text is cut to its field, with no terminator.
        DeviceCfg device;
        device.bytes() = patterned(DeviceCfg::recordSize);
        const QByteArray deviceBefore = device.bytes();
        device.setName(QByteArray(40, 'N'));
        QCOMPARE(device.name(), QByteArray(32, 'N'));
        QCOMPARE(device.bytes().mid(36), deviceBefore.mid(36));

        QVERIFY(leavesRecordAlone<NfsCfg>([](NfsCfg &r) {
            r.setHost(8, "10.0.0.1");
            r.setHost(-1, "10.0.0.1");
        }));
        QVERIFY(leavesRecordAlone<RecordCfg>([](RecordCfg &r) {
            r.setSlot(7, 0, { 1, 2, 3, 4, 5 });
            r.setSlot(0, 8, { 1, 2, 3, 4, 5 });
            r.setAllDay(7, 1);
        }));
        QVERIFY(leavesRecordAlone<CompressCfg>([](CompressCfg &r) {
            r.setBitrate(4, 1);
            r.setBlock(-1, QByteArray(28, 'x'));
        }));

        // A buffer shortened behind the view's back is never overrun.
        NetCfg net;
        net.bytes().resize(20);
        net.setGateway("10.0.0.1");
        QCOMPARE(net.bytes().size(), 20);
        QCOMPARE(net.gateway(), QByteArray());

        // A device's protocol count is capped at what the list holds.
        PtzProtocolList list;
        list.setCount(5000);
        QCOMPARE(list.count(), 200);
    }

    void parseFieldValueChecksInput_data()
    {
        QTest::addColumn<QString>("record");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");

        auto row = [](const char *name, const char *record, const char *field, const QString &text,
                       bool accepted) {
            QTest::newRow(name) << QString(record) << QString(field) << text << accepted;
        };
        row("u8 over its limit", "front", "brightness", "256", false);
        row("not a number", "front", "brightness", "bright", false);
        row("hexadecimal", "compression", "main.bitrate", "0x80000800", true);
        row("multibyte text too long", "device", "name", QString(11, QChar(0x6444)), false);
        row("mac with dashes", "net", "mac", "02-54-56-00-00-0A", true);
        row("mac bad digit", "net", "mac", "02:54:56:00:00:0g", false);
        row("slot minute 60", "record", "day1.slot3", "08:60-09:00/0", false);
        row("slot without type", "record", "day1.slot3", "08:00-09:00", false);
    }

    void parseFieldValueChecksInput()
    {
        QFETCH(QString, record);
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(bool, accepted);

        const RecordType *type = findRecordType(record);
        const RecordField *named = type ? findField(*type, field) : nullptr;
        QVERIFY(named);
        QVariant value;
        QString error;
        QCOMPARE(::parseFieldValue(*named, text, value, &error), accepted);
        QCOMPARE(error.isEmpty(), accepted);
    }

    void templetSectionsNameEveryField_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<const FieldRow *>("rows");
        QTest::addColumn<int>("count");

        auto table = [](const char *section, const char *name, std::span<const FieldRow> rows) {
            QTest::addRow("%s %s", section, name)
                << QString::fromLatin1(section) << rows.data() << int(rows.size());
        };
        table(FrontCfg::templetSection, "fields", FrontCfg::fields);
        table(CompressCfg::templetSection, "stream", CompressCfg::entryFields);
        table(PicCfg::templetSection, "fields", PicCfg::fields);
        table(RecordCfg::templetSection, "fields", RecordCfg::fields);
        table(RecordCfg::templetSection, "day", RecordCfg::entryFields);
        table(RecordCfg::templetSection, "slot", RecordCfg::slotFields);
        table(DdnsCfg::templetSection, "fields", DdnsCfg::fields);
        table(DdnsCfg::templetSection, "server", DdnsCfg::entryFields);
        table(NfsCfg::templetSection, "disk", NfsCfg::entryFields);
        table(NtpCfg::templetSection, "fields", NtpCfg::fields);
        table(EmailCfg::templetSection, "fields", EmailCfg::fields);
        table(EmailCfg::templetSection, "receiver", EmailCfg::entryFields);
        table(DecoderCfg::templetSection, "fields", DecoderCfg::fields);
    }

    void templetSectionsNameEveryField()
    {
        QFETCH(QString, section);
        QFETCH(const FieldRow *, rows);
        QFETCH(int, count);

        // The templet holds every field of these records, each under an element
        // of its own: two rows on one element would overwrite each other.
        QSet<QString> elements;
        for (const FieldRow &row : std::span<const FieldRow>(rows, size_t(count))) {
            QVERIFY2(row.templetElement != nullptr, row.name);
            const QString element = QString::fromLatin1(row.templetElement);
            QVERIFY2(!element.isEmpty() && !element.startsWith(QLatin1Char('/'))
                    && !element.endsWith(QLatin1Char('/')),
                row.name);
            QVERIFY2(!elements.contains(element), qPrintable(section + QLatin1Char(' ') + element));
            elements.insert(element);
        }
    }
};

QTEST_APPLESS_MAIN(RecordsTest)
#include "tst_records.moc"
