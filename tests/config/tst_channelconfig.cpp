#include "channelconfig.h"
#include "configtestsupport.h"

#include <QPushButton>

using namespace configtest;

namespace {

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
        "record.enabled=1" };
    for (const QString stream : { "main", "sub" }) {
        const bool main = stream == QLatin1String("main");
        values
            << QStringLiteral("compression.%1.streamType=%2").arg(stream).arg(main ? 1 : 0)
            << QStringLiteral("compression.%1.resolution=%2").arg(stream).arg(main ? 19 : 1)
            << QStringLiteral("compression.%1.bitrate=%2").arg(stream, main ? "23" : "0x80000800")
            << QStringLiteral("compression.%1.frameRate=%2").arg(stream).arg(main ? 0 : 14)
            << QStringLiteral("compression.%1.encodeType=%2").arg(stream).arg(main ? 1 : 0)
            << "compression." + stream + ".bitrateType=1"
            << "compression." + stream + ".iFrameInterval=50";
    }
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
    Recording<CChannelconfig> *m_page = nullptr;
    int m_camera = -1; // a camera of its own for each test
    Snapshot m_start; // its records when loaded

    Snapshot records() const
    {
        return snapshot(*m_site->fleet, m_camera, { "picture", "compression", "record" });
    }
    void load()
    {
        m_login = m_site->login(m_camera);
        m_page->LoadConfig(m_login->userId());
    }
    // The next camera, with the known values and `tweaks`, loaded.
    void prepare(const QStringList &tweaks = {})
    {
        ++m_camera;
        m_start = changed(records(), knownValues() + tweaks);
        store(*m_site->fleet, m_camera, m_start);
        load();
    }
    QStringList saved() const { return changes(m_start, records()); }

private slots:
    void initTestCase()
    {
        m_site = std::make_unique<Site>("127.0.72.1", 18720, 64, 0.01);
        QVERIFY(m_site->fleet);
    }

    void cleanupTestCase() { m_site.reset(); }

    void init()
    {
        m_services.log.clear();
        m_page = new Recording<CChannelconfig>;
    }
    void cleanup()
    {
        delete m_page;
        m_login.reset();
    }

    // One log line per record, in order; a stream or encode type waits for a
    // reboot. A refused set is logged and the other records are written.
    void saveChangesOnlyTheEditedField_data()
    {
        QTest::addColumn<QString>("refused"); // the record whose set fails
        QTest::addColumn<Steps>("steps");
        QTest::addColumn<QStringList>("changes");
        QTest::addColumn<QStringList>("log");
        const auto row = [](const char *name, const Steps &steps, const QStringList &changes,
                             const QString &compressNote = {}) {
            QTest::newRow(name) << QString() << steps << changes
                                << QStringList { PicOk, CompressOk + compressNote, RecordOk };
        };
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
        row("all day on Tuesday",
            { { "DatecomboBox", 1 }, { "AllDayRecordcheckBox", true },
                { "RecordTypecomboBox", 6 } },
            { "record.day1.allDay=1", "record.day1.allDayType=6" });
        row("recording off", { { "RecordgroupBox", false } }, { "record.enabled=0" });
        const Steps everyRecord { { "ShowChanNamelineEdit", "Yard" },
            { "IntervalFrameIspinBox", 75 }, { "BegintimeEdit_3", "19:00" },
            { "EndtimeEdit_3", "20:00" } };
        const QString interval = "compression.main.iFrameInterval=75";
        const QString name = "picture.channelName=Yard";
        const QString slot = "record.day0.slot2=19:00-20:00/0";
        QTest::newRow("picture refused")
            << "picture" << everyRecord << QStringList { interval, slot }
            << QStringList { "Failed to set video parameters!", CompressOk, RecordOk };
        QTest::newRow("compression refused")
            << "compression" << everyRecord << QStringList { name, slot }
            << QStringList { PicOk, "Failed to set compressing parameters!", RecordOk };
        QTest::newRow("record refused")
            << "record" << everyRecord << QStringList { interval, name }
            << QStringList { PicOk, CompressOk, "Failed to set recording parameters!" };
    }

    void saveChangesOnlyTheEditedField()
    {
        QFETCH(QString, refused);
        QFETCH(Steps, steps);
        prepare();
        if (!refused.isEmpty()) {
            m_site->fail(m_camera, { findRecordType(refused)->getCommand });
        }
        apply(*m_page, steps);
        QTest::mouseClick(child<QPushButton>(*m_page, "SaveButton"), Qt::LeftButton);
        m_site->fleet->clearFault(m_camera);
        QTEST(saved(), "changes");
        QTEST(m_services.log, "log");
        QVERIFY(m_page->boxes.isEmpty());
    }

    void streamAndEncodeTypeTakeEffectAfterReboot()
    {
        prepare();
        apply(*m_page, { { "StreamTypecomboBox", 0 }, { "VideoEncTypecomboBox", 0 } });
        m_page->SaveDevChannelCfg();
        QCOMPARE(m_site->fleet->streamCompression(m_camera), m_start["compression"]);
        m_site->fleet->reboot(m_camera);
        QTRY_VERIFY(m_site->fleet->isOnline(m_camera));
        QCOMPARE(m_site->fleet->streamCompression(m_camera), records()["compression"]);
        // What was written is what the next save compares with.
        m_services.log.clear();
        load();
        m_page->SaveDevChannelCfg();
        QCOMPARE(m_services.log, (QStringList { PicOk, CompressOk, RecordOk }));
    }

    // What the combos show of a value, and what a save writes back.
    void valuesShownAndWrittenBack_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("combo");
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("kbps"); // -1: the custom rate's spin box is disabled
        QTest::addColumn<QStringList>("changes");
        const auto row = [](const char *value, const char *combo, const char *item, int kbps = -1,
                             const QStringList &changes = {}) {
            QTest::newRow(value) << QString::fromLatin1(value) << combo << item << kbps << changes;
        };
        const char *const bitrate = "VideoBitratecomboBox";
        row("compression.main.bitrate=1", bitrate, "16K");
        row("compression.main.bitrate=27", bitrate, "16384K");
        row("compression.main.bitrate=0x802EE000", bitrate, "Customize", 3000);
        row("compression.main.bitrate=0", bitrate, "");
        const char *const resolution = "ResolutioncomboBox";
        row("compression.main.resolution=0", resolution, "DCIF");
        row("compression.main.resolution=16", resolution, "VGA");
        row("compression.main.resolution=27", resolution, "HD1080i");
        row("compression.main.resolution=31", resolution, "2448*2048");
        // Unknown: the combo stays on the item it showed before the load.
        row("compression.main.resolution=5", resolution, "SVGA", -1,
            { "compression.main.resolution=18" });
        // Unknown: hidden, and kept while the rest of the block is written.
        row("compression.main.encodeType=3", "VideoEncTypecomboBox", "ZOR264", -1,
            { "compression.main.frameRate=16" });
    }

    void valuesShownAndWrittenBack()
    {
        QFETCH(QString, value);
        QFETCH(QString, combo);
        QFETCH(int, kbps);
        child<QComboBox>(*m_page, "ResolutioncomboBox")->setCurrentText("SVGA");
        prepare({ value });
        QTEST(child<QComboBox>(*m_page, qPrintable(combo))->currentText(), "item");
        auto *spin = child<QSpinBox>(*m_page, "VideoBitratespinBox");
        QCOMPARE(spin->isEnabled() ? spin->value() : -1, kbps);
        if (value.contains("encodeType")) {
            QVERIFY(child(*m_page, "VideoEncTypecomboBox")->isHidden());
            QVERIFY(child(*m_page, "VideoEncTypelabel")->isHidden());
            apply(*m_page, { { "VideoFrameRatecomboBox", 16 }, { "CompressionTypecomboBox", 1 } });
            QVERIFY(!child(*m_page, "VideoEncTypecomboBox")->isHidden());
        }
        m_page->SaveDevChannelCfg();
        QTEST(saved(), "changes");
    }

    // Records the camera did not give are shown as zeros and never written.
    void failedReadsShowZerosAndWriteNothing()
    {
        m_page->LoadConfig(-1);
        QVERIFY(!m_page->isEnabled());
        prepare(); // the widgets show values first
        m_site->fail(
            m_camera + 1, {}, { SOLV_GET_PICCFG, SOLV_GET_COMPRESSCFG, SOLV_GET_RECORDCFG });
        ++m_camera;
        m_start = records();
        load();
        QCOMPARE(m_services.log,
            (QStringList { "Failed to get picture information!",
                "Failed to get compression information!", "Failed to get record information!" }));
        QVERIFY(m_page->isEnabled());
        QCOMPARE(m_page->compressCfg().bytes(), QByteArray(CompressCfg::recordSize, '\0'));
        QStringList shown { child<QLineEdit>(*m_page, "ShowChanNamelineEdit")->text() };
        for (const char *combo : { "ResolutioncomboBox", "VideoFrameRatecomboBox",
                 "VideoEncTypecomboBox", "VideoBitratecomboBox" }) {
            shown << child<QComboBox>(*m_page, combo)->currentText();
        }
        QCOMPARE(shown, (QStringList { "", "DCIF", "Full", "ZOR264", "" }));
        QCOMPARE(child<QSpinBox>(*m_page, "IntervalFrameIspinBox")->value(), 0);
        QVERIFY(!child<QGroupBox>(*m_page, "RecordgroupBox")->isChecked());
        QCOMPARE(child<QTimeEdit>(*m_page, "EndtimeEdit_2")->time(), QTime(0, 0));
        m_page->SaveDevChannelCfg();
        QCOMPARE(m_services.log.size(), 3);
        QCOMPARE(saved(), QStringList());
    }

    void periodCheck_data()
    {
        QTest::addColumn<QStringList>("periods"); // "begin-end", first period first
        QTest::addColumn<bool>("allDay"); // "All Day" ticked after typing them
        QTest::addColumn<QString>("box"); // empty: the check passes
        QTest::addColumn<QStringList>("changes");
        const auto row = [](const char *name, const QStringList &periods, const QString &box,
                             const QStringList &changes = {}, bool allDay = false) {
            QTest::newRow(name) << periods << allDay << box << changes;
        };
        const QStringList overlapping { "08:00-12:30", "12:00-18:00" };
        row("adjacent", { "08:00-12:00", "12:00-18:00" }, "",
            { "record.day0.slot1=12:00-18:00/1" });
        row("overlapping", overlapping, Overlap);
        row("last two", { "00:00-00:00", "00:00-00:00", "09:00-10:00", "09:30-11:00" }, Overlap);
        row("reversed", { "12:00-08:00" },
            "Error!|The start time should be earlier than the end time!");
        row("empty beside one", { "00:00-00:00", "08:00-12:00" }, "",
            { "record.day0.slot0=00:00-00:00/0", "record.day0.slot1=08:00-12:00/1" });
        // The periods typed stay out of the record.
        row("all day skips it", overlapping, "",
            { "record.day0.allDay=1", "record.day0.allDayType=0" }, true);
    }

    void periodCheck()
    {
        QFETCH(QStringList, periods);
        QFETCH(bool, allDay);
        QFETCH(QString, box);
        prepare();
        for (int i = 0; i < 4; ++i) {
            const QStringList times = periods.value(i, "00:00-00:00").split('-');
            apply(*m_page, period(i, times.at(0), times.at(1)));
        }
        apply(*m_page, { { "AllDayRecordcheckBox", allDay } });
        QCOMPARE(child(*m_page, "Timeframe")->isEnabled(), !allDay);
        m_page->SaveDevChannelCfg();
        QCOMPARE(m_page->boxes, box.isEmpty() ? QStringList() : QStringList { box });
        // A refused check writes no recording schedule; the other records are written.
        const QStringList log { PicOk, CompressOk, RecordOk };
        QCOMPARE(m_services.log, box.isEmpty() ? log : log.mid(0, 2));
        QTEST(saved(), "changes");
    }

    void changingDayWithAnInvalidPeriodKeepsTheDay()
    {
        prepare();
        apply(*m_page, period(0, "08:00", "12:30") + period(1, "12:00", "18:00"));
        apply(*m_page, { { "DatecomboBox", 1 } });
        QCOMPARE(m_page->boxes, QStringList { Overlap });
        QCOMPARE(child<QComboBox>(*m_page, "DatecomboBox")->currentIndex(), 0);
        QCOMPARE(child<QTimeEdit>(*m_page, "EndtimeEdit")->time(), QTime(12, 30));
        // Back to what was read: nothing of the refused change may remain.
        apply(*m_page, period(0, "08:00", "12:00") + period(1, "13:00", "18:00"));
        m_page->SaveDevChannelCfg();
        QCOMPARE(saved(), QStringList());
        // An all-day day shows its type and no periods.
        apply(*m_page, { { "DatecomboBox", 6 } });
        QVERIFY(!child(*m_page, "Timeframe")->isEnabled());
        QCOMPARE(child<QComboBox>(*m_page, "RecordTypecomboBox")->currentIndex(), 3);
        QCOMPARE(m_page->boxes.size(), 1);
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
        prepare();
        apply(*m_page,
            Steps { { "DatecomboBox", 2 } } + period(3, "19:00", "20:00")
                + Steps { { "AllDaycomboBox", target } });
        child<QPushButton>(*m_page, "CopyButton")->click();
        apply(*m_page, { { "DatecomboBox", 0 } });
        m_page->SaveDevChannelCfg();
        // Wednesday's entry and whole schedule go to each day.
        RecordCfg record;
        QVERIFY(record.setBytes(changed(m_start, { "record.day2.slot3=19:00-20:00/0" })["record"]));
        for (const int day : days) {
            record.setDayEntry(day, record.dayEntry(2));
            record.setDaySchedule(day, record.daySchedule(2));
        }
        m_start["record"] = record.bytes();
        QCOMPARE(saved(), QStringList());
    }
};

QTEST_MAIN(TestChannelconfig)
#include "tst_channelconfig.moc"
