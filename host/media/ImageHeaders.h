// Internal to the media layer: the headers of PNG and JPEG pictures, read
// without a decoder, so that a picture is described before (and whether or
// not) a decoder will take it: a damaged PNG after a sound header is still
// identified, and a JPEG too large for the decoder can still be named.
#pragma once

#include "host/media/Media.h"

#include <cstddef>
#include <cstdint>

namespace host::media {

// The PNG header chunk: size and stored bits per pixel into d, and the bits
// a pixel is decoded to.
bool readPngHeader(const uint8_t* data, size_t size, MediaImageDescription& d, int& decodedBits);

struct JpegFrame {
    int32_t width{};
    int32_t height{};
    int bitsPerPixel{}; // decoded, averaged over the chroma subsampling
    bool progressive{};
};

// The frame header of a JPEG, the first one before any scan; false when
// there is none, or it leaves the height to a later marker.
bool readJpegFrame(const uint8_t* data, size_t size, JpegFrame& frame);

} // namespace host::media
