// Many logins at once from many threads against a fleet of 64 cameras.

#include "fleet.h"
#include "solvanecheck.h"

#include <QDir>
#include <QTest>

#include <atomic>
#include <thread>
#include <vector>

using namespace solvcheck;

namespace {
constexpr quint16 Port = 18400;
constexpr int Cameras = 64;
constexpr int Threads = 16;
} // namespace

class SolvaneConcurrencyTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<devsim::Fleet> m_fleet;
    QStringList m_serials;

private slots:
    void initTestCase()
    {
        SOLV_Init();
        devsim::FleetOptions options;
        options.count = Cameras;
        options.firstAddress = QStringLiteral("127.0.4.1");
        options.port = Port;
        options.seed = 11;
        options.discoveryPort = 0;
        m_fleet = std::make_unique<devsim::Fleet>(options);
        QString error;
        QVERIFY2(m_fleet->start(&error), qPrintable(error));
        m_fleet->run([&] {
            for (const devsim::Camera *camera : m_fleet->cameras()) {
                m_serials.append(camera->serialNo());
            }
        });
    }

    void cleanupTestCase()
    {
        SOLV_Cleanup();
        m_fleet.reset();
    }

    // Each thread holds the logins of its four cameras at the same time, so
    // all 64 are open at once; every answer must belong to its own camera.
    void sixtyFourLoginsFromSixteenThreads()
    {
        std::atomic<int> failures { 0 };
        std::atomic<int> open { 0 };
        std::atomic<int> mostOpen { 0 };
        std::vector<QString> wrong(Cameras);
        std::vector<std::thread> threads;
        for (int t = 0; t < Threads; ++t) {
            threads.emplace_back([&, t] {
                for (int round = 0; round < 5; ++round) {
                    int32_t ids[Cameras / Threads];
                    for (int k = 0; k < Cameras / Threads; ++k) {
                        ids[k] = login(m_fleet->address(t + k * Threads), Port);
                        if (ids[k] < 0) {
                            ++failures;
                            continue;
                        }
                        const int now = ++open;
                        for (int seen = mostOpen;
                             now > seen && !mostOpen.compare_exchange_weak(seen, now);) { }
                    }
                    for (int k = 0; k < Cameras / Threads; ++k) {
                        const QByteArray device = get(ids[k], SOLV_GET_DEVICECFG);
                        if (device.isEmpty() || get(ids[k], SOLV_GET_NETCFG).isEmpty()) {
                            ++failures;
                        } else if (QString::fromLatin1(
                                       device.constData() + SOLV_DEVICECFG_SERIAL_OFFSET)
                            != m_serials.at(t + k * Threads)) {
                            wrong[t + k * Threads] = QString::fromLatin1(
                                device.constData() + SOLV_DEVICECFG_SERIAL_OFFSET);
                        }
                    }
                    QTest::qSleep(20); // keep all logins open together for a moment
                    for (int32_t id : ids) {
                        if (id >= 0) {
                            --open;
                            failures += SOLV_Logout(id) ? 0 : 1;
                        }
                    }
                }
            });
        }
        for (auto &thread : threads) {
            thread.join();
        }
        QCOMPARE(failures.load(), 0);
        for (const QString &serial : wrong) {
            QVERIFY2(serial.isEmpty(), qPrintable(serial));
        }
        QVERIFY2(mostOpen.load() > Cameras / 2, qPrintable(QString::number(mostOpen.load())));
    }

    // Logins and logouts racing with calls on other threads' IDs never crash:
    // a call on an ID that another thread just closed fails cleanly.
    void callsRacingWithLogout()
    {
        std::atomic<int32_t> shared { -1 };
        std::atomic<bool> stop { false };
        std::atomic<int> oddErrors { 0 };
        std::thread caller([&] {
            while (!stop) {
                const uint32_t error = failure(!get(shared, SOLV_GET_DEVICECFG).isEmpty());
                if (error != ~0u && error != SOLV_NOT_LOGGED_IN && error != SOLV_RECV_FAILED) {
                    ++oddErrors;
                }
            }
        });
        for (int i = 0; i < 100; ++i) {
            const int32_t id = login(m_fleet->address(0), Port);
            QVERIFY(id >= 0);
            shared = id;
            QTest::qSleep(1);
            QVERIFY(SOLV_Logout(id));
        }
        stop = true;
        caller.join();
        QCOMPARE(oddErrors.load(), 0);
        QTRY_COMPARE(m_fleet->sessionCount(0), 0);
    }

    // Every path out of a login gives its descriptors back, on both sides
    // (the cameras live in this process too).
    void noDescriptorLeaks()
    {
        const auto openDescriptors = [] {
            return QDir(QStringLiteral("/proc/self/fd"))
                .entryList(QDir::Files | QDir::System)
                .size();
        };
        QTRY_COMPARE(m_fleet->sessionCount(5), 0);
        const auto before = openDescriptors();
        for (int i = 0; i < 50; ++i) {
            const int32_t id = login(m_fleet->address(5), Port);
            QVERIFY(id >= 0);
            QVERIFY(!get(id, SOLV_GET_DEVICECFG).isEmpty());
            QVERIFY(SOLV_Logout(id));
            QCOMPARE(login(m_fleet->address(5), Port, "wrong"), -1);
            QCOMPARE(login(QStringLiteral("127.0.4.250"), Port), -1);
        }
        QTRY_COMPARE(m_fleet->sessionCount(5), 0);
        QTRY_COMPARE(openDescriptors(), before);
    }
};

QTEST_GUILESS_MAIN(SolvaneConcurrencyTest)
#include "tst_solvaneconcurrency.moc"
