#pragma once

#include "factory.h"
#include "faults.h"
#include "firmware.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

#include <memory>

class QTcpServer;

namespace devsim {

class CameraVideo;
class DeviceSession;

// One simulated camera: its records and identity, its listener and its
// control sessions (session.h speaks the protocol), reboot, restore and
// address moves. Lives on the fleet's thread; every method must be called there.
class Camera : public QObject
{
    Q_OBJECT
public:
    struct Settings
    {
        double timeScale = 1.0;
        int rebootSeconds = 20;
        int maxSessions = 32;
        int firmwareWriteMs = 2000; // writing a received image, times the time scale
    };

    Camera(int index, FactoryDevice factory, const Settings &settings, QObject *parent = nullptr);
    ~Camera() override;

    // Starts listening on the address and port of the network record.
    bool listen(QString *error = nullptr);
    // Closes every session and the listener, announced by goingOffline().
    void shutdown();

    int index() const { return m_index; }

    // Identity, read from the records so that a set that changes them shows.
    QString serialNo() const;
    QByteArray macBytes() const;
    QString ipAddress() const;
    QString subnetMask() const;
    QString gateway() const;
    quint16 port() const;
    quint32 discoveryTypeCode() const;
    quint32 channelCount() const;
    quint32 diskCount() const;
    QString softwareVersionText() const;
    QString dspVersionText() const;
    QString startTime() const;
    QByteArray userName() const;
    QByteArray password() const;
    bool isOnline() const { return m_online; }

    // Moves the listener and updates the network record; false (and nothing
    // changed) when the new address cannot be bound or the camera is offline.
    bool readdress(const QString &ip, const QString &mask, quint16 port);

    QByteArray record(quint32 getCommand) const { return m_records.value(getCommand); }
    // The compression record the stream is encoded with: as set, except the
    // stream and encode types, which the camera takes up only when it starts.
    QByteArray streamCompression() const;
    // Puts a record in place from outside (tests, the command line); unlike
    // a set, a compression record put in place is also the one the stream uses.
    void setRecord(quint32 getCommand, const QByteArray &record);
    const FactoryDevice &factory() const { return m_factory; }

    const Fault &fault() const { return m_fault; }
    void setFault(const Fault &fault) { m_fault = fault; }
    int sessionCount() const { return int(m_sessions.size()); }

    // The live video, rendered and encoded only while a stream views it.
    CameraVideo *video() const { return m_video; }

    // Takes the camera offline now and back after the reboot time.
    void reboot();
    // Records back to the factory state; the address stays, so the camera stays reachable.
    void restore();

    // The device side of the protocol, called by its sessions.
    int scaledMs(int ms) const;
    QByteArray ability(quint32 type) const;
    QByteArray ptzList() const;
    // Stores a set record unless refused; the status to answer with.
    quint32 handleSet(quint32 command, const QByteArray &record);
    // Called once the answer to a successful set has been written.
    void setApplied();
    void sessionClosed(DeviceSession *session);
    quint32 nextSessionId() { return ++m_sessionCounter; }

    // Firmware upgrades, one at a time, asked for by upload sessions.
    // The logged-in control session of that number, or null.
    DeviceSession *loggedInSession(quint32 sessionId) const;
    // The six texts an image must name, as the device ability text gives
    // them; nullopt when it lacks one.
    std::optional<Description> firmwareTarget() const;
    bool beginUpgrade(); // false while another upgrade runs
    void endUpgrade();
    bool isUpgrading() const { return m_upgrading; }
    int firmwareWriteMs() const { return scaledMs(m_settings.firmwareWriteMs); }
    // A written image: it runs, and its version shows, from the next start.
    void stageFirmware(quint32 softwareVersion, quint32 buildDate);

signals:
    void identityChanged();
    void goingOffline();
    void cameOnline();

private:
    struct Identity
    {
        QString serial, ip, mask, software, dsp;
        QByteArray mac;
        quint16 port = 0;
        quint32 channels = 0, disks = 0;
        bool operator==(const Identity &) const = default;
    };
    Identity identity() const;
    void emitIfIdentityChanged(const Identity &before);
    void acceptConnections();
    void closeSessions();
    std::unique_ptr<QTcpServer> makeServer(const QString &ip, quint16 port, QString *error);
    void moveListener(std::unique_ptr<QTcpServer> server);
    QString netText(int offset, int width) const;
    void installStagedFirmware();

    int m_index;
    FactoryDevice m_factory;
    Settings m_settings;
    QHash<quint32, QByteArray> m_records;
    QByteArray m_startCompression; // the compression record when the camera last started
    std::unique_ptr<QTcpServer> m_server;
    std::unique_ptr<QTcpServer> m_pendingServer; // bound by a set of a new address
    QList<DeviceSession *> m_sessions;
    Fault m_fault;
    bool m_online = false;
    bool m_rebooting = false;
    quint32 m_sessionCounter = 0;
    bool m_upgrading = false;
    std::optional<std::pair<quint32, quint32>> m_stagedFirmware; // version, build date
    CameraVideo *m_video = nullptr; // a child
};

} // namespace devsim
