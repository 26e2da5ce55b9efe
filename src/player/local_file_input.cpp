#include "player/local_file_input.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "player/error_code.h"

namespace tnx::player {

namespace {

constexpr size_t kChunk = 16 * 1024;

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

struct Stamp {
    uintmax_t size = 0;
    std::filesystem::file_time_type time{};
    bool operator==(const Stamp&) const = default;
};

bool stampOf(const std::filesystem::path& p, Stamp& s) {
    std::error_code ec;
    s.size = std::filesystem::file_size(p, ec);
    if (ec) return false;
    s.time = std::filesystem::last_write_time(p, ec);
    return !ec;
}

}  // namespace

std::string LocalFileInput::pathFromItem(const std::string& item) {
    constexpr std::string_view kScheme = "file://";
    if (item.size() < kScheme.size()) return item;
    for (size_t i = 0; i < kScheme.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(item[i])) != kScheme[i]) return item;
    std::string rest = item.substr(kScheme.size());
    // "file://localhost/x" names "/x" as "file:///x" does.
    if (rest.starts_with("localhost/")) rest = rest.substr(9);
    std::string path;
    for (size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] == '%' && i + 2 < rest.size() && hexValue(rest[i + 1]) >= 0 && hexValue(rest[i + 2]) >= 0) {
            path += char(hexValue(rest[i + 1]) * 16 + hexValue(rest[i + 2]));
            i += 2;
        } else {
            path += rest[i];
        }
    }
    return path;
}

void LocalFileInput::run(const std::string& item, InputBuffer& buffer, DebugLog& log) {
    // Streams from the network are not ours to play.
    if (auto scheme = item.find("://"); scheme != std::string::npos && pathFromItem(item) == item) {
        log.error(LogClass::Input, kErrorProtocolNotSupported, "Cannot open file %s.", item.c_str());
        buffer.finish(kErrorProtocolNotSupported);
        return;
    }
    std::filesystem::path path = pathFromItem(item);
    std::error_code ec;
    auto status = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::exists(status)) {
        int32_t code = ec == std::errc::permission_denied ? kErrorFileNoAccess : kErrorFileNotFound;
        log.error(LogClass::Input, code, "Cannot open file %s.", path.c_str());
        buffer.finish(code);
        return;
    }
    // A directory, a pipe or a device named like a song: a pipe would block
    // the open for good and a device may never end.
    if (!std::filesystem::is_regular_file(status)) {
        log.error(LogClass::Input, kErrorFileInvalidArg, "Cannot open file %s.", path.c_str());
        buffer.finish(kErrorFileInvalidArg);
        return;
    }
    Stamp opened;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f || !stampOf(path, opened)) {
        int32_t code = errno == EACCES ? kErrorFileNoAccess : kErrorFileNotFound;
        if (f) std::fclose(f);
        log.error(LogClass::Input, code, "Cannot open file %s.", path.c_str());
        buffer.finish(code);
        return;
    }
    buffer.setSourceSize(int64_t(opened.size));
    log.log(LogClass::Input, "PMI: reading %s (%ju bytes)", path.c_str(), opened.size);

    uint8_t chunk[kChunk];
    uint64_t total = 0;
    int32_t outcome = kErrorNone;
    for (;;) {
        size_t n = std::fread(chunk, 1, sizeof chunk, f);
        if (n == 0) {
            if (std::ferror(f)) {
                outcome = kErrorReadFile;
                log.error(LogClass::Input, outcome, "reading %s", path.c_str());
            }
            break;
        }
        total += n;
        Stamp now;
        if (!stampOf(path, now) || !(now == opened)) {
            outcome = kErrorInputUnsuccessful;
            log.error(LogClass::Input, outcome, "%s changed while playing", path.c_str());
            break;
        }
        if (!buffer.write(chunk, n)) break;  // abandoned
    }
    std::fclose(f);
    // A file that shrank between two reads may end early without a change
    // of stamp being seen in time.
    if (outcome == kErrorNone && !buffer.aborted() && total != opened.size) {
        outcome = kErrorInputUnsuccessful;
        log.error(LogClass::Input, outcome, "%s changed while playing", path.c_str());
    }
    log.log(LogClass::Input, "PMI: %ju bytes read", uintmax_t(total));
    buffer.finish(outcome);
}

}  // namespace tnx::player
