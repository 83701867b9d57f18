// tervix-cli as a user runs it, against simulated cameras in this process.

#include "deviceformat.h"
#include "fleet.h"
#include "records.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

#include <memory>

static constexpr quint16 Port = 18041;
enum Cam { Plain, Changed, Locked, Rebooted, Count };

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
    QJsonObject json() const { return QJsonDocument::fromJson(out).object(); }
};

class CliTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<devsim::Fleet> m_fleet;

    QString ip(int index) const { return m_fleet->address(index); }

    static Run cli(QStringList args)
    {
        args << QStringLiteral("--port") << QString::number(Port);
        QProcess process;
        process.start(qEnvironmentVariable("TERVIX_BIN_DIR") + QStringLiteral("/tervix-cli"), args);
        if (!process.waitForFinished(30000)) {
            process.kill();
            process.waitForFinished();
        }
        return { process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), process.readAllStandardError() };
    }

private slots:
    void initTestCase()
    {
        m_fleet = std::make_unique<devsim::Fleet>(devsim::FleetOptions { .count = Count,
            .firstAddress = QStringLiteral("127.0.41.1"),
            .port = Port,
            .passwords = { { Locked, "s3cret" } },
            .timeScale = 0.01,
            .discoveryPort = 0 });
        QString error;
        QVERIFY2(m_fleet->start(&error), qPrintable(error));
    }

    void infoShowsTheDeviceListFields()
    {
        const Run run = cli({ "info", ip(Plain), "--json" });
        QCOMPARE(run.exitCode, 0);
        const QJsonObject info = run.json();
        DeviceCfg device;
        QVERIFY(device.setBytes(m_fleet->record(Plain, SOLV_GET_DEVICECFG)));
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
        QCOMPARE(info.value("mac").toString(),
            formatMac(m_fleet->record(Plain, SOLV_GET_NETCFG).mid(SOLV_NETCFG_MAC_OFFSET, 6)));
        const Run text = cli({ "info", ip(Plain) });
        QCOMPARE(text.exitCode, 0);
        QVERIFY(text.out.contains("serialNumber: ") && text.out.contains(device.serialNumber()));
    }

    void setChangesOnlyTheNamedFieldsAndRestoreUndoes()
    {
        const QByteArray before = m_fleet->record(Changed, SOLV_GET_FRONTCFG);
        const quint8 brightness = quint8(before.at(4)) == 12 ? 13 : 12;
        const Run set = cli({ "set", ip(Changed), "front",
            QStringLiteral("brightness=%1").arg(brightness), "exposureTime=40000" });
        QCOMPARE(set.exitCode, 0);
        QByteArray expected = before;
        expected[4] = char(brightness);
        expected.replace(32, 4, QByteArray::fromHex("409c0000"));
        QCOMPARE(m_fleet->record(Changed, SOLV_GET_FRONTCFG), expected);

        const Run get = cli({ "get", ip(Changed), "front", "--json" });
        QCOMPARE(get.exitCode, 0);
        QCOMPARE(get.json().value("brightness").toInt(), int(brightness));
        QCOMPARE(cli({ "restore", ip(Changed) }).exitCode, 0);
        QCOMPARE(m_fleet->record(Changed, SOLV_GET_FRONTCFG),
            m_fleet->factoryRecord(Changed, SOLV_GET_FRONTCFG));
    }

    void usageErrorsTouchNoDevice_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        const QString set = QStringLiteral("usage: tervix-cli set");
        QTest::newRow("unknown field") << QStringList { "set", "front", "brilliance=5" } << set;
        QTest::newRow("one bad among good")
            << QStringList { "set", "front", "contrast=5", "gain=x" } << set;
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
        args.insert(1, ip(Plain));
        const Run run = cli(args);
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.err.contains(message.toUtf8()), run.err.constData());
        QVERIFY(run.out.isEmpty());
        QCOMPARE(m_fleet->record(Plain, SOLV_GET_FRONTCFG), front);
    }

    void loginFailuresExitOneWithTheSdkError()
    {
        const Run wrong = cli({ "info", ip(Locked) });
        QCOMPARE(wrong.exitCode, 1);
        QVERIFY2(wrong.err.contains("(SDK error 1)"), wrong.err.constData());
        QCOMPARE(cli({ "info", ip(Locked), "--password", "s3cret" }).exitCode, 0);
    }

    void abilityPtzAndReboot()
    {
        const Run camera = cli({ "ability", ip(Plain), "camera", "--buffer=64", "--json" });
        QCOMPARE(camera.exitCode, 0);
        QVERIFY(camera.json().value("text").toString().contains("exposureUSERSET"));
        QVERIFY(camera.json().value("calls").toInt() > 1);

        const Run ptz = cli({ "ptz-protocols", ip(Plain), "--json" });
        QCOMPARE(ptz.exitCode, 0);
        QCOMPARE(QJsonDocument::fromJson(ptz.out).array().size(), 20);
        QCOMPARE(cli({ "reboot", ip(Rebooted) }).exitCode, 0);
        QTRY_VERIFY_WITH_TIMEOUT(!m_fleet->isOnline(Rebooted), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(m_fleet->isOnline(Rebooted), 10000);
    }
};

QTEST_GUILESS_MAIN(CliTest)
#include "tst_cli.moc"
