#pragma once

#include "deviceinfo.h"
#include "pageinterfaces.h"
#include "tervixservices.h"

#include <QMutex>
#include <QPointer>
#include <QWidget>

#include <memory>

namespace Ui {
class TervixClass;
}

class CardWorker;
class CDeviceStore;
class CMainTableWithMend;
class CSearch;
class ProgressDialog;
class QGroupBox;
class SearchAdapter;
class QStandardItemModel;
class QUrl;

// The main window: five pages, the default credentials, the operation log,
// the shared services that the pages' glue reaches through tervixServices()
// and its two device tables.
class Tervix : public QWidget, public TervixServices, public TervixTables
{
    Q_OBJECT

public:
    explicit Tervix(QWidget *parent = nullptr);
    ~Tervix() override;

    // TervixServices
    const char *defaultUserName() const override { return m_szDefaultUserName; }
    const char *defaultPassword() const override { return m_szDefaultPassword; }
    void Log(const QString &text) override;
    void setCameraPreviewRunning(bool running) override { m_cameraPreviewRunning = running; }
    bool cameraPreviewRunning() const override { return m_cameraPreviewRunning; }
    void setFocusPreviewRunning(bool running) override { m_focusPreviewRunning = running; }
    bool focusPreviewRunning() const override { return m_focusPreviewRunning; }
    CDeviceStore *deviceStore() override { return m_deviceStore.get(); }
    CSearchEngine *searchEngine() override { return m_searchEngine.get(); }
    TervixTables *tables() override { return this; }
    bool isMDCardChecked() const override;
    bool isBNCChecked() const override;

    // TervixTables
    bool isConfigTableWide() const override { return m_configTableWide; }
    bool isOnConfigPage() const override { return m_onConfigPage; }
    void setTableEnabled(DeviceTable table, bool enabled) override;
    int SlotOfCurrentRow(DeviceTable table) const override;

    // The pages hand themselves over; null restores the idle default. Not owned.
    void setConfigPage(DevicePageHooks *page);
    void setFocusPage(DevicePageHooks *page);
    void setCameraPreviewPage(PreviewPageHooks *page);
    void setFocusPreviewPage(PreviewPageHooks *page);
    void setBatchConfigPage(BatchPageHooks *page);
    void setUpgradePage(BatchPageHooks *page);
    // Replaces the card worker (owned); the default one has no cards.
    void setCardWorker(std::unique_ptr<CardWorker> worker);

    // Row operations on the device list model.
    void AddRow(const DEVICEINFO &record, int slot);
    void UpdateRow(const DEVICEINFO &record);
    void RemoveRow(const char *serial);

    QStandardItemModel *deviceModel() const { return m_model; }
    CMainTableWithMend *configTable() const;
    CMainTableWithMend *focusTable() const;
    int checkedCount() const { return m_checkedCount; }
    bool isFocusTableWide() const { return m_focusTableWide; }
    bool cardsInitialised() const { return m_cardsInitialised; }
    int previewsRunning() const { return m_previewsRunning; }

    // Style sheet of the logo frame for the language of the loaded
    // translation ("zh_CN", ...; empty for the built-in English texts).
    static QString logoStyleSheet(const QString &translationLanguage);
    // One line of the operation log.
    static QString formatLogLine(const QDateTime &time, const QString &text);
    // The first help index that exists: in the working directory's Help
    // folder, else in the one beside the program, else in the install
    // prefix's; empty when none exists. Within a Help folder the manual in
    // the loaded translation's language (Help/zh_CN/index.html) comes first.
    static QString helpIndexPath();
    static QString helpIndexPath(const QString &translationLanguage);

    static constexpr int MaxLogLines = 201;
    static constexpr int UserNameBytes = 32;
    static constexpr int PasswordBytes = 16;

public slots:
    void TableshowInConfig();
    void TableshowInAdjust();
    void TablehideInConfig();
    void TablehideInAdjust();
    void SearchShow();
    void clickedConfigTable();
    void clickedAdjustFocusTable();
    void BatchMendShow();
    void show();
    void DeviceCallback(DEVICEINFO *record, int type);
    void UserPasswdError(const QString &ip);
    void tabPageChanges(int index);
    void defaultUserNameChanged(const QString &text);
    void defaultPasswordChanged(const QString &text);
    void HelpLinkActived(const QString &link);
    void ItemCheckChanged(const QModelIndex &index);
    void MDCardCheckChanged(bool checked);
    void BNCPreviewCheckChanged(bool checked);
    void RealPlayChange(bool started);
    void CardInitResult(bool bInit, bool bSucc);

signals:
    void BNCPreviewEnable(bool enable);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

    // A modal box with one OK button; tests record it instead.
    virtual void showInformation(const QString &title, const QString &text);
    // Hands the help page to the desktop; tests record it instead.
    virtual void openHelpUrl(const QUrl &url);

private:
    void buildLens();
    void makeConnections();
    void setTableForm(QGroupBox *group, QWidget *pageFrame, CMainTableWithMend *table, bool wide);
    void applyCheckCount();
    void updateSelectAllBoxes();
    void onModelDataChanged(
        const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles);
    void stopCameraPreview();
    void stopFocusPreview();
    void refillBatchPage(BatchPageHooks *page);
    bool runCardWorker(bool initialise);
    bool initialiseCards();
    void releaseCards();
    void shutdownLibraries();

    // Discovery of announcing devices; started on first show, stopped on
    // an accepted close.
    void startDiscovery();
    void stopDiscovery();

    std::unique_ptr<Ui::TervixClass> ui;
    // Destroyed in reverse: the search dialog, the store, then the engine.
    std::unique_ptr<CSearchEngine> m_searchEngine;
    std::unique_ptr<CDeviceStore> m_deviceStore;
    std::unique_ptr<CSearch> m_search;
    QStandardItemModel *m_model = nullptr;
    SearchAdapter *m_adapter = nullptr;

    char m_szDefaultUserName[UserNameBytes + 1] = {};
    char m_szDefaultPassword[PasswordBytes + 1] = {};

    bool m_firstShowPending = true;
    bool m_librariesStarted = false;
    // Whether this window holds a reference on the discovery library, so the
    // close releases only what it took.
    bool m_quarryLoaded = false;
    bool m_configTableWide = false;
    bool m_focusTableWide = false;
    bool m_onConfigPage = true;
    int m_checkedCount = 0;
    bool m_buildingRow = false;
    int m_lastConfigSlot = -1;
    QByteArray m_lastConfigSerial;
    int m_previewsRunning = 0;
    bool m_cardsInitialised = false;
    bool m_cardRunFinished = false;
    bool m_cameraPreviewRunning = false;
    bool m_focusPreviewRunning = false;
    QMutex m_logMutex;

    QMetaObject::Connection m_configInfoConnection;
    QMetaObject::Connection m_focusInfoConnection;

    IdleDevicePage m_idleDevicePage;
    IdlePreviewPage m_idlePreviewPage;
    IdleBatchPage m_idleBatchPage;
    DevicePageHooks *m_configPage = &m_idleDevicePage;
    DevicePageHooks *m_focusPage = &m_idleDevicePage;
    PreviewPageHooks *m_cameraPreviewPage = &m_idlePreviewPage;
    PreviewPageHooks *m_focusPreviewPage = &m_idlePreviewPage;
    BatchPageHooks *m_batchConfigPage = &m_idleBatchPage;
    BatchPageHooks *m_upgradePage = &m_idleBatchPage;

    std::unique_ptr<CardWorker> m_cardWorker;
    ProgressDialog *m_waitDialog = nullptr;
};
