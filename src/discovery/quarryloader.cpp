#include "quarryloader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

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

template<typename Proc> Proc entryPoint(const char *name)
{
    void *handle = QuarryLoader::instance().handle();
    if (handle == nullptr) {
        return nullptr;
    }
    void *symbol = MIRT_GetDsoSym(handle, name);
    if (symbol == nullptr) {
        MIRT_OutputDebug("Find entry point of %s failed!\n", name);
        return nullptr;
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
    if (m_referenceCount > 0) {
        ++m_referenceCount;
        return true;
    }
    if (m_handle.load() == nullptr) {
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
            MIRT_OutputDebug("Load QUARRY failed! err:%d\n", MIRT_GetLastError());
            return false;
        }
        m_path = loadedFrom;
        m_handle.store(handle);
    }
    ++m_referenceCount;
    return true;
}

bool QuarryLoader::Unload()
{
    MIRT_Guard guard(m_lock);
    if (m_referenceCount == 0) {
        return true;
    }
    if (m_referenceCount > 1) {
        --m_referenceCount;
        return true;
    }
    void *handle = m_handle.load();
    if (handle != nullptr) {
        // Unmapping the code of a running listener thread would crash the
        // process; stopping an idle library is harmless.
        if (auto stop = reinterpret_cast<QUARRY_StopProc>(MIRT_GetDsoSym(handle, "QUARRY_Stop"))) {
            stop();
        }
        m_handle.store(nullptr);
        MIRT_UnloadDSo(handle);
    }
    m_path.clear();
    m_referenceCount = 0;
    return true;
}

bool QuarryLoader::HasPacketLibrary() const
{
    return true;
}

int QuarryLoader::referenceCount() const
{
    MIRT_Guard guard(m_lock);
    return m_referenceCount;
}

QString QuarryLoader::libraryPath() const
{
    MIRT_Guard guard(m_lock);
    return m_path;
}

int32_t Quarry_Start(QUARRY_DeviceCallback callback)
{
    const auto start = entryPoint<QUARRY_StartProc>("QUARRY_Start");
    return start != nullptr ? start(callback) : 0;
}

int32_t Quarry_Stop()
{
    const auto stop = entryPoint<QUARRY_StopProc>("QUARRY_Stop");
    return stop != nullptr ? stop() : 0;
}

int32_t Quarry_SendUpdateIp(const char *mac, const char *newIp, const char *newMask,
    const char *password, const char *newPort)
{
    const auto update = entryPoint<QUARRY_SendUpdateIpProc>("QUARRY_SendUpdateIp");
    return update != nullptr ? update(mac, newIp, newMask, password, newPort) : 0;
}
