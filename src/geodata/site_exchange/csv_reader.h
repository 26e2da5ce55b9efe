// CSV as spreadsheets write it (RFC 4180 quoting; comma, semicolon or tab
// between fields, chosen by the header line): a header row names the
// columns in any order and any letter case: "name", "lat"/"latitude",
// "lon"/"lng"/"long"/"longitude", and optionally "alt"/"altitude"/
// "elevation"/"ele" (metres) and "population". UTF-8 with or without a
// byte order mark, or Windows-1252 when the bytes are not UTF-8. With
// semicolons a decimal comma ("48,85") is read as a point.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "geodata/site_exchange/place_list.h"

namespace tnx::geodata {

class CsvReader {
public:
    static PlaceList read(std::span<const uint8_t> bytes);

    // One record from `at` on (UTF-8 text): its fields, unquoted; `at` moves
    // past its line end and `line` counts the line ends passed. False at the
    // end of the text, or with `unclosed` set when a quoted field runs to
    // the end.
    static bool nextRecord(std::string_view text, size_t& at, char delimiter, std::vector<std::string>& fields,
                           size_t& line, bool& unclosed);
};

}  // namespace tnx::geodata
