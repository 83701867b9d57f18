// Live streams through the device SDK against simulated cameras, and the
// picture reassembly fed hostile pieces directly.

#include "fleet.h"
#include "recordbytes.h"
#include "solvane_stream.h"
#include "solvane_streamwire.h"
#include "solvanecheck.h"
#include "video.h"
#include "videodecode.h"

#include <QMutex>
#include <QTest>

#include <atomic>
#include <chrono>
#include <thread>

using namespace solvcheck;
namespace wire = solvane::stream;

static constexpr quint16 Port = 18870;
enum Cam { Plain, Shared, Ending, Reformat, Count };
static constexpr uint32_t Ok = ~0u; // failure() of a call that succeeded

// What one stream's callback saw, in order.
struct Received
{
    struct Event
    {
        uint32_t type = 0;
        QByteArray bytes;
        uint32_t error = 0; // SOLV_GetLastError() inside the call
    };

    mutable QMutex lock;
    QList<Event> events;
    std::atomic<int> calls { 0 };
    std::atomic<bool> inside { false };
    std::atomic<bool> slow { false }; // each call takes a while, so a stop meets one under way
    bool stopInside = false; // the first call tries to stop its own stream
    std::atomic<uint32_t> stoppedInside { Ok }; // how that stop failed

    static void callback(
        int32_t handle, uint32_t type, const uint8_t *buffer, uint32_t size, void *user)
    {
        auto *self = static_cast<Received *>(user);
        self->inside = true;
        if (self->stopInside && self->calls == 0) {
            self->stoppedInside = failure(SOLV_StopRealPlay(handle));
        }
        {
            QMutexLocker guard(&self->lock);
            self->events.append({ type,
                QByteArray(reinterpret_cast<const char *>(buffer), qsizetype(buffer ? size : 0)),
                SOLV_GetLastError() });
        }
        if (self->slow) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        ++self->calls;
        self->inside = false;
    }

    int count(uint32_t type) const
    {
        QMutexLocker guard(&lock);
        return int(std::count_if(
            events.begin(), events.end(), [type](const Event &e) { return e.type == type; }));
    }
    QList<Event> all() const
    {
        QMutexLocker guard(&lock);
        return events;
    }
};

static quint64 nowMicroseconds()
{
    return quint64(std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::system_clock::now().time_since_epoch())
                       .count());
}

// A compression record whose main stream is small and quick to encode.
static QByteArray compression(QByteArray record, quint8 encodeType, quint8 resolution)
{
    devsim::RecordWriter w(record);
    const int base = SOLV_COMPRESSCFG_STREAM_OFFSET;
    w.u8(base + SOLV_STREAM_RESOLUTION_OFFSET, resolution);
    w.u8(base + SOLV_STREAM_ENCODE_TYPE_OFFSET, encodeType);
    w.u32(base + SOLV_STREAM_FRAME_RATE_OFFSET, 0); // full rate
    w.u32(base + SOLV_STREAM_BITRATE_OFFSET, 15); // 512 kbit/s
    w.u16(base + SOLV_STREAM_IFRAME_INTERVAL_OFFSET, 10);
    return record;
}

// Width and height of the picture a decoder makes of one key picture.
static QSize decodedSize(const wire::StreamHeader &header, const QByteArray &block)
{
    const QByteArray extradata(reinterpret_cast<const char *>(header.extradata.data()),
        qsizetype(header.extradata.size()));
    return VideoDecoder(header.codec, extradata).decodeBlock(block, true).size;
}

static std::optional<wire::StreamHeader> headerOf(const QByteArray &bytes)
{
    return wire::decodeHeader(
        reinterpret_cast<const uint8_t *>(bytes.constData()), std::size_t(bytes.size()));
}

// One StreamData payload laid out as docs/protocol.md gives it: bytes of
// 0xAB at `offset` of a picture of `length` bytes.
static std::vector<uint8_t> piece(
    uint32_t number, uint32_t length, uint32_t offset, std::size_t bytes)
{
    std::vector<uint8_t> out(wire::PiecePrefixSize + bytes, 0xAB);
    solvane::proto::putU32(out.data(), number);
    solvane::proto::putU32(out.data() + 4, 0); // flags
    solvane::proto::putU32(out.data() + 8, 7); // capture time
    solvane::proto::putU32(out.data() + 12, 0);
    solvane::proto::putU32(out.data() + 16, length);
    solvane::proto::putU32(out.data() + 20, offset);
    return out;
}

class SolvaneStreamTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<devsim::Fleet> m_fleet;

    int32_t login(int index) { return solvcheck::login(m_fleet->address(index), Port); }

    static int32_t play(int32_t id, Received &received)
    {
        SOLV_PREVIEW_REQUEST request { 1, 0, 0, nullptr };
        return SOLV_RealPlay_V30(id, &request, &Received::callback, &received, 1);
    }

    bool encoding(int index)
    {
        bool running = true;
        m_fleet->run([&] { running = m_fleet->cameras().at(index)->video()->isEncoding(); });
        return running;
    }

private slots:
    void initTestCase()
    {
        SOLV_Init();
        m_fleet = std::make_unique<devsim::Fleet>(devsim::FleetOptions { .count = Count,
            .firstAddress = QStringLiteral("127.0.87.1"),
            .port = Port,
            .timeScale = 0.01, // a 20 s reboot takes 200 ms
            .discoveryPort = 0 });
        QString error;
        QVERIFY2(m_fleet->start(&error), qPrintable(error));
        for (int i = 0; i < Count; ++i) {
            m_fleet->setRecord(i, SOLV_GET_COMPRESSCFG,
                compression(m_fleet->record(i, SOLV_GET_COMPRESSCFG), 1, 2)); // H.264 QCIF
        }
    }

    void cleanupTestCase() { SOLV_Cleanup(); }

    void init()
    {
        SOLV_SetRecvTimeOut(5000);
        m_fleet->clearFault(Ending);
    }

    void headerThenPicturesInOrder()
    {
        const int32_t id = login(Plain);
        QVERIFY(id >= 0);
        Received received;
        const quint64 before = nowMicroseconds();
        const int32_t handle = play(id, received);
        QCOMPARE(failure(handle >= 0), Ok);
        QTRY_VERIFY(received.count(SOLV_STREAM_DATA) >= 12);
        QVERIFY(SOLV_StopRealPlay(handle));
        const quint64 after = nowMicroseconds();

        const auto events = received.all();
        QCOMPARE(events.first().type, uint32_t(SOLV_STREAM_HEADER));
        const auto header = headerOf(events.first().bytes);
        QVERIFY(header);
        QCOMPARE(header->codec, uint32_t(SOLV_CODEC_H264));
        QCOMPARE(QSize(header->width, header->height), QSize(176, 144));
        QCOMPARE(header->packaging, uint32_t(SOLV_PACKAGING_PICTURES));
        QVERIFY(!header->extradata.empty());

        std::optional<wire::PictureInfo> previous;
        for (int i = 1; i < events.size(); ++i) {
            QCOMPARE(events.at(i).type, uint32_t(SOLV_STREAM_DATA));
            const QByteArray &block = events.at(i).bytes;
            const auto info = wire::decodeBlock(
                reinterpret_cast<const uint8_t *>(block.constData()), std::size_t(block.size()));
            QVERIFY(info);
            QVERIFY(info->captureTime >= before && info->captureTime <= after);
            if (!previous) {
                QVERIFY(info->flags & SOLV_PICTURE_FLAG_KEY);
                QCOMPARE(decodedSize(*header, block), QSize(176, 144));
            } else {
                QVERIFY(info->number > previous->number);
                QVERIFY(info->captureTime > previous->captureTime);
            }
            previous = info;
        }
        QVERIFY(SOLV_Logout(id));
        QTRY_VERIFY(!encoding(Plain));
    }

    // The stream's own thread cannot wait for itself: a stop from inside the
    // callback is refused, the one from outside works. A second viewer keeps
    // the camera's stream going; the stopped one hears nothing more.
    void noCallbackAfterStop()
    {
        const int32_t id = login(Shared);
        Received stopped;
        stopped.slow = true;
        stopped.stopInside = true;
        Received going;
        const int32_t first = play(id, stopped);
        const int32_t second = play(id, going);
        QVERIFY(first >= 0 && second >= 0);
        QTRY_VERIFY(stopped.count(SOLV_STREAM_DATA) >= 5);
        QCOMPARE(stopped.stoppedInside.load(), uint32_t(SOLV_PARAMETER_ERROR));
        QVERIFY(SOLV_StopRealPlay(first));
        QVERIFY(!stopped.inside);
        const int calls = stopped.calls;
        const int goingBefore = going.count(SOLV_STREAM_DATA);
        QTRY_VERIFY(going.count(SOLV_STREAM_DATA) >= goingBefore + 10);
        QCOMPARE(int(stopped.calls), calls);
        QCOMPARE(stopped.count(SOLV_STREAM_END), 0);
        QCOMPARE(failure(SOLV_StopRealPlay(first)), uint32_t(SOLV_PARAMETER_ERROR));
        QVERIFY(SOLV_StopRealPlay(second));
        QVERIFY(SOLV_Logout(id));
    }

    // However the device ends a stream, the caller hears it once, with the
    // reason, and the stop that follows returns at once.
    void deviceEndsStream_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<bool>("logout");
        QTest::addColumn<uint32_t>("error");
        QTest::addColumn<int>("pictures");
        QTest::newRow("falls silent") << "stream-stall=3" << false << uint32_t(SOLV_TIMEOUT) << 3;
        QTest::newRow("closes the stream")
            << "stream-drop=3" << false << uint32_t(SOLV_RECV_FAILED) << 3;
        QTest::newRow("login ends") << "" << true << uint32_t(SOLV_RECV_FAILED) << -1;
    }
    void deviceEndsStream()
    {
        QFETCH(QString, fault);
        QFETCH(bool, logout);
        QFETCH(uint32_t, error);
        QFETCH(int, pictures);
        devsim::Fault rule;
        if (!fault.isEmpty()) {
            QVERIFY(devsim::applyFaultWord(rule, fault, nullptr));
        }
        m_fleet->setFault(Ending, rule);
        if (error == SOLV_TIMEOUT) {
            SOLV_SetRecvTimeOut(1500); // above the device's keep-alive period
        }
        const int32_t id = login(Ending);
        Received received;
        const int32_t handle = play(id, received);
        QVERIFY(handle >= 0);
        if (logout) {
            QTRY_VERIFY(received.count(SOLV_STREAM_DATA) >= 3);
            QVERIFY(SOLV_Logout(id));
        }
        QTRY_COMPARE(received.count(SOLV_STREAM_END), 1);
        const auto events = received.all();
        QCOMPARE(events.last().type, uint32_t(SOLV_STREAM_END));
        QCOMPARE(events.last().error, error);
        QCOMPARE(events.last().bytes.size(), 0);
        if (pictures >= 0) {
            QCOMPARE(received.count(SOLV_STREAM_DATA), pictures);
        }
        QVERIFY(SOLV_StopRealPlay(handle));
        if (!logout) {
            QVERIFY(SOLV_Logout(id));
        }
        m_fleet->clearFault(Ending);
        QTRY_COMPARE(m_fleet->sessionCount(Ending), 0);
        QTRY_VERIFY(!encoding(Ending));
    }

    // A new compression record set while the stream runs restarts it at
    // once in the new size, but in the new codec only after a reboot; a
    // decoder makes pictures of the announced size each time.
    void newCompressionRestartsStream()
    {
        int32_t id = login(Reformat);
        Received received;
        const int32_t handle = play(id, received);
        QVERIFY(handle >= 0);
        QTRY_VERIFY(received.count(SOLV_STREAM_DATA) >= 2);
        const QByteArray record = get(id, SOLV_GET_COMPRESSCFG, 1);
        QVERIFY(set(id, SOLV_GET_COMPRESSCFG, compression(record, 2, 16), 1)); // MPEG-4 VGA
        QTRY_COMPARE(received.count(SOLV_STREAM_HEADER), 2);
        QTRY_VERIFY(received.all().last().type == SOLV_STREAM_DATA);
        QVERIFY(SOLV_StopRealPlay(handle));
        const auto events = received.all();
        const auto second = std::find_if(events.begin() + 1, events.end(),
            [](const Received::Event &e) { return e.type == SOLV_STREAM_HEADER; });
        const auto restarted = headerOf(second->bytes);
        QVERIFY(restarted);
        QCOMPARE(restarted->codec, uint32_t(SOLV_CODEC_H264)); // until the reboot
        QCOMPARE(decodedSize(*restarted, (second + 1)->bytes), QSize(640, 480));

        QVERIFY(SOLV_RebootDVR(id));
        QVERIFY(SOLV_Logout(id));
        QTRY_VERIFY(m_fleet->isOnline(Reformat));
        id = login(Reformat);
        Received rebooted;
        const int32_t again = play(id, rebooted);
        QVERIFY(again >= 0);
        QTRY_VERIFY(rebooted.count(SOLV_STREAM_DATA) >= 1);
        QVERIFY(SOLV_StopRealPlay(again) && SOLV_Logout(id));
        const auto header = headerOf(rebooted.all().first().bytes);
        QVERIFY(header);
        QCOMPARE(header->codec, uint32_t(SOLV_CODEC_MPEG4));
        QCOMPARE(QSize(header->width, header->height), QSize(640, 480));
        QCOMPARE(decodedSize(*header, rebooted.all().at(1).bytes), QSize(640, 480));
    }

    void refusals_data()
    {
        QTest::addColumn<bool>("loggedIn");
        QTest::addColumn<bool>("request");
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("linkMode");
        QTest::addColumn<uint32_t>("error");
        QTest::newRow("no login") << false << true << 1 << 0 << uint32_t(SOLV_NOT_LOGGED_IN);
        QTest::newRow("no request") << true << false << 1 << 0 << uint32_t(SOLV_PARAMETER_ERROR);
        QTest::newRow("other link mode") << true << true << 1 << 1 << uint32_t(SOLV_NOT_SUPPORT);
        QTest::newRow("channel 2") << true << true << 2 << 0 << uint32_t(SOLV_PARAMETER_ERROR);
    }
    void refusals()
    {
        QFETCH(bool, loggedIn);
        QFETCH(bool, request);
        QFETCH(int, channel);
        QFETCH(int, linkMode);
        QFETCH(uint32_t, error);
        const int32_t id = loggedIn ? login(Plain) : -1;
        SOLV_PREVIEW_REQUEST preview { channel, linkMode, 0, nullptr };
        Received received;
        QCOMPARE(failure(SOLV_RealPlay_V30(
                             id, request ? &preview : nullptr, &Received::callback, &received, 1)
                     >= 0),
            error);
        QCOMPARE(int(received.calls), 0);
        if (id >= 0) {
            QVERIFY(SOLV_Logout(id));
        }
        QCOMPARE(failure(SOLV_StopRealPlay(-1)), uint32_t(SOLV_PARAMETER_ERROR));
    }

    // What a hostile device may send in pieces: the client holds at most one
    // picture of bounded size, and anything that does not continue it ends the stream.
    void assemblerRefusesBadPieces_data()
    {
        using Pieces = QList<std::vector<uint8_t>>;
        // How many pictures come whole before the refusal; -1: nothing is refused.
        QTest::addColumn<Pieces>("pieces");
        QTest::addColumn<int>("complete");
        const uint32_t big = wire::MaxPicture;
        QTest::newRow("whole in two")
            << Pieces { piece(1, 100, 0, 60), piece(1, 100, 60, 40) } << -1;
        QTest::newRow("largest picture") << Pieces { piece(1, big, 0, wire::MaxPieceData) } << -1;
        QTest::newRow("too large") << Pieces { piece(1, big + 1, 0, 10) } << 0;
        QTest::newRow("empty picture") << Pieces { piece(1, 0, 0, 1) } << 0;
        QTest::newRow("gap") << Pieces { piece(1, 100, 0, 10), piece(1, 100, 20, 10) } << 0;
        QTest::newRow("overruns") << Pieces { piece(1, 100, 0, 90), piece(1, 100, 90, 20) } << 0;
        QTest::newRow("other number")
            << Pieces { piece(1, 100, 0, 50), piece(2, 100, 50, 50) } << 0;
        QTest::newRow("no bytes") << Pieces { piece(1, 100, 0, 0) } << 0;
        QTest::newRow("next after whole")
            << Pieces { piece(1, 50, 0, 50), piece(2, 50, 0, 50), piece(3, 50, 5, 5) } << 2;
    }
    void assemblerRefusesBadPieces()
    {
        using Pieces = QList<std::vector<uint8_t>>;
        QFETCH(Pieces, pieces);
        QFETCH(int, complete);
        wire::PictureAssembler assembler;
        int whole = 0;
        for (const auto &payload : pieces) {
            const auto result = assembler.take(payload.data(), payload.size());
            if (result == wire::PictureAssembler::Result::Malformed) {
                QCOMPARE(whole, complete);
                return;
            }
            if (result == wire::PictureAssembler::Result::Complete) {
                ++whole;
                const auto info = wire::decodeBlock(assembler.block(), assembler.blockSize());
                QVERIFY(info);
                QCOMPARE(info->length, uint32_t(assembler.blockSize() - SOLV_PICTURE_PREFIX_SIZE));
                QCOMPARE(assembler.block()[SOLV_PICTURE_PREFIX_SIZE], uint8_t(0xAB));
            }
        }
        QCOMPARE(complete, -1);
    }
};

QTEST_GUILESS_MAIN(SolvaneStreamTest)
#include "tst_solvanestream.moc"
