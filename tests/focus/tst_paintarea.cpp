#include "focusmeasure.h"
#include "paintarea.h"

#include <QTest>
#include <QTimer>

class TestPaintArea : public QObject
{
    Q_OBJECT

private slots:
    // The timer ticks from the first sampling on, whatever follows; a
    // curve frozen on one value (an empty range) paints.
    void timerRunsOnAndEmptyRangePaints()
    {
        FocusMeasure::setEnabled(false);
        CPaintArea area;
        QVERIFY(FocusMeasure::isEnabled());
        QVERIFY(!area.timer()->isActive());
        area.startSampling(0);
        const uchar picture[32] = { 0, 255, 0, 255, 0, 255 };
        CPaintArea::focusFrameCallback(picture, 16, 2, &area);
        QTRY_VERIFY(area.curve().sampleCount() >= 2);
        area.beginTuning();
        QCOMPARE(area.curve().savedHighest(), area.curve().savedLowest());
        QVERIFY(!area.grab().isNull());
        area.stop();
        QVERIFY(area.timer()->isActive());
    }

    void doubleClickAndEscape()
    {
        QWidget window;
        window.resize(800, 600);
        auto *area = new CPaintArea(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::mouseDClick(area, Qt::LeftButton);
        QTRY_VERIFY(area->isFullScreen());
        QTest::keyClick(area, Qt::Key_Escape);
        QTRY_VERIFY(!area->isWindow());
        QTest::mouseDClick(area, Qt::LeftButton);
        QTRY_VERIFY(area->isFullScreen());
        QTest::mouseDClick(area, Qt::LeftButton);
        QTRY_VERIFY(!area->isWindow());
        QCOMPARE(area->parentWidget(), &window);
    }
};

QTEST_MAIN(TestPaintArea)
#include "tst_paintarea.moc"
