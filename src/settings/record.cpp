#include "settings/record.h"

#include <cstring>

namespace tnx::settings {

namespace {
uint8_t asciiLower(uint8_t c) { return (c >= 'A' && c <= 'Z') ? uint8_t(c + ('a' - 'A')) : c; }
}  // namespace

bool recordNameMatches(std::span<const uint8_t> record, std::string_view readerName) {
    if (record.size() < 4 + readerName.size()) return false;
    for (size_t i = 0; i < readerName.size(); ++i) {
        if (asciiLower(record[4 + i]) != asciiLower(uint8_t(readerName[i]))) return false;
    }
    return true;
}

std::optional<RecordView> parseRecord(std::span<const uint8_t> record) {
    if (record.size() < kMinRecordSize) return std::nullopt;
    uint32_t size = io::loadU32(record.data());
    if (size < kMinRecordSize || size > record.size()) return std::nullopt;
    const uint8_t* nameBegin = record.data() + 4;
    const void* nul = std::memchr(nameBegin, 0, size - 4);
    if (!nul) return std::nullopt;
    size_t nameLength = static_cast<const uint8_t*>(nul) - nameBegin;
    RecordView view;
    view.storedSize = size;
    view.name = std::string_view(reinterpret_cast<const char*>(nameBegin), nameLength);
    view.body = record.subspan(4 + nameLength + 1, size - (4 + nameLength + 1));
    return view;
}

int openRecord(std::span<const uint8_t> record, std::string_view readerName, RecordView& view) {
    if (!recordNameMatches(record, readerName)) return kRecordNameDiffers;
    auto parsed = parseRecord(record);
    if (!parsed) return kRecordOverrun;
    view = *parsed;
    return kRecordApplied;
}

std::optional<uint32_t> recordStamp(const RecordView& view) {
    if (view.body.size() < 8) return std::nullopt;
    return io::loadU32(view.body.data() + 4);
}

std::optional<std::span<const uint8_t>> ChildRecords::next() {
    if (overrun_ || pos_ >= area_.size()) return std::nullopt;
    size_t remaining = area_.size() - pos_;
    uint32_t size = remaining >= 4 ? io::loadU32(area_.data() + pos_) : 0;
    if (remaining < 4 || size < kMinRecordSize || size > remaining) {
        overrun_ = true;
        return std::nullopt;
    }
    auto child = area_.subspan(pos_, size);
    pos_ += size;
    return child;
}

int readChildrenInOrder(std::span<const uint8_t> area, std::initializer_list<RecordOwner*> owners,
                        size_t* consumed) {
    ChildRecords children(area);
    for (RecordOwner* owner : owners) {
        auto child = children.next();
        if (!child) break;
        if (owner) owner->readRecord(*child);
    }
    if (consumed) *consumed = children.consumed();
    return children.overrun() ? kRecordOverrun : kRecordApplied;
}

RecordWriter::RecordWriter(std::vector<uint8_t>& out, std::string_view name)
    : out_(out), writer_(out), start_(out.size()) {
    writer_.u32(0);
    writer_.cstring(name);
}

void RecordWriter::stampHead(uint32_t stamp) {
    writer_.u32(0);
    writer_.u32(stamp);
}

size_t RecordWriter::child(RecordOwner* owner) {
    if (!owner) return 0;
    return owner->writeRecord(out_);
}

size_t RecordWriter::finish() {
    size_t length = out_.size() - start_;
    writer_.patchU32(start_, uint32_t(length));
    return length;
}

}  // namespace tnx::settings
