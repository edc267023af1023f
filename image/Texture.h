// A 2D texture made from one image file of the resource directory, whose pixels
// OpenGL reads from the image's own buffer (client storage where the GL has it).
#pragma once

#include "image/QTImage.h"

#include <GL/gl.h>
#include <cstdint>
#include <memory>
#include <string>

class Texture {
  public:
    // "default.tif", 64 x 64.
    Texture();
    // whatImage names a file in the resource directory; the size is the
    // texture's own, a power of two no larger than 1024 and than the image's
    // size raised to powers of two. Needs a current GL context. An image that
    // is identified but cannot be drawn ends the process with status 1.
    Texture(const std::string& whatImage, int16_t whatWidth, int16_t whatHeight);
    // Deletes the GL texture before the buffer it reads from goes.
    ~Texture();
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    // The new image under a new texture name; the old name is deleted.
    Texture& changeToImageName(const std::string& whatImage, int16_t whatWidth, int16_t whatHeight);

    // For glBindTexture(GL_TEXTURE_2D, texture()).
    GLuint texture() const { return texture_; }

  protected:
    // The GL texture name: 0 until the first upload.
    GLuint texture_{};
    // The image whose buffer is the texture's storage; null when the file failed to open.
    std::unique_ptr<QTImage> textureImage;
    int16_t width{};
    int16_t height{};

  private:
    void load(const std::string& whatImage, int16_t whatWidth, int16_t whatHeight);
};
