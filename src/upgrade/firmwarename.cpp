#include "firmwarename.h"

#include <QDir>
#include <QXmlStreamReader>

#include <array>
#include <optional>

QString FirmwareNameFromDescription(const QByteArray &description)
{
    static constexpr std::array<const char *, 6> kElements
        = { "PlatForm", "FlashSize", "MemorySize", "MajorType", "MinorType", "Language" };
    if (description.isEmpty()) {
        return QString();
    }
    std::array<std::optional<QString>, kElements.size()> texts;
    QXmlStreamReader reader(description);
    if (!reader.readNextStartElement() || reader.name() != QLatin1String("UpdateFlag")) {
        return QString();
    }
    // Only children of the document element count, and of each the first.
    while (reader.readNextStartElement()) {
        std::optional<QString> *slot = nullptr;
        for (size_t i = 0; i < kElements.size(); ++i) {
            if (reader.name() == QLatin1String(kElements[i]) && !texts[i]) {
                slot = &texts[i];
            }
        }
        if (slot != nullptr) {
            *slot = reader.readElementText(QXmlStreamReader::IncludeChildElements);
        } else {
            reader.skipCurrentElement();
        }
    }
    // The rest of the document must be well-formed too.
    while (!reader.atEnd()) {
        reader.readNext();
    }
    if (reader.hasError()) {
        return QString();
    }
    QString name = QStringLiteral("Travok.dav");
    for (const std::optional<QString> &text : texts) {
        if (!text) {
            return QString();
        }
        name += *text;
    }
    return name;
}

QString FindFirmwareInDirectory(const QString &directory, const QString &name)
{
    // The name comes from the device: a separator in it must not lead the
    // look-up, and so the upload, out of the directory.
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\'))) {
        return QString();
    }
    const QDir dir(directory);
    if (!dir.exists(name)) {
        return QString();
    }
    return dir.absoluteFilePath(name);
}
