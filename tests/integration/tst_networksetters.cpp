#include "batchmendthread.h"
#include "devicesdk.h"
#include "devicestore.h"
#include "fleet.h"
#include "mirt.h"
#include "networksetters.h"
#include "quarryloader.h"
#include "records.h"
#include "singlechange.h"
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

    // A context whose log lines land in *lines.
    DeviceContext logTo(QStringList *lines)
    {
        return { &m_store, Defaults, [lines](const QString &line) { *lines << line; } };
    }

    QString serialOf(int camera) const
    {
        QString serial;
        m_fleet->run([&] { serial = m_fleet->cameras().at(camera)->serialNo(); });
        return serial;
    }

    // Stores camera `camera` as discovery (source 0) or the IP-range search (source 1, with the
    // default password) would; returns its slot.
    int store(int camera, quint32 source)
    {
        DEVICEINFO record = testDevice("", m_fleet->currentAddress(camera).toLatin1().constData());
        m_fleet->run([&] {
            const devsim::Camera *c = m_fleet->cameras().at(camera);
            FixedText::write(record.szSerialNo, c->serialNo().toLatin1().constData());
            FixedText::write(record.szMAC, source == 0 ? c->macBytes().toHex(':').constData() : "");
        });
        record.wPort = m_fleet->currentPort(camera);
        record.dwSource = source;
        if (source == 1) {
            FixedText::write(record.szUserName, "admin");
            FixedText::write(record.szPassword, "60917");
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
        worker.SetParameters(context(), items, 18620, QStringLiteral("255.255.0.0"), gateway);
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
        options.count = 14;
        options.firstAddress = QStringLiteral("127.0.60.1");
        options.port = FleetPort;
        options.timeScale = 0.1;
        options.passwords.insert(6, "other");
        options.passwords.insert(7, "other");
        options.passwords.insert(12, "other");
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

    // The modification panel's and set-network's change of one device: the
    // addresses go out as devices read them, at 127.0.61.<20 + camera>, and
    // every other byte of the device's records stays. Each field is tried
    // whatever the one before did.
    void singleChangeSetsEachFieldInOrder_data()
    {
        QTest::addColumn<int>("camera");
        QTest::addColumn<quint32>("source");
        QTest::addColumn<QString>("ip"); // as typed
        QTest::addColumn<QString>("port"); // empty: none, the device keeps its own
        QTest::addColumn<QString>("name");
        auto row = [](const char *tag, int camera, quint32 source, const char *ip, const char *port,
                       const QString &name) {
            QTest::newRow(tag) << camera << source << QString(ip) << QString(port) << name;
        };
        // Ten three-byte characters and two ASCII ones: exactly 32 bytes.
        const QString longest = QStringLiteral("\u95e8").repeated(10) + "-A";
        row("announced, new port", 0, 0, "127.0.61.20", "18610", longest);
        row("searched, new port", 1, 1, "127.0.61.21", "18611", longest);
        row("searched, leading zeros, no new port", 10, 1, "127.0.061.030", "", "Gate");
        row("announced, leading zeros, no new port", 11, 0, "127.0.061.031", "", "Gate");
        // The camera refuses the password it was found with.
        row("device refuses", 12, 1, "127.0.61.32", "18632", "Gate");
    }

    void singleChangeSetsEachFieldInOrder()
    {
        QFETCH(int, camera);
        QFETCH(quint32, source);
        QFETCH(QString, ip);
        QFETCH(QString, port);
        QFETCH(QString, name);
        const bool ok = camera != 12;
        const int slot = store(camera, source);
        const QString serial = serialOf(camera);
        const QString oldIp = m_fleet->currentAddress(camera);
        const quint16 oldPort = m_fleet->currentPort(camera);
        const QString sentIp = QStringLiteral("127.0.61.%1").arg(20 + camera);
        const quint16 sentPort = port.isEmpty() ? oldPort : port.toUShort();
        NetCfg net;
        net.bytes() = m_fleet->record(camera, SOLV_GET_NETCFG);
        DeviceCfg device;
        device.bytes() = m_fleet->record(camera, SOLV_GET_DEVICECFG);

        QStringList log;
        const NetworkMend::SingleChangeResult result
            = NetworkMend::ApplySingleChange(logTo(&log), slot,
                { ip, "255.255.000.0", "127.0.61.254", name,
                    port.isEmpty() ? std::nullopt : std::optional(port) },
                serial);
        QCOMPARE(result.status, NetworkMend::SingleChangeResult::Applied);
        QCOMPARE(result.addressSet, ok);
        QCOMPARE(result.nameSet, std::optional(ok));
        QCOMPARE(result.gatewaySet, std::optional(ok));
        const QString end = ok ? " succeed!" : " failed!";
        QCOMPARE(log,
            (QStringList { serial + " set ip, port, mask to" + sentIp + ", "
                    + QString::number(sentPort) + ", 255.255.0.0" + end,
                serial + " set device name to\"" + name + "\"" + end,
                serial + " set gateway to127.0.61.254" + end }));
        QCOMPARE(m_fleet->currentAddress(camera), ok ? sentIp : oldIp);
        QCOMPARE(m_fleet->currentPort(camera), ok ? sentPort : oldPort);
        if (ok) {
            QVERIFY(SdkLogin(sentIp.toLatin1(), sentPort, "admin", "60917").ok());
            net.setIpAddress(sentIp.toLatin1());
            net.setSubnetMask("255.255.0.0");
            net.setPort(sentPort);
            net.setGateway("127.0.61.254");
            device.setName(name.toLocal8Bit());
        }
        QCOMPARE(m_fleet->record(camera, SOLV_GET_NETCFG), net.bytes());
        QCOMPARE(m_fleet->record(camera, SOLV_GET_DEVICECFG), device.bytes());
        DEVICEINFO stored {};
        QVERIFY(m_store.CopyOut(slot, &stored));
        QCOMPARE(QByteArray(stored.szIPAddress), (ok ? sentIp : oldIp).toLatin1());
        QCOMPARE(stored.wPort, ok ? sentPort : oldPort);
    }

    void singleChangeSendsNothingWhenRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("shown"); // serial the panel shows; empty: the device's
        QTest::addColumn<bool>("listed");
        QTest::addColumn<QString>("message");
        auto row = [](const char *tag, const QString &name, const char *mask, const char *port,
                       const char *shown, bool listed, const char *message) {
            QTest::newRow(tag) << name << QString(mask) << QString(port) << QString(shown) << listed
                               << QString(message);
        };
        const char *noDevice = "Select a device first!";
        // 33 bytes: the name's length is checked before the fields.
        row("name over 32 bytes, before the fields", QStringLiteral("\u95e8").repeated(11),
            "255.0.255.0", "", "", true, "Device name exceeds maximum length!");
        row("mask with a hole", "", "255.0.255.0", "8000", "", true, "Subnet Mask is invalid!");
        row("port below 2000", "", "255.255.0.0", "1999", "", true,
            "Port should be ranged from 2000 to 65535!");
        row("another device shown", "", "255.255.0.0", "8000", "XX-0", true, noDevice);
        row("slot emptied", "", "255.255.0.0", "8000", "", false, noDevice);
    }

    void singleChangeSendsNothingWhenRefused()
    {
        QFETCH(QString, name);
        QFETCH(QString, mask);
        QFETCH(QString, port);
        QFETCH(QString, shown);
        QFETCH(bool, listed);
        QFETCH(QString, message);
        const QString serial = serialOf(13);
        int slot = m_store.Find(serial.toLatin1().constData());
        if (slot < 0) {
            slot = store(13, 1);
        }
        CDeviceStore empty;
        const QByteArray net = m_fleet->record(13, SOLV_GET_NETCFG);
        const QByteArray device = m_fleet->record(13, SOLV_GET_DEVICECFG);
        QStringList log;
        DeviceContext logged = logTo(&log);
        if (!listed) {
            logged.store = &empty;
        }
        const NetworkMend::SingleChangeResult result = NetworkMend::ApplySingleChange(logged, slot,
            { "127.0.61.33", mask, "127.0.61.254", name, port }, shown.isEmpty() ? serial : shown);
        QCOMPARE(result.status,
            message == QLatin1String("Select a device first!")
                ? NetworkMend::SingleChangeResult::NoDevice
                : NetworkMend::SingleChangeResult::Invalid);
        QCOMPARE(result.message, message);
        QVERIFY(log.isEmpty());
        QCOMPARE(m_fleet->record(13, SOLV_GET_NETCFG), net);
        QCOMPARE(m_fleet->record(13, SOLV_GET_DEVICECFG), device);
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
