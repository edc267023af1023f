// A GL pixel format described by a zero-terminated attribute list.
#pragma once

#include <cstdint>

namespace host {

// Attribute codes of the list; the four last take one argument.
enum PixelFormatAttribute : uint32_t {
    NSOpenGLPFADoubleBuffer = 5,
    NSOpenGLPFAColorSize = 8,
    NSOpenGLPFAAlphaSize = 11,
    NSOpenGLPFADepthSize = 12,
    NSOpenGLPFAStencilSize = 13,
    NSOpenGLPFANoRecovery = 72,
    NSOpenGLPFAAccelerated = 73,
    NSOpenGLPFAWindow = 80,
};

class PixelFormat {
  public:
    PixelFormat() = default;
    // Reads the list up to its terminating 0; unknown attributes are ignored.
    explicit PixelFormat(const uint32_t* attributes);

    bool accelerated{};
    bool noRecovery{};
    bool window{};
    bool doubleBuffer{};
    int colorSize{};
    int alphaSize{};
    int depthSize{};
    int stencilSize{};
};

} // namespace host
