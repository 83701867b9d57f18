#include "mendrules.h"

#include <QTest>

using namespace NetworkMend;

class TestMendRules : public QObject
{
    Q_OBJECT

private slots:
    void fieldRules_data()
    {
        QTest::addColumn<char>("kind"); // 'a': address and gateway, 'm': mask, 'p': port
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");

        auto rows = [](char kind, bool valid, std::initializer_list<const char *> texts) {
            for (const char *text : texts) {
                QTest::addRow("%c: \"%s\"", kind, text) << kind << QString(text) << valid;
            }
        };
        // An empty address or mask passes here: emptiness is checked first, as one rule.
        rows('a', true, { "", "192.168.1.64", "010.001.0001.1" });
        rows('a', false,
            { "0.1.2.3", "00.1.2.3", "192.168.1.256", "1.1.1.000256", "192.168.1",
                "1.1.1.99999999999999999999", "1.2.3.4.5", "1..3.4", "1.2.3.a", "1.2.3.+4",
                "..." });
        rows('m', true, { "", "255.255.255.0", "255.255.255.255", "255.255.255.000" });
        rows('m', false,
            { "0.0.0.0", "255.255.0.255", "255.0.255.0", "255.255.254.1", "255.255.256.0" });
        // Text that is no number counts as port 0.
        rows('p', true, { "2000", "65535", "08000" });
        rows('p', false, { "1999", "65536", "80a0", "" });
    }

    void fieldRules()
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

    void firstBrokenRuleWins_data()
    {
        QTest::addColumn<QString>("ip");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("gateway");
        QTest::addColumn<QVariant>("port"); // none: the devices keep their ports
        QTest::addColumn<QString>("message");

        auto row = [](const char *name, const char *ip, const char *mask, const char *gateway,
                       const char *port, const char *message) {
            QTest::newRow(name) << QString(ip) << QString(mask) << QString(gateway)
                                << (port != nullptr ? QVariant(QString(port)) : QVariant())
                                << QString(message);
        };
        const char *empty = "IP address, Subnet Mask and Port can't be empty!";
        row("all good", "10.0.0.1", "255.0.0.0", "", "8000", "");
        row("empty port before range", "10.0.0.1", "255.0.0.0", "", "", empty);
        row("empty ip before everything", "", "0.0.0.0", "x", "1", empty);
        row("bad ip before bad mask", "0.0.0.1", "0.0.0.0", "", "8000", "IP Address is invalid!");
        row("bad mask before bad gateway", "10.0.0.1", "255.0.255.0", "0.1.1.1", "8000",
            "Subnet Mask is invalid!");
        row("bad gateway before bad port", "10.0.0.1", "255.0.0.0", "0.1.1.1", "1999",
            "Gateway is invalid!");
        row("no port to check", "10.0.0.1", "255.255.255.255", "", nullptr, "");
        row("no port, still an empty mask", "10.0.0.1", "", "", nullptr, empty);
    }

    void firstBrokenRuleWins()
    {
        QFETCH(QString, ip);
        QFETCH(QString, mask);
        QFETCH(QString, gateway);
        QFETCH(QVariant, port);
        const std::optional<QString> portText
            = port.isValid() ? std::optional(port.toString()) : std::nullopt;
        QTEST(CheckNetworkFields(ip, mask, gateway, portText), "message");
    }

    void deviceNameBoundCountsBytes()
    {
        const QString han = QStringLiteral("\u6444"); // 3 bytes in UTF-8
        QVERIFY(!IsDeviceNameTooLong(han.repeated(10) + QStringLiteral("ab"))); // 32 bytes
        QVERIFY(IsDeviceNameTooLong(han.repeated(11)));
    }

    void batchAddresses_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("oneIp");
        QTest::addColumn<int>("count");
        QTest::addColumn<QStringList>("expected"); // empty: refused

        const QString net = QStringLiteral("192.168.1.");
        QTest::newRow(".250 with 5")
            << "192.168.1.250" << false << 5
            << QStringList { net + "250", net + "251", net + "252", net + "253", net + "254" };
        QTest::newRow(".250 with 6") << "192.168.1.250" << false << 6 << QStringList {};
        QTest::newRow(".255 with 1") << "192.168.1.255" << false << 1 << QStringList {};
        QTest::newRow(".0") << "10.1.2.0" << false << 2 << QStringList { "10.1.2.0", "10.1.2.1" };
        QTest::newRow("one IP") << "10.1.2.255" << true << 3 << QStringList(3, "10.1.2.255");
    }

    void batchAddresses()
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

    void canonicalAddressDropsLeadingZeros()
    {
        QCOMPARE(CanonicalAddress(QStringLiteral("010.001.0001.000")), QStringLiteral("10.1.1.0"));
        QCOMPARE(
            CanonicalAddress(QStringLiteral("not an address")), QStringLiteral("not an address"));
    }
};

QTEST_GUILESS_MAIN(TestMendRules)
#include "tst_mendrules.moc"
