// Settings records built by hand for the reader tests: size, name, payload.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/io/byte_io.h"

namespace tnx::test {

using Bytes = std::vector<uint8_t>;

// A record whose stored size is its true length plus `sizeAdjust`.
inline Bytes makeRecord(const std::string& name, const Bytes& payload, int sizeAdjust = 0) {
    Bytes out;
    io::ByteWriter w(out);
    w.u32(uint32_t(4 + name.size() + 1 + payload.size() + sizeAdjust));
    w.cstring(name);
    w.bytes(payload.data(), payload.size());
    return out;
}

// A string list record: size, an unused word, count, current index, 40
// unused bytes, then each string with its NUL and one more NUL (nothing for
// an empty list).
inline Bytes stringListRecord(const std::vector<std::string>& items, int32_t current = 0) {
    Bytes text;
    for (const std::string& s : items) text.insert(text.end(), s.c_str(), s.c_str() + s.size() + 1);
    if (!items.empty()) text.push_back(0);
    Bytes out;
    io::ByteWriter w(out);
    w.u32(uint32_t(56 + text.size()));
    w.u32(0);
    w.u32(uint32_t(items.size()));
    w.i32(current);
    w.zeros(40);
    w.bytes(text.data(), text.size());
    return out;
}

inline Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

}  // namespace tnx::test
