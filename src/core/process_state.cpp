#include "core/process_state.h"

namespace tnx::app {

ProcessState& processState() {
    static ProcessState state;
    return state;
}

}  // namespace tnx::app
