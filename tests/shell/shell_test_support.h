#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "archive/archive.h"
#include "archive_builder.h"
#include "console/console.h"
#include "document/document.h"
#include "model/bone_node.h"
#include "model/model.h"
#include "shell/shell_platform.h"
#include "shell/viewer_state.h"
#include "support/test_model.h"

// Records every window-system call the handlers make, as one readable string each.
class RecordingPlatform : public ShellPlatform {
  public:
    std::vector<std::string> calls;
    std::vector<Matrix4> projections;
    std::vector<bool> dialogs;  // forSave of each dialog asked for
    bool answerChosen = false;
    std::string answerPath;

    void setWindow(int window) override { calls.push_back("setWindow " + std::to_string(window)); }
    void postRedisplay() override { calls.push_back("postRedisplay"); }
    void setMenu(int menu) override { calls.push_back("setMenu " + std::to_string(menu)); }
    void changeToMenuEntry(int position, const char* label, int value) override {
        calls.push_back("changeToMenuEntry " + std::to_string(position) + " [" + label + "] " +
                        std::to_string(value));
    }
    void multiplyProjection(const Matrix4& m) override {
        calls.push_back("multiplyProjection");
        projections.push_back(m);
    }
    bool choosePoseFile(bool forSave, std::string& path) override {
        dialogs.push_back(forSave);
        if (answerChosen) path = answerPath;
        return answerChosen;
    }
    bool chooseArchive(std::string& path) override {
        calls.push_back("chooseArchive");
        if (answerChosen) path = answerPath;
        return answerChosen;
    }
    int modifiers = 0;
    int keyModifiers() override { return modifiers; }
    void showReplacedModel() override { calls.push_back("showReplacedModel"); }
    int32_t pickedBone = -1;  // what a click in the main view finds
    int32_t pickBone(int x, int y) override {
        calls.push_back("pickBone " + std::to_string(x) + " " + std::to_string(y));
        return pickedBone;
    }
    void fitViews() override { calls.push_back("fitViews"); }
    void resetViewZoom() override { calls.push_back("resetViewZoom"); }
    bool chooseExportFile(std::string& path) override {
        calls.push_back("chooseExportFile");
        if (answerChosen) path = answerPath;
        return answerChosen;
    }
    bool chooseFolder(const char* prompt, std::string& path) override {
        calls.push_back(std::string("chooseFolder ") + prompt);
        if (answerChosen) path = answerPath;
        return answerChosen;
    }
};

constexpr int kMainWindow = 11, kSideWindow = 12, kUpWindow = 13, kModeMenu = 21;

// A fresh viewer state over a model of `bones` bones, all hung below the root, each with a small
// shaded triangle, loaded as the viewer loads an archive.
class ShellTest : public ::testing::Test {
  protected:
    void SetUp() override {
        viewer.windows = {kMainWindow, kSideWindow, kUpWindow, kModeMenu};
        viewer.platform = &platform;
    }

    void loadBones(int bones) {
        archive_builder::Skeleton skeleton;
        archive_builder::AngleTable angles;
        for (int i = 0; i < bones; ++i) {
            archive_builder::Bone bone;
            bone.parent = 0;
            bone.length = static_cast<int16_t>(10 * (i + 1));
            archive_builder::MeshBlock mesh;
            mesh.vertices = {{0, 0, 0, 0}, {10, 0, 0, 0}, {0, 0, 10, 0}};
            mesh.shadedTriangles.push_back(
                {{archive_builder::vref(0), archive_builder::vref(1), archive_builder::vref(2)},
                 {}});
            bone.mesh = mesh;
            skeleton.bones.push_back(bone);
            angles.angles.push_back(0);
        }
        showDocument(viewer,
                     documentFromBytes(Source::file("bones.bin"),
                                       archive_builder::buildModelArchive(skeleton, angles)));
        ASSERT_EQ(viewer.boneIndices().size(), static_cast<size_t>(bones));
    }

    BoneNode& bone(int id) {
        BoneNode* found = test_support::findBone(viewer.root(), id);
        EXPECT_NE(found, nullptr);
        return *found;
    }

    // An empty model shown, as at start-up before the archive loads.
    void resetModelState() { showDocument(viewer, emptyDocument()); }

    RecordingPlatform platform;
    ViewerState viewer;
};
