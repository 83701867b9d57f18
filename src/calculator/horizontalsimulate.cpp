#include "horizontalsimulate.h"

#include "debuglog.h"

#include "drawinghelpers.h"
#include "lensmath.h"

#include <QGraphicsLineItem>
#include <QGraphicsPixmapItem>
#include <QGraphicsPolygonItem>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QPen>

#include <cmath>

CHorizontalSimulate::CHorizontalSimulate(QWidget *parent) : QFrame(parent)
{
    setMinimumSize(kLeftMargin + kRightMargin + 140, kTopMargin + kBottomMargin + 60);

    m_scene = new QGraphicsScene(this);
    m_view = Drawing::simulationView(m_scene, this);

    m_wedge = m_scene->addPolygon(
        QPolygonF(), QPen(QColor(30, 90, 200), 1.5), QBrush(QColor(236, 233, 216)));
    m_wedge->setZValue(-1);
    m_axisLine = m_scene->addLine(QLineF(), QPen(QColor(150, 150, 150), 1, Qt::DashDotLine));
    m_nearLine = m_scene->addLine(QLineF(), QPen(QColor(0, 140, 0), 2));
    m_markerLine = m_scene->addLine(QLineF(), QPen(QColor(200, 120, 0), 2, Qt::DashLine));
    m_farLine = m_scene->addLine(QLineF(), QPen(QColor(200, 0, 0), 2));
    m_camera = m_scene->addPixmap(Drawing::loadPicture(QStringLiteral("SimuIPC.png")));
    m_camera->setZValue(1);
    m_arrow = new CUnidimensionalArrowNode(
        Drawing::loadPicture(QStringLiteral("arrow_left_right.png")));
    m_arrow->setZValue(2);
    m_arrow->setToolTip(tr("Drag to measure the covered width at another distance"));
    m_scene->addItem(m_arrow);

    for (CSimulateTextNode *&node : m_labels) {
        node = new CSimulateTextNode(this);
        node->SetUnit(tr("m"));
    }
    m_labels[AngleLabel]->SetUnit(QString(QChar(0x00B0)));
    m_labels[AngleLabel]->setToolTip(tr("Horizontal viewing angle"));

    Redraw();
}

CHorizontalSimulate::~CHorizontalSimulate() = default;

QRectF CHorizontalSimulate::drawingArea() const
{
    return QRectF(kLeftMargin, kTopMargin, width() - kLeftMargin - kRightMargin,
        height() - kTopMargin - kBottomMargin);
}

void CHorizontalSimulate::SetViewAngle(double degrees)
{
    if (degrees >= 0) {
        m_viewAngle = degrees;
    }
}

void CHorizontalSimulate::setMarkerFraction(double fraction)
{
    m_fMoveArrowPos = fraction;
    placeArrow();
    Redraw();
}

void CHorizontalSimulate::DistanceChanged(float nearDistance, float farDistance)
{
    m_nearDistance = nearDistance;
    m_farDistance = farDistance;
    Redraw();
}

void CHorizontalSimulate::ArrowMoved(CUnidimensionalArrowNode *arrow)
{
    const QRectF area = drawingArea();
    if (arrow == m_arrow && area.width() > 0) {
        m_fMoveArrowPos
            = (arrow->x() + arrow->boundingRect().width() / 2 - area.left()) / area.width();
        qCDebug(lcCalculator, "m_fMoveArrowPos:%f", m_fMoveArrowPos);
    }
    Redraw();
}

void CHorizontalSimulate::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    m_view->setGeometry(rect());
    m_scene->setSceneRect(QRectF(rect()));
    placeArrow();
    Redraw();
}

void CHorizontalSimulate::placeArrow()
{
    const QRectF area = drawingArea();
    if (area.width() <= 0 || area.height() <= 0) {
        return;
    }
    const QRectF picture = m_arrow->boundingRect();
    // The marker runs over the second half of the drawing width only.
    m_arrow->SetRange(area.bottom() - picture.height() / 2, CUnidimensionalArrowNode::Horizontal,
        area.center().x() - picture.width() / 2, area.right() - picture.width() / 2);
    m_arrow->placeAt(area.left() + m_fMoveArrowPos * area.width() - picture.width() / 2);
}

void CHorizontalSimulate::Redraw()
{
    const double markerDistance
        = LensMath::markerDistance(m_fMoveArrowPos, m_nearDistance, m_farDistance);
    m_labels[AngleLabel]->SetValue(m_viewAngle);
    m_labels[NearWidthLabel]->SetValue(LensMath::coveredWidth(m_nearDistance, m_viewAngle));
    m_labels[MarkerWidthLabel]->SetValue(LensMath::coveredWidth(markerDistance, m_viewAngle));
    m_labels[FarWidthLabel]->SetValue(LensMath::coveredWidth(m_farDistance, m_viewAngle));
    m_labels[MarkerDistanceLabel]->SetValue(markerDistance);

    const QRectF area = drawingArea();
    if (area.width() <= 0 || area.height() <= 0) {
        return;
    }
    const QPointF origin(area.left(), area.center().y());
    // The wedge is drawn with its true angle; a half angle of 90 degrees or
    // more would open backwards, so the drawing stops just short of it.
    const double half = LensMath::toRadians(qBound(0.0, m_viewAngle / 2, 89.9));
    const double reach = 4.0 * (width() + height());
    QPolygonF fan;
    fan << origin << origin + QPointF(std::cos(half), -std::sin(half)) * reach
        << origin + QPointF(reach, 0) << origin + QPointF(std::cos(half), std::sin(half)) * reach;
    m_wedge->setPolygon(fan.intersected(QPolygonF(area)));
    m_axisLine->setLine(QLineF(origin, QPointF(area.right(), origin.y())));

    const double slope = std::tan(half);
    const auto across = [&](double x) {
        const double spread = (x - origin.x()) * slope;
        return Drawing::clipped(QLineF(x, origin.y() - spread, x, origin.y() + spread), area)
            .value_or(QLineF());
    };
    const double nearX = area.center().x();
    const double markerX = area.left() + m_fMoveArrowPos * area.width();
    const double farX = area.right();
    m_nearLine->setLine(across(nearX));
    m_markerLine->setLine(across(markerX));
    m_farLine->setLine(across(farX));

    const QPixmap picture = m_camera->pixmap();
    m_camera->setPos(origin.x() + 6 - picture.width(), origin.y() - picture.height() / 2.0);

    const auto place = [this](Label which, double x, double y) {
        CSimulateTextNode *node = m_labels[which];
        node->move(qBound(0, int(std::lround(x)), qMax(0, width() - node->width())),
            qBound(0, int(std::lround(y)), qMax(0, height() - node->height())));
        node->raise();
    };
    const int nodeWidth = m_labels[NearWidthLabel]->width();
    const int nodeHeight = m_labels[NearWidthLabel]->height();
    place(NearWidthLabel, nearX - nodeWidth / 2.0, area.top() - nodeHeight - 4);
    place(FarWidthLabel, farX - nodeWidth / 2.0, area.top() - nodeHeight - 4);
    // Beside the marker line, on the side where it covers no other line.
    const bool roomOnRight = markerX + 4 + nodeWidth <= farX - 4;
    place(MarkerWidthLabel, roomOnRight ? markerX + 4 : markerX - nodeWidth - 4, origin.y() + 4);
    place(MarkerDistanceLabel, markerX - nodeWidth / 2.0, area.bottom() + 12);
    place(AngleLabel, 2, origin.y() + picture.height() / 2.0 + 4);
}
