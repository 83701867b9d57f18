// tervix-cli as a user runs it, against simulated cameras in this process.

#include "deviceformat.h"
#include "fleet.h"
#include "recordfields.h"
#include "records.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

#include <memory>

namespace {

constexpr quint16 Port = 18041;
enum Cam { Plain, Changed, Locked, Rebooted, Restored, Count };

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
    QJsonObject json() const { return QJsonDocument::fromJson(out).object(); }
};

} // namespace

class CliTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<devsim::Fleet> m_fleet;

    QString ip(int index) const { return m_fleet->address(index); }

    // Runs tervix-cli with the test port; the fleet serves from its own thread.
    static Run cli(QStringList args)
    {
        args << QStringLiteral("--port") << QString::number(Port);
        QProcess process;
        process.start(qEnvironmentVariable("TERVIX_BIN_DIR") + QStringLiteral("/tervix-cli"), args);
        Run run;
        if (!process.waitForFinished(30000)) {
            process.kill();
            process.waitForFinished();
            return run;
        }
        run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.out = process.readAllStandardOutput();
        run.err = process.readAllStandardError();
        return run;
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(QFile::exists(qEnvironmentVariable("TERVIX_BIN_DIR") + "/tervix-cli"),
            "tervix-cli must be built");
        devsim::FleetOptions options;
        options.count = Count;
        options.firstAddress = QStringLiteral("127.0.41.1");
        options.port = Port;
        options.seed = 41;
        options.discoveryPort = 0;
        options.timeScale = 0.01;
        options.ptzCount = 9;
        options.passwords.insert(Locked, "s3cret");
        m_fleet = std::make_unique<devsim::Fleet>(options);
        QString error;
        QVERIFY2(m_fleet->start(&error), qPrintable(error));
    }

    void cleanupTestCase() { m_fleet.reset(); }

    void infoShowsTheDeviceListFields()
    {
        const Run run = cli({ "info", ip(Plain), "--json" });
        QCOMPARE(run.exitCode, 0);
        const QJsonObject info = run.json();
        DeviceCfg device;
        QVERIFY(device.setBytes(m_fleet->record(Plain, SOLV_GET_DEVICECFG)));
        NetCfg net;
        QVERIFY(net.setBytes(m_fleet->record(Plain, SOLV_GET_NETCFG)));
        QCOMPARE(info.value("serialNumber").toString(), QString::fromLatin1(device.serialNumber()));
        QCOMPARE(info.value("name").toString(), QString::fromLatin1(device.name()));
        QCOMPARE(info.value("softwareVersion").toString(),
            formatSoftwareVersion(device.softwareVersion(), device.softwareBuildDate()));
        QCOMPARE(info.value("dspVersion").toString(),
            formatDspVersion(device.dspVersion(), device.dspBuildDate()));
        QCOMPARE(
            info.value("model").toString(), QString::fromLatin1(seriesName(device.deviceType())));
        QCOMPARE(info.value("channels").toInt(), int(device.channelCount()));
        QCOMPARE(info.value("subnetMask").toString(), QStringLiteral("255.255.255.0"));
        QCOMPARE(info.value("gateway").toString(), QStringLiteral("127.0.41.254"));
        QCOMPARE(info.value("mac").toString(), formatMac(net.mac()));
        QCOMPARE(info.value("ipAddress").toString(), ip(Plain));

        const Run text = cli({ "info", ip(Plain) });
        QCOMPARE(text.exitCode, 0);
        QVERIFY(text.out.contains("serialNumber: "));
        QVERIFY(text.out.contains(device.serialNumber()));
        QVERIFY(text.err.isEmpty());
    }

    void setChangesOnlyTheNamedFields()
    {
        const QByteArray before = m_fleet->record(Changed, SOLV_GET_FRONTCFG);
        QCOMPARE(before, m_fleet->factoryRecord(Changed, SOLV_GET_FRONTCFG));
        const quint8 brightness = quint8(before.at(4)) == 12 ? 13 : 12;
        const Run set = cli({ "set", ip(Changed), "front",
            QStringLiteral("brightness=%1").arg(brightness), "exposureTime=40000" });
        QCOMPARE(set.exitCode, 0);
        QByteArray expected = before;
        expected[4] = char(brightness);
        expected.replace(32, 4, QByteArray::fromHex("409c0000"));
        // Pattern bytes and every other field as the camera had them.
        QCOMPARE(m_fleet->record(Changed, SOLV_GET_FRONTCFG), expected);

        const Run get = cli({ "get", ip(Changed), "front", "--json" });
        QCOMPARE(get.exitCode, 0);
        QCOMPARE(get.json().size(), findRecordType(QStringLiteral("front"))->fields.size());
        QCOMPARE(get.json().value("brightness").toInt(), int(brightness));
        QCOMPARE(get.json().value("exposureTime").toInt(), 40000);
    }

    // Exit status 2 and a message on standard error; the camera is not touched.
    void usageErrorsTouchNoDevice_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        const QString set = QStringLiteral("usage: tervix-cli set");
        QTest::newRow("value too large") << QStringList { "set", "front", "brightness=256" } << set;
        QTest::newRow("unknown field") << QStringList { "set", "front", "brilliance=5" } << set;
        QTest::newRow("one bad among good")
            << QStringList { "set", "front", "contrast=5", "gain=x" } << set;
        QTest::newRow("text too long")
            << QStringList { "set", "device", "name=" + QString(33, 'n') } << set;
        QTest::newRow("not an assignment") << QStringList { "set", "front", "brightness" } << set;
        QTest::newRow("unknown record") << QStringList { "set", "lens", "zoom=2" } << set;
        QTest::newRow("nothing to set") << QStringList { "set", "front" } << set;
        QTest::newRow("unknown ability")
            << QStringList { "ability", "lens" } << "usage: tervix-cli ability";
        QTest::newRow("unknown command") << QStringList { "frobnicate" } << "\"frobnicate\"";
        QTest::newRow("option of another command")
            << QStringList { "info", "--channel=2" } << "info does not take the option --channel";
    }

    void usageErrorsTouchNoDevice()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        const QByteArray front = m_fleet->record(Plain, SOLV_GET_FRONTCFG);
        const QByteArray device = m_fleet->record(Plain, SOLV_GET_DEVICECFG);
        args.insert(1, ip(Plain));
        const Run run = cli(args);
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.err.contains(message.toUtf8()), run.err.constData());
        QVERIFY(run.out.isEmpty());
        QCOMPARE(m_fleet->record(Plain, SOLV_GET_FRONTCFG), front);
        QCOMPARE(m_fleet->record(Plain, SOLV_GET_DEVICECFG), device);
    }

    void loginFailuresExitOneWithTheSdkError()
    {
        const Run wrong = cli({ "info", ip(Locked) });
        QCOMPARE(wrong.exitCode, 1);
        QVERIFY2(wrong.err.contains("(SDK error 1)"), wrong.err.constData());
        QVERIFY(wrong.out.isEmpty());
        const Run json = cli({ "info", ip(Locked), "--json" });
        QCOMPARE(json.exitCode, 1);
        QCOMPARE(json.json().value("error").toInt(), 1);
        QCOMPARE(cli({ "info", ip(Locked), "--password", "s3cret" }).exitCode, 0);

        QElapsedTimer timer;
        timer.start();
        const Run dead = cli({ "info", "127.0.41.250", "--timeout", "500" });
        QCOMPARE(dead.exitCode, 1);
        QVERIFY(dead.err.contains("SDK error"));
        QVERIFY(timer.elapsed() < 20000);
        QCOMPARE(cli({ "info", "camera-7" }).exitCode, 2);
    }

    void abilityAndPtzLists()
    {
        const Run device = cli({ "ability", ip(Plain), "device" });
        QCOMPARE(device.exitCode, 0);
        QVERIFY(device.out.contains("<UpdateFlag>"));
        QVERIFY(device.out.contains("<PlatForm>"));
        // Too small a first buffer: the tool retries with a larger one.
        const Run camera = cli({ "ability", ip(Plain), "camera", "--buffer=64", "--json" });
        QCOMPARE(camera.exitCode, 0);
        QVERIFY(camera.json().value("text").toString().contains("exposureUSERSET"));
        QVERIFY(camera.json().value("calls").toInt() > 1);

        const Run ptz = cli({ "ptz-protocols", ip(Plain), "--json" });
        QCOMPARE(ptz.exitCode, 0);
        const QJsonArray list = QJsonDocument::fromJson(ptz.out).array();
        QCOMPARE(list.size(), 9);
        QCOMPARE(list.at(0).toObject().value("name").toString(), QStringLiteral("PELCO-D"));
    }

    void rebootAndRestoreReachTheCamera()
    {
        QCOMPARE(cli({ "reboot", ip(Rebooted) }).exitCode, 0);
        // A 20 s reboot at a time scale of 0.01: offline, then back.
        QTRY_VERIFY_WITH_TIMEOUT(!m_fleet->isOnline(Rebooted), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(m_fleet->isOnline(Rebooted), 10000);

        const QByteArray factory = m_fleet->factoryRecord(Restored, SOLV_GET_FRONTCFG);
        QByteArray front = factory;
        front[5] = char(quint8(front.at(5)) ^ 0x40);
        m_fleet->setRecord(Restored, SOLV_GET_FRONTCFG, front);
        QCOMPARE(cli({ "restore", ip(Restored) }).exitCode, 0);
        QCOMPARE(m_fleet->record(Restored, SOLV_GET_FRONTCFG), factory);
    }

    void helpListsCommands()
    {
        const Run run = cli({ "help" });
        QCOMPARE(run.exitCode, 0);
        for (const char *command :
            { "info", "get", "set", "reboot", "restore", "ability", "ptz-protocols" }) {
            QVERIFY2(run.out.contains(QByteArray("tervix-cli ") + command + ' '), command);
        }
    }
};

QTEST_GUILESS_MAIN(CliTest)
#include "tst_cli.moc"
