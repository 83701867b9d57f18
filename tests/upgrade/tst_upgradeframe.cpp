#include "fakeservices.h"
#include "fasttiming.h"
#include "pageprobe.h"
#include "testdevice.h"
#include "upgradefleet.h"
#include "upgradeframe.h"

#include "sdkruntime.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>

using namespace UpgradeFleet;

namespace {

constexpr quint16 FleetPort = 19310;

// Answers the stop warning as told, and records it with the boxes.
class TestFrame : public PageProbe<CUpgradeFrame>
{
public:
    bool answerOk = false;

    QStringList states() const { return rows({ StateColumn }); }
    void start(const QString &path, bool directory)
    {
        child<QRadioButton>(directory ? "radioDir" : "radioFile")->click();
        child<QLineEdit>("editFilePath")->setText(path);
        click("upgradeBtn");
    }
    // The page tells the main window, and its progress bar, options and
    // button's text say, that a batch runs.
    bool looksUpgrading() const
    {
        return IsRunning() && child<QProgressBar>("UpgradeProgressBar")->isVisibleTo(this)
            && !child<QCheckBox>("AllCheckBtn")->isEnabled() && !rowBox(0)->isEnabled()
            && !table()->isSortingEnabled()
            && child<QPushButton>("upgradeBtn")->text() == QLatin1String("Stop Upgrade");
    }

protected:
    bool askStopWarning(const QString &title, const QString &text) override
    {
        boxes << title + QLatin1Char('|') + text;
        return answerOk;
    }
};

} // namespace

class TestUpgradeFrame : public QObject
{
    Q_OBJECT

    SdkRuntime m_sdk { 60000 }; // a stalled upload stays running until stopped
    FakeServices m_services;
    QTemporaryDir m_images;

private slots:
    void rowsGrowBeyondTheCapacityAndClearAway()
    {
        TestFrame frame;
        std::vector<DEVICEINFO> devices;
        for (int i = 0; i < 300; ++i) {
            devices.push_back(testDevice(QByteArray::number(1000 + i).constData(),
                QStringLiteral("10.0.%1.%2").arg(i / 200).arg(i % 200 + 1).toLatin1().constData()));
        }
        frame.SetDevices(devices);
        QCOMPARE(frame.table()->rowCount(), 300);
        // A row knows its device, whatever order the table sorts it into.
        const int device = frame.table()
                               ->item(250, CUpgradeFrame::NameColumn)
                               ->data(CUpgradeFrame::DeviceIndexRole)
                               .toInt();
        QCOMPARE(
            frame.table()->item(250, CUpgradeFrame::SerialColumn)->text().toInt(), 1000 + device);
        auto *all = frame.child<QCheckBox>("AllCheckBtn");
        all->click();
        frame.rowBox(7)->click();
        QVERIFY(!all->isChecked());
        QCOMPARE(frame.states().count("x Not upgraded"), 299);
        // Checking every row by hand leaves "All" unchecked.
        frame.rowBox(7)->click();
        QVERIFY(!all->isChecked());
        QCOMPARE(frame.states().count("x Not upgraded"), 300);
        all->click();
        all->click();
        QCOMPARE(frame.states().count("- Not upgraded"), 300);
        frame.ClearDevices();
        QCOMPARE(frame.states(), QStringList());
        frame.SetDevices({ devices[0] });
        QCOMPARE(frame.states(), QStringList { "- Not upgraded" });
    }

    // What a start refuses before it reaches any device; a path it takes
    // goes on to the device check.
    void startRefusesBadInput_data()
    {
        QTest::addColumn<bool>("directory");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("message");
        const QString noDevice = QStringLiteral("Please select device");
        QTest::newRow("no path") << false << ""
                                 << "Please select firmware or directory";
        QTest::newRow("file, 260 bytes") << false << QString(260, 'f') << noDevice;
        QTest::newRow("file, 261 bytes")
            << false << QString(261, 'f') << "File path length exceeds limit";
        QTest::newRow("file, 261 bytes in 87 characters")
            << false << QString(87, QChar(0x5357)) << "File path length exceeds limit";
        QTest::newRow("directory, 210 bytes") << true << QString(210, 'd') << noDevice;
        QTest::newRow("directory, 211 bytes")
            << true << QString(211, 'd') << "Directory path length exceeds limit";
    }

    void startRefusesBadInput()
    {
        QFETCH(bool, directory);
        QFETCH(QString, path);
        QFETCH(QString, message);
        TestFrame frame;
        frame.SetDevices({ testDevice("A", "127.0.83.250") }); // listed, not checked
        frame.start(path, directory);
        QCOMPARE(frame.boxes, QStringList { "Warning|" + message });
        QVERIFY(!frame.IsUpgrading());
    }

    void stopLeavesUnfinishedRowsAtUpgradeEnd()
    {
        // Sixteen uploads stall, the seventeenth device waits for a slot.
        auto fleet = start("127.0.83.1", FleetPort, 17, [](devsim::FleetOptions &options) {
            for (int i = 0; i < 17; ++i) {
                options.faults[i].upgradeStallPercent = 0;
            }
        });
        QVERIFY(fleet);
        TestFrame frame;
        frame.setTiming(std::make_shared<FastTiming>(20));
        frame.SetDevices(
            listedCameras(*fleet, { 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16 }));
        frame.child<QCheckBox>("AllCheckBtn")->click();
        frame.start(writeDirectory(m_images, "stop"), true);
        QVERIFY(frame.IsUpgrading() && frame.looksUpgrading());
        QTRY_COMPARE(frame.states().count("x Upgrading..."), 16);

        frame.click("upgradeBtn"); // answered "Cancel"
        QVERIFY(frame.IsUpgrading());
        frame.answerOk = true;
        frame.click("upgradeBtn");
        QCOMPARE(frame.boxes,
            QStringList(
                2, "Warning|Terminate the upgrade may cause the device can not start, continue?"));
        QVERIFY(!frame.IsUpgrading() && !frame.looksUpgrading());
        QCOMPARE(frame.states(), QStringList(17, "x Upgrade End"));
        for (int i = 0; i < 17; ++i) {
            QTRY_COMPARE(fleet->sessionCount(i), 0);
        }
    }

    void batchEndsWithEachRowsLastState()
    {
        // Camera 1 was found by the IP-range search with its own password,
        // camera 2 announced itself but wants another; camera 3 is left out.
        auto fleet = start("127.0.83.101", FleetPort, 4, [](devsim::FleetOptions &options) {
            options.passwords = { { 1, "other" }, { 2, "other" } };
        });
        QVERIFY(fleet);
        TestFrame frame;
        frame.setTiming(std::make_shared<FastTiming>(1000)); // reconnection in tenths of a second
        frame.SetDevices({ listedCamera(*fleet, 0), listedCamera(*fleet, 1, 1, "other"),
            listedCamera(*fleet, 2, 0, "other"), listedCamera(*fleet, 3) });
        for (int row = 0; row < 3; ++row) {
            frame.rowBox(row)->setChecked(true);
        }
        // Restoring defaults comes only with the reboot.
        auto *reboot = frame.child<QCheckBox>("checkReboot");
        auto *restore = frame.child<QCheckBox>("checkRestore");
        QVERIFY(!restore->isVisibleTo(&frame));
        reboot->click();
        restore->click();
        reboot->click();
        QVERIFY(!restore->isVisibleTo(&frame) && !restore->isChecked());
        reboot->click();
        restore->click();

        frame.start(writeDirectory(m_images, "restore"), true);
        QVERIFY(frame.looksUpgrading());
        QTRY_VERIFY_WITH_TIMEOUT(!frame.IsUpgrading(), 30000);
        // Done rows leave the polled set; the failed one stays checked.
        const QString restored = "- Upgrade succeed, restore default settings succeed";
        QCOMPARE(frame.states(),
            (QStringList { restored, restored, "x Failed to login", "- Not upgraded" }));
        QCOMPARE(frame.child<QPushButton>("upgradeBtn")->text(), QStringLiteral("Start Upgrade"));
        QCOMPARE(frame.boxes, QStringList());
        QTRY_COMPARE(reportedVersion(*fleet, 0), newVersion());
    }
};

QTEST_MAIN(TestUpgradeFrame)
#include "tst_upgradeframe.moc"
