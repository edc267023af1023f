// libFuzzer target: the OBJ reader, its libraries, sorting and every routine.
#include "fuzz/mesh/MeshFuzzHarness.h"

#include <cstdio>
#include <memory>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The reader reports on standard output; millions of lines slow the search.
    std::freopen("/dev/null", "w", stdout);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // One record for the whole run: it is 45 MB, and every load resets it.
    static const std::unique_ptr<MyOBJ> obj = std::make_unique<MyOBJ>();
    meshfuzz::runObj(*obj, data, size);
    return 0;
}
