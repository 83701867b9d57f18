#include "clirun.h"
#include "simfleet.h"
#include "templetsource.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

using namespace batchtest;

namespace {

constexpr quint16 FleetPort = 18530;

} // namespace

// tervix-cli templet apply against simulated cameras on 127.0.86.1 - 127.0.86.8:
// camera 2 refuses NTP writes, camera 4 takes another password.
class TestCliTempletApply : public QObject
{
    Q_OBJECT

    std::unique_ptr<devsim::Fleet> m_fleet;
    QTemporaryDir m_dir;
    QString m_templet; // "Front" and "NTP"

    CliRun apply(const QList<int> &cameras, const QStringList &extra = {}) const
    {
        QStringList args { "templet", "apply", m_templet };
        for (const int camera : cameras) {
            args << m_fleet->address(camera);
        }
        return runCli(args << "--port" << QString::number(FleetPort) << extra);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_fleet = startFleet("127.0.86.1", FleetPort, 8, 0.05, [](devsim::FleetOptions &options) {
            options.faults[2].refusedSets.insert(NtpCfg::getCommand);
            options.passwords.insert(4, "other");
        });
        QVERIFY(m_fleet);
        m_templet = m_dir.filePath(QStringLiteral("front-ntp.xml"));
        QVERIFY(writeTemplet(m_templet, cameraRecords(*m_fleet, 7), FrontSection | NtpSection));
    }

    // A device that fails does not keep the ones after it from being set.
    void reportsEachDeviceAndItsSections_data()
    {
        QTest::addColumn<QList<int>>("cameras");
        QTest::addColumn<int>("code");
        QTest::addColumn<QStringList>("lines"); // each after "ADDRESS: "
        const QString complete = "set complete; applied: Front,NTP; failed: -";
        QTest::newRow("every section") << QList<int> { 1 } << 0 << QStringList { complete };
        QTest::newRow("refused NTP set, wrong password")
            << QList<int> { 2, 4, 0 } << 1
            << QStringList { "set complete; applied: Front; failed: NTP",
                   "failed to log in; applied: -; failed: -", complete };
    }

    void reportsEachDeviceAndItsSections()
    {
        QFETCH(QList<int>, cameras);
        QFETCH(int, code);
        QFETCH(QStringList, lines);
        for (int i = 0; i < cameras.size(); ++i) {
            lines[i].prepend(m_fleet->address(cameras[i]) + QStringLiteral(": "));
        }
        const CliRun run = apply(cameras);
        QCOMPARE(run.code, code);
        QCOMPARE(run.lines, lines);
    }

    void jsonListsEveryDevice()
    {
        const CliRun run = apply({ 3, 4 }, { "--json" });
        QCOMPARE(run.code, 1);
        const QJsonArray expected {
            QJsonObject { { "host", m_fleet->address(3) }, { "ok", true }, { "state", 1 },
                { "applied", QJsonArray { "Front", "NTP" } }, { "failed", QJsonArray() } },
            QJsonObject { { "host", m_fleet->address(4) }, { "ok", false }, { "state", 3 },
                { "applied", QJsonArray() }, { "failed", QJsonArray() } },
        };
        QCOMPARE(QJsonDocument::fromJson(run.lines.join('\n').toUtf8()).array(), expected);
    }

    void wrongInputsChangeNothing_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("error");
        QTest::newRow("no host") << QStringList { "templet", "apply", "x.xml" } << 2
                                 << "needs a templet FILE and at least one HOST";
        QTest::newRow("bad host") << QStringList { "templet", "apply", "x.xml", "127.0.86.6",
            "300.1.1.1" } << 2 << "\"300.1.1.1\" is not an IPv4 address";
        QTest::newRow("missing templet") << QStringList { "templet", "apply", "/nonexistent/x.xml",
            "127.0.86.6" } << 1 << "cannot read the templet /nonexistent/x.xml";
    }

    void wrongInputsChangeNothing()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, error);
        const QByteArray before = m_fleet->record(6, NtpCfg::getCommand);
        const CliRun run = runCli(args << "--port" << QString::number(FleetPort));
        QCOMPARE(run.code, code);
        QVERIFY2(run.errors.contains(error), qPrintable(run.errors));
        QVERIFY(run.lines.isEmpty());
        QCOMPARE(m_fleet->record(6, NtpCfg::getCommand), before);
    }
};

QTEST_GUILESS_MAIN(TestCliTempletApply)
#include "tst_clitempletapply.moc"
