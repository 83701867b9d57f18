// The parameter templet reader: a templet file written from the input, read
// and every section stored into its record.
#include "templetfile.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // One scratch file per process, gone when the run ends.
    static const struct Scratch
    {
        QString name = QDir::tempPath() + QStringLiteral("/tervix-fuzz-templet-%1.xml").arg(::getpid());
        ~Scratch() { QFile::remove(name); }
    } scratch;
    const QString &fileName = scratch.name;
    {
        QFile file(fileName);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            return 0;
        }
        file.write(reinterpret_cast<const char *>(data), qint64(size));
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
