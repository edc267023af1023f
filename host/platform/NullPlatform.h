// Internal to host/: the platform without a window system, for tests. Windows
// and GL contexts are plain records and nothing is drawn; the only events are
// those posted.
#pragma once

#include "host/platform/Platform.h"

#include <deque>
#include <mutex>

namespace host::platform {

class NullPlatform final : public Platform {
  public:
    // What the platform offers; tests change it before asking.
    struct Offer {
        Rect screen{0, 0, 1024, 768};
        bool windows{true};
        bool gl{true};
        bool accelerated{true};
        int maxStencil{8};
        int stencilGiven{-1}; // <0: as asked; else a context gets this many bits
    };
    Offer offer;
    // Buffer swaps so far, for tests.
    int swaps{};

    const char* name() const override { return "null"; }
    bool startVideo(bool) override;
    bool videoStarted() const override { return started_; }
    Surface* createSurface(const WindowOptions& options, const GLRequest* gl) override;
    void destroySurface(Surface* surface) override;
    std::string failure() const override { return failure_; }
    bool hasContext(const Surface& surface) const override;
    int stencilBits(const Surface& surface) const override;
    void setFrame(Surface& surface, const Rect& frame) override;
    void setLayer(Surface&, Layer) override {}
    void setOpacity(Surface&, float) override {}
    Rect screenBounds(const Surface*) const override { return offer.screen; }
    void makeCurrent(Surface&) override {}
    void swapBuffers(Surface&) override { ++swaps; }
    void presentColor(Surface&, float, float, float, float) override {}
    void setSwapInterval(int) override {}
    bool pollEvent(PlatformEvent& event) override;
    void postEvent(const PlatformEvent& event) override;

  private:
    bool started_{};
    std::string failure_;
    std::mutex mutex_;
    std::deque<PlatformEvent> queue_;
};

} // namespace host::platform
