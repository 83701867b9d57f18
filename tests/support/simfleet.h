#pragma once

// Simulated cameras for the suites that drive the batch pages and their
// managers, and the devices the pages list for them.
#include "devicestore.h"
#include "fleet.h"
#include "testdevice.h"

#include <functional>
#include <memory>

// `count` cameras from `first`, without a discovery service, their waits
// `timeScale` times as long; null, with a warning, when they cannot listen.
inline std::unique_ptr<devsim::Fleet> startFleet(const QString &first, quint16 port, int count,
    double timeScale, const std::function<void(devsim::FleetOptions &)> &adjust = {})
{
    devsim::FleetOptions options;
    options.count = count;
    options.firstAddress = first;
    options.port = port;
    options.timeScale = timeScale;
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

// Camera `index` as the device list holds it, named "Hall <index>": announced
// (`source` 0, reached with the default credentials) or found by the search
// with `password`.
inline DEVICEINFO listedCamera(
    const devsim::Fleet &fleet, int index, quint32 source = 0, const char *password = "")
{
    DEVICEINFO record = testDevice("", fleet.address(index).toLatin1().constData());
    fleet.run([&] {
        FixedText::write(record.szSerialNo, fleet.cameras().at(index)->serialNo().toLatin1());
    });
    FixedText::write(record.szDevName, QStringLiteral("Hall %1").arg(index).toLocal8Bit());
    record.wPort = fleet.options().port;
    record.dwSource = source;
    FixedText::write(record.szUserName, "admin");
    FixedText::write(record.szPassword, password);
    return record;
}

inline std::vector<DEVICEINFO> listedCameras(const devsim::Fleet &fleet, const QList<int> &cameras)
{
    std::vector<DEVICEINFO> devices;
    for (const int camera : cameras) {
        devices.push_back(listedCamera(fleet, camera));
    }
    return devices;
}

inline void clearFaults(devsim::Fleet &fleet)
{
    for (int camera = 0; camera < fleet.count(); ++camera) {
        fleet.clearFault(camera);
    }
}
