// The pixel-format list and what the window does when the platform cannot
// give all of it, on the null platform.
#include "host/PixelFormat.h"
#include "host/OpenGLView.h"
#include "host/Window.h"
#include "host/platform/NullPlatform.h"
#include "tests/support/CapturedOutput.h"

#include <gtest/gtest.h>
#include <string>

TEST(PixelFormat, EachDroppedAttributeIsNamedOnceAndNoContextAtAllIsAnError) {
    const std::string accel =
        "warning: no accelerated renderer offers this pixel format; using another renderer\n";
    const std::string noStencil =
        "warning: no stencil buffer available; stencilled drawing will not be clipped\n";
    const struct {
        const char* name;
        bool accelerated, gl;
        int maxStencil, stencilGiven;
        std::string log;
    } cases[] = {
        {"all offered", true, true, 8, -1, ""},
        {"no accelerated renderer", false, true, 8, -1, accel},
        {"no stencil", true, true, 0, 0, noStencil},
        {"neither", false, true, 0, 0, accel + noStencil},
        {"fewer stencil bits", true, true, 8, 1,
         "warning: the GL context has 1 stencil bits of the 4 asked for\n"},
        {"no GL", true, false, 8, -1,
         "error: no OpenGL context could be created: the null platform offers no such GL "
         "context\n"},
    };
    auto& null = host::platform::useNullPlatform();
    // Accelerated, 24-bit colour, 16-bit depth, 4 stencil bits; nothing after the 0 is read.
    const uint32_t list[] = {73, 5, 8, 24, 12, 16, 13, 4, 0, 13, 8};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        null.offer.accelerated = c.accelerated;
        null.offer.gl = c.gl;
        null.offer.maxStencil = c.maxStencil;
        null.offer.stencilGiven = c.stencilGiven;
        host::Window window({0, 0, 64, 64}, host::NSTitledWindowMask, host::BackingStore::buffered,
                            false);
        host::OpenGLView view;
        window.setContentView(&view);
        test::CapturedOutput captured;
        EXPECT_EQ(view.initWithFrame({0, 0, 64, 64}, host::PixelFormat(list)), c.gl);
        EXPECT_EQ(view.lacksContext(), !c.gl);
        EXPECT_EQ(captured.log(), c.log);
    }
}
