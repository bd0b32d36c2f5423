/* Counts heap, lock and wait calls while a test host has the watch on (between tarn_watch_begin
 * and tarn_watch_end, on the thread that called them: the process call's), for a library
 * preloaded into that host. A plug-in's own threads (Contour4 builds a program on one) are free
 * to lock and allocate. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <pthread.h>
#include <semaphore.h>
#include <stdatomic.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

enum { MALLOC, CALLOC, REALLOC, FREE, MUTEX_LOCK, MUTEX_TRYLOCK, COND_WAIT, SEM_WAIT, NANOSLEEP, USLEEP, KINDS };
static const char* const kNames[KINDS] = {"malloc", "calloc", "realloc", "free", "pthread_mutex_lock",
                                          "pthread_mutex_trylock", "pthread_cond_wait", "sem_wait",
                                          "nanosleep", "usleep"};
/* Initial-exec: the library is preloaded, and the default model could allocate on first use. */
static __thread int watching __attribute__((tls_model("initial-exec")));
static atomic_long counts[KINDS];

static void count(int kind) {
    if (watching) atomic_fetch_add(&counts[kind], 1);
}

void tarn_watch_begin(void) { watching = 1; }
void tarn_watch_end(void) { watching = 0; }

/* "malloc 0, calloc 0, ..." into text; returns the number of calls counted that can allocate or
 * wait. A try-lock is shown but not counted there: it never waits. DPF's CLAP plug-ins with a
 * window try the lock of the window's parameter queue in every process call and skip the queue
 * when the window holds it. */
int tarn_watch_counts(char* text, int size) {
    long total = 0;
    int used = 0;
    for (int k = 0; k < KINDS; ++k) {
        const long n = atomic_load(&counts[k]);
        if (k != MUTEX_TRYLOCK) total += n;
        if (used < size) used += snprintf(text + used, (size_t)(size - used), "%s%s %ld", k ? ", " : "", kNames[k], n);
    }
    return (int)total;
}

/* calloc is asked for by dlsym itself before the real one is known: those come from here. */
static char bootstrap[4096];
static size_t bootstrapUsed;
static void* (*realMalloc)(size_t);
static void* (*realCalloc)(size_t, size_t);
static void* (*realRealloc)(void*, size_t);
static void (*realFree)(void*);
static int (*realLock)(pthread_mutex_t*);
static int (*realTrylock)(pthread_mutex_t*);
static int (*realCondWait)(pthread_cond_t*, pthread_mutex_t*);
static int (*realSemWait)(sem_t*);
static int (*realNanosleep)(const struct timespec*, struct timespec*);
static int (*realUsleep)(useconds_t);
static int resolving;

static void resolve(void) {
    if (realMalloc != NULL || resolving) return;
    resolving = 1;
    realCalloc = dlsym(RTLD_NEXT, "calloc");
    realRealloc = dlsym(RTLD_NEXT, "realloc");
    realFree = dlsym(RTLD_NEXT, "free");
    realLock = dlsym(RTLD_NEXT, "pthread_mutex_lock");
    realTrylock = dlsym(RTLD_NEXT, "pthread_mutex_trylock");
    realCondWait = dlsym(RTLD_NEXT, "pthread_cond_wait");
    realSemWait = dlsym(RTLD_NEXT, "sem_wait");
    realNanosleep = dlsym(RTLD_NEXT, "nanosleep");
    realUsleep = dlsym(RTLD_NEXT, "usleep");
    realMalloc = dlsym(RTLD_NEXT, "malloc");
    resolving = 0;
}

void* malloc(size_t n) { resolve(); count(MALLOC); return realMalloc(n); }
void* calloc(size_t a, size_t b) {
    if (realCalloc == NULL) {
        const size_t n = (a * b + 15) & ~(size_t)15;
        if (bootstrapUsed + n > sizeof bootstrap) return NULL;
        void* p = bootstrap + bootstrapUsed;
        bootstrapUsed += n;
        return p;
    }
    count(CALLOC);
    return realCalloc(a, b);
}
void* realloc(void* p, size_t n) { resolve(); count(REALLOC); return realRealloc(p, n); }
void free(void* p) {
    if ((char*)p >= bootstrap && (char*)p < bootstrap + sizeof bootstrap) return;
    resolve();
    count(FREE);
    realFree(p);
}
int pthread_mutex_lock(pthread_mutex_t* m) { resolve(); count(MUTEX_LOCK); return realLock(m); }
int pthread_mutex_trylock(pthread_mutex_t* m) { resolve(); count(MUTEX_TRYLOCK); return realTrylock(m); }
int pthread_cond_wait(pthread_cond_t* c, pthread_mutex_t* m) { resolve(); count(COND_WAIT); return realCondWait(c, m); }
int sem_wait(sem_t* s) { resolve(); count(SEM_WAIT); return realSemWait(s); }
int nanosleep(const struct timespec* a, struct timespec* b) { resolve(); count(NANOSLEEP); return realNanosleep(a, b); }
int usleep(useconds_t u) { resolve(); count(USLEEP); return realUsleep(u); }
