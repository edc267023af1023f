// The scene's light and material, its world and its mouse handling.
#include "scene/dravinView.h"

#include <GL/gl.h>

void dravinView::initGLParam() {
    MyOpenGLView::initGLParam();

    // The light gives only a highlight; its position is set under the identity
    // matrix, so it stays put relative to the viewer as the model turns.
    const GLfloat lightAmbient[] = {0.0f, 0.0f, 0.0f, 0.0f};
    const GLfloat lightDiffuse[] = {0.0f, 0.0f, 0.0f, 0.0f};
    const GLfloat lightSpecular[] = {0.8f, 0.8f, 0.8f, 1.0f};
    const GLfloat lightPosition[] = {30.0f, 0.0f, -10.0f, 1.0f};
    glLightfv(GL_LIGHT0, GL_AMBIENT, lightAmbient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, lightDiffuse);
    glLightfv(GL_LIGHT0, GL_SPECULAR, lightSpecular);
    glLightfv(GL_LIGHT0, GL_POSITION, lightPosition);
    glEnable(GL_LIGHT0);

    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_COLOR_MATERIAL);
    glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL, GL_SEPARATE_SPECULAR_COLOR);
    glEnable(GL_LIGHTING);

    const GLfloat materialAmbient[] = {0.0f, 0.0f, 0.0f, 1.0f};
    const GLfloat materialDiffuse[] = {1.0f, 1.0f, 1.0f, 1.0f};
    const GLfloat materialSpecular[] = {1.0f, 1.0f, 1.0f, 1.0f};
    const GLfloat materialShininess[] = {10.0f};
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, materialAmbient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, materialDiffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, materialSpecular);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SHININESS, materialShininess);
}

void dravinView::initWorld() {
    myArcBall = std::make_unique<ArcBall>();
    myOBJ = std::make_unique<MyOBJ>();
    myOBJ->loadOBJFile("1.obj");
    myOBJ->setRendersWireframes(false);
    myOBJ->setRendersSmooth(false);
    myOBJ->setRendersFaces(true);
    myOBJ->setRendersNormals(false);
    myOBJ->setRendersMaterials(false);
    leaves = std::make_unique<Texture>("dravinLeaves.png", 512, 512);
    birds = std::make_unique<Texture>("dravinBirds.png", 512, 512);
    scroll = 0.0f;
}

// The scene has no simulation: its one animation follows the drawn frames.
void dravinView::calcWorld() {}

// A press starts the drag where the pointer was last seen, not at the press
// itself; every handled button drives the same arcball. Events that come
// before the world exists only move the pointer.
void dravinView::mouseDown(const host::Event&) {
    if (myArcBall)
        myArcBall->StartDragWithX(mouseLoc.x, mouseLoc.y);
}

void dravinView::mouseDragged(const host::Event& event) {
    MyOpenGLView::mouseDragged(event);
    if (myArcBall)
        myArcBall->DragWithX(mouseLoc.x, mouseLoc.y);
}

void dravinView::mouseUp(const host::Event&) {
    if (myArcBall)
        myArcBall->EndDrag();
}

void dravinView::otherMouseDown(const host::Event& event) {
    mouseDown(event);
}

void dravinView::otherMouseDragged(const host::Event& event) {
    mouseDragged(event);
}

void dravinView::otherMouseUp(const host::Event& event) {
    mouseUp(event);
}
