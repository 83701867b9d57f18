#include "batchconfigframe.h"

#include "ui_batchconfigframe.h"

#include "batchconfigmanager.h"
#include "debuglog.h"
#include "devicechecktable.h"
#include "tervixservices.h"

#include <QFileDialog>
#include <QMessageBox>

namespace {

// The page's names of the sections, in bit order.
const char *const SectionTexts[BatchSectionCount] = {
    QT_TRANSLATE_NOOP("CBatchConfigFrame", "Camera Parameters"),
    QT_TRANSLATE_NOOP("CBatchConfigFrame", "Video Parameters"),
    QT_TRANSLATE_NOOP("CBatchConfigFrame", "Compressing Parameters"),
    QT_TRANSLATE_NOOP("CBatchConfigFrame", "Recording Parameters"),
    QT_TRANSLATE_NOOP("CBatchConfigFrame", "DDNS Parameters"),
    QT_TRANSLATE_NOOP("CBatchConfigFrame", "NTP Parameters"),
    QT_TRANSLATE_NOOP("CBatchConfigFrame", "NFS Parameters"),
    QT_TRANSLATE_NOOP("CBatchConfigFrame", "Email Parameters"),
    QT_TRANSLATE_NOOP("CBatchConfigFrame", "RS485 Parameters"),
};

constexpr int ColumnWidths[CBatchConfigFrame::ColumnCount] = { 30, 120, 250, 100, 100, 175, 175 };

} // namespace

CBatchConfigFrame::CBatchConfigFrame(QWidget *parent)
    : QFrame(parent), ui(std::make_unique<Ui::CBatchConfigFrameClass>())
{
    ui->setupUi(this);
    m_rows = std::make_unique<DeviceCheckTable>(ui->BatchConfigTable, ui->checkAll,
        DeviceCheckTable::Layout { CheckColumn, NameColumn, SerialColumn, IpColumn, StateColumn,
            DeviceIndexRole, TaskIndexRole },
        ColumnWidths);
    ui->BatchConfigTable->setHorizontalHeaderLabels(
        { QString(), tr("Device Name"), tr("Device Serial No."), tr("IP Address"), tr("Set State"),
            tr("Succeed to set"), tr("Failed to set") });
    ui->progressBar->setRange(0, 100);
    ui->progressBar->hide();

    connect(ui->checkAll, &QCheckBox::clicked, this, &CBatchConfigFrame::AllCheckClicked);
    connect(m_rows.get(), &DeviceCheckTable::rowCheckToggled, this,
        &CBatchConfigFrame::SingleCheckClicked);
    connect(ui->btnStartConfig, &QPushButton::clicked, this, &CBatchConfigFrame::ClickBtnConfig);
    connect(ui->btnBrowse, &QPushButton::clicked, this, &CBatchConfigFrame::browseFile);
    connect(&m_timer, &QTimer::timeout, this, &CBatchConfigFrame::timerSchedule);
}

// The main window refuses to close during a run; a page that goes anyway
// takes its worker with it rather than leave it on freed tasks.
CBatchConfigFrame::~CBatchConfigFrame()
{
    if (m_running) {
        m_manager->Stop();
    }
}

void CBatchConfigFrame::ClearDevices()
{
    m_rows->clear();
}

void CBatchConfigFrame::SetDevices(const std::vector<DEVICEINFO> &devices)
{
    m_rows->setDevices(devices, StateText(TaskUnset));
}

QString CBatchConfigFrame::SectionNames(quint32 bits)
{
    QStringList names;
    for (int i = 0; i < BatchSectionCount; ++i) {
        if ((bits & batchSectionBit(i)) != 0) {
            names << tr(SectionTexts[i]);
        }
    }
    return names.join(QLatin1Char(','));
}

QString CBatchConfigFrame::StateText(qint32 state)
{
    switch (state) {
    case TaskUnset:
        return tr("Unset");
    case TaskSetComplete:
        return tr("Set Complete");
    case TaskSettingUp:
        return tr("Setting up");
    case TaskFailedToSet:
        return tr("Failed to set");
    default:
        return QString();
    }
}

void CBatchConfigFrame::AllCheckClicked(bool checked)
{
    m_rows->checkAll(checked);
}

void CBatchConfigFrame::SingleCheckClicked(bool checked)
{
    m_rows->rowToggled(checked);
}

void CBatchConfigFrame::browseFile()
{
    const QString fileName = askTempletFileName();
    if (!fileName.isEmpty()) {
        ui->editFilePath->setText(fileName);
    }
}

void CBatchConfigFrame::ClickBtnConfig()
{
    if (m_running) {
        stopConfig(true);
    } else {
        startConfig();
    }
}

void CBatchConfigFrame::startConfig()
{
    if (ui->editFilePath->text().isEmpty()) {
        showInformation(tr("Warning"), tr("Please select parameter templet file!"));
        return;
    }

    TervixServices *services = tervixServices();
    DeviceContext context;
    if (services != nullptr) {
        context.store = services->deviceStore();
        context.defaults = { services->defaultUserName(), services->defaultPassword() };
    }
    m_manager = std::make_unique<CBatchConfigManager>(std::move(context));

    const int checked = m_rows->assignTasks(
        [this](int, const DEVICEINFO &record) { return m_manager->AddTask(record); });
    if (checked == 0) {
        showInformation(tr("Warning"), tr("Please select device"));
        return;
    }

    // Rows stay where they are while the refresh writes into them.
    QTableWidget *table = ui->BatchConfigTable;
    table->setSortingEnabled(false);
    if (!m_manager->Start(ui->editFilePath->text(), ui->RebootCheckBox->isChecked())) {
        showInformation(tr("Warning"), tr("Failed to setup parameters!"));
        log(tr("Failed to setup parameters!"));
        // The next start adds the checked devices again; keeping these would
        // configure each of them twice.
        m_manager->ClearTasks();
        table->setSortingEnabled(true);
        return;
    }
    m_timer.start(RefreshMs);
    setRunningLook(true);
    m_running = true;
}

void CBatchConfigFrame::stopConfig(bool finalRefresh)
{
    m_timer.stop();
    m_manager->Stop();
    if (finalRefresh) {
        refresh();
    }
    m_manager->ClearTasks();
    setRunningLook(false);
    m_running = false;
    ui->BatchConfigTable->setSortingEnabled(true);
}

void CBatchConfigFrame::timerSchedule()
{
    if (refresh() == 100) {
        stopConfig(false);
    }
}

int CBatchConfigFrame::refresh()
{
    // Read before the states: a task counts as done only after its state is
    // final, so at 100 % every state read below is the last one.
    const int progress = int(m_manager->Progress());
    QTableWidget *table = ui->BatchConfigTable;
    for (const int row : m_rows->checkedRows()) {
        const int task = m_rows->taskIndex(row);
        qCDebug(lcBatch, "Batch config manager device index:%d", task);
        m_rows->setStateText(row, StateText(m_manager->State(task)));
        table->item(row, AppliedColumn)
            ->setText(SectionNames(quint32(std::max(0, m_manager->AppliedSections(task)))));
        table->item(row, FailedColumn)
            ->setText(SectionNames(quint32(std::max(0, m_manager->FailedSections(task)))));
    }
    ui->progressBar->setValue(progress);
    qCDebug(lcBatch, "iTotalProgress:%d", progress);
    return progress;
}

void CBatchConfigFrame::setRunningLook(bool running)
{
    m_rows->setChecksEnabled(!running);
    ui->RebootCheckBox->setEnabled(!running);
    ui->progressBar->setVisible(running);
    if (!running) {
        ui->progressBar->setValue(0);
    }
    ui->btnStartConfig->setText(running ? tr("Stop Set") : tr("Start Set"));
}

void CBatchConfigFrame::log(const QString &text) const
{
    if (TervixServices *services = tervixServices()) {
        services->Log(text);
    }
}

void CBatchConfigFrame::showInformation(const QString &title, const QString &text)
{
    QMessageBox::information(this, title, text, QMessageBox::Ok);
}

QString CBatchConfigFrame::askTempletFileName()
{
    return QFileDialog::getOpenFileName(
        this, tr("Open"), QStringLiteral("."), tr("xml files (*.xml)"));
}
