// A GL context with nothing on screen: a hidden window of SDL's offscreen
// video driver with a compatibility-profile context made current on the
// calling thread. Tests and benchmarks draw into it and read pixels back.
#pragma once

namespace host {

namespace platform {
struct Surface;
}

class OffscreenContext {
  public:
    // Depth 24 and stencil 8 bits, double-buffered; the context is current on return.
    OffscreenContext(int width, int height);
    ~OffscreenContext();
    OffscreenContext(const OffscreenContext&) = delete;
    OffscreenContext& operator=(const OffscreenContext&) = delete;

    bool valid() const { return surface_ != nullptr; }

  private:
    platform::Surface* surface_{};
};

} // namespace host
