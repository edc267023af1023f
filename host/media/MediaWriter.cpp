#include "host/media/MediaWriter.h"

#include "host/media/Media.h"
#include "host/media/MediaInternal.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

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
    silenceLibraryLog();
    const int32_t width = movie.width, height = movie.height, fps = movie.fps;
    const int32_t frameCount = movie.frameCount, keyInterval = movie.keyInterval;
    if (width < 2 || height < 2 || fps < 1 || frameCount < 0 || keyInterval < 1 ||
        (frameCount > 0 && !movie.paint) || int64_t(width) * height > kMediaMaxPixels)
        return kMediaErrBadDestination;
    const AVPixelFormat format = av_get_pix_fmt(movie.pixelFormat.c_str());
    AVFormatContext* raw = nullptr;
    if (format == AV_PIX_FMT_NONE ||
        avformat_alloc_output_context2(&raw, nullptr, movie.container.c_str(), movie.path.c_str()) <
            0 ||
        !raw)
        return kMediaErrIO;
    std::unique_ptr<AVFormatContext, OutputCloser> output(raw);
    const AVCodec* encoder = avcodec_find_encoder_by_name(movie.encoder.c_str());
    if (!encoder)
        return kMediaErrUnknownFormat;
    AVStream* stream = avformat_new_stream(output.get(), nullptr);
    CodecPtr codec(avcodec_alloc_context3(encoder));
    if (!stream || !codec)
        return kMediaErrNoMemory;
    codec->width = width;
    codec->height = height;
    codec->pix_fmt = format;
    codec->time_base = AVRational{1, fps};
    codec->framerate = AVRational{fps, 1};
    codec->gop_size = keyInterval;
    codec->max_b_frames = 0;
    codec->flags |= AV_CODEC_FLAG_QSCALE;
    codec->global_quality = FF_QP2LAMBDA * 2;
    if (output->oformat->flags & AVFMT_GLOBALHEADER)
        codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    // Key frames only where asked: a change of picture is no reason for one here.
    AVDictionary* options = nullptr;
    av_dict_set(&options, "sc_threshold", "1000000000", 0);
    int opened = avcodec_open2(codec.get(), encoder, &options);
    av_dict_free(&options);
    if (opened < 0 || avcodec_parameters_from_context(stream->codecpar, codec.get()) < 0)
        return kMediaErrIO;
    stream->time_base = codec->time_base;
    if (avio_open(&output->pb, movie.path.c_str(), AVIO_FLAG_WRITE) < 0)
        return kMediaErrIO;
    if (avformat_write_header(output.get(), nullptr) < 0)
        return kMediaErrIO;

    PacketPtr packet(av_packet_alloc());
    FramePtr frame = makeFrame(format, width, height);
    if (!packet || !frame)
        return kMediaErrNoMemory;
    auto drain = [&]() -> bool {
        for (;;) {
            int r = avcodec_receive_packet(codec.get(), packet.get());
            if (r == AVERROR(EAGAIN) || r == AVERROR_EOF)
                return true;
            if (r < 0)
                return false;
            // Each picture lasts one frame; without that the last one would have
            // no length and fall outside the movie.
            if (packet->duration <= 0)
                packet->duration = 1;
            av_packet_rescale_ts(packet.get(), codec->time_base, stream->time_base);
            packet->stream_index = stream->index;
            if (av_interleaved_write_frame(output.get(), packet.get()) < 0)
                return false;
        }
    };
    std::vector<uint32_t> pixels(size_t(width) * size_t(height));
    for (int32_t i = 0; i < frameCount; ++i) {
        movie.paint(i, pixels.data());
        if (fillFrame(frame.get(), pixels.data(), width, height) != kMediaNoError)
            return kMediaErrIO;
        frame->pts = i;
        frame->quality = codec->global_quality;
        if (avcodec_send_frame(codec.get(), frame.get()) < 0 || !drain())
            return kMediaErrIO;
    }
    if (frameCount > 0 && (avcodec_send_frame(codec.get(), nullptr) < 0 || !drain()))
        return kMediaErrIO;
    if (av_write_trailer(output.get()) < 0)
        return kMediaErrIO;
    return kMediaNoError;
}

} // namespace host
