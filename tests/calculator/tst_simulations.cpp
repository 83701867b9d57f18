#include "horizontalsimulate.h"
#include "lensmath.h"
#include "monitorsimulate.h"
#include "verticalsimulate.h"

#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QImage>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>

#include <cmath>

using LensMath::UpperEdgeHeight;

namespace {

// Drags an arrow as the mouse would: its centre to a point of the scene.
void dragCentreTo(CUnidimensionalArrowNode *arrow, QPointF centre)
{
    arrow->setPos(centre - arrow->boundingRect().center());
}

QPointF centreOf(const CUnidimensionalArrowNode *arrow)
{
    return arrow->pos() + arrow->boundingRect().center();
}

// Every visible item of the simulation's scene is finite and lies within the widget.
bool everythingInside(QWidget *simulation)
{
    const QRectF widget = QRectF(simulation->rect()).adjusted(-8, -8, 8, 8);
    const QList<QGraphicsItem *> items = simulation->findChild<QGraphicsView *>()->scene()->items();
    for (const QGraphicsItem *item : items) {
        const QRectF b = item->sceneBoundingRect();
        if (item->isVisible()
            && (!std::isfinite(b.left() + b.right() + b.top() + b.bottom())
                || (!b.isEmpty() && !widget.contains(b)))) {
            qWarning() << "item outside the widget:" << b;
            return false;
        }
    }
    return true;
}

QStringList labels(const CVerticalSimulate *vertical)
{
    QStringList texts;
    for (int i = 0; i < CVerticalSimulate::LabelCount; ++i) {
        texts << vertical->labelText(CVerticalSimulate::Label(i));
    }
    return texts;
}

// Angle, near width, marker width, far width, marker distance.
QStringList labels(const CHorizontalSimulate &horizontal)
{
    QStringList texts;
    for (int i = 0; i < CHorizontalSimulate::LabelCount; ++i) {
        texts << horizontal.label(CHorizontalSimulate::Label(i))->valueText();
    }
    return texts;
}

const QString degree(QChar(0x00B0));

} // namespace

class TestSimulations : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void draggingKeepsFarMarkerOnTheUpperEdge();
    void arrowsStayOnTheirAxisAndInTheArea_data();
    void arrowsStayOnTheirAxisAndInTheArea();
    void farMarkerBeforeStartShowsWarning();
    void lensSetsAngleAndOnlyWithDistanceTheScene();
    void reportsProportionsAndBracket();
    void sceneHeightKeepsObjectAndArrowTogether();
    void degenerateLensesDrawInsideTheWidget_data();
    void degenerateLensesDrawInsideTheWidget();

    void horizontalShowsWidths_data();
    void horizontalShowsWidths();
    void horizontalMarkerDragStaysInSecondHalf();

    void monitorPaintsHugeTreesWithoutTrouble();

private:
    CVerticalSimulate *m_vertical = nullptr;
};

void TestSimulations::init()
{
    m_vertical = new CVerticalSimulate;
    m_vertical->resize(600, 320);
    m_vertical->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_vertical));
}

void TestSimulations::cleanup()
{
    delete m_vertical;
    m_vertical = nullptr;
}

void TestSimulations::draggingKeepsFarMarkerOnTheUpperEdge()
{
    const LensMath::VerticalInstallation &model = m_vertical->installation();
    const double expected = UpperEdgeHeight(5, 25, 15, 30);
    const QStringList initial { "25" + degree, "15.0", "30.0", "15.0", "5.0",
        QString::asprintf("%.1f", expected), "4.0" };
    QCOMPARE(model.cameraHeight(), 5.0);
    QVERIFY(std::fabs(model.farHeight() - expected) < 1e-9);
    QCOMPARE(labels(m_vertical), initial);

    QSignalSpy distances(m_vertical, &CVerticalSimulate::DistanceChanged);
    CUnidimensionalArrowNode *start = m_vertical->arrow(CVerticalSimulate::DetectionStartArrow);
    CUnidimensionalArrowNode *farHeight = m_vertical->arrow(CVerticalSimulate::FarHeightArrow);
    const QPointF startCentre = centreOf(start);
    // Away by 5 m (490 pixels for 50 m) and back to 15 m.
    dragCentreTo(start, startCentre + QPointF(5 * 490.0 / 50, 0));
    QVERIFY(std::fabs(model.detectionStart() - 20) < 1e-6);
    const double farHeightAway = centreOf(farHeight).y();
    dragCentreTo(start, startCentre);
    QVERIFY(centreOf(farHeight).y() != farHeightAway);
    QVERIFY(std::fabs(model.farHeight() - expected) < 1e-6);
    QCOMPARE(labels(m_vertical), initial);
    // 240 pixels for 10 m, from the top at 40.
    QVERIFY(std::fabs(centreOf(farHeight).y() - (40 + (10 - expected) * 24)) < 1e-6);
    QVERIFY(!distances.isEmpty());
    QCOMPARE(distances.last(), (QList<QVariant> { 15.0f, 30.0f }));
}

void TestSimulations::arrowsStayOnTheirAxisAndInTheArea_data()
{
    QTest::addColumn<int>("arrow");
    QTest::addColumn<QPointF>("target");

    for (int arrow = 0; arrow < CVerticalSimulate::ArrowCount; ++arrow) {
        QTest::addRow("arrow %d to the far corner", arrow) << arrow << QPointF(5000, 5000);
        QTest::addRow("arrow %d to the origin", arrow) << arrow << QPointF(-5000, -5000);
    }
}

void TestSimulations::arrowsStayOnTheirAxisAndInTheArea()
{
    QFETCH(int, arrow);
    QFETCH(QPointF, target);

    CUnidimensionalArrowNode *node = m_vertical->arrow(CVerticalSimulate::Arrow(arrow));
    const QPointF before = centreOf(node);
    dragCentreTo(node, target);
    const QPointF after = centreOf(node);
    const QRectF area(40, 40, 600 - 40 - 70, 320 - 40 - 40);
    if (node->axis() == CUnidimensionalArrowNode::Horizontal) {
        QCOMPARE(after.y(), before.y());
        QCOMPARE(after.x(), target.x() > 0 ? area.right() : area.left());
    } else {
        QCOMPARE(after.x(), before.x());
        QCOMPARE(after.y(), target.y() > 0 ? area.bottom() : area.top());
    }
    QVERIFY(everythingInside(m_vertical));
}

void TestSimulations::farMarkerBeforeStartShowsWarning()
{
    CUnidimensionalArrowNode *far = m_vertical->arrow(CVerticalSimulate::FarDistanceArrow);
    CUnidimensionalArrowNode *start = m_vertical->arrow(CVerticalSimulate::DetectionStartArrow);
    QVERIFY(!m_vertical->isWarningShown());
    const QPointF farCentre = centreOf(far);

    // Keep the detection start where it is by dragging it back after the far marker.
    dragCentreTo(far, QPointF(centreOf(start).x() - 60, farCentre.y()));
    dragCentreTo(start, QPointF(40 + 0.3 * 490, centreOf(start).y()));
    QVERIFY(m_vertical->installation().farDistance() < m_vertical->installation().detectionStart());
    QVERIFY(m_vertical->isWarningShown());
    QVERIFY(m_vertical->labelText(CVerticalSimulate::DepthLabel).startsWith('-'));

    dragCentreTo(far, farCentre);
    dragCentreTo(start, QPointF(40 + 0.3 * 490, centreOf(start).y()));
    QVERIFY(!m_vertical->isWarningShown());
}

void TestSimulations::lensSetsAngleAndOnlyWithDistanceTheScene()
{
    const LensMath::VerticalInstallation &model = m_vertical->installation();
    dragCentreTo(m_vertical->arrow(CVerticalSimulate::CameraHeightArrow), QPointF(40, 100));
    const double height = model.cameraHeight();
    const double start = model.detectionStart();
    m_vertical->SetLens(41.1, 0, 10);
    QCOMPARE(model.verticalAngle(), 41.1);
    QCOMPARE(model.cameraHeight(), height);
    QCOMPARE(model.detectionStart(), start);
    QCOMPARE(m_vertical->sceneWidthSpin()->value(), 50);
    QCOMPARE(m_vertical->labelText(CVerticalSimulate::AngleLabel), "41" + degree);

    m_vertical->SetLens(30, 12, 10);
    QCOMPARE(m_vertical->sceneWidthSpin()->value(), 24);
    QCOMPARE(model.detectionStart(), 12.0);
    QCOMPARE(model.farDistance(), 18.0);
    QCOMPARE(model.cameraHeight(), 5.0);
    // The largest distance of the page still fits the scene width box.
    m_vertical->SetLens(30, 499, 10);
    QCOMPARE(model.sceneWidth(), 998);
    m_vertical->SetLens(30, 700, 10);
    QCOMPARE(model.sceneWidth(), m_vertical->sceneWidthSpin()->value());
}

void TestSimulations::reportsProportionsAndBracket()
{
    QSignalSpy proportions(m_vertical, &CVerticalSimulate::ProPortionChanged);
    QSignalSpy bracket(m_vertical, &CVerticalSimulate::CameraBracketChanged);
    m_vertical->SetLens(25, 25, 10);
    QCOMPARE(proportions.size(), 1);
    QCOMPARE(bracket.size(), 1);

    const LensMath::VerticalInstallation &model = m_vertical->installation();
    const QList<QVariant> values = proportions.last();
    QCOMPARE(values.at(0).toFloat(), float(model.objectHeight()));
    QCOMPARE(values.at(1).toFloat(), float(UpperEdgeHeight(5, 25, 25, 25)));
    QCOMPARE(values.at(2).toFloat(), float(model.farHeight()));
    QCOMPARE(values.at(3).toFloat(), float(LensMath::FarDepth(5, 25, 25, 37.5, model.farHeight())));
    QCOMPARE(bracket.last(), (QList<QVariant> { 5.0f, 25.0f, 25.0f }));

    dragCentreTo(m_vertical->arrow(CVerticalSimulate::ObjectTopArrow), QPointF(0, 40 + 0.5 * 240));
    QCOMPARE(proportions.last().at(0).toFloat(), 5.0f);
}

void TestSimulations::sceneHeightKeepsObjectAndArrowTogether()
{
    m_vertical->sceneHeightSpin()->setValue(20);
    const LensMath::VerticalInstallation &model = m_vertical->installation();
    const double pixelsPerMetre = (320.0 - 40 - 40) / 20;
    const double top = centreOf(m_vertical->arrow(CVerticalSimulate::ObjectTopArrow)).y();
    QVERIFY(std::fabs(top - (40 + (20 - model.objectHeight()) * pixelsPerMetre)) < 1e-6);
    QCOMPARE(m_vertical->labelText(CVerticalSimulate::ObjectHeightLabel),
        QString::asprintf("%.1f", model.objectHeight()));
}

void TestSimulations::degenerateLensesDrawInsideTheWidget_data()
{
    QTest::addColumn<double>("angle");
    QTest::addColumn<QPointF>("camera");

    QTest::newRow("no angle") << 0.0 << QPointF(40, 160);
    QTest::newRow("no angle, camera on the ground") << 0.0 << QPointF(40, 5000);
    QTest::newRow("no angle, camera at the top") << 0.0 << QPointF(40, -5000);
    QTest::newRow("wide angle, camera on the ground") << 170.0 << QPointF(40, 5000);
    QTest::newRow("beyond a half turn") << 400.0 << QPointF(40, 100);
    QTest::newRow("negative angle") << -30.0 << QPointF(40, 100);
}

void TestSimulations::degenerateLensesDrawInsideTheWidget()
{
    QFETCH(double, angle);
    QFETCH(QPointF, camera);

    m_vertical->SetLens(angle, 10, 10);
    dragCentreTo(m_vertical->arrow(CVerticalSimulate::CameraHeightArrow), camera);
    dragCentreTo(m_vertical->arrow(CVerticalSimulate::DetectionStartArrow), QPointF(-100, 0));
    dragCentreTo(m_vertical->arrow(CVerticalSimulate::FarHeightArrow), QPointF(0, 5000));
    dragCentreTo(m_vertical->arrow(CVerticalSimulate::FarDistanceArrow), QPointF(40, 0));
    QVERIFY(everythingInside(m_vertical));
    QVERIFY(!m_vertical->grab().isNull());
}

void TestSimulations::horizontalShowsWidths_data()
{
    QTest::addColumn<double>("angle");
    QTest::addColumn<double>("fraction");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("marker at three quarters")
        << 60.0 << 0.75 << QStringList { "60.0", "23.1", "34.6", "46.2", "30.0" };
    QTest::newRow("marker before the near line shows the near width")
        << 60.0 << 0.3 << QStringList { "60.0", "23.1", "23.1", "46.2", "20.0" };
    // The default angle stays.
    QTest::newRow("negative angle ignored")
        << -1.0 << 0.75 << QStringList { "25.0", "8.9", "13.3", "17.7", "30.0" };
    QTest::newRow("no angle") << 0.0 << 0.75 << QStringList { "0.0", "0.0", "0.0", "0.0", "30.0" };
}

void TestSimulations::horizontalShowsWidths()
{
    QFETCH(double, angle);
    QFETCH(double, fraction);
    QFETCH(QStringList, expected);

    CHorizontalSimulate horizontal;
    horizontal.resize(400, 260);
    horizontal.SetViewAngle(angle);
    horizontal.DistanceChanged(20, 40);
    horizontal.setMarkerFraction(fraction);
    QCOMPARE(labels(horizontal), expected);
    QCOMPARE(horizontal.label(CHorizontalSimulate::AngleLabel)->unit(), degree);
    QCOMPARE(horizontal.label(CHorizontalSimulate::MarkerWidthLabel)->unit(), "m");
}

void TestSimulations::horizontalMarkerDragStaysInSecondHalf()
{
    CHorizontalSimulate horizontal;
    horizontal.resize(400, 260);
    horizontal.show();
    QVERIFY(QTest::qWaitForWindowExposed(&horizontal));
    CUnidimensionalArrowNode *arrow = horizontal.markerArrow();
    const double fixedY = arrow->y();
    dragCentreTo(arrow, QPointF(0, 0));
    QCOMPARE(horizontal.markerFraction(), 0.5);
    QCOMPARE(arrow->y(), fixedY);
    dragCentreTo(arrow, QPointF(10000, 0));
    QCOMPARE(horizontal.markerFraction(), 1.0);
    QCOMPARE(horizontal.label(CHorizontalSimulate::MarkerDistanceLabel)->valueText(), "50.0");

    horizontal.SetViewAngle(179.99);
    horizontal.DistanceChanged(0, 0);
    QVERIFY(everythingInside(&horizontal));
}

void TestSimulations::monitorPaintsHugeTreesWithoutTrouble()
{
    CMonitorSimulate monitor;
    monitor.resize(240, 160);
    monitor.ProPortionChanged(80, 4, 8, 8);
    const QImage picture = monitor.grab().toImage();
    // The near tree fills the picture's height at its place; the ground still shows left of it.
    QCOMPARE(picture.pixelColor(10, 150), QColor(0, 102, 205));
    QCOMPARE(picture.pixelColor(10, 10), QColor(0, 204, 0));
}

QTEST_MAIN(TestSimulations)
#include "tst_simulations.moc"
