// Firmware upload of sixteen cameras at once, each its own image of 32 MB,
// against a plain TCP copy of the same files over the same loopback:
//   plain copy  sixteen threads each send an image file to a sink that
//               reads and drops, one thread for all sixteen (as the
//               simulator serves all cameras from one thread);
//   upgrade     SOLV_Upgrade to sixteen simulated cameras, from the first
//               call to the last camera reporting success: framing, the
//               device's answers, its header checks and SHA-256 included.
// Both report the aggregate rate in MB/s (10^6 bytes) and the ratio.
//
// Options: --devices N (16), --size MB (32), --rounds N (3), and
// --rate RATE (e.g. 1gbit) to run both inside a private network namespace
// whose loopback is limited by a token bucket (tc tbf); that needs the
// right to create network namespaces (root, or CAP_SYS_ADMIN).

#include "firmware.h"
#include "fleet.h"
#include "solvane.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSemaphore>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

constexpr quint16 kPort = 18990;
constexpr quint16 kSinkPort = 18991;
const QString kFirstAddress = QStringLiteral("127.0.81.101");

// Peak resident memory of this process (client and simulator together), MB.
double peakResidentMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) {
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
        }
    }
    return 0;
}

// A TCP sink on every camera address: reads and drops, on one thread.
class Sink
{
public:
    Sink(const QStringList &addresses, quint64 expected) : m_expected(expected)
    {
        m_context.moveToThread(&m_thread);
        m_thread.start();
        QMetaObject::invokeMethod(
            &m_context,
            [&] {
                for (const QString &address : addresses) {
                    auto *server = new QTcpServer(&m_context);
                    if (!server->listen(QHostAddress(address), kSinkPort)) {
                        std::fprintf(stderr, "sink: cannot listen on %s\n", qPrintable(address));
                    }
                    QObject::connect(server, &QTcpServer::newConnection, server, [this, server] {
                        while (QTcpSocket *socket = server->nextPendingConnection()) {
                            QObject::connect(socket, &QTcpSocket::readyRead, socket,
                                [this, socket] { drain(socket); });
                        }
                    });
                }
            },
            Qt::BlockingQueuedConnection);
    }

    ~Sink()
    {
        QMetaObject::invokeMethod(
            &m_context, [&] { qDeleteAll(m_context.children()); }, Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
    }

    void reset() { m_received = 0; }
    void waitForAll() { m_done.acquire(); }

private:
    void drain(QTcpSocket *socket)
    {
        static char buffer[256 * 1024];
        for (qint64 got; (got = socket->read(buffer, sizeof buffer)) > 0;) {
            if ((m_received += quint64(got)) == m_expected) {
                m_done.release();
            }
        }
    }

    quint64 m_expected;
    std::atomic<quint64> m_received { 0 };
    QSemaphore m_done;
    QThread m_thread;
    QObject m_context;
};

// Sends a file to address:port in pieces of 64 KiB; false on any failure.
bool sendFile(const QString &address, const QString &path)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in to {};
    to.sin_family = AF_INET;
    to.sin_port = htons(kSinkPort);
    ::inet_pton(AF_INET, qPrintable(address), &to.sin_addr);
    const int file = ::open(qPrintable(path), O_RDONLY | O_CLOEXEC);
    bool ok
        = fd >= 0 && file >= 0 && ::connect(fd, reinterpret_cast<sockaddr *>(&to), sizeof to) == 0;
    std::vector<char> piece(64 * 1024);
    for (ssize_t got; ok && (got = ::read(file, piece.data(), piece.size())) > 0;) {
        for (ssize_t sent = 0; ok && sent < got;) {
            const ssize_t n
                = ::send(fd, piece.data() + sent, std::size_t(got - sent), MSG_NOSIGNAL);
            ok = n > 0;
            sent += n;
        }
    }
    ::close(file);
    ::close(fd);
    return ok;
}

double plainCopySeconds(Sink &sink, const QStringList &addresses, const QStringList &paths)
{
    sink.reset();
    QElapsedTimer clock;
    clock.start();
    std::atomic<int> failures { 0 };
    std::vector<std::thread> senders;
    for (int i = 0; i < addresses.size(); ++i) {
        senders.emplace_back([&, i] { failures += sendFile(addresses[i], paths[i]) ? 0 : 1; });
    }
    for (auto &sender : senders) {
        sender.join();
    }
    if (failures == 0) {
        sink.waitForAll();
    }
    return failures == 0 ? double(clock.nsecsElapsed()) / 1e9 : -1;
}

double upgradeSeconds(const QStringList &addresses, const QStringList &paths)
{
    std::vector<int32_t> ids;
    for (const QString &address : addresses) {
        ids.push_back(SOLV_Login_V30(qPrintable(address), kPort, "admin", "60917", nullptr));
    }
    QElapsedTimer clock;
    clock.start();
    std::vector<int32_t> handles;
    for (std::size_t i = 0; i < ids.size(); ++i) {
        handles.push_back(SOLV_Upgrade(ids[i], qPrintable(paths[int(i)])));
    }
    // The SDK's state is what one polls; 2 ms between polls is far below the
    // time one transfer takes.
    int succeeded = 0;
    for (bool running = true; running;) {
        running = false;
        succeeded = 0;
        for (const int32_t handle : handles) {
            const int state = SOLV_GetUpgradeState(handle);
            running = running || state == SOLV_UPGRADE_RUNNING;
            succeeded += state == SOLV_UPGRADE_SUCCEEDED ? 1 : 0;
        }
        if (running) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    for (std::size_t i = 0; i < ids.size(); ++i) {
        SOLV_CloseUpgradeHandle(handles[i]);
        SOLV_Logout(ids[i]);
    }
    if (succeeded != int(handles.size())) {
        std::fprintf(stderr, "upgrade: only %d of %zu succeeded\n", succeeded, handles.size());
        return -1;
    }
    return seconds;
}

// A private network namespace whose loopback is limited to rate.
bool limitLoopback(const char *rate)
{
    if (::unshare(CLONE_NEWNET) != 0) {
        std::perror("unshare(CLONE_NEWNET)");
        return false;
    }
    const QByteArray command = QByteArray("ip link set lo up && tc qdisc add dev lo root tbf rate ")
        + rate + " burst 1mb latency 50ms";
    return std::system(command.constData()) == 0;
}

} // namespace

int main(int argc, char *argv[])
{
    int devices = 16;
    int sizeMb = 32;
    int rounds = 3;
    const char *rate = nullptr;
    for (int i = 1; i + 1 < argc; i += 2) {
        const QByteArray option = argv[i];
        if (option == "--devices") {
            devices = std::clamp(std::atoi(argv[i + 1]), 1, 200);
        } else if (option == "--size") {
            sizeMb = std::clamp(std::atoi(argv[i + 1]), 1, 1024);
        } else if (option == "--rounds") {
            rounds = std::clamp(std::atoi(argv[i + 1]), 1, 100);
        } else if (option == "--rate") {
            rate = argv[i + 1];
        }
    }
    // Before any thread exists: the namespace is the calling thread's.
    if (rate && !limitLoopback(rate)) {
        std::fprintf(stderr, "cannot make a rate-limited loopback here\n");
        return 1;
    }
    QCoreApplication app(argc, argv);
    SOLV_Init();
    devsim::Fleet fleet(devsim::FleetOptions { .count = devices,
        .firstAddress = kFirstAddress,
        .port = kPort,
        .timeScale = 0.001, // writing an image takes 2 ms
        .discoveryPort = 0 });
    QString error;
    if (!fleet.start(&error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }

    QTemporaryDir dir;
    QStringList addresses;
    QStringList paths;
    const quint64 body = quint64(sizeMb) * 1024 * 1024 - solvane::firmware::HeaderSize;
    for (int i = 0; i < devices; ++i) {
        addresses.append(fleet.address(i));
        std::optional<devsim::Description> target;
        fleet.run([&] { target = fleet.cameras().at(i)->firmwareTarget(); });
        paths.append(dir.filePath(QStringLiteral("image%1").arg(i)));
        if (!target
            || !devsim::writeFirmwareImage(
                paths.last(), { *target, (9u << 24) | 1u, 0x1a0101, body }, &error)) {
            std::fprintf(stderr, "cannot write image %d: %s\n", i, qPrintable(error));
            return 1;
        }
    }
    const double megabytes = double(devices) * double(sizeMb) * 1024 * 1024 / 1e6;
    std::printf("%d devices, %d MiB image each (%.0f MB in all)%s%s\n", devices, sizeMb, megabytes,
        rate ? ", loopback limited to " : ", plain loopback", rate ? rate : "");
    std::printf("%-6s %12s %12s %8s\n", "round", "copy MB/s", "upgrade MB/s", "ratio");

    Sink sink(addresses, quint64(devices) * quint64(sizeMb) * 1024 * 1024);
    double bestCopy = 0;
    double bestUpgrade = 0;
    for (int round = 1; round <= rounds; ++round) {
        const double copy = plainCopySeconds(sink, addresses, paths);
        const double upgrade = upgradeSeconds(addresses, paths);
        if (copy <= 0 || upgrade <= 0) {
            return 1;
        }
        bestCopy = std::max(bestCopy, megabytes / copy);
        bestUpgrade = std::max(bestUpgrade, megabytes / upgrade);
        std::printf("%-6d %12.0f %12.0f %8.2f\n", round, megabytes / copy, megabytes / upgrade,
            copy / upgrade);
    }
    std::printf("best   %12.0f %12.0f %8.2f\n", bestCopy, bestUpgrade, bestUpgrade / bestCopy);
    std::printf("peak resident memory of the whole process: %.0f MB\n", peakResidentMb());
    fleet.stop();
    SOLV_Cleanup();
    return 0;
}
