#include "devicelistmodel.h"
#include "devicesdk.h"
#include "fleet.h"
#include "maintablewithmend.h"
#include "records.h"
#include "tervix.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTest>

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

static QStringList logLines(const QWidget *window)
{
    QStringList lines;
    const auto *list = window->findChild<QListWidget *>(QStringLiteral("listWidget"));
    for (int i = 0; i < list->count(); ++i) {
        lines << list->item(i)->text().section(QStringLiteral("] "), 1);
    }
    return lines;
}

static bool answersAt(const QString &ip, quint16 port)
{
    SdkLogin login(ip.toLatin1(), port, "admin", "60917");
    NetCfg net;
    return login.ok() && readRecord(login.userId(), net, 0) && net.ipAddress() == ip.toLatin1();
}

class TestBatchMendWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<devsim::Fleet> m_fleet;
    std::unique_ptr<RecordingTervix> m_window;

    QLineEdit *edit(const char *name) const
    {
        return m_window->configTable()->findChild<QLineEdit *>(QLatin1String(name));
    }
    QString cell(int row, DeviceList::Column column) const
    {
        return m_window->deviceModel()->index(row, column).data().toString();
    }
private slots:
    // Every function gets its own cameras at their factory addresses and a
    // window that has just found them, so each one runs alone.
    void init()
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
        QTRY_COMPARE_WITH_TIMEOUT(m_window->deviceModel()->rowCount(), CameraCount, 30000);
    }

    void cleanup()
    {
        m_window.reset();
        m_fleet.reset();
    }

    void singleDeviceChangeAppliesInOrder()
    {
        QTableView *view = m_window->configTable()->tableView();
        const QModelIndex index = m_window->deviceModel()->index(0, 1);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
        QVERIFY(m_window->configTable()->IsSinglePanelShown());
        const QString serial = cell(0, DeviceList::SerialColumn);
        QCOMPARE(edit("IPAddrLineEdit")->text(), cell(0, DeviceList::IpColumn));

        edit("DevNameLineEdit")->setText(QStringLiteral("Gate \u5357"));
        edit("IPAddrLineEdit")->setText(QStringLiteral("127.0.63.200"));
        edit("MaskLineEdit")->setText(QStringLiteral("255.255.0.0"));
        edit("GatewayLineEdit")->setText(QStringLiteral("127.0.63.254"));
        edit("PortLineEdit")->setText(QString::number(NewPort));
        const qsizetype before = logLines(m_window.get()).size();
        QTest::mouseClick(
            m_window->configTable()->findChild<QPushButton *>("ChangepushButton"), Qt::LeftButton);
        QCOMPARE(logLines(m_window.get()).mid(before),
            (QStringList {
                serial + " set ip, port, mask to127.0.63.200, 18800, 255.255.0.0 succeed!",
                serial + " set device name to\"Gate \u5357\" succeed!",
                serial + " set gateway to127.0.63.254 succeed!" }));
        QCOMPARE(cell(0, DeviceList::IpColumn), QStringLiteral("127.0.63.200"));
        QCOMPARE(cell(0, DeviceList::NameColumn), QStringLiteral("Gate \u5357"));
        QVERIFY(answersAt(QStringLiteral("127.0.63.200"), NewPort));
        // The camera then announces its new address; announcements carry no
        // name, so once merged the row shows none.
        QTRY_COMPARE_WITH_TIMEOUT(cell(0, DeviceList::NameColumn), QString(), 30000);
    }

    void twentyTickedCamerasMoveToConsecutiveAddresses()
    {
        QTest::mouseClick(
            m_window->configTable()->findChild<QCheckBox *>("AllcheckBox"), Qt::LeftButton);
        QCOMPARE(m_window->checkedCount(), CameraCount);
        QVERIFY(m_window->configTable()->IsBatchPanelShown());
        edit("StartIPLineEdit")->setText(QStringLiteral("127.0.63.1"));
        edit("BatchMaskLineEdit")->setText(QStringLiteral("255.255.255.0"));
        edit("BatchGatewayLineEdit")->setText(QStringLiteral("127.0.63.254"));
        edit("BatchPortLineEdit")->setText(QString::number(NewPort));
        const qsizetype before = logLines(m_window.get()).size();
        // Returns when the wait dialog closes after the last device.
        QTest::mouseClick(
            m_window->configTable()->findChild<QPushButton *>("BatchChangeButton"), Qt::LeftButton);

        // Rows in order got .1, .2, ...; each shows its new address and its camera answers there.
        QStringList expected;
        for (int row = 0; row < CameraCount; ++row) {
            const QString serial = cell(row, DeviceList::SerialColumn);
            const QString address = QStringLiteral("127.0.63.%1").arg(row + 1);
            expected << serial + " set ip, port, mask to" + address
                    + ", 18800, 255.255.255.0 succeed!"
                     << serial + " set gateway to127.0.63.254 succeed!";
            QCOMPARE(cell(row, DeviceList::IpColumn), address);
            QVERIFY(answersAt(address, NewPort));
        }
        QCOMPARE(logLines(m_window.get()).mid(before), expected);
    }
};

QTEST_MAIN(TestBatchMendWindow)
#include "tst_batchmendwindow.moc"
