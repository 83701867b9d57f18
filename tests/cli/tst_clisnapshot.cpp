// tervix-cli snapshot against a simulated camera (127.0.90.1): a PNG of the
// camera's own picture size, and the failures.
#include "cliprocess.h"
#include "video.h"

#include <QImage>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr quint16 Port = 18901;

Run cli(const QStringList &args)
{
    return runCli(args, { .port = Port });
}

} // namespace

class TestCliSnapshot : public QObject
{
    Q_OBJECT

    std::unique_ptr<devsim::Fleet> m_fleet;
    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_fleet = startCliFleet(
            { .firstAddress = QStringLiteral("127.0.90.1"), .port = Port, .discoveryPort = 0 });
        QVERIFY(m_fleet);
    }

    void writesThePictureOfTheCamera()
    {
        const QString file = m_dir.filePath(QStringLiteral("camera.png"));
        const Run run = cli({ "snapshot", "127.0.90.1", file, "--json" });
        QVERIFY2(run.exitCode == 0, run.err.constData());
        const QJsonObject json = QJsonDocument::fromJson(run.out).object();
        const devsim::StreamFormat format = devsim::streamFormat(m_fleet->streamCompression(0));
        QCOMPARE(json.value("ok").toBool(), true);
        QCOMPARE(json.value("width").toInt(), format.width);
        QCOMPARE(json.value("height").toInt(), format.height);

        QImage image;
        QVERIFY(image.load(file, "PNG"));
        QCOMPARE(image.size(), QSize(format.width, format.height));
        // A scene, not a flat picture.
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); y += 7) {
            for (int x = 0; x < image.width(); x += 7) {
                colours.insert(image.pixel(x, y));
            }
        }
        QVERIFY(colours.size() > 20);
    }

    void failures_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("no file") << QStringList { "snapshot", "127.0.90.1" } << 2;
        QTest::newRow("bad wait") << QStringList { "snapshot", "127.0.90.1", "x.png", "--wait",
            "0" } << 2;
        QTest::newRow("wrong password")
            << QStringList { "snapshot", "127.0.90.1", "x.png", "--password", "wrong" } << 1;
        QTest::newRow("unwritable file")
            << QStringList { "snapshot", "127.0.90.1", "/nonexistent/dir/x.png" } << 1;
    }

    void failures()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        const Run run = cli(args);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY(!run.err.isEmpty());
    }
};

QTEST_MAIN(TestCliSnapshot)
#include "tst_clisnapshot.moc"
