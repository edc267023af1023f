// The pixel-format list and what the window does when the platform cannot
// give all of it, on the null platform.
#include "host/PixelFormat.h"
#include "host/OpenGLView.h"
#include "host/Window.h"
#include "host/platform/NullPlatform.h"
#include "tests/support/CapturedOutput.h"

#include <gtest/gtest.h>
#include <string>

TEST(PixelFormat, ReadsAttributesWithTheirArgumentsUpToTheEnd) {
    const uint32_t list[] = {73, 72, 80, 5, 8, 24, 11, 8, 12, 16, 13, 1, 0, 13, 8};
    host::PixelFormat f(list);
    EXPECT_TRUE(f.accelerated && f.noRecovery && f.window && f.doubleBuffer);
    EXPECT_EQ(f.colorSize, 24);
    EXPECT_EQ(f.alphaSize, 8);
    EXPECT_EQ(f.depthSize, 16);
    EXPECT_EQ(f.stencilSize, 1); // nothing after the terminating 0 is read
    const uint32_t cut[] = {13, 0};
    EXPECT_EQ(host::PixelFormat(cut).stencilSize, 0);
}

TEST(PixelFormat, EachDroppedAttributeIsNamedOnceAndNoContextAtAllIsAnError) {
    const std::string accel =
        "warning: no accelerated renderer offers this pixel format; using another renderer\n";
    const std::string noStencil =
        "warning: no stencil buffer available; stencilled drawing will not be clipped\n";
    const struct {
        const char* name;
        bool accelerated, gl;
        int maxStencil, stencilGiven;
        bool ok;
        std::string log;
    } cases[] = {
        {"all offered", true, true, 8, -1, true, ""},
        {"no accelerated renderer", false, true, 8, -1, true, accel},
        {"no stencil", true, true, 0, 0, true, noStencil},
        {"neither", false, true, 0, 0, true, accel + noStencil},
        {"fewer stencil bits", true, true, 8, 1, true,
         "warning: the GL context has 1 stencil bits of the 4 asked for\n"},
        {"no GL", true, false, 8, -1, false,
         "error: no OpenGL context could be created: the null platform offers no such GL "
         "context\n"},
    };
    auto& null = host::platform::useNullPlatform();
    // Accelerated, 24-bit colour, 16-bit depth, 4 stencil bits.
    const uint32_t list[] = {73, 5, 8, 24, 12, 16, 13, 4, 0};
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
        EXPECT_EQ(view.initWithFrame({0, 0, 64, 64}, host::PixelFormat(list)), c.ok);
        EXPECT_EQ(view.lacksContext(), !c.ok);
        EXPECT_EQ(captured.log(), c.log);
    }
}
