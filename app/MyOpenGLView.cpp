#include "app/MyOpenGLView.h"
#include "diag/Diagnostics.h"

#include "host/PixelFormat.h"
#include "host/Threads.h"
#include "host/Window.h"

#include <GL/gl.h>
#include <cstdio>

void MyOpenGLView::drawWorld(const host::Rect&) {}

void MyOpenGLView::initWithFrame(const host::Rect& frame) {
    diag::out("initWithFrame\n");
    changeToApplicationPath();

    const uint32_t attributes[13] = {
        host::NSOpenGLPFAAccelerated,
        host::NSOpenGLPFANoRecovery,
        host::NSOpenGLPFAWindow,
        host::NSOpenGLPFADoubleBuffer,
        host::NSOpenGLPFAColorSize,
        24,
        host::NSOpenGLPFAAlphaSize,
        8,
        host::NSOpenGLPFADepthSize,
        16,
        host::NSOpenGLPFAStencilSize,
        1,
        0,
    };
    // The host view makes its context current, so the projection below has
    // a context to go to.
    host::OpenGLView::initWithFrame(frame, host::PixelFormat(attributes));

    host::Rect f = this->frame();
    sizeGLWithWidth(static_cast<int32_t>(f.width), static_cast<int32_t>(f.height));
    initGLParam();
    calcsPerSecond = 100.0;
    drawsPerSecond = 1000.0;
    diag::out("/initWithFrame\n");
}

void MyOpenGLView::initGLParam() {
    if (host::OpenGLContext* context = openGLContext())
        context->makeCurrentContext();
    glDrawBuffer(GL_BACK);
    glClearColor(0, 0, 0, 0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glDisable(GL_LIGHTING);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_LINE_SMOOTH);
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
    glCullFace(GL_BACK);
    glEnable(GL_CULL_FACE);
    glDisable(GL_NORMALIZE);
    glEnable(0x809D); // GL_MULTISAMPLE
    // GL_MULTISAMPLE_FILTER_HINT_NV: where the extension is missing this only
    // raises an error flag; clear it so it is not mistaken for a later fault.
    glHint(0x8534, GL_NICEST);
    glGetError();
}

void MyOpenGLView::awakeFromNib() {
    diag::out("awakeFromNib\n");
    if (host::Window* w = window())
        w->setAcceptsMouseMovedEvents(true);
    initWorld();
    startThreads();
    diag::out("/awakeFromNib\n");
}

void MyOpenGLView::startThreads() {
    diag::out("startThreads\n");
    host::detachNewThread([this] { stepCalc(nullptr); });
    host::detachNewThread([this] { stepDraw(nullptr); });
    printFPSTimer = host::Timer::scheduledTimer(
        1.0, [this](host::Timer* timer) { printFPS(timer); }, true);
    diag::out("/startThreads\n");
}

void MyOpenGLView::stepCalc(void*) {
    for (;;) {
        calcWorld();
        calcFrames.fetch_add(1, std::memory_order_relaxed);
        host::sleepFor(1.0 / calcsPerSecond.load(std::memory_order_relaxed));
    }
}

void MyOpenGLView::stepDraw(void*) {
    for (;;) {
        drawRequests.fetch_add(1, std::memory_order_relaxed);
        host::performOnMainThread(
            [](void* view) { static_cast<MyOpenGLView*>(view)->mainThreadStepDraw(); }, this, true);
        host::sleepFor(1.0 / drawsPerSecond.load(std::memory_order_relaxed));
    }
}

void MyOpenGLView::mainThreadStepDraw() {
    setNeedsDisplay(true);
}

void MyOpenGLView::drawRect(const host::Rect& rect) {
    drawFrames.fetch_add(1, std::memory_order_relaxed);
    drawWorld(rect);
}

void MyOpenGLView::printFPS(host::Timer*) {
    // Taking each count as it is zeroed loses none that arrive in between.
    int32_t calc = calcFrames.exchange(0);
    int32_t draw = drawFrames.exchange(0);
    int32_t requests = drawRequests.exchange(0);
    diag::err("calcFPS: %d, drawFPS: %d, drawRequests: %d\n", calc, draw, requests);
}
