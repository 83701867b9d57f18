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
    QStringList boxes; // "title|text"
    QStringList logLines;

    void Log(const QString &text) override
    {
        logLines << text;
        Tervix::Log(text);
    }

protected:
    void showInformation(const QString &title, const QString &text) override
    {
        boxes << title + QLatin1Char('|') + text;
    }
};

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

    QString cell(int row, DeviceList::Column column) const
    {
        return m_window->deviceModel()->index(row, column).data().toString();
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
        m_fleet = std::make_unique<devsim::Fleet>(options);
        QString error;
        QVERIFY2(m_fleet->start(&error), qPrintable(error));
    }

    void missingLibraryIsReportedAndTheProgramRunsOn()
    {
        const QByteArray binDir = qgetenv("TERVIX_BIN_DIR");
        QTemporaryDir empty;
        qputenv("TERVIX_BIN_DIR", QFile::encodeName(empty.path()));
        RecordingTervix window;
        window.show();
        qputenv("TERVIX_BIN_DIR", binDir);
        QCOMPARE(
            window.boxes, QStringList { QStringLiteral("Failed|Failed to load QUARRY library!") });
        QVERIFY(window.logLines.contains(QStringLiteral("Failed to load QUARRY library!")));
        QVERIFY(window.close());
        QCOMPARE(QuarryLoader::instance().referenceCount(), 0);
    }

    void firstShowFillsTheListWithTheFleet()
    {
        m_window = std::make_unique<RecordingTervix>();
        m_window->show();
        QVERIFY(m_window->boxes.isEmpty());
        QVERIFY(m_window->logLines.contains(QStringLiteral("Succeed to load QUARRY library!")));
        QCOMPARE(QuarryLoader::instance().referenceCount(), 1);

        QTRY_COMPARE_WITH_TIMEOUT(m_window->deviceModel()->rowCount(), m_fleet->count(), 3000);
        for (int i = 0; i < m_fleet->count(); ++i) {
            QCOMPARE(cell(rowOf(serial(i)), DeviceList::IpColumn), m_fleet->address(i));
        }
    }

    void changedCameraKeepsItsRowRebootedOneReturns()
    {
        const int row = rowOf(serial(1));
        QCOMPARE(Quarry_SendUpdateIp(discoverytest::mac(*m_fleet, 1).constData(), "127.0.10.21",
                     "255.255.0.0", m_window->defaultPassword(), "18221"),
            QUARRY_UPDATE_DONE);
        QTRY_COMPARE_WITH_TIMEOUT(
            cell(row, DeviceList::IpColumn), QStringLiteral("127.0.10.21"), 3000);
        QCOMPARE(rowOf(serial(1)), row);
        QCOMPARE(cell(row, DeviceList::PortColumn), QStringLiteral("18221"));
        QCOMPARE(cell(row, DeviceList::MaskColumn), QStringLiteral("255.255.0.0"));

        // A goodbye removes a row; the camera's return after the reboot adds it again.
        const QString s = serial(2);
        m_fleet->reboot(2);
        QTRY_COMPARE_WITH_TIMEOUT(rowOf(s), -1, 3000);
        QTRY_VERIFY_WITH_TIMEOUT(rowOf(s) >= 0, 5000);
        QCOMPARE(m_window->deviceModel()->rowCount(), m_fleet->count());
    }

    void searchedDevicesJoinTheDeviceList()
    {
        // Cameras that do not announce themselves; the second refuses the
        // default password and stays out of the device list.
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
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->isSearching(), 15000);
        QCOMPARE(m_window->searchEngine()->Done(), 7u);
        auto *list = dialog->findChild<QListWidget *>(QStringLiteral("listWidget"));
        for (const char *line : { "Online Devices: 127.0.10.101",
                 "Online Devices: 127.0.10.102(User Name or Password error)" }) {
            QCOMPARE(list->findItems(QLatin1String(line), Qt::MatchExactly).size(), 1);
        }

        QCOMPARE(m_window->deviceModel()->rowCount(), rows + 3);
        for (int i : { 0, 2, 3 }) {
            const int row = rowOf(discoverytest::serial(fleet, i));
            QCOMPARE(cell(row, DeviceList::IpColumn), fleet.address(i));
            QCOMPARE(cell(row, DeviceList::PortColumn), QStringLiteral("8000"));
        }
        dialog->hide();
    }

    void acceptedCloseStopsAndReleasesTheLibrary()
    {
        QVERIFY(m_window->close());
        QVERIFY(QuarryLoader::instance().handle() == nullptr);
    }
};

QTEST_MAIN(DiscoveryListTest)
#include "tst_discoverylist.moc"
