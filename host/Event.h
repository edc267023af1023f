// What the host tells a view about one input event.
#pragma once

#include "host/Geometry.h"

#include <string>

namespace host {

struct Event {
    // Window coordinates, origin at the window's lower-left corner.
    Point locationInWindow{};
    // The typed text of a key event, or the conventional character of a key
    // that types none (Escape "\x1b", Return "\r", Tab "\t", Backspace
    // "\x7f"); empty for other keys.
    std::string characters;
    // 0 primary, 1 secondary, 2 middle, 3 and up further buttons.
    int buttonNumber{};
    // Wheel turns; deltaY > 0 when the wheel turns away from the user,
    // deltaX > 0 to the right.
    float deltaX{};
    float deltaY{};
};

} // namespace host
