// tervix-cli search: the IP-range search engine from the command line.
#include "cli_search.h"

#include "clitext.h"
#include "ipv4text.h"
#include "mirt.h"
#include "searchengine.h"
#include "solvane.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonObject>
#include <QMutex>

namespace {

// A range of a /16 is fed in about 11 minutes; anything larger is a typo
// rather than a search.
constexpr quint32 kMaxAddresses = 65536;

// Reports arrive on the engine's pool threads; lines are printed whole, one
// at a time, as they come.
struct SearchOutput
{
    bool json = false;
    QMutex lock;
    QJsonArray found;
    QJsonArray refused;

    static void callback(DEVICEINFO *record, int code, void *user)
    {
        auto *self = static_cast<SearchOutput *>(user);
        const QString ip = QString::fromLatin1(record->szIPAddress);
        QMutexLocker locker(&self->lock);
        if (code == CSearchEngine::DeviceFound) {
            const QString serial = QString::fromLatin1(record->szSerialNo);
            const QString model = QString::fromLatin1(record->szDevModel);
            const QString software = QString::fromLatin1(record->szSoftwareVersion);
            const QString mac = QString::fromLatin1(record->szMAC);
            const QString name = QString::fromLocal8Bit(record->szDevName);
            self->found.append(QJsonObject {
                { QStringLiteral("ipAddress"), ip },
                { QStringLiteral("port"), record->wPort },
                { QStringLiteral("serialNumber"), serial },
                { QStringLiteral("name"), name },
                { QStringLiteral("model"), model },
                { QStringLiteral("softwareVersion"), software },
                { QStringLiteral("dspVersion"), QString::fromLatin1(record->szDSPVersion) },
                { QStringLiteral("mac"), mac },
                { QStringLiteral("subnetMask"), QString::fromLatin1(record->szSubnetMask) },
                { QStringLiteral("gateway"), QString::fromLatin1(record->szGateway) },
                { QStringLiteral("channels"), qint64(record->dwChannelNum) },
                { QStringLiteral("disks"), qint64(record->dwDiskNum) },
            });
            if (!self->json) {
                cliPrint(QStringLiteral("found    %1  %2  %3  %4  %5  %6")
                             .arg(ip, cliSafeText(serial), cliSafeText(model),
                                 cliSafeText(software), cliSafeText(mac), cliSafeText(name)));
            }
        } else if (code == CSearchEngine::UserPasswordError) {
            self->refused.append(ip);
            if (!self->json) {
                cliPrint(Cli::tr("refused  %1  (user name or password error)").arg(ip));
            }
        }
    }
};

int runSearch(const QStringList &args, const CliOptions &options)
{
    if (args.size() != 2) {
        return cliUsageError(Cli::tr("search takes the first and the last address of the range"));
    }
    const std::optional<quint32> firstAddress = Ipv4Text::parse(args[0], Ipv4Text::HostAddress);
    const std::optional<quint32> lastAddress = Ipv4Text::parse(args[1], Ipv4Text::HostAddress);
    if (!firstAddress || !lastAddress) {
        return cliUsageError(Cli::tr("\"%1\" is not an IPv4 address such as 127.0.1.7")
                                 .arg(firstAddress ? args[1] : args[0]));
    }
    const quint32 first = *firstAddress;
    const quint32 last = *lastAddress;
    if (last < first) {
        return cliUsageError(
            Cli::tr("the last address %1 lies below the first %2").arg(args[1], args[0]));
    }
    if (last - first >= kMaxAddresses) {
        return cliUsageError(Cli::tr("a search covers at most %1 addresses").arg(kMaxAddresses));
    }
    cliApplyTimeout(options);

    MIRT_Init();
    SearchOutput output;
    output.json = options.json;
    QElapsedTimer clock;
    clock.start();
    CSearchEngine engine;
    if (!engine.Start(first, last, options.port, options.userName.constData(),
            options.password.constData(), &SearchOutput::callback, &output)) {
        cliError(Cli::tr("the search could not be started: the system gave it no thread"));
        MIRT_Fini();
        return CliFailed;
    }
    // The search ends by itself; each address costs at most a connect
    // time-out, so the wait is bounded.
    while (!engine.WaitFinished(1000)) {
    }
    engine.Stop();
    const double seconds = double(clock.elapsed()) / 1000.0;
    MIRT_Fini();

    const quint32 total = engine.Total();
    if (options.json) {
        cliPrintJson(QJsonObject {
            { QStringLiteral("addresses"), qint64(total) },
            { QStringLiteral("seconds"), seconds },
            { QStringLiteral("found"), output.found },
            { QStringLiteral("refused"), output.refused },
        });
    } else {
        cliPrint(Cli::tr("%1 addresses searched in %2 s: %3 devices found, %4 refused the user "
                         "name or password")
                     .arg(total)
                     .arg(seconds, 0, 'f', 2)
                     .arg(output.found.size())
                     .arg(output.refused.size()));
    }
    return CliOk;
}

} // namespace

const CliCommand searchCommand = { "search", QT_TRANSLATE_NOOP("Cli", "FIRST LAST"),
    QT_TRANSLATE_NOOP("Cli",
        "logs in to every address from FIRST to LAST and lists the devices "
        "found and the addresses that refuse the user name or password"),
    {}, LoginOptions, runSearch };
