#pragma once

#include "deviceinfo.h"
#include "devicesdk.h"
#include "pageinterfaces.h"

#include <QFrame>

#include <memory>

namespace Ui {
class CConfigFrameClass;
}

class CChannelconfig;
class CNetconfig;
class CPreConfig;
class CPTZconfig;

// The "Parameter Configuration" tab: one login to the device picked in the
// device list, one of four parameter pages at a time, templet saving,
// reboot and restore. The login is kept while the device is shown.
class CConfigFrame : public QFrame, public DevicePageHooks
{
    Q_OBJECT

public:
    explicit CConfigFrame(QWidget *parent = nullptr);
    ~CConfigFrame() override;

    // DevicePageHooks: the main window hands over the device the user picked.
    void SetDevice(int slot, const DEVICEINFO &record) override;
    bool IsSameDevice(const char *serial) const override;

    qint32 userId() const { return m_login ? m_login->userId() : -1; }
    CPreConfig *preConfig() const { return m_preConfig; }
    CChannelconfig *channelConfig() const { return m_channelConfig; }
    CNetconfig *netConfig() const { return m_netConfig; }
    CPTZconfig *ptzConfig() const { return m_ptzConfig; }

public slots:
    void Preshow();
    void Channelshow();
    void Netshow();
    void PTZshow();
    void ShowConfig();
    void SaveMould();
    void SetHardDecode(bool on);
    void RebootDevice();
    void RestoreConfig();

protected:
    // Message boxes and the file dialog; tests answer them instead.
    virtual void showInformation(const QString &title, const QString &text);
    // A warning box with two buttons; true for the first.
    virtual bool askWarning(const QString &text, const QString &yes, const QString &no);
    // Empty when the user cancels.
    virtual QString askTempletFileName();

private:
    enum Page { CameraPage, ChannelPage, NetworkPage, PtzPage };

    void showPage(Page page);
    void loadShownPage();
    bool anyTempletSectionTicked() const;
    bool writeTemplet(const QString &fileName);
    void reboot();
    void log(const QString &text) const;

    std::unique_ptr<Ui::CConfigFrameClass> ui;
    CPreConfig *m_preConfig = nullptr;
    CChannelconfig *m_channelConfig = nullptr;
    CNetconfig *m_netConfig = nullptr;
    CPTZconfig *m_ptzConfig = nullptr;

    Page m_shownPage = CameraPage;
    int m_iDevIndex = -1; // chosen in the device list
    int m_iLoginDevIndex = -1; // last logged in
    DEVICEINFO m_struDeviceInfo {};
    std::unique_ptr<SdkLogin> m_login;
    bool m_templetTicked = false;
};
