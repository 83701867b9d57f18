// Batch change of 254 ticked cameras to consecutive addresses, on the
// network modification worker, against one SDK round trip (login, read of
// the network record, logout) on the same machine:
//   round trip  the baseline, averaged over every camera of the fleet;
//   searched    254 devices found by the IP-range search: each moves
//               through its network record (login, read, write, logout);
//   announced   254 announced devices: each moves through the discovery
//               library's re-address request, no login;
//   announced + gateway  the same, and the gateway through the SDK.
// Run from <build>/bin (libquarry.so beside it); set TERVIX_DISCOVERY_PORT
// to keep clear of other fleets. Debug lines go to standard error.

#include "batchmendthread.h"
#include "devicesdk.h"
#include "devicestore.h"
#include "fleet.h"
#include "mirt.h"
#include "quarryloader.h"
#include "records.h"
#include "solvane.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <sys/resource.h>

#include <cstdio>

namespace {

constexpr int kCameras = 254;
constexpr quint16 kPort = 19000;
const DeviceCredentials kDefaults { "admin", "60917" };

void raiseFileLimit()
{
    rlimit limit {};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}

// Mean milliseconds of one login + read + logout over every listed device.
double roundTripMs(const CDeviceStore &store)
{
    const std::vector<DEVICEINFO> devices = store.Snapshot();
    QElapsedTimer clock;
    clock.start();
    int ok = 0;
    for (const DEVICEINFO &device : devices) {
        SdkLogin login(device.szIPAddress, device.wPort, "admin", "60917");
        NetCfg net;
        ok += login.ok() && readRecord(login.userId(), net, 0) ? 1 : 0;
    }
    const double ms = double(clock.nsecsElapsed()) / 1e6 / double(devices.size());
    if (ok != int(devices.size())) {
        std::fprintf(stderr, "round trip: only %d of %zu answered\n", ok, devices.size());
    }
    return ms;
}

// Runs one batch to x.y.<block>.1-254 and returns its wall time in seconds;
// *moved counts the devices that reported success.
double runBatch(CDeviceStore &store, quint32 source, int block, const QString &gateway, int *moved)
{
    QList<BatchMendItem> items;
    for (int slot = 0; slot < kCameras; ++slot) {
        store.UpdateRecord(
            slot, nullptr, [source](DEVICEINFO &record) { record.dwSource = source; });
        items << BatchMendItem { slot, slot,
            QStringLiteral("127.0.%1.%2").arg(block).arg(slot + 1) };
    }
    BatchMendThread worker;
    std::atomic<int> done { 0 };
    QObject::connect(
        &worker, &BatchMendThread::FinishSetIpAddress, &worker,
        [&done](int, int, QString, unsigned short, QString, bool ok) { done += ok ? 1 : 0; },
        Qt::DirectConnection);
    worker.SetParameters(DeviceContext { &store, kDefaults, {} }, items, kPort,
        QStringLiteral("255.255.255.0"), gateway);
    QElapsedTimer clock;
    clock.start();
    worker.start();
    worker.wait();
    *moved = done;
    return double(clock.nsecsElapsed()) / 1e9;
}

void report(const char *name, double seconds, int moved, double baselineMs)
{
    const double perDeviceMs = seconds * 1000.0 / kCameras;
    std::printf("%-22s %4d/%d moved  wall %7.3f s  %7.3f ms/device  %5.2f x round trip\n", name,
        moved, kCameras, seconds, perDeviceMs, perDeviceMs / baselineMs);
}

} // namespace

int main(int argc, char *argv[])
{
    // Discovery stays on this machine: every simulated camera is on loopback.
    if (!qEnvironmentVariableIsSet("TERVIX_DISCOVERY_INTERFACES")) {
        qputenv("TERVIX_DISCOVERY_INTERFACES", "lo");
    }
    QCoreApplication app(argc, argv);
    raiseFileLimit();
    MIRT_Init();
    SOLV_Init();
    if (!QuarryLoader::instance().Load()) {
        std::fprintf(stderr, "libquarry.so not found\n");
        return 1;
    }

    devsim::FleetOptions options;
    options.count = kCameras;
    options.firstAddress = QStringLiteral("127.0.62.1");
    options.port = kPort;
    devsim::Fleet fleet(options);
    QString error;
    if (!fleet.start(&error)) {
        std::fprintf(stderr, "fleet: %s\n", qPrintable(error));
        return 1;
    }

    CDeviceStore store;
    fleet.run([&] {
        for (const devsim::Camera *camera : fleet.cameras()) {
            DEVICEINFO record {};
            FixedText::write(record.szSerialNo, camera->serialNo().toLatin1().constData());
            FixedText::write(record.szIPAddress, camera->ipAddress().toLatin1().constData());
            FixedText::write(record.szSubnetMask, "255.255.255.0");
            FixedText::write(record.szMAC, camera->macBytes().toHex(':').constData());
            FixedText::write(record.szUserName, "admin");
            FixedText::write(record.szPassword, "60917");
            record.wPort = camera->port();
            bool changed = false;
            store.AddOrUpdate(record, &changed);
        }
    });

    const double baselineMs = roundTripMs(store);
    std::printf("%d cameras on loopback; one SDK round trip (login + get + logout): %.3f ms\n",
        kCameras, baselineMs);
    int moved = 0;
    double seconds = runBatch(store, 1, 63, QString(), &moved);
    report("searched (SDK)", seconds, moved, baselineMs);
    seconds = runBatch(store, 0, 62, QString(), &moved);
    report("announced (discovery)", seconds, moved, baselineMs);
    seconds = runBatch(store, 0, 63, QStringLiteral("127.0.63.254"), &moved);
    report("announced + gateway", seconds, moved, baselineMs);
    std::printf("round trip again after the moves: %.3f ms\n", roundTripMs(store));

    fleet.stop();
    QuarryLoader::instance().Unload();
    SOLV_Cleanup();
    MIRT_Fini();
    return 0;
}
