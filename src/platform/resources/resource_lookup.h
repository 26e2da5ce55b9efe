// The default settings files the program carries ("3dvis.ini",
// "Terranox.ini"), looked up by file name ignoring case. They live in the
// program's resources under ":/defaults/".
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tnx::res {

// The bytes of the shipped default `name`, or nothing when there is none.
std::optional<std::vector<uint8_t>> findDefaultResource(const std::string& name);

// The same lookup in any folder Qt can list: a resource folder (":/...") or
// a directory on disk.
std::optional<std::vector<uint8_t>> findResourceIn(const std::string& folder, const std::string& name);

// When set, the hook answers findDefaultResource instead of the shipped
// resources (tests inject or hide defaults with it); an empty hook restores
// the shipped ones.
using DefaultResourceHook = std::function<std::optional<std::vector<uint8_t>>(const std::string& name)>;
void setDefaultResourceHook(DefaultResourceHook hook);

// Sets a hook for its lifetime.
class ScopedDefaultResourceHook {
public:
    explicit ScopedDefaultResourceHook(DefaultResourceHook hook) { setDefaultResourceHook(std::move(hook)); }
    ~ScopedDefaultResourceHook() { setDefaultResourceHook(nullptr); }
    ScopedDefaultResourceHook(const ScopedDefaultResourceHook&) = delete;
    ScopedDefaultResourceHook& operator=(const ScopedDefaultResourceHook&) = delete;
};

}  // namespace tnx::res
