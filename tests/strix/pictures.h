#pragma once

#include "strix.h"

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QMutexLocker>
#include <QSize>

#include <array>

// What the display callbacks of the ports received, per port.
class ReceivedPictures
{
public:
    struct Picture
    {
        QSize size;
        uint32_t bytes = 0;
        int32_t frameType = 0;
        int64_t timeStamp = 0;
        QByteArray luma;
    };

    static ReceivedPictures &instance()
    {
        static ReceivedPictures pictures;
        return pictures;
    }

    static void callback(int32_t port, const uint8_t *buffer, uint32_t size, int32_t width,
        int32_t height, int64_t timeStamp, int32_t frameType, void *)
    {
        Picture picture { QSize(width, height), size, frameType, timeStamp,
            instance().m_keepLuma
                ? QByteArray(reinterpret_cast<const char *>(buffer), width * height)
                : QByteArray() };
        QMutexLocker locker(&instance().m_mutex);
        instance().m_ports[size_t(port)] << picture;
    }

    void clear(bool keepLuma = true)
    {
        QMutexLocker locker(&m_mutex);
        for (QList<Picture> &pictures : m_ports) {
            pictures.clear();
        }
        m_keepLuma = keepLuma;
    }

    int count(int32_t port) const
    {
        QMutexLocker locker(&m_mutex);
        return int(m_ports[size_t(port)].size());
    }

    QList<Picture> of(int32_t port) const
    {
        QMutexLocker locker(&m_mutex);
        return m_ports[size_t(port)];
    }

private:
    mutable QMutex m_mutex;
    std::array<QList<Picture>, STRIX_MAX_PORTS> m_ports;
    bool m_keepLuma = true;
};
