// A view that draws with OpenGL into its window, and takes that window's events.
#pragma once

#include "host/Event.h"
#include "host/Geometry.h"

namespace host {

class PixelFormat;
class Window;

// The view's GL context.
class OpenGLContext {
  public:
    // Directs the calling thread's GL calls to this context.
    void makeCurrentContext();
    // Presents the back buffer.
    void flushBuffer();

  private:
    friend class OpenGLView;
    Window* window_{};
};

class OpenGLView {
  public:
    OpenGLView() = default;
    virtual ~OpenGLView();
    OpenGLView(const OpenGLView&) = delete;
    OpenGLView& operator=(const OpenGLView&) = delete;

    // Creation by the host, right after construction, with the frame of the
    // interface description. A view that draws calls the two-argument form.
    virtual void initWithFrame(const Rect& frame);
    // Takes the frame and creates the view's double-buffered GL context in its
    // window, current on return. False when no context could be had.
    bool initWithFrame(const Rect& frame, const PixelFormat& format);

    virtual void awakeFromNib() {}
    virtual void drawRect(const Rect&) {}
    // After every change of the view's size.
    virtual void reshape() {}

    virtual void keyDown(const Event&) {}
    virtual void mouseDown(const Event&) {}
    virtual void mouseDragged(const Event&) {}
    virtual void mouseUp(const Event&) {}
    virtual void mouseMoved(const Event&) {}
    virtual void otherMouseDown(const Event&) {}
    virtual void otherMouseDragged(const Event&) {}
    virtual void otherMouseUp(const Event&) {}
    virtual void scrollWheel(const Event&) {}
    virtual bool acceptsFirstResponder() { return false; }
    virtual bool becomeFirstResponder() { return true; }
    virtual bool resignFirstResponder() { return true; }

    OpenGLContext* openGLContext() { return context_.window_ ? &context_ : nullptr; }
    // In the coordinates of the window's content area (the view fills it).
    Rect frame() const { return frame_; }
    Rect bounds() const { return {0, 0, frame_.width, frame_.height}; }
    Window* window() const { return window_; }

    // Marks the view; the event loop redraws a marked view once at its next
    // display pass, however many marks came before.
    void setNeedsDisplay(bool needs) { needsDisplay_ = needs; }
    bool needsDisplay() const { return needsDisplay_; }
    // Redraws now: drawRect with the bounds, with the view's context current.
    void display();

    // Host side, for host/ only.
    void attachToWindow(Window* window) { window_ = window; }
    void setFrameSize(float width, float height);

  private:
    Window* window_{};
    Rect frame_{};
    OpenGLContext context_{};
    bool needsDisplay_{};
};

} // namespace host
