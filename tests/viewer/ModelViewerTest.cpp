// The viewer in process: its keys, its wheel and its drags, and what its
// frames show of each kind of element, read back from a real GL context.
#include "viewer/ModelViewer.h"
#include "host/media/Media.h"
#include "host/media/MediaWriter.h"
#include "tests/support/ViewHarness.h"
#include "tests/support/CapturedOutput.h"
#include "tests/support/PixelKind.h"
#include "viewer/ModelFraming.h"

#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

namespace {

// A file of this process's own: tests run side by side.
const std::string& modelPath() {
    static const std::string path = "/tmp/dravin_viewer_test_" + std::to_string(getpid()) + ".obj";
    return path;
}

struct QuietViewer : ModelViewer {
    QuietViewer() : ModelViewer(modelPath()) {}
    void startThreads() override {}
};

constexpr int kSize = 200;

// A viewer of the model text in a kSize x kSize view, turned to face it.
QuietViewer* viewerOf(const std::string& obj) {
    std::ofstream(modelPath()) << obj;
    test::CapturedOutput quiet;
    // One window a process: a new window each model would reload the GL driver.
    auto* v = static_cast<QuietViewer*>(host::Application::shared().mainView());
    if (v)
        v->initWorld();
    else
        v = loadView<QuietViewer>(kSize, kSize);
    if (v) {
        v->waitUntilLoaded();
        v->myArcBall = std::make_unique<ArcBall>();
    }
    std::remove(modelPath().c_str());
    return v;
}

// The frame's pixels, read at a point of the model's plane z = 0 of a model
// framed from the box -2..2 (the pixel scale of framingDistance).
struct Frame {
    std::vector<uint32_t> rgb = std::vector<uint32_t>(kSize * kSize);
    double pixelsPerUnit = kSize / 2 /
                           (framingDistance(ModelViewer::kFieldOfView, 1) *
                            std::tan(ModelViewer::kFieldOfView * M_PI / 360)) /
                           std::sqrt(8.0);
    explicit Frame(QuietViewer& v) {
        v.display();
        glReadPixels(0, 0, kSize, kSize, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, rgb.data());
        for (uint32_t& c : rgb)
            c &= 0xffffff;
    }
    char kind(double x, double y) const {
        const int px = int(kSize / 2 + x * pixelsPerUnit), py = int(kSize / 2 + y * pixelsPerUnit);
        return testing_support::pixelKind(rgb[size_t(py) * kSize + size_t(px)], rgb[0]);
    }
};

// How many pixels differ from the first, the background.
size_t covered(const std::vector<uint32_t>& rgb) {
    return rgb.size() - size_t(std::count(rgb.begin(), rgb.end(), rgb[0]));
}

// How many pixels of two pictures differ by more than 2 in a channel.
size_t differing(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    size_t count = 0;
    for (size_t i = 0; i < a.size(); ++i)
        for (int shift : {0, 8, 16})
            if (std::abs(int(a[i] >> shift & 0xff) - int(b[i] >> shift & 0xff)) > 2) {
                ++count;
                break;
            }
    return count;
}

// A frame of the box -2..2 around whatever else the file holds.
constexpr const char* kFrameCorners = "v -2 -2 0\nv 2 -2 0\nv 2 2 0\nv -2 2 0\n";

host::Event event(char key, float x = 0, float y = 0, int button = 0, float wheel = 0) {
    return {{x, y}, key ? std::string(1, key) : "", button, 0, wheel};
}

class ModelViewerTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(v = viewerOf("v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nf 1//1 2//1 3//1\n"), nullptr);
        v->resetView();
    }
    QuietViewer* v{};
};

} // namespace

TEST_F(ModelViewerTest, EachKeySwitchesItsRenderFlagAndPrintsTheWholeStateInOneLine) {
    // Loaded with normals and no materials: smooth faces and nothing else.
    const char* flags[] = {"smooth", "faces", "wireframe", "normals", "materials", "textures"};
    bool state[] = {true, true, false, false, false, false};
    const std::string keys = "sFwNmTSfWnMt"; // each flag's key twice, in either case
    for (size_t k = 0; k < keys.size(); ++k) {
        test::CapturedOutput out;
        v->keyDown(event(keys[k]));
        state[k % 6] = !state[k % 6];
        std::string line;
        for (size_t f = 0; f < 6; ++f)
            line += std::string(f ? ", " : "") + flags[f] + (state[f] ? " on" : " off");
        EXPECT_EQ(out.out(), line + "\n");
    }
    test::CapturedOutput other;
    v->keyDown(event('x'));
    v->keyDown(event(0));
    EXPECT_EQ(other.out(), "");
}

TEST_F(ModelViewerTest, KeysTypedWhileTheModelLoadsAreActedOnOnceItIsThere) {
    std::ofstream(modelPath()) << "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";
    test::CapturedOutput out;
    v->initWorld(); // a new load: no drawing until the frame that takes it
    v->keyDown(event('w'));
    v->keyDown(event('n'));
    ASSERT_TRUE(v->drawing == nullptr && v->isPreparing() && !v->flags.wireframe);
    v->waitUntilLoaded();
    std::remove(modelPath().c_str());
    EXPECT_TRUE(!v->isPreparing() && v->flags.wireframe && v->flags.normals);
    EXPECT_NE(out.out().find("smooth off, faces on, wireframe on, normals on"), std::string::npos);
}

TEST_F(ModelViewerTest, WheelZoomsWithinLimitsDragsTurnOnlyFromAPressAndRResetsBoth) {
    const float home = v->myArcBall->GetOrientation().angle;
    v->scrollWheel(event(0, 0, 0, 0, 1));
    EXPECT_LT(v->zoom, 1.0f); // away from the user: nearer
    for (float wheel : {100.0f, -1000.0f, NAN})
        v->scrollWheel(event(0, 0, 0, 0, wheel));
    EXPECT_EQ(v->zoom, 12.0f);
    // A drag with a button that was never pressed here turns nothing.
    v->otherMouseDragged(event(0, 150, 150, 2));
    EXPECT_EQ(v->myArcBall->GetOrientation().angle, home);
    for (int b : {0, 2}) {
        b ? v->otherMouseDown(event(0, 100, 100, b)) : v->mouseDown(event(0, 100, 100));
        b ? v->otherMouseDragged(event(0, 160, 120, b)) : v->mouseDragged(event(0, 160, 120));
        b ? v->otherMouseUp(event(0, 160, 120, b)) : v->mouseUp(event(0, 160, 120));
        EXPECT_GT(std::abs(v->myArcBall->GetOrientation().angle - home), 5.0f) << b;
        v->keyDown(event('R'));
        EXPECT_EQ(std::pair(v->myArcBall->GetOrientation().angle, v->zoom), std::pair(home, 1.0f));
    }
}

TEST(ViewerFrame, ShowsEachElementKindWhereItIsAndNothingElseWhere) {
    const struct {
        const char* name;
        std::string obj; // after the box's four corners
        // Points of the plane z = 0 and what shows there (pixelKind's letters).
        std::vector<std::tuple<double, double, char>> expected;
    } cases[] = {
        // clang-format off
        {"vertex colours", "v -2 -2 0 1 0 0\nv 2 -2 0 0 0 1\nv 2 2 0 0 0 1\nv -2 2 0 1 0 0\nf 5 6 7 8",
         {{-1.8, 0, 'r'}, {1.8, 0, 'b'}}},
        {"a line element", "l 1 3", {{0, 0, 'k'}, {1, 1, 'k'}, {1, -1, '.'}, {-1, 1, '.'}}},
        {"a point element", "v 1 1 0\np 5", {{1, 1, 'k'}, {-1, -1, '.'}, {-2, -2, '.'}}},
        {"a cloud: every vertex a point", "v 0 0 0", {{0, 0, 'k'}, {-1.98, -1.98, 'k'}, {1, 1, '.'}}},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QuietViewer* v = viewerOf(kFrameCorners + c.obj + "\n");
        ASSERT_NE(v, nullptr);
        const Frame frame(*v);
        for (const auto& [x, y, kind] : c.expected)
            EXPECT_EQ(frame.kind(x, y), kind) << x << "," << y;
    }
}

TEST(ViewerFrame, AConcavePolygonCoversExactlyItsAreaAtAnySizeOrPlaceAndItsOutlineHasNoInnerEdges) {
    // A U of area 16 - 2 * 3 in the box -2..2 (corners 1-4, then the notch),
    // as it is, as 1 mm, as 10 km and 100 km away; with vertices that are no
    // numbers, which the framing leaves out.
    const double corners[][2] = {{-2, -2}, {2, -2}, {2, 2},   {-2, 2},
                                 {1, 2},   {1, -1}, {-1, -1}, {-1, 2}};
    for (const auto& [scale, offset] :
         {std::pair{1.0, 0.0}, {2.5e-4, 0.0}, {2.5e3, 0.0}, {1.0, 1e5}}) {
        std::ostringstream obj;
        obj.precision(17);
        for (const auto& [x, y] : corners)
            obj << "v " << x * scale + offset << ' ' << y * scale - offset << " 0\n";
        const Frame frame(*viewerOf(obj.str() + "v nan nan nan\nv inf 0 0\nf 1 2 3 5 6 7 8 4\n"));
        const double area = 10 * frame.pixelsPerUnit * frame.pixelsPerUnit;
        EXPECT_NEAR(double(covered(frame.rgb)), area, 0.03 * area) << scale << " " << offset;
    }
    const std::string obj =
        std::string(kFrameCorners) + "v 1 2 0\nv 1 -1 0\nv -1 -1 0\nv -1 2 0\nf 1 2 3 5 6 7 8 4\n";
    QuietViewer* v = viewerOf(obj);
    ASSERT_NE(v, nullptr);
    // The outline alone: the middle of each cut across the polygon stays empty.
    v->flags.faces = false;
    v->flags.wireframe = true;
    const Frame outline(*v);
    // The drawing took the model's arrays: the same cuts read again, unframed.
    mesh::ObjModel m;
    const test::CapturedOutput quiet;
    mesh::readObjModelText(obj, m);
    ASSERT_EQ(m.triangles.size(), 3u * 6);
    int cuts = 0;
    for (size_t t = 0; t < m.triangles.size(); t += 3)
        for (size_t k = 0; k < 3; ++k) {
            const uint32_t a = m.triangles[t + k], b = m.triangles[t + (k + 1) % 3];
            if ((a + 1) % 8 == b || (b + 1) % 8 == a)
                continue; // an edge of the polygon
            ++cuts;
            const Vector3D& p = m.positions[size_t(m.corners[a].v)];
            const Vector3D& q = m.positions[size_t(m.corners[b].v)];
            EXPECT_EQ(outline.kind((p.x + q.x) / 2, (p.y + q.y) / 2), '.');
        }
    EXPECT_EQ(cuts, 2 * 5); // each of the 5 cuts seen from its two triangles
    EXPECT_EQ(outline.kind(0, -2 + 0.5 / outline.pixelsPerUnit), 'k'); // the bottom edge
}

TEST(ViewerFrame, BufferObjectsShowWhatTheClientArraysShowInEveryMode) {
    // Two materials (one with a 2 x 2 texture map), faces with and without a
    // material, normals and texture coordinates on some corners only, vertex
    // colours on some positions, a concave polygon, line and point elements.
    const std::string dir = std::filesystem::path(modelPath()).parent_path();
    const std::string map = "dravin_viewer_test_" + std::to_string(getpid()) + ".png";
    const std::string mtl = "dravin_viewer_test_" + std::to_string(getpid()) + ".mtl";
    const uint32_t texels[4] = {0xffe02020, 0xff20e020, 0xff2020e0, 0xffe0e020};
    ASSERT_EQ(host::MediaWriteImage(dir + "/" + map, host::kMediaTypePNG, 2, 2, texels, false), 0);
    std::ofstream(dir + "/" + mtl) << "newmtl red\nKd 0.9 0.2 0.2\nKs 0.5 0.5 0.5\nNs 40\n"
                                   << "newmtl mapped\nKd 1 1 1\nmap_Kd " << map << "\n";
    const std::string obj = "mtllib " + mtl +
                            "\nv -2 -2 0\nv 0 -2 0.5\nv 2 -2 0\nv -2 0 0.5 0.2 0.4 0.9\nv 0 0 1\n"
                            "v 2 0 0.5\nv -2 2 0\nv 0 2 0.5 0.9 0.8 0.1\nv 2 2 0\nv 1 1 0.2\n"
                            "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nvn 0 0 1\nvn 0.3 0 1\nvn 0 -0.4 1\n"
                            "usemtl red\nf 1/1/1 2/2/2 5/3/3 4/4/1\nusemtl mapped\n"
                            "f 2/1 3/2 6/3 10/4 5/1\nusemtl none\nf 4/1/2 5/2/3 8/3/1 7/4/2\n"
                            "usemtl\nf 5 6 9 8\nl 1 3 9\np 10 7\n";
    const ViewerFlags modes[] = {
        // smooth, faces, wireframe, normals, materials, textures
        {true, true, false, false, false, false}, {false, true, false, false, false, false},
        {true, true, true, true, false, false},   {false, false, true, true, false, false},
        {true, true, false, false, true, false},  {false, true, true, false, true, true},
        {true, true, false, true, false, true},
    };
    std::vector<std::vector<uint32_t>> pictures[2];
    for (ViewerMesh::Storage storage :
         {ViewerMesh::Storage::buffers, ViewerMesh::Storage::clientArrays}) {
        QuietViewer* v = viewerOf(obj);
        ASSERT_NE(v, nullptr);
        v->drawing->storage = storage;
        // Whatever buffers are bound around the drawing stay bound.
        GLuint bound[2] = {};
        glGenBuffers(2, bound);
        glBindBuffer(GL_ARRAY_BUFFER, bound[0]);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, bound[1]);
        for (const ViewerFlags& mode : modes) {
            v->flags = mode;
            pictures[int(storage)].push_back(Frame(*v).rgb);
        }
        EXPECT_EQ(v->drawing->inBuffers(), storage == ViewerMesh::Storage::buffers);
        GLint found[2] = {};
        glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &found[0]);
        glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &found[1]);
        EXPECT_EQ(std::pair(GLuint(found[0]), GLuint(found[1])), std::pair(bound[0], bound[1]));
        glDeleteBuffers(2, bound); // which also unbinds them
    }
    std::filesystem::remove(dir + "/" + map);
    std::filesystem::remove(dir + "/" + mtl);
    for (size_t m = 0; m < std::size(modes); ++m) {
        SCOPED_TRACE(m);
        const std::vector<uint32_t>&a = pictures[0][m], &b = pictures[1][m];
        // Each mode shows something, and something other than the last mode.
        EXPECT_GT(covered(a), a.size() / 100);
        EXPECT_TRUE(m == 0 || a != pictures[0][m - 1]);
        EXPECT_LE(differing(a, b), a.size() / 1000);
    }
}

TEST(ViewerFrame, FlatFacesAreLitAsFacesWithTheirPlanesNormalsSmooth) {
    // A leaning pyramid whose faces share every corner and turn each its own
    // way to the light, drawn flat, and drawn smooth with each face's plane
    // normal written in the file; without and with vertex colours.
    for (const std::string colours : {"", " 0.9 0.2 0.2"}) {
        SCOPED_TRACE(colours);
        const std::string corners =
            "v -2 -2 0" + colours + "\nv 2 -2 0\nv 2 2 0\nv -2 2 0\nv 1 0.5 2" + colours + "\n";
        QuietViewer* v = viewerOf(corners + "f 1 2 5\nf 2 3 5\nf 3 4 5\nf 4 1 5\n");
        ASSERT_NE(v, nullptr);
        v->flags = {false, true, false, false, false, false};
        const std::vector<uint32_t> flat = Frame(*v).rgb;
        v = viewerOf(corners + "vn 0 -4 5\nvn 2 0 1\nvn 0 4 3\nvn -2 0 3\nf 1//1 2//1 5//1\n"
                               "f 2//2 3//2 5//2\nf 3//3 4//3 5//3\nf 4//4 1//4 5//4\n");
        ASSERT_NE(v, nullptr);
        v->flags = {true, true, false, false, false, false};
        const std::vector<uint32_t> smooth = Frame(*v).rgb;
        EXPECT_LE(differing(flat, smooth), flat.size() / 1000);
        EXPECT_GT(covered(flat), 0u);
    }
}
