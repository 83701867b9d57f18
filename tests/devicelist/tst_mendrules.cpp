#include "mendrules.h"

#include <QTest>

using namespace NetworkMend;

class TestMendRules : public QObject
{
    Q_OBJECT

private slots:
    void fieldRules_data();
    void fieldRules();
    void firstBrokenRuleWins_data();
    void firstBrokenRuleWins();
    void deviceNameBoundCountsBytes_data();
    void deviceNameBoundCountsBytes();
    void batchAddresses_data();
    void batchAddresses();
    void canonicalAddressDropsLeadingZeros();
    void logLinesReadAsTheLogWritesThem();
};

void TestMendRules::fieldRules_data()
{
    QTest::addColumn<char>("kind"); // 'a': address and gateway, 'm': mask, 'p': port
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");

    auto rows = [](char kind, std::initializer_list<std::pair<const char *, bool>> cases) {
        for (const auto &[text, valid] : cases) {
            QTest::addRow("%c: \"%s\"", kind, text) << kind << QString(text) << valid;
        }
    };
    // An empty address or mask passes here: emptiness is checked first, as one rule.
    rows('a',
        { { "", true }, { "192.168.1.64", true }, { "10.0.0.1", true }, { "192.168.1.0", true },
            { "0.1.2.3", false }, { "00.1.2.3", false }, { "010.001.0001.1", true },
            { "192.168.1.256", false }, { "255.1.1.1", true }, { "1.1.1.000256", false },
            { "1.1.1.99999999999999999999", false }, { "192.168.1", false }, { "1.2.3.4.5", false },
            { "1..3.4", false }, { "1.2.3.", false }, { "1.2.3.a", false }, { "1.2.3. 4", false },
            { "1.2.3.+4", false }, { "...", false } });
    rows('m',
        { { "", true }, { "255.255.255.0", true }, { "128.0.0.0", true },
            { "255.255.255.128", true }, { "255.255.255.255", true }, { "0.0.0.0", false },
            { "255.255.0.255", false }, { "255.0.255.0", false }, { "255.255.254.1", false },
            { "0.255.255.0", false }, { "255.255.255.000", true }, { "255.255.256.0", false },
            { "255.255.255", false } });
    // Text that is no number counts as port 0.
    rows('p',
        { { "1999", false }, { "2000", true }, { "65535", true }, { "65536", false },
            { "80a0", false }, { "", false }, { "08000", true } });
}

void TestMendRules::fieldRules()
{
    QFETCH(char, kind);
    QFETCH(QString, text);
    QFETCH(bool, valid);
    if (kind == 'a') {
        QCOMPARE(IsValidIP(text), valid);
        QCOMPARE(IsValidGateway(text), valid);
    } else {
        QCOMPARE(kind == 'm' ? IsValidMask(text) : IsValidPort(text), valid);
    }
}

void TestMendRules::firstBrokenRuleWins_data()
{
    QTest::addColumn<QString>("ip");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("gateway");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("message");

    auto row = [](const char *name, const char *ip, const char *mask, const char *gateway,
                   const char *port, const char *message) {
        QTest::newRow(name) << QString(ip) << QString(mask) << QString(gateway) << QString(port)
                            << QString(message);
    };
    const char *empty = "IP address, Subnet Mask and Port can't be empty!";
    row("all good", "10.0.0.1", "255.0.0.0", "", "8000", "");
    row("good with gateway", "10.0.0.1", "255.0.0.0", "10.0.0.254", "8000", "");
    row("empty port before range", "10.0.0.1", "255.0.0.0", "", "", empty);
    row("empty ip before everything", "", "0.0.0.0", "x", "1", empty);
    row("empty mask", "10.0.0.1", "", "", "8000", empty);
    row("bad ip before bad mask", "0.0.0.1", "0.0.0.0", "", "8000", "IP Address is invalid!");
    row("bad mask before bad gateway", "10.0.0.1", "255.0.255.0", "0.1.1.1", "8000",
        "Subnet Mask is invalid!");
    row("bad gateway before bad port", "10.0.0.1", "255.0.0.0", "0.1.1.1", "1999",
        "Gateway is invalid!");
    row("port range", "10.0.0.1", "255.0.0.0", "", "1999",
        "Port should be ranged from 2000 to 65535!");
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

    QStringList all;
    for (int host = 1; host <= 254; ++host) {
        all << QStringLiteral("10.1.2.%1").arg(host);
    }
    const QString net = QStringLiteral("192.168.1.");
    QTest::newRow(".250 with 5") << "192.168.1.250" << false << 5
                                 << QStringList { net + "250", net + "251", net + "252",
                                        net + "253", net + "254" };
    QTest::newRow(".250 with 6") << "192.168.1.250" << false << 6 << QStringList {};
    QTest::newRow(".255 with 1") << "192.168.1.255" << false << 1 << QStringList {};
    QTest::newRow(".0 first") << "10.1.2.0" << false << 2 << QStringList { "10.1.2.0", "10.1.2.1" };
    QTest::newRow(".1 with 254 ends at .254") << "10.1.2.1" << false << 254 << all;
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
    QCOMPARE(BatchAddresses(address, oneIp, count, &addresses, &error), !expected.isEmpty());
    QCOMPARE(addresses, expected);
    QCOMPARE(error,
        expected.isEmpty()
            ? QStringLiteral("The number of IP addresses is less than the number of devices!")
            : QString());
}

void TestMendRules::canonicalAddressDropsLeadingZeros()
{
    QCOMPARE(CanonicalAddress(QStringLiteral("010.001.0001.000")), QStringLiteral("10.1.1.0"));
    QCOMPARE(CanonicalAddress(QStringLiteral("not an address")), QStringLiteral("not an address"));
}

void TestMendRules::logLinesReadAsTheLogWritesThem()
{
    QCOMPARE(IpPortMaskLogLine("SN1", "10.0.0.2", 8000, "255.0.0.0", true),
        QStringLiteral("SN1 set ip, port, mask to10.0.0.2, 8000, 255.0.0.0 succeed!"));
    QCOMPARE(GatewayLogLine("SN1", "10.0.0.254", false),
        QStringLiteral("SN1 set gateway to10.0.0.254 failed!"));
    QCOMPARE(NameLogLine("SN1", "door", true),
        QStringLiteral("SN1 set device name to\"door\" succeed!"));
}

QTEST_GUILESS_MAIN(TestMendRules)
#include "tst_mendrules.moc"
