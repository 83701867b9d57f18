#pragma once

#include "options.h"

#include <QJsonValue>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <memory>

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
    const char *options; // extra options it reads from CliOptions::extra, space-separated
    // Returns a CliExit. On CliUsage the command has printed what was wrong;
    // the dispatcher adds the usage line.
    int (*run)(const QStringList &args, const CliOptions &options);
};

// Output shared by the commands. Results go to standard output, messages to
// standard error, prefixed "tervix-cli: ".
void cliPrint(const QString &text);
void cliError(const QString &message);
void cliPrintJson(const QJsonValue &value);

// Prints key/value pairs: aligned "key: value" lines, or one JSON object.
void cliPrintFields(const CliOptions &options, const QList<QPair<QString, QJsonValue>> &fields);

// Reports a failed SDK operation ("what: reason (SDK error N)"; with --json
// also {"ok": false, "error": N, "message": ...} on standard output) and
// returns CliFailed.
int cliSdkFailure(const CliOptions &options, const QString &what, quint32 code);

// Reports a bad command line and returns CliUsage.
int cliUsageError(const QString &message);

// Checks HOST, applies --timeout and logs in with the options' credentials.
// On failure prints why, sets *exitCode and returns null.
std::unique_ptr<SdkLogin> cliLogin(const QString &host, const CliOptions &options, int *exitCode);
