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

QStringList modelsOf(const QList<int> &indexes, const QList<LensInfo> &lenses)
{
    QStringList models;
    for (int index : indexes) {
        models.append(lenses[index].model());
    }
    return models;
}

} // namespace

class TestLensMath : public QObject
{
    Q_OBJECT

private slots:
    void focalLengthAndAngles_data();
    void focalLengthAndAngles();
    void focalLengthOfZeroWidthIsZero();
    void recommendsLenses_data();
    void recommendsLenses();
    void itemText_data();
    void itemText();
    void bandwidthAndStorage_data();
    void bandwidthAndStorage();
    void bracketTilt_data();
    void bracketTilt();
    void percentageOfNothingIsEmpty();
    void detectionStartInvertsUpperEdge_data();
    void detectionStartInvertsUpperEdge();
    void farDepthFollowsTheLowerEdge();
    void coveredWidthAndMarker_data();
    void coveredWidthAndMarker();
    void monitorFractions_data();
    void monitorFractions();
    void parallelEdgesKeepTheMarks();
};

void TestLensMath::focalLengthAndAngles_data()
{
    QTest::addColumn<double>("sensorWidth");
    QTest::addColumn<double>("sensorHeight");
    QTest::addColumn<int>("distance");
    QTest::addColumn<int>("width");
    QTest::addColumn<double>("focal");
    QTest::addColumn<double>("vertical");
    QTest::addColumn<double>("horizontal");

    QTest::newRow("1/3 inch at 10 m, 10 m wide") << 4.8 << 3.6 << 10 << 10 << 4.8 << 41.11 << 53.13;
    QTest::newRow("1/3 inch at 20 m, 5 m wide") << 4.8 << 3.6 << 20 << 5 << 19.2 << 10.71 << 14.25;
    QTest::newRow("1/1.8 inch at 30 m, 3 m wide")
        << 7.18 << 5.32 << 30 << 3 << 71.8 << 4.24 << 5.72;
}

void TestLensMath::focalLengthAndAngles()
{
    QFETCH(double, sensorWidth);
    QFETCH(double, sensorHeight);
    QFETCH(int, distance);
    QFETCH(int, width);
    QFETCH(double, focal);
    QFETCH(double, vertical);
    QFETCH(double, horizontal);

    const double computed = focalLength(sensorWidth, distance, width);
    QCOMPARE(QString::number(computed, 'f', 2), QString::number(focal, 'f', 2));
    QVERIFY(std::fabs(viewAngle(sensorHeight, computed) - vertical) < 0.01);
    QVERIFY(std::fabs(viewAngle(sensorWidth, computed) - horizontal) < 0.01);
}

void TestLensMath::focalLengthOfZeroWidthIsZero()
{
    QCOMPARE(focalLength(4.8, 10, 0), 0.0);
}

void TestLensMath::recommendsLenses_data()
{
    QTest::addColumn<QList<LensInfo>>("lenses");
    QTest::addColumn<QStringList>("models");
    QTest::addColumn<double>("focal");
    QTest::addColumn<QStringList>("expected");

    const QList<LensInfo> fixed { lens("F4", 4, 4), lens("F6", 6, 6) };
    QTest::newRow("two equally near fixed lenses")
        << fixed << QStringList { "F4", "F6" } << 5.0 << QStringList { "F4", "F6" };
    QTest::newRow("equally near, first named first")
        << fixed << QStringList { "F6", "F4" } << 5.0 << QStringList { "F6", "F4" };
    QTest::newRow("only the nearest fixed lens")
        << fixed << QStringList { "F4", "F6" } << 4.9 << QStringList { "F4" };

    const QList<LensInfo> zoom { lens("Z2812", 2.8f, 12.0f) };
    QTest::newRow("zoom at its shortest")
        << zoom << QStringList { "Z2812" } << 2.80 << QStringList { "Z2812" };
    QTest::newRow("zoom at its longest")
        << zoom << QStringList { "Z2812" } << 12.00 << QStringList { "Z2812" };
    QTest::newRow("zoom just beyond") << zoom << QStringList { "Z2812" } << 12.01 << QStringList {};

    const QList<LensInfo> mixed { lens("F8", 8, 8), lens("Z2812", 2.8f, 12.0f),
        lens("Z0550", 5, 50), lens("F4", 4, 4.005f) };
    QTest::newRow("zoom lenses before the nearest fixed one")
        << mixed << QStringList { "F8", "Z0550", "F4", "Z2812" } << 7.0
        << QStringList { "Z0550", "Z2812", "F8" };
    QTest::newRow("4 to 4.005 is a fixed lens")
        << mixed << QStringList { "F4", "F8" } << 4.002 << QStringList { "F4" };
    QTest::newRow("unknown and wrongly cased names skipped")
        << mixed << QStringList { "nothing", "f8", "F8" } << 20.0 << QStringList { "F8" };
    QTest::newRow("no names") << mixed << QStringList {} << 6.0 << QStringList {};
}

void TestLensMath::recommendsLenses()
{
    QFETCH(QList<LensInfo>, lenses);
    QFETCH(QStringList, models);
    QFETCH(double, focal);
    QFETCH(QStringList, expected);

    QCOMPARE(modelsOf(recommendLenses(focal, models, lenses), lenses), expected);
}

void TestLensMath::itemText_data()
{
    QTest::addColumn<float>("minimum");
    QTest::addColumn<float>("maximum");
    QTest::addColumn<QString>("expected");

    QTest::newRow("varifocal") << 2.8f << 12.0f << "M1, D1, f2.8-12mm/A/B/CS Interface";
    QTest::newRow("fixed") << 4.0f << 4.0f << "M1, D1, f4mm/A/B/CS Interface";
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

void TestLensMath::bandwidthAndStorage_data()
{
    QTest::addColumn<int>("kbps");
    QTest::addColumn<int>("hours");
    QTest::addColumn<int>("days");
    QTest::addColumn<QString>("bandwidth");
    QTest::addColumn<QString>("storage");

    QTest::newRow("2 Mbit/s for a month") << 2048 << 24 << 30 << "2.00"
                                          << "632.81";
    QTest::newRow("no hours") << 2048 << 0 << 30 << "2.00"
                              << "0.00";
    QTest::newRow("no days") << 2048 << 24 << 0 << "2.00"
                             << "0.00";
    QTest::newRow("no bitrate") << 0 << 24 << 30 << "0.00"
                                << "0.00";
    QTest::newRow("largest inputs") << 65536 << 24 << 100000 << "64.00"
                                    << "67500000.00";
}

void TestLensMath::bandwidthAndStorage()
{
    QFETCH(int, kbps);
    QFETCH(int, hours);
    QFETCH(int, days);
    QFETCH(QString, bandwidth);
    QFETCH(QString, storage);

    QCOMPARE(QString::number(bandwidthMbps(kbps), 'f', 2), bandwidth);
    QCOMPARE(QString::number(storageGigabytes(kbps, hours, days), 'f', 2), storage);
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

void TestLensMath::percentageOfNothingIsEmpty()
{
    QCOMPARE(percentage(4, 0), std::nullopt);
    QCOMPARE(percentage(4, std::nan("")), std::nullopt);
    QCOMPARE(LensMath::bracketTilt(std::nan(""), 25, 15), std::nullopt);
    QCOMPARE(percentage(4, 8), std::optional<double>(50.0));
}

void TestLensMath::detectionStartInvertsUpperEdge_data()
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

void TestLensMath::detectionStartInvertsUpperEdge()
{
    QFETCH(double, height);
    QFETCH(double, angle);
    QFETCH(double, start);
    QFETCH(double, far);

    const double farHeight = UpperEdgeHeight(height, angle, start, far);
    QVERIFY(std::fabs(DetectionStart(height, angle, far, farHeight) - start) < 1e-6);
}

void TestLensMath::farDepthFollowsTheLowerEdge()
{
    // The lower edge runs from the camera (0, H) to (D, 0); at F it is
    // (F - D) * H / D below the ground.
    const double height = 5;
    const double angle = 25;
    const double start = 15;
    const double far = 30;
    const double farHeight = UpperEdgeHeight(height, angle, start, far);
    QVERIFY(
        std::fabs(FarDepth(height, angle, start, far, farHeight) - (far - start) * height / start)
        < 1e-6);
}

void TestLensMath::coveredWidthAndMarker_data()
{
    QTest::addColumn<double>("fraction");
    QTest::addColumn<double>("angle");
    QTest::addColumn<QString>("distance");
    QTest::addColumn<QString>("width");

    QTest::newRow("three quarters") << 0.75 << 60.0 << "30.0"
                                    << "34.6";
    QTest::newRow("at the near line") << 0.5 << 60.0 << "20.0"
                                      << "23.1";
    QTest::newRow("before the near line") << 0.3 << 60.0 << "20.0"
                                          << "23.1";
    QTest::newRow("at the far line") << 1.0 << 60.0 << "40.0"
                                     << "46.2";
    QTest::newRow("no angle") << 0.75 << 0.0 << "30.0"
                              << "0.0";
}

void TestLensMath::coveredWidthAndMarker()
{
    QFETCH(double, fraction);
    QFETCH(double, angle);
    QFETCH(QString, distance);
    QFETCH(QString, width);

    const double marker = markerDistance(fraction, 20, 40);
    QCOMPARE(QString::asprintf("%.1f", marker), distance);
    QCOMPARE(QString::asprintf("%.1f", coveredWidth(marker, angle)), width);
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

    QTest::newRow("object as high as the near view")
        << 4.0 << 4.0 << 8.0 << 8.0 << true << 0.5 << 0.5 << 1.0;
    QTest::newRow("object 20 times the view")
        << 80.0 << 4.0 << 8.0 << 8.0 << true << 0.5 << 10.0 << 10.0;
    QTest::newRow("negative depth beyond the frame")
        << 4.0 << 8.0 << 8.0 << -4.0 << true << 1.0 << 0.5 << 0.5;
    QTest::newRow("tiny object drawn as nothing")
        << 0.00001 << 4.0 << 8.0 << 8.0 << true << 0.5 << 0.0 << 0.0;
    QTest::newRow("no far height changes nothing")
        << 4.0 << 4.0 << 0.0 << 8.0 << false << 0.5 << 0.3 << 0.6;
    QTest::newRow("no near height changes nothing")
        << 4.0 << 0.0 << 8.0 << 8.0 << false << 0.5 << 0.3 << 0.6;
    QTest::newRow("depth cancelling the height changes nothing")
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
