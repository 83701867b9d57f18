#include "focuscurve.h"
#include "focusmeasure.h"

#include <QTest>

#include <vector>

namespace {

constexpr int Width = 400;
constexpr int Height = 300;

using Item = FocusCurve::Item;

QList<Item> itemsOf(const FocusCurve::Drawing &drawing, Qt::GlobalColor colour)
{
    QList<Item> items;
    for (const Item &item : drawing) {
        if (item.colour == colour) {
            items.append(item);
        }
    }
    return items;
}

int horizontalLines(const FocusCurve::Drawing &drawing, Qt::GlobalColor colour)
{
    int count = 0;
    for (const Item &item : itemsOf(drawing, colour)) {
        count += item.kind == Item::Line && item.line.dy() == 0 ? 1 : 0;
    }
    return count;
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

// Feeds a picture until the sampler has measured it.
void measure(FocusSampler &sampler, const std::vector<uchar> &picture, int rows)
{
    for (unsigned i = 0; i < FocusSampler::measureStep(sampler.frameRate()); ++i) {
        sampler.onFrame(picture.data(), 704, rows);
    }
}

// Of the fine-tuning drawing: the live lines are the last two.
Qt::GlobalColor liveColour(const FocusCurve::Drawing &drawing)
{
    return drawing.last().colour;
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

    // 30 pictures of distinct focus values: the measured ones are those
    // whose value became current.
    void measuresEveryStepthPicture_data()
    {
        QTest::addColumn<unsigned>("frameRate");
        QTest::addColumn<int>("measured");
        QTest::newRow("25 a second: every fifth") << 25u << 6;
        QTest::newRow("50 a second: every tenth") << 50u << 3;
        QTest::newRow("10 a second: every second") << 10u << 15;
        QTest::newRow("9 a second: every picture") << 9u << 30;
        QTest::newRow("4 a second: every picture") << 4u << 30;
        QTest::newRow("no rate: every picture") << 0u << 30;
    }

    void measuresEveryStepthPicture()
    {
        QFETCH(unsigned, frameRate);
        QFETCH(int, measured);
        std::vector<std::vector<uchar>> pictures;
        QList<int> values;
        for (int rows = 1; rows <= 30; ++rows) {
            pictures.push_back(stripes(rows));
            values.append(FocusMeasure::measurePlain(pictures.back().data(), 704, rows));
            QVERIFY(values.count(values.last()) == 1 && values.last() != 0);
        }
        FocusSampler sampler;
        sampler.start(frameRate);
        QCOMPARE(sampler.highest(), 0);
        QCOMPARE(sampler.lowest(), FocusSampler::LowestAtStart);
        QList<int> seen;
        for (int i = 0; i < 30; ++i) {
            sampler.onFrame(pictures[size_t(i)].data(), 704, i + 1);
            if (sampler.current() == values[i]) {
                seen.append(values[i]);
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
        QTest::newRow("0 at level 1") << 0 << 1 << 1;
        QTest::newRow("5000000 at level 1") << 5000000 << 1 << 1;
        QTest::newRow("5000001 at level 1") << 5000001 << 1 << 2;
        QTest::newRow("10000000 at level 1") << 10000000 << 1 << 2;
        QTest::newRow("10000001 at level 1") << 10000001 << 1 << 3;
        QTest::newRow("15000000 at level 1") << 15000000 << 1 << 3;
        QTest::newRow("15000001 at level 1") << 15000001 << 1 << 4;
        QTest::newRow("12000000 at level 2") << 12000000 << 2 << 3;
        QTest::newRow("small at level 3") << 100 << 3 << 3;
        QTest::newRow("small at level 4") << 100 << 4 << 4;
        QTest::newRow("negative at level 2") << -1 << 2 << 2;
        QTest::newRow("negative at level 1: nothing") << -1 << 1 << 0;
    }

    void levelFor()
    {
        QFETCH(int, value);
        QFETCH(int, level);
        QTEST(FocusCurve::levelFor(value, level), "expected");
    }

    void eachPhaseDrawsItsOwn()
    {
        FocusCurve curve(Width);
        QCOMPARE(horizontalLines(curve.paint(Width, Height), Qt::yellow), 6);
        QVERIFY(itemsOf(curve.paint(Width, Height), Qt::cyan).isEmpty());

        curve.startSampling(25);
        for (int value : { 1000000, 3000000, 2000000 }) {
            curve.sampler().record(value);
            curve.tick();
        }
        FocusCurve::Drawing drawing = curve.paint(Width, Height);
        QCOMPARE(horizontalLines(drawing, Qt::yellow), 6);
        QCOMPARE(itemsOf(drawing, Qt::cyan).size(), 4); // two segments, each doubled
        QVERIFY(itemsOf(drawing, Qt::red).isEmpty());

        curve.beginTuning();
        QCOMPARE(curve.savedHighest(), 3000000);
        QCOMPARE(curve.savedLowest(), 1000000);
        QCOMPARE(curve.savedCurrent(), 2000000);
        drawing = curve.paint(Width, Height);
        QCOMPARE(horizontalLines(drawing, Qt::yellow), 5); // 2000000 / 1000000 + 2, and row 0
        QCOMPARE(itemsOf(drawing, Qt::cyan).size(), 4);
        QVERIFY(!itemsOf(drawing, Qt::red).isEmpty());
        QCOMPARE(drawing.at(drawing.size() - 3).kind, Item::BestLabel);

        curve.stop(Width);
        QVERIFY(curve.isStopped());
        QCOMPARE(curve.sampleCount(), 0);
        drawing = curve.paint(Width, Height);
        QCOMPARE(horizontalLines(drawing, Qt::yellow), 6);
        QCOMPARE(drawing.size(), 7);
    }

    void tickMovesTheCurveOnlyWhileSampling()
    {
        FocusCurve curve(Width);
        curve.sampler().record(7);
        curve.tick(); // sampling from the start, before any run
        curve.startSampling(25);
        curve.sampler().record(11);
        curve.tick();
        QCOMPARE(curve.point(0).y(), 11);
        QCOMPARE(curve.point(1).y(), 7);
        QCOMPARE(curve.sampleCount(), 2);
        curve.beginTuning();
        curve.sampler().record(13);
        curve.tick();
        QCOMPARE(curve.point(0).y(), 11);
        curve.stop(Width);
        curve.startSampling(25);
        for (int i = 0; i < 200; ++i) {
            curve.tick();
        }
        QCOMPARE(curve.sampleCount(), FocusCurve::PointCount);
        QCOMPARE(curve.point(FocusCurve::PointCount - 1).y(), 13);
    }

    void xPositionsFollowTheWidth()
    {
        FocusCurve curve(Width);
        QCOMPARE(curve.point(149).x(), 149 * 3); // 400 / 150 rounded up
        curve.paint(Width, Height);
        QCOMPARE(curve.point(149).x(), 149 * 3);
        curve.paint(600, Height);
        QCOMPARE(curve.point(0).x(), 0);
        QCOMPARE(curve.point(1).x(), 8);
        QCOMPARE(curve.point(149).x(), 600);
        curve.stop(600);
        QCOMPARE(curve.point(149).x(), 149 * 4);
    }

    // Values past 15000000 take both levels to 4; after a stop, a run of
    // small values still draws 20 lines and scales to 20000000.
    void gridAndScaleSurviveAStop()
    {
        const std::vector<uchar> large = stripes(576);
        const std::vector<uchar> small = stripes(50);
        const int smallValue = FocusMeasure::measurePlain(small.data(), 704, 50);
        QVERIFY(FocusMeasure::measurePlain(large.data(), 704, 576) > 15000000);
        QVERIFY(smallValue > 1000000 && smallValue <= 5000000);

        FocusCurve curve(Width);
        curve.startSampling(25);
        measure(curve.sampler(), large, 576);
        curve.tick();
        QCOMPARE(horizontalLines(curve.paint(Width, Height), Qt::yellow), 21);
        QCOMPARE(FocusCurve::gridLevel(), 4);
        QCOMPARE(FocusCurve::scaleLevel(), 4);
        curve.stop(Width);

        curve.startSampling(25);
        measure(curve.sampler(), small, 50);
        curve.tick();
        curve.tick();
        const FocusCurve::Drawing drawing = curve.paint(Width, Height);
        QCOMPARE(horizontalLines(drawing, Qt::yellow), 21);
        const QList<Item> curveLines = itemsOf(drawing, Qt::cyan);
        QCOMPARE(curveLines.size(), 2);
        QCOMPARE(curveLines.first().line.y1(), Height - smallValue / (20000000 / Height));
    }

    // The live line is green exactly when its row lies above the BEST row.
    void liveLineTurnsGreenAboveBest_data()
    {
        QTest::addColumn<int>("rowFromBest");
        QTest::addColumn<bool>("green");
        QTest::newRow("one row above") << -1 << true;
        QTest::newRow("on it") << 0 << false;
        QTest::newRow("one row below") << 1 << false;
    }

    void liveLineTurnsGreenAboveBest()
    {
        QFETCH(int, rowFromBest);
        QFETCH(bool, green);
        FocusCurve curve(Width);
        curve.startSampling(25);
        for (int value : { 1000000, 11000000, 6000000 }) {
            curve.sampler().record(value);
        }
        curve.beginTuning();
        const int best = *FocusCurve::bestRow(6000000, 1000000, 11000000, Height);
        // The live row falls as the value rises.
        int value = 11000000;
        while (*FocusCurve::liveRow(value, 1000000, 11000000, Height) < best + rowFromBest) {
            value -= 1000;
        }
        QCOMPARE(*FocusCurve::liveRow(value, 1000000, 11000000, Height), best + rowFromBest);
        curve.sampler().record(value);
        const FocusCurve::Drawing drawing = curve.paint(Width, Height);
        QCOMPARE(drawing.last().line.y1(), best + rowFromBest + 1);
        QCOMPARE(liveColour(drawing), green ? Qt::green : Qt::red);
    }

    // An empty range divides by zero in floating point: whatever is drawn
    // stays within a pixel of the widget.
    void emptyRangeDrawsNothingWild_data()
    {
        QTest::addColumn<QList<int>>("sampled");
        QTest::addColumn<int>("live");
        QTest::newRow("one value, live on it") << QList<int> { 4000000 } << 4000000;
        QTest::newRow("one value, live above") << QList<int> { 4000000 } << 9000000;
        QTest::newRow("one value, live below") << QList<int> { 4000000 } << -5;
        QTest::newRow("nothing sampled") << QList<int> {} << 0;
        QTest::newRow("extremes of int")
            << QList<int> { std::numeric_limits<int>::min(), std::numeric_limits<int>::max() }
            << std::numeric_limits<int>::min();
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
        const QRect inside(-1, -1, Width + 2, Height + 3);
        for (const Item &item : curve.paint(Width, Height)) {
            if (item.kind == Item::Line) {
                QVERIFY(inside.contains(item.line.p1()) && inside.contains(item.line.p2()));
            } else {
                QVERIFY(item.box.top() >= -31 && item.box.top() <= Height);
            }
        }
    }
};

QTEST_APPLESS_MAIN(TestFocusCurve)
#include "tst_focuscurve.moc"
