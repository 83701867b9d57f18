#include "batchconfigframe.h"
#include "fleet.h"
#include "mirt.h"
#include "solvane.h"
#include "templetsource.h"
#include "tervix.h"
#include "testdevice.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace batchtest;

namespace {

constexpr quint16 FleetPort = 18520;

// The window with its message boxes ("title: text") recorded, not shown.
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

// The main window's "Batch Set" tab on simulated cameras on 127.0.86.101 - 127.0.86.104.
class TestBatchSetTab : public QObject
{
    Q_OBJECT

    std::unique_ptr<devsim::Fleet> m_fleet;
    QTemporaryDir m_dir;

    void announce(RecordingTervix &window, int camera)
    {
        auto *record
            = new DEVICEINFO(testDevice("", m_fleet->address(camera).toLatin1().constData()));
        m_fleet->run([&] {
            FixedText::write(
                record->szSerialNo, m_fleet->cameras().at(camera)->serialNo().toLatin1());
        });
        record->wPort = FleetPort;
        window.DeviceCallback(record, DeviceReportAddOrUpdate);
    }

    static QStringList shownAddresses(const CBatchConfigFrame *page)
    {
        auto *table = page->findChild<QTableWidget *>(QStringLiteral("BatchConfigTable"));
        QStringList addresses;
        for (int row = 0; row < table->rowCount(); ++row) {
            if (!table->isRowHidden(row)) {
                addresses << table->item(row, CBatchConfigFrame::IpColumn)->text();
            }
        }
        return addresses;
    }

private slots:
    void initTestCase()
    {
        MIRT_Init();
        SOLV_Init();
        QVERIFY(m_dir.isValid());
        devsim::FleetOptions options;
        options.count = 4;
        options.firstAddress = QStringLiteral("127.0.86.101");
        options.port = FleetPort;
        options.timeScale = 0.05;
        options.discoveryPort = 0;
        m_fleet = std::make_unique<devsim::Fleet>(options);
        QString error;
        QVERIFY2(m_fleet->start(&error), qPrintable(error));
    }

    void cleanupTestCase()
    {
        m_fleet.reset();
        SOLV_Cleanup();
        MIRT_Fini();
    }

    void runningPageIsNeitherRefilledNorClosed()
    {
        Records source;
        for (const quint32 command : AllCommands) {
            source.insert(command, m_fleet->record(3, command));
        }
        const QString templet = m_dir.filePath(QStringLiteral("ntp.xml"));
        QVERIFY(writeTemplet(templet, distinctSource(source), NtpSection));
        devsim::Fault slow;
        slow.delayMs = 8000; // 400 ms a frame at the fleet's time scale
        m_fleet->setFault(1, slow);

        RecordingTervix window;
        auto *tabs = window.findChild<QTabWidget *>(QStringLiteral("MaintabWidget"));
        auto *page = window.findChild<CBatchConfigFrame *>(QStringLiteral("BatchconfigFrame"));
        QVERIFY(page != nullptr);
        announce(window, 0);
        announce(window, 1);
        tabs->setCurrentIndex(1);
        QCOMPARE(shownAddresses(page), (QStringList { m_fleet->address(0), m_fleet->address(1) }));

        page->findChild<QCheckBox *>(QStringLiteral("checkAll"))->click();
        page->findChild<QLineEdit *>(QStringLiteral("editFilePath"))->setText(templet);
        page->findChild<QPushButton *>(QStringLiteral("btnStartConfig"))->click();
        QVERIFY(page->IsRunning());

        announce(window, 2);
        tabs->setCurrentIndex(0);
        tabs->setCurrentIndex(1);
        QCOMPARE(shownAddresses(page), (QStringList { m_fleet->address(0), m_fleet->address(1) }));
        QCloseEvent refused;
        QCoreApplication::sendEvent(&window, &refused);
        QVERIFY(!refused.isAccepted());
        QCOMPARE(window.messages, QStringList { "Warning!: Batch Set Incomplete!" });

        QTRY_VERIFY(!page->IsRunning());
        tabs->setCurrentIndex(0);
        tabs->setCurrentIndex(1);
        QCOMPARE(shownAddresses(page),
            (QStringList { m_fleet->address(0), m_fleet->address(1), m_fleet->address(2) }));
        m_fleet->clearFault(1);
    }
};

QTEST_MAIN(TestBatchSetTab)
#include "tst_batchsettab.moc"
