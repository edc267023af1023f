#include "host/Window.h"

#include "diag/Diagnostics.h"
#include "host/OpenGLView.h"
#include "host/PixelFormat.h"
#include "host/SdlVideo.h"

#include <SDL.h>
#include <climits>
#include <cmath>
#include <iterator>

namespace host {

namespace {

SDL_Window* sdl(void* window) {
    return static_cast<SDL_Window*>(window);
}

int whole(float v) {
    return v < 1 ? 1 : static_cast<int>(std::ceil(v));
}

void setAttributes(const PixelFormat& f, bool accelerated, bool stencil) {
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, f.doubleBuffer ? 1 : 0);
    int channel = f.colorSize / 3;
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, channel);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, channel);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, channel);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, f.alphaSize);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, f.depthSize);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, stencil ? f.stencilSize : 0);
    if (accelerated)
        SDL_GL_SetAttribute(SDL_GL_ACCELERATED_VISUAL, 1);
}

} // namespace

int windowLevelForKey(int key) {
    // The status level sits above ordinary and floating windows.
    return key == kStatusWindowLevelKey ? 25 : kNormalWindowLevel;
}

int shieldingWindowLevel() {
    return INT_MAX - 16;
}

Window::Window(const Rect& contentRect, uint32_t styleMask, BackingStore backing, bool)
    : styleMask_(styleMask), backing_(backing), frame_(contentRect) {}

Window::~Window() {
    if (view_)
        view_->attachToWindow(nullptr);
    if (glContext_)
        SDL_GL_DeleteContext(glContext_);
    if (window_)
        SDL_DestroyWindow(sdl(window_));
}

bool Window::canBecomeKeyWindow() {
    return !isBorderless();
}

void Window::setLevel(int level) {
    level_ = level;
    applyLevel();
}

void Window::applyLevel() {
    if (window_)
        SDL_SetWindowAlwaysOnTop(sdl(window_), level_ > kNormalWindowLevel ? SDL_TRUE : SDL_FALSE);
}

void Window::setAlphaValue(float alpha) {
    alpha_ = alpha;
    if (window_)
        SDL_SetWindowOpacity(sdl(window_), alpha);
}

Screen Window::screen() const {
    int index = window_ ? SDL_GetWindowDisplayIndex(sdl(window_)) : 0;
    SDL_Rect r{};
    if (index < 0 || SDL_GetDisplayBounds(index, &r) != 0)
        return {};
    return {{float(r.x), float(r.y), float(r.w), float(r.h)}};
}

void Window::setFrame(const Rect& frame, bool display) {
    frame_ = frame;
    if (window_) {
        SDL_SetWindowPosition(sdl(window_), int(frame.x), int(frame.y));
        SDL_SetWindowSize(sdl(window_), whole(frame.width), whole(frame.height));
        resizeOffscreenSurface();
    }
    if (view_) {
        view_->setFrameSize(frame.width, frame.height);
        if (display)
            view_->display();
    }
}

void Window::setContentView(OpenGLView* view) {
    view_ = view;
    if (view)
        view->attachToWindow(this);
}

void Window::resizeOffscreenSurface() {
    // The offscreen driver's drawing surface keeps the size it was made with;
    // a new platform window of the new size takes over the GL context.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!glContext_ || !driver || SDL_strcmp(driver, "offscreen") != 0)
        return;
    int w = whole(frame_.width), h = whole(frame_.height);
    if (surfaceWidth_ == w && surfaceHeight_ == h)
        return;
    SDL_Window* resized = SDL_CreateWindow("dravin", int(frame_.x), int(frame_.y), w, h,
                                           SDL_GetWindowFlags(sdl(window_)));
    if (!resized || SDL_GL_MakeCurrent(resized, glContext_) != 0) {
        diag::log("warning: the offscreen surface could not grow to %d x %d: %s", w, h, SDL_GetError());
        if (resized)
            SDL_DestroyWindow(resized);
        SDL_GL_MakeCurrent(sdl(window_), glContext_);
        return;
    }
    SDL_SetWindowData(resized, "host.window", this);
    SDL_DestroyWindow(sdl(window_));
    window_ = resized;
    surfaceWidth_ = w;
    surfaceHeight_ = h;
}

bool Window::realize(const PixelFormat* format) {
    if (window_)
        return true;
    if (!initVideo(false))
        return false;
    Uint32 flags = SDL_WINDOW_SHOWN;
    if (isBorderless())
        flags |= SDL_WINDOW_BORDERLESS;
    if (styleMask_ & NSResizableWindowMask)
        flags |= SDL_WINDOW_RESIZABLE;
    if (level_ > kNormalWindowLevel)
        flags |= SDL_WINDOW_ALWAYS_ON_TOP;
    int x = int(frame_.x), y = int(frame_.y), w = whole(frame_.width), h = whole(frame_.height);

    if (!format) {
        window_ = SDL_CreateWindow("dravin", x, y, w, h, flags);
        if (!window_) {
            diag::log("error: window could not be created: %s", SDL_GetError());
            return false;
        }
        SDL_SetWindowData(sdl(window_), "host.window", this);
        return true;
    }

    // Ask for the format as given; then without the accelerated-only
    // attributes; then without a stencil buffer, saying what is missing.
    bool wantAccel = format->accelerated || format->noRecovery;
    struct Attempt {
        bool accelerated, stencil;
    } attempts[] = {{wantAccel, true}, {false, true}, {false, false}};
    for (size_t i = 0; i < std::size(attempts); ++i) {
        const Attempt& a = attempts[i];
        if (i == 1 && !wantAccel)
            continue; // the same request as the first attempt
        if (!a.stencil && format->stencilSize == 0)
            break;
        setAttributes(*format, a.accelerated, a.stencil);
        SDL_Window* window = SDL_CreateWindow("dravin", x, y, w, h, flags | SDL_WINDOW_OPENGL);
        SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
        if (context) {
            if (wantAccel && !a.accelerated && a.stencil)
                diag::log("warning: no accelerated renderer offers this pixel format; using another "
                    "renderer");
            int stencil = 0;
            SDL_GL_GetAttribute(SDL_GL_STENCIL_SIZE, &stencil);
            if (stencil < format->stencilSize)
                diag::log("warning: no stencil buffer available; stencilled drawing will not be clipped");
            window_ = window;
            glContext_ = context;
            surfaceWidth_ = w;
            surfaceHeight_ = h;
            SDL_SetWindowData(window, "host.window", this);
            return true;
        }
        if (window)
            SDL_DestroyWindow(window);
    }
    diag::log("error: no OpenGL context could be created: %s", SDL_GetError());
    return false;
}

void Window::platformResized(int width, int height) {
    frame_.width = float(width);
    frame_.height = float(height);
    if (view_ && (int(view_->frame().width) != width || int(view_->frame().height) != height)) {
        view_->setFrameSize(float(width), float(height));
        view_->setNeedsDisplay(true);
    }
}

} // namespace host
