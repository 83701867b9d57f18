#include "netconfig.h"

#include "ui_netconfig.h"

#include "debuglog.h"
#include "devicesdk.h"
#include "pagewidgets.h"
#include "solvane.h"
#include "textbounds.h"

#include <QMessageBox>
#include <QSignalBlocker>

#include <array>

namespace {

// The four records are the device's own, but the page exchanges them on channel 1.
constexpr qint32 Channel = 1;

// Which fields of its entry a DDNS supplier's service uses.
struct DdnsFields
{
    bool serverAddress = false;
    bool userName = false;
    bool password = false;
    bool domainName = false;
    bool port = false;
};

// By server type, the supplier combo's index.
constexpr std::array<DdnsFields, 4> DdnsEnabling = { {
    { true, false, false, false, false }, // Orvelle DNS
    { true, true, true, true, true }, // Dyndns
    { false, true, true, true, false }, // PeanutHull
    { false, true, true, true, false }, // NO-IP
} };

constexpr int NameColumn = 0;
constexpr int AddressColumn = 1;

int lastError()
{
    return int(SOLV_GetLastError());
}

// Texts the device keeps in no stated encoding are Latin-1: one byte, one character.
QString fromLatin1(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes);
}

// A port typed as decimal text. A text that is no port number is written as
// 0, never as the low 16 bits of what was typed.
quint16 portFromText(const QString &text)
{
    bool ok = false;
    const uint value = text.toUInt(&ok);
    return ok && value <= 0xFFFF ? quint16(value) : quint16(0);
}

} // namespace

CNetconfig::CNetconfig(QWidget *parent)
    : QWidget(parent),
      ui(std::make_unique<Ui::CNetconfigClass>()),
      m_emailAddress(QStringLiteral(R"(^[\w-]+(\.[\w-]+)*@[\w-]+(\.[\w-]+)+$)"))
{
    ui->setupUi(this);
    ui->EmailtableWidget->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);

    connect(ui->DiskNumbercomboBox, &QComboBox::currentIndexChanged, this,
        &CNetconfig::NFSconfigChanged);
    connect(ui->SavepushButton, &QPushButton::clicked, this, &CNetconfig::SaveDevNetCfg);
    connect(ui->HostIndexcomboBox, &QComboBox::currentIndexChanged, this,
        &CNetconfig::DDNSServerTypeChange);
    // Ticking the group box enables its children; the supplier's table
    // decides which of its fields.
    connect(ui->DDNSgroupBox, &QGroupBox::toggled, this, &CNetconfig::applyDdnsEnabling);
    applyDdnsEnabling();

    // Nothing to show before a device is loaded.
    setEnabled(false);
}

CNetconfig::~CNetconfig() = default;

void CNetconfig::LoadConfig(int userId)
{
    m_userId = userId;
    if (userId < 0) {
        setEnabled(false);
        return;
    }
    setEnabled(true);

    // A failed read leaves its record all zeros, so showing it clears the section.
    m_ddnsRead = readRecord(userId, m_ddns, Channel);
    if (!m_ddnsRead) {
        qCDebug(lcConfig, "Failed to get DDNS parameters! Error:%d", lastError());
        PageWidgets::logLine(tr("Failed to get DDNS parameters!"));
    }
    showDdns();
    ui->DDNSframe->setEnabled(m_ddnsRead);

    m_ntpRead = readRecord(userId, m_ntp, Channel);
    if (!m_ntpRead) {
        qCDebug(lcConfig, "Failed to get NTP parameters! Error:%d", lastError());
        PageWidgets::logLine(tr("Failed to get NTP parameters!"));
    }
    showNtp();
    ui->NTPframe->setEnabled(m_ntpRead);

    m_nfsRead = readRecord(userId, m_nfs, Channel);
    if (!m_nfsRead) {
        qCDebug(lcConfig, "Failed to get NFS parameters! Error:%d", lastError());
        PageWidgets::logLine(tr("Failed to get NFS parameters!"));
    }
    showNfs();
    ui->NFSframe->setEnabled(m_nfsRead);

    m_emailRead = readRecord(userId, m_email, Channel);
    if (!m_emailRead) {
        qCDebug(lcConfig, "Failed to get Email parameters! Error:%d", lastError());
        PageWidgets::logLine(tr("Failed to get Email parameters!"));
    }
    showEmail();
    ui->Emailframe->setEnabled(m_emailRead);
}

void CNetconfig::showDdns()
{
    ui->DDNSgroupBox->setChecked(m_ddns.enabled() == 1);
    // The supplier and its entry are shown also while DDNS is off, so that
    // saving writes back the entry that was read, not what the widgets held
    // for another device.
    {
        const QSignalBlocker blocker(ui->HostIndexcomboBox);
        PageWidgets::showIndex(ui->HostIndexcomboBox, m_ddns.serverType());
    }
    DDNSServerTypeChange(ui->HostIndexcomboBox->currentIndex());
}

void CNetconfig::showNtp()
{
    ui->NTPgroupBox->setChecked(m_ntp.enabled() == 1);
    ui->NTPiplineEdit->setText(fromLatin1(m_ntp.server()));
    ui->NTPPortlineEdit->setText(m_ntpRead ? QString::number(m_ntp.port()) : QString());
}

void CNetconfig::showNfs()
{
    // Forgotten first: what the line edits hold belongs to the device shown before.
    m_nfsDisk = -1;
    {
        const QSignalBlocker blocker(ui->DiskNumbercomboBox);
        ui->DiskNumbercomboBox->setCurrentIndex(0);
    }
    NFSconfigChanged(0);
}

void CNetconfig::showEmail()
{
    ui->AccountlineEdit->setText(QString::fromLocal8Bit(m_email.account()));
    ui->EmailPasswordlineEdit->setText(fromLatin1(m_email.password()));
    ui->SenderNamelineEdit->setText(QString::fromLocal8Bit(m_email.senderName()));
    ui->SenderAddresslineEdit->setText(fromLatin1(m_email.senderAddress()));
    ui->SmtpServerlineEdit->setText(fromLatin1(m_email.smtpServer()));
    ui->SmtpPortspinBox->setValue(m_email.smtpPort());
    ui->Pop3ServerlineEdit->setText(fromLatin1(m_email.pop3Server()));
    for (int row = 0; row < EmailCfg::receiverCount; ++row) {
        ui->EmailtableWidget->setItem(row, NameColumn,
            new QTableWidgetItem(QString::fromLocal8Bit(m_email.receiverName(row))));
        ui->EmailtableWidget->setItem(
            row, AddressColumn, new QTableWidgetItem(fromLatin1(m_email.receiverAddress(row))));
    }
    ui->AttachmentcheckBox->setChecked(m_email.attachPicture() != 0);
    ui->SmtpServerVerifycheckBox->setChecked(m_email.smtpAuthentication() != 0);
    ui->EnableSSLcheckBox->setChecked(m_email.ssl() != 0);
    PageWidgets::showIndex(ui->comboInterval, m_email.mailInterval());
}

void CNetconfig::applyDdnsEnabling()
{
    const int type = ui->HostIndexcomboBox->currentIndex();
    const bool on = ui->DDNSgroupBox->isChecked();
    const DdnsFields fields
        = type >= 0 && type < int(DdnsEnabling.size()) ? DdnsEnabling[size_t(type)] : DdnsFields {};
    ui->ServerNamelineEdit->setEnabled(on && fields.serverAddress);
    ui->UsernamelineEdit->setEnabled(on && fields.userName);
    ui->PasswordlineEdit->setEnabled(on && fields.password);
    ui->DomainNamelineEdit->setEnabled(on && fields.domainName);
    ui->DDNSPortspinBox->setEnabled(on && fields.port);
}

void CNetconfig::DDNSServerTypeChange(int type)
{
    applyDdnsEnabling();
    // Only the suppliers of the combo have an entry here; for any other type
    // (none chosen) the accessors' entry -1 reads empty.
    const int entry = type >= 0 && type < ui->HostIndexcomboBox->count() ? type : -1;
    ui->UsernamelineEdit->setText(fromLatin1(m_ddns.userName(entry)));
    ui->ServerNamelineEdit->setText(fromLatin1(m_ddns.serverAddress(entry)));
    ui->PasswordlineEdit->setText(fromLatin1(m_ddns.password(entry)));
    ui->DomainNamelineEdit->setText(fromLatin1(m_ddns.domain(entry)));
    ui->DDNSPortspinBox->setValue(m_ddns.serverPort(entry));
}

void CNetconfig::NFSconfigChanged(int index)
{
    GetNFSFromUi();
    if (index < 0 || index >= NfsCfg::entryCount) {
        m_nfsDisk = -1;
        return;
    }
    ui->NfsHostIPAddrlineEdit->setText(fromLatin1(m_nfs.host(index)));
    ui->NfsDirectorylineEdit->setText(fromLatin1(m_nfs.directory(index)));
    m_nfsDisk = index;
}

void CNetconfig::GetDDNSFromUi()
{
    m_ddns.setEnabled(ui->DDNSgroupBox->isChecked() ? 1 : 0);
    const int type = ui->HostIndexcomboBox->currentIndex();
    if (type < 0) {
        // The record's server type is none of the suppliers: it and every
        // entry stay as read.
        return;
    }
    m_ddns.setServerType(quint8(type));
    m_ddns.setUserName(type, ui->UsernamelineEdit->text().toLatin1());
    m_ddns.setPassword(type, ui->PasswordlineEdit->text().toLatin1());
    m_ddns.setDomain(type, ui->DomainNamelineEdit->text().toLatin1());
    m_ddns.setServerAddress(type, ui->ServerNamelineEdit->text().toLatin1());
    m_ddns.setServerPort(type, quint16(ui->DDNSPortspinBox->value()));
}

void CNetconfig::GetNFSFromUi()
{
    if (m_nfsDisk < 0) {
        return;
    }
    m_nfs.setHost(m_nfsDisk, ui->NfsHostIPAddrlineEdit->text().toLatin1());
    m_nfs.setDirectory(m_nfsDisk, ui->NfsDirectorylineEdit->text().toLatin1());
}

void CNetconfig::GetNTPFromUi()
{
    m_ntp.setEnabled(ui->NTPgroupBox->isChecked() ? 1 : 0);
    m_ntp.setServer(ui->NTPiplineEdit->text().toLatin1());
    m_ntp.setPort(portFromText(ui->NTPPortlineEdit->text()));
}

bool CNetconfig::isEmailAddress(const QString &text) const
{
    return m_emailAddress.match(text).hasMatch();
}

bool CNetconfig::GetEmailFromUi(bool check)
{
    QTableWidget *table = ui->EmailtableWidget;
    if (check) {
        const QString sender = ui->SenderAddresslineEdit->text();
        if (!sender.isEmpty() && !isEmailAddress(sender)) {
            showInformation(tr("Error"), tr("Invalid email address!"));
            ui->SenderAddresslineEdit->setFocus();
            ui->SenderAddresslineEdit->selectAll();
            return false;
        }
        for (int row = 0; row < table->rowCount(); ++row) {
            const QTableWidgetItem *address = table->item(row, AddressColumn);
            if (address != nullptr && !address->text().isEmpty()
                && !isEmailAddress(address->text())) {
                showInformation(tr("Error"), tr("Invalid email address!"));
                table->setCurrentCell(row, AddressColumn);
                return false;
            }
        }
    }

    m_email.setAccount(BoundedLocal8Bit(ui->AccountlineEdit->text(), SOLV_EMAILCFG_ACCOUNT_LEN));
    m_email.setPassword(ui->EmailPasswordlineEdit->text().toLatin1());
    m_email.setSenderName(
        BoundedLocal8Bit(ui->SenderNamelineEdit->text(), SOLV_EMAILCFG_SENDER_NAME_LEN));
    m_email.setSenderAddress(ui->SenderAddresslineEdit->text().toLatin1());
    m_email.setSmtpServer(ui->SmtpServerlineEdit->text().toLatin1());
    m_email.setSmtpPort(quint16(ui->SmtpPortspinBox->value()));
    m_email.setPop3Server(ui->Pop3ServerlineEdit->text().toLatin1());
    for (int row = 0; row < std::min(table->rowCount(), EmailCfg::receiverCount); ++row) {
        if (const QTableWidgetItem *name = table->item(row, NameColumn)) {
            m_email.setReceiverName(
                row, BoundedLocal8Bit(name->text(), SOLV_EMAILCFG_RECEIVER_NAME_LEN));
        }
        if (const QTableWidgetItem *address = table->item(row, AddressColumn)) {
            m_email.setReceiverAddress(row, address->text().toLatin1());
        }
    }
    m_email.setAttachPicture(ui->AttachmentcheckBox->isChecked() ? 1 : 0);
    m_email.setSmtpAuthentication(ui->SmtpServerVerifycheckBox->isChecked() ? 1 : 0);
    m_email.setSsl(ui->EnableSSLcheckBox->isChecked() ? 1 : 0);
    PageWidgets::overlayIndex(
        ui->comboInterval, [this](int index) { m_email.setMailInterval(quint8(index)); });
    return true;
}

void CNetconfig::SaveDevNetCfg()
{
    if (m_userId < 0) {
        return;
    }
    // Each record on its own: one refused leaves the others to be written. A
    // record whose read failed holds zeros, not the device's values, and its
    // section is disabled: it is not written.
    if (m_ddnsRead) {
        GetDDNSFromUi();
        if (writeRecord(m_userId, m_ddns, Channel)) {
            PageWidgets::logLine(tr("Succeed to set DDNS parameters! (Effect after reboot)"));
        } else {
            qCDebug(lcConfig, "Set device DDNSCFG failed! Error: %d", lastError());
            PageWidgets::logLine(tr("Failed to set DDNS parameters!"));
        }
    }
    if (m_ntpRead) {
        GetNTPFromUi();
        if (writeRecord(m_userId, m_ntp, Channel)) {
            PageWidgets::logLine(tr("Succeed to set NTP parameters!"));
        } else {
            qCDebug(lcConfig, "Set device NTPCFG information failed! Error: %d", lastError());
            PageWidgets::logLine(tr("Failed to set NTP parameters!"));
        }
    }
    if (m_nfsRead) {
        GetNFSFromUi();
        if (writeRecord(m_userId, m_nfs, Channel)) {
            PageWidgets::logLine(tr("Succeed to set NFS parameters! (Effect after reboot)"));
        } else {
            qCDebug(lcConfig, "Set device NFSCFG information failed! Error: %d", lastError());
            PageWidgets::logLine(tr("Failed to set NFS parameters!"));
        }
    }
    if (m_emailRead && GetEmailFromUi(true)) {
        if (writeRecord(m_userId, m_email, Channel)) {
            PageWidgets::logLine(tr("Succeed to set Email parameters!"));
        } else {
            qCDebug(lcConfig, "Set device EMAILCFG information failed! Error: %d", lastError());
            PageWidgets::logLine(tr("Failed to set Email parameters!"));
        }
    }
}

bool CNetconfig::isDdnsTempletChecked() const
{
    return ui->DDNScheckBox->isChecked();
}

bool CNetconfig::isNfsTempletChecked() const
{
    return ui->NFScheckBox->isChecked();
}

bool CNetconfig::isNtpTempletChecked() const
{
    return ui->NTPcheckBox->isChecked();
}

bool CNetconfig::isEmailTempletChecked() const
{
    return ui->EmailcheckBox->isChecked();
}

void CNetconfig::showInformation(const QString &title, const QString &text)
{
    QMessageBox::information(this, title, text, QMessageBox::Ok);
}
