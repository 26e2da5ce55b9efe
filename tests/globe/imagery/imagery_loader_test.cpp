// The disk cache and the loader: disk first, six requests at most, the days
// before a missing one, pauses after failures, the memory budget; then the
// real client against a local server.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <csignal>
#include <sys/resource.h>
#include <thread>
#include <tuple>

#include "globe/image/test_jpeg.h"
#include "globe/imagery/imagery_loader.h"
#include "platform/io/file_io.h"
#include "platform/net/qt_http_client.h"
#include "support/test_home.h"
#include "support/tile_server.h"

namespace tnx::globe {
namespace {

using Bytes = std::vector<uint8_t>;

// A tile whose colour tells its place: red the level, green the row, blue
// the column (times 8, so JPEG's rounding cannot mix them up).
uint32_t colourOf(const ImageryTileKey& k) {
    return uint32_t(40 + 8 * k.level) << 16 | uint32_t(40 + 8 * (k.row % 24)) << 8 | uint32_t(40 + 8 * (k.column % 24));
}
Bytes codedTile(const ImageryTileKey& k) {
    Bytes px(512 * 512 * 3);
    for (size_t i = 0; i < px.size(); ++i) px[i] = uint8_t(colourOf(k) >> (16 - 8 * (i % 3)));
    return test::makeJpeg(px, 512, 512, 3, 90);
}
bool showsKey(const ImageryTile& t) {
    const uint32_t p = t.image.at(256, 256), want = colourOf(t.key);
    for (int shift : {0, 8, 16})
        if (std::abs(int(p >> shift & 0xFF) - int(want >> shift & 0xFF)) >= 4) return false;
    return true;
}

class FakeHttp : public net::HttpClient {
public:
    void get(uint64_t id, const std::string& url) override { started.push_back({id, url}); }
    void cancel(uint64_t) override {}
    std::vector<net::HttpResult> takeResults() override { return std::exchange(ready, {}); }
    void answer(size_t i, int status, Bytes body = {}) { ready.push_back({started.at(i).first, status, std::move(body), status ? "" : "refused"}); }
    std::vector<std::pair<uint64_t, std::string>> started;
    std::vector<net::HttpResult> ready;
};

class ImageryLoaderTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "imagery";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
    }
    ImagerySource source(const std::string& urlTemplate = "") {
        std::string error;
        return *ImagerySource::make(urlTemplate, settings::ImageryLayer::Daily, error);
    }
    std::unique_ptr<ImageryDiskCache> disk(uint64_t limit = 1u << 30) {
        return std::make_unique<ImageryDiskCache>(home.path() / "cache", limit);
    }
    auto loader(net::HttpClient* http, ImageryLoaderLimits limits = {}, const std::string& urlTemplate = "") {
        auto l = std::make_unique<ImageryLoader>(source(urlTemplate), http, disk(), limits);
        l->setDay(kDay);
        return l;
    }
    // Frames until `done` holds (the worker and the network run meanwhile).
    template <class F>
    bool frames(ImageryLoader& l, F done, int most = 3000) {
        for (int i = 0; i < most; ++i) {
            l.update(now);
            if (done()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return false;
    }
    // Puts a tile into the cache as an earlier run would have.
    void onDisk(const ImageryTileKey& k, int day) {
        ASSERT_TRUE(disk()->store(source().cacheFolder() + "/" + isoDate(day) + "/" + std::to_string(k.level) + "/" +
                                      std::to_string(k.row) + "/" + std::to_string(k.column) + ".jpg",
                                  codedTile(k)));
    }
    static constexpr int kDay = 19000;  // 2022-01-08
    test::TestHome home;
    double now = 100;
};

TEST_F(ImageryLoaderTest, DiskCacheStaysWithinItsLimitDroppingTheLeastUsed) {
    auto cache = disk(2500);
    const Bytes kilo(1000, 7);
    ASSERT_TRUE(cache->store("a/1.jpg", kilo));
    ASSERT_TRUE(cache->store("a/2.jpg", kilo));
    ASSERT_TRUE(cache->read("a/1.jpg"));  // used: 2 is now the oldest
    ASSERT_TRUE(cache->store("b/3.jpg", kilo));
    EXPECT_EQ(std::tuple(cache->holds("a/1.jpg"), cache->holds("a/2.jpg"), cache->bytesUsed()), std::tuple(true, false, 2000u));
    EXPECT_FALSE(std::filesystem::exists(cache->root() / "a/2.jpg"));

    // A fresh scan finds the same; a temporary left by a crash long ago
    // goes, one being written now stays; names cannot leave the folder.
    const auto old = cache->root() / "a/4.jpg.tmp123", fresh = cache->root() / "a/5.jpg.tmp9";
    ASSERT_TRUE(io::writeFileAtomically(old, kilo));
    ASSERT_TRUE(io::writeFileAtomically(fresh, kilo));
    std::filesystem::last_write_time(old, std::filesystem::file_time_type::clock::now() - std::chrono::hours(2));
    ImageryDiskCache again(cache->root(), 2500);
    again.scan();
    EXPECT_EQ(std::tuple(again.fileCount(), std::filesystem::exists(old), std::filesystem::exists(fresh)),
              std::tuple(2u, false, true));
    EXPECT_FALSE(again.store("../escape.jpg", kilo));
    again.setLimit(1000);
    EXPECT_EQ(again.fileCount(), 1u);

    // A full disk: the store fails, says why, and leaves no temporary and
    // the tile held before untouched.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit before{}, small{};
    getrlimit(RLIMIT_FSIZE, &before);
    small = {500, before.rlim_max};
    setrlimit(RLIMIT_FSIZE, &small);
    const bool stored = again.store("b/3.jpg", Bytes(4000, 1));
    setrlimit(RLIMIT_FSIZE, &before);
    EXPECT_FALSE(stored);
    EXPECT_NE(again.lastError().find("too large"), std::string::npos) << again.lastError();
    EXPECT_EQ(io::readWholeFile(again.root() / "b/3.jpg"), kilo);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(again.root() / "b"), {}), 1);

    EXPECT_EQ(ImageryDiskCache::defaultRoot("/x/cache", "/home/u"), "/x/cache/terranox/imagery");
    EXPECT_EQ(ImageryDiskCache::defaultRoot("relative", "/home/u"), "/home/u/.cache/terranox/imagery");
    EXPECT_EQ(ImageryDiskCache::defaultRoot(nullptr, nullptr), "");
}

TEST_F(ImageryLoaderTest, AsksTheDiskFirstAndTheServerSixAtATime) {
    std::vector<ImageryTileKey> keys;
    for (int c = 0; c < 9; ++c) keys.push_back({8, 36, 160 + c});
    onDisk(keys[0], kDay);
    // A damaged file is dropped and fetched again.
    const std::string damaged = source().cacheFolder() + "/" + isoDate(kDay) + "/8/36/161.jpg";
    ASSERT_TRUE(disk()->store(damaged, Bytes(3000, 0xFF)));
    FakeHttp http;
    auto l = loader(&http);
    l->want(keys);
    ASSERT_TRUE(frames(*l, [&] { return http.started.size() == 6 && l->tile(keys[0]); }));
    EXPECT_TRUE(l->tile(keys[0])->day == kDay && showsKey(*l->tile(keys[0])));
    for (auto& [id, url] : http.started) EXPECT_EQ(url.find("/8/36/160.jpg"), std::string::npos) << url;
    EXPECT_NE(http.started[0].second.find("/2022-01-08/250m/8/36/161.jpg"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(home.path() / "cache" / damaged));
    for (int i = 0; i < 50; ++i) l->update(now);
    EXPECT_EQ(std::tuple(http.started.size(), l->counters().mostInFlight), std::tuple(6u, 6));

    http.answer(0, 200, codedTile(keys[1]));
    ASSERT_TRUE(frames(*l, [&] { return http.started.size() == 7 && l->tile(keys[1]); }));
    EXPECT_TRUE(showsKey(*l->tile(keys[1])) && l->settled(keys[1]) && !l->settled(keys[2]));
    // What came from the network is on disk for the next run.
    auto next = loader(nullptr);
    next->want({keys[1]});
    EXPECT_TRUE(frames(*next, [&] { return next->tile(keys[1]) && next->counters().fromDisk == 1; }));
}

TEST_F(ImageryLoaderTest, AMissingDayIsLookedForOnTheDaysBeforeUpToThree) {
    const ImageryTileKey k{5, 7, 21}, none{5, 7, 22};
    FakeHttp http;
    auto l = loader(&http);
    l->want({k, none});
    const Bytes black = test::makeJpeg(Bytes(512 * 512 * 3, 0), 512, 512, 3);  // a day without data
    // Per day: what k and `none` get (k is found on the third day).
    const int answers[4][2] = {{404, 200}, {404, 404}, {200, 200}, {0, 404}};
    size_t asked = 0;
    for (int day = 0; day < 4; ++day) {
        const size_t count = day < 3 ? 2 : 1;
        ASSERT_TRUE(frames(*l, [&] { return http.started.size() == asked + count; })) << day;
        for (size_t i = asked; i < asked + count; ++i) {
            EXPECT_NE(http.started[i].second.find(isoDate(kDay - day)), std::string::npos) << day;
            const bool isK = http.started[i].second.find("/21.jpg") != std::string::npos;
            const int status = answers[day][isK ? 0 : 1];
            http.answer(i, status, status != 200 ? Bytes{} : isK ? codedTile(k) : black);
        }
        asked += count;
    }
    ASSERT_TRUE(frames(*l, [&] { return l->settled(none) && l->tile(k); }));
    EXPECT_TRUE(l->tile(k)->day == kDay - 2 && l->settled(k) && !l->tile(none));
    for (int i = 0; i < 20; ++i) l->update(now += 1000);
    EXPECT_EQ(std::tuple(http.started.size(), l->counters().missing), std::tuple(7u, 6));  // nothing asked again
}

TEST_F(ImageryLoaderTest, FailuresPauseAndTheCacheOffersAnEarlierDayMeanwhile) {
    const ImageryTileKey k{4, 3, 9};
    onDisk(k, kDay - 2);
    FakeHttp http;
    auto l = loader(&http);
    l->want({k});
    ASSERT_TRUE(frames(*l, [&] { return http.started.size() == 1; }));
    http.answer(0, 0);  // refused
    ASSERT_TRUE(frames(*l, [&] { return l->tile(k) != nullptr; }));
    EXPECT_EQ(l->tile(k)->day, kDay - 2);
    EXPECT_NE(l->status().find("gibs.earthdata.nasa.gov unreachable (refused), next try in 2 s"), std::string::npos)
        << l->status();
    for (int i = 0; i < 20; ++i) l->update(now + 1.9);
    EXPECT_EQ(http.started.size(), 1u);
    now += 2;
    ASSERT_TRUE(frames(*l, [&] { return http.started.size() == 2; }));
    // A web page sent as a tile is refused and asked for again later.
    const std::string page = "<html>maintenance</html>";
    http.answer(1, 200, Bytes(page.begin(), page.end()));
    ASSERT_TRUE(frames(*l, [&] { return l->status().find("web page") != std::string::npos; }));
    EXPECT_NE(l->status().find("next try in 4 s"), std::string::npos) << l->status();
    now += 4;
    ASSERT_TRUE(frames(*l, [&] { return http.started.size() == 3; }));
    http.answer(2, 200, codedTile(k));
    ASSERT_TRUE(frames(*l, [&] { return l->tile(k)->day == kDay; }));
    EXPECT_EQ(std::tuple(l->status(), l->counters().failures), std::tuple("", 2));
}

TEST_F(ImageryLoaderTest, DecodedTilesStayWithinTheMemoryBudget) {
    ImageryLoaderLimits limits;
    limits.memoryBytes = 3 * ImageryImage::levelOffset(512, 10) * 4;
    auto l = loader(nullptr, limits);
    std::vector<ImageryTileKey> first, second;
    for (int c = 0; c < 4; ++c) {
        first.push_back({6, 10, c});
        second.push_back({6, 11, c});
        onDisk(first.back(), kDay);
        onDisk(second.back(), kDay - 1);  // offline: found on the day before
    }
    l->want(first);  // only three fit
    ASSERT_TRUE(frames(*l, [&] { return l->tilesHeld() == 3; }));
    for (int i = 0; i < 20; ++i) l->update(now);
    EXPECT_TRUE(l->tilesHeld() == 3 && !l->tile(first[3]));
    l->want(second);
    ASSERT_TRUE(frames(*l, [&] { return l->tile(second[0]) && l->tile(second[1]) && l->tile(second[2]); }));
    EXPECT_TRUE(l->tile(second[0])->day == kDay - 1 && l->memoryUsed() <= limits.memoryBytes && !l->tile(first[0]));
}

TEST_F(ImageryLoaderTest, FetchesAViewFromALocalServerAndDrawsFromTheCacheWhenItStops) {
    auto server = std::make_unique<test::TileServer>([](const std::string& path) {
        int level, row, column;
        char day[16];
        if (std::sscanf(path.c_str(), "/wmts/%10[0-9-]/%d/%d/%d.jpg", day, &level, &row, &column) == 4)
            return test::ServerReply{.body = codedTile({level, row, column})};
        return test::ServerReply{.status = 404};
    });
    const std::string url = server->url("wmts/{Time}/{TileMatrix}/{TileRow}/{TileCol}.jpg");
    auto http = net::makeHttpClient({.userAgent = "Terranox-test"});
    ASSERT_TRUE(http);
    const ImageryTileGrid grid = source(url).grid();  // a copy: the source is a temporary
    // Across the date line and up to the pole.
    std::vector<ImageryTileKey> view = grid.tilesCovering({178, 87, -178, 90}, 7);
    ASSERT_EQ(view.size(), 4u);
    auto l = loader(http.get(), {}, url);
    l->want(view);
    ASSERT_TRUE(frames(*l, [&] { return std::all_of(view.begin(), view.end(), [&](auto& k) { return l->settled(k); }); }));
    const std::vector<std::string> requests = server->requests();
    std::set<std::string> asked(requests.begin(), requests.end()), expected;
    for (const auto& k : view) {
        EXPECT_TRUE(showsKey(*l->tile(k)));
        expected.insert("/wmts/2022-01-08/7/" + std::to_string(k.row) + "/" + std::to_string(k.column) + ".jpg");
    }
    EXPECT_EQ(asked, expected);
    // East of 178 E and west of 178 W.
    EXPECT_TRUE(expected.count("/wmts/2022-01-08/7/0/159.jpg") && expected.count("/wmts/2022-01-08/7/1/0.jpg"));

    server.reset();  // stopped: the next run draws from the cache
    auto again = loader(http.get(), {}, url);
    again->want(view);
    ASSERT_TRUE(frames(*again, [&] { return again->tilesHeld() == 4; }));
    EXPECT_EQ(std::tuple(again->counters().requests, again->counters().fromDisk), std::tuple(0, 4));
}

TEST_F(ImageryLoaderTest, ServersThatHangLoopOrCutShortFailWithoutHoldingFramesUp) {
    test::TileServer server([](const std::string& path) {
        test::ServerReply r;
        if (path.find("/7/") != std::string::npos) r.kind = test::ServerReply::Kind::Hang;
        if (path.find("/6/") != std::string::npos) r.status = 302, r.location = path;  // round and round
        if (path.find("/5/") != std::string::npos) r.kind = test::ServerReply::Kind::CutShort, r.body = codedTile({5, 0, 0});
        return r;
    });
    auto http = net::makeHttpClient({.stallMilliseconds = 400});
    const std::string url = server.url("{TileMatrix}/{TileRow}/{TileCol}.jpg");
    auto l = loader(http.get(), {}, url);
    std::vector<ImageryTileKey> hanging;
    for (int c = 0; c < 8; ++c) hanging.push_back({7, 1, c});
    l->want(hanging);
    // Frames go on while six requests hang.
    ASSERT_TRUE(frames(*l, [&] { return server.waiting() == 6; }));
    int framesWhileWaiting = 0;
    for (; server.waiting() == 6 && framesWhileWaiting < 100000; ++framesWhileWaiting) l->update(now);
    EXPECT_TRUE(framesWhileWaiting > 100 && l->counters().inFlight == 6) << framesWhileWaiting;
    ASSERT_TRUE(frames(*l, [&] { return l->counters().failures >= 6; }));
    // Six failing at once lengthen the pause by one step, not six.
    const std::string& status = l->status();
    EXPECT_TRUE(status.find("unreachable") != std::string::npos && status.ends_with("next try in 2 s")) << status;

    for (int level : {6, 5}) {
        auto other = loader(http.get(), {}, url);
        const ImageryTileKey k{level, 0, 1};
        other->want({k});
        ASSERT_TRUE(frames(*other, [&] { return other->counters().failures == 1; })) << level;
        EXPECT_TRUE(!other->tile(k) && !other->status().empty());
    }
}

}  // namespace
}  // namespace tnx::globe
