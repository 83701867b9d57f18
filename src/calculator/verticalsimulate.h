#pragma once

#include "lensmath.h"
#include "simulatenodes.h"

#include <QFrame>
#include <QPixmap>

#include <array>

class QGraphicsLineItem;
class QGraphicsPathItem;
class QGraphicsPolygonItem;
class QGraphicsRectItem;
class QGraphicsScene;
class QGraphicsSimpleTextItem;
class QGraphicsView;
class QLabel;
class QSpinBox;

// Side view of a camera installation: the camera on its pole, the vertical
// field of view down to the beginning of the detection area, a far marker on
// the upper edge of the view and an object drawn as a tree at both places.
// The user drags arrows; the view keeps the lens geometry consistent and
// reports distances, proportions and the bracket tilt.
class CVerticalSimulate : public QFrame, public ArrowListener
{
    Q_OBJECT

public:
    enum Arrow {
        CameraHeightArrow,
        DetectionStartArrow,
        FarDistanceArrow,
        FarHeightArrow,
        ObjectTopArrow,
        ArrowCount
    };
    enum Label {
        AngleLabel,
        DetectionStartLabel,
        FarDistanceLabel,
        DepthLabel,
        CameraHeightLabel,
        FarHeightLabel,
        ObjectHeightLabel,
        LabelCount
    };

    explicit CVerticalSimulate(QWidget *parent = nullptr);
    ~CVerticalSimulate() override;

    void SetLens(double verticalAngle, int objectDistance, int objectWidth);
    void ArrowMoved(CUnidimensionalArrowNode *arrow) override;

    const LensMath::VerticalInstallation &installation() const { return m_model; }
    CUnidimensionalArrowNode *arrow(Arrow which) const { return m_arrows[which]; }
    QString labelText(Label which) const;
    bool isWarningShown() const;
    QSpinBox *sceneWidthSpin() const { return m_spinX; }
    QSpinBox *sceneHeightSpin() const { return m_spinY; }

    static constexpr int kLeftMargin = 40;
    static constexpr int kTopMargin = 40;
    static constexpr int kRightMargin = 70;
    static constexpr int kBottomMargin = 40;

signals:
    void DistanceChanged(float detectionStart, float farDistance);
    void ProPortionChanged(float objectHeight, float nearHeight, float farHeight, float farDepth);
    void CameraBracketChanged(float cameraHeight, float verticalAngle, float detectionStart);

public slots:
    void SpinValueChangedX(int metres);
    void SpinValueChangedY(int metres);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    struct TextLabel
    {
        QGraphicsRectItem *box = nullptr;
        QGraphicsSimpleTextItem *text = nullptr;
    };

    void UpdateLayout();
    void UpdateProportions();
    void Redraw();

    QRectF drawingArea() const;
    bool hasDrawingArea() const;
    double xOf(double metres) const;
    double yOf(double metres) const;
    double fractionOf(const CUnidimensionalArrowNode *arrow) const;
    void updateArrowRanges();
    void placeArrow(Arrow which, double fraction);
    QPointF arrowCentre(Arrow which) const;
    void setLabel(Label which, const QString &text, QPointF anchor, Qt::Alignment alignment);
    void drawRays();
    void drawTree(QGraphicsPixmapItem *tree, double distance);

    LensMath::VerticalInstallation m_model;
    bool m_layingOut = false;

    QGraphicsView *m_view = nullptr;
    QGraphicsScene *m_scene = nullptr;
    QSpinBox *m_spinX = nullptr;
    QSpinBox *m_spinY = nullptr;
    QLabel *m_warning = nullptr;

    QGraphicsLineItem *m_ground = nullptr;
    QGraphicsLineItem *m_sky = nullptr;
    QGraphicsLineItem *m_pole = nullptr;
    QGraphicsLineItem *m_lowerRay = nullptr;
    QGraphicsLineItem *m_upperRay = nullptr;
    QGraphicsPolygonItem *m_area = nullptr;
    QGraphicsLineItem *m_farPole = nullptr;
    QGraphicsLineItem *m_objectTop = nullptr;
    QGraphicsPathItem *m_dimensions = nullptr;
    QGraphicsPixmapItem *m_camera = nullptr;
    QGraphicsPixmapItem *m_nearTree = nullptr;
    QGraphicsPixmapItem *m_farTree = nullptr;
    std::array<CUnidimensionalArrowNode *, ArrowCount> m_arrows {};
    std::array<TextLabel, LabelCount> m_labels {};
};
