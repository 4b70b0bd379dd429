// Tasks and mutexes of the platform library: thin wrappers over POSIX threads.
#include "platform/tqstd.h"

#include <sys/prctl.h>

#include <cstring>

int tq_task_create_join(tq_task_t* task, tq_task_fn fn, void* arg) {
    if (!task || !fn) return -1;
    return pthread_create(task, nullptr, fn, arg) == 0 ? 0 : -1;
}

int tq_task_set_name(const char* name) {
    if (!name) return -1;
    // The kernel keeps 15 characters; a longer name is cut, not refused.
    char buf[16];
    std::strncpy(buf, name, sizeof buf - 1);
    buf[sizeof buf - 1] = '\0';
    return prctl(PR_SET_NAME, buf, 0, 0, 0) == 0 ? 0 : -1;
}

int tq_task_join(tq_task_t task) { return pthread_join(task, nullptr) == 0 ? 0 : -1; }

int tq_mutex_init(tq_mutex_t* m) { return m && pthread_mutex_init(m, nullptr) == 0 ? 0 : -1; }
int tq_mutex_lock(tq_mutex_t* m) { return m && pthread_mutex_lock(m) == 0 ? 0 : -1; }
int tq_mutex_unlock(tq_mutex_t* m) { return m && pthread_mutex_unlock(m) == 0 ? 0 : -1; }
int tq_mutex_destroy(tq_mutex_t* m) { return m && pthread_mutex_destroy(m) == 0 ? 0 : -1; }
