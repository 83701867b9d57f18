// Identity formats: versions, build dates, MAC addresses and series names as
// the device list shows them.

#include "deviceformat.h"

#include <QTest>

class DeviceFormatTest : public QObject
{
    Q_OBJECT

private slots:
    void versions_data()
    {
        QTest::addColumn<bool>("dsp");
        QTest::addColumn<quint32>("version");
        QTest::addColumn<quint32>("date");
        QTest::addColumn<QString>("expected");
        auto row = [](const char *name, bool dsp, quint32 version, quint32 date, const char *text) {
            QTest::newRow(name) << dsp << version << date << QString(text);
        };
        row("older form", false, 0x00020001, 0x000B0915, "V2.1 build110921");
        row("new form", false, 0x03010002, 0x000B0915, "V3.1.2 build110921");
        row("revision zero", false, 0x05030000, 0x000C0101, "V5.3.0 build120101");
        row("largest revision", false, 0x0100FFFF, 0x001A0C1F, "V1.0.65535 build261231");
        row("older form keeps 16-bit major", false, 0x00FF0001, 0x00090101, "V255.1 build090101");
        row("three-digit year is not cut", false, 0x02000001, 0x00640101, "V2.0.1 build1000101");
        row("dsp", true, 0x00040002, 0x000A0101, "V4.2 build100101");
        // The DSP word never uses the new form, even with a top byte set.
        row("dsp with top byte set", true, 0x03010002, 0x000B0915, "V769.2 build110921");
    }

    void versions()
    {
        QFETCH(bool, dsp);
        QFETCH(quint32, version);
        QFETCH(quint32, date);
        QTEST(dsp ? formatDspVersion(version, date) : formatSoftwareVersion(version, date),
            "expected");
    }

    void mac_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray mac = QByteArray::fromHex("0254560ab0ff");
        QTest::newRow("colons") << "02:54:56:0a:b0:ff" << mac;
        QTest::newRow("dashes, upper case") << "02-54-56-0A-B0-FF" << mac;
        QTest::newRow("five parts") << "02:54:56:0a:b0" << QByteArray();
        QTest::newRow("one digit") << "2:54:56:0a:b0:ff" << QByteArray();
        QTest::newRow("not hex") << "02:54:56:0a:b0:fg" << QByteArray();
        QTest::newRow("mixed separators") << "02:54-56:0a:b0:ff" << QByteArray();
    }

    void mac()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(::parseMac(text), bytes);
        // Shown in lower case with colons; three bytes show nothing.
        QCOMPARE(formatMac(bytes), bytes.isEmpty() ? QString() : text.toLower().replace('-', ':'));
        QCOMPARE(formatMac(bytes.left(3)), QString());
    }

    void seriesName_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("first code") << 1 << QByteArray("DVR-104 Series");
        QTest::newRow("camera") << 31 << QByteArray("IPC2030 Series");
        QTest::newRow("last code") << 115 << QByteArray("THM-100 Thermal");
        QTest::newRow("unnamed inside the range") << 21 << QByteArray("Unknown type");
        QTest::newRow("past the range") << 116 << QByteArray("Unknown type");
    }

    void seriesName()
    {
        QFETCH(int, code);
        QTEST(QByteArray(::seriesName(quint8(code))), "expected");
    }

    // Every named series is found, and only codes 1 to 115 have one.
    void sixtySevenNamedSeries()
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
};

QTEST_APPLESS_MAIN(DeviceFormatTest)
#include "tst_deviceformat.moc"
