#include "recordfields.h"

#include "deviceformat.h"
#include "records.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <limits>

namespace {

template<typename Record> Record view(const QByteArray &bytes)
{
    Record record;
    record.setBytes(bytes);
    return record;
}

// A field read and written through the record's accessors; writing keeps every other byte.
template<typename Record, typename Get, typename Set>
RecordField accessorField(
    const QString &name, FieldKind kind, quint32 limit, int width, Get get, Set set)
{
    RecordField field;
    field.name = name;
    field.kind = kind;
    field.limit = limit;
    field.width = width;
    field.read = [get](const QByteArray &bytes) { return QVariant(get(view<Record>(bytes))); };
    field.write = [set](QByteArray &bytes, const QVariant &value) {
        Record record = view<Record>(bytes);
        set(record, value);
        bytes = record.bytes();
    };
    return field;
}

template<typename Record, typename Get, typename Set>
RecordField numberField(const QString &name, quint32 limit, int width, Get get, Set set)
{
    return accessorField<Record>(
        name, FieldKind::Number, limit, width,
        [get](const Record &record) { return qulonglong(get(record)); },
        [set](Record &record, const QVariant &value) { set(record, value.toULongLong()); });
}

template<typename Record, typename Get, typename Set>
RecordField textField(const QString &name, int width, Get get, Set set)
{
    return accessorField<Record>(name, FieldKind::Text, quint32(width), width, get,
        [set](Record &record, const QVariant &value) { set(record, value.toByteArray()); });
}

// Accessor pairs without an index: member-function pointers.
#define NUMBER(Record, name, Type, getter, setter)                                                 \
    numberField<Record>(                                                                           \
        QStringLiteral(name), std::numeric_limits<Type>::max(), int(sizeof(Type)),                 \
        [](const Record &r) { return r.getter(); },                                                \
        [](Record &r, qulonglong v) { r.setter(Type(v)); })
#define TEXT(Record, name, width, getter, setter)                                                  \
    textField<Record>(                                                                             \
        QStringLiteral(name), width, [](const Record &r) { return r.getter(); },                   \
        [](Record &r, const QByteArray &v) { r.setter(v); })
// Accessor pairs of entry i.
#define NUMBER_AT(Record, name, Type, getter, setter, i)                                           \
    numberField<Record>(                                                                           \
        name, std::numeric_limits<Type>::max(), int(sizeof(Type)),                                 \
        [i](const Record &r) { return r.getter(i); },                                              \
        [i](Record &r, qulonglong v) { r.setter(i, Type(v)); })
#define TEXT_AT(Record, name, width, getter, setter, i)                                            \
    textField<Record>(                                                                             \
        name, width, [i](const Record &r) { return r.getter(i); },                                 \
        [i](Record &r, const QByteArray &v) { r.setter(i, v); })

RecordType deviceType()
{
    RecordType t { QStringLiteral("device"), QStringLiteral("device identity"),
        DeviceCfg::getCommand, DeviceCfg::recordSize, 0, {} };
    t.fields = {
        TEXT(DeviceCfg, "name", SOLV_DEVICECFG_NAME_LEN, name, setName),
        NUMBER(DeviceCfg, "deviceNumber", quint32, deviceNumber, setDeviceNumber),
        TEXT(DeviceCfg, "serialNumber", SOLV_DEVICECFG_SERIAL_LEN, serialNumber, setSerialNumber),
        NUMBER(DeviceCfg, "softwareVersion", quint32, softwareVersion, setSoftwareVersion),
        NUMBER(DeviceCfg, "softwareBuildDate", quint32, softwareBuildDate, setSoftwareBuildDate),
        NUMBER(DeviceCfg, "dspVersion", quint32, dspVersion, setDspVersion),
        NUMBER(DeviceCfg, "dspBuildDate", quint32, dspBuildDate, setDspBuildDate),
        NUMBER(DeviceCfg, "diskCount", quint8, diskCount, setDiskCount),
        NUMBER(DeviceCfg, "deviceType", quint8, deviceType, setDeviceType),
        NUMBER(DeviceCfg, "channelCount", quint8, channelCount, setChannelCount),
    };
    return t;
}

RecordType netType()
{
    RecordType t { QStringLiteral("net"), QStringLiteral("network"), NetCfg::getCommand,
        NetCfg::recordSize, 0, {} };
    const RecordField mac = accessorField<NetCfg>(
        QStringLiteral("mac"), FieldKind::Mac, SOLV_NETCFG_MAC_LEN, SOLV_NETCFG_MAC_LEN,
        [](const NetCfg &net) { return formatMac(net.mac()); },
        [](NetCfg &net, const QVariant &value) { net.setMac(parseMac(value.toString())); });
    t.fields = {
        TEXT(NetCfg, "ipAddress", SOLV_NETCFG_IP_ADDRESS_LEN, ipAddress, setIpAddress),
        TEXT(NetCfg, "subnetMask", SOLV_NETCFG_MASK_LEN, subnetMask, setSubnetMask),
        NUMBER(NetCfg, "port", quint16, port, setPort),
        mac,
        TEXT(NetCfg, "gateway", SOLV_NETCFG_GATEWAY_LEN, gateway, setGateway),
    };
    return t;
}

RecordType frontType()
{
    RecordType t { QStringLiteral("front"), QStringLiteral("camera front end"),
        FrontCfg::getCommand, FrontCfg::recordSize, 1, {} };
    t.fields = {
        NUMBER(FrontCfg, "brightness", quint8, brightness, setBrightness),
        NUMBER(FrontCfg, "contrast", quint8, contrast, setContrast),
        NUMBER(FrontCfg, "sharpness", quint8, sharpness, setSharpness),
        NUMBER(FrontCfg, "saturation", quint8, saturation, setSaturation),
        NUMBER(FrontCfg, "gain", quint8, gain, setGain),
        NUMBER(FrontCfg, "exposureMode", quint8, exposureMode, setExposureMode),
        NUMBER(FrontCfg, "exposureTime", quint32, exposureTime, setExposureTime),
        NUMBER(FrontCfg, "dayNightFilterType", quint8, dayNightFilterType, setDayNightFilterType),
        NUMBER(FrontCfg, "dayToNightSensitivity", quint8, dayToNightSensitivity,
            setDayToNightSensitivity),
        NUMBER(FrontCfg, "nightToDaySensitivity", quint8, nightToDaySensitivity,
            setNightToDaySensitivity),
        NUMBER(FrontCfg, "dayNightFilterTime", quint8, dayNightFilterTime, setDayNightFilterTime),
        NUMBER(FrontCfg, "irisMode", quint8, irisMode, setIrisMode),
        NUMBER(FrontCfg, "localOutput", quint8, localOutput, setLocalOutput),
    };
    return t;
}

RecordType pictureType()
{
    RecordType t { QStringLiteral("picture"), QStringLiteral("channel name and on-screen display"),
        PicCfg::getCommand, PicCfg::recordSize, 1, {} };
    t.fields = {
        TEXT(PicCfg, "channelName", SOLV_PICCFG_CHANNEL_NAME_LEN, channelName, setChannelName),
        NUMBER(PicCfg, "showChannelName", quint32, showChannelName, setShowChannelName),
        NUMBER(PicCfg, "showOsd", quint32, showOsd, setShowOsd),
        NUMBER(PicCfg, "osdType", quint8, osdType, setOsdType),
        NUMBER(PicCfg, "showWeek", quint8, showWeek, setShowWeek),
        NUMBER(PicCfg, "hourOsdType", quint8, hourOsdType, setHourOsdType),
    };
    return t;
}

RecordType compressionType()
{
    RecordType t { QStringLiteral("compression"), QStringLiteral("main and sub stream encoding"),
        CompressCfg::getCommand, CompressCfg::recordSize, 1, {} };
    const std::pair<const char *, int> streams[]
        = { { "main", CompressCfg::MainStream }, { "sub", CompressCfg::SubStream } };
    for (const auto &[prefix, b] : streams) {
        const QString p = QLatin1String(prefix) + QLatin1Char('.');
        t.fields += {
            NUMBER_AT(CompressCfg, p + "streamType", quint8, streamType, setStreamType, b),
            NUMBER_AT(CompressCfg, p + "resolution", quint8, resolution, setResolution, b),
            NUMBER_AT(CompressCfg, p + "bitrateType", quint8, bitrateType, setBitrateType, b),
            NUMBER_AT(CompressCfg, p + "bitrate", quint32, bitrate, setBitrate, b),
            NUMBER_AT(CompressCfg, p + "frameRate", quint32, frameRate, setFrameRate, b),
            NUMBER_AT(
                CompressCfg, p + "iFrameInterval", quint16, iFrameInterval, setIFrameInterval, b),
            NUMBER_AT(CompressCfg, p + "encodeType", quint8, encodeType, setEncodeType, b),
        };
    }
    return t;
}

QString slotText(const RecordSlot &s)
{
    return QString::asprintf(
        "%02u:%02u-%02u:%02u/%u", s.startHour, s.startMinute, s.stopHour, s.stopMinute, s.type);
}

const QRegularExpression &slotPattern()
{
    static const QRegularExpression pattern(
        QStringLiteral("^(\\d{1,2}):(\\d{1,2})-(\\d{1,2}):(\\d{1,2})/(\\d{1,3})$"));
    return pattern;
}

RecordType recordType()
{
    RecordType t { QStringLiteral("record"), QStringLiteral("recording schedule"),
        RecordCfg::getCommand, RecordCfg::recordSize, 1, {} };
    t.fields += NUMBER(RecordCfg, "enabled", quint32, enabled, setEnabled);
    for (int d = 0; d < RecordCfg::dayCount; ++d) {
        const QString p = QStringLiteral("day%1.").arg(d);
        t.fields += NUMBER_AT(RecordCfg, p + "allDay", quint16, allDay, setAllDay, d);
        t.fields += NUMBER_AT(RecordCfg, p + "allDayType", quint8, allDayType, setAllDayType, d);
        for (int s = 0; s < RecordCfg::slotCount; ++s) {
            t.fields += accessorField<RecordCfg>(
                p + QStringLiteral("slot%1").arg(s), FieldKind::Slot, 5, 5,
                [d, s](const RecordCfg &record) { return slotText(record.slot(d, s)); },
                [d, s](RecordCfg &record, const QVariant &value) {
                    const auto match = slotPattern().match(value.toString());
                    record.setSlot(d, s,
                        { quint8(match.captured(1).toUInt()), quint8(match.captured(2).toUInt()),
                            quint8(match.captured(3).toUInt()), quint8(match.captured(4).toUInt()),
                            quint8(match.captured(5).toUInt()) });
                });
        }
    }
    return t;
}

RecordType ddnsType()
{
    RecordType t { QStringLiteral("ddns"), QStringLiteral("dynamic DNS"), DdnsCfg::getCommand,
        DdnsCfg::recordSize, 1, {} };
    t.fields += NUMBER(DdnsCfg, "enabled", quint8, enabled, setEnabled);
    t.fields += NUMBER(DdnsCfg, "serverType", quint8, serverType, setServerType);
    for (int e = 0; e < DdnsCfg::entryCount; ++e) {
        const QString p = QStringLiteral("entry%1.").arg(e);
        t.fields += {
            TEXT_AT(DdnsCfg, p + "userName", SOLV_DDNSCFG_ENTRY_USER_LEN, userName, setUserName, e),
            TEXT_AT(
                DdnsCfg, p + "password", SOLV_DDNSCFG_ENTRY_PASSWORD_LEN, password, setPassword, e),
            TEXT_AT(DdnsCfg, p + "domain", SOLV_DDNSCFG_ENTRY_DOMAIN_LEN, domain, setDomain, e),
            TEXT_AT(DdnsCfg, p + "serverAddress", SOLV_DDNSCFG_ENTRY_SERVER_LEN, serverAddress,
                setServerAddress, e),
            NUMBER_AT(DdnsCfg, p + "serverPort", quint16, serverPort, setServerPort, e),
        };
    }
    return t;
}

RecordType ntpType()
{
    RecordType t { QStringLiteral("ntp"), QStringLiteral("time server"), NtpCfg::getCommand,
        NtpCfg::recordSize, 1, {} };
    t.fields = {
        TEXT(NtpCfg, "server", SOLV_NTPCFG_SERVER_LEN, server, setServer),
        NUMBER(NtpCfg, "enabled", quint8, enabled, setEnabled),
        NUMBER(NtpCfg, "port", quint16, port, setPort),
    };
    return t;
}

RecordType nfsType()
{
    RecordType t { QStringLiteral("nfs"), QStringLiteral("network disks"), NfsCfg::getCommand,
        NfsCfg::recordSize, 1, {} };
    for (int e = 0; e < NfsCfg::entryCount; ++e) {
        const QString p = QStringLiteral("disk%1.").arg(e);
        t.fields += TEXT_AT(NfsCfg, p + "host", SOLV_NFSCFG_ENTRY_HOST_LEN, host, setHost, e);
        t.fields += TEXT_AT(
            NfsCfg, p + "directory", SOLV_NFSCFG_ENTRY_DIRECTORY_LEN, directory, setDirectory, e);
    }
    return t;
}

RecordType emailType()
{
    RecordType t { QStringLiteral("email"), QStringLiteral("e-mail"), EmailCfg::getCommand,
        EmailCfg::recordSize, 1, {} };
    t.fields = {
        TEXT(EmailCfg, "account", SOLV_EMAILCFG_ACCOUNT_LEN, account, setAccount),
        TEXT(EmailCfg, "password", SOLV_EMAILCFG_PASSWORD_LEN, password, setPassword),
        TEXT(EmailCfg, "senderName", SOLV_EMAILCFG_SENDER_NAME_LEN, senderName, setSenderName),
        TEXT(EmailCfg, "senderAddress", SOLV_EMAILCFG_SENDER_ADDRESS_LEN, senderAddress,
            setSenderAddress),
        TEXT(EmailCfg, "smtpServer", SOLV_EMAILCFG_SMTP_SERVER_LEN, smtpServer, setSmtpServer),
        TEXT(EmailCfg, "pop3Server", SOLV_EMAILCFG_POP3_SERVER_LEN, pop3Server, setPop3Server),
    };
    for (int n = 0; n < EmailCfg::receiverCount; ++n) {
        const QString p = QStringLiteral("receiver%1.").arg(n);
        t.fields += TEXT_AT(EmailCfg, p + "name", SOLV_EMAILCFG_RECEIVER_NAME_LEN, receiverName,
            setReceiverName, n);
        t.fields += TEXT_AT(EmailCfg, p + "address", SOLV_EMAILCFG_RECEIVER_ADDRESS_LEN,
            receiverAddress, setReceiverAddress, n);
    }
    t.fields += {
        NUMBER(EmailCfg, "attachPicture", quint8, attachPicture, setAttachPicture),
        NUMBER(EmailCfg, "smtpAuthentication", quint8, smtpAuthentication, setSmtpAuthentication),
        NUMBER(EmailCfg, "mailInterval", quint8, mailInterval, setMailInterval),
        NUMBER(EmailCfg, "ssl", quint8, ssl, setSsl),
        NUMBER(EmailCfg, "smtpPort", quint16, smtpPort, setSmtpPort),
    };
    return t;
}

RecordType decoderType()
{
    RecordType t { QStringLiteral("decoder"), QStringLiteral("RS-485 and PTZ decoder"),
        DecoderCfg::getCommand, DecoderCfg::recordSize, 1, {} };
    t.fields = {
        NUMBER(DecoderCfg, "baudRate", quint32, baudRate, setBaudRate),
        NUMBER(DecoderCfg, "dataBits", quint8, dataBits, setDataBits),
        NUMBER(DecoderCfg, "stopBits", quint8, stopBits, setStopBits),
        NUMBER(DecoderCfg, "parity", quint8, parity, setParity),
        NUMBER(DecoderCfg, "flowControl", quint8, flowControl, setFlowControl),
        NUMBER(DecoderCfg, "decoderType", quint16, decoderType, setDecoderType),
        NUMBER(DecoderCfg, "decoderAddress", quint16, decoderAddress, setDecoderAddress),
    };
    return t;
}

} // namespace

const QList<RecordType> &recordTypes()
{
    static const QList<RecordType> types
        = { deviceType(), netType(), frontType(), pictureType(), compressionType(), recordType(),
              ddnsType(), ntpType(), nfsType(), emailType(), decoderType() };
    return types;
}

const RecordType *findRecordType(const QString &name)
{
    for (const RecordType &type : recordTypes()) {
        if (type.name.compare(name, Qt::CaseInsensitive) == 0) {
            return &type;
        }
    }
    return nullptr;
}

const RecordField *findField(const RecordType &type, const QString &name)
{
    for (const RecordField &field : type.fields) {
        if (field.name.compare(name, Qt::CaseInsensitive) == 0) {
            return &field;
        }
    }
    return nullptr;
}

bool parseFieldValue(const RecordField &field, const QString &text, QVariant &value, QString *error)
{
    auto fail = [error](const QString &message) {
        if (error) {
            *error = message;
        }
        return false;
    };
    switch (field.kind) {
    case FieldKind::Number: {
        bool ok = false;
        // Decimal, or hexadecimal with 0x (bitrates and versions read better so).
        const qulonglong number = text.trimmed().toULongLong(&ok, 0);
        if (!ok || number > field.limit) {
            return fail(
                QCoreApplication::translate("RecordFields", "%1 takes a whole number from 0 to %2")
                    .arg(field.name)
                    .arg(field.limit));
        }
        value = qulonglong(number);
        return true;
    }
    case FieldKind::Text: {
        const QByteArray bytes = text.toLocal8Bit();
        if (bytes.contains('\0')) {
            return fail(QCoreApplication::translate("RecordFields", "%1 cannot hold a zero byte")
                            .arg(field.name));
        }
        if (quint32(bytes.size()) > field.limit) {
            return fail(QCoreApplication::translate(
                "RecordFields", "%1 holds at most %2 bytes, \"%3\" has %4")
                            .arg(field.name)
                            .arg(field.limit)
                            .arg(text)
                            .arg(bytes.size()));
        }
        value = bytes;
        return true;
    }
    case FieldKind::Mac:
        if (parseMac(text).isEmpty()) {
            return fail(QCoreApplication::translate(
                "RecordFields", "%1 takes an address like 02:54:56:00:00:01")
                            .arg(field.name));
        }
        value = text;
        return true;
    case FieldKind::Slot: {
        const auto match = slotPattern().match(text.trimmed());
        const bool ok = match.hasMatch() && match.captured(1).toUInt() <= 24
            && match.captured(2).toUInt() <= 59 && match.captured(3).toUInt() <= 24
            && match.captured(4).toUInt() <= 59 && match.captured(5).toUInt() <= 255;
        if (!ok) {
            return fail(QCoreApplication::translate(
                "RecordFields", "%1 takes start-stop/type like 08:00-12:00/0 (hours 0 to 24)")
                            .arg(field.name));
        }
        value = text.trimmed();
        return true;
    }
    }
    return fail(QString());
}

QString fieldValueText(const RecordField &field, const QVariant &value)
{
    switch (field.kind) {
    case FieldKind::Number:
        return QString::number(value.toULongLong());
    case FieldKind::Text:
        return QString::fromLocal8Bit(value.toByteArray());
    case FieldKind::Mac:
    case FieldKind::Slot:
        return value.toString();
    }
    return {};
}
