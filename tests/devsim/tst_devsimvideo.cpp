// The simulated cameras' video: the scene reacts to the picture settings and
// the lens, the compression record maps to what is encoded, every encode type
// gives pictures a decoder takes, and only cameras being viewed encode.

#include "fleet.h"
#include "recordbytes.h"
#include "scene.h"
#include "solvane.h"
#include "solvane_records.h"
#include "solvanecheck.h"
#include "video.h"
#include "videodecode.h"

#include <QMutex>
#include <QTest>

#include <cmath>
#include <functional>

using Setting = int scene::Adjustments::*;
Q_DECLARE_METATYPE(Setting)

using devsim::StreamFormat;
namespace wire = solvane::stream;

static constexpr quint16 Port = 18880;

namespace {

double standardDeviation(const std::vector<uint8_t> &plane)
{
    double sum = 0;
    double squares = 0;
    for (const uint8_t value : plane) {
        sum += value;
        squares += double(value) * value;
    }
    const double mean = sum / double(plane.size());
    return std::sqrt(squares / double(plane.size()) - mean * mean);
}

// Mean distance of the colour from grey.
double colourfulness(const scene::Picture &picture)
{
    double sum = 0;
    for (std::size_t i = 0; i < picture.u.size(); ++i) {
        sum += std::abs(picture.u[i] - 128) + std::abs(picture.v[i] - 128);
    }
    return sum / double(picture.u.size());
}

// Mean difference of neighbouring pixels: what a blur takes away.
double detail(const scene::Picture &picture)
{
    double sum = 0;
    for (int y = 0; y < picture.height; ++y) {
        const uint8_t *row = picture.y.data() + std::size_t(y) * std::size_t(picture.width);
        for (int x = 1; x < picture.width; ++x) {
            sum += std::abs(row[x] - row[x - 1]);
        }
    }
    return sum / double(picture.y.size());
}

scene::Picture render(const scene::Adjustments &adjustments, double focus = 1.0,
    const scene::Osd &osd = {}, int width = 352, int height = 288)
{
    scene::Renderer renderer(width, height, 17);
    scene::Picture picture;
    renderer.render(3.25, scene::Moment {}, osd, adjustments, focus, picture);
    return picture;
}

// Picture numbers a stream's callback saw.
struct Numbers
{
    QMutex lock;
    QList<quint32> numbers;
    static void callback(int32_t, uint32_t type, const uint8_t *buffer, uint32_t size, void *user)
    {
        if (type != SOLV_STREAM_DATA) {
            return;
        }
        auto *self = static_cast<Numbers *>(user);
        const auto info = wire::decodeBlock(buffer, size);
        QMutexLocker guard(&self->lock);
        self->numbers.append(info ? info->number : ~0u);
    }
    QList<quint32> all()
    {
        QMutexLocker guard(&lock);
        return numbers;
    }
};

} // namespace

class DevsimVideoTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<devsim::Fleet> m_fleet;

    // Each camera's encoded picture count, and how many encode now, read on the fleet's thread.
    std::pair<QList<quint64>, int> encoding()
    {
        std::pair<QList<quint64>, int> state { {}, 0 };
        m_fleet->run([&] {
            for (devsim::Camera *camera : m_fleet->cameras()) {
                state.first.append(camera->video()->encodedPictures());
                state.second += camera->video()->isEncoding() ? 1 : 0;
            }
        });
        return state;
    }

private slots:
    void initTestCase()
    {
        SOLV_Init();
        m_fleet = std::make_unique<devsim::Fleet>(devsim::FleetOptions { .count = 24,
            .firstAddress = QStringLiteral("127.0.88.1"),
            .port = Port,
            .discoveryPort = 0 });
        QString error;
        QVERIFY2(m_fleet->start(&error), qPrintable(error));
    }

    void cleanupTestCase() { SOLV_Cleanup(); }

    // The main stream block says what is encoded: every resolution code of
    // the channel page's list has its picture size, and odd values fall back.
    void formatFromRecord_data()
    {
        QTest::addColumn<quint8>("encodeType");
        QTest::addColumn<quint8>("resolution");
        QTest::addColumn<quint32>("rateCode");
        QTest::addColumn<quint32>("bitrate");
        QTest::addColumn<uint32_t>("codec");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<double>("rate");
        QTest::addColumn<quint32>("kbps");
        const QList<std::tuple<quint8, int, int>> sizes = { { 0, 528, 384 }, { 1, 352, 288 },
            { 2, 176, 144 }, { 3, 704, 576 }, { 4, 704, 288 }, { 16, 640, 480 }, { 17, 1600, 1200 },
            { 18, 800, 600 }, { 19, 1280, 720 }, { 20, 1280, 960 }, { 21, 1600, 900 },
            { 22, 1360, 1024 }, { 27, 1920, 1080 }, { 28, 2560, 1920 }, { 29, 1600, 304 },
            { 30, 2048, 1536 }, { 31, 2448, 2048 }, { 5, 352, 288 } };
        for (const auto &[code, width, height] : sizes) {
            QTest::addRow("resolution %u", code)
                << quint8(1) << code << 0u << 19u << uint32_t(wire::H264) << QSize(width, height)
                << 25.0 << 1024u;
        }
        const uint32_t h264 = wire::H264;
        const QSize cif(352, 288);
        QTest::newRow("private H.264")
            << quint8(0) << quint8(1) << 5u << 1u << h264 << cif << 1.0 << 16u;
        QTest::newRow("MPEG-4, 1/16") << quint8(2) << quint8(1) << 1u << 27u
                                      << uint32_t(wire::Mpeg4) << cif << 1.0 / 16 << 16384u;
        QTest::newRow("M-JPEG, 15 after 20") << quint8(7) << quint8(1) << 14u << 0x80000800u
                                             << uint32_t(wire::Mjpeg) << cif << 15.0 << 2u;
        QTest::newRow("odd values")
            << quint8(9) << quint8(1) << 17u << 28u << h264 << cif << 25.0 << 2048u;
        QTest::newRow("custom zero")
            << quint8(1) << quint8(1) << 16u << 0x80000000u << h264 << cif << 22.0 << 2048u;
    }
    void formatFromRecord()
    {
        QFETCH(quint8, encodeType);
        QFETCH(quint8, resolution);
        QFETCH(quint32, rateCode);
        QFETCH(quint32, bitrate);
        QFETCH(uint32_t, codec);
        QFETCH(QSize, size);
        QFETCH(double, rate);
        QFETCH(quint32, kbps);
        QByteArray record(SOLV_COMPRESSCFG_SIZE, '\0');
        devsim::RecordWriter w(record);
        const int main = SOLV_COMPRESSCFG_STREAM_OFFSET;
        w.u8(main + SOLV_STREAM_ENCODE_TYPE_OFFSET, encodeType);
        w.u8(main + SOLV_STREAM_RESOLUTION_OFFSET, resolution);
        w.u32(main + SOLV_STREAM_FRAME_RATE_OFFSET, rateCode);
        w.u32(main + SOLV_STREAM_BITRATE_OFFSET, bitrate);
        w.u8(main + SOLV_STREAM_BITRATE_TYPE_OFFSET, 1);
        w.u16(main + SOLV_STREAM_IFRAME_INTERVAL_OFFSET, 50);
        // The sub stream is not what the camera streams.
        const int sub = main + SOLV_COMPRESSCFG_SUB_STREAM * SOLV_COMPRESSCFG_STREAM_STRIDE;
        w.u8(sub + SOLV_STREAM_RESOLUTION_OFFSET, 31);
        w.u8(sub + SOLV_STREAM_ENCODE_TYPE_OFFSET, 7);
        const StreamFormat format = devsim::streamFormat(record);
        QCOMPARE(format.codec, codec);
        QCOMPARE(QSize(format.width, format.height), size);
        QCOMPARE(double(format.rateNum) / format.rateDen, rate);
        QCOMPARE(format.bitrate, kbps * 1000);
        QVERIFY(format.constantBitrate);
        QCOMPARE(format.keyInterval, 50);
    }

    void dateTexts_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<bool>("week");
        QTest::addColumn<int>("hour");
        QTest::addColumn<bool>("hour12");
        QTest::addColumn<QString>("text");
        QTest::newRow("Y-M-D") << 0 << false << 15 << false << "2024-03-07 15:04:09";
        QTest::newRow("M-D-Y, week") << 1 << true << 15 << false << "03-07-2024 Thursday 15:04:09";
        QTest::newRow("Y M D") << 2 << false << 15 << true << "2024Y03M07D 03:04:09 PM";
        QTest::newRow("M D Y") << 3 << false << 15 << false << "03M07D2024Y 15:04:09";
        QTest::newRow("D-M-Y, week")
            << 4 << true << 15 << true << "07-03-2024 Thursday 03:04:09 PM";
        QTest::newRow("D M Y") << 5 << false << 15 << false << "07D03M2024Y 15:04:09";
        QTest::newRow("unknown format") << 9 << false << 15 << false << "2024-03-07 15:04:09";
        QTest::newRow("midnight") << 0 << false << 0 << true << "2024-03-07 12:04:09 AM";
        QTest::newRow("noon") << 0 << false << 12 << true << "2024-03-07 12:04:09 PM";
    }
    void dateTexts()
    {
        QFETCH(int, format);
        QFETCH(bool, week);
        QFETCH(int, hour);
        QFETCH(bool, hour12);
        QFETCH(QString, text);
        const scene::Moment moment { 2024, 3, 7, 4, hour, 4, 9, 500 };
        QCOMPARE(QString::fromStdString(scene::dateText(moment, format, week, hour12)), text);
    }

    // Moving a slider of the camera page visibly changes the picture: each
    // setting moves the measure it should, the way it should.
    void settingsChangePicture_data()
    {
        using Measure = std::function<double(const scene::Picture &)>;
        QTest::addColumn<Setting>("setting"); // null: the lens focus
        QTest::addColumn<Measure>("measure");
        QTest::newRow("brightness: mean luminance")
            << &scene::Adjustments::brightness
            << Measure([](const scene::Picture &p) { return p.meanLuminance(); });
        QTest::newRow("contrast: spread of luminance")
            << &scene::Adjustments::contrast
            << Measure([](const scene::Picture &p) { return standardDeviation(p.y); });
        QTest::newRow("saturation: colour")
            << &scene::Adjustments::saturation << Measure(colourfulness);
        QTest::newRow("sharpness: detail") << &scene::Adjustments::sharpness << Measure(detail);
        QTest::newRow("focus: detail") << Setting(nullptr) << Measure(detail);
    }
    void settingsChangePicture()
    {
        using Measure = std::function<double(const scene::Picture &)>;
        QFETCH(Setting, setting);
        QFETCH(Measure, measure);
        auto at = [&](int value) {
            scene::Adjustments adjustments;
            if (setting) {
                adjustments.*setting = value;
            }
            return measure(render(adjustments, setting ? 1.0 : value / 100.0));
        };
        const double low = at(10);
        const double middle = at(50);
        const double high = at(90);
        QVERIFY2(low < middle && middle < high,
            qPrintable(QStringLiteral("%1 %2 %3").arg(low).arg(middle).arg(high)));
    }

    // The on-screen texts lie over their own corner of the picture only.
    void osdDrawsWhereAsked_data()
    {
        QTest::addColumn<bool>("name");
        QTest::addColumn<bool>("date");
        QTest::newRow("channel name") << true << false;
        QTest::newRow("date") << false << true;
    }
    void osdDrawsWhereAsked()
    {
        QFETCH(bool, name);
        QFETCH(bool, date);
        const scene::Osd osd { .showChannelName = name, .channelName = "Gate 2", .showDate = date };
        const scene::Picture plain = render({}, 1.0, {});
        const scene::Picture drawn = render({}, 1.0, osd);
        const auto rowsDiffer = [&](int from, int to) {
            const auto begin = plain.y.begin() + qsizetype(from) * plain.width;
            return !std::equal(begin, begin + qsizetype(to - from) * plain.width,
                drawn.y.begin() + qsizetype(from) * plain.width);
        };
        const int h = plain.height;
        QCOMPARE(rowsDiffer(0, h / 4), date);
        QVERIFY(!rowsDiffer(h / 4, h * 3 / 4));
        QCOMPARE(rowsDiffer(h * 3 / 4, h), name);
    }

    // Each encode type gives a key picture first, with what a decoder needs,
    // and the decoder makes a picture of the format's size.
    void encodesEveryCodec_data()
    {
        QTest::addColumn<uint32_t>("codec");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("keyInterval");
        QTest::newRow("H.264 QCIF") << uint32_t(wire::H264) << QSize(176, 144) << 25;
        QTest::newRow("MPEG-4 CIF") << uint32_t(wire::Mpeg4) << QSize(352, 288) << 25;
        QTest::newRow("M-JPEG QCIF") << uint32_t(wire::Mjpeg) << QSize(176, 144) << 25;
        QTest::newRow("H.264 all key") << uint32_t(wire::H264) << QSize(176, 144) << 0;
    }
    void encodesEveryCodec()
    {
        QFETCH(uint32_t, codec);
        QFETCH(QSize, size);
        QFETCH(int, keyInterval);
        const StreamFormat format { .codec = codec,
            .width = size.width(),
            .height = size.height(),
            .bitrate = 256000,
            .constantBitrate = true,
            .keyInterval = keyInterval };
        QString error;
        const auto encoder = devsim::VideoEncoder::open(format, &error);
        QVERIFY2(encoder, qPrintable(error));
        scene::Renderer renderer(size.width(), size.height(), 3);
        scene::Picture picture;
        QList<devsim::VideoEncoder::Packet> packets;
        for (int i = 0; i < 4; ++i) {
            renderer.render(i * 0.04, {}, {}, {}, 1.0, picture);
            const auto packet = encoder->encode(picture, false);
            QVERIFY(packet);
            packets.append(*packet);
        }
        QVERIFY(packets.first().key);
        QCOMPARE(packets.at(1).key, codec == wire::Mjpeg || keyInterval == 0);
        QCOMPARE(encoder->extradata().isEmpty(), codec == wire::Mjpeg);
        const QByteArray &key = packets.first().data;
        QCOMPARE(VideoDecoder(codec, encoder->extradata())
                     .decode(key.constData(), key.size(), true)
                     .size,
            size);
        // A key picture asked for mid-way is one.
        renderer.render(1, {}, {}, {}, 1.0, picture);
        QVERIFY(encoder->encode(picture, true)->key);
    }

    // 24 cameras nobody views encode nothing; one viewed camera encodes once
    // for its two viewers, and stops when they go.
    void onlyViewedCamerasEncode()
    {
        QCOMPARE(encoding().first, QList<quint64>(24, 0));
        QCOMPARE(encoding().second, 0);

        const int viewed = 7;
        QByteArray record = m_fleet->record(viewed, SOLV_GET_COMPRESSCFG);
        devsim::RecordWriter w(record);
        w.u8(SOLV_COMPRESSCFG_STREAM_OFFSET + SOLV_STREAM_RESOLUTION_OFFSET, 2);
        w.u32(SOLV_COMPRESSCFG_STREAM_OFFSET + SOLV_STREAM_FRAME_RATE_OFFSET, 0);
        m_fleet->setRecord(viewed, SOLV_GET_COMPRESSCFG, record);
        const int32_t id = solvcheck::login(m_fleet->address(viewed), Port);
        QVERIFY(id >= 0);
        Numbers first;
        Numbers second;
        SOLV_PREVIEW_REQUEST request { 1, 0, 0, nullptr };
        const int32_t a = SOLV_RealPlay_V30(id, &request, &Numbers::callback, &first, 1);
        const int32_t b = SOLV_RealPlay_V30(id, &request, &Numbers::callback, &second, 1);
        QVERIFY(a >= 0 && b >= 0);
        QTRY_VERIFY(first.all().size() >= 10 && second.all().size() >= 10);
        QCOMPARE(encoding().second, 1);
        QVERIFY(SOLV_StopRealPlay(a));
        QVERIFY(SOLV_StopRealPlay(b));
        QVERIFY(SOLV_Logout(id));
        QTRY_COMPARE(encoding().second, 0);

        const QList<quint64> counts = encoding().first;
        for (int i = 0; i < counts.size(); ++i) {
            QCOMPARE(counts.at(i) > 0, i == viewed);
        }
        // Both viewers had the same pictures: where their numbers overlap, they agree.
        const QList<quint32> one = first.all();
        const QList<quint32> other = second.all();
        QVERIFY(one.contains(other.last()) || other.contains(one.last()));
        const auto shared
            = std::count_if(other.begin(), other.end(), [&](quint32 n) { return one.contains(n); });
        QVERIFY(shared >= 5);
    }
};

QTEST_GUILESS_MAIN(DevsimVideoTest)
#include "tst_devsimvideo.moc"
