#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <cstddef>

// One lens of the lens catalogue. The texts live in fixed-size fields, as the
// catalogue format defines them; a longer text is cut to its field when set.
class LensInfo
{
public:
    QString tag() const { return QString::fromLatin1(m_tag.data()); }
    QString model() const { return QString::fromLatin1(m_model.data()); }
    QString detail1() const { return QString::fromLatin1(m_detail1.data()); }
    float minFocal() const { return m_minFocal; }
    float maxFocal() const { return m_maxFocal; }
    QString detail2() const { return QString::fromLatin1(m_detail2.data()); }
    QString detail3() const { return QString::fromLatin1(m_detail3.data()); }
    QString interfaceName() const { return QString::fromLocal8Bit(m_interface.data()); }

    void setTag(const QString &text);
    void setModel(const QString &text);
    void setDetail1(const QString &text);
    void setMinFocal(float millimetres) { m_minFocal = millimetres; }
    void setMaxFocal(float millimetres) { m_maxFocal = millimetres; }
    void setDetail2(const QString &text);
    void setDetail3(const QString &text);
    void setInterfaceName(const QString &text);

    // A varifocal lens spans at least 0.01 mm; anything narrower is fixed.
    bool isFixedFocal() const { return m_maxFocal - m_minFocal < 0.01f; }

    static constexpr std::size_t kTagSize = 12;
    static constexpr std::size_t kModelSize = 24;
    static constexpr std::size_t kDetail1Size = 12;
    static constexpr std::size_t kDetail2Size = 12;
    static constexpr std::size_t kDetail3Size = 8;
    static constexpr std::size_t kInterfaceSize = 12;

private:
    std::array<char, kTagSize> m_tag {};
    std::array<char, kModelSize> m_model {};
    std::array<char, kDetail1Size> m_detail1 {};
    float m_minFocal = 0.0f;
    float m_maxFocal = 0.0f;
    std::array<char, kDetail2Size> m_detail2 {};
    std::array<char, kDetail3Size> m_detail3 {};
    std::array<char, kInterfaceSize> m_interface {};
};

// One picture size a camera offers; a negative width marks an analogue camera.
struct ResolutionInfo
{
    int width = 0;
    int height = 0;
    float targetWidth = 0.0f; // sensor width in millimetres
    float targetHeight = 0.0f; // sensor height in millimetres
};

class CameraInfo
{
public:
    QString name() const { return QString::fromLatin1(m_name.data()); }
    void setName(const QString &text);

    QList<ResolutionInfo> resolutions;
    QStringList recommendedLensModels;

    static constexpr std::size_t kNameSize = 12;

private:
    std::array<char, kNameSize> m_name {};
};

// Latin-1 text cut to at most size - 1 bytes.
QByteArray latin1Field(const QString &text, std::size_t size);
// Local 8-bit text cut to at most size - 1 bytes, never inside a character.
QByteArray local8BitField(const QString &text, std::size_t size);

// The catalogues lie in "CameraLensInfo" beside the program, or in the install
// prefix's data folder.
QString catalogueDirectory();

// Both readers append one record per element and return false, leaving the
// list untouched, when the file cannot be opened or is not well-formed XML.
bool ReadLensCatalogue(QList<LensInfo> &lenses);
bool ReadLensCatalogue(const QString &fileName, QList<LensInfo> &lenses);
bool ReadCameraCatalogue(QList<CameraInfo> &cameras);
bool ReadCameraCatalogue(const QString &fileName, QList<CameraInfo> &cameras);
