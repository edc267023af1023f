// SDL's events in the host's terms: button numbers, the y flip, key
// characters, the wheel and the window events, read from real SDL events of
// a window on SDL's offscreen driver.
#include "host/Window.h"
#include "host/platform/SdlPlatform.h"

#include <gtest/gtest.h>

namespace {

using host::platform::PlatformEvent;
using Type = PlatformEvent::Type;

struct SdlEvents : testing::Test {
    host::Window window{
        {0, 0, 640, 480}, host::NSTitledWindowMask, host::BackingStore::buffered, false};
    // The backend itself, whichever platform the host has chosen.
    host::platform::SdlPlatform sdl;
    host::platform::Surface* surface{};
    Uint32 id{};
    void SetUp() override {
        ASSERT_TRUE(sdl.startVideo(/*preferOffscreen=*/true));
        surface = sdl.createSurface({0, 0, 640, 480}, nullptr);
        ASSERT_NE(surface, nullptr);
        surface->owner = &window;
        id = SDL_GetWindowID(static_cast<host::platform::SdlSurface*>(surface)->window);
    }
    void TearDown() override { sdl.destroySurface(surface); }
    PlatformEvent translate(SDL_Event e) {
        PlatformEvent out;
        EXPECT_TRUE(host::platform::translateSdlEvent(e, out));
        EXPECT_EQ(out.window, &window);
        return out;
    }
};

} // namespace

TEST_F(SdlEvents, ButtonsAreNumberedByTheHostAndYCountsUp) {
    const struct {
        Uint8 sdl;
        int host;
    } buttons[] = {{SDL_BUTTON_LEFT, 0},
                   {SDL_BUTTON_RIGHT, 1},
                   {SDL_BUTTON_MIDDLE, 2},
                   {SDL_BUTTON_X1, 3},
                   {SDL_BUTTON_X2, 4}};
    for (auto b : buttons) {
        SDL_Event e{};
        e.type = SDL_MOUSEBUTTONUP;
        e.button.windowID = id;
        e.button.button = b.sdl;
        e.button.x = 10;
        e.button.y = 30;
        PlatformEvent out = translate(e);
        EXPECT_EQ(out.type, Type::buttonUp);
        EXPECT_EQ(out.event.buttonNumber, b.host);
        EXPECT_EQ(out.event.locationInWindow.x, 10);
        EXPECT_EQ(out.event.locationInWindow.y, 450);
    }
    SDL_Event m{};
    m.type = SDL_MOUSEMOTION;
    m.motion.windowID = id;
    m.motion.state = SDL_BUTTON_LMASK | SDL_BUTTON_MMASK | SDL_BUTTON_X2MASK;
    EXPECT_EQ(translate(m).buttonsHeld, 0b10101u);
}

TEST_F(SdlEvents, KeysCarryTheirCharacterAndCtrlQIsQuit) {
    const struct {
        SDL_Keycode key;
        Uint16 mod;
        const char* characters;
        bool quit;
    } keys[] = {{SDLK_a, 0, "a", false},
                {SDLK_ESCAPE, 0, "\x1b", false},
                {SDLK_RETURN, 0, "\r", false},
                {SDLK_TAB, 0, "\t", false},
                {SDLK_BACKSPACE, 0, "\x7f", false},
                {SDLK_F1, 0, "", false},
                {SDLK_q, 0, "q", false},
                {SDLK_q, KMOD_LCTRL, "q", true}};
    for (auto k : keys) {
        SDL_Event e{};
        e.type = SDL_KEYDOWN;
        e.key.windowID = id;
        e.key.keysym.sym = k.key;
        e.key.keysym.mod = k.mod;
        PlatformEvent out = translate(e);
        EXPECT_EQ(out.type, Type::key);
        EXPECT_EQ(out.event.characters, k.characters);
        EXPECT_EQ(out.quitKey, k.quit);
    }
}

TEST_F(SdlEvents, TheWheelIsPositiveAwayFromTheUserWhateverTheSystemPreference) {
    for (Uint32 direction : {SDL_MOUSEWHEEL_NORMAL, SDL_MOUSEWHEEL_FLIPPED}) {
        SDL_Event e{};
        e.type = SDL_MOUSEWHEEL;
        e.wheel.windowID = id;
        e.wheel.y = direction == SDL_MOUSEWHEEL_NORMAL ? 2 : -2;
        e.wheel.x = direction == SDL_MOUSEWHEEL_NORMAL ? -1 : 1;
        e.wheel.direction = direction;
        PlatformEvent out = translate(e);
        EXPECT_EQ(out.event.deltaY, 2);
        EXPECT_EQ(out.event.deltaX, -1);
    }
}

TEST_F(SdlEvents, WindowEventsAndQuitBecomeTheirHostEvents) {
    const struct {
        Uint8 sdl;
        Type host;
    } events[] = {{SDL_WINDOWEVENT_SIZE_CHANGED, Type::resized},
                  {SDL_WINDOWEVENT_EXPOSED, Type::exposed},
                  {SDL_WINDOWEVENT_FOCUS_GAINED, Type::focusGained},
                  {SDL_WINDOWEVENT_FOCUS_LOST, Type::focusLost},
                  {SDL_WINDOWEVENT_CLOSE, Type::closeRequested}};
    for (auto w : events) {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.windowID = id;
        e.window.event = w.sdl;
        e.window.data1 = 800;
        e.window.data2 = 600;
        PlatformEvent out = translate(e);
        EXPECT_EQ(out.type, w.host);
        if (w.host == Type::resized) {
            EXPECT_TRUE(out.width == 800 && out.height == 600);
        }
    }
    SDL_Event q{};
    q.type = SDL_QUIT;
    PlatformEvent out;
    ASSERT_TRUE(host::platform::translateSdlEvent(q, out));
    EXPECT_EQ(out.type, Type::quitRequested);
    SDL_Event stray{}; // a window the host does not know
    stray.type = SDL_KEYDOWN;
    stray.key.windowID = id + 100;
    EXPECT_FALSE(host::platform::translateSdlEvent(stray, out));
}
