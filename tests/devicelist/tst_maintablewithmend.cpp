#include "devicelistmodel.h"
#include "fakeservices.h"
#include "maintablewithmend.h"
#include "testdevice.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTest>

namespace {

// The table with its message boxes recorded instead of shown.
class RecordingTable : public CMainTableWithMend
{
public:
    QStringList titles;
    QStringList messages;

protected:
    void showMessage(const QString &title, const QString &text) override
    {
        titles << title;
        messages << text;
    }
};

} // namespace

class TestMainTableWithMend : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void foldButtonsFollowThePanel();
    void showinfoFillsTheSinglePanel();
    void singleChangeRefusesBadFields_data();
    void singleChangeRefusesBadFields();
    void deviceGoneFromTheCurrentRowIsNotChanged_data();
    void deviceGoneFromTheCurrentRowIsNotChanged();
    void batchWithoutTickedDevicesDoesNothing();
    void batchRefusesBadFieldsThenTooFewAddresses();

private:
    QLineEdit *edit(const char *name) const
    {
        return m_table->findChild<QLineEdit *>(QLatin1String(name));
    }
    void addDevice(const char *serial, const char *ip);
    // Shows the first device in the single panel and types over its fields.
    void editFirst(const QString &name, const QString &ip, const QString &port);
    void fillBatch(const QString &ip, const QString &mask);

    std::unique_ptr<FakeServices> m_services;
    std::unique_ptr<RecordingTable> m_table;
    QStandardItemModel *m_model = nullptr;
};

void TestMainTableWithMend::init()
{
    m_services = std::make_unique<FakeServices>();
    m_table = std::make_unique<RecordingTable>();
    m_model = new QStandardItemModel(m_table.get());
    DeviceList::SetupColumns(m_model);
    m_table->SetDeviceModel(m_model);
}

void TestMainTableWithMend::cleanup()
{
    m_table.reset();
    m_services.reset();
}

void TestMainTableWithMend::addDevice(const char *serial, const char *ip)
{
    const DEVICEINFO record = testDevice(serial, ip);
    bool changed = false;
    const int slot = m_services->store.AddOrUpdate(record, &changed);
    DeviceList::InsertRow(m_model, m_model->rowCount(), record, slot);
}

void TestMainTableWithMend::editFirst(const QString &name, const QString &ip, const QString &port)
{
    m_table->tableView()->setCurrentIndex(m_model->index(0, 1));
    m_table->showinfo(m_model->index(0, 1));
    edit("DevNameLineEdit")->setText(name);
    edit("IPAddrLineEdit")->setText(ip);
    edit("MaskLineEdit")->setText(QStringLiteral("255.0.0.0"));
    edit("GatewayLineEdit")->clear();
    edit("PortLineEdit")->setText(port);
}

void TestMainTableWithMend::fillBatch(const QString &ip, const QString &mask)
{
    edit("StartIPLineEdit")->setText(ip);
    edit("BatchMaskLineEdit")->setText(mask);
    edit("BatchGatewayLineEdit")->clear();
    edit("BatchPortLineEdit")->setText(QStringLiteral("8000"));
}

void TestMainTableWithMend::foldButtonsFollowThePanel()
{
    auto *in = m_table->findChild<QWidget *>(QStringLiteral("InButton"));
    auto *out = m_table->findChild<QWidget *>(QStringLiteral("OutButton"));
    auto *fields = m_table->findChild<QWidget *>(QStringLiteral("MendFrame"));
    m_table->InfoShowOrNot(QModelIndex());
    QVERIFY(m_table->IsSinglePanelShown());
    QVERIFY(in->isHidden() && !out->isHidden() && !fields->isHidden());
    m_table->MendAreaInorOut();
    QVERIFY(!in->isHidden() && out->isHidden() && fields->isHidden());
    // Opening the panel again shows its fields, with the buttons to match.
    m_table->InfoShowOrNot();
    QVERIFY(!m_table->IsSinglePanelShown());
    m_table->InfoShowOrNot();
    QVERIFY(in->isHidden() && !out->isHidden() && !fields->isHidden());
    // While the batch panel shows, a click does not open the single one.
    m_table->GroupBoxShow();
    m_table->InfoShowOrNot(QModelIndex());
    QVERIFY(!m_table->IsSinglePanelShown());
    QVERIFY(m_table->IsBatchPanelShown());
}

void TestMainTableWithMend::showinfoFillsTheSinglePanel()
{
    DEVICEINFO record = testDevice("A", "10.0.0.1");
    CopyDeviceText(record.szDevName, "door");
    CopyDeviceText(record.szGateway, "10.0.0.254");
    record.wPort = 8123;
    DeviceList::InsertRow(m_model, 0, record, 0);
    m_table->showinfo(m_model->index(0, 5));
    QCOMPARE(edit("DevNameLineEdit")->text(), QStringLiteral("door"));
    QCOMPARE(edit("IPAddrLineEdit")->text(), QStringLiteral("10.0.0.1"));
    QCOMPARE(edit("MaskLineEdit")->text(), QStringLiteral("255.255.255.0"));
    QCOMPARE(edit("GatewayLineEdit")->text(), QStringLiteral("10.0.0.254"));
    QCOMPARE(edit("PortLineEdit")->text(), QStringLiteral("8123"));
    QVERIFY(m_table->findChild<QPushButton *>(QStringLiteral("ChangepushButton"))->isEnabled());
}

void TestMainTableWithMend::singleChangeRefusesBadFields_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("ip");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("message");

    auto row = [](const char *tag, const QString &name, const char *ip, const char *port,
                   const char *message) {
        QTest::newRow(tag) << name << QString(ip) << QString(port) << QString(message);
    };
    row("name over 32 bytes wins", QStringLiteral("\u6444").repeated(11), "", "",
        "Device name exceeds maximum length!");
    row("empty port, not the range", "", "10.0.0.9", "",
        "IP address, Subnet Mask and Port can't be empty!");
    row("port 1999", "", "10.0.0.9", "1999", "Port should be ranged from 2000 to 65535!");
    row("first part 0", "", "0.0.0.9", "8000", "IP Address is invalid!");
}

void TestMainTableWithMend::singleChangeRefusesBadFields()
{
    QFETCH(QString, name);
    QFETCH(QString, ip);
    QFETCH(QString, port);
    QFETCH(QString, message);
    addDevice("A", "10.0.0.1");
    editFirst(name, ip, port);
    m_table->DevinfoChanged();
    QCOMPARE(m_table->messages, QStringList { message });
    QCOMPARE(m_table->titles, QStringList { QStringLiteral("Error!") });
    QVERIFY(m_services->log.isEmpty());
    DEVICEINFO stored {};
    QVERIFY(m_services->store.CopyOut(0, &stored));
    QCOMPARE(QByteArray(stored.szIPAddress), QByteArray("10.0.0.1"));
}

void TestMainTableWithMend::deviceGoneFromTheCurrentRowIsNotChanged_data()
{
    QTest::addColumn<bool>("another");
    QTest::newRow("no device left") << false;
    // The current index moves on to B, whose fields were never shown.
    QTest::newRow("another device moved into the row") << true;
}

void TestMainTableWithMend::deviceGoneFromTheCurrentRowIsNotChanged()
{
    QFETCH(bool, another);
    addDevice("A", "10.0.0.1");
    if (another) {
        addDevice("B", "10.0.0.2");
    }
    editFirst(QString(), QStringLiteral("10.0.0.9"), QStringLiteral("8000"));
    // The device stops answering and leaves the list before Modify.
    m_model->removeRow(0);
    m_services->store.Remove("A");
    QCOMPARE(m_table->CurrentRow(), another ? 0 : -1);
    m_table->DevinfoChanged();
    QCOMPARE(m_table->messages, QStringList { QStringLiteral("Select a device first!") });
    QCOMPARE(m_table->titles, QStringList { QStringLiteral("Error") });
    QVERIFY(m_services->log.isEmpty());
    DEVICEINFO stored {};
    QCOMPARE(m_services->store.CopyOut(1, &stored), another);
    QCOMPARE(QByteArray(stored.szIPAddress), another ? QByteArray("10.0.0.2") : QByteArray());
}

void TestMainTableWithMend::batchWithoutTickedDevicesDoesNothing()
{
    addDevice("A", "10.0.0.1");
    fillBatch(QStringLiteral("10.0.0.20"), QStringLiteral("255.0.0.0"));
    m_table->BatchDevinfoChanged();
    QVERIFY(m_table->messages.isEmpty());
    QVERIFY(m_services->log.isEmpty());
}

void TestMainTableWithMend::batchRefusesBadFieldsThenTooFewAddresses()
{
    // Fields are checked before the ticked devices are counted.
    fillBatch(QStringLiteral("192.168.1.250"), QStringLiteral("255.255.0.255"));
    m_table->BatchDevinfoChanged();
    // "One IP" reads the other address field.
    auto *oneIp = m_table->findChild<QCheckBox *>(QStringLiteral("IPcheckBox"));
    oneIp->setChecked(true);
    edit("BatchMaskLineEdit")->setText(QStringLiteral("255.255.255.0"));
    m_table->BatchDevinfoChanged();
    oneIp->setChecked(false);
    for (const char *serial : { "A", "B", "C", "D", "E", "F" }) {
        addDevice(serial, "10.0.0.1");
    }
    m_table->AllCheckStatChanges(true);
    m_table->BatchDevinfoChanged();
    QCOMPARE(m_table->messages,
        (QStringList { "Subnet Mask is invalid!",
            "IP address, Subnet Mask and Port can't be empty!",
            "The number of IP addresses is less than the number of devices!" }));
    QCOMPARE(m_table->titles, QStringList(3, QStringLiteral("Error!")));
    QVERIFY(m_services->log.isEmpty());
}

QTEST_MAIN(TestMainTableWithMend)
#include "tst_maintablewithmend.moc"
