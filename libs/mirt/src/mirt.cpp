#include "mirt.h"
#include "mirt_internal.h"

#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dlfcn.h>
#include <limits.h>
#include <memory>
#include <mutex>
#include <new>
#include <unistd.h>

namespace {

std::atomic<int> initCount { 0 };

} // namespace

int MIRT_Init(void)
{
    if (initCount.fetch_add(1) == 0) {
        // A peer that closes a connection while we write to it must give an
        // error code, not end the process (as it does on Windows). Only a
        // default disposition is changed, never a handler the host installed.
        struct sigaction current = {};
        if (sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
            signal(SIGPIPE, SIG_IGN);
        }
    }
    return 0;
}

void MIRT_Fini(void)
{
    int count = initCount.load();
    while (count > 0 && !initCount.compare_exchange_weak(count, count - 1)) { }
}

// ---------------------------------------------------------------------------
// Threads

struct MIRT_ThreadRec
{
    pthread_t thread;
};

int mirt::startThread(pthread_t *thread, void *(*proc)(void *), void *arg, size_t stackSize)
{
    if (stackSize == 0) {
        stackSize = MIRT_DEFAULT_STACK_SIZE;
    }
    if (stackSize < static_cast<size_t>(PTHREAD_STACK_MIN)) {
        stackSize = PTHREAD_STACK_MIN;
    }
    const long page = sysconf(_SC_PAGESIZE);
    if (page > 0) {
        const size_t pageSize = static_cast<size_t>(page);
        stackSize = (stackSize + pageSize - 1) / pageSize * pageSize;
    }
    pthread_attr_t attr;
    int rc = pthread_attr_init(&attr);
    if (rc == 0) {
        rc = pthread_attr_setstacksize(&attr, stackSize);
        if (rc == 0) {
            rc = pthread_create(thread, &attr, proc, arg);
        }
        pthread_attr_destroy(&attr);
    }
    errno = rc;
    return rc;
}

MIRT_Thread MIRT_Thread_Create(MIRT_ThreadProc proc, void *arg, size_t stackSize)
{
    if (proc == nullptr) {
        errno = EINVAL;
        return nullptr;
    }
    auto *rec = new (std::nothrow) MIRT_ThreadRec;
    if (rec == nullptr) {
        errno = ENOMEM;
        return nullptr;
    }
    if (mirt::startThread(&rec->thread, proc, arg, stackSize) != 0) {
        const int error = errno;
        delete rec;
        errno = error;
        return nullptr;
    }
    return rec;
}

int MIRT_Thread_Wait(MIRT_Thread thread, void **result)
{
    if (thread == nullptr) {
        errno = EINVAL;
        return EINVAL;
    }
    void *value = nullptr;
    const int rc = pthread_join(thread->thread, &value);
    if (rc != 0) {
        errno = rc;
        return rc;
    }
    delete thread;
    if (result != nullptr) {
        *result = value;
    }
    return 0;
}

// ---------------------------------------------------------------------------
// Semaphores: a counter under a mutex. The condition variable waits on the
// monotonic clock, so a change of the wall clock neither shortens nor
// stretches a time-out.

struct MIRT_SemRec
{
    std::mutex lock;
    std::condition_variable posted;
    unsigned int count = 0;
};

MIRT_Sem MIRT_SemCreate(unsigned int initialCount)
{
    auto *sem = new (std::nothrow) MIRT_SemRec;
    if (sem == nullptr) {
        errno = ENOMEM;
        return nullptr;
    }
    sem->count = initialCount;
    return sem;
}

int MIRT_SemPost(MIRT_Sem sem)
{
    if (sem == nullptr) {
        errno = EINVAL;
        return -1;
    }
    {
        std::lock_guard guard(sem->lock);
        if (sem->count == UINT_MAX) {
            errno = EOVERFLOW;
            return -1;
        }
        ++sem->count;
    }
    sem->posted.notify_one();
    return 0;
}

int MIRT_SemTimedWait(MIRT_Sem sem, unsigned int timeoutMs)
{
    if (sem == nullptr) {
        errno = EINVAL;
        return -1;
    }
    std::unique_lock guard(sem->lock);
    if (!sem->posted.wait_for(
            guard, std::chrono::milliseconds(timeoutMs), [sem] { return sem->count > 0; })) {
        errno = ETIMEDOUT;
        return 1;
    }
    --sem->count;
    return 0;
}

void MIRT_SemDestroy(MIRT_Sem sem)
{
    delete sem;
}

// ---------------------------------------------------------------------------
// Mutexes

struct MIRT_MutexRec
{
    std::mutex mutex;
};

MIRT_MutexHandle MIRT_MutexCreate(void)
{
    auto *mutex = new (std::nothrow) MIRT_MutexRec;
    if (mutex == nullptr) {
        errno = ENOMEM;
    }
    return mutex;
}

int MIRT_MutexLock(MIRT_MutexHandle mutex)
{
    if (mutex == nullptr) {
        errno = EINVAL;
        return -1;
    }
    mutex->mutex.lock();
    return 0;
}

int MIRT_MutexUnlock(MIRT_MutexHandle mutex)
{
    if (mutex == nullptr) {
        errno = EINVAL;
        return -1;
    }
    mutex->mutex.unlock();
    return 0;
}

void MIRT_MutexDestroy(MIRT_MutexHandle mutex)
{
    delete mutex;
}

// ---------------------------------------------------------------------------
// Atomics

int32_t MIRT_AtomicInc(volatile int32_t *value)
{
    return __atomic_add_fetch(value, 1, __ATOMIC_SEQ_CST);
}

int32_t MIRT_AtomicDec(volatile int32_t *value)
{
    return __atomic_sub_fetch(value, 1, __ATOMIC_SEQ_CST);
}

// ---------------------------------------------------------------------------
// Dynamic libraries

void *MIRT_LoadDSo(const char *path)
{
    if (path == nullptr || *path == '\0') {
        errno = EINVAL;
        return nullptr;
    }
    void *handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        // dlopen does not set errno reliably; callers print the code, so give
        // them one that tells "not there" from "there but unusable".
        const bool exists = access(path, F_OK) == 0;
        MIRT_OutputDebug("MIRT_LoadDSo: %s\n", dlerror());
        errno = exists ? ELIBBAD : ENOENT;
    }
    return handle;
}

void *MIRT_GetDsoSym(void *handle, const char *name)
{
    if (handle == nullptr || name == nullptr) {
        errno = EINVAL;
        return nullptr;
    }
    dlerror();
    void *symbol = dlsym(handle, name);
    if (symbol == nullptr) {
        errno = ENOENT;
    }
    return symbol;
}

int MIRT_UnloadDSo(void *handle)
{
    if (handle == nullptr) {
        errno = EINVAL;
        return -1;
    }
    if (dlclose(handle) != 0) {
        errno = ELIBBAD;
        return -1;
    }
    return 0;
}

int MIRT_GetLastError(void)
{
    return errno;
}

// ---------------------------------------------------------------------------
// Addresses

int MIRT_InetPton(int family, const char *src, void *dst)
{
    if (family != MIRT_AF_INET) {
        errno = EAFNOSUPPORT;
        return 0;
    }
    if (src == nullptr || dst == nullptr) {
        return 0;
    }
    // Four decimal parts separated by single dots, nothing before or after.
    // Leading zeros are read as decimal ("192.168.001.010" is 192.168.1.10),
    // never as octal: that is how people type padded addresses.
    unsigned char bytes[4];
    const char *p = src;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (*p != '.') {
                return 0;
            }
            ++p;
        }
        if (*p < '0' || *p > '9') {
            return 0;
        }
        unsigned int value = 0;
        while (*p >= '0' && *p <= '9') {
            value = value * 10 + static_cast<unsigned int>(*p - '0');
            if (value > 255) {
                return 0;
            }
            ++p;
        }
        bytes[part] = static_cast<unsigned char>(value);
    }
    if (*p != '\0') {
        return 0;
    }
    auto *out = static_cast<unsigned char *>(dst);
    for (int i = 0; i < 4; ++i) {
        out[i] = bytes[i];
    }
    return 1;
}

const char *MIRT_InetNtop(int family, const void *src, char *dst, size_t size)
{
    if (family != MIRT_AF_INET) {
        errno = EAFNOSUPPORT;
        return nullptr;
    }
    if (src == nullptr || dst == nullptr) {
        errno = EINVAL;
        return nullptr;
    }
    const auto *b = static_cast<const unsigned char *>(src);
    char text[16];
    const int length = std::snprintf(text, sizeof text, "%u.%u.%u.%u", b[0], b[1], b[2], b[3]);
    if (length < 0 || static_cast<size_t>(length) >= size) {
        errno = ENOSPC;
        return nullptr;
    }
    for (int i = 0; i <= length; ++i) {
        dst[i] = text[i];
    }
    return dst;
}

uint32_t MIRT_Htonl(uint32_t host)
{
    return htonl(host);
}

uint32_t MIRT_Ntohl(uint32_t net)
{
    return ntohl(net);
}

// ---------------------------------------------------------------------------
// Sleep and debug output

void MIRT_Sleep(unsigned int milliseconds)
{
    timespec rest { static_cast<time_t>(milliseconds / 1000),
        static_cast<long>(milliseconds % 1000) * 1000000L };
    while (nanosleep(&rest, &rest) != 0 && errno == EINTR) { }
}

namespace {

// Read once: debug lines are a developer's choice for the whole run.
bool debugLinesWanted()
{
    static const bool wanted = [] {
        const char *value = std::getenv("TERVIX_DEBUG");
        return value != nullptr && std::strcmp(value, "1") == 0;
    }();
    return wanted;
}

} // namespace

void MIRT_OutputDebug(const char *format, ...)
{
    if (format == nullptr || !debugLinesWanted()) {
        return;
    }
    const int savedErrno = errno; // callers print MIRT_GetLastError() after us
    char small[512];
    std::unique_ptr<char[]> large;
    char *text = small;

    va_list args;
    va_start(args, format);
    int length = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    if (length < 0) {
        errno = savedErrno;
        return;
    }
    if (static_cast<size_t>(length) >= sizeof small) {
        large.reset(new (std::nothrow) char[static_cast<size_t>(length) + 1]);
        if (large) {
            va_start(args, format);
            std::vsnprintf(large.get(), static_cast<size_t>(length) + 1, format, args);
            va_end(args);
            text = large.get();
        } else {
            length = sizeof small - 1;
        }
    }
    // One write per line, so lines from several threads never interleave.
    size_t done = 0;
    while (done < static_cast<size_t>(length)) {
        const ssize_t n = write(STDERR_FILENO, text + done, static_cast<size_t>(length) - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        done += static_cast<size_t>(n);
    }
    errno = savedErrno;
}
