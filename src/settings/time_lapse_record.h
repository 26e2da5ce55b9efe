// The screen saver's time-lapse, kept in "Terranox.ini" as a record of its
// own after the music's ("saveconfigtime"): the sky's rate in simulated
// seconds per real second, 0 for real time. Files without the record (and
// readers that know only the first two) stay as they are.
//
// Fixed part: u32 unused, u32 stamp 12, f32 rate.
#pragma once

#include "settings/record.h"

namespace tnx::settings {

class TimeLapseRecord : public RecordOwner {
public:
    static constexpr const char* kRecordName = "saveconfigtime";
    static constexpr uint32_t kStamp = 12;
    static constexpr size_t kFixedSize = 12;
    // The rates the saver's settings offer, either way.
    static constexpr float kMaxRate = 1e7f;

    float rate() const { return rate_; }
    // Clamped to +-kMaxRate; anything not a number is real time.
    void setRate(float rate);

    size_t writeRecord(std::vector<uint8_t>& out) override;
    int readRecord(std::span<const uint8_t> record) override;

private:
    float rate_ = 0;
};

}  // namespace tnx::settings
