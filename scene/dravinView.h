// The demo scene: a model turned with the mouse, drawn into the stencil over a
// backdrop, with a scrolling leaves pattern inside its silhouette and a lit,
// additive highlight pass on top.
#pragma once

#include "app/MyOpenGLView.h"
#include "image/Texture.h"
#include "math/ArcBall.h"
#include "mesh/MyOBJ.h"

#include <memory>

class dravinView : public MyOpenGLView {
  public:
    // Created once by initWorld and kept for the life of the process.
    std::unique_ptr<ArcBall> myArcBall;
    std::unique_ptr<MyOBJ> myOBJ;
    std::unique_ptr<Texture> leaves;
    std::unique_ptr<Texture> birds;
    // Horizontal offset of the leaves pattern; moves left by one step per drawn frame.
    float scroll{};

    void initWorld() override;
    void calcWorld() override;
    void initGLParam() override;
    void otherMouseDown(const host::Event& event) override;
    void otherMouseDragged(const host::Event& event) override;
    void otherMouseUp(const host::Event& event) override;
    void mouseDown(const host::Event& event) override;
    void mouseDragged(const host::Event& event) override;
    void mouseUp(const host::Event& event) override;
    void drawWorld(const host::Rect& rect) override;
    // A cube from -1 to 1 with a colour per face; kept for experiments, never drawn.
    void drawCube();
};
