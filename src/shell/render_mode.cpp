// --render OUT.png [--pose POSEFILE] [ARCHIVE]...: the three views of each archive, every part
// shown and the whole model selected, drawn off-screen into one PNG per archive.

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "console/console.h"
#include "model/model.h"
#include "model/model_state.h"
#include "model/part_mesh.h"
#include "model/pose_file.h"
#include "shell/headless_modes.h"
#include "shell/mode_arguments.h"
#include "shell/model_loading.h"
#include "shell/offscreen_context.h"
#include "shell/output_file.h"
#include "shell/view_sheet.h"

namespace {

struct RenderRequest {
    std::string output;
    const char* pose = nullptr;
    std::vector<const char*> archives;  // empty: the demo model
};

bool parseRequest(const std::vector<std::string>& args, RenderRequest& request) {
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--pose" && i + 1 < args.size() && !request.pose) {
            request.pose = args[++i].c_str();
        } else if (isOption(args[i])) {
            return false;
        } else if (request.output.empty()) {
            request.output = args[i];
        } else {
            request.archives.push_back(args[i].c_str());
        }
    }
    return !request.output.empty();
}

// "models/robot.bin" gives "robot".
std::string stemOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return name;
}

bool ensureFolder(const std::string& folder) {
    if (::mkdir(folder.c_str(), 0777) == 0 || errno == EEXIST) {
        struct stat info {};
        if (::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return true;
        errno = ENOTDIR;
    }
    consolePrintf("%s cannot be used as the output folder: %s\n", folder.c_str(),
                  std::strerror(errno));
    return false;
}

// One archive (nullptr: the demo) into one PNG; 0, or 1 with a line naming what failed.
int renderArchive(const OffscreenDisplay& display, const char* archive, const char* pose,
                  const std::string& output) {
    if (!archiveReadable(archive)) return 1;
    resetModelState();
    Model model;
    loadModel(model, archive);
    if (pose && loadPoseFile(*rootNode, pose) != 0) return 1;  // it printed its own line
    for (PartMesh* part : partList) part->setVisible(1);
    selectedBone = 0;

    ViewSheet sheet;
    std::string error;
    if (!drawViewSheet(display, model, sheet, error)) {
        consolePrintf("Off-screen drawing failed: %s\n", error.c_str());
        return 1;
    }
    if (!writePngFile(output, ViewSheet::kWidth, ViewSheet::kHeight, 3, sheet.rgb, error)) {
        consolePrintf("%s cannot be written: %s\n", output.c_str(), error.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int runRenderMode(const std::vector<std::string>& args) {
    RenderRequest request;
    if (!parseRequest(args, request)) {
        consolePrintf("usage: --render OUT.png [--pose POSEFILE] [ARCHIVE]...\n");
        return 2;
    }
    OffscreenDisplay display;
    std::string error;
    if (!display.open(error)) {
        consolePrintf("Off-screen drawing is not available: %s\n", error.c_str());
        return 1;
    }
    if (request.archives.size() <= 1) {
        const char* archive = request.archives.empty() ? nullptr : request.archives[0];
        return renderArchive(display, archive, request.pose, request.output);
    }
    // Several archives: OUT is a folder with one picture per archive; a bad archive does not
    // stop the others.
    if (!ensureFolder(request.output)) return 1;
    int status = 0;
    for (const char* archive : request.archives) {
        const std::string picture = request.output + "/" + stemOf(archive) + ".png";
        if (renderArchive(display, archive, request.pose, picture) != 0) status = 1;
    }
    return status;
}
