#pragma once

#include "records.h"

#include <QWidget>

#include <memory>

namespace Ui {
class CPTZconfigClass;
}

// The configuration frame's PTZ page: the RS-485 serial settings and the PTZ
// decoder (protocol and address) of channel 1, in the decoder record; the
// protocol names come from the device.
class CPTZconfig : public QWidget
{
    Q_OBJECT

public:
    explicit CPTZconfig(QWidget *parent = nullptr);
    ~CPTZconfig() override;

    // Reads the decoder record and the protocol list into the page; -1 (no
    // login) or an unreadable record leaves the page disabled.
    void LoadConfig(int userId);
    // Copies the widgets into the decoder record. A combo without a current
    // item (a value the device reported that has none, or no protocol list)
    // leaves its field as read.
    void GetPTZFromUi();

    const DecoderCfg &decoderCfg() const { return m_decoderCfg; }
    bool isTempletChecked() const;

public slots:
    void SaveDevPTZCfg();

private:
    void setPageEnabled(bool enabled);
    void showRecord();

    std::unique_ptr<Ui::CPTZconfigClass> ui;
    int m_userId = -1;
    DecoderCfg m_decoderCfg; // as read, and the working copy
    PtzProtocolList m_protocols;
};
