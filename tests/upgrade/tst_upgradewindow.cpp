#include "tervix.h"
#include "upgradefleet.h"
#include "upgradeframe.h"

#include "sdkruntime.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

namespace {

// The main window with its message boxes recorded, not shown.
class RecordingTervix : public Tervix
{
public:
    QStringList messages;

protected:
    void showInformation(const QString &title, const QString &text) override
    {
        messages << title + ": " + text;
    }
};

} // namespace

// The "Batch Upgrade" tab in the main window: filled on entry unless a batch
// runs, and the window kept open while one does.
class TestUpgradeWindow : public QObject
{
    Q_OBJECT

private slots:
    void runningBatchKeepsItsRowsAndTheWindowOpen()
    {
        const SdkRuntime sdk(60000); // the stalled upload stays running until stopped
        auto fleet = UpgradeFleet::start(QStringLiteral("127.0.84.101"), 19320, 3,
            [](devsim::FleetOptions &options) { options.faults[0].upgradeStallPercent = 0; });
        QVERIFY(fleet);
        RecordingTervix window;
        auto *page = window.findChild<CUpgradeFrame *>(QStringLiteral("UpgradeFrame"));
        auto *tabs = window.findChild<QTabWidget *>(QStringLiteral("MaintabWidget"));
        QVERIFY(page && tabs);
        const auto list = [&](int camera) {
            bool changed = false;
            window.deviceStore()->AddOrUpdate(listedCamera(*fleet, camera), &changed);
        };
        auto *table = page->findChild<QTableWidget *>(QStringLiteral("tableUpdateDev"));
        const auto rowsOnEntry = [&] {
            tabs->setCurrentIndex(0);
            tabs->setCurrentIndex(2);
            int rows = 0;
            for (int row = 0; row < table->rowCount(); ++row) {
                rows += table->isRowHidden(row) ? 0 : 1;
            }
            return rows;
        };
        const auto closes = [&] {
            QCloseEvent event;
            QCoreApplication::sendEvent(&window, &event);
            return event.isAccepted();
        };
        list(0);
        list(1);
        QCOMPARE(rowsOnEntry(), 2);
        QTemporaryDir images;
        page->findChild<QCheckBox *>(QStringLiteral("AllCheckBtn"))->click();
        page->findChild<QLineEdit *>(QStringLiteral("editFilePath"))
            ->setText(UpgradeFleet::writeImage(
                images, "window.dav", UpgradeFleet::descriptionOf(*fleet, 0)));
        page->findChild<QPushButton *>(QStringLiteral("upgradeBtn"))->click();
        QVERIFY(page->IsUpgrading());

        list(2);
        QCOMPARE(rowsOnEntry(), 2);
        QVERIFY(!closes());
        QCOMPARE(window.messages, QStringList { "Warning!: Batch Upgrade Incomplete!" });
        QVERIFY(page->EndUpgrade(true));
        QCOMPARE(rowsOnEntry(), 3);
        QVERIFY(closes());
    }
};

QTEST_MAIN(TestUpgradeWindow)
#include "tst_upgradewindow.moc"
