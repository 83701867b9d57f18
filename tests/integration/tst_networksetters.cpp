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

#include <QTest>

constexpr quint16 FleetPort = 18600;
const DeviceCredentials Defaults { "admin", "60917" };

// One line per worker signal, in the order sent: its name and arguments, separated by spaces.
// Only the worker writes, and the lines are read after it has finished.
struct SignalTrace
{
    QStringList lines;

    template<typename... Args> auto recorder(const QString &name)
    {
        return [this, name](Args... args) {
            QStringList parts { name };
            ((parts << QVariant::fromValue(args).toString()), ...);
            lines << parts.join(' ');
        };
    }
};

class TestNetworkSetters : public QObject
{
    Q_OBJECT

    std::unique_ptr<devsim::Fleet> m_fleet;
    CDeviceStore m_store;

    DeviceContext context() { return { &m_store, Defaults, {} }; }

    // Stores camera `camera` as discovery (source 0) or the IP-range search (source 1, with the
    // default password) would; returns its slot.
    int store(int camera, quint32 source)
    {
        DEVICEINFO record = testDevice("", m_fleet->currentAddress(camera).toLatin1().constData());
        m_fleet->run([&] {
            const devsim::Camera *c = m_fleet->cameras().at(camera);
            CopyDeviceText(record.szSerialNo, c->serialNo().toLatin1().constData());
            CopyDeviceText(record.szMAC, source == 0 ? c->macBytes().toHex(':').constData() : "");
        });
        record.wPort = m_fleet->currentPort(camera);
        record.dwSource = source;
        if (source == 1) {
            CopyDeviceText(record.szUserName, "admin");
            CopyDeviceText(record.szPassword, "60917");
        }
        bool changed = false;
        return m_store.AddOrUpdate(record, &changed);
    }

    void runWorker(const QList<BatchMendItem> &items, const QString &gateway, SignalTrace *trace)
    {
        BatchMendThread worker;
        connect(&worker, &BatchMendThread::FinishSetIpAddress, &worker,
            trace->recorder<int, int, QString, unsigned short, QString, bool>("ip"),
            Qt::DirectConnection);
        connect(&worker, &BatchMendThread::FinishSetGateway, &worker,
            trace->recorder<int, int, QString, bool>("gateway"), Qt::DirectConnection);
        connect(&worker, &BatchMendThread::FinishDeviceCount, &worker,
            trace->recorder<int>("count"), Qt::DirectConnection);
        worker.SetParameters(
            context(), items, 18620, QStringLiteral("255.255.0.0"), gateway);
        worker.start();
        QVERIFY(worker.wait(60000));
    }

private slots:
    void initTestCase()
    {
        MIRT_Init();
        SOLV_Init();
        QVERIFY2(QuarryLoader::instance().Load(), "libquarry.so not found through TERVIX_BIN_DIR");
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

    void cleanupTestCase()
    {
        m_fleet.reset();
        QuarryLoader::instance().Unload(); // also when it never loaded
        SOLV_Cleanup();
        MIRT_Fini();
    }

    void changesArriveAndEveryOtherByteStays_data()
    {
        QTest::addColumn<int>("camera");
        QTest::addColumn<quint32>("source");
        QTest::newRow("announced") << 0 << quint32(0);
        QTest::newRow("searched") << 1 << quint32(1);
    }

    void changesArriveAndEveryOtherByteStays()
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
        const QByteArray name = (QStringLiteral("\u95e8").repeated(10) + "-A").toLocal8Bit();
        QVERIFY(SetDeviceIpPortMask(context(), slot, ip, port, "255.255.0.0"));
        QVERIFY(SetDeviceGateway(context(), slot, "127.0.61.254"));
        QVERIFY(SetDeviceName(context(), slot, name));
        QVERIFY(SdkLogin(ip, port, "admin", "60917").ok());

        net.setIpAddress(ip);
        net.setSubnetMask("255.255.0.0");
        net.setPort(port);
        net.setGateway("127.0.61.254");
        QCOMPARE(m_fleet->record(camera, SOLV_GET_NETCFG), net.bytes());
        device.setName(name);
        QCOMPARE(m_fleet->record(camera, SOLV_GET_DEVICECFG), device.bytes());
    }

    void nameOver32BytesIsRefusedBeforeTheDevice()
    {
        const int slot = store(4, 1);
        const QByteArray before = m_fleet->record(4, SOLV_GET_DEVICECFG);
        const QByteArray name = QStringLiteral("\u95e8").repeated(11).toLocal8Bit(); // 33 bytes
        QVERIFY(!SetDeviceName(context(), slot, name));
        QCOMPARE(m_fleet->record(4, SOLV_GET_DEVICECFG), before);
    }

    void refusedLoginGivesFalseForBothAndTheCountStillAdvances()
    {
        // Camera 6 refuses the search's password, camera 7 the default one.
        const int searched = store(6, 1);
        const int announced = store(7, 0);
        const int good = store(8, 1);
        SignalTrace trace;
        runWorker({ { searched, 0, QStringLiteral("127.0.61.16") },
                      { announced, 1, QStringLiteral("127.0.61.17") },
                      { good, 2, QStringLiteral("127.0.61.18") } },
            QStringLiteral("127.0.61.254"), &trace);
        QCOMPARE(trace.lines,
            (QStringList { QString("ip %1 0 127.0.61.16 18620 255.255.0.0 false").arg(searched),
                QString("gateway %1 0 127.0.61.254 false").arg(searched), "count 1",
                QString("ip %1 1 127.0.61.17 18620 255.255.0.0 false").arg(announced),
                QString("gateway %1 1 127.0.61.254 false").arg(announced), "count 2",
                QString("ip %1 2 127.0.61.18 18620 255.255.0.0 true").arg(good),
                QString("gateway %1 2 127.0.61.254 true").arg(good), "count 3" }));
        DEVICEINFO stored {};
        QVERIFY(m_store.CopyOut(searched, &stored));
        QCOMPARE(QByteArray(stored.szIPAddress), m_fleet->address(6).toLatin1());
    }

    void emptyGatewaySendsNoGatewaySignal()
    {
        const int slot = store(9, 0);
        NetCfg expected;
        expected.bytes() = m_fleet->record(9, SOLV_GET_NETCFG);
        SignalTrace trace;
        runWorker({ { slot, 4, QStringLiteral("127.0.61.19") } }, QString(), &trace);
        QCOMPARE(trace.lines,
            (QStringList { "ip " + QString::number(slot) + " 4 127.0.61.19 18620 255.255.0.0 true",
                "count 1" }));
        expected.setIpAddress("127.0.61.19");
        expected.setSubnetMask("255.255.0.0");
        expected.setPort(18620);
        QCOMPARE(m_fleet->record(9, SOLV_GET_NETCFG), expected.bytes()); // gateway as it was
    }
};

QTEST_GUILESS_MAIN(TestNetworkSetters)
#include "tst_networksetters.moc"
