// tervix-cli: the device SDK from the command line, for scripts and diagnostics.
#include "cli_discovery.h"
#include "cli_network.h"
#include "cli_search.h"
#include "commands.h"
#include "devicecommands.h"

#include "solvane.h"

#include <QCoreApplication>

#include <span>

namespace {

// Every command, in the order the help lists them. A command file defines its
// `const CliCommand` (declared in its header) and adds one line here.
const CliCommand *const kCommands[] = {
    &infoCommand,
    &getCommand,
    &setCommand,
    &rebootCommand,
    &restoreCommand,
    &abilityCommand,
    &ptzProtocolsCommand,
    &discoverCommand,
    &readdressCommand,
    &searchCommand,
    &setNetworkCommand,
};

QString usageLine(const CliCommand &command)
{
    return QStringLiteral("tervix-cli %1 %2")
        .arg(QLatin1String(command.name), Cli::tr(command.usage));
}

void printHelp()
{
    cliPrint(Cli::tr("usage: tervix-cli COMMAND ARGUMENTS [--port N] [--user NAME] "
                     "[--password TEXT] [--timeout MS] [--json]"));
    cliPrint(QString());
    cliPrint(Cli::tr("Commands:"));
    for (const CliCommand *command : kCommands) {
        cliPrint(QStringLiteral("  %1").arg(usageLine(*command)));
        cliPrint(QStringLiteral("      %1").arg(Cli::tr(command->summary)));
    }
    cliPrint(QString());
    cliPrint(Cli::tr("Defaults: --port 8000 --user admin --password 60917. Exit status: 0 done, "
                     "1 the device or the SDK failed, 2 wrong command line."));
}

const CliCommand *findCommand(const QString &name)
{
    for (const CliCommand *command : kCommands) {
        if (name == QLatin1String(command->name)) {
            return command;
        }
    }
    return nullptr;
}

int dispatch(const QStringList &args)
{
    const ParsedCommandLine parsed = parseCommandLine(args);
    if (!parsed.error.isEmpty()) {
        cliError(parsed.error);
        return CliUsage;
    }
    if (parsed.command.isEmpty() || parsed.command == QLatin1String("help")) {
        if (parsed.command.isEmpty() && !parsed.options.help) {
            printHelp();
            return CliUsage;
        }
        printHelp();
        return CliOk;
    }
    const CliCommand *command = findCommand(parsed.command);
    if (!command) {
        cliError(Cli::tr("unknown command \"%1\"; \"tervix-cli help\" lists the commands")
                     .arg(parsed.command));
        return CliUsage;
    }
    if (parsed.options.help) {
        cliPrint(usageLine(*command));
        cliPrint(QStringLiteral("    %1").arg(Cli::tr(command->summary)));
        return CliOk;
    }
    const QStringList accepted
        = QString::fromLatin1(command->options).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (auto it = parsed.options.extra.cbegin(); it != parsed.options.extra.cend(); ++it) {
        if (!accepted.contains(it.key())) {
            cliError(Cli::tr("%1 does not take the option --%2").arg(parsed.command, it.key()));
            cliError(Cli::tr("usage: %1").arg(usageLine(*command)));
            return CliUsage;
        }
    }

    SOLV_Init();
    const int exitCode = command->run(parsed.arguments, parsed.options);
    SOLV_Cleanup();
    if (exitCode == CliUsage) {
        cliError(Cli::tr("usage: %1").arg(usageLine(*command)));
    }
    return exitCode;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tervix-cli"));
    return dispatch(QCoreApplication::arguments().mid(1));
}
