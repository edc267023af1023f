#include "host/media/ImageLimits.h"
#include "host/media/Media.h"

extern "C" {
#include <libavutil/imgutils.h>
}

#include <algorithm>
#include <atomic>
#include <cinttypes>
#include <cstdio>

namespace host {
namespace {

std::atomic<uint64_t> decodeLimit{kMediaMaxDecodeBytes};

} // namespace

void MediaSetDecodeLimit(uint64_t bytes) {
    decodeLimit = std::min(bytes, kMediaMaxDecodeBytes);
}

uint64_t MediaDecodeLimit() {
    return decodeLimit;
}

namespace media {
namespace {

// A side of the picture at 1/2^lowres, rounded up as the decoders round it.
int32_t reducedSide(int32_t side, int lowres) {
    return int32_t((int64_t(side) + (int64_t(1) << lowres) - 1) >> lowres);
}

} // namespace

uint64_t DecodeCost::pictureBytes(int lowres) const {
    const uint64_t pixels =
        uint64_t(reducedSide(width, lowres)) * uint64_t(reducedSide(height, lowres));
    // At most 128 bits a pixel: below 2^48 pixels nothing overflows, and
    // beyond them any answer above the limit will do. A palette or a row of
    // alignment is small beside the limit; 4 KiB covers them.
    if (pixels > uint64_t(1) << 48)
        return UINT64_MAX;
    return (pixels * uint64_t(bitsPerPixel) + 7) / 8 + 4096;
}

int DecodeCost::lowresFor(int32_t wantedWidth, int32_t wantedHeight) const {
    int lowres = 0;
    while (lowres < maxLowres && reducedSide(width, lowres + 1) >= wantedWidth &&
           reducedSide(height, lowres + 1) >= wantedHeight)
        ++lowres;
    while (lowres < maxLowres && bytesAt(lowres) > MediaDecodeLimit())
        ++lowres;
    return lowres;
}

} // namespace media

std::string MediaImageOverLimit(const MediaImageDescription& d) {
    char line[160];
    if (int64_t(d.width) * d.height > kMediaMaxImagePixels)
        std::snprintf(line, sizeof line,
                      "%d x %d pixels, more than the limit of %" PRId64 " (2^28)", d.width,
                      d.height, kMediaMaxImagePixels);
    else if (av_image_check_size(unsigned(d.width), unsigned(d.height), 0, nullptr) < 0)
        std::snprintf(line, sizeof line,
                      "%d x %d pixels, more than the decoder's limit: (width + 128) x "
                      "(height + 128) under 2^28",
                      d.width, d.height);
    else if (const uint64_t limit = MediaDecodeLimit(); d.decodeBytes > limit)
        std::snprintf(line, sizeof line,
                      "%d x %d pixels, needing %" PRIu64 " MiB to decode, more than the limit of "
                      "%" PRIu64 " MiB",
                      d.width, d.height, (d.decodeBytes + (1 << 20) - 1) >> 20, limit >> 20);
    else
        return {};
    return line;
}

} // namespace host
