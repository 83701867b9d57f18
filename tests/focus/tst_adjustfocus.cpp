#include "adjustfocus.h"
#include "focusservices.h"
#include "paintarea.h"
#include "realplay.h"
#include "simfleet.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {

const QString FirstAddress = QStringLiteral("127.0.91.1");
const QByteArray OtherPassword = "focus7";

// The page with its message boxes ("title: text") recorded, not shown.
class RecordingPage : public CAdjustFocus
{
public:
    QStringList boxes;

protected:
    void showInformation(const QString &title, const QString &text) override
    {
        boxes << title + QStringLiteral(": ") + text;
    }
};

} // namespace

class TestAdjustFocus : public QObject
{
    Q_OBJECT

    QPushButton *button(const char *name) const
    {
        return m_page->findChild<QPushButton *>(QLatin1String(name));
    }
    DEVICEINFO camera(int index) const
    {
        const QByteArray serial = "FOCUS" + QByteArray::number(index);
        return testDevice(serial.constData(), m_fleet->address(index).toLatin1().constData());
    }
    // Buttons enabled, in the order start and stop preview, "Start
    // Sampling", "Start Fine-tuning", "Stop Auxiliary Zoom"; a hidden one
    // is "-".
    QString buttons() const
    {
        QString state;
        for (const char *name : { "startRealplayButton", "stopRealplayButton",
                 "startAdjustFocusButton", "beginButton", "stopAdjustFocusButton" }) {
            const QPushButton *b = button(name);
            state += b->isHidden() ? QLatin1Char('-')
                : b->isEnabled()   ? QLatin1Char('1')
                                   : QLatin1Char('0');
        }
        return state;
    }
    void startPreview(int index)
    {
        m_page->SetDevice(index, camera(index));
        button("startRealplayButton")->click();
        QVERIFY2(m_page->isPreviewRunning(), qPrintable(m_page->boxes.join(QLatin1Char('\n'))));
    }

    std::unique_ptr<devsim::Fleet> m_fleet;
    std::unique_ptr<FocusServices> m_services;
    std::unique_ptr<RecordingPage> m_page;

private slots:
    void initTestCase()
    {
        m_fleet = startFleet(FirstAddress, 8000, 3, 1.0, [](devsim::FleetOptions &options) {
            options.passwords = { { 1, OtherPassword } };
        });
        QVERIFY(m_fleet);
    }

    void init()
    {
        m_services = std::make_unique<FocusServices>();
        m_page = std::make_unique<RecordingPage>();
    }

    void cleanup()
    {
        m_page.reset();
        m_services.reset();
        for (int i = 0; i < m_fleet->count(); ++i) {
            QTRY_COMPARE(m_fleet->sessionCount(i), 0);
        }
    }

    // No preview -> preview -> sampling -> fine-tuning -> preview -> no preview.
    void walksThroughTheStates()
    {
        QSignalSpy changes(m_page.get(), &CAdjustFocus::RealPlayStatChange);
        m_page->SetDevice(0, camera(0));
        QCOMPARE(buttons(), QStringLiteral("1-000"));
        QVERIFY(m_page->IsSameDevice("FOCUS0") && !m_page->IsSameDevice("FOCUS1"));
        startPreview(0);
        QCOMPARE(buttons(), QStringLiteral("-1100"));
        QVERIFY(m_services->focusPreview);
        QTRY_VERIFY(m_page->realPlay()->GetFrameRate() > 0);

        button("startAdjustFocusButton")->click();
        QCOMPARE(buttons(), QStringLiteral("-1011"));
        const FocusCurve &curve = m_page->paintArea()->curve();
        QVERIFY(curve.isSampling());
        // The live pictures reach the curve through the frame callback.
        QTRY_VERIFY(curve.sampler().current() > 1000);
        QTRY_VERIFY(curve.sampleCount() >= 2);

        button("beginButton")->click();
        QCOMPARE(buttons(), QStringLiteral("-1001"));
        QVERIFY(curve.isTuning());
        QVERIFY(curve.savedHighest() >= curve.savedCurrent());

        button("stopAdjustFocusButton")->click();
        QCOMPARE(buttons(), QStringLiteral("-1100"));
        QVERIFY(curve.isStopped());
        m_page->stopAdjustFocus(); // none active: no log line
        QVERIFY(m_page->paintArea()->timer()->isActive());

        // Stopping the preview while sampling ends the adjustment first.
        button("startAdjustFocusButton")->click();
        button("stopRealplayButton")->click();
        QCOMPARE(buttons(), QStringLiteral("1-000"));
        QVERIFY(curve.isStopped());
        QVERIFY(!m_services->focusPreview);
        QCOMPARE(m_services->log,
            QStringList({ QStringLiteral("Start Auxiliary Zoom!"),
                QStringLiteral("Start Fine-tuning!"), QStringLiteral("Stop Auxiliary Zoom!"),
                QStringLiteral("Start Auxiliary Zoom!"), QStringLiteral("Stop Auxiliary Zoom!") }));
        QCOMPARE(changes.size(), 2);
        QCOMPARE(changes.at(0).at(0).toBool(), true);
        QCOMPARE(changes.at(1).at(0).toBool(), false);
    }

    void anotherDeviceRestartsThePreviewAndEndsTheAdjustment()
    {
        startPreview(0);
        QTRY_VERIFY(m_fleet->sessionCount(0) > 0);
        button("startAdjustFocusButton")->click();
        button("beginButton")->click();
        QSignalSpy changes(m_page.get(), &CAdjustFocus::RealPlayStatChange);

        m_page->SetDevice(2, camera(2));
        QVERIFY(m_page->isPreviewRunning());
        QCOMPARE(buttons(), QStringLiteral("-1100"));
        QCOMPARE(m_services->log.last(), QStringLiteral("Stop Auxiliary Zoom!"));
        QCOMPARE(changes.size(), 2);
        QTRY_VERIFY(m_fleet->sessionCount(2) > 0);
        QTRY_COMPARE(m_fleet->sessionCount(0), 0);
        m_page->stopRealplay();
    }

    // A device found by the IP-range search brings its own credentials;
    // an announced one is reached with the default ones.
    void credentialsOfTheDevice_data()
    {
        QTest::addColumn<quint32>("source");
        QTest::addColumn<bool>("started");
        QTest::newRow("searched: its own") << 1u << true;
        QTest::newRow("announced: the defaults") << 0u << false;
    }

    void credentialsOfTheDevice()
    {
        QFETCH(quint32, source);
        QFETCH(bool, started);
        DEVICEINFO record = camera(1);
        record.dwSource = source;
        FixedText::write(record.szUserName, "admin");
        FixedText::write(record.szPassword, OtherPassword);
        m_page->SetDevice(1, record);
        button("startRealplayButton")->click();
        QCOMPARE(m_page->isPreviewRunning(), started);
        if (started) {
            QVERIFY(m_page->boxes.isEmpty());
            m_page->stopRealplay();
        } else {
            QCOMPARE(
                m_page->boxes, QStringList(QStringLiteral("Failed!: Failed to start preview!")));
            QCOMPARE(m_services->log.last(), QStringLiteral("Failed to start preview!"));
            QCOMPARE(buttons(), QStringLiteral("1-000"));
            QVERIFY(!m_services->focusPreview);
        }
    }

    // The "BNC" box: the encoder card's input needs no device, and no
    // device is logged in to. (Without cards it cannot start.)
    void bncPreviewUsesNoDevice()
    {
        QCOMPARE(buttons(), QStringLiteral("0-000"));
        QVERIFY(!button("startRealplayButton")->icon().isNull());
        QVERIFY(!button("stopRealplayButton")->icon().isNull());
        m_page->BNCPreviewEnable(true);
        QCOMPARE(buttons(), QStringLiteral("1-000"));
        m_page->BNCPreviewEnable(false);
        QCOMPARE(buttons(), QStringLiteral("0-000"));

        m_services->bnc = true;
        m_page->BNCPreviewEnable(true);
        button("startRealplayButton")->click();
        QCOMPARE(m_page->boxes, QStringList(QStringLiteral("Failed!: Failed to start preview!")));

        m_page->SetDevice(0, camera(0));
        m_page->BNCPreviewEnable(false);
        QCOMPARE(buttons(), QStringLiteral("1-000"));
        button("startRealplayButton")->click();
        QCOMPARE(m_page->boxes.size(), 2);
        QCOMPARE(m_fleet->sessionCount(0), 0);
    }
};

QTEST_MAIN(TestAdjustFocus)
#include "tst_adjustfocus.moc"
