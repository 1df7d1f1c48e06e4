#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "console/console.h"
#include "shell/export_mode.h"
#include "shell/headless_modes.h"
#include "shell/startup.h"

namespace {

void printUsage(const char* program) {
    std::printf(
        "Usage: %s [GLUT options] [ARCHIVE]\n"
        "Shows the model archive ARCHIVE (the built-in demo model when none is given) in a main,\n"
        "a side and an up view, with a control panel. See README.md for the mouse, keys and "
        "menu.\n"
        "\n"
        "Usage: %s --export OUT [--pose POSEFILE]... [ARCHIVE]\n"
        "Writes ARCHIVE (the demo model when none is given) as glTF 2.0 to OUT, binary when OUT\n"
        "ends in .glb, JSON with everything embedded when it ends in .gltf: the skeleton, the\n"
        "meshes skinned to it, the texture page and the pose. The pose is the archive's own,\n"
        "or the first POSEFILE loaded onto it as \"Load matrix\" loads it; two or more\n"
        "POSEFILEs also make the animation \"poses\", one pose file a second. No window or\n"
        "display is needed. Prints \"Export glTF : OUT\" and exits 0; on a failure one line on\n"
        "standard error and exit status 1, nothing written.\n\n%s",
        program, program, headlessUsage());
}

// The modes that need no display, by their option.
using ModeRunner = int (*)(const std::vector<std::string>&);
ModeRunner headlessMode(const char* option) {
    if (std::strcmp(option, "--render") == 0) return runRenderMode;
    if (std::strcmp(option, "--texture") == 0) return runTextureMode;
    if (std::strcmp(option, "--info") == 0) return runInfoMode;
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    // Console lines must show at once, also when standard output is a pipe or a file.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (argc > 1 && (std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0)) {
        printUsage(argv[0]);
        return 0;
    }
    if (argc > 1 && std::strcmp(argv[1], kExportOption) == 0) return runExportMode(argc, argv);
    if (argc > 1) {
        if (ModeRunner run = headlessMode(argv[1])) {
            setConsoleTarget(ConsoleTarget::StandardError);
            return run(std::vector<std::string>(argv + 2, argv + argc));
        }
    }
    return runViewer(argc, argv);
}
