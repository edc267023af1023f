#include "host/Files.h"
#include "host/Media.h"
#include "host/MediaInternal.h"

extern "C" {
#include <libavutil/mathematics.h>
}

namespace host {

using namespace media;

struct MediaMovie::State {
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
    if (!fileExists(path))
        return nullptr;
    auto state = std::make_unique<State>();
    AVFormatContext* format = nullptr;
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    // Named as a local file outright, so no part of the name reads as a protocol.
    const std::string url = "file:" + path;
    int r = avformat_open_input(&format, url.c_str(), nullptr, &options);
    av_dict_free(&options);
    if (r < 0)
        return nullptr;
    state->format.reset(format);
    if (avformat_find_stream_info(format, nullptr) < 0)
        return nullptr;
    int stream = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (stream < 0)
        return nullptr;
    AVStream* st = format->streams[stream];
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
        duration = av_rescale_q(st->duration, st->time_base, unit);
    else if (format->duration != AV_NOPTS_VALUE && format->duration > 0)
        duration = av_rescale_q(format->duration, AVRational{1, AV_TIME_BASE}, unit);
    auto movie = std::unique_ptr<MediaMovie>(new MediaMovie(std::move(state)));
    movie->duration_ = duration;
    return movie;
}

int MediaMovie::renderFrame(int64_t time, uint8_t* pixels, int32_t width, int32_t height,
                            size_t rowBytes) {
    if (!pixels || width < 1 || height < 1 || rowBytes < size_t(width) * 4)
        return kMediaErrBadDestination;
    State& s = *state_;
    if (s.timeBase.num <= 0 || s.timeBase.den <= 0)
        return kMediaErrDecode;
    int64_t target = s.start + av_rescale_q(time, AVRational{1, int(kTimeScale)}, s.timeBase);

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
