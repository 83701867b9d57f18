#pragma once

#include "deviceinfo.h"
#include "pageinterfaces.h"

#include <QFrame>

#include <memory>

namespace Ui {
class AdjustFocusForm;
}

class CPaintArea;
class CRealPlay;
class QShowEvent;

// The "Auxiliary Zoom" tab: the live picture of the device picked in the
// device table beside it (or of the encoder card's input), and the focus
// curve the installer turns the lens by. The states: no preview; preview;
// sampling ("Start Sampling": the user sweeps the focus from nearest to
// farthest); fine-tuning ("Start Fine-tuning": the curve freezes and the
// live line shows how close the lens is to the best seen). The page only
// measures and draws; the procedure text tells the user the rest.
class CAdjustFocus : public QFrame, public DevicePageHooks, public PreviewPageHooks
{
    Q_OBJECT

public:
    explicit CAdjustFocus(QWidget *parent = nullptr);
    ~CAdjustFocus() override;

    // DevicePageHooks: choosing another device restarts the preview on it
    // and ends any adjustment.
    void SetDevice(int slot, const DEVICEINFO &record) override;
    bool IsSameDevice(const char *serial) const override;

    bool isPreviewRunning() const { return m_bRealPlaying; }
    CRealPlay *realPlay() const { return m_realPlay.get(); }
    CPaintArea *paintArea() const;

    // The preview's display size on a decoder card.
    static constexpr int DisplayWidth = 20000;
    static constexpr int DisplayHeight = 10000;

public slots:
    void startRealplay();
    // Also PreviewPageHooks: the main window stops the preview here.
    void stopRealplay() override;
    void startAdjustFocus();
    void stopAdjustFocus();
    void RealplayEndEvent();
    void AdjustFocusStartEvent();
    void BeginTuningEvent();
    void AdjustFocusStopEvent();
    void SetHardDecode(bool on);
    void showEvent(QShowEvent *event) override;
    void BNCPreviewEnable(bool on);

signals:
    // A preview started or stopped; the main window counts running previews.
    void RealPlayStatChange(bool running);

protected:
    // The "Failed!" box; tests record it instead.
    virtual void showInformation(const QString &title, const QString &text);

private:
    void enterRunningState();
    void enterStoppedState();
    void log(const QString &text) const;

    std::unique_ptr<Ui::AdjustFocusForm> ui;
    int m_iDevIndex = -1; // slot in the device store; -1: none chosen
    DEVICEINFO m_struDeviceInfo {};
    bool m_bRealPlaying = false;
    std::unique_ptr<CRealPlay> m_realPlay;
};
