#pragma once

// Simulated cameras as the discovery protocol sees them, for the suites that
// run the discovery library against the device simulator.
#include "discovery.h"
#include "fleet.h"
#include "quarry_protocol.h"

#include <cstring>
#include <unistd.h>

namespace discoverytest {

inline QString serial(devsim::Fleet &fleet, int index)
{
    QString result;
    fleet.run([&] { result = fleet.cameras().at(index)->serialNo(); });
    return result;
}

inline QByteArray mac(devsim::Fleet &fleet, int index)
{
    QByteArray bytes;
    fleet.run([&] { bytes = fleet.cameras().at(index)->macBytes(); });
    quarry::Mac mac {};
    std::memcpy(mac.data(), bytes.constData(), mac.size());
    return QByteArray::fromStdString(quarry::formatMac(mac));
}

// The discovery service announcing camera `index`; use it on the fleet's thread (Fleet::run).
inline devsim::DiscoveryService *service(devsim::Fleet &fleet, int index)
{
    return fleet.cameras().at(index)->parent()->findChild<devsim::DiscoveryService *>();
}

// An announcement that keeps its device listed for a minute; texts not given are absent.
inline quarry::Announcement announcement(const std::string &serial, const std::string &ip = {})
{
    quarry::Announcement a;
    a.serialNo = serial;
    if (!ip.empty()) {
        a.ipAddress = ip;
    }
    a.periodMs = 60000;
    return a;
}

// Sends a packet to the discovery group through loopback, as a camera would.
inline bool sendRaw(const quarry::Packet &packet)
{
    const int fd = quarry::openRequestSocket();
    const bool sent = fd >= 0
        && quarry::sendToGroup(fd, quarry::discoveryGroup(), quarry::discoveryPort(),
            in_addr { htonl(INADDR_LOOPBACK) }, packet);
    if (fd >= 0) {
        close(fd);
    }
    return sent;
}

} // namespace discoverytest
