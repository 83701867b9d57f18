#pragma once

#include "records.h"

#include <QRegularExpression>
#include <QWidget>

#include <memory>

namespace Ui {
class CNetconfigClass;
}

// The "Network" page of the configuration frame: the device's DDNS, NTP,
// NFS disk and e-mail notification records, read when the page is loaded
// and written back, each on its own, by "Save Parameter".
class CNetconfig : public QWidget
{
    Q_OBJECT

public:
    explicit CNetconfig(QWidget *parent = nullptr);
    ~CNetconfig() override;

    // Reads the four records of the logged-in device into the page; -1 (no
    // login) disables the page.
    void LoadConfig(int userId);

    // Widgets into the records, for the save and for the templet.
    void GetDDNSFromUi();
    void GetNFSFromUi();
    void GetNTPFromUi();
    // With check, refuses (with a message, and the field in question given
    // the focus) an address that is not an e-mail address; the record is
    // then left as it was.
    bool GetEmailFromUi(bool check);

    const DdnsCfg &ddnsCfg() const { return m_ddns; }
    const NfsCfg &nfsCfg() const { return m_nfs; }
    const NtpCfg &ntpCfg() const { return m_ntp; }
    const EmailCfg &emailCfg() const { return m_email; }

    bool isDdnsTempletChecked() const;
    bool isNfsTempletChecked() const;
    bool isNtpTempletChecked() const;
    bool isEmailTempletChecked() const;

public slots:
    void NFSconfigChanged(int index);
    void SaveDevNetCfg();
    void DDNSServerTypeChange(int type);

protected:
    // A modal box with one OK button; tests record it instead.
    virtual void showInformation(const QString &title, const QString &text);

private:
    // Records into widgets.
    void showDdns();
    void showNtp();
    void showNfs();
    void showEmail();
    // Enables the fields that the chosen supplier's service uses, while the
    // DDNS group box is ticked.
    void applyDdnsEnabling();
    bool isEmailAddress(const QString &text) const;

    std::unique_ptr<Ui::CNetconfigClass> ui;
    int m_userId = -1;
    DdnsCfg m_ddns;
    NtpCfg m_ntp;
    NfsCfg m_nfs;
    EmailCfg m_email;
    // Whether each record was read from the device: one that was not is
    // never written back over the device's own.
    bool m_ddnsRead = false;
    bool m_ntpRead = false;
    bool m_nfsRead = false;
    bool m_emailRead = false;
    int m_nfsDisk = -1; // the disk whose entry the line edits show
    const QRegularExpression m_emailAddress;
};
