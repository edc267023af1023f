// What the host tells a view about one input event.
#pragma once

#include "host/Geometry.h"

#include <string>

namespace host {

struct Event {
    // Window coordinates, origin at the window's lower-left corner.
    Point locationInWindow{};
    // The typed text of a key event; empty for keys that type nothing.
    std::string characters;
    // 0 primary, 1 secondary, 2 middle, 3 and up further buttons.
    int buttonNumber{};
};

} // namespace host
