// The discovery library under a flood of made-up announcements: it lists at
// most QUARRY_MAX_DEVICES devices, the one heard the longest ago making room,
// and its memory stays flat.

#include "quarry.h"
#include "quarry_protocol.h"
#include "sanitizers.h"

#include <QFile>
#include <QTest>

#include <arpa/inet.h>
#include <unistd.h>

#include <atomic>
#include <string>

namespace {

std::atomic<int> g_present { 0 };
std::atomic<int> g_gone { 0 };
std::atomic<int> g_listed { 0 };
std::atomic<int> g_mostListed { 0 };
std::atomic<bool> g_keptGone { false };
std::string g_firstGone; // written before g_gone first counts it

const std::string Kept = "KEPT-ALIVE";

void count(const char *, const char *serial, const char *, const char *, const char *, uint32_t,
    uint16_t, uint32_t, uint32_t, const char *, const char *, const char *, int32_t event)
{
    if (event == QUARRY_EVENT_PRESENT) {
        ++g_present;
        const int listed = ++g_listed;
        if (listed > g_mostListed) {
            g_mostListed = listed;
        }
    } else if (event == QUARRY_EVENT_GONE) {
        const std::string name = serial ? serial : "";
        g_keptGone = g_keptGone || name == Kept;
        if (g_gone == 0) {
            g_firstGone = name;
        }
        ++g_gone;
        --g_listed;
    }
}

// Resident memory of this process, in bytes.
qint64 residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly)) {
        return -1;
    }
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toLongLong() * 4096 : -1;
}

// A made-up device with texts long enough that listing it costs memory.
quarry::Packet fake(const std::string &serial)
{
    quarry::Announcement a;
    a.serialNo = serial;
    a.ipAddress = "127.0.99.1";
    a.periodMs = 60000; // listed for minutes: only the table's limit removes it
    a.mac = "02:00:00:00:00:01";
    a.subnetMask = "255.255.255.0";
    a.softwareVersion = std::string(200, 'v');
    a.dspVersion = std::string(200, 'd');
    a.startTime = "2026-01-01 00:00:00";
    return quarry::encodeAnnouncement(a);
}

} // namespace

class QuarryFloodTest : public QObject
{
    Q_OBJECT

    int m_socket = -1;

    bool send(const quarry::Packet &packet) const
    {
        return quarry::sendToGroup(m_socket, quarry::discoveryGroup(), quarry::discoveryPort(),
            in_addr { htonl(INADDR_LOOPBACK) }, packet);
    }

private slots:
    void initTestCase()
    {
        m_socket = quarry::openRequestSocket();
        QVERIFY(m_socket >= 0);
    }

    void cleanupTestCase()
    {
        QUARRY_Stop();
        close(m_socket);
    }

    void hundredThousandFakesKeepTheTableAtItsLimit()
    {
        QCOMPARE(QUARRY_Start(count), 1);
        QVERIFY(send(fake(Kept)));
        QTRY_COMPARE(g_present.load(), 1);
        constexpr int Total = 100000;
        constexpr int Batch = 1000; // well within the socket's queue: none is dropped
        qint64 halfway = 0;
        for (int sent = 0; sent < Total;) {
            for (int i = 0; i < Batch; ++i, ++sent) {
                QVERIFY(send(fake("FAKE-" + std::to_string(sent))));
            }
            // Heard again with every batch, it is never the longest silent.
            QVERIFY(send(fake(Kept)));
            QTRY_COMPARE(g_present.load(), 1 + sent);
            if (sent == Total / 2) {
                halfway = residentBytes();
            }
        }
        QCOMPARE(g_listed.load(), QUARRY_MAX_DEVICES);
        QCOMPARE(g_mostListed.load(), QUARRY_MAX_DEVICES);
        QCOMPARE(g_gone.load(), 1 + Total - QUARRY_MAX_DEVICES);
        QVERIFY(!g_keptGone);
        QCOMPARE(g_firstGone, std::string("FAKE-0"));
        // The second half replaced devices, it added none: 50,000 more
        // listed would take some 40 MB.
        const qint64 growth = residentBytes() - halfway;
        QVERIFY2(halfway > 0 && (UnderAddressSanitizer || growth < 16 * 1024 * 1024),
            qPrintable(QString::number(growth)));
        QCOMPARE(QUARRY_Stop(), 1);
    }
};

QTEST_GUILESS_MAIN(QuarryFloodTest)
#include "tst_quarryflood.moc"
