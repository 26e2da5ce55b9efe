#include "geodata/city_selection.h"

#include <algorithm>

#include "platform/io/byte_io.h"

namespace tnx::geodata {

int CitySelection::markedPosition(int32_t city) const {
    for (size_t i = 0; i < marked_.size(); ++i)
        if (marked_[i].city == city) return int(i);
    return -1;
}

void CitySelection::mark(int32_t city) {
    if (int32_t(marked_.size()) >= capacity_) capacity_ += kCapacityStep;
    marked_.push_back({city, 0.0f});
}

void CitySelection::click(int32_t countryCount) {
    if (hoveredCity != 0) {
        if (int at = markedPosition(hoveredCity); at >= 0) marked_.erase(marked_.begin() + at);
        else if (hoveredCity != selectedCity) mark(hoveredCity);
        selectedCity = 0;
        return;
    }
    if (hoveredCountry > 0 && hoveredCountry < countryCount)
        selectedCountry = selectedCountry == hoveredCountry ? 0 : hoveredCountry;
    else
        selectedCountry = 0;
}

void CitySelection::clear(int32_t countryCount) {
    marked_.clear();
    selectedCity = 0;
    selectedCountry = 0;
    click(countryCount);
}

void CitySelection::spin(float seconds) {
    for (MarkedCity& m : marked_) {
        m.angle += seconds;
        if (!(m.angle >= 0.0f && m.angle <= kMaxAngle)) m.angle = 0.0f;
    }
}

void CitySelection::cityRemoved(int32_t city) {
    auto shifted = [city](int32_t c) { return c == city ? 0 : c > city ? c - 1 : c; };
    std::erase_if(marked_, [city](const MarkedCity& m) { return m.city == city; });
    for (MarkedCity& m : marked_) m.city = shifted(m.city);
    selectedCity = shifted(selectedCity);
    hoveredCity = shifted(hoveredCity);
}

void CitySelection::dropInvalid(int32_t cityCount, int32_t countryCount) {
    auto badCity = [&](int32_t c) { return c <= 0 || c >= cityCount; };
    std::erase_if(marked_, [&](const MarkedCity& m) { return badCity(m.city); });
    if (badCity(selectedCity)) selectedCity = 0;
    if (badCity(hoveredCity)) hoveredCity = 0;
    if (selectedCountry <= 0 || selectedCountry >= countryCount) selectedCountry = 0;
    if (hoveredCountry <= 0 || hoveredCountry >= countryCount) hoveredCountry = 0;
}

size_t CitySelection::writeRecord(std::vector<uint8_t>& out) {
    settings::RecordWriter w(out, kRecordName);
    io::ByteWriter& d = w.data();
    d.i32(int32_t(marked_.size()));
    d.i32(capacity_);
    d.i32(selectedCity);
    d.i32(hoveredCity);
    d.i32(selectedCountry);
    d.i32(hoveredCountry);
    d.zeros(kBlockBytes - 24);
    for (const MarkedCity& m : marked_) {
        d.i32(m.city);
        d.f32(m.angle);
    }
    return w.finish();
}

int CitySelection::readRecord(std::span<const uint8_t> record) {
    settings::RecordView view;
    int r = settings::openRecord(record, kRecordName, view);
    if (r != settings::kRecordApplied) return r;
    io::ByteReader in(view.body);
    int32_t n = in.i32();
    in.skip(4);  // the capacity follows from n
    int32_t values[4];
    for (int32_t& v : values) v = in.i32();
    // Only a record of exactly the size its count gives is taken.
    if (!in.ok() || n < 0 || int64_t(view.storedSize) != int64_t(kFixedBytes) + int64_t(kEntryBytes) * n ||
        view.headerLength() + kBlockBytes + kEntryBytes * size_t(n) != view.storedSize)
        return settings::kRecordNotMine;
    in.seek(kBlockBytes);
    std::vector<MarkedCity> entries(static_cast<size_t>(n));
    for (MarkedCity& m : entries) {
        m.city = in.i32();
        m.angle = in.f32();
    }
    if (!in.ok()) return settings::kRecordNotMine;
    selectedCity = values[0];
    hoveredCity = values[1];
    selectedCountry = values[2];
    hoveredCountry = values[3];
    marked_ = std::move(entries);
    capacity_ = n + kCapacityStep;
    return settings::kRecordApplied;
}

}  // namespace tnx::geodata
