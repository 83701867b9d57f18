#include "devicesdk.h"

#include "fixedtext.h"
#include "solvane.h"

#include <QCoreApplication>

bool readRecordBytes(qint32 userId, quint32 getCommand, qint32 channel, QByteArray &bytes)
{
    const quint32 size = SOLV_IsSetCommand(getCommand) ? 0 : SOLV_RecordSize(getCommand);
    bytes = QByteArray(int(size), '\0');
    if (size == 0) {
        return false;
    }
    uint32_t returned = 0;
    if (!SOLV_GetDVRConfig(userId, getCommand, channel, bytes.data(), size, &returned)) {
        // A half-filled buffer must not pass for the device's record.
        bytes.fill('\0');
        return false;
    }
    return true;
}

bool writeRecordBytes(qint32 userId, quint32 getCommand, qint32 channel, const QByteArray &bytes)
{
    const quint32 size = SOLV_RecordSize(getCommand);
    if (size == 0 || quint32(bytes.size()) != size || SOLV_IsSetCommand(getCommand)) {
        return false;
    }
    return SOLV_SetDVRConfig(userId, getCommand + 1, channel, bytes.constData(), size) != 0;
}

bool readPtzProtocols(qint32 userId, PtzProtocolList &list)
{
    list.clear();
    SOLV_PTZ_PROTOCOL_LIST raw {};
    if (!SOLV_GetPTZProtocol(userId, &raw)) {
        return false;
    }
    list.bytes() = QByteArray(reinterpret_cast<const char *>(raw.bytes), int(sizeof raw.bytes));
    return true;
}

AbilityText readAbility(qint32 userId, quint32 abilityType, int initialSize)
{
    AbilityText result;
    int size = std::max(initialSize, 1);
    for (;;) {
        QByteArray buffer(size, '\0');
        ++result.calls;
        result.bufferSize = size;
        if (SOLV_GetDeviceAbility(userId, abilityType, nullptr, 0, buffer.data(), uint32_t(size))) {
            result.ok = true;
            result.error = 0;
            result.text = FixedText::read(buffer.constData(), size);
            return result;
        }
        result.error = SOLV_GetLastError();
        if (result.error != SOLV_INSUFFICIENT_BUFFER || size >= abilityBufferLimit) {
            return result;
        }
        size *= 2;
    }
}

QString sdkErrorText(quint32 code)
{
    switch (code) {
    case SOLV_NOERROR:
        return QCoreApplication::translate("DeviceSdk", "no error");
    case SOLV_PASSWORD_ERROR:
        return QCoreApplication::translate("DeviceSdk", "wrong user name or password");
    case SOLV_NOT_SUPPORT:
        return QCoreApplication::translate("DeviceSdk", "not supported by the device");
    case SOLV_INSUFFICIENT_BUFFER:
        return QCoreApplication::translate("DeviceSdk", "buffer too small");
    case SOLV_NOT_LOGGED_IN:
        return QCoreApplication::translate("DeviceSdk", "not logged in");
    case SOLV_PARAMETER_ERROR:
        return QCoreApplication::translate("DeviceSdk", "invalid parameter");
    case SOLV_CONNECT_FAILED:
        return QCoreApplication::translate("DeviceSdk", "cannot connect to the device");
    case SOLV_SEND_FAILED:
        return QCoreApplication::translate("DeviceSdk", "sending to the device failed");
    case SOLV_RECV_FAILED:
        return QCoreApplication::translate("DeviceSdk", "receiving from the device failed");
    case SOLV_TIMEOUT:
        return QCoreApplication::translate("DeviceSdk", "the device did not answer in time");
    case SOLV_MALFORMED_DATA:
        return QCoreApplication::translate("DeviceSdk", "the device sent malformed data");
    case SOLV_TOO_MANY_SESSIONS:
        return QCoreApplication::translate("DeviceSdk", "the device serves no more sessions");
    case SOLV_REFUSED:
        return QCoreApplication::translate("DeviceSdk", "the device refused the operation");
    case SOLV_DEVICE_BUSY:
        return QCoreApplication::translate("DeviceSdk", "the device is busy");
    case SOLV_VERSION_MISMATCH:
        return QCoreApplication::translate(
            "DeviceSdk", "the device speaks another protocol version");
    case SOLV_NO_FREE_HANDLE:
        return QCoreApplication::translate("DeviceSdk", "too many logins open");
    default:
        return QCoreApplication::translate("DeviceSdk", "unknown error");
    }
}

SdkLogin::SdkLogin(
    const QByteArray &address, quint16 port, const QByteArray &userName, const QByteArray &password)
{
    SOLV_LOGIN_INFO info {};
    m_userId = SOLV_Login_V30(
        address.constData(), port, userName.constData(), password.constData(), &info);
    if (m_userId < 0) {
        m_error = SOLV_GetLastError();
        m_userId = -1;
    }
}

SdkLogin::~SdkLogin()
{
    if (m_userId >= 0) {
        SOLV_Logout(m_userId);
    }
}
