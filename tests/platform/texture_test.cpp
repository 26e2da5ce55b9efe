#include "platform/gfx/texture.h"

#include <gtest/gtest.h>

#include <utility>

#include "platform/gfx/recording_device.h"

namespace tnx::gfx {
namespace {

TEST(Texture, ReleasedTexelsComeBackInEveryLevelOnTheNextWrite) {
    RecordingDevice device;
    auto staging = device.createTexture(4, 4, 1, Format::A8R8G8B8, Pool::SystemMem);
    auto tex = device.createTexture(4, 4, 0, Format::A8R8G8B8, Pool::Default);
    staging->levelData(0).assign(64, 7);
    // A copy of level 0 alone, then a lock: either way every level is there
    // again (a device uploads them all), the levels not written zeroed.
    for (bool lock : {false, true}) {
        tex->releaseTexels();
        EXPECT_FALSE(tex->holdsTexels());
        EXPECT_TRUE(std::as_const(*tex).levelData(0).empty());
        LockedRect r;
        ASSERT_EQ(lock ? tex->lock(0, r) : device.updateTexture(*staging, *tex), kOk);
        EXPECT_TRUE(tex->holdsTexels());
        EXPECT_EQ(std::as_const(*tex).levelData(0), std::vector<uint8_t>(64, lock ? 0 : 7));
        EXPECT_EQ(std::as_const(*tex).levelData(2), std::vector<uint8_t>(4, 0));
    }
}

}  // namespace
}  // namespace tnx::gfx
