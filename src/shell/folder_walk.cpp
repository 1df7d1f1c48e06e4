#include "shell/folder_walk.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "io/natural_order.h"

namespace fs = std::filesystem;

std::string folderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return "";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string fileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string pathIn(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

std::vector<std::string> walkableFiles(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    fs::directory_iterator it(folder.empty() ? "." : folder, error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        std::string name = it->path().filename().string();
        std::error_code statError;
        if (name.empty() || name.front() == '.' || !fs::is_regular_file(it->status(statError)))
            continue;
        names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end(), naturalLess);
    return names;
}

std::vector<std::string> walkCandidates(const std::vector<std::string>& names,
                                        const std::string& current, int direction) {
    // Where the walk stands: the first name not before current.
    const size_t at = static_cast<size_t>(
        std::lower_bound(names.begin(), names.end(), current, naturalLess) - names.begin());
    const bool present = at < names.size() && names[at] == current;
    const size_t count = names.size();
    std::vector<std::string> order;
    for (size_t step = 0; step < count; ++step) {
        size_t k;
        if (direction > 0) {
            k = (at + (present ? 1 : 0) + step) % count;
        } else {
            k = (at + count - 1 - step) % count;
        }
        if (names[k] != current) order.push_back(names[k]);
    }
    return order;
}
