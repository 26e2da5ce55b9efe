#include "geodata/pack_archive.h"

#include <gtest/gtest.h>

#include <fstream>
#include <numeric>

#include "geodata/pack_writer.h"
#include "platform/io/byte_io.h"
#include "support/test_home.h"

namespace tnx::geodata {
namespace {

std::vector<uint8_t> pattern(size_t n, uint8_t seed) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = uint8_t(seed + i * 7);
    return v;
}

void writeBytes(const std::filesystem::path& p, const std::vector<uint8_t>& bytes) {
    std::filesystem::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

struct RawEntry {
    std::string name;  // written without a NUL when it fills all 72 bytes
    uint32_t offset;
    uint32_t length;
};

// An archive laid out by hand, for directories no writer would produce.
std::vector<uint8_t> rawArchive(int32_t count, const std::vector<RawEntry>& entries,
                                const std::vector<uint8_t>& data) {
    std::vector<uint8_t> out;
    io::ByteWriter w(out);
    for (uint32_t s : pack::kSignature) w.u32(s);
    w.u32(0);
    w.u32(0x11111111);
    w.i32(count);
    w.u32(0x22222222);
    w.u32(0x33333333);
    for (const RawEntry& e : entries) {
        std::string name = e.name.substr(0, 72);
        w.bytes(name.data(), name.size());
        w.zeros(72 - name.size());
        w.u32(e.offset);
        w.u32(e.length);
        w.zeros(16);
    }
    w.bytes(data.data(), data.size());
    return out;
}

class PackArchiveTest : public ::testing::Test {
protected:
    std::filesystem::path packPath() const { return home.file("pack.dat"); }
    void writePack(const std::vector<uint8_t>& bytes) { writeBytes(packPath(), bytes); }

    test::TestHome home;
    PackArchive archive;
};

TEST_F(PackArchiveTest, WriterArchiveReadsBackEveryFileWithTerminator) {
    PackWriter w;
    auto country = pattern(1000, 1), carte = pattern(37, 2), empty = std::vector<uint8_t>{};
    ASSERT_TRUE(w.add("pack\\country.bin", country));
    ASSERT_TRUE(w.add("CARTE.BIN2", carte));
    ASSERT_TRUE(w.add("empty.txt", empty));
    ASSERT_TRUE(w.write(packPath()));

    ASSERT_EQ(archive.open(packPath()), 3);
    EXPECT_TRUE(archive.isOpen());
    EXPECT_EQ(archive.dataOffset(), 44u + 3 * 96);
    for (uint32_t i = 0; i < 3; ++i) EXPECT_EQ(archive.spareWord(int(i)), 0u);

    std::vector<uint8_t> buf;
    size_t len = 0;
    EXPECT_EQ(archive.readFile("pack\\country.bin", buf, len), PackArchive::kFromArchive);
    ASSERT_EQ(len, country.size());
    ASSERT_EQ(buf.size(), country.size() + 1);
    EXPECT_EQ(buf.back(), 0);
    EXPECT_TRUE(std::equal(country.begin(), country.end(), buf.begin()));

    EXPECT_EQ(archive.readFile("pack\\CARTE.BIN2", buf, len), PackArchive::kFromArchive);
    EXPECT_EQ(len, carte.size());
    EXPECT_TRUE(std::equal(carte.begin(), carte.end(), buf.begin()));

    EXPECT_EQ(archive.readFile("empty.txt", buf, len), PackArchive::kFromArchive);
    EXPECT_EQ(len, 0u);
    EXPECT_EQ(buf, std::vector<uint8_t>{0});
}

TEST_F(PackArchiveTest, SignatureFoundAtOddOffsetAndSpareWordsKept) {
    auto body = rawArchive(1, {{"a.bin", 0, 5}}, {1, 2, 3, 4, 5});
    std::vector<uint8_t> file = {0x15, 0x67, 0x8A};  // a partial signature as prefix
    file.insert(file.end(), body.begin(), body.end());
    writePack(file);
    ASSERT_EQ(archive.open(packPath()), 1);
    EXPECT_EQ(archive.dataOffset(), 3u + 44 + 96);
    EXPECT_EQ(archive.spareWord(0), 0x11111111u);
    EXPECT_EQ(archive.spareWord(1), 0x22222222u);
    EXPECT_EQ(archive.spareWord(2), 0x33333333u);
    std::vector<uint8_t> buf;
    size_t len = 0;
    EXPECT_EQ(archive.readFile("A.BIN", buf, len), PackArchive::kFromArchive);
    EXPECT_EQ(std::vector<uint8_t>(buf.begin(), buf.begin() + 5), (std::vector<uint8_t>{1, 2, 3, 4, 5}));
}

TEST_F(PackArchiveTest, NoArchiveWhenShortMissingOrSignatureOutsideWindow) {
    EXPECT_EQ(archive.open(home.file("missing.dat")), 0);
    EXPECT_FALSE(archive.isOpen());

    auto body = rawArchive(1, {{"a.bin", 0, 4}}, {9, 9, 9, 9});
    writePack(std::vector<uint8_t>(body.begin(), body.begin() + 23));
    EXPECT_EQ(archive.open(packPath()), 0);

    // Signature starting beyond the window, and one straddling its end.
    for (size_t prefix : {pack::kSearchWindow, pack::kSearchWindow - 10}) {
        std::vector<uint8_t> file(prefix, 0xAB);
        file.insert(file.end(), body.begin(), body.end());
        writePack(file);
        EXPECT_EQ(archive.open(packPath()), 0) << prefix;
        EXPECT_FALSE(archive.isOpen());
    }
    // Signature inside, but the header or the directory runs past the window.
    for (size_t prefix : {pack::kSearchWindow - 30, pack::kSearchWindow - 44 - 50}) {
        std::vector<uint8_t> file(prefix, 0xAB);
        file.insert(file.end(), body.begin(), body.end());
        writePack(file);
        EXPECT_EQ(archive.open(packPath()), 0) << prefix;
    }
    // Just fitting the window is fine.
    std::vector<uint8_t> file(pack::kSearchWindow - 44 - 96, 0xAB);
    file.insert(file.end(), body.begin(), body.end());
    writePack(file);
    EXPECT_EQ(archive.open(packPath()), 1);

    // Reads without an archive go to the loose file.
    PackArchive closed;
    writeBytes(home.file("pack/a.bin"), {7, 7});
    std::vector<uint8_t> buf;
    size_t len = 0;
    EXPECT_EQ(closed.readFile("pack\\a.bin", buf, len), PackArchive::kFromDisk);
    EXPECT_EQ(len, 2u);
}

TEST_F(PackArchiveTest, DirectoryPastEndOfFileIsNoArchive) {
    auto body = rawArchive(3, {{"a.bin", 0, 1}}, {});  // claims 3 entries, holds 1
    writePack(body);
    EXPECT_EQ(archive.open(packPath()), 0);
    for (int32_t huge : {0x7FFFFFFF, 0x00FFFFFF}) {
        writePack(rawArchive(huge, {{"a.bin", 0, 1}}, {1}));
        EXPECT_EQ(archive.open(packPath()), 0);
    }
    EXPECT_FALSE(archive.isOpen());
}

TEST_F(PackArchiveTest, FailedOpenKeepsPreviousArchiveAndLaterOpenReplacesIt) {
    PackWriter a;
    a.add("one.bin", std::string_view("first"));
    ASSERT_TRUE(a.write(home.file("a.dat")));
    PackWriter b;
    b.add("two.bin", std::string_view("second"));
    b.add("three.bin", std::string_view("third"));
    ASSERT_TRUE(b.write(home.file("b.dat")));
    writeBytes(home.file("junk.dat"), pattern(5000, 3));

    ASSERT_EQ(archive.open(home.file("a.dat")), 1);
    EXPECT_EQ(archive.open(home.file("junk.dat")), 0);
    std::vector<uint8_t> buf;
    size_t len = 0;
    EXPECT_EQ(archive.readFile("one.bin", buf, len), PackArchive::kFromArchive);

    ASSERT_EQ(archive.open(home.file("b.dat")), 2);
    EXPECT_EQ(archive.readFile("one.bin", buf, len), PackArchive::kNotFound);
    EXPECT_EQ(archive.readFile("three.bin", buf, len), PackArchive::kFromArchive);
    EXPECT_EQ(std::string(buf.begin(), buf.begin() + long(len)), "third");
}

TEST_F(PackArchiveTest, NamesIgnoreCaseAndOnlyTheBackslashSeparates) {
    PackWriter w;
    w.add("country.bin", pattern(50, 4));
    ASSERT_TRUE(w.write(packPath()));
    ASSERT_EQ(archive.open(packPath()), 1);
    for (const char* name : {"pack\\COUNTRY.BIN", "Country.Bin", "a/b\\country.bin"}) {
        std::vector<uint8_t> buf;
        size_t len = 0;
        EXPECT_EQ(archive.readFile(name, buf, len), PackArchive::kFromArchive) << name;
        EXPECT_EQ(len, 50u) << name;
    }
    std::vector<uint8_t> buf;
    size_t len = 0;
    EXPECT_EQ(archive.readFile("pack\\country.bi", buf, len), PackArchive::kNotFound);
    EXPECT_EQ(archive.readFile("", buf, len), PackArchive::kNotFound);
    // A forward slash is part of the name: no entry, but the loose file counts.
    EXPECT_EQ(archive.readFile("pack/country.bin", buf, len), PackArchive::kNotFound);
    writeBytes(home.file("pack/country.bin"), pattern(7, 1));
    EXPECT_EQ(archive.readFile("pack/country.bin", buf, len), PackArchive::kFromDisk);
    EXPECT_EQ(len, 7u);
}

TEST_F(PackArchiveTest, MaximumLengthLimitsTheReadAndWritesNoTerminator) {
    PackWriter w;
    auto small = pattern(40, 5), big = pattern(400, 6);
    w.add("small.bin", small);
    w.add("big.bin", big);
    ASSERT_TRUE(w.write(packPath()));
    ASSERT_EQ(archive.open(packPath()), 2);

    std::vector<uint8_t> buf(100, 0xEE);
    size_t len = 0;
    EXPECT_EQ(archive.readFile("small.bin", buf, len, 0, 100), PackArchive::kFromArchive);
    EXPECT_EQ(len, 40u);
    ASSERT_EQ(buf.size(), 100u);
    EXPECT_TRUE(std::equal(small.begin(), small.end(), buf.begin()));
    EXPECT_EQ(buf[40], 0xEE);  // no terminator
    EXPECT_EQ(buf[99], 0xEE);

    EXPECT_EQ(archive.readFile("big.bin", buf, len, 0, 100), PackArchive::kFromArchive);
    EXPECT_EQ(len, 100u);
    EXPECT_EQ(buf.size(), 100u);
    EXPECT_TRUE(std::equal(big.begin(), big.begin() + 100, buf.begin()));

    // A caller buffer smaller than the read is grown, never overrun.
    std::vector<uint8_t> tiny(3);
    EXPECT_EQ(archive.readFile("big.bin", tiny, len, 0, 100), PackArchive::kFromArchive);
    EXPECT_EQ(len, 100u);
    EXPECT_EQ(tiny.size(), 100u);
}

TEST_F(PackArchiveTest, OffsetReadsStopAtTheEntryEnd) {
    PackWriter w;
    auto first = pattern(40, 7), second = pattern(40, 100);
    w.add("first.bin", first);
    w.add("second.bin", second);
    ASSERT_TRUE(w.write(packPath()));
    ASSERT_EQ(archive.open(packPath()), 2);

    std::vector<uint8_t> buf;
    size_t len = 0;
    EXPECT_EQ(archive.readFile("first.bin", buf, len, 10), PackArchive::kFromArchive);
    EXPECT_EQ(len, 30u);              // not 40: the next file's bytes are not handed out
    EXPECT_EQ(buf.size(), 41u);       // still sized for the whole entry
    EXPECT_TRUE(std::equal(first.begin() + 10, first.end(), buf.begin()));
    EXPECT_EQ(buf[30], 0);

    EXPECT_EQ(archive.readFile("first.bin", buf, len, 1000), PackArchive::kFromArchive);
    EXPECT_EQ(len, 0u);
}

TEST_F(PackArchiveTest, EmptyDirectorySendsEveryReadToDisk) {
    for (int32_t count : {0, -5}) {
        writePack(rawArchive(count, {}, {}));
        PackArchive a;
        EXPECT_EQ(a.open(packPath()), 0);
        writeBytes(home.file("pack/site.bin"), {1, 2, 3});
        std::vector<uint8_t> buf;
        size_t len = 0;
        EXPECT_EQ(a.readFile("pack\\site.bin", buf, len), PackArchive::kFromDisk);
        EXPECT_EQ(len, 3u);
    }
}

TEST_F(PackArchiveTest, LaterDuplicateWins) {
    std::vector<uint8_t> data = {'o', 'l', 'd', 'n', 'e', 'w', '!'};
    writePack(rawArchive(2, {{"dup.txt", 0, 3}, {"DUP.TXT", 3, 4}}, data));
    ASSERT_EQ(archive.open(packPath()), 2);
    std::vector<uint8_t> buf;
    size_t len = 0;
    EXPECT_EQ(archive.readFile("dup.txt", buf, len), PackArchive::kFromArchive);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf.data())), "new!");
}

TEST_F(PackArchiveTest, MissingFromArchiveFallsBackToDiskElseNotFound) {
    PackWriter w;
    w.add("country.bin", pattern(10, 8));
    ASSERT_TRUE(w.write(packPath()));
    ASSERT_EQ(archive.open(packPath()), 1);

    writeBytes(home.file("pack/Extra.BIN"), pattern(20, 9));
    std::vector<uint8_t> buf;
    size_t len = 0;
    EXPECT_EQ(archive.readFile("pack\\Extra.BIN", buf, len), PackArchive::kFromDisk);
    EXPECT_EQ(len, 20u);
    EXPECT_EQ(buf.size(), 21u);
    EXPECT_EQ(buf[20], 0);
    // Loose names are matched ignoring case too.
    EXPECT_EQ(archive.readFile("PACK\\extra.bin", buf, len), PackArchive::kFromDisk);
    EXPECT_EQ(archive.readFile("pack/extra.bin", buf, len), PackArchive::kFromDisk);

    // Offsets and limits on loose files.
    EXPECT_EQ(archive.readFile("pack\\extra.bin", buf, len, 15), PackArchive::kFromDisk);
    EXPECT_EQ(len, 5u);
    EXPECT_EQ(buf.size(), 21u);
    std::vector<uint8_t> limited(8, 0xEE);
    EXPECT_EQ(archive.readFile("pack\\extra.bin", limited, len, 0, 8), PackArchive::kFromDisk);
    EXPECT_EQ(len, 8u);

    std::vector<uint8_t> untouched = {42};
    size_t untouchedLen = 77;
    EXPECT_EQ(archive.readFile("pack\\nothere.bin", untouched, untouchedLen), PackArchive::kNotFound);
    EXPECT_EQ(untouched, std::vector<uint8_t>{42});
    EXPECT_EQ(untouchedLen, 77u);
    // A folder is not a file.
    std::filesystem::create_directories(home.file("pack/folder.bin"));
    EXPECT_EQ(archive.readFile("pack\\folder.bin", untouched, untouchedLen), PackArchive::kNotFound);
}

TEST_F(PackArchiveTest, HostileEntriesAreNotFound) {
    std::vector<uint8_t> data = pattern(64, 10);
    std::string longName(72, 'x');  // no NUL inside the name field
    writePack(rawArchive(5,
                         {{longName, 0, 4},
                          {"past.bin", 60, 10},            // runs past the end of the file
                          {"wrap.bin", 0xFFFFFFF0u, 0x20},  // offset + length wraps 32 bits
                          {"huge.bin", 0, 0xFFFFFFFFu},
                          {"ok.bin", 60, 4}},
                         data));
    ASSERT_EQ(archive.open(packPath()), 5);
    std::vector<uint8_t> buf;
    size_t len = 0;
    for (const std::string& name : {longName, longName.substr(0, 71), std::string("past.bin"),
                                    std::string("wrap.bin"), std::string("huge.bin")})
        EXPECT_EQ(archive.readFile(name, buf, len), PackArchive::kNotFound) << name;
    EXPECT_EQ(archive.readFile("ok.bin", buf, len), PackArchive::kFromArchive);
    EXPECT_EQ(len, 4u);
    EXPECT_TRUE(std::equal(data.begin() + 60, data.end(), buf.begin()));
}

TEST_F(PackArchiveTest, ProcessWideArchiveServesDataFileReads) {
    writeBytes(home.file("readme.txt"), {'h', 'i'});
    std::vector<uint8_t> buf;
    size_t len = 0;
    setPackArchive(nullptr);
    EXPECT_EQ(readDataFile("readme.txt", buf, len), PackArchive::kFromDisk);

    PackWriter w;
    w.add("readme.txt", std::string_view("packed"));
    ASSERT_TRUE(w.write(packPath()));
    ASSERT_EQ(archive.open(packPath()), 1);
    setPackArchive(&archive);
    EXPECT_EQ(packArchive(), &archive);
    EXPECT_EQ(readDataFile("readme.txt", buf, len), PackArchive::kFromArchive);
    EXPECT_STREQ(reinterpret_cast<const char*>(buf.data()), "packed");
    setPackArchive(nullptr);
}

TEST(PackWriterTest, NamesAreBareUniqueAndBounded) {
    PackWriter w;
    EXPECT_TRUE(w.add("pack\\moon.jpg", std::string_view("a")));
    EXPECT_TRUE(w.add("dir/MOON.JPG", std::string_view("bb")));  // replaces
    EXPECT_EQ(w.count(), 1u);
    EXPECT_TRUE(w.contains("Moon.jpg"));
    EXPECT_FALSE(w.add("", std::string_view("x")));
    EXPECT_FALSE(w.add("pack\\", std::string_view("x")));
    EXPECT_FALSE(w.add(std::string(72, 'n'), std::string_view("x")));
    EXPECT_TRUE(w.add(std::string(71, 'n'), std::string_view("x")));
    EXPECT_FALSE(w.add(std::string_view("a\0b", 3), std::string_view("x")));
    EXPECT_FALSE(w.addFile("/nonexistent/terranox/file.bin"));

    auto bytes = w.serialize();
    ASSERT_EQ(bytes.size(), 44u + 2 * 96 + 2 + 1);
    EXPECT_EQ(io::loadU32(bytes.data()), pack::kSignature[0]);
    EXPECT_EQ(io::loadI32(bytes.data() + 32), 2);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data() + 44)), "moon.jpg");
    EXPECT_EQ(io::loadU32(bytes.data() + 44 + 72), 0u);
    EXPECT_EQ(io::loadU32(bytes.data() + 44 + 76), 2u);
    EXPECT_EQ(io::loadU32(bytes.data() + 44 + 96 + 72), 2u);  // after the first file
    EXPECT_EQ(bytes[44 + 2 * 96], 'b');
}

TEST(PackWriterTest, DirectoryStaysInsideTheSearchWindow) {
    PackWriter w;
    std::vector<uint8_t> none;
    for (size_t i = 0; i < pack::kMaxEntries; ++i) ASSERT_TRUE(w.add("f" + std::to_string(i), none));
    EXPECT_FALSE(w.add("one-too-many", none));
    EXPECT_TRUE(w.add("f7", std::string_view("replacing is still fine")));

    test::TestHome home;
    ASSERT_TRUE(w.write(home.file("full.dat")));
    PackArchive a;
    EXPECT_EQ(a.open(home.file("full.dat")), int(pack::kMaxEntries));
    std::vector<uint8_t> buf;
    size_t len = 0;
    EXPECT_EQ(a.readFile("F7", buf, len), PackArchive::kFromArchive);
    EXPECT_EQ(len, 23u);
}

}  // namespace
}  // namespace tnx::geodata
