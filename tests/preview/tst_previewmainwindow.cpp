// The camera page's preview in the main window, against a simulated camera
// (127.0.90.11): the running preview is counted, refuses the close and
// stops when the window goes to a page without it.
#include "configframe.h"
#include "fixedtext.h"
#include "fleet.h"
#include "mirt.h"
#include "preconfig.h"
#include "solvane.h"
#include "tervix.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QSignalSpy>
#include <QTest>

namespace {

constexpr quint16 FleetPort = 18912;

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

} // namespace

class TestPreviewMainWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<devsim::Fleet> m_fleet;
    std::unique_ptr<RecordingTervix> m_window;

    CPreConfig *cameraPage() const
    {
        return m_window->findChild<CConfigFrame *>(QStringLiteral("ConfigFrame"))->preConfig();
    }

    bool cardBoxesEnabled() const
    {
        return m_window->findChild<QCheckBox *>(QStringLiteral("checkBoxMDCard"))->isEnabled()
            && m_window->findChild<QCheckBox *>(QStringLiteral("checkBoxBNC"))->isEnabled();
    }

private slots:
    void initTestCase()
    {
        MIRT_Init();
        SOLV_Init();
        m_fleet = std::make_unique<devsim::Fleet>(devsim::FleetOptions {
            .firstAddress = QStringLiteral("127.0.90.11"), .port = FleetPort, .discoveryPort = 0 });
        QString error;
        QVERIFY2(m_fleet->start(&error), qPrintable(error));
    }

    void cleanupTestCase()
    {
        m_fleet.reset();
        SOLV_Cleanup();
        MIRT_Fini();
    }

    void init()
    {
        m_window = std::make_unique<RecordingTervix>();
        DEVICEINFO record {};
        FixedText::write(record.szSerialNo, "CAM0");
        FixedText::write(record.szIPAddress, "127.0.90.11");
        record.wPort = FleetPort;
        m_window->findChild<CConfigFrame *>(QStringLiteral("ConfigFrame"))->SetDevice(0, record);
        QVERIFY(cameraPage()->isEnabled());
    }

    void cleanup() { m_window.reset(); }

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
};

QTEST_MAIN(TestPreviewMainWindow)
#include "tst_previewmainwindow.moc"
