#include "iplineedit.h"

#include <QLineEdit>
#include <QTest>

class TestIpLineEdit : public QObject
{
    Q_OBJECT

    // <BS>, <Home>, <End>, <Left>, <Right> press that key, in the focused field; others are typed.
    static void press(QWidget *window, const QString &sequence)
    {
        static const QHash<QString, Qt::Key> named
            = { { "BS", Qt::Key_Backspace }, { "Home", Qt::Key_Home }, { "End", Qt::Key_End },
                  { "Left", Qt::Key_Left }, { "Right", Qt::Key_Right } };
        for (int i = 0; i < sequence.size(); ++i) {
            QWidget *target = window->focusWidget();
            QVERIFY(target != nullptr);
            if (sequence[i] == QLatin1Char('<')) {
                const int close = sequence.indexOf(QLatin1Char('>'), i);
                QTest::keyClick(target, named.value(sequence.mid(i + 1, close - i - 1)));
                i = close;
            } else {
                QTest::keyClick(target, sequence[i].toLatin1());
            }
        }
    }

private slots:
    void setTextFillsPartsWithoutMovingFocus()
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

    void keySequences_data()
    {
        QTest::addColumn<QString>("initial");
        QTest::addColumn<int>("startPart"); // focused part, 0..3
        QTest::addColumn<int>("startCursor"); // -1: end of the part's text
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("expectedText");
        QTest::addColumn<int>("expectedPart");
        QTest::addColumn<int>("expectedCursor"); // -1: not checked
        QTest::addColumn<QString>("expectedSelection");
        auto row = [](const char *name, QString initial, int part, int cursor, QString keys,
                       QString text, int toPart, int toCursor, QString selection) {
            QTest::newRow(name) << initial << part << cursor << keys << text << toPart << toCursor
                                << selection;
        };
        row("fourth digit lands in part 2", "...", 0, -1, "1921", "192.1..", 1, -1, "");
        row("300 in part 2 is 255, part 3 selected", "..7.", 1, -1, "300", ".255.7.", 2, -1, "7");
        row("999 in part 4 becomes 255, focus stays", "...", 3, -1, "999", "...255", 3, -1, "");
        row("dot selects the next part", "1.23..", 0, -1, ".", "1.23..", 1, -1, "23");
        row("dot before the end does nothing", "12...", 0, 1, ".", "12...", 0, 1, "");
        row("letters and spaces never enter a part", "...", 0, -1, "1a2", "12...", 0, -1, "");
        row("BS at start of part 3 goes back", "19.16.1.6", 2, 0, "<BS>", "19.16.1.6", 1, 2, "");
        row("backspaces walk back through parts", "1.2..", 1, -1, "<BS><BS><BS>", "...", 0, 0, "");
        row("left at start of part 2 goes back", "1.2..", 1, 0, "<Left>", "1.2..", 0, -1, "");
        row("right at end of part 1 moves on", "1.2..", 0, -1, "<Right>", "1.2..", 1, -1, "");
        row("home from part 3", "192.168.1.64", 2, -1, "<Home>", "192.168.1.64", 0, 0, "");
        row("end, 3 digits in part 4", "1.2.3.200", 0, 0, "<End>", "1.2.3.200", 3, 3, "");
    }

    void keySequences()
    {
        QFETCH(QString, initial);
        QFETCH(int, startPart);
        QFETCH(int, startCursor);
        QFETCH(QString, keys);
        QFETCH(int, expectedPart);
        QFETCH(int, expectedCursor);
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
        QTEST(edit->text(), "expectedText");
        QCOMPARE(window.focusWidget(), edit->part(expectedPart));
        if (expectedCursor >= 0) {
            QCOMPARE(edit->part(expectedPart)->cursorPosition(), expectedCursor);
        }
        QTEST(edit->part(expectedPart)->selectedText(), "expectedSelection");
    }

    void tabEntersAtFirstPartOnly()
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
};

QTEST_MAIN(TestIpLineEdit)
#include "tst_iplineedit.moc"
