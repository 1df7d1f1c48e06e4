#include "shell/mode_arguments.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "console/console.h"
#include "shell/headless_modes.h"

bool archiveReadable(const char* archive) {
    if (!archive) return true;
    FILE* file = std::fopen(archive, "rb");
    int error = errno;
    if (file) {
        // Opening a folder succeeds; its first read fails.
        std::fgetc(file);
        error = std::ferror(file) ? errno : 0;
        std::fclose(file);
    }
    if (!file || error != 0) {
        consolePrintf("%s cannot be read: %s\n", archive, std::strerror(error));
        return false;
    }
    return true;
}

const char* headlessUsage() {
    return "Without a display:\n"
           "  --render OUT.png [--pose POSEFILE] [ARCHIVE]...  the three views in one PNG; with\n"
           "                    several archives OUT is a folder holding NAME.png for each\n"
           "  --texture OUT.png [ARCHIVE]                       the texture page as an RGBA PNG\n"
           "  --info [--json] [ARCHIVE]                         what the archive holds\n";
}
