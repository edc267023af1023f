#include "host/OffscreenContext.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

TEST(OffscreenContext, GivesACompatibilityContextWithDepthAndStencil) {
    host::OffscreenContext gl(64, 32);
    ASSERT_TRUE(gl.valid());
    GLint stencil = 0, depth = 0;
    glGetIntegerv(GL_STENCIL_BITS, &stencil);
    glGetIntegerv(GL_DEPTH_BITS, &depth);
    EXPECT_GE(stencil, 1);
    EXPECT_GE(depth, 16);
    // Display lists exist only in a compatibility context.
    GLuint list = glGenLists(1);
    EXPECT_NE(list, 0u);
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    unsigned char px[4] = {};
    glReadPixels(3, 3, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
    EXPECT_EQ(px[0], 255);
    EXPECT_EQ(px[1], 0);
}
