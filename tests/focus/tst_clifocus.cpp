// tervix-cli focus: a picture file, and the live stream of a simulated
// camera in this process (127.0.91.31, port 18091).
#include "cliprocess.h"
#include "focusmeasure.h"

#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr quint16 Port = 18091;

Run cli(const QStringList &args)
{
    return runCli(args, {});
}

// Diagonal stripes, a header with a comment.
QByteArray stripesPgm(int width, int height, QByteArray *raster)
{
    raster->resize(qsizetype(width) * height);
    for (int k = 0; k < raster->size(); ++k) {
        (*raster)[k] = char(((k % width + k / width) / 5) % 2 != 0 ? 230 : 20);
    }
    return "P5\n# focus chart\n" + QByteArray::number(width) + ' ' + QByteArray::number(height)
        + "\n255\n" + *raster;
}

} // namespace

class TestCliFocus : public QObject
{
    Q_OBJECT

    std::unique_ptr<devsim::Fleet> m_fleet;
    QTemporaryDir m_dir;

    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
            return QString();
        }
        return path;
    }

private slots:
    void initTestCase()
    {
        m_fleet = startCliFleet(
            { .firstAddress = QStringLiteral("127.0.91.31"), .port = Port, .discoveryPort = 0 });
        QVERIFY(m_fleet);
    }

    void measuresAPicture()
    {
        QByteArray raster;
        const QString path = write(QStringLiteral("chart.pgm"), stripesPgm(333, 101, &raster));
        const qint32 expected = FocusMeasure::measurePlain(
            reinterpret_cast<const uchar *>(raster.constData()), 333, 101);
        Run run = cli({ "focus", "--image", path });
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QByteArray::number(expected) + '\n');

        run = cli({ "focus", "--image", path, "--json" });
        QCOMPARE(run.exitCode, 0);
        const QJsonObject object = run.json();
        QCOMPARE(object.value(QStringLiteral("focus")).toInteger(), expected);
        QCOMPARE(object.value(QStringLiteral("width")).toInt(), 333);
        QCOMPARE(object.value(QStringLiteral("height")).toInt(), 101);
    }

    void refusesWhatIsNoGreyMap_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("message");
        QTest::newRow("text grey map") << QByteArray("P2\n2 1\n255\n0 0\n") << QByteArray("P5");
        QTest::newRow("16-bit") << QByteArray("P5 1 1 65535\n\x01\x02", 15) << QByteArray("16-bit");
        QTest::newRow("cut short")
            << QByteArray("P5 4 4 255\n0123456789") << QByteArray("cut short");
    }

    void refusesWhatIsNoGreyMap()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, message);
        const QString path = write(QStringLiteral("bad.pgm"), bytes);
        const Run run = cli({ "focus", "--image", path });
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(message), run.err.constData());
        QVERIFY(run.out.isEmpty());
    }

    // Five values a second, between the lowest and highest measured.
    void followsTheLiveStream()
    {
        const Run run
            = runCli({ "focus", "127.0.91.31", "--seconds", "2", "--json" }, { .port = Port });
        QVERIFY2(run.exitCode == 0, run.err.constData());
        const QJsonObject object = run.json();
        const QJsonArray values = object.value(QStringLiteral("values")).toArray();
        QCOMPARE(values.size(), 10);
        QVERIFY(object.value(QStringLiteral("frameRate")).toInt() > 0);
        const qint64 highest = object.value(QStringLiteral("highest")).toInteger();
        const qint64 lowest = object.value(QStringLiteral("lowest")).toInteger();
        QVERIFY(lowest > 1000);
        for (const QJsonValue &value : values) {
            QVERIFY(value.toInteger() >= lowest && value.toInteger() <= highest);
        }
    }
};

QTEST_GUILESS_MAIN(TestCliFocus)
#include "tst_clifocus.moc"
