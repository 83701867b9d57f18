#pragma once

#include <QByteArray>
#include <QString>

// The file name of the image that fits a device, built from its description
// (the device ability text, document element "UpdateFlag"): "Travok.dav"
// followed directly by the texts of its PlatForm, FlashSize, MemorySize,
// MajorType, MinorType and Language elements, unchanged. Empty when the
// text is no such description or lacks one of the six.
QString FirmwareNameFromDescription(const QByteArray &description);

// The absolute path of the entry `name` in `directory`; empty when the name
// is empty or holds a path separator, or the directory holds no such entry.
QString FindFirmwareInDirectory(const QString &directory, const QString &name);
