#include "discovery.h"
#include "fleet.h"
#include "quarry.h"
#include "quarry_protocol.h"
#include "solvane.h"

#include <QTest>
#include <QThread>

#include <atomic>
#include <mutex>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

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

std::optional<std::string> optionalText(const char *text)
{
    return text != nullptr ? std::optional<std::string>(text) : std::nullopt;
}

void collect(const char *version, const char *serial, const char *mac, const char *ip, const char *,
    uint32_t type, uint16_t port, uint32_t, uint32_t, const char *, const char *, const char *,
    int32_t event)
{
    Event e;
    e.event = event;
    e.version = version != nullptr ? version : "";
    e.serial = optionalText(serial);
    e.mac = optionalText(mac);
    e.ip = ip != nullptr ? ip : "";
    e.port = port;
    e.type = type;
    std::lock_guard<std::mutex> lock(g_lock);
    g_events.push_back(e);
}

std::atomic<int> g_stopFromCallback { -100 };

void stopFromCallback(const char *, const char *, const char *, const char *, const char *,
    uint32_t, uint16_t, uint32_t, uint32_t, const char *, const char *, const char *, int32_t)
{
    int expected = -100;
    g_stopFromCallback.compare_exchange_strong(expected, QUARRY_Stop());
}

std::atomic<int> g_slowCalls { 0 };

void slowCallback(const char *, const char *, const char *, const char *, const char *, uint32_t,
    uint16_t, uint32_t, uint32_t, const char *, const char *, const char *, int32_t)
{
    ++g_slowCalls;
    QThread::msleep(20);
}

std::vector<Event> events()
{
    std::lock_guard<std::mutex> lock(g_lock);
    return g_events;
}

int count(int event, const std::string &serial)
{
    int n = 0;
    for (const Event &e : events()) {
        n += e.event == event && e.serial == serial ? 1 : 0;
    }
    return n;
}

std::optional<Event> last(const std::string &serial)
{
    std::optional<Event> found;
    for (const Event &e : events()) {
        if (e.serial == serial) {
            found = e;
        }
    }
    return found;
}

void sendRaw(const quarry::Packet &packet)
{
    const int fd = quarry::openRequestSocket();
    QVERIFY(fd >= 0);
    QVERIFY(quarry::sendToGroup(fd, quarry::discoveryGroup(), quarry::discoveryPort(),
        in_addr { htonl(INADDR_LOOPBACK) }, packet));
    close(fd);
}

} // namespace

class QuarryLibraryTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void reportsEveryCameraOnceAfterStart();
    void secondStartIsRefused();
    void readdressWithRightPasswordMovesTheCamera();
    void readdressWithWrongPasswordChangesNothing();
    void readdressRejectsMalformedArguments_data();
    void readdressRejectsMalformedArguments();
    void readdressOfUnknownMacTimesOut();
    void rebootedCameraLeavesAndReturns();
    void silentCameraIsReportedGone();
    void absentMacReachesTheCallbackAsNull();
    void noCallbackAfterStop();
    void stopFromInsideTheCallbackIsRefused();
    void stopCutsAQueuedBurstShort();

private:
    QString serial(int index) const;
    QString mac(int index) const;
    void setAnnouncePeriod(int deviceMs);

    std::unique_ptr<devsim::Fleet> m_fleet;
};

void QuarryLibraryTest::initTestCase()
{
    SOLV_Init();
    devsim::FleetOptions options;
    options.count = 4;
    options.firstAddress = QStringLiteral("127.0.9.1");
    options.port = 18100;
    options.timeScale = 0.1; // announcements every 200 ms, reboots of 0.5 s
    options.rebootSeconds = 5;
    options.discoveryPort = quarry::discoveryPort();
    m_fleet = std::make_unique<devsim::Fleet>(options);
    QString error;
    QVERIFY2(m_fleet->start(&error), qPrintable(error));
}

void QuarryLibraryTest::cleanupTestCase()
{
    QUARRY_Stop();
    m_fleet.reset();
    SOLV_Cleanup();
}

QString QuarryLibraryTest::serial(int index) const
{
    QString result;
    m_fleet->run([&] { result = m_fleet->cameras().at(index)->serialNo(); });
    return result;
}

QString QuarryLibraryTest::mac(int index) const
{
    QByteArray bytes;
    m_fleet->run([&] { bytes = m_fleet->cameras().at(index)->macBytes(); });
    quarry::Mac mac {};
    std::memcpy(mac.data(), bytes.constData(), mac.size());
    return QString::fromStdString(quarry::formatMac(mac));
}

void QuarryLibraryTest::setAnnouncePeriod(int deviceMs)
{
    m_fleet->run([&] {
        devsim::Camera *camera = m_fleet->cameras().at(0);
        camera->parent()->findChild<devsim::DiscoveryService *>()->setAnnouncePeriod(deviceMs);
    });
}

void QuarryLibraryTest::reportsEveryCameraOnceAfterStart()
{
    QCOMPARE(QUARRY_Start(collect), 1);
    for (int i = 0; i < m_fleet->count(); ++i) {
        const std::string s = serial(i).toStdString();
        QTRY_COMPARE_WITH_TIMEOUT(count(QUARRY_EVENT_PRESENT, s), 1, 3000);
        const auto e = last(s);
        QCOMPARE(e->ip, m_fleet->address(i).toStdString());
        QCOMPARE(e->port, uint16_t(18100));
        QCOMPARE(e->version, std::string("1"));
        QVERIFY(e->type != 0);
    }
    // Several periods later the unchanged cameras have not been reported again.
    QTest::qWait(700);
    for (int i = 0; i < m_fleet->count(); ++i) {
        const std::string s = serial(i).toStdString();
        QCOMPARE(count(QUARRY_EVENT_PRESENT, s), 1);
        QCOMPARE(count(QUARRY_EVENT_CHANGED, s), 0);
        QCOMPARE(count(QUARRY_EVENT_GONE, s), 0);
    }
}

void QuarryLibraryTest::secondStartIsRefused()
{
    QCOMPARE(QUARRY_Start(collect), 0);
    QCOMPARE(QUARRY_Start(nullptr), 0);
}

void QuarryLibraryTest::readdressWithRightPasswordMovesTheCamera()
{
    const std::string s = serial(1).toStdString();
    const QByteArray macText = mac(1).toLatin1();
    QCOMPARE(
        QUARRY_SendUpdateIp(macText.constData(), "127.0.9.21", "255.255.0.0", "60917", "18121"),
        QUARRY_UPDATE_DONE);
    QCOMPARE(m_fleet->currentAddress(1), QStringLiteral("127.0.9.21"));
    QCOMPARE(m_fleet->currentPort(1), quint16(18121));
    QTRY_COMPARE_WITH_TIMEOUT(count(QUARRY_EVENT_CHANGED, s), 1, 3000);
    QCOMPARE(last(s)->ip, std::string("127.0.9.21"));
    QCOMPARE(last(s)->port, uint16_t(18121));

    // The camera now answers SDK logins at its new address only.
    SOLV_LOGIN_INFO info {};
    const int32_t user = SOLV_Login_V30("127.0.9.21", 18121, "admin", "60917", &info);
    QVERIFY(user >= 0);
    SOLV_Logout(user);
    SOLV_SetConnectTime(300, 1);
    QCOMPARE(SOLV_Login_V30("127.0.9.2", 18100, "admin", "60917", &info), -1);
}

void QuarryLibraryTest::readdressWithWrongPasswordChangesNothing()
{
    const QByteArray macText = mac(0).toLatin1();
    QCOMPARE(
        QUARRY_SendUpdateIp(macText.constData(), "127.0.9.30", "255.255.255.0", "60918", "18100"),
        QUARRY_UPDATE_WRONG_PASSWORD);
    QCOMPARE(m_fleet->currentAddress(0), m_fleet->address(0));
    QCOMPARE(QUARRY_SendUpdateIp(macText.constData(), "127.0.9.30", "255.255.255.0", "", "18100"),
        QUARRY_UPDATE_WRONG_PASSWORD);
    QCOMPARE(m_fleet->currentAddress(0), m_fleet->address(0));
}

void QuarryLibraryTest::readdressRejectsMalformedArguments_data()
{
    QTest::addColumn<QByteArray>("macText");
    QTest::addColumn<QByteArray>("ip");
    QTest::addColumn<QByteArray>("mask");
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<QByteArray>("port");
    const QByteArray m = "02:54:56:00:00:01";
    const QByteArray null;
    QTest::newRow("absent mac") << null << QByteArray("127.0.9.40") << QByteArray("255.0.0.0")
                                << QByteArray("60917") << QByteArray("8000");
    QTest::newRow("short mac") << QByteArray("02:54:56:00:00") << QByteArray("127.0.9.40")
                               << QByteArray("255.0.0.0") << QByteArray("60917")
                               << QByteArray("8000");
    QTest::newRow("bad address") << m << QByteArray("127.0.9.400") << QByteArray("255.0.0.0")
                                 << QByteArray("60917") << QByteArray("8000");
    QTest::newRow("multicast address") << m << QByteArray("239.0.0.1") << QByteArray("255.0.0.0")
                                       << QByteArray("60917") << QByteArray("8000");
    QTest::newRow("mask with a hole") << m << QByteArray("127.0.9.40") << QByteArray("255.0.255.0")
                                      << QByteArray("60917") << QByteArray("8000");
    QTest::newRow("port zero") << m << QByteArray("127.0.9.40") << QByteArray("255.0.0.0")
                               << QByteArray("60917") << QByteArray("0");
    QTest::newRow("port too large") << m << QByteArray("127.0.9.40") << QByteArray("255.0.0.0")
                                    << QByteArray("60917") << QByteArray("65536");
    QTest::newRow("port not decimal") << m << QByteArray("127.0.9.40") << QByteArray("255.0.0.0")
                                      << QByteArray("60917") << QByteArray("80a");
    QTest::newRow("absent password")
        << m << QByteArray("127.0.9.40") << QByteArray("255.0.0.0") << null << QByteArray("8000");
}

void QuarryLibraryTest::readdressRejectsMalformedArguments()
{
    QFETCH(QByteArray, macText);
    QFETCH(QByteArray, ip);
    QFETCH(QByteArray, mask);
    QFETCH(QByteArray, password);
    QFETCH(QByteArray, port);
    auto text
        = [](const QByteArray &value) { return value.isNull() ? nullptr : value.constData(); };
    QCOMPARE(QUARRY_SendUpdateIp(text(macText), text(ip), text(mask), text(password), text(port)),
        QUARRY_UPDATE_BAD_ARGUMENT);
}

void QuarryLibraryTest::readdressOfUnknownMacTimesOut()
{
    QCOMPARE(QUARRY_SendUpdateIp("0e:00:00:00:00:01", "127.0.9.50", "255.0.0.0", "60917", "8000"),
        QUARRY_UPDATE_NO_ANSWER);
}

void QuarryLibraryTest::rebootedCameraLeavesAndReturns()
{
    const std::string s = serial(2).toStdString();
    // With a period of 6 s, silence would take over 20 s to notice: a quick
    // report can only come from the goodbye.
    setAnnouncePeriod(60000);
    QTest::qWait(300);
    m_fleet->reboot(2);
    QTRY_COMPARE_WITH_TIMEOUT(count(QUARRY_EVENT_GONE, s), 1, 3000);
    QTRY_COMPARE_WITH_TIMEOUT(count(QUARRY_EVENT_PRESENT, s), 2, 5000);
    QCOMPARE(last(s)->event, QUARRY_EVENT_PRESENT);
    setAnnouncePeriod(devsim::DiscoveryService::DefaultPeriodMs);
}

void QuarryLibraryTest::silentCameraIsReportedGone()
{
    const std::string s = serial(3).toStdString();
    auto setSilent = [this](bool silent) {
        m_fleet->run([&] {
            devsim::Camera *camera = m_fleet->cameras().at(3);
            auto *service = camera->parent()->findChild<devsim::DiscoveryService *>();
            QVERIFY(service != nullptr);
            service->setSilent(camera, silent);
        });
    };
    setSilent(true);
    // No goodbye: only the silence tells (3.5 periods of 200 ms).
    QTRY_COMPARE_WITH_TIMEOUT(count(QUARRY_EVENT_GONE, s), 1, 3000);
    setSilent(false);
    QTRY_COMPARE_WITH_TIMEOUT(count(QUARRY_EVENT_PRESENT, s), 2, 3000);
}

void QuarryLibraryTest::absentMacReachesTheCallbackAsNull()
{
    quarry::Announcement a;
    a.serialNo = "INJECTED-WITHOUT-MAC";
    a.ipAddress = "127.0.9.99";
    a.periodMs = 60000;
    sendRaw(quarry::encodeAnnouncement(a));
    QTRY_COMPARE_WITH_TIMEOUT(count(QUARRY_EVENT_PRESENT, "INJECTED-WITHOUT-MAC"), 1, 3000);
    const auto e = last("INJECTED-WITHOUT-MAC");
    QVERIFY(!e->mac.has_value());
    QCOMPARE(e->ip, std::string("127.0.9.99"));

    // A malformed copy changes nothing; a goodbye removes it.
    quarry::Packet broken = quarry::encodeAnnouncement(a);
    broken.push_back(0);
    sendRaw(broken);
    sendRaw(quarry::encodeAnnouncement(a, quarry::PacketType::Goodbye));
    QTRY_COMPARE_WITH_TIMEOUT(count(QUARRY_EVENT_GONE, "INJECTED-WITHOUT-MAC"), 1, 3000);
    QCOMPARE(count(QUARRY_EVENT_CHANGED, "INJECTED-WITHOUT-MAC"), 0);
}

void QuarryLibraryTest::noCallbackAfterStop()
{
    QCOMPARE(QUARRY_Stop(), 1);
    const size_t before = events().size();
    m_fleet->reboot(0); // a goodbye and, later, an announcement nobody listens to
    QTest::qWait(1000);
    QCOMPARE(events().size(), before);
    QCOMPARE(QUARRY_Stop(), 1); // stopping twice is harmless
}

void QuarryLibraryTest::stopFromInsideTheCallbackIsRefused()
{
    QCOMPARE(QUARRY_Start(stopFromCallback), 1);
    QTRY_VERIFY_WITH_TIMEOUT(g_stopFromCallback.load() != -100, 3000);
    QCOMPARE(g_stopFromCallback.load(), 0);
    QCOMPARE(QUARRY_Stop(), 1);
}

void QuarryLibraryTest::stopCutsAQueuedBurstShort()
{
    // A slow receiver and a hundred announcements waiting in the socket: Stop
    // lets the callback under way finish and runs no other.
    QCOMPARE(QUARRY_Start(slowCallback), 1);
    for (int i = 0; i < 100; ++i) {
        quarry::Announcement a;
        a.serialNo = "BURST-" + std::to_string(i);
        a.periodMs = 60000;
        sendRaw(quarry::encodeAnnouncement(a));
    }
    QTRY_VERIFY_WITH_TIMEOUT(g_slowCalls.load() >= 5, 5000);
    const int before = g_slowCalls.load();
    QCOMPARE(QUARRY_Stop(), 1);
    QVERIFY2(g_slowCalls.load() <= before + 1, qPrintable(QString::number(g_slowCalls.load())));
    QVERIFY(g_slowCalls.load() < 100);
}

QTEST_GUILESS_MAIN(QuarryLibraryTest)
#include "tst_quarrylibrary.moc"
