#include "quarryloader.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <atomic>
#include <memory>
#include <mutex>

namespace {

void ignoreAnnouncement(const char *, const char *, const char *, const char *, const char *,
    uint32_t, uint16_t, uint32_t, uint32_t, const char *, const char *, const char *, int32_t)
{ }

} // namespace

class QuarryLoaderTest : public QObject
{
    Q_OBJECT

    const QByteArray m_binDir = qgetenv("TERVIX_BIN_DIR");

private slots:
    void missingLibraryFailsAndEntryPointsAnswerZero()
    {
        QTemporaryDir empty;
        qputenv("TERVIX_BIN_DIR", QFile::encodeName(empty.path()));
        QuarryLoader &loader = QuarryLoader::instance();
        QVERIFY(!loader.Load());
        QCOMPARE(loader.referenceCount(), 0);
        QVERIFY(loader.handle() == nullptr);
        QCOMPARE(Quarry_Start(ignoreAnnouncement), 0);
        QCOMPARE(Quarry_Stop(), 0);
        QCOMPARE(
            Quarry_SendUpdateIp("02:54:56:00:00:01", "127.0.9.5", "255.0.0.0", "60917", "8000"), 0);
        QVERIFY(loader.Unload());
        QCOMPARE(loader.referenceCount(), 0);
        qputenv("TERVIX_BIN_DIR", m_binDir);
    }

    void secondLoadKeepsTheLibraryUntilTheLastUnload()
    {
        QuarryLoader &loader = QuarryLoader::instance();
        QVERIFY(loader.Load());
        void *handle = loader.handle();
        QVERIFY(handle != nullptr);
        // The test runs from its own folder, so the library comes from TERVIX_BIN_DIR.
        const QString path
            = QDir(QFile::decodeName(m_binDir)).filePath(QStringLiteral("libquarry.so"));
        QCOMPARE(loader.libraryPath(), path);
        QVERIFY(loader.Load());
        QCOMPARE(loader.referenceCount(), 2);
        QCOMPARE(loader.handle(), handle);

        QVERIFY(loader.Unload());
        QCOMPARE(loader.referenceCount(), 1);
        QCOMPARE(loader.handle(), handle);
        QCOMPARE(loader.libraryPath(), path);
        QCOMPARE(Quarry_Stop(), 1); // the entry points still answer

        QVERIFY(loader.Unload());
        QCOMPARE(loader.referenceCount(), 0);
        QVERIFY(loader.handle() == nullptr);
        QVERIFY(loader.libraryPath().isEmpty());
        QCOMPARE(Quarry_Stop(), 0);
        QVERIFY(loader.Unload()); // one more is harmless
    }

    void lastUnloadStopsARunningLibrary()
    {
        QuarryLoader &loader = QuarryLoader::instance();
        QVERIFY(loader.Load());
        QCOMPARE(Quarry_Start(ignoreAnnouncement), 1);
        // Unloading a listening library would pull its code from under its thread.
        QVERIFY(loader.Unload());
        QVERIFY(loader.Load());
        // Stopped, not merely forgotten: a new listener may start.
        QCOMPARE(Quarry_Start(ignoreAnnouncement), 1);
        QCOMPARE(Quarry_Stop(), 1);
        QVERIFY(loader.Unload());
    }

    void unloadWhileACallIsInProgressWaitsForIt()
    {
        QuarryLoader &loader = QuarryLoader::instance();
        QVERIFY(loader.Load());
        std::mutex lock;
        QStringList trace;
        const auto note = [&](const char *event) {
            std::lock_guard<std::mutex> guard(lock);
            trace << QLatin1String(event);
        };
        std::atomic<int> result { -100 };
        // Nobody has this MAC: the call waits out all its attempts.
        std::unique_ptr<QThread> caller(QThread::create([&] {
            result = Quarry_SendUpdateIp(
                "0e:00:00:00:00:09", "127.0.9.40", "255.0.0.0", "60917", "8000");
            note("call returned");
        }));
        caller->start();
        QTRY_COMPARE(loader.callsInProgress(), 1);
        QVERIFY(loader.Unload());
        note("unload returned");
        QVERIFY(caller->wait());
        QCOMPARE(trace,
            QStringList({ QStringLiteral("call returned"), QStringLiteral("unload returned") }));
        QCOMPARE(result.load(), QUARRY_UPDATE_NO_ANSWER);
        QCOMPARE(loader.callsInProgress(), 0);
        QVERIFY(loader.handle() == nullptr);
        // Once unloaded the entry points answer 0 at once; a new Load serves again.
        QCOMPARE(Quarry_Stop(), 0);
        QVERIFY(loader.Load());
        QCOMPARE(Quarry_Stop(), 1);
        QVERIFY(loader.Unload());
    }
};

QTEST_GUILESS_MAIN(QuarryLoaderTest)
#include "tst_quarryloader.moc"
