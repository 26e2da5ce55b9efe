// "savecdistance": the stored measurements, taken onto the globe and
// measured again, then written back and read once more.
// Links: tnx_geodata
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "geodata/distance_tool.h"
#include "settings/record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tnx::geodata::DistanceTool tool(63.71f);
    if (tool.readRecord({data, size}) != tnx::settings::kRecordApplied) return 0;
    // Every point read must have come out on the globe.
    for (int i = 0; i < tool.count(); ++i) {
        const auto& m = tool.measurement(i);
        for (float lat : {m.startLatitude, m.endLatitude})
            if (!(lat >= -1.5708f && lat <= 1.5708f)) std::abort();
        std::array<float, 3> angles{};
        tool.labelAngles(m, tool.widthFactor(70.0f + float(i)), angles);
    }
    tool.setMetric(false);
    tool.recomputeAll();
    std::vector<uint8_t> out;
    tool.writeRecord(out);
    tnx::geodata::DistanceTool again(63.71f);
    if (again.readRecord(out) != tnx::settings::kRecordApplied || again.count() != tool.count()) std::abort();
    return 0;
}
