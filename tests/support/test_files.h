#pragma once

#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// Files and folders for the tests: one way to read a file whole and one way to make a private
// folder.
namespace test_support {

// The file's bytes; empty when it cannot be read.
inline std::vector<uint8_t> readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A private folder under the system's temporary folder (TEST_TMPDIR or TMPDIR when set), removed
// with everything in it; folders in it that a test made read-only are opened up first.
class TempFolder {
  public:
    explicit TempFolder(const std::string& prefix = "veldraxis") {
        const char* base = std::getenv("TEST_TMPDIR");
        if (!base) base = std::getenv("TMPDIR");
        std::string pattern = std::string(base ? base : "/tmp") + "/" + prefix + "_XXXXXX";
        if (::mkdtemp(pattern.data())) path_ = pattern;
    }
    ~TempFolder() {
        if (path_.empty()) return;
        std::error_code ignored;
        namespace fs = std::filesystem;
        for (const auto& item : fs::recursive_directory_iterator(path_, ignored)) {
            if (item.is_directory() && !item.is_symlink()) {
                fs::permissions(item.path(), fs::perms::owner_all, fs::perm_options::add,
                                ignored);
            }
        }
        fs::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

}  // namespace test_support
