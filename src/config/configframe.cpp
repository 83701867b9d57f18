#include "configframe.h"

#include "ui_configframe.h"

#include "channelconfig.h"
#include "debuglog.h"
#include "devicecontext.h"
#include "fixedtext.h"
#include "netconfig.h"
#include "preconfig.h"
#include "ptzconfig.h"
#include "templetfile.h"
#include "tervixservices.h"

#include "solvane.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

CConfigFrame::CConfigFrame(QWidget *parent)
    : QFrame(parent), ui(std::make_unique<Ui::CConfigFrameClass>())
{
    ui->setupUi(this);
    m_preConfig = new CPreConfig(this);
    m_preConfig->setObjectName(QStringLiteral("Prewidget"));
    m_channelConfig = new CChannelconfig(this);
    m_channelConfig->setObjectName(QStringLiteral("Channelwidget"));
    m_netConfig = new CNetconfig(this);
    m_netConfig->setObjectName(QStringLiteral("Netwidget"));
    m_ptzConfig = new CPTZconfig(this);
    m_ptzConfig->setObjectName(QStringLiteral("PTZwidget"));
    for (QWidget *page : { static_cast<QWidget *>(m_preConfig),
             static_cast<QWidget *>(m_channelConfig), static_cast<QWidget *>(m_netConfig),
             static_cast<QWidget *>(m_ptzConfig) }) {
        ui->PageLayout->addWidget(page);
    }

    connect(ui->PreButton, &QPushButton::clicked, this, &CConfigFrame::Preshow);
    connect(ui->ChannelButton, &QPushButton::clicked, this, &CConfigFrame::Channelshow);
    connect(ui->NetButton, &QPushButton::clicked, this, &CConfigFrame::Netshow);
    connect(ui->PTZButton, &QPushButton::clicked, this, &CConfigFrame::PTZshow);
    connect(ui->SavepushButton, &QPushButton::clicked, this, &CConfigFrame::SaveMould);
    connect(ui->RebootButton, &QPushButton::clicked, this, &CConfigFrame::RebootDevice);
    connect(ui->RestoreButton, &QPushButton::clicked, this, &CConfigFrame::RestoreConfig);

    m_shownPage = CameraPage;
    m_channelConfig->hide();
    m_netConfig->hide();
    m_ptzConfig->hide();
}

CConfigFrame::~CConfigFrame() = default;

void CConfigFrame::SetDevice(int slot, const DEVICEINFO &record)
{
    m_iDevIndex = slot;
    m_struDeviceInfo = record;
    ShowConfig();
}

bool CConfigFrame::IsSameDevice(const char *serial) const
{
    return serial != nullptr && m_iDevIndex >= 0
        && FixedText::read(m_struDeviceInfo.szSerialNo)
        == QByteArray(serial, qsizetype(strnlen(serial, sizeof m_struDeviceInfo.szSerialNo)));
}

void CConfigFrame::Preshow()
{
    showPage(CameraPage);
}

void CConfigFrame::Channelshow()
{
    showPage(ChannelPage);
}

void CConfigFrame::Netshow()
{
    showPage(NetworkPage);
}

void CConfigFrame::PTZshow()
{
    showPage(PtzPage);
}

void CConfigFrame::showPage(Page page)
{
    m_shownPage = page;
    m_preConfig->setVisible(page == CameraPage);
    m_channelConfig->setVisible(page == ChannelPage);
    m_netConfig->setVisible(page == NetworkPage);
    m_ptzConfig->setVisible(page == PtzPage);
    loadShownPage();
}

void CConfigFrame::loadShownPage()
{
    const qint32 id = userId();
    switch (m_shownPage) {
    case CameraPage:
        m_preConfig->LoadConfig(id);
        break;
    case ChannelPage:
        m_channelConfig->LoadConfig(id);
        break;
    case NetworkPage:
        m_netConfig->LoadConfig(id);
        break;
    case PtzPage:
        m_ptzConfig->LoadConfig(id);
        break;
    }
}

void CConfigFrame::ShowConfig()
{
    m_login.reset(); // logs out
    TervixServices *services = tervixServices();
    if (services != nullptr && services->tables() != nullptr
        && services->tables()->isConfigTableWide()) {
        return;
    }
    m_iLoginDevIndex = m_iDevIndex;
    DeviceContext context;
    if (services != nullptr) {
        context.defaults
            = { QByteArray(services->defaultUserName()), QByteArray(services->defaultPassword()) };
    }
    const DeviceCredentials credentials = context.credentialsFor(m_struDeviceInfo);
    const QByteArray address = FixedText::read(m_struDeviceInfo.szIPAddress);
    m_login = std::make_unique<SdkLogin>(
        address, m_struDeviceInfo.wPort, credentials.userName, credentials.password);
    if (!m_login->ok()) {
        qCDebug(lcConfig, "Login failed! Error:%d", int(m_login->error()));
        log(tr("Login to ") + QString::fromLatin1(address) + tr(" failed!"));
        m_login.reset();
    }
    // A failed login still shows the page, disabled.
    loadShownPage();
}

bool CConfigFrame::anyTempletSectionTicked() const
{
    return m_preConfig->isTempletChecked() || m_channelConfig->isPicTempletChecked()
        || m_channelConfig->isCompressionTempletChecked()
        || m_channelConfig->isRecordTempletChecked() || m_netConfig->isDdnsTempletChecked()
        || m_netConfig->isNfsTempletChecked() || m_netConfig->isNtpTempletChecked()
        || m_netConfig->isEmailTempletChecked() || m_ptzConfig->isTempletChecked();
}

void CConfigFrame::SaveMould()
{
    if (userId() < 0) {
        return;
    }
    if (!anyTempletSectionTicked()) {
        m_templetTicked = false;
        showInformation(tr("Error!"), tr("Please select templets to save!"));
        return;
    }
    m_templetTicked = true;
    const QString fileName = askTempletFileName();
    if (!fileName.isEmpty() && writeTemplet(fileName)) {
        showInformation(tr("Succeed"), tr("Succeed to save templet!"));
        log(tr("Succeed to save templet!"));
        return;
    }
    if (m_templetTicked) {
        log(tr("Failed to save templet!"));
    }
}

bool CConfigFrame::writeTemplet(const QString &fileName)
{
    CTempletWriter writer;
    if (!writer.OpenTemplate(fileName)) {
        log(tr("Failed to open templet!"));
        qCDebug(lcConfig, "OpenTemplate failed!");
        return false;
    }
    // Each page first copies its widgets into its record; nothing is checked
    // on this path.
    if (m_preConfig->isTempletChecked()) {
        m_preConfig->SetDevConfig(false);
        writer.SetPreParam(m_preConfig->saveCopy());
    }
    if (m_channelConfig->isCompressionTempletChecked()) {
        m_channelConfig->GetCompressionFromUi();
        writer.SetCompressionParam(m_channelConfig->compressCfg());
    }
    if (m_channelConfig->isPicTempletChecked()) {
        m_channelConfig->GetPicFromUi();
        writer.SetPicParam(m_channelConfig->picCfg());
    }
    if (m_channelConfig->isRecordTempletChecked()) {
        m_channelConfig->GetRecordFromUi(false);
        writer.SetRECParam(m_channelConfig->recordCfg());
    }
    if (m_netConfig->isDdnsTempletChecked()) {
        m_netConfig->GetDDNSFromUi();
        writer.SetDDNSParam(m_netConfig->ddnsCfg());
    }
    if (m_netConfig->isNfsTempletChecked()) {
        m_netConfig->GetNFSFromUi();
        writer.SetNFSParam(m_netConfig->nfsCfg());
    }
    if (m_netConfig->isNtpTempletChecked()) {
        m_netConfig->GetNTPFromUi();
        writer.SetNTPParam(m_netConfig->ntpCfg());
    }
    if (m_netConfig->isEmailTempletChecked()) {
        m_netConfig->GetEmailFromUi(false);
        writer.SetEmailParam(m_netConfig->emailCfg());
    }
    if (m_ptzConfig->isTempletChecked()) {
        m_ptzConfig->GetPTZFromUi();
        writer.SetPTZParam(m_ptzConfig->decoderCfg());
    }
    // The old file, if any, stays until the whole new one is on disk.
    return writer.Close();
}

void CConfigFrame::SetHardDecode(bool)
{ }

void CConfigFrame::RebootDevice()
{
    if (userId() < 0) {
        return;
    }
    if (askWarning(tr("Reboot device?"), tr("OK"), tr("Cancel"))) {
        reboot();
    }
}

void CConfigFrame::RestoreConfig()
{
    if (userId() < 0) {
        return;
    }
    if (!askWarning(tr("Restore default settings?"), tr("OK"), tr("Cancel"))) {
        return;
    }
    if (SOLV_RestoreConfig(userId()) == 0) {
        log(tr("Failed to restore default settings!"));
        return;
    }
    log(tr("Succeed to restore default settings!"));
    if (askWarning(tr("Restore default settings successful, reboot to make all changes take "
                      "effect, reboot now?"),
            tr("Now"), tr("Later"))) {
        reboot();
    }
}

void CConfigFrame::reboot()
{
    log(SOLV_RebootDVR(userId()) != 0 ? tr("Succeed to reboot device!")
                                      : tr("Failed to reboot device!"));
}

void CConfigFrame::showInformation(const QString &title, const QString &text)
{
    QMessageBox::information(this, title, text, QMessageBox::Ok);
}

bool CConfigFrame::askWarning(const QString &text, const QString &yes, const QString &no)
{
    QMessageBox box(QMessageBox::Warning, tr("Warning"), text, QMessageBox::NoButton, this);
    QPushButton *yesButton = box.addButton(yes, QMessageBox::AcceptRole);
    box.addButton(no, QMessageBox::RejectRole);
    box.setDefaultButton(yesButton);
    box.exec();
    return box.clickedButton() == yesButton;
}

QString CConfigFrame::askTempletFileName()
{
    return QFileDialog::getSaveFileName(
        this, tr("Save templet"), QStringLiteral("."), tr("XML File (*.xml)"));
}

void CConfigFrame::log(const QString &text) const
{
    if (TervixServices *services = tervixServices()) {
        services->Log(text);
    }
}
