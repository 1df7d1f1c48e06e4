#include "cli/output_rules.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <map>

#include "cli/archive_input.h"
#include "console/console.h"

namespace {

bool isFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string joinedEndings(const std::vector<std::string>& endings) {
    std::string text;
    for (size_t i = 0; i < endings.size(); ++i) {
        text += (i == 0 ? "" : i + 1 == endings.size() ? " or " : ", ") + endings[i];
    }
    return text;
}

}  // namespace

bool hasEnding(const std::string& path, const std::string& ending) {
    if (path.size() <= ending.size()) return false;
    return strcasecmp(path.c_str() + path.size() - ending.size(), ending.c_str()) == 0;
}

std::vector<std::string> inputFiles(const std::vector<Source>& sources) {
    std::vector<std::string> files;
    for (const Source& source : sources) {
        const std::string file = fileOnDisk(source);
        if (!file.empty()) files.push_back(file);
    }
    return files;
}

bool namesFolder(const std::string& path) {
    return (!path.empty() && path.back() == '/') || isFolder(path);
}

std::string planOutputs(const std::string& out, const std::vector<Source>& archives,
                        const std::vector<std::string>& endings, const std::string& folderEnding,
                        OutputPlan& plan) {
    plan = OutputPlan();
    plan.folder = namesFolder(out);
    if (!plan.folder) {
        bool fits = false;
        for (const std::string& ending : endings) fits = fits || hasEnding(out, ending);
        if (!fits) {
            return out + ": the output must end in " + joinedEndings(endings) +
                   ", or be a folder (an existing one, or a name ending in /)";
        }
        if (archives.size() > 1) {
            return std::to_string(archives.size()) + " archives need a folder output (an " +
                   "existing folder, or a name ending in /), not the file " + out;
        }
        plan.files.push_back(out);
        return "";
    }
    plan.folderPath = out;
    std::map<std::string, std::string> claimed;  // output file -> the archive that writes it
    const std::string folder = out.back() == '/' ? out : out + "/";
    for (const Source& archive : archives) {
        const std::string file = folder + sourceStem(archive) + folderEnding;
        const auto [it, fresh] = claimed.emplace(file, archive.name());
        if (!fresh) {
            return it->second + " and " + archive.name() + " would both be written to " + file;
        }
        plan.files.push_back(file);
    }
    return "";
}

std::string outputNamingInput(const std::vector<std::string>& outputs,
                              const std::vector<std::string>& inputs) {
    for (const std::string& output : outputs) {
        struct stat written {};
        if (::stat(output.c_str(), &written) != 0) continue;  // a new file is no input
        for (const std::string& input : inputs) {
            struct stat read {};
            if (input.empty() || input == "-" || ::stat(input.c_str(), &read) != 0) continue;
            if (read.st_dev == written.st_dev && read.st_ino == written.st_ino) {
                return output + " is the input " + input + ": it would be overwritten";
            }
        }
    }
    return "";
}

bool makeOutputFolder(const OutputPlan& plan) {
    if (!plan.folder) return true;
    std::string path;
    size_t from = 0;
    while (from <= plan.folderPath.size()) {
        const size_t slash = plan.folderPath.find('/', from);
        const size_t end = slash == std::string::npos ? plan.folderPath.size() : slash;
        path = plan.folderPath.substr(0, end);
        from = end + 1;
        if (path.empty() || isFolder(path)) continue;
        if (::mkdir(path.c_str(), 0777) != 0 && !(errno == EEXIST && isFolder(path))) {
            consolePrintf("%s: %s\n", path.c_str(),
                          std::strerror(errno == EEXIST ? ENOTDIR : errno));
            return false;
        }
    }
    return true;
}
