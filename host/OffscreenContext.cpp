#include "host/OffscreenContext.h"

#include "diag/Diagnostics.h"
#include "host/SdlVideo.h"

#include <SDL.h>

namespace host {

OffscreenContext::OffscreenContext(int width, int height) : width_(width), height_(height) {
    if (!initVideo(/*preferOffscreen=*/true))
        return;
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    SDL_Window* window =
        SDL_CreateWindow("offscreen", 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!window) {
        diag::log("offscreen GL window failed: %s", SDL_GetError());
        return;
    }
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (!context) {
        diag::log("offscreen GL context failed: %s", SDL_GetError());
        SDL_DestroyWindow(window);
        return;
    }
    window_ = window;
    context_ = context;
    SDL_GL_MakeCurrent(window, context);
}

OffscreenContext::~OffscreenContext() {
    if (context_)
        SDL_GL_DeleteContext(static_cast<SDL_GLContext>(context_));
    if (window_)
        SDL_DestroyWindow(static_cast<SDL_Window*>(window_));
}

void OffscreenContext::makeCurrent() {
    SDL_GL_MakeCurrent(static_cast<SDL_Window*>(window_), static_cast<SDL_GLContext>(context_));
}

void OffscreenContext::swapBuffers() {
    SDL_GL_SwapWindow(static_cast<SDL_Window*>(window_));
}

} // namespace host
