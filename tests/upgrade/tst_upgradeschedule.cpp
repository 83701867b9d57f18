#include "fasttiming.h"
#include "upgrademanager.h"
#include "upgradestate.h"
#include "upgradetask.h"

#include "mirt.h"
#include "solvane.h"

#include <QTest>

using namespace std::chrono_literals;

namespace {

// A semaphore for one test.
struct Semaphore
{
    Semaphore() : handle(MIRT_SemCreate(0)) { }
    ~Semaphore() { MIRT_SemDestroy(handle); }
    MIRT_Sem handle;
};

QList<int> seconds(const QList<std::chrono::seconds> &times)
{
    QList<int> result;
    for (const auto time : times) {
        result << int(time.count());
    }
    return result;
}

} // namespace

Q_DECLARE_METATYPE(ReconnectOutcome)

class TestUpgradeSchedule : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QCOMPARE(MIRT_Init(), 0); }
    void cleanupTestCase() { MIRT_Fini(); }

    void defaultsAreTheDesignedPauses()
    {
        const UpgradeTiming timing;
        QCOMPARE(timing.pollInterval, 1000ms);
        QCOMPARE(timing.firstReconnectWait, 30s);
        QCOMPARE(timing.reconnectWaitStep, 5s);
        QCOMPARE(timing.shortestReconnectWait, 10s);
        QCOMPARE(timing.reconnectLimit, 240s);
    }

    // Login attempts on the schedule's clock: 30, 55, 75 and 90 s, then every
    // 10 s up to 240 s.
    void attemptsFollowTheSchedule_data()
    {
        QTest::addColumn<int>("succeedAt"); // attempt number that succeeds; 0 none
        QTest::addColumn<QList<int>>("attempts");
        QTest::addColumn<ReconnectOutcome>("outcome");
        const QList<int> all { 30, 55, 75, 90, 100, 110, 120, 130, 140, 150, 160, 170, 180, 190,
            200, 210, 220, 230, 240 };
        QTest::newRow("never back") << 0 << all << ReconnectOutcome::GaveUp;
        QTest::newRow("back at 80 s") << 4 << all.mid(0, 4) << ReconnectOutcome::Reconnected;
        QTest::newRow("back at once") << 1 << all.mid(0, 1) << ReconnectOutcome::Reconnected;
        QTest::newRow("back at the last try") << 19 << all << ReconnectOutcome::Reconnected;
    }

    void attemptsFollowTheSchedule()
    {
        QFETCH(int, succeedAt);
        QFETCH(QList<int>, attempts);
        QFETCH(ReconnectOutcome, outcome);
        FastTiming timing(0);
        Semaphore wake;
        QList<std::chrono::seconds> tried;
        const ReconnectOutcome result = RunReconnectSchedule(timing, wake.handle, [&] {
            tried << timing.reconnectClock();
            return int(tried.size()) == succeedAt;
        });
        QCOMPARE(result, outcome);
        QCOMPARE(seconds(tried), attempts);
    }

    void scheduleComesFromTheTiming()
    {
        FastTiming timing(0);
        timing.firstReconnectWait = 12s;
        timing.reconnectWaitStep = 4s;
        timing.shortestReconnectWait = 3s;
        timing.reconnectLimit = 30s;
        Semaphore wake;
        QList<std::chrono::seconds> tried;
        RunReconnectSchedule(timing, wake.handle, [&] {
            tried << timing.reconnectClock();
            return false;
        });
        // 12, then 8, 4, and 3 (never below the shortest wait) until the waits reach 30 s.
        QCOMPARE(seconds(tried), (QList<int> { 12, 20, 24, 27, 30 }));
    }

    void postedWakeStopsWithoutAttempt()
    {
        FastTiming timing(0);
        Semaphore wake;
        MIRT_SemPost(wake.handle);
        int tried = 0;
        QCOMPARE(RunReconnectSchedule(timing, wake.handle,
                     [&] {
                         ++tried;
                         return false;
                     }),
            ReconnectOutcome::Stopped);
        QCOMPARE(tried, 0);
    }

    // The state a directory start ends in when the description is unusable.
    void descriptionFailureState_data()
    {
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("error");
        QTest::addColumn<int>("state");
        QTest::newRow("read") << true << QByteArray("<UpdateFlag/>") << 0 << 0;
        QTest::newRow("read but empty") << true << QByteArray() << 0 << int(UpgradeNoFileName);
        QTest::newRow("not supported")
            << false << QByteArray() << int(SOLV_NOT_SUPPORT) << int(UpgradeNoDirectorySupport);
        QTest::newRow("too big even for the largest buffer")
            << false << QByteArray() << int(SOLV_INSUFFICIENT_BUFFER) << int(UpgradeNoFileName);
        QTest::newRow("connection lost")
            << false << QByteArray() << int(SOLV_RECV_FAILED) << int(UpgradeNoFileName);
    }

    void descriptionFailureState()
    {
        QFETCH(bool, ok);
        QFETCH(QByteArray, text);
        QFETCH(int, error);
        QFETCH(int, state);
        AbilityText ability;
        ability.ok = ok;
        ability.text = text;
        ability.error = quint32(error);
        QCOMPARE(DescriptionFailureState(ability), state);
    }

    void emptyBatchIsCompleteAtOnce()
    {
        CUpgradeManager manager({}, std::make_shared<FastTiming>(0));
        QCOMPARE(manager.TotalProgress(), 100);
        QVERIFY(manager.Start());
        QCOMPARE(manager.TotalProgress(), 100);
        QVERIFY(manager.Stop());
        QVERIFY(manager.Stop()); // a second stop has nothing to do
    }

    void unknownTaskIndexGivesMinusOne()
    {
        CUpgradeManager manager({});
        QCOMPARE(manager.AddTask("127.0.82.250", 8000, "admin", "60917"), 0);
        QCOMPARE(manager.AddTask("127.0.82.251", 8000, "admin", "60917"), 1);
        QCOMPARE(manager.TaskState(0), int(UpgradeWaiting));
        QCOMPARE(manager.TaskState(2), -1);
        QCOMPARE(manager.TaskState(-1), -1);
        QCOMPARE(manager.TaskProgress(2), -1);
        QVERIFY(!manager.SetFirmware(nullptr, FirmwareFile));
        manager.ClearTasks();
        QCOMPARE(manager.TaskCount(), 0);
    }
};

QTEST_GUILESS_MAIN(TestUpgradeSchedule)
#include "tst_upgradeschedule.moc"
