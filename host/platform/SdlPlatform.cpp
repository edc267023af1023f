#include "host/platform/SdlPlatform.h"

#include "diag/Diagnostics.h"

#include <GL/gl.h>
#include <cmath>
#include <cstdlib>

namespace host::platform {

namespace {

constexpr const char* kSurfaceKey = "host.surface";

SdlSurface& sdl(Surface& s) {
    return static_cast<SdlSurface&>(s);
}

const SdlSurface& sdl(const Surface& s) {
    return static_cast<const SdlSurface&>(s);
}

int whole(float v) {
    return v < 1 ? 1 : static_cast<int>(std::ceil(v));
}

void setAttributes(const GLRequest& r) {
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, r.doubleBuffer ? 1 : 0);
    int channel = r.colorSize / 3;
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, channel);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, channel);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, channel);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, r.alphaSize);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, r.depthSize);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, r.stencilSize);
    if (r.accelerated)
        SDL_GL_SetAttribute(SDL_GL_ACCELERATED_VISUAL, 1);
}

} // namespace

bool SdlPlatform::drawsOffscreen() const {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && SDL_strcmp(driver, "offscreen") == 0;
}

bool SdlPlatform::startVideo(bool offscreen) {
    if (SDL_WasInit(SDL_INIT_VIDEO))
        return true;
    bool noDisplay = !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY");
    // Over SDL_VIDEODRIVER too: a desktop session may name its own driver.
    if (offscreen)
        SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "offscreen", SDL_HINT_OVERRIDE);
    else if (noDisplay && !std::getenv("SDL_VIDEODRIVER"))
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    // The application loop handles SIGINT and SIGTERM itself.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // A full-screen window stays when another takes the focus, as a shield should.
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        diag::log("SDL video failed: %s", SDL_GetError());
        return false;
    }
    // Held while video runs: SDL would unload GL with each last window, and
    // a reload costs time and leaves the driver's tables behind. A failure
    // here shows again, with its reason, when a GL window is made.
    SDL_GL_LoadLibrary(nullptr);
    return true;
}

bool sdlVideoStarted() {
    return SDL_WasInit(SDL_INIT_VIDEO) != 0;
}

bool SdlPlatform::videoStarted() const {
    return sdlVideoStarted();
}

Surface* SdlPlatform::createSurface(const WindowOptions& options, const GLRequest* gl) {
    Uint32 flags = options.hidden ? SDL_WINDOW_HIDDEN : SDL_WINDOW_SHOWN;
    if (options.borderless)
        flags |= SDL_WINDOW_BORDERLESS;
    if (options.resizable)
        flags |= SDL_WINDOW_RESIZABLE;
    if (options.layer != Layer::normal)
        flags |= SDL_WINDOW_ALWAYS_ON_TOP;
    if (options.layer == Layer::fullScreen)
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    if (gl) {
        setAttributes(*gl);
        flags |= SDL_WINDOW_OPENGL;
    }
    SDL_Window* window = SDL_CreateWindow(options.hidden ? "offscreen" : "dravin", options.x,
                                          options.y, options.width, options.height, flags);
    if (!window)
        return nullptr;
    SDL_GLContext context = nullptr;
    if (gl) {
        context = SDL_GL_CreateContext(window);
        if (!context) {
            SDL_DestroyWindow(window);
            return nullptr;
        }
    }
    auto* s = new SdlSurface;
    s->window = window;
    s->context = context;
    s->surfaceWidth = options.width;
    s->surfaceHeight = options.height;
    SDL_SetWindowData(window, kSurfaceKey, s);
    return s;
}

void SdlPlatform::destroySurface(Surface* surface) {
    if (!surface)
        return;
    SdlSurface& s = sdl(*surface);
    if (s.context)
        SDL_GL_DeleteContext(s.context);
    if (s.window)
        SDL_DestroyWindow(s.window);
    delete &s;
}

bool SdlPlatform::hasContext(const Surface& surface) const {
    return sdl(surface).context != nullptr;
}

int SdlPlatform::stencilBits(const Surface&) const {
    // SDL answers for the current context: the host asks right after
    // creating one, which makes it current.
    int stencil = 0;
    SDL_GL_GetAttribute(SDL_GL_STENCIL_SIZE, &stencil);
    return stencil;
}

void SdlPlatform::setFrame(Surface& surface, const Rect& frame) {
    SdlSurface& s = sdl(surface);
    SDL_SetWindowPosition(s.window, int(frame.x), int(frame.y));
    SDL_SetWindowSize(s.window, whole(frame.width), whole(frame.height));
    resizeOffscreenSurface(s, frame);
}

void SdlPlatform::resizeOffscreenSurface(SdlSurface& s, const Rect& frame) {
    // The offscreen driver's drawing surface keeps the size it was made with;
    // a new platform window of the new size takes over the GL context.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!s.context || !driver || SDL_strcmp(driver, "offscreen") != 0)
        return;
    int w = whole(frame.width), h = whole(frame.height);
    if (s.surfaceWidth == w && s.surfaceHeight == h)
        return;
    SDL_Window* resized =
        SDL_CreateWindow("dravin", int(frame.x), int(frame.y), w, h, SDL_GetWindowFlags(s.window));
    if (!resized || SDL_GL_MakeCurrent(resized, s.context) != 0) {
        diag::log("warning: the offscreen surface could not grow to %d x %d: %s", w, h,
                  SDL_GetError());
        if (resized)
            SDL_DestroyWindow(resized);
        SDL_GL_MakeCurrent(s.window, s.context);
        return;
    }
    SDL_SetWindowData(resized, kSurfaceKey, &s);
    SDL_DestroyWindow(s.window);
    s.window = resized;
    s.surfaceWidth = w;
    s.surfaceHeight = h;
}

void SdlPlatform::setLayer(Surface& surface, Layer layer) {
    SDL_Window* window = sdl(surface).window;
    SDL_SetWindowAlwaysOnTop(window, layer != Layer::normal ? SDL_TRUE : SDL_FALSE);
    if (layer == Layer::fullScreen) {
        // Without a window manager nobody answers the full-screen request:
        // the window covers its screen by its own frame first.
        const Rect screen = screenBounds(&surface);
        setFrame(surface, screen);
    }
    SDL_SetWindowFullscreen(window, layer == Layer::fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
}

void SdlPlatform::setOpacity(Surface& surface, float alpha) {
    SDL_SetWindowOpacity(sdl(surface).window, alpha);
}

Rect SdlPlatform::screenBounds(const Surface* surface) const {
    int index = surface ? SDL_GetWindowDisplayIndex(sdl(*surface).window) : 0;
    SDL_Rect r{};
    if (index < 0 || SDL_GetDisplayBounds(index, &r) != 0)
        return {};
    return {float(r.x), float(r.y), float(r.w), float(r.h)};
}

void SdlPlatform::makeCurrent(Surface& surface) {
    SDL_GL_MakeCurrent(sdl(surface).window, sdl(surface).context);
}

void SdlPlatform::swapBuffers(Surface& surface) {
    SDL_GL_SwapWindow(sdl(surface).window);
}

void SdlPlatform::presentColor(Surface& surface, float red, float green, float blue, float alpha) {
    SdlSurface& s = sdl(surface);
    if (!s.context || SDL_GL_MakeCurrent(s.window, s.context) != 0)
        return;
    glPushAttrib(GL_COLOR_BUFFER_BIT | GL_SCISSOR_BIT);
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClearColor(red, green, blue, alpha);
    glClear(GL_COLOR_BUFFER_BIT);
    glPopAttrib();
    SDL_GL_SwapWindow(s.window);
}

void SdlPlatform::setSwapInterval(int interval) {
    SDL_GL_SetSwapInterval(interval);
}

bool SdlPlatform::pollEvent(PlatformEvent& event) {
    {
        std::lock_guard lock(mutex_);
        if (!posted_.empty()) {
            event = posted_.front();
            posted_.pop_front();
            return true;
        }
    }
    SDL_Event ev;
    while (SDL_PollEvent(&ev)) {
        const bool known = translateSdlEvent(ev, event);
        // The dropped file's name is the receiver's to free.
        if (ev.type == SDL_DROPFILE)
            SDL_free(ev.drop.file);
        if (known)
            return true;
    }
    return false;
}

void SdlPlatform::postEvent(const PlatformEvent& event) {
    std::lock_guard lock(mutex_);
    posted_.push_back(event);
}

} // namespace host::platform
