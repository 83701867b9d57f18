#include "batchconfigmanager.h"
#include "devicesdk.h"
#include "mirt.h"
#include "solvane.h"
#include "templetsource.h"

#include <QTemporaryDir>
#include <QTest>

#include <atomic>

using namespace batchtest;

namespace {

constexpr quint16 FleetPort = 18500;
constexpr int SourceCamera = 15; // the templets are written from its records
const QByteArray LongPassword = "0123456789abcdef"; // camera 11's: as long as a task keeps

} // namespace

// The manager against simulated cameras on 127.0.85.1 - 127.0.85.16.
class TestBatchConfigManager : public QObject
{
    Q_OBJECT

    std::unique_ptr<devsim::Fleet> m_fleet;
    QTemporaryDir m_dir;

    QString templet(quint32 bits) const
    {
        const QString fileName = m_dir.filePath(QStringLiteral("%1.xml").arg(bits));
        return writeTemplet(fileName, cameraRecords(*m_fleet, SourceCamera), bits) ? fileName
                                                                                   : QString();
    }

    // A finished run over `cameras`, with the default credentials.
    void run(CBatchConfigManager &manager, const QList<int> &cameras, quint32 bits,
        bool reboot = false) const
    {
        for (const int camera : cameras) {
            manager.AddTask(
                m_fleet->address(camera).toLatin1().constData(), FleetPort, "admin", "60917");
        }
        QVERIFY(manager.Start(templet(bits), reboot));
        manager.WaitForEnd();
    }

    void compareRecords(int camera, const Records &expected) const
    {
        const Records now = cameraRecords(*m_fleet, camera);
        for (auto it = expected.begin(); it != expected.end(); ++it) {
            QVERIFY2(now.value(it.key()) == it.value(),
                qPrintable(QStringLiteral("camera %1, record %2").arg(camera).arg(it.key())));
        }
    }

private slots:
    void initTestCase()
    {
        MIRT_Init();
        SOLV_Init();
        QVERIFY(m_dir.isValid());
        devsim::FleetOptions options;
        options.count = 16;
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
        for (int camera = 0; camera < m_fleet->count(); ++camera) {
            m_fleet->clearFault(camera);
        }
    }

    void appliesTheSectionsPresentAndKeepsEveryOtherByte_data()
    {
        QTest::addColumn<quint32>("bits");
        QTest::newRow("all nine") << quint32((1u << BatchSectionCount) - 1);
        for (int i = 0; i < BatchSectionCount; ++i) {
            QTest::newRow(batchSectionElement(i)) << batchSectionBit(i);
        }
        QTest::newRow("Front and NTP") << quint32(FrontSection | NtpSection);
    }

    void appliesTheSectionsPresentAndKeepsEveryOtherByte()
    {
        QFETCH(quint32, bits);
        const QList<int> cameras { 0, 1, 2, 3 };
        QList<Records> expected;
        for (const int camera : cameras) {
            // Back to the factory's, which differ from the templet's in every section.
            for (const quint32 command : SectionCommands) {
                m_fleet->setRecord(camera, command, m_fleet->factoryRecord(camera, command));
            }
            const Records before = cameraRecords(*m_fleet, camera);
            expected << afterApplying(templet(bits), before);
            // The templet changes every section it holds.
            for (int section = 0; section < BatchSectionCount; ++section) {
                const quint32 command = SectionCommands[section];
                QCOMPARE(expected.last().value(command) != before.value(command),
                    (bits & batchSectionBit(section)) != 0);
            }
        }
        CBatchConfigManager manager({});
        run(manager, cameras, bits);
        for (int i = 0; i < cameras.size(); ++i) {
            QCOMPARE(manager.State(i), qint32(TaskSetComplete));
            QCOMPARE(manager.AppliedSections(i), qint32(bits));
            QCOMPARE(manager.FailedSections(i), 0);
            compareRecords(cameras[i], expected[i]);
        }
        QCOMPARE(manager.Progress(), 100u);
    }

    // A section the device will not read or write is recorded and the next one tried.
    void failedSectionIsRecordedAndTheDeviceStillCompletes_data()
    {
        QTest::addColumn<bool>("refuseSet"); // else the read is unsupported
        QTest::newRow("refused set") << true;
        QTest::newRow("unsupported read") << false;
    }

    void failedSectionIsRecordedAndTheDeviceStillCompletes()
    {
        QFETCH(bool, refuseSet);
        devsim::Fault fault;
        (refuseSet ? fault.refusedSets : fault.unsupportedCommands).insert(NtpCfg::getCommand);
        m_fleet->setFault(6, fault);
        Records expected
            = afterApplying(templet(FrontSection | PtzSection), cameraRecords(*m_fleet, 6));
        CBatchConfigManager manager({});
        run(manager, { 6 }, FrontSection | NtpSection | PtzSection);
        QCOMPARE(manager.State(0), qint32(TaskSetComplete));
        QCOMPARE(manager.AppliedSections(0), qint32(FrontSection | PtzSection));
        QCOMPARE(manager.FailedSections(0), qint32(NtpSection));
        compareRecords(6, expected);
    }

    void failedLoginTriesNoSectionAndTheRunGoesOn()
    {
        const Records untouched = cameraRecords(*m_fleet, 8);
        const Records expected = afterApplying(templet(NtpSection), cameraRecords(*m_fleet, 9));
        CBatchConfigManager manager({});
        manager.AddTask(m_fleet->address(7).toLatin1().constData(), FleetPort, "admin", "wrong");
        manager.AddTask("127.0.85.200", FleetPort, "admin", "60917"); // nothing listens
        run(manager, { 8, 9 }, NtpSection); // camera 8 takes another password
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(manager.State(i), qint32(TaskFailedToSet));
            QCOMPARE(manager.AppliedSections(i), 0);
            QCOMPARE(manager.FailedSections(i), 0);
        }
        QCOMPARE(manager.State(3), qint32(TaskSetComplete));
        compareRecords(8, untouched);
        compareRecords(9, expected);
    }

    void stopEndsTheRunOnlyAfterTheDeviceUnderWay()
    {
        // Device 3 answers slowly enough to be caught while it is set up.
        devsim::Fault slow;
        slow.delayMs = 8000; // 400 ms a frame at the fleet's time scale
        m_fleet->setFault(2, slow);
        const Records expected = afterApplying(templet(NtpSection), cameraRecords(*m_fleet, 2));
        CBatchConfigManager manager({});
        for (int camera = 0; camera < 10; ++camera) {
            manager.AddTask(
                m_fleet->address(camera).toLatin1().constData(), FleetPort, "admin", "60917");
        }
        QVERIFY(manager.Start(templet(NtpSection), false));
        QTRY_COMPARE(manager.State(2), qint32(TaskSettingUp));
        manager.Stop();
        QVERIFY(!manager.IsStarted());
        QCOMPARE(manager.State(2), qint32(TaskSetComplete));
        compareRecords(2, expected);
        for (int i = 3; i < 10; ++i) {
            QCOMPARE(manager.State(i), qint32(TaskUnset));
        }
        QCOMPARE(manager.Progress(), 30u);
    }

    void emptyListIsComplete()
    {
        CBatchConfigManager manager({});
        QCOMPARE(manager.Progress(), 100u);
        run(manager, {}, NtpSection);
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
                connections << connect(c, &devsim::Camera::goingOffline, c, [&] { ++offline; })
                            << connect(c, &devsim::Camera::cameOnline, c, [&] { ++online; });
            }
        });
        CBatchConfigManager manager({});
        run(manager, cameras, NtpSection, reboot);
        QCOMPARE(manager.AppliedSections(1), qint32(NtpSection));
        if (reboot) {
            QTRY_COMPARE(offline.load(), 2);
            QTRY_COMPARE(online.load(), 2);
        } else {
            // The reboot would have been answered before the logout, so a
            // rebooted camera would be offline now.
            for (const int camera : cameras) {
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
        QFile file(fileName);
        file.remove();
        QVERIFY(content.isEmpty() || (file.open(QIODevice::WriteOnly) && file.write(content) > 0));
        file.close();
        CBatchConfigManager manager({});
        QCOMPARE(manager.AddTask(nullptr, FleetPort, "admin", "60917"), -1);
        QCOMPARE(manager.AddTask("127.0.85.1", FleetPort, "admin", "60917"), 0);
        QVERIFY(!manager.Start(fileName, false));
        QVERIFY(!manager.IsStarted());
        QCOMPARE(manager.Progress(), 0u);
        QCOMPARE(manager.State(1), -1);
    }

    // The bounded copy: a password of 20 bytes logs in with its first 16.
    void passwordIsCutToSixteenBytes()
    {
        CBatchConfigManager manager({});
        manager.AddTask(m_fleet->address(11).toLatin1().constData(), FleetPort, "admin",
            (LongPassword + "tail").constData());
        QVERIFY(manager.Start(templet(NtpSection), false));
        manager.WaitForEnd();
        QCOMPARE(manager.State(0), qint32(TaskSetComplete));
    }
};

QTEST_GUILESS_MAIN(TestBatchConfigManager)
#include "tst_batchconfigmanager.moc"
