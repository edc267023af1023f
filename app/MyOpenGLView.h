// The reusable frame-loop view: one GL context with fixed state, a calculation
// loop and a redraw-request loop on threads of their own, a rate line each
// second, the projection, and the pointer mapped to -1..+1.
//
// A scene derives from it and overrides initGLParam (calling this one first),
// initWorld, calcWorld and drawWorld.
#pragma once

#include "host/Event.h"
#include "host/Geometry.h"
#include "host/OpenGLView.h"
#include "host/Timer.h"

#include <atomic>
#include <cstdint>

class MyOpenGLView : public host::OpenGLView {
  public:
    // Last pointer position, x from -1 (left) to +1 (right), y from -1 (bottom)
    // to +1 (top); beyond that outside the view. Main thread only.
    host::Point mouseLoc{};
    // Counted by the calculation thread, the main thread and the drawing
    // thread; read and zeroed each second by the main thread.
    std::atomic<int32_t> calcFrames{};
    std::atomic<int32_t> drawFrames{};
    std::atomic<int32_t> drawRequests{};
    // Nominal rates, read anew by the loops at every iteration.
    std::atomic<double> calcsPerSecond{};
    std::atomic<double> drawsPerSecond{};
    host::Timer* printFPSTimer{};

    // Scene hooks; empty here.
    virtual void initWorld() {}
    // Runs on the calculation thread: must not call GL.
    virtual void calcWorld() {}
    virtual void drawWorld(const host::Rect& rect);

    using host::OpenGLView::initWithFrame;
    void initWithFrame(const host::Rect& frame) override;
    virtual void initGLParam();
    void awakeFromNib() override;
    virtual void sizeGLWithWidth(int width, int height);
    void reshape() override;
    virtual void startThreads();
    // Each runs on its own thread, for the life of the process; an override
    // may return, which ends its loop.
    virtual void stepCalc(void* unused);
    virtual void stepDraw(void* unused);
    virtual void mainThreadStepDraw();
    void drawRect(const host::Rect& rect) override;
    virtual void printFPS(host::Timer* timer);
    void keyDown(const host::Event& event) override;
    void mouseMoved(const host::Event& event) override;
    void mouseDragged(const host::Event& event) override;
    void mouseDown(const host::Event& event) override;
    bool acceptsFirstResponder() override;
    bool becomeFirstResponder() override;
    bool resignFirstResponder() override;
    virtual void changeToApplicationPath();
    // Whether the frames show something on the way to the world (a progress
    // display) rather than the world itself: --frames and --screenshot count
    // only the world's frames.
    virtual bool isPreparing() const { return false; }

  private:
    void storeMouseLocation(const host::Event& event);
};
