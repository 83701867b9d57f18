#pragma once

// What the fuzz targets of the device SDK share: a fake device's listening
// socket on loopback, with the SDK set up for it.

#include "solvane.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

namespace fuzzdevice {

struct Listener
{
    int fd = -1;
    uint16_t port = 0;
};

// Sets the SDK up and opens the listener; aborts when it cannot, as no run
// means anything then. The device always answers at once or ends the
// connection, so short time-outs keep a run fast when the client waits for more.
inline Listener start()
{
    SOLV_Init();
    SOLV_SetConnectTime(1000, 1);
    SOLV_SetRecvTimeOut(500);
    Listener listener;
    listener.fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener.fd < 0 || ::bind(listener.fd, reinterpret_cast<sockaddr *>(&address), length) != 0
        || ::listen(listener.fd, 4) != 0
        || ::getsockname(listener.fd, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
        std::abort();
    }
    listener.port = ntohs(address.sin_port);
    return listener;
}

inline bool readable(int fd, int timeoutMs)
{
    pollfd entry { fd, POLLIN, 0 };
    return ::poll(&entry, 1, timeoutMs) == 1;
}

} // namespace fuzzdevice
