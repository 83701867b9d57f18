#include "upgradeframe.h"

#include "ui_upgradeframe.h"

#include "debuglog.h"
#include "devicechecktable.h"
#include "tervixservices.h"
#include "upgrademanager.h"
#include "upgradestate.h"
#include "upgradetiming.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {

constexpr int ColumnWidths[CUpgradeFrame::ColumnCount] = { 30, 120, 250, 100, 450 };

// A row leaves the polled set once its device needs nothing more: restored
// or given up after the reboot, or upgraded when no restore follows.
// Failed rows stay checked and keep showing why.
bool rowDone(int state, bool restore)
{
    return state == UpgradeRestored || state == UpgradeReconnectFailed
        || (state == UpgradeSucceeded && !restore);
}

} // namespace

CUpgradeFrame::CUpgradeFrame(QWidget *parent)
    : QFrame(parent), ui(std::make_unique<Ui::CUpgradeFrameClass>())
{
    ui->setupUi(this);
    m_rows = std::make_unique<DeviceCheckTable>(ui->tableUpdateDev, ui->AllCheckBtn,
        DeviceCheckTable::Layout { CheckColumn, NameColumn, SerialColumn, IpColumn, StateColumn,
            DeviceIndexRole, TaskIndexRole },
        ColumnWidths, InitialRowCapacity);
    ui->UpgradeProgressBar->setRange(0, 100);
    ui->UpgradeProgressBar->hide();
    ui->checkRestore->hide();

    connect(ui->AllCheckBtn, &QCheckBox::clicked, this, &CUpgradeFrame::AllCheckStatChanges);
    connect(m_rows.get(), &DeviceCheckTable::rowCheckToggled, this,
        &CUpgradeFrame::SingleCheckStatChange);
    connect(ui->checkReboot, &QCheckBox::clicked, this, &CUpgradeFrame::RebootCheckStatChanges);
    connect(ui->upgradeBtn, &QPushButton::clicked, this, &CUpgradeFrame::clickUpgradeBtn);
    connect(ui->browseFileBtn, &QPushButton::clicked, this, &CUpgradeFrame::browseFile);
    connect(ui->radioFile, &QRadioButton::clicked, this, &CUpgradeFrame::radioBtnFileChecked);
    connect(ui->radioDir, &QRadioButton::clicked, this, &CUpgradeFrame::radioBtnDirChecked);
    connect(&m_timer, &QTimer::timeout, this, &CUpgradeFrame::timerSchedule);
}

// The main window refuses to close while a batch runs; a page destroyed
// anyway stops its manager, which waits for the uploads to close.
CUpgradeFrame::~CUpgradeFrame() = default;

void CUpgradeFrame::setTiming(std::shared_ptr<const UpgradeTiming> timing)
{
    m_timing = std::move(timing);
}

void CUpgradeFrame::ClearDevices()
{
    m_rows->clear();
}

void CUpgradeFrame::SetDevices(const std::vector<DEVICEINFO> &devices)
{
    m_rows->setDevices(devices, tr("Not upgraded"));
}

void CUpgradeFrame::AllCheckStatChanges(bool checked)
{
    m_rows->checkAll(checked);
}

void CUpgradeFrame::SingleCheckStatChange(bool checked)
{
    m_rows->rowToggled(checked);
}

void CUpgradeFrame::RebootCheckStatChanges(bool checked)
{
    // Defaults are restored only on a device that is rebooted.
    ui->checkRestore->setVisible(checked);
    if (!checked) {
        ui->checkRestore->setChecked(false);
    }
}

void CUpgradeFrame::radioBtnFileChecked()
{
    ui->editFilePath->clear();
}

void CUpgradeFrame::radioBtnDirChecked()
{
    ui->editFilePath->clear();
}

void CUpgradeFrame::browseFile()
{
    const QString path = ui->radioFile->isChecked() ? askFirmwareFile() : askFirmwareDirectory();
    if (!path.isEmpty()) {
        ui->editFilePath->setText(path);
    }
}

void CUpgradeFrame::clickUpgradeBtn()
{
    if (!m_upgrading) {
        startUpgrade();
        return;
    }
    if (askStopWarning(tr("Warning"),
            tr("Terminate the upgrade may cause the device can not start, continue?"))) {
        EndUpgrade(true);
    }
}

void CUpgradeFrame::startUpgrade()
{
    const quint32 mode = ui->radioDir->isChecked() ? FirmwareDirectory : FirmwareFile;
    const QString path = ui->editFilePath->text();
    if (path.isEmpty()) {
        showInformation(tr("Warning"), tr("Please select firmware or directory"));
        return;
    }
    const QByteArray localPath = path.toLocal8Bit();
    if (mode == FirmwareFile && localPath.size() > MaxFirmwareFileBytes) {
        showInformation(tr("Warning"), tr("File path length exceeds limit"));
        return;
    }
    if (mode == FirmwareDirectory && localPath.size() > MaxFirmwareDirectoryBytes) {
        showInformation(tr("Warning"), tr("Directory path length exceeds limit"));
        return;
    }

    DeviceContext context;
    if (TervixServices *services = tervixServices()) {
        context.store = services->deviceStore();
        context.defaults = { services->defaultUserName(), services->defaultPassword() };
        context.log = [services](const QString &text) { services->Log(text); };
    }
    m_manager = std::make_unique<CUpgradeManager>(
        std::move(context), m_timing ? m_timing : std::make_shared<UpgradeTiming>());
    m_manager->SetFirmware(localPath.constData(), mode);

    const int checked = m_rows->assignTasks([this](int device, const DEVICEINFO &record) {
        qCDebug(lcUpgrade, "Upgrade device vector index:%d", device);
        return m_manager->AddTask(record);
    });
    if (checked == 0) {
        showInformation(tr("Warning"), tr("Please select device"));
        return;
    }

    m_manager->SetFlags(ui->checkReboot->isChecked(), ui->checkRestore->isChecked());
    // Rows stay where they are while the refresh writes into them.
    QTableWidget *table = ui->tableUpdateDev;
    table->setSortingEnabled(false);
    // A failed start writes "Upgrade Failed!" to the operation log itself.
    if (!m_manager->Start()) {
        showInformation(tr("Warning"), tr("Upgrade Failed"));
        table->setSortingEnabled(true);
        return;
    }
    m_timer.start(RefreshMs);
    setUpgradingLook(true);
    m_upgrading = true;
}

void CUpgradeFrame::timerSchedule()
{
    if (!m_upgrading) {
        return;
    }
    // Read before the states: a task counts as done only once its state is
    // final, so at 100 % the states shown below are the last ones.
    const int progress = m_manager->TotalProgress();
    const bool restore = ui->checkRestore->isChecked();
    for (const int row : m_rows->checkedRows()) {
        const int state = m_manager->TaskState(m_rows->taskIndex(row));
        m_rows->setStateText(row, UpgradeStateText(state));
        if (rowDone(state, restore)) {
            m_rows->rowCheckBox(row)->setChecked(false);
        }
    }
    ui->UpgradeProgressBar->setValue(progress);
    qCDebug(lcUpgrade, "Total upgrade progress:%d", progress);
    if (progress == 100) {
        EndUpgrade(false);
    }
}

bool CUpgradeFrame::EndUpgrade(bool userStopped)
{
    if (!m_upgrading) {
        return false;
    }
    m_timer.stop();
    m_manager->Stop();
    if (userStopped) {
        for (const int row : m_rows->checkedRows()) {
            const int state = m_manager->TaskState(m_rows->taskIndex(row));
            if (state == UpgradeWaiting || state == UpgradeRunning
                || state == UpgradeReconnecting) {
                m_rows->setStateText(row, tr("Upgrade End"));
            }
        }
    }
    m_manager->ClearTasks();
    setUpgradingLook(false);
    m_upgrading = false;
    ui->tableUpdateDev->setSortingEnabled(true);
    return true;
}

void CUpgradeFrame::setUpgradingLook(bool upgrading)
{
    m_rows->setChecksEnabled(!upgrading);
    ui->checkReboot->setEnabled(!upgrading);
    ui->checkRestore->setEnabled(!upgrading);
    ui->UpgradeProgressBar->setVisible(upgrading);
    if (!upgrading) {
        ui->UpgradeProgressBar->setValue(0);
    }
    ui->upgradeBtn->setText(upgrading ? tr("Stop Upgrade") : tr("Start Upgrade"));
}

void CUpgradeFrame::showInformation(const QString &title, const QString &text)
{
    QMessageBox::information(this, title, text, QMessageBox::Ok);
}

bool CUpgradeFrame::askStopWarning(const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::NoButton, this);
    QPushButton *ok = box.addButton(tr("Ok"), QMessageBox::AcceptRole);
    box.addButton(tr("Cancel"), QMessageBox::RejectRole);
    box.setDefaultButton(ok);
    box.exec();
    return box.clickedButton() == ok;
}

QString CUpgradeFrame::askFirmwareFile()
{
    return QFileDialog::getOpenFileName(this, tr("Open"), QStringLiteral("."));
}

QString CUpgradeFrame::askFirmwareDirectory()
{
    return QFileDialog::getExistingDirectory(this, tr("Open"), QStringLiteral("."));
}
