// The application loop: builds the window and its view from an interface
// description, wakes them, and runs the main thread's event loop.
#pragma once

#include "host/Geometry.h"
#include "host/Window.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace host {

class OpenGLView;

// What the host builds at start: one window of a given class with one view
// of a given class filling its content area.
struct InterfaceDescription {
    Rect contentRect{0, 0, 800, 600};
    uint32_t styleMask{NSTitledWindowMask | NSClosableWindowMask | NSResizableWindowMask};
    BackingStore backing{BackingStore::buffered};
    bool defer{true};
    std::function<std::unique_ptr<Window>(const Rect&, uint32_t, BackingStore, bool)> makeWindow;
    std::function<std::unique_ptr<OpenGLView>()> makeView;
    // Nothing shown: the platform's offscreen drawing, whatever display the
    // environment names (a thumbnailer, a batch capture).
    bool offscreen{};
};

class Application {
  public:
    static Application& shared();

    // Main thread only. Creates the window, then the view through its
    // initWithFrame, then sends awakeFromNib to the window and to the view.
    // False, after one line saying what is missing, when the platform's video,
    // the window or the GL context the view asked for could not be had (the
    // view is then not woken), or while an earlier view's loop threads still
    // run (that view stays).
    bool load(const InterfaceDescription& description);
    // Runs the event loop until stop(), the window closes, Ctrl+Q, or
    // SIGINT/SIGTERM.
    void run();
    // Runs the event loop for at most the given time (tests and tools).
    void runFor(double seconds);
    // Ends the event loop at its next pass; applicationMain then ends the
    // process with this status. Safe to call from any thread.
    void stop(int exitStatus = 0);
    int exitStatus() const { return exitStatus_.load(); }

    // Called on the main thread, with the view's context current, right before
    // each buffer swap of the main view (its context's flushBuffer). Empty: none.
    void setFrameHook(std::function<void(OpenGLView&)> hook);
    // Called on the main thread with the path of a file the user dropped on a
    // window of the application. Empty: drops are ignored.
    void setOpenFileHandler(std::function<void(const std::string&)> handler);
    // Hands a file to the handler, as a drop does (main thread).
    void openFile(const std::string& path);

    // Called on the main thread once the loop has ended, before
    // applicationMain ends the process: takes the exit status and returns the
    // one to end with. Empty: none.
    void setEndHook(std::function<int(int)> hook);
    // Whether the frames are drawn where nobody sees them (SDL's offscreen
    // driver): nothing is lost by making them wait.
    bool drawsOffscreen() const;

    Window* mainWindow() const { return window_.get(); }
    OpenGLView* mainView() const { return view_.get(); }

  private:
    Application() = default;
    void runUntil(double deadline);

    std::unique_ptr<Window> window_;
    std::unique_ptr<OpenGLView> view_;
    friend class OpenGLContext;
    void beforeFlush(OpenGLView& view);

    std::atomic<bool> stopRequested_{};
    std::atomic<int> exitStatus_{};
    std::function<void(OpenGLView&)> frameHook_;
    std::function<void(const std::string&)> openFile_;
    std::function<int(int)> endHook_;
    friend int applicationMain(int, char**, const InterfaceDescription&);
};

// The program's entry into the host: loads the description and runs the loop.
// Ends the process when the loop ends, with the status given to stop (0 after
// a signal, Ctrl+Q or the window's close request), without tearing down
// anything the view's threads may still be using. Returns 1 only when the
// application could not start.
int applicationMain(int argc, char** argv, const InterfaceDescription& description);

} // namespace host
