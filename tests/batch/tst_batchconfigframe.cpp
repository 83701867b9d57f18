#include "batchconfigframe.h"
#include "fakeservices.h"
#include "mirt.h"
#include "solvane.h"
#include "templetsource.h"
#include "testdevice.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace batchtest;

namespace {

constexpr quint16 FleetPort = 18510;

// Records its message boxes and answers the file dialog as told.
class TestPage : public CBatchConfigFrame
{
public:
    QStringList boxes; // "title|text"
    QString chosenFile;

    template<typename T> T *child(const char *name) const
    {
        return findChild<T *>(QLatin1String(name));
    }
    QTableWidget *table() const { return child<QTableWidget>("BatchConfigTable"); }
    QCheckBox *rowBox(int row) const
    {
        return qobject_cast<QCheckBox *>(table()->cellWidget(row, CheckColumn));
    }
    QString button() const { return child<QPushButton>("btnStartConfig")->text(); }
    // State, applied and failed sections of a row, joined by "|".
    QString outcome(int row) const
    {
        return QStringList { table()->item(row, StateColumn)->text(),
            table()->item(row, AppliedColumn)->text(), table()->item(row, FailedColumn)->text() }
            .join(QLatin1Char('|'));
    }
    QList<int> shownRows() const
    {
        QList<int> rows;
        for (int row = 0; row < table()->rowCount(); ++row) {
            if (!table()->isRowHidden(row)) {
                rows << row;
            }
        }
        return rows;
    }
    void start(const QString &file)
    {
        child<QLineEdit>("editFilePath")->setText(file);
        QTest::mouseClick(child<QPushButton>("btnStartConfig"), Qt::LeftButton);
    }
    // "idle", "running", or "mixed" for a page that shows parts of both.
    QString look() const
    {
        QList<bool> running { IsRunning(), button() == QLatin1String("Stop Set"),
            child<QProgressBar>("progressBar")->isVisibleTo(this),
            !child<QCheckBox>("checkAll")->isEnabled(),
            !child<QCheckBox>("RebootCheckBox")->isEnabled() };
        for (const int row : shownRows()) {
            running << !rowBox(row)->isEnabled();
        }
        return !running.contains(false) ? QStringLiteral("running")
            : !running.contains(true)   ? QStringLiteral("idle")
                                        : QStringLiteral("mixed");
    }

protected:
    void showInformation(const QString &title, const QString &text) override
    {
        boxes << title + QLatin1Char('|') + text;
    }
    QString askTempletFileName() override { return chosenFile; }
};

const QString Both = QStringLiteral("Set Complete|Camera Parameters,NTP Parameters|");

} // namespace

// The "Batch Set" page through its form, on simulated cameras on 127.0.85.101 - 127.0.85.108.
class TestBatchConfigFrame : public QObject
{
    Q_OBJECT

    std::unique_ptr<devsim::Fleet> m_fleet;
    std::unique_ptr<FakeServices> m_services;
    std::unique_ptr<TestPage> m_page;
    QTemporaryDir m_dir;
    QString m_templet; // "Front" and "NTP"

    // Camera `camera` as the store lists it: announced (reached with the
    // default credentials) or found by the search with `password`.
    DEVICEINFO device(int camera, quint32 source = 0, const char *password = "") const
    {
        DEVICEINFO record = testDevice("", m_fleet->address(camera).toLatin1().constData());
        m_fleet->run([&] {
            FixedText::write(
                record.szSerialNo, m_fleet->cameras().at(camera)->serialNo().toLatin1());
        });
        FixedText::write(record.szDevName, QStringLiteral("Hall %1").arg(camera).toLocal8Bit());
        record.wPort = FleetPort;
        record.dwSource = source;
        FixedText::write(record.szUserName, "admin");
        FixedText::write(record.szPassword, password);
        return record;
    }

    void fill(const std::vector<DEVICEINFO> &devices)
    {
        m_page->ClearDevices();
        m_page->SetDevices(devices);
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
        MIRT_Init();
        SOLV_Init();
        QVERIFY(m_dir.isValid());
        devsim::FleetOptions options;
        options.count = 8;
        options.firstAddress = QStringLiteral("127.0.85.101");
        options.port = FleetPort;
        options.timeScale = 0.05;
        options.discoveryPort = 0;
        options.passwords.insert(3, "other");
        m_fleet = std::make_unique<devsim::Fleet>(options);
        QString error;
        QVERIFY2(m_fleet->start(&error), qPrintable(error));
        m_templet = m_dir.filePath(QStringLiteral("front-ntp.xml"));
        QVERIFY(writeTemplet(m_templet, cameraRecords(*m_fleet, 7), FrontSection | NtpSection));
    }

    void cleanupTestCase()
    {
        m_fleet.reset();
        SOLV_Cleanup();
        MIRT_Fini();
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
        for (int camera = 0; camera < m_fleet->count(); ++camera) {
            m_fleet->clearFault(camera);
        }
    }

    void formShowsSevenColumnsAndTheIdlePage()
    {
        QTableWidget *table = m_page->table();
        QStringList headers;
        QList<int> widths;
        for (int column = 0; column < table->columnCount(); ++column) {
            headers << table->horizontalHeaderItem(column)->text();
            widths << table->columnWidth(column);
        }
        QCOMPARE(headers,
            (QStringList { "", "Device Name", "Device Serial No.", "IP Address", "Set State",
                "Succeed to set", "Failed to set" }));
        QCOMPARE(widths, (QList<int> { 30, 120, 250, 100, 100, 175, 175 }));
        QCOMPARE(m_page->button(), QStringLiteral("Start Setting"));
        QCOMPARE(m_page->look(), QStringLiteral("idle"));
    }

    void refillHidesSurplusRowsAndInsertsOnlyNewOnes()
    {
        std::vector<DEVICEINFO> devices;
        for (int camera = 0; camera < 7; ++camera) {
            devices.push_back(device(camera));
        }
        QTableWidget *table = m_page->table();
        fill({ devices.begin(), devices.begin() + 5 });
        QCOMPARE(m_page->shownRows(), (QList<int> { 0, 1, 2, 3, 4 }));
        QTableWidgetItem *name = table->item(3, CBatchConfigFrame::NameColumn);
        QCOMPARE(name->text(), QStringLiteral("Hall 3"));
        QCOMPARE(name->data(CBatchConfigFrame::DeviceIndexRole).toInt(), 3);
        QCOMPARE(table->item(3, CBatchConfigFrame::SerialColumn)->text(),
            QString::fromLatin1(devices[3].szSerialNo));
        QCOMPARE(table->item(3, CBatchConfigFrame::IpColumn)->text(), m_fleet->address(3));
        QCOMPARE(m_page->outcome(3), QStringLiteral("Unset||"));

        fill({ devices.begin(), devices.begin() + 2 });
        QCOMPARE(table->rowCount(), 5);
        QCOMPARE(m_page->shownRows(), (QList<int> { 0, 1 }));
        QVERIFY(table->item(2, CBatchConfigFrame::NameColumn) == nullptr);
        QVERIFY(m_page->rowBox(4) == nullptr);

        fill(devices);
        QCOMPARE(table->rowCount(), 7);
        QCOMPARE(m_page->shownRows(), (QList<int> { 0, 1, 2, 3, 4, 5, 6 }));
    }

    void checkAllFollowsTheRows()
    {
        fill({ device(0), device(1), device(2) });
        auto *all = m_page->child<QCheckBox>("checkAll");
        auto checkedRows = [this] {
            return QList<bool> { m_page->rowBox(0)->isChecked(), m_page->rowBox(1)->isChecked(),
                m_page->rowBox(2)->isChecked() };
        };
        all->click();
        QCOMPARE(checkedRows(), (QList<bool> { true, true, true }));
        m_page->rowBox(1)->click();
        QVERIFY(!all->isChecked());
        // Checking every row by hand leaves "All" unchecked.
        m_page->rowBox(1)->click();
        QCOMPARE(checkedRows(), (QList<bool> { true, true, true }));
        QVERIFY(!all->isChecked());
        all->click();
        all->click();
        QCOMPARE(checkedRows(), (QList<bool> { false, false, false }));
    }

    void browseReplacesTheFileNameUnlessCancelled()
    {
        auto *edit = m_page->child<QLineEdit>("editFilePath");
        for (const QString &chosen : { QStringLiteral("/tmp/site.xml"), QString() }) {
            m_page->chosenFile = chosen;
            QTest::mouseClick(m_page->child<QPushButton>("btnBrowse"), Qt::LeftButton);
            QCOMPARE(edit->text(), QStringLiteral("/tmp/site.xml"));
        }
    }

    void startIsRefusedWithAMessage_data()
    {
        QTest::addColumn<QString>("file"); // "templet": a good one
        QTest::addColumn<bool>("check");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QStringList>("log");
        QTest::newRow("no file") << "" << true << "Warning|Please select parameter templet file!"
                                 << QStringList();
        QTest::newRow("no device")
            << "templet" << false << "Warning|Please select device" << QStringList();
        QTest::newRow("unreadable templet")
            << "none.xml" << true << "Warning|Failed to setup parameters!"
            << QStringList { "Failed to setup parameters!" };
    }

    void startIsRefusedWithAMessage()
    {
        QFETCH(QString, file);
        QFETCH(bool, check);
        QFETCH(QString, box);
        QFETCH(QStringList, log);
        fill({ device(0), device(1) });
        if (check) {
            m_page->child<QCheckBox>("checkAll")->click();
        }
        const quint32 before = loginNumber(0);
        m_page->start(file == QLatin1String("templet") ? m_templet
                : file.isEmpty()                       ? file
                                                       : m_dir.filePath(file));
        QCOMPARE(m_page->boxes, QStringList { box });
        QCOMPARE(m_services->log, log);
        QCOMPARE(m_page->look(), QStringLiteral("idle"));
        QCOMPARE(m_page->button(), QStringLiteral("Start Setting"));
        QCOMPARE(loginNumber(0), before + 1); // no login in between
    }

    void runShowsEachDeviceAndStopsByItselfAtFullProgress()
    {
        devsim::Fault refuseNtp;
        refuseNtp.refusedSets.insert(NtpCfg::getCommand);
        m_fleet->setFault(1, refuseNtp);
        const QByteArray untouched = m_fleet->record(4, NtpCfg::getCommand);
        // Camera 3 takes another password: announced it fails with the
        // defaults, found by the search it brings its own.
        fill({ device(0), device(1), device(3), device(4), device(3, 1, "other") });
        for (const int row : { 0, 1, 2, 4 }) {
            m_page->rowBox(row)->click();
        }
        m_page->start(m_templet);
        QCOMPARE(m_page->look(), QStringLiteral("running"));
        QVERIFY(!m_page->table()->isSortingEnabled());
        QTRY_COMPARE(m_page->look(), QStringLiteral("idle"));

        QVERIFY(m_page->boxes.isEmpty());
        QCOMPARE(m_page->button(), QStringLiteral("Start Set"));
        QCOMPARE(m_page->child<QProgressBar>("progressBar")->value(), 0);
        QVERIFY(m_page->table()->isSortingEnabled());
        const QStringList outcomes { m_page->outcome(0), m_page->outcome(1), m_page->outcome(2),
            m_page->outcome(3), m_page->outcome(4) };
        QCOMPARE(outcomes,
            (QStringList { Both, "Set Complete|Camera Parameters|NTP Parameters", "Failed to set||",
                "Unset||", Both }));
        QCOMPARE(m_fleet->record(4, NtpCfg::getCommand), untouched);
    }

    void stopShowsTheFinalStatesAndLeavesTheRestUnset()
    {
        // The second device answers slowly enough to be caught while it is set up.
        devsim::Fault slow;
        slow.delayMs = 8000; // 400 ms a frame at the fleet's time scale
        m_fleet->setFault(5, slow);
        fill({ device(0), device(5), device(2), device(4) });
        m_page->child<QCheckBox>("checkAll")->click();
        m_page->start(m_templet);
        QTRY_COMPARE(m_page->outcome(1), QStringLiteral("Setting up||"));

        QTest::mouseClick(m_page->child<QPushButton>("btnStartConfig"), Qt::LeftButton);
        QCOMPARE(m_page->look(), QStringLiteral("idle"));
        const QStringList outcomes { m_page->outcome(0), m_page->outcome(1), m_page->outcome(2),
            m_page->outcome(3) };
        QCOMPARE(outcomes, (QStringList { Both, Both, "Unset||", "Unset||" }));
    }

    void failedStartLeavesNoTasksBehind()
    {
        fill({ device(0), device(2) });
        m_page->child<QCheckBox>("checkAll")->click();
        m_page->start(m_dir.filePath(QStringLiteral("none.xml")));
        QCOMPARE(m_page->boxes, QStringList { "Warning|Failed to setup parameters!" });
        QVERIFY(m_page->table()->isSortingEnabled());

        const quint32 before[] = { loginNumber(0), loginNumber(2) };
        m_page->start(m_templet);
        QTRY_COMPARE(m_page->look(), QStringLiteral("idle"));
        // One login to each camera, and the tasks are the new ones alone.
        QCOMPARE(loginNumber(0), before[0] + 2);
        QCOMPARE(loginNumber(2), before[1] + 2);
        for (int row = 0; row < 2; ++row) {
            QCOMPARE(m_page->table()
                         ->item(row, CBatchConfigFrame::NameColumn)
                         ->data(CBatchConfigFrame::TaskIndexRole)
                         .toInt(),
                row);
            QCOMPARE(m_page->outcome(row), Both);
        }
    }
};

QTEST_MAIN(TestBatchConfigFrame)
#include "tst_batchconfigframe.moc"
