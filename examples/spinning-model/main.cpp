// The smallest scene: a model turned a little at every calculation step and
// drawn at every frame.
#include "app/Run.h"
#include "mesh/MyOBJ.h"

#include <GL/gl.h>
#include <atomic>
#include <memory>

class SpinningModel : public MyOpenGLView {
    std::unique_ptr<MyOBJ> model;
    std::atomic<float> degrees{30.0f};

    void initGLParam() override {
        MyOpenGLView::initGLParam();
        glClearColor(0.1f, 0.12f, 0.18f, 1.0f);
        const GLfloat atTheEye[] = {0.0f, 0.0f, 0.0f, 1.0f};
        glLightfv(GL_LIGHT0, GL_POSITION, atTheEye);
        glEnable(GL_LIGHT0);
        glEnable(GL_LIGHTING);
        glEnable(GL_NORMALIZE);
    }

    // Main thread, once, before the loops start.
    void initWorld() override {
        model = std::make_unique<MyOBJ>();
        model->setRendersFaces(true);
        model->setRendersMaterials(true);
        model->loadOBJFile("model.obj"); // from Resources/ beside the program
    }

    // The calculation thread, about 100 times a second: no GL here.
    void calcWorld() override { degrees = degrees + 0.5f; }

    // The main thread, with the context current. The window may ask for a
    // frame while it opens, before initWorld.
    void drawWorld(const host::Rect&) override {
        if (!model)
            return;
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        glTranslatef(0.0f, 0.0f, -9.0f);
        glRotatef(degrees, 0.2f, 1.0f, 0.0f);
        model->render();
        openGLContext()->flushBuffer();
    }
};

int main(int argc, char** argv) {
    return dravin::run<SpinningModel>(argc, argv);
}
