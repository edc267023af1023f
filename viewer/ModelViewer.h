// The viewer scene: one OBJ model of the user's, framed from its bounding
// box on a neutral background, lit from the eye, turned with the arcball by
// a primary or middle drag, zoomed with the wheel, with keys that switch the
// model's render flags.
#pragma once

#include "app/MyOpenGLView.h"
#include "math/ArcBall.h"
#include "mesh/ObjModel.h"
#include "viewer/ModelLoad.h"
#include "viewer/ViewerMesh.h"

#include <memory>
#include <string>
#include <vector>

class ModelViewer : public MyOpenGLView {
  public:
    // The vertical field of view of the viewer's projection, in degrees.
    static constexpr float kFieldOfView = 30.0f;

    // modelPath is absolute, or relative to the directory the program
    // started in; the view changes directory while it is created.
    explicit ModelViewer(std::string modelPath);
    // With the model read already, by a caller that checks what it read
    // before it shows it: the first initWorld frames and draws that one.
    ModelViewer(std::string modelPath, std::unique_ptr<mesh::ObjModel> readModel);

    // Whether the file can be opened for reading as a model; when not, prints
    // one line naming it on standard error.
    static bool canRead(const std::string& path);
    // The folder of the model's file, which the names in it are taken from.
    static std::string folderOf(const std::string& path);

    // Made by the load that initWorld starts, taken by the first frame after
    // it is done and kept for the life of the process: the model as read (its
    // name and materials; the drawing takes its arrays), its drawing, and what
    // the keys switch.
    std::unique_ptr<ArcBall> myArcBall;
    std::unique_ptr<mesh::ObjModel> model;
    std::unique_ptr<ViewerMesh> drawing;
    ViewerFlags flags;
    // The camera distance over the distance that frames the model; the wheel
    // changes it, R sets it back to 1.
    float zoom{1.0f};

    void initGLParam() override;
    // Starts reading the model on a thread of its own; until it is read and
    // its drawing made, the frames show the progress.
    void initWorld() override;
    // Main thread: waits for the load initWorld started and takes what it
    // made (in-process users that want the model at once).
    void waitUntilLoaded();
    bool isPreparing() const override { return !drawing; }
    // While the model loads, the redraw loop asks for a frame of progress a
    // few times a second only: the cores are the load's.
    void mainThreadStepDraw() override;
    // The rate line, on a line of its own under a progress line.
    void printFPS(host::Timer* timer) override;
    void sizeGLWithWidth(int width, int height) override;
    void drawWorld(const host::Rect& rect) override;

    void keyDown(const host::Event& event) override;
    void scrollWheel(const host::Event& event) override;
    void mouseDown(const host::Event& event) override;
    void mouseDragged(const host::Event& event) override;
    void mouseUp(const host::Event& event) override;
    void otherMouseDown(const host::Event& event) override;
    void otherMouseDragged(const host::Event& event) override;
    void otherMouseUp(const host::Event& event) override;

    // The view as it was after loading: no turn, no zoom.
    void resetView();
    // Turns the model once about the vertical axis over this many drawn
    // frames, a step a frame from the starting view; 0: stands still.
    void setTurntable(int frames) { turntableFrames_ = frames; }
    // "smooth on, faces on, wireframe off, ..." on standard output.
    void printRenderState() const;

  protected:
    // The model in the frame's camera, with the checker texture at hand.
    virtual void drawModel(unsigned checker);

  private:
    // Main thread: takes the finished load's model and drawing, and acts on
    // the keys that came meanwhile.
    void takeLoadedModel();
    void drawProgress(float share);
    void showProgressLine(float share);

    std::string modelPath_;
    std::shared_ptr<ModelLoad> load_;
    std::vector<host::Event> keysWhileLoading_;
    int progressLinePercent_{-1};
    double lastProgressFrame_{-1e9};
    std::unique_ptr<mesh::ObjModel> readModel_;
    float aspect_{4.0f / 3.0f};
    int turntableFrames_{};
    int turntableFrame_{};
    // Between the press and the release of a button that turns the model.
    bool dragging_{};
    // The checker that shows the model's texture coordinates; 0 until made.
    unsigned checkerTexture_{};
};
