// The files the desktop reads: the menu entry and the software-centre
// description pass their validators, and the commands they and the
// screen-saver manager's hack description start are ones the program takes.
#include <gtest/gtest.h>

#include <QFile>
#include <QXmlStreamReader>
#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "app/command_line.h"
#include "support/required_tool.h"

using namespace tnx::app;

namespace {

std::filesystem::path desktopDir() {
    const char* dir = std::getenv("TERRANOX_BINARY_DIR");
    return dir ? std::filesystem::path(dir) / "desktop" : std::filesystem::path();
}

bool installed(const char* tool) { return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0; }

// Runs a command; its exit code and everything it printed.
int run(const std::string& command, std::string& output) {
    output.clear();
    std::FILE* p = popen((command + " 2>&1").c_str(), "r");
    if (!p) return -1;
    std::array<char, 512> buf;
    while (size_t n = std::fread(buf.data(), 1, buf.size(), p)) output.append(buf.data(), n);
    return pclose(p);
}

// The switches a command line hands the program, as main() splits them.
std::string switchesOf(const std::string& exec, LaunchOptions& launch) {
    std::istringstream words(exec);
    std::vector<std::string> args;
    std::string program, w;
    words >> program;
    EXPECT_EQ(program, "terranox") << exec;
    while (words >> w) args.push_back(w);
    std::string text;
    launch = extractLaunchOptions(args, text);
    EXPECT_TRUE(launch.error.empty()) << exec << ": " << launch.error;
    return text;
}

TEST(DesktopFiles, MenuEntryValidatesAndStartsTheViewerTheSaverAndItsSettings) {
    auto file = desktopDir() / "com.tarnwick.Terranox.desktop";
    ASSERT_TRUE(std::filesystem::exists(file)) << file;
    TNX_NEED_TOOL(installed("desktop-file-validate"), "desktop-file-validate (desktop-file-utils)");
    std::string out;
    EXPECT_EQ(run("desktop-file-validate " + file.string(), out), 0) << out;
    EXPECT_EQ(out, "") << "hints and warnings count too";
    std::ifstream in(file);
    std::vector<SaverMode> modes;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("Exec=", 0) != 0) continue;
        LaunchOptions launch;
        modes.push_back(parseSaverCommandLine("terranox " + switchesOf(line.substr(5), launch)).mode);
    }
    EXPECT_EQ(modes, (std::vector<SaverMode>{SaverMode::InteractiveViewer, SaverMode::FullScreenSaver,
                                             SaverMode::Configuration}));
}

TEST(DesktopFiles, MetainfoValidatesOffline) {
    auto file = desktopDir() / "com.tarnwick.Terranox.metainfo.xml";
    ASSERT_TRUE(std::filesystem::exists(file)) << file;
    TNX_NEED_TOOL(installed("appstreamcli"), "appstreamcli (appstream)");
    std::string out;
    EXPECT_EQ(run("appstreamcli validate --no-net " + file.string(), out), 0) << out;
}

TEST(DesktopFiles, HackDescriptionStartsTheManagedSaver) {
    QFile file(QString::fromStdString((desktopDir() / "terranox.xml").string()));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    ASSERT_TRUE(xml.readNextStartElement());
    EXPECT_EQ(xml.name(), QStringLiteral("screensaver"));
    EXPECT_EQ(xml.attributes().value("name"), QStringLiteral("terranox"));
    EXPECT_EQ(xml.attributes().value("gl"), QStringLiteral("yes"));
    std::string command = "terranox";
    bool described = false;
    while (xml.readNextStartElement()) {
        if (xml.name() == QStringLiteral("command")) command += " " + xml.attributes().value("arg").toString().toStdString();
        if (xml.name() == QStringLiteral("_description")) described = !xml.readElementText().trimmed().isEmpty();
        else xml.skipCurrentElement();
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_TRUE(described);
    LaunchOptions launch;
    EXPECT_EQ(switchesOf(command, launch), "");
    ASSERT_TRUE(launch.saverWindow) << command;
    EXPECT_TRUE(launch.saverWindow->root);
}

}  // namespace
