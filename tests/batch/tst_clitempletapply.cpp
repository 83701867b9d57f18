#include "fleet.h"
#include "templetsource.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace batchtest;

namespace {

constexpr quint16 FleetPort = 18530;

} // namespace

// tervix-cli templet apply against simulated cameras on 127.0.86.1 - 127.0.86.8.
class TestCliTempletApply : public QObject
{
    Q_OBJECT

    std::unique_ptr<devsim::Fleet> m_fleet;
    QTemporaryDir m_dir;
    QString m_templet; // "Front" and "NTP"

    static std::tuple<int, QStringList, QString> cli(const QStringList &args)
    {
        QProcess process;
        process.start(qEnvironmentVariable("TERVIX_BIN_DIR") + QStringLiteral("/tervix-cli"), args);
        if (!process.waitForFinished(60000)) {
            process.kill();
            return { -1, {}, {} };
        }
        return { process.exitCode(),
            QString::fromUtf8(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts),
            QString::fromUtf8(process.readAllStandardError()) };
    }

    QStringList apply(const QList<int> &cameras, const QStringList &extra = {}) const
    {
        QStringList args { "templet", "apply", m_templet };
        for (const int camera : cameras) {
            args << m_fleet->address(camera);
        }
        return args << "--port" << QString::number(FleetPort) << extra;
    }

    QByteArray ntpAfterApplying(int camera) const
    {
        return afterApplying(m_templet, cameraRecords(*m_fleet, camera)).value(NtpCfg::getCommand);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        devsim::FleetOptions options;
        options.count = 8;
        options.firstAddress = QStringLiteral("127.0.86.1");
        options.port = FleetPort;
        options.timeScale = 0.05;
        options.discoveryPort = 0;
        options.passwords.insert(4, "other");
        m_fleet = std::make_unique<devsim::Fleet>(options);
        QString error;
        QVERIFY2(m_fleet->start(&error), qPrintable(error));

        m_templet = m_dir.filePath(QStringLiteral("front-ntp.xml"));
        QVERIFY(writeTemplet(m_templet, cameraRecords(*m_fleet, 7), FrontSection | NtpSection));
    }

    void cleanup()
    {
        for (int camera = 0; camera < m_fleet->count(); ++camera) {
            m_fleet->clearFault(camera);
        }
    }

    void reportsEachDeviceAndItsSections_data()
    {
        QTest::addColumn<int>("camera");
        QTest::addColumn<QString>("fault"); // "", "refuse-ntp"
        QTest::addColumn<QString>("line"); // after "ADDRESS: "
        QTest::addColumn<int>("code");
        QTest::newRow("every section") << 1 << ""
                                       << "set complete; applied: Front,NTP; failed: -" << 0;
        QTest::newRow("refused NTP set") << 2 << "refuse-ntp"
                                         << "set complete; applied: Front; failed: NTP" << 1;
        QTest::newRow("wrong password") << 4 << ""
                                        << "failed to log in; applied: -; failed: -" << 1;
    }

    void reportsEachDeviceAndItsSections()
    {
        QFETCH(int, camera);
        QFETCH(QString, fault);
        QFETCH(QString, line);
        QFETCH(int, code);
        if (fault == QLatin1String("refuse-ntp")) {
            devsim::Fault rule;
            rule.refusedSets.insert(NtpCfg::getCommand);
            m_fleet->setFault(camera, rule);
        }
        const QByteArray ntp
            = code == 0 ? ntpAfterApplying(camera) : m_fleet->record(camera, NtpCfg::getCommand);
        const QByteArray good = ntpAfterApplying(0);
        // A good device listed after it is set all the same.
        const auto [exitCode, lines, errors] = cli(apply({ camera, 0 }));
        QCOMPARE(exitCode, code);
        QCOMPARE(lines,
            (QStringList { m_fleet->address(camera) + QStringLiteral(": ") + line,
                m_fleet->address(0)
                    + QStringLiteral(": set complete; applied: Front,NTP; failed: -") }));
        QCOMPARE(m_fleet->record(camera, NtpCfg::getCommand), ntp);
        QCOMPARE(m_fleet->record(0, NtpCfg::getCommand), good);
    }

    void jsonListsEveryDevice()
    {
        const auto [exitCode, lines, errors] = cli(apply({ 3, 4 }, { "--json" }));
        QCOMPARE(exitCode, 1);
        const QJsonArray devices = QJsonDocument::fromJson(lines.join('\n').toUtf8()).array();
        QCOMPARE(devices.size(), 2);
        const QJsonObject reached = devices.at(0).toObject();
        QCOMPARE(reached.value("host").toString(), m_fleet->address(3));
        QCOMPARE(reached.value("ok").toBool(), true);
        QCOMPARE(reached.value("state").toInt(), 1);
        QCOMPARE(reached.value("applied").toArray(), (QJsonArray { "Front", "NTP" }));
        QCOMPARE(reached.value("failed").toArray(), QJsonArray());
        const QJsonObject refused = devices.at(1).toObject();
        QCOMPARE(refused.value("ok").toBool(), false);
        QCOMPARE(refused.value("state").toInt(), 3);
        QCOMPARE(refused.value("applied").toArray(), QJsonArray());
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
        const auto [exitCode, lines, errors] = cli(args << "--port" << QString::number(FleetPort));
        QCOMPARE(exitCode, code);
        QVERIFY2(errors.contains(error), qPrintable(errors));
        QVERIFY(lines.isEmpty());
        QCOMPARE(m_fleet->record(6, NtpCfg::getCommand), before);
    }
};

QTEST_GUILESS_MAIN(TestCliTempletApply)
#include "tst_clitempletapply.moc"
