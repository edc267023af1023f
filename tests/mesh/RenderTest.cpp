// What the drawing routines and render emit on a real offscreen GL context,
// captured through feedback mode or read back from pixels.
#include "MeshTestSupport.h"
#include "tests/support/OffscreenContext.h"

#include <GL/gl.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <tuple>

using Routine = void (MyOBJ::*)();
const Routine kRoutines[] = {
    &MyOBJ::renderModelAsFlatPolys,     &MyOBJ::renderModelAsFlatTexturedPolys,
    &MyOBJ::renderModelAsSmoothPolys,   &MyOBJ::renderModelAsSmoothTexturedPolys,
    &MyOBJ::renderModelAsPoints,        &MyOBJ::renderModelAsFlatNormals,
    &MyOBJ::renderModelAsSmoothNormals, &MyOBJ::renderModelAsFramePolys};
// A square about the origin, whose model names the library "m.mtl".
const std::string kSquare =
    "mtllib m.mtl\nv -0.5 -0.5 0\nv 0.5 -0.5 0\nv 0.5 0.5 0\nv -0.5 0.5 0\n";
// The second face's corners coincide: every rebuild of flat normals warns, once.
const char* const kDegenerate = "v 0 0 0\nv 0.5 0 0\nv 0 0.5 0\nf 1 2 3\nf 1 1 1\n";
const char* const kNaNWarning = "WARNING: Computed Face Normal is NaN (face 1)\n";

class MeshGl : public testing::Test {
  protected:
    // The context's matrices are the identity, its viewport the whole.
    void SetUp() override { ASSERT_TRUE(gl.valid()); }
    // What the routine emits, a letter a primitive: its kind (P polygon, L line,
    // . point); with what 'c' its colour instead (R, G or B, the first channel
    // above a half, else ?); with what 'x' its kind and each corner's model x,y,z
    // to two places. With identity matrices and the 64 x 64 viewport, model x is
    // window x / 32 - 1 (z: 2z - 1).
    std::string capture(Routine r, char what = 'k') {
        std::vector<GLfloat> b(1 << 20);
        glFeedbackBuffer(static_cast<GLsizei>(b.size()), GL_3D_COLOR, b.data());
        glRenderMode(GL_FEEDBACK);
        ((*obj).*r)();
        std::string s;
        for (GLint i = 0, used = glRenderMode(GL_RENDER); i < used;) {
            const GLenum token = static_cast<GLenum>(b[i++]);
            const bool line = token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN;
            const int n = token == GL_POLYGON_TOKEN ? static_cast<int>(b[i++]) : line ? 2 : 1;
            const int colour = b[i + 3] > 0.5f ? 0 : b[i + 4] > 0.5f ? 1 : b[i + 5] > 0.5f ? 2 : 3;
            s += what == 'c' ? "RGB?"[colour] : "PL."[token == GL_POLYGON_TOKEN ? 0 : line ? 1 : 2];
            for (int k = 0; what == 'x' && k < 3 * n; ++k) { // x, y, z of each corner
                const GLfloat w = b[i + k / 3 * 7 + k % 3];
                char t[32];
                std::snprintf(t, sizeof t, k % 3 ? ",%g" : " %g",
                              std::round((k % 3 < 2 ? w / 32 - 1 : w * 2 - 1) * 100) / 100 + 0.0);
                s += t;
            }
            i += 7 * n;
        }
        return s;
    }
    host::OffscreenContext gl{64, 64};
    std::unique_ptr<MyOBJ> obj = std::make_unique<MyOBJ>();
};

TEST_F(MeshGl, ShadedRoutinesAndRenderSwitchMaterialsAtGroupStartsWhenEnabled) {
    const std::string lib = "newmtl r\nKd 1 0 0\nnewmtl g\nKd 0 1 0\n";
    // Faces: none yet, green, red, red quad, a material that is not found.
    const std::string faces =
        "f 1 2 3\nusemtl g\nf 1 2 4\nusemtl r\nf 2 3 4\nf 1 2 3 4\nusemtl x\nf 1 3 4\n";
    loadText(*obj, kSquare + faces, lib);
    // Lit so that a face's feedback colour is its diffuse colour, blue without materials.
    const GLfloat blue[4] = {0, 0, 1, 1};
    const auto diffuse = [] {
        std::vector<GLfloat> d(4);
        glGetMaterialfv(GL_BACK, GL_DIFFUSE, d.data());
        return d;
    };
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0); // white, toward the viewer
    // First the two without a loaded material, before any is applied: the
    // caller's blue. Then quads (Mesa hands each back as two triangles): the
    // red quad; then triangles: red, green.
    for (int i = 0; i < 4; ++i) {
        glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, blue);
        EXPECT_EQ(capture(kRoutines[i], 'c'), "BBRRRG") << i;
        // A direct caller keeps the last material applied.
        EXPECT_EQ(diffuse(), (std::vector<GLfloat>{0, 1, 0, 1})) << i;
    }
    obj->setRendersMaterials(false); // every face in the material the context holds
    EXPECT_EQ(capture(&MyOBJ::renderModelAsFlatPolys, 'c'), "GGGGGG");
    // Sorted: red triangle, green quad, blue quad. The quad pass applies red
    // and green together before the green quad.
    loadText(*obj, kSquare + "usemtl r\nf 1 2 3\nusemtl b\nf 1 2 3 4\nusemtl g\nf 1 2 4 3\n",
             lib + "newmtl b\nKd 0 0 1\n");
    obj->setRendersMaterials(true);
    EXPECT_EQ(capture(&MyOBJ::renderModelAsFlatPolys, 'c'), "GGBBR");
    // render, from its lists too: the upper left face, before any "usemtl", in
    // the caller's blue, which render gives back.
    loadText(*obj, kSquare + "f 1 3 4\nusemtl r\nf 1 2 3\n", lib);
    obj->setRendersWireframes(false);
    obj->setRendersNormals(false);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, blue);
    EXPECT_EQ(capture(&MyOBJ::render, 'c'), "BR"); // the rebuild
    EXPECT_EQ(capture(&MyOBJ::render, 'c'), "BR"); // then the lists as they are
    EXPECT_EQ(diffuse(), (std::vector<GLfloat>(blue, blue + 4)));
}

// The attribute stack is not queryable inside a list: a caller that leaves
// render two free levels sees no overflow, one level fewer does.
TEST_F(MeshGl, RenderNestsAtMostTwoAttributeLevels) {
    loadText(*obj, kSquare + "vn 0 0 1\nusemtl a\nf 1//1 2//1 3//1 4//1\n", "newmtl a\nKd 1 0 0\n");
    GLint most = 0;
    glGetIntegerv(GL_MAX_ATTRIB_STACK_DEPTH, &most);
    for (const GLint free : {2, 1}) { // the rebuild, then the lists as they are
        for (GLint level = 0; level < most - free; ++level)
            glPushAttrib(GL_CURRENT_BIT);
        obj->render(); // faces, normals and the outlines over them
        const GLenum error = glGetError();
        for (GLint level = 0; level < most - free; ++level)
            glPopAttrib();
        EXPECT_EQ(error, GLenum(free == 2 ? GL_NO_ERROR : GL_STACK_OVERFLOW)) << free;
    }
}

TEST_F(MeshGl, RoutinesDrawOnlyWhatTheLoadedArraysHold) {
    loadText(*obj, "v -0.5 -0.5 0\nv 0.5 -0.5 0\nv 0 0.5 0\nvn 0 0 1\nvt 0 0\nf 1/1/1 2/1/1 3/1/1\n"
                   "f 1 2 4\nf 0 1 2\nf -1 1 2\nf 1/1 2/2 3/3\nf 1 2 3 500001\n"
                   "f 1/2/2 2/-3/0 3/5/9\n"); // drawn, but without any texture or normal
    std::string drawn;
    for (const Routine r : kRoutines)
        drawn += capture(r) + "|";
    // Points: every vertex. Flat normals: one per face; smooth: the first face's corners.
    EXPECT_EQ(drawn, "PP|PP|PP|PP|...|LL|LLL|LLLLLL|");
}

TEST_F(MeshGl, NormalsAndOutlinesOfTheExamples) {
    loadText(*obj, "v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 2\nf 1//1 2//1 3//1\n");
    EXPECT_EQ(capture(&MyOBJ::renderModelAsFlatNormals, 'x'), "L 0.33,0.33,0 0.33,0.33,0.4");
    // 0.4 of the normal as stored, of length 2.
    EXPECT_EQ(capture(&MyOBJ::renderModelAsSmoothNormals, 'x'),
              "L 0,0,0 0,0,0.8L 1,0,0 1,0,0.8L 0,1,0 0,1,0.8");
    EXPECT_EQ(capture(&MyOBJ::renderModelAsFramePolys, 'x'),
              "L 0,0,0 1,0,0L 1,0,0 0,1,0L 0,1,0 0,0,0");
    // The fourth corner is out of the plane of the first three.
    loadText(*obj, "v 0 0 0\nv 0 0 -0.5\nv 0 0.5 -0.5\nv 0 0.5 0.7\nvt 0.25 0.75\nvn 0 3 0\n"
                   "f 1/1/1 2/1/1 3/1/1 4/1/1\n");
    std::vector<float> got(12);
    obj->renderModelAsFlatTexturedPolys();
    glGetFloatv(GL_CURRENT_NORMAL, &got[0]);
    obj->renderModelAsSmoothTexturedPolys();
    glGetFloatv(GL_CURRENT_NORMAL, &got[4]);
    glGetFloatv(GL_CURRENT_TEXTURE_COORDS, &got[8]);
    // Smooth: the normal as stored, not normalised; v flipped once, at read.
    EXPECT_EQ(got, (std::vector<float>{1, 0, 0, 0, 0, 3, 0, 0, 0.25f, 0.25f, 0, 1}));
}

TEST_F(MeshGl, RenderCompilesItsListsOnlyWhenDirtyAndGivenAName) {
    loadText(*obj, kDegenerate);
    obj->setRendersSmooth(false);
    glBegin(GL_POINTS); // inside a batch the GL hands out no list names
    EXPECT_EQ(printed([&] { obj->render(); }), "");
    glEnd();
    glGetError(); // the GL keeps one error, the batch's
    EXPECT_EQ(obj->displayListName(), -1);
    EXPECT_EQ(printed([&] { obj->render(); }), kNaNWarning); // the next call retries
    for (const auto set :
         {&MyOBJ::setRendersSmooth, &MyOBJ::setRendersFaces, &MyOBJ::setRendersWireframes,
          &MyOBJ::setRendersNormals, &MyOBJ::setRendersTextures, &MyOBJ::setRendersMaterials}) {
        const bool held = set != &MyOBJ::setRendersSmooth;
        ((*obj).*set)(held); // the same value leaves the lists clean
        EXPECT_EQ(printed([&] { obj->render(); }), "");
        ((*obj).*set)(!held); // changed and changed back still rebuilds
        ((*obj).*set)(held);
        EXPECT_EQ(printed([&] { obj->render(); }), kNaNWarning);
    }
    loadText(*obj, kDegenerate);
    EXPECT_EQ(printed([&] { obj->render(); }), kNaNWarning);
}

// Flags: f faces, n normals, w wireframes, s smooth. (Mesa's feedback mode drops
// all but the first of several batches merged into one list draw, so the model
// keeps to one kind of face; the routine tests cover both passes.) Whatever it
// draws, render leaves the caller's state as it found it.
TEST_F(MeshGl, RenderDrawsWhatTheFlagsAskAndRestoresEveryAttribute) {
    const auto snapshot = [] {
        std::vector<float> s(4 * 16);
        int at = 0;
        for (const GLenum name :
             {GL_CURRENT_COLOR, GL_CURRENT_NORMAL, GL_CURRENT_TEXTURE_COORDS, GL_POLYGON_MODE,
              GL_POLYGON_OFFSET_FACTOR, GL_POLYGON_OFFSET_UNITS, GL_POINT_SIZE,
              GL_ATTRIB_STACK_DEPTH, GL_LIGHTING, GL_TEXTURE_2D, GL_POLYGON_OFFSET_LINE,
              GL_DEPTH_TEST})
            glGetFloatv(name, &s[at += 4]);
        glGetMaterialfv(GL_FRONT, GL_DIFFUSE, &s[at += 4]);
        glGetMaterialfv(GL_BACK, GL_SHININESS, &s[at += 4]);
        return s;
    };
    const std::pair<std::string, const char*> cases[] = {
        // clang-format off
        {"", ""}, {"f", "PP"}, {"fw", "PPLLLL"}, {"fws", "PPLLLL"}, {"w", "LLLL"},
        {"n", "L"}, {"ns", "LLLL"}, {"fnws", "PPLLLLLLLL"}, {"fw", "PPLLLL"},
        // clang-format on
    };
    loadText(*obj, kSquare + "vt 0 1\nvn 0 1 0\nusemtl a\nf 1/1/1 2/1/1 3/1/1 4/1/1\n",
             "newmtl a\nKd 0.2 0.4 0.6\nNs 30\n");
    glEnable(GL_DEPTH_TEST);
    glColor4f(1.0f, 0.2f, 0.3f, 0.4f);
    glNormal3f(0.5f, 0.5f, 0.0f);
    glTexCoord2f(0.7f, 0.8f);
    glPolygonMode(GL_FRONT_AND_BACK, GL_POINT); // faces are filled whatever the caller left
    glPolygonOffset(2.0f, 3.0f);
    glPointSize(2.0f);
    glEnable(GL_LIGHTING); // no light on: the face comes out nearly black
    const std::vector<float> before = snapshot();
    for (const auto& [flags, drawn] : cases) {
        obj->setRendersFaces(flags.find('f') != flags.npos);
        obj->setRendersNormals(flags.find('n') != flags.npos);
        obj->setRendersWireframes(flags.find('w') != flags.npos);
        obj->setRendersSmooth(flags.find('s') != flags.npos);
        EXPECT_EQ(capture(&MyOBJ::render), drawn) << flags;
        EXPECT_EQ(snapshot(), before) << flags;
    }
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    obj->render(); // a clean frame: the lists as they are
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    // With GL_LESS the outline passes against its own face only because it is pulled
    // forward. The left edge falls on column 15 or 16; column 40 is inside the face.
    unsigned char row[64][4] = {};
    glReadPixels(0, 32, 64, 1, GL_RGBA, GL_UNSIGNED_BYTE, row);
    EXPECT_GE(std::max(row[15][0], row[16][0]), 250);
    EXPECT_LT(row[40][0], 60);
}

// A caller may write anything into the public arrays and counts and then call
// a routine directly: each draws the faces that still name what the arrays
// hold and reads nothing outside them (run under AddressSanitizer too).
TEST_F(MeshGl, EditedArraysAndCountsNeverMakeARoutineReadOutsideThem) {
    using Edit = void (*)(MyOBJ&);
    constexpr int32_t kBig = INT32_MAX, kSmall = INT32_MIN;
    // Name, the edit, the outlines drawn after (the triangle's three, the quad's four).
    const std::tuple<const char*, Edit, const char*> cases[] = {
        // clang-format off
        {"Unedited", [](MyOBJ&) {}, "LLLLLLL"},
        {"PositionPastTheCount", [](MyOBJ& o) { o.mFaces[0].v[2] = 5; }, "LLLL"},
        {"PositionZero", [](MyOBJ& o) { o.mFaces[1].v[3] = 0; }, "LLL"},
        {"PositionBelowZero", [](MyOBJ& o) { o.mFaces[0].v[0] = -1; }, "LLLL"},
        {"PositionsAtTheIntegerLimits", [](MyOBJ& o) { o.mFaces[0].v[1] = kBig; o.mFaces[1].v[0] = kSmall; }, ""},
        {"TextureAndNormalOutside", [](MyOBJ& o) { o.mFaces[0].vt[0] = 2; o.mFaces[0].vn[1] = kSmall; o.mFaces[1].vn[3] = kBig; }, "LLLLLLL"},
        {"CornerCountFive", [](MyOBJ& o) { o.mFaces[1].verts = 5; }, "LLL"},
        {"CornerCountBelowZeroOrHuge", [](MyOBJ& o) { o.mFaces[0].verts = -3; o.mFaces[1].verts = kBig; }, ""},
        {"FaceCountPastTheCapacity", [](MyOBJ& o) { o.mFaceCount = MyOBJ::kMaxFaces + 1; }, "LLLLLLL"},
        {"FaceCountBelowZero", [](MyOBJ& o) { o.mFaceCount = -1; }, ""},
        {"VertCountBelowZero", [](MyOBJ& o) { o.mVertCount = kSmall; }, ""},
        {"VertCountShorterThanTheFaces", [](MyOBJ& o) { o.mVertCount = 3; }, "LLL"},
        {"NormalAndTextureCountsOutside", [](MyOBJ& o) { o.mNormalCount = -1; o.mTextureVertCount = kBig; }, "LLLLLLL"},
        {"MaterialIndexOutside", [](MyOBJ& o) { o.mMtlChanges[0].materialIndex = 16; o.mMtlChanges[1].materialIndex = -7; }, "LLLLLLL"},
        {"ChangeCountsOutside", [](MyOBJ& o) { o.mMtlChangeCount = kBig; o.mMaterialPropertyCount = 99; }, "LLLLLLL"},
        {"ChangeCountBelowZero", [](MyOBJ& o) { o.mMtlChangeCount = -2; o.mMaterialPropertyCount = kSmall; }, "LLLLLLL"},
        {"StartingFacesOutside", [](MyOBJ& o) { o.mMtlChanges[0].startingFace = kSmall; o.mMtlChanges[1].startingFace = kBig; }, "LLLLLLL"},
        {"CountsBelowZeroBeforeOneLineReaders", [](MyOBJ& o) {
             o.mFaceCount = o.mVertCount = o.mTextureVertCount = o.mMtlChangeCount = -2;
             o.readVertex("v 0 0 0\n"); o.readVertex("v 1 0 0\n"); o.readVertex("v 0 1 0\n");
             o.readTextureVertex("vt 0 0\n"); o.readUseMtl("usemtl b\n"); o.readFace("f 1 2 3\n");
         }, "LLL"},
        // clang-format on
    };
    for (const auto& [name, edit, outlines] : cases) {
        SCOPED_TRACE(name);
        loadText(*obj,
                 kSquare + "vt 0 0\nvn 0 0 1\nusemtl a\nf 1/1/1 2/1/1 3/1/1\n"
                           "usemtl b\nf 1/1/1 2/1/1 3/1/1 4/1/1\n",
                 "newmtl a\nKd 1 0 0\nnewmtl b\nKd 0 1 0\n");
        edit(*obj);
        EXPECT_EQ(capture(&MyOBJ::renderModelAsFramePolys), outlines);
        for (const Routine r : kRoutines)
            printed([&] { ((*obj).*r)(); });
        obj->displayListDirty = true;
        printed([&] { obj->render(); });
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
    // Names a caller left without their NUL are read no further than their arrays.
    std::fill(std::begin(obj->objectName), std::end(obj->objectName), 'o');
    for (MaterialProperties& m : obj->mMaterialProperties)
        std::fill(std::begin(m.name), std::end(m.name), 'n');
    obj->mMaterialPropertyCount = MyOBJ::kMaxMaterials;
    EXPECT_EQ(printed([&] { obj->readUseMtl("usemtl n\n"); }),
              "WARNING: UseMtl Material Not found: n\n\n"); // the name keeps its newline
    EXPECT_EQ(loadText(*obj, "v 0 0 0\n"), "Object Loaded: " + std::string(MyOBJ::kNameSize, 'o') +
                                               summary(1, 0, 0, 0).substr(15));
}
