// Telling a disc image from any other file by its first bytes (and, for the formats that have
// no magic, by its name and its neighbours).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <vector>

#include "disc/disc_image.h"

namespace {

namespace fs = std::filesystem;

constexpr size_t kHeadBytes = 64 * 1024;  // holds sector 16 of every frame size
constexpr uint32_t kSampledSectors[] = {0, 1, 2, 3, 16};

std::string lowerExtension(const std::string& path) {
    std::string extension = fs::path(path).extension().string();
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

bool startsWith(const std::vector<uint8_t>& head, std::string_view magic) {
    return head.size() >= magic.size() && std::memcmp(head.data(), magic.data(), magic.size()) == 0;
}

bool holdsAt(const std::vector<uint8_t>& head, size_t offset, std::string_view text) {
    return offset <= head.size() && text.size() <= head.size() - offset &&
           std::memcmp(head.data() + offset, text.data(), text.size()) == 0;
}

bool holdsText(const std::vector<uint8_t>& head, std::string_view text) {
    return std::search(head.begin(), head.end(), text.begin(), text.end()) != head.end();
}

// Text starting with word, after a byte order mark and white space.
bool textStartsWith(const std::vector<uint8_t>& head, std::string_view word) {
    size_t at = holdsAt(head, 0, "\xef\xbb\xbf") ? 3 : 0;
    while (at < head.size() && std::isspace(head[at])) ++at;
    return holdsAt(head, at, word);
}

// A .img or .sub beside a .ccd of the same stem (in any letter case).
bool besideCloneCdSheet(const std::string& path) {
    const std::string extension = lowerExtension(path);
    if (extension != ".img" && extension != ".sub") return false;
    std::error_code error;
    for (const char* ccd : {".ccd", ".CCD", ".Ccd"}) {
        if (fs::is_regular_file(fs::path(path).replace_extension(ccd), error)) return true;
    }
    return false;
}

bool syncsAtStride(const std::vector<uint8_t>& head, uint64_t fileSize) {
    static const uint8_t kSync[12] = {0,    0xff, 0xff, 0xff, 0xff, 0xff,
                                      0xff, 0xff, 0xff, 0xff, 0xff, 0};
    if (fileSize < 2352) return false;
    for (uint32_t sector : kSampledSectors) {
        const size_t at = size_t{sector} * 2352;
        if (uint64_t{at} + 2352 > fileSize) break;
        if (at + 12 > head.size() || std::memcmp(head.data() + at, kSync, 12) != 0) return false;
    }
    return true;
}

bool subheadersAtStride(const std::vector<uint8_t>& head, uint64_t fileSize) {
    if (fileSize < 17 * uint64_t{2336}) return false;
    for (uint32_t sector : kSampledSectors) {
        const size_t at = size_t{sector} * 2336;
        if (at + 8 > head.size() || std::memcmp(head.data() + at, head.data() + at + 4, 4) != 0) {
            return false;
        }
    }
    return holdsAt(head, 16 * 2336 + 8 + 1, "CD001");
}

std::string notReadYet(const std::string& path, const std::vector<uint8_t>& head) {
    if (startsWith(head, "MComprHD")) return path + ": CHD images are not read yet";
    if (startsWith(head, std::string_view("ECM\0", 4)))
        return path + ": ECM images are not read yet";
    if (startsWith(head, std::string_view("\0PBP", 4)))
        return path + ": PBP images are not read yet";
    if (textStartsWith(head, "[CloneCD]") || besideCloneCdSheet(path)) {
        return path + ": CloneCD images are not read yet";
    }
    if (lowerExtension(path) == ".toc" &&
        (holdsText(head, "CD_ROM") || holdsText(head, "CD_DA") || holdsText(head, "TRACK"))) {
        return path + ": cdrdao TOC files are not read yet";
    }
    return {};
}

}  // namespace

ImageRecognition recogniseImage(const std::string& path) {
    ImageRecognition recognition;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return recognition;
    struct stat info {};
    std::vector<uint8_t> head;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        head.resize(std::min<uint64_t>(kHeadBytes, static_cast<uint64_t>(info.st_size)));
        ssize_t got;
        do {
            got = ::pread(fd, head.data(), head.size(), 0);
        } while (got < 0 && errno == EINTR);
        head.resize(got > 0 ? static_cast<size_t>(got) : 0);
    }
    ::close(fd);
    if (head.empty()) return recognition;

    recognition.notReadYet = notReadYet(path, head);
    if (!recognition.notReadYet.empty()) return recognition;
    recognition.image =
        recogniseImageBytes(head, static_cast<uint64_t>(info.st_size), recognition.form);
    return recognition;
}

bool recogniseImageBytes(const std::vector<uint8_t>& head, uint64_t fileSize, ImageForm& form) {
    if (fileSize <= kMaxCueSheetBytes && looksLikeCueSheet(head.data(), head.size())) {
        form = ImageForm::CueSheet;
    } else if (syncsAtStride(head, fileSize)) {
        form = ImageForm::Raw2352;
    } else if (subheadersAtStride(head, fileSize)) {
        form = ImageForm::Raw2336;
    } else if (holdsAt(head, 0x8001, "CD001")) {
        form = ImageForm::Iso2048;
    } else {
        return false;
    }
    return true;
}
