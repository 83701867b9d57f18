#include "batchconfigmanager.h"
#include "devicesdk.h"
#include "sdkruntime.h"
#include "simfleet.h"
#include "templetsource.h"

#include <QTemporaryDir>
#include <QTest>

#include <atomic>

using namespace batchtest;

namespace {

constexpr quint16 FleetPort = 18500;
const QByteArray LongPassword = "0123456789abcdef"; // camera 11's: as long as a task keeps

} // namespace

// The manager against simulated cameras on 127.0.85.1 - 127.0.85.16.
class TestBatchConfigManager : public QObject
{
    Q_OBJECT

    SdkRuntime m_sdk;
    std::unique_ptr<devsim::Fleet> m_fleet;
    QTemporaryDir m_dir;

    // The sections of `bits`, from camera 15's records.
    QString templet(quint32 bits) const
    {
        const QString fileName = m_dir.filePath(QStringLiteral("%1.xml").arg(bits));
        return writeTemplet(fileName, cameraRecords(*m_fleet, 15), bits) ? fileName : QString();
    }

    void addTasks(CBatchConfigManager &manager, const QList<int> &cameras,
        const QByteArray &password = "60917") const
    {
        for (const int camera : cameras) {
            manager.AddTask(m_fleet->address(camera).toLatin1().constData(), FleetPort, "admin",
                password.constData());
        }
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_fleet = startFleet("127.0.85.1", FleetPort, 16, 0.05, [](devsim::FleetOptions &options) {
            options.passwords = { { 8, "other" }, { 11, LongPassword } };
        });
        QVERIFY(m_fleet);
    }

    void cleanup() { clearFaults(*m_fleet); }

    // A section the device will not read or write is recorded as failed and
    // the next one tried.
    void appliesTheSectionsPresentAndKeepsEveryOtherByte_data()
    {
        QTest::addColumn<quint32>("bits");
        QTest::addColumn<QString>("ntpFault"); // "refused set", "unsupported read"
        QTest::newRow("all nine") << quint32((1u << BatchSectionCount) - 1) << "";
        for (int i = 0; i < BatchSectionCount; ++i) {
            QTest::newRow(batchSectionElement(i)) << batchSectionBit(i) << "";
        }
        QTest::newRow("Front and NTP") << quint32(FrontSection | NtpSection) << "";
        for (const char *fault : { "refused set", "unsupported read" }) {
            QTest::newRow(fault) << quint32(FrontSection | NtpSection | PtzSection) << fault;
        }
    }

    void appliesTheSectionsPresentAndKeepsEveryOtherByte()
    {
        QFETCH(quint32, bits);
        QFETCH(QString, ntpFault);
        const quint32 failed = ntpFault.isEmpty() ? 0 : quint32(NtpSection);
        const QList<int> cameras { 0, 1, 2, 3 };
        QList<Records> expected;
        for (const int camera : cameras) {
            if (failed != 0) {
                devsim::Fault fault;
                (ntpFault == "refused set" ? fault.refusedSets : fault.unsupportedCommands)
                    .insert(NtpCfg::getCommand);
                m_fleet->setFault(camera, fault);
            }
            // Back to the factory's, which differ from the templet's in every section.
            forEachSection([&]<typename View>(quint32, auto, auto) {
                m_fleet->setRecord(
                    camera, View::getCommand, m_fleet->factoryRecord(camera, View::getCommand));
            });
            const Records before = cameraRecords(*m_fleet, camera);
            expected << afterApplying(templet(bits & ~failed), before);
            forEachSection([&]<typename View>(quint32 bit, auto, auto) {
                QCOMPARE(expected.last().value(View::getCommand) != before.value(View::getCommand),
                    (bits & ~failed & bit) != 0);
            });
        }
        CBatchConfigManager manager({});
        addTasks(manager, cameras);
        QVERIFY(manager.Start(templet(bits), false));
        manager.WaitForEnd();
        for (int i = 0; i < cameras.size(); ++i) {
            QCOMPARE(manager.State(i), qint32(TaskSetComplete));
            QCOMPARE(manager.AppliedSections(i), qint32(bits & ~failed));
            QCOMPARE(manager.FailedSections(i), qint32(failed));
            QCOMPARE(cameraRecords(*m_fleet, cameras[i]), expected[i]);
        }
        QCOMPARE(manager.Progress(), 100u);
    }

    // A failed login tries no section; the run goes on. A task keeps the
    // first 16 bytes of a password.
    void failedLoginTriesNoSectionAndTheRunGoesOn()
    {
        CBatchConfigManager manager({});
        addTasks(manager, { 7 }, "wrong");
        manager.AddTask("127.0.85.200", FleetPort, "admin", "60917"); // nothing listens
        addTasks(manager, { 8, 9 }); // camera 8 takes another password
        addTasks(manager, { 11 }, LongPassword + "tail");
        QVERIFY(manager.Start(templet(NtpSection), false));
        manager.WaitForEnd();
        QList<qint32> outcomes;
        for (int i = 0; i < manager.TaskCount(); ++i) {
            outcomes << manager.State(i) << manager.AppliedSections(i) << manager.FailedSections(i);
        }
        const QList<qint32> failed { TaskFailedToSet, 0, 0 };
        const QList<qint32> set { TaskSetComplete, NtpSection, 0 };
        QCOMPARE(outcomes, failed + failed + failed + set + set);
    }

    void stopEndsTheRunOnlyAfterTheDeviceUnderWay()
    {
        // Device 3 answers slowly enough to be caught while it is set up.
        devsim::Fault slow;
        slow.delayMs = 8000; // 400 ms a frame at the fleet's time scale
        m_fleet->setFault(2, slow);
        CBatchConfigManager manager({});
        addTasks(manager, { 0, 1, 2, 3, 4, 5, 6, 7, 8, 9 });
        QVERIFY(manager.Start(templet(NtpSection), false));
        QTRY_COMPARE(manager.State(2), qint32(TaskSettingUp));
        manager.Stop();
        QVERIFY(!manager.IsStarted());
        QCOMPARE(manager.State(2), qint32(TaskSetComplete));
        QCOMPARE(manager.AppliedSections(2), qint32(NtpSection));
        for (int i = 3; i < 10; ++i) {
            QCOMPARE(manager.State(i), qint32(TaskUnset));
        }
        QCOMPARE(manager.Progress(), 30u);
    }

    void emptyListIsComplete()
    {
        CBatchConfigManager manager({});
        QCOMPARE(manager.Progress(), 100u);
        QVERIFY(manager.Start(templet(NtpSection), false));
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
        std::atomic<int> offline = 0;
        std::atomic<int> online = 0;
        QList<QMetaObject::Connection> connections;
        m_fleet->run([&] {
            for (const int camera : { 12, 13 }) {
                devsim::Camera *c = m_fleet->cameras().at(camera);
                connections << connect(c, &devsim::Camera::goingOffline, c, [&] { ++offline; })
                            << connect(c, &devsim::Camera::cameOnline, c, [&] { ++online; });
            }
        });
        CBatchConfigManager manager({});
        addTasks(manager, { 12, 13 });
        QVERIFY(manager.Start(templet(NtpSection), reboot));
        manager.WaitForEnd();
        QCOMPARE(manager.AppliedSections(1), qint32(NtpSection));
        if (reboot) {
            QTRY_COMPARE(offline.load(), 2);
            QTRY_COMPARE(online.load(), 2);
        } else {
            // The reboot would have been answered before the logout, so a
            // rebooted camera would be offline now.
            for (const int camera : { 12, 13 }) {
                QVERIFY(SdkLogin(m_fleet->address(camera).toLatin1(), FleetPort, "admin", "60917")
                            .ok());
            }
            QCOMPARE(offline.load(), 0);
        }
        m_fleet->run([&] {
            for (const auto &connection : std::as_const(connections)) {
                disconnect(connection);
            }
        });
    }
};

QTEST_GUILESS_MAIN(TestBatchConfigManager)
#include "tst_batchconfigmanager.moc"
