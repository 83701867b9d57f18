#include "devicelistmodel.h"
#include "ipitems.h"
#include "testdevice.h"

#include <QStandardItemModel>
#include <QTest>

class TestDeviceListModel : public QObject
{
    Q_OBJECT

    QStandardItemModel m_model;

    static DEVICEINFO sample()
    {
        DEVICEINFO record = testDevice("DS-0001");
        FixedText::write(record.szGateway, "192.168.1.1");
        // A name in the local 8-bit code page.
        FixedText::write(record.szDevName, QStringLiteral("大门").toLocal8Bit().constData());
        FixedText::write(record.szDevModel, "IPCamera");
        FixedText::write(record.szMAC, "00:11:22:33:44:55");
        FixedText::write(record.szSoftwareVersion, "V5.1.0");
        FixedText::write(record.szDSPVersion, "V4.0");
        FixedText::write(record.szStartTime, "2026-12-06 08:00:00");
        record.dwChannelNum = 1;
        return record;
    }

    QVariant cell(int column, int role = Qt::DisplayRole, int row = 0) const
    {
        return m_model.index(row, column).data(role);
    }

private slots:
    void init()
    {
        m_model.clear();
        DeviceList::SetupColumns(&m_model);
        DeviceList::InsertRow(&m_model, 0, sample(), 7);
    }

    void rowCarriesTextsAndTags()
    {
        QCOMPARE(m_model.columnCount(), int(DeviceList::ColumnCount));
        QStringList texts;
        QVariantList tags;
        for (int column = 1; column < DeviceList::ColumnCount; ++column) {
            texts << cell(column).toString();
            tags << cell(column, DeviceList::TagRole);
        }
        QCOMPARE(texts,
            (QStringList { "192.168.1.64", "DS-0001", "8000", QStringLiteral("大门"), "IPCamera",
                "255.255.255.0", "192.168.1.1", "00:11:22:33:44:55", "1", "V5.1.0", "V4.0",
                "2026-12-06 08:00:00" }));
        // The serial cell carries the slot.
        QCOMPARE(tags,
            (QVariantList {
                "IP", 7, "Port", "Devname", {}, "Mask", "Gateway", {}, {}, {}, {}, {} }));
    }

    void rewriteKeepsCheckTagsAndSlot()
    {
        // A new row is unchecked and its check cell cannot be selected.
        QCOMPARE(m_model.item(0, 0)->checkState(), Qt::Unchecked);
        QCOMPARE(m_model.item(0, 0)->flags(),
            Qt::ItemIsEditable | Qt::ItemIsDragEnabled | Qt::ItemIsUserCheckable
                | Qt::ItemIsEnabled);
        m_model.item(0, 0)->setCheckState(Qt::Checked);

        DEVICEINFO changed = sample();
        FixedText::write(changed.szIPAddress, "10.1.1.1");
        changed.wPort = 9000;
        DeviceList::RewriteRow(&m_model, 0, changed);
        QCOMPARE(cell(DeviceList::IpColumn).toString(), QStringLiteral("10.1.1.1"));
        QCOMPARE(cell(DeviceList::PortColumn).toString(), QStringLiteral("9000"));
        QCOMPARE(cell(DeviceList::IpColumn, DeviceList::TagRole), QVariant("IP"));
        QCOMPARE(DeviceList::SlotOfRow(&m_model, 0), 7);
        QVERIFY(DeviceList::IsRowChecked(&m_model, 0));
    }

    void addressCellsSortNumerically()
    {
        for (const char *ip : { "192.168.1.9", "10.0.0.1" }) {
            DeviceList::InsertRow(&m_model, m_model.rowCount(), testDevice(ip, ip), 0);
        }
        m_model.sort(DeviceList::IpColumn);
        // As texts, 192.168.1.64 would stand before 192.168.1.9.
        QCOMPARE(cell(DeviceList::IpColumn, Qt::DisplayRole, 0), QVariant("10.0.0.1"));
        QCOMPARE(cell(DeviceList::IpColumn, Qt::DisplayRole, 2), QVariant("192.168.1.64"));
        for (const int column : { DeviceList::MaskColumn, DeviceList::GatewayColumn }) {
            QVERIFY(dynamic_cast<IpStandardItem *>(m_model.item(0, column)));
        }
    }

    void rowsAreFoundBySerial()
    {
        DeviceList::InsertRow(&m_model, 1, testDevice("DS-0002"), 5);
        QCOMPARE(DeviceList::FindRowOfSerial(&m_model, QStringLiteral("DS-0002")), 1);
        QCOMPARE(DeviceList::FindRowOfSerial(&m_model, QStringLiteral("DS-0003")), -1);
        QCOMPARE(DeviceList::SlotOfRow(&m_model, 1), 5);
        QCOMPARE(DeviceList::SlotOfRow(&m_model, 2), -1);
        QCOMPARE(DeviceList::SlotOfRow(&m_model, -1), -1);
    }
};

QTEST_MAIN(TestDeviceListModel)
#include "tst_devicelistmodel.moc"
