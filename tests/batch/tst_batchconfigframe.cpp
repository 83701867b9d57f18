#include "batchconfigframe.h"
#include "fakeservices.h"
#include "fleet.h"
#include "mirt.h"
#include "solvane.h"
#include "templetsource.h"
#include "testdevice.h"

#include <QCheckBox>
#include <QHeaderView>
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
    // The row that shows `ip`, or -1.
    int rowOf(const QString &ip) const
    {
        for (int row = 0; row < table()->rowCount(); ++row) {
            const QTableWidgetItem *item = table()->item(row, IpColumn);
            if (item != nullptr && item->text() == ip) {
                return row;
            }
        }
        return -1;
    }
    // State, applied and failed sections of the row showing `ip`, joined by "|".
    QString outcome(const QString &ip) const
    {
        const int row = rowOf(ip);
        if (row < 0) {
            return QStringLiteral("no row");
        }
        return QStringList { table()->item(row, StateColumn)->text(),
            table()->item(row, AppliedColumn)->text(), table()->item(row, FailedColumn)->text() }
            .join(QLatin1Char('|'));
    }
    void start(const QString &file)
    {
        child<QLineEdit>("editFilePath")->setText(file);
        QTest::mouseClick(child<QPushButton>("btnStartConfig"), Qt::LeftButton);
    }
    // "idle", "running", or "mixed" for a page that shows parts of both.
    QString look() const
    {
        QList<bool> running { child<QPushButton>("btnStartConfig")->text()
                == QLatin1String("Stop Set"),
            child<QProgressBar>("progressBar")->isVisibleTo(this),
            !child<QCheckBox>("checkAll")->isEnabled(),
            !child<QCheckBox>("RebootCheckBox")->isEnabled(), IsRunning() };
        for (int row = 0; row < table()->rowCount(); ++row) {
            if (!table()->isRowHidden(row)) {
                running << !rowBox(row)->isEnabled();
            }
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

    QString ip(int camera) const { return m_fleet->address(camera); }

    // Camera `camera` as the store lists it: announced (source 0, reached with the
    // default credentials) or found by the search with `password`.
    DEVICEINFO device(int camera, quint32 source = 0, const char *password = "60917") const
    {
        DEVICEINFO record = testDevice("", ip(camera).toLatin1().constData());
        m_fleet->run([&] {
            const devsim::Camera *c = m_fleet->cameras().at(camera);
            FixedText::write(record.szSerialNo, c->serialNo().toLatin1());
        });
        FixedText::write(record.szDevName, QStringLiteral("Hall %1").arg(camera).toLocal8Bit());
        record.wPort = FleetPort;
        record.dwSource = source;
        if (source == 1) {
            FixedText::write(record.szUserName, "admin");
            FixedText::write(record.szPassword, password);
        }
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

        Records source;
        for (const quint32 command : AllCommands) {
            source.insert(command, m_fleet->record(7, command));
        }
        m_templet = m_dir.filePath(QStringLiteral("front-ntp.xml"));
        QVERIFY(writeTemplet(m_templet, distinctSource(source), FrontSection | NtpSection));
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
        QVERIFY(table->isSortingEnabled());
        QCOMPARE(
            m_page->child<QPushButton>("btnStartConfig")->text(), QStringLiteral("Start Setting"));
        QCOMPARE(m_page->look(), QStringLiteral("idle"));
    }

    void refillHidesSurplusRowsAndInsertsOnlyNewOnes()
    {
        std::vector<DEVICEINFO> devices;
        for (int camera = 0; camera < 7; ++camera) {
            devices.push_back(device(camera));
        }
        QTableWidget *table = m_page->table();
        auto shownRows = [table] {
            QList<int> rows;
            for (int row = 0; row < table->rowCount(); ++row) {
                if (!table->isRowHidden(row)) {
                    rows << row;
                }
            }
            return rows;
        };

        fill({ devices.begin(), devices.begin() + 5 });
        QCOMPARE(table->rowCount(), 5);
        QCOMPARE(shownRows(), (QList<int> { 0, 1, 2, 3, 4 }));
        const int row = m_page->rowOf(ip(3));
        QCOMPARE(table->item(row, CBatchConfigFrame::NameColumn)->text(), QStringLiteral("Hall 3"));
        QCOMPARE(table->item(row, CBatchConfigFrame::NameColumn)
                     ->data(CBatchConfigFrame::DeviceIndexRole)
                     .toInt(),
            3);
        QCOMPARE(table->item(row, CBatchConfigFrame::SerialColumn)->text(),
            QString::fromLatin1(devices[3].szSerialNo));
        QCOMPARE(m_page->outcome(ip(3)), QStringLiteral("Unset||"));

        fill({ devices.begin(), devices.begin() + 2 });
        QCOMPARE(table->rowCount(), 5);
        QCOMPARE(shownRows(), (QList<int> { 0, 1 }));
        for (int hidden = 2; hidden < 5; ++hidden) {
            QVERIFY(table->item(hidden, CBatchConfigFrame::NameColumn) == nullptr);
            QVERIFY(table->cellWidget(hidden, CBatchConfigFrame::CheckColumn) == nullptr);
        }

        fill(devices);
        QCOMPARE(table->rowCount(), 7);
        QCOMPARE(shownRows(), (QList<int> { 0, 1, 2, 3, 4, 5, 6 }));
        QCOMPARE(m_page->rowOf(ip(6)) >= 0, true);
    }

    void checkAllFollowsTheRows()
    {
        fill({ device(0), device(1), device(2) });
        auto *all = m_page->child<QCheckBox>("checkAll");
        auto checkedRows = [this] {
            QList<bool> checked;
            for (int row = 0; row < 3; ++row) {
                checked << m_page->rowBox(row)->isChecked();
            }
            return checked;
        };
        all->click();
        QCOMPARE(checkedRows(), (QList<bool> { true, true, true }));
        m_page->rowBox(1)->click();
        QVERIFY(!all->isChecked());
        QCOMPARE(checkedRows(), (QList<bool> { true, false, true }));
        // Checking the last row by hand does not check "All".
        m_page->rowBox(1)->click();
        QVERIFY(!all->isChecked());
        all->click();
        all->click();
        QCOMPARE(checkedRows(), (QList<bool> { false, false, false }));
    }

    void browseReplacesTheFileNameUnlessCancelled()
    {
        auto *edit = m_page->child<QLineEdit>("editFilePath");
        auto *browse = m_page->child<QPushButton>("btnBrowse");
        m_page->chosenFile = QStringLiteral("/tmp/site.xml");
        QTest::mouseClick(browse, Qt::LeftButton);
        QCOMPARE(edit->text(), QStringLiteral("/tmp/site.xml"));
        m_page->chosenFile.clear();
        QTest::mouseClick(browse, Qt::LeftButton);
        QCOMPARE(edit->text(), QStringLiteral("/tmp/site.xml"));
    }

    void startIsRefusedWithAMessage_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("check");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QStringList>("log");
        QTest::newRow("no file") << QString() << true
                                 << "Warning|Please select parameter templet file!"
                                 << QStringList();
        QTest::newRow("no device")
            << "templet" << false << "Warning|Please select device" << QStringList();
        QTest::newRow("unreadable templet")
            << "missing" << true << "Warning|Failed to setup parameters!"
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
                : file == QLatin1String("missing")     ? m_dir.filePath(QStringLiteral("none.xml"))
                                                       : QString());
        QCOMPARE(m_page->boxes, QStringList { box });
        QCOMPARE(m_services->log, log);
        QCOMPARE(m_page->look(), QStringLiteral("idle"));
        QCOMPARE(
            m_page->child<QPushButton>("btnStartConfig")->text(), QStringLiteral("Start Setting"));
        QCOMPARE(m_page->outcome(ip(0)), QStringLiteral("Unset||"));
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
        QTableWidget *table = m_page->table();
        for (const int row : { 0, 1, 2, 4 }) {
            m_page->rowBox(row)->click();
        }

        m_page->start(m_templet);
        QCOMPARE(m_page->look(), QStringLiteral("running"));
        QCOMPARE(m_page->child<QPushButton>("btnStartConfig")->text(), QStringLiteral("Stop Set"));
        QVERIFY(!table->isSortingEnabled());
        QTRY_COMPARE(m_page->look(), QStringLiteral("idle"));

        QVERIFY(m_page->boxes.isEmpty());
        QCOMPARE(m_page->child<QPushButton>("btnStartConfig")->text(), QStringLiteral("Start Set"));
        QCOMPARE(m_page->child<QProgressBar>("progressBar")->value(), 0);
        QVERIFY(table->isSortingEnabled());
        QStringList outcomes;
        for (int row = 0; row < 5; ++row) {
            outcomes << QStringList { table->item(row, CBatchConfigFrame::StateColumn)->text(),
                table->item(row, CBatchConfigFrame::AppliedColumn)->text(),
                table->item(row, CBatchConfigFrame::FailedColumn)->text() }
                            .join(QLatin1Char('|'));
        }
        QCOMPARE(outcomes,
            (QStringList { "Set Complete|Camera Parameters,NTP Parameters|",
                "Set Complete|Camera Parameters|NTP Parameters", "Failed to set||", "Unset||",
                "Set Complete|Camera Parameters,NTP Parameters|" }));
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
        QTRY_COMPARE(m_page->outcome(ip(5)), QStringLiteral("Setting up||"));

        QTest::mouseClick(m_page->child<QPushButton>("btnStartConfig"), Qt::LeftButton);
        QCOMPARE(m_page->look(), QStringLiteral("idle"));
        QCOMPARE(m_page->outcome(ip(0)),
            QStringLiteral("Set Complete|Camera Parameters,NTP Parameters|"));
        QCOMPARE(m_page->outcome(ip(5)),
            QStringLiteral("Set Complete|Camera Parameters,NTP Parameters|"));
        QCOMPARE(m_page->outcome(ip(2)), QStringLiteral("Unset||"));
        QCOMPARE(m_page->outcome(ip(4)), QStringLiteral("Unset||"));
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
        // Each camera was logged in to once, and the tasks are the new ones only.
        QCOMPARE(loginNumber(0), before[0] + 2);
        QCOMPARE(loginNumber(2), before[1] + 2);
        for (int row = 0; row < 2; ++row) {
            QCOMPARE(m_page->table()
                         ->item(row, CBatchConfigFrame::NameColumn)
                         ->data(CBatchConfigFrame::TaskIndexRole)
                         .toInt(),
                row);
        }
        QCOMPARE(m_page->outcome(ip(2)),
            QStringLiteral("Set Complete|Camera Parameters,NTP Parameters|"));
    }

    void sectionNamesFollowTheBitOrder_data()
    {
        QTest::addColumn<quint32>("bits");
        QTest::addColumn<QString>("names");
        QTest::newRow("none") << 0u << QString();
        QTest::newRow("first and last") << 257u << "Camera Parameters,RS485 Parameters";
        QTest::newRow("all") << 511u
                             << "Camera Parameters,Video Parameters,Compressing Parameters,"
                                "Recording Parameters,DDNS Parameters,NTP Parameters,NFS "
                                "Parameters,Email Parameters,RS485 Parameters";
        QTest::newRow("unknown bits") << 1536u << QString();
    }

    void sectionNamesFollowTheBitOrder()
    {
        QFETCH(quint32, bits);
        QFETCH(QString, names);
        QCOMPARE(CBatchConfigFrame::SectionNames(bits), names);
    }
};

QTEST_MAIN(TestBatchConfigFrame)
#include "tst_batchconfigframe.moc"
