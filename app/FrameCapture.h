// Ends a run after a number of presented frames, with the last one saved as
// a PNG when asked: the program's --frames and --screenshot.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace dravin {

// From now on the application counts the main view's presented frames; after
// the frames-th it writes the screenshot (when the path is not empty) and
// stops with status 0, or 1 with one line on standard error when the file
// cannot be written.
void stopAfterFrames(int frames, const std::string& screenshot, const std::string& program);

// The current context's back buffer, width x height from the lower-left
// corner, as 32-bit ARGB words with the top row first. Empty when the size is
// not usable.
std::vector<uint32_t> readBackBuffer(int width, int height);

} // namespace dravin
