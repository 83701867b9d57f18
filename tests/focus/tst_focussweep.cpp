#include "fleet.h"
#include "focusmeasure.h"
#include "focussampler.h"
#include "realplay.h"
#include "scene.h"

#include <QMutex>
#include <QMutexLocker>
#include <QTest>

#include <chrono>
#include <cmath>

namespace {

// The simulated lens sweeps from blurred to sharp and back in 20 s of device
// time, on the machine's steady clock; the first camera starts its sweep at
// that clock's zero.
constexpr double SweepSeconds = 20.0;
constexpr double TimeScale = 0.25;
constexpr double Period = SweepSeconds * TimeScale;

double steadySeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The sampler behind a frame callback that also notes when each measure
// was taken.
struct Recorder
{
    FocusSampler sampler;
    QMutex mutex;
    QList<QPair<double, int>> measures; // steady seconds, value

    static void callback(const uint8_t *picture, int width, int height, void *user)
    {
        auto *recorder = static_cast<Recorder *>(user);
        // This callback is the only one of the process: the counter says
        // whether the sampler measures this picture.
        const quint32 counter = FocusSampler::frameCounter();
        recorder->sampler.onFrame(picture, width, height);
        if (counter % FocusSampler::measureStep(recorder->sampler.frameRate()) == 0) {
            QMutexLocker locker(&recorder->mutex);
            recorder->measures.append({ steadySeconds(), recorder->sampler.current() });
        }
    }

    double span()
    {
        QMutexLocker locker(&mutex);
        return measures.size() < 2 ? 0 : measures.last().first - measures.first().first;
    }
};

double meanBetween(const QList<QPair<double, int>> &measures, double from, double to)
{
    double sum = 0;
    int count = 0;
    for (const auto &[time, value] : measures) {
        if (time >= from && time < to) {
            sum += value;
            ++count;
        }
    }
    return count == 0 ? 0 : sum / count;
}

} // namespace

// The live stream of a simulated camera (127.0.91.21) through the preview
// and the sampler the focus page uses: over one sweep of the lens the
// focus values rise and fall, and the highest comes with the sharpest
// picture.
class TestFocusSweep : public QObject
{
    Q_OBJECT

private slots:
    void highestValueComesWithTheSharpestPicture()
    {
        devsim::Fleet fleet({ .firstAddress = QStringLiteral("127.0.91.21"),
            .timeScale = TimeScale,
            .discoveryPort = 0 });
        QString error;
        QVERIFY2(fleet.start(&error), qPrintable(error));

        FocusMeasure::setEnabled(true);
        Recorder recorder;
        CRealPlay preview;
        preview.SetFrameCallback(&Recorder::callback, &recorder);
        QVERIFY(preview.StartRealPlay("127.0.91.21", 8000, "admin", "60917", 1, 0));
        // The rate is what was decoded in the last second: wait for a full one.
        QTRY_VERIFY_WITH_TIMEOUT(preview.GetFrameRate() > 0, 30000);
        recorder.sampler.start(preview.GetFrameRate());
        // Two sweeps and the second it may take a picture to arrive.
        QTRY_VERIFY_WITH_TIMEOUT(recorder.span() >= 2 * Period + 1, int(6 * Period * 1000));
        preview.StopRealPlay();

        const QList<QPair<double, int>> measures = recorder.measures;
        // A sharpest moment with half a sweep of measures on either side.
        const double first = measures.first().first;
        const double sharpest = Period * (std::ceil((first + Period / 2) / Period - 0.5) + 0.5);
        QVERIFY(scene::focusAt(sharpest, Period) > 0.999);
        QVERIFY(sharpest + Period / 2 <= measures.last().first);

        double highestAt = 0;
        int highest = 0;
        for (const auto &[time, value] : measures) {
            if (time >= sharpest - Period / 2 && time < sharpest + Period / 2 && value > highest) {
                highest = value;
                highestAt = time;
            }
        }
        QVERIFY2(std::abs(highestAt - sharpest) < 1.0,
            qPrintable(
                QString::asprintf("highest %.2f s from the sharpest", highestAt - sharpest)));
        // Rising from the blurred start, falling to the blurred end, around
        // the highest value: measures are timed on arrival, so a loaded
        // machine's latency shifts the curve and its jitter flattens it a
        // little (the top stays well clear of both sides).
        const double rising = meanBetween(measures, highestAt - Period / 2, highestAt - Period / 4);
        const double falling
            = meanBetween(measures, highestAt + Period / 4, highestAt + Period / 2);
        const double top = meanBetween(measures, highestAt - Period / 10, highestAt + Period / 10);
        QVERIFY(rising > 0 && falling > 0);
        QVERIFY2(top > 1.3 * rising && top > 1.3 * falling,
            qPrintable(
                QString::asprintf("%.0f rising, %.0f top, %.0f falling", rising, top, falling)));
    }
};

QTEST_GUILESS_MAIN(TestFocusSweep)
#include "tst_focussweep.moc"
