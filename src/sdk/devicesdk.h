#pragma once

#include "records.h"

#include <QByteArray>
#include <QString>

// The program's calls into the device SDK that every caller makes the same
// way: whole records in zero-filled buffers of the right size, the ability
// text with its growing buffer, and a login that always ends in a logout.

// Reads record `getCommand` into `bytes` (resized to the record's size). A
// failed read leaves `bytes` all zeros; SOLV_GetLastError() tells why.
bool readRecordBytes(qint32 userId, quint32 getCommand, qint32 channel, QByteArray &bytes);
// Sends `bytes` with the set command of record `getCommand`; false, and
// nothing sent, when `bytes` is not exactly the record's size.
bool writeRecordBytes(qint32 userId, quint32 getCommand, qint32 channel, const QByteArray &bytes);

template<typename Record> bool readRecord(qint32 userId, Record &record, qint32 channel)
{
    return readRecordBytes(userId, Record::getCommand, channel, record.bytes());
}

template<typename Record> bool writeRecord(qint32 userId, const Record &record, qint32 channel)
{
    return writeRecordBytes(userId, Record::getCommand, channel, record.bytes());
}

bool readPtzProtocols(qint32 userId, PtzProtocolList &list);

struct AbilityText
{
    bool ok = false;
    QByteArray text; // the XML, up to its terminating zero
    quint32 error = 0; // SDK error of the last call when !ok
    int calls = 0; // SDK calls made
    int bufferSize = 0; // size of the last buffer tried
};

constexpr int defaultAbilityBufferSize = 5120;
constexpr int upgradeAbilityBufferSize = 2048;
constexpr int abilityBufferLimit = 32768;

// Reads an ability text, starting with a buffer of initialSize and doubling it
// while the call fails for a too small buffer and the failed buffer was under
// abilityBufferLimit bytes.
AbilityText readAbility(
    qint32 userId, quint32 abilityType, int initialSize = defaultAbilityBufferSize);

// A short English description of an SDK error code, for messages.
QString sdkErrorText(quint32 code);

// One login, logged out when the object goes.
class SdkLogin
{
public:
    SdkLogin(const QByteArray &address, quint16 port, const QByteArray &userName,
        const QByteArray &password);
    ~SdkLogin();
    SdkLogin(const SdkLogin &) = delete;
    SdkLogin &operator=(const SdkLogin &) = delete;

    bool ok() const { return m_userId >= 0; }
    qint32 userId() const { return m_userId; }
    // SDK error of a failed login.
    quint32 error() const { return m_error; }

private:
    qint32 m_userId = -1;
    quint32 m_error = 0;
};
