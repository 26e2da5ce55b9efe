#include "geodata/country_table.h"

#include <algorithm>

#include "geodata/pack_archive.h"
#include "platform/io/byte_io.h"

namespace tnx::geodata {

namespace {
CountryRecord emptyRecord() {
    CountryRecord r;
    copyField(r.capital, " ");
    return r;
}
}  // namespace

CountryTable::CountryTable() {
    records_.reserve(kCapacity);
    records_.push_back(emptyRecord());
    textPool_.push_back('\0');
}

bool CountryTable::loadFile(std::string_view name) {
    std::vector<uint8_t> bytes;
    size_t length = 0;
    readDataFile(name, bytes, length);
    if (bytes.empty()) return false;
    load(std::span<const uint8_t>(bytes.data(), std::min(length, bytes.size())));
    return true;
}

int CountryTable::load(std::span<const uint8_t> file) {
    io::ByteReader in(file);
    uint32_t declared = in.u32();
    if (!in.ok()) return 0;
    textPool_.reserve(textPool_.size() + file.size() + 1);
    int read = 0;
    for (uint32_t i = 0; i < declared; ++i) {
        std::string name = in.cstring();
        std::string capital = in.cstring();
        std::string background = in.cstring();
        std::string overview = in.cstring();
        float values[5];
        for (float& v : values) v = in.f32();
        if (!in.ok()) break;  // a cut inside this record: keep the whole ones only
        int index = findOrAdd(name);
        CountryRecord* r = mutableRecord(index);
        if (!r || index == 0) continue;
        copyField(r->capital, capital);
        r->background = addText(background);
        r->overview = addText(overview);
        r->population = values[0];
        r->areaTotal = values[1];
        r->areaLand = values[2];
        r->latitude = values[3];
        r->longitude = values[4];
        ++read;
    }
    return read;
}

uint32_t CountryTable::addText(std::string_view text) {
    if (text.empty()) return 0;
    uint32_t at = uint32_t(textPool_.size());
    textPool_.append(text);
    textPool_.push_back('\0');
    return at;
}

int CountryTable::find(std::string_view name) const {
    // A name is compared as the field holds it: cut to the field's length.
    if (name.size() > CountryRecord::kTextField - 1) name = name.substr(0, CountryRecord::kTextField - 1);
    for (size_t i = 0; i < records_.size(); ++i)
        if (pack::sameName(records_[i].nameText(), name)) return int(i);
    return 0;
}

int CountryTable::findOrAdd(std::string_view name) {
    if (int i = find(name); i != 0 || name.empty()) return i;
    if (count() >= kCapacity) return 0;
    CountryRecord r = emptyRecord();
    copyField(r.name, name);
    records_.push_back(r);
    return count() - 1;
}

const CountryRecord* CountryTable::get(int index) const {
    return index >= 0 && index < count() ? &records_[size_t(index)] : nullptr;
}

CountryRecord* CountryTable::mutableRecord(int index) {
    return index >= 0 && index < count() ? &records_[size_t(index)] : nullptr;
}

void CountryTable::setZone(int index, int zone) {
    if (CountryRecord* r = mutableRecord(index)) r->zone = zone;
}

void CountryTable::setCapitalCity(int index, int city) {
    if (CountryRecord* r = mutableRecord(index)) r->capitalCity = city;
}

std::string_view CountryTable::background(int index) const {
    const CountryRecord* r = get(index);
    return r ? std::string_view(textPool_.c_str() + r->background) : std::string_view();
}

std::string_view CountryTable::overview(int index) const {
    const CountryRecord* r = get(index);
    return r ? std::string_view(textPool_.c_str() + r->overview) : std::string_view();
}

}  // namespace tnx::geodata
