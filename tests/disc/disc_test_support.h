#pragma once

// Test discs: ISO images written by genisoimage or by pycdlib (tests/disc/xa_iso.py), framed
// into raw sectors the way a disc writer lays them out (the codes left zero: only reading is
// tested here), and small edits of their directory records.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "support/test_files.h"

namespace disc_test {

using Bytes = std::vector<uint8_t>;
constexpr size_t kSector = 2048;

inline void writeFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}
inline void writeText(const std::string& path, const std::string& text) {
    writeFile(path, Bytes(text.begin(), text.end()));
}

inline std::string quoted(const std::string& text) {
    return "'" + text + "'";
}

// The ISO genisoimage writes of folder (plain ISO 9660 names, no extensions).
inline Bytes genisoimage(const test_support::TempFolder& temp, const std::string& folder) {
    const std::string iso = temp / "genisoimage.iso";
    const std::string command =
        "genisoimage -quiet -V TESTDISC -o " + quoted(iso) + " " + quoted(folder) + " 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return test_support::readWholeFile(iso);
}

// The output of tests/disc/xa_iso.py with these arguments.
inline std::string runScript(const std::string& arguments) {
    const std::string command = "/usr/bin/python3 " +
                                quoted(std::string(DISC_TEST_SCRIPTS) + "/xa_iso.py") + " " +
                                arguments;
    std::string output;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return output;
    char buffer[4096];
    for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, got);
    EXPECT_EQ(::pclose(pipe), 0) << command;
    return output;
}

enum class Frames { Mode1, Mode2, Mode2_2336 };

// Each 2048-byte sector of iso as a raw frame at address firstAddress + i. Mode 2 frames get the
// subheader submodeOf(i) gives (data by default); a Form 2 frame carries the sector's bytes
// padded to 2324.
inline Bytes frameIso(const Bytes& iso, Frames frames, uint32_t firstAddress = 0,
                      const std::function<uint8_t(uint32_t)>& submodeOf = {}) {
    const size_t frame = frames == Frames::Mode2_2336 ? 2336 : 2352;
    const size_t sectors = iso.size() / kSector;
    Bytes out(sectors * frame, 0);
    uint8_t raw[2352];
    for (size_t i = 0; i < sectors; ++i) {
        std::memset(raw, 0, sizeof raw);
        std::memset(raw + 1, 0xff, 10);
        const uint32_t msf = firstAddress + static_cast<uint32_t>(i) + 150;
        auto bcd = [](uint32_t v) { return static_cast<uint8_t>((v / 10) << 4 | (v % 10)); };
        raw[12] = bcd(msf / 4500);
        raw[13] = bcd(msf / 75 % 60);
        raw[14] = bcd(msf % 75);
        raw[15] = frames == Frames::Mode1 ? 1 : 2;
        size_t data = 16;
        if (frames != Frames::Mode1) {
            const uint8_t submode = submodeOf ? submodeOf(static_cast<uint32_t>(i)) : 0x08;
            raw[18] = raw[22] = submode;
            data = 24;
        }
        std::memcpy(raw + data, iso.data() + i * kSector, kSector);
        std::memcpy(out.data() + i * frame, raw + (2352 - frame), frame);
    }
    return out;
}

// The offset in iso of the directory record named name (as written, "A.TXT;1"), or 0.
inline size_t recordOffset(const Bytes& iso, const std::string& name) {
    for (size_t at = 33; at + name.size() <= iso.size(); ++at) {
        if (iso[at - 1] == name.size() &&
            std::memcmp(iso.data() + at, name.data(), name.size()) == 0 &&
            iso[at - 33] >= 33 + name.size()) {
            return at - 33;
        }
    }
    return 0;
}

inline void putBoth32(Bytes& iso, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        iso[at + i] = static_cast<uint8_t>(value >> (8 * i));
        iso[at + 7 - i] = static_cast<uint8_t>(value >> (8 * i));
    }
}
inline uint32_t le32(const Bytes& bytes, size_t at) {
    return uint32_t{bytes[at]} | uint32_t{bytes[at + 1]} << 8 | uint32_t{bytes[at + 2]} << 16 |
           uint32_t{bytes[at + 3]} << 24;
}

}  // namespace disc_test
