#include "devicestore.h"
#include "testdevice.h"

#include <QTest>

#include <atomic>
#include <cstring>
#include <thread>

using Edit = void (*)(DEVICEINFO &);
Q_DECLARE_METATYPE(Edit)

class TestDeviceStore : public QObject
{
    Q_OBJECT

private slots:
    void mergeRule_data();
    void mergeRule();
    void slotsAreFreedAndReused();
    void iterateVisitsOccupiedSlotsInOrder();
    void iterationHoldsOffWritersUntilRelease();
    void updateRecordChecksTheDeviceStillThere();
    void copyDeviceTextIsBoundedAndTerminated();
};

void TestDeviceStore::mergeRule_data()
{
    QTest::addColumn<Edit>("edit");
    QTest::addColumn<bool>("replaces");

    QTest::newRow("name") << Edit([](DEVICEINFO &r) { CopyDeviceText(r.szDevName, "Gate"); })
                          << true;
    QTest::newRow("address") << Edit([](DEVICEINFO &r) {
        CopyDeviceText(r.szIPAddress, "192.168.1.65");
    }) << true;
    QTest::newRow("port") << Edit([](DEVICEINFO &r) { r.wPort = 8001; }) << true;
    QTest::newRow("mask") << Edit([](DEVICEINFO &r) {
        CopyDeviceText(r.szSubnetMask, "255.255.0.0");
    }) << true;
    QTest::newRow("gateway") << Edit([](DEVICEINFO &r) {
        CopyDeviceText(r.szGateway, "192.168.1.1");
    }) << true;
    QTest::newRow("software version")
        << Edit([](DEVICEINFO &r) { CopyDeviceText(r.szSoftwareVersion, "V5.2.0"); }) << false;
    QTest::newRow("start time") << Edit([](DEVICEINFO &r) {
        CopyDeviceText(r.szStartTime, "2026-01-01");
    }) << false;
    QTest::newRow("mac") << Edit([](DEVICEINFO &r) { CopyDeviceText(r.szMAC, "66:77:88"); })
                         << false;
    QTest::newRow("only source and credentials") << Edit([](DEVICEINFO &) {}) << false;
}

void TestDeviceStore::mergeRule()
{
    QFETCH(Edit, edit);
    QFETCH(bool, replaces);

    CDeviceStore store;
    bool changed = true;
    QCOMPARE(store.AddOrUpdate(testDevice("SN1"), &changed), 0);
    QVERIFY(!changed);

    // Every report also differs outside the five compared fields (as a
    // search report with credentials does), so a replacement shows whole.
    DEVICEINFO report = testDevice("SN1");
    CopyDeviceText(report.szDSPVersion, "DSP 9");
    CopyDeviceText(report.szUserName, "admin");
    CopyDeviceText(report.szPassword, "secret");
    report.dwSource = 1;
    edit(report);

    changed = !replaces;
    QCOMPARE(store.AddOrUpdate(report, &changed), -1);
    QCOMPARE(changed, replaces);
    DEVICEINFO stored {};
    QVERIFY(store.CopyOut(0, &stored));
    const DEVICEINFO expected = replaces ? report : testDevice("SN1");
    QCOMPARE(std::memcmp(&stored, &expected, sizeof stored), 0);
}

void TestDeviceStore::slotsAreFreedAndReused()
{
    CDeviceStore store;
    bool changed = false;
    for (const char *serial : { "A", "B", "C" }) {
        store.AddOrUpdate(testDevice(serial), &changed);
    }
    QCOMPARE(store.Find("C"), 2);
    QCOMPARE(store.Find("Z"), -1);
    QCOMPARE(store.Find(nullptr), -1);
    QCOMPARE(store.Remove("Z"), -1);
    QCOMPARE(store.Remove("B"), 1);
    QCOMPARE(store.SlotCount(), 3);

    DEVICEINFO copy {};
    QVERIFY(!store.CopyOut(1, &copy));
    QVERIFY(!store.CopyOut(-1, &copy));
    QVERIFY(!store.CopyOut(3, &copy));
    QVERIFY(!store.CopyOut(0, nullptr));
    QVERIFY(store.CopyOut(2, &copy));
    QCOMPARE(QByteArray(copy.szSerialNo), QByteArray("C"));

    QCOMPARE(store.AddOrUpdate(testDevice("D"), &changed), 1);
    QCOMPARE(store.AddOrUpdate(testDevice("E"), &changed), 3);
    store.Clear();
    QCOMPARE(store.SlotCount(), 0);
    QCOMPARE(store.AddOrUpdate(testDevice("E"), &changed), 0);
}

void TestDeviceStore::iterateVisitsOccupiedSlotsInOrder()
{
    CDeviceStore store;
    bool changed = false;
    for (const char *serial : { "A", "B", "C", "D" }) {
        store.AddOrUpdate(testDevice(serial), &changed);
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
    store.AddOrUpdate(testDevice("A"), &changed);

    std::atomic<bool> written { false };
    auto cursor = store.Iterate();
    std::thread writer([&] {
        bool writerChanged = false;
        store.AddOrUpdate(testDevice("B"), &writerChanged);
        written = true;
    });
    QTest::qWait(100);
    QVERIFY(!written);
    store.Release(std::move(cursor));
    writer.join();
    QCOMPARE(store.Find("B"), 1);
}

void TestDeviceStore::updateRecordChecksTheDeviceStillThere()
{
    CDeviceStore store;
    bool changed = false;
    store.AddOrUpdate(testDevice("A"), &changed);
    QVERIFY(store.WithRecordRead(0, [](const DEVICEINFO &r) { return r.szSerialNo[0] == 'A'; }));
    QVERIFY(!store.WithRecordRead(5, [](const DEVICEINFO &) { return true; }));

    auto readdress = [](DEVICEINFO &r) { CopyDeviceText(r.szIPAddress, "10.0.0.9"); };
    QVERIFY(store.UpdateRecord(0, "A", readdress));
    // The slot now holds another device: nothing is written.
    store.Remove("A");
    store.AddOrUpdate(testDevice("B"), &changed);
    QVERIFY(!store.UpdateRecord(0, "A", readdress));
    QVERIFY(!store.UpdateRecord(1, nullptr, readdress));
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
