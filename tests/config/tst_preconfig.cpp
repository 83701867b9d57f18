#include "devicesdk.h"
#include "fakeservices.h"
#include "fleet.h"
#include "mirt.h"
#include "playwindow.h"
#include "preconfig.h"
#include "solvane.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QTest>

#include <numeric>

namespace {

constexpr quint16 FleetPort = 18700;
constexpr int Camera = 0;
constexpr int ExposureMax = 40000; // camera 0's model

// Records its message boxes instead of showing them.
class TestPage : public CPreConfig
{
public:
    QStringList boxes; // "title|text"

    template<typename T> T *child(const char *name) const
    {
        T *widget = findChild<T *>(QLatin1String(name));
        Q_ASSERT(widget);
        return widget;
    }

protected:
    void showInformation(const QString &title, const QString &text) override
    {
        boxes << title + QLatin1Char('|') + text;
    }
};

// The main window's services with its preview flag and card boxes.
class PreviewServices : public FakeServices
{
public:
    void setCameraPreviewRunning(bool running) override { previewRunning = running; }
    bool cameraPreviewRunning() const override { return previewRunning; }
    bool isBNCChecked() const override { return bncChecked; }

    bool previewRunning = false;
    bool bncChecked = false;
};

// Mean luminance of the picture the play window painted last; -1 before one.
double shownMeanLuma(const CPlayWindow *window)
{
    const QSize size = window->shownSize();
    const std::vector<uint8_t> &picture = window->shownPicture();
    const size_t luma = size_t(size.width()) * size_t(size.height());
    if (size.isEmpty() || picture.size() < luma) {
        return -1;
    }
    return std::accumulate(picture.begin(), picture.begin() + std::ptrdiff_t(luma), 0.0)
        / double(luma);
}

// `bytes` with the little-endian number of `width` bytes at `offset` replaced.
QByteArray withField(QByteArray bytes, int offset, int width, quint32 value)
{
    for (int i = 0; i < width; ++i) {
        bytes[offset + i] = char(value >> (8 * i));
    }
    return bytes;
}

// A form input's value: a combo's current index, a slider's or a spin box's value.
int valueOf(const QWidget *input)
{
    if (const auto *combo = qobject_cast<const QComboBox *>(input)) {
        return combo->currentIndex();
    }
    if (const auto *slider = qobject_cast<const QSlider *>(input)) {
        return slider->value();
    }
    return qobject_cast<const QSpinBox *>(input)->value();
}

void setValueOf(QWidget *input, int value)
{
    if (auto *combo = qobject_cast<QComboBox *>(input)) {
        combo->setCurrentIndex(value);
    } else if (auto *slider = qobject_cast<QSlider *>(input)) {
        slider->setValue(value);
    } else {
        qobject_cast<QSpinBox *>(input)->setValue(value);
    }
}

// Drags a slider to `value` and lets it go.
void release(QSlider *slider, int value)
{
    slider->setSliderDown(true);
    slider->setSliderPosition(value);
    slider->setSliderDown(false);
}

} // namespace

class TestPreConfig : public QObject
{
    Q_OBJECT

    std::unique_ptr<devsim::Fleet> m_fleet;
    std::unique_ptr<PreviewServices> m_services;
    std::unique_ptr<SdkLogin> m_login;
    QByteArray m_start; // the camera's front-end record at the start of each test

    QByteArray deviceRecord() const { return m_fleet->record(Camera, SOLV_GET_FRONTCFG); }

    void setFault(const std::function<void(devsim::Fault &)> &change)
    {
        devsim::Fault fault;
        change(fault);
        m_fleet->setFault(Camera, fault);
    }

private slots:
    void initTestCase()
    {
        MIRT_Init();
        SOLV_Init();
        devsim::FleetOptions options;
        options.firstAddress = QStringLiteral("127.0.70.1");
        options.port = FleetPort;
        options.discoveryPort = 0;
        m_fleet = std::make_unique<devsim::Fleet>(options);
        QString error;
        QVERIFY2(m_fleet->start(&error), qPrintable(error));
        QByteArray ability;
        m_fleet->run([&] { ability = m_fleet->cameras().at(Camera)->factory().cameraAbility; });
        QVERIFY(ability.contains("<Min>10</Min>"));
        QVERIFY(ability.contains("<Max>" + QByteArray::number(ExposureMax) + "</Max>"));
    }

    void cleanupTestCase()
    {
        m_fleet.reset();
        SOLV_Cleanup();
        MIRT_Fini();
    }

    // Every test starts from the same values, apart from each one the tests change.
    void init()
    {
        FrontCfg record;
        record.bytes() = m_fleet->factoryRecord(Camera, SOLV_GET_FRONTCFG);
        record.setBrightness(50);
        record.setContrast(51);
        record.setSharpness(52);
        record.setSaturation(53);
        record.setGain(30);
        record.setExposureMode(0);
        record.setExposureTime(20000);
        record.setDayNightFilterType(0);
        record.setDayToNightSensitivity(3);
        record.setNightToDaySensitivity(4);
        record.setDayNightFilterTime(10);
        record.setIrisMode(0);
        record.setLocalOutput(1);
        m_start = record.bytes();
        m_fleet->setRecord(Camera, SOLV_GET_FRONTCFG, m_start);
        m_services = std::make_unique<PreviewServices>();
        m_login = std::make_unique<SdkLogin>(m_fleet->address(Camera).toLatin1(), FleetPort,
            QByteArray("admin"), QByteArray("60917"));
        QVERIFY(m_login->ok());
    }

    void cleanup()
    {
        m_login.reset();
        m_services.reset();
        m_fleet->clearFault(Camera);
    }

    void loadShowsTheRecordAndSendsNothing()
    {
        FrontCfg record;
        record.bytes() = m_start;
        record.setDayNightFilterType(1);
        record.setIrisMode(1);
        record.setExposureMode(1);
        record.setLocalOutput(26);
        m_fleet->setRecord(Camera, SOLV_GET_FRONTCFG, record.bytes());
        TestPage page;
        page.LoadConfig(m_login->userId());

        const QList<std::pair<const char *, int>> shown { { "BrightnessLevelSlider", 50 },
            { "BrightnessLevelspinBox", 50 }, { "ContrastLevelSlider", 51 },
            { "ContrastLevelspinBox", 51 }, { "SharpnessLevelSlider", 52 },
            { "SharpnessLevelspinBox", 52 }, { "SaturationLevelSlider", 53 },
            { "SaturationLevelspinBox", 53 }, { "DayOrNightcomboBox", 1 },
            { "IrisModecomboBox", 1 }, { "ExposureModecomboBox", 1 },
            { "VideoExposureSetspinBox", 20000 }, { "GainLevelSlider", 30 },
            { "DayToNightFilterLevelSlider", 3 }, { "NightToDayFilterLevelSlider", 4 },
            { "DayNightFilterTimespinBox", 10 }, { "LocalOutputGatecomboBox", 9 } };
        for (const auto &[name, value] : shown) {
            QVERIFY2(valueOf(page.child<QWidget>(name)) == value, name);
        }
        QVERIFY(page.child<QGroupBox>("VideoCfggroupBox")->isEnabled());
        QVERIFY(page.child<QGroupBox>("CfggroupBox")->isEnabled());
        QVERIFY(page.child<QCheckBox>("PrecheckBox")->isEnabled());
        // Any set would have left a line.
        QCOMPARE(m_services->log, QStringList());
        QCOMPARE(deviceRecord(), record.bytes());

        // No gain to set while day/night switches by itself.
        QVERIFY(page.child<QSlider>("GainLevelSlider")->isEnabled());
        page.child<QComboBox>("DayOrNightcomboBox")->setCurrentIndex(2);
        QVERIFY(!page.child<QSlider>("GainLevelSlider")->isEnabled());
        QVERIFY(!page.child<QLabel>("Gainlabel")->isEnabled());
    }

    void pictureSliderSendsWhenReleased_data()
    {
        QTest::addColumn<QByteArray>("slider");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QString>("logLine");
        QTest::newRow("brightness")
            << QByteArray("BrightnessLevelSlider") << SOLV_FRONTCFG_BRIGHTNESS_OFFSET
            << "Succeed to set lighteness!";
        QTest::newRow("contrast") << QByteArray("ContrastLevelSlider")
                                  << SOLV_FRONTCFG_CONTRAST_OFFSET << "Succeed to set contrast!";
        QTest::newRow("sharpness") << QByteArray("SharpnessLevelSlider")
                                   << SOLV_FRONTCFG_SHARPNESS_OFFSET << "Succeed to set sharpness!";
        QTest::newRow("saturation")
            << QByteArray("SaturationLevelSlider") << SOLV_FRONTCFG_SATURATION_OFFSET
            << "Succeed to set saturation!";
    }

    void pictureSliderSendsWhenReleased()
    {
        QFETCH(QByteArray, slider);
        QFETCH(int, offset);
        QFETCH(QString, logLine);
        TestPage page;
        page.LoadConfig(m_login->userId());
        page.LoadConfig(m_login->userId()); // connected once all the same
        auto *handle = page.child<QSlider>(slider.constData());
        auto *number = page.child<QSpinBox>(slider.replace("Slider", "spinBox").constData());

        handle->setSliderDown(true);
        handle->setSliderPosition(71);
        handle->setSliderPosition(77);
        QCOMPARE(number->value(), 77);
        QCOMPARE(m_services->log, QStringList());
        QCOMPARE(deviceRecord(), m_start);

        handle->setSliderDown(false);
        QCOMPARE(m_services->log, QStringList { logLine });
        QCOMPARE(deviceRecord(), withField(m_start, offset, 1, 77));
    }

    void refusedPictureSetKeepsTheValueForTheNextSend()
    {
        TestPage page;
        page.LoadConfig(m_login->userId());
        setFault([](devsim::Fault &f) { f.refusedSets.insert(SOLV_GET_FRONTCFG); });
        release(page.child<QSlider>("BrightnessLevelSlider"), 90);
        QCOMPARE(m_services->log, QStringList { "Failed to set lighteness!" });
        QCOMPARE(deviceRecord(), m_start);

        m_fleet->clearFault(Camera);
        release(page.child<QSlider>("ContrastLevelSlider"), 20);
        QCOMPARE(m_services->log.last(), QStringLiteral("Succeed to set contrast!"));
        QCOMPARE(deviceRecord(),
            withField(withField(m_start, SOLV_FRONTCFG_BRIGHTNESS_OFFSET, 1, 90),
                SOLV_FRONTCFG_CONTRAST_OFFSET, 1, 20));
    }

    void disabledPageSendsNothing_data()
    {
        QTest::addColumn<bool>("readFails");
        QTest::addColumn<QStringList>("log");
        QTest::newRow("no login") << false << QStringList();
        QTest::newRow("unreadable record")
            << true << QStringList { "Failed to get camera parameters!" };
    }

    void disabledPageSendsNothing()
    {
        QFETCH(bool, readFails);
        QFETCH(QStringList, log);
        TestPage page;
        page.LoadConfig(m_login->userId());
        if (readFails) {
            setFault([](devsim::Fault &f) { f.unsupportedCommands.insert(SOLV_GET_FRONTCFG); });
            page.LoadConfig(m_login->userId());
        } else {
            page.LoadConfig(-1);
        }
        QVERIFY(!page.child<QGroupBox>("VideoCfggroupBox")->isEnabled());
        QVERIFY(!page.child<QGroupBox>("CfggroupBox")->isEnabled());
        QVERIFY(!page.child<QCheckBox>("PrecheckBox")->isEnabled());
        release(page.child<QSlider>("BrightnessLevelSlider"), 99);
        QCOMPARE(m_services->log, log);
        QCOMPARE(deviceRecord(), m_start);
    }

    void saveChangesOneFieldEveryOtherByteStays_data()
    {
        QTest::addColumn<QByteArray>("widget");
        QTest::addColumn<int>("value"); // combo index, or the slider's or spin box's value
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("width");
        QTest::addColumn<quint32>("stored");
        QTest::newRow("day/night") << QByteArray("DayOrNightcomboBox") << 2
                                   << SOLV_FRONTCFG_DAYNIGHT_FILTER_TYPE_OFFSET << 1 << 2u;
        QTest::newRow("iris") << QByteArray("IrisModecomboBox") << 1
                              << SOLV_FRONTCFG_IRIS_MODE_OFFSET << 1 << 1u;
        QTest::newRow("exposure mode") << QByteArray("ExposureModecomboBox") << 1
                                       << SOLV_FRONTCFG_EXPOSURE_MODE_OFFSET << 1 << 1u;
        QTest::newRow("exposure time") << QByteArray("VideoExposureSetspinBox") << 33300
                                       << SOLV_FRONTCFG_EXPOSURE_TIME_OFFSET << 4 << 33300u;
        QTest::newRow("gain") << QByteArray("GainLevelSlider") << 88 << SOLV_FRONTCFG_GAIN_OFFSET
                              << 1 << 88u;
        QTest::newRow("day to night") << QByteArray("DayToNightFilterLevelSlider") << 7
                                      << SOLV_FRONTCFG_DAY_TO_NIGHT_SENSITIVITY_OFFSET << 1 << 7u;
        QTest::newRow("night to day") << QByteArray("NightToDayFilterLevelSlider") << 0
                                      << SOLV_FRONTCFG_NIGHT_TO_DAY_SENSITIVITY_OFFSET << 1 << 0u;
        QTest::newRow("filter time") << QByteArray("DayNightFilterTimespinBox") << 120
                                     << SOLV_FRONTCFG_DAYNIGHT_FILTER_TIME_OFFSET << 1 << 120u;
        QTest::newRow("HDMI 720P50") << QByteArray("LocalOutputGatecomboBox") << 3
                                     << SOLV_FRONTCFG_LOCAL_OUTPUT_OFFSET << 1 << 20u;
        QTest::newRow("HDMI 1080P60") << QByteArray("LocalOutputGatecomboBox") << 11
                                      << SOLV_FRONTCFG_LOCAL_OUTPUT_OFFSET << 1 << 28u;
    }

    void saveChangesOneFieldEveryOtherByteStays()
    {
        QFETCH(QByteArray, widget);
        QFETCH(int, value);
        QFETCH(int, offset);
        QFETCH(int, width);
        QFETCH(quint32, stored);
        TestPage page;
        page.LoadConfig(m_login->userId());
        setValueOf(page.child<QWidget>(widget.constData()), value);
        QTest::mouseClick(page.child<QPushButton>("SaveButton"), Qt::LeftButton);
        QCOMPARE(page.boxes, QStringList());
        QCOMPARE(m_services->log, QStringList { "Succeed to save camera parameters!" });
        QCOMPARE(deviceRecord(), withField(m_start, offset, width, stored));
        QCOMPARE(page.saveCopy().bytes(), deviceRecord());
    }

    void exposureIsCheckedAgainstTheCameraAbility_data()
    {
        QTest::addColumn<bool>("abilityReadable");
        QTest::addColumn<int>("exposure");
        QTest::addColumn<bool>("refused");
        QTest::newRow("above the maximum") << true << 50000 << true;
        QTest::newRow("below the minimum") << true << 0 << true;
        QTest::newRow("at the maximum") << true << ExposureMax << false;
        QTest::newRow("no ability text") << false << 50000 << false;
    }

    void exposureIsCheckedAgainstTheCameraAbility()
    {
        QFETCH(bool, abilityReadable);
        QFETCH(int, exposure);
        QFETCH(bool, refused);
        if (!abilityReadable) {
            setFault([](devsim::Fault &f) { f.unsupportedAbilities.insert(SOLV_ABILITY_CAMERA); });
        }
        TestPage page;
        page.LoadConfig(m_login->userId());
        page.child<QSpinBox>("VideoExposureSetspinBox")->setValue(exposure);
        page.SaveDevConfig();
        const QByteArray saved
            = withField(m_start, SOLV_FRONTCFG_EXPOSURE_TIME_OFFSET, 4, quint32(exposure));
        if (refused) {
            QCOMPARE(
                page.boxes, QStringList { "Error|The range of video exposure time is (10-40000)" });
            QCOMPARE(m_services->log, QStringList());
            QCOMPARE(deviceRecord(), m_start);
        } else {
            QCOMPARE(page.boxes, QStringList());
            QCOMPARE(m_services->log, QStringList { "Succeed to save camera parameters!" });
            QCOMPARE(deviceRecord(), saved);
        }
        // The templet's copy is never checked.
        QVERIFY(page.SetDevConfig(false));
        QCOMPARE(page.saveCopy().bytes(), saved);
        QCOMPARE(page.boxes.size(), refused ? 1 : 0);
    }

    void localOutputWithoutItemLeavesTheCombo()
    {
        TestPage page;
        auto *combo = page.child<QComboBox>("LocalOutputGatecomboBox");
        combo->setCurrentIndex(4);
        m_fleet->setRecord(
            Camera, SOLV_GET_FRONTCFG, withField(m_start, SOLV_FRONTCFG_LOCAL_OUTPUT_OFFSET, 1, 5));
        page.LoadConfig(m_login->userId());
        QCOMPARE(combo->currentIndex(), 4);
        page.SaveDevConfig();
        QCOMPARE(deviceRecord(), withField(m_start, SOLV_FRONTCFG_LOCAL_OUTPUT_OFFSET, 1, 21));
    }

    // A save that went through is what the next picture set sends along; a refused one is not.
    void nextPictureSetCarriesOnlyASavedChange_data()
    {
        QTest::addColumn<bool>("refused");
        QTest::newRow("saved") << false;
        QTest::newRow("refused") << true;
    }

    void nextPictureSetCarriesOnlyASavedChange()
    {
        QFETCH(bool, refused);
        TestPage page;
        page.LoadConfig(m_login->userId());
        page.child<QSlider>("GainLevelSlider")->setValue(99);
        if (refused) {
            setFault([](devsim::Fault &f) { f.refusedSets.insert(SOLV_GET_FRONTCFG); });
        }
        page.SaveDevConfig();
        m_fleet->clearFault(Camera);
        page.child<QSlider>("GainLevelSlider")->setValue(1); // not saved
        release(page.child<QSlider>("SaturationLevelSlider"), 5);
        QCOMPARE(m_services->log,
            (QStringList { refused ? "Failed to save camera parameters!"
                                   : "Succeed to save camera parameters!",
                "Succeed to set saturation!" }));
        QCOMPARE(deviceRecord(),
            withField(withField(m_start, SOLV_FRONTCFG_GAIN_OFFSET, 1, refused ? 30 : 99),
                SOLV_FRONTCFG_SATURATION_OFFSET, 1, 5));
    }

    void previewShowsTheCameraAndTheBrightnessMovesIt()
    {
        TestPage page;
        page.resize(900, 500);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        page.LoadConfig(m_login->userId());
        QSignalSpy changes(&page, &CPreConfig::RealPlayStatChange);
        auto *start = page.child<QPushButton>("startRealplayButton");
        auto *stop = page.child<QPushButton>("stopRealplayButton");
        auto *window = page.child<CPlayWindow>("framePlayWindow");
        QVERIFY(page.child<QGroupBox>("RealPlaygroupBox")->isEnabled());
        QTest::mouseClick(start, Qt::LeftButton);
        QCOMPARE(page.boxes, QStringList());
        QCOMPARE(changes.size(), 1);
        QCOMPARE(changes.at(0).at(0).toBool(), true);
        QVERIFY(m_services->previewRunning);
        QVERIFY(page.isPreviewRunning());
        QVERIFY(start->isHidden() && !start->isEnabled());
        QVERIFY(!stop->isHidden() && stop->isEnabled());

        QTRY_VERIFY_WITH_TIMEOUT(window->shownCount() > 0, 60000);
        // Pictures painted from now on were rendered after the set went through.
        const auto meanAfterSet = [&](int level, double *mean) {
            release(page.child<QSlider>("BrightnessLevelSlider"), level);
            const int painted = window->shownCount();
            QTRY_VERIFY_WITH_TIMEOUT(window->shownCount() > painted + 10, 60000);
            *mean = shownMeanLuma(window);
        };
        double dark = 0;
        double bright = 0;
        meanAfterSet(10, &dark);
        meanAfterSet(90, &bright);
        QVERIFY2(bright > dark + 20, qPrintable(QStringLiteral("%1 %2").arg(dark).arg(bright)));

        QTest::mouseClick(stop, Qt::LeftButton);
        QCOMPARE(changes.size(), 2);
        QCOMPARE(changes.at(1).at(0).toBool(), false);
        QVERIFY(!m_services->previewRunning);
        QVERIFY(!start->isHidden() && start->isEnabled());
        QVERIFY(stop->isHidden());
        QVERIFY(window->shownPicture().empty());
        // Stopping again changes nothing.
        page.stopRealplay();
        QCOMPARE(changes.size(), 2);
    }

    void previewStartFailureIsReported_data()
    {
        QTest::addColumn<bool>("bnc");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("logLine");
        QTest::newRow("network") << false << "Failed|Failed to start preview"
                                 << "Failed to start preview";
        QTest::newRow("card input") << true << "Failed!|Failed to start preview!"
                                    << "Failed to start preview!";
    }

    void previewStartFailureIsReported()
    {
        QFETCH(bool, bnc);
        QFETCH(QString, box);
        QFETCH(QString, logLine);
        m_services->bncChecked = bnc;
        TestPage page;
        QSignalSpy changes(&page, &CPreConfig::RealPlayStatChange);
        page.LoadConfig(-1); // no login: the network preview cannot start
        page.startRealplay();
        QCOMPARE(page.boxes, QStringList { box });
        QCOMPARE(m_services->log.last(), logLine);
        QCOMPARE(changes.size(), 0);
        QVERIFY(!m_services->previewRunning);
        QVERIFY(!page.child<QPushButton>("startRealplayButton")->isHidden());
    }

    void reloadRestartsARunningPreview()
    {
        TestPage page;
        page.LoadConfig(m_login->userId());
        QSignalSpy changes(&page, &CPreConfig::RealPlayStatChange);
        page.startRealplay();
        QVERIFY(page.isPreviewRunning());
        page.LoadConfig(m_login->userId());
        QVERIFY(page.isPreviewRunning());
        QCOMPARE(changes.size(), 3);
        QCOMPARE(changes.at(1).at(0).toBool(), false);
        QCOMPARE(changes.at(2).at(0).toBool(), true);
        // A device that cannot be shown ends the preview for good.
        page.LoadConfig(-1);
        QVERIFY(!page.isPreviewRunning());
        QVERIFY(!m_services->previewRunning);
        QVERIFY(!page.child<QGroupBox>("RealPlaygroupBox")->isEnabled());
        QCOMPARE(changes.size(), 4);
    }

    void cardInputOpensThePreviewAreaWithoutLogin()
    {
        TestPage page;
        page.LoadConfig(-1);
        auto *area = page.child<QGroupBox>("RealPlaygroupBox");
        QVERIFY(!area->isEnabled());
        page.BNCPreviewEnable(true);
        QVERIFY(area->isEnabled());
        page.LoadConfig(-1);
        QVERIFY(area->isEnabled());
        page.BNCPreviewEnable(false);
        QVERIFY(!page.child<QGroupBox>("VideoCfggroupBox")->isEnabled());
    }
};

QTEST_MAIN(TestPreConfig)
#include "tst_preconfig.moc"
