#include "devicelistmodel.h"
#include "fakeservices.h"
#include "maintablewithmend.h"
#include "testdevice.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>

// The table with its message boxes recorded instead of shown.
class RecordingTable : public CMainTableWithMend
{
public:
    QStringList messages; // "title: text"

protected:
    void showMessage(const QString &title, const QString &text) override
    {
        messages << title + ": " + text;
    }
};

class TestMainTableWithMend : public QObject
{
    Q_OBJECT

    std::unique_ptr<FakeServices> m_services;
    std::unique_ptr<RecordingTable> m_table;
    QStandardItemModel *m_model = nullptr;

    QLineEdit *edit(const char *name) const
    {
        return m_table->findChild<QLineEdit *>(QLatin1String(name));
    }

    void addDevice(const char *serial, const char *ip)
    {
        const DEVICEINFO record = testDevice(serial, ip);
        bool changed = false;
        DeviceList::InsertRow(
            m_model, m_model->rowCount(), record, m_services->store.AddOrUpdate(record, &changed));
    }

    void editFirst(const QString &name, const QString &ip, const QString &port)
    {
        m_table->tableView()->setCurrentIndex(m_model->index(0, 1));
        m_table->showinfo(m_model->index(0, 1));
        edit("DevNameLineEdit")->setText(name);
        edit("IPAddrLineEdit")->setText(ip);
        edit("MaskLineEdit")->setText(QStringLiteral("255.0.0.0"));
        edit("GatewayLineEdit")->clear();
        edit("PortLineEdit")->setText(port);
    }

private slots:
    void init()
    {
        m_table.reset(); // before the services it uses
        m_services = std::make_unique<FakeServices>();
        m_table = std::make_unique<RecordingTable>();
        m_model = new QStandardItemModel(m_table.get());
        DeviceList::SetupColumns(m_model);
        m_table->SetDeviceModel(m_model);
    }

    void foldButtonsFollowThePanel()
    {
        auto *in = m_table->findChild<QWidget *>(QStringLiteral("InButton"));
        auto *out = m_table->findChild<QWidget *>(QStringLiteral("OutButton"));
        auto *fields = m_table->findChild<QWidget *>(QStringLiteral("MendFrame"));
        m_table->InfoShowOrNot(QModelIndex());
        m_table->MendAreaInorOut();
        QVERIFY(!in->isHidden() && out->isHidden() && fields->isHidden());
        // A click on a row keeps the fold the user chose.
        m_table->InfoShowOrNot(QModelIndex());
        QVERIFY(!in->isHidden() && out->isHidden() && fields->isHidden());
        // Closing and opening the panel again shows its fields, with the buttons to match.
        m_table->InfoShowOrNot();
        m_table->InfoShowOrNot();
        QVERIFY(in->isHidden() && !out->isHidden() && !fields->isHidden());
        // While the batch panel shows, a click does not open the single one.
        m_table->GroupBoxShow();
        m_table->InfoShowOrNot(QModelIndex());
        QVERIFY(!m_table->IsSinglePanelShown() && m_table->IsBatchPanelShown());
    }

    void showinfoFillsTheSinglePanel()
    {
        DEVICEINFO record = testDevice("A", "10.0.0.1");
        FixedText::write(record.szDevName, "door");
        FixedText::write(record.szGateway, "10.0.0.254");
        record.wPort = 8123;
        DeviceList::InsertRow(m_model, 0, record, 0);
        m_table->showinfo(m_model->index(0, 5));
        QCOMPARE(edit("DevNameLineEdit")->text(), QStringLiteral("door"));
        QCOMPARE(edit("IPAddrLineEdit")->text(), QStringLiteral("10.0.0.1"));
        QCOMPARE(edit("MaskLineEdit")->text(), QStringLiteral("255.255.255.0"));
        QCOMPARE(edit("GatewayLineEdit")->text(), QStringLiteral("10.0.0.254"));
        QCOMPARE(edit("PortLineEdit")->text(), QStringLiteral("8123"));
    }

    void panelFollowsTheCurrentRowByKeyboard()
    {
        addDevice("A", "10.0.0.1");
        addDevice("B", "10.0.0.2");
        m_table->show();
        QTableView *view = m_table->tableView();
        view->setFocus();
        view->setCurrentIndex(m_model->index(0, 1));
        QCOMPARE(edit("IPAddrLineEdit")->text(), QStringLiteral("10.0.0.1"));
        QTest::keyClick(view, Qt::Key_Down);
        QCOMPARE(view->currentIndex().row(), 1);
        QCOMPARE(edit("IPAddrLineEdit")->text(), QStringLiteral("10.0.0.2"));
        // The row the user sees selected is the one a change goes to.
        edit("IPAddrLineEdit")->setText(QStringLiteral("bad"));
        m_table->DevinfoChanged();
        QVERIFY(!m_table->messages.join(QLatin1Char('\n')).contains(QStringLiteral("Select a device first!")));
    }

    void singleChangeRefusesBadFields()
    {
        addDevice("A", "10.0.0.1");
        editFirst(QStringLiteral("\u6444").repeated(11), QString(), QString());
        m_table->DevinfoChanged();
        editFirst(QString(), QStringLiteral("0.0.0.9"), QStringLiteral("8000"));
        m_table->DevinfoChanged();
        QCOMPARE(m_table->messages,
            (QStringList {
                "Error!: Device name exceeds maximum length!", "Error!: IP Address is invalid!" }));
        QVERIFY(m_services->log.isEmpty());
    }

    void deviceGoneFromTheCurrentRowIsNotChanged_data()
    {
        QTest::addColumn<bool>("another");
        QTest::newRow("no device left") << false;
        // The current index moves on to B, whose fields were never shown.
        QTest::newRow("another device moved into the row") << true;
    }

    void deviceGoneFromTheCurrentRowIsNotChanged()
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
        m_table->DevinfoChanged();
        QCOMPARE(m_table->messages, QStringList { "Error: Select a device first!" });
        QVERIFY(m_services->log.isEmpty());
    }

    void batchRefusesBadFieldsThenTooFewAddresses()
    {
        for (const char *serial : { "A", "B", "C", "D", "E", "F" }) {
            addDevice(serial, "10.0.0.1");
        }
        edit("StartIPLineEdit")->setText(QStringLiteral("192.168.1.250"));
        edit("BatchMaskLineEdit")->setText(QStringLiteral("255.255.255.0"));
        edit("BatchPortLineEdit")->setText(QStringLiteral("8000"));
        m_table->BatchDevinfoChanged(); // nothing ticked: nothing said, nothing done
        // Fields are checked before the ticked devices are counted.
        edit("BatchMaskLineEdit")->setText(QStringLiteral("255.255.0.255"));
        m_table->BatchDevinfoChanged();
        // "One IP" reads the other address field.
        auto *oneIp = m_table->findChild<QCheckBox *>(QStringLiteral("IPcheckBox"));
        oneIp->setChecked(true);
        edit("BatchMaskLineEdit")->setText(QStringLiteral("255.255.255.0"));
        m_table->BatchDevinfoChanged();
        oneIp->setChecked(false);
        m_table->AllCheckStatChanges(true);
        m_table->BatchDevinfoChanged();
        QCOMPARE(m_table->messages,
            (QStringList { "Error!: Subnet Mask is invalid!",
                "Error!: IP address, Subnet Mask and Port can't be empty!",
                "Error!: The number of IP addresses is less than the number of devices!" }));
        QVERIFY(m_services->log.isEmpty());
    }
};

QTEST_MAIN(TestMainTableWithMend)
#include "tst_maintablewithmend.moc"
