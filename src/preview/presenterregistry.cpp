#include "presenterregistry.h"

#include "kelvra.h"
#include "strix.h"

#include <QHash>
#include <QMutex>
#include <QMutexLocker>

#include <mutex>

namespace {

// Held while a presenter takes its picture, so that unregistering waits for it.
QMutex g_mutex;
QHash<quintptr, PicturePresenter *> g_presenters;

void strixHook(uintptr_t window, const STRIX_PICTURE *picture, void *)
{
    PresenterRegistry::present(
        quintptr(window), picture->buffer, picture->width, picture->height, picture->captureTime);
}

void kelvraHook(uintptr_t window, const KELVRA_PICTURE *picture, void *)
{
    PresenterRegistry::present(
        quintptr(window), picture->buffer, picture->width, picture->height, 0);
}

} // namespace

namespace PresenterRegistry {

void registerPresenter(quintptr window, PicturePresenter *presenter)
{
    static std::once_flag installed;
    std::call_once(installed, [] {
        Strix_SetPresenterHook(&strixHook, nullptr);
        Kelvra_SetPresenterHook(&kelvraHook, nullptr);
    });
    const QMutexLocker locker(&g_mutex);
    g_presenters.insert(window, presenter);
}

void unregisterPresenter(PicturePresenter *presenter)
{
    const QMutexLocker locker(&g_mutex);
    g_presenters.removeIf([presenter](const auto &entry) { return entry.value() == presenter; });
}

bool present(quintptr window, const uint8_t *yuv, int width, int height, qint64 captureTime)
{
    const QMutexLocker locker(&g_mutex);
    PicturePresenter *presenter = g_presenters.value(window);
    if (presenter == nullptr) {
        return false;
    }
    presenter->presentPicture(yuv, width, height, captureTime);
    return true;
}

} // namespace PresenterRegistry
