// tervix-cli stream against simulated cameras in this process: what it tells
// of the stream, the raw stream it writes, a stream the camera cuts, and
// wrong command lines.

#include "cliprocess.h"
#include "recordbytes.h"
#include "solvane_records.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

static constexpr quint16 Port = 18882;
enum Cam { Plain, Cut, Count };

namespace {

Run cli(const QStringList &args)
{
    return runCli(args, { .port = Port });
}

} // namespace

class CliStreamTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<devsim::Fleet> m_fleet;
    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_fleet = startCliFleet({ .count = Count,
            .firstAddress = QStringLiteral("127.0.88.101"),
            .port = Port,
            .discoveryPort = 0 });
        QVERIFY(m_fleet);
        for (int i = 0; i < Count; ++i) {
            QByteArray record = m_fleet->record(i, SOLV_GET_COMPRESSCFG);
            devsim::RecordWriter w(record);
            const int main = SOLV_COMPRESSCFG_STREAM_OFFSET;
            w.u8(main + SOLV_STREAM_RESOLUTION_OFFSET, 1); // CIF
            w.u8(main + SOLV_STREAM_ENCODE_TYPE_OFFSET, 1); // H.264
            w.u32(main + SOLV_STREAM_FRAME_RATE_OFFSET, 0); // 25 per second
            w.u32(main + SOLV_STREAM_BITRATE_OFFSET, 15); // 512 kbit/s
            m_fleet->setRecord(i, SOLV_GET_COMPRESSCFG, record);
        }
        devsim::Fault cut;
        cut.streamDropPictures = 4;
        m_fleet->setFault(Cut, cut);
    }

    void tellsWhatArrivedAndWritesIt()
    {
        const QString file = m_dir.filePath(QStringLiteral("stream.h264"));
        const Run run
            = cli({ "stream", m_fleet->address(Plain), "--seconds", "2", "--out", file, "--json" });
        QVERIFY2(run.exitCode == 0, run.err.constData());
        const QJsonObject seen = run.json();
        QCOMPARE(seen.value("codec").toString(), "H.264");
        QCOMPARE(seen.value("width").toInt(), 352);
        QCOMPARE(seen.value("height").toInt(), 288);
        QCOMPARE(seen.value("setFrameRate").toDouble(), 25.0);
        QCOMPARE(seen.value("setBitrateKbps").toInt(), 512);
        QCOMPARE(seen.value("headers").toInt(), 1);
        QVERIFY(seen.value("pictures").toInt() >= 2);
        QVERIFY(seen.value("keyPictures").toInt() >= 1);
        QVERIFY(seen.value("frameRate").toDouble() > 0);
        QVERIFY(seen.value("bitrateKbps").toDouble() > 0);

        // A raw H.264 stream: the parameter sets first, then the pictures.
        QFile written(file);
        QVERIFY(written.open(QIODevice::ReadOnly));
        const QByteArray bytes = written.readAll();
        QVERIFY(bytes.startsWith(QByteArray("\0\0\0\1", 4)));
        QCOMPARE(bytes.at(4) & 0x1F, 7); // sequence parameter set
        QVERIFY(bytes.size() > 4 * seen.value("pictures").toInt());
    }

    // A camera that closes the stream: what came is told, and the exit says it ended early.
    void streamCutEarlyFails()
    {
        const Run run = cli({ "stream", m_fleet->address(Cut), "--seconds", "60" });
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.out.contains("pictures:"));
        QVERIFY(run.err.contains("ended early"));
        QVERIFY(run.err.contains("SDK error 64"));
    }

    void wrongCommandLines_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("no host") << QStringList { "stream" } << 2;
        QTest::newRow("zero seconds")
            << QStringList { "stream", "127.0.88.101", "--seconds", "0" } << 2;
        QTest::newRow("not an address") << QStringList { "stream", "camera" } << 2;
        QTest::newRow("wrong password")
            << QStringList { "stream", "127.0.88.101", "--password", "nope" } << 1;
    }
    void wrongCommandLines()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        const Run run = cli(args);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY(run.out.isEmpty());
    }
};

QTEST_GUILESS_MAIN(CliStreamTest)
#include "tst_clistream.moc"
