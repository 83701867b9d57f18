#include "simulatenodes.h"

#include <QGraphicsScene>
#include <QGraphicsView>
#include <QPainter>

#include <cmath>

CUnidimensionalArrowNode::CUnidimensionalArrowNode(const QPixmap &pixmap, QGraphicsItem *parent)
    : QGraphicsPixmapItem(pixmap, parent)
{
    setFlags(ItemIsMovable | ItemSendsGeometryChanges);
    setCacheMode(DeviceCoordinateCache);
    setCursor(Qt::SizeAllCursor);
}

void CUnidimensionalArrowNode::SetRange(
    double fixedCoordinate, quint32 axis, double minimum, double maximum)
{
    m_fixedCoordinate = fixedCoordinate;
    m_axis = axis;
    m_minimum = minimum;
    m_maximum = maximum;
    setCursor(axis == Horizontal ? Qt::SizeHorCursor : Qt::SizeVerCursor);
}

void CUnidimensionalArrowNode::SetMovable(bool movable)
{
    m_movable = movable;
}

void CUnidimensionalArrowNode::placeAt(double movingCoordinate)
{
    if (!std::isfinite(movingCoordinate)) {
        return;
    }
    const double moving = qBound(m_minimum, movingCoordinate, qMax(m_minimum, m_maximum));
    const bool wasMovable = m_movable;
    m_movable = false;
    setPos(m_axis == Horizontal ? QPointF(moving, m_fixedCoordinate)
                                : QPointF(m_fixedCoordinate, moving));
    m_movable = wasMovable;
}

QVariant CUnidimensionalArrowNode::itemChange(GraphicsItemChange change, const QVariant &value)
{
    if (change == ItemPositionChange && m_movable) {
        QPointF position = value.toPointF();
        const double upper = qMax(m_minimum, m_maximum);
        if (m_axis == Horizontal) {
            position = QPointF(qBound(m_minimum, position.x(), upper), m_fixedCoordinate);
        } else {
            position = QPointF(m_fixedCoordinate, qBound(m_minimum, position.y(), upper));
        }
        return QGraphicsPixmapItem::itemChange(change, position);
    }
    if (change == ItemPositionHasChanged && m_movable && scene() != nullptr) {
        const QList<QGraphicsView *> views = scene()->views();
        for (QGraphicsView *view : views) {
            if (auto *listener = dynamic_cast<ArrowListener *>(view->parentWidget())) {
                listener->ArrowMoved(this);
            }
        }
    }
    return QGraphicsPixmapItem::itemChange(change, value);
}

CSimulateTextNode::CSimulateTextNode(QWidget *parent) : QFrame(parent)
{
    setFixedSize(66, 20);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

QString CSimulateTextNode::formatValue(double value)
{
    if (!std::isfinite(value)) {
        return QStringLiteral("-");
    }
    if (value > 1000.0) {
        return QString::number(std::trunc(value), 'f', 0);
    }
    return QString::asprintf("%.1f", value);
}

void CSimulateTextNode::SetValue(double value)
{
    m_value = formatValue(value);
    update();
}

void CSimulateTextNode::SetUnit(const QString &unit)
{
    m_unit = unit;
    update();
}

void CSimulateTextNode::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    const int valueWidth = width() * 2 / 3;
    const QRect valueBox(0, 0, valueWidth, height() - 2);
    painter.setPen(QColor(160, 160, 160));
    painter.setBrush(Qt::white);
    painter.drawRect(valueBox.adjusted(0, 0, -1, -1));

    QFont valueFont = font();
    valueFont.setPointSize(10);
    valueFont.setBold(true);
    painter.setFont(valueFont);
    painter.setPen(Qt::black);
    painter.drawText(valueBox, Qt::AlignCenter, m_value);

    const bool degrees = m_unit == QString(QChar(0x00B0));
    QFont unitFont = font();
    unitFont.setPointSize(degrees ? 10 : 12);
    painter.setFont(unitFont);
    const QRect unitBox(valueWidth + 2, 0, 20, height() - 2 - (degrees ? 0 : 5));
    painter.drawText(unitBox, Qt::AlignLeft | Qt::AlignVCenter, m_unit);
}
