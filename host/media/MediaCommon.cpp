#include "host/media/Media.h"
#include "host/media/MediaInternal.h"

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
}

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <mutex>
#include <sys/stat.h>
#include <vector>

namespace host {
namespace media {

void silenceLibraryLog() {
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

AVPixelFormat pixelFormatFor(int32_t depth) {
    return depth == 16 ? AV_PIX_FMT_RGB555BE : AV_PIX_FMT_RGB32;
}

int openDecoder(const AVCodecParameters* parameters, CodecPtr& codec, const DecoderSetup& setup) {
    const AVCodec* decoder = avcodec_find_decoder(parameters->codec_id);
    if (!decoder)
        return kMediaErrDecode;
    codec.reset(avcodec_alloc_context3(decoder));
    if (!codec)
        return kMediaErrNoMemory;
    if (avcodec_parameters_to_context(codec.get(), parameters) < 0)
        return kMediaErrDecode;
    codec->max_pixels = setup.maxPixels;
    codec->thread_count = 1;
    codec->lowres = std::min(setup.lowres, int(decoder->max_lowres));
    if (setup.headerOnly)
        codec->skip_frame = AVDISCARD_ALL;
    AVDictionary* options = nullptr;
    av_dict_set(&options, "max_pixels", std::to_string(setup.maxPixels).c_str(), 0);
    int r = avcodec_open2(codec.get(), decoder, &options);
    av_dict_free(&options);
    return r < 0 ? kMediaErrDecode : kMediaNoError;
}

int scaleInto(const AVFrame* frame, int32_t dstWidth, int32_t dstHeight, AVPixelFormat dstFormat,
              uint8_t* pixels, size_t rowBytes, int32_t clipWidth, int32_t clipHeight) {
    if (dstWidth < 1 || dstHeight < 1 || clipWidth < 1 || clipHeight < 1 || !pixels)
        return kMediaErrBadDestination;
    if (int64_t(dstWidth) * dstHeight > kMediaMaxPixels)
        return kMediaErrTooLarge;
    auto srcFormat = AVPixelFormat(frame->format);
    if (frame->width < 1 || frame->height < 1 || !sws_isSupportedInput(srcFormat))
        return kMediaErrDecode;
    if (rowBytes > size_t(INT32_MAX))
        return kMediaErrBadDestination;
    ScalerPtr scaler(sws_getContext(frame->width, frame->height, srcFormat, dstWidth, dstHeight,
                                    dstFormat, SWS_BILINEAR, nullptr, nullptr, nullptr));
    if (!scaler)
        return kMediaErrDecode;
    // swscale's fast converters work in blocks and may write past the end of
    // the last row, so it draws into scratch rows with room to spare and only
    // the picture's own bytes are copied out; a picture larger than the port
    // keeps its top-left part.
    const int bytesPerPixel = dstFormat == AV_PIX_FMT_RGB555BE ? 2 : 4;
    const size_t scratchRow = (size_t(dstWidth) * bytesPerPixel + 63) & ~size_t(63);
    constexpr int kSpareRows = 2;
    std::unique_ptr<uint8_t, void (*)(void*)> scratch(
        static_cast<uint8_t*>(av_malloc(scratchRow * (size_t(dstHeight) + kSpareRows))), av_free);
    if (!scratch)
        return kMediaErrNoMemory;
    uint8_t* dst[4] = {scratch.get(), nullptr, nullptr, nullptr};
    int stride[4] = {int(scratchRow), 0, 0, 0};
    if (sws_scale(scaler.get(), frame->data, frame->linesize, 0, frame->height, dst, stride) !=
        dstHeight)
        return kMediaErrDecode;
    const int32_t rows = std::min(dstHeight, clipHeight);
    const size_t copyBytes = size_t(std::min(dstWidth, clipWidth)) * bytesPerPixel;
    for (int32_t y = 0; y < rows; ++y)
        std::copy_n(scratch.get() + size_t(y) * scratchRow, copyBytes,
                    pixels + size_t(y) * rowBytes);
    return kMediaNoError;
}

namespace {

int readSource(void* opaque, uint8_t* buf, int want) {
    auto* s = static_cast<ByteSource*>(opaque);
    const int64_t n = std::min<int64_t>(want, s->size - s->pos);
    if (n <= 0)
        return AVERROR_EOF;
    const size_t got = s->readAt(buf, size_t(n));
    if (got == 0)
        return AVERROR_EOF;
    s->pos += int64_t(got);
    return int(got);
}

int64_t seekSource(void* opaque, int64_t offset, int whence) {
    auto* s = static_cast<ByteSource*>(opaque);
    if (whence & AVSEEK_SIZE)
        return s->size;
    int64_t base = 0;
    switch (whence & ~AVSEEK_FORCE) {
    case SEEK_SET:
        break;
    case SEEK_CUR:
        base = s->pos;
        break;
    case SEEK_END:
        base = s->size;
        break;
    default:
        return AVERROR(EINVAL);
    }
    // Both terms lie within the size, so the sum cannot overflow.
    if (offset > s->size || offset < -s->size || base + offset < 0 || base + offset > s->size)
        return AVERROR(EINVAL);
    s->pos = base + offset;
    return s->pos;
}

} // namespace

void CustomInput::IOFreer::operator()(AVIOContext* io) const {
    av_freep(&io->buffer);
    avio_context_free(&io);
}

int CustomInput::open(ByteSource& source, const AVInputFormat* input) {
    format_.reset();
    io_.reset();
    constexpr int kIOBufferBytes = 64 * 1024;
    auto* buffer = static_cast<uint8_t*>(av_malloc(kIOBufferBytes));
    if (!buffer)
        return kMediaErrNoMemory;
    io_.reset(
        avio_alloc_context(buffer, kIOBufferBytes, 0, &source, readSource, nullptr, seekSource));
    if (!io_) {
        av_free(buffer);
        return kMediaErrNoMemory;
    }
    AVFormatContext* format = avformat_alloc_context();
    if (!format)
        return kMediaErrNoMemory;
    format->pb = io_.get();
    format->flags |= AVFMT_FLAG_CUSTOM_IO;
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "none", 0);
    const int r = avformat_open_input(&format, nullptr, input, &options);
    av_dict_free(&options);
    if (r < 0)
        return kMediaErrNoData; // avformat_open_input freed the context
    format_.reset(format);
    return kMediaNoError;
}

} // namespace media

int MediaReadFile(const std::string& path, std::vector<uint8_t>& bytes) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return kMediaErrIO;
    if (uint64_t(st.st_size) > kMediaMaxFileBytes)
        return kMediaErrTooLarge;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return kMediaErrIO;
    try {
        bytes.resize(size_t(st.st_size));
    } catch (const std::bad_alloc&) {
        std::fclose(file);
        return kMediaErrNoMemory;
    }
    size_t got = std::fread(bytes.data(), 1, bytes.size(), file);
    // A file that grew meanwhile is read up to the size seen above.
    std::fclose(file);
    if (got != bytes.size())
        return kMediaErrIO;
    return kMediaNoError;
}

int MediaPort::fromPointer(std::unique_ptr<MediaPort>& port, int32_t pixelFormat, int32_t width,
                           int32_t height, uint8_t* pixels, size_t rowBytes) {
    port.reset();
    if (pixelFormat != 16 && pixelFormat != 32)
        return kMediaErrBadDestination;
    if (width < 1 || height < 1 || !pixels)
        return kMediaErrBadDestination;
    if (rowBytes < size_t(width) * size_t(pixelFormat / 8) || rowBytes > size_t(INT32_MAX))
        return kMediaErrBadDestination;
    port.reset(new MediaPort());
    port->pixMap_ = MediaPixMap{pixels, width, height, rowBytes, pixelFormat};
    return kMediaNoError;
}

} // namespace host
