// The unnamed string list record used inside "saveconfigglobe" and
// "saveconfigmp3": a 56-byte head (size, unused, count, current index, 40
// unused bytes), then each string with its NUL and one closing NUL. An empty
// list is the head alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tnx::settings {

struct StringList {
    std::vector<std::string> items;
    int32_t current = 0;  // meaning owned by the list's user
};

inline constexpr size_t kStringListHeadLength = 56;

// Appends the record and returns its size: 56 for an empty list, else
// 56 + sum(length + 1) + 1. A string stops at its first NUL; an empty string
// ends the list for a reader, so owners should not store one.
size_t writeStringListRecord(std::vector<uint8_t>& out, const StringList& list);

// Reads a record that starts at record[0]; reading stays inside both the span
// and the record's stored size. Strings are read up to the first empty one
// (or a string left without its NUL at the record's end). Returns the bytes
// consumed (56 for an empty list, 57 + sum(length + 1) for a closed one), or
// -2 when the head or the stored size does not fit; then `list` is unchanged.
int readStringListRecord(std::span<const uint8_t> record, StringList& list);

}  // namespace tnx::settings
