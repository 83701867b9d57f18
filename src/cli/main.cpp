// tervix-cli: the device SDK from the command line, for scripts and diagnostics.
#include "cli_discovery.h"
#include "cli_focus.h"
#include "cli_network.h"
#include "cli_search.h"
#include "cli_snapshot.h"
#include "cli_stream.h"
#include "cli_upgrade.h"
#include "cli_templet.h"
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
    &upgradeCommand,
    &templetCommand,
    &streamCommand,
    &focusCommand,
    &snapshotCommand,
};

QString usageLine(const CliCommand &command)
{
    return QStringLiteral("tervix-cli %1 %2")
        .arg(QLatin1String(command.name), Cli::tr(command.usage));
}

QStringList helpLines()
{
    QStringList lines { Cli::tr("usage: tervix-cli COMMAND ARGUMENTS [OPTIONS]"),
        Cli::tr("       tervix-cli COMMAND --help | help [COMMAND] | --version"), QString(),
        Cli::tr("Commands:") };
    for (const CliCommand *command : kCommands) {
        lines << QStringLiteral("  %1").arg(usageLine(*command));
        lines << QStringLiteral("      %1").arg(Cli::tr(command->summary));
    }
    lines << QString()
          << Cli::tr("The commands that reach devices take --port N --user NAME --password TEXT "
                     "(or --password-stdin, or TERVIX_PASSWORD in the environment) --timeout MS; "
                     "every command takes --json. \"tervix-cli COMMAND --help\" lists a "
                     "command's options.")
          << Cli::tr("Defaults: --port 8000 --user admin --password 60917. Exit status: 0 done, "
                     "1 the device or the SDK failed, 2 wrong command line.");
    return lines;
}

QString optionLine(const CliOptionSpec &spec)
{
    QString flag = QStringLiteral("--") + QLatin1String(spec.name);
    if (spec.valueName != nullptr) {
        flag += QLatin1Char(' ') + QLatin1String(spec.valueName);
    }
    return QStringLiteral("  %1  %2").arg(flag.leftJustified(20), Cli::tr(spec.description));
}

void printCommandHelp(const CliCommand &command)
{
    cliPrint(Cli::tr("usage: %1").arg(usageLine(command)));
    cliPrint(QStringLiteral("    %1").arg(Cli::tr(command.summary)));
    cliPrint(QString());
    cliPrint(Cli::tr("Options:"));
    for (const CliOptionSpec &spec : command.options) {
        cliPrint(optionLine(spec));
    }
    for (const CliOptionSpec &spec : sharedOptionSpecs(command.shared)) {
        cliPrint(optionLine(spec));
    }
    cliPrint(optionLine({ "help", nullptr, QT_TRANSLATE_NOOP("Cli", "show this and stop") }));
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

// Whether some command takes the option `name`: it is then misplaced, not misspelt.
bool anyCommandTakes(const QString &name)
{
    for (const CliCommand *command : kCommands) {
        for (const CliOptionSpec &spec : command->options) {
            if (name == QLatin1String(spec.name)) {
                return true;
            }
        }
        for (const CliOptionSpec &spec : sharedOptionSpecs(command->shared)) {
            if (name == QLatin1String(spec.name)) {
                return true;
            }
        }
    }
    return false;
}

int dispatch(const QStringList &args)
{
    if (args.isEmpty()) {
        for (const QString &line : helpLines()) {
            cliPrintUsage(line);
        }
        return CliUsage;
    }
    const QString &first = args.first();
    if (first == QLatin1String("--version")) {
        cliPrint(QStringLiteral("%1 %2").arg(
            QCoreApplication::applicationName(), QCoreApplication::applicationVersion()));
        return CliOk;
    }
    if (first == QLatin1String("help") || first == QLatin1String("--help")
        || first == QLatin1String("-h")) {
        const CliCommand *command = args.size() > 1 ? findCommand(args.at(1)) : nullptr;
        if (command != nullptr) {
            printCommandHelp(*command);
        } else {
            for (const QString &line : helpLines()) {
                cliPrint(line);
            }
        }
        return CliOk;
    }
    const CliCommand *command = findCommand(first);
    if (command == nullptr) {
        cliError(
            Cli::tr("unknown command \"%1\"; \"tervix-cli help\" lists the commands").arg(first));
        return CliUsage;
    }
    const ParsedCommandLine parsed
        = parseCommandLine(command->options, command->shared, args.mid(1));
    if (!parsed.unknownOptions.isEmpty()) {
        const QString name = parsed.unknownOptions.first();
        const QString written
            = (name.size() > 1 ? QStringLiteral("--") : QStringLiteral("-")) + name;
        cliError(anyCommandTakes(name)
                ? Cli::tr("%1 does not take the option %2").arg(first, written)
                : Cli::tr("unknown option %1").arg(written));
        cliError(Cli::tr("usage: %1").arg(usageLine(*command)));
        return CliUsage;
    }
    if (!parsed.error.isEmpty()) {
        cliError(parsed.error);
        cliError(Cli::tr("usage: %1").arg(usageLine(*command)));
        return CliUsage;
    }
    if (parsed.help) {
        printCommandHelp(*command);
        return CliOk;
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
    QCoreApplication::setApplicationVersion(QStringLiteral(TERVIX_VERSION));
    return dispatch(QCoreApplication::arguments().mid(1));
}
