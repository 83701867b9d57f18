#include "mendrules.h"

#include <QTest>

using namespace NetworkMend;

class TestMendRules : public QObject
{
    Q_OBJECT

private slots:
    void addressRules_data();
    void addressRules();
    void maskRule_data();
    void maskRule();
    void portRule_data();
    void portRule();
    void firstBrokenRuleWins_data();
    void firstBrokenRuleWins();
    void deviceNameBoundCountsBytes_data();
    void deviceNameBoundCountsBytes();
    void batchAddresses_data();
    void batchAddresses();
    void canonicalAddressDropsLeadingZeros();
    void logLinesReadAsTheLogWritesThem();
};

void TestMendRules::addressRules_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::newRow("empty passes") << "" << true;
    QTest::newRow("plain") << "192.168.1.64" << true;
    QTest::newRow("zero in later parts") << "10.0.0.1" << true;
    QTest::newRow("last part 0") << "192.168.1.0" << true;
    QTest::newRow("first part 0") << "0.1.2.3" << false;
    QTest::newRow("first part 00") << "00.1.2.3" << false;
    QTest::newRow("leading zeros") << "010.001.0001.1" << true;
    QTest::newRow("part over 255") << "192.168.1.256" << false;
    QTest::newRow("first part 255") << "255.1.1.1" << true;
    QTest::newRow("many zeros then 256") << "1.1.1.000256" << false;
    QTest::newRow("huge part") << "1.1.1.99999999999999999999" << false;
    QTest::newRow("three parts") << "192.168.1" << false;
    QTest::newRow("five parts") << "1.2.3.4.5" << false;
    QTest::newRow("empty part") << "1..3.4" << false;
    QTest::newRow("trailing dot") << "1.2.3." << false;
    QTest::newRow("letter") << "1.2.3.a" << false;
    QTest::newRow("space") << "1.2.3. 4" << false;
    QTest::newRow("sign") << "1.2.3.+4" << false;
    QTest::newRow("only dots") << "..." << false;
}

void TestMendRules::addressRules()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QCOMPARE(IsValidIP(text), valid);
    QCOMPARE(IsValidGateway(text), valid);
}

void TestMendRules::maskRule_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::newRow("empty passes") << "" << true;
    QTest::newRow("/24") << "255.255.255.0" << true;
    QTest::newRow("/16") << "255.255.0.0" << true;
    QTest::newRow("/1") << "128.0.0.0" << true;
    QTest::newRow("/25") << "255.255.255.128" << true;
    QTest::newRow("/32") << "255.255.255.255" << true;
    QTest::newRow("all zero") << "0.0.0.0" << false;
    QTest::newRow("hole in last part") << "255.255.0.255" << false;
    QTest::newRow("hole in the middle") << "255.0.255.0" << false;
    QTest::newRow("bit hole") << "255.255.254.1" << false;
    QTest::newRow("not from the top") << "0.255.255.0" << false;
    QTest::newRow("leading zeros") << "255.255.255.000" << true;
    QTest::newRow("part over 255") << "255.255.256.0" << false;
    QTest::newRow("three parts") << "255.255.255" << false;
}

void TestMendRules::maskRule()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QCOMPARE(IsValidMask(text), valid);
}

void TestMendRules::portRule_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::newRow("1999") << "1999" << false;
    QTest::newRow("2000") << "2000" << true;
    QTest::newRow("8000") << "8000" << true;
    QTest::newRow("65535") << "65535" << true;
    QTest::newRow("65536") << "65536" << false;
    QTest::newRow("not a number counts as 0") << "80a0" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("leading zeros") << "08000" << true;
}

void TestMendRules::portRule()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QCOMPARE(IsValidPort(text), valid);
}

void TestMendRules::firstBrokenRuleWins_data()
{
    QTest::addColumn<QString>("ip");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("gateway");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("message");
    const QString empty = QStringLiteral("IP address, Subnet Mask and Port can't be empty!");
    QTest::newRow("all good") << "10.0.0.1"
                              << "255.0.0.0"
                              << ""
                              << "8000"
                              << "";
    QTest::newRow("good with gateway") << "10.0.0.1"
                                       << "255.0.0.0"
                                       << "10.0.0.254"
                                       << "8000"
                                       << "";
    QTest::newRow("empty port before range") << "10.0.0.1"
                                             << "255.0.0.0"
                                             << ""
                                             << "" << empty;
    QTest::newRow("empty ip before everything") << ""
                                                << "0.0.0.0"
                                                << "x"
                                                << "1" << empty;
    QTest::newRow("empty mask") << "10.0.0.1"
                                << ""
                                << ""
                                << "8000" << empty;
    QTest::newRow("bad ip before bad mask") << "0.0.0.1"
                                            << "0.0.0.0"
                                            << ""
                                            << "8000"
                                            << "IP Address is invalid!";
    QTest::newRow("bad mask before bad gateway") << "10.0.0.1"
                                                 << "255.0.255.0"
                                                 << "0.1.1.1"
                                                 << "8000"
                                                 << "Subnet Mask is invalid!";
    QTest::newRow("bad gateway before bad port") << "10.0.0.1"
                                                 << "255.0.0.0"
                                                 << "0.1.1.1"
                                                 << "1999"
                                                 << "Gateway is invalid!";
    QTest::newRow("port range") << "10.0.0.1"
                                << "255.0.0.0"
                                << ""
                                << "1999"
                                << "Port should be ranged from 2000 to 65535!";
}

void TestMendRules::firstBrokenRuleWins()
{
    QFETCH(QString, ip);
    QFETCH(QString, mask);
    QFETCH(QString, gateway);
    QFETCH(QString, port);
    QFETCH(QString, message);
    QCOMPARE(CheckNetworkFields(ip, mask, gateway, port), message);
}

void TestMendRules::deviceNameBoundCountsBytes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("tooLong");
    const QString han = QStringLiteral("\u6444"); // 3 bytes in UTF-8
    QTest::newRow("32 ASCII") << QString(32, QLatin1Char('a')) << false;
    QTest::newRow("33 ASCII") << QString(33, QLatin1Char('a')) << true;
    QTest::newRow("10 Han = 30 bytes") << han.repeated(10) << false;
    QTest::newRow("10 Han + 2 = 32 bytes") << han.repeated(10) + QStringLiteral("ab") << false;
    QTest::newRow("11 Han = 33 bytes") << han.repeated(11) << true;
    QTest::newRow("fits 32 characters, not 32 bytes") << han.repeated(16) << true;
}

void TestMendRules::deviceNameBoundCountsBytes()
{
    QFETCH(QString, name);
    QFETCH(bool, tooLong);
    QCOMPARE(IsDeviceNameTooLong(name), tooLong);
}

void TestMendRules::batchAddresses_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("oneIp");
    QTest::addColumn<int>("count");
    QTest::addColumn<QStringList>("expected"); // empty: refused
    QTest::newRow(".250 with 5") << "192.168.1.250" << false << 5
                                 << QStringList { "192.168.1.250", "192.168.1.251", "192.168.1.252",
                                        "192.168.1.253", "192.168.1.254" };
    QTest::newRow(".250 with 6") << "192.168.1.250" << false << 6 << QStringList {};
    QTest::newRow(".255 with 1") << "192.168.1.255" << false << 1 << QStringList {};
    QTest::newRow(".0 first") << "10.1.2.0" << false << 2 << QStringList { "10.1.2.0", "10.1.2.1" };
    QTest::newRow(".1 with 254 ends at .254") << "10.1.2.1" << false << 254 << QStringList {};
    QTest::newRow("one IP") << "10.1.2.255" << true << 3
                            << QStringList { "10.1.2.255", "10.1.2.255", "10.1.2.255" };
}

void TestMendRules::batchAddresses()
{
    QFETCH(QString, address);
    QFETCH(bool, oneIp);
    QFETCH(int, count);
    QFETCH(QStringList, expected);
    QStringList addresses;
    QString error;
    const bool ok = BatchAddresses(address, oneIp, count, &addresses, &error);
    if (QByteArray(QTest::currentDataTag()) == ".1 with 254 ends at .254") {
        QVERIFY(ok);
        QCOMPARE(addresses.size(), 254);
        QCOMPARE(addresses.last(), QStringLiteral("10.1.2.254"));
        return;
    }
    QCOMPARE(ok, !expected.isEmpty());
    QCOMPARE(addresses, expected);
    if (!ok) {
        QCOMPARE(error,
            QStringLiteral("The number of IP addresses is less than the number of devices!"));
    }
}

void TestMendRules::canonicalAddressDropsLeadingZeros()
{
    QCOMPARE(CanonicalAddress(QStringLiteral("010.001.0001.000")), QStringLiteral("10.1.1.0"));
    QCOMPARE(CanonicalAddress(QStringLiteral("not an address")), QStringLiteral("not an address"));
}

void TestMendRules::logLinesReadAsTheLogWritesThem()
{
    QCOMPARE(IpPortMaskLogLine(QStringLiteral("SN1"), QStringLiteral("10.0.0.2"), 8000,
                 QStringLiteral("255.0.0.0"), true),
        QStringLiteral("SN1 set ip, port, mask to10.0.0.2, 8000, 255.0.0.0 succeed!"));
    QCOMPARE(GatewayLogLine(QStringLiteral("SN1"), QStringLiteral("10.0.0.254"), false),
        QStringLiteral("SN1 set gateway to10.0.0.254 failed!"));
    QCOMPARE(NameLogLine(QStringLiteral("SN1"), QStringLiteral("door"), true),
        QStringLiteral("SN1 set device name to\"door\" succeed!"));
}

QTEST_GUILESS_MAIN(TestMendRules)
#include "tst_mendrules.moc"
