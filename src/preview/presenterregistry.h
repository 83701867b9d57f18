#pragma once

#include <QtGlobal>

#include <cstdint>

// Who shows the pictures of a window. The libraries that decode video draw
// nothing themselves: each hands every decoded picture, with the native
// window handle it was told to play into, to a hook the program installs
// (Strix_SetPresenterHook). The hook looks the handle up here and gives the
// picture to the presenter registered for it, so the libraries need nothing
// of the program. A widget registers its winId() before the handle is handed
// to a library.
class PicturePresenter
{
public:
    virtual ~PicturePresenter() = default;
    // On a library's decoding thread: keep a copy and return at once.
    // `yuv`: planar YUV 4:2:0, the luminance plane first.
    virtual void presentPicture(const uint8_t *yuv, int width, int height, qint64 captureTime) = 0;
};

namespace PresenterRegistry {

// Also installs the hook into the stream player, once per process.
void registerPresenter(quintptr window, PicturePresenter *presenter);
// Forgets every window of the presenter; once this returns, it is not called again.
void unregisterPresenter(PicturePresenter *presenter);
// What the hook does: false when no presenter has the window.
bool present(quintptr window, const uint8_t *yuv, int width, int height, qint64 captureTime);

} // namespace PresenterRegistry
