#include "fleet.h"
#include "records.h"

#include <QProcess>
#include <QTest>

namespace {

constexpr quint16 FleetPort = 18950;

struct Run
{
    int exitCode = -1;
    QStringList lines;
    QString errors;
};

Run cli(const QStringList &args)
{
    QProcess process;
    process.start(qEnvironmentVariable("TERVIX_BIN_DIR") + QStringLiteral("/tervix-cli"), args);
    Run run;
    if (!process.waitForFinished(60000)) {
        process.kill();
        return run;
    }
    run.exitCode = process.exitCode();
    run.lines = QString::fromUtf8(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    run.errors = QString::fromUtf8(process.readAllStandardError());
    return run;
}

} // namespace

// tervix-cli set-network against simulated cameras on 127.0.60.150 and up.
class TestCliNetwork : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void oneDeviceGetsAddressNameAndGateway();
    void batchTakesConsecutiveAddressesAndReportsEachDevice();
    void announcedDeviceMovesByItsMac();
    void badInputTouchesNothing_data();
    void badInputTouchesNothing();

private:
    QString serial(int index) const;
    std::unique_ptr<devsim::Fleet> m_fleet;
};

void TestCliNetwork::initTestCase()
{
    devsim::FleetOptions options;
    options.count = 6;
    options.firstAddress = QStringLiteral("127.0.60.150");
    options.port = FleetPort;
    options.timeScale = 0.1;
    options.passwords.insert(3, "other");
    m_fleet = std::make_unique<devsim::Fleet>(options);
    QString error;
    QVERIFY2(m_fleet->start(&error), qPrintable(error));
}

void TestCliNetwork::cleanupTestCase()
{
    m_fleet.reset();
}

QString TestCliNetwork::serial(int index) const
{
    QString result;
    m_fleet->run([&] { result = m_fleet->cameras().at(index)->serialNo(); });
    return result;
}

void TestCliNetwork::oneDeviceGetsAddressNameAndGateway()
{
    const Run run = cli({ "set-network", "127.0.60.150", "--port", QString::number(FleetPort),
        "--ip", "127.0.61.150", "--mask", "255.255.0.0", "--gateway", "127.0.61.254", "--name",
        QStringLiteral("Hall \u5357") });
    QCOMPARE(run.exitCode, 0);
    const QString s = serial(0);
    QCOMPARE(run.lines,
        (QStringList { s + " set ip, port, mask to127.0.61.150, 18950, 255.255.0.0 succeed!",
            s + " set device name to\"Hall \u5357\" succeed!",
            s + " set gateway to127.0.61.254 succeed!" }));
    QCOMPARE(m_fleet->currentAddress(0), QStringLiteral("127.0.61.150"));
    NetCfg net;
    net.bytes() = m_fleet->record(0, SOLV_GET_NETCFG);
    QCOMPARE(net.gateway(), QByteArray("127.0.61.254"));
}

void TestCliNetwork::batchTakesConsecutiveAddressesAndReportsEachDevice()
{
    // Camera 3 refuses the password: reported, and the batch goes on.
    const Run run = cli({ "set-network", "--start-ip", "127.0.61.160", "--mask", "255.255.255.0",
        "--port", QString::number(FleetPort), "127.0.60.151", "127.0.60.153", "127.0.60.152" });
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.lines,
        (QStringList {
            serial(1) + " set ip, port, mask to127.0.61.160, 18950, 255.255.255.0 succeed!",
            "127.0.60.153 set ip, port, mask to127.0.61.161, 18950, 255.255.255.0 failed!",
            serial(2) + " set ip, port, mask to127.0.61.162, 18950, 255.255.255.0 succeed!" }));
    QCOMPARE(m_fleet->currentAddress(1), QStringLiteral("127.0.61.160"));
    QCOMPARE(m_fleet->currentAddress(3), m_fleet->address(3));
    QCOMPARE(m_fleet->currentAddress(2), QStringLiteral("127.0.61.162"));
}

void TestCliNetwork::announcedDeviceMovesByItsMac()
{
    QByteArray mac;
    m_fleet->run([&] { mac = m_fleet->cameras().at(4)->macBytes().toHex(':'); });
    const Run run = cli({ "set-network", QString::fromLatin1(mac), "--ip", "127.0.61.170", "--mask",
        "255.255.255.0", "--port", "18970" });
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.lines,
        QStringList { QString::fromLatin1(mac)
            + " set ip, port, mask to127.0.61.170, 18970, 255.255.255.0 succeed!" });
    QCOMPARE(m_fleet->currentAddress(4), QStringLiteral("127.0.61.170"));
    QCOMPARE(m_fleet->currentPort(4), quint16(18970));
}

void TestCliNetwork::badInputTouchesNothing_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    const QString host = QStringLiteral("127.0.60.155:18950");
    QTest::newRow("mask with a hole") << QStringList { "--ip", "127.0.61.180", "--mask",
        "255.0.255.0", host } << "Subnet Mask is invalid!";
    QTest::newRow("port 1999") << QStringList { "--ip", "127.0.61.180", "--mask", "255.0.0.0",
        "--port", "1999", host }
                               << "Port should be ranged from 2000 to 65535!";
    QTest::newRow("name of 33 bytes") << QStringList { "--ip", "127.0.61.180", "--mask",
        "255.0.0.0", "--name", QStringLiteral("\u5357").repeated(11), host }
                                      << "Device name exceeds maximum length!";
    QTest::newRow("start past .254")
        << QStringList { "--start-ip", "127.0.61.254", "--mask", "255.0.0.0", host, "127.0.60.154" }
        << "The number of IP addresses is less than the number of devices!";
    QTest::newRow("two devices, one address")
        << QStringList { "--ip", "127.0.61.180", "--mask", "255.0.0.0", host, "127.0.60.154" }
        << "several devices take consecutive addresses from --start-ip";
}

void TestCliNetwork::badInputTouchesNothing()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    const Run run = cli(QStringList { "set-network" } + args);
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.errors.contains(message), qPrintable(run.errors));
    QCOMPARE(m_fleet->currentAddress(5), m_fleet->address(5));
}

QTEST_GUILESS_MAIN(TestCliNetwork)
#include "tst_clinetwork.moc"
