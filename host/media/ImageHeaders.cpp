#include "host/media/ImageHeaders.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace host::media {
namespace {

uint32_t readBigEndian32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

uint16_t readBigEndian16(const uint8_t* p) {
    return uint16_t(p[0] << 8 | p[1]);
}

} // namespace

bool readPngHeader(const uint8_t* data, size_t size, MediaImageDescription& d, int& decodedBits) {
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
    // Samples of fewer than 8 bits are decoded to a byte each.
    decodedBits = std::max(bits, 8) * channels;
    return true;
}

bool readJpegFrame(const uint8_t* data, size_t size, JpegFrame& frame) {
    if (size < 4 || data[0] != 0xff || data[1] != 0xd8)
        return false;
    size_t at = 2;
    while (at + 4 <= size) {
        if (data[at] != 0xff)
            return false;
        const uint8_t marker = data[at + 1];
        if (marker == 0xff) { // fill byte
            ++at;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xd0 && marker <= 0xd8)) { // no length follows
            at += 2;
            continue;
        }
        if (marker == 0xd9 || marker == 0xda) // the end, or a scan before any frame
            return false;
        const size_t length = readBigEndian16(data + at + 2);
        if (length < 2 || length > size - at - 2)
            return false;
        // C0 to CF are frame headers, but for C4 (Huffman tables), C8 (reserved)
        // and CC (arithmetic coding conditions).
        const bool isFrame =
            marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc;
        if (!isFrame) {
            at += 2 + length;
            continue;
        }
        const uint8_t* f = data + at + 4;
        const int precision = f[0], components = length >= 8 ? f[5] : 0;
        if (length < 8 + size_t(components) * 3 || components < 1)
            return false;
        int maxH = 1, maxV = 1;
        for (int c = 0; c < components; ++c) {
            maxH = std::max(maxH, f[7 + c * 3] >> 4);
            maxV = std::max(maxV, f[7 + c * 3] & 15);
        }
        // Each component's share of the picture's samples, at a byte a sample
        // (two above 8 bits of precision).
        const int sampleBits = precision > 8 ? 16 : 8;
        int bits = 0;
        for (int c = 0; c < components; ++c) {
            const int h = std::max(1, f[7 + c * 3] >> 4), v = std::max(1, f[7 + c * 3] & 15);
            bits += sampleBits * h * v / (maxH * maxV);
        }
        frame.height = readBigEndian16(f + 1);
        frame.width = readBigEndian16(f + 3);
        frame.bitsPerPixel = std::max(bits, sampleBits);
        frame.progressive = marker == 0xc2 || marker == 0xc6 || marker == 0xca || marker == 0xce;
        return frame.width > 0 && frame.height > 0;
    }
    return false;
}

} // namespace host::media
