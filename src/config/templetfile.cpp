#include "templetfile.h"

#include "debuglog.h"

#include <QFile>
#include <QSaveFile>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <QtEndian>

#include <algorithm>
#include <span>

namespace {

// Qt's stream writer declares UTF-8 only when it writes to a device, so the
// document is written into a string after this declaration and encoded as
// Latin-1 at the end: every character in it is Latin-1, one byte each.
constexpr char Declaration[] = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>";
constexpr char RootElement[] = "DevicePara";

constexpr quint32 PasswordKey = 0x5A3C91E7;

// Texts holding a byte that XML 1.0 cannot carry are written as hex digits
// in an element marked encoding="hex", for instance
// <Password encoding="hex">d1a1056b37</Password> for the password "60917",
// which scrambles into D1 A1 05 6B 37. Such bytes are a zero and the control
// characters below 0x20 other than tab, line feed and carriage return; a
// scrambled password often holds one, because the key turns digits and
// capitals into control characters. Every other text is plain element text,
// a carriage return in it written "&#13;", which parsers keep; the reader
// decodes only elements so marked.
constexpr QLatin1String EncodingAttribute("encoding");
constexpr QLatin1String HexEncoding("hex");

QString name(const char *element)
{
    return QString::fromLatin1(element);
}

bool xmlCannotCarry(char byte)
{
    const auto c = uchar(byte);
    return c < 0x20 && c != '\t' && c != '\n' && c != '\r';
}

// XORs each whole four-byte group, read as a little-endian word, with the
// key; the last size mod 4 bytes stay. Applied twice it restores the text.
QByteArray scrambled(QByteArray text)
{
    for (qsizetype i = 0; i + 4 <= text.size(); i += 4) {
        const quint32 word = qFromLittleEndian<quint32>(text.constData() + i) ^ PasswordKey;
        qToLittleEndian(word, text.data() + i);
    }
    return text;
}

// The two scrambled fields, DDNS's and the e-mail password.
bool isPassword(const FieldRow &row)
{
    return qstrcmp(row.templetElement, "Password") == 0;
}

// The front-end levels and modes are read as signed 32-bit numbers, so "-1"
// stores 255 where the unsigned reading of every other element stores 0.
bool readsSigned(const FieldRow &row)
{
    static constexpr const char *signedElements[] = { "Brightness", "Contrast", "Sharpness",
        "Saturation", "Gain", "Exposure/ExposureMode", "IrisMode", "LocalOutputGate" };
    return std::any_of(std::begin(signedElements), std::end(signedElements),
        [&row](const char *element) { return qstrcmp(row.templetElement, element) == 0; });
}

// "Exposure/ExposureMode": the element ExposureMode inside the group Exposure.
struct ElementPath
{
    QString group; // empty for an element of the section itself
    QString leaf;
};

ElementPath pathOf(const FieldRow &row)
{
    const QString path = name(row.templetElement);
    const qsizetype slash = path.indexOf(QLatin1Char('/'));
    if (slash < 0) {
        return { QString(), path };
    }
    return { path.left(slash), path.mid(slash + 1) };
}

// Where the field of `row` starts for rows relative to `base` (0 for the
// record's own rows, an entry's start for its fields); -1, which every
// accessor refuses, for an entry that does not exist.
int fieldAt(int base, const FieldRow &row)
{
    return base < 0 ? -1 : base + row.offset;
}

// ---- writing ----------------------------------------------------------------

void writeText(QXmlStreamWriter &xml, const QString &element, const QByteArray &bytes)
{
    xml.writeStartElement(element);
    if (std::any_of(bytes.begin(), bytes.end(), xmlCannotCarry)) {
        xml.writeAttribute(EncodingAttribute, HexEncoding);
        xml.writeCharacters(QString::fromLatin1(bytes.toHex()));
    } else {
        // The stream writer passes a carriage return through, and a parser
        // would read it back as a line feed.
        const QList<QByteArray> pieces = bytes.split('\r');
        for (qsizetype i = 0; i < pieces.size(); ++i) {
            if (i > 0) {
                xml.writeEntityReference(QStringLiteral("#13"));
            }
            xml.writeCharacters(QString::fromLatin1(pieces.at(i)));
        }
    }
    xml.writeEndElement();
}

// The elements of `rows` in table order; consecutive rows of one group
// ("Exposure/...") go into one group element.
void writeRows(
    QXmlStreamWriter &xml, const RecordBuffer &record, std::span<const FieldRow> rows, int base)
{
    QString openGroup;
    for (const FieldRow &row : rows) {
        if (row.templetElement == nullptr) {
            continue;
        }
        const ElementPath path = pathOf(row);
        if (path.group != openGroup) {
            if (!openGroup.isEmpty()) {
                xml.writeEndElement();
            }
            if (!path.group.isEmpty()) {
                xml.writeStartElement(path.group);
            }
            openGroup = path.group;
        }
        const int at = fieldAt(base, row);
        if (row.type == FieldType::Text) {
            const QByteArray text = record.fieldBytes(row, at);
            writeText(xml, path.leaf, isPassword(row) ? scrambled(text) : text);
        } else {
            xml.writeTextElement(path.leaf, QString::number(record.fieldNumber(row, at)));
        }
    }
    if (!openGroup.isEmpty()) {
        xml.writeEndElement();
    }
}

// One group per entry, each starting with its number; the entries' offsets
// count from `origin` (a day's schedule for its slots).
void writeNumberedEntries(QXmlStreamWriter &xml, const RecordBuffer &record,
    const EntryGroup &group, std::span<const FieldRow> rows, int origin = 0)
{
    for (int i = 0; i < group.count; ++i) {
        xml.writeStartElement(name(group.templetElement));
        xml.writeTextElement(name(group.templetNumber), QString::number(i));
        writeRows(xml, record, rows, origin < 0 ? -1 : origin + group.at(i, 0));
        xml.writeEndElement();
    }
}

// The rows that lie before `offset`, then the rest: the templet holds a
// record's entries where they lie in the record.
std::pair<std::span<const FieldRow>, std::span<const FieldRow>> splitAt(
    std::span<const FieldRow> rows, int offset)
{
    const auto after = std::find_if(
        rows.begin(), rows.end(), [offset](const FieldRow &row) { return row.offset >= offset; });
    const auto count = size_t(after - rows.begin());
    return { rows.first(count), rows.subspan(count) };
}

// ---- reading ----------------------------------------------------------------

// Builds the document from a stream reader: QDomDocument's own parser drops
// text made only of white space, and a password may be a few spaces.
bool parseDocument(QIODevice *device, QDomDocument &document)
{
    QXmlStreamReader reader(device);
    reader.setNamespaceProcessing(false);
    QDomNode current; // null until the root element starts
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement: {
            // A new document's data come with its first node, so the
            // document is taken as the root's parent only after this.
            QDomElement element = document.createElement(reader.qualifiedName().toString());
            for (const QXmlStreamAttribute &attribute : reader.attributes()) {
                element.setAttribute(
                    attribute.qualifiedName().toString(), attribute.value().toString());
            }
            QDomNode parent = current.isNull() ? QDomNode(document) : current;
            current = parent.appendChild(element);
            break;
        }
        case QXmlStreamReader::EndElement:
            current = current.parentNode();
            break;
        case QXmlStreamReader::Characters:
            if (current.isElement()) {
                current.appendChild(document.createTextNode(reader.text().toString()));
            }
            break;
        default:
            break;
        }
    }
    return !reader.hasError();
}

QByteArray textOf(const QDomElement &element)
{
    const QByteArray text = element.text().toLatin1();
    return element.attribute(EncodingAttribute) == HexEncoding ? QByteArray::fromHex(text) : text;
}

// Decimal; text that is no number of the element's kind gives 0. The
// record stores the low bytes of the result ("300" in a u8 gives 44).
quint32 numberOf(const FieldRow &row, const QString &text)
{
    bool ok = false;
    quint32 value = 0;
    if (readsSigned(row)) {
        value = quint32(text.toInt(&ok));
    } else if (row.type == FieldType::U16) {
        value = text.toUShort(&ok);
    } else {
        value = text.toUInt(&ok);
    }
    return ok ? value : 0;
}

// Stores the elements of `rows` found below `parent` (and in their groups);
// a missing element or group leaves its fields. With `always`, a missing
// element stores 0 or an empty text.
void readRows(const QDomElement &parent, RecordBuffer &record, std::span<const FieldRow> rows,
    int base, bool always = false)
{
    for (const FieldRow &row : rows) {
        if (row.templetElement == nullptr) {
            continue;
        }
        const ElementPath path = pathOf(row);
        const QDomElement container
            = path.group.isEmpty() ? parent : parent.firstChildElement(path.group);
        const QDomElement element = container.firstChildElement(path.leaf);
        if (container.isNull() || (element.isNull() && !always)) {
            continue;
        }
        const int at = fieldAt(base, row);
        if (row.type == FieldType::Text) {
            const QByteArray text = textOf(element).left(row.width);
            record.setFieldBytes(row, at, isPassword(row) ? scrambled(text) : text);
        } else {
            record.setFieldNumber(row, at, numberOf(row, element.text()));
        }
    }
}

// Calls use(index, element) for each `group` element below `parent`, in
// document order, whose number child names an entry; the others are skipped.
template<typename Use>
void forEachNumbered(const QDomElement &parent, const EntryGroup &group, Use use)
{
    const QDomNodeList elements = parent.elementsByTagName(name(group.templetElement));
    for (int i = 0; i < elements.size(); ++i) {
        const QDomElement element = elements.at(i).toElement();
        const QDomElement number = element.firstChildElement(name(group.templetNumber));
        bool ok = false;
        const uint index = number.text().toUInt(&ok);
        if (!number.isNull() && ok && index < uint(group.count)) {
            use(int(index), element);
        }
    }
}

} // namespace

// ---- CTempletWriter ---------------------------------------------------------

CTempletWriter::CTempletWriter() = default;

CTempletWriter::~CTempletWriter() = default;

bool CTempletWriter::OpenTemplate(const QString &fileName)
{
    m_xml.reset();
    // The new file is written beside the old one and renamed over it in
    // Close(), so a failure leaves the old templet whole.
    m_file = std::make_unique<QSaveFile>(fileName);
    if (!m_file->open(QIODevice::WriteOnly)) {
        qCDebug(lcConfig, "Open file failed!");
        m_file.reset();
        return false;
    }
    m_text = QString::fromLatin1(Declaration);
    m_xml = std::make_unique<QXmlStreamWriter>(&m_text);
    m_xml->writeStartElement(name(RootElement));
    return true;
}

bool CTempletWriter::Close()
{
    if (!isOpen()) {
        return false;
    }
    m_xml->writeEndDocument();
    m_xml.reset();
    const QByteArray bytes = m_text.toLatin1();
    m_text.clear();
    const bool written = m_file->write(bytes) == bytes.size() && m_file->commit();
    m_file.reset(); // without a commit the new file is discarded
    return written;
}

bool CTempletWriter::SetPreParam(const FrontCfg &record)
{
    if (!isOpen()) {
        return false;
    }
    m_xml->writeStartElement(name(FrontCfg::templetSection));
    writeRows(*m_xml, record, FrontCfg::fields, 0);
    m_xml->writeEndElement();
    return true;
}

bool CTempletWriter::SetCompressionParam(const CompressCfg &record)
{
    if (!isOpen()) {
        return false;
    }
    m_xml->writeStartElement(name(CompressCfg::templetSection));
    for (const NamedEntry &stream : CompressCfg::streams) {
        m_xml->writeStartElement(name(stream.templetElement));
        writeRows(
            *m_xml, record, CompressCfg::entryFields, CompressCfg::entries.at(stream.index, 0));
        m_xml->writeEndElement();
    }
    m_xml->writeEndElement();
    return true;
}

bool CTempletWriter::SetPicParam(const PicCfg &record)
{
    if (!isOpen()) {
        return false;
    }
    m_xml->writeStartElement(name(PicCfg::templetSection));
    writeRows(*m_xml, record, PicCfg::fields, 0);
    m_xml->writeEndElement();
    return true;
}

bool CTempletWriter::SetRECParam(const RecordCfg &record)
{
    if (!isOpen()) {
        return false;
    }
    m_xml->writeStartElement(name(RecordCfg::templetSection));
    writeRows(*m_xml, record, RecordCfg::fields, 0);
    // A day's group holds its all-day entry, then its schedule slots.
    const EntryGroup &days = RecordCfg::entries;
    for (int d = 0; d < days.count; ++d) {
        m_xml->writeStartElement(name(days.templetElement));
        m_xml->writeTextElement(name(days.templetNumber), QString::number(d));
        writeRows(*m_xml, record, RecordCfg::entryFields, days.at(d, 0));
        writeNumberedEntries(*m_xml, record, RecordCfg::slotEntries, RecordCfg::slotFields,
            RecordCfg::daySchedules.at(d, 0));
        m_xml->writeEndElement();
    }
    m_xml->writeEndElement();
    return true;
}

bool CTempletWriter::SetDDNSParam(const DdnsCfg &record)
{
    if (!isOpen()) {
        return false;
    }
    m_xml->writeStartElement(name(DdnsCfg::templetSection));
    writeRows(*m_xml, record, DdnsCfg::fields, 0);
    // Only the entry of the current server type.
    m_xml->writeStartElement(name(DdnsCfg::entries.templetElement));
    writeRows(*m_xml, record, DdnsCfg::entryFields, DdnsCfg::entries.at(record.serverType(), 0));
    m_xml->writeEndElement();
    m_xml->writeEndElement();
    return true;
}

bool CTempletWriter::SetNFSParam(const NfsCfg &record)
{
    if (!isOpen()) {
        return false;
    }
    m_xml->writeStartElement(name(NfsCfg::templetSection));
    writeRows(*m_xml, record, NfsCfg::fields, 0);
    writeNumberedEntries(*m_xml, record, NfsCfg::entries, NfsCfg::entryFields);
    m_xml->writeEndElement();
    return true;
}

bool CTempletWriter::SetNTPParam(const NtpCfg &record)
{
    if (!isOpen()) {
        return false;
    }
    m_xml->writeStartElement(name(NtpCfg::templetSection));
    writeRows(*m_xml, record, NtpCfg::fields, 0);
    m_xml->writeEndElement();
    return true;
}

bool CTempletWriter::SetEmailParam(const EmailCfg &record)
{
    if (!isOpen()) {
        return false;
    }
    m_xml->writeStartElement(name(EmailCfg::templetSection));
    const auto [before, after] = splitAt(EmailCfg::fields, EmailCfg::entries.offset);
    writeRows(*m_xml, record, before, 0);
    writeNumberedEntries(*m_xml, record, EmailCfg::entries, EmailCfg::entryFields);
    writeRows(*m_xml, record, after, 0);
    m_xml->writeEndElement();
    return true;
}

bool CTempletWriter::SetPTZParam(const DecoderCfg &record)
{
    if (!isOpen()) {
        return false;
    }
    m_xml->writeStartElement(name(DecoderCfg::templetSection));
    writeRows(*m_xml, record, DecoderCfg::fields, 0);
    m_xml->writeEndElement();
    return true;
}

// ---- CTempletReader ---------------------------------------------------------

bool CTempletReader::LoadTemplate(const QString &fileName)
{
    m_document = QDomDocument();
    m_root = QDomElement();
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        qCDebug(lcConfig, "Open file failed!");
        return false;
    }
    QDomDocument document;
    if (!parseDocument(&file, document)) {
        qCDebug(lcConfig, "Parse xml file failed!");
        return false;
    }
    m_document = document;
    m_root = m_document.documentElement();
    return !m_root.isNull();
}

QDomElement CTempletReader::section(const char *sectionName) const
{
    const QDomElement element = m_root.firstChildElement(name(sectionName));
    if (element.isNull()) {
        qCDebug(lcConfig, "can not find '%s' element!", sectionName);
    }
    return element;
}

bool CTempletReader::GetPreParam(FrontCfg *record) const
{
    const QDomElement element = section(FrontCfg::templetSection);
    if (element.isNull()) {
        return false;
    }
    if (record != nullptr) {
        readRows(element, *record, FrontCfg::fields, 0);
    }
    return true;
}

bool CTempletReader::GetCompressionParam(CompressCfg *record) const
{
    const QDomElement element = section(CompressCfg::templetSection);
    if (element.isNull()) {
        return false;
    }
    if (record != nullptr) {
        for (const NamedEntry &stream : CompressCfg::streams) {
            const QDomElement block = element.firstChildElement(name(stream.templetElement));
            if (!block.isNull()) {
                readRows(block, *record, CompressCfg::entryFields,
                    CompressCfg::entries.at(stream.index, 0));
            }
        }
    }
    return true;
}

bool CTempletReader::GetPicParam(PicCfg *record) const
{
    const QDomElement element = section(PicCfg::templetSection);
    if (element.isNull()) {
        return false;
    }
    if (record != nullptr) {
        readRows(element, *record, PicCfg::fields, 0);
    }
    return true;
}

bool CTempletReader::GetRECParam(RecordCfg *record) const
{
    const QDomElement element = section(RecordCfg::templetSection);
    if (element.isNull()) {
        return false;
    }
    if (record != nullptr) {
        readRows(element, *record, RecordCfg::fields, 0);
        forEachNumbered(element, RecordCfg::entries, [record](int d, const QDomElement &day) {
            // A day's all-day fields are always stored, 0 when absent.
            readRows(day, *record, RecordCfg::entryFields, RecordCfg::entries.at(d, 0), true);
            forEachNumbered(
                day, RecordCfg::slotEntries, [record, d](int s, const QDomElement &slot) {
                    readRows(slot, *record, RecordCfg::slotFields, RecordCfg::slotOffset(d, s, 0));
                });
        });
    }
    return true;
}

bool CTempletReader::GetDDNSParam(DdnsCfg *record) const
{
    const QDomElement element = section(DdnsCfg::templetSection);
    if (element.isNull()) {
        return false;
    }
    if (record != nullptr) {
        readRows(element, *record, DdnsCfg::fields, 0);
        // The entry of the server type now in the record, the file's if it had one.
        const QDomElement server = element.firstChildElement(name(DdnsCfg::entries.templetElement));
        if (!server.isNull()) {
            readRows(server, *record, DdnsCfg::entryFields,
                DdnsCfg::entries.at(record->serverType(), 0));
        }
    }
    return true;
}

bool CTempletReader::GetNFSParam(NfsCfg *record) const
{
    const QDomElement element = section(NfsCfg::templetSection);
    if (element.isNull()) {
        return false;
    }
    if (record != nullptr) {
        readRows(element, *record, NfsCfg::fields, 0);
        forEachNumbered(element, NfsCfg::entries, [record](int n, const QDomElement &disk) {
            readRows(disk, *record, NfsCfg::entryFields, NfsCfg::entries.at(n, 0));
        });
    }
    return true;
}

bool CTempletReader::GetNTPParam(NtpCfg *record) const
{
    const QDomElement element = section(NtpCfg::templetSection);
    if (element.isNull()) {
        return false;
    }
    if (record != nullptr) {
        readRows(element, *record, NtpCfg::fields, 0);
    }
    return true;
}

bool CTempletReader::GetEmailParam(EmailCfg *record) const
{
    const QDomElement element = section(EmailCfg::templetSection);
    if (element.isNull()) {
        return false;
    }
    if (record != nullptr) {
        readRows(element, *record, EmailCfg::fields, 0);
        forEachNumbered(element, EmailCfg::entries, [record](int n, const QDomElement &receiver) {
            readRows(receiver, *record, EmailCfg::entryFields, EmailCfg::entries.at(n, 0));
        });
    }
    return true;
}

bool CTempletReader::GetPTZParam(DecoderCfg *record) const
{
    const QDomElement element = section(DecoderCfg::templetSection);
    if (element.isNull()) {
        return false;
    }
    if (record != nullptr) {
        readRows(element, *record, DecoderCfg::fields, 0);
    }
    return true;
}
