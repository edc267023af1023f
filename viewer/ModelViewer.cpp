// The viewer's model, its light and its input.
#include "viewer/ModelViewer.h"

#include "diag/Diagnostics.h"
#include "host/Application.h"
#include "viewer/ModelFraming.h"

#include <GL/gl.h>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Zoom limits: from close enough to look inside to far enough to see it small.
constexpr float kMinZoom = 0.25f;
constexpr float kMaxZoom = 12.0f;
// How much one notch of the wheel brings the model nearer.
constexpr float kZoomPerNotch = 0.88f;

std::string folderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

const char* onOff(bool yes) {
    return yes ? "on" : "off";
}

} // namespace

ModelViewer::ModelViewer(std::string modelPath) : modelPath_(std::move(modelPath)) {}

bool ModelViewer::canRead(const std::string& path) {
    errno = 0;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    struct stat info {};
    const bool regular = file && fstat(fileno(file), &info) == 0 && S_ISREG(info.st_mode);
    const int error = file && !regular ? EISDIR : errno;
    if (file)
        std::fclose(file);
    if (!regular)
        diag::err("dravin: cannot read the model %s: %s\n", path.c_str(), std::strerror(error));
    return regular;
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
    model = std::make_unique<mesh::ObjModel>();
    // Material libraries and their texture maps are named relative to the
    // model's own folder, as other OBJ tools find them.
    if (chdir(folderOf(modelPath_).c_str()) != 0)
        diag::err("dravin: cannot change to the model's folder: %s\n", std::strerror(errno));
    mesh::readObjModel(modelPath_.c_str(), *model);
    fitIntoUnitSphere(model->positions);
    if (model->positions.empty())
        diag::err("dravin: %s has no vertices: the scene is empty\n", modelPath_.c_str());
    else if (model->polygons.empty() && model->lines.empty() && model->points.empty())
        diag::err("dravin: %s has no faces or lines: its %zu vertices are shown as points\n",
                  modelPath_.c_str(), model->positions.size());
    // Takes the model's arrays: only its name and materials stay.
    drawing = std::make_unique<ViewerMesh>(*model);
    flags = ViewerFlags{};
    flags.faces = true;
    flags.smooth = drawing->hasNormals();
    flags.materials = !model->materials.empty();
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
    if (event.characters.size() != 1 || !drawing)
        return;
    ViewerFlags& f = flags;
    switch (std::tolower(static_cast<unsigned char>(event.characters[0]))) {
    case '\x1b':
    case 'q':
        host::Application::shared().stop(0);
        return;
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
