#include "tervix.h"
#include "testdevice.h"
#include "upgradeframe.h"
#include "upgradefleet.h"

#include "mirt.h"
#include "solvane.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

namespace {

constexpr quint16 FleetPort = 19320;
constexpr int UpgradeTab = 2;

// The main window with its message boxes recorded ("title: text"), not shown.
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

    std::unique_ptr<devsim::Fleet> m_fleet;
    QTemporaryDir m_images;

    void list(RecordingTervix &window, int camera)
    {
        DEVICEINFO record = testDevice(QByteArray("SERIAL-").append(QByteArray::number(camera)).constData(),
            m_fleet->address(camera).toLatin1().constData());
        record.wPort = FleetPort;
        bool changed = false;
        QVERIFY(window.deviceStore()->AddOrUpdate(record, &changed) >= 0);
    }

    static int listedRows(CUpgradeFrame *page)
    {
        auto *table = page->findChild<QTableWidget *>(QStringLiteral("tableUpdateDev"));
        int rows = 0;
        for (int row = 0; row < table->rowCount(); ++row) {
            rows += table->isRowHidden(row) ? 0 : 1;
        }
        return rows;
    }

    static bool closes(Tervix &window)
    {
        QCloseEvent event;
        QCoreApplication::sendEvent(&window, &event);
        return event.isAccepted();
    }

private slots:
    void initTestCase()
    {
        QCOMPARE(MIRT_Init(), 0);
        SOLV_Init();
        SOLV_SetRecvTimeOut(60000); // the stalled upload stays running until stopped
        m_fleet = UpgradeFleet::start(QStringLiteral("127.0.84.101"), FleetPort, 3,
            [](devsim::FleetOptions &options) { options.faults[0].upgradeStallPercent = 0; });
        QVERIFY(m_fleet);
    }

    void cleanupTestCase()
    {
        m_fleet.reset();
        SOLV_Cleanup();
        MIRT_Fini();
    }

    void runningBatchKeepsItsRowsAndTheWindowOpen()
    {
        RecordingTervix window;
        auto *page = window.findChild<CUpgradeFrame *>(QStringLiteral("UpgradeFrame"));
        QVERIFY(page);
        auto *tabs = window.findChild<QTabWidget *>(QStringLiteral("MaintabWidget"));
        list(window, 0);
        list(window, 1);
        tabs->setCurrentIndex(UpgradeTab);
        QCOMPARE(listedRows(page), 2);

        page->findChild<QCheckBox *>(QStringLiteral("AllCheckBtn"))->click();
        page->findChild<QLineEdit *>(QStringLiteral("editFilePath"))
            ->setText(UpgradeFleet::writeImage(
                m_images, "window.dav", UpgradeFleet::descriptionOf(*m_fleet, 0)));
        page->findChild<QPushButton *>(QStringLiteral("upgradeBtn"))->click();
        QVERIFY(page->IsUpgrading());

        list(window, 2);
        tabs->setCurrentIndex(0);
        tabs->setCurrentIndex(UpgradeTab);
        QCOMPARE(listedRows(page), 2);
        QVERIFY(!closes(window));
        QCOMPARE(window.messages, QStringList { "Warning!: Batch Upgrade Incomplete!" });

        QVERIFY(page->EndUpgrade(true));
        tabs->setCurrentIndex(0);
        tabs->setCurrentIndex(UpgradeTab);
        QCOMPARE(listedRows(page), 3);
        QVERIFY(closes(window));
    }
};

QTEST_MAIN(TestUpgradeWindow)
#include "tst_upgradewindow.moc"
