#include "channelconfig.h"
#include "devicesdk.h"
#include "fakeservices.h"
#include "fleet.h"
#include "records.h"

#include "mirt.h"
#include "solvane.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimeEdit>

#include <functional>

namespace {

constexpr quint16 FleetPort = 18720;
constexpr int Main = CompressCfg::MainStream;
constexpr int Sub = CompressCfg::SubStream;
constexpr quint32 Commands[] = { SOLV_GET_PICCFG, SOLV_GET_COMPRESSCFG, SOLV_GET_RECORDCFG };

// Records its boxes instead of showing them.
class TestPage : public CChannelconfig
{
public:
    QStringList boxes; // "title|text"

    template<typename Widget = QComboBox> Widget *w(const char *name)
    {
        Widget *widget = findChild<Widget *>(QLatin1String(name));
        Q_ASSERT(widget);
        return widget;
    }
    // Period i (0 to 3) of the day shown.
    void setPeriod(int i, const char *begin, const char *end)
    {
        static const char *const suffix[] = { "", "_2", "_3", "_4" };
        w<QTimeEdit>(QByteArray("BegintimeEdit") + suffix[i])->setTime(QTime::fromString(begin));
        w<QTimeEdit>(QByteArray("EndtimeEdit") + suffix[i])->setTime(QTime::fromString(end));
    }

protected:
    void showInformation(const QString &title, const QString &text) override
    {
        boxes << title + QLatin1Char('|') + text;
    }
};

struct Records
{
    PicCfg pic;
    CompressCfg compress;
    RecordCfg record;

    QByteArray bytes(quint32 command) const
    {
        return command == SOLV_GET_PICCFG     ? pic.bytes()
            : command == SOLV_GET_COMPRESSCFG ? compress.bytes()
                                              : record.bytes();
    }
};

using PageEdit = std::function<void(TestPage &)>;
using RecordsEdit = std::function<void(Records &)>;

const QString PicOk = QStringLiteral("Succeed to set video parameters!");
const QString CompressOk = QStringLiteral("Succeed to set compressing parameters!");
const QString RecordOk = QStringLiteral("Succeed to set recording parameters!");
const QString Overlap = QStringLiteral("Error!|There should no duplicated time between periods!");

} // namespace

Q_DECLARE_METATYPE(PageEdit)
Q_DECLARE_METATYPE(RecordsEdit)

class TestChannelconfig : public QObject
{
    Q_OBJECT

    std::unique_ptr<devsim::Fleet> m_fleet;
    std::unique_ptr<SdkLogin> m_login;
    FakeServices m_services;
    int m_nextCamera = 0;

    Records records(int camera) const
    {
        Records r;
        r.pic.bytes() = m_fleet->record(camera, SOLV_GET_PICCFG);
        r.compress.bytes() = m_fleet->record(camera, SOLV_GET_COMPRESSCFG);
        r.record.bytes() = m_fleet->record(camera, SOLV_GET_RECORDCFG);
        return r;
    }

    void load(TestPage &page, int camera)
    {
        m_login = std::make_unique<SdkLogin>(
            m_fleet->address(camera).toLatin1(), FleetPort, "admin", "60917");
        page.LoadConfig(m_login->userId());
    }

    // A camera of its own for each test, its listed fields set to known values
    // (every other byte keeps the simulator's pattern), loaded into page.
    int prepare(TestPage &page, const RecordsEdit &tweak = {})
    {
        const int camera = m_nextCamera++;
        Records r = records(camera);
        r.pic.setChannelName("Gate 01");
        r.pic.setShowChannelName(1);
        r.pic.setShowOsd(1);
        r.pic.setOsdType(2);
        r.pic.setShowWeek(1);
        r.pic.setHourOsdType(1);
        for (const int block : { Main, Sub }) {
            r.compress.setStreamType(block, block == Main ? 1 : 0);
            r.compress.setResolution(block, block == Main ? 19 : 1);
            r.compress.setBitrateType(block, 1);
            r.compress.setBitrate(block, block == Main ? 23 : 0x80000800);
            r.compress.setFrameRate(block, block == Main ? 0 : 14);
            r.compress.setIFrameInterval(block, 50);
            r.compress.setEncodeType(block, block == Main ? 1 : 0);
        }
        r.record.setEnabled(1);
        for (int day = 0; day < RecordCfg::dayCount; ++day) {
            r.record.setAllDay(day, day >= 5 ? 1 : 0);
            r.record.setAllDayType(day, 3);
            r.record.setSlot(day, 0, { 8, 0, 12, 0, 0 });
            r.record.setSlot(day, 1, { 13, 0, 18, 0, 1 });
            r.record.setSlot(day, 2, {});
            r.record.setSlot(day, 3, {});
        }
        if (tweak) {
            tweak(r);
        }
        for (const quint32 command : Commands) {
            m_fleet->setRecord(camera, command, r.bytes(command));
        }
        load(page, camera);
        return camera;
    }

    void compareRecords(int camera, const Records &expected)
    {
        for (const quint32 command : Commands) {
            QCOMPARE(m_fleet->record(camera, command), expected.bytes(command));
        }
    }

private slots:
    void initTestCase()
    {
        QVERIFY(MIRT_Init() == 0);
        SOLV_Init();
        devsim::FleetOptions options;
        options.count = 64;
        options.firstAddress = QStringLiteral("127.0.72.1");
        options.port = FleetPort;
        options.discoveryPort = 0;
        options.timeScale = 0.01;
        m_fleet = std::make_unique<devsim::Fleet>(options);
        QString error;
        QVERIFY2(m_fleet->start(&error), qPrintable(error));
    }

    void cleanupTestCase()
    {
        m_login.reset();
        m_fleet.reset();
        SOLV_Cleanup();
        MIRT_Fini();
    }

    void init() { m_services.log.clear(); }
    void cleanup() { m_login.reset(); }

    void withoutLoginThePageIsDisabled()
    {
        TestPage page;
        page.LoadConfig(-1);
        QVERIFY(!page.isEnabled());
        QVERIFY(m_services.log.isEmpty());
    }

    void saveChangesOneFieldAndKeepsEveryOtherByte_data()
    {
        QTest::addColumn<PageEdit>("edit");
        QTest::addColumn<RecordsEdit>("expect");
        QTest::newRow("channel name") << PageEdit([](TestPage &p) {
            p.w<QLineEdit>("ShowChanNamelineEdit")->setText("Yard");
        }) << RecordsEdit([](Records &r) { r.pic.setChannelName("Yard"); });
        QTest::newRow("hidden name is not written") << PageEdit([](TestPage &p) {
            p.w<QCheckBox>("ShowChanNamecheckBox")->click();
            p.w<QLineEdit>("ShowChanNamelineEdit")->setText("Yard");
        }) << RecordsEdit([](Records &r) { r.pic.setShowChannelName(0); });
        QTest::newRow("date format")
            << PageEdit([](TestPage &p) { p.w("OSDTypecomboBox")->setCurrentIndex(5); })
            << RecordsEdit([](Records &r) { r.pic.setOsdType(5); });
        QTest::newRow("main encode type")
            << PageEdit([](TestPage &p) { p.w("VideoEncTypecomboBox")->setCurrentIndex(3); })
            << RecordsEdit([](Records &r) { r.compress.setEncodeType(Main, 7); });
        QTest::newRow("sub rate and frame rate, then main shown") << PageEdit([](TestPage &p) {
            p.w("CompressionTypecomboBox")->setCurrentIndex(1);
            p.w<QSpinBox>("VideoBitratespinBox")->setValue(512);
            p.w("VideoFrameRatecomboBox")->setCurrentIndex(3);
            p.w("CompressionTypecomboBox")->setCurrentIndex(0);
        }) << RecordsEdit([](Records &r) {
            r.compress.setBitrate(Sub, 0x80080000);
            r.compress.setFrameRate(Sub, 3);
        });
        QTest::newRow("period end")
            << PageEdit([](TestPage &p) { p.setPeriod(1, "13:00", "17:45"); })
            << RecordsEdit([](Records &r) {
                   r.record.setSlot(0, 1, { 13, 0, 17, 45, 1 });
               });
        QTest::newRow("all day on Tuesday") << PageEdit([](TestPage &p) {
            p.w("DatecomboBox")->setCurrentIndex(1);
            p.w<QCheckBox>("AllDayRecordcheckBox")->click();
            p.w("RecordTypecomboBox")->setCurrentIndex(6);
        }) << RecordsEdit([](Records &r) {
            r.record.setAllDay(1, 1);
            r.record.setAllDayType(1, 6);
        });
        QTest::newRow("recording off") << PageEdit([](TestPage &p) {
            QTest::keyClick(p.w<QGroupBox>("RecordgroupBox"), Qt::Key_Space);
        }) << RecordsEdit([](Records &r) { r.record.setEnabled(0); });
    }

    void saveChangesOneFieldAndKeepsEveryOtherByte()
    {
        QFETCH(PageEdit, edit);
        QFETCH(RecordsEdit, expect);
        TestPage page;
        const int camera = prepare(page);
        Records expected = records(camera);
        edit(page);
        page.w<QPushButton>("SaveButton")->click();
        expect(expected);
        compareRecords(camera, expected);
        QVERIFY(page.boxes.isEmpty());
    }

    void allDayDisablesThePeriods()
    {
        TestPage page;
        prepare(page);
        QVERIFY(page.w<QFrame>("Timeframe")->isEnabled());
        page.w("DatecomboBox")->setCurrentIndex(6);
        QVERIFY(page.w<QCheckBox>("AllDayRecordcheckBox")->isChecked());
        QVERIFY(!page.w<QFrame>("Timeframe")->isEnabled());
        QCOMPARE(page.w("RecordTypecomboBox")->currentIndex(), 3);
    }

    void bitrateShowsAndWritesBack_data()
    {
        QTest::addColumn<quint32>("value");
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("kbps"); // -1: the spin box is disabled
        QTest::newRow("first code") << 1u << "16K" << -1;
        QTest::newRow("last code") << 27u << "16384K" << -1;
        QTest::newRow("custom 2 kbps") << 0x80000800u << "Customize" << 2;
        QTest::newRow("custom 3000 kbps") << (0x80000000u | 3000u << 10) << "Customize" << 3000;
        QTest::newRow("no code") << 0u << "" << -1;
    }

    void bitrateShowsAndWritesBack()
    {
        QFETCH(quint32, value);
        QFETCH(QString, item);
        QFETCH(int, kbps);
        TestPage page;
        const int camera = prepare(page, [&](Records &r) { r.compress.setBitrate(Main, value); });
        const Records expected = records(camera);
        QCOMPARE(page.w("VideoBitratecomboBox")->currentText(), item);
        QSpinBox *spin = page.w<QSpinBox>("VideoBitratespinBox");
        QCOMPARE(spin->isEnabled(), kbps >= 0);
        QCOMPARE(kbps >= 0 ? spin->value() : -1, kbps);
        page.SaveDevChannelCfg();
        compareRecords(camera, expected);
    }

    void resolutionCodes_data()
    {
        QTest::addColumn<quint8>("code");
        QTest::addColumn<QString>("item");
        QTest::addColumn<quint8>("written");
        const QList<std::pair<quint8, const char *>> items
            = { { 0, "DCIF" }, { 1, "CIF" }, { 2, "QCIF" }, { 3, "4CIF" }, { 4, "2CIF" },
                  { 16, "VGA" }, { 17, "UXGA" }, { 18, "SVGA" }, { 19, "HD720p" }, { 20, "XVGA" },
                  { 21, "HD900p" }, { 22, "SXGAp" }, { 27, "HD1080i" }, { 28, "2560*1920" },
                  { 29, "1600*304" }, { 30, "2048*1536" }, { 31, "2448*2048" } };
        for (const auto &[code, item] : items) {
            QTest::newRow(item) << code << item << code;
        }
        // Unknown: the combo stays on the item it showed before the load.
        QTest::newRow("5 leaves SVGA") << quint8(5) << "SVGA" << quint8(18);
    }

    void resolutionCodes()
    {
        QFETCH(quint8, code);
        QFETCH(QString, item);
        QFETCH(quint8, written);
        TestPage page;
        page.w("ResolutioncomboBox")->setCurrentText("SVGA");
        const int camera = prepare(page, [&](Records &r) { r.compress.setResolution(Main, code); });
        Records expected = records(camera);
        QCOMPARE(page.w("ResolutioncomboBox")->currentText(), item);
        page.SaveDevChannelCfg();
        expected.compress.setResolution(Main, written);
        compareRecords(camera, expected);
    }

    void unknownEncodeTypeIsHiddenAndKept()
    {
        TestPage page;
        const int camera = prepare(page, [](Records &r) { r.compress.setEncodeType(Main, 3); });
        Records expected = records(camera);
        QVERIFY(page.w("VideoEncTypecomboBox")->isHidden());
        QVERIFY(page.w<QLabel>("VideoEncTypelabel")->isHidden());
        page.w("VideoFrameRatecomboBox")->setCurrentIndex(16);
        page.w("CompressionTypecomboBox")->setCurrentIndex(1);
        QVERIFY(!page.w("VideoEncTypecomboBox")->isHidden());
        page.SaveDevChannelCfg();
        expected.compress.setFrameRate(Main, 16);
        compareRecords(camera, expected);
    }

    // One line per record, in order; a stream or encode type waits for a reboot.
    void saveLogsOneLinePerRecord_data()
    {
        QTest::addColumn<PageEdit>("edit");
        QTest::addColumn<QString>("line");
        QTest::newRow("nothing") << PageEdit([](TestPage &) {}) << CompressOk;
        QTest::newRow("encode type")
            << PageEdit([](TestPage &p) { p.w("VideoEncTypecomboBox")->setCurrentIndex(2); })
            << CompressOk + "(Encode type will effect after reboot)";
        QTest::newRow("sub stream type") << PageEdit([](TestPage &p) {
            p.w("CompressionTypecomboBox")->setCurrentIndex(1);
            p.w("StreamTypecomboBox")->setCurrentIndex(1);
        }) << CompressOk + "(Stream type will effect after reboot)";
        QTest::newRow("both") << PageEdit([](TestPage &p) {
            p.w("StreamTypecomboBox")->setCurrentIndex(0);
            p.w("VideoEncTypecomboBox")->setCurrentIndex(0);
        }) << CompressOk + "(Stream type and Encode type will effect after reboot)";
    }

    void saveLogsOneLinePerRecord()
    {
        QFETCH(PageEdit, edit);
        QFETCH(QString, line);
        TestPage page;
        const int camera = prepare(page);
        const QByteArray before = m_fleet->record(camera, SOLV_GET_COMPRESSCFG);
        edit(page);
        page.SaveDevChannelCfg();
        QCOMPARE(m_services.log, (QStringList { PicOk, line, RecordOk }));
        QCOMPARE(m_fleet->streamCompression(camera), before);
        m_fleet->reboot(camera);
        QTRY_VERIFY(m_fleet->isOnline(camera));
        QCOMPARE(m_fleet->streamCompression(camera), m_fleet->record(camera, SOLV_GET_COMPRESSCFG));
        // What was written is what the next save compares with.
        m_services.log.clear();
        load(page, camera);
        page.SaveDevChannelCfg();
        QCOMPARE(m_services.log, (QStringList { PicOk, CompressOk, RecordOk }));
    }

    void refusedSetIsLoggedAndTheOthersAreWritten_data()
    {
        QTest::addColumn<quint32>("refused");
        QTest::addColumn<QStringList>("log");
        QTest::newRow("picture") << quint32(SOLV_GET_PICCFG)
                                 << QStringList { "Failed to set video parameters!", CompressOk,
                                        RecordOk };
        QTest::newRow("compression")
            << quint32(SOLV_GET_COMPRESSCFG)
            << QStringList { PicOk, "Failed to set compressing parameters!", RecordOk };
        QTest::newRow("record") << quint32(SOLV_GET_RECORDCFG)
                                << QStringList { PicOk, CompressOk,
                                       "Failed to set recording parameters!" };
    }

    void refusedSetIsLoggedAndTheOthersAreWritten()
    {
        QFETCH(quint32, refused);
        QFETCH(QStringList, log);
        TestPage page;
        const int camera = prepare(page);
        const Records before = records(camera);
        devsim::Fault fault;
        fault.refusedSets = { refused };
        m_fleet->setFault(camera, fault);
        page.w<QLineEdit>("ShowChanNamelineEdit")->setText("Yard");
        page.w<QSpinBox>("IntervalFrameIspinBox")->setValue(75);
        page.setPeriod(2, "19:00", "20:00");
        page.SaveDevChannelCfg();
        m_fleet->clearFault(camera);
        QCOMPARE(m_services.log, log);
        Records changed = before;
        changed.pic.setChannelName("Yard");
        changed.compress.setIFrameInterval(Main, 75);
        changed.record.setSlot(0, 2, { 19, 0, 20, 0, 0 });
        for (const quint32 command : Commands) {
            QCOMPARE(m_fleet->record(camera, command),
                (command == refused ? before : changed).bytes(command));
        }
    }

    void failedReadsShowZeros()
    {
        TestPage page;
        prepare(page); // the widgets show values first
        const int camera = m_nextCamera++;
        devsim::Fault fault;
        fault.unsupportedCommands = { std::begin(Commands), std::end(Commands) };
        m_fleet->setFault(camera, fault);
        m_services.log.clear();
        load(page, camera);
        m_fleet->clearFault(camera);
        QCOMPARE(m_services.log,
            (QStringList { "Failed to get picture information!",
                "Failed to get compression information!", "Failed to get record information!" }));
        QVERIFY(page.isEnabled());
        QCOMPARE(page.compressCfg().bytes(), QByteArray(CompressCfg::recordSize, '\0'));
        QCOMPARE(page.w<QLineEdit>("ShowChanNamelineEdit")->text(), QString());
        QVERIFY(!page.w<QCheckBox>("ShowOsdcheckBox")->isChecked());
        QCOMPARE(page.w("OSDTypecomboBox")->currentIndex(), 0);
        QCOMPARE(page.w("ResolutioncomboBox")->currentText(), "DCIF");
        QCOMPARE(page.w("VideoFrameRatecomboBox")->currentText(), "Full");
        QCOMPARE(page.w("VideoEncTypecomboBox")->currentText(), "ZOR264");
        QCOMPARE(page.w("VideoBitratecomboBox")->currentIndex(), -1);
        QCOMPARE(page.w<QSpinBox>("IntervalFrameIspinBox")->value(), 0);
        QVERIFY(!page.w<QGroupBox>("RecordgroupBox")->isChecked());
        QCOMPARE(page.w<QTimeEdit>("EndtimeEdit_2")->time(), QTime(0, 0));
    }

    void periodCheck_data()
    {
        QTest::addColumn<QStringList>("periods"); // "begin-end", first period first
        QTest::addColumn<bool>("allDay"); // "All Day" ticked after typing them
        QTest::addColumn<QString>("box"); // empty: the check passes
        const QString reversed = "Error!|The start time should be earlier than the end time!";
        const QStringList overlapping { "08:00-12:30", "12:00-18:00" };
        QTest::newRow("adjacent") << QStringList { "08:00-12:00", "12:00-18:00" } << false << "";
        QTest::newRow("overlapping") << overlapping << false << Overlap;
        QTest::newRow("last two") << QStringList { "00:00-00:00", "00:00-00:00", "09:00-10:00",
            "09:30-11:00" } << false
                                  << Overlap;
        QTest::newRow("reversed") << QStringList { "12:00-08:00" } << false << reversed;
        QTest::newRow("empty beside one")
            << QStringList { "00:00-00:00", "08:00-12:00" } << false << "";
        QTest::newRow("all day skips it") << overlapping << true << "";
    }

    void periodCheck()
    {
        QFETCH(QStringList, periods);
        QFETCH(bool, allDay);
        QFETCH(QString, box);
        TestPage page;
        const int camera = prepare(page);
        const Records before = records(camera);
        Records expected = before;
        for (int i = 0; i < 4; ++i) {
            const QStringList times = periods.value(i, "00:00-00:00").split('-');
            page.setPeriod(i, qPrintable(times.at(0)), qPrintable(times.at(1)));
            const QTime begin = QTime::fromString(times.at(0));
            const QTime end = QTime::fromString(times.at(1));
            expected.record.setSlot(0, i,
                { quint8(begin.hour()), quint8(begin.minute()), quint8(end.hour()),
                    quint8(end.minute()), before.record.slotType(0, i) });
        }
        if (allDay) {
            page.w<QCheckBox>("AllDayRecordcheckBox")->click();
            expected.record = before.record; // the periods typed stay out of the record
            expected.record.setAllDay(0, 1);
            expected.record.setAllDayType(0, 0);
        }
        page.SaveDevChannelCfg();
        QCOMPARE(page.boxes, box.isEmpty() ? QStringList() : QStringList { box });
        if (!box.isEmpty()) {
            // No recording schedule is written; the other records are.
            QCOMPARE(m_services.log, (QStringList { PicOk, CompressOk }));
            expected.record = before.record;
        }
        compareRecords(camera, expected);
    }

    void changingDayWithAnInvalidPeriodKeepsTheDay()
    {
        TestPage page;
        const int camera = prepare(page);
        const Records expected = records(camera);
        page.setPeriod(0, "08:00", "12:30");
        page.setPeriod(1, "12:00", "18:00");
        page.w("DatecomboBox")->setCurrentIndex(1);
        QCOMPARE(page.boxes, QStringList { Overlap });
        QCOMPARE(page.w("DatecomboBox")->currentIndex(), 0);
        QCOMPARE(page.w<QTimeEdit>("EndtimeEdit")->time(), QTime(12, 30));
        // Back to what was read: nothing of the refused change may remain.
        page.setPeriod(0, "08:00", "12:00");
        page.setPeriod(1, "13:00", "18:00");
        page.SaveDevChannelCfg();
        compareRecords(camera, expected);
        QCOMPARE(page.boxes.size(), 1);
    }

    void copyDate_data()
    {
        QTest::addColumn<int>("target"); // item of "Copy to"
        QTest::addColumn<QList<int>>("days");
        QTest::newRow("all week") << 0 << QList<int> { 0, 1, 2, 3, 4, 5, 6 };
        QTest::newRow("Saturday") << 6 << QList<int> { 5 };
    }

    void copyDate()
    {
        QFETCH(int, target);
        QFETCH(QList<int>, days);
        TestPage page;
        const int camera = prepare(page);
        Records expected = records(camera);
        page.w("DatecomboBox")->setCurrentIndex(2);
        page.setPeriod(3, "19:00", "20:00");
        page.w("AllDaycomboBox")->setCurrentIndex(target);
        page.w<QPushButton>("CopyButton")->click();
        page.w("DatecomboBox")->setCurrentIndex(0);
        page.SaveDevChannelCfg();
        expected.record.setSlot(2, 3, { 19, 0, 20, 0, 0 });
        for (const int day : days) {
            expected.record.setDayEntry(day, expected.record.dayEntry(2));
            expected.record.setDaySchedule(day, expected.record.daySchedule(2));
        }
        compareRecords(camera, expected);
    }
};

QTEST_MAIN(TestChannelconfig)
#include "tst_channelconfig.moc"
