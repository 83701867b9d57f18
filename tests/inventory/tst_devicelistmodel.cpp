#include "devicelistmodel.h"
#include "devicestore.h"
#include "ipitems.h"

#include <QStandardItemModel>
#include <QTest>

namespace {

DEVICEINFO sample()
{
    DEVICEINFO record {};
    CopyDeviceText(record.szSerialNo, "DS-0001");
    CopyDeviceText(record.szIPAddress, "192.168.1.64");
    CopyDeviceText(record.szSubnetMask, "255.255.255.0");
    CopyDeviceText(record.szGateway, "192.168.1.1");
    CopyDeviceText(record.szDevName, "Entrance");
    CopyDeviceText(record.szDevModel, "IPCamera");
    CopyDeviceText(record.szMAC, "00:11:22:33:44:55");
    CopyDeviceText(record.szSoftwareVersion, "V5.1.0 build 260101");
    CopyDeviceText(record.szDSPVersion, "V4.0 build 250101");
    CopyDeviceText(record.szStartTime, "2026-12-06 08:00:00");
    record.wPort = 8000;
    record.dwChannelNum = 1;
    return record;
}

QString cell(
    const QStandardItemModel &model, int row, const QString &header, int role = Qt::DisplayRole)
{
    return model.index(row, DeviceList::FindColumn(&model, header)).data(role).toString();
}

} // namespace

class TestDeviceListModel : public QObject
{
    Q_OBJECT

private slots:
    void headersInOrder();
    void rowCarriesTextsAndTags_data();
    void rowCarriesTextsAndTags();
    void checkCellFlags();
    void addressCellsSortNumerically();
    void cellsAreFoundByHeaderNotPosition();
    void rewriteKeepsTagsAndSlot();
    void findsRowAndSlotOfSerial();
    void nameIsReadAsLocal8Bit();
};

void TestDeviceListModel::headersInOrder()
{
    QStandardItemModel model;
    DeviceList::SetupColumns(&model);
    QCOMPARE(model.columnCount(), 13);
    QCOMPARE(DeviceList::Headers(),
        (QStringList { "", "IP Address", "Device Serial No.", "Port", "Device Name", "Device Model",
            "Subnet Mask", "Gateway", "MAC", "Channel No.", "Software Version", "DSP Version",
            "Start Time" }));
}

void TestDeviceListModel::rowCarriesTextsAndTags_data()
{
    QTest::addColumn<QString>("header");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QVariant>("tag");

    QTest::newRow("ip") << "IP Address"
                        << "192.168.1.64" << QVariant(QStringLiteral("IP"));
    QTest::newRow("serial") << "Device Serial No."
                            << "DS-0001" << QVariant(7);
    QTest::newRow("port") << "Port"
                          << "8000" << QVariant(QStringLiteral("Port"));
    QTest::newRow("name") << "Device Name"
                          << "Entrance" << QVariant(QStringLiteral("Devname"));
    QTest::newRow("model") << "Device Model"
                           << "IPCamera" << QVariant();
    QTest::newRow("mask") << "Subnet Mask"
                          << "255.255.255.0" << QVariant(QStringLiteral("Mask"));
    QTest::newRow("gateway") << "Gateway"
                             << "192.168.1.1" << QVariant(QStringLiteral("Gateway"));
    QTest::newRow("mac") << "MAC"
                         << "00:11:22:33:44:55" << QVariant();
    QTest::newRow("channels") << "Channel No."
                              << "1" << QVariant();
    QTest::newRow("software") << "Software Version"
                              << "V5.1.0 build 260101" << QVariant();
    QTest::newRow("dsp") << "DSP Version"
                         << "V4.0 build 250101" << QVariant();
    QTest::newRow("start") << "Start Time"
                           << "2026-12-06 08:00:00" << QVariant();
}

void TestDeviceListModel::rowCarriesTextsAndTags()
{
    QFETCH(QString, header);
    QFETCH(QString, text);
    QFETCH(QVariant, tag);

    QStandardItemModel model;
    DeviceList::SetupColumns(&model);
    DeviceList::InsertRow(&model, 0, sample(), 7);

    QCOMPARE(cell(model, 0, header), text);
    const QVariant stored
        = model.index(0, DeviceList::FindColumn(&model, header)).data(DeviceList::TagRole);
    QCOMPARE(stored.isValid(), tag.isValid());
    if (tag.isValid()) {
        QCOMPARE(stored.toString(), tag.toString());
    }
}

void TestDeviceListModel::checkCellFlags()
{
    QStandardItemModel model;
    DeviceList::SetupColumns(&model);
    DeviceList::InsertRow(&model, 0, sample(), 0);
    const QStandardItem *check = model.item(0, 0);
    QCOMPARE(check->checkState(), Qt::Unchecked);
    QCOMPARE(check->flags(),
        Qt::ItemIsEditable | Qt::ItemIsDragEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
    QVERIFY(!(check->flags() & Qt::ItemIsSelectable));
}

void TestDeviceListModel::addressCellsSortNumerically()
{
    QStandardItemModel model;
    DeviceList::SetupColumns(&model);
    for (const char *ip : { "192.168.1.10", "192.168.1.9", "10.0.0.1" }) {
        DEVICEINFO record = sample();
        CopyDeviceText(record.szSerialNo, ip);
        CopyDeviceText(record.szIPAddress, ip);
        DeviceList::InsertRow(&model, model.rowCount(), record, model.rowCount());
    }
    const int ipColumn = DeviceList::FindColumn(&model, DeviceList::IpHeader());
    QVERIFY(dynamic_cast<IpStandardItem *>(model.item(0, ipColumn)) != nullptr);
    QVERIFY(dynamic_cast<IpStandardItem *>(
                model.item(0, DeviceList::FindColumn(&model, DeviceList::MaskHeader())))
        != nullptr);
    QVERIFY(dynamic_cast<IpStandardItem *>(
                model.item(0, DeviceList::FindColumn(&model, DeviceList::GatewayHeader())))
        != nullptr);
    model.sort(ipColumn);
    QCOMPARE(cell(model, 0, "IP Address"), QStringLiteral("10.0.0.1"));
    QCOMPARE(cell(model, 2, "IP Address"), QStringLiteral("192.168.1.10"));
}

void TestDeviceListModel::cellsAreFoundByHeaderNotPosition()
{
    // A model whose columns stand in another order still gets every text
    // under its own header.
    QStandardItemModel model;
    QStringList headers = DeviceList::Headers();
    headers.swapItemsAt(1, 12);
    headers.swapItemsAt(2, 5);
    model.setColumnCount(headers.size());
    model.setHorizontalHeaderLabels(headers);
    DeviceList::InsertRow(&model, 0, sample(), 3);

    QCOMPARE(model.item(0, 12)->text(), QStringLiteral("192.168.1.64"));
    QCOMPARE(model.item(0, 5)->text(), QStringLiteral("DS-0001"));
    QCOMPARE(DeviceList::SlotOfRow(&model, 0), 3);
    QCOMPARE(DeviceList::FindRowOfSerial(&model, QStringLiteral("DS-0001")), 0);
}

void TestDeviceListModel::rewriteKeepsTagsAndSlot()
{
    QStandardItemModel model;
    DeviceList::SetupColumns(&model);
    DeviceList::InsertRow(&model, 0, sample(), 4);

    DEVICEINFO changed = sample();
    CopyDeviceText(changed.szIPAddress, "10.1.1.1");
    changed.wPort = 9000;
    DeviceList::RewriteRow(&model, 0, changed);

    QCOMPARE(cell(model, 0, "IP Address"), QStringLiteral("10.1.1.1"));
    QCOMPARE(cell(model, 0, "Port"), QStringLiteral("9000"));
    QCOMPARE(cell(model, 0, "IP Address", DeviceList::TagRole), QStringLiteral("IP"));
    QCOMPARE(DeviceList::SlotOfRow(&model, 0), 4);
    QCOMPARE(model.item(0, 0)->checkState(), Qt::Unchecked);
}

void TestDeviceListModel::findsRowAndSlotOfSerial()
{
    QStandardItemModel model;
    DeviceList::SetupColumns(&model);
    DEVICEINFO second = sample();
    CopyDeviceText(second.szSerialNo, "DS-0002");
    DeviceList::InsertRow(&model, 0, sample(), 0);
    DeviceList::InsertRow(&model, 1, second, 5);

    QCOMPARE(DeviceList::FindRowOfSerial(&model, QStringLiteral("DS-0002")), 1);
    QCOMPARE(DeviceList::FindRowOfSerial(&model, QStringLiteral("DS-0003")), -1);
    QCOMPARE(DeviceList::SlotOfRow(&model, 1), 5);
    QCOMPARE(DeviceList::SlotOfRow(&model, 2), -1);
    QCOMPARE(DeviceList::SlotOfRow(&model, -1), -1);
}

void TestDeviceListModel::nameIsReadAsLocal8Bit()
{
    QStandardItemModel model;
    DeviceList::SetupColumns(&model);
    DEVICEINFO record = sample();
    const QString name = QStringLiteral("大门摄像机");
    CopyDeviceText(record.szDevName, name.toLocal8Bit().constData());
    DeviceList::InsertRow(&model, 0, record, 0);
    QCOMPARE(cell(model, 0, "Device Name"), name);
}

QTEST_MAIN(TestDeviceListModel)
#include "tst_devicelistmodel.moc"
