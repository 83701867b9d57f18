// The parameter templet reader: a templet file written from the input, read
// and every section stored into its record.
#include "fuzzscratch.h"
#include "templetfile.h"

#include <QByteArray>
#include <QString>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString fileName = writeScratch("templet", data, size);
    if (fileName.isEmpty()) {
        return 0;
    }
    CTempletReader reader;
    if (reader.LoadTemplate(fileName)) {
        FrontCfg front;
        CompressCfg compression;
        PicCfg picture;
        RecordCfg recording;
        DdnsCfg ddns;
        NfsCfg nfs;
        NtpCfg ntp;
        EmailCfg email;
        DecoderCfg ptz;
        reader.GetPreParam(&front);
        reader.GetCompressionParam(&compression);
        reader.GetPicParam(&picture);
        reader.GetRECParam(&recording);
        reader.GetDDNSParam(&ddns);
        reader.GetNFSParam(&nfs);
        reader.GetNTPParam(&ntp);
        reader.GetEmailParam(&email);
        reader.GetPTZParam(&ptz);
        reader.GetPreParam();
    }
    return 0;
}
