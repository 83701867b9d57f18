#include "fasttiming.h"
#include "upgradefleet.h"
#include "upgrademanager.h"
#include "upgradestate.h"

#include "mirt.h"
#include "solvane.h"

#include <QMutex>
#include <QSemaphore>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

using namespace std::chrono_literals;
using namespace UpgradeFleet;

namespace {

constexpr quint16 FleetPort = 19300;
const QString First = QStringLiteral("127.0.82.1");

// The states of every task at the end of each pass, taken on the upgrade
// thread just before its pause.
struct PassTrace
{
    QMutex lock;
    QList<QList<int>> passes;

    void record(CUpgradeManager &manager)
    {
        QList<int> states;
        for (int i = 0; i < manager.TaskCount(); ++i) {
            states << manager.TaskState(i);
        }
        QMutexLocker guard(&lock);
        passes << states;
    }
    QList<QList<int>> taken()
    {
        QMutexLocker guard(&lock);
        return passes;
    }
    // The first pass (from 1) in which `task` is in a state `accept` takes; 0 none.
    int firstPass(int task, const std::function<bool(int)> &accept)
    {
        const QList<QList<int>> all = taken();
        for (int pass = 0; pass < all.size(); ++pass) {
            if (accept(all[pass].value(task, -1))) {
                return pass + 1;
            }
        }
        return 0;
    }
};

// Stands in at a rebooted camera's address while the camera is away: every
// login attempt is taken, its time on the reconnection clock noted, and the
// connection closed, which fails the login.
class AbsentDevice : public QObject
{
public:
    AbsentDevice(const FastTiming &timing) : m_timing(timing)
    {
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                attempts << int(m_timing.reconnectClock().count());
                socket->abort();
                socket->deleteLater();
            }
        });
    }
    bool listen(const QString &address, quint16 port)
    {
        return m_server.listen(QHostAddress(address), port);
    }
    void close() { m_server.close(); }

    QList<int> attempts;

private:
    const FastTiming &m_timing;
    QTcpServer m_server;
};

const QList<int> kSchedule { 30, 55, 75, 90, 100, 110, 120, 130, 140, 150, 160, 170, 180, 190,
    200, 210, 220, 230, 240 };

} // namespace

class TestUpgradeManager : public QObject
{
    Q_OBJECT

    QTemporaryDir m_images;

    // An image for camera `index` of `fleet`, with `change` applied to its target.
    QString imageFor(const devsim::Fleet &fleet, int index, const QString &name,
        const std::function<void(devsim::Description &)> &change = {})
    {
        devsim::Description target = descriptionOf(fleet, index);
        if (change) {
            change(target);
        }
        return writeImage(m_images, name, target);
    }

    static DeviceContext context() { return { nullptr, { "admin", "60917" }, {} }; }

    static void addCameras(CUpgradeManager &manager, const devsim::Fleet &fleet, int count)
    {
        for (int i = 0; i < count; ++i) {
            QCOMPARE(manager.AddTask(fleet.address(i).toLatin1(), FleetPort, "admin", "60917"), i);
        }
    }

private slots:
    void initTestCase()
    {
        QCOMPARE(MIRT_Init(), 0);
        SOLV_Init();
        // A stalled upload stays running until it is stopped.
        SOLV_SetRecvTimeOut(60000);
        QVERIFY(m_images.isValid());
    }

    void cleanupTestCase()
    {
        SOLV_Cleanup();
        MIRT_Fini();
    }

    void sixteenStartTogetherAndTheNextOnceASlotFrees()
    {
        // Camera 0 takes its image at once; the others stop answering their uploads.
        auto fleet = start(First, FleetPort, 17, [](devsim::FleetOptions &options) {
            for (int i = 1; i < 17; ++i) {
                options.faults[i].upgradeStallPercent = 0;
            }
        });
        QVERIFY(fleet);
        const QString image = imageFor(*fleet, 0, QStringLiteral("seventeen.dav"));
        auto timing = std::make_shared<FastTiming>(20);
        CUpgradeManager manager(context(), timing);
        PassTrace trace;
        timing->onPoll = [&](int) { trace.record(manager); };
        addCameras(manager, *fleet, 17);
        QVERIFY(manager.SetFirmware(image.toLocal8Bit().constData(), FirmwareFile));
        QVERIFY(manager.Start());

        QTRY_VERIFY(trace.firstPass(16, [](int s) { return s != UpgradeWaiting; }) > 0);
        const QList<int> first = trace.taken().first();
        for (int i = 1; i < 16; ++i) {
            QCOMPARE(first[i], int(UpgradeRunning));
        }
        QVERIFY(first[0] != UpgradeWaiting);
        QCOMPARE(first[16], int(UpgradeWaiting));
        // Camera 0 leaves its slot in the pass that first sees it done, or
        // in the next one when it finished just after that pass's poll;
        // the seventeenth starts in the pass after.
        const int freed = trace.firstPass(0, [](int s) { return s != UpgradeRunning; });
        const int started = trace.firstPass(16, [](int s) { return s != UpgradeWaiting; });
        QVERIFY2(started == freed + 1 || started == freed + 2,
            qPrintable(QStringLiteral("freed in pass %1, started in pass %2").arg(freed).arg(started)));
        QCOMPARE(manager.TaskState(0), int(UpgradeSucceeded));
        QCOMPARE(manager.TotalProgress(), 100 / 17);
        QVERIFY(manager.Stop());
        for (int i = 1; i < 17; ++i) {
            QCOMPARE(manager.TaskState(i), int(UpgradeRunning));
        }
    }

    void everyLoginFailsAndTheFirstPassEndsTheBatch()
    {
        auto fleet = start(First, FleetPort, 5, [](devsim::FleetOptions &options) {
            for (int i = 0; i < 5; ++i) {
                options.passwords.insert(i, "other");
            }
        });
        QVERIFY(fleet);
        auto timing = std::make_shared<FastTiming>(20);
        CUpgradeManager manager(context(), timing);
        QList<int> progressAtFirstPass;
        PassTrace trace;
        timing->onPoll = [&](int pass) {
            trace.record(manager);
            if (pass == 1) {
                progressAtFirstPass << manager.TotalProgress();
            }
        };
        addCameras(manager, *fleet, 5);
        manager.SetFirmware(imageFor(*fleet, 0, QStringLiteral("logins.dav")).toLocal8Bit().constData(),
            FirmwareFile);
        QVERIFY(manager.Start());
        QTRY_COMPARE(progressAtFirstPass, QList<int> { 100 });
        QCOMPARE(trace.taken().first(), QList<int>(5, UpgradeLoginFailed));
        QCOMPARE(UpgradeStateText(manager.TaskState(4)), QStringLiteral("Failed to login"));
        QVERIFY(manager.Stop());
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(fleet->sessionCount(i), 0);
        }
    }

    // One image for every device: what the device makes of it, and the
    // firmware it runs after the reboot.
    void fileModeOutcomes_data()
    {
        QTest::addColumn<QString>("image"); // "good", "corrupted", "language", "platform"
        QTest::addColumn<bool>("writeFails");
        QTest::addColumn<int>("state");
        QTest::newRow("good image") << "good" << false << int(UpgradeSucceeded);
        QTest::newRow("corrupted body") << "corrupted" << false << int(UpgradeFailed);
        QTest::newRow("other language") << "language" << false << int(UpgradeLanguageMismatch);
        QTest::newRow("other platform") << "platform" << false << int(UpgradeFailed);
        QTest::newRow("device cannot write it") << "good" << true << int(UpgradeFailed);
    }

    void fileModeOutcomes()
    {
        QFETCH(QString, image);
        QFETCH(bool, writeFails);
        QFETCH(int, state);
        auto fleet = start(First, FleetPort, 1, [&](devsim::FleetOptions &options) {
            options.faults[0].upgradeWriteFails = writeFails;
        });
        QVERIFY(fleet);
        const quint32 before = reportedVersion(*fleet, 0);
        QString path = imageFor(*fleet, 0, image + QStringLiteral(".dav"),
            [&](devsim::Description &target) {
                if (image == QLatin1String("language")) {
                    target[5] = target[5] == "1" ? "2" : "1";
                } else if (image == QLatin1String("platform")) {
                    target[0] = "Elsewhere";
                }
            });
        if (image == QLatin1String("corrupted")) {
            QVERIFY(corrupt(path));
        }
        auto timing = std::make_shared<FastTiming>(20);
        CUpgradeManager manager(context(), timing);
        addCameras(manager, *fleet, 1);
        manager.SetFirmware(path.toLocal8Bit().constData(), FirmwareFile);
        manager.SetFlags(true, false);
        QVERIFY(manager.Start());
        QTRY_COMPARE(manager.TotalProgress(), 100);
        QCOMPARE(manager.TaskState(0), state);
        QVERIFY(manager.Stop());
        // Only a device that took its image is rebooted, and only it runs the new firmware.
        if (state == UpgradeSucceeded) {
            QTRY_COMPARE(reportedVersion(*fleet, 0), versionCode(NewVersion));
        } else {
            QCOMPARE(reportedVersion(*fleet, 0), before);
        }
    }

    void rebootWithoutRestoreEndsWithTheUpload()
    {
        auto fleet = start(First, FleetPort, 2);
        QVERIFY(fleet);
        auto timing = std::make_shared<FastTiming>(20);
        CUpgradeManager manager(context(), timing);
        PassTrace trace;
        timing->onPoll = [&](int) { trace.record(manager); };
        // Both cameras play the same model in file mode only when they match.
        addCameras(manager, *fleet, 1);
        manager.SetFirmware(imageFor(*fleet, 0, QStringLiteral("reboot.dav")).toLocal8Bit().constData(),
            FirmwareFile);
        manager.SetFlags(true, false);
        QVERIFY(manager.Start());
        QTRY_COMPARE(manager.TotalProgress(), 100);
        QCOMPARE(manager.TaskState(0), int(UpgradeSucceeded));
        // Counted finished in the pass that saw it succeed: no reconnection follows.
        QCOMPARE(trace.firstPass(0, [](int s) { return s == UpgradeSucceeded; }),
            trace.taken().size());
        QVERIFY(manager.Stop());
        QCOMPARE(trace.firstPass(0, [](int s) { return s >= UpgradeReconnecting; }), 0);
        QTRY_COMPARE(reportedVersion(*fleet, 0), versionCode(NewVersion));
        QCOMPARE(manager.TaskState(0), int(UpgradeSucceeded));
    }

    void restoreWithADeviceThatComesBackLate()
    {
        auto fleet = start(First, FleetPort, 1, [](devsim::FleetOptions &options) {
            options.faults[0].neverReturn = true;
        });
        QVERIFY(fleet);
        // A record changed before, to see the restore.
        const QByteArray factoryPicture = fleet->record(0, SOLV_GET_PICCFG);
        QByteArray changed = factoryPicture;
        changed[40] = char(changed[40] ^ 0x33);
        fleet->setRecord(0, SOLV_GET_PICCFG, changed);

        auto timing = std::make_shared<FastTiming>(50);
        AbsentDevice absent(*timing);
        QSemaphore standIn; // the stand-in listens
        QSemaphore back; // the camera is back
        timing->onReconnectPause = [&](std::chrono::seconds clock) {
            if (clock == 0s) {
                QVERIFY(standIn.tryAcquire(1, 30000));
            } else if (clock == 75s) {
                QVERIFY(back.tryAcquire(1, 30000));
            }
        };
        CUpgradeManager manager(context(), timing);
        addCameras(manager, *fleet, 1);
        manager.SetFirmware(imageFor(*fleet, 0, QStringLiteral("late.dav")).toLocal8Bit().constData(),
            FirmwareFile);
        manager.SetFlags(true, true);
        QVERIFY(manager.Start());

        QTRY_VERIFY(!fleet->isOnline(0));
        QVERIFY(absent.listen(fleet->address(0), FleetPort));
        standIn.release();
        QTRY_COMPARE(manager.TaskState(0), int(UpgradeReconnecting));
        QTRY_COMPARE(absent.attempts.size(), 3);
        // Back between the attempts at 75 and 90 s, with the new firmware
        // once it has started again.
        absent.close();
        fleet->clearFault(0);
        fleet->run([&] {
            devsim::Camera *camera = fleet->cameras().at(0);
            camera->listen();
            camera->reboot();
        });
        QTRY_VERIFY(fleet->isOnline(0));
        back.release();

        QTRY_COMPARE(manager.TaskState(0), int(UpgradeRestored));
        QTRY_COMPARE(manager.TotalProgress(), 100);
        QCOMPARE(absent.attempts, kSchedule.mid(0, 3));
        QCOMPARE(timing->reconnectClock(), 90s);
        QVERIFY(manager.Stop());
        // Restored and rebooted again: factory records and the new firmware.
        QTRY_COMPARE(reportedVersion(*fleet, 0), versionCode(NewVersion));
        QCOMPARE(fleet->record(0, SOLV_GET_PICCFG), factoryPicture);
    }

    void deviceThatNeverComesBackIsGivenUp()
    {
        auto fleet = start(First, FleetPort, 1, [](devsim::FleetOptions &options) {
            options.faults[0].neverReturn = true;
        });
        QVERIFY(fleet);
        auto timing = std::make_shared<FastTiming>(100);
        AbsentDevice absent(*timing);
        QSemaphore standIn;
        timing->onReconnectPause = [&](std::chrono::seconds clock) {
            if (clock == 0s) {
                QVERIFY(standIn.tryAcquire(1, 30000));
            }
        };
        CUpgradeManager manager(context(), timing);
        addCameras(manager, *fleet, 1);
        manager.SetFirmware(imageFor(*fleet, 0, QStringLiteral("gone.dav")).toLocal8Bit().constData(),
            FirmwareFile);
        manager.SetFlags(true, true);
        QVERIFY(manager.Start());
        QTRY_VERIFY(!fleet->isOnline(0));
        QVERIFY(absent.listen(fleet->address(0), FleetPort));
        standIn.release();

        QTRY_COMPARE_WITH_TIMEOUT(manager.TaskState(0), int(UpgradeReconnectFailed), 60000);
        QTRY_COMPARE(manager.TotalProgress(), 100);
        QCOMPARE(absent.attempts, kSchedule);
        QCOMPARE(timing->reconnectClock(), 240s);
        QVERIFY(manager.Stop());
    }

    // Directory mode: the description read with a growing buffer, and the
    // image its name points to.
    void directoryMode_data()
    {
        QTest::addColumn<int>("abilitySize"); // the description padded to this many bytes
        QTest::addColumn<bool>("supported");
        QTest::addColumn<int>("state");
        QTest::newRow("fits the first buffer") << 0 << true << int(UpgradeSucceeded);
        QTest::newRow("needs 16384 bytes") << 10000 << true << int(UpgradeSucceeded);
        QTest::newRow("larger than 32768 bytes") << 40000 << true << int(UpgradeNoFileName);
        QTest::newRow("description not given") << 0 << false << int(UpgradeNoDirectorySupport);
    }

    void directoryMode()
    {
        QFETCH(int, abilitySize);
        QFETCH(bool, supported);
        QFETCH(int, state);
        auto fleet = start(First, FleetPort, 1, [&](devsim::FleetOptions &options) {
            options.faults[0].abilityMinSize = abilitySize;
            if (!supported) {
                options.faults[0].unsupportedAbilities.insert(SOLV_ABILITY_DEVICE);
            }
        });
        QVERIFY(fleet);
        QTemporaryDir directory;
        QStringList written;
        QString error;
        QVERIFY2(devsim::writeFirmwareDirectory(directory.path(), versionCode(NewVersion),
                     devsim::encodeBuildDate(QDate(2027, 3, 14)), 64 * 1024, &written, &error),
            qPrintable(error));
        auto timing = std::make_shared<FastTiming>(20);
        CUpgradeManager manager(context(), timing);
        addCameras(manager, *fleet, 1);
        manager.SetFirmware(directory.path().toLocal8Bit().constData(), FirmwareDirectory);
        QVERIFY(manager.Start());
        QTRY_COMPARE(manager.TotalProgress(), 100);
        QCOMPARE(manager.TaskState(0), state);
        QVERIFY(manager.Stop());
        QCOMPARE(fleet->sessionCount(0), 0);
    }

    void directoryWithoutTheDevicesImage()
    {
        auto fleet = start(First, FleetPort, 1);
        QVERIFY(fleet);
        QTemporaryDir directory;
        const QString name = devsim::firmwareFileName(descriptionOf(*fleet, 0));
        // An image of another name only.
        QVERIFY(!writeImage(directory, name + QStringLiteral(".old"), descriptionOf(*fleet, 0))
                     .isEmpty());
        auto timing = std::make_shared<FastTiming>(20);
        CUpgradeManager manager(context(), timing);
        addCameras(manager, *fleet, 1);
        manager.SetFirmware(directory.path().toLocal8Bit().constData(), FirmwareDirectory);
        QVERIFY(manager.Start());
        QTRY_COMPARE(manager.TotalProgress(), 100);
        QCOMPARE(manager.TaskState(0), int(UpgradeNoFirmware));
        QCOMPARE(UpgradeStateText(manager.TaskState(0)), QStringLiteral("Cannot find firmware"));
    }

    // An upload that ends before the device has the whole image leaves it
    // on its old firmware and answering logins.
    void cutUploadKeepsTheOldFirmware_data()
    {
        QTest::addColumn<bool>("userStops"); // else the device drops the connection
        QTest::addColumn<int>("state");
        QTest::newRow("stop during the upload") << true << int(UpgradeRunning);
        QTest::newRow("connection dropped") << false << int(UpgradeUnknown);
    }

    void cutUploadKeepsTheOldFirmware()
    {
        QFETCH(bool, userStops);
        QFETCH(int, state);
        auto fleet = start(First, FleetPort, 1, [&](devsim::FleetOptions &options) {
            (userStops ? options.faults[0].upgradeStallPercent : options.faults[0].upgradeDropPercent)
                = 50;
        });
        QVERIFY(fleet);
        const quint32 before = reportedVersion(*fleet, 0);
        QVERIFY(before != 0);
        auto timing = std::make_shared<FastTiming>(20);
        CUpgradeManager manager(context(), timing);
        addCameras(manager, *fleet, 1);
        manager.SetFirmware(imageFor(*fleet, 0, QStringLiteral("cut.dav")).toLocal8Bit().constData(),
            FirmwareFile);
        manager.SetFlags(true, true);
        QVERIFY(manager.Start());
        if (userStops) {
            QTRY_VERIFY(manager.TaskProgress(0) >= 50);
        } else {
            QTRY_COMPARE(manager.TotalProgress(), 100);
        }
        QVERIFY(manager.Stop());
        QCOMPARE(manager.TaskState(0), state);
        QTRY_COMPARE(fleet->sessionCount(0), 0);
        // Not rebooted, so a login answers at once, and nothing was installed.
        QVERIFY(fleet->isOnline(0));
        QCOMPARE(reportedVersion(*fleet, 0), before);
        fleet->reboot(0);
        QTRY_VERIFY(fleet->isOnline(0));
        QCOMPARE(reportedVersion(*fleet, 0), before);
    }
};

QTEST_GUILESS_MAIN(TestUpgradeManager)
#include "tst_upgrademanager.moc"
