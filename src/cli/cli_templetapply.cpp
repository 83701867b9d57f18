#include "cli_templetapply.h"

#include "batchconfigmanager.h"

#include <QJsonArray>
#include <QJsonObject>

const CliOptionSpec templetApplyOptions[1] = {
    { "reboot", nullptr,
        QT_TRANSLATE_NOOP("Cli", "templet apply: reboot each device after its sections") },
};

namespace {

// The templet elements of the sections in `bits`, in the order they are applied.
QStringList sectionElements(qint32 bits)
{
    QStringList names;
    for (int i = 0; i < BatchSectionCount; ++i) {
        if (bits > 0 && (quint32(bits) & batchSectionBit(i)) != 0) {
            names << QLatin1String(batchSectionElement(i));
        }
    }
    return names;
}

QString stateText(qint32 state)
{
    switch (state) {
    case TaskSetComplete:
        return Cli::tr("set complete");
    case TaskFailedToSet:
        return Cli::tr("failed to log in");
    case TaskSettingUp:
        return Cli::tr("setting up");
    default:
        return Cli::tr("unset");
    }
}

QString listText(const QStringList &names)
{
    return names.isEmpty() ? QStringLiteral("-") : names.join(QLatin1Char(','));
}

} // namespace

int runTempletApply(const QStringList &args, const CliOptions &options)
{
    if (args.size() < 2) {
        return cliUsageError(Cli::tr("templet apply needs a templet FILE and at least one HOST"));
    }
    const QString fileName = args.first();
    QStringList addresses;
    for (const QString &host : args.mid(1)) {
        const QString address = cliHostAddress(host);
        if (address.isEmpty()) {
            return CliUsage;
        }
        addresses << address;
    }

    cliApplyTimeout(options);
    CBatchConfigManager manager({ nullptr, { options.userName, options.password }, {} });
    for (const QString &address : addresses) {
        manager.AddTask(address.toLatin1().constData(), options.port, options.userName.constData(),
            options.password.constData());
    }
    if (!manager.Start(fileName, options.has(QStringLiteral("reboot")))) {
        cliError(Cli::tr("cannot read the templet %1").arg(fileName));
        return CliFailed;
    }
    manager.WaitForEnd();

    bool allApplied = true;
    QJsonArray results;
    for (int i = 0; i < manager.TaskCount(); ++i) {
        const qint32 state = manager.State(i);
        const QStringList applied = sectionElements(manager.AppliedSections(i));
        const QStringList failed = sectionElements(manager.FailedSections(i));
        const bool ok = state == TaskSetComplete && failed.isEmpty();
        allApplied = allApplied && ok;
        if (options.json) {
            results.append(QJsonObject { { QStringLiteral("host"), addresses.at(i) },
                { QStringLiteral("ok"), ok }, { QStringLiteral("state"), state },
                { QStringLiteral("applied"), QJsonArray::fromStringList(applied) },
                { QStringLiteral("failed"), QJsonArray::fromStringList(failed) } });
        } else {
            cliPrint(
                Cli::tr("%1: %2; applied: %3; failed: %4")
                    .arg(addresses.at(i), stateText(state), listText(applied), listText(failed)));
        }
    }
    if (options.json) {
        cliPrintJson(results);
    }
    return allApplied ? CliOk : CliFailed;
}
