#include "camera.h"

#include "solvane_protocol.h"
#include "solvane_records.h"

#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <cstring>
#include <functional>

namespace proto = solvane::proto;

namespace devsim {

namespace {

// A connection that has not logged in within this time is dropped, so that
// idle half-open connections cannot use up the camera's sessions.
constexpr int LoginWaitMs = 10000;
// How long a closing connection may take to hand over what was written.
constexpr int CloseWaitMs = 5000;

const uint8_t *bytes(const QByteArray &data)
{
    return reinterpret_cast<const uint8_t *>(data.constData());
}

QString fieldText(const QByteArray &record, int offset, int length)
{
    if (record.size() < offset + length) {
        return {};
    }
    const char *start = record.constData() + offset;
    const int textLength = int(std::find(start, start + length, '\0') - start);
    return QString::fromLocal8Bit(start, textLength);
}

quint32 fieldU32(const QByteArray &record, int offset)
{
    if (record.size() < offset + 4) {
        return 0;
    }
    return proto::getU32(bytes(record) + offset);
}

quint8 fieldU8(const QByteArray &record, int offset)
{
    return record.size() > offset ? quint8(record.at(offset)) : 0;
}

QString buildDate(quint32 date)
{
    return QString::asprintf("build%02u%02u%02u", date >> 16, (date >> 8) & 0xFF, date & 0xFF);
}

bool isUsableAddress(const QString &text)
{
    QHostAddress address;
    return address.setAddress(text) && address.protocol() == QAbstractSocket::IPv4Protocol
        && address != QHostAddress(QHostAddress::AnyIPv4);
}

} // namespace

bool applyFaultWord(Fault &fault, const QString &word, QString *error)
{
    const QString key = word.section(QLatin1Char('='), 0, 0).trimmed();
    const QString value = word.section(QLatin1Char('='), 1).trimmed();
    bool ok = true;
    const int number = value.isEmpty() ? 0 : value.toInt(&ok);
    const bool needsNumber = key != QLatin1String("never-return")
        && key != QLatin1String("ptz-unsupported") && key != QLatin1String("reboot-unsupported")
        && key != QLatin1String("restore-unsupported");
    if (needsNumber && (value.isEmpty() || !ok || number < 0)) {
        if (error) {
            *error = QStringLiteral("fault '%1' needs a number").arg(word);
        }
        return false;
    }
    if (key == QLatin1String("refuse-set")) {
        fault.refusedSets.insert(SOLV_RecordGetCommand(quint32(number)));
    } else if (key == QLatin1String("unsupported")) {
        fault.unsupportedCommands.insert(quint32(number));
    } else if (key == QLatin1String("unsupported-ability")) {
        fault.unsupportedAbilities.insert(quint32(number));
    } else if (key == QLatin1String("ptz-unsupported")) {
        fault.ptzUnsupported = true;
    } else if (key == QLatin1String("reboot-unsupported")) {
        fault.rebootUnsupported = true;
    } else if (key == QLatin1String("restore-unsupported")) {
        fault.restoreUnsupported = true;
    } else if (key == QLatin1String("delay")) {
        fault.delayMs = number;
    } else if (key == QLatin1String("drop-after")) {
        fault.dropAfterFrames = number;
    } else if (key == QLatin1String("ability-size")) {
        fault.abilityMinSize = number;
    } else if (key == QLatin1String("max-sessions")) {
        fault.maxSessions = number;
    } else if (key == QLatin1String("never-return")) {
        fault.neverReturn = true;
    } else {
        if (error) {
            *error = QStringLiteral("unknown fault '%1'").arg(word);
        }
        return false;
    }
    return true;
}

// One control connection: reads frames, answers them, ends itself.
class DeviceSession : public QObject
{
public:
    DeviceSession(Camera *camera, QTcpSocket *socket)
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

    void start(bool tooMany)
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

    std::function<void()> closeAfter()
    {
        return [self = QPointer<DeviceSession>(this)] {
            if (self) {
                self->close();
            }
        };
    }

    // Flushes what was written, then closes.
    void close()
    {
        m_closing = true;
        m_socket->disconnectFromHost();
        if (m_socket->state() == QAbstractSocket::UnconnectedState) {
            finish();
            return;
        }
        // A peer that never reads would keep the session (and its slot) for ever.
        QTimer::singleShot(CloseWaitMs, this, [this] { abort(); });
    }

    void abort()
    {
        m_closing = true;
        m_socket->abort();
        finish();
    }

private:
    void finish()
    {
        if (m_finished) {
            return;
        }
        m_finished = true;
        m_closing = true;
        m_camera->sessionClosed(this);
        deleteLater();
    }

    void readFrames()
    {
        m_buffer.append(m_socket->readAll());
        while (!m_closing && m_buffer.size() >= int(proto::HeaderSize)) {
            uint32_t magic = 0;
            const proto::Header header = proto::decodeHeader(bytes(m_buffer), &magic);
            if (proto::checkHeader(magic, header) != proto::HeaderCheck::Ok
                || (header.flags & proto::FlagReply)) {
                abort(); // the stream cannot be trusted any more
                return;
            }
            const int frameSize = int(proto::HeaderSize + header.length);
            if (m_buffer.size() < frameSize) {
                return;
            }
            const QByteArray payload = m_buffer.mid(int(proto::HeaderSize), int(header.length));
            m_buffer.remove(0, frameSize);
            ++m_frames;
            const int dropAfter = m_camera->fault().dropAfterFrames;
            if (dropAfter >= 0 && m_frames > dropAfter) {
                abort();
                return;
            }
            handle(header, payload);
        }
    }

    void send(
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

    void reply(const proto::Header &request, quint32 status, const QByteArray &payload = {},
        const std::function<void()> &after = {})
    {
        proto::Header answer;
        answer.flags = proto::FlagReply;
        answer.command = request.command;
        answer.sequence = request.sequence;
        answer.status = status;
        send(answer, status == proto::Ok ? payload : QByteArray(), after);
    }

    void handle(const proto::Header &request, const QByteArray &payload)
    {
        if (request.command == proto::Login) {
            login(request, payload);
            return;
        }
        if (!m_loggedIn) {
            reply(request, proto::NotLoggedIn, {}, closeAfter());
            return;
        }
        const Fault fault = m_camera->fault();
        switch (request.command) {
        case proto::Logout:
            reply(request, proto::Ok, {}, closeAfter());
            return;
        case proto::KeepAlive:
            reply(request, proto::Ok);
            return;
        case proto::GetConfig: {
            if (payload.size() != 8) {
                reply(request, proto::ParameterError);
                return;
            }
            const quint32 command = proto::getU32(bytes(payload));
            const qint32 channel = qint32(proto::getU32(bytes(payload) + 4));
            if (fault.unsupportedCommands.contains(command) || SOLV_RecordSize(command) == 0
                || SOLV_IsSetCommand(command)) {
                reply(request, proto::NotSupported);
                return;
            }
            if (!channelValid(channel)) {
                reply(request, proto::ParameterError);
                return;
            }
            reply(request, proto::Ok, m_camera->record(command));
            return;
        }
        case proto::SetConfig: {
            if (payload.size() < 8) {
                reply(request, proto::ParameterError);
                return;
            }
            const quint32 command = proto::getU32(bytes(payload));
            const qint32 channel = qint32(proto::getU32(bytes(payload) + 4));
            if (fault.unsupportedCommands.contains(command) || !SOLV_IsSetCommand(command)) {
                reply(request, proto::NotSupported);
                return;
            }
            if (!channelValid(channel)) {
                reply(request, proto::ParameterError);
                return;
            }
            const quint32 status = m_camera->handleSet(command, payload.mid(8));
            reply(request, status, {}, [camera = m_camera, status] {
                if (status == proto::Ok) {
                    camera->setApplied();
                }
            });
            return;
        }
        case proto::Reboot:
            if (fault.rebootUnsupported) {
                reply(request, proto::NotSupported);
                return;
            }
            reply(request, proto::Ok, {}, [camera = m_camera] {
                // After this frame went out; the reboot closes this session too.
                QTimer::singleShot(0, camera, &Camera::reboot);
            });
            return;
        case proto::Restore:
            if (fault.restoreUnsupported) {
                reply(request, proto::NotSupported);
                return;
            }
            m_camera->restore();
            reply(request, proto::Ok);
            return;
        case proto::GetAbility: {
            if (payload.size() < 8
                || proto::getU32(bytes(payload) + 4) != quint32(payload.size() - 8)) {
                reply(request, proto::ParameterError);
                return;
            }
            const quint32 type = proto::getU32(bytes(payload));
            const QByteArray text = m_camera->ability(type);
            if (fault.unsupportedAbilities.contains(type) || text.isEmpty()) {
                reply(request, proto::NotSupported);
                return;
            }
            reply(request, proto::Ok, text);
            return;
        }
        case proto::GetPtzProtocols:
            if (fault.ptzUnsupported) {
                reply(request, proto::NotSupported);
                return;
            }
            reply(request, proto::Ok, m_camera->ptzList());
            return;
        default:
            reply(request, proto::NotSupported);
            return;
        }
    }

    bool channelValid(qint32 channel) const
    {
        return channel >= 0 && quint32(channel) <= std::max<quint32>(1, m_camera->channelCount());
    }

    void login(const proto::Header &request, const QByteArray &payload)
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
        const QByteArray password = m_camera->password();
        const auto expected = proto::loginProof(
            std::string_view(password.constData(), std::size_t(password.size())), m_nonce,
            login->userName);
        const QByteArray user = m_camera->userName();
        const bool userOk
            = login->userName == std::string_view(user.constData(), std::size_t(user.size()));
        // Both checks run whatever the user name, so timing tells nothing.
        const bool proofOk = proto::proofsEqual(expected.data(), login->proof);
        if (!userOk || !proofOk) {
            reply(request, proto::WrongPassword, {}, closeAfter());
            return;
        }
        m_loggedIn = true;
        QByteArray answer(4, '\0');
        proto::putU32(reinterpret_cast<uint8_t *>(answer.data()), m_camera->nextSessionId());
        reply(request, proto::Ok, answer);
    }

    Camera *m_camera;
    QTcpSocket *m_socket;
    QByteArray m_buffer;
    uint8_t m_nonce[proto::NonceSize] {};
    bool m_loggedIn = false;
    bool m_closing = false;
    bool m_finished = false;
    int m_frames = 0;
};

// ---- Camera -------------------------------------------------------------

Camera::Camera(int index, FactoryDevice factory, const Settings &settings, QObject *parent)
    : QObject(parent),
      m_index(index),
      m_factory(std::move(factory)),
      m_settings(settings),
      m_records(m_factory.records)
{ }

Camera::~Camera()
{
    m_rebooting = false;
    closeSessions();
}

int Camera::scaledMs(int ms) const
{
    if (ms <= 0) {
        return 0;
    }
    return std::max(1, int(double(ms) * m_settings.timeScale));
}

QByteArray Camera::netText(int offset) const
{
    return fieldText(m_records.value(SOLV_GET_NETCFG), offset, 16).toLatin1();
}

QString Camera::serialNo() const
{
    return fieldText(m_records.value(SOLV_GET_DEVICECFG), SOLV_DEVICECFG_SERIAL_OFFSET,
        SOLV_DEVICECFG_SERIAL_LEN);
}

QByteArray Camera::macBytes() const
{
    return m_records.value(SOLV_GET_NETCFG).mid(SOLV_NETCFG_MAC_OFFSET, SOLV_NETCFG_MAC_LEN);
}

QString Camera::ipAddress() const
{
    return QString::fromLatin1(netText(SOLV_NETCFG_IP_ADDRESS_OFFSET));
}

QString Camera::subnetMask() const
{
    return QString::fromLatin1(netText(SOLV_NETCFG_MASK_OFFSET));
}

QString Camera::gateway() const
{
    return QString::fromLatin1(netText(SOLV_NETCFG_GATEWAY_OFFSET));
}

quint16 Camera::port() const
{
    const QByteArray net = m_records.value(SOLV_GET_NETCFG);
    if (net.size() < SOLV_NETCFG_PORT_OFFSET + 2) {
        return 0;
    }
    return proto::getU16(bytes(net) + SOLV_NETCFG_PORT_OFFSET);
}

quint32 Camera::discoveryTypeCode() const
{
    return m_factory.discoveryTypeCode;
}

quint32 Camera::channelCount() const
{
    return fieldU8(m_records.value(SOLV_GET_DEVICECFG), SOLV_DEVICECFG_CHANNEL_COUNT_OFFSET);
}

quint32 Camera::diskCount() const
{
    return fieldU8(m_records.value(SOLV_GET_DEVICECFG), SOLV_DEVICECFG_DISK_COUNT_OFFSET);
}

QString Camera::softwareVersionText() const
{
    const QByteArray device = m_records.value(SOLV_GET_DEVICECFG);
    const quint32 v = fieldU32(device, SOLV_DEVICECFG_SOFTWARE_VERSION_OFFSET);
    const quint32 d = fieldU32(device, SOLV_DEVICECFG_SOFTWARE_BUILD_DATE_OFFSET);
    if ((v >> 24) != 0) {
        return QString::asprintf("V%u.%u.%u ", v >> 24, (v >> 16) & 0xFF, v & 0xFFFF)
            + buildDate(d);
    }
    return QString::asprintf("V%u.%u ", v >> 16, v & 0xFFFF) + buildDate(d);
}

QString Camera::dspVersionText() const
{
    const QByteArray device = m_records.value(SOLV_GET_DEVICECFG);
    const quint32 v = fieldU32(device, SOLV_DEVICECFG_DSP_VERSION_OFFSET);
    const quint32 d = fieldU32(device, SOLV_DEVICECFG_DSP_BUILD_DATE_OFFSET);
    return QString::asprintf("V%u.%u ", v >> 16, v & 0xFFFF) + buildDate(d);
}

QString Camera::startTime() const
{
    return QString::fromLatin1(m_factory.startTime);
}

QByteArray Camera::userName() const
{
    return m_factory.userName;
}

QByteArray Camera::password() const
{
    return m_factory.password;
}

Camera::Identity Camera::identity() const
{
    Identity id;
    id.serial = serialNo();
    id.ip = ipAddress();
    id.mask = subnetMask();
    id.software = softwareVersionText();
    id.dsp = dspVersionText();
    id.mac = macBytes();
    id.port = port();
    id.channels = channelCount();
    id.disks = diskCount();
    return id;
}

void Camera::emitIfIdentityChanged(const Identity &before)
{
    if (!(identity() == before)) {
        emit identityChanged();
    }
}

std::unique_ptr<QTcpServer> Camera::makeServer(const QString &ip, quint16 port, QString *error)
{
    auto server = std::make_unique<QTcpServer>();
    server->setMaxPendingConnections(64);
    if (!isUsableAddress(ip) || !server->listen(QHostAddress(ip), port)) {
        if (error) {
            *error = QStringLiteral("cannot listen on %1:%2: %3")
                         .arg(ip)
                         .arg(port)
                         .arg(isUsableAddress(ip) ? server->errorString()
                                                  : QStringLiteral("not an IPv4 address"));
        }
        return nullptr;
    }
    return server;
}

void Camera::moveListener(std::unique_ptr<QTcpServer> server)
{
    m_server = std::move(server);
    connect(m_server.get(), &QTcpServer::newConnection, this, &Camera::acceptConnections);
    // A listener bound ahead of a move may already hold connections whose
    // newConnection went to nobody.
    acceptConnections();
}

bool Camera::listen(QString *error)
{
    auto server = makeServer(ipAddress(), port(), error);
    if (!server) {
        return false;
    }
    moveListener(std::move(server));
    m_online = true;
    return true;
}

void Camera::acceptConnections()
{
    while (m_server && m_server->hasPendingConnections()) {
        QTcpSocket *socket = m_server->nextPendingConnection();
        const int limit = m_fault.maxSessions >= 0 ? m_fault.maxSessions : m_settings.maxSessions;
        auto *session = new DeviceSession(this, socket);
        const bool tooMany = m_sessions.size() >= limit;
        m_sessions.append(session);
        session->start(tooMany);
    }
}

void Camera::sessionClosed(DeviceSession *session)
{
    m_sessions.removeOne(session);
}

void Camera::closeSessions()
{
    const auto sessions = m_sessions;
    for (DeviceSession *session : sessions) {
        session->close();
    }
}

void Camera::shutdown()
{
    m_rebooting = false;
    if (m_online) {
        emit goingOffline();
    }
    m_online = false;
    closeSessions();
    m_server.reset();
}

void Camera::reboot()
{
    if (!m_online) {
        return;
    }
    emit goingOffline();
    m_online = false;
    m_rebooting = true;
    closeSessions();
    m_server.reset();
    if (m_fault.neverReturn) {
        return;
    }
    QTimer::singleShot(scaledMs(m_settings.rebootSeconds * 1000), this, [this] {
        if (!m_rebooting) {
            return;
        }
        m_rebooting = false;
        if (listen()) {
            emit cameOnline();
        }
    });
}

void Camera::restore()
{
    const Identity before = identity();
    const QByteArray current = m_records.value(SOLV_GET_NETCFG);
    m_records = m_factory.records;
    QByteArray net = m_records.value(SOLV_GET_NETCFG);
    auto keep = [&](int offset, int length) {
        if (net.size() >= offset + length && current.size() >= offset + length) {
            std::memcpy(net.data() + offset, current.constData() + offset, std::size_t(length));
        }
    };
    keep(SOLV_NETCFG_IP_ADDRESS_OFFSET, SOLV_NETCFG_IP_ADDRESS_LEN);
    keep(SOLV_NETCFG_MASK_OFFSET, SOLV_NETCFG_MASK_LEN);
    keep(SOLV_NETCFG_PORT_OFFSET, SOLV_NETCFG_PORT_LEN);
    keep(SOLV_NETCFG_GATEWAY_OFFSET, SOLV_NETCFG_GATEWAY_LEN);
    m_records.insert(SOLV_GET_NETCFG, net);
    emitIfIdentityChanged(before);
}

void Camera::setRecord(quint32 getCommand, const QByteArray &record)
{
    const Identity before = identity();
    m_records.insert(getCommand, record);
    emitIfIdentityChanged(before);
}

bool Camera::readdress(const QString &ip, const QString &mask, quint16 port)
{
    if (!m_online || port == 0 || !isUsableAddress(mask)) {
        return false;
    }
    const Identity before = identity();
    if (ip != ipAddress() || port != this->port()) {
        auto server = makeServer(ip, port, nullptr);
        if (!server) {
            return false;
        }
        closeSessions();
        moveListener(std::move(server));
    }
    QByteArray net = m_records.value(SOLV_GET_NETCFG);
    auto putText = [&](int offset, const QString &text) {
        QByteArray field = text.toLatin1().left(16);
        field.resize(16, '\0');
        net.replace(offset, 16, field);
    };
    putText(SOLV_NETCFG_IP_ADDRESS_OFFSET, ip);
    putText(SOLV_NETCFG_MASK_OFFSET, mask);
    proto::putU16(reinterpret_cast<uint8_t *>(net.data()) + SOLV_NETCFG_PORT_OFFSET, port);
    m_records.insert(SOLV_GET_NETCFG, net);
    emitIfIdentityChanged(before);
    return true;
}

quint32 Camera::handleSet(quint32 command, const QByteArray &record)
{
    const quint32 getCommand = SOLV_RecordGetCommand(command);
    if (quint32(record.size()) != SOLV_RecordSize(command)) {
        return proto::ParameterError;
    }
    if (m_fault.refusedSets.contains(getCommand)) {
        return proto::Refused;
    }
    if (getCommand == SOLV_GET_NETCFG) {
        // A new address or port must be bindable before the record is taken,
        // so that a failed move leaves the camera as it was.
        const QString ip = fieldText(record, SOLV_NETCFG_IP_ADDRESS_OFFSET, 16);
        const quint16 newPort = proto::getU16(bytes(record) + SOLV_NETCFG_PORT_OFFSET);
        if (!isUsableAddress(ip) || newPort == 0) {
            return proto::ParameterError;
        }
        if (ip != ipAddress() || newPort != port()) {
            m_pendingServer = makeServer(ip, newPort, nullptr);
            if (!m_pendingServer) {
                return proto::Refused;
            }
        }
    }
    const Identity before = identity();
    m_records.insert(getCommand, record);
    emitIfIdentityChanged(before);
    return proto::Ok;
}

void Camera::setApplied()
{
    if (!m_pendingServer) {
        return;
    }
    // The answer has been written: the old connections end with the old address.
    closeSessions();
    moveListener(std::move(m_pendingServer));
}

QByteArray Camera::ability(quint32 type) const
{
    QByteArray text;
    if (type == 5) {
        text = m_factory.cameraAbility;
    } else if (type == 6) {
        text = m_factory.deviceAbility;
    } else {
        return {};
    }
    if (!text.isEmpty() && text.size() < m_fault.abilityMinSize) {
        // A comment after the root element keeps the document valid.
        const int fill
            = std::min<int>(m_fault.abilityMinSize, int(proto::MaxText)) - text.size() - 8;
        if (fill > 0) {
            text += "\n<!--" + QByteArray(fill, 'x') + "-->";
        }
    }
    return text.left(int(proto::MaxText));
}

QByteArray Camera::ptzList() const
{
    const int count
        = std::min<int>(int(m_factory.ptzProtocols.size()), int(proto::MaxPtzProtocols));
    QByteArray list(int(4 + count * proto::PtzEntrySize), '\0');
    auto *out = reinterpret_cast<uint8_t *>(list.data());
    proto::putU32(out, quint32(count));
    for (int i = 0; i < count; ++i) {
        const auto &[type, name] = m_factory.ptzProtocols.at(i);
        uint8_t *entry = out + 4 + i * proto::PtzEntrySize;
        proto::putU32(entry, type);
        std::memcpy(entry + 4, name.constData(),
            std::min<std::size_t>(std::size_t(name.size()), proto::PtzNameSize));
    }
    return list;
}

} // namespace devsim
