#ifndef MIRT_INTERNAL_H
#define MIRT_INTERNAL_H

#include <pthread.h>
#include <stddef.h>

namespace mirt {

// Starts a joinable thread with the given stack (0: MIRT_DEFAULT_STACK_SIZE).
// Returns 0 or the error code, which is also left in errno.
int startThread(pthread_t *thread, void *(*proc)(void *), void *arg, size_t stackSize);

} // namespace mirt

#endif
