#include "host/Window.h"

#include "diag/Diagnostics.h"
#include "host/OpenGLView.h"
#include "host/PixelFormat.h"
#include "host/internal/RunLoop.h"
#include "host/platform/Platform.h"

#include <cassert>
#include <climits>
#include <cmath>

namespace host {

namespace {

int whole(float v) {
    return v < 1 ? 1 : static_cast<int>(std::ceil(v));
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
    : styleMask_(styleMask), backing_(backing), frame_(contentRect) {
    assert(isMainThread() && "windows are made on the main thread");
}

Window::~Window() {
    if (view_)
        view_->attachToWindow(nullptr);
    if (surface_)
        platform::current().destroySurface(surface_);
}

bool Window::canBecomeKeyWindow() {
    return !isBorderless();
}

void Window::setLevel(int level) {
    assert(isMainThread() && "window changes belong to the main thread");
    level_ = level;
    if (surface_) {
        platform::current().setLayer(*surface_, layer()); // full screen changes the size
        showBackground();
    }
}

void Window::setAlphaValue(float alpha) {
    assert(isMainThread() && "window changes belong to the main thread");
    alpha_ = alpha;
    if (surface_)
        platform::current().setOpacity(*surface_, alpha);
}

void Window::setBackgroundColor(const Color& color) {
    assert(isMainThread() && "window changes belong to the main thread");
    background_ = color;
    backgroundSet_ = true;
    showBackground();
}

// Before its first frame the platform would show whatever was on the screen
// where the window now is.
void Window::showBackground() {
    if (!backgroundSet_ || contentPresented_ || !hasGLContext())
        return;
    platform::current().presentColor(*surface_, background_.red, background_.green,
                                     background_.blue, background_.alpha);
}

Screen Window::screen() const {
    return {platform::current().screenBounds(surface_)};
}

void Window::setFrame(const Rect& frame, bool display) {
    assert(isMainThread() && "window changes belong to the main thread");
    frame_ = frame;
    if (surface_)
        platform::current().setFrame(*surface_, frame);
    if (view_)
        view_->setFrameSize(frame.width, frame.height);
    showBackground();
    if (view_ && display)
        view_->display();
}

void Window::setContentView(OpenGLView* view) {
    view_ = view;
    if (view)
        view->attachToWindow(this);
}

bool Window::hasGLContext() const {
    return surface_ && platform::current().hasContext(*surface_);
}

platform::Layer Window::layer() const {
    // The shielding level covers the screen above everything, panels included.
    if (level_ >= shieldingWindowLevel())
        return platform::Layer::fullScreen;
    return level_ > kNormalWindowLevel ? platform::Layer::above : platform::Layer::normal;
}

platform::WindowOptions Window::windowOptions() const {
    return {int(frame_.x),
            int(frame_.y),
            whole(frame_.width),
            whole(frame_.height),
            isBorderless(),
            (styleMask_ & NSResizableWindowMask) != 0,
            layer(),
            false};
}

bool Window::realize(const PixelFormat* format) {
    assert(isMainThread() && "windows are made on the main thread");
    if (surface_)
        return true;
    platform::Platform& p = platform::current();
    if (!p.startVideo(false))
        return false;
    if (format)
        return realizeWithContext(*format);
    const platform::WindowOptions options = windowOptions();
    surface_ = p.createSurface(options, nullptr);
    if (!surface_) {
        diag::log("error: window could not be created: %s", p.failure().c_str());
        return false;
    }
    surface_->owner = this;
    return true;
}

bool Window::realizeWithContext(const PixelFormat& format) {
    platform::Platform& p = platform::current();
    const platform::WindowOptions options = windowOptions();
    bool wantAccel = format.accelerated || format.noRecovery;
    bool wantStencil = format.stencilSize > 0;
    // The format as given first; then without the accelerated-only
    // attributes, without the stencil buffer, and without both.
    const struct {
        bool accelerated, stencil;
    } attempts[] = {{true, true}, {false, true}, {true, false}, {false, false}};
    for (const auto& a : attempts) {
        if ((a.accelerated && !wantAccel) || (!a.stencil && !wantStencil))
            continue;
        platform::GLRequest request{format.doubleBuffer,
                                    format.colorSize,
                                    format.alphaSize,
                                    format.depthSize,
                                    a.stencil ? format.stencilSize : 0,
                                    a.accelerated};
        surface_ = p.createSurface(options, &request);
        if (!surface_)
            continue;
        surface_->owner = this;
        if (wantAccel && !a.accelerated)
            diag::log("warning: no accelerated renderer offers this pixel format; using another "
                      "renderer");
        int stencil = p.stencilBits(*surface_);
        showBackground(); // a background given before the window was made
        if (wantStencil && stencil == 0)
            diag::log("warning: no stencil buffer available; stencilled drawing will not be "
                      "clipped");
        else if (stencil < format.stencilSize)
            diag::log("warning: the GL context has %d stencil bits of the %d asked for", stencil,
                      format.stencilSize);
        return true;
    }
    diag::log("error: no OpenGL context could be created: %s", p.failure().c_str());
    return false;
}

void Window::platformResized(int width, int height) {
    frame_.width = float(width);
    frame_.height = float(height);
    if (view_ && (int(view_->frame().width) != width || int(view_->frame().height) != height)) {
        view_->setFrameSize(float(width), float(height));
        view_->setNeedsDisplay(true);
    }
    showBackground();
}

} // namespace host
