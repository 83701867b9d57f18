// A templet with all nine sections applied to 254 cameras by the batch
// configuration manager, against its floor measured in the same run:
//   floor  per device the 10 ms pacing, one login and nine record reads and
//          writes at the single SDK round trip (one get of the front-end
//          record on an open login) measured on the same fleet;
//   run    the manager's wall time from Start to the last device.
// Run from <build>/bin.

#include "batchconfigmanager.h"
#include "devicesdk.h"
#include "fleet.h"
#include "mirt.h"
#include "records.h"
#include "solvane.h"
#include "templetfile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>

namespace {

constexpr int kCameras = 254;
constexpr quint16 kPort = 19100;

void raiseFileLimit()
{
    rlimit limit {};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}

double msSince(const QElapsedTimer &clock)
{
    return double(clock.nsecsElapsed()) / 1e6;
}

// Mean milliseconds of a login, and of one record get on an open
// login, over every camera.
void measureRoundTrips(const devsim::Fleet &fleet, double *loginMs, double *getMs)
{
    double logins = 0;
    double gets = 0;
    for (int i = 0; i < fleet.count(); ++i) {
        QElapsedTimer clock;
        clock.start();
        SdkLogin login(fleet.address(i).toLatin1(), kPort, "admin", "60917");
        logins += msSince(clock);
        FrontCfg front;
        clock.restart();
        for (int n = 0; n < 10; ++n) {
            readRecord(login.userId(), front, 1);
        }
        gets += msSince(clock) / 10;
    }
    *loginMs = logins / fleet.count();
    *getMs = gets / fleet.count();
}

// Writes a templet of all nine sections from camera 0's records.
bool writeTemplet(const QString &path, const devsim::Fleet &fleet)
{
    SdkLogin login(fleet.address(0).toLatin1(), kPort, "admin", "60917");
    FrontCfg front;
    CompressCfg compression;
    PicCfg picture;
    RecordCfg record;
    DdnsCfg ddns;
    NfsCfg nfs;
    NtpCfg ntp;
    EmailCfg email;
    DecoderCfg decoder;
    const bool read = readRecord(login.userId(), front, 1)
        && readRecord(login.userId(), compression, 1) && readRecord(login.userId(), picture, 1)
        && readRecord(login.userId(), record, 1) && readRecord(login.userId(), ddns, 1)
        && readRecord(login.userId(), nfs, 1) && readRecord(login.userId(), ntp, 1)
        && readRecord(login.userId(), email, 1) && readRecord(login.userId(), decoder, 1);
    CTempletWriter writer;
    return read && writer.OpenTemplate(path) && writer.SetPreParam(front)
        && writer.SetCompressionParam(compression) && writer.SetPicParam(picture)
        && writer.SetRECParam(record) && writer.SetDDNSParam(ddns) && writer.SetNFSParam(nfs)
        && writer.SetNTPParam(ntp) && writer.SetEmailParam(email) && writer.SetPTZParam(decoder)
        && writer.Close();
}

} // namespace

int main(int argc, char *argv[])
{
    if (!qEnvironmentVariableIsSet("TERVIX_DISCOVERY_INTERFACES")) {
        qputenv("TERVIX_DISCOVERY_INTERFACES", "lo");
    }
    QCoreApplication app(argc, argv);
    raiseFileLimit();
    MIRT_Init();
    SOLV_Init();

    devsim::FleetOptions options;
    options.count = kCameras;
    options.firstAddress = QStringLiteral("127.0.64.1");
    options.port = kPort;
    options.discoveryPort = 0;
    devsim::Fleet fleet(options);
    QString error;
    if (!fleet.start(&error)) {
        std::fprintf(stderr, "fleet: %s\n", qPrintable(error));
        return 1;
    }
    QTemporaryDir dir;
    const QString templet = dir.filePath(QStringLiteral("all.xml"));
    if (!writeTemplet(templet, fleet)) {
        std::fprintf(stderr, "the templet could not be written\n");
        return 1;
    }

    double loginMs = 0;
    double getMs = 0;
    measureRoundTrips(fleet, &loginMs, &getMs);
    const BatchConfigTiming timing;
    // Nine reads and nine writes, each one round trip.
    const double floorPerDeviceMs = double(timing.pacing.count()) + loginMs + 18 * getMs;
    std::printf("%d cameras on loopback; login %.3f ms, one record round trip %.3f ms\n",
        kCameras, loginMs, getMs);

    CBatchConfigManager manager(DeviceContext { nullptr, { "admin", "60917" }, {} }, timing);
    for (int i = 0; i < kCameras; ++i) {
        manager.AddTask(fleet.address(i).toLatin1().constData(), kPort, "admin", "60917");
    }
    QElapsedTimer clock;
    clock.start();
    if (!manager.Start(templet, false)) {
        std::fprintf(stderr, "the batch could not start\n");
        return 1;
    }
    manager.WaitForEnd();
    const double runMs = msSince(clock);
    int complete = 0;
    int allApplied = 0;
    for (int i = 0; i < kCameras; ++i) {
        complete += manager.State(i) == TaskSetComplete ? 1 : 0;
        allApplied += manager.AppliedSections(i) == 0x1FF ? 1 : 0;
    }
    const double floorMs = floorPerDeviceMs * kCameras;
    std::printf("run   %4d/%d complete, %d with all nine sections  wall %8.1f ms  %6.2f ms/device\n",
        complete, kCameras, allApplied, runMs, runMs / kCameras);
    std::printf("floor %8.1f ms  %6.2f ms/device  run/floor %.2f\n", floorMs, floorPerDeviceMs,
        runMs / floorMs);

    fleet.stop();
    SOLV_Cleanup();
    MIRT_Fini();
    return complete == kCameras ? 0 : 1;
}
