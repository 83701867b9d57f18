#include "monitorsimulate.h"

#include "drawinghelpers.h"

#include <QPainter>

CMonitorSimulate::CMonitorSimulate(QWidget *parent)
    : QFrame(parent),
      m_treeNear(Drawing::loadPicture(QStringLiteral("treeNear.png"))),
      m_treeFar(Drawing::loadPicture(QStringLiteral("treeFar.png")))
{
    setMinimumSize(160, 90);
}

void CMonitorSimulate::ProPortionChanged(
    float objectHeight, float nearHeight, float farHeight, float farDepth)
{
    if (LensMath::updateMonitorFractions(
            m_fractions, objectHeight, nearHeight, farHeight, farDepth)) {
        update();
    }
}

void CMonitorSimulate::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const double w = width() - 2;
    const double h = height();
    const double horizon = h * m_fractions.horizon;

    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 204, 0));
    painter.drawRect(QRectF(0, 0, w, horizon));
    painter.setBrush(QColor(0, 102, 205));
    painter.drawRect(QRectF(0, horizon, w, h - horizon));

    // Drawn into a target rectangle rather than scaled first: a tree ten
    // times the picture height costs no more than a small one.
    painter.setClipRect(QRectF(0, 0, w, h));
    const auto drawTree = [&painter](const QPixmap &tree, double left, double foot, double height) {
        if (tree.isNull() || height < 1.0) {
            return;
        }
        const double treeWidth = height * tree.width() / tree.height();
        painter.drawPixmap(QRectF(left, foot - height, treeWidth, height), tree, tree.rect());
    };
    drawTree(m_treeFar, w * 0.3, horizon, horizon * m_fractions.farObject);
    drawTree(m_treeNear, w * 0.6, h, h * m_fractions.nearObject);
}
