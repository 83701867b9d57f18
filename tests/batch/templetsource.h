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

// Calls `f.operator()<View>(bit, writer's call, reader's call)` for every
// section, in the templet's own order.
template<typename F> void forEachSection(F &&f)
{
    using W = CTempletWriter;
    using R = CTempletReader;
    f.template operator()<FrontCfg>(FrontSection, &W::SetPreParam, &R::GetPreParam);
    f.template operator()<CompressCfg>(
        CompressionSection, &W::SetCompressionParam, &R::GetCompressionParam);
    f.template operator()<PicCfg>(PictureSection, &W::SetPicParam, &R::GetPicParam);
    f.template operator()<RecordCfg>(RecordSection, &W::SetRECParam, &R::GetRECParam);
    f.template operator()<DdnsCfg>(DdnsSection, &W::SetDDNSParam, &R::GetDDNSParam);
    f.template operator()<NfsCfg>(NfsSection, &W::SetNFSParam, &R::GetNFSParam);
    f.template operator()<NtpCfg>(NtpSection, &W::SetNTPParam, &R::GetNTPParam);
    f.template operator()<EmailCfg>(EmailSection, &W::SetEmailParam, &R::GetEmailParam);
    f.template operator()<DecoderCfg>(PtzSection, &W::SetPTZParam, &R::GetPTZParam);
}

// Every record of a camera that a run could touch, or must not.
inline Records cameraRecords(const devsim::Fleet &fleet, int camera)
{
    Records records;
    for (const quint32 command : { DeviceCfg::getCommand, NetCfg::getCommand }) {
        records.insert(command, fleet.record(camera, command));
    }
    forEachSection([&]<typename View>(quint32, auto, auto) {
        records.insert(View::getCommand, fleet.record(camera, View::getCommand));
    });
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
    forEachSection([&]<typename View>(quint32 bit, auto set, auto) {
        ok = ok && (!(bits & bit) || (writer.*set)(view<View>(source)));
    });
    return writer.Close() && ok;
}

// A device's records once the templet's sections are applied to it.
inline Records afterApplying(const QString &templet, Records records)
{
    CTempletReader reader;
    if (!reader.LoadTemplate(templet)) {
        return {};
    }
    forEachSection([&]<typename View>(quint32, auto, auto get) {
        View record = view<View>(records);
        if ((reader.*get)(&record)) {
            records.insert(View::getCommand, record.bytes());
        }
    });
    return records;
}

} // namespace batchtest
