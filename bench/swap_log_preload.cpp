// Preloaded into the viewer (LD_PRELOAD) by real_viewer_startup.sh: logs every buffer swap with
// its time since the library was loaded, which is at the start of the process, and its window,
// to the file named by VELDRAXIS_SWAP_LOG. Nothing else changes in the viewer.

#include <GL/glx.h>
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

timespec processStart;
FILE* swapLog = nullptr;

__attribute__((constructor)) void openSwapLog() {
    clock_gettime(CLOCK_MONOTONIC, &processStart);
    if (const char* path = std::getenv("VELDRAXIS_SWAP_LOG")) swapLog = std::fopen(path, "w");
}

double msSinceStart() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return 1e3 * static_cast<double>(now.tv_sec - processStart.tv_sec) +
           1e-6 * static_cast<double>(now.tv_nsec - processStart.tv_nsec);
}

}  // namespace

extern "C" void glXSwapBuffers(Display* display, GLXDrawable drawable) {
    using Swap = void (*)(Display*, GLXDrawable);
    static const Swap realSwap = reinterpret_cast<Swap>(dlsym(RTLD_NEXT, "glXSwapBuffers"));
    if (realSwap) realSwap(display, drawable);
    if (swapLog) {
        std::fprintf(swapLog, "%.3f %lu\n", msSinceStart(), static_cast<unsigned long>(drawable));
        std::fflush(swapLog);
    }
}
