#include "strix.h"

#include "vdec.h"

#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <shared_mutex>

namespace {

struct Port
{
    // Under g_portLock.
    bool taken = false;
    std::unique_ptr<vdec::StreamDecoder> decoder;
    // Read by the decoding thread.
    std::atomic<Strix_DisplayCallBack> callback { nullptr };
    std::atomic<uintptr_t> window { 0 };
    std::atomic<bool> playing { false };
};

std::mutex g_portLock;
std::array<Port, STRIX_MAX_PORTS> g_ports;

// Shared while a picture is presented, exclusive while the hook changes: once
// Strix_SetPresenterHook returns, no call of the old hook is under way.
std::shared_mutex g_hookLock;
Strix_PresenterHook g_hook = nullptr;
void *g_hookContext = nullptr;

Port *portAt(int32_t port)
{
    return port >= 0 && port < STRIX_MAX_PORTS ? &g_ports[size_t(port)] : nullptr;
}

// The port's decoder, with g_portLock held by the caller.
vdec::StreamDecoder *decoderOf(int32_t port)
{
    Port *p = portAt(port);
    return p != nullptr && p->taken ? p->decoder.get() : nullptr;
}

void present(int32_t port, const vdec::Picture &picture)
{
    Port &p = g_ports[size_t(port)];
    if (!p.playing.load()) {
        return;
    }
    if (Strix_DisplayCallBack callback = p.callback.load()) {
        callback(port, picture.data, uint32_t(picture.size), picture.width, picture.height,
            picture.captureTime, STRIX_FRAME_YUV420, nullptr);
    }
    const uintptr_t window = p.window.load();
    if (window == 0) {
        return;
    }
    const std::shared_lock<std::shared_mutex> lock(g_hookLock);
    if (g_hook != nullptr) {
        const STRIX_PICTURE shown { picture.data, uint32_t(picture.size), picture.width,
            picture.height, picture.captureTime };
        g_hook(window, &shown, g_hookContext);
    }
}

// Takes the port's decoder out so that it can be destroyed (its thread
// joined) without the port lock.
std::unique_ptr<vdec::StreamDecoder> takeStream(Port &p)
{
    p.playing = false;
    return std::move(p.decoder);
}

} // namespace

extern "C" {

void Strix_SetPresenterHook(Strix_PresenterHook hook, void *context)
{
    const std::unique_lock<std::shared_mutex> lock(g_hookLock);
    g_hook = hook;
    g_hookContext = context;
}

int Strix_GetPort(int32_t *port)
{
    if (port == nullptr) {
        return 0;
    }
    const std::lock_guard<std::mutex> lock(g_portLock);
    for (size_t i = 0; i < g_ports.size(); ++i) {
        if (!g_ports[i].taken) {
            g_ports[i].taken = true;
            g_ports[i].callback = nullptr;
            g_ports[i].window = 0;
            g_ports[i].playing = false;
            *port = int32_t(i);
            return 1;
        }
    }
    return 0;
}

int Strix_FreePort(int32_t port)
{
    std::unique_ptr<vdec::StreamDecoder> stream;
    {
        const std::lock_guard<std::mutex> lock(g_portLock);
        Port *p = portAt(port);
        if (p == nullptr || !p->taken) {
            return 0;
        }
        stream = takeStream(*p);
    }
    // The port is handed out again only once its old stream's thread is gone.
    stream.reset();
    const std::lock_guard<std::mutex> lock(g_portLock);
    g_ports[size_t(port)].taken = false;
    return 1;
}

int Strix_OpenStream(int32_t port, const uint8_t *header, uint32_t headerSize, uint32_t bufferSize)
{
    const std::lock_guard<std::mutex> lock(g_portLock);
    Port *p = portAt(port);
    if (p == nullptr || !p->taken || p->decoder) {
        return 0;
    }
    p->decoder = vdec::StreamDecoder::open(header, headerSize, bufferSize,
        [port](const vdec::Picture &picture) { present(port, picture); });
    return p->decoder ? 1 : 0;
}

int Strix_CloseStream(int32_t port)
{
    std::unique_ptr<vdec::StreamDecoder> stream;
    {
        const std::lock_guard<std::mutex> lock(g_portLock);
        Port *p = portAt(port);
        if (p == nullptr || !p->taken || !p->decoder) {
            return 0;
        }
        stream = takeStream(*p);
    }
    return 1;
}

int Strix_InputData(int32_t port, const uint8_t *data, uint32_t size)
{
    const std::lock_guard<std::mutex> lock(g_portLock);
    vdec::StreamDecoder *decoder = decoderOf(port);
    return decoder != nullptr && decoder->input(data, size) ? 1 : 0;
}

int Strix_InputEnd(int32_t port)
{
    const std::lock_guard<std::mutex> lock(g_portLock);
    vdec::StreamDecoder *decoder = decoderOf(port);
    if (decoder == nullptr) {
        return 0;
    }
    decoder->endOfStream();
    return 1;
}

int Strix_Play(int32_t port, uintptr_t window)
{
    const std::lock_guard<std::mutex> lock(g_portLock);
    if (decoderOf(port) == nullptr) {
        return 0;
    }
    Port &p = g_ports[size_t(port)];
    p.window = window;
    p.playing = true;
    return 1;
}

int Strix_SetDisplayCallBack(int32_t port, Strix_DisplayCallBack callback)
{
    const std::lock_guard<std::mutex> lock(g_portLock);
    Port *p = portAt(port);
    if (p == nullptr || !p->taken) {
        return 0;
    }
    p->callback = callback;
    return 1;
}

uint32_t Strix_GetCurrentFrameRate(int32_t port)
{
    const std::lock_guard<std::mutex> lock(g_portLock);
    vdec::StreamDecoder *decoder = decoderOf(port);
    return decoder != nullptr ? decoder->frameRate() : 0;
}

} // extern "C"
