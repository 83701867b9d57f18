// Fixed-size 8-bit text fields: bounded, zero-padded, and read no further
// than the first zero or the field's end; texts cut to fit them.

#include "fixedtext.h"
#include "textbounds.h"

#include <QTest>

#include <cstring>

Q_DECLARE_METATYPE(FixedText::Ending)

class FixedTextTest : public QObject
{
    Q_OBJECT

private slots:
    void writeFillsExactlyTheField_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("width");
        QTest::addColumn<FixedText::Ending>("ending");
        QTest::addColumn<QByteArray>("field");
        const auto full = FixedText::FullWidth;
        const auto terminated = FixedText::ZeroTerminated;
        const QByteArray zeros3(3, '\0');
        QTest::newRow("short text padded, full width")
            << QByteArray("ab") << 5 << full << QByteArray("ab") + zeros3;
        QTest::newRow("short text padded, terminated")
            << QByteArray("ab") << 5 << terminated << QByteArray("ab") + zeros3;
        QTest::newRow("full width fills the field with no terminator")
            << QByteArray("abcde") << 5 << full << QByteArray("abcde");
        QTest::newRow("terminated keeps the last byte zero")
            << QByteArray("abcde") << 5 << terminated << QByteArray("abcd") + '\0';
        QTest::newRow("long text cut, full width")
            << QByteArray("abcdefgh") << 5 << full << QByteArray("abcde");
        QTest::newRow("empty text clears the field")
            << QByteArray() << 4 << full << QByteArray(4, '\0');
        // A C string ends at its first zero; a device field takes raw bytes (a MAC).
        QTest::newRow("terminated stops at an inner zero")
            << QByteArray("ab\0cd", 5) << 6 << terminated << QByteArray("ab") + QByteArray(4, '\0');
        QTest::newRow("full width keeps inner zeros")
            << QByteArray("\x02\0\x56", 3) << 4 << full << QByteArray("\x02\0\x56\0", 4);
        QTest::newRow("one byte, terminated, holds only the zero")
            << QByteArray("a") << 1 << terminated << QByteArray(1, '\0');
        QTest::newRow("zero width writes nothing") << QByteArray("a") << 0 << full << QByteArray();
    }

    void writeFillsExactlyTheField()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, width);
        QFETCH(FixedText::Ending, ending);
        QFETCH(QByteArray, field);
        QByteArray buffer(width + 3, 'x'); // three guard bytes no write may touch
        FixedText::write(buffer.data(), width, text, ending);
        QCOMPARE(buffer.left(width), field);
        QCOMPARE(buffer.mid(width), QByteArray(3, 'x'));
    }

    void readStopsAtZeroOrWidth_data()
    {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<int>("width");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("up to the first zero") << QByteArray("ab\0cd", 5) << 5 << QByteArray("ab");
        QTest::newRow("a full field has no terminator")
            << QByteArray("abcdef") << 4 << QByteArray("abcd");
        QTest::newRow("leading zero is empty") << QByteArray("\0abc", 4) << 4 << QByteArray();
        QTest::newRow("zero width is empty") << QByteArray("abc") << 0 << QByteArray();
    }

    void readStopsAtZeroOrWidth()
    {
        QFETCH(QByteArray, field);
        QFETCH(int, width);
        QTEST(FixedText::read(field.constData(), width), "text");
    }

    // DEVICEINFO's fields, written through the array overloads.
    void cStringFieldsStayTerminated_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("asCString"); // through const char *, else QByteArray
        QTest::addColumn<QByteArray>("field");
        QTest::newRow("C string cut to N - 1")
            << QByteArray("0123456789") << true << QByteArray("0123456") + '\0';
        QTest::newRow("byte array cut to N - 1")
            << QByteArray("0123456789") << false << QByteArray("0123456") + '\0';
        QTest::newRow("byte array ends at its first zero")
            << QByteArray("ab\0cd", 5) << false << QByteArray("ab") + QByteArray(6, '\0');
        QTest::newRow("short C string padded")
            << QByteArray("ab") << true << QByteArray("ab") + QByteArray(6, '\0');
    }

    void cStringFieldsStayTerminated()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, asCString);
        QFETCH(QByteArray, field);
        char buffer[8];
        std::memset(buffer, 'x', sizeof buffer);
        if (asCString) {
            FixedText::write(buffer, text.constData());
        } else {
            FixedText::write(buffer, text);
        }
        QCOMPARE(QByteArray(buffer, sizeof buffer), field);
        QCOMPARE(FixedText::read(buffer), field.left(field.indexOf('\0')));
        // An absent C string empties the field.
        FixedText::write(buffer, static_cast<const char *>(nullptr));
        QCOMPARE(QByteArray(buffer, sizeof buffer), QByteArray(8, '\0'));
    }

    // Texts cut to a byte budget keep whole characters only.
    void bounds_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("maxBytes");
        QTest::addColumn<QString>("kept");
        const QString han = QString(10, QChar(0x6444)); // 3 bytes each
        QTest::newRow("40 ascii to 32") << QString(40, 'a') << 32 << QString(32, 'a');
        QTest::newRow("exactly 32") << QString(32, 'b') << 32 << QString(32, 'b');
        QTest::newRow("chinese ending at 32") << "ab" + han << 32 << "ab" + han;
        QTest::newRow("chinese would straddle") << "abc" + han << 32 << "abc" + han.left(9);
        QTest::newRow("two-byte characters")
            << QString(6, QChar(0x00e9)) + "12345" << 16 << QString(6, QChar(0x00e9)) + "1234";
        // A character outside the basic plane: 4 bytes, two UTF-16 units.
        QTest::newRow("surrogate pair")
            << "abcdefghijklmn" + QString::fromUcs4(U"\U0001F600") << 16 << "abcdefghijklmn";
        QTest::newRow("empty") << "" << 16 << "";
        QTest::newRow("no room") << "abc" << 0 << "";
    }

    void bounds()
    {
        QFETCH(QString, text);
        QFETCH(int, maxBytes);
        QFETCH(QString, kept);
        const QByteArray bytes = BoundedLocal8Bit(text, maxBytes);
        QVERIFY(bytes.size() <= maxBytes);
        QCOMPARE(bytes, kept.toLocal8Bit());
    }

    void copiesIntoFixedBuffer()
    {
        char buffer[17];
        std::memset(buffer, 'x', sizeof buffer);
        CopyBoundedLocal8Bit(QString(20, '7'), buffer, sizeof buffer);
        QCOMPARE(QByteArray(buffer), QByteArray(16, '7'));
        CopyBoundedLocal8Bit(QStringLiteral("60917"), buffer, sizeof buffer);
        // The tail of the longer text is cleared, not left behind the terminator.
        QCOMPARE(QByteArray(buffer, sizeof buffer), QByteArray("60917") + QByteArray(12, '\0'));
    }
};

QTEST_GUILESS_MAIN(FixedTextTest)
#include "tst_fixedtext.moc"
