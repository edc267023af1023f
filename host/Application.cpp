#include "host/Application.h"

#include "diag/Diagnostics.h"
#include "host/OpenGLView.h"
#include "host/Threads.h"
#include "host/internal/RunLoop.h"
#include "host/platform/Platform.h"

#include <atomic>
#include <cassert>
#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace host {

namespace {

std::atomic<bool> gSignalled{false};

extern "C" void onTerminationSignal(int) {
    gSignalled.store(true);
}

void installSignalHandlers() {
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

// How long the loop may sleep before it looks at the platform's events again.
constexpr double kEventPollInterval = 0.002;

using Type = platform::PlatformEvent::Type;

void dispatchButton(OpenGLView& view, const Event& e, bool down) {
    if (e.buttonNumber == 0)
        down ? view.mouseDown(e) : view.mouseUp(e);
    else if (e.buttonNumber >= 2)
        down ? view.otherMouseDown(e) : view.otherMouseUp(e);
    // The secondary button has no handler.
}

void dispatchMotion(Window& window, OpenGLView& view, const platform::PlatformEvent& m) {
    Event e = m.event;
    if (m.buttonsHeld & 1u) {
        e.buttonNumber = 0;
        view.mouseDragged(e);
    } else if (m.buttonsHeld & ~3u) {
        e.buttonNumber = 2;
        view.otherMouseDragged(e);
    } else if (m.buttonsHeld == 0 && window.acceptsMouseMovedEvents()) {
        view.mouseMoved(e);
    }
    // Moves with only the secondary button held reach no handler.
}

// Hands one event to its window and view; true when the application should end.
bool dispatch(const platform::PlatformEvent& pe) {
    if (pe.type == Type::quitRequested)
        return true;
    if (pe.type == Type::fileDropped) {
        Application::shared().openFile(pe.path);
        return false;
    }
    Window* window = pe.window;
    // A key while the keyboard focus is on no window of ours (still on its way,
    // or taken away) belongs to the main window, as a key window's would.
    if (!window && pe.type == Type::key)
        window = Application::shared().mainWindow();
    if (!window)
        return false;
    OpenGLView* view = window->contentView();
    switch (pe.type) {
    case Type::resized:
        window->platformResized(pe.width, pe.height);
        return false;
    case Type::closeRequested:
        return true;
    case Type::exposed:
        if (view)
            view->setNeedsDisplay(true);
        return false;
    case Type::focusGained:
        if (view && window->canBecomeKeyWindow() && view->acceptsFirstResponder())
            view->becomeFirstResponder();
        return false;
    case Type::focusLost:
        if (view)
            view->resignFirstResponder();
        return false;
    default:
        break;
    }
    if (!view)
        return pe.type == Type::key && pe.quitKey;
    switch (pe.type) {
    case Type::buttonDown:
    case Type::buttonUp:
        dispatchButton(*view, pe.event, pe.type == Type::buttonDown);
        return false;
    case Type::motion:
        dispatchMotion(*window, *view, pe);
        return false;
    case Type::wheel:
        view->scrollWheel(pe.event);
        return false;
    case Type::key:
        view->keyDown(pe.event);
        // The application, not the view, offers Quit.
        return pe.quitKey;
    default:
        return false;
    }
}

// Handles every platform event that is waiting; true when the application should end.
bool pumpEvents() {
    platform::PlatformEvent ev;
    bool quit = false;
    while (!quit && platform::current().pollEvent(ev))
        quit = dispatch(ev);
    return quit;
}

} // namespace

Application& Application::shared() {
    // Never destroyed: the view's threads run until the process ends.
    static Application* app = new Application;
    return *app;
}

bool Application::load(const InterfaceDescription& d) {
    assert(isMainThread() && "the application loads on the main thread");
    // The old view's loops would go on using it after it was destroyed.
    if (view_ && runningThreads() > 0) {
        diag::log("error: a view is already loaded and its loops still run; the new one is not");
        return false;
    }
    view_.reset();
    window_.reset();
    if (!platform::current().startVideo(d.offscreen))
        return false;
    window_ = d.makeWindow
                  ? d.makeWindow(d.contentRect, d.styleMask, d.backing, d.defer)
                  : std::make_unique<Window>(d.contentRect, d.styleMask, d.backing, d.defer);
    view_ = d.makeView ? d.makeView() : std::make_unique<OpenGLView>();
    window_->setContentView(view_.get());
    view_->initWithFrame(Rect{0, 0, d.contentRect.width, d.contentRect.height});
    // Without its window or its context the view cannot draw; the line saying
    // which is already out.
    if (view_->lacksContext() || !window_->realize(nullptr))
        return false;
    window_->awakeFromNib();
    view_->awakeFromNib();
    if (window_->canBecomeKeyWindow() && view_->acceptsFirstResponder())
        view_->becomeFirstResponder();
    return true;
}

void Application::runUntil(double deadline) {
    assert(isMainThread() && "the event loop runs on the main thread");
    RunLoop& loop = RunLoop::shared();
    platform::Platform& p = platform::current();
    while (!stopRequested_ && !gSignalled.load()) {
        // Calls first: another thread is waiting for them.
        loop.runPendingCalls();
        if (p.videoStarted() && pumpEvents()) {
            exitStatus_ = 0; // Quit, the close request and the platform's quit end well
            break;
        }
        loop.fireDueTimers();
        if (view_ && view_->needsDisplay())
            view_->display();
        double left = deadline - now();
        if (left <= 0)
            break;
        loop.waitForWork(left < kEventPollInterval ? left : kEventPollInterval);
    }
    // A stop ends one loop; one asked before the loop began ends it at once.
    stopRequested_ = false;
}

void Application::run() {
    installSignalHandlers();
    runUntil(1e300);
}

void Application::runFor(double seconds) {
    runUntil(now() + seconds);
}

void Application::stop(int exitStatus) {
    exitStatus_ = exitStatus;
    stopRequested_ = true;
    RunLoop::shared().wake();
}

void Application::setFrameHook(std::function<void(OpenGLView&)> hook) {
    assert(isMainThread() && "the frame hook is set on the main thread");
    frameHook_ = std::move(hook);
}

void Application::setEndHook(std::function<int(int)> hook) {
    assert(isMainThread() && "the end hook is set on the main thread");
    endHook_ = std::move(hook);
}

bool Application::drawsOffscreen() const {
    const platform::Platform& p = platform::current();
    return p.videoStarted() && p.drawsOffscreen();
}

void Application::setOpenFileHandler(std::function<void(const std::string&)> handler) {
    assert(isMainThread() && "the open-file handler is set on the main thread");
    openFile_ = std::move(handler);
}

void Application::openFile(const std::string& path) {
    assert(isMainThread() && "files are opened on the main thread");
    if (openFile_)
        openFile_(path);
}

void Application::beforeFlush(OpenGLView& view) {
    if (frameHook_ && &view == view_.get())
        frameHook_(view);
}

int applicationMain(int, char**, const InterfaceDescription& description) {
    Application& app = Application::shared();
    if (!app.load(description)) {
        // The reason is already out, in one line; nothing has started yet.
        std::fflush(nullptr);
        std::_Exit(1);
    }
    app.run();
    const int status = app.endHook_ ? app.endHook_(app.exitStatus()) : app.exitStatus();
    // The view's threads run for the life of the process: leave without
    // destructors so nothing they use goes away under them.
    std::fflush(nullptr);
    std::_Exit(status);
}

} // namespace host
