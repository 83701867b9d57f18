#include "batchmendthread.h"
#include "devicesdk.h"
#include "devicestore.h"
#include "fleet.h"
#include "mirt.h"
#include "networksetters.h"
#include "quarryloader.h"
#include "records.h"
#include "solvane.h"
#include "testdevice.h"

#include <QMutex>
#include <QTest>

namespace {

constexpr quint16 FleetPort = 18600;
const DeviceCredentials Defaults { "admin", "60917" };

// One line per worker signal, in the order they were sent: the signal's
// name and its arguments, separated by spaces.
struct SignalTrace
{
    QMutex lock;
    QStringList lines;

    template<typename... Args> auto recorder(const QString &name)
    {
        return [this, name](Args... args) {
            QStringList parts { name };
            ((parts << QVariant::fromValue(args).toString()), ...);
            QMutexLocker locker(&lock);
            lines << parts.join(' ');
        };
    }
};

template<size_t N> QByteArray text(const char (&field)[N])
{
    return QByteArray(field, static_cast<qsizetype>(strnlen(field, N)));
}

} // namespace

class TestNetworkSetters : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void changesArriveAndEveryOtherByteStays_data();
    void changesArriveAndEveryOtherByteStays();
    void badTextsAndFreeSlotsAreRefusedBeforeTheDevice();
    void refusedLoginGivesFalseForBothAndTheCountStillAdvances();
    void emptyGatewaySendsNoGatewaySignal();

private:
    int store(int camera, quint32 source);
    bool answersAt(const QString &ip, quint16 port) const;
    void runWorker(const QList<BatchMendItem> &items, const QString &gateway, SignalTrace *trace);

    std::unique_ptr<devsim::Fleet> m_fleet;
    CDeviceStore m_store;
    bool m_loaded = false;
};

void TestNetworkSetters::initTestCase()
{
    MIRT_Init();
    SOLV_Init();
    m_loaded = QuarryLoader::instance().Load();
    QVERIFY2(m_loaded, "libquarry.so not found through TERVIX_BIN_DIR");
    devsim::FleetOptions options;
    options.count = 10;
    options.firstAddress = QStringLiteral("127.0.60.1");
    options.port = FleetPort;
    options.timeScale = 0.1;
    options.passwords.insert(6, "other");
    options.passwords.insert(7, "other");
    m_fleet = std::make_unique<devsim::Fleet>(options);
    QString error;
    QVERIFY2(m_fleet->start(&error), qPrintable(error));
}

void TestNetworkSetters::cleanupTestCase()
{
    m_fleet.reset();
    if (m_loaded) {
        QuarryLoader::instance().Unload();
    }
    SOLV_Cleanup();
    MIRT_Fini();
}

// Puts camera `camera` into the store as discovery (source 0) or the
// IP-range search (source 1, with the default password) would; returns its slot.
int TestNetworkSetters::store(int camera, quint32 source)
{
    QByteArray serial;
    QByteArray mac;
    m_fleet->run([&] {
        serial = m_fleet->cameras().at(camera)->serialNo().toLatin1();
        mac = m_fleet->cameras().at(camera)->macBytes().toHex(':');
    });
    DEVICEINFO record
        = testDevice(serial.constData(), m_fleet->currentAddress(camera).toLatin1().constData());
    record.wPort = m_fleet->currentPort(camera);
    record.dwSource = source;
    if (source == 0) {
        CopyDeviceText(record.szMAC, mac.constData());
    } else {
        CopyDeviceText(record.szUserName, "admin");
        CopyDeviceText(record.szPassword, "60917");
    }
    bool changed = false;
    return m_store.AddOrUpdate(record, &changed);
}

bool TestNetworkSetters::answersAt(const QString &ip, quint16 port) const
{
    SdkLogin login(ip.toLatin1(), port, "admin", "60917");
    NetCfg net;
    return login.ok() && readRecord(login.userId(), net, 0) && net.ipAddress() == ip.toLatin1()
        && net.port() == port;
}

void TestNetworkSetters::changesArriveAndEveryOtherByteStays_data()
{
    QTest::addColumn<int>("camera");
    QTest::addColumn<quint32>("source");
    QTest::newRow("announced") << 0 << quint32(0);
    QTest::newRow("searched") << 1 << quint32(1);
}

void TestNetworkSetters::changesArriveAndEveryOtherByteStays()
{
    QFETCH(int, camera);
    QFETCH(quint32, source);
    const int slot = store(camera, source);
    NetCfg net;
    net.bytes() = m_fleet->record(camera, SOLV_GET_NETCFG);
    DeviceCfg device;
    device.bytes() = m_fleet->record(camera, SOLV_GET_DEVICECFG);
    const QByteArray ip = "127.0.61.1" + QByteArray::number(camera);
    const quint16 port = 18610 + camera;
    // Ten three-byte characters and two ASCII ones: exactly 32 bytes.
    const QByteArray name
        = (QStringLiteral("\u95e8").repeated(10) + QStringLiteral("-A")).toLocal8Bit();
    QCOMPARE(name.size(), 32);

    // The later setters find the camera at its new address.
    QVERIFY(SetDeviceIpPortMask(&m_store, slot, ip, port, "255.255.0.0", Defaults));
    QCOMPARE(m_fleet->currentAddress(camera).toLatin1(), ip);
    QCOMPARE(m_fleet->currentPort(camera), port);
    QVERIFY(SetDeviceGateway(&m_store, slot, "127.0.61.254", Defaults));
    QVERIFY(SetDeviceName(&m_store, slot, name, Defaults));
    QVERIFY(answersAt(QString::fromLatin1(ip), port));

    net.setIpAddress(ip);
    net.setSubnetMask("255.255.0.0");
    net.setPort(port);
    net.setGateway("127.0.61.254");
    QCOMPARE(m_fleet->record(camera, SOLV_GET_NETCFG), net.bytes());
    device.setName(name);
    QCOMPARE(m_fleet->record(camera, SOLV_GET_DEVICECFG), device.bytes());
    DEVICEINFO stored {};
    QVERIFY(m_store.CopyOut(slot, &stored));
    QCOMPARE(text(stored.szIPAddress), ip);
    QCOMPARE(text(stored.szSubnetMask), QByteArray("255.255.0.0"));
    QCOMPARE(stored.wPort, port);
    QCOMPARE(text(stored.szGateway), QByteArray("127.0.61.254"));
    QCOMPARE(text(stored.szDevName), name);
}

void TestNetworkSetters::badTextsAndFreeSlotsAreRefusedBeforeTheDevice()
{
    const int slot = store(4, 1);
    const QByteArray deviceBefore = m_fleet->record(4, SOLV_GET_DEVICECFG);
    const QByteArray name = QStringLiteral("\u95e8").repeated(11).toLocal8Bit(); // 33 bytes
    QVERIFY(!SetDeviceName(&m_store, slot, name, Defaults));
    QVERIFY(!SetDeviceName(&m_store, slot, QByteArray(), Defaults));
    QVERIFY(!SetDeviceGateway(&m_store, slot, "127.0.61.254.1234", Defaults));
    QVERIFY(!SetDeviceIpPortMask(&m_store, slot, "", 18604, "255.0.0.0", Defaults));
    QCOMPARE(m_fleet->record(4, SOLV_GET_DEVICECFG), deviceBefore);
    QCOMPARE(m_fleet->currentAddress(4), m_fleet->address(4));

    const int freed = store(5, 1);
    DEVICEINFO stored {};
    QVERIFY(m_store.CopyOut(freed, &stored));
    m_store.Remove(stored.szSerialNo);
    QVERIFY(!SetDeviceIpPortMask(&m_store, freed, "127.0.61.15", 18615, "255.0.0.0", Defaults));
    QVERIFY(!SetDeviceGateway(&m_store, freed, "127.0.61.254", Defaults));
    QVERIFY(!SetDeviceIpPortMask(&m_store, 999, "127.0.61.15", 18615, "255.0.0.0", Defaults));
    QCOMPARE(m_fleet->currentAddress(5), m_fleet->address(5));
}

void TestNetworkSetters::runWorker(
    const QList<BatchMendItem> &items, const QString &gateway, SignalTrace *trace)
{
    BatchMendThread worker;
    connect(&worker, &BatchMendThread::FinishSetIpAddress, &worker,
        trace->recorder<int, int, QString, unsigned short, QString, bool>("ip"),
        Qt::DirectConnection);
    connect(&worker, &BatchMendThread::FinishSetGateway, &worker,
        trace->recorder<int, int, QString, bool>("gateway"), Qt::DirectConnection);
    connect(&worker, &BatchMendThread::FinishDeviceCount, &worker, trace->recorder<int>("count"),
        Qt::DirectConnection);
    worker.SetParameters(&m_store, items, 18620, QStringLiteral("255.255.0.0"), gateway, Defaults);
    worker.start();
    QVERIFY(worker.wait(60000));
}

void TestNetworkSetters::refusedLoginGivesFalseForBothAndTheCountStillAdvances()
{
    // Camera 6 refuses the search's password, camera 7 the default one.
    const int refusedSearched = store(6, 1);
    const int refusedAnnounced = store(7, 0);
    const int good = store(8, 1);
    SignalTrace trace;
    runWorker({ { refusedSearched, 0, QStringLiteral("127.0.61.16") },
                  { refusedAnnounced, 1, QStringLiteral("127.0.61.17") },
                  { good, 2, QStringLiteral("127.0.61.18") } },
        QStringLiteral("127.0.61.254"), &trace);
    const QString s1 = QString::number(refusedSearched);
    const QString s2 = QString::number(refusedAnnounced);
    const QString s3 = QString::number(good);
    QCOMPARE(trace.lines,
        (QStringList { "ip " + s1 + " 0 127.0.61.16 18620 255.255.0.0 false",
            "gateway " + s1 + " 0 127.0.61.254 false", "count 1",
            "ip " + s2 + " 1 127.0.61.17 18620 255.255.0.0 false",
            "gateway " + s2 + " 1 127.0.61.254 false", "count 2",
            "ip " + s3 + " 2 127.0.61.18 18620 255.255.0.0 true",
            "gateway " + s3 + " 2 127.0.61.254 true", "count 3" }));
    QCOMPARE(m_fleet->currentAddress(6), m_fleet->address(6));
    QCOMPARE(m_fleet->currentAddress(7), m_fleet->address(7));
    QVERIFY(answersAt(QStringLiteral("127.0.61.18"), 18620));
    DEVICEINFO stored {};
    QVERIFY(m_store.CopyOut(refusedSearched, &stored));
    QCOMPARE(text(stored.szIPAddress), m_fleet->address(6).toLatin1());
}

void TestNetworkSetters::emptyGatewaySendsNoGatewaySignal()
{
    const int slot = store(9, 0);
    const QByteArray netBefore = m_fleet->record(9, SOLV_GET_NETCFG);
    SignalTrace trace;
    runWorker({ { slot, 4, QStringLiteral("127.0.61.19") } }, QString(), &trace);
    QCOMPARE(trace.lines,
        (QStringList {
            "ip " + QString::number(slot) + " 4 127.0.61.19 18620 255.255.0.0 true", "count 1" }));
    // The gateway stays as it was.
    NetCfg expected;
    expected.bytes() = netBefore;
    expected.setIpAddress("127.0.61.19");
    expected.setSubnetMask("255.255.0.0");
    expected.setPort(18620);
    QCOMPARE(m_fleet->record(9, SOLV_GET_NETCFG), expected.bytes());
    QVERIFY(answersAt(QStringLiteral("127.0.61.19"), 18620));
}

QTEST_GUILESS_MAIN(TestNetworkSetters)
#include "tst_networksetters.moc"
