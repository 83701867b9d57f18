// Wall time of a search over 254 addresses (x.y.z.1 to x.y.z.254), against
// the feed floor of 254 x 10 ms = 2.54 s:
//   baseline  nobody listens: every login is refused at once, so the search
//             costs the feed and nothing else;
//   cameras   50 simulated cameras spread over the range, the rest refused;
//   silent    every address takes the connection attempt and never answers
//             (a listener whose accept queue is full drops each SYN), so
//             every probe runs into the SDK's connect time-out.
// Run from <build>/bin; debug lines go to standard error.

#include "fleet.h"
#include "mirt.h"
#include "searchengine.h"
#include "solvane.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr quint16 kPort = 8000;
constexpr int kAddresses = 254;
constexpr double kFeedFloorSeconds = kAddresses * CSearchEngine::FeedIntervalMs / 1000.0;

struct Counts
{
    std::atomic<int> found { 0 };
    std::atomic<int> refused { 0 };

    static void callback(DEVICEINFO *, int code, void *user)
    {
        auto *self = static_cast<Counts *>(user);
        if (code == CSearchEngine::DeviceFound) {
            ++self->found;
        } else if (code == CSearchEngine::UserPasswordError) {
            ++self->refused;
        }
    }
};

quint32 blockStart(int thirdOctet)
{
    return (127u << 24) | (quint32(thirdOctet) << 8);
}

// One search of .1-.254 of the block; wall time in seconds from Start until
// Progress reports 100 and Stop has returned.
double timeSearch(int thirdOctet, Counts &counts)
{
    CSearchEngine engine;
    QElapsedTimer clock;
    clock.start();
    const quint32 first = blockStart(thirdOctet) + 1;
    if (!engine.Start(
            first, first + kAddresses - 1, kPort, "admin", "60917", &Counts::callback, &counts)) {
        std::fprintf(stdout, "search could not start\n");
        return -1;
    }
    while (engine.Progress() < 100) {
        QThread::msleep(1);
    }
    engine.Stop();
    return double(clock.nsecsElapsed()) / 1e9;
}

// Listeners that take no connection: each has a backlog of 0 and one
// connection already queued that is never accepted, so the kernel drops
// every further SYN and the caller's connect waits until its time-out.
class SilentAddresses
{
public:
    bool open(int thirdOctet)
    {
        for (int host = 1; host <= kAddresses; ++host) {
            sockaddr_in address {};
            address.sin_family = AF_INET;
            address.sin_port = htons(kPort);
            address.sin_addr.s_addr = htonl(blockStart(thirdOctet) + quint32(host));

            const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            const int one = 1;
            ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
            if (listener < 0
                || ::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0
                || ::listen(listener, 0) != 0) {
                std::perror("silent listener");
                return false;
            }
            m_fds.push_back(listener);
            const int filler = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            ::connect(filler, reinterpret_cast<sockaddr *>(&address), sizeof address);
            m_fds.push_back(filler);
        }
        QThread::msleep(200); // the fillers' handshakes complete and fill the queues
        return true;
    }
    ~SilentAddresses()
    {
        for (int fd : m_fds) {
            ::close(fd);
        }
    }

private:
    std::vector<int> m_fds;
};

void report(
    const char *name, const std::vector<double> &runs, double baseline, const Counts &counts)
{
    const double best = *std::min_element(runs.begin(), runs.end());
    const double worst = *std::max_element(runs.begin(), runs.end());
    std::fprintf(stdout,
        "%-9s runs %zu  best %6.3f s  worst %6.3f s  x floor %5.2f  x baseline %5.2f"
        "  found %d  refused %d\n",
        name, runs.size(), best, worst, best / kFeedFloorSeconds,
        baseline > 0 ? best / baseline : 1.0, counts.found.load() / int(runs.size()),
        counts.refused.load() / int(runs.size()));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    // Discovery stays on this machine: every simulated camera is on loopback.
    if (!qEnvironmentVariableIsSet("TERVIX_DISCOVERY_INTERFACES")) {
        qputenv("TERVIX_DISCOVERY_INTERFACES", "lo");
    }
    QCoreApplication app(argc, argv);
    MIRT_Init();
    SOLV_Init();
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    std::fprintf(
        stdout, "search of %d addresses, feed floor %.2f s\n", kAddresses, kFeedFloorSeconds);

    // Baseline: nobody listens on 127.0.26.x.
    std::vector<double> baselineRuns;
    Counts baselineCounts;
    for (int i = 0; i < runs; ++i) {
        baselineRuns.push_back(timeSearch(26, baselineCounts));
    }
    const double baseline = *std::min_element(baselineRuns.begin(), baselineRuns.end());
    report("baseline", baselineRuns, 0, baselineCounts);

    // 50 cameras in five groups of ten over 127.0.25.x, three with another password.
    {
        std::vector<std::unique_ptr<devsim::Fleet>> fleets;
        for (int group = 0; group < 5; ++group) {
            devsim::FleetOptions options;
            options.count = 10;
            options.firstAddress = QStringLiteral("127.0.25.%1").arg(1 + group * 50);
            options.port = kPort;
            options.seed = quint32(100 + group);
            options.discoveryPort = 0;
            if (group < 3) {
                options.passwords.insert(5, "another");
            }
            auto fleet = std::make_unique<devsim::Fleet>(options);
            QString error;
            if (!fleet->start(&error)) {
                std::fprintf(stdout, "fleet: %s\n", qPrintable(error));
                return 1;
            }
            fleets.push_back(std::move(fleet));
        }
        std::vector<double> cameraRuns;
        Counts cameraCounts;
        for (int i = 0; i < runs; ++i) {
            cameraRuns.push_back(timeSearch(25, cameraCounts));
        }
        report("cameras", cameraRuns, baseline, cameraCounts);
    }

    // Nobody answers on 127.0.24.x.
    {
        SilentAddresses silent;
        if (!silent.open(24)) {
            return 1;
        }
        std::vector<double> silentRuns;
        Counts silentCounts;
        for (int i = 0; i < std::min(runs, 2); ++i) {
            silentRuns.push_back(timeSearch(24, silentCounts));
        }
        report("silent", silentRuns, baseline, silentCounts);
        std::fprintf(stdout, "silent - floor: %.3f s (the SDK's connect time-out is 3 s)\n",
            *std::min_element(silentRuns.begin(), silentRuns.end()) - kFeedFloorSeconds);
    }

    SOLV_Cleanup();
    MIRT_Fini();
    return 0;
}
