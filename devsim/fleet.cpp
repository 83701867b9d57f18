#include "fleet.h"

#include "discovery.h"
#include "factory.h"
#include "quarry_protocol.h"

#include <QCoreApplication>
#include <QHostAddress>

namespace devsim {

quint16 defaultDiscoveryPort()
{
    return quarry::discoveryPort();
}

Fleet::Fleet(FleetOptions options) : m_options(std::move(options))
{ }

Fleet::~Fleet()
{
    stop();
}

QString Fleet::addressAt(const QString &first, int index)
{
    quint32 address = QHostAddress(first).toIPv4Address();
    for (int i = 0; i < index; ++i) {
        ++address;
        // Host parts .0 and .255 are skipped: 127.0.1.254 is followed by 127.0.2.1.
        if ((address & 0xFF) == 0xFF) {
            address += 2;
        } else if ((address & 0xFF) == 0) {
            address += 1;
        }
    }
    return QHostAddress(address).toString();
}

QString Fleet::address(int index) const
{
    return addressAt(m_options.firstAddress, index);
}

void Fleet::run(const std::function<void()> &f) const
{
    if (!m_thread || QThread::currentThread() == m_thread.get()) {
        f();
        return;
    }
    QMetaObject::invokeMethod(m_context.get(), f, Qt::BlockingQueuedConnection);
}

bool Fleet::start(QString *error)
{
    if (m_thread) {
        return true;
    }
    if (!QCoreApplication::instance()) {
        // Qt's event loops, and so the cameras' sockets, need an application object.
        if (error) {
            *error = QStringLiteral("a QCoreApplication must exist before the fleet starts");
        }
        return false;
    }
    const QHostAddress first(m_options.firstAddress);
    if (first.protocol() != QAbstractSocket::IPv4Protocol || m_options.count < 0) {
        if (error) {
            *error = QStringLiteral("invalid first address %1").arg(m_options.firstAddress);
        }
        return false;
    }
    m_thread = std::make_unique<QThread>();
    m_thread->setObjectName(QStringLiteral("devsim-fleet"));
    m_context = std::make_unique<QObject>();
    m_context->moveToThread(m_thread.get());
    m_thread->start();

    QString failure;
    run([&] {
        Camera::Settings settings;
        settings.timeScale = m_options.timeScale;
        settings.rebootSeconds = m_options.rebootSeconds;
        settings.maxSessions = m_options.maxSessions;
        for (int i = 0; i < m_options.count; ++i) {
            FactoryDevice factory = makeFactoryDevice(
                i, m_options.seed, address(i), m_options.port, m_options.ptzCount);
            if (m_options.passwords.contains(i)) {
                factory.password = m_options.passwords.value(i);
            }
            auto *camera = new Camera(i, std::move(factory), settings, m_context.get());
            camera->setFault(m_options.faults.value(i));
            m_cameras.append(camera);
            if (!camera->listen(&failure)) {
                return;
            }
        }
        if (m_options.discoveryPort != 0) {
            m_discovery = new DiscoveryService(m_cameras, m_options.discoveryPort, m_context.get());
            if (!m_discovery->start()) {
                qWarning("devsim: discovery service did not start; cameras run without it");
            }
        }
    });
    if (!failure.isEmpty()) {
        stop();
        if (error) {
            *error = failure;
        }
        return false;
    }
    return true;
}

void Fleet::stop()
{
    if (!m_thread) {
        return;
    }
    run([&] {
        if (m_discovery) {
            m_discovery->stop();
            delete m_discovery;
            m_discovery = nullptr;
        }
        for (Camera *camera : std::as_const(m_cameras)) {
            camera->shutdown();
        }
        qDeleteAll(m_cameras);
        m_cameras.clear();
    });
    m_thread->quit();
    m_thread->wait();
    m_context.reset();
    m_thread.reset();
}

void Fleet::setFault(int index, const Fault &fault)
{
    onFleet<bool>(index, [&](Camera &camera) {
        camera.setFault(fault);
        return true;
    });
}

QByteArray Fleet::record(int index, quint32 getCommand) const
{
    return onFleet<QByteArray>(index, [&](Camera &camera) { return camera.record(getCommand); });
}

QByteArray Fleet::factoryRecord(int index, quint32 getCommand) const
{
    return onFleet<QByteArray>(
        index, [&](Camera &camera) { return camera.factory().records.value(getCommand); });
}

QByteArray Fleet::streamCompression(int index) const
{
    return onFleet<QByteArray>(index, [](Camera &camera) { return camera.streamCompression(); });
}

void Fleet::setRecord(int index, quint32 getCommand, const QByteArray &record)
{
    onFleet<bool>(index, [&](Camera &camera) {
        camera.setRecord(getCommand, record);
        return true;
    });
}

bool Fleet::isOnline(int index) const
{
    return onFleet<bool>(index, [](Camera &camera) { return camera.isOnline(); });
}

int Fleet::sessionCount(int index) const
{
    return onFleet<int>(index, [](Camera &camera) { return camera.sessionCount(); });
}

QString Fleet::currentAddress(int index) const
{
    return onFleet<QString>(index, [](Camera &camera) { return camera.ipAddress(); });
}

quint16 Fleet::currentPort(int index) const
{
    return onFleet<quint16>(index, [](Camera &camera) { return camera.port(); });
}

bool Fleet::readdress(int index, const QString &ip, const QString &mask, quint16 port)
{
    return onFleet<bool>(index, [&](Camera &camera) { return camera.readdress(ip, mask, port); });
}

void Fleet::reboot(int index)
{
    onFleet<bool>(index, [](Camera &camera) {
        camera.reboot();
        return true;
    });
}

} // namespace devsim
