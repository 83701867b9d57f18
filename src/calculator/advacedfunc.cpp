#include "advacedfunc.h"

#include "lensmath.h"
#include "ui_advacedfunc.h"

#include <QDir>

CAdvacedFunc::CAdvacedFunc(QWidget *parent) : CAdvacedFunc(catalogueDirectory(), parent)
{ }

CAdvacedFunc::CAdvacedFunc(const QString &catalogueDir, QWidget *parent)
    : QFrame(parent), m_ui(std::make_unique<Ui::CAdvacedFunc>())
{
    m_ui->setupUi(this);

    // A missing or broken catalogue leaves its list empty; the page still works.
    ReadLensCatalogue(QDir(catalogueDir).filePath(QStringLiteral("LensInfo.xml")), m_lenses);
    ReadCameraCatalogue(QDir(catalogueDir).filePath(QStringLiteral("Camera_Lens.xml")), m_cameras);

    connect(
        m_ui->comboIPCType, &QComboBox::currentIndexChanged, this, &CAdvacedFunc::ChangeIPCType);
    connect(m_ui->spinObjectDistance, &QSpinBox::valueChanged, this,
        &CAdvacedFunc::ObjectDistanceChange);
    connect(m_ui->spinObjectWidth, &QSpinBox::valueChanged, this, &CAdvacedFunc::ObjectWidthChange);
    connect(m_ui->comboResolution, &QComboBox::currentIndexChanged, this,
        &CAdvacedFunc::ResolutionChange);
    connect(m_ui->editCameraFocus, &QDoubleSpinBox::valueChanged, this,
        &CAdvacedFunc::FocusLengthChange);
    connect(m_ui->frameVertical, &CVerticalSimulate::ProPortionChanged, this,
        &CAdvacedFunc::ProPortionChanged);
    connect(m_ui->frameVertical, &CVerticalSimulate::CameraBracketChanged, this,
        &CAdvacedFunc::CameraBracketChanged);
    connect(m_ui->editBitrate, &QSpinBox::valueChanged, this, &CAdvacedFunc::BitrateChanged);
    connect(m_ui->spinDay, &QSpinBox::valueChanged, this, &CAdvacedFunc::RecordDayChanged);
    connect(m_ui->spinHour, &QSpinBox::valueChanged, this, &CAdvacedFunc::RecordHourChanged);
    connect(m_ui->frameVertical, &CVerticalSimulate::DistanceChanged, m_ui->frameHorizontal,
        &CHorizontalSimulate::DistanceChanged);
    connect(m_ui->frameVertical, &CVerticalSimulate::ProPortionChanged, m_ui->frameMonitor,
        &CMonitorSimulate::ProPortionChanged);

    {
        // One explicit call below fills the page; the items added here need not.
        const QSignalBlocker blocker(m_ui->comboIPCType);
        for (const CameraInfo &camera : std::as_const(m_cameras)) {
            m_ui->comboIPCType->addItem(camera.name());
        }
    }
    ChangeIPCType(0);
    BitrateChanged(m_ui->editBitrate->value());
}

CAdvacedFunc::~CAdvacedFunc() = default;

void CAdvacedFunc::ChangeIPCType(int index)
{
    if (index < 0 || index >= m_cameras.size()) {
        return;
    }
    {
        const QSignalBlocker blocker(m_ui->comboResolution);
        m_ui->comboResolution->clear();
        for (const ResolutionInfo &resolution : m_cameras[index].resolutions) {
            if (resolution.width >= 0) {
                m_ui->comboResolution->addItem(
                    QString::asprintf("%d*%d", resolution.width, resolution.height));
            } else {
                m_ui->comboResolution->addItem(tr("Analog"));
            }
        }
    }
    Recompute();
}

void CAdvacedFunc::ObjectDistanceChange(int)
{
    Recompute();
}

void CAdvacedFunc::ObjectWidthChange(int)
{
    Recompute();
}

void CAdvacedFunc::ResolutionChange(int)
{
    Recompute();
}

void CAdvacedFunc::Recompute()
{
    const QString model = m_ui->comboIPCType->currentText();
    const int resolution = m_ui->comboResolution->currentIndex();
    if (resolution < 0) {
        return;
    }
    const CameraInfo *camera = nullptr;
    for (const CameraInfo &candidate : std::as_const(m_cameras)) {
        if (candidate.name() == model) {
            camera = &candidate;
            break;
        }
    }
    if (camera == nullptr) {
        return;
    }
    if (resolution < camera->resolutions.size()) {
        m_targetWidth = camera->resolutions[resolution].targetWidth;
        m_targetHeight = camera->resolutions[resolution].targetHeight;
    }
    m_recommendedLensModels = camera->recommendedLensModels;
    m_objectDistance = m_ui->spinObjectDistance->value();
    m_objectWidth = m_ui->spinObjectWidth->value();

    const double focal = LensMath::focalLength(m_targetWidth, m_objectDistance, m_objectWidth);
    const double before = m_ui->editCameraFocus->value();
    m_ui->editCameraFocus->setValue(focal);
    // Another camera with the same sensor gives the same focal length but
    // other lenses and angles: refresh even when the box did not change.
    if (m_ui->editCameraFocus->value() == before) {
        FocusLengthChange(before);
    }
}

void CAdvacedFunc::FocusLengthChange(double focal)
{
    m_ui->comboLensInfo->clear();
    m_focalLength = float(focal);

    const QList<int> recommended
        = LensMath::recommendLenses(focal, m_recommendedLensModels, m_lenses);
    m_ui->labelRecommendNum->setText(QStringLiteral("(%1)").arg(recommended.size()));
    const QString interfaceWord = tr(" Interface");
    for (int index : recommended) {
        m_ui->comboLensInfo->addItem(LensMath::lensItemText(m_lenses[index], interfaceWord));
    }

    m_verticalAngle = LensMath::viewAngle(m_targetHeight, focal);
    m_horizontalAngle = LensMath::viewAngle(m_targetWidth, focal);
    if (m_verticalAngle > 0 && m_objectDistance > 0 && m_objectWidth > 0) {
        m_ui->frameHorizontal->SetViewAngle(m_horizontalAngle);
        m_ui->frameVertical->SetLens(m_verticalAngle, m_objectDistance, m_objectWidth);
    }
}

void CAdvacedFunc::ProPortionChanged(
    float objectHeight, float nearHeight, float farHeight, float farDepth)
{
    const auto show = [](QLabel *label, std::optional<double> value) {
        // A view that never reaches the object gives no proportion.
        label->setText(
            value ? QString::asprintf("%.1f", *value) + QLatin1Char('%') : QStringLiteral("-"));
    };
    show(m_ui->labelNearObj, LensMath::percentage(objectHeight, nearHeight));
    show(m_ui->labelFarObject, LensMath::percentage(objectHeight, double(farHeight) + farDepth));
}

void CAdvacedFunc::CameraBracketChanged(
    float cameraHeight, float verticalAngle, float detectionStart)
{
    const std::optional<int> tilt
        = LensMath::bracketTilt(cameraHeight, verticalAngle, detectionStart);
    m_ui->labelBracket->setText(
        tilt ? QString::number(*tilt) + QChar(0x00B0) : QStringLiteral("-"));
}

void CAdvacedFunc::BitrateChanged(int kbps)
{
    m_ui->editBandwidth->setText(QString::number(LensMath::bandwidthMbps(kbps), 'f', 2));
    showStorage();
}

void CAdvacedFunc::RecordDayChanged(int)
{
    showStorage();
}

void CAdvacedFunc::RecordHourChanged(int)
{
    showStorage();
}

void CAdvacedFunc::showStorage()
{
    m_ui->editSpace->setText(QString::number(LensMath::storageGigabytes(m_ui->editBitrate->value(),
                                                 m_ui->spinHour->value(), m_ui->spinDay->value()),
        'f', 2));
}
