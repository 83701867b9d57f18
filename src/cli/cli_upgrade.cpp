// tervix-cli upgrade: the "Batch Upgrade" page's manager from the command line.
#include "cli_upgrade.h"

#include "upgrademanager.h"
#include "upgradestate.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QTimer>

namespace {

// How often the devices' states are read and shown while the batch runs.
constexpr int RefreshMs = 1000;

struct Device
{
    QString host; // as written
    QString address;
    int task = -1;
    int state = -1; // last shown
    int percent = -1; // last shown
};

QString stateLine(const Device &device, int state, int percent)
{
    QString text = UpgradeStateText(state);
    if (state == UpgradeRunning) {
        text += QStringLiteral(" %1%").arg(percent);
    }
    return QStringLiteral("%1: %2").arg(device.host, text);
}

// Runs the batch to its end, printing a line for each device whose state or
// progress changed since the last refresh.
void runBatch(CUpgradeManager &manager, QList<Device> &devices, bool printProgress)
{
    QEventLoop loop;
    QTimer timer;
    const auto refresh = [&] {
        // Read first: at 100 % every state read below is the last one.
        const int progress = manager.TotalProgress();
        for (Device &device : devices) {
            const int state = manager.TaskState(device.task);
            const int percent = manager.TaskProgress(device.task);
            if (printProgress && (state != device.state || percent != device.percent)) {
                cliPrint(stateLine(device, state, percent));
            }
            device.state = state;
            device.percent = percent;
        }
        if (progress == 100) {
            loop.quit();
        }
    };
    QObject::connect(&timer, &QTimer::timeout, &loop, refresh);
    timer.start(RefreshMs);
    loop.exec();
    manager.Stop();
}

int runUpgrade(const QStringList &hosts, const CliOptions &options)
{
    const bool directory = options.has(QStringLiteral("dir"));
    if (directory == options.has(QStringLiteral("file"))) {
        return cliUsageError(Cli::tr("give either --file FILE or --dir DIRECTORY"));
    }
    if (hosts.isEmpty()) {
        return cliUsageError(Cli::tr("upgrade needs the device(s) to upgrade"));
    }
    const bool reboot = options.has(QStringLiteral("reboot"));
    const bool restore = options.has(QStringLiteral("restore"));
    if (restore && !reboot) {
        return cliUsageError(Cli::tr("--restore needs --reboot"));
    }
    const QString path = options.value(directory ? QStringLiteral("dir") : QStringLiteral("file"));
    const QByteArray localPath = path.toLocal8Bit();
    if (localPath.size() > (directory ? MaxFirmwareDirectoryBytes : MaxFirmwareFileBytes)) {
        return cliUsageError(directory
                ? QCoreApplication::translate(
                    "CUpgradeFrame", "Directory path length exceeds limit")
                : QCoreApplication::translate("CUpgradeFrame", "File path length exceeds limit"));
    }
    const QFileInfo info(path);
    if (directory ? !info.isDir() : !info.isFile()) {
        return cliUsageError(directory ? Cli::tr("\"%1\" is no directory").arg(path)
                                       : Cli::tr("\"%1\" is no file").arg(path));
    }
    QList<Device> devices;
    for (const QString &host : hosts) {
        const QString address = cliHostAddress(host);
        if (address.isEmpty()) {
            return CliUsage;
        }
        devices << Device { host, address };
    }

    cliApplyTimeout(options);
    const DeviceContext context { nullptr, { options.userName, options.password },
        [](const QString &line) { cliError(line); } };
    CUpgradeManager manager(context);
    manager.SetFirmware(localPath.constData(), directory ? FirmwareDirectory : FirmwareFile);
    manager.SetFlags(reboot, restore);
    for (Device &device : devices) {
        device.task = manager.AddTask(
            device.address.toLatin1(), options.port, options.userName, options.password);
    }
    if (!manager.Start()) {
        return CliFailed;
    }
    runBatch(manager, devices, !options.json);

    bool allDone = true;
    QJsonArray array;
    for (const Device &device : std::as_const(devices)) {
        const bool ok = UpgradeStateSucceeded(device.state, restore);
        allDone = allDone && ok;
        if (options.json) {
            array.append(QJsonObject { { QStringLiteral("host"), device.host },
                { QStringLiteral("state"), device.state },
                { QStringLiteral("text"), UpgradeStateText(device.state) },
                { QStringLiteral("progress"), device.percent }, { QStringLiteral("ok"), ok } });
        } else {
            cliPrint(stateLine(device, device.state, device.percent));
        }
    }
    if (options.json) {
        cliPrintJson(array);
    }
    return allDone ? CliOk : CliFailed;
}

const CliOptionSpec upgradeOptions[] = {
    { "file", "FILE", QT_TRANSLATE_NOOP("Cli", "the image every device gets") },
    { "dir", "DIRECTORY",
        QT_TRANSLATE_NOOP(
            "Cli", "a directory holding the image of each device, named by its description") },
    { "reboot", nullptr, QT_TRANSLATE_NOOP("Cli", "reboot each device after its upgrade") },
    { "restore", nullptr,
        QT_TRANSLATE_NOOP("Cli",
            "with --reboot: wait for each device to come back and restore its default "
            "settings") },
};

} // namespace

const CliCommand upgradeCommand = { "upgrade",
    QT_TRANSLATE_NOOP("Cli", "(--file FILE | --dir DIRECTORY) HOST... [--reboot [--restore]]"),
    QT_TRANSLATE_NOOP("Cli",
        "upgrades the firmware of the devices, sixteen at a time, with a line for each change "
        "of a device's state and its state at the end; exit status 1 when any device did not "
        "succeed"),
    upgradeOptions, LoginOptions, runUpgrade };
