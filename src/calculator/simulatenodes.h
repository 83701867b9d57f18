#pragma once

#include <QFrame>
#include <QGraphicsPixmapItem>
#include <QString>

class CUnidimensionalArrowNode;

// A simulation that wants to hear when the user drags one of its arrows.
class ArrowListener
{
public:
    virtual ~ArrowListener() = default;
    virtual void ArrowMoved(CUnidimensionalArrowNode *arrow) = 0;
};

// An arrow picture the user drags along one axis, inside a range. Dragging
// tells the simulation that shows it (the parent of the scene's view).
class CUnidimensionalArrowNode : public QGraphicsPixmapItem
{
public:
    enum Axis : quint32 { Horizontal = 0, Vertical = 1 };

    explicit CUnidimensionalArrowNode(const QPixmap &pixmap, QGraphicsItem *parent = nullptr);

    void SetRange(double fixedCoordinate, quint32 axis, double minimum, double maximum);
    // False while the program itself places the arrow: no clamping, no notification.
    void SetMovable(bool movable);

    quint32 axis() const { return m_axis; }
    double minimum() const { return m_minimum; }
    double maximum() const { return m_maximum; }
    double fixedCoordinate() const { return m_fixedCoordinate; }
    bool isMovable() const { return m_movable; }

    // Places the arrow as the program, inside its range.
    void placeAt(double movingCoordinate);

protected:
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;

private:
    quint32 m_axis = Horizontal;
    double m_fixedCoordinate = 0.0;
    double m_minimum = 0.0;
    double m_maximum = 0.0;
    bool m_movable = true;
};

// A value with its unit, as the simulations label their distances and angles.
class CSimulateTextNode : public QFrame
{
    Q_OBJECT

public:
    explicit CSimulateTextNode(QWidget *parent = nullptr);

    void SetValue(double value);
    void SetUnit(const QString &unit);
    QString valueText() const { return m_value; }
    QString unit() const { return m_unit; }

    // Above 1000 whole numbers, below one decimal.
    static QString formatValue(double value);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_value;
    QString m_unit;
};
