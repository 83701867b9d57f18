#pragma once

#include "lensmath.h"

#include <QFrame>
#include <QPixmap>

// A sketch of the camera picture: how much of its height an object fills at
// the beginning of the detection area and at the far marker.
class CMonitorSimulate : public QFrame
{
    Q_OBJECT

public:
    explicit CMonitorSimulate(QWidget *parent = nullptr);

    const LensMath::MonitorFractions &fractions() const { return m_fractions; }

public slots:
    void ProPortionChanged(float objectHeight, float nearHeight, float farHeight, float farDepth);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    LensMath::MonitorFractions m_fractions;
    QPixmap m_treeNear;
    QPixmap m_treeFar;
};
