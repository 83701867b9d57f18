#include "lensmath.h"

#include <QTest>

#include <cmath>

using namespace LensMath;

namespace {

LensInfo lens(const QString &model, float minimum, float maximum)
{
    LensInfo info;
    info.setModel(model);
    info.setMinFocal(minimum);
    info.setMaxFocal(maximum);
    return info;
}

} // namespace

class TestLensMath : public QObject
{
    Q_OBJECT

private slots:
    void recommendsLenses_data();
    void recommendsLenses();
    void itemText_data();
    void itemText();
    void bracketTilt_data();
    void bracketTilt();
    void degenerateInputsGiveNothing();
    void edgesAndDetectionStartAgree_data();
    void edgesAndDetectionStartAgree();
    void monitorFractions_data();
    void monitorFractions();
    void parallelEdgesKeepTheMarks();
};

void TestLensMath::recommendsLenses_data()
{
    QTest::addColumn<QList<LensInfo>>("lenses");
    QTest::addColumn<QStringList>("models");
    QTest::addColumn<double>("focal");
    QTest::addColumn<QStringList>("expected");

    const QList<LensInfo> fixed { lens("F4", 4, 4), lens("F6", 6, 6) };
    const QList<LensInfo> zoom { lens("Z2812", 2.8f, 12.0f) };
    const QList<LensInfo> mixed { lens("F8", 8, 8), lens("Z2812", 2.8f, 12.0f),
        lens("Z0550", 5, 50), lens("F4", 4, 4.005f) };
    using L = QStringList;
    QTest::newRow("two equally near fixed") << fixed << L { "F4", "F6" } << 5.0 << L { "F4", "F6" };
    QTest::newRow("equally near, first named first")
        << fixed << L { "F6", "F4" } << 5.0 << L { "F6", "F4" };
    QTest::newRow("only the nearest fixed") << fixed << L { "F4", "F6" } << 4.9 << L { "F4" };
    QTest::newRow("zoom at its shortest") << zoom << L { "Z2812" } << 2.80 << L { "Z2812" };
    QTest::newRow("zoom at its longest") << zoom << L { "Z2812" } << 12.00 << L { "Z2812" };
    QTest::newRow("zoom just beyond") << zoom << L { "Z2812" } << 12.01 << L {};
    QTest::newRow("zoom lenses before the nearest fixed one")
        << mixed << L { "F8", "Z0550", "F4", "Z2812" } << 7.0 << L { "Z0550", "Z2812", "F8" };
    QTest::newRow("4 to 4.005 is a fixed lens") << mixed << L { "F4", "F8" } << 4.002 << L { "F4" };
    QTest::newRow("unknown and wrongly cased names skipped")
        << mixed << L { "nothing", "f8", "F8" } << 20.0 << L { "F8" };
    QTest::newRow("no names") << mixed << L {} << 6.0 << L {};
}

void TestLensMath::recommendsLenses()
{
    QFETCH(QList<LensInfo>, lenses);
    QFETCH(QStringList, models);
    QFETCH(double, focal);
    QFETCH(QStringList, expected);

    QStringList recommended;
    for (int index : recommendLenses(focal, models, lenses)) {
        recommended.append(lenses[index].model());
    }
    QCOMPARE(recommended, expected);
}

void TestLensMath::itemText_data()
{
    QTest::addColumn<float>("minimum");
    QTest::addColumn<float>("maximum");
    QTest::addColumn<QString>("expected");

    // Plain fixed and varifocal lenses are listed on the calculator page.
    QTest::newRow("nearly fixed shows both")
        << 4.0f << 4.005f << "M1, D1, f4-4.005mm/A/B/CS Interface";
    QTest::newRow("half millimetres") << 12.5f << 12.5f << "M1, D1, f12.5mm/A/B/CS Interface";
}

void TestLensMath::itemText()
{
    QFETCH(float, minimum);
    QFETCH(float, maximum);
    QFETCH(QString, expected);

    LensInfo info = lens("M1", minimum, maximum);
    info.setDetail1("D1");
    info.setDetail2("A");
    info.setDetail3("B");
    info.setInterfaceName("CS");
    QCOMPARE(lensItemText(info, " Interface"), expected);
}

void TestLensMath::bracketTilt_data()
{
    QTest::addColumn<double>("height");
    QTest::addColumn<double>("angle");
    QTest::addColumn<double>("start");
    QTest::addColumn<int>("tilt");

    // 12.5 + 71.57 - 90 = -5.93, truncated toward zero.
    QTest::newRow("initial installation") << 5.0 << 25.0 << 15.0 << -5;
    QTest::newRow("looking straight down") << 5.0 << 0.0 << 0.0 << -90;
    QTest::newRow("camera on the ground") << 0.0 << 40.0 << 10.0 << 20;
    QTest::newRow("nothing at all") << 0.0 << 0.0 << 0.0 << -90;
    QTest::newRow("positive, truncated") << 1.0 << 30.0 << 20.0 << 12;
}

void TestLensMath::bracketTilt()
{
    QFETCH(double, height);
    QFETCH(double, angle);
    QFETCH(double, start);
    QFETCH(int, tilt);

    QCOMPARE(LensMath::bracketTilt(height, angle, start), std::optional<int>(tilt));
}

void TestLensMath::degenerateInputsGiveNothing()
{
    QCOMPARE(focalLength(4.8, 10, 0), 0.0);
    QCOMPARE(percentage(4, 0), std::nullopt);
    QCOMPARE(percentage(4, std::nan("")), std::nullopt);
    QCOMPARE(LensMath::bracketTilt(std::nan(""), 25, 15), std::nullopt);
    QCOMPARE(percentage(4, 8), std::optional<double>(50.0));
}

void TestLensMath::edgesAndDetectionStartAgree_data()
{
    QTest::addColumn<double>("height");
    QTest::addColumn<double>("angle");
    QTest::addColumn<double>("start");
    QTest::addColumn<double>("far");

    QTest::newRow("initial") << 5.0 << 25.0 << 15.0 << 30.0;
    QTest::newRow("narrow lens") << 6.0 << 10.0 << 20.0 << 40.0;
    QTest::newRow("far marker before the start") << 4.0 << 30.0 << 20.0 << 10.0;
    QTest::newRow("high pole") << 9.0 << 41.1 << 5.0 << 25.0;
}

void TestLensMath::edgesAndDetectionStartAgree()
{
    QFETCH(double, height);
    QFETCH(double, angle);
    QFETCH(double, start);
    QFETCH(double, far);

    const double farHeight = UpperEdgeHeight(height, angle, start, far);
    QVERIFY(std::fabs(DetectionStart(height, angle, far, farHeight) - start) < 1e-6);
    // The lower edge runs from the camera (0, H) to (D, 0); at F it is
    // (F - D) * H / D below the ground.
    const double depth = FarDepth(height, angle, start, far, farHeight);
    QVERIFY(std::fabs(depth - (far - start) * height / start) < 1e-6);
}

void TestLensMath::monitorFractions_data()
{
    QTest::addColumn<double>("object");
    QTest::addColumn<double>("nearHeight");
    QTest::addColumn<double>("farHeight");
    QTest::addColumn<double>("depth");
    QTest::addColumn<bool>("taken");
    QTest::addColumn<double>("horizon");
    QTest::addColumn<double>("farObject");
    QTest::addColumn<double>("nearObject");

    // Rows that are not taken keep the fractions the test starts with (0.5, 0.3, 0.6).
    QTest::newRow("object as high as the near view")
        << 4.0 << 4.0 << 8.0 << 8.0 << true << 0.5 << 0.5 << 1.0;
    QTest::newRow("object 20 times the view")
        << 80.0 << 4.0 << 8.0 << 8.0 << true << 0.5 << 10.0 << 10.0;
    QTest::newRow("negative depth beyond the frame")
        << 4.0 << 8.0 << 8.0 << -4.0 << true << 1.0 << 0.5 << 0.5;
    QTest::newRow("tiny object drawn as nothing")
        << 0.00001 << 4.0 << 8.0 << 8.0 << true << 0.5 << 0.0 << 0.0;
    QTest::newRow("no far height") << 4.0 << 4.0 << 0.0 << 8.0 << false << 0.5 << 0.3 << 0.6;
    QTest::newRow("no near height") << 4.0 << 0.0 << 8.0 << 8.0 << false << 0.5 << 0.3 << 0.6;
    QTest::newRow("depth cancelling the height")
        << 4.0 << 4.0 << 8.0 << -8.0 << false << 0.5 << 0.3 << 0.6;
}

void TestLensMath::monitorFractions()
{
    QFETCH(double, object);
    QFETCH(double, nearHeight);
    QFETCH(double, farHeight);
    QFETCH(double, depth);
    QFETCH(bool, taken);
    QFETCH(double, horizon);
    QFETCH(double, farObject);
    QFETCH(double, nearObject);

    MonitorFractions fractions;
    QCOMPARE(updateMonitorFractions(fractions, object, nearHeight, farHeight, depth), taken);
    QCOMPARE(fractions.horizon, horizon);
    QCOMPARE(fractions.farObject, farObject);
    QCOMPARE(fractions.nearObject, nearObject);
}

void TestLensMath::parallelEdgesKeepTheMarks()
{
    // A zero angle with the detection start under the camera: the edges
    // coincide and give no far height; the marks stay where they were.
    VerticalInstallation installation;
    installation.followFarHeight();
    const double farHeight = installation.farHeight();
    installation.setVerticalAngle(0);
    installation.moveDetectionStart(0);
    QCOMPARE(installation.farHeight(), farHeight);

    installation.setSceneWidth(0);
    installation.moveCamera(0.5);
    QCOMPARE(installation.detectionStart(), 0.0);
}

QTEST_APPLESS_MAIN(TestLensMath)
#include "tst_lensmath.moc"
