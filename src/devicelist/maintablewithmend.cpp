#include "maintablewithmend.h"

#include "maintable.h"

#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QStandardItemModel>
#include <QVBoxLayout>

namespace {

QFrame *makePanel(const QString &name, QWidget *parent)
{
    auto *frame = new QFrame(parent);
    frame->setObjectName(name);
    frame->setFrameShape(QFrame::StyledPanel);
    auto *layout = new QVBoxLayout(frame);
    layout->addWidget(new QLabel(CMainTableWithMend::tr("Modify Device Information"), frame));
    layout->addStretch();
    return frame;
}

} // namespace

CMainTableWithMend::CMainTableWithMend(QWidget *parent)
    : QTableView(parent), m_table(new CMaintable(this)), m_mendArea(new QWidget(this))
{
    setFrameShape(QFrame::NoFrame);
    m_table->setObjectName(QStringLiteral("TableWithMendTableView"));

    m_mendAreaFrame = makePanel(QStringLiteral("MendAreaFrame"), m_mendArea);
    m_batchMendAreaFrame = makePanel(QStringLiteral("BatchMendAreaFrame"), m_mendArea);
    auto *chooseAllFrame = new QFrame(m_mendArea);
    chooseAllFrame->setObjectName(QStringLiteral("ChooseAllFrame"));
    m_allCheckBox = new QCheckBox(tr("All"), chooseAllFrame);
    m_allCheckBox->setObjectName(QStringLiteral("AllcheckBox"));
    auto *chooseAllLayout = new QHBoxLayout(chooseAllFrame);
    chooseAllLayout->addWidget(m_allCheckBox);

    auto *areaLayout = new QVBoxLayout(m_mendArea);
    areaLayout->setContentsMargins(0, 0, 0, 0);
    areaLayout->addWidget(chooseAllFrame);
    areaLayout->addWidget(m_mendAreaFrame);
    areaLayout->addWidget(m_batchMendAreaFrame);
    areaLayout->addStretch();
    m_mendArea->setFixedWidth(220);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_table, 1);
    layout->addWidget(m_mendArea);

    m_mendAreaFrame->hide();
    m_batchMendAreaFrame->hide();
    connect(m_allCheckBox, &QCheckBox::clicked, this, &CMainTableWithMend::AllCheckStatChanges);
}

void CMainTableWithMend::SetDeviceModel(QStandardItemModel *model)
{
    m_model = model;
    tableView()->setModel(model);
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
    m_mendAreaFrame->setVisible(m_mendAreaFrame->isHidden());
}

void CMainTableWithMend::InfoShowOrNot(const QModelIndex &)
{
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
