#include "host/media/ImageHeaders.h"
#include "host/media/ImageLimits.h"
#include "host/media/Media.h"
#include "host/media/MediaInternal.h"

extern "C" {
#include <libavutil/mem.h>
#include <libavutil/pixdesc.h>
}

#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <sys/stat.h>

namespace host {
namespace {

using namespace media;

// One way of reading an image kind: FFmpeg's demuxer of that name, or, where
// FFmpeg has no demuxer that knows the kind by content, the whole file handed
// to the decoder as one packet.
struct Kind {
    uint32_t type;
    const char* demuxer;
    AVCodecID codec;
};

// The image kinds the service accepts, each under every demuxer name FFmpeg's
// probe can give it; everything else stays unidentified. Bytes are always read
// the way their own probe found, never by their format code alone.
constexpr Kind kKinds[] = {
    {kMediaTypePNG, "png_pipe", AV_CODEC_ID_NONE},
    // An animated PNG probes as "apng"; its first packet is the default picture.
    {kMediaTypePNG, "apng", AV_CODEC_ID_NONE},
    {kMediaTypeJPEG, "jpeg_pipe", AV_CODEC_ID_NONE},
    {kMediaTypeTIFF, "tiff_pipe", AV_CODEC_ID_NONE},
    // Every GIF probes as "gif", the demuxer of animations; its first packet
    // is the first frame.
    {kMediaTypeGIF, "gif", AV_CODEC_ID_NONE},
    {kMediaTypeGIF, "gif_pipe", AV_CODEC_ID_NONE},
    {kMediaTypeBMP, "bmp_pipe", AV_CODEC_ID_NONE},
    {kMediaTypeWebP, "webp_pipe", AV_CODEC_ID_NONE},
    {kMediaTypeICO, "ico", AV_CODEC_ID_NONE},
    {kMediaTypePNM, "ppm_pipe", AV_CODEC_ID_NONE},
    {kMediaTypePNM, "pgm_pipe", AV_CODEC_ID_NONE},
    {kMediaTypePNM, "pbm_pipe", AV_CODEC_ID_NONE},
    {kMediaTypePNM, "pam_pipe", AV_CODEC_ID_NONE},
    {kMediaTypePNM, nullptr, AV_CODEC_ID_PAM}, // a PAM header the probe does not know
    {kMediaTypePSD, "psd_pipe", AV_CODEC_ID_NONE},
    {kMediaTypeJPEG2000, "j2k_pipe", AV_CODEC_ID_NONE},
    {kMediaTypeTGA, nullptr, AV_CODEC_ID_TARGA},
    {kMediaTypeSGI, "sgi_pipe", AV_CODEC_ID_NONE},
    {kMediaTypeSunRaster, "sunrast_pipe", AV_CODEC_ID_NONE},
    {kMediaTypePCX, "pcx_pipe", AV_CODEC_ID_NONE},
    {kMediaTypeXBM, "xbm_pipe", AV_CODEC_ID_NONE},
    {kMediaTypeXPM, "xpm_pipe", AV_CODEC_ID_NONE},
    {kMediaTypeXWD, "xwd_pipe", AV_CODEC_ID_NONE},
    {kMediaTypeDDS, "dds_pipe", AV_CODEC_ID_NONE},
    {kMediaTypeDPX, "dpx_pipe", AV_CODEC_ID_NONE},
    {kMediaTypePFM, "pfm_pipe", AV_CODEC_ID_NONE},
    {kMediaTypeQOI, "qoi_pipe", AV_CODEC_ID_NONE},
};
constexpr int kKindCount = int(std::size(kKinds));

bool knownType(uint32_t type) {
    for (const Kind& k : kKinds)
        if (k.type == type)
            return true;
    return false;
}

int rowForDemuxer(const char* name) {
    for (int i = 0; i < kKindCount; ++i)
        if (kKinds[i].demuxer && std::strcmp(kKinds[i].demuxer, name) == 0)
            return i;
    return -1;
}

int rowForCodec(AVCodecID codec) {
    for (int i = 0; i < kKindCount; ++i)
        if (kKinds[i].codec == codec)
            return i;
    return -1;
}

uint16_t readLittleEndian16(const uint8_t* p) {
    return uint16_t(p[0] | p[1] << 8);
}

// A Targa header: no magic number, so every field must hold one of its few
// meaningful values; the decode that follows is the real test.
bool looksLikeTarga(const uint8_t* d, size_t size) {
    if (size < 18)
        return false;
    const int colourMap = d[1], imageType = d[2], mapEntryBits = d[7], bits = d[16];
    const bool mapped = imageType == 1 || imageType == 9;
    const bool knownType =
        mapped || imageType == 2 || imageType == 3 || imageType == 10 || imageType == 11;
    if (!knownType || colourMap != (mapped ? 1 : 0) || (d[17] & 0xc0) != 0)
        return false;
    if (mapped ? !(mapEntryBits == 15 || mapEntryBits == 16 || mapEntryBits == 24 ||
                   mapEntryBits == 32)
               : mapEntryBits != 0)
        return false;
    if (!(bits == 8 || bits == 15 || bits == 16 || bits == 24 || bits == 32))
        return false;
    return readLittleEndian16(d + 12) > 0 && readLittleEndian16(d + 14) > 0;
}

// "P7" and a line end begin a PAM header; FFmpeg's probe wants a digit next.
bool looksLikePam(const uint8_t* d, size_t size) {
    return size > 3 && d[0] == 'P' && d[1] == '7' && (d[2] == '\n' || d[2] == '\r');
}

// Bytes owned by someone else.
class MemorySource final : public ByteSource {
  public:
    const uint8_t* data{};

    size_t readAt(uint8_t* buf, size_t want) override {
        std::memcpy(buf, data + pos, want);
        return want;
    }
};

// One picture's demuxer over bytes in memory, no file and no protocol.
class MemoryDemuxer {
  public:
    int open(const uint8_t* data, size_t size, const Kind& kind) {
        source_.data = data;
        source_.size = int64_t(size);
        source_.pos = 0;
        if (!kind.demuxer) {
            parameters_.reset(avcodec_parameters_alloc());
            if (!parameters_)
                return kMediaErrNoMemory;
            parameters_->codec_type = AVMEDIA_TYPE_VIDEO;
            parameters_->codec_id = kind.codec;
            return kMediaNoError;
        }
        const AVInputFormat* input = av_find_input_format(kind.demuxer);
        if (!input)
            return kMediaErrUnknownFormat;
        const int r = input_.open(source_, input);
        if (r != kMediaNoError)
            return r;
        const AVFormatContext* format = input_.format();
        if (format->nb_streams < 1 ||
            format->streams[0]->codecpar->codec_type != AVMEDIA_TYPE_VIDEO)
            return kMediaErrNoData;
        return kMediaNoError;
    }

    // Decodes the first picture; with setup.headerOnly the decoder may stop
    // after the picture's description, leaving only the codec's size and format.
    int decode(CodecPtr& codec, AVFrame* frame, const DecoderSetup& setup) {
        AVFormatContext* format = input_.format(); // null for a kind without a demuxer
        int r =
            openDecoder(format ? format->streams[0]->codecpar : parameters_.get(), codec, setup);
        if (r != kMediaNoError)
            return r;
        PacketPtr packet(av_packet_alloc());
        if (!packet)
            return kMediaErrNoMemory;
        if (format ? av_read_frame(format, packet.get()) < 0 : !wholeFileAsPacket(packet.get()))
            return kMediaErrDecode;
        if (avcodec_send_packet(codec.get(), packet.get()) < 0)
            return kMediaErrDecode;
        avcodec_send_packet(codec.get(), nullptr);
        int got = avcodec_receive_frame(codec.get(), frame);
        if (setup.headerOnly)
            return kMediaNoError;
        return got < 0 ? kMediaErrDecode : kMediaNoError;
    }

  private:
    // The decoder reads past a packet's end by up to the padding, which must be zero.
    bool wholeFileAsPacket(AVPacket* packet) {
        if (source_.size > int64_t(INT32_MAX) - AV_INPUT_BUFFER_PADDING_SIZE ||
            av_new_packet(packet, int(source_.size)) < 0)
            return false;
        std::memcpy(packet->data, source_.data, size_t(source_.size));
        return true;
    }

    struct ParametersFreer {
        void operator()(AVCodecParameters* p) const { avcodec_parameters_free(&p); }
    };
    MemorySource source_;
    CustomInput input_;
    std::unique_ptr<AVCodecParameters, ParametersFreer> parameters_;
};

// The row of the kind table that reads these bytes, by content alone; -1 for none.
int probeKind(const uint8_t* data, size_t size) {
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
    if (format && score > 0)
        return rowForDemuxer(format->name);
    if (looksLikePam(data, size))
        return rowForCodec(AV_CODEC_ID_PAM);
    if (looksLikeTarga(data, size))
        return rowForCodec(AV_CODEC_ID_TARGA);
    return -1;
}

// A decoder that does not stop at the header is described by decoding the
// whole picture, which it may do only this large: at the widest pixels FFmpeg
// decodes to (16 bytes), within the memory limit.
int64_t fullDecodePixels() {
    return int64_t(MediaDecodeLimit() / 16);
}

// How far FFmpeg's JPEG decoder reduces while decoding (an eighth a side).
int jpegMaxLowres() {
    const AVCodec* decoder = avcodec_find_decoder(AV_CODEC_ID_MJPEG);
    return decoder ? decoder->max_lowres : 0;
}

// The picture's description and what decoding it costs, for identifying it
// or, with identifying false, just before it is drawn. Taken from the header
// where the decoder stops there; a decoder that does not (some refuse a
// packet they are told to skip) is described by a full decode when
// identifying, else its cost is left unknown (width 0). A JPEG's comes from
// its own frame header. kMediaNoError, kMediaErrTooLarge with d filled in, or
// kMediaErrUnknownFormat.
int describe(const uint8_t* data, size_t size, const Kind& kind, bool identifying,
             MediaImageDescription& d, DecodeCost& cost) {
    d = MediaImageDescription{};
    d.type = kind.type;
    cost = DecodeCost{};
    if (kind.type == kMediaTypePNG) {
        if (!readPngHeader(data, size, d, cost.bitsPerPixel))
            return kMediaErrUnknownFormat;
        cost.width = d.width;
        cost.height = d.height;
        // An animation's decoder keeps the frame before beside the frame.
        if (kind.demuxer && std::strcmp(kind.demuxer, "apng") == 0)
            cost.fullSizeBytes = cost.pictureBytes(0);
    } else {
        // The decoder refuses to describe a JPEG over its limits; its own header names it.
        JpegFrame jpeg;
        if (kind.type == kMediaTypeJPEG && readJpegFrame(data, size, jpeg)) {
            d.width = cost.width = jpeg.width;
            d.height = cost.height = jpeg.height;
            d.depth = cost.bitsPerPixel = jpeg.bitsPerPixel;
            cost.maxLowres = jpegMaxLowres();
            if (jpeg.progressive)
                cost.addProgressiveCoefficients();
            d.decodeBytes = cost.leastBytes();
            if (!MediaImageOverLimit(d).empty())
                return kMediaErrTooLarge;
            // Before a draw, the frame header is all there is to know: the
            // decode that follows checks the rest.
            if (!identifying)
                return kMediaNoError;
        }
        MemoryDemuxer demuxer;
        if (demuxer.open(data, size, kind) != kMediaNoError)
            return kMediaErrUnknownFormat;
        CodecPtr codec;
        FramePtr frame(av_frame_alloc());
        if (!frame)
            return kMediaErrNoMemory;
        const bool described =
            demuxer.decode(codec, frame.get(), {kMediaMaxImagePixels, true, 0}) == kMediaNoError;
        int width = described ? codec->width : 0, height = described ? codec->height : 0;
        AVPixelFormat format = described ? codec->pix_fmt : AV_PIX_FMT_NONE;
        bool progressive = described && codec->codec_id == AV_CODEC_ID_MJPEG &&
                           codec->profile == FF_PROFILE_MJPEG_HUFFMAN_PROGRESSIVE_DCT;
        int maxLowres = described ? codec->codec->max_lowres : 0;
        if (width < 1 || height < 1 || format == AV_PIX_FMT_NONE) {
            if (!identifying)
                return kMediaNoError;
            MemoryDemuxer again;
            if (again.open(data, size, kind) != kMediaNoError ||
                again.decode(codec, frame.get(), {fullDecodePixels(), false, 0}) != kMediaNoError)
                return kMediaErrUnknownFormat;
            width = frame->width;
            height = frame->height;
            format = AVPixelFormat(frame->format);
            progressive = false;
            maxLowres = 0;
        }
        const AVPixFmtDescriptor* pixel = av_pix_fmt_desc_get(format);
        if (width < 1 || height < 1 || !pixel)
            return kMediaErrUnknownFormat;
        d.width = width;
        d.height = height;
        d.depth = av_get_bits_per_pixel(pixel);
        cost = DecodeCost{width, height, av_get_padded_bits_per_pixel(pixel), maxLowres};
        if (progressive)
            cost.addProgressiveCoefficients();
    }
    d.decodeBytes = cost.leastBytes();
    return MediaImageOverLimit(d).empty() ? kMediaNoError : kMediaErrTooLarge;
}

void clearPort(const MediaPixMap& pm) {
    const size_t rowBytes = size_t(pm.width) * size_t(pm.pixelFormat / 8);
    for (int32_t y = 0; y < pm.height; ++y)
        std::memset(pm.baseAddr + size_t(y) * pm.rowBytes, 0, rowBytes);
}

} // namespace

int MediaIdentifyImage(const uint8_t* data, size_t size, MediaImageDescription& description) {
    silenceLibraryLog();
    if (!data || size == 0)
        return kMediaErrUnknownFormat;
    const int row = probeKind(data, size);
    if (row < 0)
        return kMediaErrUnknownFormat;
    MediaImageDescription d;
    DecodeCost cost;
    const int r = describe(data, size, kKinds[row], /*identifying=*/true, d, cost);
    if (r == kMediaNoError || r == kMediaErrTooLarge)
        description = d;
    return r;
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
        const int r = got > 0 ? MediaIdentifyImage(head, got, d) : kMediaErrUnknownFormat;
        if ((r == kMediaNoError || r == kMediaErrTooLarge) && d.type == kMediaTypePNG) {
            description = d;
            return r;
        }
    }
    std::vector<uint8_t> bytes;
    if (MediaReadFile(path, bytes) != kMediaNoError)
        return kMediaErrUnknownFormat;
    return MediaIdentifyImage(bytes.data(), bytes.size(), description);
}

std::unique_ptr<MediaImageImporter> MediaImageImporter::openForType(uint32_t type) {
    silenceLibraryLog();
    if (!knownType(type))
        return nullptr;
    return std::unique_ptr<MediaImageImporter>(new MediaImageImporter(type));
}

MediaImageImporter::~MediaImageImporter() = default;

int MediaImageImporter::setData(const uint8_t* data, size_t size) {
    data_ = nullptr;
    size_ = 0;
    kindRow_ = -1;
    if (!data || size == 0)
        return kMediaErrNoData;
    const int row = probeKind(data, size);
    if (row < 0 || kKinds[row].type != type_)
        return kMediaErrNoData;
    data_ = data;
    size_ = size;
    kindRow_ = row;
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
    const Kind& kind = kKinds[kindRow_];
    // Described again: the bytes are the caller's and may not be those identified.
    MediaImageDescription d;
    DecodeCost cost;
    int r = describe(data_, size_, kind, /*identifying=*/false, d, cost);
    if (r == kMediaErrTooLarge)
        return r;
    int lowres = 0;
    if (r == kMediaNoError && cost.width > 0) {
        const double wantedWidth = std::round(double(cost.width) * sx_);
        const double wantedHeight = std::round(double(cost.height) * sy_);
        if (wantedWidth < double(INT32_MAX) && wantedHeight < double(INT32_MAX))
            lowres = cost.lowresFor(int32_t(wantedWidth), int32_t(wantedHeight));
    }
    // A decoder of unknown cost decodes within the bound its full decode had
    // when the picture was identified.
    const int64_t maxPixels = cost.width > 0 ? kMediaMaxImagePixels : fullDecodePixels();
    CodecPtr codec;
    FramePtr frame(av_frame_alloc());
    if (!frame)
        return kMediaErrNoMemory;
    auto decodeAt = [&](int reduction) {
        MemoryDemuxer demuxer;
        int opened = demuxer.open(data_, size_, kind);
        if (opened != kMediaNoError)
            return opened;
        av_frame_unref(frame.get());
        return demuxer.decode(codec, frame.get(), {maxPixels, false, reduction});
    };
    r = decodeAt(lowres);
    // A picture the decoder cannot reduce (some kinds of JPEG) is decoded whole
    // when that fits in memory.
    if (r != kMediaNoError && lowres > 0 && cost.bytesAt(0) <= MediaDecodeLimit()) {
        lowres = 0;
        r = decodeAt(0);
    }
    if (r != kMediaNoError)
        return r;
    if (frame->decode_error_flags || (frame->flags & AV_FRAME_FLAG_CORRUPT))
        return kMediaErrDecode;
    // Scaled from the picture's own size, whatever size it was decoded at.
    const bool reduced = codec->lowres > 0;
    double width = std::round(double(reduced ? cost.width : frame->width) * sx_);
    double height = std::round(double(reduced ? cost.height : frame->height) * sy_);
    if (width < 1.0 || height < 1.0 || width * height > double(kMediaMaxPixels))
        return kMediaErrTooLarge;
    const MediaPixMap& pm = *port_->pixMap();
    if (width < double(pm.width) || height < double(pm.height))
        clearPort(pm); // what the picture leaves uncovered must not keep old bytes
    return scaleInto(frame.get(), int32_t(width), int32_t(height), pixelFormatFor(pm.pixelFormat),
                     pm.baseAddr, pm.rowBytes, pm.width, pm.height);
}

} // namespace host
