#include "channelconfig.h"
#include "configtestsupport.h"

#include <QPushButton>

using namespace configtest;

namespace {

using TestPage = Recording<CChannelconfig>;

const QStringList Types { "picture", "compression", "record" };
const QString PicOk = QStringLiteral("Succeed to set video parameters!");
const QString CompressOk = QStringLiteral("Succeed to set compressing parameters!");
const QString RecordOk = QStringLiteral("Succeed to set recording parameters!");
const QString Overlap = QStringLiteral("Error!|There should no duplicated time between periods!");

// Period i (0 to 3) of the day shown, "hh:mm".
Steps period(int i, const QString &begin, const QString &end)
{
    static const char *const names[][2]
        = { { "BegintimeEdit", "EndtimeEdit" }, { "BegintimeEdit_2", "EndtimeEdit_2" },
              { "BegintimeEdit_3", "EndtimeEdit_3" }, { "BegintimeEdit_4", "EndtimeEdit_4" } };
    return { { names[i][0], begin }, { names[i][1], end } };
}

// Known values of the fields the page shows; every other byte keeps the simulator's pattern.
QStringList knownValues()
{
    QStringList values { "picture.showChannelName=1", "picture.channelName=Gate 01",
        "picture.showOsd=1", "picture.osdType=2", "picture.hourOsdType=1", "picture.showWeek=1",
        "compression.main.streamType=1", "compression.main.resolution=19",
        "compression.main.bitrateType=1", "compression.main.bitrate=23",
        "compression.main.frameRate=0", "compression.main.iFrameInterval=50",
        "compression.main.encodeType=1", "compression.sub.streamType=0",
        "compression.sub.resolution=1", "compression.sub.bitrateType=1",
        "compression.sub.bitrate=0x80000800", "compression.sub.frameRate=14",
        "compression.sub.iFrameInterval=50", "compression.sub.encodeType=0", "record.enabled=1" };
    for (int day = 0; day < RecordCfg::dayCount; ++day) {
        const QString d = QStringLiteral("record.day%1.").arg(day);
        values << d + QStringLiteral("allDay=%1").arg(day >= 5 ? 1 : 0) << d + "allDayType=3"
               << d + "slot0=08:00-12:00/0" << d + "slot1=13:00-18:00/1"
               << d + "slot2=00:00-00:00/0" << d + "slot3=00:00-00:00/0";
    }
    return values;
}

} // namespace

class TestChannelconfig : public QObject
{
    Q_OBJECT

    std::unique_ptr<Site> m_site;
    std::unique_ptr<SdkLogin> m_login;
    FakeServices m_services;
    int m_nextCamera = 0;

    Snapshot records(int camera) const { return snapshot(*m_site->fleet, camera, Types); }

    void load(TestPage &page, int camera)
    {
        m_login = m_site->login(camera);
        page.LoadConfig(m_login->userId());
    }

    // A camera of its own for each test with the known values and `tweaks`,
    // loaded into page; returns the records it starts with.
    Snapshot prepare(TestPage &page, const QStringList &tweaks = {}, int *camera = nullptr)
    {
        const int c = m_nextCamera++;
        const Snapshot start = changed(records(c), knownValues() + tweaks);
        store(*m_site->fleet, c, start);
        load(page, c);
        if (camera) {
            *camera = c;
        }
        return start;
    }

    QStringList saved(int camera, const Snapshot &start) const
    {
        return changes(start, records(camera));
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

    // One log line per record, in order; a stream or encode type waits for a reboot.
    void saveChangesOneFieldAndKeepsEveryOtherByte_data()
    {
        QTest::addColumn<Steps>("steps");
        QTest::addColumn<QStringList>("changes");
        QTest::addColumn<QString>("compressLine");
        const auto row = [](const char *name, const Steps &steps, const QStringList &changes,
                             const QString &compressNote = {}) {
            QTest::newRow(name) << steps << changes << CompressOk + compressNote;
        };
        row("nothing", {}, {});
        row("channel name", { { "ShowChanNamelineEdit", "Yard" } }, { "picture.channelName=Yard" });
        row("hidden name is not written",
            { { "ShowChanNamecheckBox", false }, { "ShowChanNamelineEdit", "Yard" } },
            { "picture.showChannelName=0" });
        row("date format", { { "OSDTypecomboBox", 5 } }, { "picture.osdType=5" });
        row("sub rate and frame rate, then main shown",
            { { "CompressionTypecomboBox", 1 }, { "VideoBitratespinBox", 512 },
                { "VideoFrameRatecomboBox", 3 }, { "CompressionTypecomboBox", 0 } },
            { "compression.sub.bitrate=2148007936", "compression.sub.frameRate=3" });
        row("main encode type", { { "VideoEncTypecomboBox", 3 } },
            { "compression.main.encodeType=7" }, "(Encode type will effect after reboot)");
        row("sub stream type", { { "CompressionTypecomboBox", 1 }, { "StreamTypecomboBox", 1 } },
            { "compression.sub.streamType=1" }, "(Stream type will effect after reboot)");
        row("both types", { { "StreamTypecomboBox", 0 }, { "VideoEncTypecomboBox", 0 } },
            { "compression.main.streamType=0", "compression.main.encodeType=0" },
            "(Stream type and Encode type will effect after reboot)");
        row("period end", period(1, "13:00", "17:45"), { "record.day0.slot1=13:00-17:45/1" });
        row("all day on Tuesday",
            { { "DatecomboBox", 1 }, { "AllDayRecordcheckBox", true },
                { "RecordTypecomboBox", 6 } },
            { "record.day1.allDay=1", "record.day1.allDayType=6" });
        row("recording off", { { "RecordgroupBox", false } }, { "record.enabled=0" });
    }

    void saveChangesOneFieldAndKeepsEveryOtherByte()
    {
        QFETCH(Steps, steps);
        QFETCH(QString, compressLine);
        TestPage page;
        int camera = 0;
        const Snapshot start = prepare(page, {}, &camera);
        apply(page, steps);
        QTest::mouseClick(child<QPushButton>(page, "SaveButton"), Qt::LeftButton);
        QTEST(saved(camera, start), "changes");
        QCOMPARE(m_services.log, (QStringList { PicOk, compressLine, RecordOk }));
        QVERIFY(page.boxes.isEmpty());
    }

    void streamAndEncodeTypeTakeEffectAfterReboot()
    {
        TestPage page;
        int camera = 0;
        const Snapshot start = prepare(page, {}, &camera);
        apply(page, { { "StreamTypecomboBox", 0 }, { "VideoEncTypecomboBox", 0 } });
        page.SaveDevChannelCfg();
        QCOMPARE(m_site->fleet->streamCompression(camera), start["compression"]);
        m_site->fleet->reboot(camera);
        QTRY_VERIFY(m_site->fleet->isOnline(camera));
        QCOMPARE(m_site->fleet->streamCompression(camera), records(camera)["compression"]);
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

    // What the combos show of a value, and what a save writes back.
    void valuesShownAndWrittenBack_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("combo");
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("kbps"); // -1: the custom rate's spin box is disabled
        QTest::addColumn<QStringList>("changes");
        const auto bitrate = [](const char *name, const char *value, const char *item, int kbps) {
            QTest::newRow(name) << QStringLiteral("compression.main.bitrate=") + value
                                << "VideoBitratecomboBox" << item << kbps << QStringList();
        };
        bitrate("first bitrate code", "1", "16K", -1);
        bitrate("last bitrate code", "27", "16384K", -1);
        bitrate("custom 2 kbps", "0x80000800", "Customize", 2);
        bitrate("custom 3000 kbps", "0x802EE000", "Customize", 3000);
        bitrate("no bitrate code", "0", "", -1);
        const QList<std::pair<int, const char *>> resolutions
            = { { 0, "DCIF" }, { 1, "CIF" }, { 2, "QCIF" }, { 3, "4CIF" }, { 4, "2CIF" },
                  { 16, "VGA" }, { 17, "UXGA" }, { 18, "SVGA" }, { 19, "HD720p" }, { 20, "XVGA" },
                  { 21, "HD900p" }, { 22, "SXGAp" }, { 27, "HD1080i" }, { 28, "2560*1920" },
                  { 29, "1600*304" }, { 30, "2048*1536" }, { 31, "2448*2048" } };
        for (const auto &[code, item] : resolutions) {
            QTest::newRow(item) << QStringLiteral("compression.main.resolution=%1").arg(code)
                                << "ResolutioncomboBox" << item << -1 << QStringList();
        }
        // Unknown: the combo stays on the item it showed before the load.
        QTest::newRow("resolution 5 leaves SVGA")
            << "compression.main.resolution=5"
            << "ResolutioncomboBox"
            << "SVGA" << -1 << QStringList { "compression.main.resolution=18" };
    }

    void valuesShownAndWrittenBack()
    {
        QFETCH(QString, value);
        QFETCH(QString, combo);
        QFETCH(int, kbps);
        TestPage page;
        child<QComboBox>(page, "ResolutioncomboBox")->setCurrentText("SVGA");
        int camera = 0;
        const Snapshot start = prepare(page, { value }, &camera);
        QTEST(child<QComboBox>(page, qPrintable(combo))->currentText(), "item");
        auto *spin = child<QSpinBox>(page, "VideoBitratespinBox");
        QCOMPARE(spin->isEnabled() ? spin->value() : -1, kbps);
        page.SaveDevChannelCfg();
        QTEST(saved(camera, start), "changes");
    }

    void unknownEncodeTypeIsHiddenAndKept()
    {
        TestPage page;
        int camera = 0;
        const Snapshot start = prepare(page, { "compression.main.encodeType=3" }, &camera);
        QVERIFY(child(page, "VideoEncTypecomboBox")->isHidden());
        QVERIFY(child(page, "VideoEncTypelabel")->isHidden());
        apply(page, { { "VideoFrameRatecomboBox", 16 }, { "CompressionTypecomboBox", 1 } });
        QVERIFY(!child(page, "VideoEncTypecomboBox")->isHidden());
        page.SaveDevChannelCfg();
        QCOMPARE(saved(camera, start), QStringList { "compression.main.frameRate=16" });
    }

    void refusedSetIsLoggedAndTheOthersAreWritten_data()
    {
        QTest::addColumn<int>("refused"); // of Types
        QTest::addColumn<QStringList>("log");
        QTest::newRow("picture") << 0
                                 << QStringList { "Failed to set video parameters!", CompressOk,
                                        RecordOk };
        QTest::newRow("compression")
            << 1 << QStringList { PicOk, "Failed to set compressing parameters!", RecordOk };
        QTest::newRow("record") << 2
                                << QStringList { PicOk, CompressOk,
                                       "Failed to set recording parameters!" };
    }

    void refusedSetIsLoggedAndTheOthersAreWritten()
    {
        QFETCH(int, refused);
        TestPage page;
        int camera = 0;
        const Snapshot start = prepare(page, {}, &camera);
        m_site->fail(camera, { findRecordType(Types[refused])->getCommand });
        apply(page,
            Steps { { "ShowChanNamelineEdit", "Yard" }, { "IntervalFrameIspinBox", 75 } }
                + period(2, "19:00", "20:00"));
        page.SaveDevChannelCfg();
        m_site->fleet->clearFault(camera);
        QTEST(m_services.log, "log");
        QStringList written { "compression.main.iFrameInterval=75", "picture.channelName=Yard",
            "record.day0.slot2=19:00-20:00/0" };
        written.removeAt(refused == 0 ? 1 : refused == 1 ? 0 : 2);
        QCOMPARE(saved(camera, start), written);
    }

    void failedReadsShowZeros()
    {
        TestPage page;
        page.LoadConfig(-1);
        QVERIFY(!page.isEnabled());
        QVERIFY(m_services.log.isEmpty());
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
        QTest::addColumn<QStringList>("changes"); // of Monday's schedule
        const QString reversed = "Error!|The start time should be earlier than the end time!";
        const QStringList overlapping { "08:00-12:30", "12:00-18:00" };
        QTest::newRow("adjacent") << QStringList { "08:00-12:00", "12:00-18:00" } << false << ""
                                  << QStringList { "record.day0.slot1=12:00-18:00/1" };
        QTest::newRow("overlapping") << overlapping << false << Overlap << QStringList();
        QTest::newRow("last two") << QStringList { "00:00-00:00", "00:00-00:00", "09:00-10:00",
            "09:30-11:00" } << false
                                  << Overlap << QStringList();
        QTest::newRow("reversed") << QStringList { "12:00-08:00" } << false << reversed
                                  << QStringList();
        QTest::newRow("empty beside one")
            << QStringList { "00:00-00:00", "08:00-12:00" } << false << ""
            << QStringList { "record.day0.slot0=00:00-00:00/0", "record.day0.slot1=08:00-12:00/1" };
        // The periods typed stay out of the record.
        QTest::newRow("all day skips it")
            << overlapping << true << ""
            << QStringList { "record.day0.allDay=1", "record.day0.allDayType=0" };
    }

    void periodCheck()
    {
        QFETCH(QStringList, periods);
        QFETCH(bool, allDay);
        QFETCH(QString, box);
        TestPage page;
        int camera = 0;
        const Snapshot start = prepare(page, {}, &camera);
        for (int i = 0; i < 4; ++i) {
            const QStringList times = periods.value(i, "00:00-00:00").split('-');
            apply(page, period(i, times.at(0), times.at(1)));
        }
        apply(page, { { "AllDayRecordcheckBox", allDay } });
        page.SaveDevChannelCfg();
        QCOMPARE(page.boxes, box.isEmpty() ? QStringList() : QStringList { box });
        // A refused check writes no recording schedule; the other records are written.
        QStringList log { PicOk, CompressOk, RecordOk };
        QCOMPARE(m_services.log, box.isEmpty() ? log : log.mid(0, 2));
        QTEST(saved(camera, start), "changes");
    }

    void changingDayWithAnInvalidPeriodKeepsTheDay()
    {
        TestPage page;
        int camera = 0;
        const Snapshot start = prepare(page, {}, &camera);
        apply(page, period(0, "08:00", "12:30") + period(1, "12:00", "18:00"));
        apply(page, { { "DatecomboBox", 1 } });
        QCOMPARE(page.boxes, QStringList { Overlap });
        QCOMPARE(child<QComboBox>(page, "DatecomboBox")->currentIndex(), 0);
        QCOMPARE(child<QTimeEdit>(page, "EndtimeEdit")->time(), QTime(12, 30));
        // Back to what was read: nothing of the refused change may remain.
        apply(page, period(0, "08:00", "12:00") + period(1, "13:00", "18:00"));
        page.SaveDevChannelCfg();
        QCOMPARE(saved(camera, start), QStringList());
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
        int camera = 0;
        const Snapshot start = prepare(page, {}, &camera);
        apply(page, Steps { { "DatecomboBox", 2 } } + period(3, "19:00", "20:00"));
        apply(page, { { "AllDaycomboBox", target } });
        child<QPushButton>(page, "CopyButton")->click();
        apply(page, { { "DatecomboBox", 0 } });
        page.SaveDevChannelCfg();
        // Wednesday's entry and whole schedule go to each day.
        Snapshot expected = changed(start, { "record.day2.slot3=19:00-20:00/0" });
        RecordCfg record;
        QVERIFY(record.setBytes(expected["record"]));
        for (const int day : days) {
            record.setDayEntry(day, record.dayEntry(2));
            record.setDaySchedule(day, record.daySchedule(2));
        }
        expected["record"] = record.bytes();
        QCOMPARE(saved(camera, expected), QStringList());
    }
};

QTEST_MAIN(TestChannelconfig)
#include "tst_channelconfig.moc"
