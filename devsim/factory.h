#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace devsim {

// Everything a simulated camera holds when it leaves the factory: its records
// (keyed by the get command, each exactly the record's size), its abilities,
// its PTZ protocol list and its identity. Deterministic for a given index and
// seed, so that fleets are repeatable.
struct FactoryDevice
{
    QByteArray userName = "admin";
    QByteArray password = "60917";
    QHash<quint32, QByteArray> records; // get command -> whole record
    QByteArray cameraAbility;           // XML, root "CAMERAPARA"
    QByteArray deviceAbility;           // XML, root "UpdateFlag"
    QList<QPair<quint32, QByteArray>> ptzProtocols; // type, name (at most 15 bytes)
    quint32 discoveryTypeCode = 0;      // 32-bit device type code announced by discovery
    QByteArray startTime;               // start time text, "YYYY-MM-DD HH:MM:SS"
};

// index: position in the fleet (0, 1, ...); address, mask, gateway and port
// go into the network record; ptzCount: number of PTZ protocols listed.
FactoryDevice makeFactoryDevice(int index, quint32 seed, const QString &ipAddress,
                                quint16 port, int ptzCount = 20);

// The models the simulator plays (the tag in their serial numbers), the
// firmware languages it gives them, and the device ability text of a camera of
// a model in a language (empty for an unknown model): what a firmware image
// for it must name.
QStringList factoryModels();
QList<int> factoryLanguages();
QByteArray factoryDeviceAbility(const QString &model, int language);

// The byte every unlisted byte of record `command` holds at `offset`: a
// recognisable pattern that tests use to prove nothing was lost.
quint8 patternByte(quint32 command, int offset);

} // namespace devsim
