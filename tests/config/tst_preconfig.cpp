#include "configtestsupport.h"
#include "playwindow.h"
#include "preconfig.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>

#include <numeric>

using namespace configtest;

namespace {

constexpr int Camera = 0;
using TestPage = Recording<CPreConfig>;

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

    std::unique_ptr<Site> m_site;
    std::unique_ptr<PreviewServices> m_services;
    std::unique_ptr<SdkLogin> m_login;
    Snapshot m_start; // the camera's front-end record at the start of each test

    Snapshot device() const { return snapshot(*m_site->fleet, Camera, { "front" }); }
    QStringList saved() const { return changes(m_start, device()); }

private slots:
    void initTestCase()
    {
        m_site = std::make_unique<Site>("127.0.70.1", 18700);
        QVERIFY(m_site->fleet);
    }

    void cleanupTestCase() { m_site.reset(); }

    // Every test starts from the same values, apart from each one the tests change.
    void init()
    {
        m_start
            = changed({ { "front", m_site->fleet->factoryRecord(Camera, FrontCfg::getCommand) } },
                { "front.brightness=50", "front.contrast=51", "front.sharpness=52",
                    "front.saturation=53", "front.gain=30", "front.exposureMode=0",
                    "front.exposureTime=20000", "front.dayNightFilterType=0",
                    "front.dayToNightSensitivity=3", "front.nightToDaySensitivity=4",
                    "front.dayNightFilterTime=10", "front.irisMode=0", "front.localOutput=1" });
        store(*m_site->fleet, Camera, m_start);
        m_services = std::make_unique<PreviewServices>();
        m_login = m_site->login(Camera);
        QVERIFY(m_login->ok());
    }

    void cleanup()
    {
        m_login.reset();
        m_services.reset();
        m_site->fleet->clearFault(Camera);
    }

    void loadShowsTheRecordAndSendsNothing()
    {
        const Snapshot loaded = changed(m_start,
            { "front.dayNightFilterType=1", "front.irisMode=1", "front.exposureMode=1",
                "front.localOutput=26" });
        store(*m_site->fleet, Camera, loaded);
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
            QVERIFY2(valueOf(child(page, name)) == value, name);
        }
        for (const char *name : { "VideoCfggroupBox", "CfggroupBox", "PrecheckBox" }) {
            QVERIFY2(child(page, name)->isEnabled(), name);
        }
        // Any set would have left a line.
        QCOMPARE(m_services->log, QStringList());
        QCOMPARE(changes(loaded, device()), QStringList());

        // No gain to set while day/night switches by itself.
        QVERIFY(child(page, "GainLevelSlider")->isEnabled());
        apply(page, { { "DayOrNightcomboBox", 2 } });
        QVERIFY(!child(page, "GainLevelSlider")->isEnabled());
        QVERIFY(!child(page, "Gainlabel")->isEnabled());
    }

    void pictureSliderSendsWhenReleased_data()
    {
        QTest::addColumn<QByteArray>("slider");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("logLine");
        QTest::newRow("brightness") << QByteArray("BrightnessLevelSlider") << "brightness"
                                    << "Succeed to set lighteness!";
        QTest::newRow("contrast") << QByteArray("ContrastLevelSlider") << "contrast"
                                  << "Succeed to set contrast!";
        QTest::newRow("sharpness") << QByteArray("SharpnessLevelSlider") << "sharpness"
                                   << "Succeed to set sharpness!";
        QTest::newRow("saturation") << QByteArray("SaturationLevelSlider") << "saturation"
                                    << "Succeed to set saturation!";
    }

    void pictureSliderSendsWhenReleased()
    {
        QFETCH(QByteArray, slider);
        QFETCH(QString, field);
        QFETCH(QString, logLine);
        TestPage page;
        page.LoadConfig(m_login->userId());
        page.LoadConfig(m_login->userId()); // connected once all the same
        auto *handle = child<QSlider>(page, slider.constData());
        auto *number = child<QSpinBox>(page, slider.replace("Slider", "spinBox").constData());

        handle->setSliderDown(true);
        handle->setSliderPosition(71);
        handle->setSliderPosition(77);
        QCOMPARE(number->value(), 77);
        QCOMPARE(m_services->log, QStringList());
        QCOMPARE(saved(), QStringList());

        handle->setSliderDown(false);
        QCOMPARE(m_services->log, QStringList { logLine });
        QCOMPARE(saved(), QStringList { "front." + field + "=77" });
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
        TestPage page;
        page.LoadConfig(m_login->userId());
        if (readFails) {
            m_site->fail(Camera, {}, { FrontCfg::getCommand });
        }
        page.LoadConfig(readFails ? m_login->userId() : -1);
        for (const char *name : { "VideoCfggroupBox", "CfggroupBox", "PrecheckBox" }) {
            QVERIFY2(!child(page, name)->isEnabled(), name);
        }
        release(child<QSlider>(page, "BrightnessLevelSlider"), 99);
        QTEST(m_services->log, "log");
        QCOMPARE(saved(), QStringList());
    }

    // A save writes the form into the record read. An exposure outside the
    // camera's range is refused with a box, unless the camera gives no range;
    // the templet's copy is never checked against it.
    void saveWritesTheForm_data()
    {
        QTest::addColumn<Steps>("steps");
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("box"); // empty: saved
        QTest::addColumn<bool>("noRange");
        const auto row = [](const char *name, const char *widget, int value, const char *change,
                             const QString &box = {}, bool noRange = false) {
            QTest::newRow(name) << Steps { { widget, value } } << QStringLiteral("front.") + change
                                << box << noRange;
        };
        row("day/night", "DayOrNightcomboBox", 2, "dayNightFilterType=2");
        row("iris", "IrisModecomboBox", 1, "irisMode=1");
        row("exposure mode", "ExposureModecomboBox", 1, "exposureMode=1");
        row("gain", "GainLevelSlider", 88, "gain=88");
        row("day to night", "DayToNightFilterLevelSlider", 7, "dayToNightSensitivity=7");
        row("night to day", "NightToDayFilterLevelSlider", 0, "nightToDaySensitivity=0");
        row("filter time", "DayNightFilterTimespinBox", 120, "dayNightFilterTime=120");
        row("HDMI 720P50", "LocalOutputGatecomboBox", 3, "localOutput=20");
        row("HDMI 1080P60", "LocalOutputGatecomboBox", 11, "localOutput=28");
        const char *const exposure = "VideoExposureSetspinBox";
        const QString range = "Error|The range of video exposure time is (10-40000)";
        row("exposure at the maximum", exposure, 40000, "exposureTime=40000");
        row("exposure above the maximum", exposure, 50000, "exposureTime=50000", range);
        row("exposure below the minimum", exposure, 0, "exposureTime=0", range);
        row("exposure without a range", exposure, 50000, "exposureTime=50000", {}, true);
    }

    void saveWritesTheForm()
    {
        QFETCH(Steps, steps);
        QFETCH(QString, change);
        QFETCH(QString, box);
        QFETCH(bool, noRange);
        if (noRange) {
            devsim::Fault fault;
            fault.unsupportedAbilities.insert(SOLV_ABILITY_CAMERA);
            m_site->fleet->setFault(Camera, fault);
        }
        TestPage page;
        page.LoadConfig(m_login->userId());
        apply(page, steps);
        QTest::mouseClick(child<QPushButton>(page, "SaveButton"), Qt::LeftButton);
        const bool refused = !box.isEmpty();
        QCOMPARE(page.boxes, refused ? QStringList { box } : QStringList());
        QCOMPARE(m_services->log,
            refused ? QStringList() : QStringList { "Succeed to save camera parameters!" });
        QCOMPARE(saved(), refused ? QStringList() : QStringList { change });
        if (!refused) {
            QCOMPARE(page.saveCopy().bytes(), device()["front"]);
        }
        QVERIFY(page.SetDevConfig(false));
        QCOMPARE(
            changes(m_start, { { "front", page.saveCopy().bytes() } }), QStringList { change });
        QCOMPARE(page.boxes.size(), refused ? 1 : 0);
    }

    void localOutputWithoutItemLeavesTheCombo()
    {
        TestPage page;
        apply(page, { { "LocalOutputGatecomboBox", 4 } });
        store(*m_site->fleet, Camera, changed(m_start, { "front.localOutput=5" }));
        page.LoadConfig(m_login->userId());
        QCOMPARE(child<QComboBox>(page, "LocalOutputGatecomboBox")->currentIndex(), 4);
        page.SaveDevConfig();
        QCOMPARE(saved(), QStringList { "front.localOutput=21" });
    }

    // What the next picture set sends along: a save that went through and a
    // picture set the camera refused, but no refused save and no change left unsaved.
    void nextPictureSetCarriesWhatWasSent_data()
    {
        QTest::addColumn<bool>("pictureSet"); // first a brightness set, else a gain save
        QTest::addColumn<bool>("refused");
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<QStringList>("changes");
        const QString saturation = QStringLiteral("Succeed to set saturation!");
        QTest::newRow("save") << false << false
                              << QStringList { "Succeed to save camera parameters!", saturation }
                              << QStringList { "front.saturation=5", "front.gain=99" };
        QTest::newRow("refused save")
            << false << true << QStringList { "Failed to save camera parameters!", saturation }
            << QStringList { "front.saturation=5" };
        QTest::newRow("refused picture set")
            << true << true << QStringList { "Failed to set lighteness!", saturation }
            << QStringList { "front.brightness=90", "front.saturation=5" };
    }

    void nextPictureSetCarriesWhatWasSent()
    {
        QFETCH(bool, pictureSet);
        QFETCH(bool, refused);
        TestPage page;
        page.LoadConfig(m_login->userId());
        if (refused) {
            m_site->fail(Camera, { FrontCfg::getCommand });
        }
        if (pictureSet) {
            release(child<QSlider>(page, "BrightnessLevelSlider"), 90);
        } else {
            apply(page, { { "GainLevelSlider", 99 } });
            page.SaveDevConfig();
        }
        QCOMPARE(saved().isEmpty(), refused);
        m_site->fleet->clearFault(Camera);
        apply(page, { { "GainLevelSlider", 1 } }); // not saved
        release(child<QSlider>(page, "SaturationLevelSlider"), 5);
        QTEST(m_services->log, "log");
        QTEST(saved(), "changes");
    }

    void previewShowsTheCameraAndTheBrightnessMovesIt()
    {
        TestPage page;
        page.resize(900, 500);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        page.LoadConfig(m_login->userId());
        QSignalSpy changes(&page, &CPreConfig::RealPlayStatChange);
        auto *start = child<QPushButton>(page, "startRealplayButton");
        auto *stop = child<QPushButton>(page, "stopRealplayButton");
        auto *window = child<CPlayWindow>(page, "framePlayWindow");
        QVERIFY(child<QGroupBox>(page, "RealPlaygroupBox")->isEnabled());
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
            release(child<QSlider>(page, "BrightnessLevelSlider"), level);
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
        QVERIFY(!child<QPushButton>(page, "startRealplayButton")->isHidden());
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
        QVERIFY(!child<QGroupBox>(page, "RealPlaygroupBox")->isEnabled());
        QCOMPARE(changes.size(), 4);
    }

    void cardInputOpensThePreviewAreaWithoutLogin()
    {
        TestPage page;
        page.LoadConfig(-1);
        auto *area = child<QGroupBox>(page, "RealPlaygroupBox");
        QVERIFY(!area->isEnabled());
        page.BNCPreviewEnable(true);
        QVERIFY(area->isEnabled());
        page.LoadConfig(-1);
        QVERIFY(area->isEnabled());
        page.BNCPreviewEnable(false);
        QVERIFY(!child<QGroupBox>(page, "VideoCfggroupBox")->isEnabled());
    }
};

QTEST_MAIN(TestPreConfig)
#include "tst_preconfig.moc"
