#include "ptzconfig.h"

#include "ui_ptzconfig.h"

#include "debuglog.h"
#include "devicesdk.h"
#include "pagewidgets.h"
#include "solvane.h"

namespace {

constexpr qint32 PtzChannel = 1;

} // namespace

using PageWidgets::logLine;
using PageWidgets::overlayIndex;
using PageWidgets::showIndex;

CPTZconfig::CPTZconfig(QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::CPTZconfigClass>())
{
    ui->setupUi(this);
    connect(ui->SavepushButton, &QPushButton::clicked, this, &CPTZconfig::SaveDevPTZCfg);
    setPageEnabled(false);
}

CPTZconfig::~CPTZconfig() = default;

bool CPTZconfig::isTempletChecked() const
{
    return ui->PTZcheckBox->isChecked();
}

void CPTZconfig::setPageEnabled(bool enabled)
{
    ui->RS485groupBox->setEnabled(enabled);
    ui->SavepushButton->setEnabled(enabled);
    ui->PTZcheckBox->setEnabled(enabled);
}

void CPTZconfig::LoadConfig(int userId)
{
    m_userId = userId;
    if (userId < 0) {
        setPageEnabled(false);
        return;
    }
    setPageEnabled(true);
    if (!readRecord(userId, m_decoderCfg, PtzChannel)) {
        logLine(tr("Failed to get PTZ parameters!"));
        qCDebug(lcConfig, "Get device DECODERCFG failed! \nThe LastError: %d",
            int(SOLV_GetLastError()));
        // A save would send zeros for every byte the page does not know.
        setPageEnabled(false);
        return;
    }
    showRecord();
}

void CPTZconfig::showRecord()
{
    ui->DecoderTypecomboBox->clear();
    showIndex(ui->BaudRatecomboBox, m_decoderCfg.baudRate());
    showIndex(ui->DataBitcomboBox, m_decoderCfg.dataBits());
    showIndex(ui->StopBitcomboBox, m_decoderCfg.stopBits());
    showIndex(ui->ParitycomboBox, m_decoderCfg.parity());
    showIndex(ui->FlowcontrolcomboBox, m_decoderCfg.flowControl());
    ui->DecoderAddresslineEdit->setValue(m_decoderCfg.decoderAddress());

    if (!readPtzProtocols(m_userId, m_protocols)) {
        logLine(tr("Failed to get PTZ parameters!"));
        qCDebug(lcConfig, "Get PTZProtocol failed! \nThe LastError: %d", int(SOLV_GetLastError()));
        return;
    }
    for (int i = 0; i < m_protocols.count(); ++i) {
        ui->DecoderTypecomboBox->addItem(QString::fromLocal8Bit(m_protocols.name(i)));
    }
    // The first item added became current; a stored type outside the list has none.
    showIndex(ui->DecoderTypecomboBox, m_decoderCfg.decoderType());
}

void CPTZconfig::GetPTZFromUi()
{
    DecoderCfg &record = m_decoderCfg;
    overlayIndex(ui->BaudRatecomboBox, [&](int v) { record.setBaudRate(quint32(v)); });
    overlayIndex(ui->DataBitcomboBox, [&](int v) { record.setDataBits(quint8(v)); });
    overlayIndex(ui->FlowcontrolcomboBox, [&](int v) { record.setFlowControl(quint8(v)); });
    overlayIndex(ui->StopBitcomboBox, [&](int v) { record.setStopBits(quint8(v)); });
    overlayIndex(ui->ParitycomboBox, [&](int v) { record.setParity(quint8(v)); });
    record.setDecoderAddress(quint16(ui->DecoderAddresslineEdit->value()));
    overlayIndex(ui->DecoderTypecomboBox, [&](int v) { record.setDecoderType(quint16(v)); });
}

void CPTZconfig::SaveDevPTZCfg()
{
    GetPTZFromUi();
    if (!writeRecord(m_userId, m_decoderCfg, PtzChannel)) {
        logLine(tr("Failed to save PTZ parameters!"));
        qCDebug(
            lcConfig, "Save device PTZCfg failed! \nThe LastError: %d", int(SOLV_GetLastError()));
        return;
    }
    logLine(tr("Succeed to save PTZ parameters!"));
}
