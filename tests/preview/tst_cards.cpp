// The camera page's preview and the capture cards in the main window, against
// a simulated camera (127.0.92.11): the running preview is counted, refuses the
// close and stops on a page without it; without cards the boxes fail; with the
// virtual cards the camera page decodes on the decoder card and previews the
// encoder card's input.
#include "adjustfocus.h"
#include "cardinitthread.h"
#include "configframe.h"
#include "fixedtext.h"
#include "kelvra.h"
#include "mirt.h"
#include "paintarea.h"
#include "playwindow.h"
#include "preconfig.h"
#include "realplay.h"
#include "simfleet.h"
#include "solvane.h"
#include "tervix.h"

#include <QAtomicInt>
#include <QCheckBox>
#include <QCloseEvent>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

namespace {

constexpr quint16 FleetPort = 18920;
const char *const Camera = "127.0.92.11";

class RecordingTervix : public Tervix
{
public:
    QStringList messages;

protected:
    void showInformation(const QString &title, const QString &text) override
    {
        messages << title + ": " + text;
    }
};

QAtomicInt g_frames;
QAtomicInt g_frameWidth;
QAtomicInt g_frameHeight;

void countFrame(const uint8_t *, int width, int height, void *)
{
    g_frameWidth = width;
    g_frameHeight = height;
    g_frames.fetchAndAddRelaxed(1);
}

void useCards(const char *names)
{
    DeInitDSPs();
    qputenv("TERVIX_CARDS", names);
}

} // namespace

class TestCards : public QObject
{
    Q_OBJECT

    std::unique_ptr<devsim::Fleet> m_fleet;
    std::unique_ptr<RecordingTervix> m_window;

    QCheckBox *box(const char *name) const
    {
        return m_window->findChild<QCheckBox *>(QLatin1String(name));
    }
    CPreConfig *cameraPage() const
    {
        return m_window->findChild<CConfigFrame *>(QStringLiteral("ConfigFrame"))->preConfig();
    }
    bool logHas(const QString &text) const
    {
        return !m_window->findChild<QListWidget *>(QStringLiteral("listWidget"))
                    ->findItems(text, Qt::MatchContains)
                    .isEmpty();
    }
    bool cardBoxesEnabled() const
    {
        return box("checkBoxMDCard")->isEnabled() && box("checkBoxBNC")->isEnabled();
    }
    void chooseCamera()
    {
        DEVICEINFO record {};
        FixedText::write(record.szSerialNo, "CAM0");
        FixedText::write(record.szIPAddress, Camera);
        record.wPort = FleetPort;
        m_window->findChild<CConfigFrame *>(QStringLiteral("ConfigFrame"))->SetDevice(0, record);
        QVERIFY(cameraPage()->isEnabled());
    }

private slots:
    void initTestCase()
    {
        MIRT_Init();
        SOLV_Init();
        m_fleet = startFleet(QString::fromLatin1(Camera), FleetPort, 1, 1.0);
        QVERIFY(m_fleet);
    }

    void cleanupTestCase()
    {
        m_fleet.reset();
        SOLV_Cleanup();
        MIRT_Fini();
    }

    void init()
    {
        g_frames = 0;
        m_window = std::make_unique<RecordingTervix>();
    }

    void cleanup()
    {
        m_window.reset();
        useCards("");
    }

    void leavingForAPageWithoutItStopsThePreview_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<bool>("stops");
        QTest::newRow("configuration") << 0 << false;
        QTest::newRow("batch set") << 1 << true;
        QTest::newRow("batch upgrade") << 2 << true;
        QTest::newRow("auxiliary zoom") << 3 << true;
        QTest::newRow("lens selection") << 4 << true;
    }

    void leavingForAPageWithoutItStopsThePreview()
    {
        QFETCH(int, tab);
        QFETCH(bool, stops);
        chooseCamera();
        QSignalSpy changes(cameraPage(), &CPreConfig::RealPlayStatChange);
        cameraPage()->startRealplay();
        QCOMPARE(changes.size(), 1);
        QCOMPARE(m_window->previewsRunning(), 1);
        QVERIFY(m_window->cameraPreviewRunning());
        QVERIFY(!cardBoxesEnabled());

        QCloseEvent refused;
        QCoreApplication::sendEvent(m_window.get(), &refused);
        QVERIFY(!refused.isAccepted());
        QCOMPARE(
            m_window->messages, QStringList { "Warning!: Camera parameters preview unclosed!" });

        m_window->tabPageChanges(tab);
        QCOMPARE(cameraPage()->isPreviewRunning(), !stops);
        QCOMPARE(m_window->cameraPreviewRunning(), !stops);
        QCOMPARE(m_window->previewsRunning(), stops ? 0 : 1);
        QCOMPARE(cardBoxesEnabled(), stops);
        QCOMPARE(changes.size(), stops ? 2 : 1);
    }

    void workerReportsItsRuns_data()
    {
        QTest::addColumn<QByteArray>("cards");
        QTest::addColumn<bool>("initialise");
        QTest::addColumn<bool>("succeeded");
        QTest::newRow("init without cards") << QByteArray() << true << false;
        QTest::newRow("init with cards") << QByteArray("decoder,encoder") << true << true;
        QTest::newRow("release without cards") << QByteArray() << false << true;
        QTest::newRow("release with cards") << QByteArray("encoder") << false << true;
    }
    void workerReportsItsRuns()
    {
        QFETCH(QByteArray, cards);
        QFETCH(bool, initialise);
        QFETCH(bool, succeeded);
        useCards(cards.constData());
        CardInitThread worker;
        QSignalSpy done(&worker, &CardWorker::CardInitOrDeInit);
        worker.SetMode(initialise);
        worker.start();
        QTRY_COMPARE(done.size(), 1);
        QVERIFY(worker.wait());
        QCOMPARE(done.first(), (QVariantList { initialise, succeeded }));
        bool mode = !initialise;
        bool result = !succeeded;
        worker.Result(&mode, &result);
        QCOMPARE(mode, initialise);
        QCOMPARE(result, succeeded);
    }

    void withoutCardsTheBoxesFail_data()
    {
        QTest::addColumn<QByteArray>("boxName");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("logLine");
        QTest::newRow("MD") << QByteArray("checkBoxMDCard")
                            << "Error: Failed to initialize decode card"
                            << "Failed to initialize decode card!";
        QTest::newRow("BNC") << QByteArray("checkBoxBNC")
                             << "Error: Failed to initialize encode card"
                             << "Failed to initialize encode card!";
    }
    void withoutCardsTheBoxesFail()
    {
        QFETCH(QByteArray, boxName);
        QFETCH(QString, message);
        QFETCH(QString, logLine);
        box(boxName.constData())->click();
        QVERIFY(!box(boxName.constData())->isChecked());
        QVERIFY(!m_window->cardsInitialised());
        QCOMPARE(m_window->messages, QStringList { message });
        QVERIFY(logHas(logLine));
        QVERIFY(!logHas(QStringLiteral("Succeed to initialize")));
    }

    void cameraPreviewDecodesOnTheDecoderCard()
    {
        useCards("decoder,encoder");
        box("checkBoxMDCard")->click();
        QVERIFY(box("checkBoxMDCard")->isChecked());
        QVERIFY(m_window->cardsInitialised());
        QVERIFY(logHas(QStringLiteral("Succeed to initialize encoder card!")));
        QVERIFY(logHas(QStringLiteral("Succeed to initialize decode card!")));
        chooseCamera();
        cameraPage()->realPlay()->SetFrameCallback(&countFrame, nullptr);
        cameraPage()->startRealplay();
        QVERIFY(cameraPage()->isPreviewRunning());
        QVERIFY(!box("checkBoxMDCard")->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(g_frames.loadRelaxed() >= 10, 30000);
        QVERIFY(g_frameWidth.loadRelaxed() > 0);
        QTRY_VERIFY_WITH_TIMEOUT(cameraPage()->realPlay()->GetFrameRate() > 0, 30000);
        cameraPage()->stopRealplay();
        QVERIFY(box("checkBoxMDCard")->isEnabled());
        // The card's channel went with the preview.
        int32_t channel = -1;
        QCOMPARE(HW_ChannelOpen(0, &channel), 0);
        QCOMPARE(channel, 0);
        HW_ChannelClose(channel);

        box("checkBoxMDCard")->click(); // unticked: released
        QVERIFY(!m_window->cardsInitialised());
        QCOMPARE(m_window->messages, QStringList());
    }

    void bncPreviewsTheEncoderInputWithoutADevice()
    {
        useCards("decoder,encoder");
        box("checkBoxMDCard")->click();
        QSignalSpy enable(m_window.get(), &Tervix::BNCPreviewEnable);
        box("checkBoxBNC")->click();
        QVERIFY(box("checkBoxBNC")->isChecked());
        QVERIFY(!box("checkBoxMDCard")->isChecked());
        QCOMPARE(enable.size(), 1);
        QCOMPARE(enable.first().first().toBool(), true);

        CRealPlay *realPlay = cameraPage()->realPlay();
        realPlay->SetFrameCallback(&countFrame, nullptr);
        cameraPage()->startRealplay();
        QVERIFY(cameraPage()->isPreviewRunning());
        QCOMPARE(m_window->previewsRunning(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(g_frames.loadRelaxed() >= 25, 30000);
        QCOMPARE(g_frameWidth.loadRelaxed(), 704);
        QCOMPARE(g_frameHeight.loadRelaxed(), 576);
        QCOMPARE(realPlay->GetFrameRate(), 25u);
        QVERIFY(!realPlay->RealPlay(0, 1, 0)); // no device call while the card previews
        cameraPage()->stopRealplay();
        QCOMPARE(m_window->previewsRunning(), 0);
        const int stopped = g_frames.loadRelaxed();
        QCOMPARE(ChannelOpen(0), 0); // the input is free again
        ChannelClose(0);
        QCOMPARE(g_frames.loadRelaxed(), stopped);

        box("checkBoxBNC")->click();
        QVERIFY(!m_window->cardsInitialised());
        QCOMPARE(enable.size(), 2);
        QCOMPARE(enable.last().first().toBool(), false);
    }

    void focusPageSamplesTheEncoderInput()
    {
        useCards("encoder");
        auto *focusPage = m_window->findChild<CAdjustFocus *>(QStringLiteral("AdjustFrame"));
        auto *start = focusPage->findChild<QPushButton *>(QStringLiteral("startRealplayButton"));
        QVERIFY(!start->isEnabled()); // no device chosen
        box("checkBoxBNC")->click();
        QVERIFY(start->isEnabled());
        QSignalSpy changes(focusPage, &CAdjustFocus::RealPlayStatChange);
        focusPage->startRealplay();
        QCOMPARE(changes.size(), 1);
        focusPage->startAdjustFocus();
        QTRY_VERIFY_WITH_TIMEOUT(focusPage->paintArea()->curve().sampleCount() >= 3, 30000);
        focusPage->stopRealplay();
        QCOMPARE(changes.size(), 2);
        box("checkBoxBNC")->click();
        QVERIFY(!start->isEnabled());
    }

    // The encoder card's preview is placed by hand: in the window, then over
    // the whole screen and back, by Escape or a double click alike.
    void bncPreviewFollowsFullScreen()
    {
        useCards("encoder");
        QVERIFY(InitDSPs() > 0);
        QWidget page;
        auto *layout = new QVBoxLayout(&page);
        auto *play = new CPlayWindow(&page);
        layout->addWidget(play);
        layout->addWidget(new QWidget(&page));
        page.resize(300, 200);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        CRealPlay realPlay;
        play->SetRealPlay(&realPlay);
        QVERIFY(realPlay.StartBNCPreview(play->presenterHandle()));
        QCOMPARE(realPlay.bncPreviewRect(), play->rect());
        QList<QRect> placed;
        for (const bool escape : { true, false }) {
            QTest::mouseDClick(play, Qt::LeftButton);
            QTRY_VERIFY(play->isFullScreen());
            QCOMPARE(realPlay.bncPreviewRect().size(), play->screen()->size());
            if (escape) {
                QTest::keyClick(play, Qt::Key_Escape);
            } else {
                QTest::mouseDClick(play, Qt::LeftButton);
            }
            QTRY_VERIFY(!play->isWindow());
            placed << realPlay.bncPreviewRect();
        }
        QCOMPARE(placed.first(), placed.last());
        QVERIFY(placed.first().size() != play->screen()->size());
        realPlay.StopRealPlay();
        realPlay.StopRealPlay();
        QVERIFY(!realPlay.isRunning());
    }
};

QTEST_MAIN(TestCards)
#include "tst_cards.moc"
