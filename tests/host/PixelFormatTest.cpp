#include "host/PixelFormat.h"
#include "host/OpenGLView.h"
#include "host/Window.h"

#include <GL/gl.h>
#include <cstdlib>
#include <gtest/gtest.h>

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

TEST(PixelFormat, AFormatTheRendererCannotGiveFallsBackWithAWarning) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    // No renderer offers a 99-bit stencil buffer.
    const uint32_t list[] = {73, 72, 80, 5, 8, 24, 11, 8, 12, 16, 13, 99, 0};
    host::Window window({0, 0, 64, 64}, host::NSTitledWindowMask, host::BackingStore::buffered,
                        false);
    host::OpenGLView view;
    window.setContentView(&view);
    testing::internal::CaptureStderr();
    bool ok = view.initWithFrame({0, 0, 64, 64}, host::PixelFormat(list));
    std::string err = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(ok);
    EXPECT_EQ(err,
              "warning: no stencil buffer available; stencilled drawing will not be clipped\n");
    ASSERT_NE(view.openGLContext(), nullptr);
    GLint depth = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depth);
    EXPECT_GE(depth, 16);
}
