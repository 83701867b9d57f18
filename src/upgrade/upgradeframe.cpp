#include "upgradeframe.h"

#include "ui_upgradeframe.h"

#include "debuglog.h"
#include "devicelistmodel.h"
#include "iptablewidgetitem.h"
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
    QTableWidget *table = ui->tableUpdateDev;
    table->setColumnCount(ColumnCount);
    for (int column = 0; column < ColumnCount; ++column) {
        table->setColumnWidth(column, ColumnWidths[column]);
    }
    table->setRowCount(m_rowCapacity);
    for (int row = 0; row < m_rowCapacity; ++row) {
        table->setRowHidden(row, true);
    }
    ui->UpgradeProgressBar->setRange(0, 100);
    ui->UpgradeProgressBar->hide();
    ui->checkRestore->hide();

    connect(ui->AllCheckBtn, &QCheckBox::clicked, this, &CUpgradeFrame::AllCheckStatChanges);
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

QCheckBox *CUpgradeFrame::rowCheckBox(int row) const
{
    return qobject_cast<QCheckBox *>(ui->tableUpdateDev->cellWidget(row, CheckColumn));
}

std::vector<int> CUpgradeFrame::listedRows() const
{
    std::vector<int> rows;
    for (int row = 0; row < ui->tableUpdateDev->rowCount(); ++row) {
        if (ui->tableUpdateDev->item(row, NameColumn) != nullptr) {
            rows.push_back(row);
        }
    }
    return rows;
}

void CUpgradeFrame::ClearDevices()
{
    QTableWidget *table = ui->tableUpdateDev;
    table->setSortingEnabled(false);
    for (const int row : listedRows()) {
        table->removeCellWidget(row, CheckColumn);
        for (int column = 0; column < ColumnCount; ++column) {
            delete table->takeItem(row, column);
        }
        table->setRowHidden(row, true);
    }
    table->setSortingEnabled(true);
    m_devices.clear();
    m_rowCount = 0;
    ui->AllCheckBtn->setChecked(false);
}

void CUpgradeFrame::SetDevices(const std::vector<DEVICEINFO> &devices)
{
    QTableWidget *table = ui->tableUpdateDev;
    table->setSortingEnabled(false);
    m_rowCount = int(devices.size());
    for (int row = 0; row < m_rowCount; ++row) {
        const DEVICEINFO &record = devices[size_t(row)];
        if (row >= m_rowCapacity) {
            table->insertRow(row);
            ++m_rowCapacity;
        }
        auto *box = new QCheckBox;
        table->setCellWidget(row, CheckColumn, box);
        connect(box, &QCheckBox::toggled, this, &CUpgradeFrame::SingleCheckStatChange);

        auto *name = new QTableWidgetItem(DeviceList::FieldText(record.szDevName));
        name->setData(DeviceIndexRole, int(m_devices.size()));
        table->setItem(row, NameColumn, name);
        table->setItem(
            row, SerialColumn, new QTableWidgetItem(DeviceList::FieldText(record.szSerialNo)));
        table->setItem(
            row, IpColumn, new IpTableWidgetItem(DeviceList::FieldText(record.szIPAddress)));
        table->setItem(row, StateColumn, new QTableWidgetItem(tr("Not upgraded")));
        m_devices.push_back(record);
        table->setRowHidden(row, false);
    }
    table->setSortingEnabled(true);
}

void CUpgradeFrame::AllCheckStatChanges(bool checked)
{
    for (const int row : listedRows()) {
        if (QCheckBox *box = rowCheckBox(row)) {
            box->setChecked(checked);
        }
    }
}

void CUpgradeFrame::SingleCheckStatChange(bool checked)
{
    // Checking every row by hand leaves "All" as it is.
    if (!checked) {
        ui->AllCheckBtn->setChecked(false);
    }
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

    QTableWidget *table = ui->tableUpdateDev;
    int checked = 0;
    for (const int row : listedRows()) {
        QCheckBox *box = rowCheckBox(row);
        if (box == nullptr || !box->isChecked()) {
            continue;
        }
        QTableWidgetItem *name = table->item(row, NameColumn);
        const int device = name->data(DeviceIndexRole).toInt();
        qCDebug(lcUpgrade, "Upgrade device vector index:%d", device);
        if (device < 0 || device >= int(m_devices.size())) {
            continue;
        }
        name->setData(TaskIndexRole, m_manager->AddTask(m_devices[size_t(device)]));
        ++checked;
    }
    if (checked == 0) {
        showInformation(tr("Warning"), tr("Please select device"));
        return;
    }

    m_manager->SetFlags(ui->checkReboot->isChecked(), ui->checkRestore->isChecked());
    // Rows stay where they are while the refresh writes into them.
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
    QTableWidget *table = ui->tableUpdateDev;
    for (const int row : listedRows()) {
        QCheckBox *box = rowCheckBox(row);
        if (box == nullptr || !box->isChecked()) {
            continue;
        }
        const int state
            = m_manager->TaskState(table->item(row, NameColumn)->data(TaskIndexRole).toInt());
        table->item(row, StateColumn)->setText(UpgradeStateText(state));
        if (rowDone(state, restore)) {
            box->setChecked(false);
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
    QTableWidget *table = ui->tableUpdateDev;
    if (userStopped) {
        for (const int row : listedRows()) {
            QCheckBox *box = rowCheckBox(row);
            if (box == nullptr || !box->isChecked()) {
                continue;
            }
            const int state
                = m_manager->TaskState(table->item(row, NameColumn)->data(TaskIndexRole).toInt());
            if (state == UpgradeWaiting || state == UpgradeRunning
                || state == UpgradeReconnecting) {
                table->item(row, StateColumn)->setText(tr("Upgrade End"));
            }
        }
    }
    m_manager->ClearTasks();
    setUpgradingLook(false);
    m_upgrading = false;
    table->setSortingEnabled(true);
    return true;
}

void CUpgradeFrame::setUpgradingLook(bool upgrading)
{
    for (const int row : listedRows()) {
        if (QCheckBox *box = rowCheckBox(row)) {
            box->setEnabled(!upgrading);
        }
    }
    ui->AllCheckBtn->setEnabled(!upgrading);
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
