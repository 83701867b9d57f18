// The device SDK client: one TCP control connection per login, request and
// answer frames as docs/protocol.md describes them, bounded waits everywhere.
// Firmware uploads and live streams run on connections of their own, each on a
// thread of its own.

#include "solvane.h"
#include "solvane_firmware.h"
#include "solvane_protocol.h"
#include "solvane_records.h"
#include "solvane_streamwire.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace proto = solvane::proto;
namespace fw = solvane::firmware;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int MaxLogins = 4096;
constexpr int MaxUpgrades = 256;
constexpr uint32_t DefaultConnectMs = 3000;
constexpr uint32_t DefaultRecvMs = 5000;
// Upper bound for settable waits, so that a typo cannot make a call hang for days.
constexpr uint32_t MaxWaitMs = 600000;
// How often an upload whose every piece was taken asks whether it is written.
constexpr int UpgradeStatePollMs = 200;
// Internal only: a wait ended by the wake pipe of an upload being closed.
constexpr uint32_t Cancelled = ~0u;

thread_local uint32_t t_lastError = SOLV_NOERROR;
std::atomic<uint32_t> g_connectMs { DefaultConnectMs };
std::atomic<uint32_t> g_recvMs { DefaultRecvMs };

int fail(uint32_t code)
{
    t_lastError = code;
    return 0;
}

int succeed()
{
    t_lastError = SOLV_NOERROR;
    return 1;
}

// ---- socket helpers -----------------------------------------------------

int remainingMs(Clock::time_point deadline)
{
    const auto left
        = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() < 0 ? 0 : int(left.count());
}

// Waits for `events` on fd until the deadline. Ok, Timeout or the failure
// code given; Cancelled as soon as wakeFd (if not -1) becomes readable.
uint32_t waitFor(
    int fd, short events, Clock::time_point deadline, uint32_t failure, int wakeFd = -1)
{
    for (;;) {
        // poll() skips an entry whose descriptor is negative.
        pollfd p[2] = { { fd, events, 0 }, { wakeFd, POLLIN, 0 } };
        const int ready = ::poll(p, 2, remainingMs(deadline));
        if (ready > 0) {
            if (p[1].revents != 0) {
                return Cancelled;
            }
            if (p[0].revents & events) {
                return proto::Ok;
            }
            return failure; // POLLERR / POLLHUP / POLLNVAL without data
        }
        if (ready == 0) {
            return proto::Timeout;
        }
        if (errno != EINTR) {
            return failure;
        }
    }
}

uint32_t sendAll(
    int fd, const uint8_t *data, std::size_t length, Clock::time_point deadline, int wakeFd = -1)
{
    while (length > 0) {
        const ssize_t sent = ::send(fd, data, length, MSG_NOSIGNAL);
        if (sent > 0) {
            data += sent;
            length -= std::size_t(sent);
            continue;
        }
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            const uint32_t status = waitFor(fd, POLLOUT, deadline, proto::SendFailed, wakeFd);
            if (status != proto::Ok) {
                return status;
            }
            continue;
        }
        return proto::SendFailed;
    }
    return proto::Ok;
}

uint32_t recvExact(
    int fd, uint8_t *data, std::size_t length, Clock::time_point deadline, int wakeFd = -1)
{
    while (length > 0) {
        const ssize_t got = ::recv(fd, data, length, 0);
        if (got > 0) {
            data += got;
            length -= std::size_t(got);
            continue;
        }
        if (got == 0) {
            return proto::ReceiveFailed; // closed by the device, possibly mid-frame
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            const uint32_t status = waitFor(fd, POLLIN, deadline, proto::ReceiveFailed, wakeFd);
            if (status != proto::Ok) {
                return status;
            }
            continue;
        }
        return proto::ReceiveFailed;
    }
    return proto::Ok;
}

// One frame; the payload never grows beyond proto::MaxPayload.
uint32_t recvFrame(int fd, Clock::time_point deadline, proto::Header &header,
    std::vector<uint8_t> &payload, int wakeFd = -1)
{
    uint8_t raw[proto::HeaderSize];
    // An answer is rarely there yet: wait first rather than try and fail.
    uint32_t status = waitFor(fd, POLLIN, deadline, proto::ReceiveFailed, wakeFd);
    if (status == proto::Ok) {
        status = recvExact(fd, raw, sizeof raw, deadline, wakeFd);
    }
    if (status != proto::Ok) {
        return status;
    }
    uint32_t magic = 0;
    header = proto::decodeHeader(raw, &magic);
    switch (proto::checkHeader(magic, header)) {
    case proto::HeaderCheck::Ok:
        break;
    case proto::HeaderCheck::BadVersion:
        return proto::VersionMismatch;
    case proto::HeaderCheck::BadMagic:
    case proto::HeaderCheck::TooLong:
        return proto::MalformedData;
    }
    payload.resize(header.length);
    if (header.length > 0) {
        status = recvExact(fd, payload.data(), header.length, deadline, wakeFd);
    }
    return status;
}

// Whether a device may answer `command` with this non-zero status. Any other
// status is not the device's word but a device this client does not
// understand: passing it on would make, say, a right password look wrong.
bool statusDefined(uint16_t command, uint32_t status)
{
    switch (command) {
    case proto::Login:
        return status == proto::WrongPassword;
    case proto::UpgradeAttach:
    case proto::StreamAttach:
        return status == proto::WrongPassword || status == proto::NotSupported
            || status == proto::NotLoggedIn || status == proto::ParameterError
            || status == proto::DeviceBusy;
    case proto::UpgradeData:
        return status == proto::ParameterError;
    case proto::UpgradeState:
        return false;
    case proto::GetConfig:
    case proto::GetAbility:
        return status == proto::NotSupported || status == proto::ParameterError;
    case proto::SetConfig:
        return status == proto::NotSupported || status == proto::ParameterError
            || status == proto::Refused;
    default: // Logout, KeepAlive, Reboot, Restore, GetPtzProtocols
        return status == proto::NotSupported;
    }
}

// Answers whose success carries no payload.
bool answerEmpty(uint16_t command)
{
    switch (command) {
    case proto::Logout:
    case proto::KeepAlive:
    case proto::SetConfig:
    case proto::Reboot:
    case proto::Restore:
    case proto::UpgradeAttach:
    case proto::StreamAttach:
        return true;
    default:
        return false;
    }
}

// Reads the answer to request (command, sequence): the answer's status, or
// the transport or framing failure (transportFailed set) after which the
// connection cannot be trusted.
uint32_t recvAnswer(int fd, uint16_t command, uint32_t sequence, Clock::time_point deadline,
    std::vector<uint8_t> &reply, bool *transportFailed, int wakeFd = -1)
{
    proto::Header answer;
    uint32_t status = recvFrame(fd, deadline, answer, reply, wakeFd);
    if (status == proto::Ok
        && (!(answer.flags & proto::FlagReply) || answer.command != command
            || answer.sequence != sequence)) {
        status = proto::MalformedData;
    }
    // A refusal carries nothing; a status the protocol does not give this
    // answer, or bytes beside a refusal, mean the device is not understood.
    if (status == proto::Ok && answer.status != proto::Ok
        && (!reply.empty() || !statusDefined(command, answer.status))) {
        status = proto::MalformedData;
    }
    if (status == proto::Ok && answer.status == proto::Ok && answerEmpty(command)
        && !reply.empty()) {
        status = proto::MalformedData;
    }
    *transportFailed = status != proto::Ok;
    if (status != proto::Ok) {
        return status;
    }
    return answer.status;
}

uint32_t sendRequest(int fd, uint16_t command, uint32_t sequence, const uint8_t *payload,
    std::size_t length, Clock::time_point deadline, int wakeFd = -1)
{
    proto::Header request;
    request.command = command;
    request.sequence = sequence;
    const auto frame = proto::encodeFrame(request, payload, length);
    return sendAll(fd, frame.data(), frame.size(), deadline, wakeFd);
}

// One request and its answer, as recvAnswer reports it.
uint32_t exchange(int fd, uint16_t command, uint32_t sequence, const uint8_t *payload,
    std::size_t length, std::vector<uint8_t> &reply, uint32_t waitMs, bool *transportFailed)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(waitMs);
    const uint32_t status = sendRequest(fd, command, sequence, payload, length, deadline);
    if (status != proto::Ok) {
        *transportFailed = true;
        return status;
    }
    return recvAnswer(fd, command, sequence, deadline, reply, transportFailed);
}

void closeSocket(int &fd)
{
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

int connectTo(const sockaddr_in &address, uint32_t timeoutMs, uint32_t &error)
{
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = proto::ConnectFailed;
        return -1;
    }
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        if (errno != EINPROGRESS && errno != EINTR) {
            error = proto::ConnectFailed;
            closeSocket(fd);
            return -1;
        }
        if (waitFor(fd, POLLOUT, deadline, proto::ConnectFailed) != proto::Ok) {
            error = proto::ConnectFailed;
            closeSocket(fd);
            return -1;
        }
        int soError = 0;
        socklen_t soLength = sizeof soError;
        if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &soLength) != 0 || soError != 0) {
            error = proto::ConnectFailed;
            closeSocket(fd);
            return -1;
        }
    }
    return fd;
}

// ---- sessions -------------------------------------------------------------

// Connects to address and answers the device's challenge with `command`
// (a login or an attach, as sequence 1) whose payload makePayload builds from
// the nonce. fd is the connection, open only when the answer's status is Ok.
template<typename MakePayload>
uint32_t authenticate(int &fd, const sockaddr_in &address, uint16_t command,
    MakePayload makePayload, std::vector<uint8_t> &reply)
{
    uint32_t error = proto::Ok;
    fd = connectTo(address, g_connectMs, error);
    if (fd < 0) {
        return error;
    }
    // The device speaks first: a nonce to prove the password against.
    const auto deadline = Clock::now() + std::chrono::milliseconds(g_recvMs.load());
    proto::Header challenge;
    std::vector<uint8_t> nonce;
    uint32_t status = recvFrame(fd, deadline, challenge, nonce);
    if (status == proto::Ok && challenge.command != proto::Challenge) {
        status = proto::MalformedData;
    }
    // A challenge is a nonce, or a refusal for too many sessions with nothing
    // beside it; anything else is not the device's word.
    if (status == proto::Ok && challenge.status != proto::Ok) {
        status = challenge.status == proto::TooManySessions && nonce.empty() ? challenge.status
                                                                             : proto::MalformedData;
    }
    if (status == proto::Ok && nonce.size() != proto::NonceSize) {
        status = proto::MalformedData;
    }
    if (status == proto::Ok) {
        const std::vector<uint8_t> payload = makePayload(nonce.data());
        bool transportFailed = false;
        status = exchange(
            fd, command, 1, payload.data(), payload.size(), reply, g_recvMs, &transportFailed);
    }
    if (status != proto::Ok) {
        closeSocket(fd);
    }
    return status;
}

struct Session
{
    std::mutex lock; // one call at a time on one login
    int fd = -1;
    uint32_t sequence = 1; // 1 was the login
    uint32_t deviceSession = 0;
    bool ended = false; // logged out while another call waited for the lock
    // What an upload needs to attach itself to this login.
    sockaddr_in address {};
    std::string userName;
    std::string password;

    ~Session() { closeSocket(fd); }

    // Sends one request and reads its answer. Any transport or framing
    // failure ends the connection: the stream cannot be trusted after it.
    uint32_t transact(uint16_t command, const uint8_t *payload, std::size_t length,
        std::vector<uint8_t> &reply, uint32_t waitMs)
    {
        if (fd < 0) {
            return proto::ReceiveFailed;
        }
        bool transportFailed = false;
        const uint32_t status
            = exchange(fd, command, ++sequence, payload, length, reply, waitMs, &transportFailed);
        if (transportFailed) {
            closeSocket(fd);
        }
        return status;
    }
};

// Handles of one kind (logins, uploads, streams): the slot index is the
// handle. Handles are handed out round-robin, so a stale handle of a closed
// object is not at once the handle of somebody else's new one.
template<typename T, int Capacity> struct HandleTable
{
    std::mutex lock;
    std::vector<std::shared_ptr<T>> slots = std::vector<std::shared_ptr<T>>(Capacity);
    int next = 0;

    int add(std::shared_ptr<T> object)
    {
        std::lock_guard guard(lock);
        for (int tried = 0; tried < Capacity; ++tried) {
            const int id = (next + tried) % Capacity;
            if (!slots[id]) {
                slots[id] = std::move(object);
                next = (id + 1) % Capacity;
                return id;
            }
        }
        return -1;
    }

    std::shared_ptr<T> find(int32_t id)
    {
        if (id < 0 || id >= Capacity) {
            return nullptr;
        }
        std::lock_guard guard(lock);
        return slots[id];
    }

    std::shared_ptr<T> take(int32_t id)
    {
        if (id < 0 || id >= Capacity) {
            return nullptr;
        }
        std::lock_guard guard(lock);
        return std::exchange(slots[id], nullptr);
    }

    std::vector<std::shared_ptr<T>> takeAll()
    {
        std::lock_guard guard(lock);
        std::vector<std::shared_ptr<T>> all;
        for (auto &slot : slots) {
            if (slot) {
                all.push_back(std::exchange(slot, nullptr));
            }
        }
        return all;
    }
};

using SessionTable = HandleTable<Session, MaxLogins>;

SessionTable &sessions()
{
    static SessionTable table;
    return table;
}

void endSession(Session &session)
{
    std::lock_guard guard(session.lock);
    if (session.fd >= 0) {
        // Tell the device so that it frees the session at once; its answer is
        // awaited briefly but the login ends here whatever it says.
        std::vector<uint8_t> reply;
        session.transact(proto::Logout, nullptr, 0, reply, std::min<uint32_t>(g_recvMs, 2000));
    }
    closeSocket(session.fd);
    session.ended = true;
}

// Runs `body` on the session of `userId` under its lock; the code it returns
// becomes the thread's last error.
template<typename Body> int withSession(int32_t userId, Body body)
{
    const auto session = sessions().find(userId);
    if (!session) {
        return fail(SOLV_NOT_LOGGED_IN);
    }
    std::lock_guard guard(session->lock);
    if (session->ended) {
        return fail(SOLV_NOT_LOGGED_IN);
    }
    const uint32_t status = body(*session);
    if (status == proto::MalformedData) {
        // A well-framed answer of the wrong shape: the device and this
        // client disagree, so nothing more on this connection is trusted.
        closeSocket(session->fd);
    }
    return status == proto::Ok ? succeed() : fail(status);
}

// ---- firmware uploads -------------------------------------------------------

// One upload: the connection attached to a login, the image file and the
// thread that streams one into the other. State and percent are what the
// device last reported, read by any thread without waiting.
struct Upload
{
    std::atomic<int> state { fw::Running };
    std::atomic<int> percent { 0 };
    int fd = -1;
    int file = -1;
    uint64_t size = 0;
    int wake[2] = { -1, -1 }; // written to by Close: the thread stops at once
    std::thread thread;

    ~Upload()
    {
        stop();
        closeSocket(fd);
        closeSocket(file);
        closeSocket(wake[0]);
        closeSocket(wake[1]);
    }

    void stop()
    {
        if (thread.joinable()) {
            const char byte = 1;
            [[maybe_unused]] const ssize_t written = ::write(wake[1], &byte, 1);
            thread.join();
        }
    }

    // False when the device's answer was not an upload state; else stores it.
    bool take(const std::vector<uint8_t> &reply)
    {
        const auto progress = fw::decodeState(reply.data(), reply.size());
        if (!progress) {
            return false;
        }
        percent = int(progress->percent);
        state = int(progress->state);
        return true;
    }

    // Reads the next piece of the image; false when the file ends early or fails.
    bool readPiece(uint8_t *out, std::size_t length)
    {
        while (length > 0) {
            const ssize_t got = ::read(file, out, length);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got <= 0) {
                return false;
            }
            out += got;
            length -= std::size_t(got);
        }
        return true;
    }

    void run()
    {
        const int result = stream();
        if (result != fw::Running) {
            state = result;
        }
        // Closing the connection is what cancels an upload the device has not finished.
        closeSocket(fd);
        closeSocket(file);
    }

    // The state the upload ended in; Running when it was cancelled.
    int stream()
    {
        const uint32_t waitMs = g_recvMs;
        std::vector<uint8_t> frame(proto::HeaderSize + proto::MaxPayload);
        std::vector<uint8_t> reply;
        uint32_t sequence = 1; // the attach
        uint32_t answered = 1;
        uint64_t sent = 0;
        auto lost = [](uint32_t status) { return status == Cancelled ? fw::Running : fw::Unknown; };

        // Pieces go out while fewer than MaxUnanswered wait for their answers,
        // so one piece buffer suffices and the round trip does not pace the transfer.
        while (sent < size || sequence > answered) {
            while (sent < size && sequence - answered < fw::MaxUnanswered) {
                const std::size_t length
                    = std::size_t(std::min<uint64_t>(size - sent, proto::MaxPayload));
                if (!readPiece(frame.data() + proto::HeaderSize, length)) {
                    return fw::Failed;
                }
                proto::Header request;
                request.command = proto::UpgradeData;
                request.sequence = ++sequence;
                request.length = uint32_t(length);
                proto::encodeHeader(request, frame.data());
                const uint32_t status = sendAll(fd, frame.data(), proto::HeaderSize + length,
                    Clock::now() + std::chrono::milliseconds(waitMs), wake[0]);
                if (status != proto::Ok) {
                    return lost(status);
                }
                sent += length;
            }
            bool transportFailed = false;
            const uint32_t status = recvAnswer(fd, proto::UpgradeData, ++answered,
                Clock::now() + std::chrono::milliseconds(waitMs), reply, &transportFailed, wake[0]);
            if (transportFailed) {
                return lost(status);
            }
            if (status != proto::Ok) {
                return fw::Failed;
            }
            if (!take(reply)) {
                return fw::Unknown;
            }
            if (state != fw::Running) {
                return state;
            }
        }

        // Every byte is taken; the device checks and writes the image.
        for (;;) {
            const auto pause = Clock::now() + std::chrono::milliseconds(UpgradeStatePollMs);
            if (waitFor(wake[0], POLLIN, pause, proto::ReceiveFailed) != proto::Timeout) {
                return fw::Running; // closed by the caller
            }
            const auto deadline = Clock::now() + std::chrono::milliseconds(waitMs);
            uint32_t status
                = sendRequest(fd, proto::UpgradeState, ++sequence, nullptr, 0, deadline, wake[0]);
            if (status != proto::Ok) {
                return lost(status);
            }
            bool transportFailed = false;
            status = recvAnswer(
                fd, proto::UpgradeState, sequence, deadline, reply, &transportFailed, wake[0]);
            if (transportFailed) {
                return lost(status);
            }
            if (status != proto::Ok) {
                return fw::Failed;
            }
            if (!take(reply)) {
                return fw::Unknown;
            }
            if (state != fw::Running) {
                return state;
            }
        }
    }
};

using UploadTable = HandleTable<Upload, MaxUpgrades>;

UploadTable &uploads()
{
    static UploadTable table;
    return table;
}

// Opens the image file for an upload; Ok or FileError.
uint32_t openImage(const char *path, Upload &upload)
{
    upload.file = ::open(path, O_RDONLY | O_CLOEXEC);
    struct stat info;
    if (upload.file < 0 || ::fstat(upload.file, &info) != 0 || !S_ISREG(info.st_mode)
        || info.st_size <= 0) {
        return proto::FileError;
    }
    upload.size = uint64_t(info.st_size);
    return proto::Ok;
}

// Live streams, at the end of this file.
void stopAllStreams();

// What a connection of its own (upload, stream) needs to attach to a login,
// copied so the login stays free for other calls meanwhile.
struct LoginCopy
{
    sockaddr_in address {};
    std::string userName;
    std::string password;
    uint32_t deviceSession = 0;
};

bool copyLogin(int32_t userId, LoginCopy &copy)
{
    return withSession(userId, [&](Session &session) -> uint32_t {
        if (session.fd < 0) {
            return proto::ReceiveFailed; // the login broke earlier
        }
        copy.address = session.address;
        copy.userName = session.userName;
        copy.password = session.password;
        copy.deviceSession = session.deviceSession;
        return proto::Ok;
    }) != 0;
}

} // namespace

extern "C" {

int SOLV_Init(void)
{
    return succeed();
}

int SOLV_Cleanup(void)
{
    stopAllStreams();
    for (const auto &upload : uploads().takeAll()) {
        upload->stop();
    }
    for (const auto &session : sessions().takeAll()) {
        endSession(*session);
    }
    return succeed();
}

int32_t SOLV_Login_V30(const char *ipAddress, uint16_t port, const char *userName,
    const char *password, SOLV_LOGIN_INFO *info)
{
    if (info) {
        std::memset(info, 0, sizeof *info);
    }
    if (!ipAddress || !userName || !password || port == 0) {
        fail(SOLV_PARAMETER_ERROR);
        return -1;
    }
    const std::string_view user(userName);
    const std::string_view secret(password);
    if (user.empty() || user.size() > proto::MaxUserName || secret.size() > proto::MaxPassword) {
        fail(SOLV_PARAMETER_ERROR);
        return -1;
    }
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    if (::inet_pton(AF_INET, ipAddress, &address.sin_addr) != 1) {
        fail(SOLV_PARAMETER_ERROR);
        return -1;
    }

    auto session = std::make_shared<Session>();
    std::vector<uint8_t> reply;
    uint32_t status = authenticate(
        session->fd, address, proto::Login,
        [&](const uint8_t *nonce) {
            return proto::encodeLogin(user, proto::loginProof(secret, nonce, user));
        },
        reply);
    // The answer is the session number and nothing else.
    if (status == proto::Ok && reply.size() != sizeof(uint32_t)) {
        status = proto::MalformedData;
    }
    if (status != proto::Ok) {
        fail(status);
        return -1;
    }
    session->deviceSession = proto::getU32(reply.data());
    session->address = address;
    session->userName = user;
    session->password = secret;

    const int id = sessions().add(session);
    if (id < 0) {
        endSession(*session);
        fail(SOLV_NO_FREE_HANDLE);
        return -1;
    }
    succeed();
    return id;
}

int SOLV_Logout(int32_t userId)
{
    const auto session = sessions().take(userId);
    if (!session) {
        return fail(SOLV_NOT_LOGGED_IN);
    }
    endSession(*session);
    return succeed();
}

int SOLV_Logout_V30(int32_t userId)
{
    return SOLV_Logout(userId);
}

int SOLV_GetDVRConfig(int32_t userId, uint32_t command, int32_t channel, void *buffer,
    uint32_t size, uint32_t *returned)
{
    if (returned) {
        *returned = 0;
    }
    const uint32_t recordSize = SOLV_RecordSize(command);
    if (recordSize == 0) {
        return fail(SOLV_NOT_SUPPORT);
    }
    if (!buffer || SOLV_IsSetCommand(command) || size != recordSize) {
        return fail(SOLV_PARAMETER_ERROR);
    }
    return withSession(userId, [&](Session &session) -> uint32_t {
        uint8_t request[8];
        proto::putU32(request, command);
        proto::putU32(request + 4, uint32_t(channel));
        std::vector<uint8_t> reply;
        const uint32_t status
            = session.transact(proto::GetConfig, request, sizeof request, reply, g_recvMs);
        if (status != proto::Ok) {
            return status;
        }
        if (reply.size() != recordSize) {
            return proto::MalformedData;
        }
        std::memcpy(buffer, reply.data(), recordSize);
        if (returned) {
            *returned = recordSize;
        }
        return proto::Ok;
    });
}

int SOLV_SetDVRConfig(
    int32_t userId, uint32_t command, int32_t channel, const void *buffer, uint32_t size)
{
    const uint32_t recordSize = SOLV_RecordSize(command);
    if (recordSize == 0) {
        return fail(SOLV_NOT_SUPPORT);
    }
    if (!buffer || !SOLV_IsSetCommand(command) || size != recordSize) {
        return fail(SOLV_PARAMETER_ERROR);
    }
    return withSession(userId, [&](Session &session) -> uint32_t {
        std::vector<uint8_t> request(8 + recordSize);
        proto::putU32(request.data(), command);
        proto::putU32(request.data() + 4, uint32_t(channel));
        std::memcpy(request.data() + 8, buffer, recordSize);
        std::vector<uint8_t> reply;
        return session.transact(proto::SetConfig, request.data(), request.size(), reply, g_recvMs);
    });
}

int SOLV_RebootDVR(int32_t userId)
{
    return withSession(userId, [](Session &session) {
        std::vector<uint8_t> reply;
        return session.transact(proto::Reboot, nullptr, 0, reply, g_recvMs);
    });
}

int SOLV_RestoreConfig(int32_t userId)
{
    return withSession(userId, [](Session &session) {
        std::vector<uint8_t> reply;
        return session.transact(proto::Restore, nullptr, 0, reply, g_recvMs);
    });
}

int SOLV_GetDeviceAbility(int32_t userId, uint32_t abilityType, const char *inBuffer,
    uint32_t inSize, char *outBuffer, uint32_t outSize)
{
    if (!outBuffer || outSize == 0 || inSize > proto::MaxAbilityQuery
        || (inSize > 0 && !inBuffer)) {
        return fail(SOLV_PARAMETER_ERROR);
    }
    return withSession(userId, [&](Session &session) -> uint32_t {
        std::vector<uint8_t> request(8 + inSize);
        proto::putU32(request.data(), abilityType);
        proto::putU32(request.data() + 4, inSize);
        if (inSize > 0) {
            std::memcpy(request.data() + 8, inBuffer, inSize);
        }
        std::vector<uint8_t> reply;
        const uint32_t status
            = session.transact(proto::GetAbility, request.data(), request.size(), reply, g_recvMs);
        if (status != proto::Ok) {
            return status;
        }
        // The text ends at its first zero byte, if the device sent one.
        const auto end = std::find(reply.begin(), reply.end(), uint8_t(0));
        const std::size_t textLength = std::size_t(end - reply.begin());
        if (textLength > proto::MaxText) {
            return proto::MalformedData;
        }
        if (textLength + 1 > outSize) {
            return proto::BufferTooSmall;
        }
        // An empty answer has no bytes at all (its data() may be null).
        if (textLength > 0) {
            std::memcpy(outBuffer, reply.data(), textLength);
        }
        outBuffer[textLength] = '\0';
        return proto::Ok;
    });
}

int SOLV_GetPTZProtocol(int32_t userId, SOLV_PTZ_PROTOCOL_LIST *list)
{
    if (!list) {
        return fail(SOLV_PARAMETER_ERROR);
    }
    return withSession(userId, [&](Session &session) -> uint32_t {
        std::vector<uint8_t> reply;
        const uint32_t status
            = session.transact(proto::GetPtzProtocols, nullptr, 0, reply, g_recvMs);
        if (status != proto::Ok) {
            return status;
        }
        if (reply.size() < 4) {
            return proto::MalformedData;
        }
        const uint32_t count = proto::getU32(reply.data());
        if (count > proto::MaxPtzProtocols || reply.size() != 4 + count * proto::PtzEntrySize) {
            return proto::MalformedData;
        }
        std::memset(list->bytes, 0, sizeof list->bytes);
        for (uint32_t i = 0; i < count; ++i) {
            std::memcpy(
                list->bytes + SOLV_PTZ_PROTOCOL_ENTRY_OFFSET + i * SOLV_PTZ_PROTOCOL_ENTRY_STRIDE,
                reply.data() + 4 + i * proto::PtzEntrySize, proto::PtzEntrySize);
        }
        proto::putU32(list->bytes + SOLV_PTZ_PROTOCOL_COUNT_OFFSET, count);
        return proto::Ok;
    });
}

int32_t SOLV_Upgrade(int32_t userId, const char *firmwarePath)
{
    LoginCopy login;
    if (!copyLogin(userId, login)) {
        return -1;
    }
    if (!firmwarePath) {
        fail(SOLV_PARAMETER_ERROR);
        return -1;
    }
    auto upload = std::make_shared<Upload>();
    uint32_t status = openImage(firmwarePath, *upload);
    if (status == proto::Ok && ::pipe2(upload->wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        status = proto::FileError;
    }
    if (status != proto::Ok) {
        fail(status);
        return -1;
    }
    std::vector<uint8_t> reply;
    status = authenticate(
        upload->fd, login.address, proto::UpgradeAttach,
        [&](const uint8_t *nonce) {
            return fw::encodeAttach(login.deviceSession, login.userName,
                proto::loginProof(login.password, nonce, login.userName), upload->size);
        },
        reply);
    if (status != proto::Ok) {
        fail(status);
        return -1;
    }
    upload->thread = std::thread(&Upload::run, upload.get());
    const int handle = uploads().add(upload);
    if (handle < 0) {
        upload->stop(); // closes the connection: the device cancels
        fail(SOLV_NO_FREE_HANDLE);
        return -1;
    }
    succeed();
    return handle;
}

int SOLV_GetUpgradeState(int32_t handle)
{
    const auto upload = uploads().find(handle);
    if (!upload) {
        fail(SOLV_PARAMETER_ERROR);
        return -1;
    }
    succeed();
    return upload->state;
}

int SOLV_GetUpgradeProgress(int32_t handle)
{
    const auto upload = uploads().find(handle);
    if (!upload) {
        fail(SOLV_PARAMETER_ERROR);
        return -1;
    }
    succeed();
    return upload->percent;
}

int SOLV_CloseUpgradeHandle(int32_t handle)
{
    const auto upload = uploads().take(handle);
    if (!upload) {
        return fail(SOLV_PARAMETER_ERROR);
    }
    upload->stop();
    return succeed();
}

uint32_t SOLV_GetLastError(void)
{
    return t_lastError;
}

int SOLV_SetConnectTime(uint32_t waitMs, uint32_t tryTimes)
{
    // One attempt per login whatever tryTimes says: a dead address must cost
    // no more than one connect time-out.
    (void)tryTimes;
    if (waitMs == 0 || waitMs > MaxWaitMs) {
        return fail(SOLV_PARAMETER_ERROR);
    }
    g_connectMs = waitMs;
    return succeed();
}

int SOLV_SetRecvTimeOut(uint32_t waitMs)
{
    if (waitMs == 0 || waitMs > MaxWaitMs) {
        return fail(SOLV_PARAMETER_ERROR);
    }
    g_recvMs = waitMs;
    return succeed();
}

} // extern "C"

// ---- live streams -------------------------------------------------------------

namespace {

constexpr int MaxStreams = 1024;

// One live stream: its connection and the thread that reads it and calls the
// caller's callback, one call at a time. The thread ends when the device
// ends the stream or when the stream is stopped; stopping joins it, so no
// callback runs once the stop has returned.
struct Stream
{
    int32_t handle = -1;
    SOLV_RealDataCallback callback = nullptr;
    void *user = nullptr;
    int fd = -1;
    int wake[2] = { -1, -1 }; // written to by stop(): the thread ends at its next wait
    std::mutex threadLock; // a stop racing the start waits for the thread to exist
    std::thread thread;

    ~Stream()
    {
        stop();
        closeSocket(fd);
        closeSocket(wake[0]);
        closeSocket(wake[1]);
    }

    bool onOwnThread() const { return thread.get_id() == std::this_thread::get_id(); }

    void start()
    {
        std::lock_guard guard(threadLock);
        thread = std::thread(&Stream::run, this);
    }

    void stop()
    {
        std::lock_guard guard(threadLock);
        if (thread.joinable()) {
            const char byte = 1;
            [[maybe_unused]] const ssize_t written = ::write(wake[1], &byte, 1);
            thread.join();
        }
    }

    void run()
    {
        const uint32_t status = receive();
        closeSocket(fd);
        if (status != Cancelled) {
            // The caller learns why inside the last call, on this thread.
            t_lastError = status;
            callback(handle, SOLV_STREAM_END, nullptr, 0, user);
        }
    }

    // Reads frames until the stream ends; the code it ended with.
    uint32_t receive()
    {
        namespace wire = solvane::stream;
        wire::PictureAssembler assembler;
        std::vector<uint8_t> payload;
        bool headerSeen = false;
        for (;;) {
            proto::Header frame;
            // The device sends keep-alives, so silence this long is a dead stream.
            const uint32_t status = recvFrame(
                fd, Clock::now() + std::chrono::milliseconds(g_recvMs), frame, payload, wake[0]);
            if (status != proto::Ok) {
                return status;
            }
            if (frame.flags != 0 || frame.status != proto::Ok) {
                return proto::MalformedData;
            }
            switch (frame.command) {
            case proto::KeepAlive:
                if (!payload.empty()) {
                    return proto::MalformedData;
                }
                break;
            case proto::StreamHeader:
                if (!assembler.idle() || !wire::decodeHeader(payload.data(), payload.size())) {
                    return proto::MalformedData;
                }
                headerSeen = true;
                callback(
                    handle, SOLV_STREAM_HEADER, payload.data(), uint32_t(payload.size()), user);
                break;
            case proto::StreamData:
                if (!headerSeen) {
                    return proto::MalformedData;
                }
                switch (assembler.take(payload.data(), payload.size())) {
                case wire::PictureAssembler::Result::Malformed:
                    return proto::MalformedData;
                case wire::PictureAssembler::Result::Incomplete:
                    break;
                case wire::PictureAssembler::Result::Complete:
                    callback(handle, SOLV_STREAM_DATA, assembler.block(),
                        uint32_t(assembler.blockSize()), user);
                    break;
                }
                break;
            default:
                return proto::MalformedData;
            }
        }
    }
};

using StreamTable = HandleTable<Stream, MaxStreams>;

StreamTable &streams()
{
    static StreamTable table;
    return table;
}

void stopAllStreams()
{
    for (const auto &stream : streams().takeAll()) {
        stream->stop();
    }
}

} // namespace

extern "C" {

int32_t SOLV_RealPlay_V30(int32_t userId, const SOLV_PREVIEW_REQUEST *request,
    SOLV_RealDataCallback callback, void *user, int32_t blocked)
{
    (void)blocked; // the attach is always awaited
    LoginCopy login;
    if (!copyLogin(userId, login)) {
        return -1;
    }
    if (!request || !callback) {
        fail(SOLV_PARAMETER_ERROR);
        return -1;
    }
    if (request->linkMode != 0) {
        fail(SOLV_NOT_SUPPORT);
        return -1;
    }
    auto stream = std::make_shared<Stream>();
    if (::pipe2(stream->wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        fail(SOLV_NO_FREE_HANDLE);
        return -1;
    }
    std::vector<uint8_t> reply;
    const uint32_t status = authenticate(
        stream->fd, login.address, proto::StreamAttach,
        [&](const uint8_t *nonce) {
            return solvane::stream::encodeAttach(login.deviceSession, login.userName,
                proto::loginProof(login.password, nonce, login.userName), request->channel,
                uint32_t(request->linkMode));
        },
        reply);
    if (status != proto::Ok) {
        fail(status);
        return -1;
    }
    stream->callback = callback;
    stream->user = user;
    const int handle = streams().add(stream);
    if (handle < 0) {
        fail(SOLV_NO_FREE_HANDLE);
        return -1; // the connection closes with the stream: the device lets it go
    }
    stream->handle = handle;
    stream->start();
    succeed();
    return handle;
}

int SOLV_StopRealPlay(int32_t handle)
{
    const auto stream = streams().find(handle);
    // The stream's own thread cannot wait for itself.
    if (!stream || stream->onOwnThread()) {
        return fail(SOLV_PARAMETER_ERROR);
    }
    if (streams().take(handle) != stream) {
        return fail(SOLV_PARAMETER_ERROR); // stopped by another thread meanwhile
    }
    stream->stop();
    return succeed();
}

} // extern "C"
