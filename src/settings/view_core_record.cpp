#include "settings/view_core_record.h"

#include <algorithm>
#include <cstring>

namespace tnx::settings {

ViewCoreRecord::ViewCoreRecord()
    : kept_{PreservedRecord(kGlobeName), PreservedRecord(kButtonsName), PreservedRecord(kSoundVisualName)} {}

void ViewCoreRecord::setChildren(RecordOwner* globe, RecordOwner* buttons, RecordOwner* soundVisual) {
    children_[0] = globe;
    children_[1] = buttons;
    children_[2] = soundVisual;
}

RecordOwner* ViewCoreRecord::slot(int i) { return children_[i] ? children_[i] : &kept_[i]; }

size_t ViewCoreRecord::writeRootRecord(std::vector<uint8_t>& out) {
    RecordWriter writer(out, kName);
    for (int i = 0; i < 3; ++i) writer.child(slot(i));
    return writer.finish();
}

int ViewCoreRecord::readRootRecord(std::span<const uint8_t> record) {
    if (!recordNameMatches(record, kName)) return kRecordNameDiffers;
    // The span may stop short of the stored size when the file is cut off;
    // the children are then read as far as they fit.
    if (record.size() < kMinRecordSize) return kRecordOverrun;
    const uint32_t storedSize = io::loadU32(record.data());
    std::span<const uint8_t> bounded = record.first(std::min<size_t>(record.size(), storedSize));
    const void* nul = bounded.size() > 4 ? std::memchr(bounded.data() + 4, 0, bounded.size() - 4) : nullptr;
    if (!nul) return kRecordOverrun;  // a size below the header, or a name without its NUL
    const size_t headerLength = size_t(static_cast<const uint8_t*>(nul) - bounded.data()) + 1;
    for (PreservedRecord& kept : kept_) kept.clear();
    size_t childBytes = 0;
    int result = readChildrenInOrder(bounded.subspan(headerLength), {slot(0), slot(1), slot(2)}, &childBytes);
    if (result == kRecordOverrun) return kRecordOverrun;
    return int(headerLength + childBytes);
}

}  // namespace tnx::settings
