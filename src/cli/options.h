#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QMap>
#include <QString>
#include <QStringList>

#include <span>

// Translation context of the command line's texts: Cli::tr("...").
class Cli
{
    Q_DECLARE_TR_FUNCTIONS(Cli)
};

// An option of the command line. The description is English, wrapped in
// QT_TRANSLATE_NOOP("Cli", ...), and translated when shown.
struct CliOptionSpec
{
    const char *name; // "seconds", written --seconds
    const char *valueName; // "N"; null for a switch
    const char *description;
};

// Groups of the options several commands share; a command names the ones it reads.
enum CliSharedOptions : unsigned {
    NoSharedOptions = 0,
    PortOption = 1, // --port: the device's SDK port, where it is logged in
    UserOption = 2, // --user
    PasswordOptions = 4, // --password, --password-stdin, TERVIX_PASSWORD
    TimeoutOption = 8, // --timeout
    LoginOptions = PortOption | UserOption | PasswordOptions | TimeoutOption,
};

// The shared options' values and the command's own options that were given.
struct CliOptions
{
    quint16 port = 8000;
    QByteArray userName = "admin";
    QByteArray password = "60917";
    bool json = false;
    int timeoutMs = 0; // 0: the SDK's own time-outs
    QMap<QString, QString> values; // the command's own options, by name

    bool has(const QString &name) const { return values.contains(name); }
    QString value(const QString &name) const { return values.value(name); }
};

struct ParsedCommandLine
{
    QStringList arguments;
    CliOptions options;
    bool help = false;
    QString error; // set when the command line could not be understood
    QStringList unknownOptions; // names the command does not take, as written
};

// The shared options of `shared`, in the order the help lists them.
QList<CliOptionSpec> sharedOptionSpecs(unsigned shared);

// Parses a command's arguments (after its name) with its own options and
// the shared groups it reads; --json and --help go with every command.
// Options may stand anywhere; "--" ends them. With --password-stdin the
// password is the first line of standard input.
ParsedCommandLine parseCommandLine(
    std::span<const CliOptionSpec> own, unsigned shared, const QStringList &arguments);
