// Loaded with LD_PRELOAD into the viewer, takes inotify away as a system may: NO_INOTIFY=init
// makes inotify_init1 fail (no inotify at all), NO_INOTIFY=watches makes inotify_add_watch fail
// with ENOSPC (the user's watches used up). Anything else leaves both to the C library.
#include <dlfcn.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

bool takenAway(const char* how) {
    const char* chosen = std::getenv("NO_INOTIFY");
    return chosen && std::strcmp(chosen, how) == 0;
}

template <typename Function>
Function next(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" int inotify_init1(int flags) {
    if (takenAway("init")) {
        errno = ENOSYS;
        return -1;
    }
    return next<int (*)(int)>("inotify_init1")(flags);
}

extern "C" int inotify_add_watch(int fd, const char* path, uint32_t mask) {
    if (takenAway("watches")) {
        errno = ENOSPC;
        return -1;
    }
    return next<int (*)(int, const char*, uint32_t)>("inotify_add_watch")(fd, path, mask);
}
