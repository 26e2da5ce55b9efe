#include "netcdf_classic.h"

#include <bit>
#include <cstring>

namespace tnx::databuilder {

namespace {

constexpr uint32_t kDimensionTag = 0x0A;
constexpr uint32_t kVariableTag = 0x0B;
constexpr uint32_t kAttributeTag = 0x0C;
// Far beyond any real header; keeps damaged counts from looping for long.
constexpr uint32_t kMaxListEntries = 1u << 20;

int typeSize(int type) {
    switch (type) {
        case 1: case 2: return 1;
        case 3: return 2;
        case 4: case 5: return 4;
        case 6: return 8;
        default: return 0;
    }
}

// Big-endian reader that fails instead of running past the end.
class Cursor {
public:
    explicit Cursor(std::span<const uint8_t> data) : data_(data) {}
    bool ok() const { return ok_; }
    uint32_t u32() {
        if (!need(4)) return 0;
        const uint8_t* p = data_.data() + pos_;
        pos_ += 4;
        return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
    }
    uint64_t u64() {
        uint64_t hi = u32();
        return (hi << 32) | u32();
    }
    std::string name() {
        uint32_t n = u32();
        if (!need(padded(n))) return {};
        std::string s(reinterpret_cast<const char*>(data_.data() + pos_), n);
        pos_ += padded(n);
        return s;
    }
    void skip(uint64_t n) {
        if (need(n)) pos_ += size_t(n);
    }
    static uint64_t padded(uint64_t n) { return (n + 3) & ~uint64_t(3); }

private:
    bool need(uint64_t n) {
        if (!ok_ || n > data_.size() - pos_) ok_ = false;
        return ok_;
    }
    std::span<const uint8_t> data_;
    size_t pos_ = 0;
    bool ok_ = true;
};

template <typename T>
T fromBigEndian(const uint8_t* p, int type) {
    switch (type) {
        case 1: return T(int8_t(p[0]));
        case 2: return T(p[0]);
        case 3: return T(int16_t(uint16_t((p[0] << 8) | p[1])));
        case 4: return T(int32_t((uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3]));
        case 5: {
            uint32_t u = (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
            return T(std::bit_cast<float>(u));
        }
        case 6: {
            uint64_t u = 0;
            for (int i = 0; i < 8; ++i) u = (u << 8) | p[i];
            return T(std::bit_cast<double>(u));
        }
    }
    return T(0);
}

}  // namespace

bool NetcdfClassic::parse(std::span<const uint8_t> file) {
    file_ = file;
    dimensions_.clear();
    variables_.clear();
    error_.clear();
    if (file.size() < 4 || std::memcmp(file.data(), "CDF", 3) != 0 || (file[3] != 1 && file[3] != 2)) {
        error_ = "not a classic netCDF file";
        return false;
    }
    const bool offset64 = file[3] == 2;
    Cursor c(file.subspan(4));
    c.u32();  // record count
    auto listHeader = [&](uint32_t tag, uint32_t& count) {
        uint32_t t = c.u32();
        count = c.u32();
        if (t == 0 && count == 0) return true;
        return t == tag && count <= kMaxListEntries;
    };
    auto skipAttributes = [&] {
        uint32_t count;
        if (!listHeader(kAttributeTag, count)) return false;
        for (uint32_t i = 0; i < count && c.ok(); ++i) {
            c.name();
            int type = int(c.u32());
            uint64_t n = c.u32();
            if (typeSize(type) == 0) return false;
            c.skip(Cursor::padded(n * uint64_t(typeSize(type))));
        }
        return c.ok();
    };

    uint32_t count;
    if (!listHeader(kDimensionTag, count)) return error_ = "damaged dimension list", false;
    for (uint32_t i = 0; i < count && c.ok(); ++i) {
        Dimension d;
        d.name = c.name();
        d.length = c.u32();
        dimensions_.push_back(std::move(d));
    }
    if (!c.ok() || !skipAttributes()) return error_ = "damaged header", false;
    if (!listHeader(kVariableTag, count)) return error_ = "damaged variable list", false;
    for (uint32_t i = 0; i < count && c.ok(); ++i) {
        Variable v;
        v.name = c.name();
        uint32_t rank = c.u32();
        if (rank > 64) return error_ = "damaged variable " + v.name, false;
        for (uint32_t k = 0; k < rank; ++k) {
            uint32_t id = c.u32();
            if (id >= dimensions_.size()) return error_ = "variable " + v.name + " names a missing dimension", false;
            v.dimensions.push_back(int(id));
        }
        if (!skipAttributes()) return error_ = "damaged attributes of " + v.name, false;
        v.type = int(c.u32());
        v.size = c.u32();
        v.begin = offset64 ? c.u64() : c.u32();
        variables_.push_back(std::move(v));
    }
    if (!c.ok()) return error_ = "header runs past the end of the file", false;
    return true;
}

const NetcdfClassic::Variable* NetcdfClassic::variable(const std::string& name) const {
    for (const Variable& v : variables_)
        if (v.name == name) return &v;
    return nullptr;
}

std::vector<uint64_t> NetcdfClassic::shape(const Variable& v) const {
    std::vector<uint64_t> s;
    for (int d : v.dimensions) s.push_back(dimensions_[size_t(d)].length);
    return s;
}

template <typename T>
bool NetcdfClassic::readValues(const Variable& v, std::vector<T>& out) const {
    const int size = typeSize(v.type);
    if (size == 0 || v.type == 2) return false;
    uint64_t n = 1;
    for (uint64_t len : shape(v)) {
        if (len == 0) return false;  // record variables are not read
        if (n > (uint64_t(1) << 40) / len) return false;
        n *= len;
    }
    const uint64_t bytes = n * uint64_t(size);
    if (v.begin > file_.size() || bytes > file_.size() - v.begin) return false;
    out.resize(size_t(n));
    const uint8_t* p = file_.data() + v.begin;
    for (uint64_t i = 0; i < n; ++i) out[size_t(i)] = fromBigEndian<T>(p + i * uint64_t(size), v.type);
    return true;
}

bool NetcdfClassic::readDoubles(const Variable& v, std::vector<double>& out) const { return readValues(v, out); }
bool NetcdfClassic::readFloats(const Variable& v, std::vector<float>& out) const { return readValues(v, out); }

}  // namespace tnx::databuilder
