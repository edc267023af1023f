// SDL's events in the host's terms: the only place that knows SDL's button
// numbers, its y axis and its key codes.
#include "host/platform/SdlPlatform.h"

#include "host/Window.h"

namespace host::platform {

namespace {

Window* ownerOf(Uint32 windowID) {
    SDL_Window* w = SDL_GetWindowFromID(windowID);
    auto* s = w ? static_cast<Surface*>(SDL_GetWindowData(w, "host.surface")) : nullptr;
    return s ? s->owner : nullptr;
}

// The platform counts y down from the top; windows count it up from the bottom.
Point location(const Window& window, int x, int y) {
    return {float(x), window.frame().height - float(y)};
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

unsigned buttonsHeld(Uint32 state) {
    unsigned held = 0;
    for (Uint8 b = SDL_BUTTON_LEFT; b <= SDL_BUTTON_X2; ++b)
        if (state & SDL_BUTTON(b))
            held |= 1u << buttonNumber(b);
    return held;
}

// The typed character of a key, or the conventional one of a key that types none.
std::string characters(SDL_Keycode key) {
    switch (key) {
    case SDLK_ESCAPE:
        return "\x1b";
    case SDLK_RETURN:
        return "\r";
    case SDLK_TAB:
        return "\t";
    case SDLK_BACKSPACE:
        return "\x7f";
    default:
        return key >= 0x20 && key < 0x7f ? std::string(1, char(key)) : std::string();
    }
}

bool translateWindowEvent(const SDL_WindowEvent& w, PlatformEvent& out) {
    using T = PlatformEvent::Type;
    switch (w.event) {
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        out.type = T::resized;
        out.width = w.data1;
        out.height = w.data2;
        return true;
    case SDL_WINDOWEVENT_EXPOSED:
        out.type = T::exposed;
        return true;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        out.type = T::focusGained;
        return true;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        out.type = T::focusLost;
        return true;
    case SDL_WINDOWEVENT_CLOSE:
        out.type = T::closeRequested;
        return true;
    default:
        return false;
    }
}

} // namespace

bool translateSdlEvent(const SDL_Event& in, PlatformEvent& out) {
    using T = PlatformEvent::Type;
    out = PlatformEvent{};
    if (in.type == SDL_QUIT) {
        out.type = T::quitRequested;
        return true;
    }
    switch (in.type) {
    case SDL_WINDOWEVENT:
        out.window = ownerOf(in.window.windowID);
        return out.window && translateWindowEvent(in.window, out);
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        out.window = ownerOf(in.button.windowID);
        if (!out.window)
            return false;
        out.type = in.type == SDL_MOUSEBUTTONDOWN ? T::buttonDown : T::buttonUp;
        out.event.locationInWindow = location(*out.window, in.button.x, in.button.y);
        out.event.buttonNumber = buttonNumber(in.button.button);
        return true;
    case SDL_MOUSEMOTION:
        out.window = ownerOf(in.motion.windowID);
        if (!out.window)
            return false;
        out.type = T::motion;
        out.event.locationInWindow = location(*out.window, in.motion.x, in.motion.y);
        out.buttonsHeld = buttonsHeld(in.motion.state);
        return true;
    case SDL_MOUSEWHEEL: {
        out.window = ownerOf(in.wheel.windowID);
        if (!out.window)
            return false;
        out.type = T::wheel;
        // Away from the user is positive, whatever the system's scrolling preference.
        float sign = in.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -1.0f : 1.0f;
        out.event.deltaX = sign * float(in.wheel.x);
        out.event.deltaY = sign * float(in.wheel.y);
        return true;
    }
    case SDL_KEYDOWN:
        // A key can reach the program while no window of its own has the
        // keyboard focus (windowID 0): the application decides where it goes.
        out.window = in.key.windowID ? ownerOf(in.key.windowID) : nullptr;
        if (in.key.windowID && !out.window)
            return false;
        out.type = T::key;
        out.event.characters = characters(in.key.keysym.sym);
        out.quitKey = in.key.keysym.sym == SDLK_q && (in.key.keysym.mod & KMOD_CTRL);
        return true;
    case SDL_DROPFILE:
        // A drop outside any window of ours (windowID 0) is the application's.
        out.window = in.drop.windowID ? ownerOf(in.drop.windowID) : nullptr;
        if ((in.drop.windowID && !out.window) || !in.drop.file)
            return false;
        out.type = T::fileDropped;
        out.path = in.drop.file;
        return true;
    default:
        return false;
    }
}

} // namespace host::platform
