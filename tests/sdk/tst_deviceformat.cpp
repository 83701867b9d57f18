// Identity formats: versions, build dates, MAC addresses and series names as
// the device list shows them.

#include "deviceformat.h"

#include <QTest>

class DeviceFormatTest : public QObject
{
    Q_OBJECT

private slots:
    void softwareVersion_data();
    void softwareVersion();
    void dspVersion_data();
    void dspVersion();
    void macIsLowerCaseHex();
    void parseMac_data();
    void parseMac();
    void seriesName_data();
    void seriesName();
    void sixtySevenNamedSeries();
};

void DeviceFormatTest::softwareVersion_data()
{
    QTest::addColumn<quint32>("version");
    QTest::addColumn<quint32>("date");
    QTest::addColumn<QString>("expected");

    QTest::newRow("older form") << 0x00020001u << 0x000B0915u << "V2.1 build110921";
    QTest::newRow("new form") << 0x03010002u << 0x000B0915u << "V3.1.2 build110921";
    QTest::newRow("revision zero") << 0x05030000u << 0x000C0101u << "V5.3.0 build120101";
    QTest::newRow("largest revision") << 0x0100FFFFu << 0x001A0C1Fu << "V1.0.65535 build261231";
    QTest::newRow("new form, minor zero") << 0x01000003u << 0x00090101u << "V1.0.3 build090101";
    QTest::newRow("older form keeps 16-bit major")
        << 0x00FF0001u << 0x00090101u << "V255.1 build090101";
    QTest::newRow("zero date") << 0x02000001u << 0u << "V2.0.1 build000000";
    QTest::newRow("three-digit year is not cut")
        << 0x02000001u << 0x00640101u << "V2.0.1 build1000101";
}

void DeviceFormatTest::softwareVersion()
{
    QFETCH(quint32, version);
    QFETCH(quint32, date);
    QFETCH(QString, expected);
    QCOMPARE(formatSoftwareVersion(version, date), expected);
}

void DeviceFormatTest::dspVersion_data()
{
    QTest::addColumn<quint32>("version");
    QTest::addColumn<quint32>("date");
    QTest::addColumn<QString>("expected");

    QTest::newRow("plain") << 0x00040002u << 0x000A0101u << "V4.2 build100101";
    // The DSP word never uses the new form, even with a top byte set.
    QTest::newRow("top byte set") << 0x03010002u << 0x000B0915u << "V769.2 build110921";
}

void DeviceFormatTest::dspVersion()
{
    QFETCH(quint32, version);
    QFETCH(quint32, date);
    QFETCH(QString, expected);
    QCOMPARE(formatDspVersion(version, date), expected);
}

void DeviceFormatTest::macIsLowerCaseHex()
{
    QCOMPARE(formatMac(QByteArray::fromHex("0254560AB0FF")), QStringLiteral("02:54:56:0a:b0:ff"));
    QCOMPARE(formatMac(QByteArray::fromHex("025456")), QString());
}

void DeviceFormatTest::parseMac_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("colons") << "02:54:56:0a:b0:ff" << QByteArray::fromHex("0254560ab0ff");
    QTest::newRow("dashes, upper case")
        << "02-54-56-0A-B0-FF" << QByteArray::fromHex("0254560ab0ff");
    QTest::newRow("five parts") << "02:54:56:0a:b0" << QByteArray();
    QTest::newRow("one digit") << "2:54:56:0a:b0:ff" << QByteArray();
    QTest::newRow("not hex") << "02:54:56:0a:b0:fg" << QByteArray();
    QTest::newRow("mixed separators") << "02:54-56:0a:b0:ff" << QByteArray();
}

void DeviceFormatTest::parseMac()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, expected);
    QCOMPARE(::parseMac(text), expected);
}

void DeviceFormatTest::seriesName_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("first code") << 1 << QByteArray("DVR-104 Series");
    QTest::newRow("camera") << 31 << QByteArray("IPC2030 Series");
    QTest::newRow("last code") << 115 << QByteArray("THM-100 Thermal");
    QTest::newRow("zero") << 0 << QByteArray("Unknown type");
    QTest::newRow("unnamed inside the range") << 21 << QByteArray("Unknown type");
    QTest::newRow("past the range") << 116 << QByteArray("Unknown type");
    QTest::newRow("255") << 255 << QByteArray("Unknown type");
}

void DeviceFormatTest::seriesName()
{
    QFETCH(int, code);
    QFETCH(QByteArray, expected);
    QCOMPARE(QByteArray(::seriesName(quint8(code))), expected);
}

void DeviceFormatTest::sixtySevenNamedSeries()
{
    int named = 0;
    for (int code = 0; code <= 255; ++code) {
        if (qstrcmp(::seriesName(quint8(code)), "Unknown type") != 0) {
            QVERIFY2(code >= 1 && code <= 115, qPrintable(QString::number(code)));
            QVERIFY(qstrlen(::seriesName(quint8(code))) < 128);
            ++named;
        }
    }
    QCOMPARE(named, 67);
}

QTEST_APPLESS_MAIN(DeviceFormatTest)
#include "tst_deviceformat.moc"
