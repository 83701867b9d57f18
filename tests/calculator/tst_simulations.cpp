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

// Every visible item of the scene lies within the widget.
bool everythingInside(const QGraphicsScene *scene, const QRectF &widget)
{
    const QList<QGraphicsItem *> items = scene->items();
    for (const QGraphicsItem *item : items) {
        if (!item->isVisible()) {
            continue;
        }
        const QRectF bounds = item->sceneBoundingRect();
        if (!(std::isfinite(bounds.left()) && std::isfinite(bounds.right())
                && std::isfinite(bounds.top()) && std::isfinite(bounds.bottom()))) {
            return false;
        }
        if (!bounds.isEmpty() && !widget.adjusted(-8, -8, 8, 8).contains(bounds)) {
            qWarning() << "item outside the widget:" << bounds;
            return false;
        }
    }
    return true;
}

QGraphicsScene *sceneOf(QWidget *simulation)
{
    return simulation->findChild<QGraphicsView *>()->scene();
}

} // namespace

class TestSimulations : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startsWithFarMarkerOnTheUpperEdge();
    void draggedDetectionStartMovesFarHeight();
    void arrowsStayOnTheirAxisAndInTheArea_data();
    void arrowsStayOnTheirAxisAndInTheArea();
    void farMarkerBeforeStartShowsWarning();
    void lensWithoutDistanceChangesOnlyTheAngle();
    void lensWithDistanceSetsTheScene();
    void reportsProportionsAndBracket();
    void sceneHeightKeepsObjectAndArrowTogether();
    void degenerateLensesDrawInsideTheWidget_data();
    void degenerateLensesDrawInsideTheWidget();

    void horizontalShowsMarkerWidth();
    void horizontalMarkerBeforeNearShowsNearTwice();
    void horizontalIgnoresNegativeAngle();
    void horizontalMarkerDragStaysInSecondHalf();

    void monitorFollowsProportions();
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

void TestSimulations::startsWithFarMarkerOnTheUpperEdge()
{
    const LensMath::VerticalInstallation &model = m_vertical->installation();
    QCOMPARE(model.cameraHeight(), 5.0);
    QCOMPARE(model.detectionStart(), 15.0);
    QVERIFY(std::fabs(model.farHeight() - UpperEdgeHeight(5, 25, 15, 30)) < 1e-9);
    QCOMPARE(m_vertical->labelText(CVerticalSimulate::CameraHeightLabel), "5.0");
    QCOMPARE(m_vertical->labelText(CVerticalSimulate::DetectionStartLabel), "15.0");
    QCOMPARE(m_vertical->labelText(CVerticalSimulate::FarDistanceLabel), "30.0");
    QCOMPARE(m_vertical->labelText(CVerticalSimulate::DepthLabel), "15.0");
    QCOMPARE(m_vertical->labelText(CVerticalSimulate::ObjectHeightLabel), "4.0");
    QCOMPARE(m_vertical->labelText(CVerticalSimulate::AngleLabel), QString("25") + QChar(0x00B0));
}

void TestSimulations::draggedDetectionStartMovesFarHeight()
{
    QSignalSpy distances(m_vertical, &CVerticalSimulate::DistanceChanged);
    CUnidimensionalArrowNode *start = m_vertical->arrow(CVerticalSimulate::DetectionStartArrow);
    CUnidimensionalArrowNode *farHeight = m_vertical->arrow(CVerticalSimulate::FarHeightArrow);
    const QPointF startCentre = centreOf(start);
    const double metre = (600.0 - 40 - 70) / 50;

    // Away and back to 15 m.
    dragCentreTo(start, startCentre + QPointF(5 * metre, 0));
    QVERIFY(std::fabs(m_vertical->installation().detectionStart() - 20) < 1e-6);
    const double farHeightAway = centreOf(farHeight).y();
    dragCentreTo(start, startCentre);
    QVERIFY(centreOf(farHeight).y() != farHeightAway);

    const double expected = UpperEdgeHeight(5, 25, 15, 30);
    QVERIFY(std::fabs(m_vertical->installation().farHeight() - expected) < 1e-6);
    QCOMPARE(m_vertical->labelText(CVerticalSimulate::FarHeightLabel),
        QString::asprintf("%.1f", expected));
    const double pixelsPerMetre = (320.0 - 40 - 40) / 10;
    QVERIFY(std::fabs(centreOf(farHeight).y() - (40 + (10 - expected) * pixelsPerMetre)) < 1e-6);

    QVERIFY(!distances.isEmpty());
    QCOMPARE(distances.last().at(0).toFloat(), 15.0f);
    QCOMPARE(distances.last().at(1).toFloat(), 30.0f);
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
    QVERIFY(everythingInside(sceneOf(m_vertical), QRectF(m_vertical->rect())));
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

void TestSimulations::lensWithoutDistanceChangesOnlyTheAngle()
{
    dragCentreTo(m_vertical->arrow(CVerticalSimulate::CameraHeightArrow), QPointF(40, 100));
    const double height = m_vertical->installation().cameraHeight();
    const double start = m_vertical->installation().detectionStart();
    m_vertical->SetLens(41.1, 0, 10);
    QCOMPARE(m_vertical->installation().verticalAngle(), 41.1);
    QCOMPARE(m_vertical->installation().cameraHeight(), height);
    QCOMPARE(m_vertical->installation().detectionStart(), start);
    QCOMPARE(m_vertical->sceneWidthSpin()->value(), 50);
    QCOMPARE(m_vertical->labelText(CVerticalSimulate::AngleLabel), QString("41") + QChar(0x00B0));
}

void TestSimulations::lensWithDistanceSetsTheScene()
{
    m_vertical->SetLens(30, 12, 10);
    QCOMPARE(m_vertical->sceneWidthSpin()->value(), 24);
    QCOMPARE(m_vertical->installation().detectionStart(), 12.0);
    QCOMPARE(m_vertical->installation().farDistance(), 18.0);
    QCOMPARE(m_vertical->installation().cameraHeight(), 5.0);

    // The largest distance of the page still fits the scene width box.
    m_vertical->SetLens(30, 499, 10);
    QCOMPARE(m_vertical->installation().sceneWidth(), 998);
    m_vertical->SetLens(30, 700, 10);
    QCOMPARE(m_vertical->installation().sceneWidth(), m_vertical->sceneWidthSpin()->value());
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
    QCOMPARE(bracket.last().at(0).toFloat(), 5.0f);
    QCOMPARE(bracket.last().at(1).toFloat(), 25.0f);
    QCOMPARE(bracket.last().at(2).toFloat(), 25.0f);

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
    QVERIFY(everythingInside(sceneOf(m_vertical), QRectF(m_vertical->rect())));
    const QImage picture = m_vertical->grab().toImage();
    QVERIFY(!picture.isNull());
}

void TestSimulations::horizontalShowsMarkerWidth()
{
    CHorizontalSimulate horizontal;
    horizontal.resize(400, 260);
    horizontal.SetViewAngle(60);
    horizontal.DistanceChanged(20, 40);
    horizontal.setMarkerFraction(0.75);
    QCOMPARE(horizontal.label(CHorizontalSimulate::MarkerDistanceLabel)->valueText(), "30.0");
    QCOMPARE(horizontal.label(CHorizontalSimulate::MarkerWidthLabel)->valueText(), "34.6");
    QCOMPARE(horizontal.label(CHorizontalSimulate::NearWidthLabel)->valueText(), "23.1");
    QCOMPARE(horizontal.label(CHorizontalSimulate::FarWidthLabel)->valueText(), "46.2");
    QCOMPARE(horizontal.label(CHorizontalSimulate::AngleLabel)->valueText(), "60.0");
    QCOMPARE(horizontal.label(CHorizontalSimulate::AngleLabel)->unit(), QString(QChar(0x00B0)));
    QCOMPARE(horizontal.label(CHorizontalSimulate::MarkerWidthLabel)->unit(), "m");
}

void TestSimulations::horizontalMarkerBeforeNearShowsNearTwice()
{
    CHorizontalSimulate horizontal;
    horizontal.SetViewAngle(60);
    horizontal.DistanceChanged(20, 40);
    horizontal.setMarkerFraction(0.3);
    QCOMPARE(horizontal.label(CHorizontalSimulate::MarkerDistanceLabel)->valueText(), "20.0");
    QCOMPARE(horizontal.label(CHorizontalSimulate::MarkerWidthLabel)->valueText(),
        horizontal.label(CHorizontalSimulate::NearWidthLabel)->valueText());
}

void TestSimulations::horizontalIgnoresNegativeAngle()
{
    CHorizontalSimulate horizontal;
    horizontal.SetViewAngle(40);
    horizontal.SetViewAngle(-1);
    QCOMPARE(horizontal.viewAngle(), 40.0);
    horizontal.SetViewAngle(0);
    QCOMPARE(horizontal.viewAngle(), 0.0);
    // Taken, but shown only at the next redraw.
    QCOMPARE(horizontal.label(CHorizontalSimulate::AngleLabel)->valueText(), "25.0");
    horizontal.DistanceChanged(10, 20);
    QCOMPARE(horizontal.label(CHorizontalSimulate::AngleLabel)->valueText(), "0.0");
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
    QVERIFY(everythingInside(sceneOf(&horizontal), QRectF(horizontal.rect())));
}

void TestSimulations::monitorFollowsProportions()
{
    CMonitorSimulate monitor;
    monitor.ProPortionChanged(4, 4, 8, 8);
    QCOMPARE(monitor.fractions().nearObject, 1.0);
    QCOMPARE(monitor.fractions().farObject, 0.5);
    QCOMPARE(monitor.fractions().horizon, 0.5);
    monitor.ProPortionChanged(80, 4, 8, 8);
    QCOMPARE(monitor.fractions().nearObject, 10.0);
    monitor.ProPortionChanged(4, 4, 0, 8);
    QCOMPARE(monitor.fractions().nearObject, 10.0);
    QCOMPARE(monitor.fractions().horizon, 0.5);
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
