#pragma once

#include "pageinterfaces.h"
#include "records.h"

#include <QDomDocument>
#include <QMetaObject>
#include <QWidget>

#include <array>
#include <memory>

namespace Ui {
class CPreConfigClass;
}

class CRealPlay;

// The configuration frame's camera page: the picture sliders, applied to the
// device the moment one is released, and the day/night, iris, exposure, gain
// and local-output settings, applied with the save button; all of them live
// in the front-end record of channel 1; beside them, the live preview of the
// logged-in device.
class CPreConfig : public QWidget, public PreviewPageHooks
{
    Q_OBJECT

public:
    explicit CPreConfig(QWidget *parent = nullptr);
    ~CPreConfig() override;

    // Reads the device's front-end record and camera ability into the page;
    // -1 (no login) or a failed read leaves the page disabled.
    void LoadConfig(int userId);

    // The record the save button sends and the templet writes (after
    // SetDevConfig).
    const FrontCfg &saveCopy() const { return m_saveCfg; }
    bool isTempletChecked() const;
    bool isPreviewRunning() const { return m_previewRunning; }
    CRealPlay *realPlay() const { return m_realPlay.get(); }

    // Local output values in the order of the combo's items.
    static constexpr std::array<quint8, 12> localOutputValues
        = { 0, 1, 2, 20, 21, 22, 23, 24, 25, 26, 27, 28 };

signals:
    void RealPlayStatChange(bool running);

public slots:
    void startRealplay();
    // PreviewPageHooks: also what the main window calls when the page is left.
    void stopRealplay() override;
    void SetBrightnessLevel(int level);
    void SetSharpnessLevel(int level);
    void SetSaturationLevel(int level);
    void SetContrastLevel(int level);
    // Builds the save copy from the live copy and the widgets; with check,
    // first tests the video exposure against the camera's bounds and returns
    // false (nothing built) when it lies outside them.
    bool SetDevConfig(bool check = true);
    void SaveDevConfig();
    // The encoder card's analogue input can be previewed without a login.
    void BNCPreviewEnable(bool on);
    void DayOrNightChange(int index);

protected:
    // A modal box with one OK button; tests record it instead.
    virtual void showInformation(const QString &title, const QString &text);

private:
    void setPageEnabled(bool enabled);
    void showRecord(const FrontCfg &record);
    // Sends the live copy after a picture slider was released on a new value.
    void sendLiveCopy(const char *field, const QString &failureLog, const QString &successLog);
    // The video exposure bounds of the camera ability text; false without them.
    bool exposureBounds(int *min, int *max) const;

    std::unique_ptr<Ui::CPreConfigClass> ui;
    int m_userId = -1;
    FrontCfg m_liveCfg; // follows the device: the picture sliders write into it
    FrontCfg m_saveCfg; // assembled for the save button and the templet
    QDomDocument m_ability; // the camera ability text; empty when unreadable
    std::array<QMetaObject::Connection, 4> m_sliderConnections;
    std::unique_ptr<CRealPlay> m_realPlay;
    bool m_previewRunning = false;
    bool m_bncPreview = false;
};
