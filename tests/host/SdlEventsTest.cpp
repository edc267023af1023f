// SDL's events in the host's terms (button numbers, the y flip, key
// characters, the wheel, window events), read from real SDL events of a
// window on SDL's offscreen driver.
#include "host/Window.h"
#include "host/platform/SdlPlatform.h"

#include <gtest/gtest.h>
#include <tuple>

// The events are written with designated initializers: the fields left out are zero.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

using namespace host::platform;
using Type = PlatformEvent::Type;

TEST(SdlEvents, BecomeHostEventsOfTheirWindow) {
    host::Window window({0, 0, 640, 480}, host::NSTitledWindowMask, host::BackingStore::buffered,
                        false);
    SdlPlatform sdl; // the backend itself, whichever the host has chosen
    ASSERT_TRUE(sdl.startVideo(/*offscreen=*/true));
    auto* surface = static_cast<SdlSurface*>(sdl.createSurface({0, 0, 640, 480}, nullptr));
    ASSERT_NE(surface, nullptr);
    surface->owner = &window;
    const Uint32 id = SDL_GetWindowID(surface->window);
    // Each at x 1, y 3 from the top of the window, where it has a position.
    auto button = [&](Uint8 b) -> SDL_Event {
        return {.button = {.type = SDL_MOUSEBUTTONUP, .windowID = id, .button = b, .x = 1, .y = 3}};
    };
    auto motion = [&](Uint32 held) -> SDL_Event {
        return {.motion = {.type = SDL_MOUSEMOTION, .windowID = id, .state = held, .x = 1, .y = 3}};
    };
    auto key = [&](SDL_Keycode k, Uint16 mod = 0) -> SDL_Event {
        return {.key = {.type = SDL_KEYDOWN, .windowID = id, .keysym = {.sym = k, .mod = mod}}};
    };
    auto wheel = [&](int x, int y, Uint32 d) -> SDL_Event {
        return {.wheel = {.type = SDL_MOUSEWHEEL, .windowID = id, .x = x, .y = y, .direction = d}};
    };
    auto window_ = [&](Uint8 w) -> SDL_Event { // a new size for a resize: 800 wide
        return {.window = {.type = SDL_WINDOWEVENT, .windowID = id, .event = w, .data1 = 800}};
    };
    // The event, and the type, button (or, for motion, the buttons held),
    // characters and wheel turn the host reads of it.
    // clang-format off
    const std::tuple<const char*, SDL_Event, Type, int, const char*, float> cases[] = {
        {"left", button(SDL_BUTTON_LEFT), Type::buttonUp, 0, "", 0}, {"right", button(SDL_BUTTON_RIGHT), Type::buttonUp, 1, "", 0},
        {"middle", button(SDL_BUTTON_MIDDLE), Type::buttonUp, 2, "", 0}, {"x2", button(SDL_BUTTON_X2), Type::buttonUp, 4, "", 0},
        {"motion", motion(SDL_BUTTON_LMASK | SDL_BUTTON_MMASK | SDL_BUTTON_X2MASK), Type::motion, 0b10101, "", 0},
        {"a", key(SDLK_a), Type::key, 0, "a", 0}, {"F1", key(SDLK_F1), Type::key, 0, "", 0},
        {"wheel away", wheel(-1, 2, SDL_MOUSEWHEEL_NORMAL), Type::wheel, 0, "", 2},
        {"wheel away, flipped", wheel(1, -2, SDL_MOUSEWHEEL_FLIPPED), Type::wheel, 0, "", 2},
        {"resized", window_(SDL_WINDOWEVENT_SIZE_CHANGED), Type::resized, 0, "", 0},
        {"exposed", window_(SDL_WINDOWEVENT_EXPOSED), Type::exposed, 0, "", 0},
        {"focus", window_(SDL_WINDOWEVENT_FOCUS_GAINED), Type::focusGained, 0, "", 0},
        {"blur", window_(SDL_WINDOWEVENT_FOCUS_LOST), Type::focusLost, 0, "", 0},
        {"close", window_(SDL_WINDOWEVENT_CLOSE), Type::closeRequested, 0, "", 0}};
    // clang-format on
    for (const auto& [name, in, type, number, characters, deltaY] : cases) {
        SCOPED_TRACE(name);
        PlatformEvent out;
        ASSERT_TRUE(translateSdlEvent(in, out));
        const int held = type == Type::motion ? int(out.buttonsHeld) : out.event.buttonNumber;
        EXPECT_EQ(std::tuple(out.window, out.type, held, out.event.characters, out.event.deltaX,
                             out.event.deltaY, out.width, out.quitKey),
                  std::tuple(&window, type, number, std::string(characters),
                             deltaY == 0 ? 0.0f : -1.0f, deltaY, type == Type::resized ? 800 : 0,
                             false));
        if (type == Type::buttonUp || type == Type::motion) { // y counts up from the bottom
            EXPECT_TRUE(out.event.locationInWindow.x == 1 && out.event.locationInWindow.y == 477);
        }
    }
    PlatformEvent out;
    ASSERT_TRUE(translateSdlEvent(key(SDLK_q, KMOD_LCTRL), out));
    EXPECT_TRUE(out.quitKey && out.event.characters == "q");
    ASSERT_TRUE(translateSdlEvent(SDL_Event{.type = SDL_QUIT}, out));
    EXPECT_EQ(out.type, Type::quitRequested);
    SDL_Event stray = key(SDLK_a);
    stray.key.windowID = id + 100; // a window the host does not know
    EXPECT_FALSE(translateSdlEvent(stray, out));
    stray.key.windowID = 0; // no window had the keyboard focus: the application places it
    ASSERT_TRUE(translateSdlEvent(stray, out));
    EXPECT_TRUE(out.type == Type::key && !out.window && out.event.characters == "a");

    // A file dropped on the window comes through the platform's own queue, as
    // SDL delivers it (the name is the receiver's to free), with its path; one dropped
    // outside every window of ours belongs to the application.
    for (Uint32 target : {id, Uint32(0)}) {
        SDL_Event drop{
            .drop = {.type = SDL_DROPFILE, .file = SDL_strdup("/m/a b.obj"), .windowID = target}};
        ASSERT_EQ(SDL_PushEvent(&drop), 1);
        // Past what the window had to say first, and the end of SDL's poll cycle.
        for (int polls = 0; polls < 8 && !(sdl.pollEvent(out) && out.type == Type::fileDropped);)
            ++polls;
        EXPECT_TRUE(out.type == Type::fileDropped && out.path == "/m/a b.obj");
        EXPECT_EQ(out.window, target ? &window : nullptr);
    }
    sdl.destroySurface(surface);
}
