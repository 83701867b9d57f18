#include "progressdialog.h"

#include <QProgressBar>
#include <QTest>
#include <QTimer>

class TestProgressDialog : public QObject
{
    Q_OBJECT

private slots:
    void startsAsBorderlessWaitBox();
    void showsWhatTheOwnerSets();
    void doneEndsTheWait();
    void userCannotDismissIt();
};

void TestProgressDialog::startsAsBorderlessWaitBox()
{
    ProgressDialog dialog;
    QCOMPARE(dialog.text(), QStringLiteral("Please wait..."));
    QVERIFY(dialog.windowFlags().testFlag(Qt::FramelessWindowHint));
    QCOMPARE(dialog.windowType(), Qt::Popup);
    QCOMPARE(dialog.size(), QSize(383, 114));
    auto *bar = dialog.findChild<QProgressBar *>();
    QVERIFY(bar != nullptr);
    QVERIFY(!bar->isTextVisible());
}

void TestProgressDialog::showsWhatTheOwnerSets()
{
    ProgressDialog dialog;
    dialog.setText(QStringLiteral("Modifying, please wait..."));
    dialog.setRange(0, 20);
    dialog.setValue(7);
    dialog.setBarHidden(true);
    QCOMPARE(dialog.text(), QStringLiteral("Modifying, please wait..."));
    QCOMPARE(dialog.value(), 7);
    QVERIFY(dialog.isBarHidden());
    dialog.setBarHidden(false);
    QVERIFY(!dialog.isBarHidden());
}

void TestProgressDialog::doneEndsTheWait()
{
    QWidget owner;
    owner.show();
    ProgressDialog dialog(&owner);
    QTimer::singleShot(50, &dialog, [&dialog] { dialog.done(7); });
    QCOMPARE(dialog.exec(), 7);
    QVERIFY(!dialog.isVisible());
}

void TestProgressDialog::userCannotDismissIt()
{
    QWidget owner;
    owner.show();
    ProgressDialog dialog(&owner);
    bool visibleAfterAttempts = false;
    QTimer::singleShot(50, &dialog, [&] {
        QTest::keyClick(&dialog, Qt::Key_Escape);
        dialog.close();
        dialog.reject();
        visibleAfterAttempts = dialog.isVisible();
        dialog.done(3);
    });
    QCOMPARE(dialog.exec(), 3);
    QVERIFY(visibleAfterAttempts);
}

QTEST_MAIN(TestProgressDialog)
#include "tst_progressdialog.moc"
