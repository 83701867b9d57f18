#include "ffmpegstreams.h"
#include "kelvra.h"

#include <QAtomicInt>
#include <QElapsedTimer>
#include <QMutex>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <vector>

namespace {

QAtomicInt g_presented;
QAtomicInt g_captured;
QAtomicInt g_capturedWidth;
QAtomicInt g_images;
QAtomicInt g_imageChannel { -1 };

void presenterHook(uintptr_t window, const KELVRA_PICTURE *picture, void *)
{
    if (window == 0x51 && picture->size == vdec::pictureSize(picture->width, picture->height)) {
        g_presented.fetchAndAddRelaxed(1);
    }
}

void captureCallback(
    int32_t, const uint8_t *, int32_t width, int32_t, uint32_t, uint32_t, int64_t, void *context)
{
    if (context == &g_captured) {
        g_capturedWidth = width;
        g_captured.fetchAndAddRelaxed(1);
    }
}

void imageCallback(uint32_t channel, void *context)
{
    if (context == &g_images) {
        g_imageChannel = int(channel);
        g_images.fetchAndAddRelaxed(1);
    }
}

void useCards(const char *names)
{
    DeInitDSPs();
    qputenv("TERVIX_CARDS", names);
}

} // namespace

class TestKelvra : public QObject
{
    Q_OBJECT

private slots:
    void init() { g_presented = g_captured = g_images = 0; }
    void cleanup() { useCards(""); }

    void processorsByCardsNamed_data()
    {
        QTest::addColumn<QByteArray>("cards");
        QTest::addColumn<int>("processors");
        QTest::newRow("none") << QByteArray() << 0;
        QTest::newRow("unknown name") << QByteArray("capture") << 0;
        QTest::newRow("decoder") << QByteArray("decoder") << KELVRA_DECODER_CHANNELS;
        QTest::newRow("encoder") << QByteArray("encoder") << KELVRA_ENCODER_CHANNELS;
        QTest::newRow("both") << QByteArray("decoder,encoder")
                              << KELVRA_DECODER_CHANNELS + KELVRA_ENCODER_CHANNELS;
    }
    void processorsByCardsNamed()
    {
        QFETCH(QByteArray, cards);
        QFETCH(int, processors);
        useCards(cards.constData());
        QCOMPARE(InitDSPs(), processors);
    }

    void withoutCardsEveryCallFails()
    {
        useCards("");
        QCOMPARE(InitDSPs(), 0);
        int32_t channel = -1;
        QVERIFY(HW_InitDirectDraw(0x51, 0) != 0);
        QVERIFY(HW_ChannelOpen(0, &channel) != 0);
        QVERIFY(HW_RestoreSurface() != 0);
        QVERIFY(RegisterDecoderVideoCaptureCallback(&captureCallback, nullptr) != 0);
        QCOMPARE(ChannelOpen(0), -1);
        QVERIFY(RegisterImageStreamCallback(&imageCallback, nullptr) != 0);
        const KELVRA_RECT rect { 0, 0, 100, 100 };
        QVERIFY(StartVideoPreview(0, 0x51, &rect, 0, 8, 25) != 0);
    }

    void releaseClosesTheCardsChannels()
    {
        useCards("decoder,encoder");
        QVERIFY(InitDSPs() > 0);
        int32_t channel = -1;
        QCOMPARE(HW_ChannelOpen(0, &channel), 0);
        const int32_t input = ChannelOpen(0);
        QVERIFY(input >= 0);
        DeInitDSPs();
        QVERIFY(HW_ChannelClose(channel) != 0);
        QVERIFY(ChannelClose(input) != 0);
    }

    void decoderCardPlaysAStream()
    {
        QTemporaryDir dir;
        FfmpegStream stream;
        QString error;
        if (!makeFfmpegStream(
                QDir(dir.path()), ffmpegCodecs().first(), 352, 288, 50, &stream, &error)) {
            QSKIP(qPrintable(error));
        }
        useCards("decoder");
        QVERIFY(InitDSPs() > 0);
        Kelvra_SetPresenterHook(&presenterHook, nullptr);
        QCOMPARE(HW_InitDirectDraw(0x51, 0), 0);
        int32_t channel = -1;
        QCOMPARE(HW_ChannelOpen(0, &channel), 0);
        QCOMPARE(HW_SetStreamOpenMode(channel, 3), 0);
        const auto *header = reinterpret_cast<const uint8_t *>(stream.header.constData());
        QCOMPARE(HW_OpenStream(channel, header, uint32_t(stream.header.size())), 0);
        const KELVRA_DISPLAY_PARA display { 1, 1, 0, 0, 20000, 10000 };
        QCOMPARE(HW_SetDisplayPara(channel, &display), 0);
        QCOMPARE(RegisterDecoderVideoCaptureCallback(&captureCallback, &g_captured), 0);
        QCOMPARE(HW_SetDecoderVideoCapture(channel, 1, 0), 0);
        QCOMPARE(HW_Play(channel), 0);
        const auto *data = reinterpret_cast<const uint8_t *>(stream.data.constData());
        for (qsizetype at = 0; at < stream.data.size();) {
            const int taken = HW_InputData(channel, data + at, uint32_t(stream.data.size() - at));
            QVERIFY(taken >= 0);
            at += taken;
            if (taken == 0) {
                QTest::qWait(5); // the decoder catches up
            }
        }
        QTRY_VERIFY_WITH_TIMEOUT(g_captured.loadRelaxed() >= 40, 30000);
        QCOMPARE(g_capturedWidth.loadRelaxed(), 352);
        QTRY_VERIFY_WITH_TIMEOUT(g_presented.loadRelaxed() >= 40, 30000);
        uint32_t rate = 1000;
        QCOMPARE(HW_GetCurrentFrameRate(channel, &rate), 0);
        QVERIFY(rate < 1000);
        QCOMPARE(HW_Stop(channel), 0);
        QCOMPARE(HW_CloseStream(channel), 0);
        QVERIFY(HW_CloseStream(channel) != 0);
        QCOMPARE(HW_ChannelClose(channel), 0);
        QCOMPARE(HW_ReleaseDirectDraw(), 0);
        Kelvra_SetPresenterHook(nullptr, nullptr);
    }

    void aBlockTooLargeForTheBufferIsTakenInPart()
    {
        useCards("decoder");
        QVERIFY(InitDSPs() > 0);
        int32_t channel = -1;
        QCOMPARE(HW_ChannelOpen(0, &channel), 0);
        QCOMPARE(HW_SetStreamOpenMode(channel, 3), 0);
        vdec::StreamHeader format;
        format.width = 352;
        format.height = 288;
        format.packaging = vdec::Packaging::Elementary;
        const std::vector<uint8_t> header = vdec::makeStreamHeader(format);
        QCOMPARE(HW_OpenStream(channel, header.data(), uint32_t(header.size())), 0);
        const std::vector<uint8_t> block(8 << 20, 0);
        const int taken = HW_InputData(channel, block.data(), uint32_t(block.size()));
        QVERIFY(taken > 0);
        QVERIFY(taken < int(block.size()));
        QCOMPARE(HW_ChannelClose(channel), 0);
        QCOMPARE(HW_InputData(channel, block.data(), 16), -1);
    }

    void encoderCardCopiesEveryInputPicture()
    {
        useCards("encoder");
        QVERIFY(InitDSPs() > 0);
        Kelvra_SetPresenterHook(&presenterHook, nullptr);
        const int32_t channel = ChannelOpen(0);
        QVERIFY(channel >= 0);
        QCOMPARE(ChannelOpen(channel), channel + 1); // each input once
        QCOMPARE(ChannelClose(channel + 1), 0);
        const KELVRA_RECT rect { 0, 0, 320, 240 };
        QCOMPARE(StartVideoPreview(channel, 0x51, &rect, 0, 8, 25), 0);
        std::vector<uint8_t> buffer(608256, 0);
        QVERIFY(SetImageStream(channel, 1, 25, 352, 288, buffer.data()) != 0);
        QCOMPARE(RegisterImageStreamCallback(&imageCallback, &g_images), 0);
        QCOMPARE(SetImageStream(channel, 1, 25, 704, 576, buffer.data()), 0);
        QElapsedTimer clock;
        clock.start();
        QTRY_VERIFY_WITH_TIMEOUT(g_images.loadRelaxed() >= 50, 30000);
        const int images = g_images.loadRelaxed();
        // Paced at 25 per second: never faster than the input.
        QVERIFY(qint64(images - 1) * 40 <= clock.elapsed() + 40);
        QCOMPARE(g_imageChannel.loadRelaxed(), channel);
        QVERIFY(g_presented.loadRelaxed() > 0);
        // The scene, not the zeros the buffer started with.
        QVERIFY(std::count(buffer.begin(), buffer.begin() + 704 * 576, 0) < 704 * 576 / 2);
        QCOMPARE(SetImageStream(channel, 0, 0, 0, 0, nullptr), 0);
        const int stopped = g_images.loadRelaxed();
        std::fill(buffer.begin(), buffer.end(), 0);
        QCOMPARE(StopVideoPreview(channel), 0);
        QCOMPARE(ChannelClose(channel), 0);
        QCOMPARE(g_images.loadRelaxed(), stopped);
        QCOMPARE(std::count(buffer.begin(), buffer.end(), 0), qsizetype(buffer.size()));
        Kelvra_SetPresenterHook(nullptr, nullptr);
    }
};

QTEST_GUILESS_MAIN(TestKelvra)
#include "tst_kelvra.moc"
