#include "progressdialog.h"

#include <QTest>
#include <QTimer>

class TestProgressDialog : public QObject
{
    Q_OBJECT

private slots:
    void startsAsBorderlessWaitBox();
    void onlyTheOwnerEndsTheWait();
};

void TestProgressDialog::startsAsBorderlessWaitBox()
{
    ProgressDialog dialog;
    QCOMPARE(dialog.text(), QStringLiteral("Please wait..."));
    QVERIFY(dialog.windowFlags().testFlag(Qt::FramelessWindowHint));
    QCOMPARE(dialog.windowType(), Qt::Popup);
}

void TestProgressDialog::onlyTheOwnerEndsTheWait()
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
    QVERIFY(!dialog.isVisible());
}

QTEST_MAIN(TestProgressDialog)
#include "tst_progressdialog.moc"
