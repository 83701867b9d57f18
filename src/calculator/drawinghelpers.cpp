#include "drawinghelpers.h"

#include "debuglog.h"

#include <QDebug>
#include <QGraphicsView>

#include <cmath>

namespace Drawing {

bool isFinite(QPointF point)
{
    return std::isfinite(point.x()) && std::isfinite(point.y());
}

std::optional<QLineF> clipped(const QLineF &line, const QRectF &rect)
{
    if (!isFinite(line.p1()) || !isFinite(line.p2()) || rect.isEmpty()) {
        return std::nullopt;
    }
    // Liang-Barsky: keep the parameter interval where the segment is inside.
    const double dx = line.dx();
    const double dy = line.dy();
    const double p[4] = { -dx, dx, -dy, dy };
    const double q[4] = { line.x1() - rect.left(), rect.right() - line.x1(), line.y1() - rect.top(),
        rect.bottom() - line.y1() };
    double from = 0.0;
    double to = 1.0;
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0) {
                return std::nullopt;
            }
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0) {
            from = std::max(from, t);
        } else {
            to = std::min(to, t);
        }
    }
    if (from > to) {
        return std::nullopt;
    }
    return QLineF(line.pointAt(from), line.pointAt(to));
}

QPixmap loadPicture(const QString &name)
{
    QPixmap picture(QStringLiteral(":/Tervix/icon/") + name);
    if (picture.isNull()) {
        qCDebug(lcCalculator, "Cannot load the picture %s", qPrintable(name));
    }
    return picture;
}

QGraphicsView *simulationView(QGraphicsScene *scene, QWidget *parent)
{
    auto *view = new QGraphicsView(scene, parent);
    view->setFrameShape(QFrame::NoFrame);
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    view->setRenderHint(QPainter::Antialiasing);
    // A drawing changes as a whole when an input changes: repaint all of it,
    // so no antialiased edge of the old view cone stays behind outside the
    // items' new bounding rectangles.
    view->setViewportUpdateMode(QGraphicsView::FullViewportUpdate);
    view->setBackgroundBrush(Qt::white);
    return view;
}

} // namespace Drawing
