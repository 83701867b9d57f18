#include "verticalsimulate.h"

#include "drawinghelpers.h"

#include <QBrush>
#include <QGraphicsLineItem>
#include <QGraphicsPathItem>
#include <QGraphicsPolygonItem>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsView>
#include <QLabel>
#include <QPainterPath>
#include <QPen>
#include <QSpinBox>

#include <algorithm>
#include <cmath>

using LensMath::kPi;

namespace {

// Stacking of the scene's items, back to front; lines stay at 0.
constexpr double kAreaLayer = -1.0;
constexpr double kPictureLayer = 1.0;
constexpr double kCameraLayer = 2.0;
constexpr double kTextLayer = 3.0;
constexpr double kArrowLayer = 4.0;

QString oneDecimal(double value)
{
    return std::isfinite(value) ? QString::asprintf("%.1f", value) : QStringLiteral("-");
}

} // namespace

CVerticalSimulate::CVerticalSimulate(QWidget *parent) : QFrame(parent)
{
    setMinimumSize(kLeftMargin + kRightMargin + 120, kTopMargin + kBottomMargin + 80);

    m_scene = new QGraphicsScene(this);
    m_view = Drawing::simulationView(m_scene, this);
    m_view->setRenderHint(QPainter::SmoothPixmapTransform);

    m_area = m_scene->addPolygon(QPolygonF(), Qt::NoPen, QBrush(QColor(236, 233, 216, 255)));
    m_area->setZValue(kAreaLayer);

    const QPen groundPen(QColor(90, 70, 50), 2);
    m_ground = m_scene->addLine(QLineF(), groundPen);
    m_sky = m_scene->addLine(QLineF(), QPen(QColor(190, 190, 190), 1, Qt::DashLine));
    m_pole = m_scene->addLine(QLineF(), QPen(QColor(110, 110, 110), 3));
    const QPen rayPen(QColor(30, 90, 200), 1.5);
    m_lowerRay = m_scene->addLine(QLineF(), rayPen);
    m_upperRay = m_scene->addLine(QLineF(), rayPen);
    m_farPole = m_scene->addLine(QLineF(), QPen(QColor(200, 120, 0), 1, Qt::DashLine));
    m_objectTop = m_scene->addLine(QLineF(), QPen(QColor(0, 140, 0), 1, Qt::DotLine));
    m_dimensions = m_scene->addPath(QPainterPath(), QPen(QColor(80, 80, 80), 1));

    m_nearTree = m_scene->addPixmap(Drawing::loadPicture(QStringLiteral("treeNear.png")));
    m_farTree = m_scene->addPixmap(Drawing::loadPicture(QStringLiteral("treeFar.png")));
    for (QGraphicsPixmapItem *tree : { m_nearTree, m_farTree }) {
        tree->setTransformationMode(Qt::SmoothTransformation);
        tree->setZValue(kPictureLayer);
    }
    m_camera = m_scene->addPixmap(Drawing::loadPicture(QStringLiteral("SimuIPC.png")));
    m_camera->setTransformationMode(Qt::SmoothTransformation);
    m_camera->setZValue(kCameraLayer);

    QFont labelFont = font();
    labelFont.setPointSize(8);
    for (TextLabel &label : m_labels) {
        label.box = m_scene->addRect(QRectF(), Qt::NoPen, QBrush(Qt::white));
        label.box->setZValue(kTextLayer);
        label.text = new QGraphicsSimpleTextItem(label.box);
        label.text->setFont(labelFont);
    }

    const QPixmap upDown = Drawing::loadPicture(QStringLiteral("arrow_up_down.png"));
    const QPixmap leftRight = Drawing::loadPicture(QStringLiteral("arrow_left_right.png"));
    for (int i = 0; i < ArrowCount; ++i) {
        const bool horizontal = i == DetectionStartArrow || i == FarDistanceArrow;
        m_arrows[i] = new CUnidimensionalArrowNode(horizontal ? leftRight : upDown);
        m_arrows[i]->setZValue(kArrowLayer);
        m_scene->addItem(m_arrows[i]);
    }
    m_arrows[CameraHeightArrow]->setToolTip(tr("Camera height"));
    m_arrows[DetectionStartArrow]->setToolTip(tr("Beginning of the detection area"));
    m_arrows[FarDistanceArrow]->setToolTip(tr("Distance of the far marker"));
    m_arrows[FarHeightArrow]->setToolTip(tr("Height of the far marker"));
    m_arrows[ObjectTopArrow]->setToolTip(tr("Object height"));

    m_spinX = new QSpinBox(this);
    m_spinX->setRange(1, 999);
    m_spinX->setValue(m_model.sceneWidth());
    m_spinX->setSuffix(tr(" m"));
    m_spinX->setToolTip(tr("Ground length shown"));
    m_spinY = new QSpinBox(this);
    m_spinY->setRange(1, 999);
    m_spinY->setValue(m_model.sceneHeight());
    m_spinY->setSuffix(tr(" m"));
    m_spinY->setToolTip(tr("Height shown"));
    connect(m_spinX, &QSpinBox::valueChanged, this, &CVerticalSimulate::SpinValueChangedX);
    connect(m_spinY, &QSpinBox::valueChanged, this, &CVerticalSimulate::SpinValueChangedY);

    m_warning = new QLabel(tr("The beginning of the detection area is located behind the "
                              "object,\nPlease change the camera angle!"),
        this);
    m_warning->setStyleSheet(QStringLiteral("text-align:left; color: red;"));
    m_warning->hide();

    UpdateLayout();
}

CVerticalSimulate::~CVerticalSimulate() = default;

QRectF CVerticalSimulate::drawingArea() const
{
    return QRectF(kLeftMargin, kTopMargin, width() - kLeftMargin - kRightMargin,
        height() - kTopMargin - kBottomMargin);
}

bool CVerticalSimulate::hasDrawingArea() const
{
    const QRectF area = drawingArea();
    return area.width() > 0 && area.height() > 0 && m_model.sceneWidth() > 0
        && m_model.sceneHeight() > 0;
}

double CVerticalSimulate::xOf(double metres) const
{
    const QRectF area = drawingArea();
    return area.left() + metres / m_model.sceneWidth() * area.width();
}

double CVerticalSimulate::yOf(double metres) const
{
    const QRectF area = drawingArea();
    return area.top() + (1.0 - metres / m_model.sceneHeight()) * area.height();
}

double CVerticalSimulate::fractionOf(const CUnidimensionalArrowNode *arrow) const
{
    const QRectF area = drawingArea();
    const QRectF picture = arrow->boundingRect();
    if (arrow->axis() == CUnidimensionalArrowNode::Horizontal) {
        return (arrow->x() + picture.width() / 2 - area.left()) / area.width();
    }
    return (arrow->y() + picture.height() / 2 - area.top()) / area.height();
}

void CVerticalSimulate::updateArrowRanges()
{
    const QRectF area = drawingArea();
    for (int i = 0; i < ArrowCount; ++i) {
        CUnidimensionalArrowNode *arrow = m_arrows[i];
        const double halfWidth = arrow->boundingRect().width() / 2;
        const double halfHeight = arrow->boundingRect().height() / 2;
        if (i == DetectionStartArrow || i == FarDistanceArrow) {
            arrow->SetRange(area.bottom() - halfHeight, CUnidimensionalArrowNode::Horizontal,
                area.left() - halfWidth, area.right() - halfWidth);
            continue;
        }
        double x = area.left();
        if (i == ObjectTopArrow) {
            x = area.right();
        } else if (i == FarHeightArrow) {
            x = qBound(area.left(), xOf(m_model.farDistance()), area.right());
        }
        arrow->SetRange(x - halfWidth, CUnidimensionalArrowNode::Vertical, area.top() - halfHeight,
            area.bottom() - halfHeight);
    }
}

void CVerticalSimulate::placeArrow(Arrow which, double fraction)
{
    const QRectF area = drawingArea();
    CUnidimensionalArrowNode *arrow = m_arrows[which];
    const QRectF picture = arrow->boundingRect();
    if (arrow->axis() == CUnidimensionalArrowNode::Horizontal) {
        arrow->placeAt(area.left() + fraction * area.width() - picture.width() / 2);
    } else {
        arrow->placeAt(area.top() + fraction * area.height() - picture.height() / 2);
    }
}

QPointF CVerticalSimulate::arrowCentre(Arrow which) const
{
    return m_arrows[which]->pos() + m_arrows[which]->boundingRect().center();
}

void CVerticalSimulate::SetLens(double verticalAngle, int objectDistance, int objectWidth)
{
    Q_UNUSED(objectWidth);
    m_model.setLens(verticalAngle, objectDistance);
    if (objectDistance != 0) {
        const QSignalBlocker blocker(m_spinX);
        m_spinX->setValue(m_model.sceneWidth());
        // The spin box keeps the scene within its range.
        m_model.setSceneWidth(m_spinX->value());
    }
    UpdateLayout();
    UpdateProportions();
}

void CVerticalSimulate::SpinValueChangedX(int metres)
{
    m_model.setSceneWidth(metres);
    UpdateLayout();
    UpdateProportions();
}

void CVerticalSimulate::SpinValueChangedY(int metres)
{
    m_model.setSceneHeight(metres);
    UpdateLayout();
    UpdateProportions();
}

void CVerticalSimulate::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    m_layingOut = true;
    m_view->setGeometry(rect());
    m_scene->setSceneRect(QRectF(rect()));
    const QSize spinSize(64, m_spinX->sizeHint().height());
    m_spinY->setGeometry(width() - spinSize.width() - 2, 4, spinSize.width(), spinSize.height());
    m_spinX->setGeometry(width() - spinSize.width() - 2, height() - kBottomMargin + 6,
        spinSize.width(), spinSize.height());
    m_warning->setGeometry(
        kLeftMargin + 6, 2, qMax(0, width() - kLeftMargin - spinSize.width() - 14), kTopMargin - 4);
    UpdateLayout();
    m_layingOut = false;
}

void CVerticalSimulate::ArrowMoved(CUnidimensionalArrowNode *arrow)
{
    if (m_layingOut || !hasDrawingArea()) {
        return;
    }
    const double fraction = fractionOf(arrow);
    if (arrow == m_arrows[CameraHeightArrow]) {
        m_model.moveCamera(fraction);
        placeArrow(DetectionStartArrow, m_model.detectionStartFraction());
    } else if (arrow == m_arrows[DetectionStartArrow]) {
        m_model.moveDetectionStart(fraction);
        placeArrow(FarHeightArrow, m_model.farHeightFraction());
    } else if (arrow == m_arrows[FarDistanceArrow]) {
        m_model.moveFarDistance(fraction);
        updateArrowRanges();
        placeArrow(FarHeightArrow, m_model.farHeightFraction());
        placeArrow(DetectionStartArrow, m_model.detectionStartFraction());
    } else if (arrow == m_arrows[FarHeightArrow]) {
        m_model.moveFarHeight(fraction);
        placeArrow(DetectionStartArrow, m_model.detectionStartFraction());
    } else if (arrow == m_arrows[ObjectTopArrow]) {
        m_model.moveObjectTop(fraction);
    } else {
        return;
    }
    UpdateProportions();
    Redraw();
}

void CVerticalSimulate::UpdateLayout()
{
    m_model.followFarHeight();
    if (hasDrawingArea()) {
        updateArrowRanges();
        placeArrow(CameraHeightArrow, m_model.cameraFraction());
        placeArrow(DetectionStartArrow, m_model.detectionStartFraction());
        placeArrow(FarDistanceArrow, m_model.farFraction());
        placeArrow(FarHeightArrow, m_model.farHeightFraction());
        placeArrow(ObjectTopArrow, m_model.objectTopFraction());
    }
    Redraw();
}

void CVerticalSimulate::UpdateProportions()
{
    emit ProPortionChanged(float(m_model.objectHeight()), float(m_model.nearViewHeight()),
        float(m_model.farHeight()), float(m_model.farDepth()));
    emit CameraBracketChanged(float(m_model.cameraHeight()), float(m_model.verticalAngle()),
        float(m_model.detectionStart()));
}

QString CVerticalSimulate::labelText(Label which) const
{
    return m_labels[which].text->text();
}

bool CVerticalSimulate::isWarningShown() const
{
    return !m_warning->isHidden();
}

void CVerticalSimulate::setLabel(
    Label which, const QString &text, QPointF anchor, Qt::Alignment alignment)
{
    TextLabel &label = m_labels[which];
    label.text->setText(text);
    const QRectF textRect = label.text->boundingRect();
    QPointF topLeft(anchor.x(), anchor.y() - textRect.height() / 2);
    if (alignment & Qt::AlignHCenter) {
        topLeft.rx() -= textRect.width() / 2;
    } else if (alignment & Qt::AlignRight) {
        topLeft.rx() -= textRect.width();
    }
    // Keep every label inside the widget, however far the geometry goes.
    topLeft.setX(qBound(0.0, topLeft.x(), qMax(0.0, width() - textRect.width() - 1)));
    topLeft.setY(qBound(0.0, topLeft.y(), qMax(0.0, height() - textRect.height() - 1)));
    label.box->setRect(textRect.adjusted(-2, 0, 2, 0));
    label.box->setPos(topLeft);
}

void CVerticalSimulate::Redraw()
{
    const double detection = m_model.detectionStart();
    const double far = m_model.farDistance();
    const QString detectionText = oneDecimal(detection);
    const QString farText = oneDecimal(far);
    // The difference of the written values, so that the three labels add up.
    const double depth = farText.toDouble() - detectionText.toDouble();

    emit DistanceChanged(float(detection), float(far));
    m_warning->setVisible(m_model.detectionBehindFarMarker());

    const QString angleText
        = QString::number(static_cast<int>(std::trunc(m_model.verticalAngle()))) + QChar(0x00B0);
    if (!hasDrawingArea()) {
        m_labels[AngleLabel].text->setText(angleText);
        m_labels[DetectionStartLabel].text->setText(detectionText);
        m_labels[FarDistanceLabel].text->setText(farText);
        m_labels[DepthLabel].text->setText(oneDecimal(depth));
        m_labels[CameraHeightLabel].text->setText(oneDecimal(m_model.cameraHeight()));
        m_labels[FarHeightLabel].text->setText(oneDecimal(m_model.farHeight()));
        m_labels[ObjectHeightLabel].text->setText(oneDecimal(m_model.objectHeight()));
        return;
    }

    const QRectF area = drawingArea();
    const double ground = area.bottom();
    const QPointF origin(area.left(), yOf(m_model.cameraHeight()));

    m_ground->setLine(QLineF(area.left() - 10, ground, area.right() + 10, ground));
    m_sky->setLine(QLineF(area.left(), area.top(), width() - 2, area.top()));
    m_pole->setLine(QLineF(area.left(), ground, origin.x(), origin.y()));

    drawRays();
    drawTree(m_nearTree, detection);
    drawTree(m_farTree, far);

    const QPointF farTop = arrowCentre(FarHeightArrow);
    const double farX = farTop.x();
    m_farPole->setLine(QLineF(farX, ground, farX, farTop.y()));
    const double objectY = arrowCentre(ObjectTopArrow).y();
    m_objectTop->setLine(QLineF(area.left(), objectY, area.right(), objectY));

    // Dimension lines under the ground: 0..D and D..F, and 0..F below them.
    const double detectionX = qBound(area.left(), xOf(detection), area.right());
    const double farGroundX = qBound(area.left(), xOf(far), area.right());
    const double firstRow = ground + 17;
    const double secondRow = ground + 31;
    QPainterPath path;
    const auto dimension = [&path](double from, double to, double y) {
        path.moveTo(from, y);
        path.lineTo(to, y);
        path.moveTo(from, y - 3);
        path.lineTo(from, y + 3);
        path.moveTo(to, y - 3);
        path.lineTo(to, y + 3);
    };
    dimension(area.left(), detectionX, firstRow);
    dimension(detectionX, farGroundX, firstRow);
    dimension(area.left(), farGroundX, secondRow);
    m_dimensions->setPath(path);

    setLabel(DetectionStartLabel, detectionText, QPointF((area.left() + detectionX) / 2, firstRow),
        Qt::AlignHCenter);
    setLabel(DepthLabel, oneDecimal(depth), QPointF((detectionX + farGroundX) / 2, firstRow),
        Qt::AlignHCenter);
    setLabel(FarDistanceLabel, farText, QPointF((area.left() + farGroundX) / 2, secondRow),
        Qt::AlignHCenter);
    setLabel(CameraHeightLabel, oneDecimal(m_model.cameraHeight()),
        QPointF(area.left() - 10, (origin.y() + ground) / 2), Qt::AlignRight);
    const double arrowHalfWidth = m_arrows[FarHeightArrow]->boundingRect().width() / 2;
    setLabel(FarHeightLabel, oneDecimal(m_model.farHeight()),
        QPointF(farX + arrowHalfWidth + 2, farTop.y()), Qt::AlignLeft);
    setLabel(ObjectHeightLabel, oneDecimal(m_model.objectHeight()),
        QPointF(area.right() + arrowHalfWidth + 2, objectY), Qt::AlignLeft);
    setLabel(AngleLabel, angleText, QPointF(area.left() + 8, origin.y() - 22), Qt::AlignLeft);
}

void CVerticalSimulate::drawRays()
{
    const QRectF area = drawingArea();
    const QPointF origin(area.left(), yOf(m_model.cameraHeight()));
    const double scaleX = area.width() / m_model.sceneWidth();
    const double scaleY = area.height() / m_model.sceneHeight();
    const double reach = 4.0 * (width() + height());

    // Directions measured from straight down, as the lens geometry does.
    const double lower = std::atan2(m_model.detectionStart(), m_model.cameraHeight());
    const double angle = qBound(0.0, m_model.verticalAngle(), 179.9) * kPi / 180.0;
    const auto pointAlong = [&](double direction) {
        const QPointF step(std::sin(direction) * scaleX, std::cos(direction) * scaleY);
        const double length = std::hypot(step.x(), step.y());
        if (length == 0.0) {
            return origin;
        }
        return origin + step * (reach / length);
    };

    const QPointF upperEnd = pointAlong(lower + angle);
    const QPointF groundPoint(xOf(m_model.detectionStart()), area.bottom());
    const std::optional<QLineF> lowerRay = Drawing::clipped(QLineF(origin, groundPoint), area);
    const std::optional<QLineF> upperRay = Drawing::clipped(QLineF(origin, upperEnd), area);
    m_lowerRay->setLine(lowerRay.value_or(QLineF()));
    m_lowerRay->setVisible(lowerRay.has_value());
    m_upperRay->setLine(upperRay.value_or(QLineF()));
    m_upperRay->setVisible(upperRay.has_value());

    // A fan far beyond the drawing area, cut to it: what lies above the
    // ground between the two edges of the view.
    QPolygonF fan;
    fan << origin;
    for (int step = 0; step <= 4; ++step) {
        fan << pointAlong(lower + angle * step / 4.0);
    }
    bool finite = true;
    for (const QPointF &point : std::as_const(fan)) {
        finite = finite && Drawing::isFinite(point);
    }
    m_area->setPolygon(finite ? fan.intersected(QPolygonF(area)) : QPolygonF());

    // The camera looks along the middle of its view.
    const QPixmap picture = m_camera->pixmap();
    const QPointF middle = pointAlong(lower + angle / 2) - origin;
    m_camera->setTransformOriginPoint(0, picture.height() / 2.0);
    m_camera->setPos(origin.x(), origin.y() - picture.height() / 2.0);
    m_camera->setRotation(std::atan2(middle.y(), middle.x()) * 180.0 / kPi);
}

void CVerticalSimulate::drawTree(QGraphicsPixmapItem *tree, double distance)
{
    const QRectF area = drawingArea();
    const double x = xOf(distance);
    const double height = m_model.objectHeight() / m_model.sceneHeight() * area.height();
    const QPixmap picture = tree->pixmap();
    if (picture.isNull() || !std::isfinite(x) || x < area.left() || x > area.right()
        || !(height >= 1.0)) {
        tree->hide();
        return;
    }
    const double drawnHeight = std::min(height, area.height());
    const double scale = drawnHeight / picture.height();
    const double width = picture.width() * scale;
    // A tree at the camera's foot or at the far edge would hang out of the
    // drawing area by half its width: keep it inside.
    const double left = std::max(area.left(), std::min(x - width / 2, area.right() - width));
    tree->setScale(scale);
    tree->setPos(left, area.bottom() - drawnHeight);
    tree->show();
}
