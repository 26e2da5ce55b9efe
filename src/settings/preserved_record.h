// Stands in for a record whose owner is not present: keeps the record's
// bytes as read and writes them back unchanged, so a file keeps its layout
// (records are found by position) and nothing the user had is lost.
#pragma once

#include <string>

#include "settings/record.h"

namespace tnx::settings {

class PreservedRecord : public RecordOwner {
public:
    explicit PreservedRecord(std::string name) : name_(std::move(name)) {}

    // Writes the kept record, or an empty one (size and name only) when
    // nothing was kept, so the records after it keep their positions.
    size_t writeRecord(std::vector<uint8_t>& out) override;
    // Keeps a well-formed record of this name; anything else is refused and
    // what was kept before stays.
    int readRecord(std::span<const uint8_t> record) override;

    const std::string& name() const { return name_; }
    const std::vector<uint8_t>& bytes() const { return bytes_; }
    bool holdsRecord() const { return !bytes_.empty(); }
    void clear() { bytes_.clear(); }

private:
    std::string name_;
    std::vector<uint8_t> bytes_;
};

}  // namespace tnx::settings
