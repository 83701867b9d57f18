// Writes the templet reader's seed: makeseeds_templet <file>, every section
// of the writer from records of zeros.
#include "templetfile.h"

#include <QCoreApplication>
#include <QString>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        return 2;
    }
    CTempletWriter writer;
    const bool written = writer.OpenTemplate(QString::fromLocal8Bit(argv[1]))
        && writer.SetPreParam(FrontCfg()) && writer.SetCompressionParam(CompressCfg())
        && writer.SetPicParam(PicCfg()) && writer.SetRECParam(RecordCfg())
        && writer.SetDDNSParam(DdnsCfg()) && writer.SetNFSParam(NfsCfg())
        && writer.SetNTPParam(NtpCfg()) && writer.SetEmailParam(EmailCfg())
        && writer.SetPTZParam(DecoderCfg()) && writer.Close();
    return written ? 0 : 1;
}
