// Writes images and movies for tests, benchmarks and the test-media generator.
// Pixels come in the 32-bit port layout of host/media/Media.h: one native-order word
// a pixel, alpha, red, green, blue from the most significant byte, rows top first.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
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
    int32_t fps{};             // a GIF plays at most 50: its frames last at least 1/50 s
    // With frameCount 0 the movie has a video track and no frames.
    int32_t frameCount{};
    int32_t keyInterval{}; // a key frame every keyInterval frames, at least 1
    // The encoder's own settings, "key=value:key=value"; with them the
    // encoder's rate control rules, without them a constant quantiser of 2.
    std::string encoderOptions{};
    // Fills frame's width x height words; may be empty when there are no frames.
    std::function<void(int32_t frame, uint32_t* argb)> paint;
};

// 0 or a service error.
int MediaWriteMovie(const MediaMovieDescription& movie);

// A movie written as its frames arrive: open, add each, finish. The
// description's frameCount and paint are not used. With "pal8" each frame
// gets a palette made for it. Sides are rounded down to even for the pixel
// formats that halve the colour. Not thread-safe; one thread at a time.
class MovieWriter {
  public:
    MovieWriter();
    // An unfinished movie is closed as it stands.
    ~MovieWriter();
    MovieWriter(const MovieWriter&) = delete;
    MovieWriter& operator=(const MovieWriter&) = delete;

    // 0 or a service error.
    int open(const MediaMovieDescription& movie);
    // One frame of width x height words, cut to the movie's size when larger
    // and scaled to it when smaller. 0 or a service error.
    int add(const uint32_t* argb, int32_t width, int32_t height);
    // Drains the encoder and ends the file. 0 or a service error.
    int finish();
    int32_t width() const;
    int32_t height() const;

  private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace host
