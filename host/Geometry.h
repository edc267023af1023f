// Plain geometry records the host hands to the application.
#pragma once

namespace host {

struct Point {
    float x{};
    float y{};
};

struct Size {
    float width{};
    float height{};
};

// Origin and size. Window coordinates have their origin at the lower-left corner.
struct Rect {
    float x{};
    float y{};
    float width{};
    float height{};
};

} // namespace host
