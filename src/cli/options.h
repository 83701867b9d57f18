#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QMap>
#include <QString>
#include <QStringList>

// Translation context of the command line's texts: Cli::tr("...").
class Cli
{
    Q_DECLARE_TR_FUNCTIONS(Cli)
};

// Options every command shares. Anything else written as --name=value (or a
// bare --name) lands in `extra` for the command to read; the dispatcher
// rejects names the command does not list.
struct CliOptions
{
    quint16 port = 8000;
    QByteArray userName = "admin";
    QByteArray password = "60917";
    bool json = false;
    bool help = false;
    int timeoutMs = 0; // 0: the SDK's own time-outs
    QMap<QString, QString> extra;

    // An extra option as a number; `fallback` when absent, false in *ok when
    // present but not a number in [minimum, maximum].
    qint64 extraNumber(
        const QString &name, qint64 fallback, qint64 minimum, qint64 maximum, bool *ok) const;
};

struct ParsedCommandLine
{
    QString command;
    QStringList arguments;
    CliOptions options;
    QString error; // set when the command line could not be understood
};

// args without the program name. Options may stand anywhere; "--" ends them.
ParsedCommandLine parseCommandLine(const QStringList &args);

// True for dotted IPv4 text such as 127.0.1.7.
bool isIpv4Address(const QString &text);
