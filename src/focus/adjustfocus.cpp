#include "adjustfocus.h"

#include "ui_adjustfocus.h"

#include "debuglog.h"
#include "fixedtext.h"
#include "paintarea.h"
#include "realplay.h"
#include "tervixservices.h"

#include <QMessageBox>

namespace {
// The camera's first (and for an IP camera only) video channel.
constexpr int CameraChannel = 1;
}

CAdjustFocus::CAdjustFocus(QWidget *parent)
    : QFrame(parent),
      ui(std::make_unique<Ui::AdjustFocusForm>()),
      m_realPlay(std::make_unique<CRealPlay>([](const QString &line) {
          if (TervixServices *services = tervixServices()) {
              services->Log(line);
          }
      }))
{
    ui->setupUi(this);
    ui->startRealplayButton->setEnabled(false);
    ui->stopRealplayButton->hide();
    ui->startAdjustFocusButton->setEnabled(false);
    ui->beginButton->setEnabled(false);
    ui->stopAdjustFocusButton->setEnabled(false);
    m_realPlay->SetDisplaySize(DisplayWidth, DisplayHeight);

    connect(ui->startRealplayButton, &QPushButton::clicked, this, &CAdjustFocus::startRealplay);
    connect(ui->stopRealplayButton, &QPushButton::clicked, this, &CAdjustFocus::stopRealplay);
    connect(
        ui->startAdjustFocusButton, &QPushButton::clicked, this, &CAdjustFocus::startAdjustFocus);
    connect(ui->stopAdjustFocusButton, &QPushButton::clicked, this, &CAdjustFocus::stopAdjustFocus);
    connect(ui->beginButton, &QPushButton::clicked, this, &CAdjustFocus::BeginTuningEvent);
    ui->widget_6->SetRealPlay(m_realPlay.get());
}

// The preview stops (and with it every frame callback) before the curve
// widget it writes to goes with the form.
CAdjustFocus::~CAdjustFocus()
{
    m_realPlay.reset();
}

CPaintArea *CAdjustFocus::paintArea() const
{
    return ui->Adjustframe;
}

void CAdjustFocus::SetDevice(int slot, const DEVICEINFO &record)
{
    m_iDevIndex = slot;
    m_struDeviceInfo = record;
    if (!m_bRealPlaying) {
        enterStoppedState();
        return;
    }
    const bool adjusting = ui->stopAdjustFocusButton->isEnabled();
    stopRealplay();
    startRealplay();
    if (adjusting) {
        ui->stopAdjustFocusButton->setEnabled(false);
        ui->beginButton->setEnabled(false);
    }
}

bool CAdjustFocus::IsSameDevice(const char *serial) const
{
    return serial != nullptr && m_iDevIndex != -1
        && FixedText::read(m_struDeviceInfo.szSerialNo)
        == FixedText::read(serial, qsizetype(sizeof m_struDeviceInfo.szSerialNo));
}

void CAdjustFocus::startRealplay()
{
    TervixServices *services = tervixServices();
    bool started = false;
    if (services != nullptr && services->isBNCChecked()) {
        started = m_realPlay->StartBNCPreview(ui->Realplayframe->presenterHandle());
    } else if (m_iDevIndex != -1) {
        // A device found by the IP-range search brings its own credentials.
        const bool own = m_struDeviceInfo.dwSource == 1 || services == nullptr;
        const QByteArray userName = own ? FixedText::read(m_struDeviceInfo.szUserName)
                                        : QByteArray(services->defaultUserName());
        const QByteArray password = own ? FixedText::read(m_struDeviceInfo.szPassword)
                                        : QByteArray(services->defaultPassword());
        const QByteArray address = FixedText::read(m_struDeviceInfo.szIPAddress);
        m_realPlay->SetHardDecode(services != nullptr && services->isMDCardChecked());
        started = m_realPlay->StartRealPlay(address.constData(), m_struDeviceInfo.wPort,
            userName.constData(), password.constData(), CameraChannel,
            ui->Realplayframe->presenterHandle());
    } else {
        return;
    }
    if (!started) {
        qCDebug(lcFocus, "focus preview of %s did not start", m_struDeviceInfo.szIPAddress);
        showInformation(tr("Failed!"), tr("Failed to start preview!"));
        log(tr("Failed to start preview!"));
        return;
    }
    enterRunningState();
    emit RealPlayStatChange(true);
}

void CAdjustFocus::stopRealplay()
{
    if (!m_bRealPlaying) {
        return;
    }
    m_realPlay->StopRealPlay();
    ui->Realplayframe->clearPicture();
    ui->Realplayframe->update();
    enterStoppedState();
    emit RealPlayStatChange(false);
}

void CAdjustFocus::enterRunningState()
{
    m_bRealPlaying = true;
    if (TervixServices *services = tervixServices()) {
        services->setFocusPreviewRunning(true);
    }
    ui->startRealplayButton->hide();
    ui->stopRealplayButton->show();
    ui->startAdjustFocusButton->setEnabled(true);
}

void CAdjustFocus::enterStoppedState()
{
    stopAdjustFocus();
    if (TervixServices *services = tervixServices()) {
        services->setFocusPreviewRunning(false);
    }
    m_bRealPlaying = false;
    ui->stopRealplayButton->hide();
    ui->startRealplayButton->setEnabled(true);
    ui->startRealplayButton->show();
    ui->startAdjustFocusButton->setEnabled(false);
}

void CAdjustFocus::startAdjustFocus()
{
    m_realPlay->SetFrameCallback(&CPaintArea::focusFrameCallback, ui->Adjustframe);
    const unsigned frameRate = m_realPlay->GetFrameRate();
    qCDebug(lcFocus, "sampling at %u pictures a second", frameRate);
    ui->Adjustframe->startSampling(frameRate);
    ui->startAdjustFocusButton->setEnabled(false);
    ui->stopAdjustFocusButton->setEnabled(true);
    ui->beginButton->setEnabled(true);
    log(tr("Start Auxiliary Zoom!"));
}

void CAdjustFocus::BeginTuningEvent()
{
    ui->beginButton->setEnabled(false);
    ui->Adjustframe->beginTuning();
    log(tr("Start Fine-tuning!"));
}

void CAdjustFocus::stopAdjustFocus()
{
    if (!ui->stopAdjustFocusButton->isEnabled()) {
        return;
    }
    // The frame callback stays: the curve keeps the live values, drawing
    // none while stopped.
    ui->Adjustframe->stop();
    ui->startAdjustFocusButton->setEnabled(true);
    ui->stopAdjustFocusButton->setEnabled(false);
    ui->beginButton->setEnabled(false);
    log(tr("Stop Auxiliary Zoom!"));
}

void CAdjustFocus::RealplayEndEvent()
{ }

void CAdjustFocus::AdjustFocusStartEvent()
{ }

void CAdjustFocus::AdjustFocusStopEvent()
{ }

void CAdjustFocus::SetHardDecode(bool)
{ }

void CAdjustFocus::showEvent(QShowEvent *)
{ }

void CAdjustFocus::BNCPreviewEnable(bool on)
{
    if (on) {
        ui->startRealplayButton->setEnabled(true);
    } else if (m_iDevIndex == -1) {
        ui->startRealplayButton->setEnabled(false);
    }
}

void CAdjustFocus::showInformation(const QString &title, const QString &text)
{
    QMessageBox::information(this, title, text, QMessageBox::Ok);
}

void CAdjustFocus::log(const QString &text) const
{
    if (TervixServices *services = tervixServices()) {
        services->Log(text);
    }
}
