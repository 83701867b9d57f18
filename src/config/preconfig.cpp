#include "preconfig.h"

#include "ui_preconfig.h"

#include "debuglog.h"
#include "devicesdk.h"
#include "pagewidgets.h"
#include "playwindow.h"
#include "realplay.h"
#include "solvane.h"
#include "tervixservices.h"

#include <QMessageBox>
#include <QSignalBlocker>

#include <algorithm>

namespace {

constexpr qint32 CameraChannel = 1;
constexpr int AutoDayNightIndex = 2;

// Positions a slider without reporting the value: showing a record must not
// send it back to the device.
void placeSlider(QSlider *slider, int value)
{
    const QSignalBlocker blocker(slider);
    slider->setValue(value);
}

} // namespace

using PageWidgets::logLine;
using PageWidgets::overlayIndex;
using PageWidgets::showIndex;

CPreConfig::CPreConfig(QWidget *parent)
    : QWidget(parent),
      ui(std::make_unique<Ui::CPreConfigClass>()),
      m_realPlay(std::make_unique<CRealPlay>(&logLine))
{
    ui->setupUi(this);
    ui->framePlayWindow->SetRealPlay(m_realPlay.get());
    // The decoder card's display area, in its own units.
    m_realPlay->SetDisplaySize(20000, 10000);

    const std::array<std::pair<QSlider *, QSpinBox *>, 4> pictureLevels { {
        { ui->BrightnessLevelSlider, ui->BrightnessLevelspinBox },
        { ui->ContrastLevelSlider, ui->ContrastLevelspinBox },
        { ui->SharpnessLevelSlider, ui->SharpnessLevelspinBox },
        { ui->SaturationLevelSlider, ui->SaturationLevelspinBox },
    } };
    for (const auto &[slider, spinBox] : pictureLevels) {
        connect(slider, &QSlider::valueChanged, spinBox, &QSpinBox::setValue);
        // The sliders report only on release; the number follows the handle meanwhile.
        connect(slider, &QSlider::sliderMoved, spinBox, &QSpinBox::setValue);
    }
    connect(ui->startRealplayButton, &QPushButton::clicked, this, &CPreConfig::startRealplay);
    connect(ui->stopRealplayButton, &QPushButton::clicked, this, &CPreConfig::stopRealplay);
    connect(ui->SaveButton, &QPushButton::clicked, this, &CPreConfig::SaveDevConfig);
    connect(ui->DayOrNightcomboBox, &QComboBox::currentIndexChanged, this,
        &CPreConfig::DayOrNightChange);

    setPageEnabled(false);
}

CPreConfig::~CPreConfig() = default;

bool CPreConfig::isTempletChecked() const
{
    return ui->PrecheckBox->isChecked();
}

void CPreConfig::LoadConfig(int userId)
{
    m_userId = userId;
    const bool restartPreview = m_previewRunning;
    if (restartPreview) {
        stopRealplay();
    }
    if (userId < 0) {
        setPageEnabled(false);
        return;
    }

    FrontCfg record;
    if (!readRecord(userId, record, CameraChannel)) {
        qCDebug(lcConfig, "Get device preconfig information failed! \nThe LastError: %d",
            int(SOLV_GetLastError()));
        logLine(tr("Failed to get camera parameters!"));
        setPageEnabled(false);
        return;
    }

    setPageEnabled(true);
    m_liveCfg = record;
    m_saveCfg = record;
    // Bounds of an earlier device must not outlive it.
    m_ability = QDomDocument();
    const AbilityText ability = readAbility(userId, SOLV_ABILITY_CAMERA);
    if (ability.ok) {
        m_ability.setContent(ability.text);
    }
    showRecord(record);
    if (restartPreview) {
        startRealplay();
    }
}

void CPreConfig::showRecord(const FrontCfg &record)
{
    placeSlider(ui->BrightnessLevelSlider, record.brightness());
    placeSlider(ui->ContrastLevelSlider, record.contrast());
    placeSlider(ui->SharpnessLevelSlider, record.sharpness());
    placeSlider(ui->SaturationLevelSlider, record.saturation());
    ui->BrightnessLevelspinBox->setValue(ui->BrightnessLevelSlider->value());
    ui->ContrastLevelspinBox->setValue(ui->ContrastLevelSlider->value());
    ui->SharpnessLevelspinBox->setValue(ui->SharpnessLevelSlider->value());
    ui->SaturationLevelspinBox->setValue(ui->SaturationLevelSlider->value());

    showIndex(ui->DayOrNightcomboBox, record.dayNightFilterType());
    showIndex(ui->IrisModecomboBox, record.irisMode());
    showIndex(ui->ExposureModecomboBox, record.exposureMode());
    ui->VideoExposureSetspinBox->setValue(int(
        std::min<quint32>(record.exposureTime(), quint32(ui->VideoExposureSetspinBox->maximum()))));
    ui->GainLevelSlider->setValue(record.gain());
    ui->DayToNightFilterLevelSlider->setValue(record.dayToNightSensitivity());
    ui->NightToDayFilterLevelSlider->setValue(record.nightToDaySensitivity());
    ui->DayNightFilterTimespinBox->setValue(record.dayNightFilterTime());

    const auto output
        = std::find(localOutputValues.begin(), localOutputValues.end(), record.localOutput());
    if (output != localOutputValues.end()) {
        ui->LocalOutputGatecomboBox->setCurrentIndex(int(output - localOutputValues.begin()));
    }
}

void CPreConfig::setPageEnabled(bool enabled)
{
    for (QMetaObject::Connection &connection : m_sliderConnections) {
        disconnect(connection);
    }
    if (enabled) {
        m_sliderConnections = {
            connect(ui->BrightnessLevelSlider, &QSlider::valueChanged, this,
                &CPreConfig::SetBrightnessLevel),
            connect(ui->ContrastLevelSlider, &QSlider::valueChanged, this,
                &CPreConfig::SetContrastLevel),
            connect(ui->SharpnessLevelSlider, &QSlider::valueChanged, this,
                &CPreConfig::SetSharpnessLevel),
            connect(ui->SaturationLevelSlider, &QSlider::valueChanged, this,
                &CPreConfig::SetSaturationLevel),
        };
    }
    ui->VideoCfggroupBox->setEnabled(enabled);
    ui->CfggroupBox->setEnabled(enabled);
    ui->PrecheckBox->setEnabled(enabled);
    // The encoder card's input is previewed without a login.
    ui->RealPlaygroupBox->setEnabled(enabled || m_bncPreview);
}

void CPreConfig::startRealplay()
{
    if (m_previewRunning) {
        return;
    }
    TervixServices *services = tervixServices();
    const quintptr window = ui->framePlayWindow->presenterHandle();
    if (services == nullptr || !services->isBNCChecked()) {
        m_realPlay->SetHardDecode(services != nullptr && services->isMDCardChecked());
        if (!m_realPlay->RealPlay(m_userId, CameraChannel, window)) {
            showInformation(tr("Failed"), tr("Failed to start preview"));
            logLine(tr("Failed to start preview"));
            return;
        }
    } else if (!m_realPlay->StartBNCPreview(window)) {
        showInformation(tr("Failed!"), tr("Failed to start preview!"));
        logLine(tr("Failed to start preview!"));
        return;
    }
    ui->startRealplayButton->hide();
    ui->startRealplayButton->setEnabled(false);
    ui->stopRealplayButton->show();
    ui->stopRealplayButton->setEnabled(true);
    if (services != nullptr) {
        services->setCameraPreviewRunning(true);
    }
    m_previewRunning = true;
    emit RealPlayStatChange(true);
}

void CPreConfig::stopRealplay()
{
    if (!m_previewRunning) {
        return;
    }
    if (TervixServices *services = tervixServices()) {
        services->setCameraPreviewRunning(false);
    }
    m_realPlay->StopRealPlay();
    ui->framePlayWindow->clearPicture();
    ui->Realplaywidget->update();
    ui->stopRealplayButton->hide();
    ui->stopRealplayButton->setEnabled(false);
    ui->startRealplayButton->show();
    ui->startRealplayButton->setEnabled(true);
    m_previewRunning = false;
    emit RealPlayStatChange(false);
}

void CPreConfig::sendLiveCopy(
    const char *field, const QString &failureLog, const QString &successLog)
{
    // On failure the value stays in the live copy, so the next send carries it again.
    if (!writeRecord(m_userId, m_liveCfg, CameraChannel)) {
        qCDebug(
            lcConfig, "Set device %s failed! \nThe LastError: %d", field, int(SOLV_GetLastError()));
        logLine(failureLog);
        return;
    }
    logLine(successLog);
}

void CPreConfig::SetBrightnessLevel(int level)
{
    m_liveCfg.setBrightness(quint8(level));
    sendLiveCopy(
        "BrightnessLevel", tr("Failed to set lighteness!"), tr("Succeed to set lighteness!"));
}

void CPreConfig::SetSharpnessLevel(int level)
{
    m_liveCfg.setSharpness(quint8(level));
    sendLiveCopy("SharpnessLevel", tr("Failed to set sharpness!"), tr("Succeed to set sharpness!"));
}

void CPreConfig::SetSaturationLevel(int level)
{
    m_liveCfg.setSaturation(quint8(level));
    sendLiveCopy(
        "SaturationLevel", tr("Failed to set saturation!"), tr("Succeed to set saturation!"));
}

void CPreConfig::SetContrastLevel(int level)
{
    m_liveCfg.setContrast(quint8(level));
    sendLiveCopy("ContrastLevel", tr("Failed to set contrast!"), tr("Succeed to set contrast!"));
}

bool CPreConfig::exposureBounds(int *min, int *max) const
{
    const QDomElement root = m_ability.documentElement();
    if (root.tagName() != QLatin1String("CAMERAPARA")) {
        return false;
    }
    const QDomElement userSet = root.firstChildElement(QStringLiteral("Exposure"))
                                    .firstChildElement(QStringLiteral("exposureUSERSET"));
    bool minOk = false;
    bool maxOk = false;
    *min = userSet.firstChildElement(QStringLiteral("Min")).text().trimmed().toInt(&minOk, 10);
    *max = userSet.firstChildElement(QStringLiteral("Max")).text().trimmed().toInt(&maxOk, 10);
    return minOk && maxOk;
}

bool CPreConfig::SetDevConfig(bool check)
{
    int min = 0;
    int max = 0;
    if (check && exposureBounds(&min, &max)) {
        const int exposure = ui->VideoExposureSetspinBox->value();
        if (exposure < min || exposure > max) {
            showInformation(tr("Error"),
                tr("The range of video exposure time is ")
                    + QStringLiteral("(%1-%2)").arg(min).arg(max));
            return false;
        }
    }

    m_saveCfg = m_liveCfg;
    FrontCfg &record = m_saveCfg;
    overlayIndex(ui->DayOrNightcomboBox, [&](int v) { record.setDayNightFilterType(quint8(v)); });
    overlayIndex(ui->IrisModecomboBox, [&](int v) { record.setIrisMode(quint8(v)); });
    overlayIndex(ui->ExposureModecomboBox, [&](int v) { record.setExposureMode(quint8(v)); });
    record.setExposureTime(quint32(ui->VideoExposureSetspinBox->value()));
    record.setGain(quint8(ui->GainLevelSlider->value()));
    record.setDayToNightSensitivity(quint8(ui->DayToNightFilterLevelSlider->value()));
    record.setNightToDaySensitivity(quint8(ui->NightToDayFilterLevelSlider->value()));
    record.setDayNightFilterTime(quint8(ui->DayNightFilterTimespinBox->value()));
    const int output = ui->LocalOutputGatecomboBox->currentIndex();
    if (output >= 0 && output < int(localOutputValues.size())) {
        record.setLocalOutput(localOutputValues[size_t(output)]);
    }
    return true;
}

void CPreConfig::SaveDevConfig()
{
    if (!SetDevConfig(true)) {
        return;
    }
    if (!writeRecord(m_userId, m_saveCfg, CameraChannel)) {
        qCDebug(lcConfig, "Save device CCDPARAMCFG failed! The LastError: %d",
            int(SOLV_GetLastError()));
        logLine(tr("Failed to save camera parameters!"));
        return;
    }
    m_liveCfg = m_saveCfg;
    logLine(tr("Succeed to save camera parameters!"));
}

void CPreConfig::BNCPreviewEnable(bool on)
{
    m_bncPreview = on;
    if (on) {
        ui->RealPlaygroupBox->setEnabled(true);
        ui->startRealplayButton->setEnabled(true);
        return;
    }
    // Without a login the picture settings go with the card input.
    if (m_userId < 0) {
        ui->VideoCfggroupBox->setEnabled(false);
    }
}

void CPreConfig::DayOrNightChange(int index)
{
    const bool manualGain = index != AutoDayNightIndex;
    ui->Gainlabel->setEnabled(manualGain);
    ui->GainLevelSlider->setEnabled(manualGain);
}

void CPreConfig::showInformation(const QString &title, const QString &text)
{
    QMessageBox::information(this, title, text, QMessageBox::Ok);
}
