#include "tervix.h"

#include "ui_tervix.h"

#include "adjustfocus.h"
#include "cardinitthread.h"
#include "configframe.h"
#include "datafolders.h"
#include "debuglog.h"
#include "devicelistmodel.h"
#include "devicestore.h"
#include "fixedtext.h"
#include "maintable.h"
#include "maintablewithmend.h"
#include "mirt.h"
#include "preconfig.h"
#include "progressdialog.h"
#include "quarryloader.h"
#include "search.h"
#include "searchadapter.h"
#include "searchengine.h"
#include "startup.h"
#include "textbounds.h"

#include "advacedfunc.h"
#include "solvane.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QMutexLocker>
#include <QStandardItemModel>
#include <QThread>
#include <QUrl>

namespace {

// Width of a device group in its narrow form, beside its page.
constexpr int NarrowGroupWidth = 150;
constexpr size_t SerialBytes = sizeof(DEVICEINFO::szSerialNo);

} // namespace

Tervix::Tervix(QWidget *parent)
    : QWidget(parent),
      ui(std::make_unique<Ui::TervixClass>()),
      m_searchEngine(std::make_unique<CSearchEngine>()),
      m_deviceStore(std::make_unique<CDeviceStore>()),
      m_cardWorker(std::make_unique<CardInitThread>())
{
    Q_INIT_RESOURCE(tervix);

    m_waitDialog = new ProgressDialog(this);
    ui->setupUi(this);
    m_adapter = new SearchAdapter(this);
    m_search = std::make_unique<CSearch>(m_searchEngine.get(), m_adapter, this);
    makeConnections();

    m_deviceStore->Clear();
    m_model = new QStandardItemModel(this);
    DeviceList::SetupColumns(m_model);
    for (CMainTableWithMend *table : { configTable(), focusTable() }) {
        table->SetDeviceModel(m_model);
    }
    connect(m_model, &QStandardItemModel::dataChanged, this, &Tervix::onModelDataChanged);
    connect(configTable()->tableView(), &QTableView::clicked, this, &Tervix::clickedConfigTable);
    connect(
        focusTable()->tableView(), &QTableView::clicked, this, &Tervix::clickedAdjustFocusTable);

    ui->UserNamelineEdit->setText(QStringLiteral("admin"));
    ui->PasswordlineEdit->setText(QStringLiteral("60917"));
    buildLens();
    m_waitDialog->setBarHidden(true);

    // Both device tables start narrow; show() widens the configuration one.
    setTableForm(ui->DeviceGroupForConfig, ui->ConfigFrame, configTable(), false);
    setTableForm(ui->DeviceGroupForAdjust, ui->AdjustFrame, focusTable(), false);
    ui->ShrinkButton->hide();
    ui->ShrinkButtonForAdjust->hide();

    setConfigPage(ui->ConfigFrame);
    setFocusPage(ui->AdjustFrame);
    setFocusPreviewPage(ui->AdjustFrame);
    CPreConfig *cameraPage = ui->ConfigFrame->preConfig();
    setCameraPreviewPage(cameraPage);
    connect(cameraPage, &CPreConfig::RealPlayStatChange, this, &Tervix::RealPlayChange);
    connect(this, &Tervix::BNCPreviewEnable, cameraPage, &CPreConfig::BNCPreviewEnable);
    setBatchConfigPage(ui->BatchconfigFrame);
    setUpgradePage(ui->UpgradeFrame);
    setTervixServices(this);
}

Tervix::~Tervix()
{
    if (tervixServices() == this) {
        setTervixServices(nullptr);
    }
    if (m_cardWorker) {
        m_cardWorker->wait();
    }
    shutdownLibraries();
}

void Tervix::makeConnections()
{
    connect(ui->ExpandButton, &QToolButton::clicked, this, &Tervix::TableshowInConfig);
    connect(ui->ExpandButton, &QToolButton::clicked, this, &Tervix::BatchMendShow);
    connect(ui->ExpandButtonForAdjust, &QToolButton::clicked, this, &Tervix::TableshowInAdjust);
    connect(ui->ExpandButtonForAdjust, &QToolButton::clicked, this, &Tervix::BatchMendShow);
    connect(ui->ShrinkButton, &QToolButton::clicked, this, &Tervix::TablehideInConfig);
    connect(ui->ShrinkButton, &QToolButton::clicked, configTable(),
        &CMainTableWithMend::AllMendAreaHide);
    connect(ui->ShrinkButtonForAdjust, &QToolButton::clicked, focusTable(),
        &CMainTableWithMend::AllMendAreaHide);
    connect(ui->ShrinkButtonForAdjust, &QToolButton::clicked, this, &Tervix::TablehideInAdjust);
    connect(ui->SearchButton, &QPushButton::clicked, this, &Tervix::SearchShow);
    // Reports come from library and search threads: queued to this thread.
    connect(m_adapter, &SearchAdapter::DeviceCallback, this, &Tervix::DeviceCallback,
        Qt::QueuedConnection);
    connect(m_adapter, &SearchAdapter::UserPasswdError, this, &Tervix::UserPasswdError,
        Qt::QueuedConnection);
    connect(ui->MaintabWidget, &QTabWidget::currentChanged, this, &Tervix::tabPageChanges);
    connect(ui->UserNamelineEdit, &QLineEdit::textChanged, this, &Tervix::defaultUserNameChanged);
    connect(ui->PasswordlineEdit, &QLineEdit::textChanged, this, &Tervix::defaultPasswordChanged);
    connect(ui->labelHelp, &QLabel::linkActivated, this, &Tervix::HelpLinkActived);
    connect(ui->checkBoxMDCard, &QCheckBox::clicked, this, &Tervix::MDCardCheckChanged);
    connect(ui->checkBoxBNC, &QCheckBox::clicked, this, &Tervix::BNCPreviewCheckChanged);
    connect(m_cardWorker.get(), &CardWorker::CardInitOrDeInit, this, &Tervix::CardInitResult);
    connect(ui->AdjustFrame, &CAdjustFocus::RealPlayStatChange, this, &Tervix::RealPlayChange);
    connect(this, &Tervix::BNCPreviewEnable, ui->AdjustFrame, &CAdjustFocus::BNCPreviewEnable);
}

void Tervix::buildLens()
{
    ui->LensLayout->addWidget(new CAdvacedFunc(ui->LensTab));
}

CMainTableWithMend *Tervix::configTable() const
{
    return ui->TableViewForConfig;
}

CMainTableWithMend *Tervix::focusTable() const
{
    return ui->TableViewForAdjust;
}

// --- services ------------------------------------------------------------

void Tervix::Log(const QString &text)
{
    // The list is a widget: a line from another thread is queued to ours.
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(
            this, [this, text] { Log(text); }, Qt::QueuedConnection);
        return;
    }
    QMutexLocker locker(&m_logMutex);
    if (ui->listWidget->count() > MaxLogLines - 1) {
        delete ui->listWidget->takeItem(0);
    }
    ui->listWidget->addItem(formatLogLine(QDateTime::currentDateTime(), text));
    ui->listWidget->scrollToBottom();
}

QString Tervix::formatLogLine(const QDateTime &time, const QString &text)
{
    const QDate date = time.date();
    const QTime clock = time.time();
    return QString::asprintf("[%04d-%02d-%02d %02d:%02d:%02d] ", date.year(), date.month(),
               date.day(), clock.hour(), clock.minute(), clock.second())
        + text;
}

void Tervix::setTableEnabled(DeviceTable table, bool enabled)
{
    (table == ConfigTable ? configTable() : focusTable())->setEnabled(enabled);
}

int Tervix::SlotOfCurrentRow(DeviceTable table) const
{
    const int row = (table == ConfigTable ? configTable() : focusTable())->CurrentRow();
    if (row < 0) {
        return -1;
    }
    return DeviceList::SlotOfRow(m_model, row);
}

bool Tervix::isMDCardChecked() const
{
    return ui->checkBoxMDCard->isChecked();
}

bool Tervix::isBNCChecked() const
{
    return ui->checkBoxBNC->isChecked();
}

void Tervix::setConfigPage(DevicePageHooks *page)
{
    m_configPage = page != nullptr ? page : &m_idleDevicePage;
}

void Tervix::setFocusPage(DevicePageHooks *page)
{
    m_focusPage = page != nullptr ? page : &m_idleDevicePage;
}

void Tervix::setCameraPreviewPage(PreviewPageHooks *page)
{
    m_cameraPreviewPage = page != nullptr ? page : &m_idlePreviewPage;
}

void Tervix::setFocusPreviewPage(PreviewPageHooks *page)
{
    m_focusPreviewPage = page != nullptr ? page : &m_idlePreviewPage;
}

void Tervix::setBatchConfigPage(BatchPageHooks *page)
{
    m_batchConfigPage = page != nullptr ? page : &m_idleBatchPage;
}

void Tervix::setUpgradePage(BatchPageHooks *page)
{
    m_upgradePage = page != nullptr ? page : &m_idleBatchPage;
}

void Tervix::setCardWorker(std::unique_ptr<CardWorker> worker)
{
    if (!worker) {
        worker = std::make_unique<CardInitThread>();
    }
    m_cardWorker->wait();
    m_cardWorker = std::move(worker);
    connect(m_cardWorker.get(), &CardWorker::CardInitOrDeInit, this, &Tervix::CardInitResult);
}

// --- start and stop ------------------------------------------------------

QString Tervix::logoStyleSheet(const QString &translationLanguage)
{
    if (translationLanguage == QLatin1String("zh_CN")) {
        return QStringLiteral("border-image: url(:/Tervix/icon/logo_ch.bmp);");
    }
    return QStringLiteral("border-image: url(:/Tervix/icon/logo_eg.bmp);");
}

void Tervix::show()
{
    ui->frameLogo->setStyleSheet(logoStyleSheet(InstalledTranslationLanguage()));
    TableshowInConfig();
    QWidget::show();
}

void Tervix::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_firstShowPending) {
        return;
    }
    MIRT_Init();
    SOLV_Init();
    m_librariesStarted = true;
    startDiscovery();
    m_firstShowPending = false;
}

void Tervix::closeEvent(QCloseEvent *event)
{
    QString refusal;
    if (m_batchConfigPage->IsRunning()) {
        refusal = tr("Batch Set Incomplete!");
    } else if (m_upgradePage->IsRunning()) {
        refusal = tr("Batch Upgrade Incomplete!");
    } else if (m_cameraPreviewRunning) {
        refusal = tr("Camera parameters preview unclosed!");
    } else if (m_focusPreviewRunning) {
        refusal = tr("Auxiliary zoom preview unclosed!");
    }
    if (!refusal.isEmpty()) {
        showInformation(tr("Warning!"), refusal);
        event->ignore();
        return;
    }
    shutdownLibraries();
    event->accept();
}

void Tervix::shutdownLibraries()
{
    if (!m_librariesStarted) {
        return;
    }
    m_librariesStarted = false;
    stopDiscovery();
    SOLV_Cleanup();
    MIRT_Fini();
}

void Tervix::startDiscovery()
{
    // The window's adapter carries announcements (and search reports) from
    // library threads to the slots; the announcement callback has no user
    // value, so it finds the adapter through the process-wide pointer.
    setDiscoveryAdapter(m_adapter);

    QuarryLoader &loader = QuarryLoader::instance();
    m_quarryLoaded = loader.Load();
    if (!m_quarryLoaded) {
        showInformation(tr("Failed"),
            loader.HasPacketLibrary()
                ? tr("Failed to load QUARRY library!")
                : tr("Failed to load QUARRY library, Please check the installation "
                     "of WinPcap!"));
        Log(tr("Failed to load QUARRY library!"));
        return;
    }
    Log(tr("Succeed to load QUARRY library!"));
    qCDebug(lcDiscovery, "Succeed to load QUARRY library!");
    if (Quarry_Start(QuarryDeviceCallback) != 1) {
        qCDebug(lcDiscovery, "QUARRY_Start failed");
    }
}

void Tervix::stopDiscovery()
{
    if (!m_quarryLoaded) {
        return;
    }
    Quarry_Stop();
    QuarryLoader::instance().Unload();
    m_quarryLoaded = false;
}

void Tervix::showInformation(const QString &title, const QString &text)
{
    QMessageBox::information(this, title, text, QMessageBox::Ok);
}

void Tervix::openHelpUrl(const QUrl &url)
{
    QDesktopServices::openUrl(url);
}

// --- device list ---------------------------------------------------------

void Tervix::DeviceCallback(DEVICEINFO *record, int type)
{
    const std::unique_ptr<DEVICEINFO> owned(record);
    if (!owned) {
        return;
    }
    if (type == DeviceReportAddOrUpdate) {
        if (owned->dwSource == 1) {
            m_search->AddinfoToList(owned.get());
        }
        bool changed = false;
        const int slot = m_deviceStore->AddOrUpdate(*owned, &changed);
        if (slot >= 0) {
            AddRow(*owned, slot);
        } else if (changed) {
            UpdateRow(*owned);
        }
    } else if (type == DeviceReportRemove) {
        RemoveRow(owned->szSerialNo);
        m_deviceStore->Remove(owned->szSerialNo);
    }
}

void Tervix::UserPasswdError(const QString &ip)
{
    m_search->AddUserPasswdError(ip);
}

void Tervix::AddRow(const DEVICEINFO &record, int slot)
{
    // Building the row must not count as a check change.
    m_buildingRow = true;
    const int row = m_model->rowCount();
    DeviceList::InsertRow(m_model, row, record, slot);
    qCDebug(lcApp, "m_DevNumber:%d", m_model->rowCount());
    m_buildingRow = false;

    if (m_configPage->IsSameDevice(record.szSerialNo)) {
        configTable()->SelectRow(row);
    }
    if (m_focusPage->IsSameDevice(record.szSerialNo)) {
        focusTable()->SelectRow(row);
    }
    updateSelectAllBoxes();
}

void Tervix::UpdateRow(const DEVICEINFO &record)
{
    const int row = DeviceList::FindRowOfSerial(m_model, DeviceList::FieldText(record.szSerialNo));
    if (row >= 0) {
        DeviceList::RewriteRow(m_model, row, record);
    }
}

void Tervix::RemoveRow(const char *serial)
{
    if (serial == nullptr) {
        return;
    }
    const int row = DeviceList::FindRowOfSerial(
        m_model, QString::fromLocal8Bit(FixedText::read(serial, SerialBytes)));
    if (row < 0) {
        return;
    }
    const bool wasChecked = DeviceList::IsRowChecked(m_model, row);
    if (wasChecked && m_checkedCount > 0) {
        --m_checkedCount;
    }
    // A preview of a device that left the list shows nothing any more.
    if (m_focusPreviewRunning && m_focusPage->IsSameDevice(serial)) {
        stopFocusPreview();
    }
    m_model->removeRow(row);
    if (wasChecked) {
        applyCheckCount();
    } else {
        updateSelectAllBoxes();
    }
}

void Tervix::onModelDataChanged(
    const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles)
{
    if (m_buildingRow || topLeft.column() != 0) {
        return;
    }
    // Only a change of a check mark counts; other data of the check cell
    // (flags, texts) would otherwise throw the count off.
    if (!roles.isEmpty() && !roles.contains(Qt::CheckStateRole)) {
        return;
    }
    for (int row = topLeft.row(); row <= bottomRight.row(); ++row) {
        ItemCheckChanged(m_model->index(row, 0));
    }
}

void Tervix::ItemCheckChanged(const QModelIndex &index)
{
    if (index.column() != 0) {
        return;
    }
    const QVariant state = index.data(Qt::CheckStateRole);
    if (!state.isValid()) {
        return;
    }
    if (state.toInt() == Qt::Checked) {
        m_checkedCount = std::min(m_checkedCount + 1, m_model->rowCount());
    } else if (state.toInt() == Qt::Unchecked) {
        m_checkedCount = std::max(m_checkedCount - 1, 0);
    }
    applyCheckCount();
}

void Tervix::applyCheckCount()
{
    if (m_checkedCount == 0) {
        configTable()->GroupBoxHide();
        focusTable()->GroupBoxHide();
    } else {
        if (m_configTableWide) {
            configTable()->GroupBoxShow();
        }
        if (m_focusTableWide) {
            focusTable()->GroupBoxShow();
        }
    }
    updateSelectAllBoxes();
}

void Tervix::updateSelectAllBoxes()
{
    const bool all = m_checkedCount > 0 && m_checkedCount == m_model->rowCount();
    configTable()->SetAllChecked(all);
    focusTable()->SetAllChecked(all);
}

void Tervix::BatchMendShow()
{
    const bool batch = m_checkedCount > 0;
    if (m_configTableWide) {
        batch ? configTable()->GroupBoxShow() : configTable()->InfoShowOrNot();
    }
    if (m_focusTableWide) {
        batch ? focusTable()->GroupBoxShow() : focusTable()->InfoShowOrNot();
    }
}

// --- table forms and selection -------------------------------------------

void Tervix::setTableForm(
    QGroupBox *group, QWidget *pageFrame, CMainTableWithMend *table, bool wide)
{
    if (wide) {
        pageFrame->hide();
        group->setMinimumWidth(0);
        group->setMaximumWidth(QWIDGETSIZE_MAX);
        table->tableView()->showColumn(0);
    } else {
        group->setFixedWidth(NarrowGroupWidth);
        pageFrame->show();
        table->tableView()->hideColumn(0);
    }
    table->SetMendAreaVisible(wide);
}

void Tervix::TableshowInConfig()
{
    setTableForm(ui->DeviceGroupForConfig, ui->ConfigFrame, configTable(), true);
    ui->ShrinkButton->show();
    ui->ExpandButton->hide();
    disconnect(m_configInfoConnection);
    m_configInfoConnection = connect(configTable()->tableView(), &QTableView::clicked,
        configTable(), qOverload<const QModelIndex &>(&CMainTableWithMend::InfoShowOrNot));
    m_configTableWide = true;
}

void Tervix::TablehideInConfig()
{
    setTableForm(ui->DeviceGroupForConfig, ui->ConfigFrame, configTable(), false);
    ui->ShrinkButton->hide();
    ui->ExpandButton->show();
    disconnect(m_configInfoConnection);
    m_configTableWide = false;
    clickedConfigTable();
}

void Tervix::TableshowInAdjust()
{
    stopFocusPreview();
    setTableForm(ui->DeviceGroupForAdjust, ui->AdjustFrame, focusTable(), true);
    ui->ShrinkButtonForAdjust->show();
    ui->ExpandButtonForAdjust->hide();
    disconnect(m_focusInfoConnection);
    m_focusInfoConnection = connect(focusTable()->tableView(), &QTableView::clicked, focusTable(),
        qOverload<const QModelIndex &>(&CMainTableWithMend::InfoShowOrNot));
    m_focusTableWide = true;
}

void Tervix::TablehideInAdjust()
{
    setTableForm(ui->DeviceGroupForAdjust, ui->AdjustFrame, focusTable(), false);
    ui->ShrinkButtonForAdjust->hide();
    ui->ExpandButtonForAdjust->show();
    disconnect(m_focusInfoConnection);
    m_focusTableWide = false;
    clickedAdjustFocusTable();
}

void Tervix::clickedConfigTable()
{
    if (m_configTableWide) {
        return;
    }
    const int slot = SlotOfCurrentRow(ConfigTable);
    DEVICEINFO record {};
    if (slot < 0 || !m_deviceStore->CopyOut(slot, &record)) {
        return;
    }
    // A freed slot is reused by the next new device, so the same slot may
    // hold another device: compare the serial too.
    const QByteArray serial = FixedText::read(record.szSerialNo);
    if (slot == m_lastConfigSlot && serial == m_lastConfigSerial) {
        return;
    }
    m_lastConfigSlot = slot;
    m_lastConfigSerial = serial;
    m_configPage->SetDevice(slot, record);
}

void Tervix::clickedAdjustFocusTable()
{
    const int slot = SlotOfCurrentRow(FocusTable);
    DEVICEINFO record {};
    if (slot < 0 || !m_deviceStore->CopyOut(slot, &record)) {
        return;
    }
    m_focusPage->SetDevice(slot, record);
}

void Tervix::SearchShow()
{
    m_search->exec();
}

// --- pages ---------------------------------------------------------------

void Tervix::stopCameraPreview()
{
    if (m_cameraPreviewRunning) {
        m_cameraPreviewPage->stopRealplay();
    }
}

void Tervix::stopFocusPreview()
{
    if (m_focusPreviewRunning) {
        m_focusPreviewPage->stopRealplay();
    }
}

void Tervix::refillBatchPage(BatchPageHooks *page)
{
    if (page->IsRunning()) {
        return;
    }
    page->ClearDevices();
    page->SetDevices(m_deviceStore->Snapshot());
}

void Tervix::tabPageChanges(int index)
{
    switch (index) {
    case 0:
        m_onConfigPage = true;
        stopFocusPreview();
        if (m_configTableWide) {
            BatchMendShow();
        } else {
            configTable()->AllMendAreaHide();
        }
        break;
    case 1:
        stopFocusPreview();
        stopCameraPreview();
        refillBatchPage(m_batchConfigPage);
        break;
    case 2:
        stopFocusPreview();
        stopCameraPreview();
        refillBatchPage(m_upgradePage);
        break;
    case 3:
        m_onConfigPage = false;
        stopCameraPreview();
        if (m_focusTableWide) {
            BatchMendShow();
        } else {
            focusTable()->AllMendAreaHide();
        }
        break;
    case 4:
        stopFocusPreview();
        stopCameraPreview();
        break;
    default:
        break;
    }
}

// --- credentials and help ------------------------------------------------

void Tervix::defaultUserNameChanged(const QString &text)
{
    CopyBoundedLocal8Bit(text, m_szDefaultUserName, sizeof m_szDefaultUserName);
}

void Tervix::defaultPasswordChanged(const QString &text)
{
    CopyBoundedLocal8Bit(text, m_szDefaultPassword, sizeof m_szDefaultPassword);
}

QString Tervix::helpIndexPath()
{
    return helpIndexPath(InstalledTranslationLanguage());
}

QString Tervix::helpIndexPath(const QString &translationLanguage)
{
    QStringList relatives;
    if (!translationLanguage.isEmpty()) {
        relatives << QStringLiteral("Help/%1/index.html").arg(translationLanguage);
    }
    relatives << QStringLiteral("Help/index.html");
    for (const QString &folder : dataFolders(DataLookup::WorkingDirectoryFirst)) {
        for (const QString &relative : relatives) {
            const QFileInfo file(QDir(folder), relative);
            if (file.isFile()) {
                return file.absoluteFilePath();
            }
        }
    }
    return QString();
}

void Tervix::HelpLinkActived(const QString &)
{
    const QString path = helpIndexPath();
    if (path.isEmpty()) {
        showInformation(tr("Error"), tr("The help pages are missing."));
        return;
    }
    openHelpUrl(QUrl::fromLocalFile(path));
}

// --- capture cards -------------------------------------------------------

bool Tervix::runCardWorker(bool initialise)
{
    m_waitDialog->setText(initialise ? tr("Initializing the cards, please wait...")
                                     : tr("Releasing the cards, please wait..."));
    m_cardRunFinished = false;
    m_cardWorker->SetMode(initialise);
    m_cardWorker->start();
    if (!m_cardRunFinished) {
        m_waitDialog->exec();
    }
    m_cardWorker->wait();
    bool succeeded = false;
    m_cardWorker->Result(nullptr, &succeeded);
    return succeeded;
}

bool Tervix::initialiseCards()
{
    if (m_cardsInitialised) {
        return true;
    }
    if (!runCardWorker(true)) {
        return false;
    }
    m_cardsInitialised = true;
    Log(tr("Succeed to initialize encoder card!"));
    Log(tr("Succeed to initialize decode card!"));
    return true;
}

void Tervix::releaseCards()
{
    if (!m_cardsInitialised) {
        return;
    }
    runCardWorker(false);
    m_cardsInitialised = false;
}

void Tervix::CardInitResult(bool, bool)
{
    m_cardRunFinished = true;
    m_waitDialog->done(0);
}

void Tervix::MDCardCheckChanged(bool checked)
{
    if (!checked) {
        releaseCards();
        return;
    }
    if (m_cardsInitialised) {
        ui->checkBoxBNC->setChecked(false);
        return;
    }
    if (!initialiseCards()) {
        ui->checkBoxMDCard->setChecked(false);
        showInformation(tr("Error"), tr("Failed to initialize decode card"));
        Log(tr("Failed to initialize decode card!"));
    }
}

void Tervix::BNCPreviewCheckChanged(bool checked)
{
    if (!checked) {
        releaseCards();
        emit BNCPreviewEnable(false);
        return;
    }
    if (m_cardsInitialised) {
        ui->checkBoxMDCard->setChecked(false);
        emit BNCPreviewEnable(true);
        return;
    }
    if (initialiseCards()) {
        emit BNCPreviewEnable(true);
        return;
    }
    ui->checkBoxBNC->setChecked(false);
    showInformation(tr("Error"), tr("Failed to initialize encode card"));
    Log(tr("Failed to initialize encode card!"));
    emit BNCPreviewEnable(false);
}

void Tervix::RealPlayChange(bool started)
{
    if (started) {
        ++m_previewsRunning;
    } else if (m_previewsRunning > 0) {
        --m_previewsRunning;
    }
    const bool enable = m_previewsRunning == 0;
    ui->checkBoxMDCard->setEnabled(enable);
    ui->checkBoxBNC->setEnabled(enable);
}
