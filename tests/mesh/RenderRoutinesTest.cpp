// What the shaded and diagnostic routines emit, captured on a real GL context.
#include "GlCapture.h"
#include "MeshTestSupport.h"
#include "host/OffscreenContext.h"

#include <cmath>

using namespace meshtest;

namespace {

using Routine = void (MyOBJ::*)();
const Routine kShaded[] = {&MyOBJ::renderModelAsFlatPolys, &MyOBJ::renderModelAsFlatTexturedPolys,
                           &MyOBJ::renderModelAsSmoothPolys,
                           &MyOBJ::renderModelAsSmoothTexturedPolys};
const Routine kDiagnostic[] = {&MyOBJ::renderModelAsPoints, &MyOBJ::renderModelAsFlatNormals,
                               &MyOBJ::renderModelAsSmoothNormals, &MyOBJ::renderModelAsFramePolys};

class Routines : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gl.valid());
        identityView();
    }
    std::vector<Primitive> capture(Routine r) {
        return captureFeedback([&] { ((*obj).*r)(); });
    }
    host::OffscreenContext gl{64, 64};
    std::unique_ptr<MyOBJ> obj = newModel();
};

TEST_F(Routines, ShadedRoutinesDrawQuadsBeforeTrianglesEachInFaceOrder) {
    // Each face at its own depth: triangle 0.3, quad 0.1, triangle 0.4, quad 0.2.
    std::string text;
    for (const char* z : {"0.1", "0.2", "0.3", "0.4"}) {
        for (const char* xy : {"-0.5 -0.5 ", "0.5 -0.5 ", "0.5 0.5 ", "-0.5 0.5 "}) {
            text += std::string("v ") + xy + z + "\n";
        }
    }
    loadText(*obj, text + "f 9 10 11\nf 1 2 3 4\nf 13 14 15\nf 5 6 7 8\n");
    for (const Routine r : kShaded) {
        std::vector<float> depths;
        for (const Primitive& p : capture(r)) {
            depths.push_back(std::round(p.v[0][2] * 10) / 10);
        }
        // Mesa hands each quad back as two triangles.
        EXPECT_EQ(depths, (std::vector<float>{0.1f, 0.1f, 0.2f, 0.2f, 0.3f, 0.4f}));
    }
}

TEST_F(Routines, FlatNormalFromFirstThreeCornersSmoothNormalAndTextureAsStored) {
    // The fourth corner is out of the plane of the first three.
    loadText(*obj, "v 0 0 0\nv 0 0 -0.5\nv 0 0.5 -0.5\nv 0 0.5 0.7\nvt 0.25 0.75\nvn 0 3 0\n"
                   "f 1/1/1 2/1/1 3/1/1 4/1/1\n");
    GLfloat n[4] = {}, t[4] = {};
    obj->renderModelAsFlatTexturedPolys();
    glGetFloatv(GL_CURRENT_NORMAL, n);
    EXPECT_EQ(std::vector<float>(n, n + 3), (std::vector<float>{1, 0, 0}));
    obj->renderModelAsSmoothTexturedPolys();
    glGetFloatv(GL_CURRENT_NORMAL, n);
    glGetFloatv(GL_CURRENT_TEXTURE_COORDS, t);
    EXPECT_EQ(std::vector<float>(n, n + 3), (std::vector<float>{0, 3, 0})); // not normalised
    EXPECT_EQ(std::vector<float>(t, t + 2),
              (std::vector<float>{0.25f, 0.25f})); // flipped once, at read
}

// Lit so that the feedback colour of a face toward the viewer is its diffuse colour.
void diffuseOnlyLighting() {
    const GLfloat black[4] = {0, 0, 0, 1}, white[4] = {1, 1, 1, 1}, blue[4] = {0, 0, 1, 1};
    const GLfloat towardViewer[4] = {0, 0, 1, 0};
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, black);
    glLightfv(GL_LIGHT0, GL_AMBIENT, black);
    glLightfv(GL_LIGHT0, GL_SPECULAR, black);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
    glLightfv(GL_LIGHT0, GL_POSITION, towardViewer);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, black);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, black);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, blue);
}

std::string colours(const std::vector<Primitive>& prims) {
    std::string s;
    for (const Primitive& p : prims) {
        s += p.v[0][3] > 0.5f ? 'R' : p.v[0][4] > 0.5f ? 'G' : p.v[0][5] > 0.5f ? 'B' : '?';
    }
    return s;
}

const char* const kSquare = "v -0.5 -0.5 0\nv 0.5 -0.5 0\nv 0.5 0.5 0\nv -0.5 0.5 0\n";

TEST_F(Routines, MaterialsSwitchAtGroupStartsOnlyWhenEnabled) {
    // Faces: none yet, green, red, red quad, a material that is not found.
    loadText(*obj,
             std::string("mtllib lib\n") + kSquare +
                 "f 1 2 3\nusemtl green\nf 1 2 4\nusemtl red\nf 2 3 4\nf 1 2 3 4\nusemtl gold\nf 1 "
                 "3 4\n",
             "newmtl red\nKd 1 0 0\nnewmtl green\nKd 0 1 0\n");
    diffuseOnlyLighting();
    // Quads: the red quad. Triangles: red, green, then the two without a
    // material under whatever is in force (green, set last).
    EXPECT_EQ(colours(capture(&MyOBJ::renderModelAsSmoothPolys)), "RRRGGG");
    obj->setRendersMaterials(false);
    diffuseOnlyLighting();
    EXPECT_EQ(colours(capture(&MyOBJ::renderModelAsFlatPolys)), "BBBBBB");
}

TEST_F(Routines, EachPassStartsUnderItsOwnGroupsMaterial) {
    // Sorted: red triangle, blue quad, green quad. The quad pass applies red
    // and blue together before the blue quad.
    loadText(*obj,
             std::string("mtllib x\n") + kSquare +
                 "usemtl red\nf 1 2 3\nusemtl green\nf 1 2 4 3\nusemtl blue\nf 1 2 3 4\n",
             "newmtl red\nKd 1 0 0\nnewmtl blue\nKd 0 0 1\nnewmtl green\nKd 0 1 0\n");
    diffuseOnlyLighting();
    EXPECT_EQ(colours(capture(&MyOBJ::renderModelAsFlatPolys)), "BBGGR");
}

TEST_F(Routines, FacesNamingNothingAreSkippedAndMissingAttributesLeftOut) {
    testing::internal::CaptureStdout();
    obj->loadOBJText(
        "v -0.5 -0.5 0\nv 0.5 -0.5 0\nv 0 0.5 0\nvn 0 0 1\nvt 0 0\nf 1/1/1 2/1/1 3/1/1\n"
        "f 1 2 4\nf 0 1 2\nf -1 1 2\nf 1/1 2/2 3/3\nf 1 2 3 500001\n"
        "f 1/2/2 2/-3/0 3/5/9\n"); // drawn, but without any texture or normal
    testing::internal::GetCapturedStdout();
    for (const Routine r : kShaded) {
        EXPECT_EQ(countOf(capture(r), GL_POLYGON_TOKEN), 2);
    }
    // Points: every vertex. Flat normals: one per face; smooth: the first face's corners.
    const int lines[] = {3, 2, 3, 6};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(capture(kDiagnostic[i]).size(), static_cast<size_t>(lines[i])) << i;
    }
}

TEST_F(Routines, NormalLinesAndOutlinesOfTheExamples) {
    loadText(*obj, "v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 2\nf 1//1 2//1 3//1\n");
    const auto flat = capture(&MyOBJ::renderModelAsFlatNormals);
    const std::vector<float> expected[] = {{1 / 3.0f, 1 / 3.0f, 0}, {1 / 3.0f, 1 / 3.0f, 0.4f}};
    ASSERT_EQ(flat.size(), 1u);
    for (int end = 0; end < 2; ++end) {
        for (int k = 0; k < 3; ++k) {
            EXPECT_NEAR(flat[0].v[end][k], expected[end][k], 1e-5);
        }
    }
    const auto smooth = capture(&MyOBJ::renderModelAsSmoothNormals);
    ASSERT_EQ(smooth.size(), 3u);
    EXPECT_NEAR(smooth[0].v[1][2] - smooth[0].v[0][2], 0.8f, 1e-5); // 0.4 of a length-2 normal

    const float segments[3][4] = {{0, 0, 1, 0}, {1, 0, 0, 1}, {0, 1, 0, 0}};
    const auto outline = capture(&MyOBJ::renderModelAsFramePolys);
    ASSERT_EQ(outline.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ((std::vector<float>{outline[i].v[0][0], outline[i].v[0][1], outline[i].v[1][0],
                                      outline[i].v[1][1]}),
                  std::vector<float>(segments[i], segments[i] + 4));
    }
}

TEST_F(Routines, CoincidentCornersWarnWithTheFaceIndex) {
    loadText(*obj, "v 0 0 0\nv 0.5 0 0\nv 0 0.5 0\nf 1 2 3\nf 1 1 1\n");
    testing::internal::CaptureStdout();
    capture(&MyOBJ::renderModelAsFlatNormals);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "WARNING: Computed Face Normal is NaN (face 1)\n");
    GLfloat size = 0;
    capture(&MyOBJ::renderModelAsPoints);
    glGetFloatv(GL_POINT_SIZE, &size);
    EXPECT_EQ(size, 5.0f);
}

TEST_F(Routines, EmptyModelDrawsAndPrintsNothing) {
    testing::internal::CaptureStdout();
    for (const auto& family : {kShaded, kDiagnostic}) {
        for (int i = 0; i < 4; ++i) {
            EXPECT_TRUE(capture(family[i]).empty());
        }
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

} // namespace
