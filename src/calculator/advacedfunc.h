#pragma once

#include "lenscatalogue.h"

#include <QFrame>
#include <QList>
#include <QStringList>

#include <memory>

namespace Ui {
class CAdvacedFunc;
}

// The "Lens Selection" page: focal length, lens recommendation and viewing
// angles for a camera model and a scene, the installation simulations, and
// bandwidth and storage for a bitrate. It works offline, without a device.
class CAdvacedFunc : public QFrame
{
    Q_OBJECT

public:
    explicit CAdvacedFunc(QWidget *parent = nullptr);
    // Reads the catalogues from catalogueDir instead of the folder beside the program.
    CAdvacedFunc(const QString &catalogueDir, QWidget *parent);
    ~CAdvacedFunc() override;

    const QList<LensInfo> &lenses() const { return m_lenses; }
    const QList<CameraInfo> &cameras() const { return m_cameras; }
    double verticalAngle() const { return m_verticalAngle; }
    double horizontalAngle() const { return m_horizontalAngle; }
    Ui::CAdvacedFunc *form() const { return m_ui.get(); }

public slots:
    void ChangeIPCType(int index);
    void ObjectDistanceChange(int metres);
    void ObjectWidthChange(int metres);
    void ResolutionChange(int index);
    void FocusLengthChange(double focal);
    void ProPortionChanged(float objectHeight, float nearHeight, float farHeight, float farDepth);
    void CameraBracketChanged(float cameraHeight, float verticalAngle, float detectionStart);
    void BitrateChanged(int kbps);
    void RecordDayChanged(int days);
    void RecordHourChanged(int hours);

private:
    void Recompute();
    void showStorage();

    std::unique_ptr<Ui::CAdvacedFunc> m_ui;
    QList<LensInfo> m_lenses;
    QList<CameraInfo> m_cameras;
    float m_focalLength = 0.0f;
    double m_verticalAngle = 0.0;
    double m_horizontalAngle = 0.0;
    float m_targetWidth = 0.0f;
    float m_targetHeight = 0.0f;
    int m_objectDistance = 0;
    int m_objectWidth = 0;
    QStringList m_recommendedLensModels;
};
