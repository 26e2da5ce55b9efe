#include "country_product.h"

#include "platform/io/byte_io.h"

#include <gtest/gtest.h>

namespace tnx::databuilder {
namespace {

TEST(CountryProduct, WritesLatitudeBeforeLongitude) {
    CountryRecord france{"France", "Paris", "Old.", "Rich.", 66553766.0f, 643801.0f, 640427.0f, 0.8f, -1.2f};
    CountryRecord world{"World", " ", "", "", 7.2e9f, 5.1e8f, 1.49e8f, 0, 0};
    const auto file = CountryProduct::encode({world, france});
    io::ByteReader r(file);
    EXPECT_EQ(r.u32(), 2u);
    EXPECT_EQ(r.cstring(), "World");
    EXPECT_EQ(r.cstring(), " ");
    EXPECT_EQ(r.cstring(), "");
    EXPECT_EQ(r.cstring(), "");
    r.skip(20);
    EXPECT_EQ(r.cstring(), "France");
    EXPECT_EQ(r.cstring(), "Paris");
    EXPECT_EQ(r.cstring(), "Old.");
    EXPECT_EQ(r.cstring(), "Rich.");
    EXPECT_FLOAT_EQ(r.f32(), 66553766.0f);
    EXPECT_FLOAT_EQ(r.f32(), 643801.0f);
    EXPECT_FLOAT_EQ(r.f32(), 640427.0f);
    EXPECT_FLOAT_EQ(r.f32(), 0.8f);
    EXPECT_FLOAT_EQ(r.f32(), -1.2f);
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(r.remaining(), 0u);
}

}  // namespace
}  // namespace tnx::databuilder
