// A scene whose first frame waits: its world is made only once a line can be
// read from the file FIRST_FRAME_GATE names (a FIFO the test writes when it has
// seen the window), and then every frame is plain red. So the window can be
// looked at, shown and full screen, before anything of the scene is drawn.
#include "app/MyOpenGLView.h"
#include "app/Run.h"

#include <GL/gl.h>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

class LateView : public MyOpenGLView {
  public:
    void initWorld() override {
        std::string line;
        if (const char* gate = std::getenv("FIRST_FRAME_GATE"))
            std::getline(std::ifstream(gate), line);
        ready_ = true;
    }

    void drawWorld(const host::Rect&) override {
        if (!ready_)
            return;
        if (host::OpenGLContext* context = openGLContext()) {
            context->makeCurrentContext();
            glClearColor(1, 0, 0, 1);
            glClear(GL_COLOR_BUFFER_BIT);
            context->flushBuffer();
        }
    }

  private:
    bool ready_{};
};

} // namespace

int main(int argc, char** argv) {
    return dravin::run<LateView>(argc, argv);
}
