#include "discoveryfleet.h"
#include "quarry.h"

#include <QTest>
#include <QThread>

#include <atomic>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

using namespace discoverytest;

namespace {

struct Event
{
    int event = 0;
    std::string version;
    std::optional<std::string> serial;
    std::optional<std::string> mac;
    std::string ip;
    uint16_t port = 0;
    uint32_t type = 0;
};

std::mutex g_lock;
std::vector<Event> g_events;

void collect(const char *version, const char *serial, const char *mac, const char *ip, const char *,
    uint32_t type, uint16_t port, uint32_t, uint32_t, const char *, const char *, const char *,
    int32_t event)
{
    const auto text
        = [](const char *t) { return t ? std::optional<std::string>(t) : std::nullopt; };
    std::lock_guard<std::mutex> lock(g_lock);
    g_events.push_back({ event, text(version).value_or(""), text(serial), text(mac),
        text(ip).value_or(""), port, type });
}

std::atomic<int> g_stopFromCallback { -100 };
std::atomic<int> g_slowCalls { 0 };

std::vector<Event> events()
{
    std::lock_guard<std::mutex> lock(g_lock);
    return g_events;
}

int count(int event, const QString &serial)
{
    int n = 0;
    for (const Event &e : events()) {
        n += e.event == event && e.serial == serial.toStdString() ? 1 : 0;
    }
    return n;
}

Event last(const QString &serial)
{
    Event found;
    for (const Event &e : events()) {
        found = e.serial == serial.toStdString() ? e : found;
    }
    return found;
}

} // namespace

// The discovery library against simulated cameras on 127.0.9.x; the suite's
// functions run in order on one listening library.
class QuarryLibraryTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<devsim::Fleet> m_fleet;

    void setSilent(int index, bool silent)
    {
        m_fleet->run(
            [&] { service(*m_fleet, index)->setSilent(m_fleet->cameras().at(index), silent); });
    }

private slots:
    void initTestCase()
    {
        m_fleet = std::make_unique<devsim::Fleet>(devsim::FleetOptions { .count = 4,
            .firstAddress = QStringLiteral("127.0.9.1"),
            .port = 18100,
            .timeScale = 0.1, // announcements every 200 ms, reboots of 0.5 s
            .rebootSeconds = 5 });
        QString error;
        QVERIFY2(m_fleet->start(&error), qPrintable(error));
    }

    void cleanupTestCase()
    {
        QUARRY_Stop();
        m_fleet.reset();
    }

    void reportsEveryCameraOnceAfterStart()
    {
        QCOMPARE(QUARRY_Start(collect), 1);
        QCOMPARE(QUARRY_Start(collect), 0); // one listener at a time
        QCOMPARE(QUARRY_Start(nullptr), 0);
        for (int i = 0; i < m_fleet->count(); ++i) {
            const QString s = serial(*m_fleet, i);
            QTRY_COMPARE_WITH_TIMEOUT(count(QUARRY_EVENT_PRESENT, s), 1, 3000);
            const Event e = last(s);
            QCOMPARE(e.ip, m_fleet->address(i).toStdString());
            QCOMPARE(e.port, uint16_t(18100));
            QCOMPARE(e.version, std::string("1"));
            QVERIFY(e.type != 0);
        }
        // Several periods later the unchanged cameras have not been reported again.
        QTest::qWait(700);
        for (int i = 0; i < m_fleet->count(); ++i) {
            const QString s = serial(*m_fleet, i);
            QCOMPARE(count(QUARRY_EVENT_PRESENT, s), 1);
            QCOMPARE(count(QUARRY_EVENT_CHANGED, s) + count(QUARRY_EVENT_GONE, s), 0);
        }
    }

    void readdressWithRightPasswordMovesTheCamera()
    {
        const QString s = serial(*m_fleet, 1);
        QCOMPARE(QUARRY_SendUpdateIp(
                     mac(*m_fleet, 1).constData(), "127.0.9.21", "255.255.0.0", "60917", "18121"),
            QUARRY_UPDATE_DONE);
        QCOMPARE(m_fleet->currentAddress(1), QStringLiteral("127.0.9.21"));
        QCOMPARE(m_fleet->currentPort(1), quint16(18121));
        QTRY_COMPARE_WITH_TIMEOUT(count(QUARRY_EVENT_CHANGED, s), 1, 3000);
        QCOMPARE(last(s).ip, std::string("127.0.9.21"));
        QCOMPARE(last(s).port, uint16_t(18121));
    }

    void refusedReaddressChangesNothing_data()
    {
        QTest::addColumn<QByteArray>("macText"); // "camera": the MAC of camera 0
        QTest::addColumn<QByteArray>("ip");
        QTest::addColumn<QByteArray>("mask");
        QTest::addColumn<QByteArray>("password");
        QTest::addColumn<QByteArray>("port");
        QTest::addColumn<int>("result");
        const auto row = [](const char *name, const char *macText, const char *ip, const char *mask,
                             const char *password, const char *port, int result) {
            QTest::newRow(name) << QByteArray(macText) << QByteArray(ip) << QByteArray(mask)
                                << QByteArray(password) << QByteArray(port) << result;
        };
        const char *m = "camera";
        const char *ip = "127.0.9.40";
        const char *mask = "255.0.0.0";
        const int bad = QUARRY_UPDATE_BAD_ARGUMENT;
        row("absent mac", nullptr, ip, mask, "60917", "8000", bad);
        row("bad address", m, "127.0.9.400", mask, "60917", "8000", bad);
        row("multicast address", m, "239.0.0.1", mask, "60917", "8000", bad);
        row("port zero", m, ip, mask, "60917", "0", bad);
        row("port not decimal", m, ip, mask, "60917", "80a", bad);
        row("wrong password", m, ip, mask, "60918", "18100", QUARRY_UPDATE_WRONG_PASSWORD);
        row("empty password", m, ip, mask, "", "18100", QUARRY_UPDATE_WRONG_PASSWORD);
        row("unknown mac", "0e:00:00:00:00:01", ip, mask, "60917", "8000", QUARRY_UPDATE_NO_ANSWER);
    }

    void refusedReaddressChangesNothing()
    {
        QFETCH(QByteArray, macText);
        QFETCH(QByteArray, ip);
        QFETCH(QByteArray, mask);
        QFETCH(QByteArray, password);
        QFETCH(QByteArray, port);
        QFETCH(int, result);
        if (macText == "camera") {
            macText = mac(*m_fleet, 0);
        }
        const auto text = [](const QByteArray &v) { return v.isNull() ? nullptr : v.constData(); };
        QCOMPARE(
            QUARRY_SendUpdateIp(text(macText), text(ip), text(mask), text(password), text(port)),
            result);
        QCOMPARE(m_fleet->currentAddress(0), m_fleet->address(0));
        QCOMPARE(m_fleet->currentPort(0), quint16(18100));
    }

    void silentCameraIsReportedGone()
    {
        const QString s = serial(*m_fleet, 3);
        setSilent(3, true);
        // No goodbye: only the silence tells (3.5 periods of 200 ms).
        QTRY_COMPARE_WITH_TIMEOUT(count(QUARRY_EVENT_GONE, s), 1, 3000);
        setSilent(3, false);
        QTRY_COMPARE_WITH_TIMEOUT(count(QUARRY_EVENT_PRESENT, s), 2, 3000);
    }

    void absentMacReachesTheCallbackAsNull()
    {
        const QString s = QStringLiteral("INJECTED-WITHOUT-MAC");
        const quarry::Announcement a = announcement(s.toStdString(), "127.0.9.99");
        QVERIFY(sendRaw(quarry::encodeAnnouncement(a)));
        QTRY_COMPARE_WITH_TIMEOUT(count(QUARRY_EVENT_PRESENT, s), 1, 3000);
        QVERIFY(!last(s).mac.has_value());
        QCOMPARE(last(s).ip, std::string("127.0.9.99"));
        // Listed for a minute: only the goodbye can remove it this soon.
        QVERIFY(sendRaw(quarry::encodeAnnouncement(a, quarry::PacketType::Goodbye)));
        QTRY_COMPARE_WITH_TIMEOUT(count(QUARRY_EVENT_GONE, s), 1, 3000);
    }

    void noCallbackAfterStop()
    {
        QCOMPARE(QUARRY_Stop(), 1);
        const size_t before = events().size();
        m_fleet->reboot(0); // a goodbye and, later, an announcement nobody listens to
        QTest::qWait(1000);
        QCOMPARE(events().size(), before);
        QCOMPARE(QUARRY_Stop(), 1); // stopping twice is harmless
    }

    void stopFromInsideTheCallbackIsRefused()
    {
        QCOMPARE(QUARRY_Start([](auto...) {
            int expected = -100;
            g_stopFromCallback.compare_exchange_strong(expected, QUARRY_Stop());
        }),
            1);
        QTRY_VERIFY_WITH_TIMEOUT(g_stopFromCallback.load() != -100, 3000);
        QCOMPARE(g_stopFromCallback.load(), 0);
        QCOMPARE(QUARRY_Stop(), 1);
    }

    void stopCutsAQueuedBurstShort()
    {
        // A slow receiver and a hundred announcements waiting in the socket:
        // Stop lets the callback under way finish and runs no other.
        QCOMPARE(QUARRY_Start([](auto...) {
            ++g_slowCalls;
            QThread::msleep(20);
        }),
            1);
        for (int i = 0; i < 100; ++i) {
            QVERIFY(
                sendRaw(quarry::encodeAnnouncement(announcement("BURST-" + std::to_string(i)))));
        }
        QTRY_VERIFY_WITH_TIMEOUT(g_slowCalls.load() >= 5, 5000);
        const int before = g_slowCalls.load();
        QCOMPARE(QUARRY_Stop(), 1);
        QVERIFY2(g_slowCalls.load() <= before + 1, qPrintable(QString::number(g_slowCalls.load())));
        QVERIFY(g_slowCalls.load() < 100);
    }
};

QTEST_GUILESS_MAIN(QuarryLibraryTest)
#include "tst_quarrylibrary.moc"
