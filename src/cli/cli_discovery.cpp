// tervix-cli discover / readdress: the discovery library from the command line.
#include "cli_discovery.h"

#include "clitext.h"
#include "deviceformat.h"
#include "mendrules.h"
#include "quarryuse.h"
#include "searchadapter.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QMap>
#include <QMutex>
#include <QThread>

namespace {

struct Announced
{
    QString serial, mac, ip, mask, model, software, dsp, startTime;
    quint16 port = 0;
    quint32 channels = 0, disks = 0;
};

QMutex g_lock;
QMap<QString, Announced> g_devices; // by serial, in serial order

QString text(const char *value)
{
    return value != nullptr ? QString::fromLocal8Bit(value) : QStringLiteral("(null)");
}

void collect(const char *, const char *serial, const char *mac, const char *ip, const char *mask,
    uint32_t type, uint16_t port, uint32_t channels, uint32_t disks, const char *software,
    const char *dsp, const char *startTime, int32_t event)
{
    QMutexLocker locker(&g_lock);
    const QString key = text(serial);
    if (event == QUARRY_EVENT_GONE) {
        g_devices.remove(key);
        return;
    }
    if (event != QUARRY_EVENT_PRESENT && event != QUARRY_EVENT_CHANGED) {
        return;
    }
    g_devices.insert(key,
        Announced { key, text(mac), text(ip), text(mask),
            QString::fromLatin1(QuarryModelName(type)), text(software), text(dsp), text(startTime),
            port, channels, disks });
}

void printTable(const QList<Announced> &devices)
{
    const QStringList headers
        = { Cli::tr("Serial"), Cli::tr("IP"), Cli::tr("Port"), Cli::tr("Mask"), Cli::tr("MAC"),
              Cli::tr("Model"), Cli::tr("Channels"), Cli::tr("Software"), Cli::tr("Start time") };
    QList<QStringList> rows;
    // Every text is what some datagram said: none may move the cursor or start a row.
    for (const Announced &d : devices) {
        rows << QStringList { cliSafeText(d.serial), cliSafeText(d.ip), QString::number(d.port),
            cliSafeText(d.mask), cliSafeText(d.mac), cliSafeText(d.model),
            QString::number(d.channels), cliSafeText(d.software), cliSafeText(d.startTime) };
    }
    QList<qsizetype> widths;
    for (const QString &header : headers) {
        widths << header.size();
    }
    for (const QStringList &row : std::as_const(rows)) {
        for (int i = 0; i < row.size(); ++i) {
            widths[i] = std::max(widths[i], row.at(i).size());
        }
    }
    auto line = [&](const QStringList &cells) {
        QString out;
        for (int i = 0; i < cells.size(); ++i) {
            out += i + 1 < cells.size() ? cells.at(i).leftJustified(widths[i] + 2) : cells.at(i);
        }
        cliPrint(out);
    };
    line(headers);
    for (const QStringList &row : std::as_const(rows)) {
        line(row);
    }
    cliPrint(Cli::tr("%n device(s)", nullptr, int(devices.size())));
}

int runDiscover(const QStringList &args, const CliOptions &options)
{
    qint64 seconds = 0;
    if (!cliNumberOption(options, QStringLiteral("seconds"), 3, 1, 3600, &seconds)) {
        return CliUsage;
    }
    if (!args.isEmpty()) {
        return cliUsageError(Cli::tr("discover takes no arguments"));
    }
    const QuarryUse library;
    if (!library.loaded()) {
        cliError(Cli::tr("Failed to load QUARRY library!"));
        return CliFailed;
    }
    if (Quarry_Start(collect) != 1) {
        cliError(Cli::tr("cannot listen for announcements (is the discovery port free?)"));
        return CliFailed;
    }
    QThread::sleep(static_cast<unsigned long>(seconds));
    Quarry_Stop();

    QList<Announced> devices;
    {
        QMutexLocker locker(&g_lock);
        devices = g_devices.values();
    }
    if (options.json) {
        QJsonArray array;
        for (const Announced &d : std::as_const(devices)) {
            array.append(QJsonObject { { QStringLiteral("serialNumber"), d.serial },
                { QStringLiteral("ipAddress"), d.ip }, { QStringLiteral("port"), d.port },
                { QStringLiteral("subnetMask"), d.mask }, { QStringLiteral("mac"), d.mac },
                { QStringLiteral("model"), d.model },
                { QStringLiteral("channels"), qint64(d.channels) },
                { QStringLiteral("disks"), qint64(d.disks) },
                { QStringLiteral("softwareVersion"), d.software },
                { QStringLiteral("dspVersion"), d.dsp },
                { QStringLiteral("startTime"), d.startTime } });
        }
        cliPrintJson(array);
    } else {
        printTable(devices);
    }
    return CliOk;
}

QString resultText(int32_t result)
{
    switch (result) {
    case QUARRY_UPDATE_NO_ANSWER:
        return Cli::tr("no device with that MAC answered");
    case QUARRY_UPDATE_BAD_ARGUMENT:
        return Cli::tr("the discovery protocol cannot carry that address or mask (it takes a "
                       "unicast address and a mask other than 255.255.255.255)");
    case QUARRY_UPDATE_WRONG_PASSWORD:
        return Cli::tr("the device refused the password");
    case QUARRY_UPDATE_REFUSED:
        return Cli::tr("the device cannot take that address or port");
    default:
        return Cli::tr("network error (%1)").arg(result);
    }
}

int runReaddress(const QStringList &args, const CliOptions &options)
{
    if (args.size() != 1) {
        return cliUsageError(Cli::tr("readdress takes the MAC of one device"));
    }
    const QString &mac = args.first();
    if (parseMac(mac).isEmpty()) {
        return cliUsageError(Cli::tr("\"%1\" is not a MAC such as 02:54:56:00:00:01").arg(mac));
    }
    if (!options.has(QStringLiteral("ip")) || !options.has(QStringLiteral("mask"))) {
        return cliUsageError(Cli::tr("readdress needs --ip and --mask"));
    }
    // The port goes with every re-address; without a new one it is the
    // device's present port, so the device stays where it is reached.
    const std::optional<QString> newPort = options.has(QStringLiteral("new-port"))
        ? std::optional(options.value(QStringLiteral("new-port")))
        : std::nullopt;
    if (newPort && !cliDecimal(*newPort, 65535)) {
        return cliUsageError(Cli::tr("Port should be ranged from 2000 to 65535!"));
    }
    const QString problem = NetworkMend::CheckNetworkFields(options.value(QStringLiteral("ip")),
        options.value(QStringLiteral("mask")), QString(), newPort);
    if (!problem.isEmpty()) {
        return cliUsageError(problem);
    }
    const QString ip = NetworkMend::CanonicalAddress(options.value(QStringLiteral("ip")));
    const QString mask = NetworkMend::CanonicalAddress(options.value(QStringLiteral("mask")));
    const quint16 port = newPort ? quint16(newPort->toUInt()) : options.port;
    const QuarryUse library;
    if (!library.loaded()) {
        cliError(Cli::tr("Failed to load QUARRY library!"));
        return CliFailed;
    }
    const QByteArray macText = mac.toLatin1();
    const QByteArray ipText = ip.toLatin1();
    const QByteArray maskText = mask.toLatin1();
    const QByteArray portText = QByteArray::number(port);
    const int32_t result = Quarry_SendUpdateIp(macText.constData(), ipText.constData(),
        maskText.constData(), options.password.constData(), portText.constData());
    if (result == QUARRY_UPDATE_BAD_ARGUMENT) {
        // Nothing was sent.
        return cliUsageError(resultText(result));
    }
    const bool done = result == QUARRY_UPDATE_DONE;
    if (!done) {
        cliError(Cli::tr("readdress %1 failed: %2").arg(mac, resultText(result)));
    }
    cliPrintFields(options,
        { { QStringLiteral("ok"), done }, { QStringLiteral("mac"), mac },
            { QStringLiteral("ipAddress"), ip }, { QStringLiteral("subnetMask"), mask },
            { QStringLiteral("port"), port }, { QStringLiteral("result"), result } });
    return done ? CliOk : CliFailed;
}

const CliOptionSpec discoverOptions[] = {
    { "seconds", "N", QT_TRANSLATE_NOOP("Cli", "how long to listen (3)") },
};
const CliOptionSpec readdressOptions[] = {
    { "ip", "ADDRESS", QT_TRANSLATE_NOOP("Cli", "the new address") },
    { "mask", "MASK", QT_TRANSLATE_NOOP("Cli", "the new subnet mask") },
    { "new-port", "N",
        QT_TRANSLATE_NOOP(
            "Cli", "the new SDK port, 2000 to 65535 (without it the device keeps --port)") },
};

} // namespace

const CliCommand discoverCommand = { "discover", QT_TRANSLATE_NOOP("Cli", "[--seconds N]"),
    QT_TRANSLATE_NOOP("Cli", "lists the devices that announce themselves within N seconds"),
    discoverOptions, NoSharedOptions, runDiscover };

const CliCommand readdressCommand
    = { "readdress", QT_TRANSLATE_NOOP("Cli", "MAC --ip ADDRESS --mask MASK [--new-port N]"),
          QT_TRANSLATE_NOOP("Cli",
              "moves a device to a new address (and SDK port) by its MAC, proving the password"),
          readdressOptions, PortOption | PasswordOptions, runReaddress };
