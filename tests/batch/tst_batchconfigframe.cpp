#include "batchconfigframe.h"
#include "fakeservices.h"
#include "pageprobe.h"
#include "sdkruntime.h"
#include "simfleet.h"
#include "templetsource.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace batchtest;

namespace {

// Answers the file dialog as told.
class TestPage : public PageProbe<CBatchConfigFrame>
{
public:
    QString chosenFile;

    QString button() const { return child<QPushButton>("btnStartConfig")->text(); }
    QStringList outcomes() const { return rows({ StateColumn, AppliedColumn, FailedColumn }); }
    void start(const QString &file)
    {
        child<QLineEdit>("editFilePath")->setText(file);
        click("btnStartConfig");
    }
    // "idle", "running", or "mixed" for a page that shows parts of both.
    QString look() const
    {
        QList<bool> running { IsRunning(), button() == QLatin1String("Stop Set"),
            child<QProgressBar>("progressBar")->isVisibleTo(this),
            !child<QCheckBox>("checkAll")->isEnabled(),
            !child<QCheckBox>("RebootCheckBox")->isEnabled(), !table()->isSortingEnabled() };
        for (int row = 0; row < table()->rowCount(); ++row) {
            if (QCheckBox *box = rowBox(row)) {
                running << !box->isEnabled();
            }
        }
        return !running.contains(false) ? QStringLiteral("running")
            : !running.contains(true)   ? QStringLiteral("idle")
                                        : QStringLiteral("mixed");
    }

protected:
    QString askTempletFileName() override { return chosenFile; }
};

const QString Both = QStringLiteral("x Set Complete|Camera Parameters,NTP Parameters|");

} // namespace

// The "Batch Set" page through its form, on simulated cameras on 127.0.85.101 - 127.0.85.108.
class TestBatchConfigFrame : public QObject
{
    Q_OBJECT

    SdkRuntime m_sdk;
    std::unique_ptr<devsim::Fleet> m_fleet;
    std::unique_ptr<FakeServices> m_services;
    std::unique_ptr<TestPage> m_page;
    QTemporaryDir m_dir;
    QString m_templet; // "Front" and "NTP"

    // The page refilled as the main window does, every row checked by default.
    void fill(const std::vector<DEVICEINFO> &devices, bool checked = true)
    {
        m_page->ClearDevices();
        m_page->SetDevices(devices);
        if (checked) {
            m_page->child<QCheckBox>("checkAll")->click();
        }
    }

    // The camera numbers its logins; taking the next number tells how many there were.
    quint32 loginNumber(int camera) const
    {
        quint32 number = 0;
        m_fleet->run([&] { number = m_fleet->cameras().at(camera)->nextSessionId(); });
        return number;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_fleet = startFleet("127.0.85.101", 18510, 8, 0.05,
            [](devsim::FleetOptions &options) { options.passwords.insert(3, "other"); });
        QVERIFY(m_fleet);
        m_templet = m_dir.filePath(QStringLiteral("front-ntp.xml"));
        QVERIFY(writeTemplet(m_templet, cameraRecords(*m_fleet, 7), FrontSection | NtpSection));
    }

    void init()
    {
        m_services = std::make_unique<FakeServices>();
        m_page = std::make_unique<TestPage>();
        m_page->show();
    }

    void cleanup()
    {
        m_page.reset();
        m_services.reset();
        clearFaults(*m_fleet);
    }

    void refillHidesSurplusRowsAndInsertsOnlyNewOnes()
    {
        QTableWidget *table = m_page->table();
        fill(listedCameras(*m_fleet, { 0, 1, 2, 3, 4 }), false);
        QCOMPARE(m_page->outcomes(), QStringList(5, "- Unset||"));
        QTableWidgetItem *name = table->item(3, CBatchConfigFrame::NameColumn);
        QCOMPARE(name->text(), QStringLiteral("Hall 3"));
        QCOMPARE(name->data(CBatchConfigFrame::DeviceIndexRole).toInt(), 3);
        QCOMPARE(table->item(3, CBatchConfigFrame::SerialColumn)->text(),
            QString::fromLatin1(listedCamera(*m_fleet, 3).szSerialNo));
        QCOMPARE(table->item(3, CBatchConfigFrame::IpColumn)->text(), m_fleet->address(3));

        fill(listedCameras(*m_fleet, { 0, 1 }), false);
        QCOMPARE(table->rowCount(), 5);
        QCOMPARE(m_page->outcomes().size(), 2);
        QVERIFY(table->item(2, CBatchConfigFrame::NameColumn) == nullptr);
        QVERIFY(m_page->rowBox(4) == nullptr);

        fill(listedCameras(*m_fleet, { 0, 1, 2, 3, 4, 5, 6 }), false);
        QCOMPARE(table->rowCount(), 7);
        QCOMPARE(m_page->outcomes().size(), 7);
    }

    // A file chosen with "Browse" stays when a later choice is cancelled.
    void startIsRefusedWithAMessage_data()
    {
        QTest::addColumn<bool>("browse");
        QTest::addColumn<bool>("check");
        QTest::addColumn<QString>("box");
        QTest::newRow("no file") << false << true
                                 << "Warning|Please select parameter templet file!";
        QTest::newRow("no device") << true << false << "Warning|Please select device";
    }

    void startIsRefusedWithAMessage()
    {
        QFETCH(bool, browse);
        QFETCH(bool, check);
        QFETCH(QString, box);
        fill(listedCameras(*m_fleet, { 0, 1 }), check);
        const quint32 before = loginNumber(0);
        for (const QString &chosen : { browse ? m_templet : QString(), QString() }) {
            m_page->chosenFile = chosen;
            m_page->click("btnBrowse");
        }
        m_page->click("btnStartConfig");
        QCOMPARE(m_page->boxes, QStringList { box });
        QCOMPARE(m_page->look(), QStringLiteral("idle"));
        QCOMPARE(m_page->button(), QStringLiteral("Start Setting"));
        QCOMPARE(loginNumber(0), before + 1); // no login in between
    }

    // A failed start leaves no task behind: the next start configures each
    // device once.
    void runAfterAFailedStartShowsEachDeviceOnceAndStopsByItself()
    {
        devsim::Fault refuseNtp;
        refuseNtp.refusedSets.insert(NtpCfg::getCommand);
        m_fleet->setFault(1, refuseNtp);
        const QByteArray untouched = m_fleet->record(4, NtpCfg::getCommand);
        // Camera 3 takes another password: announced it fails with the
        // defaults, found by the search it brings its own.
        std::vector<DEVICEINFO> devices = listedCameras(*m_fleet, { 0, 1, 3, 4 });
        devices.push_back(listedCamera(*m_fleet, 3, 1, "other"));
        fill(devices);
        m_page->rowBox(3)->click();
        QVERIFY(!m_page->child<QCheckBox>("checkAll")->isChecked());
        m_page->start(m_dir.filePath(QStringLiteral("none.xml")));
        QCOMPARE(m_page->boxes, QStringList { "Warning|Failed to setup parameters!" });
        QCOMPARE(m_services->log, QStringList { "Failed to setup parameters!" });
        QCOMPARE(m_page->look(), QStringLiteral("idle"));

        const quint32 before = loginNumber(0);
        m_page->start(m_templet);
        QCOMPARE(m_page->look(), QStringLiteral("running"));
        QTRY_COMPARE(m_page->look(), QStringLiteral("idle"));
        QCOMPARE(loginNumber(0), before + 2);
        QCOMPARE(m_page->boxes.size(), 1);
        QCOMPARE(m_page->button(), QStringLiteral("Start Set"));
        QCOMPARE(m_page->child<QProgressBar>("progressBar")->value(), 0);
        QCOMPARE(m_page->outcomes(),
            (QStringList { Both, "x Set Complete|Camera Parameters|NTP Parameters",
                "x Failed to set||", "- Unset||", Both }));
        QCOMPARE(m_fleet->record(4, NtpCfg::getCommand), untouched);
    }

    void stopShowsTheFinalStatesAndLeavesTheRestUnset()
    {
        // The second device answers slowly enough to be caught while it is set up.
        devsim::Fault slow;
        slow.delayMs = 8000; // 400 ms a frame at the fleet's time scale
        m_fleet->setFault(5, slow);
        fill(listedCameras(*m_fleet, { 0, 5, 2, 4 }));
        m_page->start(m_templet);
        QTRY_COMPARE(m_page->outcomes().at(1), QStringLiteral("x Setting up||"));
        m_page->click("btnStartConfig");
        QCOMPARE(m_page->look(), QStringLiteral("idle"));
        QCOMPARE(m_page->outcomes(), (QStringList { Both, Both, "x Unset||", "x Unset||" }));
    }
};

QTEST_MAIN(TestBatchConfigFrame)
#include "tst_batchconfigframe.moc"
