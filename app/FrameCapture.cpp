#include "app/FrameCapture.h"

#include "app/MyOpenGLView.h"
#include "diag/Diagnostics.h"
#include "host/Application.h"
#include "host/OpenGLView.h"
#include "host/media/Media.h"
#include "host/media/MediaWriter.h"

#include <GL/gl.h>
#include <algorithm>

namespace dravin {

std::vector<uint32_t> readBackBuffer(int width, int height) {
    if (width <= 0 || height <= 0 || int64_t(width) * height > host::kMediaMaxPixels)
        return {};
    const size_t row = size_t(width);
    std::vector<uint32_t> pixels(row * size_t(height));
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glPixelStorei(GL_PACK_SKIP_ROWS, 0);
    glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
    glReadBuffer(GL_BACK);
    // One native-order word a pixel, alpha in the top byte: the media layer's layout.
    glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, pixels.data());
    glPopClientAttrib();
    // GL's rows run bottom up; pictures run top down.
    for (size_t top = 0, bottom = size_t(height) - 1; top < bottom; ++top, --bottom)
        std::swap_ranges(pixels.begin() + top * row, pixels.begin() + (top + 1) * row,
                         pixels.begin() + bottom * row);
    return pixels;
}

void stopAfterFrames(int frames, const std::string& screenshot, const std::string& program) {
    host::Application::shared().setFrameHook(
        [frames, screenshot, program, drawn = 0](host::OpenGLView& view) mutable {
            // Frames drawn after the last one, before the loop ends, change
            // nothing; frames on the way to the world do not count.
            const auto* scene = dynamic_cast<const MyOpenGLView*>(&view);
            if ((scene && scene->isPreparing()) || drawn >= frames || ++drawn < frames)
                return;
            int status = 0;
            if (!screenshot.empty()) {
                const host::Rect size = view.bounds();
                const int width = int(size.width), height = int(size.height);
                const std::vector<uint32_t> pixels = readBackBuffer(width, height);
                if (pixels.empty() || host::MediaWriteImage(screenshot, host::kMediaTypePNG, width,
                                                            height, pixels.data(), false) != 0) {
                    diag::err("%s: could not write the screenshot %s\n", program.c_str(),
                              screenshot.c_str());
                    status = 1;
                }
            }
            host::Application::shared().stop(status);
        });
}

} // namespace dravin
