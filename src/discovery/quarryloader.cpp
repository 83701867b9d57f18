#include "quarryloader.h"

#include "datafolders.h"
#include "debuglog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <utility>

namespace {

QStringList candidatePaths()
{
    QStringList paths;
    if (QCoreApplication::instance() != nullptr) {
        paths << QDir(QCoreApplication::applicationDirPath())
                     .filePath(QString::fromLatin1(QuarryLoader::LibraryName));
    }
    const QString binDir = qEnvironmentVariable("TERVIX_BIN_DIR");
    if (!binDir.isEmpty()) {
        paths << QDir(binDir).filePath(QString::fromLatin1(QuarryLoader::LibraryName));
    }
    // The installed program keeps it in the prefix's private library folder.
    const QString installed = privateLibraryFolder();
    if (!installed.isEmpty()) {
        paths << QDir(installed).filePath(QString::fromLatin1(QuarryLoader::LibraryName));
    }
    QStringList existing;
    for (const QString &path : std::as_const(paths)) {
        if (QFileInfo::exists(path) && !existing.contains(path)) {
            existing << path;
        }
    }
    // Last, the dynamic loader's own search path.
    existing << QString::fromLatin1(QuarryLoader::LibraryName);
    return existing;
}

template<typename Proc> Proc entryPoint(void *handle, const char *name)
{
    void *symbol = MIRT_GetDsoSym(handle, name);
    if (symbol == nullptr) {
        qCDebug(lcDiscovery, "Find entry point of %s failed!", name);
    }
    return reinterpret_cast<Proc>(symbol);
}

} // namespace

QuarryLoader &QuarryLoader::instance()
{
    static QuarryLoader loader;
    return loader;
}

bool QuarryLoader::Load()
{
    MIRT_Guard guard(m_lock);
    if (m_referenceCount.load() > 0) {
        ++m_referenceCount;
        return true;
    }
    void *handle = nullptr;
    QString loadedFrom;
    for (const QString &path : candidatePaths()) {
        handle = MIRT_LoadDSo(QFile::encodeName(path).constData());
        if (handle != nullptr) {
            loadedFrom = path;
            break;
        }
    }
    if (handle == nullptr) {
        qCDebug(lcDiscovery, "Load QUARRY failed! err:%d", MIRT_GetLastError());
        return false;
    }
    // A loaded library cannot change, so its entry points are looked up once.
    EntryPoints entries;
    entries.start = entryPoint<QUARRY_StartProc>(handle, "QUARRY_Start");
    entries.stop = entryPoint<QUARRY_StopProc>(handle, "QUARRY_Stop");
    entries.sendUpdateIp = entryPoint<QUARRY_SendUpdateIpProc>(handle, "QUARRY_SendUpdateIp");
    {
        std::lock_guard<std::mutex> lock(m_callLock);
        m_entries = entries;
    }
    m_path = loadedFrom;
    m_handle.store(handle);
    m_referenceCount.store(1);
    return true;
}

bool QuarryLoader::Unload()
{
    MIRT_Guard guard(m_lock);
    if (m_referenceCount.load() == 0) {
        return true;
    }
    if (m_referenceCount.load() > 1) {
        --m_referenceCount;
        return true;
    }
    EntryPoints entries;
    {
        std::unique_lock<std::mutex> lock(m_callLock);
        // No call begins from here on; the ones under way run to their end.
        entries = std::exchange(m_entries, EntryPoints());
        m_callsDone.wait(lock, [this] { return m_calls == 0; });
    }
    // Unmapping the code of a running listener thread would crash the
    // process; stopping an idle library is harmless. The library refuses
    // only a stop from its own callback, which is running its code.
    if (entries.stop != nullptr && entries.stop() != 1) {
        qCDebug(lcDiscovery, "QUARRY: not unloaded, the library could not be stopped");
        std::lock_guard<std::mutex> lock(m_callLock);
        m_entries = entries;
        return false;
    }
    void *handle = m_handle.exchange(nullptr);
    MIRT_UnloadDSo(handle);
    m_path.clear();
    m_referenceCount.store(0);
    return true;
}

bool QuarryLoader::HasPacketLibrary() const
{
    return true;
}

QString QuarryLoader::libraryPath() const
{
    MIRT_Guard guard(m_lock);
    return m_path;
}

int QuarryLoader::callsInProgress() const
{
    std::lock_guard<std::mutex> lock(m_callLock);
    return m_calls;
}

template<typename Proc, typename... Args>
int32_t QuarryLoader::call(Proc EntryPoints::*entry, Args... args)
{
    Proc proc = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_callLock);
        proc = m_entries.*entry;
        if (proc == nullptr) {
            return 0;
        }
        ++m_calls;
    }
    const int32_t result = proc(args...);
    std::lock_guard<std::mutex> lock(m_callLock);
    if (--m_calls == 0) {
        m_callsDone.notify_all();
    }
    return result;
}

int32_t QuarryLoader::start(QUARRY_DeviceCallback callback)
{
    return call(&EntryPoints::start, callback);
}

int32_t QuarryLoader::stop()
{
    return call(&EntryPoints::stop);
}

int32_t QuarryLoader::sendUpdateIp(const char *mac, const char *newIp, const char *newMask,
    const char *password, const char *newPort)
{
    return call(&EntryPoints::sendUpdateIp, mac, newIp, newMask, password, newPort);
}

int32_t Quarry_Start(QUARRY_DeviceCallback callback)
{
    return QuarryLoader::instance().start(callback);
}

int32_t Quarry_Stop()
{
    return QuarryLoader::instance().stop();
}

int32_t Quarry_SendUpdateIp(const char *mac, const char *newIp, const char *newMask,
    const char *password, const char *newPort)
{
    return QuarryLoader::instance().sendUpdateIp(mac, newIp, newMask, password, newPort);
}
