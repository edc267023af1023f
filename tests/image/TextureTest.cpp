#include "image/Texture.h"
#include "tests/image/MediaFiles.h"

#include <cstring>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

using namespace testmedia;

struct PeekTexture : Texture {
    using Texture::Texture;
    const QTImage* image() const { return textureImage.get(); }
};

class TextureGL : public GLContext {};

TEST_F(TextureGL, DefaultTifTexelsEqualTheBufferAndAChangeDeletesTheOldName) {
    ASSERT_TRUE(writeImage("default.tif", host::kMediaTypeTIFF, 64, 64,
                           quadrants(64, 64, ARGB(255, 250, 0, 0), ARGB(128, 0, 250, 0),
                                     ARGB(64, 0, 0, 250), ARGB(0, 9, 9, 9))));
    Texture other;       // holds a name, so the changed texture's old one is not simply reused
    PeekTexture texture; // left bound
    ASSERT_TRUE(texture.image());
    EXPECT_NE(texture.texture(), other.texture());
    auto texels = boundTexels();
    ASSERT_EQ(texels.size(), 64u * 64u);
    EXPECT_EQ(std::memcmp(texels.data(), texture.image()->aligned_buffer_ptr, 64 * 64 * 4), 0);
    EXPECT_EQ(texels[0], ARGB(255, 250, 0, 0)); // top row first
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    ASSERT_TRUE(writeSolid("b.png", 128, ARGB(255, 7, 8, 9)));
    GLuint old = texture.texture();
    texture.changeToImageName("b.png", 128, 128);
    EXPECT_TRUE(texture.texture() == old || !glIsTexture(old));
    EXPECT_EQ(boundSize(GL_TEXTURE_WIDTH), 128);
    EXPECT_EQ(boundTexels()[0], ARGB(255, 7, 8, 9));
}

TEST_F(TextureGL, UploadsNoMoreThanTheBufferHoldsAndNothingWithoutOne) {
    ASSERT_TRUE(writeSolid("small.png", 100, 0) && writeSolid("huge.png", 2000, 0));
    // Image, requested side, uploaded side, output: an image smaller than asked,
    // a request above the largest buffer, and no image (the process goes on).
    const std::tuple<const char*, int16_t, GLint, std::string> cases[] = {
        {"small.png", 512, 128, ""},
        {"huge.png", 2048, 1024, ""},
        {"missing.png", 64, 0, "image create failed"}};
    for (const auto& [name, request, uploaded, out] : cases) {
        testing::internal::CaptureStdout();
        Texture texture(name, request, request);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), out);
        // The bound texture is this one, configured even without an image.
        GLint minFilter = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
        EXPECT_EQ(minFilter, GL_LINEAR) << name;
        EXPECT_EQ(boundSize(GL_TEXTURE_WIDTH), uploaded) << name;
        EXPECT_EQ(boundSize(GL_TEXTURE_HEIGHT), uploaded) << name;
    }
}

TEST_F(TextureGL, IdentifiedImageThatCannotBeDrawnEndsTheProcessWithStatusOne) {
    ASSERT_TRUE(writeCutPng("cut.png"));
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // The message goes to standard output; the child sends it where the check looks.
    EXPECT_EXIT(
        {
            dup2(STDERR_FILENO, STDOUT_FILENO);
            Texture texture("cut.png", 64, 64);
        },
        ::testing::ExitedWithCode(1), "image load failed$");
}

} // namespace
