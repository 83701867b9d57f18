#include "textbounds.h"

#include <QTest>

#include <cstring>

// Texts cut to a byte budget keep whole characters only.
class TestTextBounds : public QObject
{
    Q_OBJECT

private slots:
    void bounds_data();
    void bounds();
    void copiesIntoFixedBuffer();
};

void TestTextBounds::bounds_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("maxBytes");
    QTest::addColumn<QString>("kept");

    const QString han = QString(10, QChar(0x6444)); // 3 bytes each
    QTest::newRow("40 ascii to 32") << QString(40, 'a') << 32 << QString(32, 'a');
    QTest::newRow("exactly 32") << QString(32, 'b') << 32 << QString(32, 'b');
    QTest::newRow("11 chinese to 32") << han + QChar(0x6444) << 32 << han;
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

void TestTextBounds::bounds()
{
    QFETCH(QString, text);
    QFETCH(int, maxBytes);
    QFETCH(QString, kept);

    const QByteArray bytes = BoundedLocal8Bit(text, maxBytes);
    QVERIFY(bytes.size() <= maxBytes);
    QCOMPARE(bytes, kept.toLocal8Bit());
}

void TestTextBounds::copiesIntoFixedBuffer()
{
    char buffer[17];
    std::memset(buffer, 'x', sizeof buffer);
    CopyBoundedLocal8Bit(QString(20, '7'), buffer, sizeof buffer);
    QCOMPARE(QByteArray(buffer), QByteArray(16, '7'));
    CopyBoundedLocal8Bit(QStringLiteral("60917"), buffer, sizeof buffer);
    // The tail of the longer text is cleared, not left behind the terminator.
    QCOMPARE(QByteArray(buffer, sizeof buffer), QByteArray("60917") + QByteArray(12, '\0'));
}

QTEST_GUILESS_MAIN(TestTextBounds)
#include "tst_textbounds.moc"
