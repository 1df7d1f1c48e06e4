// Untrusted glTF input: tinygltf parses, but every file it asks for passes the checks here first,
// and its image decoder is replaced by one that keeps nothing.

#include "import/gltf_reading.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <tiny_gltf.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <map>

#include "import/glb_in_place.h"
#include "import/gltf_buffer_files.h"
#include "io/byte_order.h"
#include "io/file_reading.h"
#include "io/huge_pages.h"

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
    // Joined path to declared size, in the buffers' order; a used declaration is taken out.
    std::multimap<std::string, uint64_t> declared;

    // The size the next buffer naming path declares, taken out; -1 when none does (an image).
    int64_t takeDeclaredSize(const std::string& joined) {
        if (!scanned) {
            for (const DeclaredBufferFile& file : declaredBufferFiles(json, jsonSize)) {
                declared.emplace(path + file.name, file.byteLength);
            }
        }
        scanned = true;
        const auto found = declared.find(joined);
        if (found == declared.end()) return -1;
        const uint64_t size = found->second;
        declared.erase(found);
        return size > static_cast<uint64_t>(INT64_MAX) ? INT64_MAX : static_cast<int64_t>(size);
    }
    // A .glb read in place: the buffers its JSON names token + index take the binary chunk,
    // read from fd at binaryOffset.
    std::string token;
    int fd = -1;
    uint64_t binaryOffset = 0, binaryBytesRead = 0;
    std::vector<std::pair<size_t, uint64_t>> chunkBuffers;  // index and size, by index

    // The byteLength of the buffer joined names as a token, or -1.
    int64_t chunkBufferSize(const std::string& joined) const {
        if (token.empty() || joined.compare(0, path.size(), path) != 0 ||
            joined.compare(path.size(), token.size(), token) != 0) {
            return -1;
        }
        const char* first = joined.data() + path.size() + token.size();
        const char* end = joined.data() + joined.size();
        size_t index = 0;
        const auto [last, error] = std::from_chars(first, end, index);
        if (error != std::errc() || last != end || first == end || *first == '+') return -1;
        const auto found = std::lower_bound(chunkBuffers.begin(), chunkBuffers.end(),
                                            std::make_pair(index, uint64_t{0}));
        if (found == chunkBuffers.end() || found->first != index) return -1;
        return static_cast<int64_t>(found->second);
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
    if (folder.chunkBufferSize(path) >= 0) return true;
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

// Reads size bytes of the file from offset on; false with errno's message.
bool readExactly(int fd, uint64_t offset, size_t size, std::vector<unsigned char>& out,
                 std::string& err) {
    out.clear();
    out.reserve(size);
    adviseHugePages(out.data(), size);  // filled once, front to back
    out.resize(size);
    size_t done = 0;
    while (done < size) {
        const ssize_t n =
            ::pread(fd, out.data() + done, size - done, static_cast<off_t>(offset + done));
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
    const int64_t chunkBuffer = folder.chunkBufferSize(path);
    if (chunkBuffer >= 0) {
        // The binary chunk, once for every buffer that takes it, as tinygltf would copy it.
        if (static_cast<uint64_t>(chunkBuffer) > kGltfSizeLimit - folder.binaryBytesRead) {
            *err = "too large";
            return false;
        }
        folder.binaryBytesRead += static_cast<uint64_t>(chunkBuffer);
        return readExactly(folder.fd, folder.binaryOffset, static_cast<size_t>(chunkBuffer), *out,
                           *err);
    }
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
        ok = readExactly(fd, 0, declared >= 0 ? static_cast<size_t>(declared) : size, *out, *err);
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

// tinygltf's first error line, without its trailing newline.
std::string firstLine(const std::string& text) {
    const std::string line = text.substr(0, text.find('\n'));
    return line.empty() ? "not a glTF file" : line;
}

Folder folderOf(const std::string& folder) {
    Folder where;
    where.path = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    if (where.path.empty()) where.path = "./";
    return where;
}

// Parses a whole .glb or .gltf in memory with where's callbacks; "" or the reason.
std::string loadGltf(const uint8_t* bytes, size_t size, Folder& where, tinygltf::Model& doc) {
    tinygltf::TinyGLTF loader;
    loader.SetImageLoader(skipImage, nullptr);
    loader.SetFsCallbacks({fileExists, expandPath, readFile, writeNothing, &where});
    std::string err, warn;
    const bool binary = size >= 4 && std::memcmp(bytes, "glTF", 4) == 0;
    where.json = reinterpret_cast<const char*>(bytes);
    where.jsonSize = size;
    if (binary && size >= 20) {
        where.json += 20;
        where.jsonSize = std::min<size_t>(readLE32(bytes + 12), size - 20);
    }
    if (nestsTooDeep(reinterpret_cast<const uint8_t*>(where.json), where.jsonSize)) {
        return "its JSON nests deeper than 64 levels";
    }
    const bool ok =
        binary ? loader.LoadBinaryFromMemory(&doc, &err, &warn, bytes,
                                             static_cast<unsigned int>(size), where.path)
               : loader.LoadASCIIFromString(&doc, &err, &warn, reinterpret_cast<const char*>(bytes),
                                            static_cast<unsigned int>(size), where.path);
    if (ok) return "";
    if (!where.problem.empty()) return where.problem;
    if (!where.refused.empty()) {
        return "it refers to \"" + where.refused +
               "\", which is not a file in its folder (no absolute path, \"..\" or scheme)";
    }
    return firstLine(err);
}

bool readAt(int fd, uint64_t offset, size_t size, std::vector<unsigned char>& out) {
    std::string unused;
    return readExactly(fd, offset, size, out, unused);
}

// A .glb read with its binary chunk in place (see glb_in_place.h): false when the file is not
// one tinygltf takes as it is, or tinygltf refuses it, for the caller to read it whole.
bool readGlbInPlace(int fd, uint64_t fileSize, const std::string& folder, tinygltf::Model& doc) {
    std::vector<unsigned char> header, binaryHeader, json;
    if (fileSize < 40 || !readAt(fd, 0, 20, header)) return false;
    const uint64_t binaryHeaderAt = 20 + uint64_t{readLE32(header.data() + 12)};
    if (binaryHeaderAt + 8 > fileSize || !readAt(fd, binaryHeaderAt, 8, binaryHeader)) {
        return false;
    }
    const std::optional<GlbChunks> chunks =
        plainGlbChunks(header.data(), binaryHeader.data(), fileSize);
    if (!chunks || !readAt(fd, 20, chunks->jsonSize, json) ||
        nestsTooDeep(json.data(), json.size())) {
        return false;
    }
    Folder where = folderOf(folder);
    // ':' keeps it from any name a glTF may give a file of its own.
    where.token = "binary chunk:";
    std::optional<JsonNamingChunk> named = nameBinaryChunk(
        reinterpret_cast<const char*>(json.data()), json.size(), chunks->binarySize, where.token);
    if (!named) return false;
    where.fd = fd;
    where.binaryOffset = chunks->binaryOffset;
    where.chunkBuffers = named->buffers;
    // The same .glb without its binary chunk: every buffer that takes it now names it.
    while (named->json.size() % 4 != 0) named->json += ' ';
    std::vector<uint8_t> glb(20 + named->json.size());
    std::memcpy(glb.data(), "glTF", 4);
    writeLE32(glb.data() + 4, chunks->version);
    writeLE32(glb.data() + 8, static_cast<uint32_t>(glb.size()));
    writeLE32(glb.data() + 12, static_cast<uint32_t>(named->json.size()));
    std::memcpy(glb.data() + 16, header.data() + 16, 4);
    std::memcpy(glb.data() + 20, named->json.data(), named->json.size());
    if (glb.size() > UINT32_MAX || !loadGltf(glb.data(), glb.size(), where, doc).empty()) {
        doc = tinygltf::Model();
        return false;
    }
    for (const auto& buffer : named->buffers) doc.buffers[buffer.first].uri.clear();
    return true;
}

}  // namespace

std::string parseGltf(const std::vector<uint8_t>& bytes, const std::string& folder,
                      tinygltf::Model& doc) {
    if (bytes.size() > kGltfSizeLimit) return "larger than 512 MiB";
    Folder where = folderOf(folder);
    return loadGltf(bytes.data(), bytes.size(), where, doc);
}

std::string readGltfFile(const std::string& path, tinygltf::Model& doc) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return std::strerror(errno);
    const int64_t size = regularFileSize(file);
    if (size > static_cast<int64_t>(kGltfSizeLimit)) {
        std::fclose(file);
        return "larger than 512 MiB";
    }
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    if (size > 0 && readGlbInPlace(fileno(file), static_cast<uint64_t>(size), folder, doc)) {
        std::fclose(file);
        return "";
    }
    const BoundedRead read = readUpTo(file, kGltfSizeLimit);
    std::fclose(file);
    if (read.error != 0) return std::strerror(read.error);
    if (read.more) return "larger than 512 MiB";
    return parseGltf(read.bytes, folder, doc);
}
