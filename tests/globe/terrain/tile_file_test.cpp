#include "globe/terrain/tile_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <random>

#include "globe/terrain/tile_codec.h"
#include "platform/io/byte_io.h"
#include "platform/io/file_io.h"
#include "support/test_home.h"

namespace tnx::globe {
namespace {

std::vector<uint8_t> terrainTile(uint16_t seed) {
    std::vector<uint8_t> t(kTerrainTileBytes);
    for (int i = 0; i < kTileSampleCount; ++i) io::storeU16(t.data() + i * 2, uint16_t(seed + (i / 129) * 3 + (i % 129) / 16));
    return t;
}

std::vector<uint8_t> noise(size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> v(n);
    for (auto& b : v) b = uint8_t(rng());
    return v;
}

std::vector<uint8_t> fileBytes(const std::filesystem::path& p) { return io::readWholeFile(p).value_or(std::vector<uint8_t>{}); }

void putBytes(const std::filesystem::path& p, const std::vector<uint8_t>& bytes) {
    std::ofstream(p, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// A new empty tile file opened for writing.
int createTileFile(TileFile& f, const std::filesystem::path& p) {
    if (std::FILE* h = std::fopen(p.c_str(), "wb")) std::fclose(h);
    return f.open(p, "r+b");
}

// ---------------------------------------------------------------- codec

TEST(RunLengthCodec, RoundTripsRunsLiteralsAndNoise) {
    std::vector<std::vector<uint8_t>> inputs;
    inputs.push_back(std::vector<uint8_t>(1000, 7));
    inputs.push_back(noise(777, 1));
    std::vector<uint8_t> mixed;
    for (int i = 0; i < 3000; ++i) mixed.push_back(uint8_t((i / 5) % 3 == 0 ? 9 : i * 7));
    inputs.push_back(mixed);
    inputs.push_back({1, 1, 2, 2, 2, 3, 1, 1});
    inputs.push_back({5});
    for (const auto& in : inputs) {
        std::vector<uint8_t> coded, out(in.size());
        encodeRunLength(in, coded);
        ASSERT_TRUE(decodeRunLength(coded, out));
        EXPECT_EQ(out, in);
    }
}

TEST(RunLengthCodec, PacketsFollowTheRunAndLiteralRules) {
    std::vector<uint8_t> coded;
    // 300 equal bytes: repeat packets of at most 127.
    encodeRunLength(std::vector<uint8_t>(300, 4), coded);
    EXPECT_EQ(coded, (std::vector<uint8_t>{127, 4, 127, 4, 46, 4}));
    // A pair at the start is a repeat packet; a literal stops before three equal bytes.
    encodeRunLength(std::vector<uint8_t>{8, 8, 1, 2, 3, 3, 3}, coded);
    EXPECT_EQ(coded, (std::vector<uint8_t>{2, 8, uint8_t(-2), 1, 2, 3, 3}));
    // Inside a literal a pair stays literal.
    encodeRunLength(std::vector<uint8_t>{1, 2, 2, 3}, coded);
    EXPECT_EQ(coded, (std::vector<uint8_t>{uint8_t(-4), 1, 2, 2, 3}));
    // Literals are at most 127 bytes.
    std::vector<uint8_t> ramp(200);
    for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = uint8_t(i);
    encodeRunLength(ramp, coded);
    EXPECT_EQ(coded[0], uint8_t(-127));
    EXPECT_EQ(coded[128], uint8_t(-73));
}

TEST(RunLengthCodec, ZeroControlByteCopiesNothing) {
    std::vector<uint8_t> out(4);
    EXPECT_TRUE(decodeRunLength(std::vector<uint8_t>{0, 0, 3, 9, 0, uint8_t(-1), 5}, out));
    EXPECT_EQ(out, (std::vector<uint8_t>{9, 9, 9, 5}));
}

TEST(RunLengthCodec, DamagedPacketsNeverWritePastTheTile) {
    std::vector<uint8_t> out(4, 0xAA);
    // A repeat longer than the room left.
    EXPECT_FALSE(decodeRunLength(std::vector<uint8_t>{3, 1, 5, 2}, out));
    // A literal longer than the room left, and one longer than the input.
    EXPECT_FALSE(decodeRunLength(std::vector<uint8_t>{uint8_t(-6), 1, 2, 3, 4, 5, 6}, out));
    EXPECT_FALSE(decodeRunLength(std::vector<uint8_t>{uint8_t(-3), 1, 2}, out));
    // Input that ends before the tile is full; a repeat without its byte.
    EXPECT_FALSE(decodeRunLength(std::vector<uint8_t>{2, 1}, out));
    EXPECT_FALSE(decodeRunLength(std::vector<uint8_t>{2, 1, 2}, out));
    // Bytes after a full tile are ignored.
    EXPECT_TRUE(decodeRunLength(std::vector<uint8_t>{4, 1, 99, 99}, out));
}

TEST(RunLengthCodec, PlanesHoldLowBytesThenHighBytes) {
    std::vector<uint8_t> tile(kTerrainTileBytes);
    for (int i = 0; i < kTileSampleCount; ++i) io::storeU16(tile.data() + i * 2, 0x1234);
    std::vector<uint8_t> coded;
    encodeRunLengthPlanes(tile, coded);
    // Two planes of 16641 equal bytes: low plane 0x34 first.
    ASSERT_GE(coded.size(), 2u);
    EXPECT_EQ(coded[1], 0x34);
    EXPECT_EQ(coded[coded.size() - 1], 0x12);
    std::vector<uint8_t> back(kTerrainTileBytes);
    ASSERT_TRUE(decodeRunLengthPlanes(coded, back));
    EXPECT_EQ(back, tile);
    auto colour = noise(kTextureTileBytes, 3);
    encodeRunLengthPlanes(colour, coded);
    std::vector<uint8_t> colourBack(kTextureTileBytes);
    ASSERT_TRUE(decodeRunLengthPlanes(coded, colourBack));
    EXPECT_EQ(colourBack, colour);
}

// ---------------------------------------------------------------- container

class TileFileTest : public ::testing::Test {
protected:
    test::TestHome home;
    std::filesystem::path path = home.file("globe11c.tem");
};

TEST_F(TileFileTest, EmptyFileGetsFreshHeaderAndIndex) {
    TileFile f;
    ASSERT_EQ(createTileFile(f, path), kTileFileKind2);
    EXPECT_EQ(f.indexEntryCount(), 21846u);
    EXPECT_EQ(f.dataStart(), 87440u);
    EXPECT_EQ(f.extentX(), 65536);
    f.close();
    auto bytes = fileBytes(path);
    ASSERT_EQ(bytes.size(), 87440u);
    EXPECT_EQ(io::loadI32(&bytes[12]), 129);
    EXPECT_EQ(io::loadI32(&bytes[16]), 129);
    EXPECT_EQ(io::loadU32(&bytes[28]), 0x20100u);
    EXPECT_EQ(io::loadI32(&bytes[40]), 128);
    EXPECT_EQ(io::loadI32(&bytes[52]), 8);
    for (size_t i = 56; i < bytes.size(); ++i) ASSERT_EQ(bytes[i], 0) << i;
    // Read-only on an empty file: a header in memory, nothing written.
    putBytes(home.file("empty.tem"), {});
    TileFile g;
    EXPECT_EQ(g.open(home.file("empty.tem"), "rb"), kTileFileKind2);
    EXPECT_EQ(std::filesystem::file_size(home.file("empty.tem")), 0u);
}

TEST_F(TileFileTest, OpenAnswers) {
    TileFile f;
    EXPECT_EQ(f.open(home.file("missing.tem"), "rb"), kTileFileCannotOpen);
    std::vector<uint8_t> dummy(8);
    EXPECT_EQ(f.readTile(0, 0, 0, dummy.data(), dummy.size()), kTileAbsent);
    putBytes(path, noise(100000, 9));
    EXPECT_EQ(f.open(path, "rb"), kTileFileNotRecognised);
    EXPECT_FALSE(f.isOpen());
    // A header whose tile size is not 129, or whose kind is 3.
    TileFile w;
    ASSERT_EQ(createTileFile(w, path), kTileFileKind2);
    w.close();
    auto bytes = fileBytes(path);
    io::storeI32(&bytes[12], 128);
    putBytes(path, bytes);
    EXPECT_EQ(f.open(path, "rb"), kTileFileNotRecognised);
    io::storeI32(&bytes[12], 129);
    io::storeU32(&bytes[28], 0x30100);
    putBytes(path, bytes);
    EXPECT_EQ(f.open(path, "rb"), kTileFileNotRecognised);
    io::storeU32(&bytes[28], 0x10100);
    putBytes(path, bytes);
    EXPECT_EQ(f.open(path, "rb"), kTileFileKind1);
    // Block layouts the tables cannot address.
    io::storeI32(&bytes[48], 16);
    putBytes(path, bytes);
    EXPECT_EQ(f.open(path, "rb"), kTileFileNotRecognised);
    // A header cut short.
    bytes.resize(30);
    putBytes(path, bytes);
    EXPECT_EQ(f.open(path, "rb"), kTileFileNotRecognised);
}

TEST_F(TileFileTest, TilesRoundTripThroughBothCodecsAndRaw) {
    TileFile f;
    ASSERT_EQ(createTileFile(f, path), kTileFileKind2);
    auto a = terrainTile(100), b = terrainTile(7000);
    auto colour = noise(kTextureTileBytes, 4);
    ASSERT_TRUE(f.writeTile(0, 0, 0, a.data(), a.size(), true));
    ASSERT_TRUE(f.writeTile(128, 0, 0, b.data(), b.size(), false));
    ASSERT_TRUE(f.writeTile(256, 128, 1, colour.data(), colour.size(), false));
    ASSERT_TRUE(f.writeHeader());
    f.close();

    TileFile r;
    ASSERT_EQ(r.open(path, "rb"), kTileFileKind2);
    std::vector<uint8_t> out(kTerrainTileBytes);
    ASSERT_EQ(r.readTile(0, 0, 0, out.data(), out.size()), kTileDelivered);
    EXPECT_EQ(out, a);
    ASSERT_EQ(r.readTile(128, 0, 0, out.data(), out.size()), kTileDelivered);
    EXPECT_EQ(out, b);
    // Any sample inside the tile's area names the same tile.
    ASSERT_EQ(r.readTile(200, 100, 0, out.data(), out.size()), kTileDelivered);
    EXPECT_EQ(out, b);
    std::vector<uint8_t> colourOut(kTextureTileBytes);
    ASSERT_EQ(r.readTile(256, 128, 1, colourOut.data(), colourOut.size()), kTileDelivered);
    EXPECT_EQ(colourOut, colour);
    // Same block, absent tile.
    EXPECT_EQ(r.readTile(384, 0, 0, out.data(), out.size()), kTileAbsent);
}

TEST_F(TileFileTest, ColourTilesAreStoredAsJpegWhenSmaller) {
    TileFile f;
    ASSERT_EQ(createTileFile(f, path), kTileFileKind2);
    std::vector<uint8_t> smooth(kTextureTileBytes);
    for (int j = 0; j < 129; ++j)
        for (int i = 0; i < 129; ++i) {
            uint8_t* p = &smooth[(size_t(j) * 129 + size_t(i)) * 3];
            p[0] = uint8_t(i * 255 / 128), p[1] = uint8_t(j), p[2] = 200;
        }
    ASSERT_TRUE(f.writeTile(0, 0, 0, smooth.data(), smooth.size(), true));
    ASSERT_TRUE(f.writeHeader());
    f.close();
    auto bytes = fileBytes(path);
    int32_t table = io::loadI32(&bytes[56 + (64 * 128 + 64) * 4]);
    ASSERT_GT(table, 0);
    uint32_t size = io::loadU32(&bytes[size_t(table) + 4]);
    EXPECT_EQ(size & 0xF000000u, 0x2000000u);
    EXPECT_LT(size & 0xFFFFFFu, kTextureTileBytes);
    TileFile r;
    ASSERT_EQ(r.open(path, "rb"), kTileFileKind2);
    std::vector<uint8_t> out(kTextureTileBytes);
    ASSERT_EQ(r.readTile(0, 0, 0, out.data(), out.size()), kTileDelivered);
    int worst = 0;
    for (size_t i = 0; i < out.size(); ++i) worst = std::max(worst, std::abs(int(out[i]) - int(smooth[i])));
    EXPECT_LE(worst, 12);
}

TEST_F(TileFileTest, CoordinateRangeIsHalfOpen) {
    TileFile f;
    ASSERT_EQ(createTileFile(f, path), kTileFileKind2);
    auto a = terrainTile(1);
    const int e = f.extentX();
    EXPECT_FALSE(f.writeTile(e, 0, 0, a.data(), a.size(), true));
    ASSERT_TRUE(f.writeTile(-e, -e, 0, a.data(), a.size(), true));
    std::vector<uint8_t> out(kTerrainTileBytes, 0x55);
    EXPECT_EQ(f.readTile(e, 0, 0, out.data(), out.size()), kTileOutside);
    EXPECT_EQ(out, std::vector<uint8_t>(kTerrainTileBytes, 0));
    EXPECT_EQ(f.readTile(0, e, 0, out.data(), out.size()), kTileOutside);
    EXPECT_EQ(f.readTile(-e - 1, 0, 0, out.data(), out.size()), kTileOutside);
    ASSERT_EQ(f.readTile(-e, -e, 0, out.data(), out.size()), kTileDelivered);
    EXPECT_EQ(out, a);
    // The top of the range at the coarsest level still has its block.
    ASSERT_TRUE(f.writeTile(e - 1, e - 1, 8, a.data(), a.size(), true));
    EXPECT_EQ(f.readTile(e - 1, e - 1, 8, out.data(), out.size()), kTileDelivered);
}

TEST_F(TileFileTest, EmptyBlockAnswersZeroOnceUntilTheRingMovesOn) {
    TileFile f;
    ASSERT_EQ(createTileFile(f, path), kTileFileKind2);
    std::vector<uint8_t> out(kTerrainTileBytes);
    EXPECT_EQ(f.readTile(0, 0, 0, out.data(), out.size()), kTileBlockEmpty);
    EXPECT_EQ(f.readTile(0, 0, 0, out.data(), out.size()), kTileAbsent);
    EXPECT_EQ(f.readTile(128, 0, 0, out.data(), out.size()), kTileAbsent);  // same block
    // Scroll the level-0 ring (side 8) well past the block and back.
    EXPECT_EQ(f.readTile(20 * 1024, 0, 0, out.data(), out.size()), kTileBlockEmpty);
    EXPECT_EQ(f.readTile(0, 0, 0, out.data(), out.size()), kTileBlockEmpty);
}

TEST_F(TileFileTest, ManyBlocksReadBackInAnyOrderThroughTheRings) {
    TileFile f;
    ASSERT_EQ(createTileFile(f, path), kTileFileKind2);
    std::vector<std::tuple<int, int, int>> spots;
    for (int level = 0; level < 3; ++level)
        for (int by = 0; by < 12; by += 3)
            for (int bx = 0; bx < 16; bx += 1) spots.emplace_back((bx * 1024 + 128 * (bx % 8)) << level, (by * 1024) << level, level);
    auto seedOf = [](int x, int y, int l) { return uint16_t((x / 128 + y / 64 + l * 1000) & 0x3FFF); };
    for (auto [x, y, l] : spots) {
        auto t = terrainTile(seedOf(x, y, l));
        ASSERT_TRUE(f.writeTile(x, y, l, t.data(), t.size(), true));
    }
    ASSERT_TRUE(f.writeHeader());
    f.close();
    TileFile r;
    ASSERT_EQ(r.open(path, "rb"), kTileFileKind2);
    std::mt19937 rng(5);
    std::vector<uint8_t> out(kTerrainTileBytes);
    for (int round = 0; round < 3; ++round) {
        std::shuffle(spots.begin(), spots.end(), rng);
        for (auto [x, y, l] : spots) {
            ASSERT_EQ(r.readTile(x, y, l, out.data(), out.size()), kTileDelivered) << x << "," << y << "," << l;
            ASSERT_EQ(out, terrainTile(seedOf(x, y, l)));
        }
    }
}

TEST_F(TileFileTest, RewritingATileNeverDamagesItsNeighbours) {
    TileFile f;
    ASSERT_EQ(createTileFile(f, path), kTileFileKind2);
    auto flat = std::vector<uint8_t>(kTerrainTileBytes, 3);  // codes very small
    auto next = terrainTile(50);
    ASSERT_TRUE(f.writeTile(0, 0, 0, flat.data(), flat.size(), true));
    ASSERT_TRUE(f.writeTile(128, 0, 0, next.data(), next.size(), true));
    auto big = noise(kTerrainTileBytes, 8);  // stored raw, far longer
    ASSERT_TRUE(f.writeTile(0, 0, 0, big.data(), big.size(), true));
    // And shorter again: fits the room it has now.
    auto before = std::filesystem::file_size(path);
    ASSERT_TRUE(f.writeTile(0, 0, 0, flat.data(), flat.size(), true));
    EXPECT_EQ(std::filesystem::file_size(path), before);
    ASSERT_TRUE(f.writeHeader());
    std::vector<uint8_t> out(kTerrainTileBytes);
    ASSERT_EQ(f.readTile(0, 0, 0, out.data(), out.size()), kTileDelivered);
    EXPECT_EQ(out, flat);
    ASSERT_EQ(f.readTile(128, 0, 0, out.data(), out.size()), kTileDelivered);
    EXPECT_EQ(out, next);
    EXPECT_FALSE(TileFile().writeTile(0, 0, 0, flat.data(), flat.size(), true));
    TileFile ro;
    ASSERT_EQ(ro.open(path, "rb"), kTileFileKind2);
    EXPECT_FALSE(ro.writeTile(0, 0, 0, flat.data(), flat.size(), true));
}

// Offsets of the only block and tile written at (0, 0, 0).
struct Layout {
    size_t table;
    size_t tile;
};
Layout firstTile(const std::vector<uint8_t>& bytes) {
    size_t table = size_t(io::loadI32(&bytes[56 + (64 * 128 + 64) * 4]));
    return {table, size_t(io::loadI32(&bytes[table]))};
}

TEST_F(TileFileTest, SizeWordZeroIsReadRawWithTheCallersCount) {
    TileFile f;
    ASSERT_EQ(createTileFile(f, path), kTileFileKind2);
    auto t = terrainTile(9);
    ASSERT_TRUE(f.writeTile(0, 0, 0, t.data(), t.size(), false));
    ASSERT_TRUE(f.writeHeader());
    f.close();
    auto bytes = fileBytes(path);
    Layout at = firstTile(bytes);
    EXPECT_EQ(io::loadU32(&bytes[at.table + 4]), 0u);
    TileFile r;
    ASSERT_EQ(r.open(path, "rb"), kTileFileKind2);
    std::vector<uint8_t> part(1000);
    ASSERT_EQ(r.readTile(0, 0, 0, part.data(), part.size()), kTileDelivered);
    EXPECT_TRUE(std::equal(part.begin(), part.end(), t.begin()));
}

TEST_F(TileFileTest, DamagedFilesLoseOnlyTheAffectedTiles) {
    TileFile f;
    ASSERT_EQ(createTileFile(f, path), kTileFileKind2);
    auto a = terrainTile(11), b = terrainTile(12);
    ASSERT_TRUE(f.writeTile(0, 0, 0, a.data(), a.size(), true));
    ASSERT_TRUE(f.writeTile(1024, 0, 0, b.data(), b.size(), true));  // another block
    ASSERT_TRUE(f.writeHeader());
    f.close();
    const auto good = fileBytes(path);
    Layout at = firstTile(good);
    std::vector<uint8_t> out(kTerrainTileBytes);
    auto check = [&](const std::vector<uint8_t>& bytes, int expectFirst) {
        putBytes(path, bytes);
        TileFile r;
        ASSERT_EQ(r.open(path, "rb"), kTileFileKind2);
        EXPECT_EQ(r.readTile(0, 0, 0, out.data(), out.size()), expectFirst);
        if (bytes.size() == good.size()) {
            ASSERT_EQ(r.readTile(1024, 0, 0, out.data(), out.size()), kTileDelivered);
            EXPECT_EQ(out, b);
        }
    };
    // A size word larger than the scratch buffer.
    auto bad = good;
    io::storeU32(&bad[at.table + 4], 69661);
    check(bad, kTileReadError);
    // A size word pointing past the end of the file.
    bad = good;
    io::storeU32(&bad[at.table + 4], 60000);
    io::storeI32(&bad[at.table], int32_t(good.size() - 100));
    check(bad, kTileReadError);
    // An index entry past the end, and a negative one.
    bad = good;
    io::storeI32(&bad[56 + (64 * 128 + 64) * 4], int32_t(good.size() + 10));
    check(bad, kTileReadError);
    io::storeI32(&bad[56 + (64 * 128 + 64) * 4], -512);
    check(bad, kTileReadError);
    // Run-length data that would overflow the tile.
    bad = good;
    uint32_t size = io::loadU32(&good[at.table + 4]);
    io::storeU32(&bad[at.table + 4], std::max<uint32_t>(size & 0xFFFFFF, 600));
    for (size_t i = at.tile; i < at.tile + 600; i += 2) bad[i] = 127, bad[i + 1] = 1;
    check(bad, kTileReadError);
    // A raw size word on a tile cut short by the end of the file.
    bad = good;
    io::storeU32(&bad[at.table + 4], 0);
    io::storeI32(&bad[at.table], int32_t(good.size() - 10));
    check(bad, kTileReadError);
    // The JPEG codec on terrain data.
    bad = good;
    io::storeU32(&bad[at.table + 4], size | 0x2000000);
    check(bad, kTileReadError);
    // Truncated in the middle of the index: the blocks beyond read empty.
    bad = good;
    bad.resize(56 + (64 * 128 + 10) * 4);
    check(bad, kTileBlockEmpty);
    // Truncated in the middle of the first tile's data.
    bad = good;
    bad.resize(at.tile + 20);
    check(bad, kTileReadError);
}

TEST_F(TileFileTest, RandomDamageNeverBreaksTheReader) {
    TileFile f;
    ASSERT_EQ(createTileFile(f, path), kTileFileKind2);
    auto colour = noise(kTextureTileBytes, 21);
    for (int i = 0; i < 6; ++i) {
        auto t = terrainTile(uint16_t(i * 100));
        ASSERT_TRUE(f.writeTile(i * 128, 0, 0, t.data(), t.size(), true));
        ASSERT_TRUE(f.writeTile(i * 1024, 2048, 0, t.data(), t.size(), i % 2 == 0));
    }
    ASSERT_TRUE(f.writeTile(0, 4096, 0, colour.data(), colour.size(), true));
    ASSERT_TRUE(f.writeHeader());
    f.close();
    const auto good = fileBytes(path);
    std::mt19937 rng(77);
    std::vector<uint8_t> out(kTextureTileBytes);
    for (int round = 0; round < 60; ++round) {
        auto bad = good;
        // Damage the index, the tables and the tile data.
        for (int k = 0; k < 40; ++k) bad[56 + rng() % (bad.size() - 56)] = uint8_t(rng());
        if (round % 3 == 0) bad.resize(56 + rng() % (bad.size() - 56));
        putBytes(path, bad);
        TileFile r;
        ASSERT_EQ(r.open(path, "rb"), kTileFileKind2);
        for (int i = 0; i < 6; ++i) {
            int a = r.readTile(i * 128, 0, 0, out.data(), kTerrainTileBytes);
            int b = r.readTile(i * 1024, 2048, 0, out.data(), kTerrainTileBytes);
            EXPECT_TRUE(a >= -1 && a <= 3 && b >= -1 && b <= 3);
        }
        int c = r.readTile(0, 4096, 0, out.data(), kTextureTileBytes);
        EXPECT_TRUE(c >= -1 && c <= 3);
    }
}

TEST_F(TileFileTest, RawGridIsServedAsTerrainTiles) {
    const int w = 2049, h = 1025;
    std::vector<uint8_t> bytes(8 + size_t(w) * h * 2);
    io::storeI32(&bytes[0], w);
    io::storeI32(&bytes[4], h);
    const size_t n = size_t(w) * h;
    // Grid row g is stored at data row h - 1 - g; the sample is row * 4 + column % 4.
    auto sampleAt = [](int col, int row) { return uint16_t(row * 4 + col % 4); };
    for (int g = 0; g < h; ++g)
        for (int c = 0; c < w; ++c) {
            size_t i = size_t(h - 1 - g) * w + c;
            uint16_t s = sampleAt(c, g);
            bytes[8 + i] = uint8_t(s >> 8);
            bytes[8 + n + i] = uint8_t(s);
        }
    putBytes(path, bytes);
    TileFile f;
    ASSERT_EQ(f.open(path, "rb"), kTileFileRawGrid);
    EXPECT_EQ(f.header().kind(), 3);
    EXPECT_EQ(f.header().formatWord, 0x30100u);
    EXPECT_EQ(f.gridWidth(), w);
    std::vector<uint8_t> out(kTerrainTileBytes);
    ASSERT_EQ(f.readTile(384, 512, 0, out.data(), out.size()), kTileDelivered);
    EXPECT_EQ(io::loadU16(&out[0]), sampleAt(384, 512));
    EXPECT_EQ(io::loadU16(&out[(5 * 129 + 3) * 2]), sampleAt(387, 517));
    // Level 1: every second sample.
    ASSERT_EQ(f.readTile(0, 256, 1, out.data(), out.size()), kTileDelivered);
    EXPECT_EQ(io::loadU16(&out[(2 * 129 + 1) * 2]), sampleAt(2, 260));
    // The polar tile row uses every second column; the last column wraps.
    ASSERT_EQ(f.readTile(1792, 0, 0, out.data(), out.size()), kTileDelivered);
    EXPECT_EQ(io::loadU16(&out[(1 * 129 + 3) * 2]), sampleAt(1798, 1));
    EXPECT_EQ(f.readTile(2048, 0, 0, out.data(), out.size()), kTileAbsent);
    // A size outside the accepted set, or data cut short, is not a raw grid.
    io::storeI32(&bytes[0], 2050);
    putBytes(path, bytes);
    EXPECT_EQ(f.open(path, "rb"), kTileFileNotRecognised);
    io::storeI32(&bytes[0], w);
    bytes.resize(bytes.size() - 1);
    putBytes(path, bytes);
    EXPECT_EQ(f.open(path, "rb"), kTileFileNotRecognised);
}

// ---------------------------------------------------------------- opening both files

void makeGridFile(const std::filesystem::path& p, int width) {
    TileFile f;
    ASSERT_EQ(createTileFile(f, p), kTileFileKind2);
    f.setGrid(width, (width - 1) / 2 + 1);
    ASSERT_TRUE(f.writeHeader());
}

TEST(TileLevelRelation, ShiftAndOffsetFollowTheWidths) {
    int s, o;
    tileLevelRelation(2049, 2049, s, o);
    EXPECT_EQ(s, 1);
    EXPECT_EQ(o, 0);
    tileLevelRelation(4097, 2049, s, o);
    EXPECT_EQ(s, 1);
    EXPECT_EQ(o, 1);
    tileLevelRelation(16385, 2049, s, o);
    EXPECT_EQ(s, 1);
    EXPECT_EQ(o, 3);
    tileLevelRelation(2049, 8193, s, o);
    EXPECT_EQ(s, 2);
    EXPECT_EQ(o, -2);
    EXPECT_EQ(gridPowerOf(2049), 11);
    EXPECT_EQ(gridPowerOf(2048), 0);
    EXPECT_EQ(gridPowerOf(3000), 0);
    EXPECT_EQ(gridPowerOf(0), 0);
}

TEST(OpenTileFiles, NoFilesStillSucceedWithTheDefaultGrid) {
    test::TestHome home;
    TileFileSet files;
    openTileFiles(files);
    EXPECT_FALSE(files.terrain.isOpen());
    EXPECT_EQ(files.terrainWidth, 2049);
    EXPECT_EQ(files.terrainHeight, 1025);
    EXPECT_EQ(files.terrainLevelShift, 1);
    EXPECT_EQ(files.textureLevelOffset, 0);
    EXPECT_EQ(files.rendererGridWidth(), 4097);
    std::vector<uint8_t> out(kTerrainTileBytes);
    EXPECT_EQ(files.terrain.readTile(0, 0, 0, out.data(), out.size()), kTileAbsent);
}

TEST(OpenTileFiles, PrefersTheFinestUsableFileOfEach) {
    test::TestHome home;
    makeGridFile(home.file("globe11c.tem"), 2049);
    makeGridFile(home.file("globe12c.tem"), 4097);
    putBytes(home.file("globe13c.tem"), noise(5000, 1));  // damaged: skipped
    makeGridFile(home.file("globe14c.tem"), 3000);        // not 2^k + 1: skipped
    makeGridFile(home.file("globetex11j90.tex"), 2049);
    makeGridFile(home.file("globetex12j90.tex"), 4097);   // no class 12 texture name
    TileFileSet files;
    openTileFiles(files);
    EXPECT_EQ(files.terrainPath.filename(), "globe12c.tem");
    EXPECT_EQ(files.texturePath.filename(), "globetex11j90.tex");
    EXPECT_EQ(files.terrainWidth, 4097);
    EXPECT_EQ(files.textureWidth, 2049);
    EXPECT_EQ(files.terrainLevelShift, 1);
    EXPECT_EQ(files.textureLevelOffset, 1);
}

TEST(OpenTileFiles, UndeliveredTextureImageIsNotATileFile) {
    test::TestHome home;
    makeGridFile(home.file("globe11c.tem"), 2049);
    putBytes(home.file("globetex13j90.tex"), {0xFF, 0xD8, 0xFF, 0xE0, 0, 16});
    makeGridFile(home.file("globetex11j90.tex"), 8193);
    TileFileSet files;
    openTileFiles(files);
    EXPECT_EQ(files.texturePath.filename(), "globetex11j90.tex");
    EXPECT_EQ(files.terrainLevelShift, 2);
    EXPECT_EQ(files.textureLevelOffset, -2);
    EXPECT_EQ(files.rendererGridWidth(), 8193);
}

}  // namespace
}  // namespace tnx::globe
