// Many logins at once from many threads against a fleet of 64 cameras.

#include "fleet.h"
#include "solvanecheck.h"

#include <QDir>
#include <QSemaphore>
#include <QTest>

#include <atomic>
#include <barrier>
#include <thread>
#include <vector>

using namespace solvcheck;

static constexpr quint16 Port = 18400;
static constexpr int Cameras = 64;
static constexpr int Threads = 16;

class SolvaneConcurrencyTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<devsim::Fleet> m_fleet;

private slots:
    void initTestCase()
    {
        SOLV_Init();
        m_fleet = std::make_unique<devsim::Fleet>(devsim::FleetOptions { .count = Cameras,
            .firstAddress = QStringLiteral("127.0.4.1"),
            .port = Port,
            .seed = 11,
            .discoveryPort = 0 });
        QString error;
        QVERIFY2(m_fleet->start(&error), qPrintable(error));
    }

    void cleanupTestCase() { SOLV_Cleanup(); }

    // Each thread holds the logins of its four cameras at the same time, so
    // all 64 are open at once; every answer must belong to its own camera.
    void sixtyFourLoginsFromSixteenThreads()
    {
        std::atomic<int> failures { 0 };
        std::vector<QByteArray> answers(5 * Cameras); // by round and camera
        std::barrier allOpen(Threads);
        std::vector<std::jthread> threads;
        for (int t = 0; t < Threads; ++t) {
            threads.emplace_back([&, t] {
                for (int round = 0; round < 5; ++round) {
                    int32_t ids[Cameras / Threads];
                    for (int k = 0; k < Cameras / Threads; ++k) {
                        ids[k] = login(m_fleet->address(t + k * Threads), Port);
                        answers[round * Cameras + t + k * Threads]
                            = get(ids[k], SOLV_GET_DEVICECFG);
                        failures += get(ids[k], SOLV_GET_NETCFG).isEmpty() ? 1 : 0;
                    }
                    allOpen.arrive_and_wait();
                    for (int32_t id : ids) {
                        failures += SOLV_Logout(id) ? 0 : 1;
                    }
                }
            });
        }
        threads.clear(); // joins them
        QCOMPARE(failures.load(), 0);
        for (int i = 0; i < 5 * Cameras; ++i) {
            QCOMPARE(answers[i], m_fleet->record(i % Cameras, SOLV_GET_DEVICECFG));
        }
    }

    // A call on an ID another thread just closed fails cleanly; every way out
    // of a login gives its descriptors back (the cameras live here too).
    void callsRacingWithLogout()
    {
        const auto openDescriptors = [] {
            return QDir(QStringLiteral("/proc/self/fd"))
                .entryList(QDir::Files | QDir::System)
                .size();
        };
        QTRY_COMPARE(m_fleet->sessionCount(0), 0);
        const auto before = openDescriptors();
        std::atomic<int32_t> shared { -1 };
        std::atomic<int> oddErrors { 0 };
        QSemaphore calls; // one per call made
        std::jthread caller([&](const std::stop_token &stop) {
            while (!stop.stop_requested()) {
                const uint32_t error = failure(!get(shared, SOLV_GET_DEVICECFG).isEmpty());
                calls.release();
                if (error != ~0u && error != SOLV_NOT_LOGGED_IN && error != SOLV_RECV_FAILED) {
                    ++oddErrors;
                }
            }
        });
        for (int i = 0; i < 100; ++i) {
            const int32_t id = login(m_fleet->address(0), Port);
            QVERIFY(id >= 0);
            shared = id;
            // At least one call starts on the open login before it closes:
            // of two that end from now on, the second began after this point.
            calls.tryAcquire(calls.available());
            QVERIFY(calls.tryAcquire(2, 30000));
            QVERIFY(SOLV_Logout(id));
            QCOMPARE(login(m_fleet->address(0), Port, "wrong"), -1);
            QCOMPARE(login(QStringLiteral("127.0.4.250"), Port), -1);
        }
        caller.request_stop();
        caller.join();
        QCOMPARE(oddErrors.load(), 0);
        QTRY_COMPARE(openDescriptors(), before);
    }
};

QTEST_GUILESS_MAIN(SolvaneConcurrencyTest)
#include "tst_solvaneconcurrency.moc"
