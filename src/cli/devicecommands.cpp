// Commands that log in to one device and read or change it.
#include "devicecommands.h"

#include "clitext.h"
#include "deviceformat.h"
#include "devicesdk.h"
#include "recordfields.h"
#include "solvane.h"

#include <QJsonArray>
#include <QJsonObject>

namespace {

QString recordNames()
{
    QStringList names;
    for (const RecordType &type : recordTypes()) {
        names << type.name;
    }
    return names.join(QStringLiteral(", "));
}

QJsonValue jsonValue(const RecordField &field, const QVariant &value)
{
    if (field.kind == FieldKind::Number) {
        return qint64(value.toULongLong());
    }
    return fieldValueText(field, value);
}

// The record's channel: the one its configuration page uses, or --channel.
bool channelFor(const RecordType &type, const CliOptions &options, qint32 *channel)
{
    qint64 value = 0;
    const bool ok
        = cliNumberOption(options, QStringLiteral("channel"), type.channel, 0, 255, &value);
    *channel = qint32(value);
    return ok;
}

// Logs in to the one HOST a command takes; null once the failure has been reported.
std::unique_ptr<SdkLogin> loginToOneHost(
    const QStringList &args, const CliOptions &options, const QString &command, int *exitCode)
{
    if (args.size() != 1) {
        *exitCode = cliUsageError(Cli::tr("%1 takes one HOST").arg(command));
        return nullptr;
    }
    return cliLogin(args.at(0), options, exitCode);
}

// The RECORD argument and its channel; nullptr once a usage error has been reported.
const RecordType *recordArgument(const QString &name, const CliOptions &options, qint32 *channel)
{
    const RecordType *type = findRecordType(name);
    if (!type) {
        cliUsageError(Cli::tr("unknown record \"%1\"; records: %2").arg(name, recordNames()));
        return nullptr;
    }
    return channelFor(*type, options, channel) ? type : nullptr;
}

// Reads the whole record; a refusal is reported and answered with false.
bool readWholeRecord(int32_t userId, const RecordType &type, qint32 channel, QByteArray &bytes,
    const CliOptions &options)
{
    if (!readRecordBytes(userId, type.getCommand, channel, bytes)) {
        cliSdkFailure(
            options, Cli::tr("cannot read the %1 record").arg(type.name), SOLV_GetLastError());
        return false;
    }
    return true;
}

int runInfo(const QStringList &args, const CliOptions &options)
{
    int exitCode = CliOk;
    const auto login = loginToOneHost(args, options, QStringLiteral("info"), &exitCode);
    if (!login) {
        return exitCode;
    }
    DeviceCfg device;
    if (!readRecord(login->userId(), device, 0)) {
        return cliSdkFailure(
            options, Cli::tr("cannot read the device record"), SOLV_GetLastError());
    }
    NetCfg net;
    if (!readRecord(login->userId(), net, 0)) {
        return cliSdkFailure(
            options, Cli::tr("cannot read the network record"), SOLV_GetLastError());
    }
    cliPrintFields(options,
        {
            { QStringLiteral("name"), QString::fromLocal8Bit(device.name()) },
            { QStringLiteral("serialNumber"), QString::fromLocal8Bit(device.serialNumber()) },
            { QStringLiteral("softwareVersion"),
                formatSoftwareVersion(device.softwareVersion(), device.softwareBuildDate()) },
            { QStringLiteral("dspVersion"),
                formatDspVersion(device.dspVersion(), device.dspBuildDate()) },
            { QStringLiteral("model"), QString::fromLatin1(seriesName(device.deviceType())) },
            { QStringLiteral("channels"), qint64(device.channelCount()) },
            { QStringLiteral("disks"), qint64(device.diskCount()) },
            { QStringLiteral("ipAddress"), cliHostAddress(args.at(0)) },
            { QStringLiteral("port"), qint64(options.port) },
            { QStringLiteral("subnetMask"), QString::fromLatin1(net.subnetMask()) },
            { QStringLiteral("gateway"), QString::fromLatin1(net.gateway()) },
            { QStringLiteral("mac"), formatMac(net.mac()) },
        });
    return CliOk;
}

int runGet(const QStringList &args, const CliOptions &options)
{
    if (args.size() != 2) {
        return cliUsageError(Cli::tr("get takes HOST and RECORD"));
    }
    qint32 channel = 0;
    const RecordType *type = recordArgument(args.at(1), options, &channel);
    if (!type) {
        return CliUsage;
    }
    int exitCode = CliOk;
    const auto login = cliLogin(args.at(0), options, &exitCode);
    if (!login) {
        return exitCode;
    }
    QByteArray bytes;
    if (!readWholeRecord(login->userId(), *type, channel, bytes, options)) {
        return CliFailed;
    }
    QList<QPair<QString, QJsonValue>> fields;
    for (const RecordField &field : type->fields) {
        fields.append({ field.name, jsonValue(field, field.read(bytes)) });
    }
    cliPrintFields(options, fields);
    return CliOk;
}

int runSet(const QStringList &args, const CliOptions &options)
{
    if (args.size() < 3) {
        return cliUsageError(Cli::tr("set takes HOST, RECORD and at least one FIELD=VALUE"));
    }
    qint32 channel = 0;
    const RecordType *type = recordArgument(args.at(1), options, &channel);
    if (!type) {
        return CliUsage;
    }
    // Every assignment is checked before the device is touched.
    QList<QPair<const RecordField *, QVariant>> changes;
    for (const QString &assignment : args.mid(2)) {
        const qsizetype equals = assignment.indexOf(QLatin1Char('='));
        if (equals <= 0) {
            return cliUsageError(Cli::tr("\"%1\" is not FIELD=VALUE").arg(assignment));
        }
        const QString name = assignment.left(equals);
        const RecordField *field = findField(*type, name);
        if (!field) {
            return cliUsageError(Cli::tr("the %1 record has no field \"%2\"; \"tervix-cli get HOST "
                                         "%1\" lists them")
                                     .arg(type->name, name));
        }
        QVariant value;
        QString error;
        if (!parseFieldValue(*field, assignment.mid(equals + 1), value, &error)) {
            return cliUsageError(error);
        }
        changes.append({ field, value });
    }

    int exitCode = CliOk;
    const auto login = cliLogin(args.at(0), options, &exitCode);
    if (!login) {
        return exitCode;
    }
    // Read, change only the named fields, write back the whole record.
    QByteArray bytes;
    if (!readWholeRecord(login->userId(), *type, channel, bytes, options)) {
        return CliFailed;
    }
    for (const auto &[field, value] : std::as_const(changes)) {
        field->write(bytes, value);
    }
    if (!writeRecordBytes(login->userId(), type->getCommand, channel, bytes)) {
        return cliSdkFailure(
            options, Cli::tr("cannot write the %1 record").arg(type->name), SOLV_GetLastError());
    }
    QList<QPair<QString, QJsonValue>> fields;
    for (const auto &[field, value] : std::as_const(changes)) {
        fields.append({ field->name, jsonValue(*field, field->read(bytes)) });
    }
    cliPrintFields(options, fields);
    return CliOk;
}

int runDeviceAction(const QStringList &args, const CliOptions &options, const QString &name,
    int (*action)(int32_t), const QString &failure, const QString &success)
{
    int exitCode = CliOk;
    const auto login = loginToOneHost(args, options, name, &exitCode);
    if (!login) {
        return exitCode;
    }
    if (!action(login->userId())) {
        return cliSdkFailure(options, failure.arg(args.at(0)), SOLV_GetLastError());
    }
    if (options.json) {
        cliPrintJson(QJsonObject { { QStringLiteral("ok"), true } });
    } else {
        cliPrint(success.arg(args.at(0)));
    }
    return CliOk;
}

int runReboot(const QStringList &args, const CliOptions &options)
{
    return runDeviceAction(args, options, QStringLiteral("reboot"), SOLV_RebootDVR,
        Cli::tr("%1 refused to reboot"), Cli::tr("%1 is rebooting"));
}

int runRestore(const QStringList &args, const CliOptions &options)
{
    return runDeviceAction(args, options, QStringLiteral("restore"), SOLV_RestoreConfig,
        Cli::tr("%1 did not restore its default parameters"),
        Cli::tr("%1 restored its default parameters"));
}

int runAbility(const QStringList &args, const CliOptions &options)
{
    if (args.size() != 2
        || (args.at(1) != QLatin1String("camera") && args.at(1) != QLatin1String("device"))) {
        return cliUsageError(Cli::tr("ability takes HOST and camera or device"));
    }
    qint64 initial = 0;
    if (!cliNumberOption(options, QStringLiteral("buffer"), defaultAbilityBufferSize, 1,
            abilityBufferLimit, &initial)) {
        return CliUsage;
    }
    int exitCode = CliOk;
    const auto login = cliLogin(args.at(0), options, &exitCode);
    if (!login) {
        return exitCode;
    }
    const quint32 abilityType
        = args.at(1) == QLatin1String("camera") ? SOLV_ABILITY_CAMERA : SOLV_ABILITY_DEVICE;
    const AbilityText ability = readAbility(login->userId(), abilityType, int(initial));
    if (!ability.ok) {
        return cliSdkFailure(options,
            Cli::tr("cannot read the %1 ability (last buffer %2 bytes)")
                .arg(args.at(1))
                .arg(ability.bufferSize),
            ability.error);
    }
    if (options.json) {
        cliPrintJson(QJsonObject { { QStringLiteral("type"), args.at(1) },
            { QStringLiteral("text"), QString::fromUtf8(ability.text) },
            { QStringLiteral("calls"), ability.calls },
            { QStringLiteral("bufferSize"), ability.bufferSize } });
    } else {
        cliPrint(cliSafeText(QString::fromUtf8(ability.text).trimmed(), CliTextForm::Document));
    }
    return CliOk;
}

int runPtzProtocols(const QStringList &args, const CliOptions &options)
{
    int exitCode = CliOk;
    const auto login = loginToOneHost(args, options, QStringLiteral("ptz-protocols"), &exitCode);
    if (!login) {
        return exitCode;
    }
    PtzProtocolList list;
    if (!readPtzProtocols(login->userId(), list)) {
        return cliSdkFailure(
            options, Cli::tr("cannot read the PTZ protocols"), SOLV_GetLastError());
    }
    if (options.json) {
        QJsonArray entries;
        for (int i = 0; i < list.count(); ++i) {
            entries.append(QJsonObject { { QStringLiteral("index"), i },
                { QStringLiteral("type"), qint64(list.type(i)) },
                { QStringLiteral("name"), QString::fromLatin1(list.name(i)) } });
        }
        cliPrintJson(entries);
        return CliOk;
    }
    for (int i = 0; i < list.count(); ++i) {
        cliPrint(QStringLiteral("%1  %2  %3")
                     .arg(i, 3)
                     .arg(list.type(i), 5)
                     .arg(cliSafeText(QString::fromLatin1(list.name(i)))));
    }
    return CliOk;
}

const CliOptionSpec channelOptions[] = {
    { "channel", "N", QT_TRANSLATE_NOOP("Cli", "channel of the record (the one its page uses)") },
};
const CliOptionSpec abilityOptions[] = {
    { "buffer", "BYTES", QT_TRANSLATE_NOOP("Cli", "size of the first buffer tried (5120)") },
};

} // namespace

const CliCommand infoCommand = { "info", QT_TRANSLATE_NOOP("Cli", "HOST"),
    QT_TRANSLATE_NOOP("Cli", "show the device's identity as the device list shows it"), {},
    LoginOptions, runInfo };
const CliCommand getCommand = { "get", QT_TRANSLATE_NOOP("Cli", "HOST RECORD"),
    QT_TRANSLATE_NOOP("Cli",
        "show every named field of a record (device, net, front, picture, "
        "compression, record, ddns, ntp, nfs, email, decoder)"),
    channelOptions, LoginOptions, runGet };
const CliCommand setCommand = { "set", QT_TRANSLATE_NOOP("Cli", "HOST RECORD FIELD=VALUE..."),
    QT_TRANSLATE_NOOP("Cli", "change named fields of a record; every other byte stays as read"),
    channelOptions, LoginOptions, runSet };
const CliCommand rebootCommand = { "reboot", QT_TRANSLATE_NOOP("Cli", "HOST"),
    QT_TRANSLATE_NOOP("Cli", "reboot the device"), {}, LoginOptions, runReboot };
const CliCommand restoreCommand = { "restore", QT_TRANSLATE_NOOP("Cli", "HOST"),
    QT_TRANSLATE_NOOP("Cli", "restore the device's default parameters"), {}, LoginOptions,
    runRestore };
const CliCommand abilityCommand = { "ability", QT_TRANSLATE_NOOP("Cli", "HOST camera|device"),
    QT_TRANSLATE_NOOP("Cli", "print the camera or device ability text"), abilityOptions,
    LoginOptions, runAbility };
const CliCommand ptzProtocolsCommand = { "ptz-protocols", QT_TRANSLATE_NOOP("Cli", "HOST"),
    QT_TRANSLATE_NOOP("Cli", "list the device's PTZ protocols"), {}, LoginOptions,
    runPtzProtocols };
