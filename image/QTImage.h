// Image import into power-of-two pixel buffers that OpenGL can use in place.
//
// Buffer layout: rows without gaps, top row first; at depth 32 one native-order
// 32-bit word a pixel holding alpha, red, green, blue from the most significant
// byte (GL_BGRA with GL_UNSIGNED_INT_8_8_8_8_REV); at depth 16 a big-endian
// 5-5-5 RGB word. The first pixel sits on a 32-byte boundary.
#pragma once

#include "host/Geometry.h"
#include "host/media/Media.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

using CGSize = host::Size;
using OSType = uint32_t;

inline constexpr int MAX_BUFFER_WIDTH = 1024;
inline constexpr int MAX_BUFFER_HEIGHT = 1024;

// Largest power of two not above n; 0 for 0.
uint32_t Power2Floor(uint32_t n);
// Smallest power of two not below n, for 1 <= n <= 2^31; 0 for 0 and above 2^31.
uint32_t Power2Ceiling(uint32_t n);
// min if v < min, else max if v > max, else v (a NaN comes back unchanged).
float clamp(float v, float min, float max);

class QTImage {
  public:
    QTImage() = default;
    ~QTImage();
    QTImage(const QTImage&) = delete;
    QTImage& operator=(const QTImage&) = delete;

    // A new image identified from the file at path; null when that failed.
    static std::unique_ptr<QTImage> imageFromPath(const std::string& path);

    bool SetImageFromPath(const std::string& path);
    bool SetImageFromFSSpec(const std::string& fs_spec);
    bool SetImageInfo();
    bool LoadImageData();
    bool CreateImportRefFromData(const std::vector<uint8_t>* image_data_handle);
    bool CreateImageBuffer(CGSize size, uint8_t bitdepth);
    bool SetImportGWorldWithScale(bool scale_to_fit);
    bool CreateImageWithBitdepth(uint8_t required_bitdepth, int32_t iWidth, int32_t iHeight);
    void ReleaseImageData();
    void ReleaseImageBuffer();
    void Reset();

    // The buffer size CreateImageWithBitdepth makes for an image of imageSize
    // under the caller's maximum: each side the image side raised to a power
    // of two, then limited by the maximum and by MAX_BUFFER_WIDTH/HEIGHT.
    static CGSize BufferSizeFor(CGSize imageSize, int32_t iWidth, int32_t iHeight);

    OSType image_type{};
    CGSize image_size{};
    uint32_t image_bitdepth{};
    CGSize buffer_size{};
    uint32_t buffer_bitdepth{};
    size_t buffer_memory_size{};
    uint8_t* buffer_ptr{};
    uint8_t* aligned_buffer_ptr{};
    std::unique_ptr<host::MediaPort> gworld_ptr;
    host::MediaPixMap* pixmap_handle{};
    bool image_loaded{};

  protected:
    // The file being imported: its path.
    std::string load_fs;
    uint32_t image_data_size{};

  private:
    std::unique_ptr<host::MediaImageImporter> import_ref;
    std::unique_ptr<std::vector<uint8_t>> image_data;
};
