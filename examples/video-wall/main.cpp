// A movie on a wall: a VideoTexture on a quad, the frame chosen by a normalised
// time that the calculation loop advances.
#include "app/Run.h"
#include "image/VideoTexture.h"

#include <GL/gl.h>
#include <atomic>
#include <memory>

class VideoWall : public MyOpenGLView {
    std::unique_ptr<VideoTexture> movie;
    // 0 at the movie's start, 1 at its end; written by the calculation thread.
    std::atomic<float> time{0.0f};

    void initGLParam() override {
        MyOpenGLView::initGLParam();
        glClearColor(0.08f, 0.08f, 0.1f, 1.0f);
    }

    void initWorld() override {
        // All 48 frames of the 128 x 128 movie, sampled once into memory.
        movie = std::make_unique<VideoTexture>("wall.mov", 128, 128, 48);
    }

    // Two seconds a loop at about 100 steps a second.
    void calcWorld() override {
        const float next = time + 0.005f;
        time = next >= 1.0f ? 0.0f : next;
    }

    void drawWorld(const host::Rect&) override {
        if (!movie) // a frame asked for while the window opens, before initWorld
            return;
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        glTranslatef(0.0f, 0.0f, -5.5f);
        glRotatef(-20.0f, 0.0f, 1.0f, 0.0f);
        movie->gotoFrameWithNTime(time); // binds the texture
        glEnable(GL_TEXTURE_2D);
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        glBegin(GL_QUADS); // frame 0's top row is the texture's first row
        glTexCoord2f(0.0f, 1.0f);
        glVertex3f(-1.0f, -1.0f, 0.0f);
        glTexCoord2f(1.0f, 1.0f);
        glVertex3f(1.0f, -1.0f, 0.0f);
        glTexCoord2f(1.0f, 0.0f);
        glVertex3f(1.0f, 1.0f, 0.0f);
        glTexCoord2f(0.0f, 0.0f);
        glVertex3f(-1.0f, 1.0f, 0.0f);
        glEnd();
        glDisable(GL_TEXTURE_2D);
        openGLContext()->flushBuffer();
    }
};

int main(int argc, char** argv) {
    return dravin::run<VideoWall>(argc, argv);
}
