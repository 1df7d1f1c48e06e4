#include "disc/cue_sheet.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace {

namespace fs = std::filesystem;

constexpr size_t kMaxTracks = 99;
constexpr size_t kMaxFiles = 99;
constexpr size_t kMaxFolderEntries = 100000;  // scanned for a name that differs in case
constexpr size_t kShownChars = 60;

std::string upper(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

bool sameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && upper(a) == upper(b);
}

// What a message may show of a line from the sheet: printable, short.
std::string shown(std::string_view text) {
    std::string out;
    for (char c : text.substr(0, kShownChars)) {
        const unsigned char u = static_cast<unsigned char>(c);
        out += (u >= 0x20 && u != 0x7f) ? c : '?';
    }
    if (text.size() > kShownChars) out += "...";
    return out;
}

// The words of a line; a quoted word may hold spaces. False on an unclosed quote.
bool splitWords(std::string_view line, std::vector<std::string>& words) {
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        if (i >= line.size()) break;
        if (line[i] == '"') {
            const size_t close = line.find('"', i + 1);
            if (close == std::string_view::npos) return false;
            words.emplace_back(line.substr(i + 1, close - i - 1));
            i = close + 1;
        } else {
            const size_t start = i;
            while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
            words.emplace_back(line.substr(start, i - start));
        }
    }
    return true;
}

// The lines of text, without their ends ("\n" or "\r\n"); a leading byte order mark dropped.
std::vector<std::string_view> splitLines(std::string_view text) {
    if (text.substr(0, 3) == "\xef\xbb\xbf") text.remove_prefix(3);
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

bool isMetadata(const std::string& keyword) {
    static const char* const kWords[] = {"REM",       "CATALOG",    "TITLE",
                                         "PERFORMER", "SONGWRITER", "CDTEXTFILE"};
    return std::any_of(std::begin(kWords), std::end(kWords),
                       [&](const char* word) { return keyword == word; });
}

bool isTolerated(const std::string& keyword) {
    return isMetadata(keyword) || keyword == "FLAGS" || keyword == "ISRC" || keyword == "POSTGAP";
}

// MM:SS:FF in frames (75 a second).
bool parseTime(const std::string& text, uint32_t& frames) {
    unsigned minutes = 0, seconds = 0, fraction = 0;
    size_t fields = 0;
    unsigned* const parts[] = {&minutes, &seconds, &fraction};
    size_t digits = 0;
    for (char c : text) {
        if (c == ':') {
            if (digits == 0 || ++fields > 2) return false;
            digits = 0;
        } else if (c >= '0' && c <= '9') {
            if (++digits > 4) return false;
            *parts[fields] = *parts[fields] * 10 + static_cast<unsigned>(c - '0');
        } else {
            return false;
        }
    }
    if (fields != 2 || digits == 0 || seconds > 59 || fraction > 74) return false;
    frames = (minutes * 60 + seconds) * 75 + fraction;
    return true;
}

bool parseNumber(const std::string& text, int low, int high, int& out) {
    if (text.empty() || text.size() > 3) return false;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    if (value < low || value > high) return false;
    out = value;
    return true;
}

bool parseMode(const std::string& word, TrackMode& mode) {
    const std::string w = upper(word);
    if (w == "AUDIO")
        mode = TrackMode::Audio;
    else if (w == "MODE1/2352")
        mode = TrackMode::Mode1_2352;
    else if (w == "MODE2/2352")
        mode = TrackMode::Mode2_2352;
    else if (w == "MODE2/2336")
        mode = TrackMode::Mode2_2336;
    else if (w == "MODE1/2048")
        mode = TrackMode::Mode1_2048;
    else
        return false;
    return true;
}

// The entry of folder named name, or one whose name differs only in letter case.
bool findInFolder(const fs::path& folder, const std::string& name, fs::path& found) {
    std::error_code error;
    const fs::path exact = folder / name;
    if (fs::exists(exact, error)) {
        found = exact;
        return true;
    }
    size_t seen = 0;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (++seen > kMaxFolderEntries) break;
        if (sameIgnoringCase(it->path().filename().string(), name)) {
            found = it->path();
            return true;
        }
    }
    return false;
}

// name as the sheet writes it, resolved from the sheet's folder one part at a time.
bool resolveTrackFile(const fs::path& folder, std::string name, std::string& path) {
    std::replace(name.begin(), name.end(), '\\', '/');
    fs::path at = (!name.empty() && name[0] == '/') ? fs::path("/") : folder;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find('/', start);
        if (end == std::string::npos) end = name.size();
        const std::string part = name.substr(start, end - start);
        start = end + 1;
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            at /= part;
            continue;
        }
        fs::path next;
        if (!findInFolder(at, part, next)) return false;
        at = next;
    }
    path = at.string();
    return true;
}

struct LineError {
    size_t line = 0;
    std::string what;
};

Result<> failedAt(const std::string& sheetPath, const LineError& error) {
    return Result<>::failed(1, sheetPath + " line " + std::to_string(error.line) + ": " + error.what);
}

}  // namespace

bool looksLikeCueSheet(const uint8_t* data, size_t size) {
    if (size == 0 || size > kMaxCueSheetBytes) return false;
    if (std::find(data, data + size, uint8_t{0}) != data + size) return false;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    bool sawFile = false;
    for (std::string_view line : splitLines(text)) {
        std::vector<std::string> words;
        if (!splitWords(line, words)) return false;
        if (words.empty()) continue;
        const std::string keyword = upper(words[0]);
        if (isMetadata(keyword)) continue;
        if (keyword == "FILE" && !sawFile) {
            sawFile = true;
            continue;
        }
        return sawFile && keyword == "TRACK";
    }
    return false;
}

Result<> parseCueSheet(const std::string& text, const std::string& sheetPath, CueSheet& out) {
    out = CueSheet();
    if (text.size() > kMaxCueSheetBytes) {
        return Result<>::failed(1, sheetPath + ": a CUE sheet larger than 1 MiB");
    }
    if (text.find('\0') != std::string::npos) {
        return Result<>::failed(1, sheetPath + ": not a CUE sheet (it holds zero bytes)");
    }
    if (text.find("\r\n") != std::string::npos) out.lineEnd = "\r\n";
    const fs::path folder = fs::path(sheetPath).parent_path();
    const std::vector<std::string_view> lines = splitLines(text);
    CueTrack* track = nullptr;
    for (size_t i = 0; i < lines.size(); ++i) {
        out.lines.emplace_back(lines[i]);
        const LineError here{i + 1, ""};
        auto fail = [&](const std::string& what) {
            return failedAt(sheetPath, LineError{here.line, what});
        };
        std::vector<std::string> words;
        if (!splitWords(lines[i], words)) return fail("an unclosed quote");
        if (words.empty()) continue;
        const std::string keyword = upper(words[0]);
        if (keyword == "FILE") {
            if (words.size() != 3) return fail("FILE wants a name and a type");
            if (out.files.size() >= kMaxFiles) return fail("more than 99 files");
            CueFile file;
            file.name = words[1];
            file.type = upper(words[2]);
            const std::string named = "track file \"" + shown(file.name) + "\"";
            if (!resolveTrackFile(folder.empty() ? fs::path(".") : folder, file.name, file.path)) {
                return Result<>::failed(1, sheetPath + ": " + named + " is missing");
            }
            struct stat info {};
            if (::stat(file.path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
                return Result<>::failed(1, sheetPath + ": " + named + " is not a regular file");
            }
            out.files.push_back(std::move(file));
            track = nullptr;
        } else if (keyword == "TRACK") {
            if (out.files.empty()) return fail("TRACK before any FILE");
            if (out.tracks.size() >= kMaxTracks) return fail("more than 99 tracks");
            CueTrack next;
            if (words.size() != 3 || !parseNumber(words[1], 1, 99, next.number)) {
                return fail("TRACK wants a number from 1 to 99 and a mode");
            }
            if (!parseMode(words[2], next.mode)) {
                return fail("track mode " + shown(words[2]) + " is not read");
            }
            next.file = out.files.size() - 1;
            out.tracks.push_back(next);
            track = &out.tracks.back();
        } else if (keyword == "INDEX") {
            int number = 0;
            uint32_t frames = 0;
            if (!track) return fail("INDEX outside a track");
            if (words.size() != 3 || !parseNumber(words[1], 0, 99, number) ||
                !parseTime(words[2], frames)) {
                return fail("INDEX wants a number and MM:SS:FF");
            }
            if (number == 0) {
                track->index0 = frames;
                track->hasIndex0 = true;
            } else if (number == 1) {
                track->index1 = frames;
                track->hasIndex1 = true;
            }
        } else if (keyword == "PREGAP") {
            if (!track) return fail("PREGAP outside a track");
            if (words.size() != 2 || !parseTime(words[1], track->pregap)) {
                return fail("PREGAP wants MM:SS:FF");
            }
        } else if (!isTolerated(keyword)) {
            return fail("\"" + shown(lines[i]) + "\" is not a CUE sheet line");
        }
    }
    if (out.tracks.empty()) return Result<>::failed(1, sheetPath + ": a CUE sheet without tracks");
    for (const CueTrack& t : out.tracks) {
        if (!t.hasIndex1) {
            return Result<>::failed(
                1, sheetPath + ": track " + std::to_string(t.number) + " has no INDEX 01");
        }
        if (t.hasIndex0 && t.index0 > t.index1) {
            return Result<>::failed(1, sheetPath + ": track " + std::to_string(t.number) +
                                         " has its INDEX 00 after its INDEX 01");
        }
    }
    return {};
}

std::string rewriteCueSheet(const CueSheet& sheet, const std::vector<std::string>& newNames) {
    std::string text;
    size_t file = 0;
    for (const std::string& line : sheet.lines) {
        std::vector<std::string> words;
        const size_t first = line.find_first_not_of(" \t");
        if (first != std::string::npos && splitWords(line, words) && words.size() == 3 &&
            upper(words[0]) == "FILE" && file < newNames.size()) {
            text += line.substr(0, first) + words[0] + " \"" + newNames[file++] + "\" " + words[2];
        } else {
            text += line;
        }
        text += sheet.lineEnd;
    }
    return text;
}
