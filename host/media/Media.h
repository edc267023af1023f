// The media import service: image identification and decoding into caller-owned
// pixel buffers, and movies rendered frame by frame. Built over FFmpeg; nothing
// of FFmpeg shows through this header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace host {

// A four-character code, first character in the most significant byte.
constexpr uint32_t FourCC(char a, char b, char c, char d) {
    return uint32_t(uint8_t(a)) << 24 | uint32_t(uint8_t(b)) << 16 | uint32_t(uint8_t(c)) << 8 |
           uint32_t(uint8_t(d));
}

// Format codes of the image kinds the service identifies.
inline constexpr uint32_t kMediaTypePNG = FourCC('P', 'N', 'G', 'f');
inline constexpr uint32_t kMediaTypeJPEG = FourCC('J', 'P', 'E', 'G');
inline constexpr uint32_t kMediaTypeTIFF = FourCC('T', 'I', 'F', 'F');
inline constexpr uint32_t kMediaTypeGIF = FourCC('G', 'I', 'F', 'f');
inline constexpr uint32_t kMediaTypeBMP = FourCC('B', 'M', 'P', 'f');
inline constexpr uint32_t kMediaTypeWebP = FourCC('W', 'E', 'B', 'P');
inline constexpr uint32_t kMediaTypeICO = FourCC('I', 'C', 'O', ' ');
inline constexpr uint32_t kMediaTypePNM = FourCC('P', 'N', 'M', ' '); // PBM, PGM, PPM, PAM
inline constexpr uint32_t kMediaTypePSD = FourCC('8', 'B', 'P', 'S');
inline constexpr uint32_t kMediaTypeJPEG2000 = FourCC('j', 'p', '2', ' ');
inline constexpr uint32_t kMediaTypeTGA = FourCC('T', 'P', 'I', 'C');
inline constexpr uint32_t kMediaTypeSGI = FourCC('.', 'S', 'G', 'I');
inline constexpr uint32_t kMediaTypeSunRaster = FourCC('S', 'U', 'N', 'R');
inline constexpr uint32_t kMediaTypePCX = FourCC('P', 'C', 'X', ' ');
inline constexpr uint32_t kMediaTypeXBM = FourCC('X', 'B', 'M', ' ');
inline constexpr uint32_t kMediaTypeXPM = FourCC('X', 'P', 'M', ' ');
inline constexpr uint32_t kMediaTypeXWD = FourCC('X', 'W', 'D', ' ');
inline constexpr uint32_t kMediaTypeDDS = FourCC('D', 'D', 'S', ' ');
inline constexpr uint32_t kMediaTypeDPX = FourCC('D', 'P', 'X', ' ');
inline constexpr uint32_t kMediaTypePFM = FourCC('P', 'F', 'M', ' ');
inline constexpr uint32_t kMediaTypeQOI = FourCC('q', 'o', 'i', 'f');

// A movie frame or a written picture larger than this many pixels is refused
// before anything is allocated for it, so a small hostile file cannot ask for
// gigabytes.
inline constexpr int64_t kMediaMaxPixels = int64_t(1) << 25;
// Still pictures may be larger, up to 2^28 pixels: they are decoded reduced
// where the decoder can, and refused when decoding would need more than
// kMediaMaxDecodeBytes. FFmpeg further wants (width + 128) x (height + 128)
// under 2^28, which only matters within about 1.6 % of the limit.
inline constexpr int64_t kMediaMaxImagePixels = int64_t(1) << 28;
inline constexpr uint64_t kMediaMaxDecodeBytes = uint64_t(1) << 30;
// Files above this size are not read at all.
inline constexpr size_t kMediaMaxFileBytes = size_t(256) << 20;

// The memory one picture's decoding may take in this process:
// kMediaMaxDecodeBytes unless lowered (a thumbnailer, which reads whatever
// is downloaded, lowers it). Values above kMediaMaxDecodeBytes are taken as it.
void MediaSetDecodeLimit(uint64_t bytes);
uint64_t MediaDecodeLimit();

// Service error codes (the service's own; 0 is success).
enum MediaError : int {
    kMediaNoError = 0,
    kMediaErrUnknownFormat = -2000, // no importer reads this file
    kMediaErrNoData = -2001,        // importer has no bytes, or they are not of its format
    kMediaErrBadDestination = -2002,
    kMediaErrTooLarge = -2003,
    kMediaErrDecode = -2004,
    kMediaErrIO = -2005,
    kMediaErrNoMemory = -2006,
};

// Reads a whole file, refusing files above kMediaMaxFileBytes. 0 or an error.
int MediaReadFile(const std::string& path, std::vector<uint8_t>& bytes);

struct MediaImageDescription {
    int32_t width{};
    int32_t height{};
    int32_t depth{}; // stored bits per pixel
    uint32_t type{}; // one of the kMediaType codes
    // The least memory decoding takes: the decoded picture at the decoder's
    // largest reduction, and what the decoder holds at full size besides.
    uint64_t decodeBytes{};
};

// Identifies an image by its content, not its name. kMediaErrUnknownFormat when
// the bytes are no image the service decodes (text, a movie, garbage).
// kMediaErrTooLarge, with the description filled in, when the picture is over
// a limit (MediaImageOverLimit says which).
int MediaIdentifyImage(const uint8_t* data, size_t size, MediaImageDescription& description);
int MediaIdentifyImageFile(const std::string& path, MediaImageDescription& description);

// Empty when a picture so described is within the limits (the memory limit
// as it stands); else the size and the limit it is over, e.g. "20000 x 20000
// pixels, more than the limit of 268435456 (2^28)".
std::string MediaImageOverLimit(const MediaImageDescription& description);

// Pixel formats of a port: 32 is one native-order word a pixel, alpha, red,
// green, blue from the most significant byte; 16 is a big-endian 5-5-5 RGB word.
struct MediaPixMap {
    uint8_t* baseAddr{};
    int32_t width{};
    int32_t height{};
    size_t rowBytes{};
    int32_t pixelFormat{};
};

// A drawing port over caller-owned pixels, row 0 at the top. The memory stays
// the caller's: the port never frees it.
class MediaPort {
  public:
    // 0 and a port, or an error when the format is not 16 or 32, a side is not
    // positive, or the row bytes cannot hold a row.
    static int fromPointer(std::unique_ptr<MediaPort>& port, int32_t pixelFormat, int32_t width,
                           int32_t height, uint8_t* pixels, size_t rowBytes);
    MediaPixMap* pixMap() { return &pixMap_; }

  private:
    MediaPixMap pixMap_{};
};

// A decoder for one image format, reading from bytes in memory and drawing
// through a scale about the top-left corner into a port.
class MediaImageImporter {
  public:
    // Null when the service has no decoder for the format code.
    static std::unique_ptr<MediaImageImporter> openForType(uint32_t type);
    ~MediaImageImporter();
    MediaImageImporter(const MediaImageImporter&) = delete;
    MediaImageImporter& operator=(const MediaImageImporter&) = delete;

    uint32_t type() const { return type_; }
    // The bytes are not copied: they must stay in place until the importer is
    // closed or given other bytes. Refuses bytes that are not of its format.
    int setData(const uint8_t* data, size_t size);
    // Null is refused.
    int setDestination(MediaPort* port);
    // Scale factors applied to the image's own size; (1, 1) until set.
    void setScale(float sx, float sy);
    // Decodes the bytes and draws the whole image, clipped to the port. Where
    // the scaled picture does not cover the port (the bytes hold a smaller
    // picture than the description said), the rest of the port is cleared.
    // A picture scaled down is decoded at a reduced size where its decoder
    // can (a JPEG at a half, a quarter or an eighth), never below the scaled
    // size unless memory demands it. kMediaErrTooLarge over the limits.
    int draw();

  private:
    explicit MediaImageImporter(uint32_t type) : type_(type) {}
    uint32_t type_{};
    const uint8_t* data_{};
    size_t size_{};
    int kindRow_{-1}; // how the bytes are read: found when they are given
    MediaPort* port_{};
    float sx_{1.0f};
    float sy_{1.0f};
};

// A movie opened from a local file for rendering single pictures.
class MediaMovie {
  public:
    // Time unit of durations and times: 600 units a second.
    static constexpr int64_t kTimeScale = 600;

    // Null when the file cannot be opened or holds no video stream.
    static std::unique_ptr<MediaMovie> open(const std::string& path);
    ~MediaMovie();
    MediaMovie(const MediaMovie&) = delete;
    MediaMovie& operator=(const MediaMovie&) = delete;

    // Length in kTimeScale units; 0 when unknown.
    int64_t duration() const { return duration_; }
    // Renders the picture shown at `time`, scaled to width x height, into 32-bit
    // pixels (the port layout) with the given row bytes. 0 or an error; on an
    // error the pixels are left alone.
    int renderFrame(int64_t time, uint8_t* pixels, int32_t width, int32_t height, size_t rowBytes);

  private:
    struct State;
    explicit MediaMovie(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
    int64_t duration_{};
};

} // namespace host
