// The stream player's ports: bounded input, what a closed or freed port
// still does, headers that do not add up, the presenter hook.
#include "ffmpegstreams.h"
#include "pictures.h"
#include "strix.h"

#include <QSemaphore>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>

namespace {

const auto *bytesOf(const QByteArray &bytes)
{
    return reinterpret_cast<const uint8_t *>(bytes.constData());
}

// A display callback that holds the decoding thread until the test lets it go.
QSemaphore g_held;
QSemaphore g_release;
void holdingCallback(int32_t, const uint8_t *, uint32_t, int32_t, int32_t, int64_t, int32_t, void *)
{
    g_held.release();
    g_release.acquire();
}

struct HookCall
{
    uintptr_t window = 0;
    int width = 0;
    void *context = nullptr;
};
QMutex g_hookMutex;
QList<HookCall> g_hookCalls;
void recordingHook(uintptr_t window, const STRIX_PICTURE *picture, void *context)
{
    QMutexLocker locker(&g_hookMutex);
    g_hookCalls << HookCall { window, picture->width, context };
}

int hookCallCount()
{
    QMutexLocker locker(&g_hookMutex);
    return int(g_hookCalls.size());
}

} // namespace

class TestStrix : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    FfmpegStream m_stream; // M-JPEG: every picture stands alone

    // A port playing m_stream's header into `window`, its display callback set.
    int32_t openPort(uintptr_t window = 0, uint32_t bufferSize = 1 << 20,
        Strix_DisplayCallBack callback = &ReceivedPictures::callback)
    {
        int32_t port = -1;
        if (!Strix_GetPort(&port)
            || !Strix_OpenStream(
                port, bytesOf(m_stream.header), uint32_t(m_stream.header.size()), bufferSize)
            || !Strix_SetDisplayCallBack(port, callback) || !Strix_Play(port, window)) {
            return -1;
        }
        return port;
    }

    bool feedAll(int32_t port)
    {
        return Strix_InputData(port, bytesOf(m_stream.data), uint32_t(m_stream.data.size()))
            && Strix_InputEnd(port);
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

    void init() { ReceivedPictures::instance().clear(false); }

    void fullBufferRefusesAndNeverGrows()
    {
        constexpr uint32_t Buffer = 512 * 1024;
        const auto streamSize = uint32_t(m_stream.data.size());
        QVERIFY(streamSize < Buffer / 2);
        const int32_t port = openPort(0, Buffer, &holdingCallback);
        QVERIFY(port >= 0);
        const QByteArray big(int(Buffer) + 1, 'x');
        QVERIFY(!Strix_InputData(port, bytesOf(big), uint32_t(big.size())));

        // The first picture holds the decoding thread; from then on input piles up.
        QVERIFY(Strix_InputData(port, bytesOf(m_stream.data), streamSize));
        QVERIFY(g_held.tryAcquire(1, 60000));
        const QByteArray block = m_stream.data.left(1000);
        uint32_t accepted = streamSize;
        while (Strix_InputData(port, bytesOf(block), uint32_t(block.size()))) {
            accepted += uint32_t(block.size());
            QVERIFY(accepted <= Buffer);
        }
        QVERIFY(accepted + uint32_t(block.size()) > Buffer);
        QVERIFY(!Strix_InputData(port, bytesOf(block), uint32_t(block.size())));

        // Once decoding goes on, room comes back.
        g_release.release(100000);
        bool taken = false;
        QTRY_VERIFY_WITH_TIMEOUT(
            taken = taken || Strix_InputData(port, bytesOf(block), uint32_t(block.size())), 60000);
        QVERIFY(Strix_FreePort(port));
        g_held.acquire(g_held.available());
        g_release.acquire(g_release.available());
    }

    void closedPortCallsNothingMore()
    {
        const int32_t closed = openPort();
        QVERIFY(closed >= 0);
        QVERIFY(feedAll(closed));
        QVERIFY(Strix_CloseStream(closed));
        const int seen = ReceivedPictures::instance().count(closed);
        QVERIFY(!Strix_InputData(closed, bytesOf(m_stream.data), 100));
        QCOMPARE(Strix_GetCurrentFrameRate(closed), 0u);

        // Another port's stream, all of it decoded, gives the closed one time
        // to show anything it still held back.
        const int32_t other = openPort();
        QVERIFY(other >= 0);
        QVERIFY(feedAll(other));
        QTRY_COMPARE_WITH_TIMEOUT(ReceivedPictures::instance().count(other), 10, 60000);
        QCOMPARE(ReceivedPictures::instance().count(closed), seen);

        // The closed port opens a new stream.
        QVERIFY(Strix_OpenStream(
            closed, bytesOf(m_stream.header), uint32_t(m_stream.header.size()), 1 << 20));
        QVERIFY(Strix_Play(closed, 0));
        QVERIFY(feedAll(closed));
        QTRY_COMPARE_WITH_TIMEOUT(ReceivedPictures::instance().count(closed), seen + 10, 60000);
        QVERIFY(Strix_FreePort(closed));
        QVERIFY(Strix_FreePort(other));
        QVERIFY(!Strix_FreePort(other));
    }

    void portsRunOut()
    {
        QList<int32_t> ports;
        int32_t port = -1;
        while (Strix_GetPort(&port)) {
            QVERIFY(!ports.contains(port));
            ports << port;
        }
        QCOMPARE(ports.size(), STRIX_MAX_PORTS);
        QVERIFY(Strix_FreePort(ports.takeLast()));
        QVERIFY(Strix_GetPort(&port));
        ports << port;
        for (int32_t taken : ports) {
            QVERIFY(Strix_FreePort(taken));
        }
        QVERIFY(!Strix_FreePort(-1));
        QVERIFY(!Strix_FreePort(STRIX_MAX_PORTS));
    }

    void refusesHeadersThatDoNotAddUp_data()
    {
        QTest::addColumn<int>("offset"); // -1: cut the header short
        QTest::addColumn<int>("width");
        QTest::addColumn<quint32>("value");
        QTest::newRow("short") << -1 << 0 << 0u;
        QTest::newRow("magic") << 0 << 4 << 0x12345678u;
        QTest::newRow("version") << 4 << 2 << 2u;
        QTest::newRow("codec") << 8 << 4 << 9u;
        QTest::newRow("width") << 12 << 2 << 0u;
        QTest::newRow("height") << 14 << 2 << 5000u;
        QTest::newRow("frame rate") << 20 << 4 << 0u;
        QTest::newRow("packaging") << 32 << 4 << 2u;
        QTest::newRow("extradata beyond the end") << 36 << 4 << 1u;
    }

    void refusesHeadersThatDoNotAddUp()
    {
        QFETCH(int, offset);
        QFETCH(int, width);
        QFETCH(quint32, value);
        QByteArray header = m_stream.header;
        if (offset < 0) {
            header.chop(1);
        }
        for (int i = 0; i < width; ++i) {
            header[offset + i] = char(value >> (8 * i));
        }
        int32_t port = -1;
        QVERIFY(Strix_GetPort(&port));
        QVERIFY(!Strix_OpenStream(port, bytesOf(header), uint32_t(header.size()), 1 << 20));
        QVERIFY(!Strix_Play(port, 0));
        QVERIFY(Strix_OpenStream(
            port, bytesOf(m_stream.header), uint32_t(m_stream.header.size()), 1 << 20));
        // One stream per port.
        QVERIFY(!Strix_OpenStream(
            port, bytesOf(m_stream.header), uint32_t(m_stream.header.size()), 1 << 20));
        QVERIFY(Strix_FreePort(port));
    }

    void presenterHookGetsThePicturesOfItsWindow()
    {
        int context = 0;
        g_hookCalls.clear();
        Strix_SetPresenterHook(&recordingHook, &context);
        const int32_t shown = openPort(0xbeef);
        const int32_t unshown = openPort(0);
        QVERIFY(shown >= 0 && unshown >= 0);
        QVERIFY(feedAll(unshown));
        QVERIFY(feedAll(shown));
        QTRY_COMPARE_WITH_TIMEOUT(ReceivedPictures::instance().count(shown), 10, 60000);
        QTRY_COMPARE_WITH_TIMEOUT(ReceivedPictures::instance().count(unshown), 10, 60000);
        QCOMPARE(hookCallCount(), 10);
        for (const HookCall &call : std::as_const(g_hookCalls)) {
            QCOMPARE(call.window, uintptr_t(0xbeef));
            QCOMPARE(call.width, 320);
            QCOMPARE(call.context, static_cast<void *>(&context));
        }
        Strix_SetPresenterHook(nullptr, nullptr);
        QVERIFY(Strix_FreePort(shown));
        QVERIFY(Strix_FreePort(unshown));
    }
};

QTEST_GUILESS_MAIN(TestStrix)
#include "tst_strix.moc"
