#pragma once

#include <QProcess>
#include <QStringList>

// One run of the built tervix-cli.
struct CliRun
{
    int code = -1; // the exit status
    QStringList lines; // standard output, without empty lines
    QString errors; // standard error
};

// Waits for the end however long it takes: the test's own time-out is the bound.
inline CliRun runCli(const QStringList &args)
{
    QProcess process;
    process.start(qEnvironmentVariable("TERVIX_BIN_DIR") + QStringLiteral("/tervix-cli"), args);
    process.waitForFinished(-1);
    return { process.exitCode(),
        QString::fromUtf8(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts),
        QString::fromUtf8(process.readAllStandardError()) };
}
