#include "channelconfig.h"

#include "debuglog.h"
#include "devicesdk.h"
#include "pagewidgets.h"
#include "solvane.h"

#include "ui_channelconfig.h"

#include <QMessageBox>

#include <algorithm>
#include <array>
#include <iterator>

namespace {

// The records of this page belong to the camera's first channel.
constexpr qint32 Channel = 1;

// The stream block the compression type combo shows: main stream, then sub stream.
int blockOf(int comboIndex)
{
    return comboIndex == 1 ? CompressCfg::SubStream : CompressCfg::MainStream;
}

template<std::size_t N> int indexIn(const quint8 (&values)[N], quint32 value)
{
    const auto found = std::find(std::begin(values), std::end(values), value);
    return found == std::end(values) ? -1 : int(found - std::begin(values));
}

// A device value outside the items leaves the combo where it was.
void setComboValue(QComboBox *combo, quint32 value)
{
    if (value < quint32(combo->count())) {
        combo->setCurrentIndex(int(value));
    }
}

// The widgets of the four periods: schedule slots 0 to 3 of the day shown.
struct PeriodWidgets
{
    QTimeEdit *begin;
    QTimeEdit *end;
    QComboBox *type;
};

std::array<PeriodWidgets, 4> periodsOf(const Ui::CChannelconfigClass &ui)
{
    return { { { ui.BegintimeEdit, ui.EndtimeEdit, ui.RecordTypecomboBox1 },
        { ui.BegintimeEdit_2, ui.EndtimeEdit_2, ui.RecordTypecomboBox_2 },
        { ui.BegintimeEdit_3, ui.EndtimeEdit_3, ui.RecordTypecomboBox_3 },
        { ui.BegintimeEdit_4, ui.EndtimeEdit_4, ui.RecordTypecomboBox_4 } } };
}

} // namespace

CChannelconfig::CChannelconfig(QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::CChannelconfigClass>())
{
    ui->setupUi(this);
    ui->VideoBitratespinBox->setEnabled(false);

    connect(
        ui->ShowChanNamecheckBox, &QCheckBox::clicked, this, &CChannelconfig::ShowChanNameChanged);
    connect(ui->ShowOsdcheckBox, &QCheckBox::clicked, this, &CChannelconfig::OSDTypeChanged);
    connect(ui->CompressionTypecomboBox, &QComboBox::currentIndexChanged, this,
        &CChannelconfig::NormHighRecordOrNetChanged);
    connect(ui->VideoBitratecomboBox, &QComboBox::currentIndexChanged, this,
        &CChannelconfig::VideoBitrateSetEnable);
    connect(ui->VideoBitratecomboBox, &QComboBox::currentIndexChanged, this,
        &CChannelconfig::VideoBitratespinBoxEnable);
    connect(ui->SaveButton, &QPushButton::clicked, this, &CChannelconfig::SaveDevChannelCfg);
    connect(ui->DatecomboBox, &QComboBox::currentIndexChanged, this,
        &CChannelconfig::RecordDayComboChange);
    connect(ui->AllDayRecordcheckBox, &QCheckBox::clicked, this, &CChannelconfig::frameEnable);
    connect(ui->RecordgroupBox, &QGroupBox::clicked, this, &CChannelconfig::RECenabled);
    connect(ui->CopyButton, &QPushButton::clicked, this, &CChannelconfig::CopyDate);
}

CChannelconfig::~CChannelconfig() = default;

bool CChannelconfig::isPicTempletChecked() const
{
    return ui->PiccheckBox->isChecked();
}

bool CChannelconfig::isCompressionTempletChecked() const
{
    return ui->CompressioncheckBox->isChecked();
}

bool CChannelconfig::isRecordTempletChecked() const
{
    return ui->RECcheckBox->isChecked();
}

void CChannelconfig::showInformation(const QString &title, const QString &text)
{
    QMessageBox::information(this, title, text, QMessageBox::Ok);
}

CChannelconfig::StreamTypes CChannelconfig::streamTypesOf(const CompressCfg &record)
{
    return { record.streamType(CompressCfg::MainStream), record.streamType(CompressCfg::SubStream),
        record.encodeType(CompressCfg::MainStream), record.encodeType(CompressCfg::SubStream) };
}

void CChannelconfig::LoadConfig(int userId)
{
    m_userId = userId;
    if (userId < 0) {
        setEnabled(false);
        return;
    }
    setEnabled(true);
    // A failed read leaves its record zero-filled, and the page shows the zeros.
    m_picRead = readRecord(userId, m_picCfg, Channel);
    if (!m_picRead) {
        PageWidgets::logLine(tr("Failed to get picture information!"));
    }
    m_compressRead = readRecord(userId, m_compressCfg, Channel);
    if (!m_compressRead) {
        PageWidgets::logLine(tr("Failed to get compression information!"));
    }
    m_recordRead = readRecord(userId, m_recordCfg, Channel);
    if (!m_recordRead) {
        PageWidgets::logLine(tr("Failed to get record information!"));
    }
    m_streams = m_compressCfg;
    m_days = m_recordCfg;

    showPicture();
    showBlock(blockOf(ui->CompressionTypecomboBox->currentIndex()));

    ui->RecordgroupBox->setChecked(m_recordCfg.enabled() != 0);
    // The widgets show the old records: nothing of them is stored in the new ones.
    m_ignoreDayChange = true;
    ui->DatecomboBox->setCurrentIndex(0);
    m_ignoreDayChange = false;
    ui->RecordTypecomboBox->setCurrentIndex(0);
    m_shownDay = 0;
    showDay(0);

    m_streamTypes = streamTypesOf(m_compressCfg);
}

void CChannelconfig::showPicture()
{
    const bool showName = m_picCfg.showChannelName() != 0;
    ui->ShowChanNamecheckBox->setChecked(showName);
    ui->ShowChanNamelineEdit->setText(QString::fromLocal8Bit(m_picCfg.channelName()));
    ui->ShowChanNamelineEdit->setEnabled(showName);
    const bool showOsd = m_picCfg.showOsd() != 0;
    ui->ShowOsdcheckBox->setChecked(showOsd);
    setComboValue(ui->OSDTypecomboBox, m_picCfg.osdType());
    ui->OSDTypecomboBox->setEnabled(showOsd);
    ui->DispWeekcheckBox->setChecked(m_picCfg.showWeek() != 0);
    ui->HourOsdTypecomboBox->setCurrentIndex(m_picCfg.hourOsdType() == 0 ? 0 : 1);
}

void CChannelconfig::GetPicFromUi()
{
    const bool showName = ui->ShowChanNamecheckBox->isChecked();
    m_picCfg.setShowChannelName(showName ? 1 : 0);
    if (showName) {
        m_picCfg.setChannelName(ui->ShowChanNamelineEdit->text().toLocal8Bit());
    }
    m_picCfg.setShowWeek(ui->DispWeekcheckBox->isChecked() ? 1 : 0);
    const bool showOsd = ui->ShowOsdcheckBox->isChecked();
    m_picCfg.setShowOsd(showOsd ? 1 : 0);
    if (showOsd) {
        m_picCfg.setOsdType(quint8(ui->OSDTypecomboBox->currentIndex()));
    }
    m_picCfg.setHourOsdType(quint8(ui->HourOsdTypecomboBox->currentIndex()));
}

void CChannelconfig::showBlock(int block)
{
    ui->VideoBitratespinBox->setEnabled(false);
    ui->StreamTypecomboBox->setCurrentIndex(m_streams.streamType(block) != 0 ? 1 : 0);
    const int resolution = indexIn(resolutionCodes, m_streams.resolution(block));
    if (resolution >= 0) {
        ui->ResolutioncomboBox->setCurrentIndex(resolution);
    }
    ui->BitrateTypecomboBox->setCurrentIndex(m_streams.bitrateType(block) != 0 ? 1 : 0);

    const quint32 bitrate = m_streams.bitrate(block);
    if (CompressCfg::isCustomBitrate(bitrate)) {
        ui->VideoBitratecomboBox->setCurrentIndex(customBitrateIndex);
        ui->VideoBitratespinBox->setValue(int(std::min<quint32>(
            CompressCfg::customBitrateKbps(bitrate), quint32(ui->VideoBitratespinBox->maximum()))));
    } else {
        // Code 0, or one past the items, shows no item; saving then keeps the value.
        ui->VideoBitratecomboBox->setCurrentIndex(
            bitrate >= 1 && bitrate <= quint32(customBitrateIndex) ? int(bitrate) - 1 : -1);
    }
    // The index may not have changed, so its signal may not come.
    VideoBitratespinBoxEnable(ui->VideoBitratecomboBox->currentIndex());

    PageWidgets::showIndex(ui->VideoFrameRatecomboBox, m_streams.frameRate(block));
    ui->IntervalFrameIspinBox->setValue(m_streams.iFrameInterval(block));

    const int encode = indexIn(encodeTypes, m_streams.encodeType(block));
    ui->VideoEncTypecomboBox->setVisible(encode >= 0);
    ui->VideoEncTypelabel->setVisible(encode >= 0);
    if (encode >= 0) {
        ui->VideoEncTypecomboBox->setCurrentIndex(encode);
    }
}

void CChannelconfig::storeBlock(int block)
{
    // A combo showing no item leaves its field as the device sent it.
    PageWidgets::overlayIndex(ui->BitrateTypecomboBox,
        [&](int index) { m_streams.setBitrateType(block, quint8(index)); });
    PageWidgets::overlayIndex(ui->VideoFrameRatecomboBox,
        [&](int index) { m_streams.setFrameRate(block, quint32(index)); });
    const int bitrate = ui->VideoBitratecomboBox->currentIndex();
    if (bitrate >= customBitrateIndex) {
        m_streams.setBitrate(
            block, CompressCfg::customBitrate(quint32(ui->VideoBitratespinBox->value())));
    } else if (bitrate >= 0) {
        m_streams.setBitrate(block, quint32(bitrate) + 1);
    }
    const int encode = ui->VideoEncTypecomboBox->currentIndex();
    if (!ui->VideoEncTypecomboBox->isHidden() && encode >= 0) {
        m_streams.setEncodeType(block, encodeTypes[encode]);
    }
    PageWidgets::overlayIndex(
        ui->StreamTypecomboBox, [&](int index) { m_streams.setStreamType(block, quint8(index)); });
    // The spin box holds at most 65535, so the interval always fits its field.
    m_streams.setIFrameInterval(block, quint16(ui->IntervalFrameIspinBox->value()));
    const int resolution = ui->ResolutioncomboBox->currentIndex();
    if (resolution >= 0 && resolution < int(std::size(resolutionCodes))) {
        m_streams.setResolution(block, resolutionCodes[resolution]);
    }
}

void CChannelconfig::GetCompressionFromUi()
{
    storeBlock(blockOf(ui->CompressionTypecomboBox->currentIndex()));
    for (const int block : { int(CompressCfg::MainStream), int(CompressCfg::SubStream) }) {
        m_compressCfg.setBlock(block, m_streams.block(block));
    }
}

void CChannelconfig::NormHighRecordOrNetChanged(int index)
{
    // The combo has already moved: the block that was shown is the other one.
    storeBlock(blockOf(index == 1 ? 0 : 1));
    showBlock(blockOf(index));
}

void CChannelconfig::VideoBitrateSetEnable(int index)
{
    if (index == customBitrateIndex) {
        ui->VideoBitratespinBox->setEnabled(true);
    }
}

void CChannelconfig::VideoBitratespinBoxEnable(int index)
{
    ui->VideoBitratespinBox->setEnabled(index == customBitrateIndex);
}

void CChannelconfig::ShowChanNameChanged(bool on)
{
    ui->ShowChanNamelineEdit->setEnabled(on);
}

void CChannelconfig::OSDTypeChanged(bool on)
{
    ui->OSDTypecomboBox->setEnabled(on);
}

void CChannelconfig::frameEnable(bool allDay)
{
    // Children of the unticked enable box must stay disabled: enabling one
    // would override the box.
    const bool on = ui->RecordgroupBox->isChecked();
    ui->Timeframe->setEnabled(on && !allDay);
    ui->RecordTypecomboBox->setEnabled(on && allDay);
}

void CChannelconfig::updateRecordWidgets()
{
    frameEnable(ui->AllDayRecordcheckBox->isChecked());
}

void CChannelconfig::RECenabled(bool on)
{
    m_recordCfg.setEnabled(on ? 1 : 0);
    updateRecordWidgets();
}

void CChannelconfig::showDay(int day)
{
    for (const PeriodWidgets &period : periodsOf(*ui)) {
        period.begin->setTime(QTime(0, 0));
        period.end->setTime(QTime(0, 0));
        period.type->setCurrentIndex(0);
    }
    // The all-day box follows the day even while recording is off, so that
    // storing the day later never turns it into another day's setting.
    const bool allDay = m_days.allDay(day) != 0;
    ui->AllDayRecordcheckBox->setChecked(allDay);
    if (allDay) {
        setComboValue(ui->RecordTypecomboBox, m_days.allDayType(day));
    }
    updateRecordWidgets();

    const auto periods = periodsOf(*ui);
    for (int i = 0; i < int(periods.size()); ++i) {
        const RecordSlot slot = m_days.slot(day, i);
        // A time the editor cannot show (24:00) leaves it at 00:00.
        periods[i].begin->setTime(QTime(slot.startHour, slot.startMinute));
        periods[i].end->setTime(QTime(slot.stopHour, slot.stopMinute));
        setComboValue(periods[i].type, slot.type);
    }
}

void CChannelconfig::storeDay(int day)
{
    if (ui->AllDayRecordcheckBox->isChecked()) {
        m_days.setAllDay(day, 1);
        m_days.setAllDayType(day, quint8(std::max(0, ui->RecordTypecomboBox->currentIndex())));
        return;
    }
    m_days.setAllDay(day, 0);
    const auto periods = periodsOf(*ui);
    for (int i = 0; i < int(periods.size()); ++i) {
        const QTime begin = periods[i].begin->time();
        const QTime end = periods[i].end->time();
        m_days.setSlot(day, i,
            { quint8(begin.hour()), quint8(begin.minute()), quint8(end.hour()),
                quint8(end.minute()), quint8(std::max(0, periods[i].type->currentIndex())) });
    }
}

bool CChannelconfig::checkPeriods()
{
    if (ui->AllDayRecordcheckBox->isChecked()) {
        return true;
    }
    const auto periods = periodsOf(*ui);
    for (const PeriodWidgets &period : periods) {
        // Equal start and end is an empty period.
        if (period.begin->time() > period.end->time()) {
            showInformation(
                tr("Error!"), tr("The start time should be earlier than the end time!"));
            return false;
        }
    }
    for (std::size_t i = 0; i < periods.size(); ++i) {
        for (std::size_t j = i + 1; j < periods.size(); ++j) {
            const bool apart = periods[i].begin->time() >= periods[j].end->time()
                || periods[i].end->time() <= periods[j].begin->time();
            if (!apart) {
                showInformation(
                    tr("Error!"), tr("There should no duplicated time between periods!"));
                return false;
            }
        }
    }
    return true;
}

void CChannelconfig::RecconfigChanged(int day)
{
    // The day shown is always set (day 0 from the start), so it stays.
    showDay(day);
}

void CChannelconfig::RecordDayComboChange(int day)
{
    if (m_ignoreDayChange) {
        return;
    }
    if (!checkPeriods()) {
        m_ignoreDayChange = true;
        ui->DatecomboBox->setCurrentIndex(m_shownDay);
        m_ignoreDayChange = false;
        return;
    }
    storeDay(m_shownDay);
    showDay(day);
    m_shownDay = day;
}

void CChannelconfig::CopyDate()
{
    if (!checkPeriods()) {
        return;
    }
    storeDay(m_shownDay);
    // Item 0 is the whole week, item k day k - 1.
    const int target = ui->AllDaycomboBox->currentIndex();
    const QByteArray entry = m_days.dayEntry(m_shownDay);
    const QByteArray schedule = m_days.daySchedule(m_shownDay);
    for (int day = 0; day < RecordCfg::dayCount; ++day) {
        if (target == 0 || day == target - 1) {
            m_days.setDayEntry(day, entry);
            m_days.setDaySchedule(day, schedule);
        }
    }
}

bool CChannelconfig::GetRecordFromUi(bool check)
{
    if (check && !checkPeriods()) {
        return false;
    }
    storeDay(m_shownDay);
    m_recordCfg.setEnabled(ui->RecordgroupBox->isChecked() ? 1 : 0);
    for (int day = 0; day < RecordCfg::dayCount; ++day) {
        m_recordCfg.setDayEntry(day, m_days.dayEntry(day));
        m_recordCfg.setDaySchedule(day, m_days.daySchedule(day));
    }
    return true;
}

void CChannelconfig::SaveDevChannelCfg()
{
    if (m_userId < 0) {
        return;
    }
    // Each record is written on its own: one refused does not stop the next.
    // A record the device did not give is not written back.
    GetPicFromUi();
    if (m_picRead && !writeRecord(m_userId, m_picCfg, Channel)) {
        qCDebug(lcConfig, "Set device PICCFG information failed! \nThe LastError: %d",
            int(SOLV_GetLastError()));
        PageWidgets::logLine(tr("Failed to set video parameters!"));
    } else if (m_picRead) {
        PageWidgets::logLine(tr("Succeed to set video parameters!"));
    }

    GetCompressionFromUi();
    if (m_compressRead && !writeRecord(m_userId, m_compressCfg, Channel)) {
        qCDebug(lcConfig, "Set device COMPRESSCFG information failed! \nThe LastError: %d",
            int(SOLV_GetLastError()));
        PageWidgets::logLine(tr("Failed to set compressing parameters!"));
    } else if (m_compressRead) {
        // The camera takes a new stream or encode type only when it starts again.
        const StreamTypes written = streamTypesOf(m_compressCfg);
        const bool stream = written.streamDiffers(m_streamTypes);
        const bool encode = written.encodeDiffers(m_streamTypes);
        if (stream && encode) {
            PageWidgets::logLine(
                tr("Succeed to set compressing parameters!(Stream type and Encode type will "
                   "effect after reboot)"));
        } else if (stream) {
            PageWidgets::logLine(
                tr("Succeed to set compressing parameters!(Stream type will effect after "
                   "reboot)"));
        } else if (encode) {
            PageWidgets::logLine(
                tr("Succeed to set compressing parameters!(Encode type will effect after "
                   "reboot)"));
        } else {
            PageWidgets::logLine(tr("Succeed to set compressing parameters!"));
        }
        m_streamTypes = written;
    }

    if (!GetRecordFromUi(true) || !m_recordRead) {
        return;
    }
    if (!writeRecord(m_userId, m_recordCfg, Channel)) {
        qCDebug(lcConfig, "Set device RECCFG information failed! \nThe LastError: %d",
            int(SOLV_GetLastError()));
        PageWidgets::logLine(tr("Failed to set recording parameters!"));
    } else {
        PageWidgets::logLine(tr("Succeed to set recording parameters!"));
    }
}
