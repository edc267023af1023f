#include "image/QTImage.h"

#include "diag/Diagnostics.h"
#include "host/Files.h"

#include <bit>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>

uint32_t Power2Floor(uint32_t n) {
    int zeros = std::countl_zero(n);
    // A shift by 32 is undefined in C++; the answer there is 0.
    return zeros >= 32 ? 0u : 0x80000000u >> zeros;
}

uint32_t Power2Ceiling(uint32_t n) {
    int shift = 32 - std::countl_zero(uint32_t(n - 1u));
    return shift >= 32 ? 0u : 1u << shift;
}

float clamp(float v, float min, float max) {
    if (v < min)
        return min;
    if (v > max)
        return max;
    return v;
}

namespace {

// Float to unsigned 32-bit by truncation, refusing what has no such value
// (negative, not a number, too large), where a plain cast would be undefined.
bool truncateToU32(float f, uint32_t& out) {
    if (!(f >= 0.0f) || f >= 4294967296.0f)
        return false;
    out = uint32_t(f);
    return true;
}

// No single image buffer needs more than the service's largest picture.
constexpr uint64_t kMaxBufferBytes = uint64_t(host::kMediaMaxPixels) * 4;

} // namespace

QTImage::~QTImage() {
    Reset();
}

std::unique_ptr<QTImage> QTImage::imageFromPath(const std::string& path) {
    auto image = std::make_unique<QTImage>();
    if (!image->SetImageFromPath(path))
        return nullptr;
    return image;
}

bool QTImage::SetImageFromPath(const std::string& path) {
    if (path.empty() || !host::fileExists(path))
        return false;
    // Held as an absolute path, so a later change of directory does not move it.
    char resolved[PATH_MAX];
    if (!realpath(path.c_str(), resolved))
        return false;
    return SetImageFromFSSpec(resolved);
}

bool QTImage::SetImageFromFSSpec(const std::string& fs_spec) {
    Reset();
    load_fs = fs_spec;
    return SetImageInfo();
}

bool QTImage::SetImageInfo() {
    host::MediaImageDescription description;
    const int identified = host::MediaIdentifyImageFile(load_fs, description);
    if (identified == host::kMediaErrTooLarge)
        diag::warning("%s is %s\n", load_fs.c_str(),
                      host::MediaImageOverLimit(description).c_str());
    if (identified != host::kMediaNoError)
        return false;
    image_size = CGSize{float(description.width), float(description.height)};
    image_bitdepth = uint32_t(description.depth);
    if (description.type == 0) {
        diag::log("error getting type %d", int(host::kMediaErrUnknownFormat));
        return false;
    }
    image_type = description.type;
    return true;
}

bool QTImage::LoadImageData() {
    std::FILE* file = std::fopen(load_fs.c_str(), "rb");
    if (!file)
        return false;
    struct stat st {};
    if (fstat(fileno(file), &st) != 0 || !S_ISREG(st.st_mode) ||
        uint64_t(st.st_size) > host::kMediaMaxFileBytes) {
        std::fclose(file);
        return false;
    }
    auto block = std::make_unique<std::vector<uint8_t>>();
    try {
        block->resize(size_t(st.st_size));
    } catch (const std::bad_alloc&) {
        std::fclose(file);
        return false;
    }
    image_data_size = uint32_t(st.st_size);
    image_data = std::move(block);
    size_t got = std::fread(image_data->data(), 1, image_data->size(), file);
    std::fclose(file);
    return got == image_data->size();
}

bool QTImage::CreateImportRefFromData(const std::vector<uint8_t>* image_data_handle) {
    import_ref = host::MediaImageImporter::openForType(image_type);
    if (!import_ref) {
        diag::log("err: open error for data handle of type %c%c%c%c", char(image_type >> 24),
                  char(image_type >> 16), char(image_type >> 8), char(image_type));
        return false;
    }
    int err = image_data_handle
                  ? import_ref->setData(image_data_handle->data(), image_data_handle->size())
                  : host::kMediaErrNoData;
    if (err != host::kMediaNoError) {
        import_ref.reset();
        diag::log("err: set error = %d", err);
        return false;
    }
    return true;
}

bool QTImage::CreateImageBuffer(CGSize size, uint8_t bitdepth) {
    uint32_t width = 0, height = 0;
    uint64_t rowBytes = 0, memorySize = 0;
    bool representable = truncateToU32(size.width, width) && truncateToU32(size.height, height);
    if (representable) {
        rowBytes = uint64_t(width) * (bitdepth / 8);
        memorySize = uint64_t(height) * rowBytes;
    }
    // Sizes that no block could hold are refused before anything is allocated.
    if (!representable || memorySize > kMaxBufferBytes) {
        diag::log("buffer malloc failed");
        return false;
    }
    int32_t pixelFormat = bitdepth == 16 ? 16 : 32;
    buffer_memory_size = size_t(memorySize);
    buffer_ptr = static_cast<uint8_t*>(std::malloc(buffer_memory_size + 32));
    aligned_buffer_ptr =
        reinterpret_cast<uint8_t*>((reinterpret_cast<uintptr_t>(buffer_ptr) + 31) & ~uintptr_t(31));
    if (!buffer_ptr) {
        aligned_buffer_ptr = nullptr;
        diag::log("buffer malloc failed");
        return false;
    }
    int err = host::MediaPort::fromPointer(gworld_ptr, pixelFormat, int32_t(width), int32_t(height),
                                           aligned_buffer_ptr, size_t(rowBytes));
    if (err != host::kMediaNoError || !gworld_ptr) {
        diag::log("NewGWorld failed %d, %1.f x %1.f", int(bitdepth), double(size.width),
                  double(size.height));
        return false;
    }
    pixmap_handle = gworld_ptr->pixMap();
    if (!pixmap_handle) {
        diag::log("GetGWorldPixMap");
        return false;
    }
    buffer_size = size;
    buffer_bitdepth = bitdepth;
    return true;
}

bool QTImage::SetImportGWorldWithScale(bool scale_to_fit) {
    int err = import_ref ? import_ref->setDestination(gworld_ptr.get())
                         : int(host::kMediaErrBadDestination);
    if (err != host::kMediaNoError) {
        diag::log("err: GraphicsImportSetGWorld(%x, %x)",
                  unsigned(reinterpret_cast<uintptr_t>(import_ref.get())),
                  unsigned(reinterpret_cast<uintptr_t>(gworld_ptr.get())));
        return false;
    }
    if (scale_to_fit) {
        float sx = buffer_size.width / image_size.width;
        float sy = buffer_size.height / image_size.height;
        import_ref->setScale(sx, sy);
    }
    return true;
}

CGSize QTImage::BufferSizeFor(CGSize imageSize, int32_t iWidth, int32_t iHeight) {
    uint32_t w = 0, h = 0;
    truncateToU32(imageSize.width, w);
    truncateToU32(imageSize.height, h);
    float wantedWidth = float(Power2Ceiling(w));
    float wantedHeight = float(Power2Ceiling(h));
    wantedWidth = clamp(wantedWidth, 0.0f, float(iWidth));
    wantedHeight = clamp(wantedHeight, 0.0f, float(iHeight));
    wantedWidth = clamp(wantedWidth, 0.0f, float(MAX_BUFFER_WIDTH));
    wantedHeight = clamp(wantedHeight, 0.0f, float(MAX_BUFFER_HEIGHT));
    return CGSize{wantedWidth, wantedHeight};
}

bool QTImage::CreateImageWithBitdepth(uint8_t required_bitdepth, int32_t iWidth, int32_t iHeight) {
    CGSize wanted = BufferSizeFor(image_size, iWidth, iHeight);
    bool reuse = buffer_ptr && buffer_size.width == wanted.width &&
                 buffer_size.height == wanted.height && buffer_bitdepth == required_bitdepth;
    if (!reuse) {
        ReleaseImageBuffer();
        if (!CreateImageBuffer(wanted, required_bitdepth))
            return false;
    }
    if (!image_data && !LoadImageData())
        return false;
    if (!import_ref && !CreateImportRefFromData(image_data.get()))
        return false;
    if (!SetImportGWorldWithScale(true))
        return false;
    image_loaded = import_ref->draw() == host::kMediaNoError;
    ReleaseImageData();
    return true;
}

void QTImage::ReleaseImageData() {
    import_ref.reset();
    image_data.reset();
}

void QTImage::ReleaseImageBuffer() {
    if (!buffer_ptr)
        return;
    pixmap_handle = nullptr;
    gworld_ptr.reset();
    std::free(buffer_ptr);
    buffer_ptr = nullptr;
    aligned_buffer_ptr = nullptr;
    image_loaded = false;
}

void QTImage::Reset() {
    ReleaseImageData();
    ReleaseImageBuffer();
}
