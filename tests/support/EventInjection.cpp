#include "tests/support/EventInjection.h"

#include "host/platform/Platform.h"

namespace host {

namespace {

using platform::PlatformEvent;
using Type = PlatformEvent::Type;

PlatformEvent event(Window& window, Type type, float x = 0, float y = 0) {
    PlatformEvent e;
    e.type = type;
    e.window = &window;
    e.event.locationInWindow = {x, y};
    return e;
}

void post(const PlatformEvent& e) {
    platform::current().postEvent(e);
}

} // namespace

void postMouseButton(Window& window, int buttonNumber, bool pressed, float x, float y) {
    PlatformEvent e = event(window, pressed ? Type::buttonDown : Type::buttonUp, x, y);
    e.event.buttonNumber = buttonNumber;
    post(e);
}

void postMouseMotion(Window& window, unsigned buttonsHeld, float x, float y) {
    PlatformEvent e = event(window, Type::motion, x, y);
    e.buttonsHeld = buttonsHeld;
    post(e);
}

void postKey(Window& window, char character, bool control) {
    PlatformEvent e = event(window, Type::key);
    e.event.characters = std::string(1, character);
    e.quitKey = control && (character == 'q' || character == 'Q');
    post(e);
}

void postWheel(Window& window, float deltaX, float deltaY) {
    PlatformEvent e = event(window, Type::wheel);
    e.event.deltaX = deltaX;
    e.event.deltaY = deltaY;
    post(e);
}

void postExpose(Window& window) {
    post(event(window, Type::exposed));
}

void postResize(Window& window, int width, int height) {
    PlatformEvent e = event(window, Type::resized);
    e.width = width;
    e.height = height;
    post(e);
}

void postCloseRequest(Window& window) {
    post(event(window, Type::closeRequested));
}

} // namespace host
