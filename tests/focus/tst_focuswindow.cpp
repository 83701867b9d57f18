#include "adjustfocus.h"
#include "maintablewithmend.h"
#include "simfleet.h"
#include "tervix.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTest>

namespace {

// The window with its message boxes ("title: text") recorded, not shown.
class RecordingTervix : public Tervix
{
public:
    QStringList messages;

protected:
    void showInformation(const QString &title, const QString &text) override
    {
        messages << title + QStringLiteral(": ") + text;
    }
};

} // namespace

// The main window hands the device picked in the "Auxiliary Zoom" table to
// the focus page, stops the page's preview when it goes out of use and will
// not close while it runs. Simulated cameras on 127.0.91.11 - 127.0.91.12.
class TestFocusWindow : public QObject
{
    Q_OBJECT

    CAdjustFocus *page() const
    {
        return m_window->findChild<CAdjustFocus *>(QStringLiteral("AdjustFrame"));
    }
    void add(int index)
    {
        const QByteArray serial = "WINDOW" + QByteArray::number(index);
        m_window->DeviceCallback(new DEVICEINFO(testDevice(serial.constData(),
                                     m_fleet->address(index).toLatin1().constData())),
            DeviceReportAddOrUpdate);
    }
    // Picks the table's row of camera `index` and starts its preview.
    void startPreview(int row)
    {
        m_window->focusTable()->SelectRow(row);
        m_window->clickedAdjustFocusTable();
        page()->findChild<QPushButton *>(QStringLiteral("startRealplayButton"))->click();
        QVERIFY(page()->isPreviewRunning());
        QVERIFY(m_window->focusPreviewRunning());
    }

    std::unique_ptr<devsim::Fleet> m_fleet;
    std::unique_ptr<RecordingTervix> m_window;

private slots:
    void initTestCase()
    {
        m_fleet = startFleet(QStringLiteral("127.0.91.11"), 8000, 2, 1.0);
        QVERIFY(m_fleet);
    }

    void init()
    {
        m_window = std::make_unique<RecordingTervix>();
        add(0);
        add(1);
    }

    void cleanup()
    {
        m_window.reset();
        for (int i = 0; i < m_fleet->count(); ++i) {
            QTRY_COMPARE(m_fleet->sessionCount(i), 0);
        }
    }

    void leavingThePageStopsThePreview_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<bool>("runs");
        QTest::newRow("Parameter Configuration") << 0 << false;
        QTest::newRow("Batch Set") << 1 << false;
        QTest::newRow("Batch Upgrade") << 2 << false;
        QTest::newRow("Auxiliary Zoom") << 3 << true;
        QTest::newRow("Lens Selection") << 4 << false;
        QTest::newRow("device table widened") << -1 << false;
    }

    void leavingThePageStopsThePreview()
    {
        QFETCH(int, tab);
        QFETCH(bool, runs);
        startPreview(0);
        QVERIFY(page()->IsSameDevice("WINDOW0"));
        QCOMPARE(m_window->previewsRunning(), 1);
        QVERIFY(!m_window->findChild<QCheckBox *>(QStringLiteral("checkBoxBNC"))->isEnabled());
        QVERIFY(!m_window->close());
        QCOMPARE(m_window->messages,
            QStringList(QStringLiteral("Warning!: Auxiliary zoom preview unclosed!")));
        tab < 0 ? m_window->TableshowInAdjust() : m_window->tabPageChanges(tab);
        QCOMPARE(page()->isPreviewRunning(), runs);
        QCOMPARE(m_window->focusPreviewRunning(), runs);
        QCOMPARE(m_window->previewsRunning(), runs ? 1 : 0);
        page()->stopRealplay();
        QVERIFY(m_window->findChild<QCheckBox *>(QStringLiteral("checkBoxBNC"))->isEnabled());
        QVERIFY(m_window->close());
    }

    void previewedDeviceLeavingTheListStopsIt()
    {
        startPreview(0);
        m_window->DeviceCallback(new DEVICEINFO(testDevice("WINDOW1")), DeviceReportRemove);
        QVERIFY(page()->isPreviewRunning());
        m_window->DeviceCallback(new DEVICEINFO(testDevice("WINDOW0")), DeviceReportRemove);
        QVERIFY(!page()->isPreviewRunning());
        QCOMPARE(m_window->previewsRunning(), 0);
    }
};

QTEST_MAIN(TestFocusWindow)
#include "tst_focuswindow.moc"
