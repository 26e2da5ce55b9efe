#include "settings/time_lapse_record.h"

#include <algorithm>
#include <cmath>

namespace tnx::settings {

void TimeLapseRecord::setRate(float rate) { rate_ = std::isfinite(rate) ? std::clamp(rate, -kMaxRate, kMaxRate) : 0.0f; }

size_t TimeLapseRecord::writeRecord(std::vector<uint8_t>& out) {
    RecordWriter writer(out, kRecordName);
    writer.stampHead(kStamp);
    writer.data().f32(rate_);
    return writer.finish();
}

int TimeLapseRecord::readRecord(std::span<const uint8_t> record) {
    RecordView view;
    if (int r = openRecord(record, kRecordName, view); r != kRecordApplied) return r;
    auto stamp = recordStamp(view);
    if (!stamp || *stamp != kStamp || view.body.size() < kFixedSize) return kRecordNotMine;
    const float rate = io::loadF32(view.body.data() + 8);
    if (!std::isfinite(rate) || std::fabs(rate) > kMaxRate) return kRecordNotMine;
    rate_ = rate;
    return kRecordApplied;
}

}  // namespace tnx::settings
