// tervix-cli discover / readdress: the discovery library from the command line.
#include "cli_discovery.h"

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
    for (const Announced &d : devices) {
        rows << QStringList { d.serial, d.ip, QString::number(d.port), d.mask, d.mac, d.model,
            QString::number(d.channels), d.software, d.startTime };
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
    QStringList rest = args;
    bool ok = true;
    qint64 seconds = options.extraNumber(QStringLiteral("seconds"), 3, 1, 3600, &ok);
    // "--seconds N" leaves N among the arguments.
    if (options.extra.contains(QStringLiteral("seconds"))
        && options.extra.value(QStringLiteral("seconds")).isEmpty() && rest.size() == 1) {
        seconds = rest.takeFirst().toLongLong(&ok);
        ok = ok && seconds >= 1 && seconds <= 3600;
    }
    if (!ok) {
        return cliUsageError(Cli::tr("--seconds takes a number from 1 to 3600"));
    }
    if (!rest.isEmpty()) {
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
            array.append(QJsonObject { { QStringLiteral("serial"), d.serial },
                { QStringLiteral("ip"), d.ip }, { QStringLiteral("port"), d.port },
                { QStringLiteral("mask"), d.mask }, { QStringLiteral("mac"), d.mac },
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

bool isDotted(const QString &text)
{
    return isIpv4Address(text);
}

bool isMask(const QString &text)
{
    if (!isDotted(text)) {
        return false;
    }
    quint32 value = 0;
    for (const QString &part : text.split(QLatin1Char('.'))) {
        value = (value << 8) | part.toUInt();
    }
    const quint32 inverted = ~value;
    return value != 0 && value != 0xffffffffu && (inverted & (inverted + 1)) == 0;
}

QString resultText(int32_t result)
{
    switch (result) {
    case QUARRY_UPDATE_NO_ANSWER:
        return Cli::tr("no device with that MAC answered");
    case QUARRY_UPDATE_BAD_ARGUMENT:
        return Cli::tr("the discovery library refused the arguments");
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
    if (args.isEmpty()) {
        return cliUsageError(Cli::tr("readdress needs the MAC of the device"));
    }
    const QString mac = args.first();
    QStringList rest = args.mid(1);
    QString ip = options.extra.value(QStringLiteral("ip"));
    QString mask = options.extra.value(QStringLiteral("mask"));
    // "--ip A --mask B" leaves A and B among the arguments, in an order the
    // parser does not keep; a mask is told from an address by its form.
    if (ip.isEmpty() && mask.isEmpty() && rest.size() == 2 && isMask(rest[0]) != isMask(rest[1])) {
        const bool firstIsMask = isMask(rest[0]);
        mask = rest.takeAt(firstIsMask ? 0 : 1);
        ip = rest.takeFirst();
    } else if (ip.isEmpty() != mask.isEmpty() && rest.size() == 1) {
        (ip.isEmpty() ? ip : mask) = rest.takeFirst();
    }
    if (!rest.isEmpty()) {
        return cliUsageError(Cli::tr("unexpected argument \"%1\"").arg(rest.first()));
    }
    if (!isDotted(ip)) {
        return cliUsageError(Cli::tr("--ip takes a dotted IPv4 address, not \"%1\"").arg(ip));
    }
    if (!isMask(mask)) {
        return cliUsageError(
            Cli::tr("--mask takes a subnet mask such as 255.255.255.0, not \"%1\"").arg(mask));
    }
    const QuarryUse library;
    if (!library.loaded()) {
        cliError(Cli::tr("Failed to load QUARRY library!"));
        return CliFailed;
    }
    const QByteArray macText = mac.toLatin1();
    const QByteArray ipText = ip.toLatin1();
    const QByteArray maskText = mask.toLatin1();
    const QByteArray portText = QByteArray::number(options.port);
    const int32_t result = Quarry_SendUpdateIp(macText.constData(), ipText.constData(),
        maskText.constData(), options.password.constData(), portText.constData());
    if (result == QUARRY_UPDATE_BAD_ARGUMENT) {
        return cliUsageError(Cli::tr("\"%1\" is not a MAC such as 02:54:56:00:00:01").arg(mac));
    }
    const bool done = result == QUARRY_UPDATE_DONE;
    if (!done) {
        cliError(Cli::tr("readdress %1 failed: %2").arg(mac, resultText(result)));
    }
    cliPrintFields(options,
        { { QStringLiteral("ok"), done }, { QStringLiteral("mac"), mac },
            { QStringLiteral("ip"), ip }, { QStringLiteral("mask"), mask },
            { QStringLiteral("port"), options.port }, { QStringLiteral("result"), result } });
    return done ? CliOk : CliFailed;
}

} // namespace

const CliCommand discoverCommand = { "discover", QT_TRANSLATE_NOOP("Cli", "[--seconds N]"),
    QT_TRANSLATE_NOOP("Cli", "lists the devices that announce themselves within N seconds (3)"),
    "seconds", runDiscover };

const CliCommand readdressCommand
    = { "readdress", QT_TRANSLATE_NOOP("Cli", "MAC --ip ADDRESS --mask MASK [--port N]"),
          QT_TRANSLATE_NOOP("Cli",
              "moves a device to a new address and SDK port by its MAC, proving "
              "the password"),
          "ip mask", runReaddress };
