#include "searchadapter.h"

#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <array>
#include <atomic>
#include <memory>

namespace {

// The texts of one announcement, indexed by argument number (1-based).
struct Texts
{
    std::array<QByteArray, 13> byArgument;
    std::array<bool, 13> absent {};

    Texts()
    {
        byArgument[1] = "1";
        byArgument[2] = "TVX-IPC2030-000100000007";
        byArgument[3] = "02:54:56:00:00:08";
        byArgument[4] = "127.0.9.8";
        byArgument[5] = "255.255.255.0";
        byArgument[10] = "V4.8.8 build230106";
        byArgument[11] = "V3.9 build190518";
        byArgument[12] = "2026-11-22 13:03:10";
    }
    const char *at(int argument) const
    {
        return absent[size_t(argument)] ? nullptr : byArgument[size_t(argument)].constData();
    }
};

void announce(const Texts &t, int32_t event, uint32_t type = 20031)
{
    QuarryDeviceCallback(t.at(1), t.at(2), t.at(3), t.at(4), t.at(5), type, 8000, 4, 2, t.at(10),
        t.at(11), t.at(12), event);
}

// Takes ownership of every record the spy caught.
std::vector<std::pair<std::unique_ptr<DEVICEINFO>, int>> take(QSignalSpy &spy)
{
    std::vector<std::pair<std::unique_ptr<DEVICEINFO>, int>> reports;
    for (const QList<QVariant> &arguments : std::as_const(spy)) {
        reports.emplace_back(std::unique_ptr<DEVICEINFO>(arguments.at(0).value<DEVICEINFO *>()),
            arguments.at(1).toInt());
    }
    spy.clear();
    return reports;
}

} // namespace

class QuarryDeviceCallbackTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void copiesEveryAnnouncedField();
    void textLengthDecidesAcceptance_data();
    void textLengthDecidesAcceptance();
    void absentTextsAreListedAsNull();
    void eventDecidesTheReport_data();
    void eventDecidesTheReport();
    void overlongFieldsAreCutAndTerminated_data();
    void overlongFieldsAreCutAndTerminated();
    void modelNameComesFromTheTypeCode_data();
    void modelNameComesFromTheTypeCode();
    void withoutAdapterNothingIsReported();
    void destroyedAdapterUnregistersItself();
    void searchCallbackReportsFoundDevicesAndRefusedAddresses();
    void burstFromAnotherThreadArrivesWholeAndInOrder();

private:
    std::unique_ptr<SearchAdapter> m_adapter;
    std::unique_ptr<QSignalSpy> m_spy;
};

void QuarryDeviceCallbackTest::init()
{
    m_adapter = std::make_unique<SearchAdapter>();
    setDiscoveryAdapter(m_adapter.get());
    m_spy = std::make_unique<QSignalSpy>(m_adapter.get(), &SearchAdapter::DeviceCallback);
}

void QuarryDeviceCallbackTest::cleanup()
{
    take(*m_spy);
    m_spy.reset();
    m_adapter.reset();
}

void QuarryDeviceCallbackTest::copiesEveryAnnouncedField()
{
    announce(Texts(), QUARRY_EVENT_PRESENT);
    auto reports = take(*m_spy);
    QCOMPARE(reports.size(), size_t(1));
    const DEVICEINFO &r = *reports.front().first;
    QCOMPARE(reports.front().second, int(DeviceReportAddOrUpdate));
    QCOMPARE(QByteArray(r.szSerialNo), QByteArray("TVX-IPC2030-000100000007"));
    QCOMPARE(QByteArray(r.szMAC), QByteArray("02:54:56:00:00:08"));
    QCOMPARE(QByteArray(r.szIPAddress), QByteArray("127.0.9.8"));
    QCOMPARE(QByteArray(r.szSubnetMask), QByteArray("255.255.255.0"));
    QCOMPARE(QByteArray(r.szSoftwareVersion), QByteArray("V4.8.8 build230106"));
    QCOMPARE(QByteArray(r.szDSPVersion), QByteArray("V3.9 build190518"));
    QCOMPARE(QByteArray(r.szStartTime), QByteArray("2026-11-22 13:03:10"));
    QCOMPARE(QByteArray(r.szDevModel), QByteArray("IPC2030-B"));
    QCOMPARE(r.wPort, uint16_t(8000));
    QCOMPARE(r.dwChannelNum, 4u);
    QCOMPARE(r.dwDiskNum, 2u);
    QCOMPARE(r.dwSource, 0u);
    // Nothing announced fills the name, gateway or credentials.
    QCOMPARE(QByteArray(r.szDevName), QByteArray());
    QCOMPARE(QByteArray(r.szGateway), QByteArray());
    QCOMPARE(QByteArray(r.szUserName), QByteArray());
    QCOMPARE(QByteArray(r.szPassword), QByteArray());
}

void QuarryDeviceCallbackTest::textLengthDecidesAcceptance_data()
{
    QTest::addColumn<int>("argument");
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("accepted");
    for (int argument : { 1, 2, 3, 4, 5, 10, 11, 12 }) {
        QTest::addRow("argument %d, 63 characters", argument) << argument << 63 << true;
        QTest::addRow("argument %d, 64 characters", argument) << argument << 64 << false;
    }
    QTest::newRow("serial of 70 characters") << 2 << 70 << false;
    QTest::newRow("serial of 1000 characters") << 2 << 1000 << false;
}

void QuarryDeviceCallbackTest::textLengthDecidesAcceptance()
{
    QFETCH(int, argument);
    QFETCH(int, length);
    QFETCH(bool, accepted);
    Texts texts;
    texts.byArgument[size_t(argument)] = QByteArray(length, 'x');
    announce(texts, QUARRY_EVENT_PRESENT);
    QCOMPARE(take(*m_spy).size(), size_t(accepted ? 1 : 0));
}

void QuarryDeviceCallbackTest::absentTextsAreListedAsNull()
{
    Texts texts;
    for (int argument : { 1, 2, 3, 4, 5, 10, 11, 12 }) {
        texts.absent[size_t(argument)] = true;
    }
    announce(texts, QUARRY_EVENT_PRESENT);
    auto reports = take(*m_spy);
    QCOMPARE(reports.size(), size_t(1));
    const DEVICEINFO &r = *reports.front().first;
    for (const char *field : { r.szSerialNo, r.szMAC, r.szIPAddress, r.szSubnetMask,
             r.szSoftwareVersion, r.szDSPVersion, r.szStartTime }) {
        QCOMPARE(QByteArray(field), QByteArray("(null)"));
    }
}

void QuarryDeviceCallbackTest::eventDecidesTheReport_data()
{
    QTest::addColumn<int>("event");
    QTest::addColumn<int>("type"); // -1: no report
    QTest::newRow("1 present") << 1 << int(DeviceReportAddOrUpdate);
    QTest::newRow("4 changed") << 4 << int(DeviceReportAddOrUpdate);
    QTest::newRow("3 gone") << 3 << int(DeviceReportRemove);
    QTest::newRow("0") << 0 << -1;
    QTest::newRow("2") << 2 << -1;
    QTest::newRow("5") << 5 << -1;
    QTest::newRow("-1") << -1 << -1;
    QTest::newRow("255") << 255 << -1;
}

void QuarryDeviceCallbackTest::eventDecidesTheReport()
{
    QFETCH(int, event);
    QFETCH(int, type);
    announce(Texts(), event);
    auto reports = take(*m_spy);
    QCOMPARE(reports.size(), size_t(type < 0 ? 0 : 1));
    if (type >= 0) {
        QCOMPARE(reports.front().second, type);
    }
}

void QuarryDeviceCallbackTest::overlongFieldsAreCutAndTerminated_data()
{
    QTest::addColumn<int>("argument");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("stored");
    QTest::newRow("software version of 48") << 10 << 48 << 47;
    QTest::newRow("DSP version of 63") << 11 << 63 << 47;
    QTest::newRow("MAC of 50") << 3 << 50 << 47;
    QTest::newRow("start time of 60") << 12 << 60 << 47;
    QTest::newRow("serial of 48 fits") << 2 << 48 << 48;
    QTest::newRow("serial of 49") << 2 << 49 << 48;
    QTest::newRow("address of 63 fits") << 4 << 63 << 63;
}

void QuarryDeviceCallbackTest::overlongFieldsAreCutAndTerminated()
{
    QFETCH(int, argument);
    QFETCH(int, length);
    QFETCH(int, stored);
    Texts texts;
    QByteArray text;
    for (int i = 0; i < length; ++i) {
        text += char('a' + i % 26);
    }
    texts.byArgument[size_t(argument)] = text;
    announce(texts, QUARRY_EVENT_PRESENT);
    auto reports = take(*m_spy);
    QCOMPARE(reports.size(), size_t(1));
    const DEVICEINFO &r = *reports.front().first;
    const char *field = argument == 2 ? r.szSerialNo
        : argument == 3               ? r.szMAC
        : argument == 4               ? r.szIPAddress
        : argument == 10              ? r.szSoftwareVersion
        : argument == 11              ? r.szDSPVersion
                                      : r.szStartTime;
    QCOMPARE(QByteArray(field), text.left(stored));
    // The neighbouring fields are intact.
    QCOMPARE(r.dwSource, 0u);
    QCOMPARE(r.wPort, uint16_t(8000));
}

void QuarryDeviceCallbackTest::modelNameComesFromTheTypeCode_data()
{
    QTest::addColumn<uint>("code");
    QTest::addColumn<QByteArray>("model");
    QTest::newRow("0") << 0u << QByteArray("INVALID_DEV");
    QTest::newRow("first entry") << 1u << QByteArray("TVX-DVR-0401");
    QTest::newRow("simulated camera") << 20031u << QByteArray("IPC2030-B");
    QTest::newRow("last entry") << 37896u << QByteArray("TVX-ITS-9060-ANPR");
    QTest::newRow("between entries") << 20033u << QByteArray("IPCamera");
    QTest::newRow("beyond the table") << 37897u << QByteArray("IPCamera");
    QTest::newRow("largest code") << 0xffffffffu << QByteArray("IPCamera");
}

void QuarryDeviceCallbackTest::modelNameComesFromTheTypeCode()
{
    QFETCH(uint, code);
    QFETCH(QByteArray, model);
    announce(Texts(), QUARRY_EVENT_PRESENT, code);
    auto reports = take(*m_spy);
    QCOMPARE(reports.size(), size_t(1));
    QCOMPARE(QByteArray(reports.front().first->szDevModel), model);
}

void QuarryDeviceCallbackTest::withoutAdapterNothingIsReported()
{
    setDiscoveryAdapter(nullptr);
    announce(Texts(), QUARRY_EVENT_PRESENT);
    QCOMPARE(m_spy->count(), 0);
}

void QuarryDeviceCallbackTest::destroyedAdapterUnregistersItself()
{
    {
        SearchAdapter other;
        setDiscoveryAdapter(&other);
        QCOMPARE(discoveryAdapter(), &other);
    }
    QVERIFY(discoveryAdapter() == nullptr);
    announce(Texts(), QUARRY_EVENT_PRESENT); // must not touch the dead adapter
}

void QuarryDeviceCallbackTest::searchCallbackReportsFoundDevicesAndRefusedAddresses()
{
    QSignalSpy refused(m_adapter.get(), &SearchAdapter::UserPasswdError);
    DEVICEINFO found {};
    std::strcpy(found.szSerialNo, "FOUND-1");
    std::strcpy(found.szIPAddress, "127.0.9.7");
    found.dwSource = 1;
    SearchEngineCallback(&found, 1, nullptr);
    auto reports = take(*m_spy);
    QCOMPARE(reports.size(), size_t(1));
    QVERIFY(reports.front().first.get() != &found); // a copy the receiver owns
    QCOMPARE(QByteArray(reports.front().first->szSerialNo), QByteArray("FOUND-1"));
    QCOMPARE(reports.front().first->dwSource, 1u);
    QCOMPARE(reports.front().second, int(DeviceReportAddOrUpdate));

    SearchEngineCallback(&found, 255, nullptr);
    QCOMPARE(refused.count(), 1);
    QCOMPARE(refused.at(0).at(0).toString(), QStringLiteral("127.0.9.7"));
    QCOMPARE(m_spy->count(), 0);

    SearchEngineCallback(&found, 2, nullptr);
    SearchEngineCallback(nullptr, 1, nullptr);
    QCOMPARE(m_spy->count(), 0);
    QCOMPARE(refused.count(), 1);
}

void QuarryDeviceCallbackTest::burstFromAnotherThreadArrivesWholeAndInOrder()
{
    // More reports than may wait at once: the sender is held back while this
    // thread is busy, and nothing is lost or reordered.
    const int count = SearchAdapter::MaxReportsInFlight * 2 + 5;
    std::atomic<bool> done { false };
    std::unique_ptr<QThread> sender(QThread::create([&] {
        for (int i = 0; i < count; ++i) {
            Texts texts;
            texts.byArgument[2] = "BURST-" + QByteArray::number(i);
            announce(texts, QUARRY_EVENT_PRESENT);
        }
        done = true;
    }));
    sender->start();
    QTRY_VERIFY_WITH_TIMEOUT(done.load(), 10000);
    sender->wait();
    QTRY_COMPARE(m_adapter->reportsInFlight(), 0);
    // The spy's own connection is direct, so it saw every emission.
    auto reports = take(*m_spy);
    QCOMPARE(int(reports.size()), count);
    for (int i = 0; i < count; ++i) {
        QCOMPARE(
            QByteArray(reports[size_t(i)].first->szSerialNo), "BURST-" + QByteArray::number(i));
    }
}

QTEST_GUILESS_MAIN(QuarryDeviceCallbackTest)
#include "tst_quarrycallback.moc"
