#pragma once

#include "solvane_protocol.h"

#include <QByteArray>
#include <QObject>

#include <functional>
#include <memory>

class QTcpSocket;
class QTimer;

namespace devsim {

class Camera;
class FirmwareReceiver;
struct StreamPicture;

// One connection of a camera: frames in and out, the login challenge, and
// one handler per command. A connection is a control connection once it logs
// in, or a firmware upload or a live stream attached to one. It ends itself (deleteLater) and
// tells the camera when it does.
class DeviceSession : public QObject
{
public:
    // Takes the socket over; the camera is the parent.
    DeviceSession(Camera *camera, QTcpSocket *socket);
    ~DeviceSession() override;

    // Sends the challenge, or the refusal of a camera that serves no more sessions.
    void start(bool tooMany);
    // Flushes what was written, then closes.
    void close();
    void abort();

    // The device's number of this login; 0 before it or on an upload connection.
    quint32 sessionId() const { return m_sessionId; }
    bool isLoggedIn() const { return m_sessionId != 0; }
    // The login an upload or stream connection is attached to; 0 for other connections.
    quint32 attachedTo() const { return m_attachedTo; }

    // The stream connection: what the camera's video hands each viewer.
    void sendStreamHeader(const QByteArray &header);
    void sendPicture(const StreamPicture &picture);

private:
    using Header = solvane::proto::Header;

    void finish();
    void readFrames();
    std::function<void()> closeAfter();
    void send(const Header &header, const QByteArray &payload, const std::function<void()> &after);
    void reply(const Header &request, quint32 status, const QByteArray &payload = {},
        const std::function<void()> &after = {});

    // Dispatch, then one function per command.
    void handle(const Header &request, const QByteArray &payload);
    void login(const Header &request, const QByteArray &payload);
    void logout(const Header &request);
    void keepAlive(const Header &request);
    void getConfig(const Header &request, const QByteArray &payload);
    void setConfig(const Header &request, const QByteArray &payload);
    void reboot(const Header &request);
    void restore(const Header &request);
    void getAbility(const Header &request, const QByteArray &payload);
    void getPtzProtocols(const Header &request);
    bool credentialsMatch(std::string_view userName, const uint8_t *proof) const;

    // The upload connection (firmware upgrade).
    void attachUpgrade(const Header &request, const QByteArray &payload);
    void handleUpload(const Header &request, const QByteArray &payload);
    void upgradeData(const Header &request, const QByteArray &payload);
    void replyUpgradeState(const Header &request);
    void writeFirmware();
    // Frees the camera for other upgrades once this one is final or over.
    void settleUpgrade(bool over);

    // The stream connection (live video).
    void attachStream(const Header &request, const QByteArray &payload);
    void writeStreamFrame(quint16 command, const uint8_t *payload, std::size_t length);

    bool channelValid(qint32 channel) const;

    Camera *m_camera;
    QTcpSocket *m_socket;
    uint8_t m_nonce[solvane::proto::NonceSize] {};
    bool m_loggedIn = false;
    bool m_closing = false;
    bool m_finished = false;
    int m_frames = 0;
    quint32 m_sessionId = 0;
    quint32 m_attachedTo = 0;
    std::unique_ptr<FirmwareReceiver> m_upload;
    QTimer *m_uploadIdle = nullptr;
    bool m_holdsUpgrade = false; // this connection's upgrade blocks others
    bool m_writing = false;
    bool m_stalled = false; // a fault: no more answers on this upload
    bool m_streaming = false;
    bool m_streamHeaderSent = false;
    bool m_waitKey = true; // pictures are skipped until a key picture
    bool m_streamStalled = false; // a fault: nothing more is sent on this stream
    int m_picturesSent = 0;
    QTimer *m_keepAlive = nullptr;
};

} // namespace devsim
