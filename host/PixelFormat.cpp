#include "host/PixelFormat.h"

namespace host {

PixelFormat::PixelFormat(const uint32_t* attributes) {
    for (const uint32_t* a = attributes; a && *a != 0; ++a) {
        switch (*a) {
        case NSOpenGLPFAAccelerated:
            accelerated = true;
            break;
        case NSOpenGLPFANoRecovery:
            noRecovery = true;
            break;
        case NSOpenGLPFAWindow:
            window = true;
            break;
        case NSOpenGLPFADoubleBuffer:
            doubleBuffer = true;
            break;
        case NSOpenGLPFAColorSize:
        case NSOpenGLPFAAlphaSize:
        case NSOpenGLPFADepthSize:
        case NSOpenGLPFAStencilSize: {
            uint32_t code = *a;
            if (a[1] == 0)
                return; // an attribute without its argument ends the list
            int value = static_cast<int>(*++a);
            if (code == NSOpenGLPFAColorSize)
                colorSize = value;
            else if (code == NSOpenGLPFAAlphaSize)
                alphaSize = value;
            else if (code == NSOpenGLPFADepthSize)
                depthSize = value;
            else
                stencilSize = value;
            break;
        }
        default:
            break;
        }
    }
}

} // namespace host
