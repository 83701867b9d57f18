#include "options.h"

qint64 CliOptions::extraNumber(
    const QString &name, qint64 fallback, qint64 minimum, qint64 maximum, bool *ok) const
{
    *ok = true;
    if (!extra.contains(name)) {
        return fallback;
    }
    const qint64 value = extra.value(name).toLongLong(ok);
    if (!*ok || value < minimum || value > maximum) {
        *ok = false;
        return fallback;
    }
    return value;
}

ParsedCommandLine parseCommandLine(const QStringList &args)
{
    ParsedCommandLine parsed;
    QStringList positional;
    bool optionsEnded = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (optionsEnded || !arg.startsWith(QLatin1Char('-')) || arg == QLatin1String("-")) {
            positional << arg;
            continue;
        }
        if (arg == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (arg == QLatin1String("-h") || arg == QLatin1String("--help")) {
            parsed.options.help = true;
            continue;
        }
        if (!arg.startsWith(QLatin1String("--"))) {
            parsed.error = Cli::tr("unknown option %1").arg(arg);
            return parsed;
        }
        QString name = arg.mid(2);
        QString value;
        bool hasValue = false;
        const qsizetype equals = name.indexOf(QLatin1Char('='));
        if (equals >= 0) {
            value = name.mid(equals + 1);
            name.truncate(equals);
            hasValue = true;
        }
        const bool takesValue = name == QLatin1String("port") || name == QLatin1String("user")
            || name == QLatin1String("password") || name == QLatin1String("timeout");
        if (takesValue && !hasValue) {
            if (i + 1 >= args.size()) {
                parsed.error = Cli::tr("option --%1 needs a value").arg(name);
                return parsed;
            }
            value = args.at(++i);
        }
        if (name == QLatin1String("port")) {
            bool ok = false;
            const uint port = value.toUInt(&ok);
            if (!ok || port == 0 || port > 65535) {
                parsed.error
                    = Cli::tr("--port takes a number from 1 to 65535, not \"%1\"").arg(value);
                return parsed;
            }
            parsed.options.port = quint16(port);
        } else if (name == QLatin1String("user")) {
            parsed.options.userName = value.toLocal8Bit();
        } else if (name == QLatin1String("password")) {
            parsed.options.password = value.toLocal8Bit();
        } else if (name == QLatin1String("timeout")) {
            bool ok = false;
            const int timeout = value.toInt(&ok);
            if (!ok || timeout <= 0 || timeout > 600000) {
                parsed.error = Cli::tr("--timeout takes milliseconds from 1 to 600000, not \"%1\"")
                                   .arg(value);
                return parsed;
            }
            parsed.options.timeoutMs = timeout;
        } else if (name == QLatin1String("json")) {
            if (hasValue) {
                parsed.error = Cli::tr("--json takes no value");
                return parsed;
            }
            parsed.options.json = true;
        } else if (name.isEmpty()) {
            parsed.error = Cli::tr("unknown option %1").arg(arg);
            return parsed;
        } else {
            parsed.options.extra.insert(name, value);
        }
    }
    if (!positional.isEmpty()) {
        parsed.command = positional.takeFirst();
    }
    parsed.arguments = positional;
    return parsed;
}

bool isIpv4Address(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4) {
        return false;
    }
    for (const QString &part : parts) {
        bool ok = false;
        const uint value = part.toUInt(&ok);
        if (!ok || part.isEmpty() || part.size() > 3 || value > 255 || !part.at(0).isDigit()) {
            return false;
        }
    }
    return true;
}
