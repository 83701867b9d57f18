#pragma once

#include "solvane_protocol.h"

#include <QByteArray>
#include <QObject>

#include <functional>

class QTcpSocket;

namespace devsim {

class Camera;

// One control connection of a camera: frames in and out, the login
// challenge, and one handler per command. It ends itself (deleteLater) and
// tells the camera when it does.
class DeviceSession : public QObject
{
public:
    // Takes the socket over; the camera is the parent.
    DeviceSession(Camera *camera, QTcpSocket *socket);

    // Sends the challenge, or the refusal of a camera that serves no more sessions.
    void start(bool tooMany);
    // Flushes what was written, then closes.
    void close();
    void abort();

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

    bool channelValid(qint32 channel) const;

    Camera *m_camera;
    QTcpSocket *m_socket;
    QByteArray m_buffer;
    uint8_t m_nonce[solvane::proto::NonceSize] {};
    bool m_loggedIn = false;
    bool m_closing = false;
    bool m_finished = false;
    int m_frames = 0;
};

} // namespace devsim
