#include "fleet.h"
#include "iplineedit.h"
#include "search.h"
#include "searchadapter.h"
#include "searchengine.h"
#include "tervixservices.h"

#include "mirt.h"
#include "solvane.h"

#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

namespace {

// Addresses of this suite only: 127.0.22.x.
constexpr quint16 kPort = 8000;

class TestServices : public TervixServices
{
public:
    const char *defaultUserName() const override { return "admin"; }
    const char *defaultPassword() const override { return "60917"; }
    void Log(const QString &text) override { log.append(text); }
    void setCameraPreviewRunning(bool) override { }
    bool cameraPreviewRunning() const override { return false; }
    void setFocusPreviewRunning(bool) override { }
    bool focusPreviewRunning() const override { return false; }
    bool isConfigTableWide() const override { return false; }
    bool isOnConfigPage() const override { return true; }
    void setTableEnabled(DeviceTable, bool) override { }
    CDeviceStore *deviceStore() override { return nullptr; }
    int SlotOfCurrentRow(DeviceTable) const override { return -1; }
    CSearchEngine *searchEngine() override { return nullptr; }

    QStringList log;
};

// Records its message boxes and answers the close question as told.
class TestDialog : public CSearch
{
public:
    using CSearch::CSearch;

    QStringList boxes; // "title|text"
    bool answerOk = false;
    int questions = 0;

    QLineEdit *stopEdit() const { return findChild<QLineEdit *>(QStringLiteral("StopIPlineEdit")); }
    CIpLineEdit *startEdit() const
    {
        return findChild<CIpLineEdit *>(QStringLiteral("StartIPlineEdit"));
    }
    QPushButton *startButton() const
    {
        return findChild<QPushButton *>(QStringLiteral("pushButton"));
    }
    QPushButton *stopButton() const
    {
        return findChild<QPushButton *>(QStringLiteral("stopButton"));
    }
    QProgressBar *bar() const { return findChild<QProgressBar *>(QStringLiteral("progressBar")); }
    QSpinBox *portBox() const { return findChild<QSpinBox *>(QStringLiteral("PortspinBox")); }
    QStringList lines() const
    {
        QStringList result;
        auto *list = findChild<QListWidget *>(QStringLiteral("listWidget"));
        for (int i = 0; i < list->count(); ++i) {
            result.append(list->item(i)->text());
        }
        return result;
    }

protected:
    void showInformation(const QString &title, const QString &text) override
    {
        boxes.append(title + QLatin1Char('|') + text);
    }
    bool confirmTerminate() override
    {
        ++questions;
        return answerOk;
    }
};

devsim::FleetOptions fleetOptions(const QString &first, int count)
{
    devsim::FleetOptions options;
    options.count = count;
    options.firstAddress = first;
    options.port = kPort;
    options.discoveryPort = 0;
    options.seed = 11;
    return options;
}

} // namespace

class TestSearch : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void checkInput_data();
    void checkInput();
    void refusedInputStartsNothing_data();
    void refusedInputStartsNothing();
    void searchListsFoundAndRejectedThenCompletes();
    void stopButtonEndsTheSearch();
    void closeWhileSearchingAsksFirst();
    void escapeWhileSearchingAsksToo();
    void showingClearsTheList();
    void searchThatCannotStartIsReported();

private:
    TestServices m_services;
    SearchAdapter *m_adapter = nullptr;
};

void TestSearch::initTestCase()
{
    QVERIFY(MIRT_Init() == 0);
    SOLV_Init();
    setTervixServices(&m_services);
    m_adapter = new SearchAdapter(this);
    setDiscoveryAdapter(m_adapter);
}

void TestSearch::cleanupTestCase()
{
    setDiscoveryAdapter(nullptr);
    setTervixServices(nullptr);
    SOLV_Cleanup();
    MIRT_Fini();
}

void TestSearch::init()
{
    m_services.log.clear();
    setTervixServices(&m_services);
}

void TestSearch::checkInput_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("stop");
    QTest::addColumn<int>("expected");
    QTest::addColumn<QString>("first"); // when accepted
    QTest::addColumn<QString>("last");

    const int ok = CSearch::InputOk;
    const int input = CSearch::InputError;
    const int range = CSearch::RangeError;
    QTest::newRow("range") << "192.168.1.10"
                           << "20" << ok << "192.168.1.10"
                           << "192.168.1.20";
    QTest::newRow("one address") << "192.168.1.10"
                                 << "10" << ok << "192.168.1.10"
                                 << "192.168.1.10";
    QTest::newRow("end below start") << "192.168.1.10"
                                     << "9" << range << ""
                                     << "";
    QTest::newRow("empty end reads as 0") << "192.168.1.10"
                                          << "" << range << ""
                                          << "";
    QTest::newRow("start 0, empty end") << "192.168.1.0"
                                        << "" << input << ""
                                        << "";
    QTest::newRow("start 0, end 0") << "192.168.1.0"
                                    << "0" << ok << "192.168.1.0"
                                    << "192.168.1.0";
    QTest::newRow("whole block") << "10.0.0.0"
                                 << "254" << ok << "10.0.0.0"
                                 << "10.0.0.254";
    QTest::newRow("end 255") << "10.0.0.1"
                             << "255" << ok << "10.0.0.1"
                             << "10.0.0.255";
    QTest::newRow("end 256") << "10.0.0.1"
                             << "256" << input << ""
                             << "";
    QTest::newRow("first part 0") << "0.168.1.1"
                                  << "5" << input << ""
                                  << "";
    QTest::newRow("first part 255") << "255.1.1.1"
                                    << "5" << ok << "255.1.1.1"
                                    << "255.1.1.5";
    QTest::newRow("first part 256") << "256.1.1.1"
                                    << "5" << input << ""
                                    << "";
    QTest::newRow("second part 256") << "1.256.1.1"
                                     << "5" << input << ""
                                     << "";
    QTest::newRow("last part 256") << "1.1.1.256"
                                   << "5" << input << ""
                                   << "";
    QTest::newRow("two dots") << "192.168.1"
                              << "5" << input << ""
                              << "";
    QTest::newRow("four dots") << "1.2.3.4.5"
                               << "5" << input << ""
                               << "";
    QTest::newRow("letter") << "192.168.1.1a"
                            << "5" << input << ""
                            << "";
    QTest::newRow("untouched editor") << "..."
                                      << "5" << input << ""
                                      << "";
    QTest::newRow("empty part") << "192..1.1"
                                << "5" << input << ""
                                << "";
    QTest::newRow("empty last part") << "192.168.1."
                                     << "5" << input << ""
                                     << "";
    QTest::newRow("sign in start") << "+1.2.3.4"
                                   << "5" << input << ""
                                   << "";
    QTest::newRow("space in end") << "1.2.3.4"
                                  << " 5" << input << ""
                                  << "";
    QTest::newRow("sign in end") << "1.2.3.4"
                                 << "-5" << input << ""
                                 << "";
    QTest::newRow("leading zeros") << "192.168.001.010"
                                   << "020" << ok << "192.168.1.10"
                                   << "192.168.1.20";
    QTest::newRow("overlong part") << "1.2.3.0004"
                                   << "5" << input << ""
                                   << "";
}

void TestSearch::checkInput()
{
    QFETCH(QString, start);
    QFETCH(QString, stop);
    QFETCH(int, expected);
    QFETCH(QString, first);
    QFETCH(QString, last);

    quint32 startAddress = 0;
    quint32 endAddress = 0;
    QCOMPARE(int(CSearch::CheckInput(start, stop, &startAddress, &endAddress)), expected);
    if (expected == CSearch::InputOk) {
        const auto text = [](quint32 a) {
            return QStringLiteral("%1.%2.%3.%4")
                .arg(a >> 24)
                .arg((a >> 16) & 0xFF)
                .arg((a >> 8) & 0xFF)
                .arg(a & 0xFF);
        };
        QCOMPARE(text(startAddress), first);
        QCOMPARE(text(endAddress), last);
    }
}

void TestSearch::refusedInputStartsNothing_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("stop");
    QTest::addColumn<QString>("message");
    QTest::newRow("input") << "0.168.1.1"
                           << "5"
                           << "IP Input Error!";
    QTest::newRow("untouched") << ""
                               << ""
                               << "IP Input Error!";
    QTest::newRow("start 0, empty end") << "127.0.22.0"
                                        << ""
                                        << "IP Input Error!";
    QTest::newRow("range") << "127.0.22.10"
                           << "9"
                           << "IP Range Error!";
}

void TestSearch::refusedInputStartsNothing()
{
    QFETCH(QString, start);
    QFETCH(QString, stop);
    QFETCH(QString, message);

    CSearchEngine engine;
    TestDialog dialog(&engine);
    dialog.show();
    dialog.startEdit()->setText(start);
    dialog.stopEdit()->setText(stop);
    QTest::mouseClick(dialog.startButton(), Qt::LeftButton);

    QCOMPARE(dialog.boxes, QStringList(QStringLiteral("Error!|") + message));
    QCOMPARE(m_services.log, QStringList(message));
    QVERIFY(!dialog.isSearching());
    QCOMPARE(engine.Total(), 0u);
    QVERIFY(dialog.startEdit()->isEnabled());
    QVERIFY(dialog.lines().isEmpty());
}

void TestSearch::searchListsFoundAndRejectedThenCompletes()
{
    devsim::FleetOptions options = fleetOptions(QStringLiteral("127.0.22.1"), 4);
    options.passwords.insert(2, "another");
    devsim::Fleet fleet(options);
    QString error;
    QVERIFY2(fleet.start(&error), qPrintable(error));

    CSearchEngine engine;
    TestDialog dialog(&engine);
    // What the main window does with the adapter's reports.
    connect(m_adapter, &SearchAdapter::DeviceCallback, &dialog, [&dialog](DEVICEINFO *record, int) {
        dialog.AddinfoToList(record);
        delete record;
    });
    connect(m_adapter, &SearchAdapter::UserPasswdError, &dialog, &CSearch::AddUserPasswdError);
    dialog.show();
    dialog.startEdit()->setText(QStringLiteral("127.0.22.1"));
    dialog.stopEdit()->setText(QStringLiteral("6"));
    QCOMPARE(dialog.portBox()->value(), 8000);
    QTest::mouseClick(dialog.startButton(), Qt::LeftButton);

    QVERIFY(dialog.isSearching());
    QCOMPARE(dialog.lines(), QStringList(QStringLiteral("Start Search!")));
    QCOMPARE(m_services.log, QStringList(QStringLiteral("Start Search!")));
    QVERIFY(!dialog.startEdit()->isEnabled());
    QVERIFY(!dialog.stopEdit()->isEnabled());
    QVERIFY(!dialog.portBox()->isEnabled());
    QVERIFY(dialog.stopButton()->isVisible());
    QVERIFY(!dialog.startButton()->isVisible());
    QVERIFY(dialog.bar()->isVisible());

    QTRY_VERIFY_WITH_TIMEOUT(dialog.lines().contains(QStringLiteral("Search Complete!")), 15000);
    QVERIFY(!dialog.isSearching());
    const QStringList lines = dialog.lines();
    QCOMPARE(lines.first(), QStringLiteral("Start Search!"));
    QCOMPARE(lines.last(), QStringLiteral("Search Complete!"));
    QStringList reports = lines.mid(1, lines.size() - 2);
    reports.sort();
    QCOMPARE(reports,
        QStringList({ "Online Devices: 127.0.22.1", "Online Devices: 127.0.22.2",
            "Online Devices: 127.0.22.3(User Name or Password error)",
            "Online Devices: 127.0.22.4" }));
    QVERIFY(dialog.startEdit()->isEnabled());
    QVERIFY(dialog.startButton()->isVisible());
    QVERIFY(!dialog.stopButton()->isVisible());
    QVERIFY(!dialog.bar()->isVisible());
    QCOMPARE(engine.Done(), 6u);
}

void TestSearch::stopButtonEndsTheSearch()
{
    CSearchEngine engine;
    TestDialog dialog(&engine);
    dialog.show();
    dialog.startEdit()->setText(QStringLiteral("127.0.22.1"));
    dialog.stopEdit()->setText(QStringLiteral("254"));
    QTest::mouseClick(dialog.startButton(), Qt::LeftButton);
    QTest::qWait(300);
    QTest::mouseClick(dialog.stopButton(), Qt::LeftButton);

    QVERIFY(!dialog.isSearching());
    QVERIFY(engine.Progress() < 100);
    const quint32 done = engine.Done();
    QTRY_COMPARE(dialog.lines().last(), QStringLiteral("Search Complete!"));
    QVERIFY(dialog.startButton()->isVisible());
    QVERIFY(dialog.portBox()->isEnabled());
    QTest::qWait(200);
    QCOMPARE(engine.Done(), done);
}

void TestSearch::closeWhileSearchingAsksFirst()
{
    CSearchEngine engine;
    TestDialog dialog(&engine);
    dialog.show();
    dialog.startEdit()->setText(QStringLiteral("127.0.22.1"));
    dialog.stopEdit()->setText(QStringLiteral("254"));
    QTest::mouseClick(dialog.startButton(), Qt::LeftButton);

    dialog.answerOk = false;
    QVERIFY(!dialog.close());
    QCOMPARE(dialog.questions, 1);
    QVERIFY(dialog.isVisible());
    QVERIFY(dialog.isSearching());

    dialog.answerOk = true;
    QVERIFY(dialog.close());
    QCOMPARE(dialog.questions, 2);
    QVERIFY(!dialog.isVisible());
    QVERIFY(!dialog.isSearching());
    QVERIFY(engine.Progress() < 100);

    // Idle, it closes without a question.
    dialog.show();
    QVERIFY(dialog.close());
    QCOMPARE(dialog.questions, 2);
}

void TestSearch::escapeWhileSearchingAsksToo()
{
    CSearchEngine engine;
    TestDialog dialog(&engine);
    dialog.show();
    dialog.startEdit()->setText(QStringLiteral("127.0.22.1"));
    dialog.stopEdit()->setText(QStringLiteral("254"));
    QTest::mouseClick(dialog.startButton(), Qt::LeftButton);

    dialog.answerOk = false;
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QCOMPARE(dialog.questions, 1);
    QVERIFY(dialog.isVisible());
    QVERIFY(dialog.isSearching());
    dialog.answerOk = true;
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QVERIFY(!dialog.isVisible());
    QVERIFY(!dialog.isSearching());
}

void TestSearch::showingClearsTheList()
{
    CSearchEngine engine;
    TestDialog dialog(&engine);
    dialog.show();
    dialog.AddUserPasswdError(QStringLiteral("127.0.22.9"));
    QCOMPARE(dialog.lines().size(), 1);
    dialog.hide();
    dialog.show();
    QVERIFY(dialog.lines().isEmpty());
    QVERIFY(!dialog.bar()->isVisible());
}

void TestSearch::searchThatCannotStartIsReported()
{
    setTervixServices(nullptr); // no default credentials to search with
    CSearchEngine engine;
    TestDialog dialog(&engine);
    dialog.show();
    dialog.startEdit()->setText(QStringLiteral("127.0.22.1"));
    dialog.stopEdit()->setText(QStringLiteral("2"));
    QTest::mouseClick(dialog.startButton(), Qt::LeftButton);
    QCOMPARE(dialog.boxes, QStringList(QStringLiteral("Error!|Failed to start searching!")));
    QVERIFY(!dialog.isSearching());
    QVERIFY(dialog.startButton()->isVisible());
}

QTEST_MAIN(TestSearch)
#include "tst_search.moc"
