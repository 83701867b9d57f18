#include "mirt.h"

#include <QElapsedTimer>
#include <QTest>

#include <atomic>
#include <pthread.h>

namespace {

void *waitLong(void *arg)
{
    return reinterpret_cast<void *>(
        static_cast<intptr_t>(MIRT_SemTimedWait(static_cast<MIRT_Sem>(arg), 20000)));
}

// Uses about 44 × 16 KiB = 704 KiB of stack.
int recurse(int depth)
{
    volatile char block[16 * 1024];
    block[0] = static_cast<char>(depth);
    block[sizeof block - 1] = 1;
    if (depth == 0) {
        return block[0];
    }
    return recurse(depth - 1) + block[sizeof block - 1];
}

void *deepRecursion(void *)
{
    return reinterpret_cast<void *>(static_cast<intptr_t>(recurse(43)));
}

void *ownStackSize(void *)
{
    pthread_attr_t attr;
    size_t size = 0;
    if (pthread_getattr_np(pthread_self(), &attr) == 0) {
        pthread_attr_getstacksize(&attr, &size);
        pthread_attr_destroy(&attr);
    }
    return reinterpret_cast<void *>(size);
}

void *incrementMany(void *arg)
{
    for (int i = 0; i < 100000; ++i) {
        MIRT_AtomicInc(static_cast<volatile int32_t *>(arg));
    }
    return nullptr;
}

struct Counter
{
    std::atomic<int> done { 0 };
};

void *countAfterSleep(void *arg)
{
    auto *counter = static_cast<Counter *>(arg);
    MIRT_Sleep(counter->done.load() % 10 == 0 ? 200 : 0);
    ++counter->done;
    return nullptr;
}

void *countAfterOneSecond(void *arg)
{
    MIRT_Sleep(1000);
    ++static_cast<Counter *>(arg)->done;
    return nullptr;
}

bool waitFor(const std::atomic<int> &value, int expected, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (value.load() != expected && timer.elapsed() < timeoutMs) {
        MIRT_Sleep(10);
    }
    return value.load() == expected;
}

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

void *noop(void *)
{
    return nullptr;
}

void *gatedItem(void *arg)
{
    auto *gate = static_cast<Gate *>(arg);
    ++gate->started;
    MIRT_SemTimedWait(gate->open, 20000);
    // The pool is being destroyed by now: it must refuse new work.
    if (MIRT_ThreadPool_WorkEx(gate->pool, noop, nullptr, 1) != 0) {
        ++gate->refused;
    }
    ++gate->finished;
    return nullptr;
}

void countDropped(void *arg)
{
    ++static_cast<Gate *>(arg)->dropped;
}

void *destroyPool(void *arg)
{
    auto *gate = static_cast<Gate *>(arg);
    MIRT_ThreadPool_Destroy(gate->pool);
    gate->destroyed = true;
    return nullptr;
}

} // namespace

class TestMirt : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QCOMPARE(MIRT_Init(), 0); }
    void cleanupTestCase() { MIRT_Fini(); }

    void semaphoreCountsAndTimesOut()
    {
        MIRT_Sem sem = MIRT_SemCreate(2);
        QVERIFY(sem);
        QCOMPARE(MIRT_SemTimedWait(sem, 0), 0);
        QCOMPARE(MIRT_SemTimedWait(sem, 0), 0);
        QVERIFY(MIRT_SemTimedWait(sem, 50) != 0);
        MIRT_SemDestroy(sem);
    }

    void semaphorePostWakesWaiter()
    {
        MIRT_Sem sem = MIRT_SemCreate(0);
        QElapsedTimer timer;
        timer.start();
        MIRT_Thread waiter = MIRT_Thread_Create(waitLong, sem, 0);
        QVERIFY(waiter);
        MIRT_Sleep(100);
        QCOMPARE(MIRT_SemPost(sem), 0);
        void *result = reinterpret_cast<void *>(-1);
        QCOMPARE(MIRT_Thread_Wait(waiter, &result), 0);
        QCOMPARE(result, nullptr);
        QVERIFY(timer.elapsed() < 10000); // the 20 s wait ended on the post
        MIRT_SemDestroy(sem);
    }

    void threadHasOneMiBStack()
    {
        MIRT_Thread thread = MIRT_Thread_Create(deepRecursion, nullptr, 0);
        QVERIFY(thread);
        void *result = nullptr;
        QCOMPARE(MIRT_Thread_Wait(thread, &result), 0);
        QCOMPARE(reinterpret_cast<intptr_t>(result), 43);

        thread = MIRT_Thread_Create(ownStackSize, nullptr, MIRT_DEFAULT_STACK_SIZE);
        QVERIFY(thread);
        QCOMPARE(MIRT_Thread_Wait(thread, &result), 0);
        const auto size = reinterpret_cast<size_t>(result);
        QVERIFY2(size >= 1024 * 1024 && size <= 1088 * 1024, QByteArray::number(qulonglong(size)));
    }

    void atomicIncrementIsAtomic()
    {
        volatile int32_t value = 0;
        MIRT_Thread threads[4];
        for (MIRT_Thread &thread : threads) {
            thread = MIRT_Thread_Create(incrementMany, const_cast<int32_t *>(&value), 0);
            QVERIFY(thread);
        }
        for (MIRT_Thread thread : threads) {
            QCOMPARE(MIRT_Thread_Wait(thread, nullptr), 0);
        }
        QCOMPARE(value, 400000);
        QCOMPARE(MIRT_AtomicDec(&value), 399999);
    }

    void poolRunsEveryItem()
    {
        Counter counter;
        MIRT_ThreadPool pool = MIRT_ThreadPool_Create(1, 1);
        QVERIFY(pool);
        for (int i = 0; i < 500; ++i) {
            QCOMPARE(MIRT_ThreadPool_WorkEx(pool, countAfterSleep, &counter, 1), 0);
        }
        QVERIFY(waitFor(counter.done, 500, 30000));
        MIRT_ThreadPool_Destroy(pool);
    }

    void poolRunsBlockingItemsSideBySide()
    {
        // 100 items of 1 s each: one at a time would take 100 s.
        Counter counter;
        MIRT_ThreadPool pool = MIRT_ThreadPool_Create(1, 1);
        QVERIFY(pool);
        for (int i = 0; i < 100; ++i) {
            QCOMPARE(MIRT_ThreadPool_WorkEx(pool, countAfterOneSecond, &counter, 1), 0);
        }
        QVERIFY(waitFor(counter.done, 100, 30000));
        MIRT_ThreadPool_Destroy(pool);
    }

    void poolDestroyWaitsForRunningAndDropsQueued()
    {
        Gate gate;
        gate.pool = MIRT_ThreadPool_Create(1, 1);
        QVERIFY(gate.pool);
        MIRT_ThreadPool_SetDropProc(gate.pool, countDropped);
        int submitted = 0;
        for (; submitted < 300; ++submitted) {
            QCOMPARE(MIRT_ThreadPool_WorkEx(gate.pool, gatedItem, &gate, 1), 0);
        }
        MIRT_Thread destroyer = MIRT_Thread_Create(destroyPool, &gate, 0);
        QVERIFY(destroyer);
        // The pool cannot be freed while items wait at the gate, so it is safe
        // to submit until Destroy has begun and refuses.
        QElapsedTimer timer;
        timer.start();
        while (MIRT_ThreadPool_WorkEx(gate.pool, gatedItem, &gate, 1) == 0) {
            ++submitted;
            QVERIFY(timer.elapsed() < 10000);
            MIRT_Sleep(1);
        }
        MIRT_Sleep(200);
        QVERIFY(!gate.destroyed); // still waiting for the running items
        QVERIFY(gate.dropped > 0);

        for (int i = 0; i < submitted; ++i) {
            MIRT_SemPost(gate.open);
        }
        QCOMPARE(MIRT_Thread_Wait(destroyer, nullptr), 0);
        QVERIFY(gate.destroyed);
        QCOMPARE(gate.finished.load(), gate.started.load());
        QCOMPARE(gate.refused.load(), gate.finished.load());
        QCOMPARE(gate.started + gate.dropped, submitted);
    }

    void loadsSharedObject()
    {
        void *dso = MIRT_LoadDSo(MIRT_TEST_DSO);
        QVERIFY(dso);
        using AddFn = int (*)(int, int);
        auto add = reinterpret_cast<AddFn>(MIRT_GetDsoSym(dso, "mirt_test_add"));
        QVERIFY(add);
        QCOMPARE(add(2, 3), 5);
        QCOMPARE(MIRT_GetDsoSym(dso, "mirt_test_missing"), nullptr);
        QCOMPARE(MIRT_UnloadDSo(dso), 0);
    }

    void missingSharedObjectGivesNull()
    {
        QCOMPARE(MIRT_LoadDSo("/nonexistent/libnothing.so"), nullptr);
        QVERIFY(MIRT_GetLastError() != 0);
    }

    void inetPton_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<quint32>("host");
        QTest::newRow("plain") << QByteArray("192.168.1.10") << true << 0xC0A8010Au;
        QTest::newRow("zeros") << QByteArray("0.0.0.0") << true << 0u;
        QTest::newRow("top") << QByteArray("255.255.255.255") << true << 0xFFFFFFFFu;
        QTest::newRow("padded is decimal") << QByteArray("192.168.001.010") << true << 0xC0A8010Au;
        QTest::newRow("256 first") << QByteArray("256.1.1.1") << false << 0u;
        QTest::newRow("256 last") << QByteArray("1.1.1.256") << false << 0u;
        QTest::newRow("huge part") << QByteArray("4294967297.1.1.1") << false << 0u;
        QTest::newRow("leading space") << QByteArray(" 1.2.3.4") << false << 0u;
        QTest::newRow("trailing space") << QByteArray("1.2.3.4 ") << false << 0u;
        QTest::newRow("trailing garbage") << QByteArray("1.2.3.4x") << false << 0u;
        QTest::newRow("sign") << QByteArray("+1.2.3.4") << false << 0u;
        QTest::newRow("hex") << QByteArray("0x1.2.3.4") << false << 0u;
        QTest::newRow("empty") << QByteArray("") << false << 0u;
        QTest::newRow("three parts") << QByteArray("1.2.3") << false << 0u;
        QTest::newRow("five parts") << QByteArray("1.2.3.4.5") << false << 0u;
        QTest::newRow("empty part") << QByteArray("1..2.3") << false << 0u;
        QTest::newRow("trailing dot") << QByteArray("1.2.3.") << false << 0u;
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
        char text[128];
        QCOMPARE(MIRT_InetNtop(MIRT_AF_INET, &net, text, sizeof text), text);
        QCOMPARE(QByteArray(text), QByteArray("192.168.1.10"));
        QCOMPARE(MIRT_InetNtop(MIRT_AF_INET, &net, text, 12), nullptr);
        QCOMPARE(MIRT_InetNtop(MIRT_AF_INET, &net, text, 13), text);
    }
};

QTEST_GUILESS_MAIN(TestMirt)
#include "tst_mirt.moc"
