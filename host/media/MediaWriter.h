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

// A QuickTime movie of MPEG-4 video: frameCount frames at fps, a key frame every
// keyInterval frames; paint fills each frame's width x height words. With
// frameCount 0 the movie has a video track and no frames.
int MediaWriteMovie(const std::string& path, int32_t width, int32_t height, int32_t fps,
                    int32_t frameCount, int32_t keyInterval,
                    const std::function<void(int32_t frame, uint32_t* argb)>& paint);

// The same through any FFmpeg muxer and encoder, frames converted to the named
// pixel format: an animated PNG is ("apng", "apng", "rgba"), an animated GIF
// ("gif", "gif", "rgb8").
int MediaWriteAnimation(const std::string& path, const std::string& container,
                        const std::string& encoder, const std::string& pixelFormat, int32_t width,
                        int32_t height, int32_t fps, int32_t frameCount, int32_t keyInterval,
                        const std::function<void(int32_t frame, uint32_t* argb)>& paint);

} // namespace host
