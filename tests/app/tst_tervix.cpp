#include "cardworker.h"
#include "devicelistmodel.h"
#include "maintablewithmend.h"
#include "tervix.h"
#include "testdevice.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
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

#include <thread>

namespace {

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

class FakeDevicePage : public DevicePageHooks, public PreviewPageHooks
{
public:
    QList<int> handed;
    QByteArray shown;
    int stops = 0;
    void SetDevice(int slot, const DEVICEINFO &record) override
    {
        handed << slot;
        shown = record.szSerialNo;
    }
    bool IsSameDevice(const char *serial) const override { return shown == serial; }
    void stopRealplay() override { ++stops; }
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
    void init() { m_window = std::make_unique<RecordingTervix>(); }
    void cleanup();

    void freshWindowHasPagesAndDefaults();
    void reportsAddUpdateAndRemoveRows();
    void checkCountFollowsTheMarksOnly();
    void logKeepsAtMost201FormattedLines();
    void credentialsAreByteBounded_data();
    void credentialsAreByteBounded();
    void closeRefusalOrder_data();
    void closeRefusalOrder();
    void localeLogo_data();
    void localeLogo();
    void pictureResourcesLoad();
    void configTableHandsOverOnlyANewPick();
    void focusTableHandsOverEveryPick();
    void newRowOfTheShownDeviceIsSelected();
    void enteringABatchPageRefillsItUnlessRunning();
    void leavingAPageStopsItsPreviews_data();
    void leavingAPageStopsItsPreviews();
    void cardsFailWithoutCardLibrary();
    void cardsComeUpAndGoDown();
    void previewCountingLocksCardBoxes();
    void helpIndex_data();
    void helpIndex();

private:
    void add(const char *serial, const char *ip = "10.0.0.1")
    {
        m_window->DeviceCallback(new DEVICEINFO(testDevice(serial, ip)), DeviceReportAddOrUpdate);
    }
    void remove(const char *serial)
    {
        m_window->DeviceCallback(new DEVICEINFO(testDevice(serial, "")), DeviceReportRemove);
    }
    void clickRow(CMainTableWithMend *table, int row)
    {
        QTableView *view = table->tableView();
        const QModelIndex index = view->model()->index(row, 1);
        view->scrollTo(index);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
    }
    QCheckBox *box(const char *name) const { return m_window->findChild<QCheckBox *>(name); }
    QListWidget *logList() const { return m_window->findChild<QListWidget *>("listWidget"); }
    QTabWidget *tabs() const { return m_window->findChild<QTabWidget *>("MaintabWidget"); }

    std::unique_ptr<RecordingTervix> m_window;
};

void TestTervix::cleanup()
{
    m_window.reset();
    QVERIFY(tervixServices() == nullptr);
}

void TestTervix::freshWindowHasPagesAndDefaults()
{
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Tervix"));
    QVERIFY(tervixServices() == m_window.get());
    QStringList texts;
    for (int i = 0; i < tabs()->count(); ++i) {
        texts << tabs()->tabText(i);
    }
    QCOMPARE(texts,
        (QStringList { "Parameter Configuration", "Batch Set", "Batch Upgrade", "Auxiliary Zoom",
            "Lens Selection" }));
    QCOMPARE(QByteArray(m_window->defaultUserName()), QByteArray("admin"));
    QCOMPARE(QByteArray(m_window->defaultPassword()), QByteArray("60917"));
    QVERIFY(m_window->isOnConfigPage());
    m_window->show();
    QVERIFY(m_window->isConfigTableWide());
    QVERIFY(!m_window->isFocusTableWide());
}

void TestTervix::reportsAddUpdateAndRemoveRows()
{
    QStandardItemModel *model = m_window->deviceModel();
    const int ipColumn = DeviceList::FindColumn(model, DeviceList::IpHeader());
    add("A", "192.168.1.10");
    add("B", "192.168.1.11");
    add("A", "192.168.1.10"); // identical repeat
    QCOMPARE(model->rowCount(), 2);
    QCOMPARE(m_window->deviceNumber(), 2);
    QCOMPARE(DeviceList::SlotOfRow(model, 1), 1);

    add("A", "192.168.1.20"); // a new address rewrites the row in place
    QCOMPARE(model->rowCount(), 2);
    QCOMPARE(model->index(0, ipColumn).data().toString(), QStringLiteral("192.168.1.20"));

    // Unknown removals and other report types change nothing.
    remove("Z");
    m_window->DeviceCallback(new DEVICEINFO(testDevice("A")), 5);
    m_window->DeviceCallback(new DEVICEINFO(testDevice("N")), 1);
    m_window->DeviceCallback(nullptr, DeviceReportAddOrUpdate);
    QCOMPARE(model->rowCount(), 2);
    QCOMPARE(m_window->deviceStore()->SlotCount(), 2);

    remove("A");
    QCOMPARE(model->rowCount(), 1);
    QCOMPARE(m_window->deviceNumber(), 1);
    QCOMPARE(m_window->deviceStore()->Find("A"), -1);
    add("C", "192.168.1.12"); // takes the freed slot
    QCOMPARE(DeviceList::SlotOfRow(model, 1), 0);
}

void TestTervix::checkCountFollowsTheMarksOnly()
{
    m_window->TableshowInConfig();
    for (const char *serial : { "A", "B", "C" }) {
        add(serial);
    }
    QStandardItemModel *model = m_window->deviceModel();
    CMainTableWithMend *table = m_window->configTable();
    QCOMPARE(m_window->checkedCount(), 0);

    model->item(0, 0)->setCheckState(Qt::Checked);
    // Other data of the check cell is not a check change.
    model->item(0, 0)->setFlags(model->item(0, 0)->flags() | Qt::ItemIsSelectable);
    model->item(0, 0)->setToolTip(QStringLiteral("checked"));
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

    // Removing a checked row lowers the count.
    remove("C");
    QCOMPARE(m_window->checkedCount(), 2);
    QVERIFY(table->IsAllChecked());
    table->AllCheckStatChanges(false);
    QCOMPARE(m_window->checkedCount(), 0);
    QVERIFY(!table->IsBatchPanelShown());
    QVERIFY(!table->IsAllChecked());

    model->item(1, 0)->setCheckState(Qt::Checked);
    remove("B");
    QCOMPARE(m_window->checkedCount(), 0);
    QVERIFY(!table->IsBatchPanelShown());
}

void TestTervix::logKeepsAtMost201FormattedLines()
{
    QCOMPARE(Tervix::formatLogLine(QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)), "Start Search!"),
        QStringLiteral("[2026-01-02 03:04:05] Start Search!"));
    for (int i = 0; i < 250; ++i) {
        m_window->Log(QStringLiteral("line %1").arg(i));
    }
    QCOMPARE(logList()->count(), 201);
    QVERIFY(logList()->item(0)->text().endsWith("] line 49"));
    const QRegularExpression stamped(R"(^\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\] line 249$)");
    QVERIFY(stamped.match(logList()->item(200)->text()).hasMatch());

    // A line from a worker thread arrives on the window's thread.
    std::thread worker([this] { m_window->Log(QStringLiteral("from worker")); });
    worker.join();
    QTRY_VERIFY(logList()->item(200)->text().endsWith("] from worker"));
    QCOMPARE(logList()->count(), 201);
}

void TestTervix::credentialsAreByteBounded_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("stored");

    const QString han = QString(10, QChar(0x7ba1)); // 3 bytes each
    QTest::newRow("user 40 ascii") << "UserNamelineEdit" << QString(40, 'u') << QByteArray(32, 'u');
    QTest::newRow("user 11 chinese")
        << "UserNamelineEdit" << han + QChar(0x7ba1) << han.toLocal8Bit();
    QTest::newRow("password 20") << "PasswordlineEdit" << QString(20, '9') << QByteArray(16, '9');
    QTest::newRow("password multibyte")
        << "PasswordlineEdit"
        << "pass" + han.left(5) << ("pass" + han.left(4)).toLocal8Bit();
    QTest::newRow("password emptied") << "PasswordlineEdit"
                                      << "" << QByteArray();
}

void TestTervix::credentialsAreByteBounded()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QByteArray, stored);

    m_window->findChild<QLineEdit *>(field)->setText(typed);
    const bool user = field.startsWith("User");
    QCOMPARE(QByteArray(user ? m_window->defaultUserName() : m_window->defaultPassword()), stored);
}

void TestTervix::closeRefusalOrder_data()
{
    QTest::addColumn<bool>("batchSet");
    QTest::addColumn<bool>("upgrade");
    QTest::addColumn<bool>("cameraPreview");
    QTest::addColumn<bool>("focusPreview");
    QTest::addColumn<QString>("message");

    QTest::newRow("all running") << true << true << true << true << "Batch Set Incomplete!";
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
    // Only the close's own message counts.
    m_window->titles.clear();
    m_window->messages.clear();

    QCloseEvent event;
    QCoreApplication::sendEvent(m_window.get(), &event);
    QCOMPARE(event.isAccepted(), message.isEmpty());
    QCOMPARE(m_window->messages, message.isEmpty() ? QStringList() : QStringList { message });
    QCOMPARE(m_window->titles, message.isEmpty() ? QStringList() : QStringList { "Warning!" });
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
        QVERIFY2(!QPixmap(QStringLiteral(":/Tervix/icon/") + name).isNull(), name);
    }
}

void TestTervix::configTableHandsOverOnlyANewPick()
{
    FakeDevicePage page;
    m_window->setConfigPage(&page);
    m_window->show();
    add("A");
    add("B");
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    CMainTableWithMend *table = m_window->configTable();

    // The wide table hands nothing over; shrinking hands over the current row.
    clickRow(table, 0);
    QVERIFY(page.handed.isEmpty());
    m_window->TablehideInConfig();
    QCOMPARE(page.handed, QList<int> { 0 });
    clickRow(table, 0);
    QCOMPARE(page.handed, QList<int> { 0 });
    QCOMPARE(m_window->SlotOfCurrentRow(TervixServices::ConfigTable), 0);
    clickRow(table, 1);
    clickRow(table, 0);
    QCOMPARE(page.handed, (QList<int> { 0, 1, 0 }));

    // Slot 0 reused by another device is a new pick.
    remove("A");
    add("C");
    clickRow(table, 1);
    QCOMPARE(page.handed, (QList<int> { 0, 1, 0, 0 }));
    QCOMPARE(page.shown, QByteArray("C"));
}

void TestTervix::focusTableHandsOverEveryPick()
{
    FakeDevicePage page;
    m_window->setFocusPage(&page);
    m_window->setFocusPreviewPage(&page);
    m_window->show();
    add("A");
    tabs()->setCurrentIndex(3);
    QVERIFY(!m_window->isOnConfigPage());
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    clickRow(m_window->focusTable(), 0);
    clickRow(m_window->focusTable(), 0);
    QCOMPARE(page.handed, (QList<int> { 0, 0 }));

    // The focus preview of a device that leaves the list is stopped.
    m_window->setFocusPreviewRunning(true);
    remove("A");
    QCOMPARE(page.stops, 1);
}

void TestTervix::newRowOfTheShownDeviceIsSelected()
{
    FakeDevicePage page;
    page.shown = "B";
    m_window->setConfigPage(&page);
    add("A");
    add("B");
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
        add(serial);
    }
    remove("A");
    add("D"); // takes slot 0

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

void TestTervix::leavingAPageStopsItsPreviews_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<int>("cameraStops");
    QTest::addColumn<int>("focusStops");

    QTest::newRow("parameter configuration") << 0 << 0 << 1;
    QTest::newRow("batch set") << 1 << 1 << 1;
    QTest::newRow("batch upgrade") << 2 << 1 << 1;
    QTest::newRow("auxiliary zoom") << 3 << 1 << 0;
    QTest::newRow("lens selection") << 4 << 1 << 1;
}

void TestTervix::leavingAPageStopsItsPreviews()
{
    QFETCH(int, tab);
    QFETCH(int, cameraStops);
    QFETCH(int, focusStops);

    FakeDevicePage camera;
    FakeDevicePage focus;
    m_window->setCameraPreviewPage(&camera);
    m_window->setFocusPreviewPage(&focus);
    m_window->tabPageChanges(tab); // no preview runs: nothing to stop
    m_window->setCameraPreviewRunning(true);
    m_window->setFocusPreviewRunning(true);
    m_window->tabPageChanges(tab);
    QCOMPARE(camera.stops, cameraStops);
    QCOMPARE(focus.stops, focusStops);
}

void TestTervix::cardsFailWithoutCardLibrary()
{
    QSignalSpy bnc(m_window.get(), &Tervix::BNCPreviewEnable);

    box("checkBoxMDCard")->click();
    QVERIFY(!box("checkBoxMDCard")->isChecked());
    QVERIFY(!m_window->cardsInitialised());
    QCOMPARE(m_window->messages, QStringList { "Failed to initialize decode card" });
    QCOMPARE(m_window->titles, QStringList { "Error" });
    QVERIFY(logList()->item(0)->text().endsWith("] Failed to initialize decode card!"));

    box("checkBoxBNC")->click();
    QVERIFY(!box("checkBoxBNC")->isChecked());
    QCOMPARE(m_window->messages.last(), QStringLiteral("Failed to initialize encode card"));
    QVERIFY(logList()->item(1)->text().endsWith("] Failed to initialize encode card!"));
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
    QVERIFY(logList()->item(0)->text().endsWith("] Succeed to initialize encoder card!"));
    QVERIFY(logList()->item(1)->text().endsWith("] Succeed to initialize decode card!"));

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
    m_window->RealPlayChange(false);
    QVERIFY(!box("checkBoxMDCard")->isEnabled());
    QVERIFY(!box("checkBoxBNC")->isEnabled());
    m_window->RealPlayChange(false);
    QVERIFY(box("checkBoxMDCard")->isEnabled());
    QVERIFY(box("checkBoxBNC")->isEnabled());
    // An extra stop does not go below zero.
    m_window->RealPlayChange(false);
    m_window->RealPlayChange(true);
    QVERIFY(!box("checkBoxBNC")->isEnabled());
}

void TestTervix::helpIndex_data()
{
    QTest::addColumn<bool>("present");
    QTest::newRow("in the working directory") << true;
    // The test program's own folder holds no help pages either.
    QTest::newRow("missing") << false;
}

void TestTervix::helpIndex()
{
    QFETCH(bool, present);
    QTemporaryDir folder;
    QVERIFY(QDir(folder.path()).mkpath("Help"));
    const QString index = folder.filePath("Help/index.html");
    QFile file(index);
    QVERIFY(!present || file.open(QIODevice::WriteOnly));
    file.close();
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(folder.path()));
    m_window->HelpLinkActived(QStringLiteral("index.html"));
    QDir::setCurrent(previous);

    if (present) {
        QCOMPARE(m_window->opened.size(), 1);
        QCOMPARE(QFileInfo(m_window->opened.first().toLocalFile()).canonicalFilePath(),
            QFileInfo(index).canonicalFilePath());
    } else {
        QVERIFY(m_window->opened.isEmpty());
        QCOMPARE(m_window->messages, QStringList { "The help pages are missing." });
        QCOMPARE(m_window->titles, QStringList { "Error" });
    }
}

QTEST_MAIN(TestTervix)
#include "tst_tervix.moc"
