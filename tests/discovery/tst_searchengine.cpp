#include "fleet.h"
#include "records.h"
#include "searchengine.h"

#include "mirt.h"
#include "solvane.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QSet>
#include <QTest>

#include <atomic>
#include <thread>

namespace {

// Addresses of this suite only, so that suites running at the same time
// never meet: 127.0.20.x and 127.0.21.x.
constexpr quint16 kPort = 8000;

quint32 address(const char *text)
{
    quint32 network = 0;
    MIRT_InetPton(MIRT_AF_INET, text, &network);
    return MIRT_Ntohl(network);
}

// Collects what the engine reports, from its pool threads.
struct Reports
{
    QMutex lock;
    QList<DEVICEINFO> found;
    QStringList rejected;
    QList<int> otherCodes;
    std::atomic<int> insideFound { 0 };
    std::atomic<int> mostAtOnce { 0 };
    int holdMs = 0; // time spent inside each found report

    int count()
    {
        QMutexLocker locker(&lock);
        return int(found.size() + rejected.size() + otherCodes.size());
    }

    static void callback(DEVICEINFO *record, int code, void *user)
    {
        auto *self = static_cast<Reports *>(user);
        if (code == CSearchEngine::DeviceFound) {
            const int inside = ++self->insideFound;
            int most = self->mostAtOnce.load();
            while (inside > most && !self->mostAtOnce.compare_exchange_weak(most, inside)) { }
            if (self->holdMs > 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(self->holdMs));
            }
            --self->insideFound;
        }
        QMutexLocker locker(&self->lock);
        if (code == CSearchEngine::DeviceFound) {
            self->found.append(*record);
        } else if (code == CSearchEngine::UserPasswordError) {
            self->rejected.append(QString::fromLatin1(record->szIPAddress));
        } else {
            self->otherCodes.append(code);
        }
    }
};

devsim::FleetOptions fleetOptions(const QString &first, int count)
{
    devsim::FleetOptions options;
    options.count = count;
    options.firstAddress = first;
    options.port = kPort;
    options.discoveryPort = 0; // the search needs no announcements
    options.seed = 7;
    return options;
}

bool waitForProgress(const CSearchEngine &engine, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (engine.Progress() < 100 && timer.elapsed() < timeoutMs) {
        QTest::qSleep(10);
    }
    return engine.Progress() == 100;
}

} // namespace

class TestSearchEngine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void refusesBadArguments();
    void findsCamerasAndReportsRejectedAddresses();
    void fillsTheRecordFromTheDevice();
    void versionsAndSeries_data();
    void versionsAndSeries();
    void oneAddressRange();
    void stopDuringFeedStartsNothingMore();
    void stopWaitsForProbesUnderWay();
    void searchesAgainAfterStop();
    void destroyingARunningEngineStopsIt();
};

void TestSearchEngine::initTestCase()
{
    QVERIFY(MIRT_Init() == 0);
    SOLV_Init();
}

void TestSearchEngine::cleanupTestCase()
{
    SOLV_Cleanup();
    MIRT_Fini();
}

void TestSearchEngine::refusesBadArguments()
{
    CSearchEngine engine;
    Reports reports;
    const quint32 first = address("127.0.21.1");
    QVERIFY(!engine.Start(first, first, kPort, nullptr, "x", &Reports::callback, &reports));
    QVERIFY(!engine.Start(first, first, kPort, "admin", nullptr, &Reports::callback, &reports));
    QVERIFY(!engine.Start(first + 1, first, kPort, "admin", "x", &Reports::callback, &reports));
    QVERIFY(!engine.Start(0, 0xFFFFFFFFu, kPort, "admin", "x", &Reports::callback, &reports));
    QCOMPARE(engine.Progress(), 0u);
    QVERIFY(engine.Stop());
    QCOMPARE(reports.count(), 0);
}

void TestSearchEngine::findsCamerasAndReportsRejectedAddresses()
{
    // Cameras on .1-.6 and .12-.14 of the range .1-.20; the rest answer
    // nothing. Three cameras have a password of their own.
    devsim::FleetOptions optionsA = fleetOptions(QStringLiteral("127.0.20.1"), 6);
    optionsA.passwords.insert(2, "other1");
    optionsA.passwords.insert(4, "other2");
    devsim::FleetOptions optionsB = fleetOptions(QStringLiteral("127.0.20.12"), 3);
    optionsB.passwords.insert(1, "other3");
    optionsB.seed = 8; // serials of their own
    devsim::Fleet fleetA(optionsA);
    devsim::Fleet fleetB(optionsB);
    QString error;
    QVERIFY2(fleetA.start(&error), qPrintable(error));
    QVERIFY2(fleetB.start(&error), qPrintable(error));

    Reports reports;
    reports.holdMs = 20; // long enough for overlapping reports to show
    CSearchEngine engine;
    QVERIFY(engine.Start(address("127.0.20.1"), address("127.0.20.20"), kPort, "admin", "60917",
        &Reports::callback, &reports));
    QCOMPARE(engine.Total(), 20u);
    QVERIFY(waitForProgress(engine, 20000));
    QCOMPARE(engine.Done(), 20u);
    engine.Stop();

    QStringList foundAddresses;
    QSet<QString> serials;
    for (const DEVICEINFO &record : reports.found) {
        foundAddresses.append(QString::fromLatin1(record.szIPAddress));
        serials.insert(QString::fromLatin1(record.szSerialNo));
        QCOMPARE(record.dwSource, 1u);
        QCOMPARE(record.wPort, kPort);
        QCOMPARE(QByteArray(record.szUserName), QByteArray("admin"));
        QCOMPARE(QByteArray(record.szPassword), QByteArray("60917"));
    }
    foundAddresses.sort();
    QCOMPARE(foundAddresses,
        QStringList({ "127.0.20.1", "127.0.20.12", "127.0.20.14", "127.0.20.2", "127.0.20.4",
            "127.0.20.6" }));
    QCOMPARE(serials.size(), 6);
    reports.rejected.sort();
    QCOMPARE(reports.rejected, QStringList({ "127.0.20.13", "127.0.20.3", "127.0.20.5" }));
    QVERIFY(reports.otherCodes.isEmpty());
    QCOMPARE(reports.mostAtOnce.load(), 1);
}

// Runs a one-address search on the camera of `fleet` and gives its record.
static bool searchOne(const char *ip, DEVICEINFO *record)
{
    Reports reports;
    CSearchEngine engine;
    const quint32 only = address(ip);
    if (!engine.Start(only, only, kPort, "admin", "60917", &Reports::callback, &reports)
        || !waitForProgress(engine, 10000)) {
        return false;
    }
    engine.Stop();
    if (reports.found.size() != 1) {
        return false;
    }
    *record = reports.found.first();
    return true;
}

void TestSearchEngine::fillsTheRecordFromTheDevice()
{
    devsim::Fleet fleet(fleetOptions(QStringLiteral("127.0.20.40"), 1));
    QString error;
    QVERIFY2(fleet.start(&error), qPrintable(error));
    // Full-width texts without a terminating zero, and bytes of every value.
    DeviceCfg device;
    QVERIFY(device.setBytes(fleet.record(0, SOLV_GET_DEVICECFG)));
    device.setName(QByteArray(32, 'N'));
    device.setDeviceNumber(0xA1B2C3D4u);
    device.setSerialNumber(QByteArray(48, 'S'));
    device.setChannelCount(4);
    device.setDiskCount(2);
    fleet.setRecord(0, SOLV_GET_DEVICECFG, device.bytes());
    NetCfg net;
    QVERIFY(net.setBytes(fleet.record(0, SOLV_GET_NETCFG)));
    net.setSubnetMask("255.255.255.128");
    net.setGateway("127.0.20.126");
    net.setMac(QByteArray::fromHex("0A1BFC00E9D8"));
    fleet.setRecord(0, SOLV_GET_NETCFG, net.bytes());

    DEVICEINFO record {};
    QVERIFY(searchOne("127.0.20.40", &record));
    QCOMPARE(QByteArray(record.szDevName), QByteArray(32, 'N'));
    QCOMPARE(record.dwDevID, 0xA1B2C3D4u);
    QCOMPARE(QByteArray(record.szSerialNo), QByteArray(48, 'S'));
    QCOMPARE(record.dwChannelNum, 4u);
    QCOMPARE(record.dwDiskNum, 2u);
    QCOMPARE(QByteArray(record.szIPAddress), QByteArray("127.0.20.40"));
    QCOMPARE(record.wPort, kPort);
    QCOMPARE(QByteArray(record.szSubnetMask), QByteArray("255.255.255.128"));
    QCOMPARE(QByteArray(record.szGateway), QByteArray("127.0.20.126"));
    QCOMPARE(QByteArray(record.szMAC), QByteArray("0a:1b:fc:00:e9:d8"));
    QCOMPARE(QByteArray(record.szUserName), QByteArray("admin"));
    QCOMPARE(QByteArray(record.szPassword), QByteArray("60917"));
    QCOMPARE(QByteArray(record.szStartTime), QByteArray());
    QCOMPARE(record.dwSource, 1u);
}

void TestSearchEngine::versionsAndSeries_data()
{
    QTest::addColumn<quint32>("version");
    QTest::addColumn<quint32>("date");
    QTest::addColumn<quint32>("dspVersion");
    QTest::addColumn<quint32>("dspDate");
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("software");
    QTest::addColumn<QByteArray>("dsp");
    QTest::addColumn<bool>("knownType");

    QTest::newRow("older form") << 0x00020001u << 0x000B0915u << 0x00020001u << 0x000B0915u << 31
                                << QByteArray("V2.1 build110921") << QByteArray("V2.1 build110921")
                                << true;
    QTest::newRow("major in top byte")
        << 0x03010002u << 0x000B0915u << 0x00040000u << 0x000A0101u << 1
        << QByteArray("V3.1.2 build110921") << QByteArray("V4.0 build100101") << true;
    QTest::newRow("revision 0") << 0x05030000u << 0x000C0101u << 0x03010002u << 0x000C0101u << 0
                                << QByteArray("V5.3.0 build120101")
                                << QByteArray("V769.2 build120101") << false;
    QTest::newRow("type above the table")
        << 0x01000000u << 0u << 0u << 0u << 116 << QByteArray("V1.0.0 build000000")
        << QByteArray("V0.0 build000000") << false;
}

void TestSearchEngine::versionsAndSeries()
{
    QFETCH(quint32, version);
    QFETCH(quint32, date);
    QFETCH(quint32, dspVersion);
    QFETCH(quint32, dspDate);
    QFETCH(int, type);
    QFETCH(QByteArray, software);
    QFETCH(QByteArray, dsp);
    QFETCH(bool, knownType);

    devsim::Fleet fleet(fleetOptions(QStringLiteral("127.0.20.41"), 1));
    QString error;
    QVERIFY2(fleet.start(&error), qPrintable(error));
    DeviceCfg device;
    QVERIFY(device.setBytes(fleet.record(0, SOLV_GET_DEVICECFG)));
    device.setSoftwareVersion(version);
    device.setSoftwareBuildDate(date);
    device.setDspVersion(dspVersion);
    device.setDspBuildDate(dspDate);
    device.setDeviceType(quint8(type));
    fleet.setRecord(0, SOLV_GET_DEVICECFG, device.bytes());

    DEVICEINFO record {};
    QVERIFY(searchOne("127.0.20.41", &record));
    QCOMPARE(QByteArray(record.szSoftwareVersion), software);
    QCOMPARE(QByteArray(record.szDSPVersion), dsp);
    const QByteArray model(record.szDevModel);
    QVERIFY(!model.isEmpty());
    QCOMPARE(model != "Unknown type", knownType);
}

void TestSearchEngine::oneAddressRange()
{
    // The camera answers slowly, so the search is seen before its end.
    devsim::FleetOptions options = fleetOptions(QStringLiteral("127.0.20.50"), 1);
    devsim::Fault slow;
    slow.delayMs = 300;
    options.faults.insert(0, slow);
    devsim::Fleet fleet(options);
    QString error;
    QVERIFY2(fleet.start(&error), qPrintable(error));

    Reports reports;
    CSearchEngine engine;
    const quint32 only = address("127.0.20.50");
    QVERIFY(engine.Start(only, only, kPort, "admin", "60917", &Reports::callback, &reports));
    QCOMPARE(engine.Total(), 1u);
    QTest::qSleep(100);
    QCOMPARE(engine.Progress(), 0u);
    QVERIFY(waitForProgress(engine, 10000));
    QCOMPARE(reports.found.size(), 1);
    engine.Stop();
    QCOMPARE(engine.Progress(), 100u);
}

void TestSearchEngine::stopDuringFeedStartsNothingMore()
{
    // Cameras at the end of a long range: the feed never gets there.
    devsim::Fleet fleet(fleetOptions(QStringLiteral("127.0.21.150"), 3));
    QString error;
    QVERIFY2(fleet.start(&error), qPrintable(error));

    Reports reports;
    CSearchEngine engine;
    QVERIFY(engine.Start(address("127.0.21.1"), address("127.0.21.200"), kPort, "admin", "60917",
        &Reports::callback, &reports));
    QTest::qSleep(300);
    QVERIFY(engine.Stop());
    const quint32 doneAtStop = engine.Done();
    QVERIFY(doneAtStop > 0);
    QVERIFY(doneAtStop < 100);
    QVERIFY(engine.Progress() < 100);

    QTest::qSleep(500);
    QCOMPARE(engine.Done(), doneAtStop);
    QCOMPARE(reports.count(), 0);
}

void TestSearchEngine::stopWaitsForProbesUnderWay()
{
    devsim::FleetOptions options = fleetOptions(QStringLiteral("127.0.20.60"), 1);
    devsim::Fault slow;
    slow.delayMs = 400;
    options.faults.insert(0, slow);
    devsim::Fleet fleet(options);
    QString error;
    QVERIFY2(fleet.start(&error), qPrintable(error));

    Reports reports;
    CSearchEngine engine;
    const quint32 only = address("127.0.20.60");
    QVERIFY(engine.Start(only, only, kPort, "admin", "60917", &Reports::callback, &reports));
    QTRY_VERIFY(fleet.sessionCount(0) > 0); // the probe is logging in now
    engine.Stop();
    // The probe was past its stop check: it finished before Stop returned,
    // and nothing arrives later.
    QCOMPARE(engine.Done(), 1u);
    QCOMPARE(reports.count(), 1);
    QTest::qSleep(500);
    QCOMPARE(reports.count(), 1);
}

void TestSearchEngine::searchesAgainAfterStop()
{
    devsim::Fleet fleet(fleetOptions(QStringLiteral("127.0.20.70"), 3));
    QString error;
    QVERIFY2(fleet.start(&error), qPrintable(error));

    Reports reports;
    CSearchEngine engine;
    QVERIFY(engine.Start(address("127.0.20.70"), address("127.0.20.72"), kPort, "admin", "60917",
        &Reports::callback, &reports));
    engine.Stop(); // at once: nothing fed yet
    QVERIFY(engine.Start(address("127.0.20.70"), address("127.0.20.72"), kPort, "admin", "60917",
        &Reports::callback, &reports));
    QCOMPARE(engine.Progress(), 0u);
    QVERIFY(waitForProgress(engine, 10000));
    engine.Stop();
    QCOMPARE(engine.Done(), 3u);
    QCOMPARE(reports.found.size(), 3);
}

void TestSearchEngine::destroyingARunningEngineStopsIt()
{
    devsim::Fleet fleet(fleetOptions(QStringLiteral("127.0.20.80"), 5));
    QString error;
    QVERIFY2(fleet.start(&error), qPrintable(error));

    Reports reports;
    {
        CSearchEngine engine;
        QVERIFY(engine.Start(address("127.0.20.80"), address("127.0.20.120"), kPort, "admin",
            "60917", &Reports::callback, &reports));
        QTest::qSleep(30);
    }
    const int atDestruction = reports.count();
    QTest::qSleep(300);
    QCOMPARE(reports.count(), atDestruction);
}

QTEST_GUILESS_MAIN(TestSearchEngine)
#include "tst_searchengine.moc"
