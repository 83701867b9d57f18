// Streams made by the ffmpeg tool play in the player exactly as ffmpeg itself
// decodes them.
#include "ffmpegstreams.h"
#include "pictures.h"
#include "strix.h"

#include <QTemporaryDir>
#include <QTest>

class TestStrixFfmpeg : public QObject
{
    Q_OBJECT

private slots:
    void playsLikeFfmpegDecodes_data()
    {
        QTest::addColumn<int>("codec");
        QTest::addColumn<int>("block"); // bytes per Strix_InputData
        const QList<FfmpegCodec> codecs = ffmpegCodecs();
        for (int i = 0; i < codecs.size(); ++i) {
            QTest::newRow(codecs[i].name) << i << 1500;
        }
        QTest::newRow("H.264 in blocks of 7 bytes") << 0 << 7;
    }

    void playsLikeFfmpegDecodes()
    {
        QFETCH(int, codec);
        QFETCH(int, block);
        constexpr int Frames = 40;
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        FfmpegStream stream;
        QString error;
        QVERIFY2(makeFfmpegStream(QDir(dir.path()), ffmpegCodecs().at(codec), 1280, 720, Frames,
                     &stream, &error),
            qPrintable(error));
        QCOMPARE(stream.lumaPlanes.size(), Frames);

        ReceivedPictures::instance().clear();
        int32_t port = -1;
        QVERIFY(Strix_GetPort(&port));
        // A buffer smaller than the stream: refused blocks are offered again.
        QVERIFY(Strix_OpenStream(port, reinterpret_cast<const uint8_t *>(stream.header.constData()),
            uint32_t(stream.header.size()), 256 * 1024));
        QVERIFY(Strix_SetDisplayCallBack(port, &ReceivedPictures::callback));
        QVERIFY(Strix_Play(port, 0));
        const auto *data = reinterpret_cast<const uint8_t *>(stream.data.constData());
        for (qsizetype at = 0; at < stream.data.size(); at += block) {
            const auto size = uint32_t(qMin<qsizetype>(block, stream.data.size() - at));
            // Offered again while refused; once taken, never again.
            bool taken = false;
            QTRY_VERIFY_WITH_TIMEOUT(
                taken = taken || Strix_InputData(port, data + at, size), 60000);
        }
        QVERIFY(Strix_InputEnd(port));
        QTRY_COMPARE_WITH_TIMEOUT(ReceivedPictures::instance().count(port), Frames, 60000);
        QVERIFY(Strix_FreePort(port));

        const QList<ReceivedPictures::Picture> pictures = ReceivedPictures::instance().of(port);
        for (int i = 0; i < Frames; ++i) {
            QCOMPARE(pictures[i].size, QSize(1280, 720));
            QCOMPARE(pictures[i].frameType, STRIX_FRAME_YUV420);
            QCOMPARE(pictures[i].bytes, uint32_t(1280 * 720 * 3 / 2));
            QVERIFY2(pictures[i].luma == stream.lumaPlanes[i], qPrintable(QString::number(i)));
        }
    }
};

QTEST_GUILESS_MAIN(TestStrixFfmpeg)
#include "tst_strixffmpeg.moc"
