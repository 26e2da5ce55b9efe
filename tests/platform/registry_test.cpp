#include <gtest/gtest.h>

#include "platform/registry/registry.h"
#include "support/test_home.h"

using namespace tnx::registry;

TEST(Registry, ValuesKeepTheirTypes) {
    tnx::test::TestHome home;
    std::vector<uint8_t> bytes = {0, 1, 2, 255, '\n', '='};
    ASSERT_TRUE(setBinary(kProductKey, "Options", bytes));
    ASSERT_TRUE(setDword(std::string(kProductKey) + "\\Screen 1", "Width", 1280));
    ASSERT_TRUE(setString(kProductKey, "Name", "a b=c"));
    EXPECT_EQ(getBinary(kProductKey, "Options"), bytes);
    EXPECT_EQ(getDword(std::string(kProductKey) + "\\Screen 1", "Width"), 1280u);
    EXPECT_EQ(getString(kProductKey, "Name"), "a b=c");
    // Asking for another type than stored reads as missing.
    EXPECT_FALSE(getDword(kProductKey, "Options").has_value());
    EXPECT_FALSE(getBinary(std::string(kProductKey) + "\\Screen 1", "Width").has_value());
    EXPECT_FALSE(getString(std::string(kProductKey) + "\\Screen 1", "Width").has_value());
    EXPECT_FALSE(getDword(kProductKey, "Missing").has_value());
    // Key paths are case-insensitive; keys outside the product's key are not kept.
    EXPECT_EQ(getBinary("software\\tarnwick\\terranox", "Options"), bytes);
    EXPECT_FALSE(setDword("Control Panel\\Desktop", "ScreenSaveUsePassword", 1));
}
