#include "textbounds.h"

#include <QTest>

#include <cstring>

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

    const QString forty = QString(40, QLatin1Char('a'));
    QTest::newRow("ascii fits") << "admin" << 32 << "admin";
    QTest::newRow("40 ascii to 32") << forty << 32 << QString(32, QLatin1Char('a'));
    QTest::newRow("exactly 32") << QString(32, QLatin1Char('b')) << 32
                                << QString(32, QLatin1Char('b'));
    // 11 characters of 3 bytes are 33 bytes: the 11th does not fit whole.
    QTest::newRow("chinese 11 to 32")
        << QString(11, QChar(0x6444)) << 32 << QString(10, QChar(0x6444));
    QTest::newRow("chinese after ascii") << QStringLiteral("ab") + QString(10, QChar(0x6444)) << 32
                                         << QStringLiteral("ab") + QString(10, QChar(0x6444));
    QTest::newRow("chinese would straddle")
        << QStringLiteral("abc") + QString(10, QChar(0x6444)) << 32
        << QStringLiteral("abc") + QString(9, QChar(0x6444));
    QTest::newRow("password 16") << QString(6, QChar(0x00e9)) + QStringLiteral("12345") << 16
                                 << QString(6, QChar(0x00e9)) + QStringLiteral("1234");
    // A character outside the basic plane: 4 bytes, two UTF-16 units.
    QTest::newRow("surrogate pair")
        << QStringLiteral("abcdefghijklmn") + QString::fromUcs4(U"\U0001F600") << 16
        << QStringLiteral("abcdefghijklmn");
    QTest::newRow("empty") << "" << 16 << "";
}

void TestTextBounds::bounds()
{
    QFETCH(QString, text);
    QFETCH(int, maxBytes);
    QFETCH(QString, kept);

    const QByteArray bytes = BoundedLocal8Bit(text, maxBytes);
    QVERIFY(bytes.size() <= maxBytes);
    // Whatever is kept decodes back without a broken character.
    QCOMPARE(QString::fromLocal8Bit(bytes), kept);
    QCOMPARE(bytes, kept.toLocal8Bit());
}

void TestTextBounds::copiesIntoFixedBuffer()
{
    char buffer[17];
    std::memset(buffer, 'x', sizeof buffer);
    CopyBoundedLocal8Bit(QString(20, QLatin1Char('7')), buffer, sizeof buffer);
    QCOMPARE(std::strlen(buffer), size_t(16));
    CopyBoundedLocal8Bit(QStringLiteral("60917"), buffer, sizeof buffer);
    QCOMPARE(QByteArray(buffer), QByteArray("60917"));
    QCOMPARE(buffer[16], '\0');
}

QTEST_GUILESS_MAIN(TestTextBounds)
#include "tst_textbounds.moc"
