#include "focuscurve.h"
#include "focusmeasure.h"

#include <QTest>

#include <vector>

namespace {

constexpr int Width = 400;
constexpr int Height = 300;
using Item = FocusCurve::Item;

int countOf(const FocusCurve::Drawing &drawing, Qt::GlobalColor colour, bool horizontalOnly)
{
    return int(std::count_if(drawing.begin(), drawing.end(), [&](const Item &item) {
        return item.colour == colour && item.kind == Item::Line
            && (!horizontalOnly || item.line.dy() == 0);
    }));
}

// 704 columns of 8-pixel stripes, `rows` high: about 69000 per row.
std::vector<uchar> stripes(int rows)
{
    std::vector<uchar> picture(size_t(704) * size_t(rows));
    for (size_t k = 0; k < picture.size(); ++k) {
        picture[k] = ((k % 704) / 8) % 2 != 0 ? 255 : 0;
    }
    return picture;
}

// One of any `step` pictures in a row is measured.
void measure(FocusSampler &sampler, const std::vector<uchar> &picture)
{
    for (unsigned i = 0; i < FocusSampler::measureStep(sampler.frameRate()); ++i) {
        sampler.onFrame(picture.data(), 704, int(picture.size() / 704));
    }
}

} // namespace

class TestFocusCurve : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        FocusMeasure::setEnabled(true);
        FocusCurve::resetLevels();
    }

    // 30 pictures of distinct values: the measured ones became current.
    void measuresEveryStepthPicture_data()
    {
        QTest::addColumn<unsigned>("frameRate");
        QTest::addColumn<int>("measured");
        QTest::newRow("25 a second: every fifth") << 25u << 6;
        QTest::newRow("50 a second: every tenth") << 50u << 3;
        QTest::newRow("4 a second: every picture") << 4u << 30;
        QTest::newRow("no rate: every picture") << 0u << 30;
    }

    void measuresEveryStepthPicture()
    {
        QFETCH(unsigned, frameRate);
        QFETCH(int, measured);
        FocusSampler sampler;
        sampler.start(frameRate);
        QList<int> seen;
        for (int rows = 1; rows <= 30; ++rows) {
            const std::vector<uchar> picture = stripes(rows);
            sampler.onFrame(picture.data(), 704, rows);
            if (sampler.current() == FocusMeasure::measurePlain(picture.data(), 704, rows)) {
                seen.append(sampler.current());
            }
        }
        QCOMPARE(seen.size(), measured);
        QCOMPARE(sampler.highest(), *std::max_element(seen.begin(), seen.end()));
        QCOMPARE(sampler.lowest(), *std::min_element(seen.begin(), seen.end()));
    }

    void levelFor_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("expected");
        QTest::newRow("5000000 at 1") << 5000000 << 1 << 1;
        QTest::newRow("5000001 at 1") << 5000001 << 1 << 2;
        QTest::newRow("10000001 at 1") << 10000001 << 1 << 3;
        QTest::newRow("15000001 at 1") << 15000001 << 1 << 4;
        QTest::newRow("12000000 at 2") << 12000000 << 2 << 3;
        QTest::newRow("small at 3") << 100 << 3 << 3;
        QTest::newRow("negative at 2") << -1 << 2 << 2;
        QTest::newRow("negative at 1: nothing") << -1 << 1 << 0;
    }

    void levelFor()
    {
        QFETCH(int, value);
        QFETCH(int, level);
        QTEST(FocusCurve::levelFor(value, level), "expected");
    }

    void phasesDrawTheirOwn()
    {
        FocusCurve curve(Width);
        curve.startSampling(25);
        for (int value : { 1000000, 3000000, 2000000 }) {
            curve.sampler().record(value);
            curve.tick();
        }
        QCOMPARE(curve.point(0).y(), 2000000);
        QCOMPARE(curve.point(2).y(), 1000000);
        FocusCurve::Drawing drawing = curve.paint(600, Height);
        QCOMPARE(countOf(drawing, Qt::yellow, true), 6); // level 1: 5 lines apart
        QCOMPARE(countOf(drawing, Qt::cyan, false), 4); // two segments, doubled
        QCOMPARE(curve.point(149).x(), 600); // the x positions follow the width

        curve.beginTuning();
        curve.tick(); // frozen
        QCOMPARE(curve.point(0).y(), 2000000);
        drawing = curve.paint(Width, Height);
        QCOMPARE(countOf(drawing, Qt::yellow, true), 5); // 2000000 / 1000000 + 2 apart
        QCOMPARE(countOf(drawing, Qt::cyan, false), 4);
        QCOMPARE(drawing.at(drawing.size() - 3).kind, Item::BestLabel);

        curve.stop(Width);
        QCOMPARE(curve.sampleCount(), 0);
        QCOMPARE(curve.paint(Width, Height).size(), 7); // the grid alone
    }

    // Past 15000000 both levels reach 4; after a stop, small values still
    // draw 20 lines apart and scale to 20000000.
    void gridAndScaleSurviveAStop()
    {
        const std::vector<uchar> large = stripes(576), small = stripes(50);
        const int smallValue = FocusMeasure::measurePlain(small.data(), 704, 50);
        QVERIFY(smallValue > 1000000 && smallValue <= 5000000);
        FocusCurve curve(Width);
        curve.startSampling(25);
        measure(curve.sampler(), large);
        QVERIFY(curve.sampler().current() > 15000000);
        QCOMPARE(countOf(curve.paint(Width, Height), Qt::yellow, true), 21);
        curve.stop(Width);

        curve.startSampling(25);
        measure(curve.sampler(), small);
        curve.tick();
        curve.tick();
        const FocusCurve::Drawing drawing = curve.paint(Width, Height);
        QCOMPARE(countOf(drawing, Qt::yellow, true), 21);
        const auto line = std::find_if(drawing.begin(), drawing.end(),
            [](const Item &item) { return item.colour == Qt::cyan; });
        QCOMPARE(line->line.y1(), Height - smallValue / (20000000 / Height));
    }

    void liveLineIsGreenAboveBest_data()
    {
        QTest::addColumn<int>("rowFromBest");
        QTest::addColumn<bool>("green");
        QTest::newRow("one row above") << -1 << true;
        QTest::newRow("on it") << 0 << false;
        QTest::newRow("one row below") << 1 << false;
    }

    void liveLineIsGreenAboveBest()
    {
        QFETCH(int, rowFromBest);
        QFETCH(bool, green);
        FocusCurve curve(Width);
        curve.startSampling(25);
        for (int value : { 1000000, 11000000, 6000000 }) {
            curve.sampler().record(value);
        }
        curve.beginTuning();
        const int row = *FocusCurve::bestRow(6000000, 1000000, 11000000, Height) + rowFromBest;
        // The live row goes down as the value falls.
        int value = 11000000;
        while (*FocusCurve::liveRow(value, 1000000, 11000000, Height) < row) {
            value -= 1000;
        }
        curve.sampler().record(value);
        const FocusCurve::Drawing drawing = curve.paint(Width, Height);
        QCOMPARE(drawing.last().line.y1(), row + 1);
        QCOMPARE(drawing.last().colour, green ? Qt::green : Qt::red);
    }

    // An empty or upside-down range divides by zero or overflows: whatever
    // is drawn stays within a pixel of the widget.
    void emptyRangeDrawsNothingWild_data()
    {
        QTest::addColumn<QList<int>>("sampled");
        QTest::addColumn<int>("live");
        QTest::newRow("one value, live on it") << QList<int> { 4000000 } << 4000000;
        QTest::newRow("one value, live above") << QList<int> { 4000000 } << 9000000;
        QTest::newRow("one value, live below") << QList<int> { 4000000 } << -5;
        QTest::newRow("nothing sampled") << QList<int> {} << 0;
        QTest::newRow("extremes of int") << QList<int> { INT_MIN, INT_MAX } << INT_MIN;
    }

    void emptyRangeDrawsNothingWild()
    {
        QFETCH(QList<int>, sampled);
        QFETCH(int, live);
        FocusCurve curve(Width);
        curve.startSampling(25);
        for (int value : std::as_const(sampled)) {
            curve.sampler().record(value);
            curve.tick();
        }
        curve.tick();
        curve.beginTuning();
        curve.sampler().record(live);
        const QRect inside(-1, -31, Width + 2, Height + 33);
        for (const Item &item : curve.paint(Width, Height)) {
            QVERIFY(item.kind == Item::Line
                    ? inside.contains(item.line.p1()) && inside.contains(item.line.p2())
                    : inside.contains(item.box.topLeft()));
        }
    }
};

QTEST_APPLESS_MAIN(TestFocusCurve)
#include "tst_focuscurve.moc"
