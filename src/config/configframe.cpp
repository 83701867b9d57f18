#include "configframe.h"

#include "ui_configframe.h"

// Interim: the frame's logic lands together with its pages.
CConfigFrame::CConfigFrame(QWidget *parent)
    : QFrame(parent), ui(std::make_unique<Ui::CConfigFrameClass>())
{
    ui->setupUi(this);
}

CConfigFrame::~CConfigFrame() = default;

void CConfigFrame::SetDevice(int, const DEVICEINFO &) { }
bool CConfigFrame::IsSameDevice(const char *) const { return false; }
void CConfigFrame::Preshow() { }
void CConfigFrame::Channelshow() { }
void CConfigFrame::Netshow() { }
void CConfigFrame::PTZshow() { }
void CConfigFrame::ShowConfig() { }
void CConfigFrame::SaveMould() { }
void CConfigFrame::SetHardDecode(bool) { }
void CConfigFrame::RebootDevice() { }
void CConfigFrame::RestoreConfig() { }
void CConfigFrame::showInformation(const QString &, const QString &) { }
bool CConfigFrame::askWarning(const QString &, const QString &, const QString &) { return false; }
QString CConfigFrame::askTempletFileName() { return {}; }
