#pragma once

#include "options.h"

#include <QJsonValue>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <memory>
#include <span>

class SdkLogin;

// Exit status of every command.
enum CliExit {
    CliOk = 0,
    CliFailed = 1, // the device or the SDK failed; the message names the SDK error
    CliUsage = 2, // the command line was wrong; nothing was sent to any device
};

// One command of tervix-cli. The texts are English and wrapped in
// QT_TRANSLATE_NOOP("Cli", ...); the dispatcher translates them when shown.
// A command file defines one `const CliCommand` per command and main.cpp lists it.
struct CliCommand
{
    const char *name; // "info"
    const char *usage; // what follows the name: "HOST RECORD FIELD=VALUE..."
    const char *summary; // one line for the help
    std::span<const CliOptionSpec> options; // its own options
    unsigned shared; // the CliSharedOptions it reads
    // Returns a CliExit. On CliUsage the command has printed what was wrong;
    // the dispatcher adds the usage line.
    int (*run)(const QStringList &args, const CliOptions &options);
};

// Output shared by the commands. Results go to standard output, messages to
// standard error, prefixed "tervix-cli: ".
void cliPrint(const QString &text);
void cliError(const QString &message);
void cliPrintJson(const QJsonValue &value);
// A line of the usage shown for a wrong command line: standard error, no prefix.
void cliPrintUsage(const QString &text);

// Prints key/value pairs: aligned "key: value" lines, or one JSON object.
void cliPrintFields(const CliOptions &options, const QList<QPair<QString, QJsonValue>> &fields);

// Reports a failed SDK operation ("what: reason (SDK error N)"; with --json
// also {"ok": false, "error": N, "message": ...} on standard output) and
// returns CliFailed.
int cliSdkFailure(const CliOptions &options, const QString &what, quint32 code);

// Reports a bad command line and returns CliUsage.
int cliUsageError(const QString &message);

// The value of the command's own option `name` as a decimal number,
// `fallback` when it is absent. False, once reported, when it is no number
// from minimum to maximum.
bool cliNumberOption(const CliOptions &options, const QString &name, qint64 fallback,
    qint64 minimum, qint64 maximum, qint64 *value);

// The dotted IPv4 text of a device to reach, in the form devices read
// (leading zeros dropped); empty, once reported, when it is none.
QString cliHostAddress(const QString &text);

// Hands --timeout, when given, to the SDK's connect and receive time-outs.
void cliApplyTimeout(const CliOptions &options);

// Checks HOST, applies --timeout and logs in with the options' credentials
// at the address cliHostAddress gives.
// On failure prints why, sets *exitCode and returns null.
std::unique_ptr<SdkLogin> cliLogin(const QString &host, const CliOptions &options, int *exitCode);
