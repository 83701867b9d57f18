#include "cardworker.h"
#include "devicelistmodel.h"
#include "devicestore.h"
#include "maintablewithmend.h"
#include "tervix.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

namespace {

DEVICEINFO device(const char *serial, const char *ip)
{
    DEVICEINFO record {};
    CopyDeviceText(record.szSerialNo, serial);
    CopyDeviceText(record.szIPAddress, ip);
    CopyDeviceText(record.szSubnetMask, "255.255.255.0");
    record.wPort = 8000;
    return record;
}

// The window with its message boxes and the desktop recorded, not shown.
class RecordingTervix : public Tervix
{
public:
    QStringList titles;
    QStringList messages;
    QList<QUrl> opened;

protected:
    void showInformation(const QString &title, const QString &text) override
    {
        titles << title;
        messages << text;
    }
    void openHelpUrl(const QUrl &url) override { opened << url; }
};

class CountingDevicePage : public DevicePageHooks
{
public:
    QList<int> handed;
    QByteArray shown;
    void SetDevice(int slot, const DEVICEINFO &record) override
    {
        handed << slot;
        shown = record.szSerialNo;
    }
    bool IsSameDevice(const char *serial) const override { return shown == serial; }
};

class FakeBatchPage : public BatchPageHooks
{
public:
    bool running = false;
    int clears = 0;
    QStringList serials;
    bool IsRunning() const override { return running; }
    void ClearDevices() override
    {
        ++clears;
        serials.clear();
    }
    void SetDevices(const std::vector<DEVICEINFO> &devices) override
    {
        for (const DEVICEINFO &record : devices) {
            serials << QString::fromLatin1(record.szSerialNo);
        }
    }
};

class CountingPreviewPage : public PreviewPageHooks
{
public:
    int stops = 0;
    void stopRealplay() override { ++stops; }
};

class WorkingCardWorker : public CardWorker
{
protected:
    void run() override { finishRun(true); }
};

} // namespace

class TestTervix : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void windowHasFivePagesInOrder();
    void defaultsAreFilledIn();
    void reportsAddUpdateAndRemoveRows();
    void unknownRemovalAndOtherTypesChangeNothing();
    void checkCountingFollowsTheMarks();
    void removingACheckedRowLowersTheCount();
    void otherDataOfTheCheckCellIsNotCounted();
    void logKeepsAtMost201Lines();
    void logLineFormat();
    void credentialsAreByteBounded_data();
    void credentialsAreByteBounded();
    void closeRefusalOrder_data();
    void closeRefusalOrder();
    void localeLogo_data();
    void localeLogo();
    void pictureResourcesLoad();
    void narrowTableHandsTheSameDeviceOverOnce();
    void reusedSlotWithAnotherDeviceIsHandedOver();
    void wideTableHandsNothingOver();
    void focusTableHandsOverEveryTime();
    void newRowOfTheShownDeviceIsSelected();
    void enteringABatchPageRefillsItUnlessRunning();
    void leavingAPageStopsItsPreviews();
    void cardsFailWithoutCardLibrary();
    void cardsComeUpAndGoDown();
    void previewCountingLocksCardBoxes();
    void helpOpensTheIndexFromTheWorkingDirectory();
    void missingHelpIsReported();

private:
    void addDevice(const char *serial, const char *ip);
    void clickRow(QTableView *view, int row);
    QCheckBox *box(const char *name) const
    {
        return m_window->findChild<QCheckBox *>(QLatin1String(name));
    }
    QListWidget *logList() const
    {
        return m_window->findChild<QListWidget *>(QStringLiteral("listWidget"));
    }

    std::unique_ptr<RecordingTervix> m_window;
};

void TestTervix::init()
{
    m_window = std::make_unique<RecordingTervix>();
}

void TestTervix::cleanup()
{
    m_window.reset();
    QVERIFY(tervixServices() == nullptr);
}

void TestTervix::addDevice(const char *serial, const char *ip)
{
    m_window->DeviceCallback(new DEVICEINFO(device(serial, ip)), DeviceReportAddOrUpdate);
}

void TestTervix::clickRow(QTableView *view, int row)
{
    const QModelIndex index = view->model()->index(row, 1);
    view->scrollTo(index);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
}

void TestTervix::windowHasFivePagesInOrder()
{
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Tervix"));
    QVERIFY(tervixServices() == m_window.get());
    auto *tabs = m_window->findChild<QTabWidget *>(QStringLiteral("MaintabWidget"));
    QVERIFY(tabs != nullptr);
    QCOMPARE(tabs->count(), 5);
    const QStringList texts { "Parameter Configuration", "Batch Set", "Batch Upgrade",
        "Auxiliary Zoom", "Lens Selection" };
    for (int i = 0; i < texts.size(); ++i) {
        QCOMPARE(tabs->tabText(i), texts.at(i));
    }
    for (const char *name :
        { "ConfigFrame", "BatchconfigFrame", "UpgradeFrame", "AdjustFrame", "TableViewForConfig",
            "TableViewForAdjust", "frameLogo", "labelHelp", "SearchButton" }) {
        QVERIFY2(m_window->findChild<QWidget *>(QLatin1String(name)) != nullptr, name);
    }
}

void TestTervix::defaultsAreFilledIn()
{
    QCOMPARE(QByteArray(m_window->defaultUserName()), QByteArray("admin"));
    QCOMPARE(QByteArray(m_window->defaultPassword()), QByteArray("60917"));
    QVERIFY(m_window->isOnConfigPage());
    QVERIFY(!m_window->isConfigTableWide());
    m_window->show();
    QVERIFY(m_window->isConfigTableWide());
    QVERIFY(!m_window->isFocusTableWide());
}

void TestTervix::reportsAddUpdateAndRemoveRows()
{
    QStandardItemModel *model = m_window->deviceModel();
    addDevice("A", "192.168.1.10");
    addDevice("B", "192.168.1.11");
    QCOMPARE(model->rowCount(), 2);
    QCOMPARE(m_window->deviceNumber(), 2);
    QCOMPARE(DeviceList::SlotOfRow(model, 1), 1);

    // Identical repeat: nothing changes.
    addDevice("A", "192.168.1.10");
    QCOMPARE(model->rowCount(), 2);

    // A new address rewrites the row in place.
    addDevice("A", "192.168.1.20");
    QCOMPARE(model->rowCount(), 2);
    const int ipColumn = DeviceList::FindColumn(model, DeviceList::IpHeader());
    QCOMPARE(model->index(0, ipColumn).data().toString(), QStringLiteral("192.168.1.20"));

    m_window->DeviceCallback(new DEVICEINFO(device("A", "")), DeviceReportRemove);
    QCOMPARE(model->rowCount(), 1);
    QCOMPARE(m_window->deviceNumber(), 1);
    QCOMPARE(m_window->deviceStore()->Find("A"), -1);

    // The next new device takes the freed slot.
    addDevice("C", "192.168.1.12");
    QCOMPARE(DeviceList::SlotOfRow(model, 1), 0);
}

void TestTervix::unknownRemovalAndOtherTypesChangeNothing()
{
    addDevice("A", "192.168.1.10");
    m_window->DeviceCallback(new DEVICEINFO(device("Z", "")), DeviceReportRemove);
    m_window->DeviceCallback(new DEVICEINFO(device("A", "")), 5);
    m_window->DeviceCallback(new DEVICEINFO(device("N", "1.1.1.1")), 1);
    QCOMPARE(m_window->deviceModel()->rowCount(), 1);
    QCOMPARE(m_window->deviceStore()->SlotCount(), 1);
    QCOMPARE(m_window->deviceStore()->Find("A"), 0);
}

void TestTervix::checkCountingFollowsTheMarks()
{
    m_window->TableshowInConfig();
    for (const char *serial : { "A", "B", "C" }) {
        addDevice(serial, "10.0.0.1");
    }
    QStandardItemModel *model = m_window->deviceModel();
    CMainTableWithMend *table = m_window->configTable();
    QCOMPARE(m_window->checkedCount(), 0);

    model->item(0, 0)->setCheckState(Qt::Checked);
    QCOMPARE(m_window->checkedCount(), 1);
    QVERIFY(table->IsBatchPanelShown());
    QVERIFY(!table->IsSinglePanelShown());
    QVERIFY(!table->IsAllChecked());
    // The narrow focus table does not show its batch panel.
    QVERIFY(!m_window->focusTable()->IsBatchPanelShown());

    model->item(1, 0)->setCheckState(Qt::Checked);
    model->item(2, 0)->setCheckState(Qt::Checked);
    QCOMPARE(m_window->checkedCount(), 3);
    QVERIFY(table->IsAllChecked());
    QVERIFY(m_window->focusTable()->IsAllChecked());

    table->AllCheckStatChanges(false);
    QCOMPARE(m_window->checkedCount(), 0);
    QVERIFY(!table->IsBatchPanelShown());
    QVERIFY(!table->IsAllChecked());
}

void TestTervix::removingACheckedRowLowersTheCount()
{
    m_window->TableshowInConfig();
    addDevice("A", "10.0.0.1");
    addDevice("B", "10.0.0.2");
    m_window->deviceModel()->item(1, 0)->setCheckState(Qt::Checked);
    QVERIFY(m_window->configTable()->IsBatchPanelShown());

    m_window->DeviceCallback(new DEVICEINFO(device("B", "")), DeviceReportRemove);
    QCOMPARE(m_window->checkedCount(), 0);
    QVERIFY(!m_window->configTable()->IsBatchPanelShown());
}

void TestTervix::otherDataOfTheCheckCellIsNotCounted()
{
    addDevice("A", "10.0.0.1");
    QStandardItem *check = m_window->deviceModel()->item(0, 0);
    check->setCheckState(Qt::Checked);
    check->setFlags(check->flags() | Qt::ItemIsSelectable);
    check->setToolTip(QStringLiteral("checked"));
    QCOMPARE(m_window->checkedCount(), 1);
}

void TestTervix::logKeepsAtMost201Lines()
{
    for (int i = 0; i < 250; ++i) {
        m_window->Log(QStringLiteral("line %1").arg(i));
        QVERIFY(logList()->count() <= Tervix::MaxLogLines);
    }
    QCOMPARE(logList()->count(), 201);
    QVERIFY(logList()->item(0)->text().endsWith(QStringLiteral("] line 49")));
    QVERIFY(logList()->item(200)->text().endsWith(QStringLiteral("] line 249")));
}

void TestTervix::logLineFormat()
{
    QCOMPARE(Tervix::formatLogLine(
                 QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)), QStringLiteral("Start Search!")),
        QStringLiteral("[2026-01-02 03:04:05] Start Search!"));
    m_window->Log(QStringLiteral("hello"));
    const QRegularExpression line(
        QStringLiteral("^\\[\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}\\] hello$"));
    QVERIFY(line.match(logList()->item(0)->text()).hasMatch());

    // A line from a worker thread arrives on the window's thread.
    std::thread worker([this] { m_window->Log(QStringLiteral("from worker")); });
    worker.join();
    QTRY_COMPARE(logList()->count(), 2);
}

void TestTervix::credentialsAreByteBounded_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("stored");

    QTest::newRow("user 40 ascii")
        << "UserNamelineEdit" << QString(40, QLatin1Char('u')) << QByteArray(32, 'u');
    QTest::newRow("user 11 chinese") << "UserNamelineEdit" << QString(11, QChar(0x7ba1))
                                     << QString(10, QChar(0x7ba1)).toLocal8Bit();
    QTest::newRow("password 20") << "PasswordlineEdit" << QString(20, QLatin1Char('9'))
                                 << QByteArray(16, '9');
    QTest::newRow("password multibyte")
        << "PasswordlineEdit" << QStringLiteral("pass") + QString(5, QChar(0x5bc6))
        << (QStringLiteral("pass") + QString(4, QChar(0x5bc6))).toLocal8Bit();
    QTest::newRow("password emptied") << "PasswordlineEdit"
                                      << "" << QByteArray();
}

void TestTervix::credentialsAreByteBounded()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QByteArray, stored);

    m_window->findChild<QLineEdit *>(field)->setText(typed);
    const char *value = field.startsWith(QLatin1String("User")) ? m_window->defaultUserName()
                                                                : m_window->defaultPassword();
    QCOMPARE(QByteArray(value), stored);
}

void TestTervix::closeRefusalOrder_data()
{
    QTest::addColumn<bool>("batchSet");
    QTest::addColumn<bool>("upgrade");
    QTest::addColumn<bool>("cameraPreview");
    QTest::addColumn<bool>("focusPreview");
    QTest::addColumn<QString>("message");

    QTest::newRow("all running") << true << true << true << true << "Batch Set Incomplete!";
    QTest::newRow("batch set and upgrade")
        << true << true << false << false << "Batch Set Incomplete!";
    QTest::newRow("upgrade and previews")
        << false << true << true << true << "Batch Upgrade Incomplete!";
    QTest::newRow("both previews")
        << false << false << true << true << "Camera parameters preview unclosed!";
    QTest::newRow("focus preview")
        << false << false << false << true << "Auxiliary zoom preview unclosed!";
    QTest::newRow("idle") << false << false << false << false << "";
}

void TestTervix::closeRefusalOrder()
{
    QFETCH(bool, batchSet);
    QFETCH(bool, upgrade);
    QFETCH(bool, cameraPreview);
    QFETCH(bool, focusPreview);
    QFETCH(QString, message);

    FakeBatchPage batchPage;
    FakeBatchPage upgradePage;
    batchPage.running = batchSet;
    upgradePage.running = upgrade;
    m_window->setBatchConfigPage(&batchPage);
    m_window->setUpgradePage(&upgradePage);
    m_window->setCameraPreviewRunning(cameraPreview);
    m_window->setFocusPreviewRunning(focusPreview);
    m_window->show();
    // Only the close's own message counts here.
    m_window->titles.clear();
    m_window->messages.clear();

    QCloseEvent event;
    QCoreApplication::sendEvent(m_window.get(), &event);
    if (message.isEmpty()) {
        QVERIFY(event.isAccepted());
        QVERIFY(m_window->messages.isEmpty());
    } else {
        QVERIFY(!event.isAccepted());
        QCOMPARE(m_window->messages, QStringList { message });
        QCOMPARE(m_window->titles, QStringList { QStringLiteral("Warning!") });
    }
}

void TestTervix::localeLogo_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("picture");

    QTest::newRow("chinese") << "zh_CN"
                             << "logo_ch.bmp";
    QTest::newRow("english") << "en_US"
                             << "logo_eg.bmp";
    QTest::newRow("taiwan") << "zh_TW"
                            << "logo_eg.bmp";
    QTest::newRow("german") << "de_DE"
                            << "logo_eg.bmp";
    QTest::newRow("c locale") << "C"
                              << "logo_eg.bmp";
}

void TestTervix::localeLogo()
{
    QFETCH(QString, locale);
    QFETCH(QString, picture);
    QCOMPARE(Tervix::logoStyleSheet(locale),
        QStringLiteral("border-image: url(:/Tervix/icon/%1);").arg(picture));
}

void TestTervix::pictureResourcesLoad()
{
    for (const char *name : { "Play.png", "Stop.png", "In.png", "Out.png", "IPCLogin.png",
             "IPCLogfail.png", "IPCNew.png", "IPCPreview.png", "IPCLogo.ico", "Logo1.png",
             "logo_ch.bmp", "logo_eg.bmp", "tab.bmp", "tabsel.bmp", "backGround.png", "SimuIPC.png",
             "treeNear.png", "treeFar.png", "arrow_left_right.png", "arrow_up_down.png" }) {
        const QString path = QStringLiteral(":/Tervix/icon/") + QLatin1String(name);
        QVERIFY2(!QPixmap(path).isNull(), name);
    }
}

void TestTervix::narrowTableHandsTheSameDeviceOverOnce()
{
    CountingDevicePage page;
    m_window->setConfigPage(&page);
    m_window->show();
    addDevice("A", "10.0.0.1");
    addDevice("B", "10.0.0.2");
    m_window->TablehideInConfig();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));

    QTableView *view = m_window->configTable()->tableView();
    clickRow(view, 0);
    clickRow(view, 0);
    QCOMPARE(page.handed, QList<int> { 0 });
    QCOMPARE(m_window->SlotOfCurrentRow(TervixServices::ConfigTable), 0);
    clickRow(view, 1);
    clickRow(view, 0);
    QCOMPARE(page.handed, (QList<int> { 0, 1, 0 }));
}

void TestTervix::reusedSlotWithAnotherDeviceIsHandedOver()
{
    CountingDevicePage page;
    m_window->setConfigPage(&page);
    m_window->show();
    addDevice("A", "10.0.0.1");
    m_window->TablehideInConfig();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QTableView *view = m_window->configTable()->tableView();
    clickRow(view, 0);

    m_window->DeviceCallback(new DEVICEINFO(device("A", "")), DeviceReportRemove);
    addDevice("B", "10.0.0.2");
    clickRow(view, 0);
    QCOMPARE(page.handed, (QList<int> { 0, 0 }));
    QCOMPARE(page.shown, QByteArray("B"));
}

void TestTervix::wideTableHandsNothingOver()
{
    CountingDevicePage page;
    m_window->setConfigPage(&page);
    m_window->show();
    addDevice("A", "10.0.0.1");
    QVERIFY(m_window->isConfigTableWide());
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    clickRow(m_window->configTable()->tableView(), 0);
    QVERIFY(page.handed.isEmpty());
    // Shrinking hands over the current device.
    m_window->TablehideInConfig();
    QCOMPARE(page.handed, QList<int> { 0 });
}

void TestTervix::focusTableHandsOverEveryTime()
{
    CountingDevicePage page;
    m_window->setFocusPage(&page);
    m_window->show();
    addDevice("A", "10.0.0.1");
    m_window->findChild<QTabWidget *>(QStringLiteral("MaintabWidget"))->setCurrentIndex(3);
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QTableView *view = m_window->focusTable()->tableView();
    clickRow(view, 0);
    clickRow(view, 0);
    QCOMPARE(page.handed, (QList<int> { 0, 0 }));
    QVERIFY(!m_window->isOnConfigPage());
}

void TestTervix::newRowOfTheShownDeviceIsSelected()
{
    CountingDevicePage page;
    page.shown = "B";
    m_window->setConfigPage(&page);
    addDevice("A", "10.0.0.1");
    addDevice("B", "10.0.0.2");
    const QModelIndexList selected
        = m_window->configTable()->tableView()->selectionModel()->selectedRows();
    QCOMPARE(selected.size(), 1);
    QCOMPARE(selected.first().row(), 1);
}

void TestTervix::enteringABatchPageRefillsItUnlessRunning()
{
    FakeBatchPage batchPage;
    FakeBatchPage upgradePage;
    m_window->setBatchConfigPage(&batchPage);
    m_window->setUpgradePage(&upgradePage);
    for (const char *serial : { "A", "B", "C" }) {
        addDevice(serial, "10.0.0.1");
    }
    m_window->DeviceCallback(new DEVICEINFO(device("A", "")), DeviceReportRemove);
    addDevice("D", "10.0.0.4"); // takes slot 0

    m_window->tabPageChanges(1);
    QCOMPARE(batchPage.clears, 1);
    QCOMPARE(batchPage.serials, (QStringList { "D", "B", "C" }));
    QCOMPARE(upgradePage.clears, 0);

    upgradePage.running = true;
    m_window->tabPageChanges(2);
    QCOMPARE(upgradePage.clears, 0);
    upgradePage.running = false;
    m_window->tabPageChanges(2);
    QCOMPARE(upgradePage.serials, (QStringList { "D", "B", "C" }));
}

void TestTervix::leavingAPageStopsItsPreviews()
{
    CountingPreviewPage camera;
    CountingPreviewPage focus;
    m_window->setCameraPreviewPage(&camera);
    m_window->setFocusPreviewPage(&focus);

    m_window->tabPageChanges(4);
    QCOMPARE(camera.stops + focus.stops, 0);

    m_window->setCameraPreviewRunning(true);
    m_window->setFocusPreviewRunning(true);
    m_window->tabPageChanges(3);
    QCOMPARE(camera.stops, 1);
    QCOMPARE(focus.stops, 0);
    m_window->tabPageChanges(0);
    QCOMPARE(focus.stops, 1);
    m_window->tabPageChanges(1);
    QCOMPARE(camera.stops, 2);
    QCOMPARE(focus.stops, 2);
}

void TestTervix::cardsFailWithoutCardLibrary()
{
    QSignalSpy bnc(m_window.get(), &Tervix::BNCPreviewEnable);

    box("checkBoxMDCard")->click();
    QVERIFY(!box("checkBoxMDCard")->isChecked());
    QVERIFY(!m_window->cardsInitialised());
    QCOMPARE(
        m_window->messages, QStringList { QStringLiteral("Failed to initialize decode card") });
    QCOMPARE(m_window->titles, QStringList { QStringLiteral("Error") });
    QVERIFY(logList()
                ->item(logList()->count() - 1)
                ->text()
                .endsWith(QStringLiteral("] Failed to initialize decode card!")));

    box("checkBoxBNC")->click();
    QVERIFY(!box("checkBoxBNC")->isChecked());
    QCOMPARE(m_window->messages.last(), QStringLiteral("Failed to initialize encode card"));
    QCOMPARE(bnc.count(), 1);
    QCOMPARE(bnc.first().first().toBool(), false);
}

void TestTervix::cardsComeUpAndGoDown()
{
    m_window->setCardWorker(std::make_unique<WorkingCardWorker>());
    QSignalSpy bnc(m_window.get(), &Tervix::BNCPreviewEnable);

    box("checkBoxMDCard")->click();
    QVERIFY(box("checkBoxMDCard")->isChecked());
    QVERIFY(m_window->cardsInitialised());
    QCOMPARE(logList()->count(), 2);
    QVERIFY(
        logList()->item(0)->text().endsWith(QStringLiteral("Succeed to initialize encoder card!")));
    QVERIFY(
        logList()->item(1)->text().endsWith(QStringLiteral("Succeed to initialize decode card!")));

    // BNC on cards already up: MD is unticked, BNC preview enabled.
    box("checkBoxBNC")->click();
    QVERIFY(!box("checkBoxMDCard")->isChecked());
    QCOMPARE(bnc.count(), 1);
    QCOMPARE(bnc.takeFirst().first().toBool(), true);
    QCOMPARE(logList()->count(), 2);

    box("checkBoxBNC")->click();
    QVERIFY(!m_window->cardsInitialised());
    QCOMPARE(bnc.takeFirst().first().toBool(), false);
    QVERIFY(m_window->messages.isEmpty());
}

void TestTervix::previewCountingLocksCardBoxes()
{
    m_window->RealPlayChange(true);
    m_window->RealPlayChange(true);
    QVERIFY(!box("checkBoxMDCard")->isEnabled());
    QVERIFY(!box("checkBoxBNC")->isEnabled());
    m_window->RealPlayChange(false);
    QVERIFY(!box("checkBoxBNC")->isEnabled());
    m_window->RealPlayChange(false);
    QVERIFY(box("checkBoxMDCard")->isEnabled());
    QVERIFY(box("checkBoxBNC")->isEnabled());
    m_window->RealPlayChange(false);
    QCOMPARE(m_window->previewsRunning(), 0);
    m_window->RealPlayChange(true);
    QVERIFY(!box("checkBoxBNC")->isEnabled());
}

void TestTervix::helpOpensTheIndexFromTheWorkingDirectory()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QVERIFY(QDir(folder.path()).mkpath(QStringLiteral("Help")));
    QFile index(folder.filePath(QStringLiteral("Help/index.html")));
    QVERIFY(index.open(QIODevice::WriteOnly));
    index.close();
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(folder.path()));

    m_window->HelpLinkActived(QStringLiteral("index.html"));
    QDir::setCurrent(previous);
    QCOMPARE(m_window->opened.size(), 1);
    QVERIFY(m_window->opened.first().isLocalFile());
    QCOMPARE(QFileInfo(m_window->opened.first().toLocalFile()).canonicalFilePath(),
        QFileInfo(index.fileName()).canonicalFilePath());
}

void TestTervix::missingHelpIsReported()
{
    QTemporaryDir folder;
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(folder.path()));
    // The test program's own folder holds no help pages either.
    m_window->HelpLinkActived(QStringLiteral("index.html"));
    QDir::setCurrent(previous);
    QVERIFY(m_window->opened.isEmpty());
    QCOMPARE(m_window->messages.size(), 1);
}

QTEST_MAIN(TestTervix)
#include "tst_tervix.moc"
