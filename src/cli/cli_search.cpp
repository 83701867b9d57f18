// tervix-cli search: the IP-range search engine from the command line.
#include "cli_search.h"

#include "mirt.h"
#include "searchengine.h"
#include "solvane.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonObject>
#include <QMutex>
#include <QThread>

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
            const QJsonObject device {
                { QStringLiteral("ip"), ip },
                { QStringLiteral("port"), record->wPort },
                { QStringLiteral("serial"), QString::fromLatin1(record->szSerialNo) },
                { QStringLiteral("name"), QString::fromLocal8Bit(record->szDevName) },
                { QStringLiteral("model"), QString::fromLatin1(record->szDevModel) },
                { QStringLiteral("software"), QString::fromLatin1(record->szSoftwareVersion) },
                { QStringLiteral("dsp"), QString::fromLatin1(record->szDSPVersion) },
                { QStringLiteral("mac"), QString::fromLatin1(record->szMAC) },
                { QStringLiteral("mask"), QString::fromLatin1(record->szSubnetMask) },
                { QStringLiteral("gateway"), QString::fromLatin1(record->szGateway) },
                { QStringLiteral("channels"), qint64(record->dwChannelNum) },
            };
            self->found.append(device);
            if (!self->json) {
                cliPrint(QStringLiteral("found    %1  %2  %3  %4  %5  %6")
                             .arg(ip, device[QStringLiteral("serial")].toString(),
                                 device[QStringLiteral("model")].toString(),
                                 device[QStringLiteral("software")].toString(),
                                 device[QStringLiteral("mac")].toString(),
                                 device[QStringLiteral("name")].toString()));
            }
        } else if (code == CSearchEngine::UserPasswordError) {
            self->refused.append(ip);
            if (!self->json) {
                cliPrint(Cli::tr("refused  %1  (user name or password error)").arg(ip));
            }
        }
    }
};

bool parseAddress(const QString &text, quint32 *address)
{
    if (!isIpv4Address(text)) {
        return false;
    }
    *address = 0;
    for (const QString &part : text.split(QLatin1Char('.'))) {
        *address = (*address << 8) | part.toUInt();
    }
    return true;
}

int runSearch(const QStringList &args, const CliOptions &options)
{
    if (args.size() != 2) {
        return cliUsageError(Cli::tr("search takes the first and the last address of the range"));
    }
    quint32 first = 0;
    quint32 last = 0;
    if (!parseAddress(args[0], &first) || !parseAddress(args[1], &last)) {
        return cliUsageError(
            Cli::tr("\"%1\" or \"%2\" is not an IPv4 address").arg(args[0], args[1]));
    }
    if (last < first) {
        return cliUsageError(
            Cli::tr("the last address %1 lies below the first %2").arg(args[1], args[0]));
    }
    if (last - first >= kMaxAddresses) {
        return cliUsageError(Cli::tr("a search covers at most %1 addresses").arg(kMaxAddresses));
    }
    if (options.timeoutMs > 0) {
        SOLV_SetConnectTime(uint32_t(options.timeoutMs), 1);
        SOLV_SetRecvTimeOut(uint32_t(options.timeoutMs));
    }

    MIRT_Init();
    SearchOutput output;
    output.json = options.json;
    QElapsedTimer clock;
    clock.start();
    CSearchEngine engine;
    if (!engine.Start(first, last, options.port, options.userName.constData(),
            options.password.constData(), &SearchOutput::callback, &output)) {
        cliError(Cli::tr("the search could not be started"));
        MIRT_Fini();
        return CliFailed;
    }
    while (engine.Progress() < 100) {
        QThread::msleep(20);
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
    "", runSearch };
