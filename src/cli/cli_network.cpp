// tervix-cli set-network: the device tables' single-device change and batch
// worker from the command line.
#include "cli_network.h"

#include "batchmendthread.h"
#include "clitext.h"
#include "deviceformat.h"
#include "devicesdk.h"
#include "devicestore.h"
#include "fixedtext.h"
#include "ipv4text.h"
#include "mendrules.h"
#include "quarryuse.h"
#include "records.h"
#include "singlechange.h"
#include "solvane.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>

using namespace NetworkMend;

namespace {

// A device named on the command line: ADDRESS[:PORT], reached through the
// SDK with --user/--password like a device the IP-range search found, or
// the MAC of an announced device, moved through the discovery library.
struct Target
{
    QString host; // as written
    QString mac; // when named by its MAC
    QString address; // when named by its address, in the form devices read
    quint16 port = 0; // where its SDK listens now
    QString serial; // as the device reports it; empty when it could not be read
};

// Reads HOST without sending anything.
bool parseTarget(const QString &host, const CliOptions &options, Target *target, QString *error)
{
    target->host = host;
    target->port = options.port;
    const QByteArray mac = parseMac(host);
    if (!mac.isEmpty()) {
        target->mac = formatMac(mac);
        return true;
    }
    QString address = host;
    const qsizetype colon = host.indexOf(QLatin1Char(':'));
    if (colon >= 0) {
        const quint64 port = cliDecimal(QStringView(host).mid(colon + 1), 65535).value_or(0);
        if (port == 0) {
            *error = Cli::tr("\"%1\" has no port from 1 to 65535").arg(host);
            return false;
        }
        target->port = quint16(port);
        address = host.left(colon);
    }
    const std::optional<QString> canonical = Ipv4Text::canonical(address, Ipv4Text::HostAddress);
    if (!canonical) {
        *error = Cli::tr("\"%1\" is neither an IPv4 address (with an optional :PORT) nor a MAC")
                     .arg(host);
        return false;
    }
    target->address = *canonical;
    return true;
}

// The serial names the device in the result lines. A device that cannot be
// read is reported with the reason; its change is still tried and fails the
// same way, in its own result line.
void identify(Target *target, const CliOptions &options)
{
    if (!target->mac.isEmpty()) {
        return;
    }
    const QString where = QStringLiteral("%1:%2").arg(target->address).arg(target->port);
    SdkLogin login(target->address.toLatin1(), target->port, options.userName, options.password);
    if (!login.ok()) {
        cliError(Cli::tr("cannot log in to %1: %2 (SDK error %3)")
                     .arg(where, sdkErrorText(login.error()))
                     .arg(login.error()));
        return;
    }
    DeviceCfg device;
    if (!readRecord(login.userId(), device, 0)) {
        const quint32 error = SOLV_GetLastError();
        cliError(Cli::tr("cannot read the device record of %1: %2 (SDK error %3)")
                     .arg(where, sdkErrorText(error))
                     .arg(error));
        return;
    }
    target->serial = QString::fromLocal8Bit(device.serialNumber());
}

// The name of the device in its result lines.
QString logName(const Target &target)
{
    return target.serial.isEmpty() ? target.host : target.serial;
}

// The device as the program's store would hold it.
DEVICEINFO recordOf(const Target &target, const CliOptions &options)
{
    DEVICEINFO record {};
    FixedText::write(record.szSerialNo, logName(target).toLocal8Bit().constData());
    record.wPort = target.port;
    if (!target.mac.isEmpty()) {
        record.dwSource = 0;
        FixedText::write(record.szMAC, target.mac.toLatin1().constData());
        return record;
    }
    record.dwSource = 1;
    FixedText::write(record.szIPAddress, target.address.toLatin1().constData());
    FixedText::write(record.szUserName, options.userName.constData());
    FixedText::write(record.szPassword, options.password.constData());
    return record;
}

// What one device took.
struct Outcome
{
    QString ip;
    QString mask;
    quint16 port = 0;
    bool addressOk = false;
    std::optional<bool> nameOk; // none: no name was asked for
    QString name;
    std::optional<bool> gatewayOk; // none: no gateway was asked for
    QString gateway;

    bool ok() const { return addressOk && nameOk.value_or(true) && gatewayOk.value_or(true); }
};

QJsonObject toJson(const Target &target, const Outcome &outcome)
{
    QJsonObject object { { QStringLiteral("host"), target.host },
        { QStringLiteral("ipAddress"), outcome.ip }, { QStringLiteral("port"), outcome.port },
        { QStringLiteral("subnetMask"), outcome.mask },
        { QStringLiteral("addressOk"), outcome.addressOk },
        { QStringLiteral("ok"), outcome.ok() } };
    if (!target.serial.isEmpty()) {
        object.insert(QStringLiteral("serialNumber"), target.serial);
    }
    if (!target.mac.isEmpty()) {
        object.insert(QStringLiteral("mac"), target.mac);
    }
    if (outcome.gatewayOk) {
        object.insert(QStringLiteral("gateway"), outcome.gateway);
        object.insert(QStringLiteral("gatewayOk"), *outcome.gatewayOk);
    }
    if (outcome.nameOk) {
        object.insert(QStringLiteral("name"), outcome.name);
        object.insert(QStringLiteral("nameOk"), *outcome.nameOk);
    }
    return object;
}

// Moves every item on the batch worker, as the batch panel does; each
// result line is printed as it arrives.
void runBatch(const DeviceContext &context, const QList<BatchMendItem> &items, quint16 port,
    const QString &mask, const QString &gateway, const QList<Target> &targets,
    QList<Outcome> *outcomes)
{
    BatchMendThread worker;
    QEventLoop loop;
    QObject::connect(&worker, &BatchMendThread::FinishSetIpAddress, &loop,
        [&](int, int row, QString ip, unsigned short newPort, QString newMask, bool ok) {
            Outcome &outcome = (*outcomes)[row];
            outcome.ip = ip;
            outcome.port = newPort;
            outcome.mask = newMask;
            outcome.addressOk = ok;
            context.Log(IpPortMaskLogLine(logName(targets.at(row)), ip, newPort, newMask, ok));
        });
    QObject::connect(&worker, &BatchMendThread::FinishSetGateway, &loop,
        [&](int, int row, QString value, bool ok) {
            (*outcomes)[row].gateway = value;
            (*outcomes)[row].gatewayOk = ok;
            context.Log(GatewayLogLine(logName(targets.at(row)), value, ok));
        });
    QObject::connect(&worker, &BatchMendThread::FinishDeviceCount, &loop, [&](int count) {
        if (count == items.size()) {
            loop.quit();
        }
    });
    worker.SetParameters(context, items, port, mask, gateway);
    worker.start();
    loop.exec();
    worker.wait();
}

int runSetNetwork(const QStringList &hosts, const CliOptions &options)
{
    const bool batch = options.has(QStringLiteral("start-ip"));
    if (hosts.isEmpty()) {
        return cliUsageError(Cli::tr("set-network needs the device(s) to change"));
    }
    if (batch == options.has(QStringLiteral("ip"))) {
        return cliUsageError(Cli::tr("give either --ip (one device) or --start-ip (a batch)"));
    }
    if (!options.has(QStringLiteral("mask"))) {
        return cliUsageError(Cli::tr("set-network needs --mask"));
    }
    if (!batch && hosts.size() > 1) {
        return cliUsageError(Cli::tr("several devices take consecutive addresses from --start-ip"));
    }
    if (batch && options.has(QStringLiteral("name"))) {
        return cliUsageError(Cli::tr("--name changes one device only"));
    }
    SingleChange change;
    change.ip = options.value(batch ? QStringLiteral("start-ip") : QStringLiteral("ip"));
    change.mask = options.value(QStringLiteral("mask"));
    change.gateway = options.value(QStringLiteral("gateway"));
    change.name = options.value(QStringLiteral("name"));
    if (options.has(QStringLiteral("new-port"))) {
        change.port = options.value(QStringLiteral("new-port"));
        if (!cliDecimal(*change.port, 65535)) {
            return cliUsageError(Cli::tr("Port should be ranged from 2000 to 65535!"));
        }
    }
    const QString problem = CheckSingleChange(change);
    if (!problem.isEmpty()) {
        return cliUsageError(problem);
    }

    QList<Target> targets;
    QString error;
    for (const QString &host : hosts) {
        Target target;
        if (!parseTarget(host, options, &target, &error)) {
            return cliUsageError(error);
        }
        targets << target;
    }
    QStringList addresses;
    if (batch
        && !BatchAddresses(
            CanonicalAddress(change.ip), false, int(targets.size()), &addresses, &error)) {
        return cliUsageError(error);
    }
    // The worker gives every device of a batch one port.
    quint16 batchPort = change.port ? quint16(change.port->toUInt()) : targets.first().port;
    for (const Target &target : std::as_const(targets)) {
        if (batch && !change.port && target.port != batchPort) {
            return cliUsageError(
                Cli::tr("the devices listen on different ports; --new-port gives them one"));
        }
    }

    cliApplyTimeout(options);
    const bool anyMac = std::any_of(targets.cbegin(), targets.cend(),
        [](const Target &target) { return !target.mac.isEmpty(); });
    const QuarryUse quarry(anyMac);
    if (anyMac && !quarry.loaded()) {
        cliError(Cli::tr("Failed to load QUARRY library!"));
        return CliFailed;
    }
    CDeviceStore store;
    QList<BatchMendItem> items;
    for (int i = 0; i < targets.size(); ++i) {
        identify(&targets[i], options);
        bool changed = false;
        const int slot = store.AddOrUpdate(recordOf(targets.at(i), options), &changed);
        if (slot < 0) {
            return cliUsageError(
                Cli::tr("\"%1\" names a device listed before").arg(targets.at(i).host));
        }
        items << BatchMendItem { slot, i, batch ? addresses.at(i) : QString() };
    }

    const DeviceContext context { &store, { options.userName, options.password },
        [&options](const QString &line) {
            if (!options.json) {
                cliPrint(cliSafeText(line)); // lines name devices by their texts
            }
        } };
    QList<Outcome> outcomes(targets.size());
    if (batch) {
        runBatch(context, items, batchPort, CanonicalAddress(change.mask),
            change.gateway.isEmpty() ? QString() : CanonicalAddress(change.gateway), targets,
            &outcomes);
    } else {
        const SingleChangeResult result
            = ApplySingleChange(context, items.first().iDevIndex, change);
        if (result.status != SingleChangeResult::Applied) {
            return cliUsageError(result.message);
        }
        outcomes[0] = Outcome { result.ip, result.mask, result.port, result.addressSet,
            result.nameSet, result.name, result.gatewaySet, result.gateway };
    }

    bool allDone = true;
    QJsonArray array;
    for (int i = 0; i < targets.size(); ++i) {
        allDone = allDone && outcomes.at(i).ok();
        array.append(toJson(targets.at(i), outcomes.at(i)));
    }
    if (options.json) {
        cliPrintJson(array);
    }
    return allDone ? CliOk : CliFailed;
}

const CliOptionSpec setNetworkOptions[] = {
    { "ip", "ADDRESS", QT_TRANSLATE_NOOP("Cli", "the new address of one device") },
    { "start-ip", "ADDRESS",
        QT_TRANSLATE_NOOP("Cli", "the first of the consecutive addresses a batch takes") },
    { "mask", "MASK", QT_TRANSLATE_NOOP("Cli", "the new subnet mask") },
    { "gateway", "ADDRESS", QT_TRANSLATE_NOOP("Cli", "the new gateway (none: unchanged)") },
    { "name", "TEXT", QT_TRANSLATE_NOOP("Cli", "the new device name (none: unchanged)") },
    { "new-port", "N",
        QT_TRANSLATE_NOOP(
            "Cli", "the new SDK port, 2000 to 65535 (none: each device keeps its own)") },
};

} // namespace

const CliCommand setNetworkCommand = { "set-network",
    QT_TRANSLATE_NOOP("Cli",
        "HOST --ip ADDRESS --mask MASK [--gateway ADDRESS] [--name TEXT] [--new-port N] | "
        "--start-ip ADDRESS --mask MASK [--gateway ADDRESS] [--new-port N] HOST..."),
    QT_TRANSLATE_NOOP("Cli",
        "changes the address, mask, gateway, name and SDK port of a device, or moves several to "
        "consecutive addresses from --start-ip; HOST is ADDRESS[:PORT] (reached with --port, "
        "--user and --password) or the MAC of an announced device (listening on --port)"),
    setNetworkOptions, LoginOptions, runSetNetwork };
