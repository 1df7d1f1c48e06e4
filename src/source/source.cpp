#include "source/source.h"

#include <sys/stat.h>

#include <cinttypes>
#include <cstdio>

namespace {

bool exists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

bool isRegularFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Splits a trailing "@0x<hex>" off text; false when it has none.
bool splitOffset(const std::string& text, std::string& rest, uint64_t& offset) {
    const size_t at = text.rfind("@0x");
    if (at == std::string::npos || at + 3 == text.size() || text.size() - at - 3 > 16) {
        return false;
    }
    uint64_t value = 0;
    for (size_t k = at + 3; k < text.size(); ++k) {
        const char c = text[k];
        int digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else {
            return false;
        }
        value = value * 16 + static_cast<uint64_t>(digit);
    }
    rest = text.substr(0, at);
    offset = value;
    return true;
}

std::string lastPart(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string withoutEnding(const std::string& name) {
    const size_t dot = name.find_last_of('.');
    if (dot == std::string::npos || dot == 0) return name;
    return name.substr(0, dot);
}

}  // namespace

std::string offsetSuffix(uint64_t offset) {
    char text[32];
    std::snprintf(text, sizeof text, "@0x%" PRIx64, offset);
    return text;
}

std::string Source::name() const {
    switch (kind) {
        case Kind::Demo:
            return "demo model";
        case Kind::StandardInput:
            return "standard input";
        default:
            return argument();
    }
}

std::string Source::argument() const {
    switch (kind) {
        case Kind::Demo:
            return "";
        case Kind::StandardInput:
            return "-";
        case Kind::File:
            return atOffset ? path + offsetSuffix(offset) : path;
        case Kind::Member:
            break;
    }
    return path + "/" + member + (atOffset ? offsetSuffix(offset) : "");
}

Source sourceFromArgument(const std::string& argument) {
    if (argument.empty()) return Source::demo();
    if (argument == "-") return Source::standardInput();
    if (exists(argument)) return Source::file(argument);

    std::string rest = argument;
    uint64_t offset = 0;
    const bool atOffset = splitOffset(argument, rest, offset);
    if (atOffset && isRegularFile(rest)) {
        Source source = Source::file(rest);
        source.atOffset = true;
        source.offset = offset;
        return source;
    }
    // The longest leading part that is a file is the image; what follows is the member.
    for (size_t slash = rest.find_last_of('/'); slash != std::string::npos && slash > 0;
         slash = rest.find_last_of('/', slash - 1)) {
        const std::string image = rest.substr(0, slash);
        if (!isRegularFile(image)) continue;
        Source source;
        source.kind = Source::Kind::Member;
        source.path = image;
        source.member = rest.substr(slash + 1);
        source.atOffset = atOffset;
        source.offset = offset;
        // "game.cue/@0x4b000" names unclaimed sectors; a bare "game.cue/" names nothing inside.
        if (source.member.empty() && !atOffset) return Source::file(argument);
        return source;
    }
    return Source::file(argument);
}

std::string sourceStem(const Source& source) {
    switch (source.kind) {
        case Source::Kind::Demo:
            return "demo";
        case Source::Kind::StandardInput:
            return "stdin";
        case Source::Kind::File:
            return source.atOffset ? lastPart(source.path) + offsetSuffix(source.offset)
                                   : withoutEnding(lastPart(source.path));
        case Source::Kind::Member:
            break;
    }
    std::string inside =
        source.atOffset ? source.member + offsetSuffix(source.offset) : source.member;
    if (!source.atOffset) {
        const size_t slash = inside.find_last_of('/');
        const std::string base = slash == std::string::npos ? inside : inside.substr(slash + 1);
        inside = inside.substr(0, inside.size() - base.size()) + withoutEnding(base);
    }
    for (char& c : inside) {
        if (c == '/') c = '-';
    }
    return inside;
}

std::string fileOnDisk(const Source& source) {
    if (source.isDemo() || source.isStandardInput()) return "";
    return source.path;
}
