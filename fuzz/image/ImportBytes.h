// The import path over untrusted bytes, shared by the fuzz target and the test
// that replays its kept inputs: identify, decode from memory, scale into a buffer.
#pragma once

#include "host/media/Media.h"
#include "image/QTImage.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace fuzzimage {

// Returns the importer's draw result, or a negative step number where an
// earlier step refused the bytes. Small maxima keep each run short.
inline int importImageBytes(const uint8_t* data, size_t size, int32_t maxSide = 64) {
    host::MediaImageDescription description;
    if (host::MediaIdentifyImage(data, size, description) != host::kMediaNoError)
        return -1;
    CGSize wanted = QTImage::BufferSizeFor(
        CGSize{float(description.width), float(description.height)}, maxSide, maxSide);
    auto importer = host::MediaImageImporter::openForType(description.type);
    if (!importer || importer->setData(data, size) != host::kMediaNoError)
        return -2;
    const int32_t width = int32_t(wanted.width), height = int32_t(wanted.height);
    // Canaries after the buffer catch a draw past its end even without a sanitizer.
    const size_t bytes = size_t(width) * size_t(height) * 4;
    std::vector<uint8_t> pixels(bytes + 64, 0xA5);
    std::unique_ptr<host::MediaPort> port;
    if (host::MediaPort::fromPointer(port, 32, width, height, pixels.data(), size_t(width) * 4) !=
        host::kMediaNoError)
        return -3;
    importer->setDestination(port.get());
    importer->setScale(wanted.width / float(description.width),
                       wanted.height / float(description.height));
    int r = importer->draw();
    for (size_t i = bytes; i < pixels.size(); ++i)
        if (pixels[i] != 0xA5)
            std::abort();
    return r;
}

} // namespace fuzzimage
