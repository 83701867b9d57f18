#include "fakeservices.h"
#include "iplineedit.h"
#include "search.h"
#include "searchengine.h"

#include "mirt.h"
#include "solvane.h"

#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QScrollBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

namespace {

// Records its message boxes and answers the close question as told. Searches
// go to 127.0.22.x, where nothing of this suite listens.
class TestDialog : public CSearch
{
public:
    using CSearch::CSearch;

    QStringList boxes; // "title|text"
    bool answerOk = false;
    int questions = 0;

    template<typename T> T *child(const char *name) const
    {
        return findChild<T *>(QLatin1String(name));
    }
    QStringList lines() const
    {
        QStringList result;
        auto *list = child<QListWidget>("listWidget");
        for (int i = 0; i < list->count(); ++i) {
            result.append(list->item(i)->text());
        }
        return result;
    }
    void search(const QString &start, const QString &stop)
    {
        show();
        child<CIpLineEdit>("StartIPlineEdit")->setText(start);
        child<QLineEdit>("StopIPlineEdit")->setText(stop);
        QTest::mouseClick(child<QPushButton>("pushButton"), Qt::LeftButton);
    }
    // "idle", "searching", or "mixed" for a dialog that shows parts of both
    // (shown or not); the inputs are enabled and disabled together.
    QString face() const
    {
        const QList<bool> shown { child<CIpLineEdit>("StartIPlineEdit")->isEnabled(),
            child<QPushButton>("pushButton")->isVisibleTo(this),
            !child<QPushButton>("stopButton")->isVisibleTo(this),
            !child<QProgressBar>("progressBar")->isVisibleTo(this) };
        return !shown.contains(false) ? QStringLiteral("idle")
            : !shown.contains(true)   ? QStringLiteral("searching")
                                      : QStringLiteral("mixed");
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

} // namespace

class TestSearch : public QObject
{
    Q_OBJECT

    FakeServices m_services;

private slots:
    void initTestCase()
    {
        QVERIFY(MIRT_Init() == 0);
        SOLV_Init();
    }

    void cleanupTestCase()
    {
        SOLV_Cleanup();
        MIRT_Fini();
    }

    void init()
    {
        m_services.log.clear();
        setTervixServices(&m_services);
    }

    void checkInput_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("stop");
        QTest::addColumn<int>("expected");
        QTest::addColumn<QString>("range"); // when accepted
        const auto row = [](const char *name, const char *start, const char *stop, int expected,
                             const char *range = "") {
            QTest::newRow(name) << start << stop << expected << range;
        };
        const int ok = CSearch::InputOk;
        const int input = CSearch::InputError;
        row("range", "192.168.1.10", "20", ok, "192.168.1.10-192.168.1.20");
        row("one address", "192.168.1.10", "10", ok, "192.168.1.10-192.168.1.10");
        row("end below start", "192.168.1.10", "9", CSearch::RangeError);
        row("empty end reads as 0", "192.168.1.10", "", CSearch::RangeError);
        row("start 0, empty end", "192.168.1.0", "", input);
        row("start 0, end 0", "192.168.1.0", "0", ok, "192.168.1.0-192.168.1.0");
        row("end 255", "10.0.0.1", "255", ok, "10.0.0.1-10.0.0.255");
        row("end 256", "10.0.0.1", "256", input);
        row("first part 0", "0.168.1.1", "5", input);
        row("first part 255", "255.1.1.1", "5", ok, "255.1.1.1-255.1.1.5");
        row("part 256", "1.256.1.1", "5", input);
        row("two dots", "192.168.1", "5", input);
        row("letter", "192.168.1.1a", "5", input);
        row("untouched editor", "...", "5", input);
        row("space in end", "1.2.3.4", " 5", input);
        row("leading zeros", "192.168.001.010", "020", ok, "192.168.1.10-192.168.1.20");
        row("overlong part", "1.2.3.0004", "5", input);
    }

    void checkInput()
    {
        QFETCH(QString, start);
        QFETCH(QString, stop);
        QFETCH(int, expected);
        QFETCH(QString, range);
        quint32 first = 0;
        quint32 last = 0;
        QCOMPARE(int(CSearch::CheckInput(start, stop, &first, &last)), expected);
        const auto dotted = [](quint32 a) {
            return QString::asprintf(
                "%u.%u.%u.%u", a >> 24, (a >> 16) & 0xFF, (a >> 8) & 0xFF, a & 0xFF);
        };
        if (expected == CSearch::InputOk) {
            QCOMPARE(dotted(first) + QLatin1Char('-') + dotted(last), range);
        }
    }

    void refusedSearchStartsNothing_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("stop");
        QTest::addColumn<bool>("services"); // default credentials to search with
        QTest::addColumn<QString>("message");
        const auto row = [](const char *name, const char *start, const char *stop, bool services,
                             const char *message) {
            QTest::newRow(name) << start << stop << services << message;
        };
        row("input", "0.168.1.1", "5", true, "IP Input Error!");
        row("range", "127.0.22.10", "9", true, "IP Range Error!");
        row("no credentials", "127.0.22.1", "2", false, "Failed to start searching!");
    }

    void refusedSearchStartsNothing()
    {
        QFETCH(QString, start);
        QFETCH(QString, stop);
        QFETCH(bool, services);
        QFETCH(QString, message);
        if (!services) {
            setTervixServices(nullptr);
        }
        CSearchEngine engine;
        TestDialog dialog(&engine);
        dialog.search(start, stop);
        QCOMPARE(dialog.boxes, QStringList(QStringLiteral("Error!|") + message));
        QCOMPARE(m_services.log, services ? QStringList(message) : QStringList());
        QVERIFY(!dialog.isSearching());
        QCOMPARE(dialog.face(), QStringLiteral("idle"));
        QCOMPARE(engine.Total(), 0u);
        QVERIFY(dialog.lines().isEmpty());
    }

    void endingTheSearch_data()
    {
        // Escape and the close button both end in reject(): one row for both.
        QTest::addColumn<int>("how"); // 0: stop button, 1: Escape
        QTest::newRow("stop button") << 0;
        QTest::newRow("escape") << 1;
    }

    void endingTheSearch()
    {
        QFETCH(int, how);
        CSearchEngine engine;
        TestDialog dialog(&engine);
        QCOMPARE(dialog.child<QSpinBox>("PortspinBox")->value(), 8000);
        dialog.search(QStringLiteral("127.0.22.1"), QStringLiteral("254"));
        QVERIFY(dialog.isSearching());
        QCOMPARE(dialog.face(), QStringLiteral("searching"));
        QCOMPARE(dialog.lines(), QStringList(QStringLiteral("Start Search!")));
        QCOMPARE(m_services.log, QStringList(QStringLiteral("Start Search!")));
        QCOMPARE(engine.Total(), 254u);
        const auto end = [&] {
            if (how == 0) {
                QTest::mouseClick(dialog.child<QPushButton>("stopButton"), Qt::LeftButton);
            } else {
                QTest::keyClick(&dialog, Qt::Key_Escape);
            }
        };
        QTRY_VERIFY(engine.Done() > 0); // under way
        if (how > 0) {
            // Closing asks first; refused, the search goes on.
            end();
            QCOMPARE(dialog.questions, 1);
            QVERIFY(dialog.isVisible());
            QVERIFY(dialog.isSearching());
            dialog.answerOk = true;
        }
        end();
        // Stopping waits for the probes under way; meanwhile the dialog says so.
        if (dialog.isStopping()) {
            QVERIFY(dialog.isVisible());
            QVERIFY(!dialog.child<QPushButton>("stopButton")->isEnabled());
            QCOMPARE(dialog.child<QPushButton>("stopButton")->text(), QStringLiteral("Stopping..."));
        }
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.isSearching(), 30000);
        QCOMPARE(dialog.questions, how > 0 ? 2 : 0);
        QCOMPARE(dialog.isVisible(), how == 0);
        QCOMPARE(dialog.face(), QStringLiteral("idle"));
        QCOMPARE(dialog.child<QPushButton>("stopButton")->text(), QStringLiteral("Stop"));
        QTRY_COMPARE(dialog.lines().last(), QStringLiteral("Search Complete!"));

        // Idle, it closes without a question.
        dialog.show();
        QVERIFY(dialog.close());
        QCOMPARE(dialog.questions, how > 0 ? 2 : 0);
    }

    void endOctetTakesZeroTo254_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("0") << "0" << "0";
        QTest::newRow("254") << "254" << "254";
        QTest::newRow("255 stops at 25") << "255" << "25";
        QTest::newRow("300 stops at 30") << "300" << "30";
        QTest::newRow("letters") << "1a2" << "12";
    }

    void endOctetTakesZeroTo254()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        CSearchEngine engine;
        TestDialog dialog(&engine);
        dialog.show();
        auto *edit = dialog.child<QLineEdit>("StopIPlineEdit");
        edit->clear();
        QTest::keyClicks(edit, typed);
        QCOMPARE(edit->text(), shown);
    }

    void listFollowsNewestLine()
    {
        CSearchEngine engine;
        TestDialog dialog(&engine);
        dialog.resize(400, 300);
        dialog.show();
        for (int i = 1; i <= 200; ++i) {
            dialog.AddUserPasswdError(QStringLiteral("127.0.22.%1").arg(i));
        }
        auto *list = dialog.child<QListWidget>("listWidget");
        QTRY_VERIFY(list->verticalScrollBar()->maximum() > 0);
        QTRY_COMPARE(list->verticalScrollBar()->value(), list->verticalScrollBar()->maximum());
    }

    void showingClearsTheList()
    {
        CSearchEngine engine;
        TestDialog dialog(&engine);
        dialog.show();
        dialog.AddUserPasswdError(QStringLiteral("127.0.22.9"));
        QCOMPARE(dialog.lines(),
            QStringList(QStringLiteral("Online Devices: 127.0.22.9(User Name or Password error)")));
        dialog.hide();
        dialog.show();
        QVERIFY(dialog.lines().isEmpty());
        QCOMPARE(dialog.face(), QStringLiteral("idle"));
    }
};

QTEST_MAIN(TestSearch)
#include "tst_search.moc"
