#pragma once

#include "devicesdk.h"
#include "firmware.h"
#include "fleet.h"
#include "records.h"

#include <QDate>
#include <QFile>
#include <QTemporaryDir>

#include <functional>
#include <memory>

// Simulated cameras and firmware images for the upgrade suites.
namespace UpgradeFleet {

// No camera leaves the factory with it.
inline const QString NewVersion = QStringLiteral("V9.8.7");

inline quint32 versionCode(const QString &text)
{
    return devsim::parseSoftwareVersion(text).value_or(0);
}

// A fleet of `count` cameras from `first`; the reboot takes a fifth of a second.
inline std::unique_ptr<devsim::Fleet> start(const QString &first, quint16 port, int count,
    const std::function<void(devsim::FleetOptions &)> &adjust = {})
{
    devsim::FleetOptions options;
    options.count = count;
    options.firstAddress = first;
    options.port = port;
    options.timeScale = 0.01;
    options.discoveryPort = 0;
    if (adjust) {
        adjust(options);
    }
    auto fleet = std::make_unique<devsim::Fleet>(options);
    QString error;
    if (!fleet->start(&error)) {
        qWarning("%s", qPrintable(error));
        return nullptr;
    }
    return fleet;
}

// The six texts camera `index` names in its description.
inline devsim::Description descriptionOf(const devsim::Fleet &fleet, int index)
{
    QByteArray ability;
    fleet.run([&] { ability = fleet.cameras().at(index)->factory().deviceAbility; });
    return devsim::descriptionOf(ability).value_or(devsim::Description {});
}

// Writes an image of `target` that installs NewVersion; empty on failure.
inline QString writeImage(const QTemporaryDir &dir, const QString &name,
    const devsim::Description &target, quint64 bodySize = 256 * 1024)
{
    devsim::FirmwareSpec spec;
    spec.target = target;
    spec.softwareVersion = versionCode(NewVersion);
    spec.buildDate = devsim::encodeBuildDate(QDate(2027, 3, 14));
    spec.bodySize = bodySize;
    const QString path = dir.filePath(name);
    QString error;
    if (!devsim::writeFirmwareImage(path, spec, &error)) {
        qWarning("%s", qPrintable(error));
        return QString();
    }
    return path;
}

// Flips one byte of the image's body, so its checksum no longer holds.
inline bool corrupt(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite) || !file.seek(file.size() / 2)) {
        return false;
    }
    char byte = 0;
    if (!file.getChar(&byte) || !file.seek(file.size() / 2)) {
        return false;
    }
    return file.putChar(char(byte ^ 0x5A));
}

// The software version camera `index` reports through the SDK; 0 when it
// does not answer a login.
inline quint32 reportedVersion(const devsim::Fleet &fleet, int index)
{
    SdkLogin login(fleet.address(index).toLatin1(), fleet.options().port, "admin", "60917");
    DeviceCfg device;
    if (!login.ok() || !readRecord(login.userId(), device, 0)) {
        return 0;
    }
    return device.softwareVersion();
}

} // namespace UpgradeFleet
