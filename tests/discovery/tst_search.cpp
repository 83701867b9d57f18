#include "fakeservices.h"
#include "iplineedit.h"
#include "search.h"
#include "searchengine.h"

#include "mirt.h"
#include "solvane.h"

#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
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

    template<typename T = QPushButton> T *child(const char *name) const
    {
        return findChild<T *>(QLatin1String(name));
    }
    QStringList lines() const
    {
        QStringList result;
        for (int i = 0; i < child<QListWidget>("listWidget")->count(); ++i) {
            result << child<QListWidget>("listWidget")->item(i)->text();
        }
        return result;
    }
    void search(const QString &start, const QString &stop)
    {
        show();
        child<CIpLineEdit>("StartIPlineEdit")->setText(start);
        child<QLineEdit>("StopIPlineEdit")->setText(stop);
        QTest::mouseClick(child("pushButton"), Qt::LeftButton);
    }
    // "idle", "searching", or "mixed" for a dialog that shows parts of both
    // (shown or not); the inputs are enabled and disabled together.
    QString face() const
    {
        const QList<bool> idle { child<CIpLineEdit>("StartIPlineEdit")->isEnabled(),
            child("pushButton")->isVisibleTo(this), !child("stopButton")->isVisibleTo(this),
            !child<QProgressBar>("progressBar")->isVisibleTo(this) };
        return !idle.contains(false) ? "idle" : !idle.contains(true) ? "searching" : "mixed";
    }

protected:
    void showInformation(const QString &title, const QString &text) override
    {
        boxes << title + QLatin1Char('|') + text;
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

    // The start address's own rules are Ipv4Text's (tst_ipv4text, "search"); these
    // are the range's.
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
        row("range", "192.168.1.10", "20", CSearch::InputOk, "192.168.1.10-192.168.1.20");
        row("one address", "192.168.1.10", "10", CSearch::InputOk, "192.168.1.10-192.168.1.10");
        row("end below start", "192.168.1.10", "9", CSearch::RangeError);
        row("empty end reads as 0", "192.168.1.10", "", CSearch::RangeError);
        row("start 0, empty end", "192.168.1.0", "", CSearch::InputError);
        row("start 0, end 0", "192.168.1.0", "0", CSearch::InputOk, "192.168.1.0-192.168.1.0");
        row("end 255", "10.0.0.1", "255", CSearch::InputOk, "10.0.0.1-10.0.0.255");
        row("end 256", "10.0.0.1", "256", CSearch::InputError);
        row("space in end", "1.2.3.4", " 5", CSearch::InputError);
    }

    void checkInput()
    {
        QFETCH(QString, start);
        QFETCH(QString, stop);
        quint32 first = 0;
        quint32 last = 0;
        QTEST(int(CSearch::CheckInput(start, stop, &first, &last)), "expected");
        const auto dotted = [](quint32 a) {
            return QString::asprintf(
                "%u.%u.%u.%u", a >> 24, (a >> 16) & 0xFF, (a >> 8) & 0xFF, a & 0xFF);
        };
        QTEST(first == 0 ? QString() : dotted(first) + QLatin1Char('-') + dotted(last), "range");
    }

    void refusedSearchStartsNothing_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("stop");
        QTest::addColumn<bool>("services"); // default credentials to search with
        QTest::addColumn<QString>("message");
        QTest::newRow("input") << "0.168.1.1" << QString("5") << true << "IP Input Error!";
        QTest::newRow("range") << "127.0.22.10" << QString("9") << true << "IP Range Error!";
        QTest::newRow("no credentials")
            << "127.0.22.1" << QString("2") << false << "Failed to start searching!";
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
        QCOMPARE(dialog.boxes, QStringList("Error!|" + message));
        QCOMPARE(m_services.log, services ? QStringList(message) : QStringList());
        QVERIFY(!dialog.isSearching() && dialog.lines().isEmpty());
        QCOMPARE(dialog.face(), "idle");
        QCOMPARE(engine.Total(), 0u);
    }

    // Escape and the close button both end in reject(): one row for both.
    void endingTheSearch_data()
    {
        QTest::addColumn<bool>("escape"); // else the stop button
        QTest::newRow("stop button") << false;
        QTest::newRow("escape") << true;
    }

    void endingTheSearch()
    {
        QFETCH(bool, escape);
        CSearchEngine engine;
        TestDialog dialog(&engine);
        dialog.search("127.0.22.1", "254");
        QVERIFY(dialog.isSearching());
        QCOMPARE(dialog.face(), "searching");
        QCOMPARE(dialog.lines(), QStringList("Start Search!"));
        QCOMPARE(m_services.log, QStringList("Start Search!"));
        QCOMPARE(engine.Total(), 254u);
        const auto end = [&] {
            escape ? QTest::keyClick(&dialog, Qt::Key_Escape)
                   : QTest::mouseClick(dialog.child("stopButton"), Qt::LeftButton);
        };
        QTRY_VERIFY(engine.Done() > 0); // under way
        if (escape) {
            // Closing asks first; refused, the search goes on.
            end();
            QCOMPARE(dialog.questions, 1);
            QVERIFY(dialog.isVisible() && dialog.isSearching());
            dialog.answerOk = true;
        }
        end();
        // Stopping waits for the probes under way; meanwhile the dialog says so.
        if (dialog.isStopping()) {
            QVERIFY(dialog.isVisible() && !dialog.child("stopButton")->isEnabled());
            QCOMPARE(dialog.child("stopButton")->text(), "Stopping...");
        }
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.isSearching(), 30000);
        QCOMPARE(dialog.questions, escape ? 2 : 0);
        QCOMPARE(dialog.isVisible(), !escape);
        QCOMPARE(dialog.face(), "idle");
        QCOMPARE(dialog.child("stopButton")->text(), "Stop");
        QTRY_COMPARE(dialog.lines().last(), "Search Complete!");
        // Idle, it closes without a question.
        dialog.show();
        QVERIFY(dialog.close());
        QCOMPARE(dialog.questions, escape ? 2 : 0);
    }

    void endOctetTakesZeroTo254_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        for (const char *accepted : { "0", "254" }) {
            QTest::newRow(accepted) << accepted << QString(accepted);
        }
        QTest::newRow("255 stops at 25") << "255" << QString("25");
        QTest::newRow("letters") << "1a2" << QString("12");
    }

    void endOctetTakesZeroTo254()
    {
        QFETCH(QString, typed);
        CSearchEngine engine;
        TestDialog dialog(&engine);
        dialog.show();
        auto *edit = dialog.child<QLineEdit>("StopIPlineEdit");
        edit->clear();
        QTest::keyClicks(edit, typed);
        QTEST(edit->text(), "shown");
    }

    // The list follows its newest line, and is emptied when the dialog is shown again.
    void resultList()
    {
        CSearchEngine engine;
        TestDialog dialog(&engine);
        dialog.resize(400, 300);
        dialog.show();
        for (int i = 1; i <= 200; ++i) {
            dialog.AddUserPasswdError(QStringLiteral("127.0.22.%1").arg(i));
        }
        QCOMPARE(dialog.lines().first(), "Online Devices: 127.0.22.1(User Name or Password error)");
        QScrollBar *bar = dialog.child<QListWidget>("listWidget")->verticalScrollBar();
        QTRY_VERIFY(bar->maximum() > 0);
        QTRY_COMPARE(bar->value(), bar->maximum());
        dialog.hide();
        dialog.show();
        QVERIFY(dialog.lines().isEmpty());
        QCOMPARE(dialog.face(), "idle");
    }
};

QTEST_MAIN(TestSearch)
#include "tst_search.moc"
