// A scene part that takes every mouse message it is offered and counts
// them, for tests of which part the viewer core hands the mouse to.
#pragma once

#include "app/viewer_part.h"

namespace tnx::test {

class CountingScene : public app::ViewerPart {
public:
    bool handleMouse(const win::Message&, bool& holdsDrag) override {
        ++messages;
        holdsDrag = false;
        return true;
    }
    int messages = 0;
};

}  // namespace tnx::test
