// The preview controller against simulated cameras (127.0.89.x): its own
// login, refused or not, the pictures of a real stream, and nothing after the stop.
#include "fleet.h"
#include "mirt.h"
#include "realplay.h"
#include "solvane.h"

#include <QTest>

#include <atomic>

namespace {

constexpr quint16 FleetPort = 18890;

// Counts pictures and keeps the size of the last one.
struct FrameCounter
{
    std::atomic<int> frames { 0 };
    std::atomic<int> width { 0 };
    std::atomic<int> height { 0 };

    static void callback(const uint8_t *, int width, int height, void *user)
    {
        auto *self = static_cast<FrameCounter *>(user);
        self->width = width;
        self->height = height;
        ++self->frames;
    }
};

} // namespace

class TestRealPlayDevice : public QObject
{
    Q_OBJECT

    std::unique_ptr<devsim::Fleet> m_fleet;

    QByteArray address(int index) const { return m_fleet->address(index).toLatin1(); }

private slots:
    void initTestCase()
    {
        MIRT_Init();
        SOLV_Init();
        m_fleet = std::make_unique<devsim::Fleet>(devsim::FleetOptions { .count = 2,
            .firstAddress = QStringLiteral("127.0.89.1"),
            .port = FleetPort,
            .discoveryPort = 0 });
        QString error;
        QVERIFY2(m_fleet->start(&error), qPrintable(error));
    }

    void cleanupTestCase()
    {
        m_fleet.reset();
        SOLV_Cleanup();
        MIRT_Fini();
    }

    void playsTheCameraAndStopsCleanly()
    {
        const int sessionsBefore = m_fleet->sessionCount(0);
        QStringList log;
        CRealPlay realPlay([&log](const QString &line) { log << line; });
        FrameCounter stopped;
        realPlay.SetFrameCallback(&FrameCounter::callback, &stopped);
        QVERIFY(!realPlay.StartRealPlay(address(0).constData(), FleetPort, "admin", "wrong", 1, 0));
        QCOMPARE(log, QStringList { "Login to 127.0.89.1 failed!" });
        QVERIFY(!realPlay.isRunning());
        realPlay.StopRealPlay();

        QVERIFY(realPlay.StartRealPlay(address(0).constData(), FleetPort, "admin", "60917", 1, 0));
        QVERIFY(realPlay.isRunning());
        QTRY_VERIFY_WITH_TIMEOUT(stopped.frames >= 3, 60000);
        QVERIFY(stopped.width > 0 && stopped.height > 0);
        QTRY_VERIFY_WITH_TIMEOUT(realPlay.GetFrameRate() > 0, 60000);

        realPlay.StopRealPlay();
        QVERIFY(!realPlay.isRunning());
        QCOMPARE(realPlay.GetFrameRate(), 0u);
        const int seen = stopped.frames;
        // The login was the preview's own: it has gone with it.
        QTRY_COMPARE_WITH_TIMEOUT(m_fleet->sessionCount(0), sessionsBefore, 60000);
        realPlay.StopRealPlay();

        // Another camera's pictures give a late one of the stopped preview time to come.
        CRealPlay other;
        FrameCounter running;
        other.SetFrameCallback(&FrameCounter::callback, &running);
        QVERIFY(other.StartRealPlay(address(1).constData(), FleetPort, "admin", "60917", 1, 0));
        QTRY_VERIFY_WITH_TIMEOUT(running.frames >= 5, 60000);
        other.StopRealPlay();
        QCOMPARE(stopped.frames.load(), seen);
    }
};

QTEST_GUILESS_MAIN(TestRealPlayDevice)
#include "tst_realplaydevice.moc"
