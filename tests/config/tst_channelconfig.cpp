#include "channelconfig.h"
#include "configtestsupport.h"

#include <QPushButton>

#include <functional>

using namespace configtest;

namespace {

constexpr int Main = CompressCfg::MainStream;
constexpr int Sub = CompressCfg::SubStream;

using Records = CameraRecords<PicCfg, CompressCfg, RecordCfg>;
using Expect = std::function<void(Records &)>;
using TestPage = Recording<CChannelconfig>;

const QString PicOk = QStringLiteral("Succeed to set video parameters!");
const QString CompressOk = QStringLiteral("Succeed to set compressing parameters!");
const QString RecordOk = QStringLiteral("Succeed to set recording parameters!");
const QString Overlap = QStringLiteral("Error!|There should no duplicated time between periods!");

// Period i (0 to 3) of the day shown, "hh:mm".
Steps period(int i, const QString &begin, const QString &end)
{
    static const char *const begins[]
        = { "BegintimeEdit", "BegintimeEdit_2", "BegintimeEdit_3", "BegintimeEdit_4" };
    static const char *const ends[]
        = { "EndtimeEdit", "EndtimeEdit_2", "EndtimeEdit_3", "EndtimeEdit_4" };
    return { { begins[i], begin }, { ends[i], end } };
}

} // namespace

Q_DECLARE_METATYPE(Expect)

class TestChannelconfig : public QObject
{
    Q_OBJECT

    std::unique_ptr<Site> m_site;
    std::unique_ptr<SdkLogin> m_login;
    FakeServices m_services;
    int m_nextCamera = 0;

    Records records(int camera) const { return Records::of(*m_site->fleet, camera); }

    void load(TestPage &page, int camera)
    {
        m_login = m_site->login(camera);
        page.LoadConfig(m_login->userId());
    }

    // A camera of its own for each test, its listed fields set to known values
    // (every other byte keeps the simulator's pattern), loaded into page.
    int prepare(TestPage &page, const Expect &tweak = {})
    {
        const int camera = m_nextCamera++;
        Records r = records(camera);
        PicCfg &pic = r.get<PicCfg>();
        pic.setChannelName("Gate 01");
        pic.setShowChannelName(1);
        pic.setShowOsd(1);
        pic.setOsdType(2);
        pic.setShowWeek(1);
        pic.setHourOsdType(1);
        for (const int block : { Main, Sub }) {
            CompressCfg &compress = r.get<CompressCfg>();
            compress.setStreamType(block, block == Main ? 1 : 0);
            compress.setResolution(block, block == Main ? 19 : 1);
            compress.setBitrateType(block, 1);
            compress.setBitrate(block, block == Main ? 23 : 0x80000800);
            compress.setFrameRate(block, block == Main ? 0 : 14);
            compress.setIFrameInterval(block, 50);
            compress.setEncodeType(block, block == Main ? 1 : 0);
        }
        RecordCfg &record = r.get<RecordCfg>();
        record.setEnabled(1);
        for (int day = 0; day < RecordCfg::dayCount; ++day) {
            record.setAllDay(day, day >= 5 ? 1 : 0);
            record.setAllDayType(day, 3);
            record.setSlot(day, 0, { 8, 0, 12, 0, 0 });
            record.setSlot(day, 1, { 13, 0, 18, 0, 1 });
            record.setSlot(day, 2, {});
            record.setSlot(day, 3, {});
        }
        if (tweak) {
            tweak(r);
        }
        r.store(*m_site->fleet, camera);
        load(page, camera);
        return camera;
    }

private slots:
    void initTestCase()
    {
        m_site = std::make_unique<Site>("127.0.72.1", 18720, 64, 0.01);
        QVERIFY(m_site->start());
    }

    void cleanupTestCase()
    {
        m_login.reset();
        m_site.reset();
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

    // One log line per record, in order; a stream or encode type waits for a reboot.
    void saveChangesOneFieldAndKeepsEveryOtherByte_data()
    {
        QTest::addColumn<Steps>("steps");
        QTest::addColumn<Expect>("expect");
        QTest::addColumn<QString>("compressLine");
        const auto row = [](const char *name, const Steps &steps, const Expect &expect,
                             const QString &compressLine = CompressOk) {
            QTest::newRow(name) << steps << expect << compressLine;
        };
        row("nothing", {}, [](Records &) {});
        row("channel name", { { "ShowChanNamelineEdit", "Yard" } },
            [](Records &r) { r.get<PicCfg>().setChannelName("Yard"); });
        row("hidden name is not written",
            { { "ShowChanNamecheckBox", false }, { "ShowChanNamelineEdit", "Yard" } },
            [](Records &r) { r.get<PicCfg>().setShowChannelName(0); });
        row("date format", { { "OSDTypecomboBox", 5 } },
            [](Records &r) { r.get<PicCfg>().setOsdType(5); });
        row("sub rate and frame rate, then main shown",
            { { "CompressionTypecomboBox", 1 }, { "VideoBitratespinBox", 512 },
                { "VideoFrameRatecomboBox", 3 }, { "CompressionTypecomboBox", 0 } },
            [](Records &r) {
                r.get<CompressCfg>().setBitrate(Sub, 0x80080000);
                r.get<CompressCfg>().setFrameRate(Sub, 3);
            });
        row(
            "main encode type", { { "VideoEncTypecomboBox", 3 } },
            [](Records &r) { r.get<CompressCfg>().setEncodeType(Main, 7); },
            CompressOk + "(Encode type will effect after reboot)");
        row(
            "sub stream type", { { "CompressionTypecomboBox", 1 }, { "StreamTypecomboBox", 1 } },
            [](Records &r) { r.get<CompressCfg>().setStreamType(Sub, 1); },
            CompressOk + "(Stream type will effect after reboot)");
        row(
            "both types", { { "StreamTypecomboBox", 0 }, { "VideoEncTypecomboBox", 0 } },
            [](Records &r) {
                r.get<CompressCfg>().setStreamType(Main, 0);
                r.get<CompressCfg>().setEncodeType(Main, 0);
            },
            CompressOk + "(Stream type and Encode type will effect after reboot)");
        row("period end", period(1, "13:00", "17:45"), [](Records &r) {
            r.get<RecordCfg>().setSlot(0, 1, { 13, 0, 17, 45, 1 });
        });
        row("all day on Tuesday",
            { { "DatecomboBox", 1 }, { "AllDayRecordcheckBox", true },
                { "RecordTypecomboBox", 6 } },
            [](Records &r) {
                r.get<RecordCfg>().setAllDay(1, 1);
                r.get<RecordCfg>().setAllDayType(1, 6);
            });
        row("recording off", { { "RecordgroupBox", false } },
            [](Records &r) { r.get<RecordCfg>().setEnabled(0); });
    }

    void saveChangesOneFieldAndKeepsEveryOtherByte()
    {
        QFETCH(Steps, steps);
        QFETCH(Expect, expect);
        QFETCH(QString, compressLine);
        TestPage page;
        const int camera = prepare(page);
        Records expected = records(camera);
        expect(expected);
        apply(page, steps);
        QTest::mouseClick(child<QPushButton>(page, "SaveButton"), Qt::LeftButton);
        QCOMPARE(records(camera).bytes(), expected.bytes());
        QCOMPARE(m_services.log, (QStringList { PicOk, compressLine, RecordOk }));
        QVERIFY(page.boxes.isEmpty());
    }

    void streamAndEncodeTypeTakeEffectAfterReboot()
    {
        TestPage page;
        const int camera = prepare(page);
        const QByteArray before = m_site->fleet->record(camera, SOLV_GET_COMPRESSCFG);
        apply(page, { { "StreamTypecomboBox", 0 }, { "VideoEncTypecomboBox", 0 } });
        page.SaveDevChannelCfg();
        QCOMPARE(m_site->fleet->streamCompression(camera), before);
        m_site->fleet->reboot(camera);
        QTRY_VERIFY(m_site->fleet->isOnline(camera));
        QCOMPARE(m_site->fleet->streamCompression(camera),
            m_site->fleet->record(camera, SOLV_GET_COMPRESSCFG));
        // What was written is what the next save compares with.
        m_services.log.clear();
        load(page, camera);
        page.SaveDevChannelCfg();
        QCOMPARE(m_services.log, (QStringList { PicOk, CompressOk, RecordOk }));
    }

    void allDayDisablesThePeriods()
    {
        TestPage page;
        prepare(page);
        QVERIFY(child(page, "Timeframe")->isEnabled());
        apply(page, { { "DatecomboBox", 6 } });
        QVERIFY(child<QCheckBox>(page, "AllDayRecordcheckBox")->isChecked());
        QVERIFY(!child(page, "Timeframe")->isEnabled());
        QCOMPARE(child<QComboBox>(page, "RecordTypecomboBox")->currentIndex(), 3);
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
        QFETCH(int, kbps);
        TestPage page;
        const int camera
            = prepare(page, [&](Records &r) { r.get<CompressCfg>().setBitrate(Main, value); });
        const Records expected = records(camera);
        QTEST(child<QComboBox>(page, "VideoBitratecomboBox")->currentText(), "item");
        auto *spin = child<QSpinBox>(page, "VideoBitratespinBox");
        QCOMPARE(spin->isEnabled() ? spin->value() : -1, kbps);
        page.SaveDevChannelCfg();
        QCOMPARE(records(camera).bytes(), expected.bytes());
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
        QFETCH(quint8, written);
        TestPage page;
        child<QComboBox>(page, "ResolutioncomboBox")->setCurrentText("SVGA");
        const int camera
            = prepare(page, [&](Records &r) { r.get<CompressCfg>().setResolution(Main, code); });
        Records expected = records(camera);
        QTEST(child<QComboBox>(page, "ResolutioncomboBox")->currentText(), "item");
        page.SaveDevChannelCfg();
        expected.get<CompressCfg>().setResolution(Main, written);
        QCOMPARE(records(camera).bytes(), expected.bytes());
    }

    void unknownEncodeTypeIsHiddenAndKept()
    {
        TestPage page;
        const int camera
            = prepare(page, [](Records &r) { r.get<CompressCfg>().setEncodeType(Main, 3); });
        Records expected = records(camera);
        QVERIFY(child(page, "VideoEncTypecomboBox")->isHidden());
        QVERIFY(child(page, "VideoEncTypelabel")->isHidden());
        apply(page, { { "VideoFrameRatecomboBox", 16 }, { "CompressionTypecomboBox", 1 } });
        QVERIFY(!child(page, "VideoEncTypecomboBox")->isHidden());
        page.SaveDevChannelCfg();
        expected.get<CompressCfg>().setFrameRate(Main, 16);
        QCOMPARE(records(camera).bytes(), expected.bytes());
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
        TestPage page;
        const int camera = prepare(page);
        Records before = records(camera);
        Records expected = before;
        expected.get<PicCfg>().setChannelName("Yard");
        expected.get<CompressCfg>().setIFrameInterval(Main, 75);
        expected.get<RecordCfg>().setSlot(0, 2, { 19, 0, 20, 0, 0 });
        expected.byCommand(refused).setBytes(before.byCommand(refused).bytes());
        m_site->fail(camera, { refused });
        apply(page, { { "ShowChanNamelineEdit", "Yard" }, { "IntervalFrameIspinBox", 75 } });
        apply(page, period(2, "19:00", "20:00"));
        page.SaveDevChannelCfg();
        m_site->fleet->clearFault(camera);
        QTEST(m_services.log, "log");
        QCOMPARE(records(camera).bytes(), expected.bytes());
    }

    void failedReadsShowZeros()
    {
        TestPage page;
        prepare(page); // the widgets show values first
        const int camera = m_nextCamera++;
        m_site->fail(camera, {}, { SOLV_GET_PICCFG, SOLV_GET_COMPRESSCFG, SOLV_GET_RECORDCFG });
        m_services.log.clear();
        load(page, camera);
        m_site->fleet->clearFault(camera);
        QCOMPARE(m_services.log,
            (QStringList { "Failed to get picture information!",
                "Failed to get compression information!", "Failed to get record information!" }));
        QVERIFY(page.isEnabled());
        QCOMPARE(page.compressCfg().bytes(), QByteArray(CompressCfg::recordSize, '\0'));
        QCOMPARE(child<QLineEdit>(page, "ShowChanNamelineEdit")->text(), QString());
        QVERIFY(!child<QCheckBox>(page, "ShowOsdcheckBox")->isChecked());
        QCOMPARE(child<QComboBox>(page, "OSDTypecomboBox")->currentIndex(), 0);
        QStringList shown;
        for (const char *combo : { "ResolutioncomboBox", "VideoFrameRatecomboBox",
                 "VideoEncTypecomboBox", "VideoBitratecomboBox" }) {
            shown << child<QComboBox>(page, combo)->currentText();
        }
        QCOMPARE(shown, (QStringList { "DCIF", "Full", "ZOR264", "" }));
        QCOMPARE(child<QSpinBox>(page, "IntervalFrameIspinBox")->value(), 0);
        QVERIFY(!child<QGroupBox>(page, "RecordgroupBox")->isChecked());
        QCOMPARE(child<QTimeEdit>(page, "EndtimeEdit_2")->time(), QTime(0, 0));
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
        RecordCfg &record = expected.get<RecordCfg>();
        for (int i = 0; i < 4; ++i) {
            const QStringList times = periods.value(i, "00:00-00:00").split('-');
            apply(page, period(i, times.at(0), times.at(1)));
            const QTime begin = QTime::fromString(times.at(0));
            const QTime end = QTime::fromString(times.at(1));
            record.setSlot(0, i,
                { quint8(begin.hour()), quint8(begin.minute()), quint8(end.hour()),
                    quint8(end.minute()), before.get<RecordCfg>().slotType(0, i) });
        }
        if (allDay) {
            apply(page, { { "AllDayRecordcheckBox", true } });
            record = before.get<RecordCfg>(); // the periods typed stay out of the record
            record.setAllDay(0, 1);
            record.setAllDayType(0, 0);
        }
        page.SaveDevChannelCfg();
        QCOMPARE(page.boxes, box.isEmpty() ? QStringList() : QStringList { box });
        if (!box.isEmpty()) {
            // No recording schedule is written; the other records are.
            QCOMPARE(m_services.log, (QStringList { PicOk, CompressOk }));
            record = before.get<RecordCfg>();
        }
        QCOMPARE(records(camera).bytes(), expected.bytes());
    }

    void changingDayWithAnInvalidPeriodKeepsTheDay()
    {
        TestPage page;
        const int camera = prepare(page);
        const Records expected = records(camera);
        apply(page, period(0, "08:00", "12:30") + period(1, "12:00", "18:00"));
        apply(page, { { "DatecomboBox", 1 } });
        QCOMPARE(page.boxes, QStringList { Overlap });
        QCOMPARE(child<QComboBox>(page, "DatecomboBox")->currentIndex(), 0);
        QCOMPARE(child<QTimeEdit>(page, "EndtimeEdit")->time(), QTime(12, 30));
        // Back to what was read: nothing of the refused change may remain.
        apply(page, period(0, "08:00", "12:00") + period(1, "13:00", "18:00"));
        page.SaveDevChannelCfg();
        QCOMPARE(records(camera).bytes(), expected.bytes());
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
        apply(page, Steps { { "DatecomboBox", 2 } } + period(3, "19:00", "20:00"));
        apply(page, { { "AllDaycomboBox", target } });
        child<QPushButton>(page, "CopyButton")->click();
        apply(page, { { "DatecomboBox", 0 } });
        page.SaveDevChannelCfg();
        RecordCfg &record = expected.get<RecordCfg>();
        record.setSlot(2, 3, { 19, 0, 20, 0, 0 });
        for (const int day : days) {
            record.setDayEntry(day, record.dayEntry(2));
            record.setDaySchedule(day, record.daySchedule(2));
        }
        QCOMPARE(records(camera).bytes(), expected.bytes());
    }
};

QTEST_MAIN(TestChannelconfig)
#include "tst_channelconfig.moc"
