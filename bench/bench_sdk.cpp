// Device sessions per second: login, two record reads, logout against 64
// simulated cameras, from 1 and from 16 threads. The baseline is a plain TCP
// request/response loop with the same frame sizes and round trips, served
// the same way (Qt event loop on its own thread), without the protocol.

#include "fleet.h"
#include "solvane.h"
#include "solvane_records.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int Cameras = 64;
constexpr quint16 SdkPort = 18700;
constexpr quint16 PlainPort = 18701;
const char *const SdkFirst = "127.0.7.1";
const char *const PlainFirst = "127.0.7.101";

// Bytes on the wire in one device session: the challenge, then four request
// and answer pairs (login, device record, network record, logout).
constexpr int ChallengeBytes = 20 + 32;
constexpr int RequestBytes[4] = { 20 + 1 + 5 + 32, 20 + 8, 20 + 8, 20 };
constexpr int AnswerBytes[4] = { 20 + 4, 20 + SOLV_DEVICECFG_SIZE, 20 + SOLV_NETCFG_SIZE, 20 };

std::unique_ptr<devsim::Fleet> g_fleet;
std::vector<std::string> g_sdkAddresses;
std::vector<sockaddr_in> g_plainAddresses;

// The baseline's device: greets, then answers each fixed-size request with a
// fixed-size answer, and closes after the last.
class PlainServer : public QObject
{
public:
    bool listen(const QString &ip)
    {
        m_server = new QTcpServer(this);
        connect(m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server->nextPendingConnection()) {
                serve(socket);
            }
        });
        return m_server->listen(QHostAddress(ip), PlainPort);
    }

private:
    void serve(QTcpSocket *socket)
    {
        socket->setParent(this);
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        auto step = std::make_shared<int>(0);
        auto pending = std::make_shared<QByteArray>();
        socket->write(QByteArray(ChallengeBytes, 'c'));
        connect(socket, &QTcpSocket::readyRead, socket, [socket, step, pending] {
            pending->append(socket->readAll());
            while (*step < 4 && pending->size() >= RequestBytes[*step]) {
                pending->remove(0, RequestBytes[*step]);
                socket->write(QByteArray(AnswerBytes[*step], 'a'));
                if (++*step == 4) {
                    socket->disconnectFromHost();
                }
            }
        });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }

    QTcpServer *m_server = nullptr;
};

QThread *g_plainThread = nullptr;
QObject *g_plainContext = nullptr;

bool startPlainServers()
{
    g_plainThread = new QThread;
    g_plainContext = new QObject;
    g_plainContext->moveToThread(g_plainThread);
    g_plainThread->start();
    bool ok = true;
    QMetaObject::invokeMethod(
        g_plainContext,
        [&] {
            for (int i = 0; i < Cameras; ++i) {
                auto *server = new PlainServer;
                server->setParent(g_plainContext);
                const QString ip = devsim::Fleet::addressAt(QString::fromLatin1(PlainFirst), i);
                ok = ok && server->listen(ip);
                sockaddr_in address {};
                address.sin_family = AF_INET;
                address.sin_port = htons(PlainPort);
                ::inet_pton(AF_INET, ip.toLatin1().constData(), &address.sin_addr);
                g_plainAddresses.push_back(address);
            }
        },
        Qt::BlockingQueuedConnection);
    return ok;
}

void stopPlainServers()
{
    QMetaObject::invokeMethod(
        g_plainContext, [] { qDeleteAll(g_plainContext->children()); },
        Qt::BlockingQueuedConnection);
    g_plainThread->quit();
    g_plainThread->wait();
    delete g_plainContext;
    delete g_plainThread;
}

bool readAll(int fd, char *buffer, int length)
{
    while (length > 0) {
        const ssize_t got = ::recv(fd, buffer, std::size_t(length), 0);
        if (got <= 0) {
            return false;
        }
        length -= int(got);
    }
    return true;
}

bool plainSession(const sockaddr_in &address)
{
    static thread_local std::vector<char> buffer(65536, 'r');
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    bool ok = ::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0
        && readAll(fd, buffer.data(), ChallengeBytes);
    for (int step = 0; ok && step < 4; ++step) {
        ok = ::send(fd, buffer.data(), std::size_t(RequestBytes[step]), MSG_NOSIGNAL)
                == RequestBytes[step]
            && readAll(fd, buffer.data(), AnswerBytes[step]);
    }
    ::close(fd);
    return ok;
}

bool sdkSession(const char *address)
{
    const int32_t id = SOLV_Login_V30(address, SdkPort, "admin", "60917", nullptr);
    if (id < 0) {
        return false;
    }
    char device[SOLV_DEVICECFG_SIZE];
    char net[SOLV_NETCFG_SIZE];
    const bool ok = SOLV_GetDVRConfig(id, SOLV_GET_DEVICECFG, 0, device, sizeof device, nullptr)
        && SOLV_GetDVRConfig(id, SOLV_GET_NETCFG, 0, net, sizeof net, nullptr);
    return SOLV_Logout(id) && ok;
}

void BM_SdkSession(benchmark::State &state)
{
    int next = state.thread_index() * (Cameras / std::max(1, state.threads()));
    for (auto _ : state) {
        if (!sdkSession(g_sdkAddresses[std::size_t(next % Cameras)].c_str())) {
            state.SkipWithError("device session failed");
            break;
        }
        ++next;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SdkSession)->Threads(1)->Threads(16)->UseRealTime()->MinTime(2.0);

void BM_PlainTcpSession(benchmark::State &state)
{
    int next = state.thread_index() * (Cameras / std::max(1, state.threads()));
    for (auto _ : state) {
        if (!plainSession(g_plainAddresses[std::size_t(next % Cameras)])) {
            state.SkipWithError("plain session failed");
            break;
        }
        ++next;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PlainTcpSession)->Threads(1)->Threads(16)->UseRealTime()->MinTime(2.0);

// Prints the runs as usual and keeps each one's rate for the closing ratios.
class RateReporter : public benchmark::ConsoleReporter
{
public:
    std::map<std::string, double> rates;

    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs) {
            const auto counter = run.counters.find("items_per_second");
            if (counter != run.counters.end() && run.run_type == Run::RT_Iteration) {
                rates[run.benchmark_name()] = counter->second.value;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

} // namespace

int main(int argc, char **argv)
{
    // Discovery stays on this machine: every simulated camera is on loopback.
    if (!qEnvironmentVariableIsSet("TERVIX_DISCOVERY_INTERFACES")) {
        qputenv("TERVIX_DISCOVERY_INTERFACES", "lo");
    }
    benchmark::Initialize(&argc, argv);
    QCoreApplication app(argc, argv);
    SOLV_Init();
    devsim::FleetOptions options;
    options.count = Cameras;
    options.firstAddress = QString::fromLatin1(SdkFirst);
    options.port = SdkPort;
    options.discoveryPort = 0;
    g_fleet = std::make_unique<devsim::Fleet>(options);
    QString error;
    if (!g_fleet->start(&error) || !startPlainServers()) {
        std::fprintf(stderr, "bench_sdk: cannot start the servers: %s\n", qPrintable(error));
        return 1;
    }
    for (int i = 0; i < Cameras; ++i) {
        g_sdkAddresses.push_back(g_fleet->address(i).toStdString());
    }

    RateReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf("\nDevice sessions per second (login + 2 record reads + logout):\n");
    for (const char *threads : { "threads:1", "threads:16" }) {
        const std::string suffix = std::string("/min_time:2.000/real_time/") + threads;
        const double sdk = reporter.rates["BM_SdkSession" + suffix];
        const double plain = reporter.rates["BM_PlainTcpSession" + suffix];
        if (sdk > 0 && plain > 0) {
            std::printf("  %-10s SDK %9.0f/s   plain TCP %9.0f/s   SDK / plain = %.2f\n", threads,
                sdk, plain, sdk / plain);
        }
    }

    stopPlainServers();
    SOLV_Cleanup();
    g_fleet.reset();
    benchmark::Shutdown();
    return 0;
}
