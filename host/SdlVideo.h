// Internal to host/: brings up SDL's video subsystem once per process.
#pragma once

namespace host {

// Initialises SDL video. With preferOffscreen, or when neither DISPLAY nor
// WAYLAND_DISPLAY is set, SDL's offscreen driver is chosen (unless
// SDL_VIDEODRIVER already names one). Returns false, after a log line, on failure.
bool initVideo(bool preferOffscreen);

} // namespace host
