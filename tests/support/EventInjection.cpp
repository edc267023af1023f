#include "tests/support/EventInjection.h"

#include "host/platform/Platform.h"

namespace host {

namespace {

using platform::PlatformEvent;
using Type = PlatformEvent::Type;

// Queues one event for the window, after fill has set its particulars.
template <class Fill> void post(Window* window, Type type, Fill fill) {
    PlatformEvent e;
    e.type = type;
    e.window = window;
    fill(e);
    platform::current().postEvent(e);
}

} // namespace

void postMouseButton(Window& window, int buttonNumber, bool pressed, float x, float y) {
    post(&window, pressed ? Type::buttonDown : Type::buttonUp, [&](PlatformEvent& e) {
        e.event.locationInWindow = {x, y};
        e.event.buttonNumber = buttonNumber;
    });
}

void postMouseMotion(Window& window, unsigned buttonsHeld, float x, float y) {
    post(&window, Type::motion, [&](PlatformEvent& e) {
        e.event.locationInWindow = {x, y};
        e.buttonsHeld = buttonsHeld;
    });
}

void postKey(Window* window, char character, bool control) {
    post(window, Type::key, [&](PlatformEvent& e) {
        e.event.characters = std::string(1, character);
        e.quitKey = control && (character == 'q' || character == 'Q');
    });
}

void postWheel(Window& window, float deltaX, float deltaY) {
    post(&window, Type::wheel,
         [&](PlatformEvent& e) { e.event.deltaX = deltaX, e.event.deltaY = deltaY; });
}

void postExpose(Window& window) {
    post(&window, Type::exposed, [](PlatformEvent&) {});
}

void postResize(Window& window, int width, int height) {
    post(&window, Type::resized, [&](PlatformEvent& e) { e.width = width, e.height = height; });
}

void postCloseRequest(Window& window) {
    post(&window, Type::closeRequested, [](PlatformEvent&) {});
}

void postFileDrop(Window& window, const std::string& path) {
    post(&window, Type::fileDropped, [&](PlatformEvent& e) { e.path = path; });
}

} // namespace host
