#include "clirun.h"
#include "upgradefleet.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTest>

using namespace UpgradeFleet;

constexpr quint16 FleetPort = 19330;

// tervix-cli upgrade against simulated cameras on 127.0.84.1 and up.
class TestCliUpgrade : public QObject
{
    Q_OBJECT

    std::unique_ptr<devsim::Fleet> m_fleet;
    QTemporaryDir m_images;

    static CliRun cli(const QStringList &args)
    {
        return runCli(QStringList { "upgrade", "--port", QString::number(FleetPort) } + args);
    }

private slots:
    void initTestCase()
    {
        m_fleet = start(QStringLiteral("127.0.84.1"), FleetPort, 3,
            [](devsim::FleetOptions &options) { options.passwords.insert(2, "other"); });
        QVERIFY(m_fleet);
    }

    void refusesBadCommandLines_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        QTest::newRow("file and directory") << QStringList { "--file", "a", "--dir", "/",
            "127.0.84.1" } << "give either --file FILE or --dir DIRECTORY";
        QTest::newRow("restore without reboot") << QStringList { "--dir", "/", "--restore",
            "127.0.84.1" } << "--restore needs --reboot";
        QTest::newRow("directory path of 211 bytes") << QStringList { "--dir",
            "/" + QString(210, 'd'), "127.0.84.1" } << "Directory path length exceeds limit";
    }

    void refusesBadCommandLines()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        const CliRun run = cli(args);
        QCOMPARE(run.code, 2);
        QVERIFY2(run.errors.startsWith("tervix-cli: " + message + '\n'), qPrintable(run.errors));
    }

    void reportsEachDevicesEnd()
    {
        const QString directory = writeDirectory(m_images, "images");
        const QString a = m_fleet->address(0), b = m_fleet->address(1), c = m_fleet->address(2);
        CliRun run = cli({ "--dir", directory, "--reboot", a, c });
        QCOMPARE(run.code, 1);
        const QStringList &lines = run.lines;
        // Each change of a device's state while it runs, then each one's end.
        QCOMPARE(lines.mid(lines.size() - 2),
            (QStringList { a + ": Upgrade succeed", c + ": Failed to login" }));
        for (const QString &line : lines.mid(0, lines.size() - 2)) {
            QVERIFY2(QRegularExpression("^127\\.0\\.84\\.[13]: (Upgrading\\.\\.\\. \\d+%|Upgrade "
                                        "succeed|Failed to login)$")
                         .match(line)
                         .hasMatch(),
                qPrintable(line));
        }
        QTRY_COMPARE(reportedVersion(*m_fleet, 0), newVersion());

        run = cli({ "--dir", directory, "--json", b });
        QCOMPARE(run.code, 0);
        QCOMPARE(QJsonDocument::fromJson(run.lines.join('\n').toUtf8()).array(),
            (QJsonArray { QJsonObject { { "host", b }, { "state", 1 },
                { "text", "Upgrade succeed" }, { "progress", 100 }, { "ok", true } } }));
    }
};

QTEST_GUILESS_MAIN(TestCliUpgrade)
#include "tst_cliupgrade.moc"
