#pragma once

#include "records.h"

#include <QDomDocument>
#include <QDomElement>
#include <QString>

#include <memory>

class QSaveFile;
class QXmlStreamWriter;

// The parameter templet: one device's parameters in an XML file, one section
// per record ("Front", "Compression", "Picture", "Record", "DDNS", "NFS",
// "NTP", "Email", "RS485" under the root "DevicePara"). Which element holds
// which field comes from the records' field tables (records.h).

// Writes a templet. Sections are written in the order their Set...Param
// operations are called; the file is replaced only by Close(), whole.
class CTempletWriter
{
public:
    CTempletWriter();
    ~CTempletWriter(); // without Close() the old file, if any, stays untouched
    CTempletWriter(const CTempletWriter &) = delete;
    CTempletWriter &operator=(const CTempletWriter &) = delete;

    // Starts the document; false when the file cannot be created beside its
    // final name.
    bool OpenTemplate(const QString &fileName);

    // Each writes its whole section; false before OpenTemplate().
    bool SetPreParam(const FrontCfg &record);
    bool SetCompressionParam(const CompressCfg &record);
    bool SetPicParam(const PicCfg &record);
    bool SetRECParam(const RecordCfg &record);
    bool SetDDNSParam(const DdnsCfg &record);
    bool SetNFSParam(const NfsCfg &record);
    bool SetNTPParam(const NtpCfg &record);
    bool SetEmailParam(const EmailCfg &record);
    bool SetPTZParam(const DecoderCfg &record);

    // Ends the document and puts the file in place of the old one; false,
    // and the old file unchanged, when it cannot be written completely.
    bool Close();

private:
    bool isOpen() const { return m_xml != nullptr; }

    std::unique_ptr<QSaveFile> m_file;
    QString m_text; // the document, every character Latin-1
    std::unique_ptr<QXmlStreamWriter> m_xml; // writes into m_text
};

// Reads a templet and overlays its sections onto records.
class CTempletReader
{
public:
    // False when the file cannot be opened or is not well-formed XML. The
    // root element's name is not checked.
    bool LoadTemplate(const QString &fileName);

    // Each: false when the section is absent. With a record, the fields the
    // section holds are stored into it and every other byte stays as it was;
    // without one, only the section's presence is reported.
    bool GetPreParam(FrontCfg *record = nullptr) const;
    bool GetCompressionParam(CompressCfg *record = nullptr) const;
    bool GetPicParam(PicCfg *record = nullptr) const;
    bool GetRECParam(RecordCfg *record = nullptr) const;
    bool GetDDNSParam(DdnsCfg *record = nullptr) const;
    bool GetNFSParam(NfsCfg *record = nullptr) const;
    bool GetNTPParam(NtpCfg *record = nullptr) const;
    bool GetEmailParam(EmailCfg *record = nullptr) const;
    bool GetPTZParam(DecoderCfg *record = nullptr) const;

private:
    QDomElement section(const char *name) const;

    QDomDocument m_document;
    QDomElement m_root;
};
