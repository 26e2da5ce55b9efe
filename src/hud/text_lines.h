// The lines of a text panel (the country overview, the help text): text
// broken into lines of at most a given number of characters, at a line end
// or, for a full line, after the last space among its last 20 characters.
// Each line may carry a mark byte (the overview marks the country's own
// texts so they show apart from the headings). The panel shows them as a
// one-column list.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "hud/list_source.h"

namespace tnx::hud {

class TextLines : public ListSource {
public:
    static constexpr int kMaxLines = 1000;
    static constexpr size_t kMaxCharacters = 100000;
    static constexpr int kMaxLineLength = 100;
    // A full line is broken after a space found within its last 20 characters.
    static constexpr int kBreakWindow = 20;

    void clear();
    // Appends the text as lines of at most `lineLength` (clamped to 1 .. 100)
    // characters; a non-zero mark goes with every line of it. Text past the
    // line or character limit is dropped.
    void append(std::string_view text, uint8_t mark, int lineLength);
    // Characters per line for a panel `width` wide whose characters are
    // `characterWidth` wide: width / characterWidth * 2.8, clamped to 1 .. 100.
    static int lineLengthFor(float width, float characterWidth);

    int lineCount() const { return int(starts_.size()); }
    std::string_view line(int index) const;
    uint8_t mark(int index) const;
    size_t characters() const { return text_.size(); }

    // --- list source: one text column, rows in line order ---
    int rowCount() const override { return lineCount(); }
    int columnCount() const override { return 1; }
    int columnType(int) const override { return kColumnText; }
    int32_t intAt(int, int) const override { return 0; }
    float realAt(int, int) const override { return 0; }
    std::string_view textAt(int position, int column) const override;
    uint8_t markAt(int position) const override { return mark(position); }
    int rowOfPosition(int position) const override { return position >= 0 && position < lineCount() ? position : -1; }
    int positionOfRow(int row) const override { return row >= 0 && row < lineCount() ? row : -1; }
    uint32_t version() const override { return version_; }

private:
    void addLine(std::string_view line, uint8_t mark);

    std::string text_;             // every line's characters back to back
    std::vector<uint32_t> starts_;  // where each line begins in text_
    std::vector<uint8_t> marks_;
    uint32_t version_ = 0;
};

}  // namespace tnx::hud
