/*
 * mirt: the portability runtime. Threads, semaphores, mutexes, a thread pool,
 * atomics, dynamic loading, address helpers, sleep and debug output behind one
 * small C API, so that nothing outside this library names an operating-system
 * call.
 */
#ifndef MIRT_H
#define MIRT_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Start-up and shut-down of the runtime; both may be called more than once. */
int MIRT_Init(void);
void MIRT_Fini(void);

/* Threads. The procedure's result is handed back by MIRT_Thread_Wait. */
typedef struct MIRT_ThreadRec *MIRT_Thread;
typedef void *(*MIRT_ThreadProc)(void *arg);
#define MIRT_DEFAULT_STACK_SIZE (1024 * 1024)
/* Returns NULL when the thread could not be started. */
MIRT_Thread MIRT_Thread_Create(MIRT_ThreadProc proc, void *arg, size_t stackSize);
/* Joins the thread and frees the handle; 0 on success. */
int MIRT_Thread_Wait(MIRT_Thread thread, void **result);

/* Counting semaphores. */
typedef struct MIRT_SemRec *MIRT_Sem;
MIRT_Sem MIRT_SemCreate(unsigned int initialCount);
int MIRT_SemPost(MIRT_Sem sem);
/* 0 when the semaphore was obtained within timeoutMs, non-zero on time-out. */
int MIRT_SemTimedWait(MIRT_Sem sem, unsigned int timeoutMs);
void MIRT_SemDestroy(MIRT_Sem sem);

/* Mutexes (not recursive). */
typedef struct MIRT_MutexRec *MIRT_MutexHandle;
MIRT_MutexHandle MIRT_MutexCreate(void);
int MIRT_MutexLock(MIRT_MutexHandle mutex);
int MIRT_MutexUnlock(MIRT_MutexHandle mutex);
void MIRT_MutexDestroy(MIRT_MutexHandle mutex);

/* Thread pool. Work items run in submission order as workers come free. */
typedef struct MIRT_ThreadPoolRec *MIRT_ThreadPool;
typedef void *(*MIRT_WorkProc)(void *arg);
/* Most workers one pool runs at once for items submitted as blocking. */
#define MIRT_THREADPOOL_MAX_BLOCKING_WORKERS 320
/* initialThreads: workers started at once and kept while idle; more start on
 * demand and retire when idle. flags: reserved, pass 1. */
MIRT_ThreadPool MIRT_ThreadPool_Create(unsigned int initialThreads, unsigned int flags);
/* Queues one item; blocking: 1 when the item may block on the network.
 * Returns 0 when queued, non-zero when the pool refuses (destroyed, no memory). */
int MIRT_ThreadPool_WorkEx(MIRT_ThreadPool pool, MIRT_WorkProc proc, void *arg, int blocking);
/* Drops items not yet started, waits for running items, frees the pool.
 * Submissions made while it runs are refused. Never call it from a work item. */
void MIRT_ThreadPool_Destroy(MIRT_ThreadPool pool);
/* Optional: called by MIRT_ThreadPool_Destroy with the argument of every item
 * it drops, so that arguments an item would have freed itself are not lost. */
typedef void (*MIRT_DropProc)(void *arg);
void MIRT_ThreadPool_SetDropProc(MIRT_ThreadPool pool, MIRT_DropProc drop);

/* Atomics: returns the incremented value. */
int32_t MIRT_AtomicInc(volatile int32_t *value);
int32_t MIRT_AtomicDec(volatile int32_t *value);

/* Dynamic libraries. MIRT_GetLastError gives the last system error of this thread. */
void *MIRT_LoadDSo(const char *path);
void *MIRT_GetDsoSym(void *handle, const char *name);
/* 0 on success. */
int MIRT_UnloadDSo(void *handle);
int MIRT_GetLastError(void);

/* Addresses. Only MIRT_AF_INET is supported. */
#define MIRT_AF_INET 2
/* 1 when src is a dotted IPv4 address (written to dst in network order), 0 otherwise. */
int MIRT_InetPton(int family, const char *src, void *dst);
/* dst on success, NULL when size is too small. */
const char *MIRT_InetNtop(int family, const void *src, char *dst, size_t size);
uint32_t MIRT_Htonl(uint32_t host);
uint32_t MIRT_Ntohl(uint32_t net);

void MIRT_Sleep(unsigned int milliseconds);

/* printf-style debug line to standard error, for developers only: written
   when the environment variable TERVIX_DEBUG is 1, silent otherwise. */
void MIRT_OutputDebug(const char *format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

#ifdef __cplusplus
}

/* Scoped helpers for C++ callers. */
class MIRT_Mutex
{
public:
    MIRT_Mutex() : m_handle(MIRT_MutexCreate()) {}
    ~MIRT_Mutex() { MIRT_MutexDestroy(m_handle); }
    MIRT_Mutex(const MIRT_Mutex &) = delete;
    MIRT_Mutex &operator=(const MIRT_Mutex &) = delete;
    void Lock() { MIRT_MutexLock(m_handle); }
    void Unlock() { MIRT_MutexUnlock(m_handle); }

private:
    MIRT_MutexHandle m_handle;
};

class MIRT_Guard
{
public:
    explicit MIRT_Guard(MIRT_Mutex &mutex) : m_mutex(mutex) { m_mutex.Lock(); }
    ~MIRT_Guard() { m_mutex.Unlock(); }
    MIRT_Guard(const MIRT_Guard &) = delete;
    MIRT_Guard &operator=(const MIRT_Guard &) = delete;

private:
    MIRT_Mutex &m_mutex;
};
#endif

#endif /* MIRT_H */
