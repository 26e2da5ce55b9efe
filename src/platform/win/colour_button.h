// A push button painted filled with its colour, as the dialogs show colour
// choices, and the standard colour chooser behind it. Colours are
// 0x00BBGGRR, as the configuration keeps them.
#pragma once

#include <QPushButton>
#include <cstdint>
#include <optional>

namespace tnx::platform {

class ColourButton : public QPushButton {
public:
    explicit ColourButton(const QString& text = {}, QWidget* parent = nullptr);

    uint32_t colour() const { return colour_; }
    void setColour(uint32_t colorRef);

    // The standard colour chooser opened on `current`: the chosen colour, or
    // nothing when it was cancelled.
    static std::optional<uint32_t> choose(uint32_t current, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    uint32_t colour_ = 0;
};

}  // namespace tnx::platform
