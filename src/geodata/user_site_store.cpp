#include "geodata/user_site_store.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <string>

#include "geodata/city_table.h"
#include "geodata/country_table.h"
#include "geodata/pack_archive.h"
#include "platform/home/program_home.h"
#include "platform/io/byte_io.h"
#include "platform/io/file_io.h"

namespace tnx::geodata {

namespace {

template <size_t N, size_t M>
void copyName(std::array<char, N>& to, const std::array<char, M>& from) {
    copyField(to, std::string_view(from.data(), strnlen(from.data(), M)));
}

}  // namespace

bool UserSiteStore::clampToRanges(UserSiteRecord& r) {
    if (!std::isfinite(r.longitude) || !std::isfinite(r.latitude) || !std::isfinite(r.altitude)) return false;
    r.longitude = std::clamp(r.longitude, -kMaxLongitude, kMaxLongitude);
    r.latitude = std::clamp(r.latitude, -kMaxLatitude, kMaxLatitude);
    r.altitude = std::clamp(r.altitude, -kMaxAltitude, kMaxAltitude);
    // A negative population has no marker size.
    r.population = std::max(r.population, 0);
    r.name.back() = 0;
    return true;
}

void UserSiteStore::loadFile() {
    records_.clear();
    std::vector<uint8_t> bytes;
    size_t length = 0;
    if (readDataFile(kFileName, bytes, length) == PackArchive::kNotFound) return;
    load(std::span<const uint8_t>(bytes.data(), std::min(length, bytes.size())));
}

int UserSiteStore::load(std::span<const uint8_t> file) {
    records_.clear();
    io::ByteReader in(file);
    const uint32_t declared = in.u32();
    in.u32();  // time of writing
    if (!in.ok()) return 0;
    // Only whole records: a file cut short keeps those before the cut.
    const size_t count = std::min<size_t>(declared, in.remaining() / UserSiteRecord::kBytes);
    records_.reserve(count + kCapacityStep);
    for (size_t i = 0; i < count; ++i) {
        UserSiteRecord r;
        in.bytes(r.name.data(), r.name.size());
        r.cityIndex = in.i32();
        r.kind = in.i32();
        r.longitude = in.f32();
        r.latitude = in.f32();
        r.altitude = in.f32();
        r.population = in.i32();
        r.country = in.i32();
        if (!in.ok()) break;
        if (clampToRanges(r)) records_.push_back(r);
    }
    return int(records_.size());
}

std::vector<uint8_t> UserSiteStore::serialise(uint32_t time) const {
    std::vector<uint8_t> out;
    out.reserve(kHeaderBytes + records_.size() * UserSiteRecord::kBytes);
    io::ByteWriter w(out);
    w.u32(uint32_t(records_.size()));
    w.u32(time);
    for (const UserSiteRecord& r : records_) {
        w.bytes(r.name.data(), r.name.size());
        w.i32(r.cityIndex);
        w.i32(r.kind);
        w.f32(r.longitude);
        w.f32(r.latitude);
        w.f32(r.altitude);
        w.i32(r.population);
        w.i32(r.country);
    }
    return out;
}

bool UserSiteStore::saveFile() const { return saveFile(home::homeFile(kFileName)); }

bool UserSiteStore::saveFile(const std::filesystem::path& path) const {
    auto now = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch());
    return io::writeFileAtomically(path, serialise(uint32_t(now.count())));
}

void UserSiteStore::apply(CityTable& cities, int countryCount) {
    for (UserSiteRecord& r : records_) {
        CityRecord c;
        c.kind = r.kind;
        c.longitude = r.longitude;
        c.latitude = r.latitude;
        c.altitude = r.altitude;
        c.population = r.population;
        c.country = r.country > 0 && r.country < countryCount ? r.country : 0;
        copyName(c.name, r.name);
        switch (r.state()) {
            case kEdited:
                if (cities.isCity(r.cityIndex)) cities.replace(r.cityIndex, c);
                break;
            case kAdded:
                // The record follows its site to wherever it lands, so later
                // edits and deletions find it.
                r.cityIndex = cities.append(c);
                break;
            default: break;
        }
    }
}

int UserSiteStore::editSite(int index, CityRecord& city, SiteEditor& editor) {
    UserSiteRecord w;
    copyName(w.name, city.name);
    w.cityIndex = index;
    w.kind = city.kind;
    w.longitude = city.longitude;
    w.latitude = city.latitude;
    w.altitude = city.altitude;
    w.population = city.population;
    w.country = city.country;
    work_ = w;
    if (!editor.editSite(work_)) return 0;
    work_.cityIndex = index;
    if (!clampToRanges(work_)) return 0;
    ++changes_;
    copyName(city.name, work_.name);
    city.longitude = work_.longitude;
    city.latitude = work_.latitude;
    city.altitude = work_.altitude;
    city.population = work_.population;
    auto it = std::find_if(records_.begin(), records_.end(),
                           [&](const UserSiteRecord& r) { return r.cityIndex == index; });
    if (it != records_.end()) {
        *it = work_;
    } else {
        if (records_.size() == records_.capacity()) records_.reserve(records_.size() + kCapacityStep);
        records_.push_back(work_);
    }
    return 1;
}

void UserSiteStore::addSites(std::span<const UserSiteRecord> sites) {
    records_.insert(records_.end(), sites.begin(), sites.end());
    ++changes_;
}

int UserSiteStore::deleteSite(int index, std::string_view name, SiteEditor& editor) {
    if (!editor.confirmDelete(name)) return 0;
    ++changes_;
    std::erase_if(records_, [&](const UserSiteRecord& r) { return r.cityIndex == index; });
    for (UserSiteRecord& r : records_)
        if (r.cityIndex > index) --r.cityIndex;
    return 1;
}

}  // namespace tnx::geodata
