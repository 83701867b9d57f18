// The device SDK and the discovery library called from many threads at once,
// with no Qt in the process, so that ThreadSanitizer sees every lock there is.
// The cameras are a tervix-devsim process on 127.0.98.x (TERVIX_DEVSIM names
// another simulator program than the one built beside this test).
//
// Each scenario checks what the libraries promise under the race (which calls
// may fail and how, no callback after a stop has returned, nothing left open
// on the device) and prints one line; the exit status is the number of
// failed checks.

#include "quarry.h"
#include "quarry_protocol.h"
#include "solvane.h"
#include "solvane_records.h"

#include <arpa/inet.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int Cameras = 4;
constexpr int SessionsPerCamera = 16;
// Waits long enough for a simulator that runs under a sanitizer itself: the
// scenarios are about races, not about speed.
constexpr uint32_t ConnectMs = 10000;
constexpr uint32_t ReceiveMs = 30000;
const char *const User = "admin";
const char *const Password = "60917";

std::atomic<int> g_failures { 0 };
std::mutex g_printLock;

void check(bool ok, const std::string &what)
{
    if (!ok) {
        ++g_failures;
        std::lock_guard lock(g_printLock);
        std::fprintf(stderr, "  FAILED: %s\n", what.c_str());
    }
}

std::string cameraAddress(int index)
{
    return "127.0.98." + std::to_string(index + 1);
}

int32_t login(int camera)
{
    return SOLV_Login_V30(cameraAddress(camera).c_str(), 8000, User, Password, nullptr);
}

// One record read; 0 for success, otherwise the error it left.
uint32_t readRecord(int32_t userId)
{
    uint8_t record[SOLV_DEVICECFG_SIZE];
    uint32_t returned = 0;
    if (SOLV_GetDVRConfig(userId, SOLV_GET_DEVICECFG, 0, record, sizeof record, &returned)) {
        return returned == sizeof record ? 0 : ~0u;
    }
    return SOLV_GetLastError();
}

void runThreads(int count, const std::function<void(int)> &body)
{
    std::vector<std::thread> threads;
    for (int i = 0; i < count; ++i) {
        threads.emplace_back(body, i);
    }
    for (auto &thread : threads) {
        thread.join();
    }
}

// ---- the simulator ------------------------------------------------------------

class Simulator
{
public:
    bool start()
    {
        const char *program = std::getenv("TERVIX_DEVSIM");
        const std::string path = program && *program ? program : TERVIX_DEVSIM_PATH;
        int out[2];
        if (::pipe(out) != 0) {
            return false;
        }
        const std::string count = std::to_string(Cameras);
        const std::string sessions = std::to_string(SessionsPerCamera);
        m_pid = ::fork();
        if (m_pid == 0) {
            // A test stopped by a sanitizer's report takes its cameras along.
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);
            ::dup2(out[1], STDOUT_FILENO);
            ::close(out[0]);
            ::close(out[1]);
            ::execl(path.c_str(), path.c_str(), "--count", count.c_str(), "--first-address",
                "127.0.98.1", "--max-sessions", sessions.c_str(), "--discovery-port", "0",
                "--quiet", static_cast<char *>(nullptr));
            std::perror(path.c_str());
            ::_exit(127);
        }
        ::close(out[1]);
        // The simulator prints its one summary line once every camera listens.
        std::string line;
        const auto deadline = Clock::now() + 120s;
        while (line.find('\n') == std::string::npos && Clock::now() < deadline) {
            pollfd ready { out[0], POLLIN, 0 };
            if (::poll(&ready, 1, 1000) <= 0) {
                continue;
            }
            char buffer[256];
            const ssize_t got = ::read(out[0], buffer, sizeof buffer);
            if (got <= 0) {
                break;
            }
            line.append(buffer, std::size_t(got));
        }
        ::close(out[0]);
        return m_pid > 0 && line.find("cameras") != std::string::npos;
    }

    // The simulator's own status: a sanitizer finding in it fails the run too.
    bool stop()
    {
        if (m_pid <= 0) {
            return false;
        }
        ::kill(m_pid, SIGTERM);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_pid = -1;
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

    ~Simulator()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }

private:
    pid_t m_pid = -1;
};

// The device frees a session as soon as its connection closes; this waits
// (a while) until one camera takes its whole session count again.
bool cameraHasEverySessionFree(int camera)
{
    const auto deadline = Clock::now() + 20s;
    while (Clock::now() < deadline) {
        std::vector<int32_t> ids;
        for (int i = 0; i < SessionsPerCamera; ++i) {
            const int32_t id = login(camera);
            if (id < 0) {
                break;
            }
            ids.push_back(id);
        }
        const bool all = int(ids.size()) == SessionsPerCamera;
        for (int32_t id : ids) {
            SOLV_Logout(id);
        }
        if (all) {
            return true;
        }
        std::this_thread::sleep_for(100ms);
    }
    return false;
}

void checkNothingLeftOpen(const char *scenario)
{
    for (int camera = 0; camera < Cameras; ++camera) {
        check(cameraHasEverySessionFree(camera),
            std::string(scenario) + ": camera " + std::to_string(camera) + " kept a session");
    }
}

// ---- live streams -------------------------------------------------------------

struct StreamWatch
{
    std::atomic<bool> stopped { false };
    std::atomic<int> pictures { 0 };
    std::atomic<int> lateCalls { 0 };
};

void onStream(int32_t, uint32_t dataType, const uint8_t *, uint32_t, void *user)
{
    auto *watch = static_cast<StreamWatch *>(user);
    if (watch->stopped) {
        ++watch->lateCalls;
    }
    if (dataType == SOLV_STREAM_DATA) {
        ++watch->pictures;
    }
}

// Opens a stream on the login, waits at most `wait` for its first picture and
// stops it. Returns false if the stream could not be opened (the error is left).
bool streamOnce(int32_t userId, Clock::duration wait, StreamWatch &watch)
{
    SOLV_PREVIEW_REQUEST request {};
    request.channel = 1;
    const int32_t handle = SOLV_RealPlay_V30(userId, &request, onStream, &watch, 1);
    if (handle < 0) {
        return false;
    }
    const auto deadline = Clock::now() + wait;
    while (watch.pictures == 0 && Clock::now() < deadline) {
        std::this_thread::sleep_for(5ms);
    }
    SOLV_StopRealPlay(handle);
    watch.stopped = true;
    return true;
}

// ---- scenarios ----------------------------------------------------------------

// Eight threads log in, read and log out, over and over, on four cameras.
void manyLogins()
{
    std::atomic<int> done { 0 };
    runThreads(8, [&](int thread) {
        for (int round = 0; round < 25; ++round) {
            const int32_t id = login((thread + round) % Cameras);
            if (id < 0) {
                check(false, "login failed with " + std::to_string(SOLV_GetLastError()));
                continue;
            }
            check(readRecord(id) == 0, "read on a fresh login");
            check(SOLV_Logout(id) == 1, "logout of a fresh login");
            ++done;
        }
    });
    check(done == 200, "every login of every thread");
    checkNothingLeftOpen("many logins");
}

// Six threads share one login while another thread logs it out: calls made
// before the logout succeed, calls after it say "not logged in", none hangs.
void sharedLoginLoggedOut()
{
    for (int round = 0; round < 5; ++round) {
        const int32_t id = login(round % Cameras);
        check(id >= 0, "shared login");
        std::atomic<bool> loggedOut { false };
        std::atomic<int> reads { 0 };
        runThreads(7, [&](int thread) {
            if (thread == 0) {
                std::this_thread::sleep_for(50ms);
                check(SOLV_Logout(id) == 1, "logout of the shared login");
                loggedOut = true;
                return;
            }
            for (;;) {
                const bool after = loggedOut;
                const uint32_t error = readRecord(id);
                if (error == 0) {
                    check(!after, "a read after the logout returned succeeded");
                    ++reads;
                    continue;
                }
                check(error == SOLV_NOT_LOGGED_IN,
                    "shared read failed with " + std::to_string(error));
                break;
            }
        });
        check(reads > 0, "reads before the logout");
    }
    checkNothingLeftOpen("shared login");
}

// Time-outs change all the time while logins and reads go on: every call
// takes one whole value, and on loopback each succeeds.
void timeoutsChangedDuringCalls()
{
    std::atomic<bool> working { true };
    std::thread changer([&] {
        uint32_t step = 0;
        while (working) {
            ++step;
            SOLV_SetConnectTime(ConnectMs + step % 5 * 1000, 1 + step % 3);
            SOLV_SetRecvTimeOut(ReceiveMs + step % 7 * 1000);
            std::this_thread::yield();
        }
    });
    runThreads(4, [&](int thread) {
        for (int round = 0; round < 20; ++round) {
            const int32_t id = login((thread + round) % Cameras);
            check(id >= 0, "login while time-outs change");
            check(readRecord(id) == 0, "read while time-outs change");
            SOLV_Logout(id);
        }
    });
    working = false;
    changer.join();
    SOLV_SetConnectTime(ConnectMs, 1);
    SOLV_SetRecvTimeOut(ReceiveMs);
}

// SOLV_Cleanup (and SOLV_Init again) while threads log in, read, log out and
// play streams: a call on a login the clean-up ended says "not logged in",
// no stream calls back after its stop, and the device keeps no session.
void cleanupDuringCalls()
{
    std::atomic<bool> working { true };
    std::atomic<int> reads { 0 };
    std::atomic<int> lateCalls { 0 };
    std::thread cleaner([&] {
        while (working) {
            std::this_thread::sleep_for(80ms);
            SOLV_Cleanup();
            SOLV_Init();
        }
    });
    runThreads(6, [&](int thread) {
        const auto end = Clock::now() + 2s;
        while (Clock::now() < end) {
            const int32_t id = login(thread % Cameras);
            if (id < 0) {
                check(false, "login during clean-ups failed with " + std::to_string(SOLV_GetLastError()));
                continue;
            }
            if (thread == 0) {
                StreamWatch watch;
                // A clean-up may stop it before any picture comes.
                if (!streamOnce(id, 300ms, watch)) {
                    const uint32_t error = SOLV_GetLastError();
                    check(error == SOLV_NOT_LOGGED_IN,
                        "stream during clean-ups failed with " + std::to_string(error));
                }
                lateCalls += watch.lateCalls;
            }
            for (int i = 0; i < 3; ++i) {
                const uint32_t error = readRecord(id);
                if (error == 0) {
                    ++reads;
                } else {
                    check(error == SOLV_NOT_LOGGED_IN,
                        "read during clean-ups failed with " + std::to_string(error));
                }
            }
            if (!SOLV_Logout(id)) {
                check(SOLV_GetLastError() == SOLV_NOT_LOGGED_IN, "logout during clean-ups");
            }
        }
    });
    working = false;
    cleaner.join();
    check(reads > 0, "reads between clean-ups");
    check(lateCalls == 0, "a stream called back after its stop");
    checkNothingLeftOpen("clean-up during calls");
}

// Streams of one camera opened and stopped over and over from several
// threads, some stopped before their first picture: never a callback after
// the stop.
void streamCycling()
{
    std::atomic<int> opened { 0 };
    std::atomic<int> pictures { 0 };
    std::atomic<int> lateCalls { 0 };
    runThreads(4, [&](int) {
        const int32_t id = login(0);
        check(id >= 0, "login for streams");
        for (int round = 0; round < 8; ++round) {
            StreamWatch watch;
            if (streamOnce(id, round % 2 == 0 ? 10s : 0s, watch)) {
                ++opened;
            } else {
                check(false, "stream failed with " + std::to_string(SOLV_GetLastError()));
            }
            pictures += watch.pictures;
            // Callbacks already running when the stop returned would show
            // here, a little later.
            std::this_thread::sleep_for(10ms);
            lateCalls += watch.lateCalls;
        }
        SOLV_Logout(id);
    });
    check(opened == 32, "every stream opened");
    check(pictures > 0, "pictures arrived");
    check(lateCalls == 0, "a stream called back after its stop");
    checkNothingLeftOpen("stream cycling");
}

// ---- discovery ------------------------------------------------------------------

std::atomic<bool> g_listening { false };
std::atomic<int> g_heard { 0 };
std::atomic<int> g_lateHeard { 0 };

void onDevice(const char *, const char *, const char *, const char *, const char *, uint32_t,
    uint16_t, uint32_t, uint32_t, const char *, const char *, const char *, int32_t)
{
    ++g_heard;
    if (!g_listening) {
        ++g_lateHeard;
    }
}

// QUARRY_Start and QUARRY_Stop over and over while made-up devices announce
// themselves as fast as a thread can send: each start and stop succeeds and
// no device is reported once a stop has returned.
void discoveryCycling()
{
    const int socket = quarry::openRequestSocket();
    check(socket >= 0, "announcement socket");
    std::atomic<bool> flooding { true };
    std::thread flood([&] {
        quarry::Announcement fake;
        fake.ipAddress = "127.0.98.200";
        fake.mac = "02:00:00:00:98:00";
        fake.subnetMask = "255.255.255.0";
        fake.periodMs = 1000;
        for (uint32_t i = 0; flooding; ++i) {
            fake.serialNo = "STRESS-" + std::to_string(i % 5000);
            quarry::sendToGroup(socket, quarry::discoveryGroup(), quarry::discoveryPort(),
                in_addr { htonl(INADDR_LOOPBACK) }, quarry::encodeAnnouncement(fake));
            if (i % 64 == 0) {
                std::this_thread::yield();
            }
        }
    });
    for (int cycle = 0; cycle < 40; ++cycle) {
        g_listening = true;
        check(QUARRY_Start(onDevice) == 1, "discovery start");
        std::this_thread::sleep_for(std::chrono::milliseconds(5 + cycle % 4 * 15));
        check(QUARRY_Stop() == 1, "discovery stop");
        g_listening = false;
    }
    std::this_thread::sleep_for(50ms);
    flooding = false;
    flood.join();
    ::close(socket);
    check(g_heard > 0, "devices heard");
    check(g_lateHeard == 0, "a device reported after the stop");
}

} // namespace

int main()
{
    ::signal(SIGPIPE, SIG_IGN);
    Simulator simulator;
    if (!simulator.start()) {
        std::fprintf(stderr, "the simulator did not start\n");
        return 1;
    }
    SOLV_Init();
    SOLV_SetConnectTime(ConnectMs, 1);
    SOLV_SetRecvTimeOut(ReceiveMs);
    const std::pair<const char *, void (*)()> scenarios[] = {
        { "many logins", manyLogins },
        { "shared login logged out", sharedLoginLoggedOut },
        { "time-outs changed during calls", timeoutsChangedDuringCalls },
        { "clean-up during calls", cleanupDuringCalls },
        { "stream start and stop", streamCycling },
        { "discovery start and stop under a flood", discoveryCycling },
    };
    for (const auto &[name, run] : scenarios) {
        const int before = g_failures;
        const auto start = Clock::now();
        run();
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
        std::printf("%s %s (%lld ms)\n", g_failures == before ? "ok  " : "FAIL", name,
            static_cast<long long>(ms.count()));
        std::fflush(stdout);
    }
    SOLV_Cleanup();
    check(simulator.stop(), "the simulator ended cleanly");
    return g_failures;
}
