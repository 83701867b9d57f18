#include "quarryloader.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <atomic>
#include <memory>

namespace {

void ignoreAnnouncement(const char *, const char *, const char *, const char *, const char *,
    uint32_t, uint16_t, uint32_t, uint32_t, const char *, const char *, const char *, int32_t)
{ }

} // namespace

class QuarryLoaderTest : public QObject
{
    Q_OBJECT

    const QByteArray m_binDir = qgetenv("TERVIX_BIN_DIR");
    QuarryLoader &m_loader = QuarryLoader::instance();

private slots:
    void missingLibraryFailsAndEntryPointsAnswerZero()
    {
        QTemporaryDir empty;
        qputenv("TERVIX_BIN_DIR", QFile::encodeName(empty.path()));
        QVERIFY(!m_loader.Load());
        qputenv("TERVIX_BIN_DIR", m_binDir);
        QCOMPARE(m_loader.referenceCount(), 0);
        QVERIFY(m_loader.handle() == nullptr);
        QCOMPARE(Quarry_Start(ignoreAnnouncement), 0);
        QCOMPARE(Quarry_Stop(), 0);
        QCOMPARE(
            Quarry_SendUpdateIp("02:54:56:00:00:01", "127.0.9.5", "255.0.0.0", "60917", "8000"), 0);
        QVERIFY(m_loader.Unload());
        QCOMPARE(m_loader.referenceCount(), 0);
    }

    void secondLoadKeepsTheLibraryUntilTheLastUnload()
    {
        QVERIFY(m_loader.Load());
        void *handle = m_loader.handle();
        QVERIFY(handle != nullptr);
        // The test runs from its own folder, so the library comes from TERVIX_BIN_DIR.
        const QString path = QDir(QFile::decodeName(m_binDir)).filePath("libquarry.so");
        QCOMPARE(m_loader.libraryPath(), path);
        QVERIFY(m_loader.Load());
        QCOMPARE(m_loader.referenceCount(), 2);
        QVERIFY(m_loader.Unload());
        QCOMPARE(m_loader.referenceCount(), 1);
        QCOMPARE(m_loader.handle(), handle);
        QCOMPARE(m_loader.libraryPath(), path);
        QCOMPARE(Quarry_Stop(), 1); // the entry points still answer
        QVERIFY(m_loader.Unload());
        QCOMPARE(m_loader.referenceCount(), 0);
        QVERIFY(m_loader.handle() == nullptr && m_loader.libraryPath().isEmpty());
        QCOMPARE(Quarry_Stop(), 0);
        QVERIFY(m_loader.Unload()); // one more is harmless
    }

    void lastUnloadStopsARunningLibrary()
    {
        QVERIFY(m_loader.Load());
        QCOMPARE(Quarry_Start(ignoreAnnouncement), 1);
        // Unloading a listening library would pull its code from under its thread.
        QVERIFY(m_loader.Unload());
        QVERIFY(m_loader.Load());
        // Stopped, not merely forgotten: a new listener may start.
        QCOMPARE(Quarry_Start(ignoreAnnouncement), 1);
        QCOMPARE(Quarry_Stop(), 1);
        QVERIFY(m_loader.Unload());
    }

    void unloadWhileACallIsInProgressWaitsForIt()
    {
        QVERIFY(m_loader.Load());
        std::atomic<int> result { -100 };
        // Nobody has this MAC: the call waits out all its attempts.
        std::unique_ptr<QThread> caller(QThread::create([&] {
            result = Quarry_SendUpdateIp(
                "0e:00:00:00:00:09", "127.0.9.40", "255.0.0.0", "60917", "8000");
        }));
        caller->start();
        QTRY_COMPARE(m_loader.callsInProgress(), 1);
        QVERIFY(m_loader.Unload());
        // The call had left the library before Unload returned (its caller's
        // next statement may still be to come, so that is not what is checked).
        QCOMPARE(m_loader.callsInProgress(), 0);
        QVERIFY(caller->wait());
        QCOMPARE(result.load(), QUARRY_UPDATE_NO_ANSWER);
        QVERIFY(m_loader.handle() == nullptr);
        QCOMPARE(Quarry_Stop(), 0); // at once
    }
};

QTEST_GUILESS_MAIN(QuarryLoaderTest)
#include "tst_quarryloader.moc"
