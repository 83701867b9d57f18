#pragma once

// tervix-cli started as a separate process by the CLI suites, and the
// simulated cameras it talks to.
#include "fleet.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

#include <memory>

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
    QJsonObject json() const { return QJsonDocument::fromJson(out).object(); }
};

// How tervix-cli is started: with `port` unless it is 0, and neither a password
// nor debug output from the environment of the test.
struct Call
{
    quint16 port = 0;
    QStringList environment {}; // NAME=VALUE
    QByteArray input {};
};

inline QProcessEnvironment cliEnvironment(const QStringList &assignments = {})
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("TERVIX_PASSWORD"));
    environment.remove(QStringLiteral("TERVIX_DEBUG"));
    for (const QString &assignment : assignments) {
        environment.insert(assignment.section('=', 0, 0), assignment.section('=', 1));
    }
    return environment;
}

// Waits for the end however long it takes: the test's own time-out is the bound.
inline Run runCli(QStringList args, const Call &call)
{
    if (call.port != 0) {
        args << QStringLiteral("--port") << QString::number(call.port);
    }
    QProcess process;
    process.setProcessEnvironment(cliEnvironment(call.environment));
    process.start(qEnvironmentVariable("TERVIX_BIN_DIR") + QStringLiteral("/tervix-cli"), args);
    process.write(call.input);
    process.closeWriteChannel();
    process.waitForFinished(-1);
    return { process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
        process.readAllStandardOutput(), process.readAllStandardError() };
}

// Null, with a warning, when the cameras cannot listen.
inline std::unique_ptr<devsim::Fleet> startCliFleet(devsim::FleetOptions options)
{
    auto fleet = std::make_unique<devsim::Fleet>(options);
    QString error;
    if (!fleet->start(&error)) {
        qWarning("%s", qPrintable(error));
        return nullptr;
    }
    return fleet;
}
