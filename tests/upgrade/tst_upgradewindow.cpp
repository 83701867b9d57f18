#include "tervix.h"
#include "testdevice.h"
#include "upgradeframe.h"

#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

// The "Batch Upgrade" tab of the main window holds the page: entering the tab
// fills it with the window's devices. What the window does with a page that
// runs (no refill, the close refused) is for tests/app; that the page says
// so while a batch runs, for tst_upgradeframe.
class TestUpgradeWindow : public QObject
{
    Q_OBJECT

private slots:
    void enteringTheTabFillsThePage()
    {
        Tervix window;
        auto *page = window.findChild<CUpgradeFrame *>(QStringLiteral("UpgradeFrame"));
        auto *tabs = window.findChild<QTabWidget *>(QStringLiteral("MaintabWidget"));
        QVERIFY(page && tabs);
        bool changed = false;
        window.deviceStore()->AddOrUpdate(testDevice("A", "10.0.0.1"), &changed);
        window.deviceStore()->AddOrUpdate(testDevice("B", "10.0.0.2"), &changed);
        tabs->setCurrentIndex(2);
        auto *table = page->findChild<QTableWidget *>(QStringLiteral("tableUpdateDev"));
        QStringList serials;
        for (int row = 0; row < table->rowCount(); ++row) {
            if (!table->isRowHidden(row)) {
                serials << table->item(row, CUpgradeFrame::SerialColumn)->text();
            }
        }
        QCOMPARE(serials, (QStringList { "A", "B" }));
    }
};

QTEST_MAIN(TestUpgradeWindow)
#include "tst_upgradewindow.moc"
