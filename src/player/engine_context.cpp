#include "player/engine_context.h"

#include "platform/home/program_home.h"

namespace tnx::player {

std::unique_ptr<EngineContext> EngineContext::create() {
    auto ctx = std::make_unique<EngineContext>();
    Preferences prefs;
    ctx->settings = prefs.settings();
    ctx->log.open(home::homeFile("tarnmp3.log"), ctx->settings);
    return ctx;
}

}  // namespace tnx::player
