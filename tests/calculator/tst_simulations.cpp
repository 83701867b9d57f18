#include "horizontalsimulate.h"
#include "lensmath.h"
#include "verticalsimulate.h"

#include <QGraphicsView>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>

// Drags an arrow as the mouse would: its centre to a point of the scene.
static void dragCentreTo(CUnidimensionalArrowNode *arrow, QPointF centre)
{
    arrow->setPos(centre - arrow->boundingRect().center());
}

static QPointF centreOf(const CUnidimensionalArrowNode *arrow)
{
    return arrow->pos() + arrow->boundingRect().center();
}

// Every visible item of the simulation's scene is finite and lies within the widget.
static bool everythingInside(QWidget *simulation)
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

class TestSimulations : public QObject
{
    Q_OBJECT

    std::unique_ptr<CVerticalSimulate> m_vertical;

private slots:
    void init()
    {
        m_vertical = std::make_unique<CVerticalSimulate>();
        m_vertical->resize(600, 320);
        m_vertical->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_vertical.get()));
    }

    void draggingKeepsFarMarkerOnTheUpperEdge()
    {
        const double expected = LensMath::UpperEdgeHeight(5, 25, 15, 30);
        const QStringList labelsAt15 { "25\u00B0", "15.0", "30.0", "15.0", "5.0",
            QString::asprintf("%.1f", expected), "4.0" };
        QSignalSpy distances(m_vertical.get(), &CVerticalSimulate::DistanceChanged);
        CUnidimensionalArrowNode *start = m_vertical->arrow(CVerticalSimulate::DetectionStartArrow);
        const QPointF startCentre = centreOf(start);
        // Away by 5 m (490 pixels for 50 m) and back to 15 m.
        dragCentreTo(start, startCentre + QPointF(5 * 490.0 / 50, 0));
        QVERIFY(std::fabs(m_vertical->installation().detectionStart() - 20) < 1e-6);
        dragCentreTo(start, startCentre);
        QVERIFY(std::fabs(m_vertical->installation().farHeight() - expected) < 1e-6);
        QStringList labels;
        for (int i = 0; i < CVerticalSimulate::LabelCount; ++i) {
            labels << m_vertical->labelText(CVerticalSimulate::Label(i));
        }
        QCOMPARE(labels, labelsAt15);
        QCOMPARE(distances.last(), (QList<QVariant> { 15.0f, 30.0f }));

        // The far marker dragged before the start; the start dragged back to where it was.
        CUnidimensionalArrowNode *far = m_vertical->arrow(CVerticalSimulate::FarDistanceArrow);
        const QPointF farCentre = centreOf(far);
        dragCentreTo(far, QPointF(startCentre.x() - 60, farCentre.y()));
        dragCentreTo(start, startCentre);
        QVERIFY(m_vertical->isWarningShown());
        QVERIFY(m_vertical->labelText(CVerticalSimulate::DepthLabel).startsWith('-'));
        dragCentreTo(far, farCentre);
        dragCentreTo(start, startCentre);
        QVERIFY(!m_vertical->isWarningShown());
    }

    void lensSetsAngleAndOnlyWithDistanceTheScene()
    {
        QSignalSpy proportions(m_vertical.get(), &CVerticalSimulate::ProPortionChanged);
        m_vertical->SetLens(41.1, 0, 10);
        QCOMPARE(m_vertical->labelText(CVerticalSimulate::AngleLabel), "41\u00B0");
        QCOMPARE(m_vertical->sceneWidthSpin()->value(), 50);

        m_vertical->SetLens(30, 12, 10);
        QCOMPARE(m_vertical->sceneWidthSpin()->value(), 24);
        dragCentreTo(
            m_vertical->arrow(CVerticalSimulate::ObjectTopArrow), QPointF(0, 40 + 0.5 * 240));
        QCOMPARE(proportions.last().at(0).toFloat(), 5.0f);
    }

    void arrowsAndDrawingStayInsideForAnyLens_data()
    {
        QTest::addColumn<double>("angle");
        QTest::addColumn<QPointF>("camera");
        QTest::newRow("default lens") << 25.0 << QPointF(40, 160);
        QTest::newRow("no angle, camera on the ground") << 0.0 << QPointF(40, 5000);
    }

    void arrowsAndDrawingStayInsideForAnyLens()
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

    void horizontalShowsWidths_data()
    {
        QTest::addColumn<double>("angle");
        QTest::addColumn<double>("fraction");
        QTest::addColumn<QStringList>("expected");
        // Angle, near width, marker width, far width, marker distance.
        using S = QStringList;
        QTest::newRow("at 3/4") << 60.0 << 0.75 << S { "60.0", "23.1", "34.6", "46.2", "30.0" };
        QTest::newRow("before near line")
            << 60.0 << 0.3 << S { "60.0", "23.1", "23.1", "46.2", "20.0" };
        QTest::newRow("no angle") << 0.0 << 0.75 << S { "0.0", "0.0", "0.0", "0.0", "30.0" };
    }

    void horizontalShowsWidths()
    {
        QFETCH(double, angle);
        QFETCH(double, fraction);
        CHorizontalSimulate horizontal;
        horizontal.SetViewAngle(angle);
        horizontal.DistanceChanged(20, 40);
        horizontal.setMarkerFraction(fraction);
        QStringList texts;
        for (int i = 0; i < CHorizontalSimulate::LabelCount; ++i) {
            texts << horizontal.label(CHorizontalSimulate::Label(i))->valueText();
        }
        QTEST(texts, "expected");
    }

    void horizontalMarkerDragStaysInSecondHalf()
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
};

QTEST_MAIN(TestSimulations)
#include "tst_simulations.moc"
