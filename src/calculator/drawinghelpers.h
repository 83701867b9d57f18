#pragma once

#include <QLineF>
#include <QPixmap>
#include <QRectF>

#include <optional>

class QGraphicsScene;
class QGraphicsView;
class QWidget;

// Pixel helpers shared by the simulations: whatever numbers the geometry
// gives, nothing is drawn outside the drawing area.
namespace Drawing {

bool isFinite(QPointF point);

// The part of a segment inside a rectangle, or nothing.
std::optional<QLineF> clipped(const QLineF &line, const QRectF &rect);

// A picture from the resources; a missing one gives a null pixmap and a debug line.
QPixmap loadPicture(const QString &name);

// A frameless view without scroll bars that shows a simulation's scene from its
// top-left corner, antialiased, on white.
QGraphicsView *simulationView(QGraphicsScene *scene, QWidget *parent);

} // namespace Drawing
