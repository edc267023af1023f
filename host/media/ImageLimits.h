// Internal to the media layer: what decoding one still picture costs in
// memory, the reduction to decode it at, and the limits it is held to.
#pragma once

#include <cstdint>

namespace host::media {

struct DecodeCost {
    int32_t width{}; // the picture's full size
    int32_t height{};
    int bitsPerPixel{};       // of the decoded picture, padding included
    int maxLowres{};          // the decoder's deepest reduction (1/2^n a side), 0 for none
    uint64_t fullSizeBytes{}; // what the decoder holds at full size whatever the reduction

    // The decoded picture alone at 1/2^lowres a side.
    uint64_t pictureBytes(int lowres) const;
    // The decoded picture at 1/2^lowres a side, and what is held at full size.
    uint64_t bytesAt(int lowres) const { return pictureBytes(lowres) + fullSizeBytes; }
    // A progressive JPEG's decoder keeps every coefficient, 16 bits a sample,
    // at full size.
    void addProgressiveCoefficients() { fullSizeBytes += 2 * pictureBytes(0); }
    uint64_t leastBytes() const { return bytesAt(maxLowres); }
    // The deepest reduction that still leaves at least wantedWidth x
    // wantedHeight, so nothing is lost to it; deeper only where decoding
    // would otherwise need more than MediaDecodeLimit().
    int lowresFor(int32_t wantedWidth, int32_t wantedHeight) const;
};

} // namespace host::media
