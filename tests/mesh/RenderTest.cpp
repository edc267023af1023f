// render: the choice of routines, the display-list cache and the GL state
// around it, on a real GL context.
#include "GlCapture.h"
#include "MeshTestSupport.h"
#include "host/OffscreenContext.h"

#include <algorithm>
#include <array>
#include <string>

using namespace meshtest;

namespace {

class Render : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gl.valid());
        identityView();
    }

    // Renders and returns what it printed.
    std::string renderPrinting() {
        testing::internal::CaptureStdout();
        obj->render();
        return testing::internal::GetCapturedStdout();
    }

    host::OffscreenContext gl{64, 64};
    std::unique_ptr<MyOBJ> obj = newModel();
};

// The second face's corners coincide: every rebuild of flat normals warns.
const char* const kDegenerate = "v 0 0 0\nv 0.5 0 0\nv 0 0.5 0\nf 1 2 3\nf 1 1 1\n";
const char* const kNaNWarning = "WARNING: Computed Face Normal is NaN (face 1)\n";

TEST_F(Render, FirstRenderBuildsBothListsAndACleanFrameRebuildsNothing) {
    loadText(*obj, kDegenerate);
    obj->setRendersSmooth(false);
    EXPECT_EQ(renderPrinting(), kNaNWarning);
    EXPECT_FALSE(obj->displayListDirty);
    const int32_t faces = obj->displayListName();
    const int32_t wire = obj->wireframeDisplayListName();
    EXPECT_GT(faces, 0);
    EXPECT_GT(wire, 0);
    EXPECT_NE(faces, wire);
    EXPECT_EQ(renderPrinting(), "");
    EXPECT_EQ(obj->displayListName(), faces);
    EXPECT_EQ(obj->wireframeDisplayListName(), wire);
}

TEST_F(Render, ArraysEditedBehindItsBackAreNotDrawnUntilTheNextRebuild) {
    loadText(*obj, "v 0 0 0\nv 0.5 0 0\nv 0 0.5 0\nf 1 2 3\n");
    obj->setRendersWireframes(false);
    obj->setRendersNormals(false);
    obj->render();
    obj->mVerts[0].x = -0.5f;
    const auto clean = captureFeedback([&] { obj->render(); });
    ASSERT_EQ(clean.size(), 1u);
    EXPECT_FLOAT_EQ(clean[0].v[0].x, 0.0f);
    obj->setRendersSmooth(false);
    const auto rebuilt = captureFeedback([&] { obj->render(); });
    ASSERT_EQ(rebuilt.size(), 1u);
    EXPECT_FLOAT_EQ(rebuilt[0].v[0].x, -0.5f);
}

struct Setter {
    const char* name;
    void (MyOBJ::*set)(bool);
};

TEST_F(Render, EveryFlagChangeAndEveryLoadRebuildsOnce) {
    const Setter setters[] = {
        {"smooth", &MyOBJ::setRendersSmooth},         {"faces", &MyOBJ::setRendersFaces},
        {"wireframes", &MyOBJ::setRendersWireframes}, {"normals", &MyOBJ::setRendersNormals},
        {"textures", &MyOBJ::setRendersTextures},     {"materials", &MyOBJ::setRendersMaterials},
    };
    loadText(*obj, kDegenerate);
    obj->setRendersSmooth(false);
    renderPrinting();
    for (const Setter& s : setters) {
        const bool before = s.name == std::string("smooth") ? false : true;
        // Changed and changed back: the lists are rebuilt all the same.
        ((*obj).*s.set)(!before);
        ((*obj).*s.set)(before);
        EXPECT_EQ(renderPrinting(), kNaNWarning) << s.name;
        // Set to what it holds: no rebuild.
        ((*obj).*s.set)(before);
        EXPECT_EQ(renderPrinting(), "") << s.name;
    }
    loadText(*obj, kDegenerate);
    EXPECT_EQ(renderPrinting(), kNaNWarning);
}

struct Combination {
    bool faces, normals, wireframes, smooth;
    int polygons, lines;
};

// Two triangles with a normal at every corner. (Mesa's feedback mode drops
// all but the first of several batches merged into one list draw, so these
// list tests keep to one kind of face; the routine tests cover the passes.)
const Combination kCombinations[] = {
    {false, false, false, false, 0, 0}, {true, false, false, false, 2, 0},
    {true, false, true, false, 2, 6},   {true, false, true, true, 2, 6},
    {false, false, true, false, 0, 6},  {false, true, false, false, 0, 2},
    {false, true, false, true, 0, 6},   {true, true, true, true, 2, 12},
};

class RenderCombination : public Render, public testing::WithParamInterface<Combination> {};

TEST_P(RenderCombination, DrawsTheSectionsItsFlagsAskFor) {
    const Combination& c = GetParam();
    loadText(*obj, "v -0.5 -0.5 0\nv 0.5 -0.5 0\nv 0.5 0.5 0\nv -0.5 0.5 0\nvn 0 0 1\n"
                   "f 1//1 2//1 3//1\nf 1//1 3//1 4//1\n");
    obj->setRendersFaces(c.faces);
    obj->setRendersNormals(c.normals);
    obj->setRendersWireframes(c.wireframes);
    obj->setRendersSmooth(c.smooth);
    // Faces are filled whatever polygon mode the caller left.
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    const auto prims = captureFeedback([&] { obj->render(); });
    EXPECT_EQ(countOf(prims, GL_POLYGON_TOKEN), c.polygons);
    EXPECT_EQ(countOf(prims, GL_LINE_TOKEN), c.lines);
    // Faces first, then normals, then the wireframe.
    for (size_t i = 0; i < prims.size(); ++i) {
        EXPECT_EQ(prims[i].kind == GL_POLYGON_TOKEN, static_cast<int>(i) < c.polygons) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Render, RenderCombination, testing::ValuesIn(kCombinations));

TEST_F(Render, WireframeOverFacesIsDrawnPulledTowardTheViewer) {
    loadText(*obj, "v -0.5 -0.5 0\nv 0.5 -0.5 0\nv 0.5 0.5 0\nv -0.5 0.5 0\nf 1 2 3 4\n");
    obj->setRendersNormals(false);
    obj->setRendersTextures(false);
    obj->setRendersMaterials(false);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glClearColor(0, 0, 0, 1);
    glViewport(0, 0, 64, 64);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glColor3f(1, 1, 1);
    glEnable(GL_LIGHTING); // no light on: the face comes out nearly black
    obj->render();
    glDisable(GL_LIGHTING);
    // With GL_LESS the outline passes against its own face only because it is
    // pulled forward; it is unlit, so it takes the current colour.
    unsigned char left[4] = {}, right[4] = {}, inside[4] = {};
    glReadPixels(15, 32, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, left);
    glReadPixels(16, 32, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, right);
    glReadPixels(32, 32, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, inside);
    EXPECT_GE(std::max(left[0], right[0]), 250);
    EXPECT_LT(inside[0], 60);
    glDisable(GL_DEPTH_TEST);
}

TEST_F(Render, LeavesEveryAttributeAsItFoundIt) {
    loadText(*obj,
             "mtllib m\nv -0.5 -0.5 0\nv 0.5 -0.5 0\nv 0.5 0.5 0\nvt 0 1\nvn 0 1 0\nusemtl a\n"
             "f 1/1/1 2/1/1 3/1/1\n",
             "newmtl a\nKd 0.2 0.4 0.6\nNs 30\n");
    glColor4f(0.1f, 0.2f, 0.3f, 0.4f);
    glNormal3f(0.5f, 0.5f, 0.0f);
    glTexCoord2f(0.7f, 0.8f);
    const GLfloat diffuse[4] = {0.9f, 0.8f, 0.7f, 1.0f};
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
    glPolygonMode(GL_FRONT_AND_BACK, GL_POINT);
    glPolygonOffset(2.0f, 3.0f);
    glPointSize(2.0f);
    glEnable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_POLYGON_OFFSET_LINE);
    obj->setRendersSmooth(false);

    for (int frame = 0; frame < 2; ++frame) { // the rebuild, then a clean frame
        obj->render();
        std::array<GLfloat, 4> colour{}, normal{}, tex{}, material{};
        glGetFloatv(GL_CURRENT_COLOR, colour.data());
        glGetFloatv(GL_CURRENT_NORMAL, normal.data());
        glGetFloatv(GL_CURRENT_TEXTURE_COORDS, tex.data());
        glGetMaterialfv(GL_FRONT, GL_DIFFUSE, material.data());
        EXPECT_EQ(colour, (std::array<GLfloat, 4>{0.1f, 0.2f, 0.3f, 0.4f}));
        EXPECT_EQ(normal[0], 0.5f);
        EXPECT_EQ(normal[1], 0.5f);
        EXPECT_EQ(tex[0], 0.7f);
        EXPECT_EQ(tex[1], 0.8f);
        EXPECT_EQ(material, (std::array<GLfloat, 4>{0.9f, 0.8f, 0.7f, 1.0f}));
        GLint mode[2] = {};
        glGetIntegerv(GL_POLYGON_MODE, mode);
        EXPECT_EQ(mode[0], GL_POINT);
        GLfloat factor = 0, units = 0, pointSize = 0;
        glGetFloatv(GL_POLYGON_OFFSET_FACTOR, &factor);
        glGetFloatv(GL_POLYGON_OFFSET_UNITS, &units);
        glGetFloatv(GL_POINT_SIZE, &pointSize);
        EXPECT_EQ(factor, 2.0f);
        EXPECT_EQ(units, 3.0f);
        EXPECT_EQ(pointSize, 2.0f);
        EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
        EXPECT_FALSE(glIsEnabled(GL_POLYGON_OFFSET_LINE));
        GLint depth = -1;
        glGetIntegerv(GL_ATTRIB_STACK_DEPTH, &depth);
        EXPECT_EQ(depth, 0);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
}

TEST_F(Render, NoListNameMeansNothingIsCompiledAndTheNextCallRetries) {
    loadText(*obj, kDegenerate);
    obj->setRendersSmooth(false);
    // Inside a batch the GL hands out no list names.
    glBegin(GL_POINTS);
    EXPECT_EQ(renderPrinting(), "");
    glEnd();
    while (glGetError() != GL_NO_ERROR) {
    }
    EXPECT_EQ(obj->displayListName(), -1);
    EXPECT_EQ(obj->wireframeDisplayListName(), -1);
    EXPECT_TRUE(obj->displayListDirty);
    EXPECT_EQ(renderPrinting(), kNaNWarning);
    EXPECT_GT(obj->displayListName(), 0);
    EXPECT_FALSE(obj->displayListDirty);
}

} // namespace
