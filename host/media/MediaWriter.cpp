#include "host/media/MediaWriter.h"

#include "host/media/Media.h"
#include "host/media/MediaInternal.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace host {
namespace {

using namespace media;

struct OutputCloser {
    void operator()(AVFormatContext* p) const {
        if (p->pb)
            avio_closep(&p->pb);
        avformat_free_context(p);
    }
};

// Converts the caller's words into a frame of the encoder's format.
int fillFrame(AVFrame* frame, const uint32_t* argb, int32_t width, int32_t height) {
    ScalerPtr scaler(sws_getContext(width, height, AV_PIX_FMT_RGB32, width, height,
                                    AVPixelFormat(frame->format), SWS_POINT, nullptr, nullptr,
                                    nullptr));
    if (!scaler || av_frame_make_writable(frame) < 0)
        return kMediaErrIO;
    const uint8_t* src[4] = {reinterpret_cast<const uint8_t*>(argb), nullptr, nullptr, nullptr};
    int stride[4] = {width * 4, 0, 0, 0};
    sws_scale(scaler.get(), src, stride, 0, height, frame->data, frame->linesize);
    return kMediaNoError;
}

FramePtr makeFrame(AVPixelFormat format, int32_t width, int32_t height) {
    FramePtr frame(av_frame_alloc());
    if (!frame)
        return nullptr;
    frame->format = format;
    frame->width = width;
    frame->height = height;
    if (av_frame_get_buffer(frame.get(), 32) < 0)
        return nullptr;
    return frame;
}

// A palette made for one picture (a median cut of its colours at 5 bits a
// channel, each entry the mean of the pixels it stands for) and the picture
// in it, into a pal8 frame. argb's rows are stride words apart.
void quantizeFrame(const uint32_t* argb, int32_t stride, AVFrame* frame) {
    constexpr int kBins = 1 << 15;
    const int w = frame->width, h = frame->height;
    auto binOf = [](uint32_t p) {
        return int(((p >> 9) & 0x7c00) | ((p >> 6) & 0x3e0) | ((p >> 3) & 0x1f));
    };
    std::vector<uint32_t> count(kBins);
    std::vector<uint64_t> sum(size_t(kBins) * 3);
    for (int y = 0; y < h; ++y)
        for (const uint32_t *p = argb + size_t(y) * size_t(stride), *e = p + w; p < e; ++p) {
            const int b = binOf(*p);
            ++count[b];
            sum[b * 3] += (*p >> 16) & 0xff;
            sum[b * 3 + 1] += (*p >> 8) & 0xff;
            sum[b * 3 + 2] += *p & 0xff;
        }
    std::vector<int> bins;
    for (int b = 0; b < kBins; ++b)
        if (count[b])
            bins.push_back(b);
    auto channel = [](int b, int c) { return (b >> (10 - 5 * c)) & 31; };
    struct Box {
        size_t begin, end;
        uint64_t pixels;
        int axis, range;
    };
    auto measure = [&](size_t begin, size_t end) {
        Box box{begin, end, 0, 0, -1};
        int lo[3] = {31, 31, 31}, hi[3] = {};
        for (size_t i = begin; i < end; ++i) {
            box.pixels += count[bins[i]];
            for (int c = 0; c < 3; ++c) {
                lo[c] = std::min(lo[c], channel(bins[i], c));
                hi[c] = std::max(hi[c], channel(bins[i], c));
            }
        }
        for (int c = 0; c < 3; ++c)
            if (hi[c] - lo[c] > box.range) {
                box.range = hi[c] - lo[c];
                box.axis = c;
            }
        return box;
    };
    std::vector<Box> boxes{measure(0, bins.size())};
    while (boxes.size() < 256) {
        Box* widest = nullptr;
        for (Box& box : boxes)
            if (box.range > 0 &&
                (!widest || box.pixels * uint64_t(box.range) > widest->pixels * widest->range))
                widest = &box;
        if (!widest)
            break;
        const Box box = *widest;
        std::sort(bins.begin() + ptrdiff_t(box.begin), bins.begin() + ptrdiff_t(box.end),
                  [&](int a, int b) { return channel(a, box.axis) < channel(b, box.axis); });
        size_t middle = box.begin;
        for (uint64_t seen = 0; middle + 1 < box.end && seen * 2 < box.pixels; ++middle)
            seen += count[bins[middle]];
        middle = std::max(middle, box.begin + 1);
        *widest = measure(box.begin, middle);
        boxes.push_back(measure(middle, box.end));
    }
    uint32_t* palette = reinterpret_cast<uint32_t*>(frame->data[1]);
    std::fill(palette, palette + 256, 0xff000000u);
    int entry[3 * 256] = {};
    for (size_t i = 0; i < boxes.size(); ++i) {
        uint64_t total[3] = {};
        for (size_t j = boxes[i].begin; j < boxes[i].end; ++j)
            for (int c = 0; c < 3; ++c)
                total[c] += sum[size_t(bins[j]) * 3 + size_t(c)];
        for (int c = 0; c < 3; ++c)
            entry[i * 3 + size_t(c)] = int(total[c] / std::max<uint64_t>(boxes[i].pixels, 1));
        palette[i] = 0xff000000u | uint32_t(entry[i * 3]) << 16 | uint32_t(entry[i * 3 + 1]) << 8 |
                     uint32_t(entry[i * 3 + 2]);
    }
    // Each colour present to its nearest entry.
    std::vector<uint8_t> nearest(kBins);
    for (const int b : bins) {
        const int r = int(sum[size_t(b) * 3] / count[b]),
                  g = int(sum[size_t(b) * 3 + 1] / count[b]),
                  bl = int(sum[size_t(b) * 3 + 2] / count[b]);
        int best = 0, bestDistance = INT32_MAX;
        for (size_t i = 0; i < boxes.size(); ++i) {
            const int dr = r - entry[i * 3], dg = g - entry[i * 3 + 1], db = bl - entry[i * 3 + 2];
            const int d = dr * dr + dg * dg + db * db;
            if (d < bestDistance) {
                bestDistance = d;
                best = int(i);
            }
        }
        nearest[size_t(b)] = uint8_t(best);
    }
    for (int y = 0; y < h; ++y) {
        const uint32_t* p = argb + size_t(y) * size_t(stride);
        uint8_t* out = frame->data[0] + ptrdiff_t(y) * frame->linesize[0];
        for (int x = 0; x < w; ++x)
            out[x] = nearest[size_t(binOf(p[x]))];
    }
}

} // namespace

int MediaWriteImage(const std::string& path, uint32_t type, int32_t width, int32_t height,
                    const uint32_t* argb, bool withAlpha) {
    if (type == kMediaTypePNG || type == kMediaTypeTIFF)
        return MediaWriteImageWithEncoder(path, type == kMediaTypePNG ? "png" : "tiff",
                                          withAlpha ? "rgba" : "rgb24", width, height, argb);
    if (type == kMediaTypeBMP)
        return MediaWriteImageWithEncoder(path, "bmp", withAlpha ? "bgra" : "bgr24", width, height,
                                          argb);
    if (type == kMediaTypeJPEG)
        return MediaWriteImageWithEncoder(path, "mjpeg", "yuvj444p", width, height, argb);
    return kMediaErrUnknownFormat;
}

int MediaWriteImageWithEncoder(const std::string& path, const std::string& encoderName,
                               const std::string& pixelFormat, int32_t width, int32_t height,
                               const uint32_t* argb) {
    silenceLibraryLog();
    if (width < 1 || height < 1 || int64_t(width) * height > kMediaMaxPixels || !argb)
        return kMediaErrBadDestination;
    const AVPixelFormat format = av_get_pix_fmt(pixelFormat.c_str());
    const AVCodec* encoder = avcodec_find_encoder_by_name(encoderName.c_str());
    if (!encoder || format == AV_PIX_FMT_NONE)
        return kMediaErrUnknownFormat;
    CodecPtr codec(avcodec_alloc_context3(encoder));
    if (!codec)
        return kMediaErrNoMemory;
    codec->width = width;
    codec->height = height;
    codec->pix_fmt = format;
    codec->time_base = AVRational{1, 25};
    const bool jpeg = encoderName == "mjpeg";
    if (jpeg) {
        codec->flags |= AV_CODEC_FLAG_QSCALE;
        codec->global_quality = FF_QP2LAMBDA * 2;
        codec->color_range = AVCOL_RANGE_JPEG;
    }
    if (avcodec_open2(codec.get(), encoder, nullptr) < 0)
        return kMediaErrIO;
    FramePtr frame = makeFrame(format, width, height);
    if (!frame || fillFrame(frame.get(), argb, width, height) != kMediaNoError)
        return kMediaErrIO;
    frame->quality = codec->global_quality;
    PacketPtr packet(av_packet_alloc());
    if (!packet || avcodec_send_frame(codec.get(), frame.get()) < 0 ||
        avcodec_send_frame(codec.get(), nullptr) < 0 ||
        avcodec_receive_packet(codec.get(), packet.get()) < 0)
        return kMediaErrIO;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return kMediaErrIO;
    bool ok = std::fwrite(packet->data, 1, size_t(packet->size), file) == size_t(packet->size);
    ok = std::fclose(file) == 0 && ok;
    return ok ? kMediaNoError : kMediaErrIO;
}

int MediaWriteMovie(const MediaMovieDescription& movie) {
    if (movie.frameCount < 0 || (movie.frameCount > 0 && !movie.paint))
        return kMediaErrBadDestination;
    MovieWriter writer;
    if (const int opened = writer.open(movie); opened != kMediaNoError)
        return opened;
    std::vector<uint32_t> pixels(size_t(writer.width()) * size_t(writer.height()));
    for (int32_t i = 0; i < movie.frameCount; ++i) {
        movie.paint(i, pixels.data());
        if (const int added = writer.add(pixels.data(), writer.width(), writer.height()))
            return added;
    }
    return writer.finish();
}

struct MovieWriter::State {
    std::unique_ptr<AVFormatContext, OutputCloser> output;
    CodecPtr codec;
    AVStream* stream{};
    FramePtr frame;
    PacketPtr packet;
    SwsContext* scaler{};
    std::vector<uint32_t> cut;
    int64_t next{};
    bool finished{};

    ~State() { sws_freeContext(scaler); }

    // Every packet the encoder has ready, into the file.
    bool drain() {
        for (;;) {
            int r = avcodec_receive_packet(codec.get(), packet.get());
            if (r == AVERROR(EAGAIN) || r == AVERROR_EOF)
                return true;
            if (r < 0)
                return false;
            // Each picture lasts one frame; without that the last one would
            // have no length and fall outside the movie.
            if (packet->duration <= 0)
                packet->duration = 1;
            av_packet_rescale_ts(packet.get(), codec->time_base, stream->time_base);
            packet->stream_index = stream->index;
            if (av_interleaved_write_frame(output.get(), packet.get()) < 0)
                return false;
            // A full disk shows here first: the muxer only buffers.
            if (output->pb && output->pb->error < 0)
                return false;
        }
    }
};

MovieWriter::MovieWriter() = default;
MovieWriter::~MovieWriter() = default;

int32_t MovieWriter::width() const {
    return state_ ? state_->codec->width : 0;
}
int32_t MovieWriter::height() const {
    return state_ ? state_->codec->height : 0;
}

int MovieWriter::open(const MediaMovieDescription& movie) {
    silenceLibraryLog();
    state_.reset();
    int32_t width = movie.width, height = movie.height;
    // A GIF counts time in hundredths of a second, and its players (browsers,
    // FFmpeg's own reader) show a frame of less than two as a tenth: past 50
    // a second, each frame lasts two hundredths and the movie plays slower.
    const int32_t fps = movie.container == "gif" ? std::min(movie.fps, 50) : movie.fps;
    const int32_t keyInterval = movie.keyInterval;
    if (width < 2 || height < 2 || fps < 1 || keyInterval < 1 ||
        int64_t(width) * height > kMediaMaxPixels)
        return kMediaErrBadDestination;
    const AVPixelFormat format = av_get_pix_fmt(movie.pixelFormat.c_str());
    if (format == AV_PIX_FMT_NONE)
        return kMediaErrUnknownFormat;
    if (const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(format)) {
        width &= ~((1 << d->log2_chroma_w) - 1);
        height &= ~((1 << d->log2_chroma_h) - 1);
    }
    auto state = std::make_unique<State>();
    AVFormatContext* raw = nullptr;
    if (avformat_alloc_output_context2(&raw, nullptr, movie.container.c_str(), movie.path.c_str()) <
            0 ||
        !raw)
        return kMediaErrUnknownFormat;
    state->output.reset(raw);
    const AVCodec* encoder = avcodec_find_encoder_by_name(movie.encoder.c_str());
    if (!encoder)
        return kMediaErrUnknownFormat;
    state->stream = avformat_new_stream(raw, nullptr);
    state->codec.reset(avcodec_alloc_context3(encoder));
    AVCodecContext* codec = state->codec.get();
    if (!state->stream || !codec)
        return kMediaErrNoMemory;
    codec->width = width;
    codec->height = height;
    codec->pix_fmt = format;
    codec->time_base = AVRational{1, fps};
    codec->framerate = AVRational{fps, 1};
    codec->gop_size = keyInterval;
    AVDictionary* options = nullptr;
    if (movie.encoderOptions.empty()) {
        codec->max_b_frames = 0;
        codec->flags |= AV_CODEC_FLAG_QSCALE;
        codec->global_quality = FF_QP2LAMBDA * 2;
        // Key frames only where asked: a change of picture is no reason for one here.
        av_dict_set(&options, "sc_threshold", "1000000000", 0);
    } else if (av_dict_parse_string(&options, movie.encoderOptions.c_str(), "=", ":", 0) < 0) {
        av_dict_free(&options);
        return kMediaErrBadDestination;
    }
    if (raw->oformat->flags & AVFMT_GLOBALHEADER)
        codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    const int opened = avcodec_open2(codec, encoder, &options);
    av_dict_free(&options);
    if (opened < 0 || avcodec_parameters_from_context(state->stream->codecpar, codec) < 0)
        return kMediaErrIO;
    state->stream->time_base = codec->time_base;
    state->stream->avg_frame_rate = codec->framerate;
    state->stream->r_frame_rate = codec->framerate;
    if (avio_open(&raw->pb, movie.path.c_str(), AVIO_FLAG_WRITE) < 0 ||
        avformat_write_header(raw, nullptr) < 0)
        return kMediaErrIO;
    state->packet.reset(av_packet_alloc());
    state->frame = makeFrame(format, width, height);
    if (!state->packet || !state->frame)
        return kMediaErrNoMemory;
    state_ = std::move(state);
    return kMediaNoError;
}

int MovieWriter::add(const uint32_t* argb, int32_t width, int32_t height) {
    if (!state_ || state_->finished)
        return kMediaErrBadDestination;
    State& s = *state_;
    AVFrame* frame = s.frame.get();
    if (!argb || width < 1 || height < 1 || int64_t(width) * height > kMediaMaxPixels)
        return kMediaErrBadDestination;
    if (av_frame_make_writable(frame) < 0)
        return kMediaErrNoMemory;
    // A larger picture is cut to the movie's size, from its top left.
    const bool cut = width >= frame->width && height >= frame->height;
    const int srcWidth = cut ? frame->width : width, srcHeight = cut ? frame->height : height;
    if (frame->format == AV_PIX_FMT_PAL8) {
        if (!cut) {
            s.cut.resize(size_t(frame->width) * size_t(frame->height));
            SwsContext* scaler = sws_getCachedContext(s.scaler, width, height, AV_PIX_FMT_RGB32,
                                                      frame->width, frame->height, AV_PIX_FMT_RGB32,
                                                      SWS_BILINEAR, nullptr, nullptr, nullptr);
            if (!scaler)
                return kMediaErrNoMemory;
            s.scaler = scaler;
            const uint8_t* src[4] = {reinterpret_cast<const uint8_t*>(argb)};
            const int srcStride[4] = {width * 4};
            uint8_t* dst[4] = {reinterpret_cast<uint8_t*>(s.cut.data())};
            const int dstStride[4] = {frame->width * 4};
            sws_scale(scaler, src, srcStride, 0, height, dst, dstStride);
            argb = s.cut.data();
            width = frame->width;
        }
        quantizeFrame(argb, width, frame);
    } else {
        SwsContext* scaler =
            sws_getCachedContext(s.scaler, srcWidth, srcHeight, AV_PIX_FMT_RGB32, frame->width,
                                 frame->height, AVPixelFormat(frame->format),
                                 cut ? SWS_POINT : SWS_BILINEAR, nullptr, nullptr, nullptr);
        if (!scaler)
            return kMediaErrNoMemory;
        s.scaler = scaler;
        const uint8_t* src[4] = {reinterpret_cast<const uint8_t*>(argb)};
        const int srcStride[4] = {width * 4};
        sws_scale(scaler, src, srcStride, 0, srcHeight, frame->data, frame->linesize);
    }
    frame->pts = s.next++;
    if (s.codec->flags & AV_CODEC_FLAG_QSCALE)
        frame->quality = s.codec->global_quality;
    if (avcodec_send_frame(s.codec.get(), frame) < 0 || !s.drain())
        return kMediaErrIO;
    return kMediaNoError;
}

int MovieWriter::finish() {
    if (!state_ || state_->finished)
        return kMediaErrBadDestination;
    State& s = *state_;
    s.finished = true;
    if (s.next > 0 && (avcodec_send_frame(s.codec.get(), nullptr) < 0 || !s.drain()))
        return kMediaErrIO;
    if (av_write_trailer(s.output.get()) < 0)
        return kMediaErrIO;
    AVIOContext* pb = s.output->pb;
    avio_flush(pb);
    const bool written = pb->error >= 0;
    return avio_closep(&s.output->pb) < 0 || !written ? kMediaErrIO : kMediaNoError;
}

} // namespace host
