#include "lenscatalogue.h"

#include "datafolders.h"
#include "fixedtext.h"

#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <optional>

namespace {

template<std::size_t N> void copyField(std::array<char, N> &field, const QByteArray &bytes)
{
    FixedText::write(field.data(), qsizetype(N), bytes, FixedText::ZeroTerminated);
}

std::optional<QDomDocument> parseFile(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    QDomDocument document;
    const bool parsed = static_cast<bool>(document.setContent(&file));
    file.close();
    if (!parsed) {
        return std::nullopt;
    }
    return document;
}

QString firstChildText(const QDomNode &node)
{
    return node.firstChild().nodeValue();
}

} // namespace

QByteArray latin1Field(const QString &text, std::size_t size)
{
    return text.toLatin1().left(qsizetype(size) - 1);
}

QByteArray local8BitField(const QString &text, std::size_t size)
{
    const qsizetype limit = qsizetype(size) - 1;
    QByteArray bytes = text.toLocal8Bit();
    if (bytes.size() <= limit) {
        return bytes;
    }
    // Whole characters only, so the field never ends in half a character.
    // Each takes a byte at least, so no more than `limit` of them are encoded.
    QByteArray kept;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype length
            = text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()
            ? 2
            : 1;
        const QByteArray character = QStringView(text).mid(i, length).toLocal8Bit();
        if (kept.size() + character.size() > limit) {
            break;
        }
        kept += character;
        i += length;
    }
    return kept;
}

void LensInfo::setTag(const QString &text)
{
    copyField(m_tag, latin1Field(text, kTagSize));
}

void LensInfo::setModel(const QString &text)
{
    copyField(m_model, latin1Field(text, kModelSize));
}

void LensInfo::setDetail1(const QString &text)
{
    copyField(m_detail1, latin1Field(text, kDetail1Size));
}

void LensInfo::setDetail2(const QString &text)
{
    copyField(m_detail2, latin1Field(text, kDetail2Size));
}

void LensInfo::setDetail3(const QString &text)
{
    copyField(m_detail3, latin1Field(text, kDetail3Size));
}

void LensInfo::setInterfaceName(const QString &text)
{
    copyField(m_interface, local8BitField(text, kInterfaceSize));
}

void CameraInfo::setName(const QString &text)
{
    copyField(m_name, latin1Field(text, kNameSize));
}

QString catalogueDirectory()
{
    const QString relative = QStringLiteral("CameraLensInfo");
    const QStringList folders = dataFolders(DataLookup::BesideProgram);
    for (const QString &folder : folders) {
        if (QFileInfo(QDir(folder), relative).isDir()) {
            return QDir(folder).filePath(relative);
        }
    }
    // None installed: the readers then fail beside the program, leaving the lists empty.
    return QDir(folders.value(0)).filePath(relative);
}

bool ReadLensCatalogue(QList<LensInfo> &lenses)
{
    return ReadLensCatalogue(catalogueDirectory() + QStringLiteral("/LensInfo.xml"), lenses);
}

bool ReadLensCatalogue(const QString &fileName, QList<LensInfo> &lenses)
{
    const std::optional<QDomDocument> document = parseFile(fileName);
    if (!document) {
        return false;
    }
    const QDomElement root = document->documentElement();
    for (QDomElement element = root.firstChildElement(QStringLiteral("LENS")); !element.isNull();
         element = element.nextSiblingElement(QStringLiteral("LENS"))) {
        LensInfo lens;
        int position = 0;
        for (QDomNode child = element.firstChild(); !child.isNull() && position < 8;
             child = child.nextSibling()) {
            // Fields are read by position; a comment between them must not shift the rest.
            if (!child.isElement()) {
                continue;
            }
            const QString text = firstChildText(child);
            switch (position) {
            case 0:
                lens.setTag(text);
                break;
            case 1:
                lens.setModel(text);
                break;
            case 2:
                lens.setDetail1(text);
                break;
            case 3:
                lens.setMinFocal(text.toFloat());
                break;
            case 4:
                lens.setMaxFocal(text.toFloat());
                break;
            case 5:
                lens.setDetail2(text);
                break;
            case 6:
                lens.setDetail3(text);
                break;
            case 7:
                lens.setInterfaceName(text);
                break;
            default:
                break;
            }
            ++position;
        }
        lenses.append(lens);
    }
    return true;
}

bool ReadCameraCatalogue(QList<CameraInfo> &cameras)
{
    return ReadCameraCatalogue(catalogueDirectory() + QStringLiteral("/Camera_Lens.xml"), cameras);
}

bool ReadCameraCatalogue(const QString &fileName, QList<CameraInfo> &cameras)
{
    const std::optional<QDomDocument> document = parseFile(fileName);
    if (!document) {
        return false;
    }
    const QDomElement root = document->documentElement();
    for (QDomElement element = root.firstChildElement(QStringLiteral("Camera")); !element.isNull();
         element = element.nextSiblingElement(QStringLiteral("Camera"))) {
        CameraInfo camera;
        camera.setName(element.attribute(QStringLiteral("name")));
        for (QDomElement resolution = element.firstChildElement(QStringLiteral("Resolution"));
             !resolution.isNull();
             resolution = resolution.nextSiblingElement(QStringLiteral("Resolution"))) {
            ResolutionInfo info;
            info.width = resolution.attribute(QStringLiteral("width")).toInt();
            info.height = resolution.attribute(QStringLiteral("height")).toInt();
            info.targetWidth = resolution.attribute(QStringLiteral("target_width")).toFloat();
            info.targetHeight = resolution.attribute(QStringLiteral("target_height")).toFloat();
            camera.resolutions.append(info);
        }
        const QDomElement recommended
            = element.firstChildElement(QStringLiteral("RecommedLensType"));
        for (QDomNode child = recommended.firstChild(); !child.isNull();
             child = child.nextSibling()) {
            if (!child.isElement()) {
                continue;
            }
            // Cut like the lens model field, so a long name still finds its lens.
            camera.recommendedLensModels.append(
                QString::fromLatin1(latin1Field(firstChildText(child), LensInfo::kModelSize)));
        }
        cameras.append(camera);
    }
    return true;
}
