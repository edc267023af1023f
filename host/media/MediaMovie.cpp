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
struct FileSource {
    std::FILE* file{};
    int64_t size{};
    int64_t pos{};
    ~FileSource() {
        if (file)
            std::fclose(file);
    }
    // Opened without waiting, so a pipe or a device is refused instead of
    // blocking until someone writes to it.
    bool open(const std::string& path) {
        int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        struct stat st {};
        if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
            uint64_t(st.st_size) > kMediaMaxFileBytes || !(file = fdopen(fd, "rb"))) {
            if (fd >= 0)
                ::close(fd);
            return false;
        }
        size = int64_t(st.st_size);
        return true;
    }
};

int readFile(void* opaque, uint8_t* buf, int want) {
    auto* f = static_cast<FileSource*>(opaque);
    int64_t n = std::min<int64_t>(want, f->size - f->pos);
    if (n <= 0 || std::fseek(f->file, long(f->pos), SEEK_SET) != 0)
        return AVERROR_EOF;
    size_t got = std::fread(buf, 1, size_t(n), f->file);
    if (got == 0)
        return AVERROR_EOF;
    f->pos += int64_t(got);
    return int(got);
}

int64_t seekFile(void* opaque, int64_t offset, int whence) {
    auto* f = static_cast<FileSource*>(opaque);
    if (whence & AVSEEK_SIZE)
        return f->size;
    int64_t base = 0;
    switch (whence & ~AVSEEK_FORCE) {
    case SEEK_SET:
        break;
    case SEEK_CUR:
        base = f->pos;
        break;
    case SEEK_END:
        base = f->size;
        break;
    default:
        return AVERROR(EINVAL);
    }
    // Both terms lie within the file's size, so the sum cannot overflow.
    if (offset > f->size || offset < -f->size || base + offset < 0 || base + offset > f->size)
        return AVERROR(EINVAL);
    f->pos = base + offset;
    return f->pos;
}

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

struct IOFreer {
    void operator()(AVIOContext* io) const {
        av_freep(&io->buffer);
        avio_context_free(&io);
    }
};

} // namespace

struct MediaMovie::State {
    // Declared first, so they go last: the format reads through them.
    FileSource source;
    std::unique_ptr<AVIOContext, IOFreer> io;
    FormatPtr format;
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
    constexpr int kIOBufferBytes = 64 * 1024;
    auto* buffer = static_cast<uint8_t*>(av_malloc(kIOBufferBytes));
    if (!buffer)
        return nullptr;
    state->io.reset(
        avio_alloc_context(buffer, kIOBufferBytes, 0, &state->source, readFile, nullptr, seekFile));
    if (!state->io) {
        av_free(buffer);
        return nullptr;
    }
    AVFormatContext* format = avformat_alloc_context();
    if (!format)
        return nullptr;
    format->pb = state->io.get();
    format->flags |= AVFMT_FLAG_CUSTOM_IO;
    // Only the given bytes: a playlist or reference inside the file opens nothing else.
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "none", 0);
    int r = avformat_open_input(&format, nullptr, nullptr, &options);
    av_dict_free(&options);
    if (r < 0)
        return nullptr; // avformat_open_input freed the context
    state->format.reset(format);
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
    if (openDecoder(st->codecpar, state->codec, false) != kMediaNoError)
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
    av_seek_frame(s.format.get(), s.stream, target, AVSEEK_FLAG_BACKWARD);
    avcodec_flush_buffers(s.codec.get());
    av_frame_unref(s.shown.get());
    bool have = false;
    bool done = false;
    bool draining = false;
    while (!done) {
        if (!draining) {
            int r = av_read_frame(s.format.get(), s.packet.get());
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
