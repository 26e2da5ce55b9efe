#include "core/process_state.h"

namespace tnx::app {

void OverlayArea::add(int l, int t, int r, int b) {
    if (r <= l || b <= t) return;
    if (right <= left || bottom <= top) {
        left = l, top = t, right = r, bottom = b;
        return;
    }
    left = l < left ? l : left;
    top = t < top ? t : top;
    right = r > right ? r : right;
    bottom = b > bottom ? b : bottom;
}

ProcessState& processState() {
    static ProcessState state;
    return state;
}

}  // namespace tnx::app
