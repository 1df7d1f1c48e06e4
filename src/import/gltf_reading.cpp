// Untrusted glTF input: tinygltf parses, but every file it asks for passes the checks here first,
// and its image decoder is replaced by one that keeps nothing.

#include "import/gltf_reading.h"

#include <sys/stat.h>
#include <tiny_gltf.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "io/byte_order.h"
#include "io/file_reading.h"

namespace {

struct Folder {
    std::string path;      // the glTF's folder, ending in '/'
    size_t bytesRead = 0;  // what the files beside it have cost so far
    std::string refused;   // the first file name it asked for and did not get
};

// A file name a glTF may use: relative, inside its folder, no scheme.
bool isPlainRelative(const std::string& name) {
    if (name.empty() || name[0] == '/' || name.find(':') != std::string::npos ||
        name.find('\\') != std::string::npos) {
        return false;
    }
    size_t start = 0;
    while (start <= name.size()) {
        const size_t end = std::min(name.find('/', start), name.size());
        if (name.compare(start, end - start, "..") == 0 && end - start == 2) return false;
        start = end + 1;
    }
    return true;
}

// tinygltf joins the folder and the URI, then also tries "./URI": only the first is accepted.
bool insideFolder(const std::string& joined, const Folder& folder) {
    return joined.size() > folder.path.size() &&
           joined.compare(0, folder.path.size(), folder.path) == 0 &&
           isPlainRelative(joined.substr(folder.path.size()));
}

bool fileExists(const std::string& path, void* user) {
    Folder& folder = *static_cast<Folder*>(user);
    struct stat status;
    if (insideFolder(path, folder))
        return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
    if (folder.refused.empty() && path.compare(0, folder.path.size(), folder.path) == 0) {
        folder.refused = path.substr(folder.path.size());
    }
    return false;
}

std::string expandPath(const std::string& path, void*) {
    return path;  // no ~ and no variables
}

bool readFile(std::vector<unsigned char>* out, std::string* err, const std::string& path,
              void* user) {
    Folder& folder = *static_cast<Folder*>(user);
    if (!insideFolder(path, folder)) {
        *err = "outside the file's folder";
        return false;
    }
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        *err = std::strerror(errno);
        return false;
    }
    const BoundedRead read = readUpTo(file, kGltfSizeLimit - folder.bytesRead);
    std::fclose(file);
    if (read.error != 0 || read.more) {
        *err = read.error != 0 ? std::strerror(read.error) : "too large";
        return false;
    }
    folder.bytesRead += read.bytes.size();
    out->assign(read.bytes.begin(), read.bytes.end());
    return true;
}

bool writeNothing(std::string* err, const std::string&, const std::vector<unsigned char>&, void*) {
    *err = "an import writes no file";
    return false;
}

// Images are never decoded: a pose needs none, and an image decoder is untrusted code's favourite
// way in.
bool skipImage(tinygltf::Image*, const int, std::string*, std::string*, int, int,
               const unsigned char*, int, void*) {
    return true;
}

// The deepest nesting of JSON arrays and objects any glTF needs is a handful of levels; a
// document nested thousands deep is refused before a parser recurses into it.
constexpr int kMaxJsonDepth = 64;

bool nestsTooDeep(const uint8_t* text, size_t size) {
    int depth = 0;
    bool inString = false;
    for (size_t i = 0; i < size; ++i) {
        const uint8_t c = text[i];
        if (inString) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > kMaxJsonDepth) return true;
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return false;
}

// The JSON part: the whole text, or a binary file's first chunk.
bool jsonNestsTooDeep(const std::vector<uint8_t>& bytes, bool binary) {
    if (!binary) return nestsTooDeep(bytes.data(), bytes.size());
    if (bytes.size() < 20) return false;  // tinygltf refuses it
    const size_t length = readLE32(bytes.data() + 12);
    return nestsTooDeep(bytes.data() + 20, std::min(length, bytes.size() - 20));
}

// tinygltf's first error line, without its trailing newline.
std::string firstLine(const std::string& text) {
    const std::string line = text.substr(0, text.find('\n'));
    return line.empty() ? "not a glTF file" : line;
}

}  // namespace

std::string parseGltf(const std::vector<uint8_t>& bytes, const std::string& folder,
                      tinygltf::Model& doc) {
    if (bytes.size() > kGltfSizeLimit) return "larger than 512 MiB";
    Folder where{folder.empty() || folder.back() == '/' ? folder : folder + "/"};
    if (where.path.empty()) where.path = "./";
    tinygltf::TinyGLTF loader;
    loader.SetImageLoader(skipImage, nullptr);
    loader.SetFsCallbacks({fileExists, expandPath, readFile, writeNothing, &where});
    std::string err, warn;
    const bool binary = bytes.size() >= 4 && std::memcmp(bytes.data(), "glTF", 4) == 0;
    if (jsonNestsTooDeep(bytes, binary)) return "its JSON nests deeper than 64 levels";
    bool ok;
    if (binary) {
        ok = loader.LoadBinaryFromMemory(&doc, &err, &warn, bytes.data(),
                                         static_cast<unsigned int>(bytes.size()), where.path);
    } else {
        const std::string text(bytes.begin(), bytes.end());
        ok = loader.LoadASCIIFromString(&doc, &err, &warn, text.data(),
                                        static_cast<unsigned int>(text.size()), where.path);
    }
    if (ok) return "";
    if (!where.refused.empty()) {
        return "it refers to \"" + where.refused +
               "\", which is not a file in its folder (no absolute path, \"..\" or scheme)";
    }
    return firstLine(err);
}

std::string readGltfFile(const std::string& path, tinygltf::Model& doc) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return std::strerror(errno);
    const int64_t size = regularFileSize(file);
    if (size > static_cast<int64_t>(kGltfSizeLimit)) {
        std::fclose(file);
        return "larger than 512 MiB";
    }
    const BoundedRead read = readUpTo(file, kGltfSizeLimit);
    std::fclose(file);
    if (read.error != 0) return std::strerror(read.error);
    if (read.more) return "larger than 512 MiB";
    const size_t slash = path.find_last_of('/');
    return parseGltf(read.bytes, slash == std::string::npos ? "" : path.substr(0, slash + 1), doc);
}
