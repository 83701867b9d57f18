// Fixed-size 8-bit text fields: bounded, zero-padded, and read no further
// than the first zero or the field's end.

#include "fixedtext.h"

#include <QTest>

#include <cstring>

Q_DECLARE_METATYPE(FixedText::Ending)

namespace {

// Guard bytes after a field, which no write may touch.
constexpr int Guard = 3;

} // namespace

class FixedTextTest : public QObject
{
    Q_OBJECT

private slots:
    void writeFillsExactlyTheField_data();
    void writeFillsExactlyTheField();
    void readStopsAtZeroOrWidth_data();
    void readStopsAtZeroOrWidth();
    void cStringFieldsStayTerminated_data();
    void cStringFieldsStayTerminated();
};

void FixedTextTest::writeFillsExactlyTheField_data()
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
    QTest::newRow("full width has no terminator")
        << QByteArray("abcde") << 5 << full << QByteArray("abcde");
    QTest::newRow("terminated keeps the last byte zero")
        << QByteArray("abcde") << 5 << terminated << QByteArray("abcd") + '\0';
    QTest::newRow("long text cut, full width")
        << QByteArray("abcdefgh") << 5 << full << QByteArray("abcde");
    QTest::newRow("long text cut, terminated")
        << QByteArray("abcdefgh") << 5 << terminated << QByteArray("abcd") + '\0';
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

void FixedTextTest::writeFillsExactlyTheField()
{
    QFETCH(QByteArray, text);
    QFETCH(int, width);
    QFETCH(FixedText::Ending, ending);
    QFETCH(QByteArray, field);

    QByteArray buffer(width + Guard, 'x');
    FixedText::write(buffer.data(), width, text, ending);
    QCOMPARE(buffer.left(width), field);
    QCOMPARE(buffer.mid(width), QByteArray(Guard, 'x'));
}

void FixedTextTest::readStopsAtZeroOrWidth_data()
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

void FixedTextTest::readStopsAtZeroOrWidth()
{
    QFETCH(QByteArray, field);
    QFETCH(int, width);
    QFETCH(QByteArray, text);

    QCOMPARE(FixedText::read(field.constData(), width), text);
}

void FixedTextTest::cStringFieldsStayTerminated_data()
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

void FixedTextTest::cStringFieldsStayTerminated()
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

QTEST_APPLESS_MAIN(FixedTextTest)
#include "tst_fixedtext.moc"
