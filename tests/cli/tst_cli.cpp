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
};

} // namespace

class CliTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<devsim::Fleet> m_fleet;

    QString ip(int index) const { return m_fleet->address(index); }

    // Runs tervix-cli with the test port; the fleet serves from its own thread.
    Run cli(QStringList args) const
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

    static QJsonObject json(const Run &run) { return QJsonDocument::fromJson(run.out).object(); }

private slots:
    void initTestCase();
    void cleanupTestCase();

    void infoShowsTheDeviceListFields();
    void infoPrintsReadableLines();
    void getShowsEveryNamedField();
    void setChangesOnlyTheNamedFields();
    void badValueTouchesNoDevice_data();
    void badValueTouchesNoDevice();
    void wrongPasswordFailsWithErrorOne();
    void deadAddressFailsWithinTimeout();
    void abilityTexts();
    void ptzProtocolsAsJson();
    void rebootTakesTheCameraOffline();
    void restoreBringsBackFactoryRecords();
    void unknownCommandIsUsageError();
    void helpListsCommands();
};

void CliTest::initTestCase()
{
    QVERIFY2(QFile::exists(qEnvironmentVariable("TERVIX_BIN_DIR") + QStringLiteral("/tervix-cli")),
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

void CliTest::cleanupTestCase()
{
    m_fleet.reset();
}

void CliTest::infoShowsTheDeviceListFields()
{
    const Run run = cli({ QStringLiteral("info"), ip(Plain), QStringLiteral("--json") });
    QCOMPARE(run.exitCode, 0);
    const QJsonObject info = json(run);

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
    QCOMPARE(info.value("model").toString(), QString::fromLatin1(seriesName(device.deviceType())));
    QCOMPARE(info.value("channels").toInt(), int(device.channelCount()));
    QCOMPARE(info.value("subnetMask").toString(), QStringLiteral("255.255.255.0"));
    QCOMPARE(info.value("gateway").toString(), QStringLiteral("127.0.41.254"));
    QCOMPARE(info.value("mac").toString(), formatMac(net.mac()));
    QCOMPARE(info.value("ipAddress").toString(), ip(Plain));
}

void CliTest::infoPrintsReadableLines()
{
    const Run run = cli({ QStringLiteral("info"), ip(Plain) });
    QCOMPARE(run.exitCode, 0);
    DeviceCfg device;
    QVERIFY(device.setBytes(m_fleet->record(Plain, SOLV_GET_DEVICECFG)));
    QVERIFY(run.out.contains("serialNumber: "));
    QVERIFY(run.out.contains(device.serialNumber()));
    QVERIFY(run.err.isEmpty());
}

void CliTest::getShowsEveryNamedField()
{
    const Run run = cli(
        { QStringLiteral("get"), ip(Plain), QStringLiteral("decoder"), QStringLiteral("--json") });
    QCOMPARE(run.exitCode, 0);
    const QJsonObject fields = json(run);
    const RecordType *type = findRecordType(QStringLiteral("decoder"));
    QVERIFY(type);
    QCOMPARE(fields.size(), type->fields.size());
    DecoderCfg decoder;
    QVERIFY(decoder.setBytes(m_fleet->record(Plain, SOLV_GET_DECODERCFG)));
    QCOMPARE(fields.value("baudRate").toInteger(), qint64(decoder.baudRate()));
    QCOMPARE(fields.value("decoderAddress").toInteger(), qint64(decoder.decoderAddress()));
}

void CliTest::setChangesOnlyTheNamedFields()
{
    const QByteArray before = m_fleet->record(Changed, SOLV_GET_FRONTCFG);
    QCOMPARE(before, m_fleet->factoryRecord(Changed, SOLV_GET_FRONTCFG));
    const quint8 brightness = quint8(before.at(4)) == 12 ? 13 : 12;

    const Run set = cli({ QStringLiteral("set"), ip(Changed), QStringLiteral("front"),
        QStringLiteral("brightness=%1").arg(brightness), QStringLiteral("exposureTime=40000") });
    QCOMPARE(set.exitCode, 0);

    const QByteArray after = m_fleet->record(Changed, SOLV_GET_FRONTCFG);
    QByteArray expected = before;
    expected[4] = char(brightness);
    expected.replace(32, 4, QByteArray::fromHex("409c0000"));
    // Pattern bytes and every other field as the camera had them.
    QCOMPARE(after, expected);

    const Run get = cli(
        { QStringLiteral("get"), ip(Changed), QStringLiteral("front"), QStringLiteral("--json") });
    QCOMPARE(get.exitCode, 0);
    QCOMPARE(json(get).value("brightness").toInt(), int(brightness));
    QCOMPARE(json(get).value("exposureTime").toInt(), 40000);
}

void CliTest::badValueTouchesNoDevice_data()
{
    QTest::addColumn<QStringList>("args");

    QTest::newRow("value too large") << QStringList { "front", "brightness=256" };
    QTest::newRow("unknown field") << QStringList { "front", "brilliance=5" };
    QTest::newRow("one bad among good") << QStringList { "front", "contrast=5", "gain=x" };
    QTest::newRow("text too long") << QStringList { "device", "name=" + QString(33, 'n') };
    QTest::newRow("not an assignment") << QStringList { "front", "brightness" };
    QTest::newRow("unknown record") << QStringList { "lens", "zoom=2" };
    QTest::newRow("nothing to set") << QStringList { "front" };
}

void CliTest::badValueTouchesNoDevice()
{
    QFETCH(QStringList, args);
    const QByteArray front = m_fleet->record(Plain, SOLV_GET_FRONTCFG);
    const QByteArray device = m_fleet->record(Plain, SOLV_GET_DEVICECFG);
    const Run run = cli(QStringList { QStringLiteral("set"), ip(Plain) } + args);
    QCOMPARE(run.exitCode, 2);
    QVERIFY(run.err.contains("usage: tervix-cli set"));
    QCOMPARE(m_fleet->record(Plain, SOLV_GET_FRONTCFG), front);
    QCOMPARE(m_fleet->record(Plain, SOLV_GET_DEVICECFG), device);
}

void CliTest::wrongPasswordFailsWithErrorOne()
{
    const Run wrong = cli({ QStringLiteral("info"), ip(Locked) });
    QCOMPARE(wrong.exitCode, 1);
    QVERIFY2(wrong.err.contains("(SDK error 1)"), wrong.err.constData());
    QVERIFY(wrong.out.isEmpty());

    const Run json = cli({ QStringLiteral("info"), ip(Locked), QStringLiteral("--json") });
    QCOMPARE(json.exitCode, 1);
    QCOMPARE(CliTest::json(json).value("error").toInt(), 1);

    const Run right = cli({ QStringLiteral("info"), ip(Locked), QStringLiteral("--password"),
        QStringLiteral("s3cret") });
    QCOMPARE(right.exitCode, 0);
}

void CliTest::deadAddressFailsWithinTimeout()
{
    QElapsedTimer timer;
    timer.start();
    const Run run = cli({ QStringLiteral("info"), QStringLiteral("127.0.41.250"),
        QStringLiteral("--timeout"), QStringLiteral("500") });
    QCOMPARE(run.exitCode, 1);
    QVERIFY(run.err.contains("SDK error"));
    QVERIFY(timer.elapsed() < 20000);

    const Run bad = cli({ QStringLiteral("info"), QStringLiteral("camera-7") });
    QCOMPARE(bad.exitCode, 2);
}

void CliTest::abilityTexts()
{
    const Run device = cli({ QStringLiteral("ability"), ip(Plain), QStringLiteral("device") });
    QCOMPARE(device.exitCode, 0);
    QVERIFY(device.out.contains("<UpdateFlag>"));
    QVERIFY(device.out.contains("<PlatForm>"));

    const Run camera = cli({ QStringLiteral("ability"), ip(Plain), QStringLiteral("camera"),
        QStringLiteral("--buffer=64"), QStringLiteral("--json") });
    QCOMPARE(camera.exitCode, 0);
    const QJsonObject result = json(camera);
    QVERIFY(result.value("text").toString().contains("exposureUSERSET"));
    QVERIFY(result.value("calls").toInt() > 1);

    const Run wrong = cli({ QStringLiteral("ability"), ip(Plain), QStringLiteral("lens") });
    QCOMPARE(wrong.exitCode, 2);
}

void CliTest::ptzProtocolsAsJson()
{
    const Run run = cli({ QStringLiteral("ptz-protocols"), ip(Plain), QStringLiteral("--json") });
    QCOMPARE(run.exitCode, 0);
    const QJsonArray list = QJsonDocument::fromJson(run.out).array();
    QCOMPARE(list.size(), 9);
    QCOMPARE(list.at(0).toObject().value("name").toString(), QStringLiteral("PELCO-D"));
}

void CliTest::rebootTakesTheCameraOffline()
{
    const Run run = cli({ QStringLiteral("reboot"), ip(Rebooted) });
    QCOMPARE(run.exitCode, 0);
    // A 20 s reboot at a time scale of 0.01: offline, then back.
    QTRY_VERIFY_WITH_TIMEOUT(!m_fleet->isOnline(Rebooted), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(m_fleet->isOnline(Rebooted), 10000);
}

void CliTest::restoreBringsBackFactoryRecords()
{
    QByteArray front = m_fleet->record(Restored, SOLV_GET_FRONTCFG);
    front[5] = char(quint8(front.at(5)) ^ 0x40);
    m_fleet->setRecord(Restored, SOLV_GET_FRONTCFG, front);
    QVERIFY(m_fleet->record(Restored, SOLV_GET_FRONTCFG)
        != m_fleet->factoryRecord(Restored, SOLV_GET_FRONTCFG));

    const Run run = cli({ QStringLiteral("restore"), ip(Restored) });
    QCOMPARE(run.exitCode, 0);
    QTRY_COMPARE(m_fleet->record(Restored, SOLV_GET_FRONTCFG),
        m_fleet->factoryRecord(Restored, SOLV_GET_FRONTCFG));
}

void CliTest::unknownCommandIsUsageError()
{
    const Run run = cli({ QStringLiteral("frobnicate"), ip(Plain) });
    QCOMPARE(run.exitCode, 2);
    QVERIFY(run.err.contains("frobnicate"));

    const Run option = cli({ QStringLiteral("info"), ip(Plain), QStringLiteral("--channel=2") });
    QCOMPARE(option.exitCode, 2);
}

void CliTest::helpListsCommands()
{
    const Run run = cli({ QStringLiteral("help") });
    QCOMPARE(run.exitCode, 0);
    for (const char *command :
        { "info", "get", "set", "reboot", "restore", "ability", "ptz-protocols" }) {
        QVERIFY2(run.out.contains(QByteArray("tervix-cli ") + command + ' '), command);
    }
}

QTEST_GUILESS_MAIN(CliTest)
#include "tst_cli.moc"
