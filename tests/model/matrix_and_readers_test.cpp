#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "archive/entry_table.h"
#include "io/bounded_reader.h"
#include "io/byte_order.h"
#include "model/matrix.h"
#include "model/vec.h"

namespace {

TEST(MatProduct, TheRightOperandActsFirst) {
    const double t = 0.7;
    const Matrix4 translation = translationMatrix(0.0f, 0.0f, 5.0f);
    const Matrix4 rotation = rotationAboutX(t);

    const Matrix4 rotatedTranslation = matProduct(rotation, translation);  // R turns it
    EXPECT_FLOAT_EQ(rotatedTranslation[12], 0.0f);
    EXPECT_FLOAT_EQ(rotatedTranslation[13], static_cast<float>(-5.0 * std::sin(t)));
    EXPECT_FLOAT_EQ(rotatedTranslation[14], static_cast<float>(5.0 * std::cos(t)));

    const Matrix4 translatedRotation = matProduct(translation, rotation);  // it stays
    EXPECT_EQ(translatedRotation[12], 0.0f);
    EXPECT_EQ(translatedRotation[13], 0.0f);
    EXPECT_EQ(translatedRotation[14], 5.0f);
    EXPECT_EQ(translatedRotation[5], rotation[5]);
}

TEST(MatProduct, IdentityTakesTheOtherOperandAndSquaresSumInOrder) {
    Matrix4 x;
    for (int i = 0; i < 16; ++i) x[i] = static_cast<float>(i * 0.25 - 1.0);
    EXPECT_EQ(matProduct(identityMatrix(), x), x);
    EXPECT_EQ(matProduct(x, identityMatrix()), x);
    // Element 0 of x·x (row-major reading): sum of x[k] * x[4k], in float from k = 0 on.
    const Matrix4 square = matProduct(x, x);
    EXPECT_EQ(square[0], ((x[0] * x[0] + x[1] * x[4]) + x[2] * x[8]) + x[3] * x[12]);
}

// The rotations round the double cosine and sine to float once, as the loader's angle table
// and the mouse drags need for bit-exact poses.
TEST(MatrixHelpers, RotationsAndTranslation) {
    const float c = static_cast<float>(std::cos(1.0)), s = static_cast<float>(std::sin(1.0));
    Matrix4 aboutZ = identityMatrix(), aboutX = identityMatrix(), move = identityMatrix();
    aboutZ[0] = aboutZ[5] = c, aboutZ[1] = s, aboutZ[4] = -s;
    aboutX[5] = aboutX[10] = c, aboutX[6] = s, aboutX[9] = -s;
    move[12] = 1.5f, move[13] = -2.0f, move[14] = 3.0f;
    EXPECT_EQ(rotationAboutZ(1.0), aboutZ);
    EXPECT_EQ(rotationAboutX(1.0), aboutX);
    EXPECT_EQ(translationMatrix(1.5f, -2.0f, 3.0f), move);
}

TEST(ByteOrder, SixteenBitValuesAreTakenSignedOrUnsignedByTheCaller) {
    const uint8_t allOnes[] = {0xFF, 0xFF};
    const uint8_t highBit[] = {0x00, 0x80};
    EXPECT_EQ(readLE16(allOnes), 65535);
    EXPECT_EQ(static_cast<int16_t>(readLE16(allOnes)), -1);
    EXPECT_EQ(readLE16(highBit), 32768);
    EXPECT_EQ(static_cast<int16_t>(readLE16(highBit)), -32768);

    const uint8_t sixteen[] = {0x10, 0, 0, 0};
    const uint8_t top[] = {0, 0, 0, 0x80};
    EXPECT_EQ(readLE32(sixteen), 16u);
    EXPECT_EQ(readLE32(top), 2147483648u);

    BoundedReader reader(highBit, sizeof highBit);
    int16_t s = 0;
    uint16_t u = 0;
    ASSERT_TRUE(reader.readI16(0, s));
    ASSERT_TRUE(reader.readU16(0, u));
    EXPECT_EQ(s, -32768);
    EXPECT_EQ(u, 32768);
}

TEST(ByteOrder, BoundedReaderRefusesEveryByteOutsideItsWindow) {
    const uint8_t bytes[] = {1, 2, 3, 4, 5, 6};
    const BoundedReader reader(bytes, sizeof bytes);
    uint32_t word = 7;
    EXPECT_TRUE(reader.readU32(2, word));
    EXPECT_EQ(word, 0x06050403u);
    word = 7;
    EXPECT_FALSE(reader.readU32(3, word));
    EXPECT_FALSE(reader.readU32(SIZE_MAX - 1, word));
    EXPECT_EQ(word, 7u);
    EXPECT_EQ(reader.from(6).size(), 0u);
    EXPECT_EQ(reader.slice(4, 3).size(), 0u);
    EXPECT_EQ(reader.slice(4, 2).size(), 2u);
}

TEST(ByteOrder, FileReadersGiveZeroOnAShortRead) {
    FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    const uint8_t bytes[] = {0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 0xAB};
    std::fwrite(bytes, 1, sizeof bytes, f);
    std::rewind(f);
    EXPECT_EQ(readFileLE16(f), 0x1234);
    EXPECT_EQ(readFileLE32(f), 0x12345678u);
    EXPECT_EQ(readFileByte(f), 0xAB);
    EXPECT_EQ(readFileLE32(f), 0u);
    EXPECT_TRUE(std::feof(f));
    std::fclose(f);
}

// The table of a three-entry archive cut inside entry 2's offset: offsets past the count are
// still read where the archive holds them.
TEST(EntryTable, WordsAreReadOnlyWhereTheArchiveHoldsThem) {
    const uint8_t bytes[] = {3, 0, 0, 0, 0x10, 0, 0, 0, 0x20, 0, 0, 0, 0x30, 0};
    const EntryTable table(BoundedReader(bytes, sizeof bytes));
    uint32_t word = 7;
    EXPECT_TRUE(table.count(word));
    EXPECT_EQ(word, 3u);
    EXPECT_TRUE(table.offset(1, word));
    EXPECT_EQ(word, 0x20u);
    EXPECT_FALSE(table.offset(2, word));
    EXPECT_FALSE(table.offset(SIZE_MAX / 4, word));
    EXPECT_EQ(word, 0x20u);
    EXPECT_TRUE(table.holdsOffsets(2));
    EXPECT_FALSE(table.holdsOffsets(3));
    EXPECT_FALSE(table.holdsOffsets(UINT32_MAX));
    EXPECT_FALSE(EntryTable(BoundedReader(bytes, 3)).count(word));
}

TEST(Color3, BytesAreDividedBy256) {
    const Color3 c(uint8_t{255}, uint8_t{128}, uint8_t{0});
    EXPECT_EQ(c.red(), 0.99609375f);
    EXPECT_EQ(c.green(), 0.5f);
    EXPECT_EQ(c.blue(), 0.0f);
}

}  // namespace
