// render: picks the routines for the flags and caches their output in two
// display lists, rebuilt only when the model or a flag changed.
#include "mesh/MyOBJ.h"

#include <GL/gl.h>

namespace {

// The twenty attribute groups of OpenGL 1.1.
constexpr GLbitfield kAllAttributes = 0x000FFFFF;

// A fresh list name, or -1 when the GL has none to give.
int32_t newListName(int32_t old) {
    if (old > 0) {
        glDeleteLists(static_cast<GLuint>(old), 1);
    }
    const GLuint name = glGenLists(1);
    return name == 0 ? -1 : static_cast<int32_t>(name);
}

} // namespace

void MyOBJ::render() {
    if (displayListDirty) {
        displayList = newListName(displayList);
        wireframeDisplayList = newListName(wireframeDisplayList);
        // Without names nothing is compiled; the next call tries again.
        if (displayList > 0 && wireframeDisplayList > 0) {
            glNewList(static_cast<GLuint>(displayList), GL_COMPILE);
            if (mRendersFaces) {
                glPushAttrib(kAllAttributes);
                glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
                if (mRendersTextures) {
                    glEnable(GL_TEXTURE_2D);
                    if (mRendersSmooth) {
                        renderModelAsSmoothTexturedPolys();
                    } else {
                        renderModelAsFlatTexturedPolys();
                    }
                } else {
                    glDisable(GL_TEXTURE_2D);
                    if (mRendersSmooth) {
                        renderModelAsSmoothPolys();
                    } else {
                        renderModelAsFlatPolys();
                    }
                }
                glPopAttrib();
            }
            if (mRendersNormals) {
                glPushAttrib(kAllAttributes);
                glDisable(GL_TEXTURE_2D);
                glDisable(GL_LIGHTING);
                if (mRendersSmooth) {
                    renderModelAsSmoothNormals();
                } else {
                    renderModelAsFlatNormals();
                }
                glPopAttrib();
            }
            glEndList();

            glNewList(static_cast<GLuint>(wireframeDisplayList), GL_COMPILE);
            if (mRendersWireframes) {
                glPushAttrib(kAllAttributes);
                glDisable(GL_TEXTURE_2D);
                glDisable(GL_LIGHTING);
                glEnable(GL_POLYGON_OFFSET_LINE);
                // Over faces: the faces again as outlines, pulled toward the viewer.
                if (mRendersFaces) {
                    renderModelAsFlatPolys();
                } else {
                    renderModelAsFramePolys();
                }
                glPopAttrib();
            }
            glEndList();
            displayListDirty = false;
        }
    }

    if (displayList > 0) {
        glCallList(static_cast<GLuint>(displayList));
    }
    glPushAttrib(kAllAttributes);
    glPolygonOffset(-1.0f, -1.0f);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    if (wireframeDisplayList > 0) {
        glCallList(static_cast<GLuint>(wireframeDisplayList));
    }
    glPopAttrib();
}
