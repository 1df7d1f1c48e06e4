// Saving a pose over what the user set up: write-protected files, modes, owners, symbolic links,
// folders the user may not write. Root may write anything, so the permission cases run in a
// child process that first drops to an unprivileged user.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>

#include "model/bone_node.h"
#include "model/pose_file.h"
#include "model_test_support.h"
#include "support/test_files.h"

namespace {

namespace ab = archive_builder;
using test_support::readWholeFile;
namespace fs = std::filesystem;

constexpr uid_t kUnprivileged = 65534;
constexpr int kDropFailed = 100;

struct stat statOf(const std::string& path) {
    struct stat info {};
    ::lstat(path.c_str(), &info);
    return info;
}

struct Check {
    const char* name;
    std::function<bool()> holds;
};

// Runs the checks as kUnprivileged in a child process when this process is root, and returns
// the child's exit status: 0 when every check held, k when check k (from 1) failed first.
int runUnprivileged(const std::vector<Check>& checks) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(kUnprivileged) != 0 ||
                                 ::setuid(kUnprivileged) != 0 || ::setuid(0) == 0)) {
            ::_exit(kDropFailed);
        }
        for (size_t k = 0; k < checks.size(); ++k) {
            if (!checks[k].holds()) ::_exit(static_cast<int>(k + 1));
        }
        ::_exit(0);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

class PoseSaving : public model_test::ModelStateTest {
  protected:
    void SetUp() override {
        Matrix4 move = identityMatrix();
        move[12] = 5.0f;
        rootNode->translateBone(move, 0);
        pose = encodePose(*rootNode);
        ASSERT_FALSE(temp.path().empty());
        folder = temp.path();
        ::chmod(folder.c_str(), 0755);
    }

    // A file or folder that belongs to the unprivileged user when the tests run as root.
    std::string make(const std::string& name, const ab::Bytes* bytes, mode_t mode) {
        const std::string path = folder + "/" + name;
        if (bytes) {
            EXPECT_TRUE(ab::writeFile(path, *bytes));
        } else {
            EXPECT_EQ(::mkdir(path.c_str(), 0755), 0);
        }
        if (::geteuid() == 0) {
            EXPECT_EQ(::chown(path.c_str(), kUnprivileged, kUnprivileged), 0);
        }
        EXPECT_EQ(::chmod(path.c_str(), mode), 0);
        return path;
    }

    // True when the save answers as expected: done, or refused with "cannot open : <path>".
    bool saves(const std::string& path, bool expected) {
        const Result<> result = savePoseFile(*rootNode, path.c_str());
        return expected ? result.ok() : result.message == "cannot open : " + path;
    }

    ab::Bytes pose;
    test_support::TempFolder temp{"pose_save"};
    std::string folder;
};

TEST_F(PoseSaving, KeepsWhatTheUserSetUp) {
    const ab::Bytes old = {1, 2, 3};
    make("work", nullptr, 0755);
    const std::string locked = make("locked", nullptr, 0755);
    const std::string isProtected = make("work/protected.pose", &old, 0444);
    const std::string shared = make("work/shared.pose", &old, 0640);
    const std::string real = make("work/real.pose", &old, 0600);
    const std::string link = folder + "/work/link.pose";
    ASSERT_EQ(::symlink("real.pose", link.c_str()), 0);
    const std::string own = make("locked/own.pose", &old, 0600);
    const std::string inner = make("work/inner", nullptr, 0755);
    ASSERT_EQ(::chmod(locked.c_str(), 0555), 0);
    const ino_t ownInode = statOf(own).st_ino;

    const std::vector<Check> checks = {
        {"a write-protected file is refused and left as it was",
         [&] {
             return saves(isProtected, false) && readWholeFile(isProtected) == old &&
                    (statOf(isProtected).st_mode & 07777) == 0444;
         }},
        {"a saved file keeps its permission bits",
         [&] {
             return saves(shared, true) && readWholeFile(shared) == pose &&
                    (statOf(shared).st_mode & 07777) == 0640;
         }},
        {"a symbolic link is written through and stays a link",
         [&] {
             return saves(link, true) && S_ISLNK(statOf(link).st_mode) &&
                    fs::read_symlink(link) == "real.pose" && readWholeFile(real) == pose &&
                    (statOf(real).st_mode & 07777) == 0600;
         }},
        {"in a folder the user may not write, the file is rewritten in place",
         [&] {
             return saves(own, true) && readWholeFile(own) == pose &&
                    statOf(own).st_ino == ownInode && (statOf(own).st_mode & 07777) == 0600;
         }},
        {"no new file can be made in a folder the user may not write",
         [&] { return saves(locked + "/new.pose", false) && !fs::exists(locked + "/new.pose"); }},
        {"a folder is refused",
         [&] { return saves(inner, false) && fs::is_directory(inner) && fs::is_empty(inner); }},
    };
    const int status = runUnprivileged(checks);
    ASSERT_NE(status, kDropFailed) << "could not drop to uid and gid " << kUnprivileged
                                   << ": the permission cases would go unobserved";
    ASSERT_GE(status, 0) << "the child process did not exit normally";
    EXPECT_EQ(status, 0) << "failed: "
                         << (status >= 1 && static_cast<size_t>(status) <= checks.size()
                                 ? checks[status - 1].name
                                 : "?");

    // Nothing but the files made above is left: no temporary in either folder.
    std::vector<std::string> names;
    for (const auto& item : fs::recursive_directory_iterator(folder)) {
        names.push_back(item.path().lexically_relative(folder).string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"locked", "locked/own.pose", "work", "work/inner",
                                               "work/link.pose", "work/protected.pose",
                                               "work/real.pose", "work/shared.pose"}));

    // Root may also give the new file the old one's owner and group.
    if (::geteuid() != 0) return;
    const ino_t before = statOf(shared).st_ino;
    EXPECT_TRUE(saves(shared, true));
    const struct stat after = statOf(shared);
    EXPECT_NE(after.st_ino, before);  // replaced whole, not rewritten
    EXPECT_EQ(std::vector<unsigned>({after.st_uid, after.st_gid, after.st_mode & 07777u}),
              std::vector<unsigned>({kUnprivileged, kUnprivileged, 0640u}));
}

}  // namespace
