#include "shell/export_mode.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "console/console.h"
#include "export/gltf_export.h"
#include "model/bone_node.h"
#include "model/model.h"
#include "model/model_state.h"
#include "model/pose_file.h"
#include "shell/model_loading.h"
#include "texture/texture_page.h"

namespace {

struct ExportArguments {
    std::string output;
    std::vector<std::string> poseFiles;
    const char* archive = nullptr;  // null: the demo model
};

int usageError(const char* program, const char* problem) {
    consolePrintf("%s\nUsage: %s --export OUT.glb|OUT.gltf [--pose POSEFILE]... [ARCHIVE]\n",
                  problem, program);
    return 2;
}

// 0 when argv parses, else the exit status of the usage error it printed.
int parseArguments(int argc, char** argv, ExportArguments& args) {
    if (argc < 3) return usageError(argv[0], "--export needs the output file");
    args.output = argv[2];
    if (!isGltfExportPath(args.output)) {
        return usageError(argv[0], "The output file must end in .glb or .gltf");
    }
    for (int i = 3; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--pose") {
            if (i + 1 >= argc) return usageError(argv[0], "--pose needs a pose file");
            args.poseFiles.push_back(argv[++i]);
        } else if (!arg.empty() && arg[0] == '-') {
            return usageError(argv[0], ("Unknown option " + arg).c_str());
        } else if (args.archive) {
            return usageError(argv[0], "Give at most one archive");
        } else {
            args.archive = argv[i];
        }
    }
    return 0;
}

// The reason a file cannot be opened for reading, or "" when it can.
std::string unreadableReason(const char* path) {
    FILE* file = std::fopen(path, "rb");
    if (!file) return std::strerror(errno);
    std::fclose(file);
    return "";
}

// Loads each pose file onto the tree as "Load matrix" does and records the tree after it.
bool loadPoses(const std::vector<std::string>& poseFiles, ExportInput& input) {
    for (const std::string& path : poseFiles) {
        std::string reason = unreadableReason(path.c_str());
        if (reason.empty()) {
            std::string lines;  // a failed load is reported in one line below
            int loaded;
            {
                ConsoleCapture capture;
                loaded = loadPoseFile(*rootNode, path.c_str());
                lines = capture.text();
            }
            if (loaded != 0) {
                reason = "no matrix could be read";
            } else if (!lines.empty()) {
                consolePrintf("%s", lines.c_str());
            }
        }
        if (!reason.empty()) {
            consolePrintf("Cannot use pose file %s: %s\n", path.c_str(), reason.c_str());
            return false;
        }
        input.poses.push_back({path, Pose::capture(*rootNode)});
    }
    return true;
}

}  // namespace

int runExportMode(int argc, char** argv) {
    // Standard output carries only the result line.
    setConsoleTarget(ConsoleTarget::StandardError);
    ExportArguments args;
    if (const int status = parseArguments(argc, argv, args)) return status;

    if (args.archive) {
        const std::string reason = unreadableReason(args.archive);
        if (!reason.empty()) {
            consolePrintf("Cannot read archive %s: %s\n", args.archive, reason.c_str());
            return 1;
        }
    }
    Model model;
    createRootNode();
    loadModel(model, args.archive);  // exactly as the viewer loads
    if (rootNode->children.empty()) {
        consolePrintf("Cannot export %s: no bone was loaded\n",
                      args.archive ? args.archive : "the demo model");
        return 1;
    }

    ExportInput input;
    input.root = rootNode;
    input.page = &model.texturePage();
    input.loaded = Pose::capture(*rootNode);
    if (args.poseFiles.empty()) {
        input.poses.push_back({args.archive ? args.archive : "the demo model", input.loaded});
    } else if (!loadPoses(args.poseFiles, input)) {
        return 1;
    }
    if (exportGltf(input, args.output) != 0) return 1;

    setConsoleTarget(ConsoleTarget::StandardOutput);
    consolePrintf("Export glTF : %s\n", args.output.c_str());
    return 0;
}
