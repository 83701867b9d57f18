#include "ipitems.h"

#include <QTest>

// Address cells order by the address's value, and a cell that holds no
// address sorts before every address.
class TestIpItems : public QObject
{
    Q_OBJECT

private slots:
    void ordering_data();
    void ordering();
};

void TestIpItems::ordering_data()
{
    QTest::addColumn<QString>("lower");
    QTest::addColumn<QString>("higher");

    QTest::newRow("last part numerically") << "192.168.1.9"
                                           << "192.168.1.10";
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

    // Compared through the base class, as the models' sorting does.
    const IpStandardItem low(lower);
    const IpStandardItem high(higher);
    const QStandardItem &lowBase = low;
    const QStandardItem &highBase = high;
    QVERIFY(lowBase < high);
    QVERIFY(!(highBase < low));

    const IpTableWidgetItem lowCell(lower);
    const IpTableWidgetItem highCell(higher);
    const QTableWidgetItem &lowCellBase = lowCell;
    const QTableWidgetItem &highCellBase = highCell;
    QVERIFY(lowCellBase < highCell);
    QVERIFY(!(highCellBase < lowCell));
}

QTEST_MAIN(TestIpItems)
#include "tst_ipitems.moc"
