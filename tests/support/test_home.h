// A throw-away program home and registry location for one test.
#pragma once

#include <filesystem>
#include <string>

namespace tnx::test {

class TestHome {
public:
    TestHome();
    ~TestHome();
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path file(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

}  // namespace tnx::test
