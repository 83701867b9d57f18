#include "fakeservices.h"
#include "fasttiming.h"
#include "testdevice.h"
#include "upgradeframe.h"
#include "upgradefleet.h"
#include "upgradestate.h"

#include "mirt.h"
#include "solvane.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>

using namespace UpgradeFleet;

namespace {

constexpr quint16 FleetPort = 19310;
const QString First = QStringLiteral("127.0.83.1");

// Records its message boxes ("title|text"), answers the stop warning and
// the file dialogs as told.
class TestFrame : public CUpgradeFrame
{
public:
    QStringList boxes;
    QStringList warnings;
    bool answerOk = false;
    QString chosen; // what a dialog returns
    QStringList dialogs; // "file" or "directory", one per dialog shown

    template<typename T> T *child(const char *name) const
    {
        return findChild<T *>(QLatin1String(name));
    }
    QTableWidget *table() const { return child<QTableWidget>("tableUpdateDev"); }
    QCheckBox *rowBox(int row) const
    {
        return qobject_cast<QCheckBox *>(table()->cellWidget(row, CheckColumn));
    }
    // The shown rows' texts of `column`, in row order.
    QStringList column(int column) const
    {
        QStringList texts;
        for (int row = 0; row < table()->rowCount(); ++row) {
            if (!table()->isRowHidden(row)) {
                texts << table()->item(row, column)->text();
            }
        }
        return texts;
    }
    QList<bool> checks() const
    {
        QList<bool> states;
        for (int row = 0; row < table()->rowCount(); ++row) {
            if (!table()->isRowHidden(row)) {
                states << rowBox(row)->isChecked();
            }
        }
        return states;
    }
    void checkAll()
    {
        child<QCheckBox>("AllCheckBtn")->click();
    }
    void clickStart(const QString &path, bool directory = false)
    {
        child<QRadioButton>(directory ? "radioDir" : "radioFile")->click();
        child<QLineEdit>("editFilePath")->setText(path);
        child<QPushButton>("upgradeBtn")->click();
    }
    bool idleLook() const
    {
        return !child<QProgressBar>("UpgradeProgressBar")->isVisibleTo(this)
            && child<QCheckBox>("AllCheckBtn")->isEnabled()
            && child<QCheckBox>("checkReboot")->isEnabled()
            && child<QPushButton>("upgradeBtn")->text() != QLatin1String("Stop Upgrade");
    }

protected:
    void showInformation(const QString &title, const QString &text) override
    {
        boxes << title + QLatin1Char('|') + text;
    }
    bool askStopWarning(const QString &title, const QString &text) override
    {
        warnings << title + QLatin1Char('|') + text;
        return answerOk;
    }
    QString askFirmwareFile() override
    {
        dialogs << QStringLiteral("file");
        return chosen;
    }
    QString askFirmwareDirectory() override
    {
        dialogs << QStringLiteral("directory");
        return chosen;
    }
};

// Listed devices: camera i of the fleet as discovery announces it, or with
// its own credentials as the IP-range search finds it.
std::vector<DEVICEINFO> listed(const devsim::Fleet &fleet, int count, int searchedWith = -1,
    const char *password = "")
{
    std::vector<DEVICEINFO> devices;
    for (int i = 0; i < count; ++i) {
        DEVICEINFO record = testDevice(
            QByteArray("SERIAL-").append(QByteArray::number(i)).constData(),
            fleet.address(i).toLatin1().constData());
        FixedText::write(record.szDevName, QByteArray("Camera ").append(QByteArray::number(i)));
        record.wPort = FleetPort;
        if (i == searchedWith) {
            record.dwSource = 1;
            FixedText::write(record.szUserName, "admin");
            FixedText::write(record.szPassword, password);
        }
        devices.push_back(record);
    }
    return devices;
}

} // namespace

class TestUpgradeFrame : public QObject
{
    Q_OBJECT

    FakeServices m_services;
    QTemporaryDir m_images;

private slots:
    void initTestCase()
    {
        QCOMPARE(MIRT_Init(), 0);
        SOLV_Init();
        SOLV_SetRecvTimeOut(60000); // a stalled upload stays running until stopped
    }

    void cleanupTestCase()
    {
        SOLV_Cleanup();
        MIRT_Fini();
    }

    void init()
    {
        m_services.log.clear();
        setTervixServices(&m_services);
    }

    void startsIdleWithItsColumns()
    {
        TestFrame frame;
        QTableWidget *table = frame.table();
        QCOMPARE(table->rowCount(), CUpgradeFrame::InitialRowCapacity);
        QCOMPARE(frame.column(1), QStringList());
        QStringList headers;
        QList<int> widths;
        for (int column = 0; column < CUpgradeFrame::ColumnCount; ++column) {
            headers << table->horizontalHeaderItem(column)->text();
            widths << table->columnWidth(column);
        }
        QCOMPARE(headers,
            (QStringList { "", "Device Name", "Device Serial No.", "IP Address", "Upgrade State" }));
        QCOMPARE(widths.mid(0, 4), (QList<int> { 30, 120, 250, 100 }));
        QVERIFY(frame.child<QRadioButton>("radioFile")->isChecked());
        QVERIFY(!frame.child<QCheckBox>("checkRestore")->isVisibleTo(&frame));
        QVERIFY(frame.idleLook());
        QCOMPARE(frame.child<QPushButton>("upgradeBtn")->text(), QStringLiteral("Start Upgrate"));
        QVERIFY(!frame.IsRunning());
    }

    void rowsGrowBeyondTheCapacityAndClearAway()
    {
        TestFrame frame;
        std::vector<DEVICEINFO> devices;
        for (int i = 0; i < 300; ++i) {
            devices.push_back(testDevice(QByteArray::number(100000 + i).constData(),
                QByteArray("10.0.").append(QByteArray::number(i / 250)).append('.')
                    .append(QByteArray::number(i % 250 + 1)).constData()));
        }
        frame.SetDevices(devices);
        QCOMPARE(frame.table()->rowCount(), 300);
        QCOMPARE(frame.column(CUpgradeFrame::StateColumn), QStringList(300, "Not upgraded"));
        // Each row knows its device, whatever order the table sorts it into.
        for (int row = 0; row < 300; ++row) {
            const int device = frame.table()->item(row, CUpgradeFrame::NameColumn)
                                   ->data(CUpgradeFrame::DeviceIndexRole).toInt();
            QCOMPARE(frame.table()->item(row, CUpgradeFrame::SerialColumn)->text(),
                QString::number(100000 + device));
        }
        frame.checkAll();
        frame.ClearDevices();
        QCOMPARE(frame.column(1), QStringList());
        QVERIFY(!frame.child<QCheckBox>("AllCheckBtn")->isChecked());
        frame.SetDevices({ devices[0], devices[1] });
        QCOMPARE(frame.table()->rowCount(), 300);
        QCOMPARE(frame.checks(), (QList<bool> { false, false }));
    }

    void allAndSingleChecks()
    {
        TestFrame frame;
        frame.SetDevices({ testDevice("A", "10.0.0.1"), testDevice("B", "10.0.0.2"),
            testDevice("C", "10.0.0.3") });
        frame.checkAll();
        QCOMPARE(frame.checks(), (QList<bool> { true, true, true }));
        frame.rowBox(1)->setChecked(false);
        QVERIFY(!frame.child<QCheckBox>("AllCheckBtn")->isChecked());
        QCOMPARE(frame.checks(), (QList<bool> { true, false, true }));
        frame.rowBox(1)->setChecked(true); // checking by hand leaves "All" unchecked
        QVERIFY(!frame.child<QCheckBox>("AllCheckBtn")->isChecked());
        frame.checkAll();
        frame.checkAll();
        QCOMPARE(frame.checks(), (QList<bool> { false, false, false }));
    }

    void restoreOnlyTogetherWithReboot()
    {
        TestFrame frame;
        auto *reboot = frame.child<QCheckBox>("checkReboot");
        auto *restore = frame.child<QCheckBox>("checkRestore");
        reboot->click();
        QVERIFY(restore->isVisibleTo(&frame));
        restore->click();
        QVERIFY(restore->isChecked());
        reboot->click();
        QVERIFY(!restore->isVisibleTo(&frame));
        QVERIFY(!restore->isChecked());
    }

    void browseAsksForFileOrDirectory()
    {
        TestFrame frame;
        auto *path = frame.child<QLineEdit>("editFilePath");
        auto *browse = frame.child<QPushButton>("browseFileBtn");
        path->setText(QStringLiteral("typed"));
        frame.child<QRadioButton>("radioDir")->click();
        QCOMPARE(path->text(), QString()); // switching the mode clears the path
        frame.chosen = QStringLiteral("/images");
        browse->click();
        QCOMPARE(path->text(), QStringLiteral("/images"));
        frame.chosen.clear(); // cancelled: the path stays
        browse->click();
        QCOMPARE(path->text(), QStringLiteral("/images"));
        frame.child<QRadioButton>("radioFile")->click();
        QCOMPARE(path->text(), QString());
        frame.chosen = QStringLiteral("/images/a.dav");
        browse->click();
        QCOMPARE(path->text(), QStringLiteral("/images/a.dav"));
        QCOMPARE(frame.dialogs, (QStringList { "directory", "directory", "file" }));
    }

    // What a start refuses before it reaches any device; a path it accepts
    // goes on to the device check.
    void startRefusesBadInput_data()
    {
        QTest::addColumn<bool>("directory");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("message");
        const QString none = QStringLiteral("Please select device");
        QTest::newRow("no path") << false << "" << "Please select firmware or directory";
        QTest::newRow("file of 260 bytes") << false << "/" + QString(259, 'f') << none;
        QTest::newRow("file of 261 bytes")
            << false << "/" + QString(260, 'f') << "File path length exceeds limit";
        // 87 characters of three bytes each in the local 8-bit encoding.
        QTest::newRow("file of 261 bytes in 87 characters")
            << false << QString(87, QChar(0x5357)) << "File path length exceeds limit";
        QTest::newRow("directory of 210 bytes") << true << "/" + QString(209, 'd') << none;
        QTest::newRow("directory of 211 bytes")
            << true << "/" + QString(210, 'd') << "Directory path length exceeds limit";
        QTest::newRow("file path of 211 bytes") << false << "/" + QString(210, 'f') << none;
    }

    void startRefusesBadInput()
    {
        QFETCH(bool, directory);
        QFETCH(QString, path);
        QFETCH(QString, message);
        TestFrame frame;
        frame.SetDevices({ testDevice("A", "127.0.83.250") }); // listed, not checked
        frame.clickStart(path, directory);
        QCOMPARE(frame.boxes, QStringList { "Warning|" + message });
        QVERIFY(!frame.IsUpgrading());
        QCOMPARE(frame.column(CUpgradeFrame::StateColumn), QStringList { "Not upgraded" });
    }

    void stateTexts_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("text");
        const QStringList texts { "Wait Upgrading", "Upgrade succeed", "Upgrading...",
            "Upgrade Failed", "Unknown upgrade state", "Language Mismatch", "Failed to login",
            "Failed to get upgrade file name from device",
            "Device does not support upgrading from a directory", "Cannot find firmware",
            "Upgrade succeed, reconnecting to device...",
            "Upgrade succeed, reconnect to device succeed",
            "Upgrade succeed, restore default settings succeed",
            "Upgrade succeed, reconnect to device failed" };
        for (int state = 0; state < texts.size(); ++state) {
            QTest::addRow("%d", state) << state << texts[state];
        }
        QTest::newRow("no state") << 14 << QString();
        QTest::newRow("unknown index") << -1 << QString();
    }

    void stateTexts()
    {
        QFETCH(int, state);
        QFETCH(QString, text);
        QCOMPARE(UpgradeStateText(state), text);
    }

    void loginFailuresEndTheBatchOnTheFirstTick()
    {
        auto fleet = start(First, FleetPort, 3, [](devsim::FleetOptions &options) {
            options.passwords.insert(0, "other");
            options.passwords.insert(1, "other");
        });
        QVERIFY(fleet);
        TestFrame frame;
        frame.setTiming(std::make_shared<FastTiming>(20));
        // Camera 1 was found by the IP-range search with a wrong password of
        // its own, camera 2 is left out.
        frame.SetDevices(listed(*fleet, 3, 1, "wrong"));
        frame.rowBox(0)->setChecked(true);
        frame.rowBox(1)->setChecked(true);
        frame.clickStart(writeImage(m_images, "logins.dav", descriptionOf(*fleet, 0)));
        QVERIFY(frame.IsUpgrading());
        QVERIFY(!frame.idleLook());
        QVERIFY(!frame.rowBox(2)->isEnabled());
        QTRY_VERIFY(!frame.IsUpgrading());
        QCOMPARE(frame.column(CUpgradeFrame::StateColumn),
            (QStringList { "Failed to login", "Failed to login", "Not upgraded" }));
        QCOMPARE(frame.checks(), (QList<bool> { true, true, false }));
        QVERIFY(frame.idleLook());
        QCOMPARE(frame.child<QPushButton>("upgradeBtn")->text(), QStringLiteral("Start Upgrade"));
        QCOMPARE(frame.boxes, QStringList());
    }

    void stopLeavesUnfinishedRowsAtUpgradeEnd()
    {
        // Sixteen uploads stall, the seventeenth device waits for a slot.
        auto fleet = start(First, FleetPort, 17, [](devsim::FleetOptions &options) {
            for (int i = 0; i < 17; ++i) {
                options.faults[i].upgradeStallPercent = 0;
            }
        });
        QVERIFY(fleet);
        const QString directory = m_images.filePath(QStringLiteral("stop"));
        QStringList written;
        QVERIFY(devsim::writeFirmwareDirectory(directory, versionCode(NewVersion),
            devsim::encodeBuildDate(QDate(2027, 3, 14)), 64 * 1024, &written, nullptr));
        TestFrame frame;
        frame.setTiming(std::make_shared<FastTiming>(20));
        frame.SetDevices(listed(*fleet, 17));
        frame.checkAll();
        frame.clickStart(directory, true);
        QVERIFY(frame.IsUpgrading());
        QTRY_COMPARE(frame.column(CUpgradeFrame::StateColumn).count("Upgrading..."), 16);

        frame.answerOk = false;
        frame.child<QPushButton>("upgradeBtn")->click();
        QCOMPARE(frame.warnings,
            QStringList { "Warning|Terminate the upgrade may cause the device can not start, "
                          "continue?" });
        QVERIFY(frame.IsUpgrading());
        frame.answerOk = true;
        frame.child<QPushButton>("upgradeBtn")->click();
        QVERIFY(!frame.IsUpgrading());
        QCOMPARE(frame.column(CUpgradeFrame::StateColumn), QStringList(17, "Upgrade End"));
        QVERIFY(frame.idleLook());
        QVERIFY(frame.rowBox(16)->isEnabled());
        QVERIFY(!frame.EndUpgrade(true)); // nothing left to end
        for (int i = 0; i < 17; ++i) {
            QTRY_COMPARE(fleet->sessionCount(i), 0);
        }
    }

    void restoredRowsEndUncheckedWithTheirLastState()
    {
        auto fleet = start(First, FleetPort, 2);
        QVERIFY(fleet);
        TestFrame frame;
        // The reconnection schedule in a few tenths of a second.
        frame.setTiming(std::make_shared<FastTiming>(1000));
        frame.SetDevices(listed(*fleet, 2, 1, "60917"));
        frame.checkAll();
        frame.child<QCheckBox>("checkReboot")->click();
        frame.child<QCheckBox>("checkRestore")->click();
        const QString directory = m_images.filePath(QStringLiteral("restore"));
        QStringList written;
        QVERIFY(devsim::writeFirmwareDirectory(directory, versionCode(NewVersion),
            devsim::encodeBuildDate(QDate(2027, 3, 14)), 64 * 1024, &written, nullptr));
        frame.clickStart(directory, true);
        QVERIFY(frame.IsUpgrading());
        QTRY_VERIFY_WITH_TIMEOUT(!frame.IsUpgrading(), 30000);
        QCOMPARE(frame.column(CUpgradeFrame::StateColumn),
            QStringList(2, "Upgrade succeed, restore default settings succeed"));
        QCOMPARE(frame.checks(), (QList<bool> { false, false }));
        QTRY_COMPARE(reportedVersion(*fleet, 0), versionCode(NewVersion));
        QTRY_COMPARE(reportedVersion(*fleet, 1), versionCode(NewVersion));
    }
};

QTEST_MAIN(TestUpgradeFrame)
#include "tst_upgradeframe.moc"
