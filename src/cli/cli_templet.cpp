// tervix-cli templet save / show, on the templet writer and reader.
#include "cli_templet.h"

#include "cli_templetapply.h"
#include "devicesdk.h"
#include "recordfields.h"
#include "solvane.h"
#include "templetfile.h"

#include <QJsonArray>
#include <QJsonObject>

#include <optional>

namespace {

// A templet section under its name on the command line.
struct TempletSection
{
    const char *name; // "front"
    const char *record; // its record in the named-field registry
    // Reads the record from the device and writes the section; false, with
    // SOLV_GetLastError() telling why, when the read failed.
    bool (*save)(qint32 userId, qint32 channel, CTempletWriter &writer);
    // The record the section gives over a zeroed one; none when absent.
    std::optional<QByteArray> (*show)(const CTempletReader &reader);
    // Whether `field` of a record read from the section is one the section
    // holds; null for all of them.
    bool (*holds)(const QByteArray &record, const RecordField &field);
};

template<typename Record, bool (CTempletWriter::*Set)(const Record &)>
bool saveSection(qint32 userId, qint32 channel, CTempletWriter &writer)
{
    Record record;
    return readRecord(userId, record, channel) && (writer.*Set)(record);
}

template<typename Record, bool (CTempletReader::*Get)(Record *) const>
std::optional<QByteArray> showSection(const CTempletReader &reader)
{
    Record record;
    if (!(reader.*Get)(&record)) {
        return std::nullopt;
    }
    return record.bytes();
}

// The section holds the DDNS entry of its server type alone.
bool ddnsHolds(const QByteArray &bytes, const RecordField &field)
{
    DdnsCfg record;
    record.setBytes(bytes);
    const int entry = DdnsCfg::entries.at(record.serverType(), 0);
    return field.offset < DdnsCfg::entries.offset
        || (entry >= 0 && field.offset >= entry && field.offset < entry + DdnsCfg::entries.stride);
}

// In the order the writer writes them, as the configuration frame does.
const TempletSection Sections[] = {
    { "front", "front", saveSection<FrontCfg, &CTempletWriter::SetPreParam>,
        showSection<FrontCfg, &CTempletReader::GetPreParam>, nullptr },
    { "compression", "compression", saveSection<CompressCfg, &CTempletWriter::SetCompressionParam>,
        showSection<CompressCfg, &CTempletReader::GetCompressionParam>, nullptr },
    { "picture", "picture", saveSection<PicCfg, &CTempletWriter::SetPicParam>,
        showSection<PicCfg, &CTempletReader::GetPicParam>, nullptr },
    { "record", "record", saveSection<RecordCfg, &CTempletWriter::SetRECParam>,
        showSection<RecordCfg, &CTempletReader::GetRECParam>, nullptr },
    { "ddns", "ddns", saveSection<DdnsCfg, &CTempletWriter::SetDDNSParam>,
        showSection<DdnsCfg, &CTempletReader::GetDDNSParam>, ddnsHolds },
    { "nfs", "nfs", saveSection<NfsCfg, &CTempletWriter::SetNFSParam>,
        showSection<NfsCfg, &CTempletReader::GetNFSParam>, nullptr },
    { "ntp", "ntp", saveSection<NtpCfg, &CTempletWriter::SetNTPParam>,
        showSection<NtpCfg, &CTempletReader::GetNTPParam>, nullptr },
    { "email", "email", saveSection<EmailCfg, &CTempletWriter::SetEmailParam>,
        showSection<EmailCfg, &CTempletReader::GetEmailParam>, nullptr },
    { "rs485", "decoder", saveSection<DecoderCfg, &CTempletWriter::SetPTZParam>,
        showSection<DecoderCfg, &CTempletReader::GetPTZParam>, nullptr },
};

constexpr QLatin1String SectionsOption("sections");

// The sections --sections names, in the writer's order, or all of them;
// empty once a usage error has been reported.
QList<const TempletSection *> chosenSections(const CliOptions &options)
{
    QStringList names;
    for (const TempletSection &section : Sections) {
        names << QLatin1String(section.name);
    }
    QStringList asked = names;
    if (options.has(SectionsOption)) {
        asked.clear();
        for (const QString &name : options.value(SectionsOption).split(QLatin1Char(','))) {
            asked << name.trimmed().toLower();
            if (!names.contains(asked.last())) {
                cliUsageError(Cli::tr("unknown section \"%1\"; sections: %2")
                                  .arg(name.trimmed(), names.join(QLatin1Char(','))));
                return {};
            }
        }
    }
    QList<const TempletSection *> chosen;
    for (const TempletSection &section : Sections) {
        if (asked.contains(QLatin1String(section.name))) {
            chosen << &section;
        }
    }
    return chosen;
}

// A templet file that cannot be read or written.
int fileFailure(const CliOptions &options, const QString &message)
{
    cliError(message);
    if (options.json) {
        cliPrintJson(QJsonObject {
            { QStringLiteral("ok"), false }, { QStringLiteral("message"), message } });
    }
    return CliFailed;
}

int runSave(const QString &host, const QString &file, const CliOptions &options)
{
    const QList<const TempletSection *> sections = chosenSections(options);
    if (sections.isEmpty()) {
        return CliUsage;
    }
    int exitCode = CliOk;
    const auto login = cliLogin(host, options, &exitCode);
    if (!login) {
        return exitCode;
    }
    CTempletWriter writer;
    if (!writer.OpenTemplate(file)) {
        return fileFailure(options, Cli::tr("cannot write the templet %1").arg(file));
    }
    QJsonArray saved;
    for (const TempletSection *section : sections) {
        const RecordType *type = findRecordType(QLatin1String(section->record));
        if (!section->save(login->userId(), type->channel, writer)) {
            // The writer goes without Close(): an old file stays as it was.
            return cliSdkFailure(
                options, Cli::tr("cannot read the %1 record").arg(type->name), SOLV_GetLastError());
        }
        saved.append(QLatin1String(section->name));
    }
    if (!writer.Close()) {
        return fileFailure(options, Cli::tr("cannot write the templet %1").arg(file));
    }
    if (options.json) {
        cliPrintJson(QJsonObject { { QStringLiteral("ok"), true }, { QStringLiteral("file"), file },
            { QStringLiteral("sections"), saved } });
    } else {
        QStringList names;
        for (const QJsonValue &name : std::as_const(saved)) {
            names << name.toString();
        }
        cliPrint(Cli::tr("saved %1 to %2").arg(names.join(QStringLiteral(", ")), file));
    }
    return CliOk;
}

// Texts as the templet holds them, Latin-1.
QJsonValue shownValue(const RecordField &field, const QByteArray &record)
{
    const QVariant value = field.read(record);
    switch (field.kind) {
    case FieldKind::Number:
        return qint64(value.toULongLong());
    case FieldKind::Text:
        return QString::fromLatin1(value.toByteArray());
    case FieldKind::Mac:
    case FieldKind::Slot:
        break;
    }
    return value.toString();
}

int runShow(const QString &file, const CliOptions &options)
{
    const QList<const TempletSection *> sections = chosenSections(options);
    if (sections.isEmpty()) {
        return CliUsage;
    }
    CTempletReader reader;
    if (!reader.LoadTemplate(file)) {
        return fileFailure(options,
            Cli::tr("cannot read the templet %1: no such file, or not well-formed XML").arg(file));
    }
    QJsonObject shown;
    for (const TempletSection *section : sections) {
        const QString name = QLatin1String(section->name);
        const std::optional<QByteArray> record = section->show(reader);
        if (!record) {
            if (!options.json) {
                cliPrint(Cli::tr("[%1] absent").arg(name));
            }
            shown.insert(name, QJsonValue::Null);
            continue;
        }
        QList<QPair<QString, QJsonValue>> fields;
        QJsonObject object;
        for (const RecordField &field : findRecordType(QLatin1String(section->record))->fields) {
            if (section->holds == nullptr || section->holds(*record, field)) {
                fields.append({ field.name, shownValue(field, *record) });
                object.insert(field.name, fields.last().second);
            }
        }
        if (!options.json) {
            cliPrint(QStringLiteral("[%1]").arg(name));
            cliPrintFields(options, fields);
        }
        shown.insert(name, object);
    }
    if (options.json) {
        cliPrintJson(shown);
    }
    return CliOk;
}

int runTemplet(const QStringList &args, const CliOptions &options)
{
    const QString action = args.value(0);
    const bool apply = action == QLatin1String("apply");
    if (options.has(apply ? SectionsOption : QLatin1String(templetApplyOptions[0].name))) {
        return cliUsageError(
            Cli::tr("templet %1 does not take --%2")
                .arg(action, apply ? SectionsOption : QLatin1String(templetApplyOptions[0].name)));
    }
    if (apply) {
        return runTempletApply(args.mid(1), options);
    }
    if (action == QLatin1String("save") && args.size() == 3) {
        return runSave(args.at(1), args.at(2), options);
    }
    if (action == QLatin1String("show") && args.size() == 2) {
        return runShow(args.at(1), options);
    }
    return cliUsageError(Cli::tr("templet takes save HOST FILE, show FILE or apply FILE HOST..."));
}

// --sections for save and show, and apply's own.
const CliOptionSpec templetOptions[] = {
    { "sections", "LIST",
        QT_TRANSLATE_NOOP("Cli",
            "templet save and show: comma-separated sections, "
            "front,picture,compression,record,ddns,nfs,ntp,email,rs485 (all)") },
    templetApplyOptions[0],
};

} // namespace

const CliCommand templetCommand
    = { "templet", QT_TRANSLATE_NOOP("Cli", "save HOST FILE | show FILE | apply FILE HOST..."),
          QT_TRANSLATE_NOOP("Cli",
              "save the device's parameters as a parameter templet, as the configuration frame "
              "does; show each section of a templet as it is read (absent sections too); apply "
              "a templet to devices, as the Batch Set page does"),
          templetOptions, LoginOptions, runTemplet };
