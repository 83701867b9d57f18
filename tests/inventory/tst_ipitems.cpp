#include "ipitems.h"

#include <QStandardItemModel>
#include <QTableWidget>
#include <QTest>

class TestIpItems : public QObject
{
    Q_OBJECT

private slots:
    void ordering_data();
    void ordering();
    void sortingAModelColumn();
    void sortingATableWidgetColumn();
};

void TestIpItems::ordering_data()
{
    QTest::addColumn<QString>("lower");
    QTest::addColumn<QString>("higher");

    QTest::newRow("last part numerically") << "192.168.1.9"
                                           << "192.168.1.10";
    QTest::newRow("two digits") << "10.0.0.2"
                                << "10.0.0.10";
    QTest::newRow("first part wins") << "9.255.255.255"
                                     << "10.0.0.0";
    QTest::newRow("top bit set") << "127.255.255.255"
                                 << "128.0.0.0";
    QTest::newRow("highest") << "255.255.255.254"
                             << "255.255.255.255";
    QTest::newRow("text before address") << "unknown"
                                         << "0.0.0.1";
    QTest::newRow("empty before address") << ""
                                          << "1.2.3.4";
    QTest::newRow("incomplete before address") << "192.168.1"
                                               << "0.0.0.1";
    QTest::newRow("out of range part before address") << "192.168.1.300"
                                                      << "0.0.0.1";
}

void TestIpItems::ordering()
{
    QFETCH(QString, lower);
    QFETCH(QString, higher);

    const IpStandardItem low(lower);
    const IpStandardItem high(higher);
    QVERIFY(low < high);
    QVERIFY(!(high < low));

    const IpTableWidgetItem lowCell(lower);
    const IpTableWidgetItem highCell(higher);
    QVERIFY(lowCell < highCell);
    QVERIFY(!(highCell < lowCell));
}

void TestIpItems::sortingAModelColumn()
{
    QStandardItemModel model;
    for (const char *text : { "192.168.1.10", "not an address", "192.168.1.9", "10.0.0.1" }) {
        model.appendRow(new IpStandardItem(QString::fromLatin1(text)));
    }
    model.sort(0, Qt::AscendingOrder);
    QStringList order;
    for (int row = 0; row < model.rowCount(); ++row) {
        order << model.item(row)->text();
    }
    QCOMPARE(order, (QStringList { "not an address", "10.0.0.1", "192.168.1.9", "192.168.1.10" }));
}

void TestIpItems::sortingATableWidgetColumn()
{
    QTableWidget table(3, 1);
    table.setItem(0, 0, new IpTableWidgetItem(QStringLiteral("10.0.0.10")));
    table.setItem(1, 0, new IpTableWidgetItem(QStringLiteral("10.0.0.2")));
    table.setItem(2, 0, new IpTableWidgetItem(QStringLiteral("9.1.1.1")));
    table.sortItems(0, Qt::DescendingOrder);
    QCOMPARE(table.item(0, 0)->text(), QStringLiteral("10.0.0.10"));
    QCOMPARE(table.item(2, 0)->text(), QStringLiteral("9.1.1.1"));
}

QTEST_MAIN(TestIpItems)
#include "tst_ipitems.moc"
