// A small reader for netCDF classic files (CDF-1 and the 64-bit-offset
// CDF-2): enough to pull one fixed-size numeric variable out of a file such
// as the ETOPO5 elevation grid. Every header field and data range is checked
// against the file's size; a damaged file gives an error, never a read past
// its end.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tnx::databuilder {

class NetcdfClassic {
public:
    struct Dimension {
        std::string name;
        uint64_t length = 0;  // 0 = the record dimension
    };
    struct Variable {
        std::string name;
        std::vector<int> dimensions;  // indices into dimensions()
        int type = 0;                 // 1 byte, 2 char, 3 short, 4 int, 5 float, 6 double
        uint64_t size = 0;
        uint64_t begin = 0;
    };

    // Parses the header of a whole file held in memory (which must outlive
    // the reader). False with a reason in error() when it is not a classic
    // netCDF file or its header is damaged.
    bool parse(std::span<const uint8_t> file);
    const std::string& error() const { return error_; }

    const std::vector<Dimension>& dimensions() const { return dimensions_; }
    const std::vector<Variable>& variables() const { return variables_; }
    const Variable* variable(const std::string& name) const;
    // The variable's shape, outermost dimension first.
    std::vector<uint64_t> shape(const Variable& v) const;

    // A fixed-size numeric variable converted to doubles, row-major. False
    // when it is a record variable, not numeric, or lies outside the file.
    bool readDoubles(const Variable& v, std::vector<double>& out) const;
    // The same as floats (half the memory for large grids).
    bool readFloats(const Variable& v, std::vector<float>& out) const;

private:
    template <typename T>
    bool readValues(const Variable& v, std::vector<T>& out) const;

    std::span<const uint8_t> file_;
    std::vector<Dimension> dimensions_;
    std::vector<Variable> variables_;
    std::string error_;
};

}  // namespace tnx::databuilder
