#include "commands.h"

#include "clitext.h"
#include "devicesdk.h"
#include "ipv4text.h"
#include "solvane.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

void cliPrint(const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void cliError(const QString &message)
{
    const QByteArray bytes = (QStringLiteral("tervix-cli: ") + message).toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

void cliPrintUsage(const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

void cliPrintJson(const QJsonValue &value)
{
    QJsonDocument document;
    if (value.isArray()) {
        document.setArray(value.toArray());
    } else {
        document.setObject(value.toObject());
    }
    const QByteArray bytes = document.toJson(QJsonDocument::Indented);
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

void cliPrintFields(const CliOptions &options, const QList<QPair<QString, QJsonValue>> &fields)
{
    if (options.json) {
        QJsonObject object;
        for (const auto &[key, value] : fields) {
            object.insert(key, value);
        }
        cliPrintJson(object);
        return;
    }
    qsizetype width = 0;
    for (const auto &field : fields) {
        width = std::max(width, field.first.size());
    }
    for (const auto &[key, value] : fields) {
        // Values are often a device's texts.
        const QString text = value.isString() ? cliSafeText(value.toString())
            : value.isBool() ? (value.toBool() ? QStringLiteral("yes") : QStringLiteral("no"))
                             : QString::number(qint64(value.toDouble()));
        cliPrint(QStringLiteral("%1:%2 %3")
                     .arg(key, QString(width - key.size(), QLatin1Char(' ')), text));
    }
}

int cliSdkFailure(const CliOptions &options, const QString &what, quint32 code)
{
    const QString message
        = Cli::tr("%1: %2 (SDK error %3)").arg(what, sdkErrorText(code)).arg(code);
    cliError(message);
    if (options.json) {
        cliPrintJson(QJsonObject { { QStringLiteral("ok"), false },
            { QStringLiteral("error"), qint64(code) }, { QStringLiteral("message"), message } });
    }
    return CliFailed;
}

int cliUsageError(const QString &message)
{
    cliError(message);
    return CliUsage;
}

bool cliNumberOption(const CliOptions &options, const QString &name, qint64 fallback,
    qint64 minimum, qint64 maximum, qint64 *value)
{
    *value = fallback;
    if (!options.has(name)) {
        return true;
    }
    const std::optional<quint64> typed = cliDecimal(options.value(name), quint64(maximum));
    const qint64 number = typed ? qint64(*typed) : minimum - 1;
    if (number < minimum || number > maximum) {
        cliUsageError(Cli::tr("--%1 takes a number from %2 to %3, not \"%4\"")
                          .arg(name)
                          .arg(minimum)
                          .arg(maximum)
                          .arg(options.value(name)));
        return false;
    }
    *value = number;
    return true;
}

QString cliHostAddress(const QString &text)
{
    const std::optional<QString> address = Ipv4Text::canonical(text, Ipv4Text::HostAddress);
    if (!address) {
        cliUsageError(Cli::tr("\"%1\" is not an IPv4 address such as 127.0.1.7").arg(text));
        return QString();
    }
    return *address;
}

void cliApplyTimeout(const CliOptions &options)
{
    if (options.timeoutMs > 0) {
        SOLV_SetConnectTime(uint32_t(options.timeoutMs), 1);
        SOLV_SetRecvTimeOut(uint32_t(options.timeoutMs));
    }
}

std::unique_ptr<SdkLogin> cliLogin(const QString &host, const CliOptions &options, int *exitCode)
{
    const QString address = cliHostAddress(host);
    if (address.isEmpty()) {
        *exitCode = CliUsage;
        return nullptr;
    }
    cliApplyTimeout(options);
    auto login = std::make_unique<SdkLogin>(
        address.toLatin1(), options.port, options.userName, options.password);
    if (!login->ok()) {
        *exitCode = cliSdkFailure(options,
            Cli::tr("cannot log in to %1:%2").arg(address).arg(options.port), login->error());
        return nullptr;
    }
    *exitCode = CliOk;
    return login;
}
