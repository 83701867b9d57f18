#include "camera.h"

#include "recordbytes.h"
#include "session.h"
#include "video.h"
#include "solvane.h"
#include "solvane_protocol.h"
#include "solvane_records.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <cstring>

namespace proto = solvane::proto;

namespace devsim {

namespace {

// Connections a listener queues before the camera takes them.
constexpr int PendingConnections = 64;

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

Camera::Camera(int index, FactoryDevice factory, const Settings &settings, QObject *parent)
    : QObject(parent),
      m_index(index),
      m_factory(std::move(factory)),
      m_settings(settings),
      m_records(m_factory.records),
      m_startCompression(m_records.value(SOLV_GET_COMPRESSCFG))
{
    m_video = new CameraVideo(this);
}

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

QString Camera::netText(int offset, int width) const
{
    return QString::fromLatin1(
        fieldText(m_records.value(SOLV_GET_NETCFG), offset, width).toLatin1());
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
    return netText(SOLV_NETCFG_IP_ADDRESS_OFFSET, SOLV_NETCFG_IP_ADDRESS_LEN);
}

QString Camera::subnetMask() const
{
    return netText(SOLV_NETCFG_MASK_OFFSET, SOLV_NETCFG_MASK_LEN);
}

QString Camera::gateway() const
{
    return netText(SOLV_NETCFG_GATEWAY_OFFSET, SOLV_NETCFG_GATEWAY_LEN);
}

quint16 Camera::port() const
{
    return fieldU16(m_records.value(SOLV_GET_NETCFG), SOLV_NETCFG_PORT_OFFSET);
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
    server->setMaxPendingConnections(PendingConnections);
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
        auto *session = new DeviceSession(this, socket);
        const bool tooMany = m_sessions.size() >= m_fault.sessionLimit(m_settings.maxSessions);
        m_sessions.append(session);
        session->start(tooMany);
    }
}

void Camera::sessionClosed(DeviceSession *session)
{
    m_video->removeViewer(session);
    m_sessions.removeOne(session);
    // Connections attached to a login end with it.
    if (session->sessionId() != 0) {
        const auto sessions = m_sessions;
        for (DeviceSession *other : sessions) {
            if (other->attachedTo() == session->sessionId()) {
                other->abort();
            }
        }
    }
}

DeviceSession *Camera::loggedInSession(quint32 sessionId) const
{
    for (DeviceSession *session : m_sessions) {
        if (sessionId != 0 && session->sessionId() == sessionId && session->isLoggedIn()) {
            return session;
        }
    }
    return nullptr;
}

std::optional<Description> Camera::firmwareTarget() const
{
    return descriptionOf(ability(SOLV_ABILITY_DEVICE));
}

bool Camera::beginUpgrade()
{
    if (m_upgrading) {
        return false;
    }
    m_upgrading = true;
    return true;
}

void Camera::endUpgrade()
{
    m_upgrading = false;
}

void Camera::stageFirmware(quint32 softwareVersion, quint32 buildDate)
{
    m_stagedFirmware = std::make_pair(softwareVersion, buildDate);
}

void Camera::installStagedFirmware()
{
    if (!m_stagedFirmware) {
        return;
    }
    // The factory state carries it too, so that a restore keeps the new firmware.
    for (QByteArray *device :
        { &m_records[SOLV_GET_DEVICECFG], &m_factory.records[SOLV_GET_DEVICECFG] }) {
        RecordWriter writer(*device);
        writer.u32(SOLV_DEVICECFG_SOFTWARE_VERSION_OFFSET, m_stagedFirmware->first);
        writer.u32(SOLV_DEVICECFG_SOFTWARE_BUILD_DATE_OFFSET, m_stagedFirmware->second);
    }
    m_stagedFirmware.reset();
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
        m_startCompression = m_records.value(SOLV_GET_COMPRESSCFG);
        installStagedFirmware();
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
    m_video->recordsChanged();
    emitIfIdentityChanged(before);
}

QByteArray Camera::streamCompression() const
{
    QByteArray running = m_records.value(SOLV_GET_COMPRESSCFG);
    if (running.size() != m_startCompression.size()) {
        return running;
    }
    for (int block = 0; block < SOLV_COMPRESSCFG_STREAM_COUNT; ++block) {
        const int base = SOLV_COMPRESSCFG_STREAM_OFFSET + SOLV_COMPRESSCFG_STREAM_STRIDE * block;
        for (const int at : { base + SOLV_STREAM_STREAM_TYPE_OFFSET,
                 base + SOLV_STREAM_ENCODE_TYPE_OFFSET }) {
            running[at] = m_startCompression.at(at);
        }
    }
    return running;
}

void Camera::setRecord(quint32 getCommand, const QByteArray &record)
{
    const Identity before = identity();
    m_records.insert(getCommand, record);
    // Put in place from outside, as if the camera had started with it.
    if (getCommand == SOLV_GET_COMPRESSCFG) {
        m_startCompression = record;
    }
    m_video->recordsChanged();
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
    RecordWriter writer(net);
    writer.text(SOLV_NETCFG_IP_ADDRESS_OFFSET, SOLV_NETCFG_IP_ADDRESS_LEN, ip.toLatin1());
    writer.text(SOLV_NETCFG_MASK_OFFSET, SOLV_NETCFG_MASK_LEN, mask.toLatin1());
    writer.u16(SOLV_NETCFG_PORT_OFFSET, port);
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
    if (m_fault.refusesSet(getCommand)) {
        return proto::Refused;
    }
    if (getCommand == SOLV_GET_NETCFG) {
        // A new address or port must be bindable before the record is taken,
        // so that a failed move leaves the camera as it was.
        const QString ip
            = fieldText(record, SOLV_NETCFG_IP_ADDRESS_OFFSET, SOLV_NETCFG_IP_ADDRESS_LEN);
        const quint16 newPort = fieldU16(record, SOLV_NETCFG_PORT_OFFSET);
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
    m_video->recordsChanged(); // a slider moved on the page shows at the next picture
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
    if (type == SOLV_ABILITY_CAMERA) {
        text = m_factory.cameraAbility;
    } else if (type == SOLV_ABILITY_DEVICE) {
        text = m_fault.deviceAbility.isEmpty() ? m_factory.deviceAbility : m_fault.deviceAbility;
    } else {
        return {};
    }
    // No text beyond the largest one clients can take is ever served: asked
    // for more, the camera has none (answered as not supported).
    if (text.size() > qsizetype(proto::MaxText) || m_fault.abilityMinSize > int(proto::MaxText)) {
        return {};
    }
    return m_fault.paddedAbility(text, int(proto::MaxText));
}

QByteArray Camera::ptzList() const
{
    // u32 count, then entries of u32 type and a zero-padded name.
    constexpr std::size_t U32Size = sizeof(uint32_t);
    const int count
        = std::min<int>(int(m_factory.ptzProtocols.size()), int(proto::MaxPtzProtocols));
    QByteArray list(int(U32Size + count * proto::PtzEntrySize), '\0');
    auto *out = reinterpret_cast<uint8_t *>(list.data());
    proto::putU32(out, quint32(count));
    for (int i = 0; i < count; ++i) {
        const auto &[type, name] = m_factory.ptzProtocols.at(i);
        uint8_t *entry = out + U32Size + i * proto::PtzEntrySize;
        proto::putU32(entry, type);
        std::memcpy(entry + U32Size, name.constData(),
            std::min<std::size_t>(std::size_t(name.size()), proto::PtzNameSize));
    }
    return list;
}

} // namespace devsim
