#include "focusmeasure.h"
#include "paintarea.h"

#include <QTest>
#include <QTimer>

#include <vector>

namespace {

// 704 columns of 8-pixel stripes: a sharp picture, its value growing with
// the rows.
std::vector<uchar> stripes(int rows)
{
    std::vector<uchar> picture(size_t(704) * size_t(rows));
    for (size_t k = 0; k < picture.size(); ++k) {
        picture[k] = ((k % 704) / 8) % 2 != 0 ? 255 : 0;
    }
    return picture;
}

// Hands a picture to the frame callback until it has been measured: one
// of any `step` pictures in a row is.
void show(CPaintArea &area, const std::vector<uchar> &picture, int rows)
{
    for (unsigned i = 0; i < FocusSampler::measureStep(area.curve().sampler().frameRate()); ++i) {
        CPaintArea::focusFrameCallback(picture.data(), 704, rows, &area);
    }
    QCOMPARE(
        area.curve().sampler().current(), FocusMeasure::measurePlain(picture.data(), 704, rows));
}

QColor colourAt(CPaintArea &area, int row)
{
    return area.grab().toImage().pixelColor(area.width() / 2, row);
}

} // namespace

class TestPaintArea : public QObject
{
    Q_OBJECT

private slots:
    void init() { FocusCurve::resetLevels(); }

    void freshAreaSwitchesTheMeasureOn()
    {
        FocusMeasure::setEnabled(false);
        CPaintArea area;
        QVERIFY(FocusMeasure::isEnabled());
        QCOMPARE(area.size(), QSize(400, 300));
        QCOMPARE(area.objectName(), QStringLiteral("CPaintAreaClass"));
        QCOMPARE(area.backgroundRole(), QPalette::Dark);
        QVERIFY(area.autoFillBackground());
        QVERIFY(!area.timer()->isActive());
    }

    // The timer ticks from the first sampling on, whatever follows.
    void timerNeverStops()
    {
        CPaintArea area;
        area.startSampling(25);
        QVERIFY(area.timer()->isActive());
        QCOMPARE(area.timer()->interval(), CPaintArea::TickMs);
        area.beginTuning();
        area.stop();
        QVERIFY(area.timer()->isActive());
        QVERIFY(area.curve().isStopped());
    }

    void curveScrollsWhileSampling()
    {
        CPaintArea area;
        area.startSampling(25);
        const std::vector<uchar> picture = stripes(40);
        show(area, picture, 40);
        QTRY_VERIFY(area.curve().sampleCount() >= 2);
        QCOMPARE(area.curve().point(0).y(), area.curve().sampler().current());
    }

    // Sampled from a blurred-ish to a sharp picture, back to the blurred one,
    // fine-tuning: the BEST line is red; the live line is green at the
    // sharp value (above BEST) and red at the blurred one.
    void liveLineColourInTheWidget()
    {
        CPaintArea area;
        area.show();
        QVERIFY(QTest::qWaitForWindowExposed(&area));
        const std::vector<uchar> sharp = stripes(60), blurred = stripes(10);
        area.startSampling(25);
        show(area, sharp, 60);
        show(area, blurred, 10);
        area.beginTuning();
        const FocusCurve &curve = area.curve();
        const int best = *FocusCurve::bestRow(
            curve.savedCurrent(), curve.savedLowest(), curve.savedHighest(), area.height());
        QCOMPARE(colourAt(area, best), QColor(Qt::red));

        show(area, sharp, 60);
        const int high = *FocusCurve::liveRow(
            curve.sampler().current(), curve.savedLowest(), curve.savedHighest(), area.height());
        QVERIFY(high < best);
        QCOMPARE(colourAt(area, high), QColor(Qt::green));

        show(area, blurred, 10);
        const int low = *FocusCurve::liveRow(
            curve.sampler().current(), curve.savedLowest(), curve.savedHighest(), area.height());
        QVERIFY(low > best);
        QCOMPARE(colourAt(area, low), QColor(Qt::red));
    }

    // One value only: saved highest equals saved lowest. The widget paints.
    void emptyRangePaints()
    {
        CPaintArea area;
        area.startSampling(25);
        const std::vector<uchar> picture = stripes(20);
        show(area, picture, 20);
        area.beginTuning();
        QCOMPARE(area.curve().savedHighest(), area.curve().savedLowest());
        QVERIFY(!area.grab().isNull());
    }

    void doubleClickAndEscape()
    {
        QWidget window;
        window.resize(800, 600);
        auto *area = new CPaintArea(&window);
        area->setGeometry(10, 10, 400, 300);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        QTest::mouseDClick(area, Qt::LeftButton);
        QTRY_VERIFY(area->isFullScreen());
        QVERIFY(area->isWindow());
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
