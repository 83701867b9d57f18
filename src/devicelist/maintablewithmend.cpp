#include "maintablewithmend.h"

#include "debuglog.h"
#include "devicelistmodel.h"
#include "devicestore.h"
#include "maintable.h"
#include "mendrules.h"
#include "progressdialog.h"
#include "singlechange.h"
#include "tervixservices.h"

#include <QCheckBox>
#include <QDebug>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardItemModel>
#include <QToolButton>
#include <QVBoxLayout>

#include <initializer_list>
#include <utility>

using namespace NetworkMend;

namespace {

constexpr int AddressMaxLength = 15;
constexpr int NameMaxLength = 32;
constexpr int MendAreaWidth = 230;


template<typename T> T *named(T *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QLineEdit *addressEdit(QWidget *parent, const char *name)
{
    auto *edit = named(new QLineEdit(parent), name);
    edit->setMaxLength(AddressMaxLength);
    return edit;
}

QToolButton *foldButton(QWidget *parent, const char *name, const char *icon)
{
    auto *button = named(new QToolButton(parent), name);
    button->setAutoRaise(true);
    button->setIcon(QIcon(QLatin1String(icon)));
    return button;
}

using FieldRow = std::pair<QLabel *, QLineEdit *>;

// Puts each label and its edit on one grid row from firstRow on; returns the row after them.
int addFieldRows(QGridLayout *grid, int firstRow, std::initializer_list<FieldRow> rows)
{
    int row = firstRow;
    for (const auto &[label, edit] : rows) {
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row, 1);
        ++row;
    }
    return row;
}

// A mend panel: its title with the fold buttons on top, the folding field frame below.
void layoutPanel(QFrame *panel, QLabel *title, QToolButton *in, QToolButton *out, QFrame *fields)
{
    auto *titleRow = new QHBoxLayout;
    titleRow->addWidget(title, 1);
    titleRow->addWidget(in);
    titleRow->addWidget(out);
    auto *column = new QVBoxLayout(panel);
    column->addLayout(titleRow);
    column->addWidget(fields);
}

} // namespace

CMainTableWithMend::CMainTableWithMend(QWidget *parent) : QTableView(parent)
{
    buildUi();

    m_changeButton->setEnabled(false);
    m_outButton->hide();
    m_batchOutButton->hide();
    m_mendAreaFrame->hide();
    m_batchMendAreaFrame->hide();
    m_batchIpLabel->hide();
    m_batchIpAddrLineEdit->hide();
    m_portLineEdit->setValidator(new QIntValidator(0, 65535, m_portLineEdit));
    m_batchPortLineEdit->setValidator(new QIntValidator(0, 65535, m_batchPortLineEdit));
    m_progressDialog = new ProgressDialog(this);

    connect(m_inButton, &QToolButton::clicked, this, &CMainTableWithMend::MendAreaInorOut);
    connect(m_outButton, &QToolButton::clicked, this, &CMainTableWithMend::MendAreaInorOut);
    connect(
        m_batchInButton, &QToolButton::clicked, this, &CMainTableWithMend::BatchMendAreaInorOut);
    connect(
        m_batchOutButton, &QToolButton::clicked, this, &CMainTableWithMend::BatchMendAreaInorOut);
    connect(tableView(), &QTableView::clicked, this, &CMainTableWithMend::showinfo);
    connect(m_ipCheckBox, &QCheckBox::clicked, this, &CMainTableWithMend::ChooseIPType);
    connect(m_changeButton, &QPushButton::clicked, this, &CMainTableWithMend::DevinfoChanged);
    connect(
        m_batchChangeButton, &QPushButton::clicked, this, &CMainTableWithMend::BatchDevinfoChanged);
    connect(m_allCheckBox, &QCheckBox::clicked, this, &CMainTableWithMend::AllCheckStatChanges);
    connect(&m_worker, &BatchMendThread::FinishSetIpAddress, this,
        &CMainTableWithMend::FinishSetIpAddress, Qt::QueuedConnection);
    connect(&m_worker, &BatchMendThread::FinishSetGateway, this,
        &CMainTableWithMend::FinishSetGateway, Qt::QueuedConnection);
    connect(&m_worker, &BatchMendThread::FinishDeviceCount, this,
        &CMainTableWithMend::FinishDeviceCount, Qt::QueuedConnection);
}

CMainTableWithMend::~CMainTableWithMend()
{
    m_worker.wait();
}

void CMainTableWithMend::buildUi()
{
    setFrameShape(QFrame::NoFrame);
    m_table = named(new CMaintable(this), "TableWithMendTableView");
    m_mendArea = named(new QWidget(this), "MendArea");

    // Single-device panel.
    m_mendAreaFrame = named(new QFrame(m_mendArea), "MendAreaFrame");
    m_mendAreaFrame->setFrameShape(QFrame::StyledPanel);
    m_label6 = named(new QLabel(m_mendAreaFrame), "label_6");
    m_inButton = foldButton(m_mendAreaFrame, "InButton", ":/Tervix/icon/In.png");
    m_outButton = foldButton(m_mendAreaFrame, "OutButton", ":/Tervix/icon/Out.png");
    m_mendFrame = named(new QFrame(m_mendAreaFrame), "MendFrame");
    m_nameLabel = named(new QLabel(m_mendFrame), "label");
    m_devNameLineEdit = named(new QLineEdit(m_mendFrame), "DevNameLineEdit");
    m_devNameLineEdit->setMaxLength(NameMaxLength);
    m_ipLabel = named(new QLabel(m_mendFrame), "label_2");
    m_ipAddrLineEdit = addressEdit(m_mendFrame, "IPAddrLineEdit");
    m_maskLabel = named(new QLabel(m_mendFrame), "label_4");
    m_maskLineEdit = addressEdit(m_mendFrame, "MaskLineEdit");
    m_gatewayLabel = named(new QLabel(m_mendFrame), "label_3");
    m_gatewayLineEdit = addressEdit(m_mendFrame, "GatewayLineEdit");
    m_portLabel = named(new QLabel(m_mendFrame), "label_5");
    m_portLineEdit = named(new QLineEdit(m_mendFrame), "PortLineEdit");
    m_changeButton = named(new QPushButton(m_mendFrame), "ChangepushButton");

    auto *fields = new QGridLayout(m_mendFrame);
    fields->setContentsMargins(0, 0, 0, 0);
    const int changeRow = addFieldRows(fields, 0,
        { { m_nameLabel, m_devNameLineEdit }, { m_ipLabel, m_ipAddrLineEdit },
            { m_maskLabel, m_maskLineEdit }, { m_gatewayLabel, m_gatewayLineEdit },
            { m_portLabel, m_portLineEdit } });
    fields->addWidget(m_changeButton, changeRow, 1);
    layoutPanel(m_mendAreaFrame, m_label6, m_inButton, m_outButton, m_mendFrame);

    // Batch panel.
    m_batchMendAreaFrame = named(new QFrame(m_mendArea), "BatchMendAreaFrame");
    m_batchMendAreaFrame->setFrameShape(QFrame::StyledPanel);
    m_label7 = named(new QLabel(m_batchMendAreaFrame), "label_7");
    m_batchInButton = foldButton(m_batchMendAreaFrame, "BatchInButton", ":/Tervix/icon/In.png");
    m_batchOutButton = foldButton(m_batchMendAreaFrame, "BatchOutButton", ":/Tervix/icon/Out.png");
    m_batchMendFrame = named(new QFrame(m_batchMendAreaFrame), "BatchMendFrame");
    m_ipCheckBox = named(new QCheckBox(m_batchMendFrame), "IPcheckBox");
    m_startIpLabel = named(new QLabel(m_batchMendFrame), "StartIPlabel");
    m_startIpLineEdit = addressEdit(m_batchMendFrame, "StartIPLineEdit");
    m_batchIpLabel = named(new QLabel(m_batchMendFrame), "IPlabel");
    m_batchIpAddrLineEdit = addressEdit(m_batchMendFrame, "BatchIPAddrLineEdit");
    m_batchMaskLabel = named(new QLabel(m_batchMendFrame), "label_19");
    m_batchMaskLineEdit = addressEdit(m_batchMendFrame, "BatchMaskLineEdit");
    m_batchGatewayLabel = named(new QLabel(m_batchMendFrame), "label_20");
    m_batchGatewayLineEdit = addressEdit(m_batchMendFrame, "BatchGatewayLineEdit");
    m_batchPortLabel = named(new QLabel(m_batchMendFrame), "label_21");
    m_batchPortLineEdit = named(new QLineEdit(m_batchMendFrame), "BatchPortLineEdit");
    m_batchChangeButton = named(new QPushButton(m_batchMendFrame), "BatchChangeButton");

    auto *batchFields = new QGridLayout(m_batchMendFrame);
    batchFields->setContentsMargins(0, 0, 0, 0);
    batchFields->addWidget(m_ipCheckBox, 0, 1);
    const int batchChangeRow = addFieldRows(batchFields, 1,
        { { m_startIpLabel, m_startIpLineEdit }, { m_batchIpLabel, m_batchIpAddrLineEdit },
            { m_batchMaskLabel, m_batchMaskLineEdit },
            { m_batchGatewayLabel, m_batchGatewayLineEdit },
            { m_batchPortLabel, m_batchPortLineEdit } });
    batchFields->addWidget(m_batchChangeButton, batchChangeRow, 1);
    layoutPanel(
        m_batchMendAreaFrame, m_label7, m_batchInButton, m_batchOutButton, m_batchMendFrame);

    // Select-all box.
    m_chooseAllFrame = named(new QFrame(m_mendArea), "ChooseAllFrame");
    m_allCheckBox = named(new QCheckBox(m_chooseAllFrame), "AllcheckBox");
    auto *chooseAll = new QHBoxLayout(m_chooseAllFrame);
    chooseAll->setContentsMargins(4, 0, 4, 0);
    chooseAll->addWidget(m_allCheckBox);
    chooseAll->addStretch();

    auto *area = new QVBoxLayout(m_mendArea);
    area->setContentsMargins(0, 0, 0, 0);
    area->addWidget(m_mendAreaFrame);
    area->addWidget(m_batchMendAreaFrame);
    area->addWidget(m_chooseAllFrame);
    area->addStretch();
    m_mendArea->setFixedWidth(MendAreaWidth);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_table, 1);
    layout->addWidget(m_mendArea);

    retranslateUi();
}

void CMainTableWithMend::retranslateUi()
{
    setWindowTitle(tr("CMainTableWithMend"));
    m_label6->setText(tr("Modify Device Information"));
    m_nameLabel->setText(tr("Device Name"));
    m_ipLabel->setText(tr("IP Address"));
    m_maskLabel->setText(tr("Subnet Mask"));
    m_gatewayLabel->setText(tr("Gateway"));
    m_portLabel->setText(tr("Port"));
    m_changeButton->setText(tr("Modify"));
    m_label7->setText(tr("Modify Device Information"));
    m_ipCheckBox->setText(tr("One IP"));
    m_startIpLabel->setText(tr("Start IP Address"));
    m_batchIpLabel->setText(tr("IP Address"));
    m_batchMaskLabel->setText(tr("Subnet Mask"));
    m_batchGatewayLabel->setText(tr("Gateway"));
    m_batchPortLabel->setText(tr("Port"));
    m_batchChangeButton->setText(tr("Modify"));
    m_allCheckBox->setText(tr("All"));
    for (QLineEdit *edit : { m_devNameLineEdit, m_ipAddrLineEdit, m_maskLineEdit, m_gatewayLineEdit,
             m_portLineEdit, m_startIpLineEdit, m_batchIpAddrLineEdit, m_batchMaskLineEdit,
             m_batchGatewayLineEdit, m_batchPortLineEdit }) {
        edit->clear();
    }
}

void CMainTableWithMend::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        retranslateUi();
    }
    QTableView::changeEvent(event);
}

// --- the table -----------------------------------------------------------

void CMainTableWithMend::SetDeviceModel(QStandardItemModel *model)
{
    m_model = model;
    tableView()->setModel(model);
    // The panel follows the current row however it moves: click or keys.
    connect(tableView()->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
        [this](const QModelIndex &current) { showinfo(current); });
    for (int column = 0; column < DeviceList::ColumnCount; ++column) {
        tableView()->setColumnWidth(column, DeviceList::ColumnWidth(column));
    }
}

QTableView *CMainTableWithMend::tableView() const
{
    return m_table->tableView();
}

int CMainTableWithMend::CurrentRow() const
{
    return m_table->CurrentRow();
}

void CMainTableWithMend::SelectRow(int row)
{
    m_table->SelectRow(row);
}

void CMainTableWithMend::SetMendAreaVisible(bool visible)
{
    m_mendArea->setVisible(visible);
}

bool CMainTableWithMend::IsMendAreaVisible() const
{
    return !m_mendArea->isHidden();
}

bool CMainTableWithMend::IsSinglePanelShown() const
{
    return !m_mendAreaFrame->isHidden();
}

bool CMainTableWithMend::IsBatchPanelShown() const
{
    return !m_batchMendAreaFrame->isHidden();
}

void CMainTableWithMend::SetAllChecked(bool checked)
{
    m_allCheckBox->setChecked(checked);
}

bool CMainTableWithMend::IsAllChecked() const
{
    return m_allCheckBox->isChecked();
}

// --- showing and hiding --------------------------------------------------

void CMainTableWithMend::setSinglePanelFolded(bool folded)
{
    m_mendFrame->setVisible(!folded);
    m_inButton->setVisible(folded);
    m_outButton->setVisible(!folded);
    m_singleFolded = folded;
}

void CMainTableWithMend::setBatchPanelFolded(bool folded)
{
    m_batchMendFrame->setVisible(!folded);
    m_batchInButton->setVisible(folded);
    m_batchOutButton->setVisible(!folded);
    m_batchFolded = folded;
}

void CMainTableWithMend::MendAreaInorOut()
{
    setSinglePanelFolded(!m_singleFolded);
}

void CMainTableWithMend::BatchMendAreaInorOut()
{
    setBatchPanelFolded(!m_batchFolded);
}

void CMainTableWithMend::ChooseIPType(bool on)
{
    m_batchIpLabel->setVisible(on);
    m_batchIpAddrLineEdit->setVisible(on);
    m_startIpLabel->setVisible(!on);
    m_startIpLineEdit->setVisible(!on);
}

void CMainTableWithMend::GroupBoxShow()
{
    m_mendAreaFrame->hide();
    m_batchMendAreaFrame->show();
}

void CMainTableWithMend::GroupBoxHide()
{
    m_batchMendAreaFrame->hide();
}

void CMainTableWithMend::AllMendAreaHide()
{
    m_mendAreaFrame->hide();
    m_batchMendAreaFrame->hide();
}

void CMainTableWithMend::InfoShowOrNot()
{
    if (!m_mendAreaFrame->isHidden()) {
        m_mendAreaFrame->hide();
        return;
    }
    // A panel that opens shows its fields, so its fold buttons stay true.
    m_mendAreaFrame->show();
    setSinglePanelFolded(false);
}

void CMainTableWithMend::InfoShowOrNot(const QModelIndex &)
{
    // Shows the panel as the user left it: a panel folded with In/Out stays
    // folded.
    if (m_batchMendAreaFrame->isHidden()) {
        m_mendAreaFrame->show();
    }
}

void CMainTableWithMend::AllCheckStatChanges(bool on)
{
    if (m_model == nullptr) {
        return;
    }
    for (int row = 0; row < m_model->rowCount(); ++row) {
        if (QStandardItem *item = m_model->item(row, 0)) {
            item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
        }
    }
}

// --- single device -------------------------------------------------------

void CMainTableWithMend::showinfo(const QModelIndex &index)
{
    if (m_model == nullptr || !index.isValid()) {
        return;
    }
    m_changeButton->setEnabled(true);
    const int row = index.row();
    qCDebug(lcDevices, "iCurRow:%d", row);
    auto text = [&](int column) { return m_model->index(row, column).data().toString(); };
    m_ipAddrLineEdit->setText(text(DeviceList::IpColumn));
    m_devNameLineEdit->setText(text(DeviceList::NameColumn));
    m_maskLineEdit->setText(text(DeviceList::MaskColumn));
    m_gatewayLineEdit->setText(text(DeviceList::GatewayColumn));
    m_portLineEdit->setText(text(DeviceList::PortColumn));
    m_shownSerial = text(DeviceList::SerialColumn);
}

void CMainTableWithMend::DevinfoChanged()
{
    SingleChange change;
    change.name = m_devNameLineEdit->text();
    change.ip = m_ipAddrLineEdit->text();
    change.mask = m_maskLineEdit->text();
    change.gateway = m_gatewayLineEdit->text();
    change.port = m_portLineEdit->text();

    // The device must still be the one whose fields the panel shows.
    const int row = CurrentRow();
    const int slot = row >= 0 && m_model != nullptr ? DeviceList::SlotOfRow(m_model, row) : -1;
    const SingleChangeResult result
        = ApplySingleChange(deviceContext(), slot, change, m_shownSerial);
    if (result.status != SingleChangeResult::Applied) {
        showMessage(
            result.status == SingleChangeResult::NoDevice ? tr("Error") : tr("Error!"),
            result.message);
        return;
    }
    if (result.addressSet) {
        m_model->setData(m_model->index(row, DeviceList::IpColumn), result.ip);
        m_model->setData(m_model->index(row, DeviceList::MaskColumn), result.mask);
        m_model->setData(
            m_model->index(row, DeviceList::PortColumn), QString::number(result.port));
        qCDebug(lcDevices, "iCurRow:%d", row);
    }
    if (result.nameSet.value_or(false)) {
        m_model->setData(m_model->index(row, DeviceList::NameColumn), result.name);
    }
    if (result.gatewaySet.value_or(false)) {
        m_model->setData(m_model->index(row, DeviceList::GatewayColumn), result.gateway);
    }
}

// --- batch ---------------------------------------------------------------

void CMainTableWithMend::BatchDevinfoChanged()
{
    const bool oneIp = m_ipCheckBox->isChecked();
    const QString addressText = oneIp ? m_batchIpAddrLineEdit->text() : m_startIpLineEdit->text();
    const QString maskText = m_batchMaskLineEdit->text();
    const QString gatewayText = m_batchGatewayLineEdit->text();
    const QString portText = m_batchPortLineEdit->text();
    m_ticked.clear();
    m_tickedSerials.clear();

    const QString problem = CheckNetworkFields(addressText, maskText, gatewayText, portText);
    if (!problem.isEmpty()) {
        showMessage(tr("Error!"), problem);
        return;
    }
    if (m_model == nullptr) {
        return;
    }
    for (int row = 0; row < m_model->rowCount(); ++row) {
        if (DeviceList::IsRowChecked(m_model, row)) {
            const QModelIndex serialCell = m_model->index(row, DeviceList::SerialColumn);
            const int slot = serialCell.data(DeviceList::TagRole).toInt();
            m_ticked.append(BatchMendItem { slot, row, QString() });
            m_tickedSerials.insert(slot, serialCell.data().toString());
        }
    }
    if (m_ticked.isEmpty()) {
        return;
    }

    QStringList addresses;
    QString error;
    if (!BatchAddresses(
            CanonicalAddress(addressText), oneIp, int(m_ticked.size()), &addresses, &error)) {
        m_ticked.clear();
        m_tickedSerials.clear();
        showMessage(tr("Error!"), error);
        return;
    }
    for (int i = 0; i < m_ticked.size(); ++i) {
        m_ticked[i].ip = addresses.at(i);
    }

    m_progressDialog->setText(tr("Modifying, please wait..."));
    m_progressDialog->setRange(0, int(m_ticked.size()));
    m_progressDialog->setValue(0);
    m_worker.SetParameters(deviceContext(), m_ticked, static_cast<quint16>(portText.toUInt()),
        CanonicalAddress(maskText),
        gatewayText.isEmpty() ? QString() : CanonicalAddress(gatewayText));
    m_worker.start(QThread::InheritPriority);
    m_progressDialog->exec();
    m_worker.wait();
    m_ticked.clear();
    m_tickedSerials.clear();
    qCDebug(lcDevices, "Batch modify complete!");
    update();
}

void CMainTableWithMend::FinishSetIpAddress(
    int iDevIndex, int iRow, QString ip, unsigned short nPort, QString mask, bool result)
{
    const QString serial = m_tickedSerials.value(iDevIndex, serialOfSlot(iDevIndex));
    if (result) {
        const int row = rowOfDevice(iDevIndex, serial, iRow);
        if (row >= 0) {
            setCell(row, DeviceList::IpColumn, ip);
            setCell(row, DeviceList::MaskColumn, mask);
            setCell(row, DeviceList::PortColumn, QString::number(nPort));
        }
    }
    log(IpPortMaskLogLine(serial, ip, nPort, mask, result));
}

void CMainTableWithMend::FinishSetGateway(int iDevIndex, int iRow, QString gateway, bool result)
{
    const QString serial = m_tickedSerials.value(iDevIndex, serialOfSlot(iDevIndex));
    if (result) {
        const int row = rowOfDevice(iDevIndex, serial, iRow);
        if (row >= 0) {
            setCell(row, DeviceList::GatewayColumn, gateway);
        }
    }
    log(GatewayLogLine(serial, gateway, result));
}

void CMainTableWithMend::FinishDeviceCount(int iCount)
{
    m_progressDialog->setValue(iCount);
    if (iCount == m_ticked.size()) {
        m_progressDialog->done(0);
    }
}

// --- helpers -------------------------------------------------------------

CDeviceStore *CMainTableWithMend::store() const
{
    if (m_store != nullptr) {
        return m_store;
    }
    TervixServices *services = tervixServices();
    return services != nullptr ? services->deviceStore() : nullptr;
}

DeviceContext CMainTableWithMend::deviceContext() const
{
    DeviceContext context { store(), {}, [this](const QString &text) { log(text); } };
    if (const TervixServices *services = tervixServices()) {
        context.defaults
            = { QByteArray(services->defaultUserName()), QByteArray(services->defaultPassword()) };
    }
    return context;
}

QString CMainTableWithMend::serialOfSlot(int slot) const
{
    DEVICEINFO device {};
    CDeviceStore *devices = store();
    if (devices == nullptr || !devices->CopyOut(slot, &device)) {
        return QString();
    }
    return DeviceList::FieldText(device.szSerialNo);
}

int CMainTableWithMend::rowOfDevice(int slot, const QString &serial, int hint) const
{
    if (m_model == nullptr) {
        return -1;
    }
    // Rows move when devices leave the list during a run: trust the row only
    // while it still holds the device.
    auto holds = [&](int row) {
        const QModelIndex cell = m_model->index(row, DeviceList::SerialColumn);
        return cell.data().toString() == serial && cell.data(DeviceList::TagRole).toInt() == slot;
    };
    if (hint >= 0 && hint < m_model->rowCount() && holds(hint)) {
        return hint;
    }
    for (int row = 0; row < m_model->rowCount(); ++row) {
        if (holds(row)) {
            return row;
        }
    }
    return -1;
}

void CMainTableWithMend::setCell(int row, int column, const QString &text)
{
    m_model->setData(m_model->index(row, column), text);
}

void CMainTableWithMend::showMessage(const QString &title, const QString &text)
{
    QMessageBox::information(this, title, text, QMessageBox::Ok);
}

void CMainTableWithMend::log(const QString &text) const
{
    if (TervixServices *services = tervixServices()) {
        services->Log(text);
    } else {
        qCDebug(lcDevices).noquote() << text;
    }
}
