// Discovery burst: time from QUARRY_Start until every one of N simulated
// cameras is a row of the main window's device list, and the longest stall
// of the user-interface event loop meanwhile (the largest gap between two
// ticks of a 1 ms timer), for N = 250 and N = 2000.
//
// Figures per N (median of the rounds):
//   first show  from Tervix::show() (which loads the library and calls
//               QUARRY_Start) until N rows; includes building the window
//   restart     the list emptied, discovery stopped and QUARRY_Start called
//               again on the same window: the discovery path alone
//   direct      baseline: the same N records posted straight to the window's
//               DeviceCallback slot from the user-interface thread, no
//               network; restart / direct is the cost of the network path
//   stall       longest gap of the 1 ms timer during each fill, against the
//               longest gap of the same timer on an idle loop
//
// Run from <build>/bin: tervix-bench: bench_discovery [N...]

#include "devicelistmodel.h"
#include "devicestore.h"
#include "fleet.h"
#include "quarry_protocol.h"
#include "quarryloader.h"
#include "searchadapter.h"
#include "tervix.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QStandardItemModel>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRounds = 3;
constexpr int kTimeoutMs = 30000;

class QuietTervix : public Tervix
{
protected:
    void showInformation(const QString &title, const QString &text) override
    {
        std::fprintf(stderr, "box: %s: %s\n", qPrintable(title), qPrintable(text));
    }
};

// Ticks every millisecond and keeps the longest gap between two ticks.
class StallMeter
{
public:
    StallMeter()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            m_longest = std::max(m_longest, m_clock.nsecsElapsed() - m_last);
            m_last = m_clock.nsecsElapsed();
        });
    }
    void start()
    {
        m_longest = 0;
        m_clock.start();
        m_last = 0;
        m_timer.start();
    }
    double stopMs()
    {
        m_timer.stop();
        return double(m_longest) / 1e6;
    }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};

struct Fill
{
    double ms = -1;
    double stallMs = 0;
};

// Runs the event loop until the window lists `count` rows (or the time-out).
Fill waitForRows(Tervix &window, int count, const std::function<void()> &begin)
{
    QEventLoop loop;
    QElapsedTimer clock;
    StallMeter stall;
    Fill fill;
    auto check = [&] {
        if (fill.ms < 0 && window.deviceModel()->rowCount() >= count) {
            fill.ms = double(clock.nsecsElapsed()) / 1e6;
            loop.quit();
        }
    };
    const auto connection
        = QObject::connect(window.deviceModel(), &QAbstractItemModel::rowsInserted, &loop, check);
    QTimer::singleShot(kTimeoutMs, &loop, &QEventLoop::quit);
    stall.start();
    clock.start();
    begin();
    check();
    if (fill.ms < 0) {
        loop.exec();
    }
    fill.stallMs = stall.stopMs();
    QObject::disconnect(connection);
    return fill;
}

void emptyList(Tervix &window)
{
    for (const DEVICEINFO &record : window.deviceStore()->Snapshot()) {
        window.DeviceCallback(new DEVICEINFO(record), DeviceReportRemove);
    }
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

double idleStallMs(int ms)
{
    StallMeter stall;
    stall.start();
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    return stall.stopMs();
}

void run(int count, const QString &firstAddress)
{
    devsim::FleetOptions options;
    options.count = count;
    options.firstAddress = firstAddress;
    options.port = 18400;
    options.discoveryPort = quarry::discoveryPort();
    devsim::Fleet fleet(options);
    QElapsedTimer clock;
    clock.start();
    QString error;
    if (!fleet.start(&error)) {
        std::fprintf(stderr, "fleet of %d did not start: %s\n", count, qPrintable(error));
        return;
    }
    const double fleetMs = double(clock.nsecsElapsed()) / 1e6;
    idleStallMs(300); // let the fleet's own start-up announcements pass

    std::vector<double> first, restart, direct, showStall, restartStall, directStall, idle;
    for (int round = 0; round < kRounds; ++round) {
        idle.push_back(idleStallMs(200));
        QuietTervix window;
        const Fill shown = waitForRows(window, count, [&] { window.show(); });
        first.push_back(shown.ms);
        showStall.push_back(shown.stallMs);

        // Again on the same window: only QUARRY_Start and the burst it asks for.
        Quarry_Stop();
        emptyList(window);
        const Fill again = waitForRows(window, count, [] { Quarry_Start(QuarryDeviceCallback); });
        restart.push_back(again.ms);
        restartStall.push_back(again.stallMs);

        // Baseline: the same records straight into the slot.
        Quarry_Stop();
        const std::vector<DEVICEINFO> records = window.deviceStore()->Snapshot();
        emptyList(window);
        const Fill straight = waitForRows(window, count, [&] {
            for (const DEVICEINFO &record : records) {
                QMetaObject::invokeMethod(
                    &window,
                    [&window, copy = new DEVICEINFO(record)] {
                        window.DeviceCallback(copy, DeviceReportAddOrUpdate);
                    },
                    Qt::QueuedConnection);
            }
        });
        direct.push_back(straight.ms);
        directStall.push_back(straight.stallMs);
        window.close();
    }
    const double restartMs = median(restart);
    const double directMs = median(direct);
    std::printf("N=%d  (fleet start %.0f ms)\n", count, fleetMs);
    std::printf("  first show -> %d rows   %8.1f ms\n", count, median(first));
    std::printf("  QUARRY_Start -> %d rows %8.1f ms   (%.0f rows/s)\n", count, restartMs,
        restartMs > 0 ? count * 1000.0 / restartMs : 0.0);
    std::printf("  direct slot baseline    %8.1f ms   restart/direct = %.2f\n", directMs,
        directMs > 0 ? restartMs / directMs : 0.0);
    auto longest
        = [](const std::vector<double> &v) { return *std::max_element(v.begin(), v.end()); };
    std::printf("  longest stall: first show %.1f ms, QUARRY_Start burst %.1f ms, direct %.1f ms;"
                " idle loop %.1f ms (burst/idle %.1f)\n",
        longest(showStall), longest(restartStall), longest(directStall), median(idle),
        median(idle) > 0 ? longest(restartStall) / median(idle) : 0.0);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    // Discovery stays on this machine: every simulated camera is on loopback.
    if (!qEnvironmentVariableIsSet("TERVIX_DISCOVERY_INTERFACES")) {
        qputenv("TERVIX_DISCOVERY_INTERFACES", "lo");
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // A port of its own, so a running demo or test does not join the burst.
    if (qEnvironmentVariableIsEmpty("TERVIX_DISCOVERY_PORT")) {
        qputenv("TERVIX_DISCOVERY_PORT", "37990");
    }
    // Every camera holds a listening socket: 2000 need more than the usual
    // soft limit of open files.
    rlimit limit {};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
    QApplication app(argc, argv);
    std::vector<int> sizes;
    for (const QString &arg : QCoreApplication::arguments().mid(1)) {
        sizes.push_back(arg.toInt());
    }
    if (sizes.empty()) {
        sizes = { 250, 2000 };
    }
    int block = 40;
    for (int count : sizes) {
        run(count, QStringLiteral("127.0.%1.1").arg(block));
        block += count / 250 + 2;
    }
    return 0;
}
