// Image bytes through the import path: identification by content, decoding
// from memory with the pixel limit, scaling into a power-of-two buffer.
#include "fuzz/image/ImportBytes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzimage::importImageBytes(data, size);
    return 0;
}
