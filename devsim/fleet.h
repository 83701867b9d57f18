#pragma once

#include "camera.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMetaObject>
#include <QString>
#include <QThread>

#include <functional>
#include <memory>

namespace devsim {

class DiscoveryService;

// The discovery port the discovery library uses: TERVIX_DISCOVERY_PORT or its default.
quint16 defaultDiscoveryPort();

struct FleetOptions
{
    int count = 1;
    QString firstAddress = QStringLiteral("127.0.1.1");
    quint16 port = 8000;
    quint32 seed = 1;
    QHash<int, QByteArray> passwords {}; // index -> password other than the factory's
    double timeScale = 1.0; // multiplies every wait: reboot time, delays
    int rebootSeconds = 20; // device time a reboot takes
    quint16 discoveryPort = defaultDiscoveryPort(); // 0: no discovery service
    int ptzCount = 20;
    int maxSessions = 32; // connections each camera serves at once
    QHash<int, Fault> faults {}; // index -> fault from the start
};

// A fleet of simulated cameras served from a thread of its own, so that
// tests can run it in-process and talk to it through the real SDK.
// Every public method may be called from any thread but the fleet's own.
class Fleet
{
public:
    explicit Fleet(FleetOptions options);
    ~Fleet();
    Fleet(const Fleet &) = delete;
    Fleet &operator=(const Fleet &) = delete;

    // Returns once every camera listens; false with a message when an
    // address cannot be bound (then nothing is left running).
    bool start(QString *error = nullptr);
    void stop();
    bool isRunning() const { return m_thread != nullptr; }

    const FleetOptions &options() const { return m_options; }
    int count() const { return m_options.count; }
    // Address of camera `index` as the fleet laid it out (before any re-addressing).
    QString address(int index) const;
    static QString addressAt(const QString &first, int index);

    void setFault(int index, const Fault &fault);
    void clearFault(int index) { setFault(index, Fault {}); }
    QByteArray record(int index, quint32 getCommand) const;
    QByteArray factoryRecord(int index, quint32 getCommand) const;
    QByteArray streamCompression(int index) const;
    void setRecord(int index, quint32 getCommand, const QByteArray &record);
    bool isOnline(int index) const;
    int sessionCount(int index) const;
    QString currentAddress(int index) const;
    quint16 currentPort(int index) const;
    bool readdress(int index, const QString &ip, const QString &mask, quint16 port);
    void reboot(int index);

    // Runs f on the fleet's thread and waits for it; for work that needs the
    // cameras themselves (signals, identity).
    void run(const std::function<void()> &f) const;
    // Only for use on the fleet's thread (inside run()).
    QList<Camera *> cameras() const { return m_cameras; }

private:
    template<typename T> T onFleet(int index, const std::function<T(Camera &)> &f) const
    {
        T result {};
        run([&] {
            if (index >= 0 && index < m_cameras.size()) {
                result = f(*m_cameras.at(index));
            }
        });
        return result;
    }

    FleetOptions m_options;
    std::unique_ptr<QThread> m_thread;
    std::unique_ptr<QObject> m_context; // lives on m_thread
    QList<Camera *> m_cameras; // children of m_context
    DiscoveryService *m_discovery = nullptr;
};

} // namespace devsim
