#include "host/media/Media.h"
#include "host/media/MediaInternal.h"

extern "C" {
#include <libavutil/mathematics.h>
}

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace host {

using namespace media;

namespace {

// Reads a file through a handle opened once, never past the size it had when
// it was checked: a file that grows meanwhile cannot push reads past the limit.
class FileSource final : public ByteSource {
  public:
    ~FileSource() override {
        if (file_)
            std::fclose(file_);
    }
    // Opened without waiting, so a pipe or a device is refused instead of
    // blocking until someone writes to it.
    bool open(const std::string& path) {
        int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        struct stat st {};
        if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
            uint64_t(st.st_size) > kMediaMaxFileBytes || !(file_ = fdopen(fd, "rb"))) {
            if (fd >= 0)
                ::close(fd);
            return false;
        }
        size = int64_t(st.st_size);
        return true;
    }
    size_t readAt(uint8_t* buf, size_t want) override {
        if (std::fseek(file_, long(pos), SEEK_SET) != 0)
            return 0;
        return std::fread(buf, 1, want, file_);
    }

  private:
    std::FILE* file_{};
};

// a + b, held at the ends of the range instead of overflowing.
int64_t saturatingAdd(int64_t a, int64_t b) {
    int64_t sum;
    if (__builtin_add_overflow(a, b, &sum))
        return b > 0 ? INT64_MAX : INT64_MIN;
    return sum;
}

// value in `from` units rescaled to `to`; saturated where av_rescale_q cannot
// represent the result (it answers INT64_MIN there).
int64_t rescaleSaturating(int64_t value, AVRational from, AVRational to) {
    if (value == 0)
        return 0;
    int64_t r = av_rescale_q(value, from, to);
    if (r == INT64_MIN || (r < 0) != (value < 0))
        return value > 0 ? INT64_MAX : INT64_MIN;
    return r;
}

// Every decoder opened while the streams are probed gets the pixel cap too.
struct StreamOptions {
    std::vector<AVDictionary*> perStream;
    explicit StreamOptions(unsigned count) : perStream(count, nullptr) {
        for (AVDictionary*& d : perStream) {
            av_dict_set(&d, "max_pixels", std::to_string(kMediaMaxPixels).c_str(), 0);
            av_dict_set(&d, "threads", "1", 0);
        }
    }
    ~StreamOptions() {
        for (AVDictionary*& d : perStream)
            av_dict_free(&d);
    }
};

} // namespace

struct MediaMovie::State {
    // Declared first, so it goes last: the input reads through it.
    FileSource source;
    CustomInput input;
    CodecPtr codec;
    int stream{-1};
    AVRational timeBase{};
    int64_t start{};
    FramePtr frame;
    FramePtr shown;
    PacketPtr packet;
};

MediaMovie::MediaMovie(std::unique_ptr<State> state) : state_(std::move(state)) {}
MediaMovie::~MediaMovie() = default;

std::unique_ptr<MediaMovie> MediaMovie::open(const std::string& path) {
    silenceLibraryLog();
    auto state = std::make_unique<State>();
    if (!state->source.open(path))
        return nullptr;
    if (state->input.open(state->source, nullptr) != kMediaNoError)
        return nullptr;
    AVFormatContext* format = state->input.format();
    {
        StreamOptions probeOptions(format->nb_streams);
        if (avformat_find_stream_info(format, probeOptions.perStream.data()) < 0)
            return nullptr;
    }
    int stream = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (stream < 0)
        return nullptr;
    AVStream* st = format->streams[stream];
    if (int64_t(st->codecpar->width) * st->codecpar->height > kMediaMaxPixels)
        return nullptr;
    if (openDecoder(st->codecpar, state->codec, {kMediaMaxPixels, false, 0}) != kMediaNoError)
        return nullptr;
    state->stream = stream;
    state->timeBase = st->time_base;
    state->start = st->start_time != AV_NOPTS_VALUE ? st->start_time : 0;
    state->frame.reset(av_frame_alloc());
    state->shown.reset(av_frame_alloc());
    state->packet.reset(av_packet_alloc());
    if (!state->frame || !state->shown || !state->packet)
        return nullptr;

    const AVRational unit{1, int(kTimeScale)};
    int64_t duration = 0;
    if (st->duration != AV_NOPTS_VALUE && st->duration > 0 && st->time_base.num > 0 &&
        st->time_base.den > 0)
        duration = rescaleSaturating(st->duration, st->time_base, unit);
    else if (format->duration != AV_NOPTS_VALUE && format->duration > 0)
        duration = rescaleSaturating(format->duration, AVRational{1, AV_TIME_BASE}, unit);
    auto movie = std::unique_ptr<MediaMovie>(new MediaMovie(std::move(state)));
    movie->duration_ = std::max<int64_t>(duration, 0);
    return movie;
}

int MediaMovie::renderFrame(int64_t time, uint8_t* pixels, int32_t width, int32_t height,
                            size_t rowBytes) {
    if (!pixels || width < 1 || height < 1 || rowBytes < size_t(width) * 4)
        return kMediaErrBadDestination;
    State& s = *state_;
    if (s.timeBase.num <= 0 || s.timeBase.den <= 0)
        return kMediaErrDecode;
    int64_t target =
        saturatingAdd(s.start, rescaleSaturating(time, AVRational{1, int(kTimeScale)}, s.timeBase));

    // From the nearest earlier key frame, decode forward to the asked time and
    // keep the last picture that starts at or before it.
    av_seek_frame(s.input.format(), s.stream, target, AVSEEK_FLAG_BACKWARD);
    avcodec_flush_buffers(s.codec.get());
    av_frame_unref(s.shown.get());
    bool have = false;
    bool done = false;
    bool draining = false;
    while (!done) {
        if (!draining) {
            int r = av_read_frame(s.input.format(), s.packet.get());
            if (r < 0) {
                draining = true;
                avcodec_send_packet(s.codec.get(), nullptr);
            } else {
                if (s.packet->stream_index == s.stream)
                    avcodec_send_packet(s.codec.get(), s.packet.get());
                av_packet_unref(s.packet.get());
            }
        }
        for (;;) {
            int r = avcodec_receive_frame(s.codec.get(), s.frame.get());
            if (r == AVERROR(EAGAIN))
                break;
            if (r < 0) {
                done = true; // end of stream, or a decoder that gave up
                break;
            }
            int64_t pts = s.frame->best_effort_timestamp;
            bool notLater = pts == AV_NOPTS_VALUE || pts <= target;
            if (!have || notLater) {
                av_frame_unref(s.shown.get());
                av_frame_move_ref(s.shown.get(), s.frame.get());
                have = true;
            } else {
                av_frame_unref(s.frame.get());
            }
            if (!notLater) {
                done = true;
                break;
            }
        }
    }
    if (!have)
        return kMediaErrDecode;
    return scaleInto(s.shown.get(), width, height, AV_PIX_FMT_RGB32, pixels, rowBytes, width,
                     height);
}

} // namespace host
