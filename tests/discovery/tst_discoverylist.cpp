#include "devicelistmodel.h"
#include "discoveryfleet.h"
#include "iplineedit.h"
#include "quarryloader.h"
#include "search.h"
#include "searchengine.h"
#include "tervix.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The window with its message boxes recorded instead of shown.
class RecordingTervix : public Tervix
{
public:
    QStringList titles;
    QStringList messages;

protected:
    void showInformation(const QString &title, const QString &text) override
    {
        titles << title;
        messages << text;
    }
};

// Whether the operation log (found by the list's object name) has the line.
bool logged(const QWidget *window, const QString &text)
{
    for (const QListWidget *list :
        window->findChildren<QListWidget *>(QStringLiteral("listWidget"))) {
        for (int i = 0; i < list->count(); ++i) {
            if (list->item(i)->text().endsWith(QStringLiteral("] ") + text)) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

class DiscoveryListTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<devsim::Fleet> m_fleet;
    std::unique_ptr<RecordingTervix> m_window;

    int rowOf(const QString &serial) const
    {
        return DeviceList::FindRowOfSerial(m_window->deviceModel(), serial);
    }

    QString serial(int index) const { return discoverytest::serial(*m_fleet, index); }

    QString cell(int row, const QString &header) const
    {
        const QStandardItemModel *model = m_window->deviceModel();
        return model->index(row, DeviceList::FindColumn(model, header)).data().toString();
    }

private slots:
    void initTestCase()
    {
        devsim::FleetOptions options;
        options.count = 5;
        options.firstAddress = QStringLiteral("127.0.10.1");
        options.port = 18200;
        options.timeScale = 0.1; // announcements every 200 ms, reboots of 0.5 s
        options.rebootSeconds = 5;
        options.discoveryPort = quarry::discoveryPort();
        m_fleet = std::make_unique<devsim::Fleet>(options);
        QString error;
        QVERIFY2(m_fleet->start(&error), qPrintable(error));
    }

    void cleanupTestCase()
    {
        m_window.reset();
        m_fleet.reset();
    }

    void missingLibraryIsReportedAndTheProgramRunsOn()
    {
        const QByteArray binDir = qgetenv("TERVIX_BIN_DIR");
        QTemporaryDir empty;
        qputenv("TERVIX_BIN_DIR", QFile::encodeName(empty.path()));
        RecordingTervix window;
        window.show();
        qputenv("TERVIX_BIN_DIR", binDir);
        QCOMPARE(window.titles, QStringList { QStringLiteral("Failed") });
        QCOMPARE(window.messages, QStringList { QStringLiteral("Failed to load QUARRY library!") });
        QVERIFY(logged(&window, QStringLiteral("Failed to load QUARRY library!")));
        // No announcements, but the window works and closes normally.
        QTest::qWait(300);
        QCOMPARE(window.deviceModel()->rowCount(), 0);
        QVERIFY(window.close());
        QCOMPARE(QuarryLoader::instance().referenceCount(), 0);
    }

    void firstShowFillsTheListWithTheFleet()
    {
        m_window = std::make_unique<RecordingTervix>();
        m_window->show();
        QVERIFY(m_window->messages.isEmpty());
        QVERIFY(logged(m_window.get(), QStringLiteral("Succeed to load QUARRY library!")));
        QVERIFY(!logged(m_window.get(), QStringLiteral("Failed to load QUARRY library!")));
        QCOMPARE(QuarryLoader::instance().referenceCount(), 1);

        QTRY_COMPARE_WITH_TIMEOUT(m_window->deviceModel()->rowCount(), m_fleet->count(), 3000);
        for (int i = 0; i < m_fleet->count(); ++i) {
            const int row = rowOf(serial(i));
            QVERIFY(row >= 0);
            QCOMPARE(cell(row, DeviceList::IpHeader()), m_fleet->address(i));
            QCOMPARE(cell(row, DeviceList::PortHeader()), QStringLiteral("18200"));
        }
    }

    void readdressedCameraUpdatesItsRowInPlace()
    {
        const QByteArray macText = discoverytest::mac(*m_fleet, 1);
        const int row = rowOf(serial(1));
        const int rows = m_window->deviceModel()->rowCount();
        QCOMPARE(Quarry_SendUpdateIp(macText.constData(), "127.0.10.21", "255.255.0.0",
                     m_window->defaultPassword(), "18221"),
            QUARRY_UPDATE_DONE);
        QTRY_COMPARE_WITH_TIMEOUT(
            cell(row, DeviceList::IpHeader()), QStringLiteral("127.0.10.21"), 3000);
        QCOMPARE(rowOf(serial(1)), row);
        QCOMPARE(m_window->deviceModel()->rowCount(), rows);
        QCOMPARE(cell(row, DeviceList::PortHeader()), QStringLiteral("18221"));
        QCOMPARE(cell(row, DeviceList::MaskHeader()), QStringLiteral("255.255.0.0"));
    }

    void goodbyeRemovesTheRowAndTheRebootBringsItBack()
    {
        const QString s = serial(2);
        m_fleet->reboot(2);
        QTRY_COMPARE_WITH_TIMEOUT(rowOf(s), -1, 3000);
        QCOMPARE(m_window->deviceModel()->rowCount(), m_fleet->count() - 1);
        QTRY_VERIFY_WITH_TIMEOUT(rowOf(s) >= 0, 5000);
        QCOMPARE(m_window->deviceModel()->rowCount(), m_fleet->count());
    }

    void searchedDevicesJoinTheDeviceList()
    {
        // Cameras that do not announce themselves; the second refuses the
        // default password and is listed in the search dialog only.
        devsim::FleetOptions options;
        options.count = 4;
        options.firstAddress = QStringLiteral("127.0.10.101");
        options.discoveryPort = 0;
        options.seed = 21;
        options.passwords.insert(1, "another");
        devsim::Fleet fleet(options);
        QString error;
        QVERIFY2(fleet.start(&error), qPrintable(error));
        const int rows = m_window->deviceModel()->rowCount();

        auto *dialog = m_window->findChild<CSearch *>();
        QVERIFY(dialog != nullptr);
        dialog->show();
        dialog->findChild<CIpLineEdit *>(QStringLiteral("StartIPlineEdit"))
            ->setText(QStringLiteral("127.0.10.100"));
        dialog->findChild<QLineEdit *>(QStringLiteral("StopIPlineEdit"))
            ->setText(QStringLiteral("106"));
        QTest::mouseClick(
            dialog->findChild<QPushButton *>(QStringLiteral("pushButton")), Qt::LeftButton);
        QVERIFY(dialog->isSearching());
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->isSearching(), 15000);
        auto *list = dialog->findChild<QListWidget *>(QStringLiteral("listWidget"));
        QTRY_COMPARE(list->item(list->count() - 1)->text(), QStringLiteral("Search Complete!"));
        QCOMPARE(list->item(0)->text(), QStringLiteral("Start Search!"));
        QStringList lines;
        for (int i = 1; i < list->count() - 1; ++i) {
            lines.append(list->item(i)->text());
        }
        lines.sort();
        QCOMPARE(lines,
            QStringList({ "Online Devices: 127.0.10.101",
                "Online Devices: 127.0.10.102(User Name or Password error)",
                "Online Devices: 127.0.10.103", "Online Devices: 127.0.10.104" }));
        QCOMPARE(m_window->searchEngine()->Done(), 7u);

        QCOMPARE(m_window->deviceModel()->rowCount(), rows + 3);
        for (int i : { 0, 2, 3 }) {
            const int row = rowOf(discoverytest::serial(fleet, i));
            QVERIFY(row >= 0);
            QCOMPARE(cell(row, DeviceList::IpHeader()), fleet.address(i));
            QCOMPARE(cell(row, DeviceList::PortHeader()), QStringLiteral("8000"));
        }
        dialog->hide();
    }

    void acceptedCloseStopsAndReleasesTheLibrary()
    {
        QVERIFY(m_window->close());
        QCOMPARE(QuarryLoader::instance().referenceCount(), 0);
        QVERIFY(QuarryLoader::instance().handle() == nullptr);
        const int rows = m_window->deviceModel()->rowCount();
        m_fleet->reboot(0); // its goodbye reaches nobody now
        QTest::qWait(300);
        QCOMPARE(m_window->deviceModel()->rowCount(), rows);
    }
};

QTEST_MAIN(DiscoveryListTest)
#include "tst_discoverylist.moc"
