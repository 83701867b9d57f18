#include "upgradefleet.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
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

    // Exit code, standard output lines, standard error.
    static std::tuple<int, QStringList, QString> cli(const QStringList &args)
    {
        QProcess process;
        process.start(qEnvironmentVariable("TERVIX_BIN_DIR") + QStringLiteral("/tervix-cli"),
            QStringList { "upgrade", "--port", QString::number(FleetPort) } + args);
        if (!process.waitForFinished(120000)) {
            process.kill();
        }
        return { process.exitCode(),
            QString::fromUtf8(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts),
            QString::fromUtf8(process.readAllStandardError()) };
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
        const auto [code, lines, errors] = cli(args);
        QCOMPARE(code, 2);
        QVERIFY2(errors.startsWith("tervix-cli: " + message + '\n'), qPrintable(errors));
    }

    void reportsEachDevicesEnd()
    {
        const QString directory = writeDirectory(m_images, "images");
        const QString a = m_fleet->address(0), b = m_fleet->address(1), c = m_fleet->address(2);
        auto [code, lines, errors] = cli({ "--dir", directory, "--reboot", a, c });
        QCOMPARE(code, 1);
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

        std::tie(code, lines, errors) = cli({ "--dir", directory, "--json", b });
        QCOMPARE(code, 0);
        const QJsonArray array = QJsonDocument::fromJson(lines.join('\n').toUtf8()).array();
        QCOMPARE(array.size(), 1);
        QCOMPARE(array.first().toObject(),
            (QJsonObject { { "host", b }, { "state", 1 }, { "text", "Upgrade succeed" },
                { "progress", 100 }, { "ok", true } }));
    }
};

QTEST_GUILESS_MAIN(TestCliUpgrade)
#include "tst_cliupgrade.moc"
