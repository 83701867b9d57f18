// The preview controller's stream handling in software mode, on the real
// stream player, fed by hand with a stream the ffmpeg tool made: what the
// device SDK's stream thread would hand it.
#include "ffmpegstreams.h"
#include "realplay.h"

#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <memory>

namespace {

// The library calls, counted; those of the stream player go on to the real one.
struct Calls
{
    std::atomic<int> realPlay { 0 };
    std::atomic<int> stopRealPlay { 0 };
    std::atomic<int> logout { 0 };
    std::atomic<int> getPort { 0 };
    std::atomic<int> freePort { 0 };
    std::atomic<int> openStream { 0 };
    std::atomic<int> closeStream { 0 };
    std::atomic<int> inputData { 0 };
    std::atomic<int> inputTaken { 0 };
    std::atomic<int> sleeps { 0 };
    std::atomic<int> frames { 0 };
};
Calls *g_calls = nullptr;

template<typename T> T counted(std::atomic<int> &calls, T result)
{
    ++calls;
    return result;
}

// The device side stands still: these tests hand the stream over themselves.
int32_t fakeRealPlay(int32_t, const SOLV_PREVIEW_REQUEST *, SOLV_RealDataCallback, void *, int32_t)
{
    return counted(g_calls->realPlay, 5);
}

PreviewLibraries countedLibraries()
{
    PreviewLibraries libraries;
    libraries.realPlay = &fakeRealPlay;
    libraries.stopRealPlay = [](int32_t) { return counted(g_calls->stopRealPlay, 1); };
    libraries.logout = [](int32_t) { return counted(g_calls->logout, 1); };
    libraries.getPort
        = [](int32_t *port) { return counted(g_calls->getPort, Strix_GetPort(port)); };
    libraries.freePort
        = [](int32_t port) { return counted(g_calls->freePort, Strix_FreePort(port)); };
    libraries.openStream = [](int32_t port, const uint8_t *header, uint32_t size, uint32_t buffer) {
        return counted(g_calls->openStream, Strix_OpenStream(port, header, size, buffer));
    };
    libraries.closeStream
        = [](int32_t port) { return counted(g_calls->closeStream, Strix_CloseStream(port)); };
    libraries.inputData = [](int32_t port, const uint8_t *data, uint32_t size) {
        const auto taken = counted(g_calls->inputData, Strix_InputData(port, data, size));
        g_calls->inputTaken += taken != 0;
        return taken;
    };
    libraries.sleep = [](unsigned int) { ++g_calls->sleeps; };
    return libraries;
}

void countFrame(const uint8_t *, int, int, void *user)
{
    ++*static_cast<std::atomic<int> *>(user);
}

} // namespace

class TestRealPlay : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    FfmpegStream m_stream; // M-JPEG, 10 pictures
    std::unique_ptr<Calls> m_calls;

    void header(CRealPlay &realPlay)
    {
        CRealPlay::StreamDataCallback(5, 1,
            reinterpret_cast<const uint8_t *>(m_stream.header.constData()),
            uint32_t(m_stream.header.size()), &realPlay);
    }

    void data(CRealPlay &realPlay, const QByteArray &bytes)
    {
        CRealPlay::StreamDataCallback(5, 2, reinterpret_cast<const uint8_t *>(bytes.constData()),
            uint32_t(bytes.size()), &realPlay);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QString error;
        QVERIFY2(makeFfmpegStream(
                     QDir(m_dir.path()), ffmpegCodecs().at(2), 320, 240, 10, &m_stream, &error),
            qPrintable(error));
    }

    void init()
    {
        m_calls = std::make_unique<Calls>();
        g_calls = m_calls.get();
    }

    void refusedBlockIsDroppedAndTheNextTriedAfresh()
    {
        CRealPlay realPlay({}, countedLibraries());
        QVERIFY(realPlay.RealPlay(3, 1, 0));
        header(realPlay);
        // More than the player's whole buffer: refused every time.
        data(realPlay, QByteArray(int(SoftwareDecodeMode::StreamBufferBytes) + 1, '\0'));
        QCOMPARE(m_calls->inputData.load(), SoftwareDecodeMode::InputTries);
        QCOMPARE(m_calls->sleeps.load(), SoftwareDecodeMode::InputTries);
        QCOMPARE(m_calls->inputTaken.load(), 0);

        data(realPlay, m_stream.data.left(1000));
        QCOMPARE(m_calls->inputData.load(), SoftwareDecodeMode::InputTries + 1);
        QCOMPARE(m_calls->inputTaken.load(), 1);
        QCOMPARE(m_calls->sleeps.load(), SoftwareDecodeMode::InputTries);

        // Empty blocks and blocks before any header never reach the player.
        data(realPlay, QByteArray());
        CRealPlay idle({}, countedLibraries());
        QVERIFY(idle.RealPlay(3, 1, 0));
        data(idle, m_stream.data.left(1000));
        QCOMPARE(m_calls->inputData.load(), SoftwareDecodeMode::InputTries + 1);
    }

    void secondHeaderReopensThePort()
    {
        CRealPlay realPlay({}, countedLibraries());
        realPlay.SetFrameCallback(&countFrame, &m_calls->frames);
        QVERIFY(realPlay.RealPlay(3, 1, 0));
        header(realPlay);
        QCOMPARE(m_calls->getPort.load(), 1);
        data(realPlay, m_stream.data);
        QTRY_VERIFY_WITH_TIMEOUT(m_calls->frames >= 9, 60000);

        header(realPlay);
        QCOMPARE(m_calls->closeStream.load(), 1);
        QCOMPARE(m_calls->freePort.load(), 1);
        QCOMPARE(m_calls->getPort.load(), 2);
        QCOMPARE(m_calls->openStream.load(), 2);
        const int before = m_calls->frames;
        data(realPlay, m_stream.data);
        data(realPlay, m_stream.data.left(100)); // the next picture's start ends the last one
        QTRY_COMPARE_WITH_TIMEOUT(m_calls->frames.load(), before + 10, 60000);

        realPlay.StopRealPlay();
        QCOMPARE(m_calls->stopRealPlay.load(), 1);
        QCOMPARE(m_calls->freePort.load(), 2);
        QCOMPARE(m_calls->logout.load(), 0); // the login was the caller's
    }

    // Stopping an idle preview does nothing; stopped twice after a run it is
    // released once, shows nothing more and may start again.
    void stopReleasesOnceAndShowsNothingMore()
    {
        CRealPlay realPlay({}, countedLibraries());
        realPlay.StopRealPlay();
        QCOMPARE(m_calls->stopRealPlay + m_calls->freePort + m_calls->logout, 0);
        QCOMPARE(realPlay.GetFrameRate(), 0u);

        std::atomic<int> stoppedFrames { 0 };
        realPlay.SetFrameCallback(&countFrame, &stoppedFrames);
        QVERIFY(realPlay.RealPlay(3, 1, 0));
        header(realPlay);
        data(realPlay, m_stream.data);
        QTRY_VERIFY_WITH_TIMEOUT(stoppedFrames > 0, 60000);
        QVERIFY(realPlay.GetFrameRate() > 0);
        realPlay.StopRealPlay();
        realPlay.StopRealPlay();
        QCOMPARE(m_calls->stopRealPlay.load(), 1);
        QCOMPARE(m_calls->freePort.load(), 1);
        QCOMPARE(realPlay.GetFrameRate(), 0u);
        const int seen = stoppedFrames;
        data(realPlay, m_stream.data); // comes late, goes nowhere

        // Another preview's stream, all decoded, gives the stopped one time to show anything.
        CRealPlay other({}, countedLibraries());
        other.SetFrameCallback(&countFrame, &m_calls->frames);
        QVERIFY(other.RealPlay(3, 1, 0));
        header(other);
        data(other, m_stream.data + m_stream.data.left(100));
        QTRY_COMPARE_WITH_TIMEOUT(m_calls->frames.load(), 10, 60000);
        QCOMPARE(stoppedFrames.load(), seen);
        QVERIFY(realPlay.RealPlay(3, 1, 0));
    }

    // A negative login, or hard decoding without a card, never reaches the device.
    void refusedStartsReachNoDevice()
    {
        QStringList log;
        CRealPlay realPlay([&log](const QString &line) { log << line; }, countedLibraries());
        QVERIFY(!realPlay.RealPlay(-1, 1, 0));
        QVERIFY(!realPlay.isRunning());
        QCOMPARE(log, QStringList());
        realPlay.SetHardDecode(true);
        QVERIFY(!realPlay.RealPlay(3, 1, 0));
        QCOMPARE(log, QStringList { "Failed to initialize DirectDraw!" });
        QVERIFY(!realPlay.StartBNCPreview(0));
        QCOMPARE(log.last(), QStringLiteral("Open decode channel failed!"));
        QCOMPARE(m_calls->realPlay.load(), 0);
        realPlay.SetHardDecode(false);
        QVERIFY(realPlay.RealPlay(3, 1, 0));
    }
};

QTEST_GUILESS_MAIN(TestRealPlay)
#include "tst_realplay.moc"
