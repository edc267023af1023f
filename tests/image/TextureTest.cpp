#include "image/Texture.h"
#include "host/OffscreenContext.h"
#include "tests/image/MediaFiles.h"

#include <GL/gl.h>
#include <cstring>
#include <gtest/gtest.h>
#include <unistd.h>
#include <vector>

#ifndef GL_BGRA
#define GL_BGRA 0x80E1
#endif
#ifndef GL_UNSIGNED_INT_8_8_8_8_REV
#define GL_UNSIGNED_INT_8_8_8_8_REV 0x8367
#endif

namespace {

using testmedia::ARGB;

struct PeekTexture : Texture {
    using Texture::Texture;
    const QTImage* image() const { return textureImage.get(); }
};

GLint levelSize(GLenum which) {
    GLint v = -1;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, which, &v);
    return v;
}

std::vector<uint32_t> readBoundTexture() {
    std::vector<uint32_t> texels(size_t(levelSize(GL_TEXTURE_WIDTH)) *
                                 size_t(levelSize(GL_TEXTURE_HEIGHT)));
    glGetTexImage(GL_TEXTURE_2D, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, texels.data());
    return texels;
}

class TextureTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gl.valid());
        auto pixels = testmedia::quadrants(64, 32, ARGB(255, 250, 0, 0), ARGB(128, 0, 250, 0),
                                           ARGB(64, 0, 0, 250), ARGB(0, 9, 9, 9));
        ASSERT_TRUE(testmedia::writeImage(dir.path("quads.png"), host::kMediaTypePNG, 64, 32,
                                          pixels, true));
        ASSERT_TRUE(testmedia::writeSolidImage(dir.path("small.png"), host::kMediaTypePNG, 100, 100,
                                               ARGB(255, 7, 8, 9)));
    }
    host::OffscreenContext gl{64, 64};
    testmedia::ResourceDir dir;
};

TEST_F(TextureTest, UploadedTexelsEqualTheBufferTopRowFirst) {
    PeekTexture texture("quads.png", 64, 32);
    ASSERT_TRUE(texture.image());
    glBindTexture(GL_TEXTURE_2D, texture.texture());
    EXPECT_EQ(levelSize(GL_TEXTURE_WIDTH), 64);
    EXPECT_EQ(levelSize(GL_TEXTURE_HEIGHT), 32);
    auto texels = readBoundTexture();
    ASSERT_EQ(texels.size(), 64u * 32u);
    EXPECT_EQ(std::memcmp(texels.data(), texture.image()->aligned_buffer_ptr, texels.size() * 4),
              0);
    EXPECT_EQ(texels[0], ARGB(255, 250, 0, 0));
    EXPECT_EQ(texels[64 * 31 + 63], ARGB(0, 9, 9, 9));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(TextureTest, DefaultIsSixtyFourSquareOfDefaultTif) {
    ASSERT_TRUE(testmedia::writeSolidImage(dir.path("default.tif"), host::kMediaTypeTIFF, 128, 128,
                                           ARGB(255, 1, 2, 3)));
    Texture texture;
    glBindTexture(GL_TEXTURE_2D, texture.texture());
    EXPECT_EQ(levelSize(GL_TEXTURE_WIDTH), 64);
    EXPECT_EQ(readBoundTexture()[100], ARGB(255, 1, 2, 3));
}

TEST_F(TextureTest, TwoTexturesGetDistinctNames) {
    Texture a("quads.png", 64, 32);
    Texture b("quads.png", 64, 32);
    EXPECT_NE(a.texture(), 0u);
    EXPECT_NE(a.texture(), b.texture());
}

TEST_F(TextureTest, ChangingTheImageDeletesTheOldNameAndShowsTheNewImage) {
    Texture keep("quads.png", 64, 32); // holds a name so the old one is not simply reused
    Texture texture("quads.png", 64, 32);
    GLuint old = texture.texture();
    texture.changeToImageName("small.png", 128, 128);
    EXPECT_NE(texture.texture(), 0u);
    if (texture.texture() != old) {
        EXPECT_FALSE(glIsTexture(old));
    }
    glBindTexture(GL_TEXTURE_2D, texture.texture());
    EXPECT_EQ(levelSize(GL_TEXTURE_WIDTH), 128);
    EXPECT_EQ(readBoundTexture()[0], ARGB(255, 7, 8, 9));
}

struct OversizeCase {
    const char* name;
    int16_t request;
    GLint uploaded;
};

TEST_F(TextureTest, UploadsNoMoreThanTheBufferHolds) {
    ASSERT_TRUE(testmedia::writeSolidImage(dir.path("huge.png"), host::kMediaTypePNG, 2000, 1500,
                                           ARGB(255, 5, 5, 5)));
    // An image smaller than asked, and a request above the largest buffer.
    const OversizeCase cases[] = {{"small.png", 512, 128}, {"huge.png", 2048, 1024}};
    for (const auto& c : cases) {
        Texture texture(c.name, c.request, c.request);
        glBindTexture(GL_TEXTURE_2D, texture.texture());
        EXPECT_EQ(levelSize(GL_TEXTURE_WIDTH), c.uploaded) << c.name;
        EXPECT_EQ(levelSize(GL_TEXTURE_HEIGHT), c.uploaded) << c.name;
    }
}

TEST_F(TextureTest, MissingFileSaysImageCreateFailedAndKeepsAConfiguredName) {
    testing::internal::CaptureStdout();
    Texture texture("missing.png", 64, 64);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "image create failed");
    EXPECT_TRUE(glIsTexture(texture.texture()));
    GLint minFilter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    EXPECT_EQ(minFilter, GL_LINEAR);
    GLint wrapS = 0, bound = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrapS);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(wrapS, 0x812F); // GL_CLAMP_TO_EDGE
    EXPECT_EQ(GLuint(bound), texture.texture());
    EXPECT_EQ(levelSize(GL_TEXTURE_WIDTH), 0); // nothing uploaded
}

TEST_F(TextureTest, IdentifiedImageThatCannotBeDrawnEndsTheProcessWithStatusOne) {
    std::vector<uint32_t> noisy(64 * 64);
    for (size_t i = 0; i < noisy.size(); ++i)
        noisy[i] = uint32_t(i * 2654435761u);
    ASSERT_TRUE(
        testmedia::writeImage(dir.path("whole.png"), host::kMediaTypePNG, 64, 64, noisy, true));
    ASSERT_TRUE(testmedia::writeTruncated(dir.path("whole.png"), dir.path("cut.png"), 300));
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
