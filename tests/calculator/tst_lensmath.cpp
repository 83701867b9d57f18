#include "lensmath.h"

#include <QTest>

#include <cmath>

using namespace LensMath;

static LensInfo lens(const QString &model, float minimum, float maximum)
{
    LensInfo info;
    info.setModel(model);
    info.setMinFocal(minimum);
    info.setMaxFocal(maximum);
    return info;
}

class TestLensMath : public QObject
{
    Q_OBJECT

private slots:
    void recommendsLenses_data()
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
        QTest::newRow("tie keeps order") << fixed << L { "F6", "F4" } << 5.0 << L { "F6", "F4" };
        QTest::newRow("only the nearest fixed") << fixed << L { "F4", "F6" } << 4.9 << L { "F4" };
        QTest::newRow("zoom at its shortest") << zoom << L { "Z2812" } << 2.80 << L { "Z2812" };
        QTest::newRow("zoom at its longest") << zoom << L { "Z2812" } << 12.00 << L { "Z2812" };
        QTest::newRow("zoom just beyond") << zoom << L { "Z2812" } << 12.01 << L {};
        QTest::newRow("zoom lenses before the nearest fixed one")
            << mixed << L { "F8", "Z0550", "F4", "Z2812" } << 7.0 << L { "Z0550", "Z2812", "F8" };
        QTest::newRow("4 to 4.005 is fixed") << mixed << L { "F4", "F8" } << 4.002 << L { "F4" };
    }

    void recommendsLenses()
    {
        QFETCH(QList<LensInfo>, lenses);
        QFETCH(QStringList, models);
        QFETCH(double, focal);
        QStringList recommended;
        for (int index : recommendLenses(focal, models, lenses)) {
            recommended.append(lenses[index].model());
        }
        QTEST(recommended, "expected");
    }

    void itemText()
    {
        LensInfo info = lens("M1", 4.0f, 4.005f);
        info.setDetail1("D1");
        info.setDetail2("A");
        info.setDetail3("B");
        info.setInterfaceName("CS");
        QCOMPARE(lensItemText(info, " Interface"), "M1, D1, f4-4.005mm/A/B/CS Interface");
    }

    void bracketTilt()
    {
        // 12.5 + 71.57 - 90 = -5.93, truncated toward zero.
        QCOMPARE(LensMath::bracketTilt(5, 25, 15), std::optional<int>(-5));
        QCOMPARE(LensMath::bracketTilt(1, 30, 20), std::optional<int>(12));
    }

    void degenerateInputsGiveNothing()
    {
        QCOMPARE(focalLength(4.8, 10, 0), 0.0);
        QCOMPARE(percentage(4, 0), std::nullopt);
        QCOMPARE(percentage(4, std::nan("")), std::nullopt);
        QCOMPARE(LensMath::bracketTilt(std::nan(""), 25, 15), std::nullopt);
    }

    void edgesAndDetectionStartAgree_data()
    {
        QTest::addColumn<double>("height");
        QTest::addColumn<double>("angle");
        QTest::addColumn<double>("start");
        QTest::addColumn<double>("far");
        QTest::newRow("initial") << 5.0 << 25.0 << 15.0 << 30.0;
    }

    void edgesAndDetectionStartAgree()
    {
        QFETCH(double, height);
        QFETCH(double, angle);
        QFETCH(double, start);
        QFETCH(double, far);
        const double farHeight = UpperEdgeHeight(height, angle, start, far);
        QVERIFY(std::fabs(DetectionStart(height, angle, far, farHeight) - start) < 1e-6);
        // The lower edge runs from (0, H) to (D, 0): at F it is (F - D) * H / D below ground.
        const double depth = FarDepth(height, angle, start, far, farHeight);
        QVERIFY(std::fabs(depth - (far - start) * height / start) < 1e-6);
    }

    void monitorFractions_data()
    {
        QTest::addColumn<double>("object");
        QTest::addColumn<double>("nearHeight");
        QTest::addColumn<double>("farHeight");
        QTest::addColumn<double>("depth");
        QTest::addColumn<bool>("taken");
        QTest::addColumn<QList<double>>("expected");
        using F = QList<double>;
        // Rows that are not taken keep the fractions the test starts with (0.5, 0.3, 0.6).
        QTest::newRow("near view") << 4.0 << 4.0 << 8.0 << 8.0 << true << F { 0.5, 0.5, 1.0 };
        QTest::newRow("beyond frame") << 4.0 << 8.0 << 8.0 << -4.0 << true << F { 1.0, 0.5, 0.5 };
        QTest::newRow("no far height") << 4.0 << 4.0 << 0.0 << 8.0 << false << F { 0.5, 0.3, 0.6 };
        QTest::newRow("cancelled") << 4.0 << 4.0 << 8.0 << -8.0 << false << F { 0.5, 0.3, 0.6 };
    }

    void monitorFractions()
    {
        QFETCH(double, object);
        QFETCH(double, nearHeight);
        QFETCH(double, farHeight);
        QFETCH(double, depth);
        MonitorFractions f;
        QTEST(updateMonitorFractions(f, object, nearHeight, farHeight, depth), "taken");
        QTEST((QList<double> { f.horizon, f.farObject, f.nearObject }), "expected");
    }

    void parallelEdgesKeepTheMarks()
    {
        // Zero angle, start under the camera: the edges coincide and the marks stay.
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
};

QTEST_APPLESS_MAIN(TestLensMath)
#include "tst_lensmath.moc"
