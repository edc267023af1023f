// The richer OBJ reader: each element kind as other viewers read it, every
// index resolved and checked, and one line for each kind of record left out.
#include "mesh/ObjModel.h"
#include "MeshTestSupport.h"
#include "fuzz/mesh/ObjModelCheck.h"

#include <algorithm>
#include <cmath>
#include <gmock/gmock.h>
#include <sstream>

using mesh::ObjModel;
using ::testing::HasSubstr;

namespace {

// The model's elements in OBJ's own notation with 0-based indices, one
// element a line: "f 0/1 1//2 2 @material", "l 0 1", "p 3", and a colour a
// position: "c 1.0,0.0,0.5", or "c -" for none.
std::string elements(const ObjModel& m) {
    std::ostringstream s;
    const auto element = [&](char kind, uint32_t first, uint32_t count, int32_t material) {
        s << kind;
        for (uint32_t k = first; k < first + count; ++k) {
            const mesh::ObjCorner& c = m.corners[k];
            s << ' ' << c.v;
            if (c.vt >= 0 || c.vn >= 0)
                s << '/' << (c.vt >= 0 ? std::to_string(c.vt) : "");
            if (c.vn >= 0)
                s << '/' << c.vn;
        }
        s << (material >= 0 ? " @" + m.materials[size_t(material)].name : "") << '\n';
    };
    for (const auto& p : m.polygons)
        element('f', p.firstCorner, p.cornerCount, p.material);
    for (const auto& l : m.lines)
        element('l', l.firstCorner, l.cornerCount, l.material);
    for (int32_t p : m.points)
        s << "p " << p << '\n';
    for (size_t i = 0; i < m.colours.size(); ++i) {
        char colour[64] = "c -\n";
        const Vector3D& c = m.colours[i];
        if (m.hasColour(i))
            std::snprintf(colour, sizeof colour, "c %.1f,%.1f,%.1f\n", c.x, c.y, c.z);
        s << colour;
    }
    return s.str();
}

// Reads the text and checks the model keeps its promise on indices.
std::string read(ObjModel& m, std::string_view obj, std::string_view mtl = {}) {
    const std::string out = printed([&] { EXPECT_TRUE(mesh::readObjModelText(obj, m, mtl)); });
    EXPECT_EQ(meshfuzz::modelFault(m), "") << obj;
    return out;
}

// x, y, z of each vector.
std::vector<float> xyz(const std::vector<Vector3D>& vectors) {
    std::vector<float> out;
    for (const Vector3D& v : vectors)
        out.insert(out.end(), {v.x, v.y, v.z});
    return out;
}

const std::string kFourVertices = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n";

} // namespace

TEST(ObjModel, ReadsEachElementKindAsWrittenAndLeavesOutWhatNamesNothingWithOneLineEach) {
    const struct {
        std::string obj;      // after four vertices, three texture coordinates and two normals
        std::string elements; // as elements() writes them
        std::string warning;  // a line the load prints, or ""
    } cases[] = {
        // clang-format off
        // Faces in every notation, mixed, negative (relative) and of any size.
        {"f 1 2 3", "f 0 1 2\n", ""}, {"f 1/1 2/2 3/3", "f 0/0 1/1 2/2\n", ""},
        {"f 1//2 2//2 3//1", "f 0//1 1//1 2//0\n", ""}, {"f 1/1/1 2/2/2 3/3/1 4/1/2", "f 0/0/0 1/1/1 2/2/0 3/0/1\n", ""},
        {"f 1 2/1 3//1 4/2/", "f 0 1/0 2//0 3/1\n", ""}, {"f -4/-3/-2 -3 -2 -1", "f 0/0/0 1 2 3\n", ""},
        {"v 5 5 5\nf -1 1 2 \\\n 3", "f 4 0 1 2\n", ""}, {"f 1 2 3 4 1 2 3", "f 0 1 2 3 0 1 2\n", ""},
        {"f 1 2 3 4\nf 4 3 2 1\nf 1 2 4", "f 0 1 2 3\nf 3 2 1 0\nf 0 1 3\n", ""},
        // What names nothing: the face goes, a bad texture or normal index only itself.
        {"f 1 2 5", "", "WARNING: 1 faces with a corner that names no vertex left out\n"},
        {"f 0 1 2\nf -5 1 2\nf 1 x 2", "", "WARNING: 3 faces with a corner that names no vertex left out\n"},
        {"f 1 2 99999999999999999999999", "", "WARNING: 1 faces with a corner that names no vertex left out\n"},
        {"f 1/4 2/-4 3//3", "f 0 1 2\n", "WARNING: 3 texture or normal indices that name none ignored\n"},
        {"f 1 2\nf", "", "WARNING: 2 faces with fewer than 3 corners left out\n"},
        // Lines and points.
        {"l 1 2 3 4 1", "l 0 1 2 3 0\n", ""}, {"l 1/1 -1/2", "l 0/0 3/1\n", ""},
        {"l 2", "", "WARNING: 1 line elements of fewer than 2 points left out\n"},
        {"l 1 2 7", "", "WARNING: 1 line elements with a point that names no vertex left out\n"},
        {"p 1 -1\np 3", "p 0\np 3\np 2\n", ""}, {"p 1 5 0 q", "p 0\n", "WARNING: 3 point indices that name no vertex left out\n"},
        // Unknown kinds: one line for all; the ones a viewer has no use for are silent.
        {"g box\ns 1\n# note\n#note\nvp 1\nbogus 1\nmore", "",
         "WARNING: 2 lines of unknown kinds left out (the first: bogus)\n"},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.obj);
        ObjModel m;
        const std::string out =
            read(m, kFourVertices + "vt 0 0\nvt 1 0\nvt 1 1\nvn 0 0 1\nvn 0 0 -1\n" + c.obj + "\n");
        EXPECT_EQ(elements(m), c.elements);
        EXPECT_THAT(out, HasSubstr(c.warning));
        EXPECT_EQ(out.find("WARNING") == out.npos, c.warning.empty()) << out;
    }
}

TEST(ObjModel, KeepsVerticesTextureCoordinatesNormalsColoursAndTheNameAsWritten) {
    ObjModel m;
    const std::string out =
        read(m, "o  Two Cubes \r\no later\nv 1 2 3 1 0.5 0\r\nv 4 5 6 7\nv 1 1 1 2 -1 0.5\n"
                "v 0 0 0 nan 0 0\nvt 0.25 0.75 0.5\nvn 0 3 4\n");
    EXPECT_EQ(m.name, "Two Cubes");
    // A fourth number is a weight, no colour.
    EXPECT_EQ(xyz(m.positions), (std::vector<float>{1, 2, 3, 4, 5, 6, 1, 1, 1, 0, 0, 0}));
    EXPECT_EQ(elements(m), "c 1.0,0.5,0.0\nc -\nc 1.0,0.0,0.5\nc -\n");
    EXPECT_EQ(xyz(m.textureCoords), (std::vector<float>{0.25f, 0.25f, 0})); // u, 1 - v, 0
    EXPECT_EQ(xyz(m.normals), (std::vector<float>{0, 3, 4}));               // not normalised
    EXPECT_EQ(out, "OBJ File Open: (text)\n"
                   "WARNING: 1 vertex colours outside 0..1 clamped\n"
                   "WARNING: 1 vertex colours that are not numbers left out\n"
                   "Object Loaded: Two Cubes\nv: 4, vt: 1, vn: 1, f: 0, l: 0, p: 0\n\n");
}

TEST(ObjModel, MaterialsComeFromEveryLibraryWithTheirTextureMapsAndAreMatchedByName) {
    ObjModel m;
    const std::string out = read(
        m,
        kFourVertices + "usemtl red\nf 1 2 3\nmtllib a.mtl b.mtl a.mtl\nusemtl  blue \nf 1 3 4\n"
                        "usemtl ghost\nl 1 2\nf 2 3 4\n",
        "Kd 9 9 9\nnewmtl red\nKd 1 0 0\nKa 0.5\nNs 40\n"
        "map_Kd -s 2 2 1 -o 0.5 -clamp on -bm 0.2 my red map.png  \n"
        "newmtl blue\nKd 0 0 1 junk\nmap_Ks other.png\nKs nan 0 0\n");
    // Both libraries read the same text here: each material twice, the first of a name used.
    ASSERT_EQ(m.materials.size(), 4u);
    const mesh::ObjMaterial &red = m.materials[0], &blue = m.materials[1];
    EXPECT_EQ(red.name + "|" + red.diffuseMap + "|" + blue.diffuseMap, "red|my red map.png|");
    // Red's Ka of one value is a grey; blue's Ks that is not a number keeps the default.
    EXPECT_EQ((std::vector<float>{red.Kd[0], red.Ka[2], red.Ns, blue.Kd[2], blue.Ks[0]}),
              (std::vector<float>{1, 0.5f, 40, 1, 0}));
    // A library named after the faces that use it still gives them their material.
    EXPECT_EQ(elements(m), "f 0 1 2 @red\nf 0 2 3 @blue\nf 1 2 3\nl 0 1\n");
    EXPECT_THAT(out, HasSubstr("MTL File Open: a.mtl\nMTL File Open: b.mtl\n"));
    EXPECT_THAT(out, HasSubstr("WARNING: 1 materials named by usemtl are in no library (the "
                               "first: ghost); their faces have none\n"));
}

TEST(ObjModel, AFileThatCannotBeReadSaysSoAndAMissingLibraryIsOneLine) {
    ObjModel m;
    mesh::MemoryFiles files{{{"m.obj", "mtllib gone.mtl\nv 0 0 0\np 1\n"}}};
    std::string out = printed([&] { EXPECT_TRUE(mesh::readObjModel("m.obj", m, files.source())); });
    EXPECT_THAT(out, HasSubstr("WARNING: MTL File did not open: gone.mtl\n"));
    EXPECT_EQ(elements(m), "p 0\n");
    out = printed([&] { EXPECT_FALSE(mesh::readObjModel("none.obj", m, files.source())); });
    EXPECT_EQ(out, "WARNING: OBJ File did not open: none.obj\n");
    EXPECT_TRUE(m.positions.empty());
}

TEST(ObjModel, PolygonsAreCutIntoTrianglesOfTheirOwnCornersAndAHugeOneStaysQuick) {
    // A square, a concave arrow of five corners and a ring of 100,000 corners
    // written with six digits, whose rounding makes nearly half its corners
    // concave: corners - 2 triangles each, in the polygons' order.
    std::ostringstream ring;
    ring << kFourVertices << "v 0.5 0.5 0\nf 1 2 3 4\nf 1 2 5 3 4\n";
    std::string face = "f";
    for (int i = 0; i < 100000; ++i) {
        const double a = 6.283185307179586 * i / 100000;
        ring << "v " << std::cos(a) << ' ' << std::sin(a) << " 1\n";
        face += ' ' + std::to_string(i + 6);
    }
    ObjModel m;
    const std::string out = read(m, ring.str() + face + "\n");
    // With three polygons read, the model check has counted their triangles.
    ASSERT_EQ(m.polygons.size(), 3u);
    EXPECT_TRUE(std::is_sorted(m.trianglePolygons.begin(), m.trianglePolygons.end()));
    // The polygon's normal follows its winding.
    EXPECT_EQ(m.polygons[0].normal.z, 1.0f);
    EXPECT_EQ(out.find("WARNING"), out.npos) << out;
}
