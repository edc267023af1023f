// Internal to host/: the SDL2 backend of the platform seam.
#pragma once

#include "host/platform/Platform.h"

#include <SDL.h>
#include <deque>
#include <mutex>

namespace host::platform {

struct SdlSurface : Surface {
    SDL_Window* window{};
    SDL_GLContext context{};
    int surfaceWidth{};
    int surfaceHeight{};
};

// One SDL event in the host's terms; false for events the host does not use
// or whose window it does not know.
bool translateSdlEvent(const SDL_Event& in, PlatformEvent& out);

// Whether SDL's video subsystem has been started in this process, whichever
// platform the host uses.
bool sdlVideoStarted();

class SdlPlatform final : public Platform {
  public:
    const char* name() const override { return "sdl"; }
    bool startVideo(bool offscreen) override;
    bool videoStarted() const override;
    bool drawsOffscreen() const override;
    Surface* createSurface(const WindowOptions& options, const GLRequest* gl) override;
    void destroySurface(Surface* surface) override;
    std::string failure() const override { return SDL_GetError(); }
    bool hasContext(const Surface& surface) const override;
    int stencilBits(const Surface& surface) const override;
    void setFrame(Surface& surface, const Rect& frame) override;
    void setLayer(Surface& surface, Layer layer) override;
    void setOpacity(Surface& surface, float alpha) override;
    Rect screenBounds(const Surface* surface) const override;
    void makeCurrent(Surface& surface) override;
    void swapBuffers(Surface& surface) override;
    void presentColor(Surface& surface, float red, float green, float blue, float alpha) override;
    void setSwapInterval(int interval) override;
    bool pollEvent(PlatformEvent& event) override;
    void postEvent(const PlatformEvent& event) override;

  private:
    void resizeOffscreenSurface(SdlSurface& s, const Rect& frame);

    std::mutex mutex_;
    std::deque<PlatformEvent> posted_;
};

} // namespace host::platform
