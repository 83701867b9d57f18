#include "realplay.h"

#include "previewdebug.h"

#include <QMutexLocker>

#include <array>

namespace {

constexpr uint32_t StreamHeader = 1;
constexpr uint32_t StreamData = 2;
constexpr int32_t PictureFrameType = 3;

// Which CRealPlay opened each player port. Written by the stream thread,
// read by the player's decoding thread without a lock: an entry is written
// before its port plays and cleared before its stream closes.
std::array<std::atomic<CRealPlay *>, STRIX_MAX_PORTS> g_portOwners {};

void setPortOwner(int32_t port, CRealPlay *owner)
{
    if (port >= 0 && port < STRIX_MAX_PORTS) {
        g_portOwners[size_t(port)] = owner;
    }
}

} // namespace

CRealPlay::CRealPlay(
    std::function<void(const QString &)> log, const PreviewLibraries &libraries, QObject *parent)
    : QObject(parent), m_log(std::move(log)), m_libraries(libraries)
{ }

CRealPlay::~CRealPlay()
{
    StopRealPlay();
}

void CRealPlay::SetDisplaySize(int width, int height)
{
    m_displayWidth = width;
    m_displayHeight = height;
}

void CRealPlay::log(const QString &text) const
{
    if (m_log) {
        m_log(text);
    }
}

bool CRealPlay::StartRealPlay(const char *ip, quint16 port, const char *userName,
    const char *password, int channel, quintptr window)
{
    if (isRunning() || m_userId >= 0) {
        return false;
    }
    SOLV_LOGIN_INFO info {};
    const int32_t userId = m_libraries.login(ip, port, userName, password, &info);
    if (userId < 0) {
        log(tr("Login to ") + QString::fromLocal8Bit(ip) + tr(" failed!"));
        return false;
    }
    m_userId = userId;
    if (!RealPlay(userId, channel, window)) {
        m_libraries.logout(userId);
        m_userId = -1;
        return false;
    }
    return true;
}

bool CRealPlay::RealPlay(int userId, int channel, quintptr window)
{
    if (userId < 0 || m_bncRunning) {
        return false;
    }
    if (m_handle >= 0) {
        qCDebug(lcPreview, "Realplay refused: a stream runs already");
        return false;
    }
    m_window = window;
    std::unique_ptr<StreamDecodeMode> mode;
    if (m_hardDecode) {
        mode = m_cardDecoder ? m_cardDecoder(this) : std::make_unique<CardDecodeMode>(this);
        if (!mode) {
            log(tr("Failed to initialize DirectDraw!"));
            return false;
        }
    } else {
        mode = std::make_unique<SoftwareDecodeMode>(this);
    }
    if (!mode->begin(window)) {
        return false;
    }
    // In place before the stream starts: its first header may come at once.
    m_mode = std::move(mode);
    const SOLV_PREVIEW_REQUEST request { channel, 0, 0, nullptr };
    const int32_t handle = m_libraries.realPlay(userId, &request, &StreamDataCallback, this, 1);
    if (handle < 0) {
        qCDebug(lcPreview, "Realplay failed! error:%d", int(m_libraries.lastError()));
        m_mode->release();
        m_mode.reset();
        return false;
    }
    m_handle = handle;
    return true;
}

void CRealPlay::setWindowGeometry(ClientRect clientRect, ScreenSize screenSize)
{
    m_clientRect = std::move(clientRect);
    m_screenSize = std::move(screenSize);
}

bool CRealPlay::StartBNCPreview(quintptr window)
{
    if (isRunning()) {
        return false;
    }
    const int32_t channel = ChannelOpen(0);
    if (channel == -1) {
        log(tr("Open decode channel failed!"));
        return false;
    }
    m_bncChannel = channel;
    m_window = window;
    if (!startCardPreview(clientRect())) {
        ChannelClose(channel);
        m_bncChannel = -1;
        return false;
    }
    RegisterImageStreamCallback(&ImageStreamCallback, this);
    SetImageStream(channel, 1, BncRate, BncWidth, BncHeight, m_bncFrame.data());
    m_bncRunning = true;
    return true;
}

QRect CRealPlay::clientRect() const
{
    const QRect rect = m_clientRect ? m_clientRect(m_window) : QRect();
    // A window not laid out yet shows the input at its own size.
    return rect.isEmpty() ? QRect(0, 0, BncWidth, BncHeight) : rect;
}

bool CRealPlay::startCardPreview(const QRect &rect)
{
    m_bncRect = rect;
    const KELVRA_RECT placed { rect.left(), rect.top(), rect.left() + rect.width(),
        rect.top() + rect.height() };
    return StartVideoPreview(m_bncChannel, m_window, &placed, 0, 8, BncRate) == 0;
}

void CRealPlay::ImageStreamCallback(uint32_t channel, void *context)
{
    qCDebug(lcPreview, "ImageStreamCallback[%d, %x]", int(channel), unsigned(quintptr(context)));
    auto *self = static_cast<CRealPlay *>(context);
    if (self != nullptr) {
        self->deliverFrame(self->m_bncFrame.data(), BncWidth, BncHeight);
    }
}

void CRealPlay::StopRealPlay()
{
    if (m_bncRunning) {
        // The picture copies first: once they stop, the buffer is ours again.
        SetImageStream(m_bncChannel, 0, 0, 0, 0, nullptr);
        RegisterImageStreamCallback(nullptr, nullptr);
        StopVideoPreview(m_bncChannel);
        ChannelClose(m_bncChannel);
        m_bncChannel = -1;
        m_bncRunning = false;
        return;
    }
    // The stream first: once it has stopped, no callback touches the mode.
    if (m_handle >= 0) {
        m_libraries.stopRealPlay(m_handle);
        m_handle = -1;
    }
    if (m_mode) {
        m_mode->release();
        m_mode.reset();
    }
    if (m_userId >= 0) {
        m_libraries.logout(m_userId);
        m_userId = -1;
    }
}

void CRealPlay::SetFrameCallback(FrameCallback callback, void *user)
{
    const QMutexLocker locker(&m_frameMutex);
    m_frameCallback = callback;
    m_frameUser = user;
}

void CRealPlay::deliverFrame(const uint8_t *buffer, int width, int height)
{
    FrameCallback callback = nullptr;
    void *user = nullptr;
    {
        const QMutexLocker locker(&m_frameMutex);
        callback = m_frameCallback;
        user = m_frameUser;
    }
    if (callback != nullptr) {
        callback(buffer, width, height, user);
    }
}

unsigned CRealPlay::GetFrameRate() const
{
    if (m_bncRunning) {
        return 25;
    }
    return m_mode ? m_mode->frameRate() : 0;
}

void CRealPlay::FullScreenChanged(bool full)
{
    // Only the encoder card's preview is placed by hand; the decoders'
    // presenters follow their widget by themselves.
    if (!m_bncRunning) {
        return;
    }
    StopVideoPreview(m_bncChannel);
    QRect rect = clientRect();
    if (full && m_screenSize) {
        const QSize screen = m_screenSize();
        rect.setRight(screen.width() - 1);
        rect.setBottom(screen.height() - 1);
    }
    if (!startCardPreview(rect)) {
        qCDebug(lcPreview, "StartVideoPreview failed after the window changed size");
    }
}

void CRealPlay::StreamDataCallback(
    int32_t handle, uint32_t dataType, const uint8_t *buffer, uint32_t size, void *user)
{
    Q_UNUSED(handle);
    auto *self = static_cast<CRealPlay *>(user);
    if (self == nullptr || !self->m_mode) {
        return;
    }
    switch (dataType) {
    case StreamHeader:
        self->m_mode->streamHeader(buffer, size);
        break;
    case StreamData:
        self->m_mode->streamData(buffer, size);
        break;
    default:
        break;
    }
}

bool SoftwareDecodeMode::begin(quintptr window)
{
    m_window = window;
    return true;
}

void SoftwareDecodeMode::streamHeader(const uint8_t *header, uint32_t size)
{
    const PreviewLibraries &libraries = m_owner->libraries();
    // A second header: the device restarted its stream.
    if (const int old = m_port; old >= 0) {
        setPortOwner(old, nullptr);
        libraries.closeStream(old);
        libraries.freePort(old);
        m_port = -1;
    }
    int32_t port = -1;
    if (!libraries.getPort(&port)) {
        qCDebug(lcPreview, "Strix_GetPort failed!");
        return;
    }
    if (!libraries.openStream(port, header, size, StreamBufferBytes)) {
        qCDebug(lcPreview, "Strix_OpenStream failed!");
        libraries.freePort(port);
        return;
    }
    setPortOwner(port, m_owner);
    libraries.setDisplayCallBack(port, &displayCallback);
    if (!libraries.play(port, m_window)) {
        qCDebug(lcPreview, "Strix_Play failed!");
        setPortOwner(port, nullptr);
        libraries.freePort(port);
        return;
    }
    m_port = port;
}

void SoftwareDecodeMode::streamData(const uint8_t *data, uint32_t size)
{
    const int port = m_port;
    if (size == 0 || port < 0) {
        return;
    }
    const PreviewLibraries &libraries = m_owner->libraries();
    for (int i = 0; i < InputTries; ++i) {
        if (libraries.inputData(port, data, size)) {
            return;
        }
        libraries.sleep(InputRetryMs);
    }
    qCDebug(lcPreview, "Strix_InputData refused %u bytes %d times; dropped", size, InputTries);
}

unsigned SoftwareDecodeMode::frameRate() const
{
    const int port = m_port;
    return port >= 0 ? m_owner->libraries().frameRate(port) : 0;
}

void SoftwareDecodeMode::release()
{
    if (const int port = m_port; port >= 0) {
        setPortOwner(port, nullptr);
        m_owner->libraries().freePort(port);
        m_port = -1;
    }
}

CRealPlay *SoftwareDecodeMode::portOwner(int32_t port)
{
    return port >= 0 && port < STRIX_MAX_PORTS ? g_portOwners[size_t(port)].load() : nullptr;
}

void SoftwareDecodeMode::displayCallback(int32_t port, const uint8_t *buffer, uint32_t,
    int32_t width, int32_t height, int64_t, int32_t frameType, void *)
{
    if (frameType != PictureFrameType) {
        return;
    }
    if (CRealPlay *owner = portOwner(port)) {
        owner->deliverFrame(buffer, width, height);
    }
}

bool CardDecodeMode::begin(quintptr window)
{
    m_window = window;
    if (HW_InitDirectDraw(uintptr_t(window), 0) != 0) {
        m_owner->log(CRealPlay::tr("Failed to initialize DirectDraw!"));
        return false;
    }
    qCDebug(lcPreview, "HW_InitDirectDraw succeed!");
    return true;
}

void CardDecodeMode::closeChannel()
{
    HW_ChannelClose(m_channel);
    m_channel = -1;
}

void CardDecodeMode::streamHeader(const uint8_t *header, uint32_t size)
{
    // A second header: the device restarted its stream.
    if (m_channel != -1) {
        closeChannel();
    }
    int32_t channel = -1;
    if (const int r = HW_ChannelOpen(0, &channel); r != 0) {
        qCDebug(lcPreview, "ChannelOpen failed!  Get last err:  %x", unsigned(r));
        return;
    }
    m_channel = channel;
    HW_RestoreSurface();
    if (const int r = HW_SetStreamOpenMode(channel, StreamOpenMode); r != 0) {
        qCDebug(lcPreview, "HW_SetStreamOpenMode failed!  Get last err:  %x", unsigned(r));
        closeChannel();
        return;
    }
    if (const int r = HW_OpenStream(channel, header, size); r != 0) {
        qCDebug(lcPreview, "HW_OpenStream failed!  Get last err:  %x", unsigned(r));
        closeChannel();
        return;
    }
    const KELVRA_DISPLAY_PARA display { 1, 1, 0, 0, m_owner->displayWidth(),
        m_owner->displayHeight() };
    if (const int r = HW_SetDisplayPara(channel, &display); r != 0) {
        qCDebug(lcPreview, "HW_SetDisplayPara failed!  Get last err:  %x", unsigned(r));
        closeChannel();
        return;
    }
    // Without the capture the picture still shows; only the frame callback misses it.
    if (const int r = RegisterDecoderVideoCaptureCallback(&captureCallback, m_owner); r != 0) {
        qCDebug(lcPreview, "RegisterDecoderVideoCaptureCallback failed! err:%d", r);
    }
    if (const int r = HW_SetDecoderVideoCapture(channel, 1, 0); r != 0) {
        qCDebug(lcPreview, "HW_SetDecoderVideoCapture failed!  Get last err:  %x", unsigned(r));
    }
    if (const int r = HW_Play(channel); r != 0) {
        qCDebug(lcPreview, "HW_Play failed!  Get last err:  %x", unsigned(r));
        closeChannel();
    }
}

void CardDecodeMode::streamData(const uint8_t *data, uint32_t size)
{
    if (size == 0 || m_window == quintptr(-1)) {
        return;
    }
    const int channel = m_channel;
    HW_RefreshSurface();
    uint32_t remaining = size;
    for (int i = 0; i < InputTries; ++i) {
        const int taken = HW_InputData(channel, data, remaining);
        if (taken <= 0 || uint32_t(taken) == remaining) {
            return;
        }
        // The card took part of the block: offer the rest once it has caught up.
        data += taken;
        remaining -= uint32_t(taken);
        m_owner->libraries().sleep(InputRetryMs);
    }
}

unsigned CardDecodeMode::frameRate() const
{
    uint32_t rate = 0;
    if (m_channel == -1 || HW_GetCurrentFrameRate(m_channel, &rate) != 0) {
        return 0;
    }
    return rate;
}

void CardDecodeMode::release()
{
    if (const int channel = m_channel; channel != -1) {
        if (const int r = HW_Stop(channel); r != 0) {
            qCDebug(lcPreview, "HW_Stop failed!   Get last err:  %x", unsigned(r));
        }
        if (const int r = HW_CloseStream(channel); r != 0) {
            qCDebug(lcPreview, "HW_CloseStream failed!  Get last err:  %x", unsigned(r));
        }
        if (const int r = HW_ChannelClose(channel); r != 0) {
            qCDebug(lcPreview, "HW_ChannelClose failed!  Get last err:  %x", unsigned(r));
        }
        m_channel = -1;
    }
    HW_ReleaseDirectDraw();
    HW_ClearSurface();
}

void CardDecodeMode::captureCallback(int32_t, const uint8_t *buffer, int32_t width, int32_t height,
    uint32_t, uint32_t, int64_t, void *context)
{
    if (auto *owner = static_cast<CRealPlay *>(context)) {
        owner->deliverFrame(buffer, width, height);
    }
}
