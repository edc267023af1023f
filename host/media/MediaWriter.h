// Writes images and movies for tests, benchmarks and the test-media generator.
// Pixels come in the 32-bit port layout of host/media/Media.h: one native-order word
// a pixel, alpha, red, green, blue from the most significant byte, rows top first.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace host {

// type is kMediaTypePNG, kMediaTypeJPEG, kMediaTypeTIFF or kMediaTypeBMP. With
// withAlpha false the file stores no alpha channel (JPEG never does).
// 0 or a service error.
int MediaWriteImage(const std::string& path, uint32_t type, int32_t width, int32_t height,
                    const uint32_t* argb, bool withAlpha);

// One picture through the FFmpeg encoder of that name ("png", "gif", "targa",
// "libwebp", ...), converted to the named pixel format ("pal8", "gray16be",
// "rgba", ...), its packet written as the file. 0 or a service error.
int MediaWriteImageWithEncoder(const std::string& path, const std::string& encoder,
                               const std::string& pixelFormat, int32_t width, int32_t height,
                               const uint32_t* argb);

// A movie to write, best given with designated initialisers:
//     MediaWriteMovie({.path = "a.mov", .width = 32, .height = 32, .fps = 10,
//                      .frameCount = 10, .keyInterval = 4, .paint = fill});
struct MediaMovieDescription {
    std::string path;
    // FFmpeg's muxer and encoder, and the pixel format the frames are
    // converted to: by default a QuickTime movie of MPEG-4 video; an animated
    // PNG is "apng", "apng", "rgba", an animated GIF "gif", "gif", "rgb8".
    std::string container{"mov"};
    std::string encoder{"mpeg4"};
    std::string pixelFormat{"yuv420p"};
    int32_t width{}, height{}; // at least 2 each
    int32_t fps{};
    // With frameCount 0 the movie has a video track and no frames.
    int32_t frameCount{};
    int32_t keyInterval{}; // a key frame every keyInterval frames, at least 1
    // Fills frame's width x height words; may be empty when there are no frames.
    std::function<void(int32_t frame, uint32_t* argb)> paint;
};

// 0 or a service error.
int MediaWriteMovie(const MediaMovieDescription& movie);

} // namespace host
