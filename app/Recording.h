// Records the drawn frames into a movie (--record, --fps): the main thread
// hands each frame over, a thread of its own encodes it. The movie is written
// beside its path under a temporary name and renamed when it is finished, so
// a file by that name is always a whole movie.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace dravin {

// What a recording's file name asks for: FFmpeg's muxer, encoder, pixel
// format and encoder settings. Null for an extension the recorder does not
// write.
struct RecordingFormat {
    const char* container;
    const char* encoder;
    const char* pixelFormat;
    const char* options;
};
const RecordingFormat* recordingFormatFor(const std::string& path);

class Recorder {
  public:
    ~Recorder();

    // Checks that path can be recorded to (a known extension, a file that can
    // be made beside it) and starts the encoding thread. frames: the length
    // when known (for the progress line), else 0. "" or what is wrong, as the
    // end of a line.
    std::string start(const std::string& path, int fps, int frames);
    // Main thread: one frame of width x height words, rows top first. When
    // the queue is full, waits for the encoder (wait) or drops the frame.
    void add(std::vector<uint32_t> pixels, int width, int height, bool wait);
    // Whether the encoder has given up (the disk is full, say).
    bool failed();
    // Encodes what is queued, ends the file and gives it its name; on failure
    // removes it. "" or what went wrong, as the end of a line.
    std::string finish();
    int dropped() const { return dropped_; }

  private:
    struct Frame {
        std::vector<uint32_t> pixels;
        int width, height;
    };
    void encode();

    std::string path_, partial_;
    const RecordingFormat* format_{};
    int fps_{}, frames_{};
    bool progress_{};
    int dropped_{};
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Frame> queue_;
    bool ending_{}, failed_{};
    int encoded_{};
    std::string failure_;
    std::thread thread_;
};

} // namespace dravin
