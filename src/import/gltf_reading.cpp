// Untrusted glTF input: tinygltf parses, but every file it asks for passes the checks here first,
// and its image decoder is replaced by one that keeps nothing.

#include "import/gltf_reading.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <tiny_gltf.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "import/gltf_buffer_files.h"
#include "io/byte_order.h"
#include "io/file_reading.h"

namespace {

struct Folder {
    std::string path;      // the glTF's folder, ending in '/'
    size_t bytesRead = 0;  // what the files beside it have cost so far
    std::string refused;   // the first file name it asked for and did not get
    std::string problem;   // why a file in the folder was not read, for the refusal line

    // The JSON, scanned for its buffers' declared sizes when a file is first asked for.
    const char* json = nullptr;
    size_t jsonSize = 0;
    bool scanned = false;
    std::vector<DeclaredBufferFile> declared;  // a used declaration is taken out

    // The size the next buffer naming path declares, taken out; -1 when none does (an image).
    int64_t takeDeclaredSize(const std::string& joined) {
        if (!scanned) declared = declaredBufferFiles(json, jsonSize);
        scanned = true;
        for (auto it = declared.begin(); it != declared.end(); ++it) {
            if (path + it->name != joined) continue;
            const uint64_t size = it->byteLength;
            declared.erase(it);
            return size > static_cast<uint64_t>(INT64_MAX) ? INT64_MAX : static_cast<int64_t>(size);
        }
        return -1;
    }
    void refuse(const std::string& joined, const std::string& why) {
        if (problem.empty()) problem = "the file \"" + joined.substr(path.size()) + "\" " + why;
    }
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
    if (insideFolder(path, folder)) {
        if (stat(path.c_str(), &status) != 0) return false;
        if (!S_ISREG(status.st_mode)) folder.refuse(path, "is not a regular file");
        return S_ISREG(status.st_mode);
    }
    if (folder.refused.empty() && path.compare(0, folder.path.size(), folder.path) == 0) {
        folder.refused = path.substr(folder.path.size());
    }
    return false;
}

std::string expandPath(const std::string& path, void*) {
    return path;  // no ~ and no variables
}

// Reads size bytes from the start of the file; false with errno's message.
bool readExactly(int fd, size_t size, std::vector<unsigned char>& out, std::string& err) {
    out.resize(size);
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, out.data() + done, size - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            err = n < 0 ? std::strerror(errno) : "it ended early";
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

// A file the glTF names is measured before it is read: a buffer's file must hold the bytes its
// buffer declares, and only those are read; anything but a regular file is refused unopened
// for reading (a pipe would wait, a device never end).
bool readFile(std::vector<unsigned char>* out, std::string* err, const std::string& path,
              void* user) {
    Folder& folder = *static_cast<Folder*>(user);
    if (!insideFolder(path, folder)) {
        *err = "outside the file's folder";
        return false;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        *err = std::strerror(errno);
        return false;
    }
    struct stat status {};
    const bool regular = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
    const int64_t declared = regular ? folder.takeDeclaredSize(path) : -1;
    const uint64_t left = kGltfSizeLimit - folder.bytesRead;
    const auto size = static_cast<uint64_t>(regular ? status.st_size : 0);
    bool ok = false;
    if (!regular) {
        folder.refuse(path, "is not a regular file");
        *err = "not a regular file";
    } else if (declared >= 0 && size < static_cast<uint64_t>(declared)) {
        folder.refuse(path, "holds " + std::to_string(size) + " bytes, fewer than the " +
                                std::to_string(declared) + " its buffer declares");
        *err = "too small";
    } else if ((declared >= 0 ? static_cast<uint64_t>(declared) : size) > left) {
        *err = "too large";
    } else {
        ok = readExactly(fd, declared >= 0 ? static_cast<size_t>(declared) : size, *out, *err);
    }
    ::close(fd);
    if (ok) folder.bytesRead += out->size();
    return ok;
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
    Folder where;
    where.path = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    if (where.path.empty()) where.path = "./";
    tinygltf::TinyGLTF loader;
    loader.SetImageLoader(skipImage, nullptr);
    loader.SetFsCallbacks({fileExists, expandPath, readFile, writeNothing, &where});
    std::string err, warn;
    const bool binary = bytes.size() >= 4 && std::memcmp(bytes.data(), "glTF", 4) == 0;
    if (jsonNestsTooDeep(bytes, binary)) return "its JSON nests deeper than 64 levels";
    where.json = reinterpret_cast<const char*>(bytes.data());
    where.jsonSize = bytes.size();
    if (binary && bytes.size() >= 20) {
        where.json += 20;
        where.jsonSize = std::min<size_t>(readLE32(bytes.data() + 12), bytes.size() - 20);
    }
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
    if (!where.problem.empty()) return where.problem;
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
