#pragma once

#include <QList>
#include <QObject>

namespace devsim {

class Camera;

// The device side of the discovery protocol for a whole fleet: announces each
// camera on start, on change and periodically, says goodbye before a reboot
// or shutdown, answers inquiries and handles re-address requests.
// Lives on the fleet's thread.
class DiscoveryService : public QObject
{
    Q_OBJECT
public:
    DiscoveryService(const QList<Camera *> &cameras, quint16 discoveryPort,
                     QObject *parent = nullptr);
    ~DiscoveryService() override;

    // false when the socket could not be opened; the fleet runs on without discovery.
    bool start();
    // Says goodbye for every online camera and closes the socket.
    void stop();
};

} // namespace devsim
