// tervix-devsim: serves a fleet of simulated cameras until SIGINT or SIGTERM,
// or writes firmware images for them (make-firmware, make-firmware-dir).

#include "factory.h"
#include "firmware.h"
#include "fleet.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTextStream>

#include <csignal>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = { -1, -1 };

void onSignal(int)
{
    const char byte = 1;
    // Nothing else is safe in a signal handler; the event loop does the rest.
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[1], &byte, 1);
}

// Each camera needs a listening socket and one per session; a large fleet
// needs more descriptors than the usual soft limit.
void raiseFileLimit()
{
    rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
}

bool parseIndexed(const QString &text, int count, int *index, QString *rest)
{
    const int colon = text.indexOf(QLatin1Char('='));
    if (colon <= 0) {
        return false;
    }
    bool ok = false;
    *index = text.left(colon).toInt(&ok);
    *rest = text.mid(colon + 1);
    return ok && *index >= 0 && *index < count;
}

// make-firmware and make-firmware-dir: images the simulated cameras accept.
int firmwareCommand(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const QString command = arguments.value(1);
    const bool directory = command == QLatin1String("make-firmware-dir");
    QCommandLineParser parser;
    parser.setApplicationDescription(directory
            ? QStringLiteral("Writes one firmware image for every model and language the "
                             "simulator plays into DIR, each named as a directory upgrade "
                             "looks for it.")
            : QStringLiteral("Writes one firmware image for a simulated model to OUT."));
    const QCommandLineOption helpOption(
        { QStringLiteral("h"), QStringLiteral("help") }, QStringLiteral("Displays this help."));
    const QCommandLineOption modelOption(QStringLiteral("model"),
        QStringLiteral("Model: %1.").arg(devsim::factoryModels().join(QStringLiteral(", "))),
        QStringLiteral("MODEL"));
    const QCommandLineOption languageOption(QStringLiteral("language"),
        QStringLiteral("Firmware language of the image."), QStringLiteral("N"),
        QString::number(devsim::factoryLanguages().value(0)));
    const QCommandLineOption versionOption(QStringLiteral("version"),
        QStringLiteral("Software version the image installs (V5.4.3, or 2.1 in the older form)."),
        QStringLiteral("V"), QStringLiteral("V6.0.0"));
    const QCommandLineOption dateOption(QStringLiteral("build-date"),
        QStringLiteral("Build date the image installs (YYYY-MM-DD); today by default."),
        QStringLiteral("DATE"));
    const QCommandLineOption sizeOption(QStringLiteral("size"),
        QStringLiteral("Body size in bytes."), QStringLiteral("BYTES"), QStringLiteral("1048576"));
    parser.addOptions({ helpOption, versionOption, dateOption, sizeOption });
    if (!directory) {
        parser.addOptions({ modelOption, languageOption });
    }
    parser.addPositionalArgument(directory ? QStringLiteral("DIR") : QStringLiteral("OUT"),
        QStringLiteral("Where to write."));

    auto fail = [&](const QString &message) {
        err << "tervix-devsim " << command << ": " << message << Qt::endl;
        return 2;
    };
    QStringList rest = arguments;
    rest.removeAt(1);
    if (!parser.parse(rest)) {
        return fail(parser.errorText());
    }
    if (parser.isSet(helpOption)) {
        out << parser.helpText();
        return 0;
    }
    if (parser.positionalArguments().size() != 1) {
        return fail(directory ? QStringLiteral("needs one DIR") : QStringLiteral("needs one OUT"));
    }
    const QString target = parser.positionalArguments().constFirst();
    const auto version = devsim::parseSoftwareVersion(parser.value(versionOption));
    if (!version) {
        return fail(QStringLiteral("bad --version '%1'").arg(parser.value(versionOption)));
    }
    QDate date = QDate::currentDate();
    if (parser.isSet(dateOption)) {
        date = QDate::fromString(parser.value(dateOption), Qt::ISODate);
        if (!date.isValid() || date.year() < 2000 || date.year() > 2099) {
            return fail(QStringLiteral("bad --build-date '%1'").arg(parser.value(dateOption)));
        }
    }
    bool ok = false;
    const quint64 size = parser.value(sizeOption).toULongLong(&ok);
    if (!ok || size == 0 || size > solvane::firmware::MaxBody) {
        return fail(QStringLiteral("--size must be 1 to %1").arg(solvane::firmware::MaxBody));
    }

    QString error;
    if (directory) {
        QStringList written;
        if (!devsim::writeFirmwareDirectory(
                target, *version, devsim::encodeBuildDate(date), size, &written, &error)) {
            return fail(error);
        }
        for (const QString &name : std::as_const(written)) {
            out << name << '\n';
        }
        out.flush();
        return 0;
    }
    if (!parser.isSet(modelOption)) {
        return fail(QStringLiteral("needs --model"));
    }
    const int language = parser.value(languageOption).toInt(&ok);
    const QByteArray ability = devsim::factoryDeviceAbility(parser.value(modelOption), language);
    const auto description = devsim::descriptionOf(ability);
    if (!ok || !devsim::factoryLanguages().contains(language) || !description) {
        return fail(QStringLiteral("unknown --model '%1' or --language '%2'")
                        .arg(parser.value(modelOption), parser.value(languageOption)));
    }
    const devsim::FirmwareSpec image { *description, *version, devsim::encodeBuildDate(date),
        size };
    if (!devsim::writeFirmwareImage(target, image, &error)) {
        return fail(error);
    }
    out << devsim::firmwareFileName(*description) << Qt::endl;
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tervix-devsim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TERVIX_VERSION));
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.value(1) == QLatin1String("make-firmware")
        || arguments.value(1) == QLatin1String("make-firmware-dir")) {
        return firmwareCommand(arguments, out, err);
    }

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Simulated cameras on consecutive loopback addresses, speaking the device and "
        "discovery protocols.\n'tervix-devsim make-firmware --help' and "
        "'tervix-devsim make-firmware-dir --help' describe the image writers."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption countOption(QStringLiteral("count"),
        QStringLiteral("Number of cameras."), QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption firstOption(QStringLiteral("first-address"),
        QStringLiteral("Address of the first camera."), QStringLiteral("ADDRESS"),
        QStringLiteral("127.0.1.1"));
    const QCommandLineOption portOption(QStringLiteral("port"), QStringLiteral("Device SDK port."),
        QStringLiteral("PORT"), QStringLiteral("8000"));
    const QCommandLineOption seedOption(QStringLiteral("seed"),
        QStringLiteral("Seed of the factory contents."), QStringLiteral("SEED"),
        QStringLiteral("1"));
    const QCommandLineOption passwordOption(QStringLiteral("password"),
        QStringLiteral("Password of camera INDEX (counted from 0); repeatable."),
        QStringLiteral("INDEX=PASSWORD"));
    const QCommandLineOption everyOption(QStringLiteral("other-password-every"),
        QStringLiteral("Every K-th camera (K-1, 2K-1, ...) gets PASSWORD."),
        QStringLiteral("K:PASSWORD"));
    const QCommandLineOption scaleOption(QStringLiteral("time-scale"),
        QStringLiteral("Multiplies every wait (reboots, delays)."), QStringLiteral("FACTOR"),
        QStringLiteral("1"));
    const QCommandLineOption rebootOption(QStringLiteral("reboot-seconds"),
        QStringLiteral("Device time a reboot takes."), QStringLiteral("SECONDS"),
        QStringLiteral("20"));
    const QCommandLineOption ptzOption(QStringLiteral("ptz-count"),
        QStringLiteral("Number of PTZ protocols listed."), QStringLiteral("N"),
        QStringLiteral("20"));
    const QCommandLineOption sessionsOption(QStringLiteral("max-sessions"),
        QStringLiteral("Sessions each camera serves at once."), QStringLiteral("N"),
        QStringLiteral("32"));
    const QCommandLineOption faultOption(QStringLiteral("fault"),
        QStringLiteral(
            "Fault of camera INDEX (or 'all'); repeatable. FAULT is one of "
            "refuse-set=CMD, unsupported=CMD, unsupported-ability=TYPE, ptz-unsupported, "
            "reboot-unsupported, restore-unsupported, delay=MS, drop-after=FRAMES, "
            "ability-size=BYTES, max-sessions=N, never-return, upgrade-fail, "
            "upgrade-stall=PERCENT, upgrade-drop=PERCENT, stream-stall=PICTURES, "
            "stream-drop=PICTURES."),
        QStringLiteral("INDEX:FAULT"));
    const QCommandLineOption discoveryOption(QStringLiteral("discovery-port"),
        QStringLiteral("UDP port of the discovery protocol (0 turns discovery off)."),
        QStringLiteral("PORT"), QString::number(devsim::defaultDiscoveryPort()));
    const QCommandLineOption quietOption(
        QStringLiteral("quiet"), QStringLiteral("Print a summary instead of one line per camera."));
    parser.addOptions({ countOption, firstOption, portOption, seedOption, passwordOption,
        everyOption, scaleOption, rebootOption, ptzOption, sessionsOption, faultOption,
        discoveryOption, quietOption });
    parser.process(app);

    auto fail = [&](const QString &message) {
        err << "tervix-devsim: " << message << Qt::endl;
        return 2;
    };
    auto number = [&](const QCommandLineOption &option, int low, int high, int *value) {
        bool ok = false;
        *value = parser.value(option).toInt(&ok);
        return ok && *value >= low && *value <= high;
    };

    devsim::FleetOptions options;
    int value = 0;
    if (!number(countOption, 1, 60000, &value)) {
        return fail(QStringLiteral("--count must be 1 to 60000"));
    }
    options.count = value;
    options.firstAddress = parser.value(firstOption);
    if (!number(portOption, 1, 65535, &value)) {
        return fail(QStringLiteral("--port must be 1 to 65535"));
    }
    options.port = quint16(value);
    bool ok = false;
    options.seed = parser.value(seedOption).toUInt(&ok);
    if (!ok) {
        return fail(QStringLiteral("--seed must be a number"));
    }
    options.timeScale = parser.value(scaleOption).toDouble(&ok);
    if (!ok || options.timeScale < 0) {
        return fail(QStringLiteral("--time-scale must be a number of 0 or more"));
    }
    if (!number(rebootOption, 0, 3600, &options.rebootSeconds)) {
        return fail(QStringLiteral("--reboot-seconds must be 0 to 3600"));
    }
    if (!number(ptzOption, 0, 200, &options.ptzCount)) {
        return fail(QStringLiteral("--ptz-count must be 0 to 200"));
    }
    if (!number(sessionsOption, 1, 10000, &options.maxSessions)) {
        return fail(QStringLiteral("--max-sessions must be 1 to 10000"));
    }
    if (!number(discoveryOption, 0, 65535, &value)) {
        return fail(QStringLiteral("--discovery-port must be 0 to 65535"));
    }
    options.discoveryPort = quint16(value);
    if (parser.isSet(everyOption)) {
        const QString text = parser.value(everyOption);
        const int k = text.section(QLatin1Char(':'), 0, 0).toInt(&ok);
        if (!ok || k < 1 || !text.contains(QLatin1Char(':'))) {
            return fail(QStringLiteral("--other-password-every needs K:PASSWORD"));
        }
        for (int i = k - 1; i < options.count; i += k) {
            options.passwords.insert(i, text.section(QLatin1Char(':'), 1).toLocal8Bit());
        }
    }
    for (const QString &text : parser.values(passwordOption)) {
        int index = 0;
        QString password;
        if (!parseIndexed(text, options.count, &index, &password)) {
            return fail(QStringLiteral("bad --password '%1' (INDEX=PASSWORD)").arg(text));
        }
        options.passwords.insert(index, password.toLocal8Bit());
    }
    for (const QString &text : parser.values(faultOption)) {
        const QString target = text.section(QLatin1Char(':'), 0, 0);
        const QString word = text.section(QLatin1Char(':'), 1);
        QList<int> indexes;
        if (target == QLatin1String("all")) {
            for (int i = 0; i < options.count; ++i) {
                indexes.append(i);
            }
        } else {
            const int index = target.toInt(&ok);
            if (!ok || index < 0 || index >= options.count) {
                return fail(QStringLiteral("bad --fault '%1' (INDEX:FAULT)").arg(text));
            }
            indexes.append(index);
        }
        for (int index : indexes) {
            devsim::Fault fault = options.faults.value(index);
            QString message;
            if (!devsim::applyFaultWord(fault, word, &message)) {
                return fail(message);
            }
            options.faults.insert(index, fault);
        }
    }

    raiseFileLimit();
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0) {
        return fail(QStringLiteral("cannot create the signal pipe"));
    }
    QSocketNotifier notifier(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    struct sigaction action
    {
    };
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    ::signal(SIGPIPE, SIG_IGN);

    devsim::Fleet fleet(options);
    QString error;
    if (!fleet.start(&error)) {
        return fail(error);
    }
    if (parser.isSet(quietOption)) {
        out << options.count << " cameras from " << fleet.address(0) << " to "
            << fleet.address(options.count - 1) << ", port " << options.port << Qt::endl;
    } else {
        fleet.run([&] {
            for (const devsim::Camera *camera : fleet.cameras()) {
                out << camera->ipAddress() << ':' << camera->port() << ' ' << camera->serialNo()
                    << (camera->password() != "60917" ? " (other password)" : "") << '\n';
            }
        });
    }
    out << "ready" << Qt::endl;

    const int status = app.exec();
    fleet.stop();
    out << "stopped" << Qt::endl;
    return status;
}
