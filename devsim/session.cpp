#include "session.h"

#include "camera.h"
#include "firmware.h"
#include "recordbytes.h"
#include "solvane_firmware.h"
#include "solvane_records.h"
#include "solvane_streamwire.h"
#include "video.h"

#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>

namespace proto = solvane::proto;
namespace fw = solvane::firmware;
namespace wire = solvane::stream;

namespace devsim {

namespace {

// A connection that has not logged in within this time is dropped, so that
// idle half-open connections cannot use up the camera's sessions.
constexpr int LoginWaitMs = 10000;
// How long a closing connection may take to hand over what was written.
constexpr int CloseWaitMs = 5000;
// An upload that brings nothing for this long is cancelled.
constexpr int UploadIdleMs = 10000;
// A viewer with this much not yet taken misses pictures until the next key picture.
constexpr qint64 MaxStreamBacklog = 4 * 1024 * 1024;

// Request payloads (docs/protocol.md): GetConfig and SetConfig start with
// u32 command, i32 channel (a set's record follows); GetAbility with u32
// type, u32 query length (the query follows).
constexpr int ConfigCommandOffset = 0;
constexpr int ConfigChannelOffset = 4;
constexpr int ConfigPrefixSize = 8;
constexpr int AbilityTypeOffset = 0;
constexpr int AbilityQueryLengthOffset = 4;
constexpr int AbilityPrefixSize = 8;

quint32 payloadU32(const QByteArray &payload, int offset)
{
    return proto::getU32(bytes(payload) + offset);
}

} // namespace

DeviceSession::DeviceSession(Camera *camera, QTcpSocket *socket)
    : QObject(camera), m_camera(camera), m_socket(socket)
{
    socket->setParent(this);
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    // Never hold more than two whole frames of unread input.
    socket->setReadBufferSize(2 * qint64(proto::HeaderSize + proto::MaxPayload));
    connect(socket, &QTcpSocket::readyRead, this, &DeviceSession::readFrames);
    connect(socket, &QTcpSocket::disconnected, this, &DeviceSession::finish);
    QTimer::singleShot(LoginWaitMs, this, [this] {
        if (!m_loggedIn) {
            abort();
        }
    });
}

DeviceSession::~DeviceSession() = default;

void DeviceSession::start(bool tooMany)
{
    proto::Header challenge;
    challenge.command = proto::Challenge;
    if (tooMany) {
        challenge.status = proto::TooManySessions;
        send(challenge, {}, closeAfter());
        return;
    }
    proto::randomBytes(m_nonce, sizeof m_nonce);
    send(challenge, QByteArray(reinterpret_cast<const char *>(m_nonce), sizeof m_nonce), {});
}

std::function<void()> DeviceSession::closeAfter()
{
    return [self = QPointer<DeviceSession>(this)] {
        if (self) {
            self->close();
        }
    };
}

void DeviceSession::close()
{
    m_closing = true;
    settleUpgrade(true);
    m_socket->disconnectFromHost();
    if (m_socket->state() == QAbstractSocket::UnconnectedState) {
        finish();
        return;
    }
    // A peer that never reads would keep the session (and its slot) for ever.
    QTimer::singleShot(CloseWaitMs, this, [this] { abort(); });
}

void DeviceSession::abort()
{
    m_closing = true;
    settleUpgrade(true);
    m_socket->abort();
    finish();
}

void DeviceSession::finish()
{
    if (m_finished) {
        return;
    }
    m_finished = true;
    m_closing = true;
    settleUpgrade(true);
    m_camera->sessionClosed(this);
    deleteLater();
}

void DeviceSession::readFrames()
{
    // Frames come straight out of the socket's buffer, so that the pieces of
    // a firmware upload are copied once.
    uint8_t raw[proto::HeaderSize];
    while (!m_closing && m_socket->bytesAvailable() >= qint64(proto::HeaderSize)) {
        m_socket->peek(reinterpret_cast<char *>(raw), qint64(sizeof raw));
        uint32_t magic = 0;
        const proto::Header header = proto::decodeHeader(raw, &magic);
        if (proto::checkHeader(magic, header) != proto::HeaderCheck::Ok
            || (header.flags & proto::FlagReply)) {
            abort(); // the stream cannot be trusted any more
            return;
        }
        if (m_socket->bytesAvailable() < qint64(proto::HeaderSize + header.length)) {
            return;
        }
        m_socket->skip(qint64(proto::HeaderSize));
        const QByteArray payload = m_socket->read(qint64(header.length));
        ++m_frames;
        if (m_camera->fault().dropsAt(m_frames)) {
            abort();
            return;
        }
        handle(header, payload);
    }
}

void DeviceSession::send(
    const proto::Header &header, const QByteArray &payload, const std::function<void()> &after)
{
    const auto frame = proto::encodeFrame(header, bytes(payload), std::size_t(payload.size()));
    // What follows an answer (a reboot, a listener move) happens even
    // when the client went away before the answer could be written.
    auto write = [self = QPointer<DeviceSession>(this), frame, after] {
        if (self && !self->m_finished) {
            self->m_socket->write(
                reinterpret_cast<const char *>(frame.data()), qint64(frame.size()));
        }
        if (after) {
            after();
        }
    };
    const int delay = m_camera->scaledMs(m_camera->fault().delayMs);
    if (delay > 0) {
        QTimer::singleShot(delay, m_camera, write);
    } else {
        write();
    }
}

void DeviceSession::reply(const proto::Header &request, quint32 status, const QByteArray &payload,
    const std::function<void()> &after)
{
    proto::Header answer;
    answer.flags = proto::FlagReply;
    answer.command = request.command;
    answer.sequence = request.sequence;
    answer.status = status;
    send(answer, status == proto::Ok ? payload : QByteArray(), after);
}

void DeviceSession::handle(const proto::Header &request, const QByteArray &payload)
{
    if (m_streaming) {
        return; // after the attach only the device speaks
    }
    if (m_attachedTo != 0) {
        handleUpload(request, payload);
        return;
    }
    if (request.command == proto::Login) {
        login(request, payload);
        return;
    }
    if (request.command == proto::UpgradeAttach) {
        attachUpgrade(request, payload);
        return;
    }
    if (request.command == proto::StreamAttach) {
        attachStream(request, payload);
        return;
    }
    if (!m_loggedIn) {
        reply(request, proto::NotLoggedIn, {}, closeAfter());
        return;
    }
    switch (request.command) {
    case proto::Logout:
        logout(request);
        return;
    case proto::KeepAlive:
        keepAlive(request);
        return;
    case proto::GetConfig:
        getConfig(request, payload);
        return;
    case proto::SetConfig:
        setConfig(request, payload);
        return;
    case proto::Reboot:
        reboot(request);
        return;
    case proto::Restore:
        restore(request);
        return;
    case proto::GetAbility:
        getAbility(request, payload);
        return;
    case proto::GetPtzProtocols:
        getPtzProtocols(request);
        return;
    default:
        reply(request, proto::NotSupported);
        return;
    }
}

void DeviceSession::login(const proto::Header &request, const QByteArray &payload)
{
    if (m_loggedIn) {
        reply(request, proto::Refused);
        return;
    }
    const auto login = proto::decodeLogin(bytes(payload), std::size_t(payload.size()));
    if (!login) {
        abort();
        return;
    }
    if (!credentialsMatch(login->userName, login->proof)) {
        reply(request, proto::WrongPassword, {}, closeAfter());
        return;
    }
    m_loggedIn = true;
    m_sessionId = m_camera->nextSessionId();
    QByteArray answer(int(sizeof(quint32)), '\0');
    proto::putU32(reinterpret_cast<uint8_t *>(answer.data()), m_sessionId);
    reply(request, proto::Ok, answer);
}

bool DeviceSession::credentialsMatch(std::string_view userName, const uint8_t *proof) const
{
    const QByteArray password = m_camera->password();
    const auto expected = proto::loginProof(
        std::string_view(password.constData(), std::size_t(password.size())), m_nonce, userName);
    const QByteArray user = m_camera->userName();
    const bool userOk = userName == std::string_view(user.constData(), std::size_t(user.size()));
    // Both checks run whatever the user name, so timing tells nothing.
    const bool proofOk = proto::proofsEqual(expected.data(), proof);
    return userOk && proofOk;
}

void DeviceSession::logout(const proto::Header &request)
{
    reply(request, proto::Ok, {}, closeAfter());
}

void DeviceSession::keepAlive(const proto::Header &request)
{
    reply(request, proto::Ok);
}

void DeviceSession::getConfig(const proto::Header &request, const QByteArray &payload)
{
    if (payload.size() != ConfigPrefixSize) {
        reply(request, proto::ParameterError);
        return;
    }
    const quint32 command = payloadU32(payload, ConfigCommandOffset);
    const qint32 channel = qint32(payloadU32(payload, ConfigChannelOffset));
    if (!m_camera->fault().supportsConfig(command) || SOLV_RecordSize(command) == 0
        || SOLV_IsSetCommand(command)) {
        reply(request, proto::NotSupported);
        return;
    }
    if (!channelValid(channel)) {
        reply(request, proto::ParameterError);
        return;
    }
    reply(request, proto::Ok, m_camera->record(command));
}

void DeviceSession::setConfig(const proto::Header &request, const QByteArray &payload)
{
    if (payload.size() < ConfigPrefixSize) {
        reply(request, proto::ParameterError);
        return;
    }
    const quint32 command = payloadU32(payload, ConfigCommandOffset);
    const qint32 channel = qint32(payloadU32(payload, ConfigChannelOffset));
    if (!m_camera->fault().supportsConfig(command) || !SOLV_IsSetCommand(command)) {
        reply(request, proto::NotSupported);
        return;
    }
    if (!channelValid(channel)) {
        reply(request, proto::ParameterError);
        return;
    }
    const quint32 status = m_camera->handleSet(command, payload.mid(ConfigPrefixSize));
    reply(request, status, {}, [camera = m_camera, status] {
        if (status == proto::Ok) {
            camera->setApplied();
        }
    });
}

void DeviceSession::reboot(const proto::Header &request)
{
    if (m_camera->fault().rebootUnsupported) {
        reply(request, proto::NotSupported);
        return;
    }
    reply(request, proto::Ok, {}, [camera = m_camera] {
        // After this frame went out; the reboot closes this session too.
        QTimer::singleShot(0, camera, &Camera::reboot);
    });
}

void DeviceSession::restore(const proto::Header &request)
{
    if (m_camera->fault().restoreUnsupported) {
        reply(request, proto::NotSupported);
        return;
    }
    m_camera->restore();
    reply(request, proto::Ok);
}

void DeviceSession::getAbility(const proto::Header &request, const QByteArray &payload)
{
    if (payload.size() < AbilityPrefixSize
        || payloadU32(payload, AbilityQueryLengthOffset)
            != quint32(payload.size() - AbilityPrefixSize)) {
        reply(request, proto::ParameterError);
        return;
    }
    const quint32 type = payloadU32(payload, AbilityTypeOffset);
    const QByteArray text = m_camera->ability(type);
    if (!m_camera->fault().supportsAbility(type) || text.isEmpty()) {
        reply(request, proto::NotSupported);
        return;
    }
    reply(request, proto::Ok, text);
}

void DeviceSession::getPtzProtocols(const proto::Header &request)
{
    if (m_camera->fault().ptzUnsupported) {
        reply(request, proto::NotSupported);
        return;
    }
    reply(request, proto::Ok, m_camera->ptzList());
}

bool DeviceSession::channelValid(qint32 channel) const
{
    return channel >= 0 && quint32(channel) <= std::max<quint32>(1, m_camera->channelCount());
}

void DeviceSession::attachUpgrade(const proto::Header &request, const QByteArray &payload)
{
    if (m_loggedIn) {
        reply(request, proto::Refused);
        return;
    }
    const auto attach = fw::decodeAttach(bytes(payload), std::size_t(payload.size()));
    if (!attach) {
        abort();
        return;
    }
    // Credentials first, so that nobody learns without them which sessions exist.
    quint32 status = proto::Ok;
    if (!credentialsMatch(attach->login.userName, attach->login.proof)) {
        status = proto::WrongPassword;
    } else if (!m_camera->loggedInSession(attach->session)) {
        status = proto::NotLoggedIn;
    } else if (attach->imageSize == 0 || attach->imageSize > fw::MaxImage) {
        status = proto::ParameterError;
    } else if (!m_camera->beginUpgrade()) {
        status = proto::DeviceBusy;
    }
    if (status != proto::Ok) {
        reply(request, status, {}, closeAfter());
        return;
    }
    m_loggedIn = true;
    m_attachedTo = attach->session;
    m_holdsUpgrade = true;
    m_upload = std::make_unique<FirmwareReceiver>(m_camera->firmwareTarget(), attach->imageSize);
    m_uploadIdle = new QTimer(this);
    m_uploadIdle->setSingleShot(true);
    connect(m_uploadIdle, &QTimer::timeout, this, &DeviceSession::abort);
    m_uploadIdle->start(UploadIdleMs);
    reply(request, proto::Ok);
}

void DeviceSession::handleUpload(const proto::Header &request, const QByteArray &payload)
{
    m_uploadIdle->start(UploadIdleMs);
    if (m_stalled) {
        return; // a device that hangs answers nothing more
    }
    switch (request.command) {
    case proto::UpgradeData:
        upgradeData(request, payload);
        return;
    case proto::UpgradeState:
        replyUpgradeState(request);
        return;
    case proto::KeepAlive:
        keepAlive(request);
        return;
    default:
        reply(request, proto::NotSupported);
        return;
    }
}

void DeviceSession::upgradeData(const proto::Header &request, const QByteArray &payload)
{
    if (payload.isEmpty()) {
        reply(request, proto::ParameterError);
        return;
    }
    m_upload->take(payload.constData(), payload.size());
    const Fault &fault = m_camera->fault();
    if (m_upload->state() == fw::Running && fault.dropsUpgradeAt(m_upload->percent())) {
        abort();
        return;
    }
    if (m_upload->readyToWrite() && !m_writing) {
        m_writing = true;
        QTimer::singleShot(m_camera->firmwareWriteMs(), this, &DeviceSession::writeFirmware);
    }
    settleUpgrade(false);
    replyUpgradeState(request);
    // The client learns how far it got, then hears nothing more.
    m_stalled = m_upload->state() == fw::Running && fault.stallsUpgradeAt(m_upload->percent());
}

void DeviceSession::writeFirmware()
{
    if (m_closing || !m_upload) {
        return; // cancelled while it was being written: nothing is kept
    }
    const bool ok = !m_camera->fault().upgradeWriteFails;
    if (ok) {
        m_camera->stageFirmware(m_upload->header().softwareVersion, m_upload->header().buildDate);
    }
    m_upload->written(ok);
    settleUpgrade(false);
}

void DeviceSession::replyUpgradeState(const proto::Header &request)
{
    const auto state = fw::encodeState(m_upload->state(), m_upload->percent());
    reply(request, proto::Ok,
        QByteArray(reinterpret_cast<const char *>(state.data()), qsizetype(state.size())));
}

void DeviceSession::settleUpgrade(bool over)
{
    if (!m_holdsUpgrade || !m_upload) {
        return;
    }
    if (over || m_upload->state() != fw::Running) {
        m_holdsUpgrade = false;
        m_camera->endUpgrade();
    }
}

void DeviceSession::attachStream(const proto::Header &request, const QByteArray &payload)
{
    if (m_loggedIn) {
        reply(request, proto::Refused);
        return;
    }
    const auto attach = wire::decodeAttach(bytes(payload), std::size_t(payload.size()));
    if (!attach) {
        abort();
        return;
    }
    // Credentials first, so that nobody learns without them which sessions exist.
    quint32 status = proto::Ok;
    if (!credentialsMatch(attach->login.userName, attach->login.proof)) {
        status = proto::WrongPassword;
    } else if (!m_camera->loggedInSession(attach->session)) {
        status = proto::NotLoggedIn;
    } else if (attach->channel < 1 || !channelValid(attach->channel) || attach->linkMode != 0) {
        status = proto::ParameterError;
    } else if (m_camera->video()->viewerCount() >= int(wire::MaxViewers)) {
        status = proto::DeviceBusy;
    }
    if (status != proto::Ok) {
        reply(request, status, {}, closeAfter());
        return;
    }
    m_loggedIn = true;
    m_attachedTo = attach->session;
    m_streaming = true;
    m_keepAlive = new QTimer(this);
    m_keepAlive->setSingleShot(true);
    connect(m_keepAlive, &QTimer::timeout, this,
        [this] { writeStreamFrame(proto::KeepAlive, nullptr, 0); });
    m_keepAlive->start(wire::KeepAliveMs);
    // The header and pictures follow the answer, never overtake it.
    reply(request, proto::Ok, {}, [self = QPointer<DeviceSession>(this)] {
        if (self && !self->m_closing) {
            self->m_camera->video()->addViewer(self);
        }
    });
}

void DeviceSession::writeStreamFrame(quint16 command, const uint8_t *payload, std::size_t length)
{
    if (m_closing || m_streamStalled) {
        return;
    }
    proto::Header header;
    header.command = command;
    const auto frame = proto::encodeFrame(header, payload, length);
    m_socket->write(reinterpret_cast<const char *>(frame.data()), qint64(frame.size()));
    m_keepAlive->start(wire::KeepAliveMs);
}

void DeviceSession::sendStreamHeader(const QByteArray &header)
{
    m_streamHeaderSent = true;
    m_waitKey = true;
    writeStreamFrame(proto::StreamHeader, bytes(header), std::size_t(header.size()));
}

void DeviceSession::sendPicture(const StreamPicture &picture)
{
    if (!m_streamHeaderSent || m_closing || m_streamStalled) {
        return;
    }
    const bool key = (picture.info.flags & SOLV_PICTURE_FLAG_KEY) != 0;
    if (m_waitKey && !key) {
        return;
    }
    // A viewer that does not keep up loses pictures, never the camera its memory.
    if (m_socket->bytesToWrite() > MaxStreamBacklog) {
        m_waitKey = true;
        m_camera->video()->requestKeyPicture();
        return;
    }
    m_waitKey = false;
    for (const auto &piece :
        wire::encodePieces(picture.info, bytes(picture.data), std::size_t(picture.data.size()))) {
        writeStreamFrame(proto::StreamData, piece.data(), piece.size());
    }
    ++m_picturesSent;
    const Fault &fault = m_camera->fault();
    if (fault.dropsStreamAfter(m_picturesSent)) {
        close(); // what was written goes out first
    } else if (fault.stallsStreamAfter(m_picturesSent)) {
        m_streamStalled = true; // the connection stays open, silent
    }
}

} // namespace devsim
