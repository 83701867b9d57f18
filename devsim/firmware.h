#pragma once

#include "solvane_firmware.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>

namespace devsim {

using solvane::firmware::Description;

// The six texts of a device ability text (root "UpdateFlag", the first child
// element of each name); nullopt when the text is no such document or lacks one.
std::optional<Description> descriptionOf(const QByteArray &abilityText);
// The name a directory upgrade looks for: "Travok.dav" and the six texts.
QString firmwareFileName(const Description &description);

// "V5.4.3" or "5.4.3" (major 1-255, minor 0-255, revision 0-65535) in the
// device record's new form, "2.1" in its older form; nullopt otherwise.
std::optional<quint32> parseSoftwareVersion(const QString &text);
// A date as the device record's build date holds it (two-digit year).
quint32 encodeBuildDate(const QDate &date);

struct FirmwareSpec
{
    Description target;
    quint32 softwareVersion = 0;
    quint32 buildDate = 0;
    quint64 bodySize = 1 << 20;
};
// Writes an image: the header, then a pseudo-random body made and hashed in
// pieces, so that no image is ever whole in memory.
bool writeFirmwareImage(const QString &path, const FirmwareSpec &image, QString *error);
// One image for every model and language the simulator plays, named as a
// directory upgrade looks for it; the names written go to written.
bool writeFirmwareDirectory(const QString &directory, quint32 softwareVersion, quint32 buildDate,
    quint64 bodySize, QStringList *written, QString *error);

// The device's side of one upload: it checks the image as the pieces arrive
// and keeps no more of it than the running checksum. The state is one of
// solvane::firmware::State, and final once it is not Running.
class FirmwareReceiver
{
public:
    FirmwareReceiver(std::optional<Description> device, quint64 imageSize);

    // The next bytes of the image; ignored once the state is final.
    void take(const char *data, qsizetype length);
    // Every byte arrived and the image is right: it only needs writing.
    bool readyToWrite() const
    {
        return m_state == solvane::firmware::Running && m_received == m_size;
    }
    void written(bool ok);

    quint32 state() const { return m_state; }
    quint32 percent() const;
    const solvane::firmware::ImageHeader &header() const { return m_header; }

private:
    void checkHeader();
    void checkBody();

    std::optional<Description> m_device;
    quint64 m_size;
    quint64 m_received = 0;
    quint32 m_state = solvane::firmware::Running;
    QByteArray m_headerBytes;
    solvane::firmware::ImageHeader m_header;
    solvane::firmware::Sha256 m_digest;
};

} // namespace devsim
