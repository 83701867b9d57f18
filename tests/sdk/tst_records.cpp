// Record views: every named field writes exactly its own bytes at the place
// the device expects them, and nothing else in the record moves.

#include "recordfields.h"
#include "records.h"

#include <QTest>

namespace {

// Recognisable filler standing for the device's own bytes.
QByteArray patterned(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i) {
        bytes[i] = char(0x5A ^ (i * 7));
    }
    return bytes;
}

QByteArray le(quint64 value, int width)
{
    QByteArray bytes;
    for (int i = 0; i < width; ++i) {
        bytes.append(char((value >> (8 * i)) & 0xFF));
    }
    return bytes;
}

QByteArray padded(const QByteArray &text, int width)
{
    return text.left(width) + QByteArray(std::max(0, width - int(text.size())), '\0');
}

} // namespace

class RecordsTest : public QObject
{
    Q_OBJECT

private slots:
    void fieldWritesOnlyItsBytes_data();
    void fieldWritesOnlyItsBytes();
    void recordSizesMatchCommands_data();
    void recordSizesMatchCommands();
    void customBitrateOfTwoKbps();
    void outOfRangeWritesTouchNothing();
    void parseFieldValueChecksInput_data();
    void parseFieldValueChecksInput();
};

void RecordsTest::fieldWritesOnlyItsBytes_data()
{
    QTest::addColumn<QString>("record");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("expected");

    auto row = [](const char *record, const char *field, const QString &value, int offset,
                   const QByteArray &expected) {
        QTest::addRow("%s.%s", record, field)
            << QString::fromLatin1(record) << QString::fromLatin1(field) << value << offset
            << expected;
    };
    struct Number
    {
        const char *field;
        quint64 value;
        int offset;
        int width;
    };
    struct Text
    {
        const char *field;
        QByteArray value;
        int offset;
        int width;
    };
    // Field, value, offset, width; numbers are little-endian, texts zero-padded.
    auto fields = [&](const char *record, std::initializer_list<Number> numbers,
                      std::initializer_list<Text> texts = {}) {
        for (const Number &n : numbers) {
            row(record, n.field, QString::number(n.value), n.offset, le(n.value, n.width));
        }
        for (const Text &t : texts) {
            row(record, t.field, QString::fromLatin1(t.value), t.offset, padded(t.value, t.width));
        }
    };

    fields("device",
        { { "deviceNumber", 0x01020304, 36, 4 }, { "softwareVersion", 0x03010002, 92, 4 },
            { "softwareBuildDate", 0x000B0915, 96, 4 }, { "dspVersion", 0x00040002, 100, 4 },
            { "dspBuildDate", 0x000C0101, 104, 4 }, { "diskCount", 1, 122, 1 },
            { "deviceType", 31, 123, 1 }, { "channelCount", 4, 124, 1 } },
        { { "name", "Gate-7", 4, 32 }, { "serialNumber", "TVX-IPC2030-000100000007", 44, 48 } });
    fields("net", { { "port", 8001, 296, 2 } },
        { { "ipAddress", "192.168.1.64", 4, 16 }, { "subnetMask", "255.255.0.0", 148, 16 },
            { "gateway", "192.168.1.254", 1552, 16 } });
    row("net", "mac", QStringLiteral("02:54:56:ab:cd:ef"), 300,
        QByteArray::fromHex("025456abcdef"));
    fields("front",
        { { "brightness", 77, 4, 1 }, { "contrast", 66, 5, 1 }, { "sharpness", 55, 6, 1 },
            { "saturation", 44, 7, 1 }, { "gain", 33, 12, 1 }, { "exposureMode", 1, 28, 1 },
            { "exposureTime", 4999900, 32, 4 }, { "dayNightFilterType", 2, 72, 1 },
            { "dayToNightSensitivity", 6, 76, 1 }, { "nightToDaySensitivity", 5, 77, 1 },
            { "dayNightFilterTime", 120, 78, 1 }, { "irisMode", 1, 117, 1 },
            { "localOutput", 28, 123, 1 } });
    fields("picture",
        { { "showChannelName", 1, 104, 4 }, { "showOsd", 1, 7676, 4 }, { "osdType", 5, 7684, 1 },
            { "showWeek", 1, 7685, 1 }, { "hourOsdType", 1, 7687, 1 } },
        { { "channelName", "Front door", 4, 32 } });
    fields("compression",
        { { "main.streamType", 1, 4, 1 }, { "main.resolution", 27, 5, 1 },
            { "main.bitrateType", 1, 6, 1 }, { "main.bitrate", 0x80000800, 8, 4 },
            { "main.frameRate", 16, 12, 4 }, { "main.iFrameInterval", 50, 16, 2 },
            { "main.encodeType", 7, 20, 1 }, { "sub.bitrate", 15, 92, 4 },
            { "sub.iFrameInterval", 25, 100, 2 } });
    fields("record",
        { { "enabled", 1, 4, 4 }, { "day0.allDay", 1, 8, 2 }, { "day0.allDayType", 3, 10, 1 },
            { "day6.allDay", 1, 32, 2 }, { "day6.allDayType", 6, 34, 1 } });
    row("record", "day0.slot0", QStringLiteral("08:15-12:30/1"), 36,
        QByteArray::fromHex("080f0c1e01"));
    row("record", "day3.slot5", QStringLiteral("13:00-18:45/4"), 36 + 64 * 3 + 8 * 5,
        QByteArray::fromHex("0d00122d04"));
    row("record", "day6.slot7", QStringLiteral("23:00-24:00/6"), 36 + 64 * 6 + 8 * 7,
        QByteArray::fromHex("1700180006"));
    fields("ddns",
        { { "enabled", 1, 0, 1 }, { "serverType", 2, 1, 1 }, { "entry2.serverPort", 6060, 556, 2 },
            { "entry9.serverPort", 8245, 4 + 188 * 9 + 176, 2 } },
        { { "entry0.userName", "maker-user", 4, 32 }, { "entry2.userName", "peanut", 380, 32 },
            { "entry2.password", "secret", 412, 16 },
            { "entry2.domain", "cam7.example.net", 428, 64 },
            { "entry2.serverAddress", "ph.example.net", 492, 64 } });
    fields("ntp", { { "enabled", 1, 66, 1 }, { "port", 123, 70, 2 } },
        { { "server", "pool.ntp.org", 0, 64 } });
    fields("nfs", {},
        { { "disk0.host", "10.0.0.9", 4, 16 }, { "disk0.directory", "/export/a", 20, 128 },
            { "disk7.host", "10.0.0.10", 4 + 144 * 7, 16 } });
    fields("email",
        { { "attachPicture", 1, 484, 1 }, { "smtpAuthentication", 1, 485, 1 },
            { "mailInterval", 3, 486, 1 }, { "ssl", 1, 487, 1 }, { "smtpPort", 465, 488, 2 } },
        { { "account", "cam7", 4, 32 }, { "password", "pw", 36, 32 },
            { "senderName", "Camera 7", 68, 32 }, { "senderAddress", "cam7@example.net", 100, 48 },
            { "smtpServer", "smtp.example.net", 148, 48 },
            { "pop3Server", "pop3.example.net", 196, 48 }, { "receiver0.name", "Desk", 244, 32 },
            { "receiver0.address", "desk@example.net", 276, 48 },
            { "receiver2.address", "night@example.net", 276 + 160, 48 } });
    fields("decoder",
        { { "baudRate", 14, 4, 4 }, { "dataBits", 3, 8, 1 }, { "stopBits", 1, 9, 1 },
            { "parity", 2, 10, 1 }, { "flowControl", 2, 11, 1 }, { "decoderType", 7, 12, 2 },
            { "decoderAddress", 255, 14, 2 } });
}

void RecordsTest::fieldWritesOnlyItsBytes()
{
    QFETCH(QString, record);
    QFETCH(QString, field);
    QFETCH(QString, value);
    QFETCH(int, offset);
    QFETCH(QByteArray, expected);

    const RecordType *type = findRecordType(record);
    QVERIFY(type);
    const RecordField *named = findField(*type, field);
    QVERIFY2(named, qPrintable(field));

    QVariant parsed;
    QString error;
    QVERIFY2(::parseFieldValue(*named, value, parsed, &error), qPrintable(error));

    const QByteArray before = patterned(type->size);
    QByteArray bytes = before;
    named->write(bytes, parsed);

    QCOMPARE(bytes.size(), before.size());
    QCOMPARE(named->width, int(expected.size()));
    QCOMPARE(bytes.mid(offset, expected.size()), expected);
    // Every byte outside the field is the device's and must not move.
    QCOMPARE(bytes.left(offset), before.left(offset));
    QCOMPARE(bytes.mid(offset + expected.size()), before.mid(offset + expected.size()));
    QCOMPARE(fieldValueText(*named, named->read(bytes)), value);
}

void RecordsTest::recordSizesMatchCommands_data()
{
    QTest::addColumn<QString>("record");
    QTest::addColumn<quint32>("getCommand");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("channel");

    QTest::newRow("device") << "device" << 100u << 132 << 0;
    QTest::newRow("net") << "net" << 1000u << 1956 << 0;
    QTest::newRow("picture") << "picture" << 1002u << 7752 << 1;
    QTest::newRow("record") << "record" << 1004u << 508 << 1;
    QTest::newRow("ddns") << "ddns" << 1010u << 1900 << 1;
    QTest::newRow("email") << "email" << 1012u << 564 << 1;
    QTest::newRow("compression") << "compression" << 1040u << 116 << 1;
    QTest::newRow("decoder") << "decoder" << 1042u << 784 << 1;
    QTest::newRow("front") << "front" << 1067u << 152 << 1;
    QTest::newRow("ntp") << "ntp" << 224u << 80 << 1;
    QTest::newRow("nfs") << "nfs" << 230u << 1156 << 1;
}

void RecordsTest::recordSizesMatchCommands()
{
    QFETCH(QString, record);
    QFETCH(quint32, getCommand);
    QFETCH(int, size);
    QFETCH(int, channel);

    const RecordType *type = findRecordType(record);
    QVERIFY(type);
    QCOMPARE(type->getCommand, getCommand);
    QCOMPARE(type->size, size);
    QCOMPARE(type->channel, channel);
    QCOMPARE(SOLV_RecordSize(getCommand), quint32(size));
    QCOMPARE(SOLV_RecordSize(getCommand + 1), quint32(size));
    QVERIFY(SOLV_IsSetCommand(getCommand + 1));
    QVERIFY(!SOLV_IsSetCommand(getCommand));
    QCOMPARE(SOLV_RecordGetCommand(getCommand + 1), getCommand);
}

void RecordsTest::customBitrateOfTwoKbps()
{
    QCOMPARE(CompressCfg::customBitrate(2), 0x80000800u);
    QCOMPARE(CompressCfg::customBitrateKbps(0x80000800u), 2u);
    QVERIFY(CompressCfg::isCustomBitrate(0x80000800u));
    QVERIFY(!CompressCfg::isCustomBitrate(27));
}

void RecordsTest::outOfRangeWritesTouchNothing()
{
    // Too long a text is cut to its field, with no terminator.
    DeviceCfg device;
    device.bytes() = patterned(DeviceCfg::recordSize);
    const QByteArray deviceBefore = device.bytes();
    device.setName(QByteArray(40, 'N'));
    QCOMPARE(device.name(), QByteArray(32, 'N'));
    QCOMPARE(device.bytes().mid(36), deviceBefore.mid(36));

    NfsCfg nfs;
    nfs.bytes() = patterned(NfsCfg::recordSize);
    const QByteArray nfsBefore = nfs.bytes();
    nfs.setHost(8, "10.0.0.1");
    nfs.setHost(-1, "10.0.0.1");
    QCOMPARE(nfs.bytes(), nfsBefore);
    QCOMPARE(nfs.host(8), QByteArray());

    RecordCfg record;
    record.bytes() = patterned(RecordCfg::recordSize);
    const QByteArray recordBefore = record.bytes();
    record.setSlot(7, 0, { 1, 2, 3, 4, 5 });
    record.setSlot(0, 8, { 1, 2, 3, 4, 5 });
    record.setAllDay(7, 1);
    QCOMPARE(record.bytes(), recordBefore);

    CompressCfg compression;
    compression.bytes() = patterned(CompressCfg::recordSize);
    const QByteArray compressionBefore = compression.bytes();
    compression.setBitrate(4, 1);
    compression.setBlock(-1, QByteArray(28, 'x'));
    QCOMPARE(compression.bytes(), compressionBefore);

    DdnsCfg ddns;
    ddns.setUserName(10, "x");
    QCOMPARE(ddns.bytes(), QByteArray(DdnsCfg::recordSize, '\0'));

    // A buffer shortened behind the view's back is never overrun.
    NetCfg net;
    net.bytes().resize(20);
    net.setGateway("10.0.0.1");
    net.setPort(80);
    QCOMPARE(net.bytes().size(), 20);
    QCOMPARE(net.gateway(), QByteArray());
    QCOMPARE(net.port(), quint16(0));

    FrontCfg front;
    front.setBrightness(9);
    QVERIFY(!front.setBytes(QByteArray(151, 'x')));
    QCOMPARE(front.brightness(), quint8(9));
    QVERIFY(front.setBytes(QByteArray(152, '\x20')));
    QCOMPARE(front.brightness(), quint8(0x20));

    PtzProtocolList list;
    list.setCount(5000);
    QCOMPARE(list.count(), 200);
    list.setCount(3);
    list.setType(2, 9);
    list.setName(2, "PELCO-D-EXTENDED-NAME");
    QCOMPARE(list.count(), 3);
    QCOMPARE(list.type(2), 9u);
    QCOMPARE(list.name(2), QByteArray("PELCO-D-EXTENDED"));
    QCOMPARE(list.bytes().mid(4 + 40, 4), le(9, 4));
}

void RecordsTest::parseFieldValueChecksInput_data()
{
    QTest::addColumn<QString>("record");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");

    auto row = [](const char *name, const char *record, const char *field, const QString &text,
                   bool accepted) {
        QTest::newRow(name) << QString(record) << QString(field) << text << accepted;
    };
    row("u8 at its limit", "front", "brightness", "255", true);
    row("u8 over its limit", "front", "brightness", "256", false);
    row("negative", "front", "brightness", "-1", false);
    row("not a number", "front", "brightness", "bright", false);
    row("hexadecimal", "compression", "main.bitrate", "0x80000800", true);
    row("u16 over its limit", "net", "port", "65536", false);
    row("text of full width", "device", "name", QString(32, 'n'), true);
    row("text too long", "device", "name", QString(33, 'n'), false);
    row("multibyte text too long", "device", "name", QString(11, QChar(0x6444)), false);
    row("mac", "net", "mac", "02-54-56-00-00-0A", true);
    row("mac short", "net", "mac", "02:54:56:00:00", false);
    row("mac bad digit", "net", "mac", "02:54:56:00:00:0g", false);
    row("slot", "record", "day1.slot3", "0:00-24:00/0", true);
    row("slot minute 60", "record", "day1.slot3", "08:60-09:00/0", false);
    row("slot without type", "record", "day1.slot3", "08:00-09:00", false);
}

void RecordsTest::parseFieldValueChecksInput()
{
    QFETCH(QString, record);
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(bool, accepted);

    const RecordType *type = findRecordType(record);
    QVERIFY(type);
    const RecordField *named = findField(*type, field);
    QVERIFY(named);
    QVariant value;
    QString error;
    QCOMPARE(::parseFieldValue(*named, text, value, &error), accepted);
    QCOMPARE(error.isEmpty(), accepted);
}

QTEST_APPLESS_MAIN(RecordsTest)
#include "tst_records.moc"
