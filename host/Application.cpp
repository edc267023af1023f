#include "host/Application.h"

#include "diag/Diagnostics.h"
#include "host/OpenGLView.h"
#include "host/RunLoop.h"
#include "host/SdlVideo.h"

#include <SDL.h>
#include <atomic>
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

Window* windowOf(Uint32 windowID) {
    SDL_Window* w = SDL_GetWindowFromID(windowID);
    return w ? static_cast<Window*>(SDL_GetWindowData(w, "host.window")) : nullptr;
}

Event mouseEvent(const Window& window, int x, int y, int button) {
    Event e;
    // The platform counts y down from the top; windows count it up from the bottom.
    e.locationInWindow = {float(x), window.frame().height - float(y)};
    e.buttonNumber = button;
    return e;
}

// Platform button to the host's numbering: 0 primary, 1 secondary, 2 middle, 3+ further.
int buttonNumber(Uint8 button) {
    switch (button) {
    case SDL_BUTTON_LEFT:
        return 0;
    case SDL_BUTTON_RIGHT:
        return 1;
    case SDL_BUTTON_MIDDLE:
        return 2;
    default:
        return button - 1;
    }
}

void dispatchButton(OpenGLView& view, const Event& e, bool down) {
    if (e.buttonNumber == 0)
        down ? view.mouseDown(e) : view.mouseUp(e);
    else if (e.buttonNumber >= 2)
        down ? view.otherMouseDown(e) : view.otherMouseUp(e);
    // The secondary button has no handler.
}

void dispatchMotion(Window& window, OpenGLView& view, const SDL_MouseMotionEvent& m) {
    if (m.state & SDL_BUTTON_LMASK)
        view.mouseDragged(mouseEvent(window, m.x, m.y, 0));
    else if (m.state & (SDL_BUTTON_MMASK | SDL_BUTTON_X1MASK | SDL_BUTTON_X2MASK))
        view.otherMouseDragged(mouseEvent(window, m.x, m.y, 2));
    else if (m.state & SDL_BUTTON_RMASK)
        return;
    else if (window.acceptsMouseMovedEvents())
        view.mouseMoved(mouseEvent(window, m.x, m.y, 0));
}

void dispatchWindowEvent(Window& window, OpenGLView* view, const SDL_WindowEvent& w, bool& quit) {
    switch (w.event) {
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        window.platformResized(w.data1, w.data2);
        break;
    case SDL_WINDOWEVENT_EXPOSED:
        if (view)
            view->setNeedsDisplay(true);
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        if (view && window.canBecomeKeyWindow() && view->acceptsFirstResponder())
            view->becomeFirstResponder();
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        if (view)
            view->resignFirstResponder();
        break;
    case SDL_WINDOWEVENT_CLOSE:
        quit = true;
        break;
    default:
        break;
    }
}

// Handles every platform event that is waiting; true when the application should end.
bool pumpEvents() {
    bool quit = false;
    SDL_Event ev;
    while (SDL_PollEvent(&ev)) {
        if (ev.type == SDL_QUIT) {
            quit = true;
            continue;
        }
        Uint32 id = 0;
        switch (ev.type) {
        case SDL_WINDOWEVENT:
            id = ev.window.windowID;
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            id = ev.button.windowID;
            break;
        case SDL_MOUSEMOTION:
            id = ev.motion.windowID;
            break;
        case SDL_KEYDOWN:
            id = ev.key.windowID;
            break;
        case SDL_MOUSEWHEEL:
            id = ev.wheel.windowID;
            break;
        default:
            continue;
        }
        Window* window = windowOf(id);
        if (!window)
            continue;
        OpenGLView* view = window->contentView();
        if (ev.type == SDL_WINDOWEVENT) {
            dispatchWindowEvent(*window, view, ev.window, quit);
            continue;
        }
        if (!view)
            continue;
        if (ev.type == SDL_MOUSEBUTTONDOWN || ev.type == SDL_MOUSEBUTTONUP) {
            dispatchButton(
                *view,
                mouseEvent(*window, ev.button.x, ev.button.y, buttonNumber(ev.button.button)),
                ev.type == SDL_MOUSEBUTTONDOWN);
        } else if (ev.type == SDL_MOUSEMOTION) {
            dispatchMotion(*window, *view, ev.motion);
        } else if (ev.type == SDL_MOUSEWHEEL) {
            Event e;
            float sign = ev.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -1.0f : 1.0f;
            e.deltaX = sign * float(ev.wheel.x);
            e.deltaY = sign * float(ev.wheel.y);
            view->scrollWheel(e);
        } else if (ev.type == SDL_KEYDOWN) {
            Event e;
            SDL_Keycode key = ev.key.keysym.sym;
            if (key == SDLK_BACKSPACE)
                e.characters = "\x7f";
            else if ((key >= 0x20 && key < 0x7f) || key == SDLK_ESCAPE || key == SDLK_RETURN ||
                     key == SDLK_TAB)
                e.characters = std::string(1, char(key));
            view->keyDown(e);
            // The application, not the view, offers Quit.
            if (key == SDLK_q && (ev.key.keysym.mod & KMOD_CTRL))
                quit = true;
        }
    }
    return quit;
}

} // namespace

Application& Application::shared() {
    // Never destroyed: the view's threads run until the process ends.
    static Application* app = new Application;
    return *app;
}

bool Application::load(const InterfaceDescription& d) {
    if (!initVideo(false))
        return false;
    window_ = d.makeWindow
                  ? d.makeWindow(d.contentRect, d.styleMask, d.backing, d.defer)
                  : std::make_unique<Window>(d.contentRect, d.styleMask, d.backing, d.defer);
    view_ = d.makeView ? d.makeView() : std::make_unique<OpenGLView>();
    window_->setContentView(view_.get());
    view_->initWithFrame(Rect{0, 0, d.contentRect.width, d.contentRect.height});
    if (!window_->realize(nullptr))
        return false;
    window_->awakeFromNib();
    view_->awakeFromNib();
    if (window_->canBecomeKeyWindow() && view_->acceptsFirstResponder())
        view_->becomeFirstResponder();
    return true;
}

void Application::runUntil(double deadline) {
    RunLoop& loop = RunLoop::shared();
    while (!stopRequested_ && !gSignalled.load()) {
        // Calls first: another thread is waiting for them.
        loop.runPendingCalls();
        if (SDL_WasInit(SDL_INIT_VIDEO) && pumpEvents())
            break;
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
    frameHook_ = std::move(hook);
}

void Application::beforeFlush(OpenGLView& view) {
    if (frameHook_ && &view == view_.get())
        frameHook_(view);
}

int applicationMain(int, char**, const InterfaceDescription& description) {
    Application& app = Application::shared();
    if (!app.load(description)) {
        diag::log("error: the application could not start");
        return 1;
    }
    app.run();
    // The view's threads run for the life of the process: leave without
    // destructors so nothing they use goes away under them.
    std::fflush(nullptr);
    std::_Exit(app.exitStatus());
}

} // namespace host
