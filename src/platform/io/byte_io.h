// Little-endian reading and writing of stored records, field by field.
// Readers never go past the end of the span they were given: a read that
// would overrun leaves the reader failed and returns zero.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tnx::io {

inline uint16_t loadU16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t loadU32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline int32_t loadI32(const uint8_t* p) { return int32_t(loadU32(p)); }
inline float loadF32(const uint8_t* p) {
    uint32_t u = loadU32(p);
    float f;
    std::memcpy(&f, &u, 4);
    return f;
}
inline void storeU16(uint8_t* p, uint16_t v) { p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); }
inline void storeU32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); p[2] = uint8_t(v >> 16); p[3] = uint8_t(v >> 24);
}
inline void storeI32(uint8_t* p, int32_t v) { storeU32(p, uint32_t(v)); }
inline void storeF32(uint8_t* p, float f) {
    uint32_t u;
    std::memcpy(&u, &f, 4);
    storeU32(p, u);
}

// Sequential reader over a byte span.
class ByteReader {
public:
    ByteReader() = default;
    explicit ByteReader(std::span<const uint8_t> data) : data_(data) {}
    ByteReader(const uint8_t* data, size_t size) : data_(data, size) {}

    size_t position() const { return pos_; }
    size_t size() const { return data_.size(); }
    size_t remaining() const { return ok_ ? data_.size() - pos_ : 0; }
    bool ok() const { return ok_; }
    bool has(size_t n) const { return ok_ && n <= data_.size() - pos_; }
    const uint8_t* cursor() const { return data_.data() + pos_; }

    void seek(size_t pos) {
        if (pos > data_.size()) ok_ = false; else pos_ = pos;
    }
    void skip(size_t n) {
        if (!has(n)) ok_ = false; else pos_ += n;
    }
    uint8_t u8() { return has(1) ? data_[pos_++] : fail<uint8_t>(1); }
    uint16_t u16() { return take<uint16_t>(2, loadU16); }
    uint32_t u32() { return take<uint32_t>(4, loadU32); }
    int32_t i32() { return take<int32_t>(4, loadI32); }
    float f32() { return take<float>(4, loadF32); }
    bool bytes(void* out, size_t n) {
        if (!has(n)) { ok_ = false; return false; }
        std::memcpy(out, data_.data() + pos_, n);
        pos_ += n;
        return true;
    }
    // A NUL-terminated string; fails (and returns empty) when no NUL is found.
    std::string cstring() {
        if (!ok_) return {};
        const uint8_t* begin = data_.data() + pos_;
        const void* nul = std::memchr(begin, 0, data_.size() - pos_);
        if (!nul) { ok_ = false; return {}; }
        size_t len = static_cast<const uint8_t*>(nul) - begin;
        std::string s(reinterpret_cast<const char*>(begin), len);
        pos_ += len + 1;
        return s;
    }

private:
    template <typename T>
    T fail(size_t) { ok_ = false; return T{}; }
    template <typename T, typename F>
    T take(size_t n, F load) {
        if (!has(n)) { ok_ = false; return T{}; }
        T v = load(data_.data() + pos_);
        pos_ += n;
        return v;
    }

    std::span<const uint8_t> data_;
    size_t pos_ = 0;
    bool ok_ = true;
};

// Appending writer into a growable byte vector.
class ByteWriter {
public:
    ByteWriter() = default;
    explicit ByteWriter(std::vector<uint8_t>& out) : out_(&out) {}

    size_t position() const { return buf().size(); }
    void u8(uint8_t v) { buf().push_back(v); }
    void u16(uint16_t v) { uint8_t b[2]; storeU16(b, v); append(b, 2); }
    void u32(uint32_t v) { uint8_t b[4]; storeU32(b, v); append(b, 4); }
    void i32(int32_t v) { u32(uint32_t(v)); }
    void f32(float v) { uint8_t b[4]; storeF32(b, v); append(b, 4); }
    void zeros(size_t n) { buf().insert(buf().end(), n, 0); }
    void bytes(const void* p, size_t n) { append(static_cast<const uint8_t*>(p), n); }
    void cstring(std::string_view s) { append(reinterpret_cast<const uint8_t*>(s.data()), s.size()); u8(0); }
    // Overwrites four bytes already written (for sizes known only at the end).
    void patchU32(size_t at, uint32_t v) { storeU32(buf().data() + at, v); }
    std::vector<uint8_t>& data() { return buf(); }

private:
    std::vector<uint8_t>& buf() { return out_ ? *out_ : own_; }
    const std::vector<uint8_t>& buf() const { return out_ ? *out_ : own_; }
    void append(const uint8_t* p, size_t n) { buf().insert(buf().end(), p, p + n); }

    std::vector<uint8_t>* out_ = nullptr;
    std::vector<uint8_t> own_;
};

}  // namespace tnx::io
