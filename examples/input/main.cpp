// The events the host delivers, shown on screen: a marker follows the
// pointer, fills while a button is held (its colour names the button) and
// grows or shrinks with the wheel; every key adds a block to a row of the last
// sixteen, coloured by the key's character, and is printed.
#include "app/Run.h"

#include <GL/gl.h>
#include <algorithm>
#include <cstdio>
#include <deque>
#include <string>

class InputScene : public MyOpenGLView {
    // Every field is read and written on the main thread only.
    int heldButton = -1;
    float markerSize = 0.08f;
    std::deque<std::string> keys;

    void initGLParam() override {
        MyOpenGLView::initGLParam();
        glClearColor(0.12f, 0.14f, 0.2f, 1.0f);
    }

    bool acceptsFirstResponder() override { return true; }

    void mouseDown(const host::Event& event) override { press(event); }
    void otherMouseDown(const host::Event& event) override { press(event); }
    void mouseUp(const host::Event&) override { heldButton = -1; }
    void otherMouseUp(const host::Event&) override { heldButton = -1; }
    void otherMouseDragged(const host::Event& event) override { mouseDragged(event); }
    void scrollWheel(const host::Event& event) override {
        markerSize =
            std::min(0.5f, std::max(0.02f, markerSize * (event.deltaY > 0 ? 1.25f : 0.8f)));
    }
    void keyDown(const host::Event& event) override {
        std::printf("key: %s\n", printable(event.characters).c_str());
        keys.push_back(event.characters);
        if (keys.size() > 16)
            keys.pop_front();
    }

    void press(const host::Event& event) {
        heldButton = event.buttonNumber;
        std::printf("button %d at %.2f, %.2f\n", event.buttonNumber, mouseLoc.x, mouseLoc.y);
    }

    static std::string printable(const std::string& characters) {
        if (characters == "\x1b")
            return "Escape";
        if (characters == "\r")
            return "Return";
        return characters.empty() ? "(no character)" : characters;
    }

    static void square(float x, float y, float half) {
        glVertex2f(x - half, y - half);
        glVertex2f(x + half, y - half);
        glVertex2f(x + half, y + half);
        glVertex2f(x - half, y + half);
    }

    // The pointer's -1 ... +1 coordinates are the view's, so draw in them.
    void drawWorld(const host::Rect&) override {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_DEPTH_TEST);

        glColor3f(0.4f, 0.45f, 0.55f); // the sixteen places of the key row
        for (int i = 0; i < 16; ++i) {
            glBegin(GL_LINE_LOOP);
            square(-0.9f + 0.115f * float(i), -0.85f, 0.05f);
            glEnd();
        }
        for (size_t i = 0; i < keys.size(); ++i) {
            const unsigned code = keys[i].empty() ? 0u : static_cast<unsigned char>(keys[i][0]);
            glColor3f(float(code * 37 % 256) / 255, float(code * 91 % 256) / 255,
                      float(code * 53 % 256) / 255);
            glBegin(GL_QUADS);
            square(-0.9f + 0.115f * float(i), -0.85f, 0.05f);
            glEnd();
        }

        static const GLfloat buttonColours[][3] = {
            {1, 0.4f, 0.3f}, {0.3f, 0.9f, 0.4f}, {0.3f, 0.6f, 1}};
        if (heldButton >= 0)
            glColor3fv(buttonColours[heldButton % 3]);
        else
            glColor3f(1, 1, 1);
        glBegin(heldButton >= 0 ? GL_QUADS : GL_LINE_LOOP);
        square(mouseLoc.x, mouseLoc.y, markerSize);
        glEnd();
        glBegin(GL_LINES);
        glVertex2f(mouseLoc.x - 2 * markerSize, mouseLoc.y);
        glVertex2f(mouseLoc.x + 2 * markerSize, mouseLoc.y);
        glVertex2f(mouseLoc.x, mouseLoc.y - 2 * markerSize);
        glVertex2f(mouseLoc.x, mouseLoc.y + 2 * markerSize);
        glEnd();

        glEnable(GL_DEPTH_TEST);
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
        openGLContext()->flushBuffer();
    }
};

int main(int argc, char** argv) {
    return dravin::run<InputScene>(argc, argv);
}
