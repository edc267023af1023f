// render: the choice of routines, the display-list cache and the GL state
// around it, on a real GL context.
#include "GlCapture.h"
#include "MeshTestSupport.h"
#include "host/OffscreenContext.h"

#include <algorithm>

using namespace meshtest;

namespace {

class Render : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gl.valid());
        identityView();
    }
    std::string renderPrinting() {
        testing::internal::CaptureStdout();
        obj->render();
        return testing::internal::GetCapturedStdout();
    }
    host::OffscreenContext gl{64, 64};
    std::unique_ptr<MyOBJ> obj = newModel();
};

// The second face's corners coincide: every rebuild of flat normals warns, once.
const char* const kDegenerate = "v 0 0 0\nv 0.5 0 0\nv 0 0.5 0\nf 1 2 3\nf 1 1 1\n";
const char* const kNaNWarning = "WARNING: Computed Face Normal is NaN (face 1)\n";

TEST_F(Render, RebuildsOnlyAfterALoadOrAFlagChange) {
    loadText(*obj, kDegenerate);
    obj->setRendersSmooth(false);
    EXPECT_EQ(renderPrinting(), kNaNWarning);
    EXPECT_FALSE(obj->displayListDirty);
    const int32_t lists[] = {obj->displayListName(), obj->wireframeDisplayListName()};
    EXPECT_GT(std::min(lists[0], lists[1]), 0);
    EXPECT_EQ(renderPrinting(), "");
    EXPECT_EQ(obj->displayListName(), lists[0]);
    EXPECT_EQ(obj->wireframeDisplayListName(), lists[1]);

    void (MyOBJ::*setters[])(bool) = {&MyOBJ::setRendersSmooth,     &MyOBJ::setRendersFaces,
                                      &MyOBJ::setRendersWireframes, &MyOBJ::setRendersNormals,
                                      &MyOBJ::setRendersTextures,   &MyOBJ::setRendersMaterials};
    for (auto set : setters) {
        const bool held = set != &MyOBJ::setRendersSmooth;
        ((*obj).*set)(!held); // changed and changed back still rebuilds
        ((*obj).*set)(held);
        EXPECT_EQ(renderPrinting(), kNaNWarning);
        ((*obj).*set)(held);
        EXPECT_EQ(renderPrinting(), "");
    }
    loadText(*obj, kDegenerate);
    EXPECT_EQ(renderPrinting(), kNaNWarning);
    // An edit behind its back shows only at the next rebuild.
    obj->mVerts[0].x = -0.5f;
    obj->setRendersNormals(false);
    obj->setRendersWireframes(false);
    EXPECT_EQ(captureFeedback([&] { obj->render(); })[0].v[0][0], -0.5f);
    obj->mVerts[0].x = 0.25f;
    EXPECT_EQ(captureFeedback([&] { obj->render(); })[0].v[0][0], -0.5f);
}

struct Combination {
    bool faces, normals, wireframes, smooth;
    int polygons, lines;
};

// Two triangles with a normal at every corner. (Mesa's feedback mode drops
// all but the first of several batches merged into one list draw, so the
// list tests keep to one kind of face; the routine tests cover both passes.)
// clang-format off
const Combination kCombinations[] = {
    {false, false, false, false, 0, 0}, {true, false, false, false, 2, 0}, {true, false, true, false, 2, 6},
    {true, false, true, true, 2, 6},    {false, false, true, false, 0, 6}, {false, true, false, false, 0, 2},
    {false, true, false, true, 0, 6},   {true, true, true, true, 2, 12},
};
// clang-format on

class RenderCombination : public Render, public testing::WithParamInterface<Combination> {};

TEST_P(RenderCombination, DrawsFacesThenNormalsThenWireframeAsTheFlagsAsk) {
    const Combination& c = GetParam();
    loadText(*obj, "v -0.5 -0.5 0\nv 0.5 -0.5 0\nv 0.5 0.5 0\nv -0.5 0.5 0\nvn 0 0 1\n"
                   "f 1//1 2//1 3//1\nf 1//1 3//1 4//1\n");
    obj->setRendersFaces(c.faces);
    obj->setRendersNormals(c.normals);
    obj->setRendersWireframes(c.wireframes);
    obj->setRendersSmooth(c.smooth);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE); // faces are filled whatever the caller left
    const auto prims = captureFeedback([&] { obj->render(); });
    EXPECT_EQ(countOf(prims, GL_POLYGON_TOKEN), c.polygons);
    EXPECT_EQ(countOf(prims, GL_LINE_TOKEN), c.lines);
    for (size_t i = 0; i < prims.size(); ++i) {
        EXPECT_EQ(prims[i].kind == GL_POLYGON_TOKEN, static_cast<int>(i) < c.polygons) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Render, RenderCombination, testing::ValuesIn(kCombinations));

TEST_F(Render, WireframeOverFacesPassesTheDepthTestUnlit) {
    loadText(*obj, "v -0.5 -0.5 0\nv 0.5 -0.5 0\nv 0.5 0.5 0\nv -0.5 0.5 0\nf 1 2 3 4\n");
    obj->setRendersNormals(false);
    glViewport(0, 0, 64, 64);
    glEnable(GL_DEPTH_TEST);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glColor3f(1, 1, 1);
    glEnable(GL_LIGHTING); // no light on: the face comes out nearly black
    obj->render();
    // With GL_LESS the outline passes against its own face only because it is pulled forward.
    const int columns[3] = {15, 16, 32}; // the left edge falls on one of the first two
    unsigned char px[3][4] = {};
    for (int i = 0; i < 3; ++i) {
        glReadPixels(columns[i], 32, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px[i]);
    }
    EXPECT_GE(std::max(px[0][0], px[1][0]), 250);
    EXPECT_LT(px[2][0], 60);
}

std::vector<float> attributeSnapshot() {
    std::vector<float> s(64);
    glGetFloatv(GL_CURRENT_COLOR, &s[0]);
    glGetFloatv(GL_CURRENT_NORMAL, &s[4]);
    glGetFloatv(GL_CURRENT_TEXTURE_COORDS, &s[8]);
    glGetMaterialfv(GL_FRONT, GL_DIFFUSE, &s[12]);
    glGetMaterialfv(GL_BACK, GL_SHININESS, &s[16]);
    glGetFloatv(GL_POLYGON_MODE, &s[20]);
    glGetFloatv(GL_POLYGON_OFFSET_FACTOR, &s[22]);
    glGetFloatv(GL_POLYGON_OFFSET_UNITS, &s[23]);
    glGetFloatv(GL_POINT_SIZE, &s[24]);
    glGetFloatv(GL_ATTRIB_STACK_DEPTH, &s[25]);
    const GLenum enables[] = {GL_LIGHTING, GL_TEXTURE_2D, GL_POLYGON_OFFSET_LINE, GL_DEPTH_TEST};
    for (int i = 0; i < 4; ++i) {
        s[26 + i] = glIsEnabled(enables[i]);
    }
    return s;
}

TEST_F(Render, LeavesEveryAttributeAsItFoundIt) {
    loadText(*obj,
             "mtllib m\nv -0.5 -0.5 0\nv 0.5 -0.5 0\nv 0.5 0.5 0\nvt 0 1\nvn 0 1 0\nusemtl a\nf "
             "1/1/1 2/1/1 3/1/1\n",
             "newmtl a\nKd 0.2 0.4 0.6\nNs 30\n");
    glColor4f(0.1f, 0.2f, 0.3f, 0.4f);
    glNormal3f(0.5f, 0.5f, 0.0f);
    glTexCoord2f(0.7f, 0.8f);
    glPolygonMode(GL_FRONT_AND_BACK, GL_POINT);
    glPolygonOffset(2.0f, 3.0f);
    glPointSize(2.0f);
    glEnable(GL_LIGHTING);
    obj->setRendersSmooth(false);
    const std::vector<float> before = attributeSnapshot();
    for (int frame = 0; frame < 2; ++frame) { // the rebuild, then a clean frame
        obj->render();
        EXPECT_EQ(attributeSnapshot(), before) << frame;
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
}

TEST_F(Render, NoListNameMeansNothingIsCompiledAndTheNextCallRetries) {
    loadText(*obj, kDegenerate);
    obj->setRendersSmooth(false);
    glBegin(GL_POINTS); // inside a batch the GL hands out no list names
    EXPECT_EQ(renderPrinting(), "");
    glEnd();
    while (glGetError() != GL_NO_ERROR) {
    }
    EXPECT_EQ(obj->displayListName(), -1);
    EXPECT_TRUE(obj->displayListDirty);
    EXPECT_EQ(renderPrinting(), kNaNWarning);
    EXPECT_GT(obj->displayListName(), 0);
}

} // namespace
