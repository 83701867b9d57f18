// The portability runtime: semaphores, the pool, dynamic loading and address texts.

#include "mirt.h"

#include <QTest>

#include <atomic>
#include <thread>

namespace {

// Destroy-test items wait at the gate; it opens once Destroy runs, so new work is refused.
struct Gate
{
    MIRT_Sem open = MIRT_SemCreate(0);
    MIRT_ThreadPool pool = nullptr;
    std::atomic<int> started { 0 };
    std::atomic<int> finished { 0 };
    std::atomic<int> dropped { 0 };
    std::atomic<int> refused { 0 };
    std::atomic<bool> destroyed { false };
    ~Gate() { MIRT_SemDestroy(open); }
};

void *gatedItem(void *arg)
{
    auto *gate = static_cast<Gate *>(arg);
    ++gate->started;
    MIRT_SemTimedWait(gate->open, 20000);
    if (MIRT_ThreadPool_WorkEx(
            gate->pool, [](void *) -> void * { return nullptr; }, nullptr, 1)
        != 0) {
        ++gate->refused;
    }
    ++gate->finished;
    return nullptr;
}

} // namespace

class TestMirt : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QCOMPARE(MIRT_Init(), 0); }
    void cleanupTestCase() { MIRT_Fini(); }

    void semaphoreCountsWakesAndTimesOut()
    {
        MIRT_Sem sem = MIRT_SemCreate(1);
        QVERIFY(sem);
        QCOMPARE(MIRT_SemTimedWait(sem, 0), 0);
        QVERIFY(MIRT_SemTimedWait(sem, 50) != 0);
        // A post from another thread ends a wait under way (the poster gives
        // the wait a head start).
        std::thread poster([sem] {
            MIRT_Sleep(100);
            MIRT_SemPost(sem);
        });
        QCOMPARE(MIRT_SemTimedWait(sem, 20000), 0);
        poster.join();
        MIRT_SemDestroy(sem);
    }

    // 100 blocking 1 s items among 400 quick ones on a one-worker pool: all run,
    // and the blocking ones side by side (in turn they would take 100 s).
    void poolRunsEveryItemAndBlockingOnesSideBySide()
    {
        std::atomic<int> done { 0 };
        MIRT_ThreadPool pool = MIRT_ThreadPool_Create(1, 1);
        QVERIFY(pool);
        const auto quick = [](void *arg) -> void * {
            ++*static_cast<std::atomic<int> *>(arg);
            return nullptr;
        };
        const auto slow = [](void *arg) -> void * {
            MIRT_Sleep(1000);
            ++*static_cast<std::atomic<int> *>(arg);
            return nullptr;
        };
        for (int i = 0; i < 500; ++i) {
            QCOMPARE(MIRT_ThreadPool_WorkEx(pool, i % 5 == 0 ? +slow : +quick, &done, 1), 0);
        }
        QTRY_COMPARE_WITH_TIMEOUT(done.load(), 500, 30000);
        MIRT_ThreadPool_Destroy(pool);
    }

    void poolDestroyWaitsForRunningAndDropsQueued()
    {
        Gate gate;
        gate.pool = MIRT_ThreadPool_Create(1, 1);
        QVERIFY(gate.pool);
        MIRT_ThreadPool_SetDropProc(
            gate.pool, [](void *arg) { ++static_cast<Gate *>(arg)->dropped; });
        // More items than the pool ever runs at once, so some are surely queued.
        int submitted = 0;
        for (; submitted < MIRT_THREADPOOL_MAX_BLOCKING_WORKERS + 100; ++submitted) {
            QCOMPARE(MIRT_ThreadPool_WorkEx(gate.pool, gatedItem, &gate, 1), 0);
        }
        MIRT_Thread destroyer = MIRT_Thread_Create(
            [](void *arg) -> void * {
                auto *shared = static_cast<Gate *>(arg);
                MIRT_ThreadPool_Destroy(shared->pool);
                shared->destroyed = true;
                return nullptr;
            },
            &gate, 0);
        QVERIFY(destroyer);
        // The pool cannot be freed while items wait at the gate, so it is safe
        // to submit until Destroy has begun and refuses.
        const auto refused = [&] {
            if (MIRT_ThreadPool_WorkEx(gate.pool, gatedItem, &gate, 1) == 0) {
                ++submitted;
                return false;
            }
            return true;
        };
        QTRY_VERIFY_WITH_TIMEOUT(refused(), 30000);
        QTRY_VERIFY_WITH_TIMEOUT(gate.dropped > 0, 30000);
        // A while later Destroy still waits for the running items.
        MIRT_Sleep(200);
        QVERIFY(!gate.destroyed);
        for (int i = 0; i < submitted; ++i) {
            MIRT_SemPost(gate.open);
        }
        QCOMPARE(MIRT_Thread_Wait(destroyer, nullptr), 0);
        QCOMPARE(gate.finished.load(), gate.started.load());
        QCOMPARE(gate.refused.load(), gate.finished.load());
        QCOMPARE(gate.started + gate.dropped, submitted);
    }

    void loadsSharedObjects()
    {
        void *dso = MIRT_LoadDSo(MIRT_TEST_DSO);
        QVERIFY(dso);
        auto add = reinterpret_cast<int (*)(int, int)>(MIRT_GetDsoSym(dso, "mirt_test_add"));
        QVERIFY(add);
        QCOMPARE(add(2, 3), 5);
        QCOMPARE(MIRT_GetDsoSym(dso, "mirt_test_missing"), nullptr);
        QCOMPARE(MIRT_UnloadDSo(dso), 0);
        QCOMPARE(MIRT_LoadDSo("/nonexistent/libnothing.so"), nullptr);
        QVERIFY(MIRT_GetLastError() != 0);
    }

    void inetPton_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<quint32>("host");
        QTest::newRow("plain") << QByteArray("192.168.1.10") << true << 0xC0A8010Au;
        QTest::newRow("padded is decimal") << QByteArray("192.168.001.010") << true << 0xC0A8010Au;
        QTest::newRow("256 last") << QByteArray("1.1.1.256") << false << 0u;
        QTest::newRow("huge part") << QByteArray("4294967297.1.1.1") << false << 0u;
        QTest::newRow("trailing garbage") << QByteArray("1.2.3.4x") << false << 0u;
        QTest::newRow("three parts") << QByteArray("1.2.3") << false << 0u;
        QTest::newRow("empty part") << QByteArray("1..2.3") << false << 0u;
    }

    void inetPton()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, valid);
        QFETCH(quint32, host);
        uint32_t net = 0;
        QCOMPARE(MIRT_InetPton(MIRT_AF_INET, text.constData(), &net), valid ? 1 : 0);
        QCOMPARE(MIRT_Ntohl(net), host); // a refused text leaves the value as it was
    }

    void inetNtopFormatsAndChecksSize()
    {
        const uint32_t net = MIRT_Htonl(0xC0A8010Au);
        char text[13];
        QCOMPARE(MIRT_InetNtop(MIRT_AF_INET, &net, text, 12), nullptr);
        QCOMPARE(MIRT_InetNtop(MIRT_AF_INET, &net, text, 13), text);
        QCOMPARE(QByteArray(text), QByteArray("192.168.1.10"));
    }
};

QTEST_GUILESS_MAIN(TestMirt)
#include "tst_mirt.moc"
