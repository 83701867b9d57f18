#pragma once

#include "mirt.h"
#include "quarry.h"

#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

// Loads the discovery library at run time and counts its users: the library
// stays loaded until the last user unloads it. One process-wide instance.
// Its entry points are resolved once, when the library is loaded.
class QuarryLoader
{
public:
    static QuarryLoader &instance();

    // Tries libquarry.so beside the program, then in TERVIX_BIN_DIR (tests and
    // tools run from other folders), then in the install prefix's private
    // library folder, then by plain name through the loader's search path.
    bool Load();
    // The last user's Unload waits for the calls in progress (calls that begin
    // meanwhile answer 0), stops the library and only then unloads it, so
    // neither a call nor a thread of the library outlives its code. False,
    // with the library left loaded, when it cannot be stopped: the library's
    // own callback must not unload it. Otherwise true.
    bool Unload();
    // True: the library listens through the kernel's own UDP multicast
    // sockets, so no packet-capture library is needed on this platform.
    bool HasPacketLibrary() const;

    // The library handle, or null. For diagnostics: calls go through the
    // entry points below.
    void *handle() const { return m_handle.load(); }
    int referenceCount() const { return m_referenceCount.load(); }
    // Path of the loaded library, empty when none is loaded.
    QString libraryPath() const;
    // Calls through the entry points that have not returned yet.
    int callsInProgress() const;

    // The entry points; each answers 0 when the library is not loaded (or is
    // being unloaded) or lacks the entry point.
    int32_t start(QUARRY_DeviceCallback callback);
    int32_t stop();
    int32_t sendUpdateIp(const char *mac, const char *newIp, const char *newMask,
        const char *password, const char *newPort);

    static constexpr const char *LibraryName = "libquarry.so";

private:
    struct EntryPoints
    {
        QUARRY_StartProc start = nullptr;
        QUARRY_StopProc stop = nullptr;
        QUARRY_SendUpdateIpProc sendUpdateIp = nullptr;
    };

    QuarryLoader() = default;
    template<typename Proc, typename... Args> int32_t call(Proc EntryPoints::*entry, Args... args);

    mutable MIRT_Mutex m_lock; // held for the whole of Load and Unload
    std::atomic<void *> m_handle { nullptr };
    std::atomic<int> m_referenceCount { 0 };
    QString m_path;

    // Guards the entry points and the count of calls in progress; held only
    // briefly, never across a call into the library.
    mutable std::mutex m_callLock;
    std::condition_variable m_callsDone;
    EntryPoints m_entries;
    int m_calls = 0;
};

// QuarryLoader::instance()'s entry points.
int32_t Quarry_Start(QUARRY_DeviceCallback callback);
int32_t Quarry_Stop();
// 1 only when the device confirmed the new address.
int32_t Quarry_SendUpdateIp(const char *mac, const char *newIp, const char *newMask,
    const char *password, const char *newPort);
