// libFuzzer target: the richer OBJ reader with its libraries, its polygons
// cut into triangles, and the promise that every index it gives is in range.
#include "fuzz/mesh/ObjModelCheck.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The reader reports on standard output; millions of lines slow the search.
    std::freopen("/dev/null", "w", stdout);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!meshfuzz::readAndCheck(data, size).empty())
        std::abort(); // libFuzzer reports it as a crash
    return 0;
}
