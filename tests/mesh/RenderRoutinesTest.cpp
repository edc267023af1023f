// What the shaded and diagnostic routines emit, captured on a real GL context.
#include "GlCapture.h"
#include "MeshTestSupport.h"
#include "host/OffscreenContext.h"

#include <cmath>
#include <string>

using namespace meshtest;

namespace {

class Routines : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gl.valid());
        identityView();
    }
    host::OffscreenContext gl{64, 64};
    std::unique_ptr<MyOBJ> obj = newModel();
};

using Routine = void (MyOBJ::*)();

struct RoutineCase {
    const char* name;
    Routine routine;
};

const RoutineCase kShaded[] = {
    {"FlatPolys", &MyOBJ::renderModelAsFlatPolys},
    {"FlatTexturedPolys", &MyOBJ::renderModelAsFlatTexturedPolys},
    {"SmoothPolys", &MyOBJ::renderModelAsSmoothPolys},
    {"SmoothTexturedPolys", &MyOBJ::renderModelAsSmoothTexturedPolys},
};

// Each face lies at its own depth so the output order shows the face order.
const char* const kMixedFaces = "v -0.5 -0.5 0.1\nv 0.5 -0.5 0.1\nv 0.5 0.5 0.1\nv -0.5 0.5 0.1\n"
                                "v -0.5 -0.5 0.2\nv 0.5 -0.5 0.2\nv 0.5 0.5 0.2\nv -0.5 0.5 0.2\n"
                                "v -0.5 -0.5 0.3\nv 0.5 -0.5 0.3\nv 0.5 0.5 0.3\n"
                                "v -0.5 -0.5 0.4\nv 0.5 -0.5 0.4\nv 0.5 0.5 0.4\n"
                                "f 9 10 11\nf 1 2 3 4\nf 12 13 14\nf 5 6 7 8\n";

TEST_F(Routines, ShadedRoutinesDrawQuadsBeforeTrianglesEachInFaceOrder) {
    loadText(*obj, kMixedFaces);
    for (const RoutineCase& r : kShaded) {
        const auto prims = captureFeedback([&] { ((*obj).*r.routine)(); });
        std::vector<float> depths;
        for (const Primitive& p : prims) {
            ASSERT_EQ(p.kind, static_cast<GLenum>(GL_POLYGON_TOKEN)) << r.name;
            depths.push_back(std::round(p.v[0].z * 10) / 10);
        }
        // Mesa hands each quad back as two triangles.
        EXPECT_EQ(depths, (std::vector<float>{0.1f, 0.1f, 0.2f, 0.2f, 0.3f, 0.4f})) << r.name;
    }
}

TEST_F(Routines, FlatNormalComesFromTheFirstThreeCorners) {
    // The fourth corner is out of the plane of the first three.
    loadText(*obj, "v 0 0 0\nv 0 0 -0.5\nv 0 0.5 -0.5\nv 0 0.5 0.7\nf 1 2 3 4\n");
    for (const Routine routine :
         {&MyOBJ::renderModelAsFlatPolys, &MyOBJ::renderModelAsFlatTexturedPolys}) {
        glNormal3f(9, 9, 9);
        ((*obj).*routine)();
        GLfloat n[4] = {};
        glGetFloatv(GL_CURRENT_NORMAL, n);
        // (B - A) x (C - A) = (0,0,-0.5) x (0,0.5,-0.5), normalised.
        EXPECT_FLOAT_EQ(n[0], 1.0f);
        EXPECT_FLOAT_EQ(n[1], 0.0f);
        EXPECT_FLOAT_EQ(n[2], 0.0f);
    }
}

TEST_F(Routines, SmoothRoutinesPassStoredNormalsAndTexturesUnchanged) {
    loadText(*obj, "v 0 0 0\nv 0.5 0 0\nv 0 0.5 0\nvt 0.25 0.75\nvt 0.5 0.5\nvn 0 0 2\nvn 0 3 0\n"
                   "f 1/1/1 2/1/1 3/2/2\n");
    obj->renderModelAsSmoothTexturedPolys();
    GLfloat n[4] = {}, t[4] = {};
    glGetFloatv(GL_CURRENT_NORMAL, n);
    glGetFloatv(GL_CURRENT_TEXTURE_COORDS, t);
    EXPECT_EQ(n[1], 3.0f); // not normalised
    EXPECT_EQ(t[0], 0.5f);
    EXPECT_EQ(t[1], 0.5f); // the stored flipped v, not flipped again
    obj->renderModelAsFlatTexturedPolys();
    glGetFloatv(GL_CURRENT_NORMAL, n);
    EXPECT_EQ(n[2], 1.0f);
}

// Lit so that the feedback colour of a face facing the viewer is its diffuse colour.
void diffuseOnlyLighting() {
    const GLfloat black[4] = {0, 0, 0, 1};
    const GLfloat white[4] = {1, 1, 1, 1};
    const GLfloat towardViewer[4] = {0, 0, 1, 0};
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, black);
    glLightfv(GL_LIGHT0, GL_AMBIENT, black);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
    glLightfv(GL_LIGHT0, GL_SPECULAR, black);
    glLightfv(GL_LIGHT0, GL_POSITION, towardViewer);
    const GLfloat blue[4] = {0, 0, 1, 1};
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, black);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, blue);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, black);
}

const char* const kLibrary = "newmtl red\nKd 1 0 0\nnewmtl green\nKd 0 1 0\n";
// Faces: one before any material, green, red, red quad, a material that is not found.
const char* const kMaterialModel = "mtllib lib.mtl\n"
                                   "v -0.5 -0.5 0\nv 0.5 -0.5 0\nv 0.5 0.5 0\nv -0.5 0.5 0\n"
                                   "f 1 2 3\nusemtl green\nf 1 2 4\nusemtl red\nf 2 3 4\n"
                                   "f 1 2 3 4\nusemtl gold\nf 1 3 4\n";

std::string colours(const std::vector<Primitive>& prims) {
    std::string s;
    for (const Primitive& p : prims) {
        const FeedbackVertex& v = p.v[0];
        s += v.r > 0.5f ? 'R' : v.g > 0.5f ? 'G' : v.b > 0.5f ? 'B' : '?';
    }
    return s;
}

TEST_F(Routines, MaterialsSwitchAtGroupStartsOnlyWhenEnabled) {
    loadText(*obj, kMaterialModel, kLibrary);
    diffuseOnlyLighting();
    // Red group (quad, then triangle), green group, then the faces without a
    // material, which keep whatever material is in force (green, the last set).
    obj->setRendersMaterials(true);
    EXPECT_EQ(colours(captureFeedback([&] { obj->renderModelAsSmoothPolys(); })), "RRRGGG");
    EXPECT_EQ(colours(captureFeedback([&] { obj->renderModelAsFlatPolys(); })), "RRRGGG");
    obj->setRendersMaterials(false);
    diffuseOnlyLighting();
    EXPECT_EQ(colours(captureFeedback([&] { obj->renderModelAsFlatPolys(); })), "BBBBBB");
}

TEST_F(Routines, EachPassStartsUnderItsOwnGroupsMaterial) {
    // Green holds only triangles: in the quad pass its change waits for the
    // next group's first quad.
    loadText(*obj,
             "mtllib x\nv -0.5 -0.5 0\nv 0.5 -0.5 0\nv 0.5 0.5 0\nv -0.5 0.5 0\n"
             "usemtl red\nf 1 2 3\nusemtl green\nf 1 2 4 3\nusemtl blue\nf 1 2 3 4\n",
             "newmtl red\nKd 1 0 0\nnewmtl blue\nKd 0 0 1\nnewmtl green\nKd 0 1 0\n");
    diffuseOnlyLighting();
    // Sorted: red triangle, blue quad, green quad. The quad pass applies red
    // and blue together before the blue quad.
    EXPECT_EQ(colours(captureFeedback([&] { obj->renderModelAsFlatPolys(); })), "BBGGR");
}

TEST_F(Routines, FacesNamingNothingAreSkippedAndMissingAttributesLeftOut) {
    testing::internal::CaptureStdout();
    obj->loadOBJText("v -0.5 -0.5 0\nv 0.5 -0.5 0\nv 0 0.5 0\nvn 0 0 1\nvt 0 0\n"
                     "f 1/1/1 2/1/1 3/1/1\n" // the one good face
                     "f 1 2 4\nf 0 1 2\nf -1 1 2\nf 1/1 2/2 3/3\nf 1 2 3 500001\n"
                     "f 1/2/2 2/-3/0 3/5/9\n" // every texture and normal index wrong
    );
    testing::internal::GetCapturedStdout();
    glNormal3f(0, 1, 0);
    glTexCoord2f(0.5f, 0.5f);
    for (const RoutineCase& r : kShaded) {
        const auto prims = captureFeedback([&] { ((*obj).*r.routine)(); });
        EXPECT_EQ(countOf(prims, GL_POLYGON_TOKEN), 2) << r.name;
    }
    EXPECT_EQ(countOf(captureFeedback([&] { obj->renderModelAsFramePolys(); }), GL_LINE_TOKEN), 6);
    EXPECT_EQ(countOf(captureFeedback([&] { obj->renderModelAsFlatNormals(); }), GL_LINE_TOKEN), 2);
    // Only the first face's three corners have a normal.
    EXPECT_EQ(countOf(captureFeedback([&] { obj->renderModelAsSmoothNormals(); }), GL_LINE_TOKEN),
              3);
}

TEST_F(Routines, TriangleNormalLineAndOutlineOfTheExample) {
    loadText(*obj, "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    const auto normals = captureFeedback([&] { obj->renderModelAsFlatNormals(); });
    ASSERT_EQ(normals.size(), 1u);
    const float third = 1.0f / 3.0f;
    EXPECT_NEAR(normals[0].v[0].x, third, 1e-5);
    EXPECT_NEAR(normals[0].v[0].y, third, 1e-5);
    EXPECT_NEAR(normals[0].v[0].z, 0.0f, 1e-5);
    EXPECT_NEAR(normals[0].v[1].x, third, 1e-5);
    EXPECT_NEAR(normals[0].v[1].z, 0.4f, 1e-5);

    const auto outline = captureFeedback([&] { obj->renderModelAsFramePolys(); });
    const float expected[3][4] = {{0, 0, 1, 0}, {1, 0, 0, 1}, {0, 1, 0, 0}};
    ASSERT_EQ(outline.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_FLOAT_EQ(outline[i].v[0].x, expected[i][0]) << i;
        EXPECT_FLOAT_EQ(outline[i].v[0].y, expected[i][1]) << i;
        EXPECT_FLOAT_EQ(outline[i].v[1].x, expected[i][2]) << i;
        EXPECT_FLOAT_EQ(outline[i].v[1].y, expected[i][3]) << i;
    }
}

TEST_F(Routines, SmoothNormalLineIsPointFourOfTheStoredLength) {
    loadText(*obj, "v 0 0 0\nv 0.5 0 0\nv 0 0.5 0\nvn 0 0 2\nf 1//1 2//1 3//1\n");
    const auto lines = captureFeedback([&] { obj->renderModelAsSmoothNormals(); });
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NEAR(lines[0].v[1].z - lines[0].v[0].z, 0.8f, 1e-6);
}

TEST_F(Routines, QuadOutlineHasFourEdgesClosingLast) {
    loadText(*obj, "v 0 0 0\nv 0.5 0 0\nv 0.5 0.5 0\nv 0 0.5 0\nf 1 2 3 4\n");
    const auto outline = captureFeedback([&] { obj->renderModelAsFramePolys(); });
    ASSERT_EQ(outline.size(), 4u);
    EXPECT_FLOAT_EQ(outline[3].v[0].y, 0.5f);
    EXPECT_FLOAT_EQ(outline[3].v[1].x, 0.0f);
    EXPECT_FLOAT_EQ(outline[3].v[1].y, 0.0f);
}

TEST_F(Routines, CoincidentCornersWarnWithTheFaceIndex) {
    loadText(*obj, "v 0 0 0\nv 0.5 0 0\nv 0 0.5 0\nf 1 2 3\nf 1 1 1\n");
    testing::internal::CaptureStdout();
    captureFeedback([&] { obj->renderModelAsFlatNormals(); });
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "WARNING: Computed Face Normal is NaN (face 1)\n");
}

TEST_F(Routines, PointsShowEveryVertexAtSizeFive) {
    loadText(*obj, "v 0 0 0\nv 0.5 0 0\nv 0 0.5 0\nf 1 2 2\n");
    const auto points = captureFeedback([&] { obj->renderModelAsPoints(); });
    EXPECT_EQ(countOf(points, GL_POINT_TOKEN), 3);
    GLfloat size = 0;
    glGetFloatv(GL_POINT_SIZE, &size);
    EXPECT_EQ(size, 5.0f);
}

TEST_F(Routines, EmptyModelDrawsAndPrintsNothing) {
    testing::internal::CaptureStdout();
    for (const Routine routine :
         {&MyOBJ::renderModelAsPoints, &MyOBJ::renderModelAsFlatNormals,
          &MyOBJ::renderModelAsSmoothNormals, &MyOBJ::renderModelAsFramePolys,
          &MyOBJ::renderModelAsFlatPolys, &MyOBJ::renderModelAsFlatTexturedPolys,
          &MyOBJ::renderModelAsSmoothPolys, &MyOBJ::renderModelAsSmoothTexturedPolys}) {
        EXPECT_TRUE(captureFeedback([&] { ((*obj).*routine)(); }).empty());
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

} // namespace
