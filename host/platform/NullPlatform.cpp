#include "host/platform/NullPlatform.h"

namespace host::platform {

namespace {

struct NullSurface : Surface {
    WindowOptions options;
    bool context{};
    int stencil{};
};

} // namespace

bool NullPlatform::startVideo(bool) {
    started_ = true;
    return true;
}

Surface* NullPlatform::createSurface(const WindowOptions& options, const GLRequest* gl) {
    if (!offer.windows) {
        failure_ = "the null platform offers no windows";
        return nullptr;
    }
    if (gl && (!offer.gl || gl->stencilSize > offer.maxStencil ||
               (gl->accelerated && !offer.accelerated))) {
        failure_ = "the null platform offers no such GL context";
        return nullptr;
    }
    auto* surface = new NullSurface;
    surface->options = options;
    surface->context = gl != nullptr;
    if (gl)
        surface->stencil = offer.stencilGiven >= 0 ? offer.stencilGiven : gl->stencilSize;
    return surface;
}

void NullPlatform::destroySurface(Surface* surface) {
    delete surface;
}

bool NullPlatform::hasContext(const Surface& surface) const {
    return static_cast<const NullSurface&>(surface).context;
}

int NullPlatform::stencilBits(const Surface& surface) const {
    return static_cast<const NullSurface&>(surface).stencil;
}

void NullPlatform::setFrame(Surface& surface, const Rect& frame) {
    auto& s = static_cast<NullSurface&>(surface);
    s.options.x = int(frame.x);
    s.options.y = int(frame.y);
    s.options.width = int(frame.width);
    s.options.height = int(frame.height);
}

bool NullPlatform::pollEvent(PlatformEvent& event) {
    std::lock_guard lock(mutex_);
    if (queue_.empty())
        return false;
    event = queue_.front();
    queue_.pop_front();
    return true;
}

void NullPlatform::postEvent(const PlatformEvent& event) {
    std::lock_guard lock(mutex_);
    queue_.push_back(event);
}

} // namespace host::platform
