// Tools the suite takes from scripts/setup.sh. Under scripts/test.sh
// (TERRANOX_REQUIRE_TOOLS=1) a missing one fails the test with the install
// hint: the machine was not set up, and a skip would hide that. A developer
// running one test by hand without the tool sees it skipped.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string_view>

namespace tnx::test {

inline bool toolsRequired() {
    const char* v = std::getenv("TERRANOX_REQUIRE_TOOLS");
    return v && *v && std::string_view(v) != "0";
}

}  // namespace tnx::test

// In a test body or SetUp: nothing when `present`, else the failure or the
// skip, naming `what`.
#define TNX_NEED_TOOL(present, what)                                                    \
    if (present) {                                                                      \
    } else if (::tnx::test::toolsRequired())                                            \
        GTEST_FAIL() << what << " is missing; scripts/setup.sh installs it";            \
    else                                                                                \
        GTEST_SKIP() << what << " is not installed (scripts/setup.sh installs it)"
