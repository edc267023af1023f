#include "host/OpenGLView.h"

#include "host/Application.h"
#include "host/PixelFormat.h"
#include "host/Window.h"
#include "host/platform/Platform.h"

namespace host {

// The window's platform surface can be replaced (see Window::setFrame), so
// the context looks it up each time.
void OpenGLContext::makeCurrentContext() {
    platform::current().makeCurrent(*window_->surface());
}

void OpenGLContext::flushBuffer() {
    if (OpenGLView* view = window_->contentView())
        Application::shared().beforeFlush(*view);
    window_->contentPresented();
    platform::current().swapBuffers(*window_->surface());
}

OpenGLView::~OpenGLView() {
    if (window_ && window_->contentView() == this)
        window_->setContentView(nullptr);
}

void OpenGLView::initWithFrame(const Rect& frame) {
    frame_ = frame;
    if (window_)
        window_->realize(nullptr);
}

bool OpenGLView::initWithFrame(const Rect& frame, const PixelFormat& format) {
    frame_ = frame;
    wantsContext_ = true;
    if (!window_ || !window_->realize(&format) || !window_->hasGLContext())
        return false;
    context_.window_ = window_;
    // No vertical sync: the view presents as fast as its scene draws.
    context_.makeCurrentContext();
    platform::current().setSwapInterval(0);
    return true;
}

void OpenGLView::display() {
    needsDisplay_ = false;
    if (context_.window_)
        context_.makeCurrentContext();
    drawRect(bounds());
}

void OpenGLView::setFrameSize(float width, float height) {
    if (frame_.width == width && frame_.height == height)
        return;
    frame_.width = width;
    frame_.height = height;
    reshape();
}

} // namespace host
