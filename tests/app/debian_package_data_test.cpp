// The Debian package as scripts/package.sh makes it (cpack on the built
// tree, about ten seconds): its name carries the program's version, it
// depends on what the program needs at run time and on no build tools, and
// it holds the program, its data and the desktop files under /usr.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <sstream>

#include "support/test_home.h"
#include "support/required_tool.h"

using namespace tnx;
namespace fs = std::filesystem;

namespace {

std::string output(const std::string& command) {
    std::string out;
    std::FILE* p = popen(command.c_str(), "r");
    if (!p) return out;
    std::array<char, 4096> buf;
    while (size_t n = std::fread(buf.data(), 1, buf.size(), p)) out.append(buf.data(), n);
    pclose(p);
    return out;
}

TEST(DebianPackage, CarriesProgramDataAndDesktopFilesWithRunTimeDependencies) {
    const char* cpack = std::getenv("TERRANOX_CPACK");
    const char* build = std::getenv("TERRANOX_BINARY_DIR");
    ASSERT_TRUE(cpack && build);
    ASSERT_TRUE(fs::exists(fs::path(build) / "app" / "pack.dat")) << "the data is not built";
    TNX_NEED_TOOL(std::system("command -v dpkg-shlibdeps >/dev/null 2>&1") == 0, "dpkg-shlibdeps (dpkg-dev)");
    test::TestHome out;
    std::string log = output("cd " + std::string(build) + " && " + cpack + " -G DEB -B " + out.path().string() + " 2>&1");
    std::vector<fs::path> debs;
    for (const auto& e : fs::directory_iterator(out.path()))
        if (e.path().extension() == ".deb") debs.push_back(e.path());
    ASSERT_EQ(debs.size(), 1u) << log;
    std::string version = output(std::string(build) + "/app/terranox --version");
    ASSERT_EQ(version.rfind("terranox ", 0), 0u);
    version = version.substr(9, version.find('\n') - 9);
    EXPECT_EQ(debs[0].filename().string(), "terranox_" + version + "_amd64.deb");

    std::string deb = debs[0].string();
    std::string depends = output("dpkg-deb -f " + deb + " Depends");
    for (const char* needed : {"libqt6gui6", "libqt6widgets6", "libqt6opengl6", "libjpeg62-turbo", "libstdc++6",
                               "libgl1-mesa-dri", "libglx-mesa0", "fonts-liberation"})
        EXPECT_NE(depends.find(needed), std::string::npos) << needed << " missing from: " << depends;
    std::istringstream each(depends);
    for (std::string dep; std::getline(each, dep, ',');)
        EXPECT_EQ(dep.find("-dev"), std::string::npos) << "a build tool:" << dep;

    std::string files = output("dpkg-deb -c " + deb);
    for (const char* f : {"./usr/bin/terranox", "./usr/share/terranox/pack.dat", "./usr/share/terranox/globe11c.tem",
                          "./usr/share/terranox/globetex11j90.tex", "./usr/share/terranox/zoom.cur",
                          "./usr/share/applications/com.tarnwick.Terranox.desktop",
                          "./usr/share/metainfo/com.tarnwick.Terranox.metainfo.xml",
                          "./usr/share/icons/hicolor/48x48/apps/terranox.png", "./usr/share/man/man1/terranox.1.gz",
                          "./usr/share/xscreensaver/config/terranox.xml"})
        EXPECT_NE(files.find(std::string(" ") + f + "\n"), std::string::npos) << f;
    std::istringstream lines(files);
    for (std::string line; std::getline(lines, line);) {
        std::string path = line.substr(line.rfind(' ') + 1);
        EXPECT_TRUE(path == "./" || path.rfind("./usr/", 0) == 0) << "outside /usr: " << path;
    }
}

}  // namespace
