#include "batchconfigmanager.h"
#include "devicesdk.h"
#include "fleet.h"
#include "mirt.h"
#include "solvane.h"
#include "templetsource.h"

#include <QTemporaryDir>
#include <QTest>

#include <atomic>

using namespace batchtest;

namespace {

constexpr quint16 FleetPort = 18500;
constexpr int FleetSize = 16;
constexpr int SourceCamera = 15; // the templets are written from its records
// Nothing listens here: the login fails at once.
const char *const SilentAddress = "127.0.85.200";
// Camera 11's password: as long as a task keeps.
const QByteArray LongPassword = "0123456789abcdef";

} // namespace

// The manager against simulated cameras on 127.0.85.1 - 127.0.85.16.
class TestBatchConfigManager : public QObject
{
    Q_OBJECT

    std::unique_ptr<devsim::Fleet> m_fleet;
    QTemporaryDir m_dir;

    CBatchConfigManager makeManager() const { return CBatchConfigManager({}); }

    Records records(int camera) const
    {
        Records result;
        for (const quint32 command : AllCommands) {
            result.insert(command, m_fleet->record(camera, command));
        }
        return result;
    }

    QString templet(const QString &name, quint32 bits) const
    {
        const QString fileName = m_dir.filePath(name + QStringLiteral(".xml"));
        if (!writeTemplet(fileName, distinctSource(records(SourceCamera)), bits)) {
            return {};
        }
        return fileName;
    }

    int addCamera(CBatchConfigManager &manager, int camera) const
    {
        return manager.AddTask(
            m_fleet->address(camera).toLatin1().constData(), FleetPort, "admin", "60917");
    }

    // What the cameras must hold after the templet's sections `bits` were applied.
    QList<Records> expectedAfter(const QList<int> &cameras, quint32 bits) const
    {
        const Records source = distinctSource(records(SourceCamera));
        QList<Records> expected;
        for (const int camera : cameras) {
            Records device = records(camera);
            for (int i = 0; i < BatchSectionCount; ++i) {
                if (bits & batchSectionBit(i)) {
                    const quint32 command = SectionCommands[i];
                    device.insert(
                        command, applied(command, device.value(command), source.value(command)));
                }
            }
            expected << device;
        }
        return expected;
    }

    void compareRecords(const QList<int> &cameras, const QList<Records> &expected) const
    {
        for (int i = 0; i < cameras.size(); ++i) {
            for (const quint32 command : AllCommands) {
                QVERIFY2(m_fleet->record(cameras[i], command) == expected[i].value(command),
                    qPrintable(
                        QStringLiteral("camera %1, record %2").arg(cameras[i]).arg(command)));
            }
        }
    }

private slots:
    void initTestCase()
    {
        MIRT_Init();
        SOLV_Init();
        QVERIFY(m_dir.isValid());
        devsim::FleetOptions options;
        options.count = FleetSize;
        options.firstAddress = QStringLiteral("127.0.85.1");
        options.port = FleetPort;
        options.timeScale = 0.05;
        options.discoveryPort = 0;
        options.passwords.insert(8, "other");
        options.passwords.insert(11, LongPassword);
        m_fleet = std::make_unique<devsim::Fleet>(options);
        QString error;
        QVERIFY2(m_fleet->start(&error), qPrintable(error));
    }

    void cleanupTestCase()
    {
        m_fleet.reset();
        SOLV_Cleanup();
        MIRT_Fini();
    }

    void cleanup()
    {
        for (int camera = 0; camera < FleetSize; ++camera) {
            m_fleet->clearFault(camera);
        }
    }

    void appliesEverySectionAndKeepsEveryOtherByte()
    {
        const quint32 all = (1u << BatchSectionCount) - 1;
        const QString file = templet(QStringLiteral("all"), all);
        QVERIFY(!file.isEmpty());
        const QList<int> cameras { 0, 1, 2, 3 };
        const QList<Records> expected = expectedAfter(cameras, all);
        // The templet really changes every section of every camera.
        for (int i = 0; i < cameras.size(); ++i) {
            for (const quint32 command : SectionCommands) {
                QVERIFY(expected[i].value(command) != m_fleet->record(cameras[i], command));
            }
        }

        CBatchConfigManager manager = makeManager();
        for (const int camera : cameras) {
            addCamera(manager, camera);
        }
        QVERIFY(manager.Start(file, false));
        manager.WaitForEnd();
        QCOMPARE(manager.Progress(), 100u);
        for (int i = 0; i < cameras.size(); ++i) {
            QCOMPARE(manager.State(i), qint32(TaskSetComplete));
            QCOMPARE(manager.AppliedSections(i), qint32(all));
            QCOMPARE(manager.FailedSections(i), 0);
        }
        compareRecords(cameras, expected);
    }

    void appliesOnlyTheSectionsPresent_data()
    {
        QTest::addColumn<quint32>("bits");
        for (int i = 0; i < BatchSectionCount; ++i) {
            QTest::newRow(batchSectionElement(i)) << batchSectionBit(i);
        }
        QTest::newRow("Front and NTP") << quint32(FrontSection | NtpSection);
        QTest::newRow("DDNS, Email and RS485") << quint32(DdnsSection | EmailSection | PtzSection);
    }

    void appliesOnlyTheSectionsPresent()
    {
        QFETCH(quint32, bits);
        const QString file = templet(QString::fromLatin1(QTest::currentDataTag()), bits);
        const QList<int> cameras { 4, 5 };
        const QList<Records> expected = expectedAfter(cameras, bits);
        CBatchConfigManager manager = makeManager();
        for (const int camera : cameras) {
            addCamera(manager, camera);
        }
        QVERIFY(manager.Start(file, false));
        manager.WaitForEnd();
        for (int i = 0; i < cameras.size(); ++i) {
            QCOMPARE(manager.State(i), qint32(TaskSetComplete));
            QCOMPARE(manager.AppliedSections(i), qint32(bits));
            QCOMPARE(manager.FailedSections(i), 0);
        }
        compareRecords(cameras, expected);
    }

    // A section the device will not read or write is recorded and the next one tried.
    void failedSectionIsRecordedAndTheDeviceStillCompletes_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("refused set") << QStringLiteral("set");
        QTest::newRow("unsupported get") << QStringLiteral("get");
    }

    void failedSectionIsRecordedAndTheDeviceStillCompletes()
    {
        QFETCH(QString, fault);
        devsim::Fault rule;
        if (fault == QLatin1String("set")) {
            rule.refusedSets.insert(NtpCfg::getCommand);
        } else {
            rule.unsupportedCommands.insert(NtpCfg::getCommand);
        }
        m_fleet->setFault(6, rule);
        const quint32 bits = FrontSection | NtpSection | PtzSection;
        const QString file = templet(QStringLiteral("front-ntp-rs485"), bits);
        const QList<int> cameras { 6 };
        const QList<Records> expected = expectedAfter(cameras, FrontSection | PtzSection);

        CBatchConfigManager manager = makeManager();
        addCamera(manager, 6);
        QVERIFY(manager.Start(file, false));
        manager.WaitForEnd();
        QCOMPARE(manager.State(0), qint32(TaskSetComplete));
        QCOMPARE(manager.AppliedSections(0), qint32(FrontSection | PtzSection));
        QCOMPARE(manager.FailedSections(0), qint32(NtpSection));
        compareRecords(cameras, expected);
    }

    void failedLoginTriesNoSectionAndTheRunGoesOn()
    {
        const QString file = templet(QStringLiteral("ntp"), NtpSection);
        const Records untouched = records(8);
        const QList<Records> expected = expectedAfter({ 9 }, NtpSection);
        CBatchConfigManager manager = makeManager();
        QCOMPARE(addCamera(manager, 7), 0);
        manager.AddTask(m_fleet->address(7).toLatin1().constData(), FleetPort, "admin", "wrong");
        addCamera(manager, 8); // its password is another
        manager.AddTask(SilentAddress, FleetPort, "admin", "60917");
        addCamera(manager, 9);
        QVERIFY(manager.Start(file, false));
        manager.WaitForEnd();
        const QList<qint32> states { manager.State(0), manager.State(1), manager.State(2),
            manager.State(3), manager.State(4) };
        QCOMPARE(states,
            (QList<qint32> { TaskSetComplete, TaskFailedToSet, TaskFailedToSet, TaskFailedToSet,
                TaskSetComplete }));
        for (int i = 1; i <= 3; ++i) {
            QCOMPARE(manager.AppliedSections(i), 0);
            QCOMPARE(manager.FailedSections(i), 0);
        }
        QCOMPARE(manager.AppliedSections(4), qint32(NtpSection));
        compareRecords({ 8 }, { untouched });
        compareRecords({ 9 }, expected);
    }

    void stopEndsTheRunOnlyAfterTheDeviceUnderWay()
    {
        const QString file = templet(QStringLiteral("ntp"), NtpSection);
        // Device 3 answers slowly enough to be caught while it is set up.
        devsim::Fault slow;
        slow.delayMs = 8000; // 400 ms a frame at the fleet's time scale
        m_fleet->setFault(2, slow);
        const QList<Records> expected = expectedAfter({ 2 }, NtpSection);

        CBatchConfigManager manager = makeManager();
        for (int camera = 0; camera < 10; ++camera) {
            addCamera(manager, camera);
        }
        QVERIFY(manager.Start(file, false));
        QTRY_COMPARE(manager.State(2), qint32(TaskSettingUp));
        manager.Stop();
        QVERIFY(!manager.IsStarted());
        QCOMPARE(manager.State(2), qint32(TaskSetComplete));
        QCOMPARE(manager.AppliedSections(2), qint32(NtpSection));
        compareRecords({ 2 }, expected);
        for (int i = 3; i < 10; ++i) {
            QCOMPARE(manager.State(i), qint32(TaskUnset));
            QCOMPARE(manager.AppliedSections(i), 0);
        }
        QCOMPARE(manager.Progress(), 30u);
    }

    void emptyListIsComplete()
    {
        CBatchConfigManager manager = makeManager();
        QCOMPARE(manager.Progress(), 100u);
        QVERIFY(manager.Start(templet(QStringLiteral("ntp"), NtpSection), false));
        manager.WaitForEnd();
        QCOMPARE(manager.Progress(), 100u);
    }

    void progressCountsFinishedDevices()
    {
        CBatchConfigManager manager = makeManager();
        for (int camera = 0; camera < 3; ++camera) {
            addCamera(manager, camera);
        }
        // Before a run nothing is done: 0 of 3.
        QCOMPARE(manager.Progress(), 0u);
        QVERIFY(manager.Start(templet(QStringLiteral("ntp"), NtpSection), false));
        manager.WaitForEnd();
        QCOMPARE(manager.Progress(), 100u);
    }

    void rebootsEachCameraOnlyWhenAsked_data()
    {
        QTest::addColumn<bool>("reboot");
        QTest::newRow("reboot") << true;
        QTest::newRow("no reboot") << false;
    }

    void rebootsEachCameraOnlyWhenAsked()
    {
        QFETCH(bool, reboot);
        const QList<int> cameras { 12, 13 };
        std::atomic<int> offline = 0;
        std::atomic<int> online = 0;
        QList<QMetaObject::Connection> connections;
        m_fleet->run([&] {
            for (const int camera : cameras) {
                devsim::Camera *c = m_fleet->cameras().at(camera);
                connections << connect(c, &devsim::Camera::goingOffline, c, [&] { ++offline; });
                connections << connect(c, &devsim::Camera::cameOnline, c, [&] { ++online; });
            }
        });
        const QList<Records> expected = expectedAfter(cameras, NtpSection);
        CBatchConfigManager manager = makeManager();
        for (const int camera : cameras) {
            addCamera(manager, camera);
        }
        QVERIFY(manager.Start(templet(QStringLiteral("ntp"), NtpSection), reboot));
        manager.WaitForEnd();
        QCOMPARE(manager.State(0), qint32(TaskSetComplete));
        QCOMPARE(manager.State(1), qint32(TaskSetComplete));
        if (reboot) {
            QTRY_COMPARE(offline.load(), 2);
            QTRY_COMPARE(online.load(), 2);
        } else {
            // A reboot is answered before the logout: a rebooted camera would
            // be offline for a second of its time now.
            for (const int camera : cameras) {
                QVERIFY(SdkLogin(m_fleet->address(camera).toLatin1(), FleetPort, "admin", "60917")
                            .ok());
            }
            QCOMPARE(offline.load(), 0);
        }
        m_fleet->run([&] {
            for (const auto &connection : connections) {
                disconnect(connection);
            }
        });
        compareRecords(cameras, expected);
    }

    void startFailsWithoutAReadableTemplet_data()
    {
        QTest::addColumn<QByteArray>("content"); // empty: no file at all
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("not XML") << QByteArray("<DevicePara><NTP>");
    }

    void startFailsWithoutAReadableTemplet()
    {
        QFETCH(QByteArray, content);
        const QString fileName = m_dir.filePath(QStringLiteral("broken.xml"));
        QFile::remove(fileName);
        if (!content.isEmpty()) {
            QFile file(fileName);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        CBatchConfigManager manager = makeManager();
        addCamera(manager, 0);
        QVERIFY(!manager.Start(fileName, false));
        QVERIFY(!manager.IsStarted());
        QCOMPARE(manager.State(0), qint32(TaskUnset));
        QCOMPARE(manager.Progress(), 0u);
    }

    void tasksNeedEveryTextAndIndicesMustNameOne_data()
    {
        QTest::addColumn<bool>("address");
        QTest::addColumn<bool>("userName");
        QTest::addColumn<bool>("password");
        QTest::newRow("no address") << false << true << true;
        QTest::newRow("no user name") << true << false << true;
        QTest::newRow("no password") << true << true << false;
    }

    void tasksNeedEveryTextAndIndicesMustNameOne()
    {
        QFETCH(bool, address);
        QFETCH(bool, userName);
        QFETCH(bool, password);
        CBatchConfigManager manager = makeManager();
        QCOMPARE(manager.AddTask(address ? "127.0.85.1" : nullptr, FleetPort,
                     userName ? "admin" : nullptr, password ? "60917" : nullptr),
            -1);
        QCOMPARE(manager.TaskCount(), 0);
        QCOMPARE(manager.AddTask("127.0.85.1", FleetPort, "", ""), 0);
        QCOMPARE(manager.AddTask("127.0.85.2", FleetPort, "", ""), 1);
        for (const int index : { -1, 2 }) {
            QCOMPARE(manager.State(index), -1);
            QCOMPARE(manager.AppliedSections(index), -1);
            QCOMPARE(manager.FailedSections(index), -1);
        }
        manager.ClearTasks();
        QCOMPARE(manager.TaskCount(), 0);
        QCOMPARE(manager.Progress(), 100u);
    }

    // The bounded copy: a password of 20 bytes logs in with its first 16.
    void passwordIsCutToSixteenBytes()
    {
        CBatchConfigManager manager = makeManager();
        manager.AddTask(m_fleet->address(11).toLatin1().constData(), FleetPort, "admin",
            (LongPassword + "tail").constData());
        QVERIFY(manager.Start(templet(QStringLiteral("ntp"), NtpSection), false));
        manager.WaitForEnd();
        QCOMPARE(manager.State(0), qint32(TaskSetComplete));
    }
};

QTEST_GUILESS_MAIN(TestBatchConfigManager)
#include "tst_batchconfigmanager.moc"
