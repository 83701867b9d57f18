// Templets for the batch suites: written from records with the program's own
// writer, and what applying one to a device's record must give, worked out
// from the records' field tables alone.
#pragma once

#include "batchconfigmanager.h"
#include "fixedtext.h"
#include "records.h"
#include "templetfile.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <cstring>
#include <span>

namespace batchtest {

// The nine records a templet is written from, by get command, in bit order.
inline constexpr quint32 SectionCommands[BatchSectionCount] = { FrontCfg::getCommand,
    PicCfg::getCommand, CompressCfg::getCommand, RecordCfg::getCommand, DdnsCfg::getCommand,
    NtpCfg::getCommand, NfsCfg::getCommand, EmailCfg::getCommand, DecoderCfg::getCommand };
// Every record the simulator keeps that a test compares.
inline constexpr quint32 AllCommands[]
    = { DeviceCfg::getCommand, NetCfg::getCommand, FrontCfg::getCommand, PicCfg::getCommand,
          CompressCfg::getCommand, RecordCfg::getCommand, DdnsCfg::getCommand, NtpCfg::getCommand,
          NfsCfg::getCommand, EmailCfg::getCommand, DecoderCfg::getCommand };

using Records = QHash<quint32, QByteArray>; // by get command

template<typename View> View view(const Records &records)
{
    View record;
    record.bytes() = records.value(View::getCommand);
    return record;
}

// Writes the sections of `bits` from `source`, in the templet's own order.
inline bool writeTemplet(const QString &fileName, const Records &source, quint32 bits)
{
    CTempletWriter writer;
    if (!writer.OpenTemplate(fileName)) {
        return false;
    }
    bool ok = true;
    if (bits & FrontSection) {
        ok = writer.SetPreParam(view<FrontCfg>(source)) && ok;
    }
    if (bits & CompressionSection) {
        ok = writer.SetCompressionParam(view<CompressCfg>(source)) && ok;
    }
    if (bits & PictureSection) {
        ok = writer.SetPicParam(view<PicCfg>(source)) && ok;
    }
    if (bits & RecordSection) {
        ok = writer.SetRECParam(view<RecordCfg>(source)) && ok;
    }
    if (bits & DdnsSection) {
        ok = writer.SetDDNSParam(view<DdnsCfg>(source)) && ok;
    }
    if (bits & NfsSection) {
        ok = writer.SetNFSParam(view<NfsCfg>(source)) && ok;
    }
    if (bits & NtpSection) {
        ok = writer.SetNTPParam(view<NtpCfg>(source)) && ok;
    }
    if (bits & EmailSection) {
        ok = writer.SetEmailParam(view<EmailCfg>(source)) && ok;
    }
    if (bits & PtzSection) {
        ok = writer.SetPTZParam(view<DecoderCfg>(source)) && ok;
    }
    return writer.Close() && ok;
}

// Copies the templet's fields of `rows`, at `base`, from source to target: numbers
// byte for byte, texts as the templet carries them (up to the first zero, zero-padded).
inline void copyRows(
    QByteArray &target, const QByteArray &source, std::span<const FieldRow> rows, int base)
{
    for (const FieldRow &row : rows) {
        if (row.templetElement == nullptr) {
            continue;
        }
        char *to = target.data() + base + row.offset;
        const char *from = source.constData() + base + row.offset;
        if (row.type == FieldType::Text) {
            FixedText::write(to, row.width, FixedText::read(from, row.width), FixedText::FullWidth);
        } else {
            std::memcpy(to, from, size_t(row.width));
        }
    }
}

template<typename View> void copyEntries(QByteArray &target, const QByteArray &source)
{
    for (int i = 0; i < View::entries.count; ++i) {
        copyRows(target, source, View::entryFields, View::entries.at(i, 0));
    }
}

// The device's record `getCommand` after the templet section written from
// `source` has been applied to it.
inline QByteArray applied(quint32 getCommand, QByteArray device, const QByteArray &source)
{
    switch (getCommand) {
    case FrontCfg::getCommand:
        copyRows(device, source, FrontCfg::fields, 0);
        break;
    case PicCfg::getCommand:
        copyRows(device, source, PicCfg::fields, 0);
        break;
    case CompressCfg::getCommand:
        for (const NamedEntry &stream : CompressCfg::streams) {
            copyRows(
                device, source, CompressCfg::entryFields, CompressCfg::entries.at(stream.index, 0));
        }
        break;
    case RecordCfg::getCommand:
        copyRows(device, source, RecordCfg::fields, 0);
        copyEntries<RecordCfg>(device, source);
        for (int day = 0; day < RecordCfg::dayCount; ++day) {
            for (int slot = 0; slot < RecordCfg::slotCount; ++slot) {
                copyRows(
                    device, source, RecordCfg::slotFields, RecordCfg::slotOffset(day, slot, 0));
            }
        }
        break;
    case DdnsCfg::getCommand: {
        copyRows(device, source, DdnsCfg::fields, 0);
        DdnsCfg ddns;
        ddns.bytes() = source;
        // Only the entry of the server type travels.
        copyRows(device, source, DdnsCfg::entryFields, DdnsCfg::entries.at(ddns.serverType(), 0));
        break;
    }
    case NtpCfg::getCommand:
        copyRows(device, source, NtpCfg::fields, 0);
        break;
    case NfsCfg::getCommand:
        copyEntries<NfsCfg>(device, source);
        break;
    case EmailCfg::getCommand:
        copyRows(device, source, EmailCfg::fields, 0);
        copyEntries<EmailCfg>(device, source);
        break;
    case DecoderCfg::getCommand:
        copyRows(device, source, DecoderCfg::fields, 0);
        break;
    default:
        break;
    }
    return device;
}

// Records to write a templet from: another camera's, with values no factory
// camera has, and passwords that stay printable when scrambled.
inline Records distinctSource(Records records)
{
    auto edit = [&records]<typename View>(View record, auto change) {
        record.bytes() = records.value(View::getCommand);
        change(record);
        records.insert(View::getCommand, record.bytes());
    };
    edit(FrontCfg(), [](FrontCfg &r) {
        r.setBrightness(91);
        r.setGain(7);
    });
    edit(PicCfg(), [](PicCfg &r) { r.setChannelName("Batch hall"); });
    edit(CompressCfg(), [](CompressCfg &r) { r.setIFrameInterval(CompressCfg::SubStream, 333); });
    edit(RecordCfg(), [](RecordCfg &r) { r.setSlot(6, 7, { 1, 2, 3, 4, 1 }); });
    edit(DdnsCfg(), [](DdnsCfg &r) {
        r.setServerType(1);
        r.setEnabled(1);
        r.setPassword(1, "abcdefgh");
        r.setDomain(1, "batch.example");
    });
    edit(NtpCfg(), [](NtpCfg &r) {
        r.setServer("ntp.batch.example");
        r.setPort(1123);
    });
    edit(NfsCfg(), [](NfsCfg &r) { r.setDirectory(7, "/export/batch"); });
    edit(EmailCfg(), [](EmailCfg &r) {
        r.setPassword("abcdefghabcd");
        r.setReceiverName(2, "night shift");
    });
    edit(DecoderCfg(), [](DecoderCfg &r) { r.setDecoderAddress(77); });
    return records;
}

} // namespace batchtest
