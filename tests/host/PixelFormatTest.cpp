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
    // What the platform offers, and the log that says what the view did without.
    // clang-format off
    const std::pair<host::platform::NullPlatform::Offer, std::string> cases[] = {
        {{}, ""},
        {{.accelerated = false}, "warning: no accelerated renderer offers this pixel format; using another renderer\n"},
        {{.maxStencil = 0, .stencilGiven = 0}, "warning: no stencil buffer available; stencilled drawing will not be clipped\n"},
        {{.stencilGiven = 1}, "warning: the GL context has 1 stencil bits of the 4 asked for\n"},
        {{.gl = false}, "error: no OpenGL context could be created: the null platform offers no such GL context\n"},
    };
    // clang-format on
    auto& null = host::platform::useNullPlatform();
    // Accelerated, 24-bit colour, 16-bit depth, 4 stencil bits; nothing after the 0 is read.
    const uint32_t list[] = {73, 5, 8, 24, 12, 16, 13, 4, 0, 13, 8};
    for (const auto& [offer, log] : cases) {
        SCOPED_TRACE(log);
        null.offer = offer;
        host::Window window({0, 0, 64, 64}, host::NSTitledWindowMask, host::BackingStore::buffered,
                            false);
        host::OpenGLView view;
        window.setContentView(&view);
        test::CapturedOutput captured;
        EXPECT_EQ(view.initWithFrame({0, 0, 64, 64}, host::PixelFormat(list)), offer.gl);
        EXPECT_EQ(view.lacksContext(), !offer.gl);
        EXPECT_EQ(captured.log(), log);
    }
}
