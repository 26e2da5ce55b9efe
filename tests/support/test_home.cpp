#include "support/test_home.h"

#include <cstdlib>
#include <random>

namespace tnx::test {

TestHome::TestHome() {
    std::random_device rd;
    auto base = std::filesystem::temp_directory_path();
    do {
        path_ = base / ("terranox-test-" + std::to_string(rd()));
    } while (std::filesystem::exists(path_));
    std::filesystem::create_directories(path_ / "config");
    setenv("TERRANOX_HOME", path_.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (path_ / "config").c_str(), 1);
    setenv("XDG_CACHE_HOME", (path_ / "cache").c_str(), 1);
    setenv("TERRANOX_REGISTRY", (path_ / "config" / "registry.ini").c_str(), 1);
}

TestHome::~TestHome() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

}  // namespace tnx::test
