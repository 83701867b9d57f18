#include "firmware.h"

#include "factory.h"

#include <QDir>
#include <QRegularExpression>
#include <QSaveFile>
#include <QXmlStreamReader>

#include <algorithm>
#include <vector>

namespace fw = solvane::firmware;

namespace devsim {

namespace {

constexpr qsizetype PieceSize = 64 * 1024;

// Body bytes that do not compress, from a small generator (xorshift64*).
class BodyBytes
{
public:
    explicit BodyBytes(quint64 seed) : m_state(seed | 1) { }

    void fill(uint8_t *out, qsizetype length)
    {
        for (qsizetype i = 0; i < length; i += 8) {
            m_state ^= m_state >> 12;
            m_state ^= m_state << 25;
            m_state ^= m_state >> 27;
            const quint64 word = m_state * 0x2545F4914F6CDD1Dull;
            for (qsizetype b = 0; b < 8 && i + b < length; ++b) {
                out[i + b] = uint8_t(word >> (8 * b));
            }
        }
    }

private:
    quint64 m_state;
};

} // namespace

std::optional<Description> descriptionOf(const QByteArray &abilityText)
{
    QXmlStreamReader xml(abilityText);
    if (!xml.readNextStartElement() || xml.name() != QLatin1String("UpdateFlag")) {
        return std::nullopt;
    }
    Description description;
    std::array<bool, fw::DescriptionCount> seen {};
    while (xml.readNextStartElement()) {
        const auto found
            = std::find_if(fw::DescriptionElements.begin(), fw::DescriptionElements.end(),
                [&](const char *element) { return xml.name() == QLatin1String(element); });
        if (found == fw::DescriptionElements.end()) {
            xml.skipCurrentElement();
            continue;
        }
        const auto index = std::size_t(found - fw::DescriptionElements.begin());
        const QString text = xml.readElementText(QXmlStreamReader::IncludeChildElements);
        if (!seen[index]) {
            seen[index] = true;
            description[index] = text.toStdString();
        }
    }
    if (xml.hasError() || std::find(seen.begin(), seen.end(), false) != seen.end()) {
        return std::nullopt;
    }
    return description;
}

QString firmwareFileName(const Description &description)
{
    return QString::fromStdString(fw::imageFileName(description));
}

std::optional<quint32> parseSoftwareVersion(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^[Vv]?(\\d+)\\.(\\d+)(?:\\.(\\d+))?$"));
    const auto match = form.match(text.trimmed());
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    const quint32 major = match.captured(1).toUInt();
    const quint32 minor = match.captured(2).toUInt();
    if (match.captured(3).isEmpty()) {
        // The older form: major bits 16-31, minor 0-15.
        if (major == 0 || major > 0xFF || minor > 0xFFFF) {
            return std::nullopt;
        }
        return (major << 16) | minor;
    }
    const quint32 revision = match.captured(3).toUInt();
    if (major == 0 || major > 0xFF || minor > 0xFF || revision > 0xFFFF) {
        return std::nullopt;
    }
    return (major << 24) | (minor << 16) | revision;
}

quint32 encodeBuildDate(const QDate &date)
{
    return (quint32(date.year() % 100) << 16) | (quint32(date.month()) << 8) | quint32(date.day());
}

bool writeFirmwareImage(const QString &path, const FirmwareSpec &image, QString *error)
{
    auto failed = [&](const QString &message) {
        if (error) {
            *error = message;
        }
        return false;
    };
    if (image.bodySize == 0 || image.bodySize > fw::MaxBody) {
        return failed(QStringLiteral("the body size must be 1 to %1 bytes").arg(fw::MaxBody));
    }
    fw::ImageHeader header;
    header.description = image.target;
    header.softwareVersion = image.softwareVersion;
    header.buildDate = image.buildDate;
    header.bodyLength = image.bodySize;
    if (!fw::encodeImageHeader(header)) {
        return failed(QStringLiteral("a description text is empty, too long or holds a zero"));
    }

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return failed(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    }
    // The header's checksum is known only after the body: a placeholder first.
    const QByteArray placeholder(int(fw::HeaderSize), '\0');
    bool ok = file.write(placeholder) == placeholder.size();
    BodyBytes body(quint64(image.softwareVersion) << 32 ^ image.bodySize);
    fw::Sha256 digest;
    std::vector<uint8_t> piece(PieceSize);
    for (quint64 done = 0; ok && done < image.bodySize;) {
        const qsizetype length = qsizetype(std::min<quint64>(image.bodySize - done, PieceSize));
        body.fill(piece.data(), length);
        digest.update(piece.data(), std::size_t(length));
        ok = file.write(reinterpret_cast<const char *>(piece.data()), length) == length;
        done += quint64(length);
    }
    header.digest = digest.finish();
    const auto bytes = fw::encodeImageHeader(header);
    ok = ok && file.seek(0)
        && file.write(reinterpret_cast<const char *>(bytes->data()), qint64(bytes->size()))
            == qint64(bytes->size());
    if (!ok || !file.commit()) {
        return failed(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    }
    return true;
}

bool writeFirmwareDirectory(const QString &directory, quint32 softwareVersion, quint32 buildDate,
    quint64 bodySize, QStringList *written, QString *error)
{
    if (!QDir().mkpath(directory)) {
        if (error) {
            *error = QStringLiteral("cannot create %1").arg(directory);
        }
        return false;
    }
    const QDir dir(directory);
    for (const QString &model : factoryModels()) {
        for (const int language : factoryLanguages()) {
            const auto target = descriptionOf(factoryDeviceAbility(model, language));
            if (!target) {
                continue; // every catalogue model has a description; nothing to name otherwise
            }
            const QString name = firmwareFileName(*target);
            const FirmwareSpec image { *target, softwareVersion, buildDate, bodySize };
            if (!writeFirmwareImage(dir.filePath(name), image, error)) {
                return false;
            }
            if (written) {
                written->append(name);
            }
        }
    }
    return true;
}

FirmwareReceiver::FirmwareReceiver(std::optional<Description> device, quint64 imageSize)
    : m_device(std::move(device)), m_size(imageSize)
{ }

quint32 FirmwareReceiver::percent() const
{
    if (m_state == fw::Succeeded || m_size == 0) {
        return 100;
    }
    return quint32(m_received * 100 / m_size);
}

void FirmwareReceiver::take(const char *data, qsizetype length)
{
    if (m_state != fw::Running || length <= 0) {
        return;
    }
    if (m_received + quint64(length) > m_size) {
        m_state = fw::Failed; // more than the attach announced
        return;
    }
    m_received += quint64(length);
    // Header bytes are collected until the header is whole; the rest is only hashed.
    if (m_headerBytes.size() < qsizetype(fw::HeaderSize)) {
        const qsizetype part = std::min(length, qsizetype(fw::HeaderSize) - m_headerBytes.size());
        m_headerBytes.append(data, part);
        data += part;
        length -= part;
        if (m_headerBytes.size() == qsizetype(fw::HeaderSize)) {
            checkHeader();
        }
    }
    if (m_state == fw::Running && length > 0) {
        m_digest.update(reinterpret_cast<const uint8_t *>(data), std::size_t(length));
    }
    if (m_state == fw::Running && m_received == m_size) {
        checkBody();
    }
}

void FirmwareReceiver::checkHeader()
{
    const auto header
        = fw::decodeImageHeader(reinterpret_cast<const uint8_t *>(m_headerBytes.constData()));
    if (!header || !m_device || fw::HeaderSize + header->bodyLength != m_size) {
        m_state = fw::Failed;
        return;
    }
    m_header = *header;
    for (std::size_t i = 0; i < fw::DescriptionCount; ++i) {
        if (i != fw::LanguageIndex && m_header.description[i] != (*m_device)[i]) {
            m_state = fw::Failed;
            return;
        }
    }
    if (m_header.description[fw::LanguageIndex] != (*m_device)[fw::LanguageIndex]) {
        m_state = fw::LanguageMismatch;
    }
}

void FirmwareReceiver::checkBody()
{
    if (m_headerBytes.size() < qsizetype(fw::HeaderSize) || m_digest.finish() != m_header.digest) {
        m_state = fw::Failed;
    }
}

void FirmwareReceiver::written(bool ok)
{
    if (readyToWrite()) {
        m_state = ok ? fw::Succeeded : fw::Failed;
    }
}

} // namespace devsim
