// Templets for the batch suites, written and read with the program's own
// writer and reader, and the records a simulated camera holds.
#pragma once

#include "batchconfigmanager.h"
#include "fleet.h"
#include "records.h"
#include "templetfile.h"

#include <QHash>

namespace batchtest {

using Records = QHash<quint32, QByteArray>; // by get command

// The record of each section, in bit order.
inline constexpr quint32 SectionCommands[BatchSectionCount] = { FrontCfg::getCommand,
    PicCfg::getCommand, CompressCfg::getCommand, RecordCfg::getCommand, DdnsCfg::getCommand,
    NtpCfg::getCommand, NfsCfg::getCommand, EmailCfg::getCommand, DecoderCfg::getCommand };

// Every record of a camera that a run could touch, or must not.
inline Records cameraRecords(const devsim::Fleet &fleet, int camera)
{
    Records records;
    for (const quint32 command :
        { DeviceCfg::getCommand, NetCfg::getCommand, FrontCfg::getCommand, PicCfg::getCommand,
            CompressCfg::getCommand, RecordCfg::getCommand, DdnsCfg::getCommand, NtpCfg::getCommand,
            NfsCfg::getCommand, EmailCfg::getCommand, DecoderCfg::getCommand }) {
        records.insert(command, fleet.record(camera, command));
    }
    return records;
}

template<typename View> View view(const Records &records)
{
    View record;
    record.bytes() = records.value(View::getCommand);
    return record;
}

template<typename View> void edit(Records &records, void (*change)(View &))
{
    View record = view<View>(records);
    change(record);
    records.insert(View::getCommand, record.bytes());
}

// Writes the sections of `bits` from a camera's records, changed to values no
// factory camera has (passwords that stay printable when scrambled).
inline bool writeTemplet(const QString &fileName, Records source, quint32 bits)
{
    edit<FrontCfg>(source, [](FrontCfg &r) { r.setBrightness(91); });
    edit<PicCfg>(source, [](PicCfg &r) { r.setChannelName("Batch hall"); });
    edit<CompressCfg>(source, [](CompressCfg &r) { r.setIFrameInterval(3, 333); });
    edit<RecordCfg>(source, [](RecordCfg &r) { r.setSlot(6, 7, { 1, 2, 3, 4, 1 }); });
    edit<DdnsCfg>(source, [](DdnsCfg &r) {
        r.setServerType(1);
        r.setPassword(1, "abcdefgh");
    });
    edit<NtpCfg>(source, [](NtpCfg &r) {
        r.setServer("ntp.batch.example");
        r.setPort(1123);
    });
    edit<NfsCfg>(source, [](NfsCfg &r) { r.setDirectory(7, "/export/batch"); });
    edit<EmailCfg>(source, [](EmailCfg &r) { r.setPassword("abcdefgh"); });
    edit<DecoderCfg>(source, [](DecoderCfg &r) { r.setDecoderAddress(77); });

    CTempletWriter writer;
    bool ok = writer.OpenTemplate(fileName);
    // In the templet's own order.
    ok = ok && (!(bits & FrontSection) || writer.SetPreParam(view<FrontCfg>(source)));
    ok = ok
        && (!(bits & CompressionSection) || writer.SetCompressionParam(view<CompressCfg>(source)));
    ok = ok && (!(bits & PictureSection) || writer.SetPicParam(view<PicCfg>(source)));
    ok = ok && (!(bits & RecordSection) || writer.SetRECParam(view<RecordCfg>(source)));
    ok = ok && (!(bits & DdnsSection) || writer.SetDDNSParam(view<DdnsCfg>(source)));
    ok = ok && (!(bits & NfsSection) || writer.SetNFSParam(view<NfsCfg>(source)));
    ok = ok && (!(bits & NtpSection) || writer.SetNTPParam(view<NtpCfg>(source)));
    ok = ok && (!(bits & EmailSection) || writer.SetEmailParam(view<EmailCfg>(source)));
    ok = ok && (!(bits & PtzSection) || writer.SetPTZParam(view<DecoderCfg>(source)));
    return writer.Close() && ok;
}

template<typename View, bool (CTempletReader::*Get)(View *) const>
void overlay(const CTempletReader &reader, Records &records)
{
    View record = view<View>(records);
    if ((reader.*Get)(&record)) {
        records.insert(View::getCommand, record.bytes());
    }
}

// A device's records once the templet's sections are applied to it.
inline Records afterApplying(const QString &templet, Records records)
{
    CTempletReader reader;
    if (!reader.LoadTemplate(templet)) {
        return {};
    }
    overlay<FrontCfg, &CTempletReader::GetPreParam>(reader, records);
    overlay<PicCfg, &CTempletReader::GetPicParam>(reader, records);
    overlay<CompressCfg, &CTempletReader::GetCompressionParam>(reader, records);
    overlay<RecordCfg, &CTempletReader::GetRECParam>(reader, records);
    overlay<DdnsCfg, &CTempletReader::GetDDNSParam>(reader, records);
    overlay<NtpCfg, &CTempletReader::GetNTPParam>(reader, records);
    overlay<NfsCfg, &CTempletReader::GetNFSParam>(reader, records);
    overlay<EmailCfg, &CTempletReader::GetEmailParam>(reader, records);
    overlay<DecoderCfg, &CTempletReader::GetPTZParam>(reader, records);
    return records;
}

} // namespace batchtest
