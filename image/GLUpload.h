// Internal to image/: texture set-up shared by the image and video textures.
#pragma once

#include <GL/gl.h>

namespace image {

inline constexpr GLenum kUnpackClientStorage = 0x85B2; // GL_UNPACK_CLIENT_STORAGE_APPLE

// True when the current context has GL_APPLE_client_storage. Asking for the
// setting without it only leaves GL_INVALID_ENUM behind for the next caller.
bool hasClientStorage();

// Priority 1, client storage where there is such a thing, linear filters,
// clamp-to-edge wrapping and row length 0, on the texture bound to GL_TEXTURE_2D.
void configureBoundTexture();

} // namespace image
