// --import-sites and --export-sites: the exit statuses, the lines on stderr
// and stdout, "usersite.bin" written once per import that brought something
// and left byte for byte alone otherwise, and an export that imports back.
#include "app/site_file_command.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "support/test_home.h"

namespace tnx::app {
namespace {

struct Outcome {
    int status;
    std::string out, err;
};

class SiteFileCommandTest : public ::testing::Test {
protected:
    Outcome run(const std::vector<std::string>& args) {
        std::string text;
        LaunchOptions o = extractLaunchOptions(args, text);
        EXPECT_TRUE(o.siteFile) << o.error;
        if (!o.siteFile) return {-1, "", o.error};
        char *out = nullptr, *err = nullptr;
        size_t outSize = 0, errSize = 0;
        std::FILE* o1 = open_memstream(&out, &outSize);
        std::FILE* e1 = open_memstream(&err, &errSize);
        o.siteFile->path = home_.file(o.siteFile->path).string();
        Outcome r{runSiteFileCommand(*o.siteFile, o1, e1), "", ""};
        std::fclose(o1);
        std::fclose(e1);
        r.out.assign(out, outSize);
        r.err.assign(err, errSize);
        std::free(out);
        std::free(err);
        return r;
    }
    void put(const std::string& name, const std::string& text) { std::ofstream(home_.file(name)) << text; }
    std::string sites() const {
        std::ifstream in(home_.file("usersite.bin"), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    test::TestHome home_;
};

TEST_F(SiteFileCommandTest, ExitStatusesAndTheSitesFileWrittenOnlyWhenSomethingCameIn) {
    put("trip.kml",
        "<kml><Folder><Placemark><name>Hut</name><Point><coordinates>7.5,45.25</coordinates></Point></Placemark>"
        "<Placemark><name>Lake</name><Point><coordinates>6.5,46.5</coordinates></Point></Placemark></Folder></kml>");
    Outcome r = run({"--import-sites", "trip.kml"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "imported 2, skipped 0, already present 0, names changed 0\n");
    const std::string first = sites();
    ASSERT_EQ(first.size(), 8u + 2 * 92);

    // Again: nothing new, and the file is not rewritten (its time stays).
    r = run({"--import-sites=trip.kml"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "imported 0, skipped 0, already present 2, names changed 0\n");
    EXPECT_EQ(sites(), first);

    put("mixed.csv", "name,lat,lon\nHut,45.25,7.5\nFar,95,1\nPeak,46,8\n");
    r = run({"--import-sites", "mixed.csv"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, home_.file("mixed.csv").string() + ": line 3: latitude 95 out of range\n");
    EXPECT_EQ(r.out, "imported 1, skipped 1, already present 1, names changed 0\n");
    const std::string second = sites();
    EXPECT_EQ(second.size(), 8u + 3 * 92);

    for (const char* broken : {"<gpx><wpt lat=\"1\" lon=\"2\"><name>cut", "<gpx/>"}) {
        put("broken.gpx", broken);
        r = run({"--import-sites", "broken.gpx"});
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("broken.gpx: "), std::string::npos);
    }
    EXPECT_EQ(run({"--import-sites", "absent.csv"}).status, 2);
    EXPECT_EQ(sites(), second);

    // Exported and imported back: the same three sites, already there.
    r = run({"--export-sites", "all.geojson"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "exported 3 sites to " + home_.file("all.geojson").string() + "\n");
    r = run({"--import-sites", "all.geojson"});
    EXPECT_EQ(r.out, "imported 0, skipped 0, already present 3, names changed 0\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(run({"--export-sites", "all.txt"}).status, 2);
    std::string text;
    EXPECT_FALSE(extractLaunchOptions({"--export-sites"}, text).error.empty());
}

}  // namespace
}  // namespace tnx::app
