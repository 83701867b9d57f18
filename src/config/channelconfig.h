#pragma once

#include "records.h"

#include <QWidget>

#include <memory>

namespace Ui {
class CChannelconfigClass;
}

// The configuration frame's channel page: channel name and date display
// (picture record), main and sub stream encoding (compression record) and
// the weekly recording schedule (record record), all of channel 1. The
// widgets edit working copies of the two stream blocks and of the seven days;
// the records keep every other byte as the device sent it.
class CChannelconfig : public QWidget
{
    Q_OBJECT

public:
    explicit CChannelconfig(QWidget *parent = nullptr);
    ~CChannelconfig() override;

    // Reads the three records of the logged-in device into the page; -1 (no
    // login) disables it. A failed read is logged and shows a zeroed record.
    void LoadConfig(int userId);

    // Copy the widgets into the records, for the save button and the templet.
    void GetPicFromUi();
    void GetCompressionFromUi();
    // With check, first runs the period check and returns false, nothing
    // copied, when it fails.
    bool GetRecordFromUi(bool check);

    const PicCfg &picCfg() const { return m_picCfg; }
    const CompressCfg &compressCfg() const { return m_compressCfg; }
    const RecordCfg &recordCfg() const { return m_recordCfg; }
    bool isPicTempletChecked() const;
    bool isCompressionTempletChecked() const;
    bool isRecordTempletChecked() const;

    // Encode type values in the order of the combo's items.
    static constexpr quint8 encodeTypes[] = { 0, 1, 2, 7 };
    // Resolution codes in the order of the combo's items.
    static constexpr quint8 resolutionCodes[]
        = { 0, 1, 2, 3, 4, 16, 17, 18, 19, 20, 21, 22, 27, 28, 29, 30, 31 };
    // The bitrate combo's last item: the rate of the spin box.
    static constexpr int customBitrateIndex = 27;

public slots:
    void ShowChanNameChanged(bool on);
    void OSDTypeChanged(bool on);
    void frameEnable(bool allDay);
    void NormHighRecordOrNetChanged(int index);
    void VideoBitrateSetEnable(int index);
    void SaveDevChannelCfg();
    void VideoBitratespinBoxEnable(int index);
    void RecconfigChanged(int day);
    void RECenabled(bool on);
    void RecordDayComboChange(int day);
    void CopyDate();

protected:
    // A modal box with one OK button; tests record it instead.
    virtual void showInformation(const QString &title, const QString &text);

private:
    struct StreamTypes
    {
        int mainStream = -1, subStream = -1, mainEncode = -1, subEncode = -1;
        bool streamDiffers(const StreamTypes &other) const
        {
            return mainStream != other.mainStream || subStream != other.subStream;
        }
        bool encodeDiffers(const StreamTypes &other) const
        {
            return mainEncode != other.mainEncode || subEncode != other.subEncode;
        }
    };
    static StreamTypes streamTypesOf(const CompressCfg &record);

    void showPicture();
    // Block `block` of the working copy into the widgets, and back.
    void showBlock(int block);
    void storeBlock(int block);
    void showDay(int day);
    void storeDay(int day);
    // The period check of the day shown; true when "All Day" is ticked.
    bool checkPeriods();
    // Timeframe and the all-day type follow the enable box and "All Day".
    void updateRecordWidgets();

    std::unique_ptr<Ui::CChannelconfigClass> ui;
    int m_userId = -1;
    // The records as read; what the save button writes and the templet holds.
    PicCfg m_picCfg;
    CompressCfg m_compressCfg;
    RecordCfg m_recordCfg;
    // Which records the device gave: one it did not is shown as zeros but
    // never written back, which would wipe the device's own values.
    bool m_picRead = false;
    bool m_compressRead = false;
    bool m_recordRead = false;
    // Working copies: only the two stream blocks and the seven days are used.
    CompressCfg m_streams;
    RecordCfg m_days;
    int m_shownDay = 0;
    StreamTypes m_streamTypes;
    bool m_ignoreDayChange = false; // set while the page itself moves the day combo
};
