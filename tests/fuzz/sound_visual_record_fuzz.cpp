// The sound visualisation's record "savesoundvisual": the display's place
// and look read back from "3dvis.ini", then used for a frame.
// Links: tnx_soundvis
#include <cstddef>
#include <cstdint>
#include <vector>

#include "hud/hud_root.h"
#include "platform/gfx/recording_device.h"
#include "soundvis/sound_visual_layer.h"

namespace {

class SilentPlayer : public tnx::soundvis::MusicPlayer {
public:
    void stop() override {}
    void play() override {}
    void next() override {}
    void previous() override {}
    void pause() override {}
    void openFiles(const std::vector<std::string>&) override {}
    tnx::player::PlayerStatus status() const override { return {}; }
    bool spectrum(tnx::player::SpectrumBands& out) const override {
        for (auto& channel : out) channel.fill(30000.0f);
        return true;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static tnx::gfx::RecordingDevice device(640, 480);
    SilentPlayer player;
    tnx::hud::HudRoot root(0.785f, 640, 480, nullptr);
    tnx::soundvis::SoundVisualLayer layer(root, true, &player);
    if (layer.readRecord({data, size}) == 0) {
        layer.update(0.02f);
        layer.draw(device, 0.02f);
        layer.mouse({1, 0x204, 2, 320 | 240 << 16});
        layer.mouse({1, 0x200, 2, 330 | 200 << 16});
        std::vector<uint8_t> out;
        layer.writeRecord(out);
    }
    device.clearRecord();
    return 0;
}
