// Per-frame cost of the astronomy and of the star field: the Sun/Moon
// computation, the atmosphere rings, and star culling plus sprite building for
// a synthetic catalogue the size of the real one (41,000 stars), looking at a
// crowded patch of sky and away from it.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "globe/sky/atmosphere.h"
#include "globe/sky/scene_astronomy.h"
#include "globe/sky/star_field.h"
#include "platform/io/byte_io.h"

namespace {

using namespace tnx;
using globe::SphereVisibility;

constexpr int kStarCount = 41000;
constexpr uint16_t kCrowdAzimuth = 16384;  // 90 degrees
constexpr uint16_t kCrowdPolar = 16384;    // the equator

// A "star.bin" image: half the stars spread over the sky, half crowded into a
// patch about 10 degrees across, like a dense part of the Milky Way.
std::vector<uint8_t> syntheticCatalogue() {
    std::mt19937 rng(2024);
    std::uniform_int_distribution<int> az(0, 65535), polar(0, 32767);
    std::normal_distribution<double> spread(0.0, 10.0 / 360.0 * 65536.0);
    std::exponential_distribution<double> bright(1.0 / 40.0);
    std::vector<uint8_t> bytes;
    io::ByteWriter w(bytes);
    w.i32(kStarCount);
    for (int i = 0; i < kStarCount; ++i) {
        int a, p;
        if (i % 2 == 0) {
            a = az(rng);
            p = polar(rng);
        } else {
            a = (int(kCrowdAzimuth + spread(rng)) % 65536 + 65536) % 65536;
            p = std::clamp(int(kCrowdPolar + spread(rng)), 0, 32767);
        }
        w.u16(uint16_t(a));
        w.u16(uint16_t(p));
        w.u16(uint16_t(std::min(bright(rng), 1000.0)));
    }
    return bytes;
}

// A camera-style frustum: near and side planes through the eye.
class Frustum {
public:
    Frustum(math::Vec3 eye, math::Vec3 dir, float fov, float aspect) : eye_(eye) {
        dir_ = math::normalize(dir);
        right_ = math::normalize(math::cross({0, 1, 0}, dir_));
        up_ = math::cross(dir_, right_);
        float s = std::tan(fov / 2) / aspect, t = s / std::sqrt(s * s + 1);
        n_[0] = {0, 0, -1};
        n_[1] = {-std::cos(fov / 2), 0, -std::sin(fov / 2)};
        n_[2] = {0, std::sqrt(1 - t * t), -t};
        n_[3] = {std::cos(fov / 2), 0, -std::sin(fov / 2)};
        n_[4] = {0, -std::sqrt(1 - t * t), -t};
    }
    SphereVisibility test(const math::Vec3& c, float r) const {
        math::Vec3 rel = c - eye_;
        math::Vec3 p{math::dot(rel, right_), math::dot(rel, up_), math::dot(rel, dir_)};
        bool partial = false;
        for (const auto& n : n_) {
            float d = math::dot(n, p);
            if (d >= r) return SphereVisibility::Outside;
            if (d >= -r) partial = true;
        }
        return partial ? SphereVisibility::Partial : SphereVisibility::Inside;
    }

private:
    math::Vec3 eye_, dir_, right_, up_;
    math::Vec3 n_[5];
};

void BM_ComputeAstronomy(benchmark::State& state) {
    globe::UtcTime t{2024, 6, 1, 10, 0, 0, 0};
    globe::SceneAstronomy a;
    for (auto _ : state) {
        t.millisecond = (t.millisecond + 16) % 1000;
        globe::computeAstronomy(t, a);
        benchmark::DoNotOptimize(a);
    }
}
BENCHMARK(BM_ComputeAstronomy);

void BM_AtmosphereRings(benchmark::State& state) {
    globe::Atmosphere atmosphere;
    math::Vec3 cam{120, 40, -250};
    for (auto _ : state) {
        cam.x += 0.01f;
        atmosphere.update(cam, {-1, 0.2f, 0});
        benchmark::DoNotOptimize(atmosphere.vertices().data());
    }
}
BENCHMARK(BM_AtmosphereRings);

void BM_StarFieldLoad(benchmark::State& state) {
    std::vector<uint8_t> bytes = syntheticCatalogue();
    globe::StarField field;
    for (auto _ : state) benchmark::DoNotOptimize(field.load(bytes));
}
BENCHMARK(BM_StarFieldLoad)->Unit(benchmark::kMillisecond);

// One frame's culling and sprite building over all 32 top nodes.
void starFrame(benchmark::State& state, bool towardCrowd) {
    globe::StarField field;
    field.load(syntheticCatalogue());
    const float skyRotation = 0.8f;
    math::Matrix world = globe::StarField::skyWorld(skyRotation);
    math::Vec3 crowd = math::transformNormal(globe::StarField::direction(kCrowdAzimuth, kCrowdPolar), world);
    math::Vec3 look = towardCrowd ? crowd : -crowd;
    Frustum frustum(look * -300.0f, look, 0.9f, 4.0f / 3.0f);
    globe::SphereTest test = [&frustum](const math::Vec3& c, float r) { return frustum.test(c, r); };
    int64_t sprites = 0;
    for (auto _ : state) {
        int frameSprites = 0;
        for (int row = 0; row < globe::StarField::kTopRows; ++row)
            for (int col = 0; col < globe::StarField::kTopColumns; ++col) {
                frameSprites += field.buildTopNode(col, row, world, test, 1100.0f);
                benchmark::DoNotOptimize(field.sprites().data());
            }
        sprites = frameSprites;
    }
    state.counters["sprites"] = double(sprites);
    state.counters["stars"] = double(field.starCount());
}

void BM_StarsTowardCrowdedSky(benchmark::State& state) { starFrame(state, true); }
void BM_StarsAwayFromCrowd(benchmark::State& state) { starFrame(state, false); }
BENCHMARK(BM_StarsTowardCrowdedSky)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StarsAwayFromCrowd)->Unit(benchmark::kMicrosecond);

// Every star emitted: the worst case, the whole sky inside the view.
void BM_StarsWholeSky(benchmark::State& state) {
    globe::StarField field;
    field.load(syntheticCatalogue());
    math::Matrix world = globe::StarField::skyWorld(0);
    globe::SphereTest all = [](const math::Vec3&, float) { return SphereVisibility::Inside; };
    for (auto _ : state)
        for (int row = 0; row < globe::StarField::kTopRows; ++row)
            for (int col = 0; col < globe::StarField::kTopColumns; ++col)
                benchmark::DoNotOptimize(field.buildTopNode(col, row, world, all, 1100.0f));
}
BENCHMARK(BM_StarsWholeSky)->Unit(benchmark::kMicrosecond);

}  // namespace
