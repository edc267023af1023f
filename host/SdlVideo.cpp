#include "host/SdlVideo.h"

#include "diag/Diagnostics.h"

#include <SDL.h>
#include <cstdlib>

namespace host {

bool initVideo(bool preferOffscreen) {
    if (SDL_WasInit(SDL_INIT_VIDEO))
        return true;
    bool noDisplay = !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY");
    if ((preferOffscreen || noDisplay) && !std::getenv("SDL_VIDEODRIVER"))
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    // The application loop handles SIGINT and SIGTERM itself.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        diag::log("SDL video failed: %s", SDL_GetError());
        return false;
    }
    return true;
}

} // namespace host
