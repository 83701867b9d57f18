#include "ipv4text.h"

#include <QTest>

using namespace Ipv4Text;

// -1 in the tables: the text is refused.
constexpr qint64 Refused = -1;

static qint64 parsed(const QString &text, const Rules &rules)
{
    const std::optional<quint32> address = parse(text, rules);
    return address ? qint64(*address) : Refused;
}

static void addRows(const char *column, std::initializer_list<std::pair<const char *, qint64>> rows,
    const QVariant &rule = {})
{
    for (const auto &[text, expected] : rows) {
        if (rule.isValid()) {
            QTest::addRow("%s=%s \"%s\"", column, qPrintable(rule.toString()), text)
                << rule << QString::fromUtf8(text) << expected;
        } else {
            QTest::addRow("\"%s\"", text) << QString::fromUtf8(text) << expected;
        }
    }
}

class TestIpv4Text : public QObject
{
    Q_OBJECT

private slots:
    // Four decimal parts 0 to 255 and nothing else, under the loosest rules.
    void fourDecimalParts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("address");
        addRows("",
            {
                { "192.168.1.64", 0xC0A80140 },
                { "0.0.0.0", 0 },
                { "255.255.255.255", 0xFFFFFFFF },
                { "0001.010.0.1", 0x010A0001 },
                { "1.1.1.000255", 0x010101FF },
                { "", Refused },
                { "...", Refused },
                { "1.2.3", Refused },
                { "1.2.3.4.5", Refused },
                { "1..3.4", Refused },
                { ".1.2.3", Refused },
                { "1.2.3.", Refused },
                { "1.2.3.256", Refused },
                { "1.1.1.000256", Refused },
                { "1.1.1.99999999999999999999", Refused },
                { "1.2.3.a", Refused },
                { "1.2.3.+4", Refused },
                { "1.2.3.-0", Refused },
                { " 1.2.3.4", Refused },
                { "1.2.3.4 ", Refused },
                { "1,2,3,4", Refused },
                { "\xef\xbc\x91.2.3.4", Refused }, // a full-width digit one
            });
    }

    void fourDecimalParts()
    {
        QFETCH(QString, text);
        QTEST(parsed(text, AnyAddress), "address");
    }

    void maxPartDigits_data()
    {
        QTest::addColumn<QVariant>("digits");
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("address");
        addRows("digits", { { "010.1.1.1", 0x0A010101 }, { "0010.1.1.1", Refused },
                              { "1.1.1.0255", Refused } },
            3);
        addRows("digits", { { "0010.1.1.1", 0x0A010101 }, { "1.1.1.0255", 0x010101FF } }, 0);
    }

    void maxPartDigits()
    {
        QFETCH(QVariant, digits);
        QFETCH(QString, text);
        QTEST(parsed(text, Rules { .maxPartDigits = digits.toInt() }), "address");
    }

    void zeroFirstPart_data()
    {
        QTest::addColumn<QVariant>("allowed");
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("address");
        addRows("allowed",
            { { "0.1.2.3", 0x00010203 }, { "00.1.2.3", 0x00010203 }, { "10.0.0.1", 0x0A000001 } },
            true);
        addRows("allowed",
            { { "0.1.2.3", Refused }, { "00.1.2.3", Refused }, { "10.0.0.1", 0x0A000001 },
                { "1.0.0.0", 0x01000000 } },
            false);
    }

    void zeroFirstPart()
    {
        QFETCH(QVariant, allowed);
        QFETCH(QString, text);
        QTEST(parsed(text, Rules { .allowZeroFirstPart = allowed.toBool() }), "address");
    }

    void allZeros_data()
    {
        QTest::addColumn<QVariant>("allowed");
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("address");
        addRows("allowed", { { "0.0.0.0", 0 }, { "000.0.00.0", 0 } }, true);
        addRows("allowed", { { "0.0.0.0", Refused }, { "000.0.00.0", Refused }, { "0.0.0.1", 1 } },
            false);
    }

    void allZeros()
    {
        QFETCH(QVariant, allowed);
        QFETCH(QString, text);
        QTEST(parsed(text, Rules { .allowAllZeros = allowed.toBool() }), "address");
    }

    void contiguousMask_data()
    {
        QTest::addColumn<QVariant>("mask");
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("address");
        addRows("mask",
            { { "255.255.255.0", 0xFFFFFF00 }, { "255.255.255.255", 0xFFFFFFFF },
                { "255.255.255.254", 0xFFFFFFFE }, { "128.0.0.0", 0x80000000 },
                { "255.255.255.000", 0xFFFFFF00 }, { "0.0.0.0", 0 }, { "255.255.0.255", Refused },
                { "255.0.255.0", Refused }, { "255.255.254.1", Refused },
                { "254.255.255.0", Refused }, { "0.0.0.255", Refused } },
            true);
        addRows("mask", { { "255.0.255.0", 0xFF00FF00 }, { "0.0.0.255", 0xFF } }, false);
    }

    void contiguousMask()
    {
        QFETCH(QVariant, mask);
        QFETCH(QString, text);
        QTEST(parsed(text, Rules { .contiguousMask = mask.toBool() }), "address");
    }

    // The sets the program reads with; one reader once refused the mask
    // 255.255.255.255 that another took.
    void namedSets_data()
    {
        QTest::addColumn<QVariant>("set");
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("address");
        addRows("set",
            { { "10.0.0.1", 0x0A000001 }, { "010.001.0001.1", 0x0A010101 },
                { "0.1.2.3", Refused } },
            "host");
        addRows("set",
            { { "255.255.255.255", 0xFFFFFFFF }, { "255.255.255.0", 0xFFFFFF00 },
                { "0.0.0.0", Refused }, { "255.255.0.255", Refused } },
            "mask");
        addRows("set",
            { { "192.168.001.1", 0xC0A80101 }, { "192.168.0001.1", Refused },
                { "0.168.1.1", Refused } },
            "search");
    }

    void namedSets()
    {
        QFETCH(QVariant, set);
        QFETCH(QString, text);
        const QString name = set.toString();
        const Rules &rules = name == QLatin1String("host") ? HostAddress
            : name == QLatin1String("mask")                ? SubnetMask
                                                           : SearchStart;
        QTEST(parsed(text, rules), "address");
        QCOMPARE(isValid(text, rules), parsed(text, rules) != Refused);
    }

    void canonicalText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected"); // empty: refused
        QTest::newRow("leading zeros") << "010.001.0001.000" << "10.1.1.0";
        QTest::newRow("already canonical") << "192.168.1.64" << "192.168.1.64";
        QTest::newRow("extremes") << "000.255.0.255" << "0.255.0.255";
        QTest::newRow("not an address") << "192.168.1" << "";
    }

    void canonicalText()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(canonical(text, AnyAddress).value_or(QString()), expected);
        if (!expected.isEmpty()) {
            QCOMPARE(toText(*parse(text, AnyAddress)), expected);
        }
    }
};

QTEST_APPLESS_MAIN(TestIpv4Text)
#include "tst_ipv4text.moc"
