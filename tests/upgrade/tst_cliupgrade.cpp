#include "upgradefleet.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

using namespace UpgradeFleet;

namespace {

constexpr quint16 FleetPort = 19330;

struct Run
{
    int code = -1;
    QStringList lines;
    QString errors;
};

Run cli(const QStringList &args)
{
    QProcess process;
    process.start(qEnvironmentVariable("TERVIX_BIN_DIR") + QStringLiteral("/tervix-cli"),
        QStringList { "upgrade", "--port", QString::number(FleetPort) } + args);
    if (!process.waitForFinished(120000)) {
        process.kill();
        return {};
    }
    return { process.exitCode(),
        QString::fromUtf8(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts),
        QString::fromUtf8(process.readAllStandardError()) };
}

} // namespace

// tervix-cli upgrade against simulated cameras on 127.0.84.1 and up.
class TestCliUpgrade : public QObject
{
    Q_OBJECT

    std::unique_ptr<devsim::Fleet> m_fleet;
    QTemporaryDir m_images;
    QString m_directory;

    QString host(int camera) const { return m_fleet->address(camera); }

private slots:
    void initTestCase()
    {
        m_fleet = start(QStringLiteral("127.0.84.1"), FleetPort, 4,
            [](devsim::FleetOptions &options) { options.passwords.insert(3, "other"); });
        QVERIFY(m_fleet);
        m_directory = m_images.filePath(QStringLiteral("images"));
        QStringList written;
        QVERIFY(devsim::writeFirmwareDirectory(m_directory, versionCode(NewVersion),
            devsim::encodeBuildDate(QDate(2027, 3, 14)), 512 * 1024, &written, nullptr));
    }

    void refusesBadCommandLines_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        QTest::newRow("neither file nor directory")
            << QStringList { "127.0.84.1" } << "give either --file FILE or --dir DIRECTORY";
        QTest::newRow("both") << QStringList { "--file", "a", "--dir", "b", "127.0.84.1" }
                              << "give either --file FILE or --dir DIRECTORY";
        QTest::newRow("no device") << QStringList { "--dir", "/" }
                                   << "upgrade needs the device(s) to upgrade";
        QTest::newRow("restore without reboot")
            << QStringList { "--dir", "/", "--restore", "127.0.84.1" } << "--restore needs --reboot";
        QTest::newRow("directory path of 211 bytes")
            << QStringList { "--dir", "/" + QString(210, 'd'), "127.0.84.1" }
            << "Directory path length exceeds limit";
        QTest::newRow("no such file") << QStringList { "--file", "/nonexistent.dav", "127.0.84.1" }
                                      << "\"/nonexistent.dav\" is no file";
        QTest::newRow("bad host") << QStringList { "--dir", "/", "127.0.84" }
                                  << "\"127.0.84\" is not an IPv4 address such as 127.0.1.7";
    }

    void refusesBadCommandLines()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        const Run run = cli(args);
        QCOMPARE(run.code, 2);
        QVERIFY2(run.errors.startsWith("tervix-cli: " + message + '\n'), qPrintable(run.errors));
        QCOMPARE(run.lines, QStringList());
    }

    void directoryUpgradeReportsEachDevice()
    {
        const quint32 before = reportedVersion(*m_fleet, 2);
        const Run run = cli({ "--dir", m_directory, "--reboot", host(0), host(1), host(3) });
        QCOMPARE(run.code, 1);
        // The last line of each device is its end; the ones before are its changes.
        QCOMPARE(run.lines.mid(run.lines.size() - 3),
            (QStringList { host(0) + ": Upgrade succeed", host(1) + ": Upgrade succeed",
                host(3) + ": Failed to login" }));
        const QRegularExpression change(
            QStringLiteral("^127\\.0\\.84\\.[0-9]+: (Wait Upgrading|Upgrading\\.\\.\\. [0-9]+%|"
                           "Upgrade succeed|Failed to login)$"));
        for (const QString &line : run.lines) {
            QVERIFY2(change.match(line).hasMatch(), qPrintable(line));
        }
        QTRY_COMPARE(reportedVersion(*m_fleet, 0), versionCode(NewVersion));
        QTRY_COMPARE(reportedVersion(*m_fleet, 1), versionCode(NewVersion));
        QCOMPARE(reportedVersion(*m_fleet, 2), before);
    }

    void jsonGivesTheEndOfEachDevice()
    {
        const QString image = writeImage(m_images, "json.dav", descriptionOf(*m_fleet, 2));
        const Run run = cli({ "--file", image, "--json", host(2) });
        QCOMPARE(run.code, 0);
        const QJsonArray array = QJsonDocument::fromJson(run.lines.join('\n').toUtf8()).array();
        QCOMPARE(array.size(), 1);
        const QJsonObject device = array.first().toObject();
        QCOMPARE(device.value("host").toString(), host(2));
        QCOMPARE(device.value("state").toInt(), 1);
        QCOMPARE(device.value("text").toString(), QStringLiteral("Upgrade succeed"));
        QCOMPARE(device.value("ok").toBool(), true);
    }
};

QTEST_GUILESS_MAIN(TestCliUpgrade)
#include "tst_cliupgrade.moc"
