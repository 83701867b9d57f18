#include "devicestore.h"

#include <QElapsedTimer>
#include <QTest>

#include <atomic>
#include <cstring>
#include <thread>

namespace {

DEVICEINFO device(const char *serial, const char *ip = "192.168.1.64")
{
    DEVICEINFO record {};
    CopyDeviceText(record.szSerialNo, serial);
    CopyDeviceText(record.szIPAddress, ip);
    CopyDeviceText(record.szSubnetMask, "255.255.255.0");
    CopyDeviceText(record.szSoftwareVersion, "V5.1.0");
    CopyDeviceText(record.szMAC, "00:11:22:33:44:55");
    record.wPort = 8000;
    return record;
}

} // namespace

class TestDeviceStore : public QObject
{
    Q_OBJECT

private slots:
    void newDeviceTakesNextSlot();
    void mergeRule_data();
    void mergeRule();
    void searchReportReplacesDiscoveryRecordWhole();
    void removeUnknownSerialChangesNothing();
    void freedSlotIsReused();
    void copyOutRejectsFreeAndOutOfRangeSlots();
    void clearEmptiesEverySlot();
    void iterateVisitsOccupiedSlotsInOrder();
    void iterationHoldsOffWritersUntilRelease();
    void updateRecordChecksTheDeviceStillThere();
    void copyDeviceTextIsBoundedAndTerminated();
};

void TestDeviceStore::newDeviceTakesNextSlot()
{
    CDeviceStore store;
    bool changed = true;
    QCOMPARE(store.AddOrUpdate(device("A"), &changed), 0);
    QVERIFY(!changed);
    QCOMPARE(store.AddOrUpdate(device("B"), &changed), 1);
    QCOMPARE(store.Find("B"), 1);
    QCOMPARE(store.Find("C"), -1);
    QCOMPARE(store.Find(nullptr), -1);
}

void TestDeviceStore::mergeRule_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("replaces");

    QTest::newRow("name") << "name" << true;
    QTest::newRow("address") << "ip" << true;
    QTest::newRow("port") << "port" << true;
    QTest::newRow("mask") << "mask" << true;
    QTest::newRow("gateway") << "gateway" << true;
    QTest::newRow("software version") << "software" << false;
    QTest::newRow("start time") << "start" << false;
    QTest::newRow("mac") << "mac" << false;
    QTest::newRow("source and credentials") << "source" << false;
    QTest::newRow("identical") << "" << false;
}

void TestDeviceStore::mergeRule()
{
    QFETCH(QString, field);
    QFETCH(bool, replaces);

    CDeviceStore store;
    bool changed = false;
    QCOMPARE(store.AddOrUpdate(device("SN1"), &changed), 0);

    DEVICEINFO report = device("SN1");
    // Every report also differs outside the five fields, so a replacement
    // is visible in a field that is not compared.
    CopyDeviceText(report.szDSPVersion, "DSP 9");
    if (field == "name") {
        CopyDeviceText(report.szDevName, "Gate");
    } else if (field == "ip") {
        CopyDeviceText(report.szIPAddress, "192.168.1.65");
    } else if (field == "port") {
        report.wPort = 8001;
    } else if (field == "mask") {
        CopyDeviceText(report.szSubnetMask, "255.255.0.0");
    } else if (field == "gateway") {
        CopyDeviceText(report.szGateway, "192.168.1.1");
    } else if (field == "software") {
        CopyDeviceText(report.szSoftwareVersion, "V5.2.0");
    } else if (field == "start") {
        CopyDeviceText(report.szStartTime, "2026-01-01 00:00:00");
    } else if (field == "mac") {
        CopyDeviceText(report.szMAC, "66:77:88:99:aa:bb");
    } else if (field == "source") {
        report.dwSource = 1;
        CopyDeviceText(report.szUserName, "admin");
        CopyDeviceText(report.szPassword, "secret");
    }

    changed = !replaces;
    QCOMPARE(store.AddOrUpdate(report, &changed), -1);
    QCOMPARE(changed, replaces);

    DEVICEINFO stored {};
    QVERIFY(store.CopyOut(0, &stored));
    if (replaces) {
        QCOMPARE(std::memcmp(&stored, &report, sizeof stored), 0);
    } else {
        const DEVICEINFO original = device("SN1");
        QCOMPARE(std::memcmp(&stored, &original, sizeof stored), 0);
    }
}

void TestDeviceStore::searchReportReplacesDiscoveryRecordWhole()
{
    CDeviceStore store;
    bool changed = false;
    store.AddOrUpdate(device("SN1"), &changed);

    DEVICEINFO found = device("SN1");
    CopyDeviceText(found.szDevName, "Lobby");
    CopyDeviceText(found.szGateway, "192.168.1.1");
    CopyDeviceText(found.szUserName, "admin");
    CopyDeviceText(found.szPassword, "12345");
    found.dwSource = 1;
    store.AddOrUpdate(found, &changed);
    QVERIFY(changed);

    // A later announcement carries no name or gateway: it replaces again.
    store.AddOrUpdate(device("SN1"), &changed);
    QVERIFY(changed);
    DEVICEINFO stored {};
    QVERIFY(store.CopyOut(0, &stored));
    QCOMPARE(stored.dwSource, 0u);
    QCOMPARE(stored.szDevName[0], '\0');
    QCOMPARE(stored.szGateway[0], '\0');
    QCOMPARE(stored.szPassword[0], '\0');
}

void TestDeviceStore::removeUnknownSerialChangesNothing()
{
    CDeviceStore store;
    bool changed = false;
    store.AddOrUpdate(device("A"), &changed);
    QCOMPARE(store.Remove("Z"), -1);
    QCOMPARE(store.SlotCount(), 1);
    QCOMPARE(store.Find("A"), 0);
}

void TestDeviceStore::freedSlotIsReused()
{
    CDeviceStore store;
    bool changed = false;
    store.AddOrUpdate(device("A"), &changed);
    store.AddOrUpdate(device("B"), &changed);
    store.AddOrUpdate(device("C"), &changed);

    QCOMPARE(store.Remove("B"), 1);
    DEVICEINFO copy {};
    QVERIFY(!store.CopyOut(1, &copy));
    QCOMPARE(store.SlotCount(), 3);

    QCOMPARE(store.AddOrUpdate(device("D"), &changed), 1);
    QCOMPARE(store.AddOrUpdate(device("E"), &changed), 3);
}

void TestDeviceStore::copyOutRejectsFreeAndOutOfRangeSlots()
{
    CDeviceStore store;
    bool changed = false;
    store.AddOrUpdate(device("A"), &changed);
    DEVICEINFO copy {};
    QVERIFY(!store.CopyOut(-1, &copy));
    QVERIFY(!store.CopyOut(1, &copy));
    QVERIFY(!store.CopyOut(0, nullptr));
    QVERIFY(store.CopyOut(0, &copy));
    QCOMPARE(QByteArray(copy.szSerialNo), QByteArray("A"));
}

void TestDeviceStore::clearEmptiesEverySlot()
{
    CDeviceStore store;
    bool changed = false;
    store.AddOrUpdate(device("A"), &changed);
    store.AddOrUpdate(device("B"), &changed);
    store.Clear();
    QCOMPARE(store.SlotCount(), 0);
    QCOMPARE(store.AddOrUpdate(device("B"), &changed), 0);
}

void TestDeviceStore::iterateVisitsOccupiedSlotsInOrder()
{
    CDeviceStore store;
    bool changed = false;
    for (const char *serial : { "A", "B", "C", "D" }) {
        store.AddOrUpdate(device(serial), &changed);
    }
    store.Remove("B");

    QStringList seen;
    auto cursor = store.Iterate();
    while (const DEVICEINFO *record = store.Next(*cursor)) {
        seen << QString::fromLatin1(record->szSerialNo);
        // A reader may copy while it iterates.
        DEVICEINFO copy {};
        QVERIFY(store.CopyOut(store.Find(record->szSerialNo), &copy));
    }
    QVERIFY(store.Next(*cursor) == nullptr);
    store.Release(std::move(cursor));
    QCOMPARE(seen, (QStringList { "A", "C", "D" }));
}

void TestDeviceStore::iterationHoldsOffWritersUntilRelease()
{
    CDeviceStore store;
    bool changed = false;
    store.AddOrUpdate(device("A"), &changed);

    std::atomic<bool> written { false };
    auto cursor = store.Iterate();
    std::thread writer([&] {
        bool writerChanged = false;
        store.AddOrUpdate(device("B"), &writerChanged);
        written = true;
    });
    QTest::qWait(100);
    QVERIFY(!written);
    store.Release(std::move(cursor));
    writer.join();
    QVERIFY(written);
    QCOMPARE(store.Find("B"), 1);
}

void TestDeviceStore::updateRecordChecksTheDeviceStillThere()
{
    CDeviceStore store;
    bool changed = false;
    store.AddOrUpdate(device("A"), &changed);

    QVERIFY(store.WithRecordRead(
        0, [](const DEVICEINFO &record) { return QByteArray(record.szSerialNo) == "A"; }));
    QVERIFY(!store.WithRecordRead(5, [](const DEVICEINFO &) { return true; }));

    QVERIFY(store.UpdateRecord(
        0, "A", [](DEVICEINFO &record) { CopyDeviceText(record.szIPAddress, "10.0.0.9"); }));
    // The slot now holds another device: nothing is written.
    store.Remove("A");
    store.AddOrUpdate(device("B"), &changed);
    QVERIFY(!store.UpdateRecord(
        0, "A", [](DEVICEINFO &record) { CopyDeviceText(record.szIPAddress, "10.0.0.10"); }));
    DEVICEINFO copy {};
    QVERIFY(store.CopyOut(0, &copy));
    QCOMPARE(QByteArray(copy.szIPAddress), QByteArray("192.168.1.64"));
}

void TestDeviceStore::copyDeviceTextIsBoundedAndTerminated()
{
    char buffer[8];
    std::memset(buffer, 'x', sizeof buffer);
    CopyDeviceText(buffer, "0123456789");
    QCOMPARE(QByteArray(buffer), QByteArray("0123456"));
    CopyDeviceText(buffer, nullptr);
    QCOMPARE(QByteArray(buffer, sizeof buffer), QByteArray(8, '\0'));
}

QTEST_GUILESS_MAIN(TestDeviceStore)
#include "tst_devicestore.moc"
