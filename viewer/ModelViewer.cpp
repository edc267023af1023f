// The viewer's model, its light and its input.
#include "viewer/ModelViewer.h"

#include "diag/Diagnostics.h"
#include "host/Application.h"
#include "host/Threads.h"
#include "viewer/ModelFraming.h"

#include <GL/gl.h>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

// Zoom limits: from close enough to look inside to far enough to see it small.
constexpr float kMinZoom = 0.25f;
constexpr float kMaxZoom = 12.0f;
// Keys typed while the model loads, acted on once it is there; a key held
// down meanwhile repeats far more often than anyone would want replayed.
constexpr size_t kKeysKeptWhileLoading = 64;
constexpr double kProgressFrameInterval = 1.0 / 30;
// How much one notch of the wheel brings the model nearer.
constexpr float kZoomPerNotch = 0.88f;

const char* onOff(bool yes) {
    return yes ? "on" : "off";
}

} // namespace

ModelViewer::ModelViewer(std::string modelPath) : modelPath_(std::move(modelPath)) {}

ModelViewer::ModelViewer(std::string modelPath, std::unique_ptr<mesh::ObjModel> readModel)
    : modelPath_(std::move(modelPath)), readModel_(std::move(readModel)) {}

std::string ModelViewer::folderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool ModelViewer::canRead(const std::string& path) {
    // Without blocking: opening a FIFO for reading waits for a writer.
    const int file = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    const int openError = errno;
    struct stat info {};
    const bool known = file >= 0 && fstat(file, &info) == 0;
    if (file >= 0)
        close(file);
    if (known && S_ISREG(info.st_mode))
        return true;
    const char* why = !known                  ? std::strerror(openError)
                      : S_ISDIR(info.st_mode) ? std::strerror(EISDIR)
                                              : "not a regular file";
    diag::err("dravin: cannot read the model %s: %s\n", path.c_str(), why);
    return false;
}

void ModelViewer::initGLParam() {
    MyOpenGLView::initGLParam();
    // One light at the eye (set under the identity matrix, so it follows the
    // camera), and a little ambient so faces turned away still read.
    const GLfloat ambient[] = {0.22f, 0.22f, 0.22f, 1.0f};
    const GLfloat diffuse[] = {0.85f, 0.85f, 0.85f, 1.0f};
    const GLfloat specular[] = {0.35f, 0.35f, 0.35f, 1.0f};
    const GLfloat atTheEye[] = {0.0f, 0.0f, 1.0f, 0.0f};
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    glLightfv(GL_LIGHT0, GL_SPECULAR, specular);
    glLightfv(GL_LIGHT0, GL_POSITION, atTheEye);
    glEnable(GL_LIGHT0);
    glDisable(GL_CULL_FACE);
    // Normals from a file need not have unit length.
    glEnable(GL_NORMALIZE);
}

void ModelViewer::initWorld() {
    resetView();
    model.reset();
    drawing.reset();
    // Material libraries and their texture maps are named relative to the
    // model's own folder, as other OBJ tools find them.
    if (chdir(folderOf(modelPath_).c_str()) != 0)
        diag::err("dravin: cannot change to the model's folder: %s\n", std::strerror(errno));
    load_ = std::make_shared<ModelLoad>(modelPath_, std::move(readModel_));
    // A model read already is only framed and drawn: that runs here. The
    // thread keeps the load alive whatever becomes of the view; without a
    // thread the load runs here too.
    if (load_->hasModel() || !host::detachNewThread([load = load_] { load->run(); }))
        load_->run();
}

void ModelViewer::mainThreadStepDraw() {
    if (!drawing && !(load_ && load_->done())) {
        const double now =
            std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
                .count();
        if (now - lastProgressFrame_ < kProgressFrameInterval)
            return;
        lastProgressFrame_ = now;
    }
    MyOpenGLView::mainThreadStepDraw();
}

void ModelViewer::printFPS(host::Timer* timer) {
    if (progressLinePercent_ >= 0 && progressLinePercent_ < 100) {
        diag::err("\r\033[K");
        progressLinePercent_ = -1; // shown again with the next frame
    }
    MyOpenGLView::printFPS(timer);
}

void ModelViewer::waitUntilLoaded() {
    while (load_ && !load_->done())
        host::sleepFor(0.001);
    takeLoadedModel();
}

void ModelViewer::takeLoadedModel() {
    if (!load_ || !load_->done())
        return;
    model = std::move(load_->model);
    drawing = std::move(load_->drawing);
    const size_t vertices = load_->vertexCount;
    const bool elements = load_->hasElements;
    load_.reset();
    showProgressLine(1.0f);
    flags = ViewerFlags{};
    flags.faces = true;
    flags.smooth = drawing->hasNormals();
    flags.materials = !model->materials.empty();
    if (vertices == 0)
        diag::err("dravin: %s has no vertices: the scene is empty\n", modelPath_.c_str());
    else if (!elements)
        diag::err("dravin: %s has no faces or lines: its %zu vertices are shown as points\n",
                  modelPath_.c_str(), vertices);
    for (const host::Event& key : std::exchange(keysWhileLoading_, {}))
        keyDown(key);
}

void ModelViewer::showProgressLine(float share) {
    // Only for a person at a terminal; a pipe or a file gets the lines alone.
    static const bool terminal = isatty(STDERR_FILENO) == 1;
    if (!terminal)
        return;
    const int percent = int(share * 100.0f);
    if (percent == progressLinePercent_)
        return;
    progressLinePercent_ = percent;
    if (percent >= 100)
        diag::err("\r\033[K");
    else
        diag::err("\rdravin: loading %s: %d%%\033[K", modelPath_.c_str(), percent);
}

void ModelViewer::resetView() {
    // A three-quarter view, a little from above and from the right, reads the
    // shape of most models better than the front, and shows a terrain.
    const Quaternion spin = AxisRotationToQuaternion(MakeAxisRotationAXYZ(-30.0f, 0, 1, 0));
    const Quaternion tilt = AxisRotationToQuaternion(MakeAxisRotationAXYZ(25.0f, 1, 0, 0));
    myArcBall = std::make_unique<ArcBall>(QuaternionToAxisRotation(QuaternionMultiply(spin, tilt)));
    zoom = 1.0f;
}

void ModelViewer::printRenderState() const {
    diag::out("smooth %s, faces %s, wireframe %s, normals %s, materials %s, textures %s\n",
              onOff(flags.smooth), onOff(flags.faces), onOff(flags.wireframe), onOff(flags.normals),
              onOff(flags.materials), onOff(flags.textures));
}

void ModelViewer::keyDown(const host::Event& event) {
    if (event.characters.size() != 1)
        return;
    const int key = std::tolower(static_cast<unsigned char>(event.characters[0]));
    // Quitting does not wait for the model; the other keys do.
    if (key == '\x1b' || key == 'q') {
        host::Application::shared().stop(0);
        return;
    }
    if (!drawing) {
        if (keysWhileLoading_.size() < kKeysKeptWhileLoading)
            keysWhileLoading_.push_back(event);
        return;
    }
    ViewerFlags& f = flags;
    switch (key) {
    case 'r':
        resetView();
        return;
    case 's':
        f.smooth = !f.smooth;
        break;
    case 'f':
        f.faces = !f.faces;
        break;
    case 'w':
        f.wireframe = !f.wireframe;
        break;
    case 'n':
        f.normals = !f.normals;
        break;
    case 'm':
        f.materials = !f.materials;
        break;
    case 't':
        f.textures = !f.textures;
        break;
    default:
        return;
    }
    printRenderState();
}

void ModelViewer::scrollWheel(const host::Event& event) {
    if (!std::isfinite(event.deltaY))
        return;
    zoom = std::clamp(zoom * std::pow(kZoomPerNotch, event.deltaY), kMinZoom, kMaxZoom);
}

// A press starts the drag where it happens; events before the world exists
// only move the pointer.
void ModelViewer::mouseDown(const host::Event& event) {
    MyOpenGLView::mouseDragged(event);
    if (!myArcBall)
        return;
    myArcBall->StartDragWithX(mouseLoc.x, mouseLoc.y);
    dragging_ = true;
}

// Only a drag that began with a press here turns the model, whatever other
// buttons are held.
void ModelViewer::mouseDragged(const host::Event& event) {
    MyOpenGLView::mouseDragged(event);
    if (myArcBall && dragging_)
        myArcBall->DragWithX(mouseLoc.x, mouseLoc.y);
}

void ModelViewer::mouseUp(const host::Event&) {
    if (myArcBall && dragging_)
        myArcBall->EndDrag();
    dragging_ = false;
}

// The middle button turns the model as the primary one does.
void ModelViewer::otherMouseDown(const host::Event& event) {
    if (event.buttonNumber == 2)
        mouseDown(event);
}

void ModelViewer::otherMouseDragged(const host::Event& event) {
    if (event.buttonNumber == 2)
        mouseDragged(event);
}

void ModelViewer::otherMouseUp(const host::Event& event) {
    if (event.buttonNumber == 2)
        mouseUp(event);
}
