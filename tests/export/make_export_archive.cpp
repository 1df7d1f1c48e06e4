// Writes what the command-line export checks use into a folder: model.bin (the export test
// archive), pose1.bin to pose3.bin (its loaded pose, then bones turned further) and nan.bin
// (bone 2's user matrix not a number).
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "archive/archive.h"
#include "archive_builder.h"
#include "console/console.h"
#include "export_test_archive.h"
#include "model/bone_node.h"
#include "model/model.h"
#include "model/pose_file.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    const std::string archive = dir + "/model.bin";
    if (!archive_builder::writeFile(archive, buildExportTestArchive())) return 1;
    setConsoleTarget(ConsoleTarget::Discard);
    Model model;
    const archive_builder::Bytes bytes = buildExportTestArchive();
    model.buildSkeleton(bytes.data(), parseArchive(bytes));
    BoneNode* rootNode = model.rootNode();
    bool saved = savePoseFile(*rootNode, (dir + "/pose1.bin").c_str()).ok();
    for (int k : {2, 3}) {
        Matrix4 turn = identityMatrix();
        turn[0] = turn[5] = std::cos(1.2f * k);
        turn[1] = -std::sin(1.2f * k);
        turn[4] = std::sin(1.2f * k);
        rootNode->rotateBone(turn, k);
        rootNode->rotateBone(turn, 0);
        saved &= savePoseFile(*rootNode, (dir + "/pose" + std::to_string(k) + ".bin").c_str()).ok();
    }
    rootNode->children[0]->children[0]->userMatrix[5] = std::numeric_limits<float>::quiet_NaN();
    saved &= savePoseFile(*rootNode, (dir + "/nan.bin").c_str()).ok();
    return saved ? 0 : 1;
}
