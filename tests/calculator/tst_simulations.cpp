#include "horizontalsimulate.h"
#include "lensmath.h"
#include "verticalsimulate.h"

#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>

#include <cmath>

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
    const auto items = simulation->findChild<QGraphicsView *>()->scene()->items();
    return std::all_of(items.begin(), items.end(), [&widget](const QGraphicsItem *item) {
        const QRectF b = item->sceneBoundingRect();
        return !item->isVisible()
            || (std::isfinite(b.left() + b.right() + b.top() + b.bottom())
                && (b.isEmpty() || widget.contains(b)));
    });
}

const QString degree(QChar(0x00B0));

} // namespace

class TestSimulations : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void draggingKeepsFarMarkerOnTheUpperEdge();
    void farMarkerBeforeStartShowsWarning();
    void lensSetsAngleAndOnlyWithDistanceTheScene();
    void arrowsAndDrawingStayInsideForAnyLens_data();
    void arrowsAndDrawingStayInsideForAnyLens();
    void horizontalShowsWidths_data();
    void horizontalShowsWidths();
    void horizontalMarkerDragStaysInSecondHalf();

private:
    std::unique_ptr<CVerticalSimulate> m_vertical;
};

void TestSimulations::init()
{
    m_vertical = std::make_unique<CVerticalSimulate>();
    m_vertical->resize(600, 320);
    m_vertical->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_vertical.get()));
}

void TestSimulations::draggingKeepsFarMarkerOnTheUpperEdge()
{
    const LensMath::VerticalInstallation &model = m_vertical->installation();
    const double expected = LensMath::UpperEdgeHeight(5, 25, 15, 30);
    const QStringList labelsAt15 { "25" + degree, "15.0", "30.0", "15.0", "5.0",
        QString::asprintf("%.1f", expected), "4.0" };
    QSignalSpy distances(m_vertical.get(), &CVerticalSimulate::DistanceChanged);
    CUnidimensionalArrowNode *start = m_vertical->arrow(CVerticalSimulate::DetectionStartArrow);
    const QPointF startCentre = centreOf(start);
    // Away by 5 m (490 pixels for 50 m) and back to 15 m.
    dragCentreTo(start, startCentre + QPointF(5 * 490.0 / 50, 0));
    QVERIFY(std::fabs(model.detectionStart() - 20) < 1e-6);
    QVERIFY(std::fabs(model.farHeight() - expected) > 1e-3);
    dragCentreTo(start, startCentre);
    QVERIFY(std::fabs(model.farHeight() - expected) < 1e-6);
    QStringList labels;
    for (int i = 0; i < CVerticalSimulate::LabelCount; ++i) {
        labels << m_vertical->labelText(CVerticalSimulate::Label(i));
    }
    QCOMPARE(labels, labelsAt15);
    QCOMPARE(distances.last(), (QList<QVariant> { 15.0f, 30.0f }));
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
    QSignalSpy proportions(m_vertical.get(), &CVerticalSimulate::ProPortionChanged);
    QSignalSpy bracket(m_vertical.get(), &CVerticalSimulate::CameraBracketChanged);
    dragCentreTo(m_vertical->arrow(CVerticalSimulate::CameraHeightArrow), QPointF(40, 100));
    const double height = model.cameraHeight();
    const double start = model.detectionStart();
    m_vertical->SetLens(41.1, 0, 10);
    QCOMPARE(m_vertical->labelText(CVerticalSimulate::AngleLabel), "41" + degree);
    QCOMPARE(model.cameraHeight(), height);
    QCOMPARE(model.detectionStart(), start);
    QCOMPARE(m_vertical->sceneWidthSpin()->value(), 50);

    m_vertical->SetLens(30, 12, 10);
    QCOMPARE(m_vertical->sceneWidthSpin()->value(), 24);
    QCOMPARE(model.farDistance(), 18.0);
    QCOMPARE(bracket.last(), (QList<QVariant> { 5.0f, 30.0f, 12.0f }));
    dragCentreTo(m_vertical->arrow(CVerticalSimulate::ObjectTopArrow), QPointF(0, 40 + 0.5 * 240));
    QCOMPARE(proportions.last().at(0).toFloat(), 5.0f);
    // The largest distance of the page still fits the scene width box.
    m_vertical->SetLens(30, 700, 10);
    QCOMPARE(model.sceneWidth(), m_vertical->sceneWidthSpin()->value());
}

void TestSimulations::arrowsAndDrawingStayInsideForAnyLens_data()
{
    QTest::addColumn<double>("angle");
    QTest::addColumn<QPointF>("camera");
    QTest::newRow("default lens") << 25.0 << QPointF(40, 160);
    QTest::newRow("no angle, camera on the ground") << 0.0 << QPointF(40, 5000);
    QTest::newRow("negative angle") << -30.0 << QPointF(40, 100);
}

void TestSimulations::arrowsAndDrawingStayInsideForAnyLens()
{
    QFETCH(double, angle);
    QFETCH(QPointF, camera);
    m_vertical->SetLens(angle, 10, 10);
    dragCentreTo(m_vertical->arrow(CVerticalSimulate::CameraHeightArrow), camera);
    // Each arrow, thrown far out, stops at the area's edge on its own axis.
    const QRectF area(40, 40, 600 - 40 - 70, 320 - 40 - 40);
    for (int i = 0; i < CVerticalSimulate::ArrowCount; ++i) {
        CUnidimensionalArrowNode *node = m_vertical->arrow(CVerticalSimulate::Arrow(i));
        const bool horizontal = node->axis() == CUnidimensionalArrowNode::Horizontal;
        const QPointF start = centreOf(node);
        for (const QPointF corner : { area.bottomRight(), area.topLeft() }) {
            dragCentreTo(node, corner + (corner - area.center()) * 50);
            QCOMPARE(centreOf(node),
                horizontal ? QPointF(corner.x(), start.y()) : QPointF(start.x(), corner.y()));
            QVERIFY(everythingInside(m_vertical.get()));
        }
        dragCentreTo(node, start);
    }
    dragCentreTo(m_vertical->arrow(CVerticalSimulate::DetectionStartArrow), QPointF(-100, 0));
    dragCentreTo(m_vertical->arrow(CVerticalSimulate::FarHeightArrow), QPointF(0, 5000));
    dragCentreTo(m_vertical->arrow(CVerticalSimulate::FarDistanceArrow), QPointF(40, 0));
    QVERIFY(everythingInside(m_vertical.get()));
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
    QTest::newRow("negative angle keeps the default")
        << -1.0 << 0.75 << QStringList { "25.0", "8.9", "13.3", "17.7", "30.0" };
    QTest::newRow("no angle") << 0.0 << 0.75 << QStringList { "0.0", "0.0", "0.0", "0.0", "30.0" };
}

void TestSimulations::horizontalShowsWidths()
{
    QFETCH(double, angle);
    QFETCH(double, fraction);
    QFETCH(QStringList, expected);
    CHorizontalSimulate horizontal;
    horizontal.SetViewAngle(angle);
    horizontal.DistanceChanged(20, 40);
    horizontal.setMarkerFraction(fraction);
    // Angle, near width, marker width, far width, marker distance.
    QStringList texts;
    for (int i = 0; i < CHorizontalSimulate::LabelCount; ++i) {
        texts << horizontal.label(CHorizontalSimulate::Label(i))->valueText();
    }
    QCOMPARE(texts, expected);
}

void TestSimulations::horizontalMarkerDragStaysInSecondHalf()
{
    CHorizontalSimulate horizontal;
    horizontal.resize(400, 260);
    horizontal.show();
    QVERIFY(QTest::qWaitForWindowExposed(&horizontal));
    dragCentreTo(horizontal.markerArrow(), QPointF(0, 0));
    QCOMPARE(horizontal.markerFraction(), 0.5);
    dragCentreTo(horizontal.markerArrow(), QPointF(10000, 0));
    QCOMPARE(horizontal.markerFraction(), 1.0);
    QCOMPARE(horizontal.label(CHorizontalSimulate::MarkerDistanceLabel)->valueText(), "50.0");
    // Zero distances at the widest angle draw nothing out of place.
    horizontal.SetViewAngle(179.99);
    horizontal.DistanceChanged(0, 0);
    QVERIFY(everythingInside(&horizontal));
}

QTEST_MAIN(TestSimulations)
#include "tst_simulations.moc"
