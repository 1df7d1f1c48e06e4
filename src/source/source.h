#pragma once

#include <cstdint>
#include <string>

// Where an archive's bytes come from: the built-in demo, standard input, a file on disk, a file
// inside a disc image, or an item found at an offset (of a file on disk, of a file inside an
// image, or of an image's sectors that no file claims).
struct Source {
    enum class Kind { Demo, StandardInput, File, Member };
    Kind kind = Kind::Demo;
    std::string path;    // the file on disk; for a member, the image it lies in
    std::string member;  // the path inside the image ("CHR/HERO.BIN"); "" for unclaimed sectors
    bool atOffset = false;
    uint64_t offset = 0;  // in the member, in the file, or in the image's user data

    static Source demo() { return {}; }
    static Source standardInput() { return {Kind::StandardInput, "", "", false, 0}; }
    static Source file(const std::string& path) { return {Kind::File, path, "", false, 0}; }

    bool isDemo() const { return kind == Kind::Demo; }
    bool isStandardInput() const { return kind == Kind::StandardInput; }
    // True for a file on disk read whole: the case the loaders' own lines are written for.
    bool isPlainFile() const { return kind == Kind::File && !atOffset; }

    // How lines and arguments name it: "game.cue/CHR/HERO.BIN", "pack.dat@0x1a44",
    // "game.cue/@0x4b000", the path, "standard input" or "demo model".
    std::string name() const;
    // The argument that names it again: as name(), but "" for the demo and "-" for standard
    // input.
    std::string argument() const;

    bool operator==(const Source& other) const {
        return kind == other.kind && path == other.path && member == other.member &&
               atOffset == other.atOffset && offset == other.offset;
    }
};

// "@0x1a44" for an offset.
std::string offsetSuffix(uint64_t offset);

// What an argument names: "" the demo, "-" standard input, and a path that exists is always that
// file. Otherwise IMAGE/MEMBER, IMAGE/MEMBER@0xOFFSET, IMAGE/@0xOFFSET or FILE@0xOFFSET, split
// where the longest leading part of the path is a file. A name that matches none of these is
// taken for a file (which then cannot be opened, and says so).
Source sourceFromArgument(const std::string& argument);

// The name a folder output gives what the source writes: the member's path inside its image with
// '/' as '-' and its ending taken off ("CHR-HERO"), an item at an offset keeping its file's
// ending ("DATA-PACK.DAT@0x1000", "pack.dat@0x1a44"); a file's name without its ending
// ("robot"); "stdin" and "demo".
std::string sourceStem(const Source& source);

// The file on disk whose change means the source may have changed: the image, the file; "" for
// the demo and standard input.
std::string fileOnDisk(const Source& source);
