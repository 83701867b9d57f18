// The client's handling of device answers: the input is everything a device
// says on one connection (the challenge, then the answers to a login, a
// record get, an ability query, the PTZ protocol list and a logout), served
// from a loopback listener and read by the real library calls.
#include "fuzzdevice.h"
#include "solvane.h"
#include "solvane_records.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>
#include <vector>

namespace {

fuzzdevice::Listener g_listener;

void setUp()
{
    g_listener = fuzzdevice::start();
}

// One device connection: says all of `said`, ends its side, then takes what
// the client sends until the client closes.
void serve(const uint8_t *said, size_t size)
{
    if (!fuzzdevice::readable(g_listener.fd, 2000)) {
        return;
    }
    const int fd = ::accept4(g_listener.fd, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) {
        return;
    }
    size_t sent = 0;
    while (sent < size) {
        const ssize_t n = ::send(fd, said + sent, size - sent, MSG_NOSIGNAL);
        if (n <= 0) {
            break;
        }
        sent += size_t(n);
    }
    ::shutdown(fd, SHUT_WR);
    char sink[4096];
    while (fuzzdevice::readable(fd, 2000) && ::recv(fd, sink, sizeof sink, 0) > 0) {
    }
    ::close(fd);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool ready = (setUp(), true);
    (void)ready;

    std::thread device(serve, data, size);
    SOLV_LOGIN_INFO info;
    const int32_t user = SOLV_Login_V30("127.0.0.1", g_listener.port, "admin", "12345", &info);
    if (user >= 0) {
        std::vector<uint8_t> record(SOLV_DEVICECFG_SIZE);
        uint32_t returned = 0;
        SOLV_GetDVRConfig(user, SOLV_GET_DEVICECFG, 0, record.data(), uint32_t(record.size()),
            &returned);
        if (returned > record.size()) {
            std::abort();
        }
        char ability[2048];
        if (SOLV_GetDeviceAbility(user, SOLV_ABILITY_DEVICE, nullptr, 0, ability, sizeof ability)) {
            // The answer is a zero-terminated text inside the buffer.
            bool terminated = false;
            for (const char c : ability) {
                terminated = terminated || c == '\0';
            }
            if (!terminated) {
                std::abort();
            }
        }
        SOLV_PTZ_PROTOCOL_LIST protocols;
        SOLV_GetPTZProtocol(user, &protocols);
        SOLV_Logout_V30(user);
    }
    device.join();
    return 0;
}
