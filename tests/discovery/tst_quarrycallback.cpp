#include "searchadapter.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <array>
#include <cstring>
#include <memory>

namespace {

constexpr std::array<int, 8> kTextArguments { 1, 2, 3, 4, 5, 10, 11, 12 };

// The texts of one announcement, indexed by argument number (1-based); a
// null text is passed as absent.
using Texts = std::array<QByteArray, 13>;
const Texts kAnnounced { { {}, "1", "TVX-IPC2030-000100000007", "02:54:56:00:00:08", "127.0.9.8",
    "255.255.255.0", {}, {}, {}, {}, "V4.8.8 build230106", "V3.9 build190518",
    "2026-11-22 13:03:10" } };

void announce(const Texts &t, int32_t event = QUARRY_EVENT_PRESENT, uint32_t type = 20031)
{
    const auto text
        = [&t](int i) { return t[size_t(i)].isNull() ? nullptr : t[size_t(i)].constData(); };
    QuarryDeviceCallback(text(1), text(2), text(3), text(4), text(5), type, 8000, 4, 2, text(10),
        text(11), text(12), event);
}

// Runs the work on a thread of its own and joins it, without turning this
// thread's event loop.
template<typename Work> void runOnThread(Work work)
{
    std::unique_ptr<QThread> thread(QThread::create(work));
    thread->start();
    thread->wait();
}

using Reports = std::vector<std::pair<std::unique_ptr<DEVICEINFO>, int>>;

// Takes ownership of every record the spy caught.
Reports take(QSignalSpy &spy)
{
    Reports reports;
    for (const QList<QVariant> &arguments : std::as_const(spy)) {
        reports.emplace_back(std::unique_ptr<DEVICEINFO>(arguments.at(0).value<DEVICEINFO *>()),
            arguments.at(1).toInt());
    }
    spy.clear();
    return reports;
}

// The record field an announcement text lands in; the protocol version is not stored.
const char *field(const DEVICEINFO &r, int argument)
{
    const std::array<const char *, 13> fields { nullptr, nullptr, r.szSerialNo, r.szMAC,
        r.szIPAddress, r.szSubnetMask, nullptr, nullptr, nullptr, nullptr, r.szSoftwareVersion,
        r.szDSPVersion, r.szStartTime };
    return fields[size_t(argument)];
}

} // namespace

class QuarryDeviceCallbackTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<SearchAdapter> m_adapter;
    std::unique_ptr<QSignalSpy> m_spy;

private slots:
    void init()
    {
        m_adapter = std::make_unique<SearchAdapter>();
        setDiscoveryAdapter(m_adapter.get());
        m_spy = std::make_unique<QSignalSpy>(m_adapter.get(), &SearchAdapter::DeviceCallback);
    }

    void cleanup() { take(*m_spy); }

    void copiesTheTextsThatFit_data()
    {
        QTest::addColumn<int>("argument"); // the text changed, 0 for none
        QTest::addColumn<int>("length"); // -1: absent
        QTest::addColumn<int>("stored"); // -1: the announcement is dropped
        QTest::newRow("as announced") << 0 << 0 << 0;
        for (int argument : kTextArguments) {
            const int size = argument == 2 ? 48 : argument == 4 || argument == 5 ? 63 : 47;
            QTest::addRow("argument %d, 63 characters", argument) << argument << 63 << size;
            QTest::addRow("argument %d, 64 characters", argument) << argument << 64 << -1;
            QTest::addRow("argument %d absent", argument) << argument << -1 << 0;
        }
        QTest::newRow("serial of 48 fits") << 2 << 48 << 48;
    }

    void copiesTheTextsThatFit()
    {
        QFETCH(int, argument);
        QFETCH(int, length);
        QFETCH(int, stored);
        Texts texts = kAnnounced;
        Texts expected = kAnnounced;
        if (argument > 0) {
            QByteArray &text = texts[size_t(argument)];
            text = length < 0 ? QByteArray()
                              : QByteArray("abcdefghijklmnopqrstuvwxyz").repeated(3).left(length);
            expected[size_t(argument)] = length < 0 ? QByteArray("(null)") : text.left(stored);
        }
        announce(texts);
        const Reports reports = take(*m_spy);
        QCOMPARE(reports.size(), size_t(stored < 0 ? 0 : 1));
        if (stored < 0) {
            return;
        }
        const DEVICEINFO &r = *reports.front().first;
        for (int i : kTextArguments) {
            if (field(r, i) != nullptr) {
                QCOMPARE(QByteArray(field(r, i)), expected[size_t(i)]);
            }
        }
        QCOMPARE(QList<uint>({ r.wPort, r.dwChannelNum, r.dwDiskNum, r.dwSource }),
            QList<uint>({ 8000, 4, 2, 0 }));
        // Nothing announced fills the name, gateway or credentials.
        QCOMPARE(QByteArray(r.szDevName) + r.szGateway + r.szUserName + r.szPassword, QByteArray());
    }

    void eventAndTypeCodeDecideTheReport_data()
    {
        QTest::addColumn<int>("event");
        QTest::addColumn<uint>("code");
        QTest::addColumn<int>("type"); // -1: no report
        QTest::addColumn<QByteArray>("model");
        const auto row = [](const char *name, int event, uint code, int type, const char *model) {
            QTest::newRow(name) << event << code << type << QByteArray(model);
        };
        row("1 present", 1, 20031, DeviceReportAddOrUpdate, "IPC2030-B");
        row("4 changed", 4, 20031, DeviceReportAddOrUpdate, "IPC2030-B");
        row("3 gone", 3, 20031, DeviceReportRemove, "IPC2030-B");
        for (int event : { 0, 2, 5, -1, 255 }) {
            QTest::addRow("event %d", event) << event << 20031u << -1 << QByteArray();
        }
        row("code 0", 1, 0, DeviceReportAddOrUpdate, "INVALID_DEV");
        row("first entry", 1, 1, DeviceReportAddOrUpdate, "TVX-DVR-0401");
        row("last entry", 1, 37896, DeviceReportAddOrUpdate, "TVX-ITS-9060-ANPR");
        row("beyond the table", 1, 0xffffffff, DeviceReportAddOrUpdate, "IPCamera");
    }

    void eventAndTypeCodeDecideTheReport()
    {
        QFETCH(int, event);
        QFETCH(uint, code);
        QFETCH(int, type);
        announce(kAnnounced, event, code);
        const Reports reports = take(*m_spy);
        QCOMPARE(reports.size(), size_t(type < 0 ? 0 : 1));
        if (type >= 0) {
            QCOMPARE(reports.front().second, type);
            QTEST(QByteArray(reports.front().first->szDevModel), "model");
        }
    }

    void withoutAdapterNothingIsReported()
    {
        setDiscoveryAdapter(nullptr);
        announce(kAnnounced);
        QCOMPARE(m_spy->count(), 0);
        {
            SearchAdapter other;
            setDiscoveryAdapter(&other);
        }
        // A destroyed adapter unregistered itself and is not touched.
        QVERIFY(discoveryAdapter() == nullptr);
        announce(kAnnounced);
    }

    // The search engine's callback reaches the adapter in its user value,
    // never the one registered for announcements.
    void searchCallbackReportsThroughItsUserValue_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("withRecord");
        QTest::addColumn<bool>("withAdapter");
        QTest::addColumn<int>("found");
        QTest::addColumn<int>("refused");
        QTest::newRow("found") << 1 << true << true << 1 << 0;
        QTest::newRow("refused") << 255 << true << true << 0 << 1;
        QTest::newRow("other code") << 2 << true << true << 0 << 0;
        QTest::newRow("no record") << 255 << false << true << 0 << 0;
        QTest::newRow("found, no adapter") << 1 << true << false << 0 << 0;
        QTest::newRow("refused, no adapter") << 255 << true << false << 0 << 0;
    }

    void searchCallbackReportsThroughItsUserValue()
    {
        QFETCH(int, code);
        QFETCH(bool, withRecord);
        QFETCH(bool, withAdapter);
        QFETCH(int, found);
        SearchAdapter registered;
        setDiscoveryAdapter(&registered);
        QSignalSpy registeredReports(&registered, &SearchAdapter::DeviceCallback);
        QSignalSpy refusals(m_adapter.get(), &SearchAdapter::UserPasswdError);
        DEVICEINFO record {};
        std::strcpy(record.szIPAddress, "127.0.9.7");
        SearchEngineCallback(
            withRecord ? &record : nullptr, code, withAdapter ? m_adapter.get() : nullptr);
        const Reports reports = take(*m_spy);
        QCOMPARE(int(reports.size()), found);
        if (found > 0) {
            QVERIFY(reports.front().first.get() != &record); // a copy the receiver owns
            QCOMPARE(QByteArray(reports.front().first->szIPAddress), QByteArray("127.0.9.7"));
            QCOMPARE(reports.front().second, int(DeviceReportAddOrUpdate));
        }
        QTEST(int(refusals.count()), "refused");
        if (refusals.count() > 0) {
            QCOMPARE(refusals.first().first().toString(), QStringLiteral("127.0.9.7"));
        }
        QCOMPARE(take(registeredReports).size(), size_t(0));
    }

    void burstFromAnotherThreadArrivesWholeAndInOrder()
    {
        // More reports than may wait at once: the sender is held back while
        // this thread is busy, and nothing is lost or reordered.
        const int count = SearchAdapter::MaxReportsInFlight * 2 + 5;
        std::unique_ptr<QThread> sender(QThread::create([&] {
            for (int i = 0; i < count; ++i) {
                Texts texts = kAnnounced;
                texts[2] = "BURST-" + QByteArray::number(i);
                announce(texts);
            }
        }));
        sender->start();
        QTRY_VERIFY_WITH_TIMEOUT(sender->isFinished(), 10000);
        QTRY_COMPARE(m_adapter->reportsInFlight(), 0);
        // The spy's own connection is direct, so it saw every emission.
        const Reports reports = take(*m_spy);
        QCOMPARE(int(reports.size()), count);
        for (int i = 0; i < count; ++i) {
            QCOMPARE(
                QByteArray(reports[size_t(i)].first->szSerialNo), "BURST-" + QByteArray::number(i));
        }
    }

    void throttleHoldsTheSenderBackAtTheLimit_data()
    {
        QTest::addColumn<QString>("before");
        QTest::newRow("fresh adapter") << QString();
        QTest::newRow("after a burst past the limit") << QStringLiteral("overrun");
        QTest::newRow("after reports of the adapter's thread") << QStringLiteral("own thread");
    }

    void throttleHoldsTheSenderBackAtTheLimit()
    {
        QFETCH(QString, before);
        const int limit = SearchAdapter::MaxReportsInFlight;
        const auto report = [&](int count) {
            for (int i = 0; i < count; ++i) {
                m_adapter->Report(DEVICEINFO {}, DeviceReportAddOrUpdate);
            }
        };
        // Whatever went before, once all is delivered the limit is whole again.
        if (before == QLatin1String("overrun")) {
            runOnThread([&] { report(limit + 3); });
        } else if (before == QLatin1String("own thread")) {
            report(limit + 3); // never waits: this thread is the one that delivers
        }
        QTRY_COMPARE(m_adapter->reportsInFlight(), 0);
        take(*m_spy);
        // This thread stays out of its event loop while the sender runs, so
        // nothing is delivered and the report past the limit waits its while.
        qint64 waitedNs = 0;
        runOnThread([&] {
            report(limit);
            QElapsedTimer timer;
            timer.start();
            report(1);
            waitedNs = timer.nsecsElapsed();
        });
        QCOMPARE(m_adapter->reportsInFlight(), limit + 1);
        QVERIFY2(waitedNs >= qint64(SearchAdapter::ThrottleWaitMs) * 900'000,
            qPrintable(QString::number(waitedNs)));
        QTRY_COMPARE(m_adapter->reportsInFlight(), 0);
    }
};

QTEST_GUILESS_MAIN(QuarryDeviceCallbackTest)
#include "tst_quarrycallback.moc"
