#include "devicelistmodel.h"
#include "devicesdk.h"
#include "fleet.h"
#include "maintablewithmend.h"
#include "quarryloader.h"
#include "records.h"
#include "tervix.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTest>

namespace {

constexpr int CameraCount = 20;
constexpr quint16 FleetPort = 18700;
constexpr quint16 NewPort = 18800;

// The window with its message boxes recorded instead of shown.
class RecordingTervix : public Tervix
{
public:
    QStringList messages;

protected:
    void showInformation(const QString &, const QString &text) override { messages << text; }
};

QStringList logLines(const QWidget *window)
{
    QStringList lines;
    const auto *list = window->findChild<QListWidget *>(QStringLiteral("listWidget"));
    for (int i = 0; i < list->count(); ++i) {
        // Without the time stamp.
        lines << list->item(i)->text().section(QStringLiteral("] "), 1);
    }
    return lines;
}

bool answersAt(const QString &ip, quint16 port)
{
    SdkLogin login(ip.toLatin1(), port, "admin", "60917");
    if (!login.ok()) {
        return false;
    }
    NetCfg net;
    return readRecord(login.userId(), net, 0) && net.ipAddress() == ip.toLatin1();
}

} // namespace

// The main window on a fleet of announcing cameras, driven as a user would:
// one device changed in the single panel, then twenty ticked devices moved
// to consecutive addresses from the batch panel.
class TestBatchMendWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void singleDeviceChangeAppliesInOrder();
    void twentyTickedCamerasMoveToConsecutiveAddresses();

private:
    QLineEdit *edit(const char *name) const
    {
        return m_window->configTable()->findChild<QLineEdit *>(QLatin1String(name));
    }
    QString cell(int row, const QString &header) const
    {
        QStandardItemModel *model = m_window->deviceModel();
        return model->index(row, DeviceList::FindColumn(model, header)).data().toString();
    }
    int cameraOfSerial(const QString &serial) const;

    std::unique_ptr<devsim::Fleet> m_fleet;
    std::unique_ptr<RecordingTervix> m_window;
};

void TestBatchMendWindow::initTestCase()
{
    devsim::FleetOptions options;
    options.count = CameraCount;
    options.firstAddress = QStringLiteral("127.0.62.1");
    options.port = FleetPort;
    options.timeScale = 0.1;
    m_fleet = std::make_unique<devsim::Fleet>(options);
    QString error;
    QVERIFY2(m_fleet->start(&error), qPrintable(error));

    m_window = std::make_unique<RecordingTervix>();
    m_window->resize(1400, 900);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QVERIFY2(m_window->messages.isEmpty(), qPrintable(m_window->messages.join('\n')));
    QTRY_COMPARE_WITH_TIMEOUT(m_window->deviceModel()->rowCount(), CameraCount, 5000);
    QVERIFY(m_window->isConfigTableWide());
}

void TestBatchMendWindow::cleanupTestCase()
{
    m_window.reset();
    m_fleet.reset();
}

int TestBatchMendWindow::cameraOfSerial(const QString &serial) const
{
    int found = -1;
    m_fleet->run([&] {
        for (const devsim::Camera *camera : m_fleet->cameras()) {
            if (camera->serialNo() == serial) {
                found = camera->index();
            }
        }
    });
    return found;
}

void TestBatchMendWindow::singleDeviceChangeAppliesInOrder()
{
    CMainTableWithMend *table = m_window->configTable();
    QTableView *view = table->tableView();
    const QModelIndex index = m_window->deviceModel()->index(0, 1);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
    QVERIFY(table->IsSinglePanelShown());
    const QString serial = cell(0, DeviceList::SerialHeader());
    const int camera = cameraOfSerial(serial);
    QVERIFY(camera >= 0);
    QCOMPARE(edit("IPAddrLineEdit")->text(), m_fleet->address(camera));

    edit("DevNameLineEdit")->setText(QStringLiteral("Gate \u5357"));
    edit("IPAddrLineEdit")->setText(QStringLiteral("127.0.63.200"));
    edit("MaskLineEdit")->setText(QStringLiteral("255.255.0.0"));
    edit("GatewayLineEdit")->setText(QStringLiteral("127.0.63.254"));
    edit("PortLineEdit")->setText(QString::number(NewPort));
    const qsizetype before = logLines(m_window.get()).size();
    QTest::mouseClick(
        table->findChild<QPushButton *>(QStringLiteral("ChangepushButton")), Qt::LeftButton);

    const QStringList lines = logLines(m_window.get()).mid(before);
    QCOMPARE(lines,
        (QStringList { serial + " set ip, port, mask to127.0.63.200, 18800, 255.255.0.0 succeed!",
            serial + " set device name to\"Gate \u5357\" succeed!",
            serial + " set gateway to127.0.63.254 succeed!" }));
    QCOMPARE(cell(0, DeviceList::IpHeader()), QStringLiteral("127.0.63.200"));
    QCOMPARE(cell(0, DeviceList::NameHeader()), QStringLiteral("Gate \u5357"));
    QCOMPARE(m_fleet->currentAddress(camera), QStringLiteral("127.0.63.200"));
    QVERIFY(answersAt(QStringLiteral("127.0.63.200"), NewPort));
}

void TestBatchMendWindow::twentyTickedCamerasMoveToConsecutiveAddresses()
{
    CMainTableWithMend *table = m_window->configTable();
    QTest::mouseClick(table->findChild<QCheckBox *>(QStringLiteral("AllcheckBox")), Qt::LeftButton);
    QCOMPARE(m_window->checkedCount(), CameraCount);
    QVERIFY(table->IsBatchPanelShown());

    edit("StartIPLineEdit")->setText(QStringLiteral("127.0.63.1"));
    edit("BatchMaskLineEdit")->setText(QStringLiteral("255.255.255.0"));
    edit("BatchGatewayLineEdit")->setText(QStringLiteral("127.0.63.254"));
    edit("BatchPortLineEdit")->setText(QString::number(NewPort));
    const qsizetype before = logLines(m_window.get()).size();
    // Returns when the wait dialog closes after the last device.
    QTest::mouseClick(
        table->findChild<QPushButton *>(QStringLiteral("BatchChangeButton")), Qt::LeftButton);

    // Rows in order got .1, .2, ...; each row shows its new address and the
    // camera answers there.
    QStringList expected;
    for (int row = 0; row < CameraCount; ++row) {
        const QString serial = cell(row, DeviceList::SerialHeader());
        const QString address = QStringLiteral("127.0.63.%1").arg(row + 1);
        expected << serial + " set ip, port, mask to" + address + ", 18800, 255.255.255.0 succeed!"
                 << serial + " set gateway to127.0.63.254 succeed!";
        QCOMPARE(cell(row, DeviceList::IpHeader()), address);
        QCOMPARE(cell(row, DeviceList::PortHeader()), QString::number(NewPort));
        QCOMPARE(m_fleet->currentAddress(cameraOfSerial(serial)), address);
        QVERIFY(answersAt(address, NewPort));
    }
    QCOMPARE(logLines(m_window.get()).mid(before), expected);
    const QString shot = qEnvironmentVariable("TERVIX_MEND_SCREENSHOT");
    if (!shot.isEmpty()) {
        QVERIFY(m_window->grab().save(shot));
    }
}

QTEST_MAIN(TestBatchMendWindow)
#include "tst_batchmendwindow.moc"
