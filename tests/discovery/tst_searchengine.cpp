#include "fleet.h"
#include "records.h"
#include "searchengine.h"

#include "mirt.h"
#include "solvane.h"

#include <QMutex>
#include <QSet>
#include <QTest>

#include <atomic>
#include <thread>

namespace {

// This suite's cameras are on 127.0.20.x and 127.0.21.x.
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
            std::this_thread::sleep_for(std::chrono::milliseconds(self->holdMs));
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

devsim::FleetOptions fleetOptions(const char *first, int count, int delayMs = 0)
{
    devsim::FleetOptions options;
    options.count = count;
    options.firstAddress = QLatin1String(first);
    options.port = kPort;
    options.discoveryPort = 0; // the search needs no announcements
    options.seed = 7;
    if (delayMs > 0) {
        devsim::Fault slow;
        slow.delayMs = delayMs;
        options.faults.insert(0, slow);
    }
    return options;
}

bool started(devsim::Fleet &fleet)
{
    QString error;
    return fleet.start(&error) || (qWarning("%s", qPrintable(error)), false);
}

bool start(CSearchEngine &engine, const char *first, const char *last, Reports &reports)
{
    return engine.Start(
        address(first), address(last), kPort, "admin", "60917", &Reports::callback, &reports);
}

} // namespace

class TestSearchEngine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(MIRT_Init() == 0);
        SOLV_Init();
    }

    void cleanupTestCase()
    {
        SOLV_Cleanup();
        MIRT_Fini();
    }

    void refusesBadArguments()
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

    void findsCamerasAndReportsRejectedAddresses()
    {
        // Cameras on .1-.6 and .12-.14 of the range .1-.20; the rest answer
        // nothing. Three cameras have a password of their own.
        devsim::FleetOptions optionsA = fleetOptions("127.0.20.1", 6);
        optionsA.passwords.insert(2, "other1");
        optionsA.passwords.insert(4, "other2");
        devsim::FleetOptions optionsB = fleetOptions("127.0.20.12", 3);
        optionsB.passwords.insert(1, "other3");
        optionsB.seed = 8; // serials of their own
        devsim::Fleet fleetA(optionsA);
        devsim::Fleet fleetB(optionsB);
        QVERIFY(started(fleetA));
        QVERIFY(started(fleetB));

        Reports reports;
        reports.holdMs = 20; // long enough for overlapping reports to show
        CSearchEngine engine;
        QVERIFY(start(engine, "127.0.20.1", "127.0.20.20", reports));
        QCOMPARE(engine.Total(), 20u);
        QTRY_COMPARE_WITH_TIMEOUT(engine.Progress(), 100u, 20000);
        QCOMPARE(engine.Done(), 20u);
        engine.Stop();

        QStringList foundAddresses;
        QSet<QString> serials;
        for (const DEVICEINFO &record : reports.found) {
            foundAddresses.append(QString::fromLatin1(record.szIPAddress));
            serials.insert(QString::fromLatin1(record.szSerialNo));
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

    void fillsTheRecordFromTheDevice()
    {
        // Full-width texts without a terminating zero, and bytes of every value.
        DeviceCfg device;
        device.setName(QByteArray(32, 'N'));
        device.setDeviceNumber(0xA1B2C3D4u);
        device.setSerialNumber(QByteArray(48, 'S'));
        device.setChannelCount(4);
        device.setDiskCount(2);
        device.setSoftwareVersion(0x03010002u);
        device.setSoftwareBuildDate(0x000B0915u);
        device.setDspVersion(0x00040000u);
        device.setDspBuildDate(0x000A0101u);
        device.setDeviceType(31);
        NetCfg net;
        net.setSubnetMask("255.255.255.128");
        net.setGateway("127.0.20.126");
        net.setMac(QByteArray::fromHex("0A1BFC00E9D8"));
        DEVICEINFO r;
        std::memset(&r, 0x5A, sizeof r); // nothing of an earlier record survives
        CSearchEngine::FillFoundDevice(r, device, net, "127.0.20.40", kPort, "admin", "60917");
        QCOMPARE(QList<QByteArray>({ r.szDevName, r.szSerialNo, r.szSoftwareVersion, r.szDSPVersion,
                     r.szDevModel, r.szIPAddress, r.szSubnetMask, r.szGateway, r.szMAC,
                     r.szUserName, r.szPassword, r.szStartTime }),
            QList<QByteArray>({ QByteArray(32, 'N'), QByteArray(48, 'S'), "V3.1.2 build110921",
                "V4.0 build100101", "IPC2030 Series", "127.0.20.40", "255.255.255.128",
                "127.0.20.126", "0a:1b:fc:00:e9:d8", "admin", "60917", "" }));
        QCOMPARE(QList<uint>({ r.dwDevID, r.dwChannelNum, r.dwDiskNum, r.wPort, r.dwSource }),
            QList<uint>({ 0xA1B2C3D4u, 4, 2, kPort, 1 }));
    }

    void stopWaitsForTheProbeUnderWay()
    {
        // The camera answers slowly, so the search is seen before its end.
        devsim::Fleet fleet(fleetOptions("127.0.20.60", 1, 400));
        QVERIFY(started(fleet));
        Reports reports;
        CSearchEngine engine;
        QVERIFY(start(engine, "127.0.20.60", "127.0.20.60", reports));
        QCOMPARE(engine.Total(), 1u);
        QTRY_VERIFY(fleet.sessionCount(0) > 0); // the probe is logging in now
        QCOMPARE(engine.Progress(), 0u);
        engine.Stop();
        // The probe was past its stop check: it finished before Stop returned,
        // and so did the whole search.
        QCOMPARE(engine.Done(), 1u);
        QCOMPARE(engine.Progress(), 100u);
        QCOMPARE(reports.count(), 1);
    }

    void stopDuringFeedStartsNothingMoreAndSearchesAgain()
    {
        // Cameras at the end of a long range: the feed never gets there.
        devsim::Fleet fleet(fleetOptions("127.0.21.150", 3));
        QVERIFY(started(fleet));
        Reports reports;
        CSearchEngine engine;
        QVERIFY(start(engine, "127.0.21.1", "127.0.21.200", reports));
        QTRY_VERIFY(engine.Done() > 0);
        QVERIFY(engine.Stop());
        const quint32 doneAtStop = engine.Done();
        QVERIFY(doneAtStop > 0);
        QVERIFY(doneAtStop < 100);
        QVERIFY(engine.Progress() < 100);
        QVERIFY(!engine.WaitFinished(0)); // a stopped search never finishes
        QTest::qSleep(500);
        QCOMPARE(engine.Done(), doneAtStop);
        QCOMPARE(reports.count(), 0);

        QVERIFY(start(engine, "127.0.21.150", "127.0.21.152", reports));
        QCOMPARE(engine.Progress(), 0u);
        QVERIFY(engine.WaitFinished(10000));
        QCOMPARE(engine.Progress(), 100u);
        engine.Stop();
        QCOMPARE(engine.Done(), 3u);
        QCOMPARE(reports.found.size(), 3);
    }

    void destroyingARunningEngineStopsIt()
    {
        devsim::Fleet fleet(fleetOptions("127.0.20.80", 5));
        QVERIFY(started(fleet));
        Reports reports;
        {
            CSearchEngine engine;
            QVERIFY(start(engine, "127.0.20.80", "127.0.20.120", reports));
            QTRY_VERIFY(engine.Done() > 0);
        }
        const int atDestruction = reports.count();
        QTest::qSleep(300);
        QCOMPARE(reports.count(), atDestruction);
    }
};

QTEST_GUILESS_MAIN(TestSearchEngine)
#include "tst_searchengine.moc"
