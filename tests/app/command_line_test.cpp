#include <gtest/gtest.h>

#include <tuple>

#include "app/command_line.h"
#include "app/entry_point.h"

using namespace tnx::app;

TEST(EntryRoute, InstallerTakesArgumentTextsOf16To57Characters) {
    EXPECT_EQ(routeFor(std::string(15, 'x')), EntryRoute::Application);
    EXPECT_EQ(routeFor(std::string(16, 'x')), EntryRoute::Installer);
    EXPECT_EQ(routeFor(std::string(57, 'x')), EntryRoute::Installer);
    EXPECT_EQ(routeFor(std::string(58, 'x')), EntryRoute::Application);
    EXPECT_EQ(routeFor("InitTemAndTexture"), EntryRoute::Installer);
    // An installer-length text wins even when it holds 'p' or 'u'.
    EXPECT_EQ(routeFor("InstallTemAndTexture up.jpg"), EntryRoute::Installer);
}

TEST(EntryRoute, PreviewAndTextsWithUExitSilently) {
    EXPECT_EQ(routeFor("/p 1234"), EntryRoute::SilentExit);
    EXPECT_EQ(routeFor("/P"), EntryRoute::SilentExit);
    EXPECT_EQ(routeFor("/s u"), EntryRoute::SilentExit);
    EXPECT_EQ(routeFor("/t"), EntryRoute::Application);
    EXPECT_EQ(routeFor("/U"), EntryRoute::Application);  // only a lower-case u exits
    EXPECT_EQ(routeFor(""), EntryRoute::Application);
    EXPECT_EQ(runEntryPoint("/p 99", {}, nullptr), 0);
}

TEST(SaverCommandLine, OptionLettersChooseTheMode) {
    EXPECT_EQ(parseSaverCommandLine("terranox /S").mode, SaverMode::FullScreenSaver);
    EXPECT_EQ(parseSaverCommandLine("terranox -x").mode, SaverMode::FullScreenSaver);
    EXPECT_EQ(parseSaverCommandLine("terranox /s").mode, SaverMode::FullScreenSaver);
    EXPECT_EQ(parseSaverCommandLine("terranox /t").mode, SaverMode::InteractiveViewer);
    EXPECT_EQ(parseSaverCommandLine("terranox /T").mode, SaverMode::InteractiveViewer);
    EXPECT_EQ(parseSaverCommandLine("terranox").mode, SaverMode::Configuration);
    EXPECT_EQ(parseSaverCommandLine("terranox hello").mode, SaverMode::Configuration);
    EXPECT_EQ(parseSaverCommandLine("\"C:\\Program Files\\t-x\\terranox.scr\" /t").mode, SaverMode::InteractiveViewer);
    auto c = parseSaverCommandLine("terranox /c:4711");
    EXPECT_EQ(c.mode, SaverMode::Configuration);
    EXPECT_EQ(c.parentWindow, 4711);
    auto a = parseSaverCommandLine("terranox -a 99");
    EXPECT_EQ(a.mode, SaverMode::PasswordChange);
    EXPECT_EQ(a.parentWindow, 99);
    // The program path's own dash does not count: it is skipped first.
    EXPECT_EQ(parseSaverCommandLine("terra-nox").mode, SaverMode::Configuration);
}

TEST(LaunchOptions, OurOptionsAreTakenOutBeforeTheSaverRules) {
    std::string text;
    auto o = extractLaunchOptions({"/t", "--snapshot", "out.png", "--size", "640x480"}, text);
    EXPECT_EQ(text, "/t");
    ASSERT_TRUE(o.snapshotPath);
    EXPECT_EQ(*o.snapshotPath, "out.png");
    EXPECT_EQ(o.width, 640);
    EXPECT_EQ(o.height, 480);
    EXPECT_EQ(routeFor(text), EntryRoute::Application);

    o = extractLaunchOptions({"/t", "--look-at=7.5,46.5,300", "--time", "2026-06-21T12:00:00Z"}, text);
    ASSERT_TRUE(o.lookAt);
    EXPECT_DOUBLE_EQ(o.lookAt->longitudeDeg, 7.5);
    EXPECT_DOUBLE_EQ(o.lookAt->altitudeKm, 300);
    ASSERT_TRUE(o.time);
    EXPECT_TRUE(o.error.empty());

    EXPECT_FALSE(extractLaunchOptions({"--size", "12"}, text).error.empty());
    EXPECT_FALSE(extractLaunchOptions({"--look-at", "200,0,10"}, text).error.empty());
    EXPECT_FALSE(extractLaunchOptions({"--snapshot"}, text).error.empty());
    EXPECT_FALSE(extractLaunchOptions({"--frobnicate"}, text).error.empty());
    EXPECT_TRUE(extractLaunchOptions({"--help"}, text).help);
}

TEST(LaunchOptions, LookAtTakesAPlaceNameWithAnOptionalAltitude) {
    std::string text;
    auto o = extractLaunchOptions({"--look-at", "Paris"}, text);
    ASSERT_TRUE(o.lookAt);
    EXPECT_EQ(o.lookAtPlace, "Paris");
    EXPECT_EQ(o.lookAt->altitudeKm, 0);  // the place's default
    o = extractLaunchOptions({"--look-at=Korea, South,800"}, text);
    ASSERT_TRUE(o.lookAt);
    EXPECT_EQ(o.lookAtPlace, "Korea, South");
    EXPECT_DOUBLE_EQ(o.lookAt->altitudeKm, 800);
    o = extractLaunchOptions({"--look-at", "Korea, South"}, text);
    EXPECT_EQ(o.lookAtPlace, "Korea, South");  // no number after the last comma
    o = extractLaunchOptions({"--look-at", "S\xc3\xa3o Paulo , 250.5"}, text);
    EXPECT_EQ(o.lookAtPlace, "S\xc3\xa3o Paulo");
    EXPECT_DOUBLE_EQ(o.lookAt->altitudeKm, 250.5);
    EXPECT_FALSE(extractLaunchOptions({"--look-at", "Paris,-5"}, text).error.empty());
    EXPECT_FALSE(extractLaunchOptions({"--look-at", ",300"}, text).error.empty());
}

TEST(LaunchOptions, WhereWantsALongitudeAndALatitude) {
    std::string text;
    auto o = extractLaunchOptions({"--where", "2.35,48.85"}, text);
    ASSERT_TRUE(o.where);
    EXPECT_DOUBLE_EQ(o.where->longitudeDeg, 2.35);
    EXPECT_DOUBLE_EQ(o.where->latitudeDeg, 48.85);
    EXPECT_TRUE(o.error.empty());
    EXPECT_FALSE(extractLaunchOptions({"--where", "2.35"}, text).error.empty());
    EXPECT_FALSE(extractLaunchOptions({"--where", "2,91"}, text).error.empty());
    EXPECT_FALSE(extractLaunchOptions({"--where", "2,45,7"}, text).error.empty());
}

TEST(LaunchOptions, SeriesTimeAndLayers) {
    std::string text;
    auto o = extractLaunchOptions({"/t", "--snapshot", "f%04d.png", "--frames", "3", "--fps=12.5", "--time-rate", "-0.5",
                                   "--flight", "--hide", "hud,Cities", "--show", "graticule", "--hide=lights"},
                                  text);
    ASSERT_TRUE(o.error.empty()) << o.error;
    EXPECT_EQ(std::tuple(text, o.frames, o.fps, *o.timeRate, o.flight), std::tuple("/t", 3, 12.5, -0.5, true));
    EXPECT_EQ(std::tuple(o.layers.apply(Layer::Hud, true), o.layers.apply(Layer::Cities, true),
                         o.layers.apply(Layer::Graticule, false), o.layers.apply(Layer::Lights, true),
                         o.layers.apply(Layer::Stars, true), o.layers.apply(Layer::Stars, false)),
              std::tuple(false, false, true, false, true, false));
    // One picture needs no number field; a size beyond the screen is the device's to judge.
    o = extractLaunchOptions({"--snapshot", "wall.png", "--frames", "1", "--size", "3840x2160"}, text);
    EXPECT_TRUE(o.error.empty() && o.width == 3840) << o.error;

    // Every bad input: one line naming the option.
    const std::vector<std::vector<std::string>> bad = {
        {"--snapshot", "f%d.png", "--frames", "0"},   {"--snapshot", "f%d.png", "--frames", "2.5"},
        {"--snapshot", "f%d.png", "--frames", "x"},   {"--snapshot", "f.png", "--frames", "2"},
        {"--frames", "2"},                            {"--snapshot", "f%d%d.png", "--frames", "2"},
        {"--snapshot", "f%s.png", "--frames", "2"},   {"--snapshot", "f%ld.png", "--frames", "2"},
        {"--fps", "0"},                               {"--fps", "-3"},
        {"--fps", "30fps"},                           {"--time-rate", "fast"},
        {"--time-rate", ""},                          {"--time-rate", "1e12"},
        {"--time-rate", "nan"},                       {"--time", "2026-13-01T00:00:00Z"},
        {"--time", "yesterday"},                      {"--hide", "hud,clouds"},
        {"--show", ","},                              {"--frames"},
        {"--framesx", "2"}};
    for (const auto& args : bad) {
        o = extractLaunchOptions(args, text);
        EXPECT_FALSE(o.error.empty()) << args[0] << ' ' << (args.size() > 1 ? args[1] : "");
        EXPECT_EQ(o.error.find('\n'), std::string::npos);
    }
    EXPECT_NE(extractLaunchOptions({"--hide", "clouds"}, text).error.find("hud, cities, borders, rivers, graticule"),
              std::string::npos);
}

TEST(SeriesPattern, OneNumberFieldAtMost) {
    struct Case {
        const char* pattern;
        bool ok, field;
        const char* third;  // picture 3's name
    };
    const Case cases[] = {
        {"flight%04d.png", true, true, "flight0003.png"}, {"%d.png", true, true, "3.png"},
        {"a%%b%3i.png", true, true, "a%b  3.png"},        {"x%-5u.png", true, true, "x3    .png"},
        {"wall.png", true, false, "wall.png"},            {"100%%.png", true, false, "100%.png"},
        {"%d%d.png", false, false, nullptr},              {"%s.png", false, false, nullptr},
        {"%n.png", false, false, nullptr},                {"end%", false, false, nullptr},
        {"%999999999d.png", false, false, nullptr}};
    for (const Case& c : cases) {
        bool field = false;
        std::string why;
        ASSERT_EQ(checkSeriesPattern(c.pattern, field, why), c.ok) << c.pattern;
        if (c.ok) EXPECT_TRUE(field == c.field && seriesFileName(c.pattern, 3) == c.third) << c.pattern;
        else EXPECT_FALSE(why.empty());
    }
}
