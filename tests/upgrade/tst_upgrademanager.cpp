#include "fasttiming.h"
#include "upgradefleet.h"
#include "upgrademanager.h"
#include "upgradestate.h"

#include "sdkruntime.h"

#include <QFile>
#include <QMutex>
#include <QSemaphore>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

using namespace UpgradeFleet;

namespace {

constexpr quint16 FleetPort = 19300;
const QString First = QStringLiteral("127.0.82.1");

// Stands in at a rebooted camera's address while the camera is away: each
// login attempt is noted with the reconnection clock and fails as its
// connection is closed.
class AbsentDevice : public QObject
{
public:
    explicit AbsentDevice(const FastTiming &timing)
    {
        connect(&server, &QTcpServer::newConnection, this, [this, &timing] {
            while (QTcpSocket *socket = server.nextPendingConnection()) {
                attempts << timing.reconnectClock();
                socket->abort();
                socket->deleteLater();
            }
        });
    }
    QTcpServer server;
    QList<int> attempts;
};

// The total progress and every task's state at the end of each pass of the
// upgrade thread; stops the batch before it goes.
class PassLog
{
public:
    PassLog(FastTiming &timing, CUpgradeManager &manager) : m_manager(manager)
    {
        timing.onPoll = [this] {
            QList<int> pass { m_manager.TotalProgress() };
            for (int i = 0; i < m_manager.TaskCount(); ++i) {
                pass << m_manager.TaskState(i);
            }
            QMutexLocker guard(&m_lock);
            m_passes << pass;
        };
    }
    ~PassLog() { m_manager.Stop(); }

    QList<QList<int>> passes() const
    {
        QMutexLocker guard(&m_lock);
        return m_passes;
    }
    // The first pass that sees `task` in another state than `state`; -1 for none.
    int firstPassLeaving(int task, int state) const
    {
        const QList<QList<int>> all = passes();
        for (int pass = 0; pass < all.size(); ++pass) {
            if (all[pass][task + 1] != state) {
                return pass;
            }
        }
        return -1;
    }

private:
    CUpgradeManager &m_manager;
    mutable QMutex m_lock;
    QList<QList<int>> m_passes;
};

} // namespace

class TestUpgradeManager : public QObject
{
    Q_OBJECT

    SdkRuntime m_sdk { 60000 }; // a stalled upload stays running until stopped
    QTemporaryDir m_images;

    // A manager on `fleet`'s first `count` cameras, with the pauses 20 times shorter.
    static std::unique_ptr<CUpgradeManager> manager(const devsim::Fleet &fleet, int count,
        const QString &path, quint32 mode, std::shared_ptr<FastTiming> timing = {})
    {
        auto manager = std::make_unique<CUpgradeManager>(
            DeviceContext {}, timing ? timing : std::make_shared<FastTiming>(20));
        for (int i = 0; i < count; ++i) {
            manager->AddTask(fleet.address(i).toLatin1(), FleetPort, "admin", "60917");
        }
        manager->SetFirmware(path.toLocal8Bit().constData(), mode);
        return manager;
    }

    QString imageFor(const devsim::Fleet &fleet, const QString &name)
    {
        return writeImage(m_images, name, descriptionOf(fleet, 0));
    }

private slots:
    void sixteenStartTogetherAndTheNextOnceASlotFrees()
    {
        // Camera 0 takes its image at once, the others stall; directory mode
        // gives each an image it accepts.
        auto fleet = start(First, FleetPort, 17, [](devsim::FleetOptions &options) {
            for (int i = 1; i < 17; ++i) {
                options.faults[i].upgradeStallPercent = 0;
            }
        });
        QVERIFY(fleet);
        auto timing = std::make_shared<FastTiming>(20);
        auto batch
            = manager(*fleet, 17, writeDirectory(m_images, "seventeen"), FirmwareDirectory, timing);
        PassLog log(*timing, *batch);
        QVERIFY(batch->Start());
        QTRY_VERIFY(log.firstPassLeaving(16, UpgradeWaiting) >= 0);
        QCOMPARE(log.passes().first().mid(2), QList<int>(15, UpgradeRunning) << UpgradeWaiting);
        // Camera 0 leaves its slot in the pass that first sees it done, or in
        // the next when it ended just after that pass's poll; the seventeenth
        // starts in the pass after.
        const int freed = log.firstPassLeaving(0, UpgradeRunning);
        const int started = log.firstPassLeaving(16, UpgradeWaiting);
        QVERIFY2(started == freed + 1 || started == freed + 2,
            qPrintable(QString::number(started - freed)));
        QCOMPARE(batch->TaskState(0), int(UpgradeSucceeded));
        QCOMPARE(batch->TotalProgress(), 100 / 17);
    }

    void everyLoginFailsAndTheFirstPassEndsTheBatch()
    {
        QCOMPARE(CUpgradeManager(DeviceContext {}).TotalProgress(), 100); // none at all
        auto fleet = start(First, FleetPort, 3, [](devsim::FleetOptions &options) {
            options.passwords = { { 0, "other" }, { 1, "other" }, { 2, "other" } };
        });
        QVERIFY(fleet);
        auto timing = std::make_shared<FastTiming>(20);
        auto batch = manager(*fleet, 3, imageFor(*fleet, "logins.dav"), FirmwareFile, timing);
        PassLog log(*timing, *batch);
        QVERIFY(batch->Start());
        QTRY_VERIFY(!log.passes().isEmpty());
        QCOMPARE(log.passes().first(),
            (QList<int> { 100, UpgradeLoginFailed, UpgradeLoginFailed, UpgradeLoginFailed }));
    }

    // One device: what it makes of its image, and the firmware it runs
    // afterwards. An upload cut short (stopped, or its connection dropped)
    // leaves the old firmware and a device that answers. In directory mode
    // the description, read with a growing buffer, names the image.
    void oneDeviceOutcomes_data()
    {
        QTest::addColumn<quint32>("mode");
        QTest::addColumn<QString>("what"); // a good image unless said otherwise
        QTest::addColumn<int>("abilitySize"); // the description padded to this
        QTest::addColumn<int>("state");
        const quint32 file = FirmwareFile, directory = FirmwareDirectory;
        QTest::newRow("corrupted body") << file << "corrupted" << 0 << int(UpgradeFailed);
        QTest::newRow("other language") << file << "language" << 0 << int(UpgradeLanguageMismatch);
        QTest::newRow("stop during the upload") << file << "stop" << 0 << int(UpgradeRunning);
        QTest::newRow("connection dropped") << file << "drop" << 0 << int(UpgradeUnknown);
        QTest::newRow("the largest text") << directory << "" << 32767 << int(UpgradeSucceeded);
        QTest::newRow("Language missing") << directory << "Language" << 0 << int(UpgradeNoFirmware);
    }

    void oneDeviceOutcomes()
    {
        QFETCH(quint32, mode);
        QFETCH(QString, what);
        QFETCH(int, abilitySize);
        QFETCH(int, state);
        auto fleet = start(First, FleetPort, 1, [&](devsim::FleetOptions &options) {
            options.faults[0].upgradeStallPercent = what == "stop" ? 50 : -1;
            options.faults[0].upgradeDropPercent = what == "drop" ? 50 : -1;
            options.faults[0].abilityMinSize = abilitySize;
        });
        QVERIFY(fleet);
        const quint32 before = reportedVersion(*fleet, 0);
        devsim::Description target = descriptionOf(*fleet, 0);
        QString path;
        if (mode == FirmwareFile) {
            target[5] = what == "language" ? (target[5] == "1" ? "2" : "1") : target[5];
            path = writeImage(m_images, what, target);
            if (what == "corrupted") {
                QFile file(path);
                char byte = 0;
                QVERIFY(
                    file.open(QIODevice::ReadWrite) && file.seek(100000) && file.getChar(&byte));
                QVERIFY(file.seek(100000) && file.putChar(char(byte ^ 1)));
            }
        } else {
            if (what == "Language") {
                devsim::Fault fault;
                fleet->run(
                    [&] { fault.deviceAbility = fleet->cameras().at(0)->factory().deviceAbility; });
                fault.deviceAbility.replace("<Language>", "<XLanguage>")
                    .replace("</Language>", "</XLanguage>");
                fleet->setFault(0, fault);
            }
            path = writeDirectory(m_images, QString::number(abilitySize) + what);
            // Also an image named as if the missing element were empty.
            devsim::Description withoutLanguage = target;
            withoutLanguage[5].clear();
            QVERIFY(!writeImage(m_images,
                QString::number(abilitySize) + what + '/'
                    + devsim::firmwareFileName(withoutLanguage),
                target)
                         .isEmpty());
        }
        auto batch = manager(*fleet, 1, path, mode);
        batch->SetFlags(true, false);
        QVERIFY(batch->Start());
        QTRY_VERIFY(what == "stop" ? batch->TaskProgress(0) >= 50 : batch->TotalProgress() == 100);
        QVERIFY(batch->Stop());
        QCOMPARE(batch->TaskState(0), state);
        if (state == UpgradeSucceeded) {
            // Rebooted, and no reconnection follows without the restore.
            QTRY_COMPARE(reportedVersion(*fleet, 0), newVersion());
            QCOMPARE(batch->TaskState(0), int(UpgradeSucceeded));
            return;
        }
        QTRY_COMPARE(fleet->sessionCount(0), 0);
        QCOMPARE(reportedVersion(*fleet, 0), before);
        fleet->reboot(0); // nothing was kept for the next start either
        QTRY_COMPARE(reportedVersion(*fleet, 0), before);
    }

    // Restore after the reboot: login attempts at 30, 55, 75 and 90 s, then
    // every 10 s up to 240 s, on the reconnection clock.
    void reconnection_data()
    {
        QTest::addColumn<bool>("comesBack"); // between the attempts at 75 and 90 s
        QTest::addColumn<QList<int>>("failedAttempts");
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("clock");
        QTest::newRow("back late")
            << true << QList<int> { 30, 55, 75 } << int(UpgradeRestored) << 90;
        QList<int> all { 30, 55, 75, 90 };
        for (int t = 100; t <= 240; t += 10) {
            all << t;
        }
        QTest::newRow("never back") << false << all << int(UpgradeReconnectFailed) << 240;
    }

    void reconnection()
    {
        QFETCH(bool, comesBack);
        QFETCH(QList<int>, failedAttempts);
        QFETCH(int, state);
        QFETCH(int, clock);
        auto fleet = start(First, FleetPort, 1,
            [](devsim::FleetOptions &options) { options.faults[0].neverReturn = true; });
        QVERIFY(fleet);
        const QByteArray factoryPicture = fleet->record(0, SOLV_GET_PICCFG);
        fleet->setRecord(0, SOLV_GET_PICCFG, QByteArray(factoryPicture).replace(40, 1, "\x33"));

        auto timing = std::make_shared<FastTiming>(100);
        AbsentDevice absent(*timing);
        QSemaphore standingIn, back;
        // Bounded, so that a failing test cannot hang; its attempts then differ.
        timing->onReconnectPause = [&](int now) {
            if (now == 0) {
                standingIn.tryAcquire(1, 30000);
            } else if (now == 75 && comesBack) {
                back.tryAcquire(1, 30000);
            }
        };
        auto batch = manager(*fleet, 1, imageFor(*fleet, "restore.dav"), FirmwareFile, timing);
        batch->SetFlags(true, true);
        QVERIFY(batch->Start());
        QTRY_VERIFY(!fleet->isOnline(0));
        QVERIFY(absent.server.listen(QHostAddress(fleet->address(0)), FleetPort));
        standingIn.release();
        QTRY_COMPARE(batch->TaskState(0), int(UpgradeReconnecting));
        if (comesBack) {
            QTRY_COMPARE(absent.attempts.size(), 3);
            absent.server.close();
            fleet->clearFault(0);
            // It starts again, with the new firmware.
            fleet->run([&] {
                fleet->cameras().at(0)->listen();
                fleet->cameras().at(0)->reboot();
            });
            QTRY_VERIFY(fleet->isOnline(0));
            back.release();
        }
        QTRY_COMPARE_WITH_TIMEOUT(batch->TaskState(0), state, 30000);
        QTRY_COMPARE(batch->TotalProgress(), 100);
        QCOMPARE(absent.attempts, failedAttempts);
        QCOMPARE(timing->reconnectClock(), clock);
        QVERIFY(batch->Stop());
        if (comesBack) {
            QTRY_COMPARE(reportedVersion(*fleet, 0), newVersion());
            QCOMPARE(fleet->record(0, SOLV_GET_PICCFG), factoryPicture);
        }
    }
};

QTEST_GUILESS_MAIN(TestUpgradeManager)
#include "tst_upgrademanager.moc"
