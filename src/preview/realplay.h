#pragma once

#include "kelvra.h"
#include "mirt.h"
#include "solvane.h"
#include "strix.h"

#include <QMutex>
#include <QObject>
#include <QRect>
#include <QSize>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class CRealPlay;

// The library calls the preview makes, in one place so that tests can watch
// them (a wrapper that counts and calls the real one); the defaults are the
// libraries themselves.
struct PreviewLibraries
{
    decltype(&SOLV_Login_V30) login = &SOLV_Login_V30;
    decltype(&SOLV_Logout_V30) logout = &SOLV_Logout_V30;
    decltype(&SOLV_RealPlay_V30) realPlay = &SOLV_RealPlay_V30;
    decltype(&SOLV_StopRealPlay) stopRealPlay = &SOLV_StopRealPlay;
    decltype(&SOLV_GetLastError) lastError = &SOLV_GetLastError;
    decltype(&Strix_GetPort) getPort = &Strix_GetPort;
    decltype(&Strix_FreePort) freePort = &Strix_FreePort;
    decltype(&Strix_OpenStream) openStream = &Strix_OpenStream;
    decltype(&Strix_CloseStream) closeStream = &Strix_CloseStream;
    decltype(&Strix_InputData) inputData = &Strix_InputData;
    decltype(&Strix_Play) play = &Strix_Play;
    decltype(&Strix_SetDisplayCallBack) setDisplayCallBack = &Strix_SetDisplayCallBack;
    decltype(&Strix_GetCurrentFrameRate) frameRate = &Strix_GetCurrentFrameRate;
    decltype(&MIRT_Sleep) sleep = &MIRT_Sleep;
};

// How a network stream is decoded and shown once the device sends it: by the
// stream player in software, or by a decoder card. Called on the SDK's
// stream thread, except begin() and frameRate(); release() runs after the
// stream has stopped.
class StreamDecodeMode
{
public:
    virtual ~StreamDecodeMode() = default;
    // Before the stream is asked for; false ends the start.
    virtual bool begin(quintptr window) = 0;
    virtual void streamHeader(const uint8_t *header, uint32_t size) = 0;
    virtual void streamData(const uint8_t *data, uint32_t size) = 0;
    virtual unsigned frameRate() const = 0;
    virtual void release() = 0;
};

// The live preview of one camera in one window, and the frame callback that
// the focus assistant measures on. Software mode decodes with the stream
// player; the decoder card and the encoder card's analogue input come with
// the card library (setCardDecoder, StartBNCPreview).
class CRealPlay : public QObject
{
    Q_OBJECT

public:
    // Gets (picture buffer, width, height, user data) on a library thread; the
    // buffer starts with the luminance plane, width x height bytes.
    using FrameCallback = void (*)(const uint8_t *buffer, int width, int height, void *user);
    using CardDecoderFactory = std::function<std::unique_ptr<StreamDecodeMode>(CRealPlay *)>;
    // The window's client rectangle, and the screen's size, for placing the
    // encoder card's preview; the page that owns the window knows them.
    using ClientRect = std::function<QRect(quintptr window)>;
    using ScreenSize = std::function<QSize()>;

    // The encoder card's analogue input.
    static constexpr int BncWidth = 704;
    static constexpr int BncHeight = 576;
    static constexpr int BncRate = 25;

    // `log` takes the operation log's lines (on the caller's thread).
    explicit CRealPlay(std::function<void(const QString &)> log = {},
        const PreviewLibraries &libraries = {}, QObject *parent = nullptr);
    ~CRealPlay() override;

    void SetHardDecode(bool hardDecode) { m_hardDecode = hardDecode; }
    void SetDisplaySize(int width, int height);
    int displayWidth() const { return m_displayWidth; }
    int displayHeight() const { return m_displayHeight; }
    // Where decoder-card decoding comes from; none: the card library's decoder card.
    void setCardDecoder(CardDecoderFactory factory) { m_cardDecoder = std::move(factory); }
    void setWindowGeometry(ClientRect clientRect, ScreenSize screenSize);
    // Where the encoder card's preview was last placed.
    QRect bncPreviewRect() const { return m_bncRect; }

    // Logs in, then RealPlay; the login belongs to this object.
    bool StartRealPlay(const char *ip, quint16 port, const char *userName, const char *password,
        int channel, quintptr window);
    // Starts the network stream on an existing login.
    bool RealPlay(int userId, int channel, quintptr window);
    bool StartBNCPreview(quintptr window);
    // Stops whatever runs and releases all this object holds; harmless when idle.
    void StopRealPlay();
    void SetFrameCallback(FrameCallback callback, void *user);
    unsigned GetFrameRate() const;
    void FullScreenChanged(bool full);

    bool isRunning() const { return m_handle >= 0 || m_bncRunning; }
    quintptr window() const { return m_window; }
    const PreviewLibraries &libraries() const { return m_libraries; }

    // Hands a decoded picture to the frame callback, if one is set.
    void deliverFrame(const uint8_t *buffer, int width, int height);
    void log(const QString &text) const;

    // The SDK's stream data callback; `user` is the CRealPlay.
    static void StreamDataCallback(
        int32_t handle, uint32_t dataType, const uint8_t *buffer, uint32_t size, void *user);
    // The encoder card's picture callback; `context` is the CRealPlay.
    static void ImageStreamCallback(uint32_t channel, void *context);

private:
    bool startCardPreview(const QRect &rect);
    QRect clientRect() const;
    std::function<void(const QString &)> m_log;
    PreviewLibraries m_libraries;
    CardDecoderFactory m_cardDecoder;
    int m_userId = -1; // a login of this object's own
    int m_handle = -1;
    quintptr m_window = 0;
    bool m_hardDecode = false;
    bool m_bncRunning = false;
    int m_displayWidth = 0;
    int m_displayHeight = 0;
    std::unique_ptr<StreamDecodeMode> m_mode;
    int32_t m_bncChannel = -1; // the encoder card's channel while a BNC preview runs
    QRect m_bncRect;
    ClientRect m_clientRect;
    ScreenSize m_screenSize;
    // The encoder card copies every picture of its input here.
    std::vector<uint8_t> m_bncFrame = std::vector<uint8_t>(size_t(BncWidth) * BncHeight * 3 / 2, 0);
    // Set from the user-interface thread, read on the decoding thread.
    QMutex m_frameMutex;
    FrameCallback m_frameCallback = nullptr;
    void *m_frameUser = nullptr;
};

// Software mode: the stream player decodes into the window.
class SoftwareDecodeMode final : public StreamDecodeMode
{
public:
    explicit SoftwareDecodeMode(CRealPlay *owner) : m_owner(owner) { }

    bool begin(quintptr window) override;
    void streamHeader(const uint8_t *header, uint32_t size) override;
    void streamData(const uint8_t *data, uint32_t size) override;
    unsigned frameRate() const override;
    void release() override;

    int port() const { return m_port; }

    // The buffer the player gets for the stream's data.
    static constexpr uint32_t StreamBufferBytes = 2097152;
    // A refused block is offered this many times, 2 ms apart, then dropped.
    static constexpr int InputTries = 10;
    static constexpr unsigned InputRetryMs = 2;

    // The CRealPlay that opened a player port; null for a port of nobody.
    static CRealPlay *portOwner(int32_t port);

private:
    static void displayCallback(int32_t port, const uint8_t *buffer, uint32_t size, int32_t width,
        int32_t height, int64_t timeStamp, int32_t frameType, void *reserved);

    CRealPlay *m_owner;
    quintptr m_window = 0;
    std::atomic<int> m_port { -1 };
};

// Decoder-card mode: the card decodes the stream and shows it in the window.
class CardDecodeMode final : public StreamDecodeMode
{
public:
    explicit CardDecodeMode(CRealPlay *owner) : m_owner(owner) { }

    bool begin(quintptr window) override;
    void streamHeader(const uint8_t *header, uint32_t size) override;
    void streamData(const uint8_t *data, uint32_t size) override;
    unsigned frameRate() const override;
    void release() override;

    int channel() const { return m_channel; }

    // Network stream mode of the card's channel.
    static constexpr uint32_t StreamOpenMode = 3;
    // A block is offered this many times, 2 ms apart, as the card takes it in parts.
    static constexpr int InputTries = 10;
    static constexpr unsigned InputRetryMs = 2;

private:
    static void captureCallback(int32_t channel, const uint8_t *buffer, int32_t width,
        int32_t height, uint32_t frameNumber, uint32_t frameTime, int64_t absoluteTime,
        void *context);
    void closeChannel();

    CRealPlay *m_owner;
    quintptr m_window = 0;
    std::atomic<int> m_channel { -1 };
};
