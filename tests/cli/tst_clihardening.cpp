// tervix-cli against hostile texts and sloppy numbers: what a device says is
// printed escaped, what a user types is read as decimal (camera on 127.0.14.1).

#include "clitext.h"
#include "deviceformat.h"
#include "quarry_protocol.h"
#include "recordfields.h"
#include "records.h"
#include "solvane.h"

#include "cliprocess.h"

#include <QJsonDocument>
#include <QProcess>
#include <QTimer>

#include <unistd.h>

static constexpr quint16 Port = 18140;
static const QString Host = QStringLiteral("127.0.14.1");
// Clears the screen, homes the cursor and starts a made-up row.
static const QByteArray Hostile = "\x1b[2J\x1b[Hcam\nFORGED 1.2.3.4";
static const QByteArray HostileShown = "\\x1b[2J\\x1b[Hcam\\nFORGED 1.2.3.4";

class CliHardeningTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<devsim::Fleet> m_fleet;

    static Run cli(const QStringList &args, bool port = true)
    {
        return runCli(args, { .port = port ? Port : quint16(0) });
    }

    // No byte a terminal would act on, and no line but those the command makes.
    static bool printable(const QByteArray &out)
    {
        return !out.contains('\x1b') && !out.contains('\r') && !out.contains("\nFORGED");
    }

private slots:
    void initTestCase()
    {
        m_fleet = startCliFleet({ .count = 1,
            .firstAddress = Host,
            .port = Port,
            .timeScale = 0.01,
            .discoveryPort = 0 });
        QVERIFY(m_fleet);
    }

    void cleanupTestCase() { m_fleet.reset(); }

    void safeTextEscapesControls_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("document");
        QTest::addColumn<QString>("shown");
        const auto row
            = [](const char *name, const QString &text, bool document, const QString &shown) {
                  QTest::newRow(name) << text << document << shown;
              };
        row("plain", "Lobby 2", false, "Lobby 2");
        row("non-ASCII kept", QString::fromUtf8("Kamera S\u00fcd \u6771"), false,
            QString::fromUtf8("Kamera S\u00fcd \u6771"));
        row("escape sequence", QString::fromLatin1(Hostile), false,
            QString::fromLatin1(HostileShown));
        row("carriage return and tab", "a\rb\tc", false, "a\\rb\\tc");
        row("backslash", "a\\x1b", false, "a\\\\x1b");
        row("zero, DEL", QString("a") + QChar(0) + QChar(0x7f), false, "a\\x00\\x7f");
        row("8-bit CSI", QString("a") + QChar(0x9b) + "2J", false, "a\\x9b2J");
        row("direction override", QString("abc") + QChar(0x202e) + "fdp.exe", false,
            "abc\\u202efdp.exe");
        row("line separator", QString("a") + QChar(0x2028) + "b", false, "a\\u2028b");
        row("document keeps its lines", "<a>\n\t<b/>\n</a>\x1b[2J", true,
            "<a>\n\t<b/>\n</a>\\x1b[2J");
        row("document escapes a carriage return", "a\r\nb", true, "a\\r\nb");
    }

    void safeTextEscapesControls()
    {
        QFETCH(QString, text);
        QFETCH(bool, document);
        QFETCH(QString, shown);
        QCOMPARE(cliSafeText(text, document ? CliTextForm::Document : CliTextForm::Line), shown);
    }

    void numbersAreDecimal_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("value"); // -1: refused
        QTest::newRow("leading zero") << "010" << qint64(10);
        QTest::newRow("eight, not octal") << "08" << qint64(8);
        QTest::newRow("zero") << "0" << qint64(0);
        QTest::newRow("largest") << "65535" << qint64(65535);
        QTest::newRow("above the largest") << "65536" << qint64(-1);
        QTest::newRow("digits beyond any number") << "184467440737095516160" << qint64(-1);
        QTest::newRow("sign") << "+80" << qint64(-1);
        QTest::newRow("minus") << "-1" << qint64(-1);
        QTest::newRow("blank") << " 80" << qint64(-1);
        QTest::newRow("hexadecimal") << "0x50" << qint64(-1);
        QTest::newRow("empty") << "" << qint64(-1);
    }

    void numbersAreDecimal()
    {
        QFETCH(QString, text);
        QFETCH(qint64, value);
        const std::optional<quint64> parsed = cliDecimal(text, 65535);
        QCOMPARE(parsed ? qint64(*parsed) : qint64(-1), value);
    }

    void fieldValuesAndMacs_data()
    {
        QTest::addColumn<QString>("record");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QVariant>("value"); // invalid: refused
        const auto row = [](const char *name, const char *record, const char *field,
                             const char *text, const QVariant &value) {
            QTest::newRow(name) << QString(record) << QString(field) << QString(text) << value;
        };
        row("leading zero is decimal", "front", "brightness", "010", qulonglong(10));
        row("08 is eight", "front", "brightness", "08", qulonglong(8));
        row("sign", "front", "brightness", "+5", QVariant());
        row("0x alone", "front", "brightness", "0x", QVariant());
        row("hex digits without 0x", "front", "brightness", "1f", QVariant());
        row("mac", "net", "mac", "02:54:56:00:00:0a", QString("02:54:56:00:00:0a"));
        row("mac with a sign", "net", "mac", "02:54:56:00:00:+a", QVariant());
        row("mac with a blank", "net", "mac", "02:54:56:00:00: a", QVariant());
        row("mac with 0x", "net", "mac", "0x:54:56:00:00:0a", QVariant());
    }

    void fieldValuesAndMacs()
    {
        QFETCH(QString, record);
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QVariant, value);
        const RecordField *named = findField(*findRecordType(record), field);
        QVERIFY(named);
        QVariant parsed;
        QCOMPARE(parseFieldValue(*named, text, parsed, nullptr), value.isValid());
        if (value.isValid()) {
            QCOMPARE(parsed, value);
        }
        if (field == QLatin1String("mac")) {
            QCOMPARE(parseMac(text).isEmpty(), !value.isValid());
        }
    }

    void commandLineNumbers()
    {
        QCOMPARE(cli({ "set", Host, "front", "brightness=010" }).exitCode, 0);
        FrontCfg front;
        QVERIFY(front.setBytes(m_fleet->record(0, SOLV_GET_FRONTCFG)));
        QCOMPARE(int(front.brightness()), 10);
        // Refused before anything is sent.
        QCOMPARE(cli({ "discover", "--seconds", "+1" }, false).exitCode, 2);
        QCOMPARE(cli({ "ability", Host, "device", "--buffer", " 5120" }).exitCode, 2);
        const Run mac = cli(
            { "readdress", "02:54:56:00:00:+a", "--ip", "127.0.14.9", "--mask", "255.255.255.0" });
        QCOMPARE(mac.exitCode, 2);
        QVERIFY(mac.err.contains("is not a MAC"));
        QCOMPARE(cli({ "set-network", "127.0.14.1:+18140", "--ip", "127.0.14.9", "--mask",
                         "255.255.255.0" })
                     .exitCode,
            2);
        QCOMPARE(m_fleet->currentAddress(0), Host);
    }

    void deviceNameIsPrintedEscaped()
    {
        DeviceCfg device;
        QVERIFY(device.setBytes(m_fleet->record(0, SOLV_GET_DEVICECFG)));
        device.setName(Hostile);
        m_fleet->setRecord(0, SOLV_GET_DEVICECFG, device.bytes());
        const Run text = cli({ "info", Host });
        QCOMPARE(text.exitCode, 0);
        QVERIFY2(printable(text.out), text.out.constData());
        QVERIFY(text.out.contains("name:") && text.out.contains(HostileShown));
        // JSON carries the text itself, in its own escapes.
        const Run json = cli({ "info", Host, "--json" });
        QCOMPARE(json.exitCode, 0);
        QVERIFY(!json.out.contains('\x1b'));
        QCOMPARE(QJsonDocument::fromJson(json.out).object().value("name").toString(),
            QString::fromLatin1(Hostile));
    }

    void announcedTextsArePrintedEscaped()
    {
        quarry::Announcement a;
        a.serialNo = Hostile.toStdString();
        a.ipAddress = "127.0.14.77";
        a.softwareVersion = "V1\x1b]0;owned\x07";
        a.periodMs = 60000;
        const quarry::Packet packet = quarry::encodeAnnouncement(a);
        const int fd = quarry::openRequestSocket();
        QVERIFY(fd >= 0);
        QProcess discover;
        discover.setProcessEnvironment(cliEnvironment());
        discover.start(qEnvironmentVariable("TERVIX_BIN_DIR") + QStringLiteral("/tervix-cli"),
            { "discover", "--seconds", "2" });
        discover.closeWriteChannel();
        // Announced again and again, so that the listener hears it once it listens.
        QTimer announce;
        connect(&announce, &QTimer::timeout, [&] {
            quarry::sendToGroup(fd, quarry::discoveryGroup(), quarry::discoveryPort(),
                in_addr { htonl(INADDR_LOOPBACK) }, packet);
        });
        announce.start(50);
        QTRY_COMPARE_WITH_TIMEOUT(discover.state(), QProcess::NotRunning, 30000);
        announce.stop();
        close(fd);
        QCOMPARE(discover.exitCode(), 0);
        const QByteArray out = discover.readAllStandardOutput();
        QVERIFY2(printable(out) && !out.contains('\x07'), out.constData());
        QVERIFY2(
            out.contains(HostileShown) && out.contains("V1\\x1b]0;owned\\x07"), out.constData());
        QCOMPARE(out.count('\n'), 3); // the header, the device and the count
    }
};

QTEST_GUILESS_MAIN(CliHardeningTest)
#include "tst_clihardening.moc"
