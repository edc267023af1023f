#include "host/platform/NullPlatform.h"
#include "host/platform/SdlPlatform.h"

namespace host::platform {

namespace {

// Never destroyed: threads that outlive main may still present through it.
Platform* gPlatform{};

} // namespace

Platform& current() {
    if (!gPlatform)
        gPlatform = new SdlPlatform;
    return *gPlatform;
}

NullPlatform& useNullPlatform() {
    static NullPlatform* null = new NullPlatform;
    gPlatform = null;
    return *null;
}

} // namespace host::platform
