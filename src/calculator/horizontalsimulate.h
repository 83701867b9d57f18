#pragma once

#include "simulatenodes.h"

#include <QFrame>

class QGraphicsLineItem;
class QGraphicsPixmapItem;
class QGraphicsPolygonItem;
class QGraphicsScene;
class QGraphicsView;

// Top view of the camera's horizontal field of view: the covered width at
// the beginning of the detection area, at the far marker and at a marker the
// user drags between them.
class CHorizontalSimulate : public QFrame, public ArrowListener
{
    Q_OBJECT

public:
    enum Label {
        AngleLabel,
        NearWidthLabel,
        MarkerWidthLabel,
        FarWidthLabel,
        MarkerDistanceLabel,
        LabelCount
    };

    explicit CHorizontalSimulate(QWidget *parent = nullptr);
    ~CHorizontalSimulate() override;

    // Takes a horizontal viewing angle of 0 or more; shown at the next redraw.
    void SetViewAngle(double degrees);
    void ArrowMoved(CUnidimensionalArrowNode *arrow) override;

    double viewAngle() const { return m_viewAngle; }
    double nearDistance() const { return m_nearDistance; }
    double farDistance() const { return m_farDistance; }
    double markerFraction() const { return m_fMoveArrowPos; }
    void setMarkerFraction(double fraction);
    CUnidimensionalArrowNode *markerArrow() const { return m_arrow; }
    CSimulateTextNode *label(Label which) const { return m_labels[which]; }

    static constexpr int kLeftMargin = 30;
    static constexpr int kTopMargin = 30;
    static constexpr int kRightMargin = 55;
    static constexpr int kBottomMargin = 40;

public slots:
    void DistanceChanged(float nearDistance, float farDistance);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QRectF drawingArea() const;
    void placeArrow();
    void Redraw();

    double m_fMoveArrowPos = 0.6;
    double m_viewAngle = 25.0;
    double m_nearDistance = 25.0;
    double m_farDistance = 50.0;

    QGraphicsView *m_view = nullptr;
    QGraphicsScene *m_scene = nullptr;
    QGraphicsPixmapItem *m_camera = nullptr;
    QGraphicsPolygonItem *m_wedge = nullptr;
    QGraphicsLineItem *m_axisLine = nullptr;
    QGraphicsLineItem *m_nearLine = nullptr;
    QGraphicsLineItem *m_markerLine = nullptr;
    QGraphicsLineItem *m_farLine = nullptr;
    CUnidimensionalArrowNode *m_arrow = nullptr;
    CSimulateTextNode *m_labels[LabelCount] = {};
};
