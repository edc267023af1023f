// What a pixel of a picture shows against its background, in the one letter
// the picture tests compare: '.' the background itself, 'r', 'g' or 'b' mostly
// that channel, 'k' darker than the background (lines, points), 'w' anything
// else (a lit grey face).
#pragma once

#include <cstdint>

namespace testing_support {

inline char pixelKind(uint32_t rgb, uint32_t background) {
    const auto sum = [](uint32_t c) { return (c >> 16 & 0xff) + (c >> 8 & 0xff) + (c & 0xff); };
    const int r = rgb >> 16 & 0xff, g = rgb >> 8 & 0xff, b = rgb & 0xff;
    if ((rgb & 0xffffff) == (background & 0xffffff))
        return '.';
    if (r > g + 40 && r > b + 40)
        return 'r';
    if (g > r + 40 && g > b + 40)
        return 'g';
    if (b > r + 40 && b > g + 40)
        return 'b';
    return sum(rgb) + 60 < sum(background) ? 'k' : 'w';
}

} // namespace testing_support
