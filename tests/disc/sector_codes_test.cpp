#include "disc/sector_codes.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "support/test_files.h"

namespace {

// A second way to the same codes: the CRC bit by bit, and each parity pair solved from the two
// check equations (plain sum zero, alpha-weighted sum zero) with a shift-and-add multiply.
uint32_t slowEdc(const uint8_t* data, size_t size) {
    uint32_t crc = 0;
    for (size_t i = 0; i < size; ++i) {
        for (int bit = 0; bit < 8; ++bit) {
            const uint32_t in = (data[i] >> bit) & 1u;
            const uint32_t out = (crc ^ in) & 1u;
            crc >>= 1;
            if (out) crc ^= 0xD8018001u;
        }
    }
    return crc;
}

uint8_t gfMultiply(uint8_t a, uint8_t b) {
    unsigned product = 0;
    for (int bit = 0; bit < 8; ++bit) {
        if (b & (1u << bit)) product ^= unsigned{a} << bit;
    }
    for (int bit = 15; bit >= 8; --bit) {
        if (product & (1u << bit)) product ^= 0x11Du << (bit - 8);
    }
    return static_cast<uint8_t>(product);
}

uint8_t gfPower(uint8_t base, int exponent) {
    uint8_t result = 1;
    for (int i = 0; i < exponent; ++i) result = gfMultiply(result, base);
    return result;
}

uint8_t gfDivide(uint8_t a, uint8_t b) {
    for (int x = 0; x < 256; ++x) {
        if (gfMultiply(static_cast<uint8_t>(x), b) == a) return static_cast<uint8_t>(x);
    }
    return 0;
}

// The parity pair of one vector of bytes, taken as a codeword of n + 2 symbols with the pair
// last: P0 + P1 = S0 and alpha P0 + P1 = S1.
void slowPair(const std::vector<uint8_t>& vector, uint8_t& p0, uint8_t& p1) {
    const int length = static_cast<int>(vector.size()) + 2;
    uint8_t s0 = 0;
    uint8_t s1 = 0;
    for (int i = 0; i < static_cast<int>(vector.size()); ++i) {
        s0 ^= vector[i];
        s1 ^= gfMultiply(gfPower(2, length - 1 - i), vector[i]);
    }
    p0 = gfDivide(s0 ^ s1, 3);
    p1 = s0 ^ p0;
}

// The area from byte 12 seen as 16-bit words: P takes the 43 columns of a 24 x 43 word grid,
// Q the 26 diagonals of the 26 x 43 grid (P parity included) stepping 44 words.
void slowEcc(uint8_t* sector) {
    uint8_t* area = sector + 12;
    for (int column = 0; column < 43; ++column) {
        for (int half = 0; half < 2; ++half) {
            std::vector<uint8_t> vector;
            for (int row = 0; row < 24; ++row)
                vector.push_back(area[2 * (43 * row + column) + half]);
            uint8_t p0, p1;
            slowPair(vector, p0, p1);
            area[2 * (43 * 24 + column) + half] = p0;
            area[2 * (43 * 25 + column) + half] = p1;
        }
    }
    for (int diagonal = 0; diagonal < 26; ++diagonal) {
        for (int half = 0; half < 2; ++half) {
            std::vector<uint8_t> vector;
            for (int i = 0; i < 43; ++i) {
                vector.push_back(area[2 * ((43 * diagonal + 44 * i) % (26 * 43)) + half]);
            }
            uint8_t q0, q1;
            slowPair(vector, q0, q1);
            area[2 * (26 * 43 + diagonal) + half] = q0;
            area[2 * (26 * 43 + 26 + diagonal) + half] = q1;
        }
    }
}

void putLittleEndian(uint32_t value, uint8_t* out) {
    for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
}

void writeSyncAndHeader(uint8_t* sector, uint8_t minute, uint8_t second, uint8_t frame,
                        uint8_t mode) {
    sector[0] = 0;
    std::memset(sector + 1, 0xFF, 10);
    sector[11] = 0;
    sector[12] = minute;
    sector[13] = second;
    sector[14] = frame;
    sector[15] = mode;
}

std::vector<uint8_t> randomSector(std::mt19937& random, uint8_t mode, uint8_t submode) {
    std::vector<uint8_t> sector(kRawSectorBytes);
    for (auto& byte : sector) byte = static_cast<uint8_t>(random());
    writeSyncAndHeader(sector.data(), 0x12, 0x34, 0x56, mode);
    if (mode == 2) {
        sector[18] = sector[22] = submode;
        std::memcpy(sector.data() + 20, sector.data() + 16, 4);
    }
    return sector;
}

TEST(SectorCodes, EdcTableAndCheckValue) {
    // One byte from a zero start gives that byte's table entry.
    const uint8_t one = 1, top = 128, all = 255;
    EXPECT_EQ(sectorEdc(&one, 1), 0x90910101u);
    EXPECT_EQ(sectorEdc(&top, 1), 0xD8018001u);
    EXPECT_EQ(sectorEdc(&all, 1), 0x7070FF00u);
    const std::string check = "123456789";
    const auto* bytes = reinterpret_cast<const uint8_t*>(check.data());
    EXPECT_EQ(sectorEdc(bytes, check.size()), slowEdc(bytes, check.size()));
    EXPECT_EQ(sectorEdc(bytes, check.size()), 0x6EC2EDC4u);
}

TEST(SectorCodes, EncodingsMatchASlowFormulation) {
    std::mt19937 random(7);
    for (int round = 0; round < 4; ++round) {
        auto mode1 = randomSector(random, 1, 0);
        auto expected = mode1;
        putLittleEndian(slowEdc(expected.data(), 2064), expected.data() + 2064);
        std::memset(expected.data() + 2068, 0, 8);
        slowEcc(expected.data());
        encodeMode1Sector(mode1.data());
        EXPECT_EQ(mode1, expected);
        EXPECT_TRUE(sectorCodesVerify(mode1.data()));

        auto form1 = randomSector(random, 2, 0x08);
        expected = form1;
        putLittleEndian(slowEdc(expected.data() + 16, 2056), expected.data() + 2072);
        std::memset(expected.data() + 12, 0, 4);
        slowEcc(expected.data());
        std::memcpy(expected.data() + 12, form1.data() + 12, 4);
        encodeMode2Form1Sector(form1.data());
        EXPECT_EQ(form1, expected);
        EXPECT_TRUE(sectorCodesVerify(form1.data()));
        // The header is outside a Form 1 sector's codes; the subheader is inside.
        form1[12] ^= 0x01;
        EXPECT_TRUE(sectorCodesVerify(form1.data()));
        form1[17] ^= 0x01;
        EXPECT_FALSE(sectorCodesVerify(form1.data()));

        auto form2 = randomSector(random, 2, 0x20);
        expected = form2;
        putLittleEndian(slowEdc(expected.data() + 16, 2332), expected.data() + 2348);
        encodeMode2Form2Sector(form2.data());
        EXPECT_EQ(form2, expected);
        EXPECT_TRUE(sectorCodesVerify(form2.data()));
        std::memset(form2.data() + 2348, 0, 4);
        EXPECT_TRUE(sectorCodesVerify(form2.data()));
        form2[2000] ^= 0x40;
        EXPECT_TRUE(sectorCodesVerify(form2.data()));
        putLittleEndian(1, form2.data() + 2348);
        EXPECT_FALSE(sectorCodesVerify(form2.data()));
    }
}

TEST(SectorCodes, SectorsOfARealIsoVerifyAndOneFlippedByteFails) {
    test_support::TempFolder folder("sector_codes");
    ASSERT_FALSE(folder.path().empty());
    std::filesystem::create_directory(folder / "tree");
    {
        std::ofstream file(folder / "tree/DATA.BIN", std::ios::binary);
        for (int i = 0; i < 5000; ++i) file.put(static_cast<char>(i * 7));
    }
    const std::string command = "genisoimage -quiet -o '" + (folder / "disc.iso") + "' '" +
                                (folder / "tree") + "' 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const auto iso = test_support::readWholeFile(folder / "disc.iso");
    ASSERT_EQ(iso.size() % 2048, 0u);
    ASSERT_GT(iso.size(), 20u * 2048);

    for (const uint8_t mode : {1, 2}) {
        std::vector<uint8_t> sector(kRawSectorBytes);
        for (size_t s = 0; s < iso.size() / 2048; ++s) {
            std::fill(sector.begin(), sector.end(), 0);
            writeSyncAndHeader(sector.data(), 0x00, 0x02, static_cast<uint8_t>(s), mode);
            if (mode == 1) {
                std::memcpy(sector.data() + 16, iso.data() + s * 2048, 2048);
                encodeMode1Sector(sector.data());
            } else {
                sector[18] = sector[22] = 0x08;
                std::memcpy(sector.data() + 24, iso.data() + s * 2048, 2048);
                encodeMode2Form1Sector(sector.data());
            }
            ASSERT_TRUE(sectorCodesVerify(sector.data())) << "sector " << s;
            for (const size_t at : {size_t{30}, size_t{2070}, size_t{2100}, size_t{2351}}) {
                sector[at] ^= 0x10;
                EXPECT_FALSE(sectorCodesVerify(sector.data())) << "sector " << s << " @" << at;
                sector[at] ^= 0x10;
            }
        }
    }
}

}  // namespace
