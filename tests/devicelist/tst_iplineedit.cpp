#include "iplineedit.h"

#include <QLineEdit>
#include <QTest>

// Key tokens of a sequence: plain characters are typed; <BS>, <Home>, <End>,
// <Left>, <Right>, <Up>, <Down> and <Space> press that key.
class TestIpLineEdit : public QObject
{
    Q_OBJECT

private slots:
    void setTextFillsPartsWithoutMovingFocus();
    void keySequences_data();
    void keySequences();
    void tabEntersAtFirstPartOnly();

private:
    static void press(QWidget *window, const QString &sequence);
};

void TestIpLineEdit::press(QWidget *window, const QString &sequence)
{
    static const QHash<QString, Qt::Key> named = {
        { QStringLiteral("BS"), Qt::Key_Backspace },
        { QStringLiteral("Home"), Qt::Key_Home },
        { QStringLiteral("End"), Qt::Key_End },
        { QStringLiteral("Left"), Qt::Key_Left },
        { QStringLiteral("Right"), Qt::Key_Right },
        { QStringLiteral("Up"), Qt::Key_Up },
        { QStringLiteral("Down"), Qt::Key_Down },
        { QStringLiteral("Space"), Qt::Key_Space },
    };
    for (int i = 0; i < sequence.size(); ++i) {
        // Keys go where the user's would: to the field that has the focus now.
        QWidget *target = window->focusWidget();
        QVERIFY(target != nullptr);
        if (sequence[i] == QLatin1Char('<')) {
            const int close = sequence.indexOf(QLatin1Char('>'), i);
            const QString name = sequence.mid(i + 1, close - i - 1);
            QVERIFY2(named.contains(name), qPrintable(name));
            QTest::keyClick(target, named.value(name));
            i = close;
        } else {
            QTest::keyClick(target, sequence[i].toLatin1());
        }
    }
}

void TestIpLineEdit::setTextFillsPartsWithoutMovingFocus()
{
    QWidget window;
    auto *edit = new CIpLineEdit(&window);
    QCOMPARE(edit->text(), QStringLiteral("..."));
    window.show();
    edit->part(0)->setFocus();
    edit->setText(QStringLiteral("192.168.1.64"));
    QCOMPARE(edit->text(), QStringLiteral("192.168.1.64"));
    QCOMPARE(window.focusWidget(), edit->part(0));
    edit->setText(QStringLiteral("10.1"));
    QCOMPARE(edit->text(), QStringLiteral("10.1.."));
}

void TestIpLineEdit::keySequences_data()
{
    QTest::addColumn<QString>("initial"); // set before typing
    QTest::addColumn<int>("startPart"); // focused part, 0..3
    QTest::addColumn<int>("startCursor"); // -1: end of the part's text
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("expectedText");
    QTest::addColumn<int>("expectedPart");
    QTest::addColumn<int>("expectedCursor"); // -1: not checked
    QTest::addColumn<QString>("expectedSelection");

    auto row = [](const char *name, const char *initial, int part, int cursor, const char *keys,
                   const char *text, int expectedPart, int expectedCursor, const char *selection) {
        QTest::newRow(name) << QString(initial) << part << cursor << QString(keys) << QString(text)
                            << expectedPart << expectedCursor << QString(selection);
    };
    row("fourth digit lands in part 2", "...", 0, -1, "1921", "192.1..", 1, -1, "");
    row("300 in part 2 becomes 255, part 3 selected", "..7.", 1, -1, "300", ".255.7.", 2, -1, "7");
    row("999 in part 4 becomes 255, focus stays", "...", 3, -1, "999", "...255", 3, -1, "");
    row("256 in part 1 becomes 255, next digit in part 2", "...", 0, -1, "2569", "255.9..", 1, -1,
        "");
    row("255 is kept", "...", 0, -1, "255", "255...", 1, -1, "");
    row("dot in empty part 1 does nothing", "...", 0, -1, ".", "...", 0, -1, "");
    row("dot selects the next part", "1.23..", 0, -1, ".", "1.23..", 1, -1, "23");
    row("dot before the end does nothing", "12...", 0, 1, ".", "12...", 0, 1, "");
    row("dot in part 4 does nothing", "1.2.3.4", 3, -1, ".", "1.2.3.4", 3, -1, "");
    row("whole address with dots", "...", 0, -1, "192.168.1.64", "192.168.1.64", 3, -1, "");
    row("letters and spaces never enter a part", "...", 0, -1, "1a2", "12...", 0, -1, "");
    row("backspace at start of part 3 goes back, deletes nothing", "192.168.1.64", 2, 0, "<BS>",
        "192.168.1.64", 1, 3, "");
    row("backspace inside a part deletes", "1.23..", 1, -1, "<BS>", "1.2..", 1, 1, "");
    row("backspaces walk back through parts", "1.2..", 1, -1, "<BS><BS><BS>", "...", 0, 0, "");
    row("backspace at start of part 1 stays", "1...", 0, 0, "<BS>", "1...", 0, 0, "");
    row("left at start of part 2 goes back", "1.2..", 1, 0, "<Left>", "1.2..", 0, -1, "");
    row("up at start of part 4 goes back", "1.2.3.4", 3, 0, "<Up>", "1.2.3.4", 2, -1, "");
    row("left inside a part stays", "1.23..", 1, -1, "<Left>", "1.23..", 1, 1, "");
    row("right at end of part 1 moves on", "1.2..", 0, -1, "<Right>", "1.2..", 1, -1, "");
    row("down at end of part 3 moves on", "1.2.3.4", 2, -1, "<Down>", "1.2.3.4", 3, -1, "");
    row("right before the end stays", "12...", 0, 0, "<Right>", "12...", 0, 1, "");
    row("right at end of part 4 stays", "1.2.3.4", 3, -1, "<Right>", "1.2.3.4", 3, -1, "");
    row("space moves on from part 1", "...", 0, -1, "<Space>", "...", 1, -1, "");
    row("space in part 4 stays and is not typed", "1.2.3.4", 3, -1, "<Space>", "1.2.3.4", 3, -1,
        "");
    row("home from part 3", "192.168.1.64", 2, -1, "<Home>", "192.168.1.64", 0, 0, "");
    row("end from part 1 with three digits in part 4", "1.2.3.200", 0, 0, "<End>", "1.2.3.200", 3,
        3, "");
}

void TestIpLineEdit::keySequences()
{
    QFETCH(QString, initial);
    QFETCH(int, startPart);
    QFETCH(int, startCursor);
    QFETCH(QString, keys);
    QFETCH(QString, expectedText);
    QFETCH(int, expectedPart);
    QFETCH(int, expectedCursor);
    QFETCH(QString, expectedSelection);

    QWidget window;
    auto *edit = new CIpLineEdit(&window);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    edit->setText(initial);
    QLineEdit *start = edit->part(startPart);
    start->setFocus();
    start->deselect();
    start->setCursorPosition(startCursor < 0 ? start->text().size() : startCursor);

    press(&window, keys);

    QCOMPARE(edit->text(), expectedText);
    QCOMPARE(window.focusWidget(), edit->part(expectedPart));
    if (expectedCursor >= 0) {
        QCOMPARE(edit->part(expectedPart)->cursorPosition(), expectedCursor);
    }
    QCOMPARE(edit->part(expectedPart)->selectedText(), expectedSelection);
}

void TestIpLineEdit::tabEntersAtFirstPartOnly()
{
    QWidget window;
    auto *before = new QLineEdit(&window);
    auto *edit = new CIpLineEdit(&window);
    auto *after = new QLineEdit(&window);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    before->setFocus();
    QTest::keyClick(before, Qt::Key_Tab);
    QCOMPARE(window.focusWidget(), edit->part(0));
    QTest::keyClick(edit->part(0), Qt::Key_Tab);
    QCOMPARE(window.focusWidget(), after);
}

QTEST_MAIN(TestIpLineEdit)
#include "tst_iplineedit.moc"
