// "readme.txt": the help text as the help panel lays it out, at a line
// length taken from the first byte, and as the Help window gets it.
// Links: tnx_hud
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "geodata/info_texts.h"
#include "hud/text_lines.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const int lineLength = size > 0 ? int(data[0]) - 20 : 0;  // below 1 and above 100 too
    std::vector<uint8_t> file(data, data + size);
    tnx::geodata::InfoTexts texts;
    texts.setHelp(&file);
    const auto& help = texts.help();
    if (help.body.size() > tnx::geodata::InfoTexts::kHelpWindowLimit) std::abort();
    tnx::hud::TextLines lines;
    for (const auto& part : help.parts) lines.append(part.text, part.marked ? 1 : 0, lineLength);
    if (lines.lineCount() > tnx::hud::TextLines::kMaxLines) std::abort();
    size_t characters = 0;
    for (int i = 0; i < lines.rowCount(); ++i) {
        const auto line = lines.textAt(i, 0);
        if (line.size() > size_t(tnx::hud::TextLines::kMaxLineLength)) std::abort();
        characters += line.size();
    }
    if (characters != lines.characters()) std::abort();
    return 0;
}
