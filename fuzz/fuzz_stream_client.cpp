// The client's live stream: a login, then the input as everything the
// device says on the stream connection (challenge, attach answer, stream
// headers, picture pieces, keep-alives), read by the library's stream thread.
#include "fuzzdevice.h"
#include "solvane.h"
#include "solvane_protocol.h"
#include "solvane_streamwire.h"

#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

namespace proto = solvane::proto;

namespace {

fuzzdevice::Listener g_listener;
std::vector<uint8_t> g_login; // what the device says on the login connection

std::vector<uint8_t> frame(uint16_t command, uint32_t sequence, const std::vector<uint8_t> &payload,
    uint8_t flags)
{
    proto::Header header;
    header.command = command;
    header.sequence = sequence;
    header.flags = flags;
    header.length = uint32_t(payload.size());
    return proto::encodeFrame(header, payload.data(), payload.size());
}

void setUp()
{
    g_listener = fuzzdevice::start();
    g_login = frame(proto::Challenge, 0, std::vector<uint8_t>(proto::NonceSize, 0x5a), 0);
    std::vector<uint8_t> session(4);
    proto::putU32(session.data(), 42);
    const auto login = frame(proto::Login, 1, session, proto::FlagReply);
    const auto logout = frame(proto::Logout, 2, {}, proto::FlagReply);
    g_login.insert(g_login.end(), login.begin(), login.end());
    g_login.insert(g_login.end(), logout.begin(), logout.end());
}

int acceptOne()
{
    if (!fuzzdevice::readable(g_listener.fd, 2000)) {
        return -1;
    }
    return ::accept4(g_listener.fd, nullptr, nullptr, SOCK_CLOEXEC);
}

// Says all of `said` on fd, ends its side, takes what comes until the close.
void speak(int fd, const uint8_t *said, size_t size)
{
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
    while (fuzzdevice::readable(fd, 3000) && ::recv(fd, sink, sizeof sink, 0) > 0) {
    }
    ::close(fd);
}

std::atomic<bool> g_ended { false };

void onData(int32_t, uint32_t dataType, const uint8_t *buffer, uint32_t size, void *)
{
    // What the library passes on is what it promised to.
    if (dataType == SOLV_STREAM_HEADER && !solvane::stream::decodeHeader(buffer, size)) {
        std::abort();
    }
    if (dataType == SOLV_STREAM_DATA && !solvane::stream::decodeBlock(buffer, size)) {
        std::abort();
    }
    if (dataType == SOLV_STREAM_END) {
        g_ended = true;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool ready = (setUp(), true);
    (void)ready;

    std::thread device([&] {
        const int loginFd = acceptOne();
        if (loginFd < 0) {
            return;
        }
        std::thread login(speak, loginFd, g_login.data(), g_login.size());
        if (const int streamFd = acceptOne(); streamFd >= 0) {
            speak(streamFd, data, size);
        }
        login.join();
    });
    SOLV_LOGIN_INFO info;
    const int32_t user = SOLV_Login_V30("127.0.0.1", g_listener.port, "admin", "12345", &info);
    if (user >= 0) {
        g_ended = false;
        SOLV_PREVIEW_REQUEST request { 1, 0, 0, nullptr };
        const int32_t play = SOLV_RealPlay_V30(user, &request, onData, nullptr, 1);
        if (play >= 0) {
            // The device's side ends with the input; so does the stream.
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
            while (!g_ended && std::chrono::steady_clock::now() < deadline) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            SOLV_StopRealPlay(play);
        }
        SOLV_Logout_V30(user);
    }
    device.join();
    return 0;
}
