#include "cardworker.h"
#include "devicelistmodel.h"
#include "maintablewithmend.h"
#include "startup.h"
#include "tervix.h"
#include "testdevice.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>
#include <QUrl>

#include <thread>

namespace {

// The window with its message boxes ("title: text") and the desktop recorded, not shown.
class RecordingTervix : public Tervix
{
public:
    QStringList messages;
    QList<QUrl> opened;

protected:
    void showInformation(const QString &title, const QString &text) override
    {
        messages << title + ": " + text;
    }
    void openHelpUrl(const QUrl &url) override { opened << url; }
};

// Stands for any page the window hands devices to and asks about.
class FakePage : public DevicePageHooks, public PreviewPageHooks, public BatchPageHooks
{
public:
    QList<int> handed;
    QByteArray shown;
    int stops = 0;
    bool running = false;
    QStringList batch; // "clear", then the serials handed over
    void SetDevice(int slot, const DEVICEINFO &record) override
    {
        handed << slot;
        shown = record.szSerialNo;
    }
    bool IsSameDevice(const char *serial) const override { return shown == serial; }
    void stopRealplay() override { ++stops; }
    bool IsRunning() const override { return running; }
    void ClearDevices() override { batch << "clear"; }
    void SetDevices(const std::vector<DEVICEINFO> &devices) override
    {
        for (const DEVICEINFO &record : devices) {
            batch << record.szSerialNo;
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

    void add(std::initializer_list<const char *> serials, const char *ip = "10.0.0.1")
    {
        for (const char *serial : serials) {
            m_window->DeviceCallback(
                new DEVICEINFO(testDevice(serial, ip)), DeviceReportAddOrUpdate);
        }
    }
    void remove(const char *serial)
    {
        m_window->DeviceCallback(new DEVICEINFO(testDevice(serial)), DeviceReportRemove);
    }
    void clickRow(CMainTableWithMend *table, int row)
    {
        QTableView *view = table->tableView();
        const QModelIndex index = view->model()->index(row, 1);
        view->scrollTo(index);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
    }
    QCheckBox *box(const char *name) const { return m_window->findChild<QCheckBox *>(name); }
    QString logLine(int row) const
    {
        return m_window->findChild<QListWidget *>("listWidget")->item(row)->text();
    }
    int logCount() const { return m_window->findChild<QListWidget *>("listWidget")->count(); }

    std::unique_ptr<RecordingTervix> m_window;

private slots:
    void init() { m_window = std::make_unique<RecordingTervix>(); }

    void cleanup()
    {
        m_window.reset();
        QVERIFY(tervixServices() == nullptr);
    }

    void freshWindowHasPagesDefaultsAndBoundedCredentials()
    {
        QVERIFY(tervixServices() == m_window.get());
        auto *tabs = m_window->findChild<QTabWidget *>("MaintabWidget");
        QStringList texts;
        for (int i = 0; i < tabs->count(); ++i) {
            texts << tabs->tabText(i);
        }
        QCOMPARE(texts,
            (QStringList { "Parameter Configuration", "Batch Set", "Batch Upgrade",
                "Auxiliary Zoom", "Lens Selection" }));
        QCOMPARE(QByteArray(m_window->defaultUserName()), QByteArray("admin"));
        QCOMPARE(QByteArray(m_window->defaultPassword()), QByteArray("60917"));
        // Typed credentials are cut to the record's fields.
        m_window->findChild<QLineEdit *>("UserNamelineEdit")->setText(QString(40, 'u'));
        m_window->findChild<QLineEdit *>("PasswordlineEdit")->setText(QString(20, '9'));
        QCOMPARE(QByteArray(m_window->defaultUserName()), QByteArray(32, 'u'));
        QCOMPARE(QByteArray(m_window->defaultPassword()), QByteArray(16, '9'));
    }

    void reportsAndMarksDriveRowsAndCheckCount()
    {
        m_window->TableshowInConfig();
        add({ "A", "B", "A" });
        // Unknown removals, other report types and no record change nothing.
        remove("Z");
        m_window->DeviceCallback(new DEVICEINFO(testDevice("A")), 5);
        m_window->DeviceCallback(new DEVICEINFO(testDevice("N")), 1);
        m_window->DeviceCallback(nullptr, DeviceReportAddOrUpdate);
        QCOMPARE(m_window->deviceModel()->rowCount(), 2);
        auto check = [this](int row) {
            m_window->deviceModel()->item(row, 0)->setCheckState(Qt::Checked);
        };
        CMainTableWithMend *table = m_window->configTable();
        check(0);
        // Other data of the check cell is not a check change.
        m_window->deviceModel()->item(0, 0)->setToolTip(QStringLiteral("checked"));
        QCOMPARE(m_window->checkedCount(), 1);
        QVERIFY(table->IsBatchPanelShown() && !table->IsAllChecked());
        // The narrow focus table does not show its batch panel.
        QVERIFY(!m_window->focusTable()->IsBatchPanelShown());
        check(1);
        QVERIFY(table->IsAllChecked() && m_window->focusTable()->IsAllChecked());
        remove("B"); // a checked row leaves
        QCOMPARE(m_window->checkedCount(), 1);
        remove("A");
        QCOMPARE(m_window->checkedCount(), 0);
        QVERIFY(!table->IsBatchPanelShown());
    }

    void logKeepsAtMost201StampedLines()
    {
        QCOMPARE(
            Tervix::formatLogLine(QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)), "Start Search!"),
            QStringLiteral("[2026-01-02 03:04:05] Start Search!"));
        for (int i = 0; i < 250; ++i) {
            m_window->Log(QStringLiteral("line %1").arg(i));
        }
        QCOMPARE(logCount(), 201);
        QVERIFY(logLine(0).endsWith("] line 49"));
        QVERIFY(logLine(200).endsWith("] line 249"));

        // A line from a worker thread arrives on the window's thread.
        std::thread worker([this] { m_window->Log(QStringLiteral("from worker")); });
        worker.join();
        QTRY_VERIFY(logLine(200).endsWith("] from worker"));
    }

    void closeRefusalOrder_data()
    {
        // From `first` on all run (batch set, upgrade, previews); the first names the refusal.
        QTest::addColumn<int>("first");
        QTest::addColumn<QString>("message");

        QTest::newRow("all") << 0 << "Batch Set Incomplete!";
        QTest::newRow("upgrade and previews") << 1 << "Batch Upgrade Incomplete!";
        QTest::newRow("both previews") << 2 << "Camera parameters preview unclosed!";
        QTest::newRow("focus preview") << 3 << "Auxiliary zoom preview unclosed!";
        QTest::newRow("idle") << 4 << QString();
    }

    void closeRefusalOrder()
    {
        QFETCH(int, first);
        QFETCH(QString, message);

        FakePage batchPage;
        FakePage upgradePage;
        batchPage.running = first <= 0;
        upgradePage.running = first <= 1;
        m_window->setBatchConfigPage(&batchPage);
        m_window->setUpgradePage(&upgradePage);
        m_window->setCameraPreviewRunning(first <= 2);
        m_window->setFocusPreviewRunning(first <= 3);
        m_window->messages.clear(); // only the close's own message counts

        QCloseEvent event;
        QCoreApplication::sendEvent(m_window.get(), &event);
        QCOMPARE(event.isAccepted(), message.isEmpty());
        QCOMPARE(m_window->messages,
            message.isEmpty() ? QStringList() : QStringList { "Warning!: " + message });
    }

    void tablesHandOverPickedDevices()
    {
        FakePage config;
        FakePage focus;
        config.shown = "B";
        m_window->setConfigPage(&config);
        m_window->setFocusPage(&focus);
        m_window->setFocusPreviewPage(&focus);
        m_window->show();
        add({ "A", "B" });
        // The new row of the device the page shows is selected.
        CMainTableWithMend *table = m_window->configTable();
        QCOMPARE(table->tableView()->selectionModel()->selectedRows(),
            QModelIndexList { table->tableView()->model()->index(1, 0) });
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));

        // The wide table hands nothing over; shrinking hands over the current
        // row; the narrow one hands over a device only when it is a new pick.
        clickRow(table, 0);
        QVERIFY(config.handed.isEmpty());
        m_window->TablehideInConfig();
        QCOMPARE(config.handed, QList<int> { 0 });
        clickRow(table, 0);
        clickRow(table, 1);
        clickRow(table, 0);
        QCOMPARE(config.handed, (QList<int> { 0, 1, 0 }));
        remove("A");
        add({ "C" }); // slot 0 again, another device
        clickRow(table, 1);
        QCOMPARE(config.handed, (QList<int> { 0, 1, 0, 0 }));

        // The focus table hands over every pick.
        m_window->findChild<QTabWidget *>("MaintabWidget")->setCurrentIndex(3);
        clickRow(m_window->focusTable(), 1);
        clickRow(m_window->focusTable(), 1);
        QCOMPARE(focus.handed, (QList<int> { 0, 0 }));
        // Its preview of a device that leaves the list is stopped.
        m_window->setFocusPreviewRunning(true);
        remove("C");
        QCOMPARE(focus.stops, 1);
    }

    void enteringABatchPageRefillsItUnlessRunning()
    {
        FakePage batchPage;
        FakePage upgradePage;
        m_window->setBatchConfigPage(&batchPage);
        m_window->setUpgradePage(&upgradePage);
        add({ "A", "B", "C" });

        m_window->tabPageChanges(1);
        QCOMPARE(batchPage.batch, (QStringList { "clear", "A", "B", "C" }));
        upgradePage.running = true;
        m_window->tabPageChanges(2);
        QVERIFY(upgradePage.batch.isEmpty());
        upgradePage.running = false;
        m_window->tabPageChanges(2);
        QCOMPARE(upgradePage.batch, (QStringList { "clear", "A", "B", "C" }));
    }

    void leavingAPageStopsItsPreviews_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<int>("cameraStops");
        QTest::addColumn<int>("focusStops");

        const int stops[5][2] = { { 0, 1 }, { 1, 1 }, { 1, 1 }, { 1, 0 }, { 1, 1 } };
        for (int tab = 0; tab < 5; ++tab) {
            QTest::addRow("tab %d", tab) << tab << stops[tab][0] << stops[tab][1];
        }
    }

    void leavingAPageStopsItsPreviews()
    {
        QFETCH(int, tab);
        QFETCH(int, cameraStops);
        QFETCH(int, focusStops);

        FakePage camera;
        FakePage focus;
        m_window->setCameraPreviewPage(&camera);
        m_window->setFocusPreviewPage(&focus);
        m_window->tabPageChanges(tab); // no preview runs: nothing to stop
        m_window->setCameraPreviewRunning(true);
        m_window->setFocusPreviewRunning(true);
        m_window->tabPageChanges(tab);
        QCOMPARE(camera.stops, cameraStops);
        QCOMPARE(focus.stops, focusStops);
    }

    void cardBoxesFollowTheCardsAndThePreviews()
    {
        QSignalSpy bnc(m_window.get(), &Tervix::BNCPreviewEnable);
        box("checkBoxMDCard")->click();
        box("checkBoxBNC")->click();
        QVERIFY(!box("checkBoxMDCard")->isChecked() && !box("checkBoxBNC")->isChecked());
        QVERIFY(!m_window->cardsInitialised());
        QCOMPARE(m_window->messages,
            (QStringList { "Error: Failed to initialize decode card",
                "Error: Failed to initialize encode card" }));
        QVERIFY(logLine(0).endsWith("] Failed to initialize decode card!"));
        QCOMPARE(bnc.takeFirst().first().toBool(), false);

        m_window->messages.clear();
        m_window->setCardWorker(std::make_unique<WorkingCardWorker>());
        box("checkBoxMDCard")->click();
        QVERIFY(box("checkBoxMDCard")->isChecked() && m_window->cardsInitialised());
        QVERIFY(logLine(2).endsWith("] Succeed to initialize encoder card!"));
        QVERIFY(logLine(3).endsWith("] Succeed to initialize decode card!"));
        // BNC on cards already up: MD is unticked, BNC preview enabled, nothing logged.
        box("checkBoxBNC")->click();
        QVERIFY(!box("checkBoxMDCard")->isChecked());
        QCOMPARE(bnc.takeFirst().first().toBool(), true);
        QCOMPARE(logCount(), 4);
        box("checkBoxBNC")->click();
        QVERIFY(!m_window->cardsInitialised());
        QCOMPARE(bnc.takeFirst().first().toBool(), false);
        QVERIFY(bnc.isEmpty() && m_window->messages.isEmpty());

        // Locked while previews run; an extra stop does not take the count below zero.
        m_window->RealPlayChange(true);
        m_window->RealPlayChange(true);
        m_window->RealPlayChange(false);
        QVERIFY(!box("checkBoxMDCard")->isEnabled() && !box("checkBoxBNC")->isEnabled());
        m_window->RealPlayChange(false);
        QVERIFY(box("checkBoxMDCard")->isEnabled() && box("checkBoxBNC")->isEnabled());
        m_window->RealPlayChange(false);
        m_window->RealPlayChange(true);
        QVERIFY(!box("checkBoxBNC")->isEnabled());
    }

    void helpOpensTheIndexOrSaysItIsMissing()
    {
        QTemporaryDir folder;
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(folder.path()));
        // Neither here nor beside the test program.
        m_window->HelpLinkActived(QStringLiteral("index.html"));
        QFile index("Help/index.html");
        const bool created = QDir().mkpath("Help") && index.open(QIODevice::WriteOnly);
        index.close();
        m_window->HelpLinkActived(QStringLiteral("index.html"));
        const QString indexPath = QFileInfo(index).canonicalFilePath();
        QDir::setCurrent(previous);

        QVERIFY(created);
        QCOMPARE(m_window->messages, QStringList { "Error: The help pages are missing." });
        QCOMPARE(m_window->opened.size(), 1);
        QCOMPARE(QFileInfo(m_window->opened.first().toLocalFile()).canonicalFilePath(), indexPath);
    }

    void helpIndexFollowsTheTranslation_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<bool>("chineseManual");
        QTest::addColumn<QString>("expected");
        QTest::newRow("chinese with its manual") << "zh_CN" << true << "Help/zh_CN/index.html";
        QTest::newRow("chinese without its manual") << "zh_CN" << false << "Help/index.html";
        QTest::newRow("english beside a chinese manual") << "" << true << "Help/index.html";
    }

    void helpIndexFollowsTheTranslation()
    {
        QFETCH(QString, language);
        QFETCH(bool, chineseManual);
        QFETCH(QString, expected);
        QTemporaryDir folder;
        QVERIFY(QDir(folder.path()).mkpath("Help/zh_CN"));
        QStringList pages { "Help/index.html" };
        if (chineseManual) {
            pages << "Help/zh_CN/index.html";
        }
        for (const QString &page : pages) {
            QFile file(folder.filePath(page));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(folder.path()));
        const QString found = Tervix::helpIndexPath(language);
        QDir::setCurrent(previous);
        QCOMPARE(QFileInfo(found).canonicalFilePath(),
            QFileInfo(folder.filePath(expected)).canonicalFilePath());
    }

    void logoFollowsTheLoadedTranslation_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("picture");
        const QString chinese = QStringLiteral(":/Tervix/icon/logo_ch.bmp");
        const QString english = QStringLiteral(":/Tervix/icon/logo_eg.bmp");
        QTest::newRow("simplified chinese") << "zh_CN" << chinese;
        QTest::newRow("traditional chinese") << "zh_TW" << english;
        QTest::newRow("no translation") << "" << english;
    }

    void logoFollowsTheLoadedTranslation()
    {
        QFETCH(QString, language);
        QFETCH(QString, picture);
        QVERIFY(Tervix::logoStyleSheet(language).contains(QStringLiteral("url(%1)").arg(picture)));
        QVERIFY(!QImage(picture).isNull());
    }

    // A Chinese locale whose translation is missing keeps the English logo
    // and manual; once the translation loads, both turn Chinese.
    void loadedTranslationDecidesTheLanguage()
    {
        QTemporaryDir folder;
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(folder.path()));
        QTranslator missing;
        const bool missingLoaded = InstallTervixTranslation(&missing, QStringLiteral("zh_HK"));
        const QString afterMissing = InstalledTranslationLanguage();
        QDir::setCurrent(previous);
        QVERIFY(!missingLoaded);
        QCOMPARE(afterMissing, QString());

        const QString built = qEnvironmentVariable("TERVIX_BIN_DIR") + "/tervix_zh_CN.qm";
        if (!QFile::exists(built)) {
            QSKIP("the translation is not built");
        }
        QVERIFY(QFile::copy(built, folder.filePath("tervix_zh_CN.qm")));
        QVERIFY(QDir::setCurrent(folder.path()));
        QTranslator chinese;
        const bool chineseLoaded = InstallTervixTranslation(&chinese, QStringLiteral("zh_CN"));
        const QString afterChinese = InstalledTranslationLanguage();
        QDir::setCurrent(previous);
        QCoreApplication::removeTranslator(&chinese);
        QVERIFY(chineseLoaded);
        QCOMPARE(afterChinese, QStringLiteral("zh_CN"));
        QVERIFY(Tervix::logoStyleSheet(afterChinese).contains(QStringLiteral("logo_ch.bmp")));
    }
};

QTEST_MAIN(TestTervix)
#include "tst_tervix.moc"
