// Ends a run after a number of presented frames, with the last one saved as
// a PNG when asked, and records the frames into a movie: the program's
// --frames, --screenshot, --record and --fps.
#pragma once

#include "app/CommandLine.h"

#include <cstdint>
#include <string>
#include <vector>

namespace dravin {

// From now on the application counts the main view's presented frames (not
// those on the way to the world). With --record each goes into the movie;
// after the frames-th (with --frames) it writes the screenshot when asked and
// stops with status 0, or 1 with one line on standard error when a file
// cannot be written. False, after one line, when the recording cannot start.
bool captureFrames(const CommandLine& options);

// The current context's back buffer, width x height from the lower-left
// corner, as 32-bit ARGB words with the top row first. Empty when the size is
// not usable.
std::vector<uint32_t> readBackBuffer(int width, int height);

} // namespace dravin
