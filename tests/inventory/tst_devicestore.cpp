#include "devicestore.h"
#include "testdevice.h"

#include <QTest>

#include <atomic>
#include <cstddef>
#include <cstring>
#include <thread>

// A store holding these serials in slots 0, 1, ...
static void fill(CDeviceStore &store, std::initializer_list<const char *> serials)
{
    bool changed = false;
    for (const char *serial : serials) {
        store.AddOrUpdate(testDevice(serial), &changed);
    }
}

class TestDeviceStore : public QObject
{
    Q_OBJECT

private slots:
    void mergeRule_data()
    {
        QTest::addColumn<int>("offset"); // of the field the report changes
        QTest::addColumn<bool>("replaces");
        auto row = [](const char *name, size_t offset, bool replaces) {
            QTest::newRow(name) << int(offset) << replaces;
        };
        row("name", offsetof(DEVICEINFO, szDevName), true);
        row("address", offsetof(DEVICEINFO, szIPAddress), true);
        row("port", offsetof(DEVICEINFO, wPort), true);
        row("mask", offsetof(DEVICEINFO, szSubnetMask), true);
        row("gateway", offsetof(DEVICEINFO, szGateway), true);
        row("software version", offsetof(DEVICEINFO, szSoftwareVersion), false);
        row("model", offsetof(DEVICEINFO, szDevModel), false);
        row("mac", offsetof(DEVICEINFO, szMAC), false);
        row("start time", offsetof(DEVICEINFO, szStartTime), false);
        row("channels", offsetof(DEVICEINFO, dwChannelNum), false);
        row("user name", offsetof(DEVICEINFO, szUserName), false);
        row("source", offsetof(DEVICEINFO, dwSource), false);
    }

    void mergeRule()
    {
        QFETCH(int, offset);
        QFETCH(bool, replaces);
        CDeviceStore store;
        bool changed = true;
        QCOMPARE(store.AddOrUpdate(testDevice("SN1"), &changed), 0);
        QVERIFY(!changed);
        // Every report also differs in a field that is never compared, so a
        // replacement shows as the whole record.
        DEVICEINFO report = testDevice("SN1");
        FixedText::write(report.szDSPVersion, "DSP 9");
        reinterpret_cast<char *>(&report)[offset] ^= 0x5A;
        changed = !replaces;
        QCOMPARE(store.AddOrUpdate(report, &changed), -1);
        QCOMPARE(changed, replaces);
        DEVICEINFO stored {};
        QVERIFY(store.CopyOut(0, &stored));
        const DEVICEINFO expected = replaces ? report : testDevice("SN1");
        QCOMPARE(std::memcmp(&stored, &expected, sizeof stored), 0);
    }

    void slotsAreFreedAndReused()
    {
        CDeviceStore store;
        fill(store, { "A", "B", "C" });
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

        bool changed = false;
        QCOMPARE(store.AddOrUpdate(testDevice("D"), &changed), 1);
        QCOMPARE(store.AddOrUpdate(testDevice("E"), &changed), 3);
        store.Clear();
        QCOMPARE(store.SlotCount(), 0);
        QCOMPARE(store.AddOrUpdate(testDevice("E"), &changed), 0);
    }

    void iterationSeesOccupiedSlotsAndHoldsOffWriters()
    {
        CDeviceStore store;
        fill(store, { "A", "B", "C", "D" });
        store.Remove("B");
        std::atomic<bool> written { false };
        auto cursor = store.Iterate();
        std::thread writer([&] {
            fill(store, { "E" });
            written = true;
        });
        QStringList seen;
        while (const DEVICEINFO *record = store.Next(*cursor)) {
            seen << record->szSerialNo;
            // A reader may copy while it iterates.
            DEVICEINFO copy {};
            QVERIFY(store.CopyOut(store.Find(record->szSerialNo), &copy));
        }
        QVERIFY(store.Next(*cursor) == nullptr);
        QTest::qWait(100);
        QVERIFY(!written);
        store.Release(std::move(cursor));
        writer.join();
        QCOMPARE(seen, (QStringList { "A", "C", "D" }));
        QCOMPARE(store.Find("E"), 1);
    }

    void updateRecordChecksTheDeviceStillThere()
    {
        CDeviceStore store;
        fill(store, { "A" });
        QVERIFY(
            store.WithRecordRead(0, [](const DEVICEINFO &r) { return r.szSerialNo[0] == 'A'; }));
        QVERIFY(!store.WithRecordRead(5, [](const DEVICEINFO &) { return true; }));
        auto readdress = [](DEVICEINFO &r) { FixedText::write(r.szIPAddress, "10.0.0.9"); };
        QVERIFY(store.UpdateRecord(0, "A", readdress));
        // The slot now holds another device: nothing is written.
        store.Remove("A");
        fill(store, { "B" });
        QVERIFY(!store.UpdateRecord(0, "A", readdress));
        QVERIFY(!store.UpdateRecord(1, nullptr, readdress));
        DEVICEINFO copy {};
        QVERIFY(store.CopyOut(0, &copy));
        QCOMPARE(QByteArray(copy.szIPAddress), QByteArray("192.168.1.64"));
    }
};

QTEST_GUILESS_MAIN(TestDeviceStore)
#include "tst_devicestore.moc"
