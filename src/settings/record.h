// The record container shared by "3dvis.ini" and "Terranox.ini": a u32 size
// (counting everything), a NUL-terminated name, a fixed part owned by the
// record's class, then complete child records back to back.
//
// Every persistent object is a RecordOwner. Readers are handed a span that
// ends at the record's stored size, so they cannot read into the next record;
// parents advance by the stored size whatever the child answered.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "platform/io/byte_io.h"

namespace tnx::settings {

// Reader results.
inline constexpr int kRecordApplied = 0;
inline constexpr int kRecordNotMine = 1;      // id or stamp differs
inline constexpr int kRecordNameDiffers = -1;
inline constexpr int kRecordOverrun = -2;     // children ran past the record's size

// The smallest record: a size and an empty name.
inline constexpr size_t kMinRecordSize = 5;

class RecordOwner {
public:
    virtual ~RecordOwner() = default;
    // Appends one complete record (size, name, fixed part, children) to out
    // and returns its length.
    virtual size_t writeRecord(std::vector<uint8_t>& out) = 0;
    // Reads one record; `record` spans exactly the record's stored size.
    // Returns one of the kRecord... results.
    virtual int readRecord(std::span<const uint8_t> record) = 0;
};

// The owner of a file's root record.
class RootRecordOwner {
public:
    virtual ~RootRecordOwner() = default;
    virtual size_t writeRootRecord(std::vector<uint8_t>& out) = 0;
    // `record` starts at the root record and ends at the end of the file
    // image or the root's stored size, whichever comes first. Returns the
    // consumed length, kRecordNameDiffers or kRecordOverrun.
    virtual int readRootRecord(std::span<const uint8_t> record) = 0;
};

// The readers' name test: as many bytes as the reader's name has are taken
// from the record's name field and compared ignoring ASCII case, so a record
// whose name merely begins with the reader's name passes.
bool recordNameMatches(std::span<const uint8_t> record, std::string_view readerName);

// A record split into its parts.
struct RecordView {
    uint32_t storedSize = 0;
    std::string_view name;             // as stored
    std::span<const uint8_t> body;     // after the name's NUL: fixed part, then children
    size_t headerLength() const { return 4 + name.size() + 1; }
};

// Splits a record, bounded by both the span and the stored size. Nothing when
// the size is below kMinRecordSize or runs past the span, or the name has no
// NUL inside the record.
std::optional<RecordView> parseRecord(std::span<const uint8_t> record);

// Name test and split in one: kRecordApplied with `view` filled,
// kRecordNameDiffers, or kRecordOverrun for a record that does not fit.
int openRecord(std::span<const uint8_t> record, std::string_view readerName, RecordView& view);

// Word 1 of a fixed part that begins with the usual (unused, stamp) pair.
std::optional<uint32_t> recordStamp(const RecordView& view);

// Walks the complete child records of a children area. A child whose size
// field is short, below kMinRecordSize or would take it past the area's end
// stops the walk and marks it overrun.
class ChildRecords {
public:
    explicit ChildRecords(std::span<const uint8_t> area) : area_(area) {}
    // The next child, spanning exactly its stored size; nothing at the end.
    std::optional<std::span<const uint8_t>> next();
    bool overrun() const { return overrun_; }
    bool atEnd() const { return pos_ >= area_.size(); }
    // Bytes of the area covered by the children handed out so far.
    size_t consumed() const { return pos_; }

private:
    std::span<const uint8_t> area_;
    size_t pos_ = 0;
    bool overrun_ = false;
};

// Hands the children of `area` by position to `owners` (first child to the
// first owner and so on); a null owner's record is passed over. Returns
// kRecordApplied, or kRecordOverrun when a child ran past the area (earlier
// children stay applied). `consumed`, when given, receives the bytes covered.
int readChildrenInOrder(std::span<const uint8_t> area, std::initializer_list<RecordOwner*> owners,
                        size_t* consumed = nullptr);

// Writes a record: size placeholder and name on construction, the fixed part
// and children through the accessors, the size patched by finish().
class RecordWriter {
public:
    RecordWriter(std::vector<uint8_t>& out, std::string_view name);
    // Unused word 0 and the layout stamp.
    void stampHead(uint32_t stamp);
    io::ByteWriter& data() { return writer_; }
    // Appends a child; a null owner writes nothing.
    size_t child(RecordOwner* owner);
    // Stores the size and returns the record's length.
    size_t finish();

private:
    std::vector<uint8_t>& out_;
    io::ByteWriter writer_;
    size_t start_;
};

}  // namespace tnx::settings
