#include "app/FrameCapture.h"

#include "app/MyOpenGLView.h"
#include "app/Recording.h"
#include "diag/Diagnostics.h"
#include "host/Application.h"
#include "host/OpenGLView.h"
#include "host/media/Media.h"
#include "host/media/MediaWriter.h"

#include <GL/gl.h>
#include <algorithm>
#include <memory>

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

bool captureFrames(const CommandLine& options) {
    std::shared_ptr<Recorder> recorder;
    host::Application& app = host::Application::shared();
    const std::string& program = options.program;
    if (!options.record.empty()) {
        recorder = std::make_shared<Recorder>();
        const std::string wrong = recorder->start(options.record, options.fps, options.frames);
        if (!wrong.empty()) {
            diag::err("%s: cannot record to %s: %s\n", program.c_str(), options.record.c_str(),
                      wrong.c_str());
            return false;
        }
        app.setEndHook([recorder, program, path = options.record](int status) {
            const std::string wrong = recorder->finish();
            if (!wrong.empty()) {
                diag::err("%s: could not record to %s: %s\n", program.c_str(), path.c_str(),
                          wrong.c_str());
                return 1;
            }
            if (recorder->dropped() > 0)
                diag::err("%s: %d frames dropped from %s: the encoder could not keep up\n",
                          program.c_str(), recorder->dropped(), path.c_str());
            return status;
        });
    } else if (options.frames == 0) {
        return true;
    }
    app.setFrameHook([frames = options.frames, screenshot = options.screenshot, program, recorder,
                      drawn = 0](host::OpenGLView& view) mutable {
        // Frames drawn after the last one, before the loop ends, change
        // nothing; frames on the way to the world do not count.
        const auto* scene = dynamic_cast<const MyOpenGLView*>(&view);
        if ((scene && scene->isPreparing()) || (frames > 0 && drawn >= frames))
            return;
        ++drawn;
        const bool last = drawn == frames;
        if (!recorder && !last)
            return;
        const host::Rect size = view.bounds();
        const int width = int(size.width), height = int(size.height);
        std::vector<uint32_t> pixels;
        if (recorder || !screenshot.empty())
            pixels = readBackBuffer(width, height);
        int status = 0;
        if (last && !screenshot.empty() &&
            (pixels.empty() || host::MediaWriteImage(screenshot, host::kMediaTypePNG, width, height,
                                                     pixels.data(), false) != 0)) {
            diag::err("%s: could not write the screenshot %s\n", program.c_str(),
                      screenshot.c_str());
            status = 1;
        }
        if (recorder) {
            if (!pixels.empty())
                recorder->add(std::move(pixels), width, height,
                              host::Application::shared().drawsOffscreen());
            // The reason is given as the recording ends.
            if (recorder->failed()) {
                host::Application::shared().stop(1);
                return;
            }
        }
        if (last)
            host::Application::shared().stop(status);
    });
    return true;
}

} // namespace dravin
