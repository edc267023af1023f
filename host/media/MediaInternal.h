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

// What a demuxer reads through custom I/O: size bytes, read from pos on, and
// never a byte past size, even from a file that grows meanwhile.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    int64_t size{};
    int64_t pos{};

    // Up to want bytes at pos into buf (want > 0, pos + want <= size); the
    // count read, 0 on failure. pos is the caller's to move.
    virtual size_t readAt(uint8_t* buf, size_t want) = 0;
};

// A demuxer reading a source through custom I/O, for images in memory and
// movies in files alike. Only the source's bytes: the protocol whitelist is
// empty, so a playlist or a reference inside the data opens nothing else.
class CustomInput {
  public:
    // input: the demuxer to use, or null for the one FFmpeg's probe finds.
    // The source must outlive this. kMediaNoError, kMediaErrNoMemory, or
    // kMediaErrNoData when the demuxer does not accept the bytes.
    int open(ByteSource& source, const AVInputFormat* input);
    AVFormatContext* format() const { return format_.get(); }

  private:
    struct IOFreer {
        void operator()(AVIOContext* io) const;
    };
    // Declared first, so it goes last: the format reads through it.
    std::unique_ptr<AVIOContext, IOFreer> io_;
    FormatPtr format_;
};

// FFmpeg's own log lines would land on standard error beside the system's.
void silenceLibraryLog();

// The native-order ARGB word of the 32-bit layout, and the 16-bit layout.
AVPixelFormat pixelFormatFor(int32_t depth);

// How a decoder is opened: the largest picture it may allocate, whether it may
// stop at the picture's description, and the reduction it decodes at (each
// side 1/2^lowres, for decoders whose max_lowres allows it).
struct DecoderSetup {
    int64_t maxPixels{};
    bool headerOnly{};
    int lowres{};
};

int openDecoder(const AVCodecParameters* parameters, CodecPtr& codec, const DecoderSetup& setup);

// Scales a decoded picture to dstWidth x dstHeight into pixels of the given
// layout. Clips to clipWidth x clipHeight from the top-left.
int scaleInto(const AVFrame* frame, int32_t dstWidth, int32_t dstHeight, AVPixelFormat dstFormat,
              uint8_t* pixels, size_t rowBytes, int32_t clipWidth, int32_t clipHeight);

} // namespace host::media
