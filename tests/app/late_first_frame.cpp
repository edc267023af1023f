// A scene whose first frame waits: its world is made once a line can be read
// from the file FIRST_FRAME_GATE names (a FIFO the test writes when it has
// looked at the window), and then every frame is plain red.
#include "app/Run.h"

#include <GL/gl.h>
#include <cstdlib>
#include <fstream>
#include <string>

struct LateView : MyOpenGLView {
    bool ready = false;
    void initWorld() override {
        std::string line;
        std::getline(std::ifstream(std::getenv("FIRST_FRAME_GATE")), line);
        ready = true;
    }
    void drawWorld(const host::Rect&) override {
        if (!ready)
            return;
        glClearColor(1, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        openGLContext()->flushBuffer();
    }
};

int main(int argc, char** argv) {
    return dravin::run<LateView>(argc, argv);
}
