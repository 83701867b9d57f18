#include "options.h"

#include "clitext.h"

#include <QCommandLineParser>

#include <iostream>
#include <string>

namespace {

const CliOptionSpec PortSpec { "port", "N",
    QT_TRANSLATE_NOOP("Cli", "the device's SDK port, where it is logged in (8000)") };
const CliOptionSpec UserSpec { "user", "NAME", QT_TRANSLATE_NOOP("Cli", "user name (admin)") };
const CliOptionSpec PasswordSpec { "password", "TEXT",
    QT_TRANSLATE_NOOP("Cli",
        "password (60917, or TERVIX_PASSWORD when set); visible to other users of the machine") };
const CliOptionSpec PasswordStdinSpec { "password-stdin", nullptr,
    QT_TRANSLATE_NOOP("Cli", "read the password from the first line of standard input") };
const CliOptionSpec TimeoutSpec { "timeout", "MS",
    QT_TRANSLATE_NOOP("Cli", "connect and receive time-out in milliseconds (the SDK's own)") };
const CliOptionSpec JsonSpec { "json", nullptr,
    QT_TRANSLATE_NOOP("Cli", "print the result as JSON on standard output") };

QCommandLineOption toOption(const CliOptionSpec &spec)
{
    const QString name = QLatin1String(spec.name);
    return spec.valueName != nullptr
        ? QCommandLineOption(name, Cli::tr(spec.description), QLatin1String(spec.valueName))
        : QCommandLineOption(name, Cli::tr(spec.description));
}

QByteArray passwordFromStdin()
{
    std::string line;
    std::getline(std::cin, line);
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return QByteArray::fromStdString(line);
}

// The shared options' values; an error text when one is wrong.
QString readShared(const QCommandLineParser &parser, unsigned shared, CliOptions *options)
{
    const QString port = QStringLiteral("port");
    if ((shared & PortOption) && parser.isSet(port)) {
        const quint64 value = cliDecimal(parser.value(port), 65535).value_or(0);
        if (value == 0) {
            return Cli::tr("--port takes a number from 1 to 65535, not \"%1\"")
                .arg(parser.value(port));
        }
        options->port = quint16(value);
    }
    const QString user = QStringLiteral("user");
    if ((shared & UserOption) && parser.isSet(user)) {
        options->userName = parser.value(user).toLocal8Bit();
    }
    if (shared & PasswordOptions) {
        const QString password = QStringLiteral("password");
        const bool fromStdin = parser.isSet(QStringLiteral("password-stdin"));
        if (parser.isSet(password) && fromStdin) {
            return Cli::tr("give the password with --password or --password-stdin, not both");
        }
        if (parser.isSet(password)) {
            options->password = parser.value(password).toLocal8Bit();
        } else if (fromStdin) {
            options->password = passwordFromStdin();
        } else if (qEnvironmentVariableIsSet("TERVIX_PASSWORD")) {
            options->password = qgetenv("TERVIX_PASSWORD");
        }
    }
    const QString timeout = QStringLiteral("timeout");
    if ((shared & TimeoutOption) && parser.isSet(timeout)) {
        const quint64 value = cliDecimal(parser.value(timeout), 600000).value_or(0);
        if (value == 0) {
            return Cli::tr("--timeout takes milliseconds from 1 to 600000, not \"%1\"")
                .arg(parser.value(timeout));
        }
        options->timeoutMs = int(value);
    }
    options->json = parser.isSet(QStringLiteral("json"));
    return QString();
}

} // namespace

QList<CliOptionSpec> sharedOptionSpecs(unsigned shared)
{
    QList<CliOptionSpec> specs;
    if (shared & PortOption) {
        specs << PortSpec;
    }
    if (shared & UserOption) {
        specs << UserSpec;
    }
    if (shared & PasswordOptions) {
        specs << PasswordSpec << PasswordStdinSpec;
    }
    if (shared & TimeoutOption) {
        specs << TimeoutSpec;
    }
    specs << JsonSpec;
    return specs;
}

ParsedCommandLine parseCommandLine(
    std::span<const CliOptionSpec> own, unsigned shared, const QStringList &arguments)
{
    ParsedCommandLine parsed;
    QCommandLineParser parser;
    const QCommandLineOption help({ QStringLiteral("h"), QStringLiteral("help") },
        Cli::tr("show the command's usage and options"));
    parser.addOption(help);
    for (const CliOptionSpec &spec : sharedOptionSpecs(shared)) {
        parser.addOption(toOption(spec));
    }
    for (const CliOptionSpec &spec : own) {
        parser.addOption(toOption(spec));
    }
    // The parser skips the first element as the program's name.
    if (!parser.parse(QStringList { QCoreApplication::applicationName() } + arguments)) {
        parsed.unknownOptions = parser.unknownOptionNames();
        parsed.error = parser.errorText();
        return parsed;
    }
    parsed.help = parser.isSet(help);
    if (parsed.help) {
        return parsed;
    }
    parsed.error = readShared(parser, shared, &parsed.options);
    for (const CliOptionSpec &spec : own) {
        const QString name = QLatin1String(spec.name);
        if (parser.isSet(name)) {
            parsed.options.values.insert(
                name, spec.valueName != nullptr ? parser.value(name) : QString());
        }
    }
    parsed.arguments = parser.positionalArguments();
    return parsed;
}
