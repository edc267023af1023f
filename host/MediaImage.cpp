#include "host/Media.h"
#include "host/MediaInternal.h"

extern "C" {
#include <libavutil/mem.h>
#include <libavutil/pixdesc.h>
}

#include <cmath>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace host {
namespace {

using namespace media;

struct Kind {
    uint32_t type;
    const char* demuxer;
};

// The image kinds the service accepts; everything else stays unidentified.
constexpr Kind kKinds[] = {
    {kMediaTypePNG, "png_pipe"}, {kMediaTypeJPEG, "jpeg_pipe"}, {kMediaTypeTIFF, "tiff_pipe"},
    {kMediaTypeGIF, "gif_pipe"}, {kMediaTypeBMP, "bmp_pipe"},   {kMediaTypeWebP, "webp_pipe"},
};

const Kind* kindForType(uint32_t type) {
    for (const Kind& k : kKinds)
        if (k.type == type)
            return &k;
    return nullptr;
}

const Kind* kindForDemuxer(const char* name) {
    for (const Kind& k : kKinds)
        if (std::strcmp(k.demuxer, name) == 0)
            return &k;
    return nullptr;
}

// Reading position over bytes owned by someone else.
struct MemoryReader {
    const uint8_t* data{};
    size_t size{};
    size_t pos{};
};

int readMemory(void* opaque, uint8_t* buf, int want) {
    auto* r = static_cast<MemoryReader*>(opaque);
    if (r->pos >= r->size)
        return AVERROR_EOF;
    size_t n = std::min(size_t(want), r->size - r->pos);
    std::memcpy(buf, r->data + r->pos, n);
    r->pos += n;
    return int(n);
}

int64_t seekMemory(void* opaque, int64_t offset, int whence) {
    auto* r = static_cast<MemoryReader*>(opaque);
    if (whence & AVSEEK_SIZE)
        return int64_t(r->size);
    int64_t base = 0;
    switch (whence & ~AVSEEK_FORCE) {
    case SEEK_SET:
        base = 0;
        break;
    case SEEK_CUR:
        base = int64_t(r->pos);
        break;
    case SEEK_END:
        base = int64_t(r->size);
        break;
    default:
        return AVERROR(EINVAL);
    }
    if (offset > int64_t(r->size) || offset < -int64_t(r->size))
        return AVERROR(EINVAL);
    int64_t to = base + offset;
    if (to < 0 || to > int64_t(r->size))
        return AVERROR(EINVAL);
    r->pos = size_t(to);
    return to;
}

// One picture's demuxer over bytes in memory, no file and no protocol.
class MemoryDemuxer {
  public:
    ~MemoryDemuxer() {
        format_.reset();
        if (io_) {
            av_freep(&io_->buffer);
            avio_context_free(&io_);
        }
    }

    int open(const uint8_t* data, size_t size, const char* demuxerName) {
        const AVInputFormat* input = av_find_input_format(demuxerName);
        if (!input)
            return kMediaErrUnknownFormat;
        reader_ = MemoryReader{data, size, 0};
        constexpr int kIOBufferBytes = 64 * 1024;
        auto* buffer = static_cast<uint8_t*>(av_malloc(kIOBufferBytes));
        if (!buffer)
            return kMediaErrNoMemory;
        io_ = avio_alloc_context(buffer, kIOBufferBytes, 0, &reader_, readMemory, nullptr,
                                 seekMemory);
        if (!io_) {
            av_free(buffer);
            return kMediaErrNoMemory;
        }
        AVFormatContext* format = avformat_alloc_context();
        if (!format)
            return kMediaErrNoMemory;
        format->pb = io_;
        format->flags |= AVFMT_FLAG_CUSTOM_IO;
        AVDictionary* options = nullptr;
        av_dict_set(&options, "protocol_whitelist", "file", 0);
        int r = avformat_open_input(&format, nullptr, input, &options);
        av_dict_free(&options);
        if (r < 0)
            return kMediaErrNoData; // avformat_open_input freed the context
        format_.reset(format);
        if (format_->nb_streams < 1 ||
            format_->streams[0]->codecpar->codec_type != AVMEDIA_TYPE_VIDEO)
            return kMediaErrNoData;
        return kMediaNoError;
    }

    // Decodes the first picture; with headerOnly the decoder may stop after
    // the picture's description, leaving only the codec's size and format.
    int decode(CodecPtr& codec, AVFrame* frame, bool headerOnly) {
        int r = openDecoder(format_->streams[0]->codecpar, codec, headerOnly);
        if (r != kMediaNoError)
            return r;
        PacketPtr packet(av_packet_alloc());
        if (!packet)
            return kMediaErrNoMemory;
        if (av_read_frame(format_.get(), packet.get()) < 0)
            return kMediaErrDecode;
        if (avcodec_send_packet(codec.get(), packet.get()) < 0)
            return kMediaErrDecode;
        avcodec_send_packet(codec.get(), nullptr);
        int got = avcodec_receive_frame(codec.get(), frame);
        if (headerOnly)
            return kMediaNoError;
        return got < 0 ? kMediaErrDecode : kMediaNoError;
    }

  private:
    MemoryReader reader_{};
    AVIOContext* io_{};
    FormatPtr format_;
};

uint32_t readBigEndian32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

// The PNG header chunk describes the picture without decoding any of it, so a
// damaged picture after a sound header is still identified.
bool describePng(const uint8_t* data, size_t size, MediaImageDescription& d) {
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (size < 33 || std::memcmp(data, kSignature, 8) != 0 || readBigEndian32(data + 8) != 13 ||
        std::memcmp(data + 12, "IHDR", 4) != 0)
        return false;
    uint32_t width = readBigEndian32(data + 16);
    uint32_t height = readBigEndian32(data + 20);
    int bits = data[24];
    int channels = 0;
    switch (data[25]) {
    case 0:
        channels = 1;
        break;
    case 2:
        channels = 3;
        break;
    case 3:
        channels = 1;
        break;
    case 4:
        channels = 2;
        break;
    case 6:
        channels = 4;
        break;
    default:
        return false;
    }
    if (width == 0 || height == 0 || width > INT32_MAX || height > INT32_MAX)
        return false;
    if (bits != 1 && bits != 2 && bits != 4 && bits != 8 && bits != 16)
        return false;
    d.width = int32_t(width);
    d.height = int32_t(height);
    d.depth = bits * channels;
    return true;
}

const Kind* probeKind(const uint8_t* data, size_t size) {
    // The probe reads past its buffer by up to the padding, which must be zero.
    constexpr size_t kProbeBytes = 4096;
    size_t n = std::min(size, kProbeBytes);
    uint8_t probe[kProbeBytes + AVPROBE_PADDING_SIZE] = {};
    std::memcpy(probe, data, n);
    AVProbeData pd{};
    pd.filename = ""; // by content only: a name ending ".png" proves nothing
    pd.buf = probe;
    pd.buf_size = int(n);
    pd.mime_type = nullptr;
    int score = 0;
    const AVInputFormat* format = av_probe_input_format3(&pd, 1, &score);
    if (!format || score <= 0)
        return nullptr;
    return kindForDemuxer(format->name);
}

} // namespace

int MediaIdentifyImage(const uint8_t* data, size_t size, MediaImageDescription& description) {
    silenceLibraryLog();
    if (!data || size == 0)
        return kMediaErrUnknownFormat;
    const Kind* kind = probeKind(data, size);
    if (!kind)
        return kMediaErrUnknownFormat;
    MediaImageDescription d{};
    d.type = kind->type;
    if (kind->type == kMediaTypePNG) {
        if (!describePng(data, size, d))
            return kMediaErrUnknownFormat;
    } else {
        MemoryDemuxer demuxer;
        if (demuxer.open(data, size, kind->demuxer) != kMediaNoError)
            return kMediaErrUnknownFormat;
        CodecPtr codec;
        FramePtr frame(av_frame_alloc());
        if (!frame)
            return kMediaErrNoMemory;
        if (demuxer.decode(codec, frame.get(), /*headerOnly=*/true) != kMediaNoError)
            return kMediaErrUnknownFormat;
        int width = codec->width, height = codec->height;
        AVPixelFormat format = codec->pix_fmt;
        if (width < 1 || height < 1 || format == AV_PIX_FMT_NONE) {
            // This decoder does not stop at the header: take the size from a full decode.
            MemoryDemuxer again;
            if (again.open(data, size, kind->demuxer) != kMediaNoError ||
                again.decode(codec, frame.get(), /*headerOnly=*/false) != kMediaNoError)
                return kMediaErrUnknownFormat;
            width = frame->width;
            height = frame->height;
            format = AVPixelFormat(frame->format);
        }
        const AVPixFmtDescriptor* pixel = av_pix_fmt_desc_get(format);
        if (width < 1 || height < 1 || !pixel)
            return kMediaErrUnknownFormat;
        d.width = width;
        d.height = height;
        d.depth = av_get_bits_per_pixel(pixel);
    }
    if (int64_t(d.width) * d.height > kMediaMaxPixels)
        return kMediaErrUnknownFormat;
    description = d;
    return kMediaNoError;
}

int MediaIdentifyImageFile(const std::string& path, MediaImageDescription& description) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
        uint64_t(st.st_size) > kMediaMaxFileBytes)
        return kMediaErrUnknownFormat;
    // A PNG is described by its first bytes alone; other kinds need the whole file.
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        uint8_t head[4096];
        size_t got = std::fread(head, 1, sizeof head, file);
        std::fclose(file);
        MediaImageDescription d;
        if (got > 0 && MediaIdentifyImage(head, got, d) == kMediaNoError &&
            d.type == kMediaTypePNG) {
            description = d;
            return kMediaNoError;
        }
    }
    std::vector<uint8_t> bytes;
    if (MediaReadFile(path, bytes) != kMediaNoError)
        return kMediaErrUnknownFormat;
    return MediaIdentifyImage(bytes.data(), bytes.size(), description);
}

std::unique_ptr<MediaImageImporter> MediaImageImporter::openForType(uint32_t type) {
    silenceLibraryLog();
    if (!kindForType(type))
        return nullptr;
    return std::unique_ptr<MediaImageImporter>(new MediaImageImporter(type));
}

MediaImageImporter::~MediaImageImporter() = default;

int MediaImageImporter::setData(const uint8_t* data, size_t size) {
    data_ = nullptr;
    size_ = 0;
    if (!data || size == 0)
        return kMediaErrNoData;
    const Kind* kind = probeKind(data, size);
    if (!kind || kind->type != type_)
        return kMediaErrNoData;
    data_ = data;
    size_ = size;
    return kMediaNoError;
}

int MediaImageImporter::setDestination(MediaPort* port) {
    if (!port)
        return kMediaErrBadDestination;
    port_ = port;
    return kMediaNoError;
}

void MediaImageImporter::setScale(float sx, float sy) {
    sx_ = sx;
    sy_ = sy;
}

int MediaImageImporter::draw() {
    if (!data_)
        return kMediaErrNoData;
    if (!port_)
        return kMediaErrBadDestination;
    if (!std::isfinite(sx_) || !std::isfinite(sy_) || sx_ <= 0.0f || sy_ <= 0.0f)
        return kMediaErrBadDestination;
    MemoryDemuxer demuxer;
    int r = demuxer.open(data_, size_, kindForType(type_)->demuxer);
    if (r != kMediaNoError)
        return r;
    CodecPtr codec;
    FramePtr frame(av_frame_alloc());
    if (!frame)
        return kMediaErrNoMemory;
    r = demuxer.decode(codec, frame.get(), /*headerOnly=*/false);
    if (r != kMediaNoError)
        return r;
    if (frame->decode_error_flags || (frame->flags & AV_FRAME_FLAG_CORRUPT))
        return kMediaErrDecode;
    double width = std::round(double(frame->width) * sx_);
    double height = std::round(double(frame->height) * sy_);
    if (width < 1.0 || height < 1.0 || width * height > double(kMediaMaxPixels))
        return kMediaErrTooLarge;
    const MediaPixMap& pm = *port_->pixMap();
    return scaleInto(frame.get(), int32_t(width), int32_t(height), pixelFormatFor(pm.pixelFormat),
                     pm.baseAddr, pm.rowBytes, pm.width, pm.height);
}

} // namespace host
