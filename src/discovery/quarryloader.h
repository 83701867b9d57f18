#pragma once

#include "mirt.h"
#include "quarry.h"

#include <QString>

#include <atomic>
#include <cstdint>

// Loads the discovery library at run time and counts its users: the library
// stays loaded until the last user unloads it. One process-wide instance.
class QuarryLoader
{
public:
    static QuarryLoader &instance();

    // Tries libquarry.so beside the program, then in TERVIX_BIN_DIR (tests and
    // tools run from other folders), then by plain name through the loader's
    // search path.
    bool Load();
    // Always true. The last user's Unload stops the library before unloading
    // it, so none of its threads outlives its code.
    bool Unload();
    // True: the library listens through the kernel's own UDP multicast
    // sockets, so no packet-capture library is needed on this platform.
    bool HasPacketLibrary() const;

    // The library handle, or null; read by the entry-point wrappers without
    // the lock.
    void *handle() const { return m_handle.load(); }
    int referenceCount() const;
    // Path of the loaded library, empty when none is loaded.
    QString libraryPath() const;

    static constexpr const char *LibraryName = "libquarry.so";

private:
    QuarryLoader() = default;

    mutable MIRT_Mutex m_lock; // held for the whole of Load and Unload
    std::atomic<void *> m_handle { nullptr };
    int m_referenceCount = 0;
    QString m_path;
};

// The entry points, looked up by name on every call. Each answers 0 when the
// library is not loaded or lacks the entry point.
int32_t Quarry_Start(QUARRY_DeviceCallback callback);
int32_t Quarry_Stop();
// 1 only when the device confirmed the new address.
int32_t Quarry_SendUpdateIp(const char *mac, const char *newIp, const char *newMask,
    const char *password, const char *newPort);
