#include "hud/text_lines.h"

#include <algorithm>
#include <cmath>

namespace tnx::hud {

namespace {
bool lineEnd(char c) { return c == '\r' || c == '\n'; }

// Past one line end ("\r\n", "\r" or "\n") at pos.
size_t skipLineEnd(std::string_view text, size_t pos) {
    if (pos < text.size() && text[pos] == '\r') {
        ++pos;
        if (pos < text.size() && text[pos] == '\n') ++pos;
    } else if (pos < text.size() && text[pos] == '\n') {
        ++pos;
    }
    return pos;
}
}  // namespace

void TextLines::clear() {
    text_.clear();
    starts_.clear();
    marks_.clear();
    ++version_;
}

int TextLines::lineLengthFor(float width, float characterWidth) {
    if (!(characterWidth > 0) || !std::isfinite(width)) return 1;
    const float n = std::trunc(width / characterWidth * 2.8f);
    return int(std::clamp(n, 1.0f, float(kMaxLineLength)));
}

void TextLines::addLine(std::string_view line, uint8_t mark) {
    starts_.push_back(uint32_t(text_.size()));
    marks_.push_back(mark);
    text_.append(line);
}

void TextLines::append(std::string_view text, uint8_t mark, int lineLength) {
    const size_t L = size_t(std::clamp(lineLength, 1, kMaxLineLength));
    size_t pos = 0;
    while (pos < text.size() && lineCount() < kMaxLines) {
        const std::string_view chunk = text.substr(pos, L);
        size_t end = chunk.size(), next;
        const size_t brk = chunk.find_first_of("\r\n");
        if (brk != std::string_view::npos) {
            end = brk;
            next = skipLineEnd(text, pos + brk);
        } else {
            if (chunk.size() == L && L > size_t(kBreakWindow) && chunk.back() != ' ') {
                const size_t space = chunk.find_last_of(' ');
                if (space != std::string_view::npos && space >= L - size_t(kBreakWindow)) end = space + 1;
            }
            next = pos + end;
            // A full line right before a line end ends there, not in an empty line.
            if (next < text.size() && lineEnd(text[next])) next = skipLineEnd(text, next);
        }
        if (text_.size() + end > kMaxCharacters) break;
        addLine(chunk.substr(0, end), mark);
        pos = next;
    }
    ++version_;
}

std::string_view TextLines::line(int index) const {
    if (index < 0 || index >= lineCount()) return {};
    const size_t begin = starts_[size_t(index)];
    const size_t end = size_t(index) + 1 < starts_.size() ? starts_[size_t(index) + 1] : text_.size();
    return std::string_view(text_).substr(begin, end - begin);
}

uint8_t TextLines::mark(int index) const { return index >= 0 && index < lineCount() ? marks_[size_t(index)] : 0; }

std::string_view TextLines::textAt(int position, int column) const {
    return column == 0 ? line(position) : std::string_view();
}

}  // namespace tnx::hud
