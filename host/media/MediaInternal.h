// Internal to the media layer: FFmpeg handles with owners, and helpers shared by
// the importer, the movie reader and the writer.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

#include <cstdint>
#include <memory>

namespace host::media {

struct FormatCloser {
    void operator()(AVFormatContext* p) const { avformat_close_input(&p); }
};
struct CodecCloser {
    void operator()(AVCodecContext* p) const { avcodec_free_context(&p); }
};
struct FrameFreer {
    void operator()(AVFrame* p) const { av_frame_free(&p); }
};
struct PacketFreer {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct ScalerFreer {
    void operator()(SwsContext* p) const { sws_freeContext(p); }
};
using FormatPtr = std::unique_ptr<AVFormatContext, FormatCloser>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecCloser>;
using FramePtr = std::unique_ptr<AVFrame, FrameFreer>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFreer>;
using ScalerPtr = std::unique_ptr<SwsContext, ScalerFreer>;

// FFmpeg's own log lines would land on standard error beside the system's.
void silenceLibraryLog();

// The native-order ARGB word of the 32-bit layout, and the 16-bit layout.
AVPixelFormat pixelFormatFor(int32_t depth);

// Opens a decoder for a stream with the pixel limit applied.
int openDecoder(const AVCodecParameters* parameters, CodecPtr& codec, bool headerOnly);

// Scales a decoded picture to dstWidth x dstHeight into pixels of the given
// layout. Clips to clipWidth x clipHeight from the top-left.
int scaleInto(const AVFrame* frame, int32_t dstWidth, int32_t dstHeight, AVPixelFormat dstFormat,
              uint8_t* pixels, size_t rowBytes, int32_t clipWidth, int32_t clipHeight);

} // namespace host::media
