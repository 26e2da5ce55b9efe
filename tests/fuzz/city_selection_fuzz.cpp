// "saveccity": the selection, the hover and the marked cities; then the
// clean-up against small tables and a spin, as after loading.
// Links: tnx_geodata
#include <cstddef>
#include <cstdint>
#include <vector>

#include "geodata/city_selection.h"
#include "settings/record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tnx::geodata::CitySelection selection;
    if (selection.readRecord({data, size}) == tnx::settings::kRecordApplied) {
        selection.dropInvalid(100, 20);
        selection.spin(0.5f);
        selection.click(20);
        std::vector<uint8_t> out;
        selection.writeRecord(out);
    }
    return 0;
}
