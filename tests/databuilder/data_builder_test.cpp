#include "data_builder.h"
#include "geography_sources.h"
#include "globe_sources.h"

#include "geodata/pack_archive.h"
#include "globe/image/jpeg_encoder.h"
#include "platform/io/file_io.h"
#include "support/test_home.h"

#include <gtest/gtest.h>

#include <fstream>

namespace tnx::databuilder {
namespace {

namespace fs = std::filesystem;

void writeText(const fs::path& p, const std::string& text) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << text;
}

std::string readText(const fs::path& p) {
    auto bytes = io::readWholeFile(p);
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string("<missing>");
}

// A product that copies its inputs, upper-cased, into its outputs and counts
// how often it was made.
class CopyProduct : public BuildProduct {
public:
    CopyProduct(std::string name, std::vector<std::string> inputs, std::vector<ProductFile> outputs)
        : name_(std::move(name)), inputs_(std::move(inputs)), outputs_(std::move(outputs)) {}

    std::string name() const override { return name_; }
    int version() const override { return version_; }
    std::vector<std::string> inputs() const override { return inputs_; }
    std::vector<ProductFile> outputs() const override { return outputs_; }
    bool build(const SourceCache& sources, ProductFiles& files, std::string& error) override {
        ++builds;
        if (failWith) {
            error = failWith;
            return false;
        }
        std::string text = name_ + ":";
        for (const auto& in : inputs_)
            if (!fs::is_directory(sources.path(in))) text += readText(sources.path(in));
        for (char& c : text) c = char(std::toupper(static_cast<unsigned char>(c)));
        for (const auto& out : outputs_) files[out.name] = std::vector<uint8_t>(text.begin(), text.end());
        return true;
    }

    int builds = 0;
    int version_ = 1;
    const char* failWith = nullptr;

private:
    std::string name_;
    std::vector<std::string> inputs_;
    std::vector<ProductFile> outputs_;
};

class DataBuilderTest : public ::testing::Test {
protected:
    void SetUp() override {
        sources = home.file("sources");
        out = home.file("out");
        writeText(sources / "a/one.txt", "one");
        writeText(sources / "b/two.txt", "two");
    }

    // A builder over the same folders each time, as successive runs would be.
    DataBuilder makeBuilder() {
        DataBuilder b{SourceCache(sources), out};
        auto p1 = std::make_unique<CopyProduct>("first", std::vector<std::string>{"a/one.txt"},
                                                std::vector<ProductFile>{{"first.bin", true}});
        auto p2 = std::make_unique<CopyProduct>("second", std::vector<std::string>{"b/two.txt", "a"},
                                                std::vector<ProductFile>{{"second.bin", true}, {"loose.cur", false}});
        first = p1.get();
        second = p2.get();
        b.add(std::move(p1));
        b.add(std::move(p2));
        return b;
    }

    std::string packed(const std::string& name) {
        geodata::PackArchive archive;
        if (archive.open(out / "pack.dat") <= 0) return "<no pack>";
        std::vector<uint8_t> buffer;
        size_t length = 0;
        if (archive.readFile(name, buffer, length) != geodata::PackArchive::kFromArchive) return "<not packed>";
        return std::string(buffer.begin(), buffer.begin() + long(length));
    }

    test::TestHome home;
    fs::path sources, out;
    CopyProduct* first = nullptr;
    CopyProduct* second = nullptr;
};

TEST_F(DataBuilderTest, FirstRunMakesEverythingSecondRunNothing) {
    {
        DataBuilder b = makeBuilder();
        ASSERT_TRUE(b.run()) << b.error();
        EXPECT_EQ(b.report().built, (std::vector<std::string>{"first", "second"}));
        EXPECT_TRUE(b.report().packWritten);
    }
    EXPECT_EQ(packed("first.bin"), "FIRST:ONE");
    EXPECT_EQ(packed("pack\\second.bin"), "SECOND:TWO");
    EXPECT_EQ(packed("loose.cur"), "<not packed>");
    EXPECT_EQ(readText(out / "loose.cur"), "SECOND:TWO");

    DataBuilder again = makeBuilder();
    ASSERT_TRUE(again.run()) << again.error();
    EXPECT_TRUE(again.report().built.empty());
    EXPECT_EQ(again.report().current.size(), 2u);
    EXPECT_FALSE(again.report().packWritten);
    EXPECT_EQ(first->builds + second->builds, 0);
}

TEST_F(DataBuilderTest, ChangedInputRemakesItsProductsAndThePack) {
    { DataBuilder b = makeBuilder(); ASSERT_TRUE(b.run()) << b.error(); }
    writeText(sources / "b/two.txt", "deux");
    {
        DataBuilder b = makeBuilder();
        ASSERT_TRUE(b.run()) << b.error();
        EXPECT_EQ(b.report().built, std::vector<std::string>{"second"});
        EXPECT_TRUE(b.report().packWritten);
    }
    EXPECT_EQ(packed("second.bin"), "SECOND:DEUX");
    EXPECT_EQ(packed("first.bin"), "FIRST:ONE");

    // A file inside an input folder counts as input too.
    writeText(sources / "a/new.txt", "x");
    DataBuilder b = makeBuilder();
    ASSERT_TRUE(b.run()) << b.error();
    EXPECT_EQ(b.report().built, std::vector<std::string>{"second"});
}

TEST_F(DataBuilderTest, MissingOutputsAreMadeAgain) {
    { DataBuilder b = makeBuilder(); ASSERT_TRUE(b.run()) << b.error(); }
    fs::remove(out / "pack.dat");
    {
        DataBuilder b = makeBuilder();
        ASSERT_TRUE(b.run()) << b.error();
        EXPECT_TRUE(b.report().built.empty());  // the members are still there
        EXPECT_TRUE(b.report().packWritten);
    }
    EXPECT_EQ(packed("second.bin"), "SECOND:TWO");

    fs::remove(out / "loose.cur");
    DataBuilder b = makeBuilder();
    ASSERT_TRUE(b.run()) << b.error();
    EXPECT_EQ(b.report().built, std::vector<std::string>{"second"});
    EXPECT_EQ(readText(out / "loose.cur"), "SECOND:TWO");
}

TEST_F(DataBuilderTest, NewProductVersionOrForceRemakes) {
    { DataBuilder b = makeBuilder(); ASSERT_TRUE(b.run()) << b.error(); }
    {
        DataBuilder b = makeBuilder();
        first->version_ = 2;
        ASSERT_TRUE(b.run()) << b.error();
        EXPECT_EQ(b.report().built, std::vector<std::string>{"first"});
    }
    DataBuilder b = makeBuilder();
    first->version_ = 2;
    ASSERT_TRUE(b.run(true)) << b.error();
    EXPECT_EQ(b.report().built.size(), 2u);
    EXPECT_TRUE(b.report().packWritten);
}

TEST_F(DataBuilderTest, MissingSourceFailsNamingItAndKeepsFinishedWork) {
    fs::remove(sources / "b/two.txt");
    {
        DataBuilder b = makeBuilder();
        EXPECT_FALSE(b.run());
        EXPECT_NE(b.error().find("second"), std::string::npos) << b.error();
        EXPECT_NE(b.error().find("two.txt"), std::string::npos) << b.error();
        EXPECT_EQ(b.report().built, std::vector<std::string>{"first"});
        EXPECT_FALSE(fs::exists(out / "pack.dat"));
    }
    writeText(sources / "b/two.txt", "two");
    DataBuilder b = makeBuilder();
    ASSERT_TRUE(b.run()) << b.error();
    EXPECT_EQ(b.report().built, std::vector<std::string>{"second"});
    EXPECT_EQ(packed("first.bin"), "FIRST:ONE");
}

TEST_F(DataBuilderTest, FailingProductLeavesTheOldPackAlone) {
    { DataBuilder b = makeBuilder(); ASSERT_TRUE(b.run()) << b.error(); }
    writeText(sources / "a/one.txt", "uno");
    DataBuilder b = makeBuilder();
    second->failWith = "broken source";
    EXPECT_FALSE(b.run());
    EXPECT_NE(b.error().find("second: broken source"), std::string::npos) << b.error();
    EXPECT_EQ(packed("first.bin"), "FIRST:ONE");
}

TEST_F(DataBuilderTest, TwoProductsMayNotMakeTheSameFile) {
    DataBuilder b{SourceCache(sources), out};
    b.add(std::make_unique<CopyProduct>("x", std::vector<std::string>{}, std::vector<ProductFile>{{"same.bin", true}}));
    b.add(std::make_unique<CopyProduct>("y", std::vector<std::string>{}, std::vector<ProductFile>{{"same.bin", false}}));
    EXPECT_FALSE(b.run());
    EXPECT_NE(b.error().find("same.bin"), std::string::npos);
}

TEST(BuildStamp, ForgetsKeysOfAnotherBuilderVersion) {
    test::TestHome home;
    const fs::path path = home.file("stamp");
    BuildStamp a(1);
    a.setKey("sky", "abc");
    ASSERT_TRUE(a.save(path));
    BuildStamp same(1);
    same.load(path);
    EXPECT_EQ(same.key("sky"), "abc");
    BuildStamp other(2);
    other.load(path);
    EXPECT_EQ(other.size(), 0u);
    writeText(path, "garbage\n");
    same.load(path);
    EXPECT_EQ(same.size(), 0u);
}

// The real products over a small source cache: a few stars and a small Moon.
TEST(StandardProducts, MakeThePackAndTheCursors) {
    test::TestHome home;
    const fs::path sources = home.file("sources"), out = home.file("out");
    writeText(sources / source::kStarCatalogue,
              R"({"type":"FeatureCollection","features":[)"
              R"({"type":"Feature","id":1,"properties":{"mag":-1.44},"geometry":{"type":"Point","coordinates":[101.2872,-16.7161]}},)"
              R"({"type":"Feature","id":2,"properties":{"mag":7.5},"geometry":{"type":"Point","coordinates":[-10,20]}}]})");
    std::vector<uint8_t> moon;
    ASSERT_TRUE(globe::encodeJpeg(std::vector<uint8_t>(64 * 32, 128), 64, 32, 1, 90, moon));
    fs::create_directories((sources / source::kMoonTexture).parent_path());
    ASSERT_TRUE(io::writeFileAtomically(sources / source::kMoonTexture, moon));
    // The globe's and the geography's sources, small but of the real shapes.
    test::writeGeographySources(sources);
    for (auto [rel, bytes] : {std::pair{source::kElevation, test::netcdfGrid(12, 7, std::vector<float>(84, 100.0f))},
                              std::pair{source::kEarthImage, test::worldImage(2048, 1024, 20, 40, 160)},
                              std::pair{source::kNightImage, test::worldImage(4096, 2048, 2, 20, 44)}}) {
        fs::create_directories((sources / rel).parent_path());
        ASSERT_TRUE(io::writeFileAtomically(sources / rel, bytes));
    }

    DataBuilder b{SourceCache(sources), out};
    for (auto& p : DataBuilder::standardProducts()) b.add(std::move(p));
    ASSERT_TRUE(b.run()) << b.error();

    geodata::PackArchive archive;
    ASSERT_EQ(archive.open(out / "pack.dat"), 11);
    for (const char* name : {"readme.txt", "star.bin", "space.jpg", "moon.jpg", "star.jpg", "place.jpg", "button.jpg",
                             "country.bin", "CARTE.BIN2", "CARTE.ZONES", "site.bin"}) {
        std::vector<uint8_t> buffer;
        size_t length = 0;
        EXPECT_EQ(archive.readFile(name, buffer, length), geodata::PackArchive::kFromArchive) << name;
        EXPECT_GT(length, 0u) << name;
    }
    std::vector<uint8_t> stars;
    size_t length = 0;
    archive.readFile("star.bin", stars, length);
    EXPECT_EQ(length, 4u + 2u * 6u);
    std::vector<uint8_t> packedMoon;
    archive.readFile("pack\\moon.jpg", packedMoon, length);
    EXPECT_EQ(std::vector<uint8_t>(packedMoon.begin(), packedMoon.begin() + long(length)), moon);
    EXPECT_TRUE(fs::is_regular_file(out / "zoom.cur"));
    EXPECT_TRUE(fs::is_regular_file(out / "distance.cur"));
    EXPECT_TRUE(fs::is_regular_file(out / "globe11c.tem"));
    EXPECT_TRUE(fs::is_regular_file(out / "globetex11j90.tex"));

    // A Moon map that is not 2:1 is refused.
    ASSERT_TRUE(globe::encodeJpeg(std::vector<uint8_t>(64 * 64, 128), 64, 64, 1, 90, moon));
    ASSERT_TRUE(io::writeFileAtomically(sources / source::kMoonTexture, moon));
    DataBuilder again{SourceCache(sources), out};
    for (auto& p : DataBuilder::standardProducts()) again.add(std::move(p));
    EXPECT_FALSE(again.run());
    EXPECT_NE(again.error().find("moon.jpg"), std::string::npos) << again.error();
}

}  // namespace
}  // namespace tnx::databuilder
