#include "settings/string_list_record.h"

#include <cstring>

#include "platform/io/byte_io.h"
#include "settings/record.h"

namespace tnx::settings {

size_t writeStringListRecord(std::vector<uint8_t>& out, const StringList& list) {
    size_t start = out.size();
    io::ByteWriter w(out);
    w.u32(0);  // size, patched below
    w.u32(0);
    w.u32(uint32_t(list.items.size()));
    w.i32(list.current);
    w.zeros(40);
    if (!list.items.empty()) {
        for (const std::string& s : list.items) w.cstring(std::string_view(s.c_str()));
        w.u8(0);
    }
    size_t size = out.size() - start;
    w.patchU32(start, uint32_t(size));
    return size;
}

int readStringListRecord(std::span<const uint8_t> record, StringList& list) {
    if (record.size() < kStringListHeadLength) return kRecordOverrun;
    uint32_t size = io::loadU32(record.data());
    if (size < kStringListHeadLength || size > record.size()) return kRecordOverrun;
    StringList read;
    read.current = io::loadI32(record.data() + 12);
    const uint8_t* end = record.data() + size;
    const uint8_t* p = record.data() + kStringListHeadLength;
    size_t consumed = kStringListHeadLength;
    while (p < end) {
        const void* nul = std::memchr(p, 0, size_t(end - p));
        if (!nul) break;  // unterminated tail: dropped
        size_t length = static_cast<const uint8_t*>(nul) - p;
        consumed += length + 1;
        if (length == 0) break;  // the closing NUL
        read.items.emplace_back(reinterpret_cast<const char*>(p), length);
        p += length + 1;
    }
    list = std::move(read);
    return int(consumed);
}

}  // namespace tnx::settings
