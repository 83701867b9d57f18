#include "searchadapter.h"

#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <array>
#include <atomic>
#include <memory>

namespace {

constexpr std::array<int, 8> kTextArguments { 1, 2, 3, 4, 5, 10, 11, 12 };

// The texts of one announcement, indexed by argument number (1-based); a
// null text is passed as absent.
struct Texts
{
    std::array<QByteArray, 13> at { { {}, "1", "TVX-IPC2030-000100000007", "02:54:56:00:00:08",
        "127.0.9.8", "255.255.255.0", {}, {}, {}, {}, "V4.8.8 build230106", "V3.9 build190518",
        "2026-11-22 13:03:10" } };
};

void announce(const Texts &t, int32_t event = QUARRY_EVENT_PRESENT, uint32_t type = 20031)
{
    const auto text
        = [&t](int i) { return t.at[size_t(i)].isNull() ? nullptr : t.at[size_t(i)].constData(); };
    QuarryDeviceCallback(text(1), text(2), text(3), text(4), text(5), type, 8000, 4, 2, text(10),
        text(11), text(12), event);
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

    void cleanup()
    {
        take(*m_spy);
        m_spy.reset();
        m_adapter.reset();
    }

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
        QTest::newRow("serial of 1000 characters") << 2 << 1000 << -1;
        QTest::newRow("software version of 48") << 10 << 48 << 47;
        QTest::newRow("serial of 48 fits") << 2 << 48 << 48;
        QTest::newRow("serial of 49") << 2 << 49 << 48;
    }

    void copiesTheTextsThatFit()
    {
        QFETCH(int, argument);
        QFETCH(int, length);
        QFETCH(int, stored);
        Texts texts;
        Texts expected;
        if (argument > 0) {
            QByteArray &text = texts.at[size_t(argument)];
            text = QByteArray();
            for (int i = 0; i < length; ++i) {
                text += char('a' + i % 26);
            }
            expected.at[size_t(argument)] = length < 0 ? QByteArray("(null)") : text.left(stored);
        }
        announce(texts);
        const Reports reports = take(*m_spy);
        QCOMPARE(reports.size(), size_t(stored < 0 ? 0 : 1));
        if (stored < 0) {
            return;
        }
        const DEVICEINFO &r = *reports.front().first;
        QCOMPARE(reports.front().second, int(DeviceReportAddOrUpdate));
        for (int i : kTextArguments) {
            if (field(r, i) != nullptr) {
                QCOMPARE(QByteArray(field(r, i)), expected.at[size_t(i)]);
            }
        }
        QCOMPARE(QByteArray(r.szDevModel), QByteArray("IPC2030-B"));
        QCOMPARE(r.wPort, uint16_t(8000));
        QCOMPARE(r.dwChannelNum, 4u);
        QCOMPARE(r.dwDiskNum, 2u);
        QCOMPARE(r.dwSource, 0u);
        // Nothing announced fills the name, gateway or credentials.
        for (const char *empty : { r.szDevName, r.szGateway, r.szUserName, r.szPassword }) {
            QCOMPARE(QByteArray(empty), QByteArray());
        }
    }

    void eventDecidesTheReport_data()
    {
        QTest::addColumn<int>("event");
        QTest::addColumn<int>("type"); // -1: no report
        QTest::newRow("1 present") << 1 << int(DeviceReportAddOrUpdate);
        QTest::newRow("4 changed") << 4 << int(DeviceReportAddOrUpdate);
        QTest::newRow("3 gone") << 3 << int(DeviceReportRemove);
        for (int event : { 0, 2, 5, -1, 255 }) {
            QTest::addRow("%d", event) << event << -1;
        }
    }

    void eventDecidesTheReport()
    {
        QFETCH(int, event);
        QFETCH(int, type);
        announce(Texts(), event);
        const Reports reports = take(*m_spy);
        QCOMPARE(reports.size(), size_t(type < 0 ? 0 : 1));
        if (type >= 0) {
            QCOMPARE(reports.front().second, type);
        }
    }

    void modelNameComesFromTheTypeCode_data()
    {
        QTest::addColumn<uint>("code");
        QTest::addColumn<QByteArray>("model");
        QTest::newRow("0") << 0u << QByteArray("INVALID_DEV");
        QTest::newRow("first entry") << 1u << QByteArray("TVX-DVR-0401");
        QTest::newRow("last entry") << 37896u << QByteArray("TVX-ITS-9060-ANPR");
        QTest::newRow("between entries") << 20033u << QByteArray("IPCamera");
        QTest::newRow("beyond the table") << 37897u << QByteArray("IPCamera");
        QTest::newRow("largest code") << 0xffffffffu << QByteArray("IPCamera");
    }

    void modelNameComesFromTheTypeCode()
    {
        QFETCH(uint, code);
        QFETCH(QByteArray, model);
        announce(Texts(), QUARRY_EVENT_PRESENT, code);
        const Reports reports = take(*m_spy);
        QCOMPARE(reports.size(), size_t(1));
        QCOMPARE(QByteArray(reports.front().first->szDevModel), model);
    }

    void withoutAdapterNothingIsReported()
    {
        setDiscoveryAdapter(nullptr);
        announce(Texts());
        QCOMPARE(m_spy->count(), 0);
        {
            SearchAdapter other;
            setDiscoveryAdapter(&other);
            QCOMPARE(discoveryAdapter(), &other);
        }
        // A destroyed adapter unregistered itself and is not touched.
        QVERIFY(discoveryAdapter() == nullptr);
        announce(Texts());
    }

    void searchCallbackReportsFoundDevicesAndRefusedAddresses()
    {
        QSignalSpy refused(m_adapter.get(), &SearchAdapter::UserPasswdError);
        DEVICEINFO found {};
        std::strcpy(found.szSerialNo, "FOUND-1");
        std::strcpy(found.szIPAddress, "127.0.9.7");
        found.dwSource = 1;
        SearchEngineCallback(&found, 1, nullptr);
        const Reports reports = take(*m_spy);
        QCOMPARE(reports.size(), size_t(1));
        QVERIFY(reports.front().first.get() != &found); // a copy the receiver owns
        QCOMPARE(QByteArray(reports.front().first->szSerialNo), QByteArray("FOUND-1"));
        QCOMPARE(reports.front().first->dwSource, 1u);
        QCOMPARE(reports.front().second, int(DeviceReportAddOrUpdate));

        SearchEngineCallback(&found, 255, nullptr);
        QCOMPARE(refused.count(), 1);
        QCOMPARE(refused.at(0).at(0).toString(), QStringLiteral("127.0.9.7"));

        SearchEngineCallback(&found, 2, nullptr);
        SearchEngineCallback(nullptr, 1, nullptr);
        QCOMPARE(m_spy->count(), 0);
        QCOMPARE(refused.count(), 1);
    }

    void burstFromAnotherThreadArrivesWholeAndInOrder()
    {
        // More reports than may wait at once: the sender is held back while
        // this thread is busy, and nothing is lost or reordered.
        const int count = SearchAdapter::MaxReportsInFlight * 2 + 5;
        std::atomic<bool> done { false };
        std::unique_ptr<QThread> sender(QThread::create([&] {
            for (int i = 0; i < count; ++i) {
                Texts texts;
                texts.at[2] = "BURST-" + QByteArray::number(i);
                announce(texts);
            }
            done = true;
        }));
        sender->start();
        QTRY_VERIFY_WITH_TIMEOUT(done.load(), 10000);
        sender->wait();
        QTRY_COMPARE(m_adapter->reportsInFlight(), 0);
        // The spy's own connection is direct, so it saw every emission.
        const Reports reports = take(*m_spy);
        QCOMPARE(int(reports.size()), count);
        for (int i = 0; i < count; ++i) {
            QCOMPARE(
                QByteArray(reports[size_t(i)].first->szSerialNo), "BURST-" + QByteArray::number(i));
        }
    }
};

QTEST_GUILESS_MAIN(QuarryDeviceCallbackTest)
#include "tst_quarrycallback.moc"
