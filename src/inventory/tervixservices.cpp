#include "tervixservices.h"

#include <atomic>

namespace {
std::atomic<TervixServices *> g_services{nullptr};
}

TervixServices *tervixServices()
{
    return g_services.load();
}

void setTervixServices(TervixServices *services)
{
    g_services.store(services);
}
