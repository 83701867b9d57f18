#include "discovery.h"

namespace devsim {

DiscoveryService::DiscoveryService(const QList<Camera *> &, quint16, QObject *parent)
    : QObject(parent)
{
}

DiscoveryService::~DiscoveryService() = default;

bool DiscoveryService::start()
{
    return true;
}

void DiscoveryService::stop() { }

} // namespace devsim
