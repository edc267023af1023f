#include "host/EventInjection.h"

#include "host/Window.h"

#include <SDL.h>

namespace host {

namespace {

Uint32 windowID(const Window& window) {
    auto* w = static_cast<SDL_Window*>(window.platformWindow());
    return w ? SDL_GetWindowID(w) : 0;
}

// Window coordinates (y up) to the platform's (y down).
int platformY(const Window& window, float y) {
    return int(window.frame().height - y);
}

Uint8 platformButton(int buttonNumber) {
    switch (buttonNumber) {
    case 0:
        return SDL_BUTTON_LEFT;
    case 1:
        return SDL_BUTTON_RIGHT;
    case 2:
        return SDL_BUTTON_MIDDLE;
    default:
        return Uint8(buttonNumber + 1);
    }
}

} // namespace

void postMouseButton(const Window& window, int buttonNumber, bool pressed, float x, float y) {
    SDL_Event e{};
    e.type = pressed ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.windowID = windowID(window);
    e.button.button = platformButton(buttonNumber);
    e.button.state = pressed ? SDL_PRESSED : SDL_RELEASED;
    e.button.clicks = 1;
    e.button.x = int(x);
    e.button.y = platformY(window, y);
    SDL_PushEvent(&e);
}

void postMouseMotion(const Window& window, unsigned buttonsHeld, float x, float y) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.windowID = windowID(window);
    for (int b = 0; b < 5; ++b)
        if (buttonsHeld & (1u << b))
            e.motion.state |= SDL_BUTTON(platformButton(b));
    e.motion.x = int(x);
    e.motion.y = platformY(window, y);
    SDL_PushEvent(&e);
}

void postKey(const Window& window, char character) {
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.windowID = windowID(window);
    e.key.state = SDL_PRESSED;
    e.key.keysym.sym = SDL_Keycode(character);
    SDL_PushEvent(&e);
}

void postExpose(const Window& window) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = windowID(window);
    e.window.event = SDL_WINDOWEVENT_EXPOSED;
    SDL_PushEvent(&e);
}

} // namespace host
