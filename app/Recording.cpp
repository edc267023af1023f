#include "app/Recording.h"

#include "diag/Diagnostics.h"
#include "host/media/Media.h"
#include "host/media/MediaWriter.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dravin {

namespace {

// Frames waiting for the encoder: enough to ride out a slow frame, few
// enough that a large window's frames stay a few tens of megabytes.
constexpr size_t kQueuedFrames = 4;

bool endsWith(const std::string& path, const char* ending) {
    const size_t n = std::strlen(ending);
    return path.size() > n && strcasecmp(path.c_str() + path.size() - n, ending) == 0;
}

} // namespace

const RecordingFormat* recordingFormatFor(const std::string& path) {
    static const RecordingFormat h264mp4{"mp4", "libx264", "yuv420p", "preset=veryfast:crf=18"};
    static const RecordingFormat h264mkv{"matroska", "libx264", "yuv420p",
                                         "preset=veryfast:crf=18"};
    static const RecordingFormat vp9{"webm", "libvpx-vp9", "yuv420p",
                                     "deadline=realtime:cpu-used=8:crf=30:b=0:row-mt=1"};
    static const RecordingFormat gif{"gif", "gif", "pal8", ""};
    if (endsWith(path, ".mp4"))
        return &h264mp4;
    if (endsWith(path, ".mkv"))
        return &h264mkv;
    if (endsWith(path, ".webm"))
        return &vp9;
    if (endsWith(path, ".gif"))
        return &gif;
    return nullptr;
}

Recorder::~Recorder() {
    if (thread_.joinable()) {
        {
            std::lock_guard lock(mutex_);
            ending_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }
}

std::string Recorder::start(const std::string& path, int fps, int frames) {
    struct stat st {};
    if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        return std::strerror(EISDIR);
    format_ = recordingFormatFor(path);
    if (!format_)
        return "the name must end in .mp4, .mkv, .webm or .gif";
    path_ = path;
    partial_ = path + ".part";
    const int fd = ::open(partial_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return std::strerror(errno);
    ::close(fd);
    // A file size limit ends the writes with an error, not the process.
    std::signal(SIGXFSZ, SIG_IGN);
    fps_ = fps;
    frames_ = frames;
    progress_ = frames > 0 && isatty(STDERR_FILENO) == 1;
    thread_ = std::thread([this] { encode(); });
    return "";
}

void Recorder::add(std::vector<uint32_t> pixels, int width, int height, bool wait) {
    std::unique_lock lock(mutex_);
    if (wait)
        changed_.wait(lock, [this] { return queue_.size() < kQueuedFrames || failed_; });
    if (failed_)
        return;
    if (queue_.size() >= kQueuedFrames) {
        ++dropped_;
        return;
    }
    queue_.push_back({std::move(pixels), width, height});
    lock.unlock();
    changed_.notify_all();
}

bool Recorder::failed() {
    std::lock_guard lock(mutex_);
    return failed_;
}

void Recorder::encode() {
    host::MovieWriter writer;
    bool opened = false;
    for (;;) {
        Frame frame;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return !queue_.empty() || ending_; });
            if (queue_.empty())
                break;
            frame = std::move(queue_.front());
            queue_.pop_front();
        }
        changed_.notify_all();
        int result = host::kMediaNoError;
        if (!opened) {
            result = writer.open({.path = partial_,
                                  .container = format_->container,
                                  .encoder = format_->encoder,
                                  .pixelFormat = format_->pixelFormat,
                                  .width = frame.width,
                                  .height = frame.height,
                                  .fps = fps_,
                                  .keyInterval = 2 * fps_,
                                  .encoderOptions = format_->options,
                                  .paint = {}});
            opened = result == host::kMediaNoError;
        }
        if (result == host::kMediaNoError)
            result = writer.add(frame.pixels.data(), frame.width, frame.height);
        if (result != host::kMediaNoError) {
            std::lock_guard lock(mutex_);
            failed_ = true;
            queue_.clear();
            changed_.notify_all();
            return;
        }
        const int done = ++encoded_;
        if (progress_)
            diag::err("\rrecording %s: frame %d of %d", path_.c_str(), done, frames_);
    }
    const int finished = opened ? writer.finish() : host::kMediaNoError;
    std::lock_guard lock(mutex_);
    if (!opened)
        failure_ = "no frame was drawn";
    else if (finished != host::kMediaNoError)
        failed_ = true;
}

std::string Recorder::finish() {
    if (!thread_.joinable())
        return "";
    {
        std::lock_guard lock(mutex_);
        ending_ = true;
    }
    changed_.notify_all();
    thread_.join();
    if (progress_ && encoded_ > 0)
        diag::err("\n");
    if (failed_)
        failure_ = "the file could not be written";
    if (failure_.empty() && std::rename(partial_.c_str(), path_.c_str()) != 0)
        failure_ = std::strerror(errno);
    if (!failure_.empty())
        std::remove(partial_.c_str());
    return failure_;
}

} // namespace dravin
