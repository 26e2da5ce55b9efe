#include "settings/preserved_record.h"

namespace tnx::settings {

size_t PreservedRecord::writeRecord(std::vector<uint8_t>& out) {
    if (!bytes_.empty()) {
        out.insert(out.end(), bytes_.begin(), bytes_.end());
        return bytes_.size();
    }
    RecordWriter writer(out, name_);
    return writer.finish();
}

int PreservedRecord::readRecord(std::span<const uint8_t> record) {
    RecordView view;
    int result = openRecord(record, name_, view);
    if (result != kRecordApplied) return result;
    bytes_.assign(record.begin(), record.begin() + view.storedSize);
    return kRecordApplied;
}

}  // namespace tnx::settings
