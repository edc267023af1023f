#include "image/Texture.h"
#include "tests/image/MediaFiles.h"

#include <tuple>

using TextureGL = GLContext;

TEST_F(TextureGL, UploadsWidthByHeightButNoMoreThanTheBufferHoldsAndAChangeDeletesTheOldName) {
    const auto wide = quadrants(128, 32, {0xff010000, 0xff020000, 0xff030000, 0xff040000});
    ASSERT_TRUE(writeSolid("default.tif", 64, ARGB(255, 250, 0, 0), host::kMediaTypeTIFF) &&
                writeSolid("small.png", 100, 0) &&
                writeImage("wide.png", host::kMediaTypePNG, 128, 32, wide));
    Texture other;   // holds a name, so the changed texture's old one is not simply reused
    Texture texture; // the default: the TIFF at 64
    EXPECT_NE(texture.texture(), other.texture());
    EXPECT_EQ(boundSides(), std::pair(64, 64));
    // Changed to: image, requested and uploaded sides, output: an image smaller
    // than asked, no image (the process goes on), and a picture wider than tall.
    const std::tuple<const char*, int16_t, int16_t, GLint, GLint, std::string> cases[] = {
        // clang-format off
        {"small.png", 512, 512, 128, 128, ""}, {"missing.png", 64, 64, 0, 0, "image create failed"},
        {"wide.png", 128, 32, 128, 32, ""}};
    // clang-format on
    for (const auto& [name, w, h, uploadedW, uploadedH, out] : cases) {
        test::CapturedOutput output;
        const GLuint old = texture.texture();
        texture.changeToImageName(name, w, h);
        EXPECT_EQ(output.out(), out);
        EXPECT_TRUE(texture.texture() == old || !glIsTexture(old));
        // The bound texture is this one, configured even without an image:
        // magnified texels blend linearly, and so do minified ones.
        for (GLenum which : {GL_TEXTURE_MIN_FILTER, GL_TEXTURE_MAG_FILTER}) {
            GLint filter = 0;
            glGetTexParameteriv(GL_TEXTURE_2D, which, &filter);
            EXPECT_EQ(filter, GL_LINEAR) << name;
        }
        EXPECT_EQ(boundSides(), std::pair(uploadedW, uploadedH)) << name;
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }
    EXPECT_TRUE(boundTexels() == wide); // row by row as written
}

TEST_F(TextureGL, IdentifiedImageThatCannotBeDrawnEndsTheProcessWithStatusOne) {
    ASSERT_TRUE(writeSolid("cut.png", 64, ARGB(255, 1, 2, 3)));
    fs::resize_file("cut.png", 40); // cut after its header: identified, not drawable
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // The message goes to standard output; the child sends it where the check looks.
    EXPECT_EXIT(
        {
            dup2(STDERR_FILENO, STDOUT_FILENO);
            Texture texture("cut.png", 64, 64);
        },
        ::testing::ExitedWithCode(1), "image load failed$");
}
