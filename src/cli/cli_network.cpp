// tervix-cli set-network: the device network setters and the batch worker
// from the command line.
#include "cli_network.h"

#include "batchmendthread.h"
#include "devicesdk.h"
#include "devicestore.h"
#include "mendrules.h"
#include "networksetters.h"
#include "quarryuse.h"
#include "records.h"
#include "solvane.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>

using namespace NetworkMend;

namespace {

// The command's own values; "--ip A" leaves A among the dispatcher's
// arguments, so the raw command line is read again here.
struct NetworkArguments
{
    QMap<QString, QString> values; // ip, mask, gateway, name, start-ip
    QStringList hosts;
    QString error;
};

NetworkArguments readArguments()
{
    static const QStringList ownValues = { QStringLiteral("ip"), QStringLiteral("mask"),
        QStringLiteral("gateway"), QStringLiteral("name"), QStringLiteral("start-ip") };
    static const QStringList sharedValues = { QStringLiteral("port"), QStringLiteral("user"),
        QStringLiteral("password"), QStringLiteral("timeout") };
    NetworkArguments parsed;
    const QStringList args = QCoreApplication::arguments().mid(1);
    bool optionsEnded = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (optionsEnded || !arg.startsWith(QLatin1String("--"))) {
            parsed.hosts << arg;
            continue;
        }
        if (arg == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        QString name = arg.mid(2);
        const qsizetype equals = name.indexOf(QLatin1Char('='));
        QString value;
        if (equals >= 0) {
            value = name.mid(equals + 1);
            name.truncate(equals);
        } else if (ownValues.contains(name) || sharedValues.contains(name)) {
            if (i + 1 >= args.size()) {
                parsed.error = Cli::tr("option --%1 needs a value").arg(name);
                return parsed;
            }
            value = args.at(++i);
        }
        if (ownValues.contains(name)) {
            parsed.values.insert(name, value);
        }
    }
    parsed.hosts.removeFirst(); // the command's name
    return parsed;
}

bool isMac(const QString &text)
{
    static const QRegularExpression mac(QStringLiteral("^[0-9A-Fa-f]{2}(:[0-9A-Fa-f]{2}){5}$"));
    return mac.match(text).hasMatch();
}

// A device named on the command line, as the program's store would hold it:
// an address is reached through the SDK with --user/--password (like a
// device the IP-range search found), a MAC through the discovery library
// (like an announced device).
struct Target
{
    QString host;
    DEVICEINFO record {};
};

bool makeTarget(const QString &host, const CliOptions &options, Target *target, QString *error)
{
    target->host = host;
    DEVICEINFO &record = target->record;
    if (isMac(host)) {
        record.dwSource = 0;
        CopyDeviceText(record.szMAC, host.toLower().toLatin1().constData());
        CopyDeviceText(record.szSerialNo, host.toLatin1().constData());
        return true;
    }
    QString address = host;
    quint16 port = options.port;
    const qsizetype colon = host.indexOf(QLatin1Char(':'));
    if (colon >= 0) {
        bool ok = false;
        const uint value = host.mid(colon + 1).toUInt(&ok);
        if (!ok || value == 0 || value > 65535) {
            *error = Cli::tr("\"%1\" has no port from 1 to 65535").arg(host);
            return false;
        }
        port = quint16(value);
        address = host.left(colon);
    }
    if (!isIpv4Address(address)) {
        *error = Cli::tr("\"%1\" is neither an IPv4 address (with an optional :PORT) nor a MAC")
                     .arg(host);
        return false;
    }
    record.dwSource = 1;
    CopyDeviceText(record.szIPAddress, address.toLatin1().constData());
    record.wPort = port;
    CopyDeviceText(record.szUserName, options.userName.constData());
    CopyDeviceText(record.szPassword, options.password.constData());
    // The serial names the device in the result lines; a device that cannot
    // be read is named by its address, and its change will fail the same way.
    SdkLogin login(address.toLatin1(), port, options.userName, options.password);
    DeviceCfg device;
    const QByteArray serial = login.ok() && readRecord(login.userId(), device, 0)
        ? device.serialNumber()
        : host.toLatin1();
    CopyDeviceText(record.szSerialNo, serial.constData());
    return true;
}

struct Result
{
    QString serial, host, ip, mask, gateway, name;
    quint16 port = 0;
    bool moved = false;
    bool gatewaySet = false;
    bool named = false;
};

QJsonObject toJson(const Result &r)
{
    QJsonObject object { { QStringLiteral("serial"), r.serial }, { QStringLiteral("host"), r.host },
        { QStringLiteral("ip"), r.ip }, { QStringLiteral("port"), r.port },
        { QStringLiteral("mask"), r.mask }, { QStringLiteral("ok"), r.moved } };
    if (!r.gateway.isEmpty()) {
        object.insert(QStringLiteral("gateway"), r.gateway);
        object.insert(QStringLiteral("gatewayOk"), r.gatewaySet);
    }
    if (!r.name.isEmpty()) {
        object.insert(QStringLiteral("name"), r.name);
        object.insert(QStringLiteral("nameOk"), r.named);
    }
    return object;
}

int runSetNetwork(const QStringList &, const CliOptions &options)
{
    const NetworkArguments args = readArguments();
    if (!args.error.isEmpty()) {
        return cliUsageError(args.error);
    }
    const bool batch = args.values.contains(QStringLiteral("start-ip"));
    const QString address = CanonicalAddress(
        args.values.value(batch ? QStringLiteral("start-ip") : QStringLiteral("ip")));
    const QString mask = CanonicalAddress(args.values.value(QStringLiteral("mask")));
    const QString gatewayText = args.values.value(QStringLiteral("gateway"));
    const QString gateway = gatewayText.isEmpty() ? QString() : CanonicalAddress(gatewayText);
    const QString name = args.values.value(QStringLiteral("name"));

    if (args.hosts.isEmpty()) {
        return cliUsageError(Cli::tr("set-network needs the device(s) to change"));
    }
    if (batch && args.values.contains(QStringLiteral("ip"))) {
        return cliUsageError(Cli::tr("give either --ip (one device) or --start-ip (a batch)"));
    }
    if (!batch && args.hosts.size() > 1) {
        return cliUsageError(Cli::tr("several devices take consecutive addresses from --start-ip"));
    }
    if (batch && !name.isEmpty()) {
        return cliUsageError(Cli::tr("--name changes one device only"));
    }
    if (!name.isEmpty() && IsDeviceNameTooLong(name)) {
        return cliUsageError(Cli::tr("Device name exceeds maximum length!"));
    }
    const QString problem
        = CheckNetworkFields(address, mask, gatewayText, QString::number(options.port));
    if (!problem.isEmpty()) {
        return cliUsageError(problem);
    }
    QStringList addresses;
    QString error;
    if (!BatchAddresses(address, false, int(args.hosts.size()), &addresses, &error)) {
        return cliUsageError(error);
    }

    if (options.timeoutMs > 0) {
        SOLV_SetConnectTime(uint32_t(options.timeoutMs), 1);
        SOLV_SetRecvTimeOut(uint32_t(options.timeoutMs));
    }
    CDeviceStore store;
    QList<Target> targets;
    bool anyMac = false;
    for (const QString &host : args.hosts) {
        Target target;
        if (!makeTarget(host, options, &target, &error)) {
            return cliUsageError(error);
        }
        anyMac = anyMac || target.record.dwSource == 0;
        targets << target;
    }
    const QuarryUse quarry(anyMac);
    if (anyMac && !quarry.loaded()) {
        cliError(Cli::tr("Failed to load QUARRY library!"));
        return CliFailed;
    }
    QList<BatchMendItem> items;
    for (int i = 0; i < targets.size(); ++i) {
        bool changed = false;
        const int slot = store.AddOrUpdate(targets.at(i).record, &changed);
        if (slot < 0) {
            return cliUsageError(
                Cli::tr("\"%1\" names a device listed before").arg(targets.at(i).host));
        }
        items << BatchMendItem { slot, i, addresses.at(i) };
    }

    const DeviceContext context { &store, { options.userName, options.password }, {} };
    QList<Result> results(targets.size());
    for (int i = 0; i < targets.size(); ++i) {
        results[i].serial = QString::fromLatin1(targets.at(i).record.szSerialNo);
        results[i].host = targets.at(i).host;
    }
    auto print = [&](const QString &line) {
        if (!options.json) {
            cliPrint(line);
        }
    };

    if (!batch) {
        Result &r = results[0];
        r.ip = address;
        r.mask = mask;
        r.port = options.port;
        r.moved = SetDeviceIpPortMask(context, items[0].iDevIndex, address.toLatin1(), options.port,
            mask.toLatin1());
        print(IpPortMaskLogLine(r.serial, address, options.port, mask, r.moved));
        if (!name.isEmpty()) {
            r.name = name;
            r.named = SetDeviceName(context, items[0].iDevIndex, name.toLocal8Bit());
            print(NameLogLine(r.serial, name, r.named));
        }
        if (!gateway.isEmpty()) {
            r.gateway = gateway;
            r.gatewaySet
                = SetDeviceGateway(context, items[0].iDevIndex, gateway.toLatin1());
            print(GatewayLogLine(r.serial, gateway, r.gatewaySet));
        }
    } else {
        BatchMendThread worker;
        QEventLoop loop;
        QObject::connect(&worker, &BatchMendThread::FinishSetIpAddress, &loop,
            [&](int, int row, QString ip, unsigned short port, QString newMask, bool ok) {
                Result &r = results[row];
                r.ip = ip;
                r.port = port;
                r.mask = newMask;
                r.moved = ok;
                print(IpPortMaskLogLine(r.serial, ip, port, newMask, ok));
            });
        QObject::connect(&worker, &BatchMendThread::FinishSetGateway, &loop,
            [&](int, int row, QString value, bool ok) {
                results[row].gateway = value;
                results[row].gatewaySet = ok;
                print(GatewayLogLine(results[row].serial, value, ok));
            });
        QObject::connect(&worker, &BatchMendThread::FinishDeviceCount, &loop, [&](int count) {
            if (count == items.size()) {
                loop.quit();
            }
        });
        worker.SetParameters(context, items, options.port, mask, gateway);
        worker.start();
        loop.exec();
        worker.wait();
    }

    bool allDone = true;
    QJsonArray array;
    for (const Result &r : std::as_const(results)) {
        allDone = allDone && r.moved && (r.gateway.isEmpty() || r.gatewaySet)
            && (r.name.isEmpty() || r.named);
        array.append(toJson(r));
    }
    if (options.json) {
        cliPrintJson(array);
    }
    return allDone ? CliOk : CliFailed;
}

} // namespace

const CliCommand setNetworkCommand = { "set-network",
    QT_TRANSLATE_NOOP("Cli",
        "HOST --ip ADDRESS --mask MASK [--gateway ADDRESS] [--name TEXT] [--port N] | "
        "--start-ip ADDRESS --mask MASK [--gateway ADDRESS] [--port N] HOST..."),
    QT_TRANSLATE_NOOP("Cli",
        "changes the address, mask, SDK port (--port), gateway and name of a device, or moves "
        "several to consecutive addresses from --start-ip; HOST is ADDRESS[:PORT] (reached with "
        "--user/--password) or the MAC of an announced device"),
    "ip mask gateway name start-ip", runSetNetwork };
