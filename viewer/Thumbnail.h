// dravin --thumbnail SIZE MODEL OUT.png, as a file manager calls it for each
// file that lands in a folder: the viewer's first frame of the model, square,
// drawn offscreen. The files are nobody's choice, so the thumbnailer reads
// nothing outside the model's folder and caps what a model may cost.
#pragma once

#include "viewer/ReadingBudget.h"

#include <cstdint>
#include <string>

// A model over these gets no thumbnail. Within them a thumbnail holds at
// most about half a gigabyte and takes a few seconds on a software renderer
// (a model at both counts: 450 MB, 4 s). The reading is counted rather than
// the address space limited: Mesa's llvmpipe reserves address space it never
// touches, more with each of its threads (900 MB for 114 MB resident with
// two, 1.5 GB with eight), and aborts when refused.
inline constexpr ReadingLimits kThumbnailLimits{
    .bytes = uint64_t{128} << 20, .vertices = uint64_t{2} << 20, .corners = uint64_t{3} << 20};
// A texture map's picture may take this much to decode (a small file can
// hold a large picture): the thumbnail is drawn without a texture over it.
inline constexpr uint64_t kThumbnailDecodeBytes = uint64_t{128} << 20;
// Wall time from the start to the picture drawn; past it the process ends
// with one line, leaving no picture.
inline constexpr double kThumbnailSeconds = 30;

// Draws the model (an absolute path) into a size x size PNG at output,
// written whole under another name and then renamed, or not at all. 0, or 1
// after one line on standard error: a model that cannot be read, has no
// vertices or is over a limit, no OpenGL, or an output that cannot be written.
int drawThumbnail(const std::string& program, const std::string& model, const std::string& output,
                  int size);
