#include "kelvra.h"

#include "scene.h"
#include "vdec.h"

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int Ok = 0;
constexpr int NoCard = int(KELVRA_ERR_NO_CARD);
constexpr int BadChannel = int(KELVRA_ERR_CHANNEL);
constexpr int BadState = int(KELVRA_ERR_STATE);
constexpr int BadArgument = int(KELVRA_ERR_ARGUMENT);
constexpr int BadStream = int(KELVRA_ERR_STREAM);

// The stream data a decoder channel holds before decoding; a full buffer
// takes only what fits.
constexpr size_t DecoderBufferBytes = 1 << 20;
// The smallest part of a block taken when the whole does not fit.
constexpr uint32_t SmallestPart = 1024;
// The lens of the analogue camera sweeps as slowly as the network cameras'.
constexpr double FocusPeriodSeconds = 20.0;
constexpr size_t InputPictureBytes = size_t(KELVRA_INPUT_WIDTH) * KELVRA_INPUT_HEIGHT * 3 / 2;

std::shared_mutex g_hookLock;
Kelvra_PresenterHook g_hook = nullptr;
void *g_hookContext = nullptr;

void present(uintptr_t window, const uint8_t *data, size_t size, int width, int height)
{
    if (window == 0) {
        return;
    }
    const std::shared_lock<std::shared_mutex> lock(g_hookLock);
    if (g_hook != nullptr) {
        const KELVRA_PICTURE picture { data, uint32_t(size), width, height };
        g_hook(window, &picture, g_hookContext);
    }
}

// Everything below is under g_lock unless it says otherwise.
std::mutex g_lock;
bool g_decoderUp = false;
bool g_encoderUp = false;

struct DecoderChannel
{
    bool open = false;
    uint32_t openMode = 0;
    KELVRA_DISPLAY_PARA display {};
    std::unique_ptr<vdec::StreamDecoder> decoder;
    // Read by the decoding thread.
    std::atomic<bool> playing { false };
    std::atomic<bool> capture { false };
};

std::array<DecoderChannel, KELVRA_DECODER_CHANNELS> g_decoders;
std::atomic<uintptr_t> g_surfaceWindow { 0 };

std::shared_mutex g_captureLock;
DecoderVideoCaptureCallback g_capture = nullptr;
void *g_captureContext = nullptr;

DecoderChannel *decoderChannel(int32_t channel)
{
    if (!g_decoderUp || channel < 0 || channel >= KELVRA_DECODER_CHANNELS) {
        return nullptr;
    }
    DecoderChannel &c = g_decoders[size_t(channel)];
    return c.open ? &c : nullptr;
}

int decoderError()
{
    return g_decoderUp ? BadChannel : NoCard;
}

void decoded(int32_t channel, const vdec::Picture &picture)
{
    DecoderChannel &c = g_decoders[size_t(channel)];
    if (!c.playing.load()) {
        return;
    }
    if (c.capture.load()) {
        const std::shared_lock<std::shared_mutex> lock(g_captureLock);
        if (g_capture != nullptr) {
            g_capture(channel, picture.data, picture.width, picture.height, picture.number,
                uint32_t(picture.captureTime / 1000), picture.captureTime, g_captureContext);
        }
    }
    present(g_surfaceWindow.load(), picture.data, picture.size, picture.width, picture.height);
}

// Takes the channel's decoder out, to be destroyed (its thread joined)
// without g_lock.
std::unique_ptr<vdec::StreamDecoder> takeStream(DecoderChannel &c)
{
    c.playing = false;
    c.capture = false;
    return std::move(c.decoder);
}

// One analogue input: a thread that films the scene at 25 pictures per
// second while the input is previewed or streamed.
class EncoderInput
{
public:
    explicit EncoderInput(int index) : m_index(index), m_thread([this] { loop(); }) { }

    ~EncoderInput()
    {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_stopping = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }

    void setPreview(uintptr_t window)
    {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_window = window;
        }
        m_wake.notify_all();
    }

    bool previewing() const
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_window != 0;
    }

    // Once it returns with null, the old buffer is no longer written.
    void setStream(uint8_t *buffer)
    {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_buffer = buffer;
        }
        m_wake.notify_all();
    }

private:
    void loop();

    const int m_index;
    mutable std::mutex m_mutex; // held while a picture is handed out
    std::condition_variable m_wake;
    bool m_stopping = false;
    uintptr_t m_window = 0;
    uint8_t *m_buffer = nullptr;
    std::thread m_thread;
};

std::shared_mutex g_imageLock;
ImageStreamCallback g_image = nullptr;
void *g_imageContext = nullptr;

scene::Moment momentNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    localtime_r(&now, &local);
    return { local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_wday, local.tm_hour,
        local.tm_min, local.tm_sec, 0 };
}

void EncoderInput::loop()
{
    using Clock = std::chrono::steady_clock;
    const auto interval = std::chrono::microseconds(1000000 / KELVRA_INPUT_RATE);
    scene::Renderer renderer(
        KELVRA_INPUT_WIDTH, KELVRA_INPUT_HEIGHT, 0x4b454c00u + uint32_t(m_index));
    scene::Picture picture;
    std::vector<uint8_t> frame(InputPictureBytes);
    auto next = Clock::now();
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || m_window != 0 || m_buffer != nullptr; });
        if (m_stopping) {
            return;
        }
        m_wake.wait_until(lock, next, [this] { return m_stopping; });
        if (m_stopping) {
            return;
        }
        next += interval;
        if (next < Clock::now()) {
            next = Clock::now(); // no burst after falling behind
        }
        lock.unlock();
        const double seconds
            = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch())
                  .count();
        renderer.render(seconds, momentNow(), scene::Osd {}, scene::Adjustments {},
            scene::focusAt(seconds, FocusPeriodSeconds), picture);
        uint8_t *out = frame.data();
        std::memcpy(out, picture.y.data(), picture.y.size());
        std::memcpy(out + picture.y.size(), picture.u.data(), picture.u.size());
        std::memcpy(out + picture.y.size() + picture.u.size(), picture.v.data(), picture.v.size());
        lock.lock();
        if (m_stopping) {
            return;
        }
        present(m_window, frame.data(), frame.size(), KELVRA_INPUT_WIDTH, KELVRA_INPUT_HEIGHT);
        if (m_buffer != nullptr) {
            std::memcpy(m_buffer, frame.data(), frame.size());
            const std::shared_lock<std::shared_mutex> image(g_imageLock);
            if (g_image != nullptr) {
                g_image(uint32_t(m_index), g_imageContext);
            }
        }
    }
}

std::array<std::unique_ptr<EncoderInput>, KELVRA_ENCODER_CHANNELS> g_inputs;

EncoderInput *encoderInput(int32_t channel)
{
    if (!g_encoderUp || channel < 0 || channel >= KELVRA_ENCODER_CHANNELS) {
        return nullptr;
    }
    return g_inputs[size_t(channel)].get();
}

int encoderError()
{
    return g_encoderUp ? BadChannel : NoCard;
}

void cardsNamed(bool *decoder, bool *encoder)
{
    *decoder = false;
    *encoder = false;
    const char *value = std::getenv("TERVIX_CARDS");
    std::string names = value != nullptr ? value : "";
    size_t start = 0;
    while (start <= names.size()) {
        size_t end = names.find(',', start);
        if (end == std::string::npos) {
            end = names.size();
        }
        const std::string name = names.substr(start, end - start);
        *decoder = *decoder || name == "decoder";
        *encoder = *encoder || name == "encoder";
        start = end + 1;
    }
}

} // namespace

extern "C" {

void Kelvra_SetPresenterHook(Kelvra_PresenterHook hook, void *context)
{
    const std::unique_lock<std::shared_mutex> lock(g_hookLock);
    g_hook = hook;
    g_hookContext = context;
}

int InitDSPs(void)
{
    bool decoder = false;
    bool encoder = false;
    cardsNamed(&decoder, &encoder);
    const std::lock_guard<std::mutex> lock(g_lock);
    g_decoderUp = g_decoderUp || decoder;
    g_encoderUp = g_encoderUp || encoder;
    // One processor per channel.
    return (g_decoderUp ? KELVRA_DECODER_CHANNELS : 0)
        + (g_encoderUp ? KELVRA_ENCODER_CHANNELS : 0);
}

int DeInitDSPs(void)
{
    std::vector<std::unique_ptr<vdec::StreamDecoder>> streams;
    std::vector<std::unique_ptr<EncoderInput>> inputs;
    {
        const std::lock_guard<std::mutex> lock(g_lock);
        for (DecoderChannel &c : g_decoders) {
            streams.push_back(takeStream(c));
            c.open = false;
        }
        for (auto &input : g_inputs) {
            inputs.push_back(std::move(input));
        }
        g_decoderUp = false;
        g_encoderUp = false;
        g_surfaceWindow = 0;
    }
    return Ok;
}

int HW_InitDirectDraw(uintptr_t window, uint32_t)
{
    const std::lock_guard<std::mutex> lock(g_lock);
    if (!g_decoderUp) {
        return NoCard;
    }
    g_surfaceWindow = window;
    return Ok;
}

int HW_ReleaseDirectDraw(void)
{
    const std::lock_guard<std::mutex> lock(g_lock);
    if (!g_decoderUp) {
        return NoCard;
    }
    g_surfaceWindow = 0;
    return Ok;
}

static int surfaceCall()
{
    const std::lock_guard<std::mutex> lock(g_lock);
    return g_decoderUp ? Ok : NoCard;
}

int HW_RestoreSurface(void)
{
    return surfaceCall();
}

int HW_RefreshSurface(void)
{
    return surfaceCall();
}

int HW_ClearSurface(void)
{
    return surfaceCall();
}

int HW_ChannelOpen(int32_t index, int32_t *channel)
{
    if (channel == nullptr || index < 0) {
        return BadArgument;
    }
    const std::lock_guard<std::mutex> lock(g_lock);
    if (!g_decoderUp) {
        return NoCard;
    }
    // The first free channel from the one asked for: two previews may ask for the same.
    for (int32_t i = index; i < KELVRA_DECODER_CHANNELS; ++i) {
        DecoderChannel &c = g_decoders[size_t(i)];
        if (!c.open) {
            c.open = true;
            c.openMode = 0;
            c.display = {};
            *channel = i;
            return Ok;
        }
    }
    return BadChannel;
}

int HW_ChannelClose(int32_t channel)
{
    std::unique_ptr<vdec::StreamDecoder> stream;
    {
        const std::lock_guard<std::mutex> lock(g_lock);
        DecoderChannel *c = decoderChannel(channel);
        if (c == nullptr) {
            return decoderError();
        }
        stream = takeStream(*c);
        c->open = false;
    }
    return Ok;
}

int HW_SetStreamOpenMode(int32_t channel, uint32_t mode)
{
    const std::lock_guard<std::mutex> lock(g_lock);
    DecoderChannel *c = decoderChannel(channel);
    if (c == nullptr) {
        return decoderError();
    }
    if (mode < 1 || mode > 3) {
        return BadArgument;
    }
    c->openMode = mode;
    return Ok;
}

int HW_OpenStream(int32_t channel, const uint8_t *header, uint32_t size)
{
    const std::lock_guard<std::mutex> lock(g_lock);
    DecoderChannel *c = decoderChannel(channel);
    if (c == nullptr) {
        return decoderError();
    }
    if (c->openMode == 0 || c->decoder) {
        return BadState;
    }
    c->decoder = vdec::StreamDecoder::open(header, size, DecoderBufferBytes,
        [channel](const vdec::Picture &picture) { decoded(channel, picture); });
    return c->decoder ? Ok : BadStream;
}

int HW_CloseStream(int32_t channel)
{
    std::unique_ptr<vdec::StreamDecoder> stream;
    {
        const std::lock_guard<std::mutex> lock(g_lock);
        DecoderChannel *c = decoderChannel(channel);
        if (c == nullptr) {
            return decoderError();
        }
        if (!c->decoder) {
            return BadState;
        }
        stream = takeStream(*c);
    }
    return Ok;
}

int HW_SetDisplayPara(int32_t channel, const KELVRA_DISPLAY_PARA *para)
{
    const std::lock_guard<std::mutex> lock(g_lock);
    DecoderChannel *c = decoderChannel(channel);
    if (c == nullptr) {
        return decoderError();
    }
    if (para == nullptr || para->nWidth <= 0 || para->nHeight <= 0) {
        return BadArgument;
    }
    c->display = *para;
    return Ok;
}

// Play and stop of an opened decoder channel.
static int setPlaying(int32_t channel, bool playing)
{
    const std::lock_guard<std::mutex> lock(g_lock);
    DecoderChannel *c = decoderChannel(channel);
    if (c == nullptr) {
        return decoderError();
    }
    if (!c->decoder) {
        return BadState;
    }
    c->playing = playing;
    return Ok;
}

int HW_Play(int32_t channel)
{
    return setPlaying(channel, true);
}

int HW_Stop(int32_t channel)
{
    return setPlaying(channel, false);
}

int HW_InputData(int32_t channel, const uint8_t *data, uint32_t size)
{
    const std::lock_guard<std::mutex> lock(g_lock);
    DecoderChannel *c = decoderChannel(channel);
    if (c == nullptr || !c->decoder || data == nullptr) {
        return -1;
    }
    if (c->decoder->input(data, size)) {
        return int(size);
    }
    // Nearly full: take the largest half, quarter, ... of the block that fits.
    for (uint32_t part = size / 2; part >= SmallestPart; part /= 2) {
        if (c->decoder->input(data, part)) {
            return int(part);
        }
    }
    return 0;
}

int HW_GetCurrentFrameRate(int32_t channel, uint32_t *rate)
{
    const std::lock_guard<std::mutex> lock(g_lock);
    DecoderChannel *c = decoderChannel(channel);
    if (c == nullptr) {
        return decoderError();
    }
    if (rate == nullptr) {
        return BadArgument;
    }
    *rate = c->decoder ? c->decoder->frameRate() : 0;
    return Ok;
}

int RegisterDecoderVideoCaptureCallback(DecoderVideoCaptureCallback callback, void *context)
{
    {
        const std::lock_guard<std::mutex> lock(g_lock);
        if (!g_decoderUp) {
            return NoCard;
        }
    }
    const std::unique_lock<std::shared_mutex> lock(g_captureLock);
    g_capture = callback;
    g_captureContext = context;
    return Ok;
}

int HW_SetDecoderVideoCapture(int32_t channel, int32_t enable, uint32_t)
{
    const std::lock_guard<std::mutex> lock(g_lock);
    DecoderChannel *c = decoderChannel(channel);
    if (c == nullptr) {
        return decoderError();
    }
    c->capture = enable != 0;
    return Ok;
}

int32_t ChannelOpen(int32_t index)
{
    const std::lock_guard<std::mutex> lock(g_lock);
    if (!g_encoderUp || index < 0) {
        return -1;
    }
    for (int32_t i = index; i < KELVRA_ENCODER_CHANNELS; ++i) {
        if (!g_inputs[size_t(i)]) {
            g_inputs[size_t(i)] = std::make_unique<EncoderInput>(i);
            return i;
        }
    }
    return -1;
}

int ChannelClose(int32_t channel)
{
    std::unique_ptr<EncoderInput> input;
    {
        const std::lock_guard<std::mutex> lock(g_lock);
        if (encoderInput(channel) == nullptr) {
            return encoderError();
        }
        input = std::move(g_inputs[size_t(channel)]);
    }
    return Ok;
}

int StartVideoPreview(
    int32_t channel, uintptr_t window, const KELVRA_RECT *rect, int32_t, int32_t, int32_t frameRate)
{
    const std::lock_guard<std::mutex> lock(g_lock);
    EncoderInput *input = encoderInput(channel);
    if (input == nullptr) {
        return encoderError();
    }
    if (window == 0 || rect == nullptr || rect->right <= rect->left || rect->bottom <= rect->top
        || frameRate <= 0 || frameRate > KELVRA_INPUT_RATE) {
        return BadArgument;
    }
    if (input->previewing()) {
        return BadState;
    }
    input->setPreview(window);
    return Ok;
}

int StopVideoPreview(int32_t channel)
{
    const std::lock_guard<std::mutex> lock(g_lock);
    EncoderInput *input = encoderInput(channel);
    if (input == nullptr) {
        return encoderError();
    }
    input->setPreview(0);
    return Ok;
}

int RegisterImageStreamCallback(ImageStreamCallback callback, void *context)
{
    {
        const std::lock_guard<std::mutex> lock(g_lock);
        if (!g_encoderUp) {
            return NoCard;
        }
    }
    const std::unique_lock<std::shared_mutex> lock(g_imageLock);
    g_image = callback;
    g_imageContext = context;
    return Ok;
}

int SetImageStream(int32_t channel, int32_t enable, uint32_t frameRate, uint32_t width,
    uint32_t height, uint8_t *buffer)
{
    const std::lock_guard<std::mutex> lock(g_lock);
    EncoderInput *input = encoderInput(channel);
    if (input == nullptr) {
        return encoderError();
    }
    if (enable == 0) {
        input->setStream(nullptr);
        return Ok;
    }
    if (buffer == nullptr || width != KELVRA_INPUT_WIDTH || height != KELVRA_INPUT_HEIGHT
        || frameRate == 0 || frameRate > KELVRA_INPUT_RATE) {
        return BadArgument;
    }
    input->setStream(buffer);
    return Ok;
}

} // extern "C"
