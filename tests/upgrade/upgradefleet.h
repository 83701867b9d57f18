#pragma once

#include "devicesdk.h"
#include "firmware.h"
#include "fleet.h"
#include "records.h"
#include "simfleet.h"

#include <QDate>
#include <QTemporaryDir>

#include <functional>
#include <memory>

// Simulated cameras and firmware images for the upgrade suites.
namespace UpgradeFleet {

// No camera leaves the factory with this version.
inline quint32 newVersion()
{
    return devsim::parseSoftwareVersion(QStringLiteral("V9.8.7")).value_or(0);
}

// `count` cameras from `first`; a reboot takes a fifth of a second.
inline std::unique_ptr<devsim::Fleet> start(const QString &first, quint16 port, int count,
    const std::function<void(devsim::FleetOptions &)> &adjust = {})
{
    return startFleet(first, port, count, 0.01, adjust);
}

inline devsim::Description descriptionOf(const devsim::Fleet &fleet, int index)
{
    QByteArray ability;
    fleet.run([&] { ability = fleet.cameras().at(index)->factory().deviceAbility; });
    return devsim::descriptionOf(ability).value_or(devsim::Description {});
}

// An image of `target` that installs newVersion(); empty on failure.
inline QString writeImage(
    const QTemporaryDir &dir, const QString &name, const devsim::Description &target)
{
    const devsim::FirmwareSpec image { target, newVersion(),
        devsim::encodeBuildDate(QDate(2027, 3, 14)), 256 * 1024 };
    const QString path = dir.filePath(name);
    return devsim::writeFirmwareImage(path, image, nullptr) ? path : QString();
}

// One image for every model and language the simulator plays; empty on failure.
inline QString writeDirectory(const QTemporaryDir &dir, const QString &name)
{
    const QString path = dir.filePath(name);
    return devsim::writeFirmwareDirectory(path, newVersion(),
               devsim::encodeBuildDate(QDate(2027, 3, 14)), 64 * 1024, nullptr, nullptr)
        ? path
        : QString();
}

// The software version camera `index` reports; 0 when it answers no login.
inline quint32 reportedVersion(const devsim::Fleet &fleet, int index)
{
    SdkLogin login(fleet.address(index).toLatin1(), fleet.options().port, "admin", "60917");
    DeviceCfg device;
    return login.ok() && readRecord(login.userId(), device, 0) ? device.softwareVersion() : 0;
}

} // namespace UpgradeFleet
