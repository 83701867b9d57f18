#include "ipitems.h"
#include "iptablewidgetitem.h"

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

    const char *const pairs[][2] = {
        { "192.168.1.9", "192.168.1.10" }, // last part numerically
        { "9.255.255.255", "10.0.0.0" }, // first part wins
        { "127.255.255.255", "128.0.0.0" }, // top bit set
        { "255.255.255.254", "255.255.255.255" },
        { "unknown", "0.0.0.1" }, // not an address: before every address
        { "", "1.2.3.4" },
        { "192.168.1", "0.0.0.1" },
        { "192.168.1.300", "0.0.0.1" },
    };
    for (const auto &pair : pairs) {
        QTest::addRow("'%s' < '%s'", pair[0], pair[1]) << QString(pair[0]) << QString(pair[1]);
    }
}

void TestIpItems::ordering()
{
    QFETCH(QString, lower);
    QFETCH(QString, higher);

    // Compared through the base class, as sorting does.
    const IpStandardItem low(lower), high(higher);
    QVERIFY(static_cast<const QStandardItem &>(low) < high);
    QVERIFY(!(static_cast<const QStandardItem &>(high) < low));
    const IpTableWidgetItem lowCell(lower), highCell(higher);
    QVERIFY(static_cast<const QTableWidgetItem &>(lowCell) < highCell);
    QVERIFY(!(static_cast<const QTableWidgetItem &>(highCell) < lowCell));
}

QTEST_MAIN(TestIpItems)
#include "tst_ipitems.moc"
