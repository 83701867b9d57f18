// Small helpers for suites that drive the device SDK client (libs/solvane).
#pragma once

#include "solvane.h"
#include "solvane_records.h"

#include <QByteArray>
#include <QString>

namespace solvcheck {

// The error a failed call left, or ~0 when the call succeeded: one QCOMPARE
// then checks both that a call failed and why.
inline uint32_t failure(bool ok)
{
    return ok ? ~0u : SOLV_GetLastError();
}

inline int32_t login(const QString &address, quint16 port, const char *password = "60917",
    const char *user = "admin")
{
    return SOLV_Login_V30(address.toLatin1().constData(), port, user, password, nullptr);
}

// A whole configuration record, or an empty array when the get failed.
inline QByteArray get(int32_t id, uint32_t command, int32_t channel = 0)
{
    QByteArray record(int(SOLV_RecordSize(command)), '\0');
    if (!SOLV_GetDVRConfig(id, command, channel, record.data(), uint32_t(record.size()), nullptr)) {
        return {};
    }
    return record;
}

inline bool set(int32_t id, uint32_t getCommand, const QByteArray &record, int32_t channel = 0)
{
    return SOLV_SetDVRConfig(
        id, getCommand + 1, channel, record.constData(), uint32_t(record.size()));
}

} // namespace solvcheck
