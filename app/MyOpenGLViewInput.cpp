// Projection, pointer mapping, focus and the working directory.
#include "app/MyOpenGLView.h"
#include "diag/Diagnostics.h"

#include "host/Files.h"
#include "host/Window.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <cstdio>
#include <unistd.h>

void MyOpenGLView::sizeGLWithWidth(int width, int height) {
    // A view without area has no aspect ratio; keep the last projection
    // until a usable size arrives.
    if (width <= 0 || height <= 0)
        return;
    float ratio = static_cast<float>(height) / static_cast<float>(width);
    glFinish();
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    float aspect = 1.0f / ratio;
    gluPerspective(30.0, static_cast<double>(aspect), 1.0, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void MyOpenGLView::reshape() {
    host::Rect f = frame();
    sizeGLWithWidth(static_cast<int32_t>(f.width), static_cast<int32_t>(f.height));
    diag::err("reshape\n");
}

void MyOpenGLView::keyDown(const host::Event& event) {
    // Keys are taken and ignored: none of them ends or changes anything.
    (void)event.characters;
}

void MyOpenGLView::storeMouseLocation(const host::Event& event) {
    host::Rect f = frame();
    float x = event.locationInWindow.x - f.x;
    float y = event.locationInWindow.y - f.y;
    x = x / f.width;
    y = y / f.height;
    mouseLoc.x = x + x - 1;
    mouseLoc.y = y + y - 1;
}

void MyOpenGLView::mouseMoved(const host::Event& event) {
    storeMouseLocation(event);
}

void MyOpenGLView::mouseDragged(const host::Event& event) {
    storeMouseLocation(event);
}

void MyOpenGLView::mouseDown(const host::Event&) {
    diag::out("mouseDown\n");
}

bool MyOpenGLView::acceptsFirstResponder() {
    return true;
}

bool MyOpenGLView::becomeFirstResponder() {
    if (host::Window* w = window())
        w->setAcceptsMouseMovedEvents(true);
    return true;
}

bool MyOpenGLView::resignFirstResponder() {
    if (host::Window* w = window())
        w->setAcceptsMouseMovedEvents(false);
    return true;
}

void MyOpenGLView::changeToApplicationPath() {
    // On failure the process keeps its working directory; the files the
    // scene opens then report themselves missing.
    [[maybe_unused]] int result = chdir(host::resourcePath().c_str());
}
