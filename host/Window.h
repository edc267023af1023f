// A top-level window. Its content is one OpenGLView that fills it.
#pragma once

#include "host/Geometry.h"

#include <cstdint>

namespace host {

class OpenGLView;
class PixelFormat;
namespace platform {
struct Surface;
struct WindowOptions;
enum class Layer;
} // namespace platform

// Style mask bits.
constexpr uint32_t NSBorderlessWindowMask = 0;
constexpr uint32_t NSTitledWindowMask = 1u << 0;
constexpr uint32_t NSClosableWindowMask = 1u << 1;
constexpr uint32_t NSMiniaturizableWindowMask = 1u << 2;
constexpr uint32_t NSResizableWindowMask = 1u << 3;

enum class BackingStore { retained = 0, nonretained = 1, buffered = 2 };

// Window levels: ordinary windows sit at 0; higher levels stay above lower ones.
constexpr int kNormalWindowLevel = 0;
constexpr int kStatusWindowLevelKey = 9;
int windowLevelForKey(int key);
int shieldingWindowLevel();

struct Color {
    float red{}, green{}, blue{}, alpha{};
    static Color blackColor() { return {0, 0, 0, 1}; }
    static Color windowBackgroundColor() { return {0.93f, 0.93f, 0.93f, 1}; }
    bool operator==(const Color&) const = default;
};

struct Screen {
    Rect bounds;
    Rect frame() const { return bounds; }
};

// Main thread only: creating, changing and destroying a window (checked in
// debug builds).
class Window {
  public:
    // Frames are in screen coordinates (the platform's: origin at the top left).
    Window(const Rect& contentRect, uint32_t styleMask, BackingStore backing, bool defer);
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    virtual void awakeFromNib() {}
    // Borderless windows cannot take keyboard focus unless a subclass says so.
    virtual bool canBecomeKeyWindow();

    uint32_t styleMask() const { return styleMask_; }
    BackingStore backingType() const { return backing_; }
    bool isBorderless() const { return (styleMask_ & NSTitledWindowMask) == 0; }

    void setLevel(int level);
    int level() const { return level_; }
    void setAlphaValue(float alpha);
    float alphaValue() const { return alpha_; }
    void setOpaque(bool opaque) { opaque_ = opaque; }
    bool isOpaque() const { return opaque_; }
    void setHasShadow(bool shadow) { shadow_ = shadow; }
    bool hasShadow() const { return shadow_; }
    // Until the content view has presented a frame, a window given a
    // background colour shows it: at once, and again whenever its size changes.
    void setBackgroundColor(const Color& color);
    Color backgroundColor() const { return background_; }
    void setAcceptsMouseMovedEvents(bool accepts) { acceptsMouseMoved_ = accepts; }
    bool acceptsMouseMovedEvents() const { return acceptsMouseMoved_; }

    // The screen the window is on (the first screen before it is shown).
    Screen screen() const;
    Rect frame() const { return frame_; }
    // Moves and resizes the window; its view follows (reshape) and, with
    // display, is redrawn at once.
    void setFrame(const Rect& frame, bool display);

    void setContentView(OpenGLView* view);
    OpenGLView* contentView() const { return view_; }

    // Platform side, for host/ only.
    // Creates the platform window, with a GL context of the given format when
    // there is one; falls back to what the platform can give, with one
    // warning for each attribute it had to drop. False, after one line saying
    // what is missing, when there is no window or no context at all.
    bool realize(const PixelFormat* format);
    platform::Surface* surface() const { return surface_; }
    bool hasGLContext() const;
    // The platform reports a new size: the view follows.
    void platformResized(int width, int height);
    // The content view presents a frame: from now on it fills the window.
    void contentPresented() { contentPresented_ = true; }

  private:
    platform::WindowOptions windowOptions() const;
    platform::Layer layer() const;
    bool realizeWithContext(const PixelFormat& format);
    void showBackground();

    uint32_t styleMask_{};
    BackingStore backing_{};
    Rect frame_{};
    int level_{kNormalWindowLevel};
    float alpha_{1};
    bool opaque_{true};
    bool shadow_{true};
    Color background_{Color::windowBackgroundColor()};
    bool backgroundSet_{};
    bool contentPresented_{};
    bool acceptsMouseMoved_{};
    OpenGLView* view_{};
    platform::Surface* surface_{};
};

} // namespace host
