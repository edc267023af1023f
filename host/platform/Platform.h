// Internal to host/: the one seam between the host's objects (Application,
// Window, OpenGLView, OpenGLContext, RunLoop) and the platform under them.
// Two backends implement it: SDL2 (what runs the program) and a null platform
// (no window system, no GL; an event queue that tests fill).
#pragma once

#include "host/Event.h"
#include "host/Geometry.h"

#include <memory>
#include <string>

namespace host {

class Window;

namespace platform {

// A platform window, and its GL context when it has one. Backends derive from
// it; the host only keeps the pointer and its owner.
struct Surface {
    virtual ~Surface() = default;
    Window* owner{};
};

// Where a window stands among the others. fullScreen asks the window manager
// for its full-screen state, the one it puts above its own panels and docks;
// "above" alone stays below them.
enum class Layer { normal, above, fullScreen };

struct WindowOptions {
    // Screen coordinates, origin at the top left.
    int x{}, y{}, width{}, height{};
    bool borderless{};
    bool resizable{};
    Layer layer{};
    bool hidden{};
};

// What to ask of a GL context: the pixel format after the host has chosen
// which attributes to keep.
struct GLRequest {
    bool doubleBuffer{true};
    int colorSize{24};
    int alphaSize{};
    int depthSize{};
    int stencilSize{};
    bool accelerated{};
};

// One input or window event, already in the host's terms: positions in window
// coordinates with y up, buttons numbered 0 primary, 1 secondary, 2 middle.
struct PlatformEvent {
    enum class Type {
        buttonDown,
        buttonUp,
        motion,
        wheel,
        key,
        resized,
        exposed,
        focusGained,
        focusLost,
        closeRequested,
        quitRequested,
        fileDropped,
    };
    Type type{};
    Window* window{};       // null for quitRequested, and for a key while no window has focus
    Event event;            // location, button, characters, wheel deltas
    unsigned buttonsHeld{}; // motion: bit n set while button n is held
    int width{}, height{};  // resized: the new size
    bool quitKey{};         // key: the platform's Quit shortcut (Ctrl+Q)
    std::string path;       // fileDropped: the file's path
};

class Platform {
  public:
    virtual ~Platform() = default;
    virtual const char* name() const = 0;

    // Starts the window system (once). With offscreen, a backend with a
    // choice draws without a display, whatever display or driver the
    // environment names, so that no window is ever shown. False, after a log
    // line, on failure.
    virtual bool startVideo(bool offscreen) = 0;
    virtual bool videoStarted() const = 0;
    // Whether the started video draws nowhere to be seen.
    virtual bool drawsOffscreen() const { return false; }

    // A window, with a GL context current on return when gl is given. Null
    // when the platform refuses; failure() then says why.
    virtual Surface* createSurface(const WindowOptions& options, const GLRequest* gl) = 0;
    virtual void destroySurface(Surface* surface) = 0;
    virtual std::string failure() const = 0;
    virtual bool hasContext(const Surface& surface) const = 0;
    // The stencil bits the context actually has.
    virtual int stencilBits(const Surface& surface) const = 0;

    virtual void setFrame(Surface& surface, const Rect& frame) = 0;
    virtual void setLayer(Surface& surface, Layer layer) = 0;
    virtual void setOpacity(Surface& surface, float alpha) = 0;
    // The bounds of the screen the surface is on (the first without one).
    virtual Rect screenBounds(const Surface* surface) const = 0;

    virtual void makeCurrent(Surface& surface) = 0;
    virtual void swapBuffers(Surface& surface) = 0;
    // Main thread: shows the whole of a surface with a GL context in one
    // colour at once (cleared and presented), its context current after and
    // its GL state as before.
    virtual void presentColor(Surface& surface, float red, float green, float blue,
                              float alpha) = 0;
    virtual void setSwapInterval(int interval) = 0;

    // Main thread: the next waiting event, if any.
    virtual bool pollEvent(PlatformEvent& event) = 0;
    // Queues an event as if the platform had sent it (test input, scripted demos).
    virtual void postEvent(const PlatformEvent& event) = 0;
};

// The platform in use: SDL2 unless a test chose the null platform first.
Platform& current();

// The null platform: windows and contexts are records, nothing is drawn, and
// events come only from postEvent. Must be chosen before anything else uses
// the platform.
class NullPlatform;
NullPlatform& useNullPlatform();

} // namespace platform
} // namespace host
