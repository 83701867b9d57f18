#include "ipv4text.h"

#include <QTest>

using namespace Ipv4Text;

Q_DECLARE_METATYPE(Ipv4Text::Rules)

// -1 in the table: the text is refused.
constexpr qint64 Refused = -1;

static void addRows(const char *rule, const Rules &rules,
    std::initializer_list<std::pair<const char *, qint64>> rows)
{
    for (const auto &[text, expected] : rows) {
        QTest::addRow("%s \"%s\"", rule, text) << rules << QString::fromUtf8(text) << expected;
    }
}

class TestIpv4Text : public QObject
{
    Q_OBJECT

private slots:
    void parse_data()
    {
        QTest::addColumn<Rules>("rules");
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("address");
        // Four decimal parts 0 to 255 and nothing else, under the loosest rules.
        addRows("any", AnyAddress,
            { { "192.168.1.64", 0xC0A80140 }, { "0.0.0.0", 0 }, { "255.255.255.255", 0xFFFFFFFF },
                { "0.1.2.3", 0x00010203 }, { "0001.010.0.1", 0x010A0001 },
                { "1.1.1.000255", 0x010101FF }, { "", Refused }, { "...", Refused },
                { "1.2.3", Refused }, { "1.2.3.4.5", Refused }, { "1..3.4", Refused },
                { ".1.2.3", Refused }, { "1.2.3.", Refused }, { "1.2.3.256", Refused },
                { "1.1.1.000256", Refused }, { "1.1.1.99999999999999999999", Refused },
                { "1.2.3.a", Refused }, { "1.2.3.+4", Refused }, { "1.2.3.-0", Refused },
                { " 1.2.3.4", Refused }, { "1.2.3.4 ", Refused }, { "1,2,3,4", Refused },
                { "\xef\xbc\x91.2.3.4", Refused } }); // a full-width digit one
        addRows("3 digits", Rules { .maxPartDigits = 3 },
            { { "010.1.1.1", 0x0A010101 }, { "0010.1.1.1", Refused }, { "1.1.1.0255", Refused } });
        addRows("no zero first part", Rules { .allowZeroFirstPart = false },
            { { "0.1.2.3", Refused }, { "00.1.2.3", Refused }, { "10.0.0.1", 0x0A000001 },
                { "1.0.0.0", 0x01000000 } });
        addRows("no all zeros", Rules { .allowAllZeros = false },
            { { "0.0.0.0", Refused }, { "000.0.00.0", Refused }, { "0.0.0.1", 1 } });
        addRows("contiguous mask", Rules { .contiguousMask = true },
            { { "255.255.255.0", 0xFFFFFF00 }, { "255.255.255.255", 0xFFFFFFFF },
                { "255.255.255.254", 0xFFFFFFFE }, { "128.0.0.0", 0x80000000 }, { "0.0.0.0", 0 },
                { "255.255.0.255", Refused }, { "255.0.255.0", Refused },
                { "255.255.254.1", Refused }, { "254.255.255.0", Refused },
                { "0.0.0.255", Refused } });
        // The sets the program reads with; one reader once refused the mask
        // 255.255.255.255 that another took.
        addRows("host", HostAddress, { { "010.001.0001.1", 0x0A010101 }, { "0.1.2.3", Refused } });
        addRows("mask", SubnetMask,
            { { "255.255.255.255", 0xFFFFFFFF }, { "255.255.255.0", 0xFFFFFF00 },
                { "0.0.0.0", Refused }, { "255.255.0.255", Refused } });
        addRows("search", SearchStart,
            { { "192.168.001.1", 0xC0A80101 }, { "192.168.0001.1", Refused },
                { "0.168.1.1", Refused } });
    }

    void parse()
    {
        QFETCH(Rules, rules);
        QFETCH(QString, text);
        QFETCH(qint64, address);
        const std::optional<quint32> parsed = Ipv4Text::parse(text, rules);
        QCOMPARE(parsed ? qint64(*parsed) : Refused, address);
        QCOMPARE(isValid(text, rules), address != Refused);
    }

    void canonicalText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected"); // empty: refused
        QTest::newRow("leading zeros") << "010.001.0001.000"
                                       << "10.1.1.0";
        QTest::newRow("already canonical") << "192.168.1.64"
                                           << "192.168.1.64";
        QTest::newRow("extremes") << "000.255.0.255"
                                  << "0.255.0.255";
        QTest::newRow("not an address") << "192.168.1"
                                        << "";
    }

    void canonicalText()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(canonical(text, AnyAddress).value_or(QString()), expected);
        if (!expected.isEmpty()) {
            QCOMPARE(toText(*Ipv4Text::parse(text, AnyAddress)), expected);
        }
    }
};

QTEST_APPLESS_MAIN(TestIpv4Text)
#include "tst_ipv4text.moc"
