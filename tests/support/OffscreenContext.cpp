#include "tests/support/OffscreenContext.h"

#include "diag/Diagnostics.h"
#include "host/platform/Platform.h"

namespace host {

OffscreenContext::OffscreenContext(int width, int height) {
    platform::Platform& p = platform::current();
    if (!p.startVideo(/*offscreen=*/true))
        return;
    platform::WindowOptions options{0, 0, width, height};
    options.hidden = true;
    platform::GLRequest gl{true, 24, 8, 24, 8, false};
    surface_ = p.createSurface(options, &gl);
    if (!surface_) {
        diag::log("offscreen GL context failed: %s", p.failure().c_str());
        return;
    }
    p.makeCurrent(*surface_);
}

OffscreenContext::~OffscreenContext() {
    if (surface_)
        platform::current().destroySurface(surface_);
}

} // namespace host
