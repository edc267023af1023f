#include "diag/Diagnostics.h"
#include "image/Texture.h"

#include "image/GLUpload.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

Texture::Texture() : Texture("default.tif", 64, 64) {}

Texture::Texture(const std::string& whatImage, int16_t whatWidth, int16_t whatHeight) {
    load(whatImage, whatWidth, whatHeight);
}

Texture::~Texture() {
    if (texture_)
        glDeleteTextures(1, &texture_);
}

Texture& Texture::changeToImageName(const std::string& whatImage, int16_t whatWidth,
                                    int16_t whatHeight) {
    load(whatImage, whatWidth, whatHeight);
    return *this;
}

void Texture::load(const std::string& whatImage, int16_t whatWidth, int16_t whatHeight) {
    width = whatWidth;
    height = whatHeight;
    std::string path = std::string("../Resources/") + whatImage;
    std::unique_ptr<QTImage> image = QTImage::imageFromPath(path);
    if (image) {
        image->LoadImageData();
        image->CreateImageWithBitdepth(32, whatWidth, whatHeight);
        if (!image->image_loaded) {
            diag::out("image load failed");
            std::exit(1);
        }
    } else {
        diag::out("image create failed");
    }
    // The old image stays until its texture name is gone: GL may still read
    // the old texture's pixels from its buffer.
    std::unique_ptr<QTImage> previous = std::move(textureImage);
    textureImage = std::move(image);

    glDeleteTextures(1, &texture_);
    glGenTextures(1, &texture_);
    glBindTexture(GL_TEXTURE_2D, texture_);
    image::configureBoundTexture();

    // Never more pixels than the buffer holds: an image smaller than asked, or
    // a request above the largest buffer, uploads the buffer's own size.
    if (textureImage && textureImage->aligned_buffer_ptr) {
        GLsizei uploadWidth = std::min<GLsizei>(width, GLsizei(textureImage->buffer_size.width));
        GLsizei uploadHeight = std::min<GLsizei>(height, GLsizei(textureImage->buffer_size.height));
        if (uploadWidth > 0 && uploadHeight > 0)
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, uploadWidth, uploadHeight, 0, GL_BGRA,
                         GL_UNSIGNED_INT_8_8_8_8_REV, textureImage->aligned_buffer_ptr);
    }
    previous.reset();
}
