#include "MeshTestSupport.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

using meshtest::loadText;
using meshtest::newModel;
using meshtest::summary;

namespace {

struct FaceCase {
    const char* line;
    int verts;
    std::array<int, 4> v, vt, vn;
};

constexpr std::array<int, 4> kNone{-1, -1, -1, -1};

const FaceCase kFaceCases[] = {
    {"f 1 2 3\n", 3, {1, 2, 3, -1}, kNone, kNone},
    {"f 1 2 3 4\n", 4, {1, 2, 3, 4}, kNone, kNone},
    {"f 1/4/7 2/5/8 3/6/9 4/7/1\n", 4, {1, 2, 3, 4}, {4, 5, 6, 7}, {7, 8, 9, 1}},
    {"f 1//3 2//3 3//3\n", 3, {1, 2, 3, -1}, kNone, {3, 3, 3, -1}},
    // Position and texture without normal stops after the first corner's texture.
    {"f 1/1 2/2 3/3\n", 3, {1, -1, -1, -1}, {1, -1, -1, -1}, kNone},
    // Relative indices are stored as written.
    {"f -1 -2 -3\n", 3, {-1, -2, -3, -1}, kNone, kNone},
    {"f\t5 6\t7", 3, {5, 6, 7, -1}, kNone, kNone},
    // A word that is not a number ends the scan; the corner count still counts it.
    {"f 1 2 x 4\n", 4, {1, 2, -1, -1}, kNone, kNone},
};

class FaceNotation : public testing::TestWithParam<FaceCase> {};

TEST_P(FaceNotation, StoresIndicesAsTheScanPatternReadsThem) {
    const FaceCase& c = GetParam();
    auto obj = newModel();
    EXPECT_EQ(loadText(*obj, c.line), summary("", 0, 0, 0, 1));
    ASSERT_EQ(obj->mFaceCount, 1);
    const Face& f = obj->mFaces[0];
    EXPECT_EQ(f.verts, c.verts);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(f.v[i], c.v[i]) << "v" << i;
        EXPECT_EQ(f.vt[i], c.vt[i]) << "vt" << i;
        EXPECT_EQ(f.vn[i], c.vn[i]) << "vn" << i;
    }
}

INSTANTIATE_TEST_SUITE_P(ObjReader, FaceNotation, testing::ValuesIn(kFaceCases));

struct UnsupportedCase {
    const char* line;
    const char* message;
};

class UnsupportedFace : public testing::TestWithParam<UnsupportedCase> {};

TEST_P(UnsupportedFace, WarnsWithTheCornerCountAndAddsNothing) {
    auto obj = newModel();
    EXPECT_EQ(loadText(*obj, GetParam().line),
              std::string(GetParam().message) + summary("", 0, 0, 0, 0));
    EXPECT_EQ(obj->mFaceCount, 0);
}

INSTANTIATE_TEST_SUITE_P(
    ObjReader, UnsupportedFace,
    testing::Values(UnsupportedCase{"f\n", "WARNING: unsupported face (0 verts)\n"},
                    UnsupportedCase{"f 1 2\n", "WARNING: unsupported face (2 verts)\n"},
                    UnsupportedCase{"f 1 2 3 4 5\n", "WARNING: unsupported face (5 verts)\n"}));

TEST(ObjReader, VertexAndNormalAreStoredAsWritten) {
    auto obj = newModel();
    loadText(*obj, "v 1.5 -2 3e1\nvn 0 0 2\n");
    ASSERT_EQ(obj->mVertCount, 1);
    ASSERT_EQ(obj->mNormalCount, 1);
    EXPECT_EQ(obj->mVerts[0].x, 1.5f);
    EXPECT_EQ(obj->mVerts[0].y, -2.0f);
    EXPECT_EQ(obj->mVerts[0].z, 30.0f);
    EXPECT_EQ(obj->mNormals[0].z, 2.0f);
}

TEST(ObjReader, TextureVertexFlipsVAndIgnoresW) {
    auto obj = newModel();
    loadText(*obj, "vt 0.25 0.75\nvt 0.5 0.125 0.9\n");
    ASSERT_EQ(obj->mTextureVertCount, 2);
    EXPECT_EQ(obj->mTextureVerts[0].x, 0.25f);
    EXPECT_EQ(obj->mTextureVerts[0].y, 0.25f);
    EXPECT_EQ(obj->mTextureVerts[0].z, 0.0f);
    EXPECT_EQ(obj->mTextureVerts[1].y, 0.875f);
    EXPECT_EQ(obj->mTextureVerts[1].z, 0.0f);
}

struct MessageCase {
    const char* text;
    const char* printed; // before the summary
};

class LineMessages : public testing::TestWithParam<MessageCase> {};

TEST_P(LineMessages, PrintExactlyThis) {
    auto obj = newModel();
    EXPECT_EQ(loadText(*obj, GetParam().text),
              std::string(GetParam().printed) + summary("", 0, 0, 0, 0));
}

INSTANTIATE_TEST_SUITE_P(
    ObjReader, LineMessages,
    testing::Values(
        // The line keeps its terminator, so the parenthesis closes on the next line.
        MessageCase{"g cube\n", "\nWARNING: line type not known:\n(g cube\n)\n\n"},
        MessageCase{"s off", "\nWARNING: line type not known:\n(s off)\n\n"},
        MessageCase{"# comment\n", ""}, MessageCase{"#\n", ""},
        MessageCase{"#comment\n", "\nWARNING: line type not known:\n(#comment\n)\n\n"},
        MessageCase{"\n\n   \n\t \r\n", ""},
        MessageCase{"V 1 2 3\n", "\nWARNING: line type not known:\n(V 1 2 3\n)\n\n"},
        // Longer than the keyword's 15 characters.
        MessageCase{
            "#aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa x\n",
            "\nWARNING: line type not known:\n(#aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa x\n)\n\n"},
        MessageCase{"abcdefghijklmno\n",
                    "\nWARNING: line type not known:\n(abcdefghijklmno\n)\n\n"}));

TEST(ObjReader, TextStopsAtNulForTheWholePiece) {
    auto obj = newModel();
    const std::string text("v 1 2 3\0v 9 9 9\nv 4 5 6\n", 24);
    loadText(*obj, text);
    ASSERT_EQ(obj->mVertCount, 2);
    EXPECT_EQ(obj->mVerts[1].x, 4.0f);
    // A warning shows the line only up to the NUL.
    EXPECT_EQ(loadText(*obj, std::string("g a\0b\n", 6)),
              "\nWARNING: line type not known:\n(g a)\n\n" + summary("", 0, 0, 0, 0));
}

TEST(ObjReader, SummaryCarriesTheObjectNameWithItsTerminator) {
    auto obj = newModel();
    std::string text = "o Cube\n";
    for (int i = 0; i < 8; ++i) {
        text += "v 0 0 0\n";
    }
    EXPECT_EQ(loadText(*obj, text), "Object Loaded: Cube\nv: 8, vt: 0, vn: 0, f: 0\n\n");
    EXPECT_STREQ(obj->objectName, "Cube\n");
}

TEST(ObjReader, ObjectNameIsTakenByPositionAndSurvivesAReloadWithoutOne) {
    auto obj = newModel();
    loadText(*obj, "  o Cube\n");
    EXPECT_STREQ(obj->objectName, "o Cube\n");
    loadText(*obj, "v 1 2 3\n");
    EXPECT_STREQ(obj->objectName, "o Cube\n");
    // A bare "o" at the end of the text has no third character.
    loadText(*obj, "o");
    EXPECT_STREQ(obj->objectName, "");
}

TEST(ObjReader, LongLinesAreReadIn254CharacterPieces) {
    auto obj = newModel();
    // The first piece is a comment of 254 characters; the rest is a line of its own.
    const std::string text =
        "# " + std::string(252, 'x') + "v 9 8 7\n" + std::string(254, ' ') + "\n";
    EXPECT_EQ(loadText(*obj, text), summary("", 1, 0, 0, 0));
    EXPECT_EQ(obj->mVerts[0].x, 9.0f);
}

TEST(ObjReader, ReloadReplacesCountsAndMarksDirty) {
    auto obj = newModel();
    loadText(*obj, "v 1 2 3\nv 1 2 3\nf 1 2 1\n");
    obj->displayListDirty = false;
    loadText(*obj, "v 4 5 6\n");
    EXPECT_EQ(obj->mVertCount, 1);
    EXPECT_EQ(obj->mFaceCount, 0);
    EXPECT_EQ(obj->mMaterialPropertyCount, -1);
    EXPECT_TRUE(obj->displayListDirty);
}

TEST(ObjReader, MissingFileWarnsAndLeavesAnEmptyUsableModel) {
    auto obj = newModel();
    loadText(*obj, "v 1 2 3\nv 1 2 3\nv 1 2 3\nf 1 2 3\n");
    testing::internal::CaptureStdout();
    obj->loadOBJFile("/nonexistent/dravin.obj");
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "WARNING: OBJ File did not open: /nonexistent/dravin.obj\n" +
                  summary("", 0, 0, 0, 0));
    EXPECT_EQ(obj->mFaceCount, 0);
    EXPECT_EQ(obj->mMtlChangeCount, 0);
    EXPECT_TRUE(obj->displayListDirty);
}

TEST(ObjReader, FileLoadReadsTheLibraryItNames) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("dravin_mesh_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string objPath = (dir / "m.obj").string();
    const std::string mtlPath = (dir / "m.mtl").string();
    std::ofstream(mtlPath) << "newmtl red\nKd 1 0 0\n";
    std::ofstream(objPath) << "mtllib " << mtlPath << "\nv 0 0 0\nusemtl red\nf 1 1 1\n";
    auto obj = newModel();
    testing::internal::CaptureStdout();
    obj->loadOBJFile(objPath.c_str());
    const std::string out = testing::internal::GetCapturedStdout();
    std::filesystem::remove_all(dir);
    EXPECT_EQ(out, "OBJ File Open: " + objPath + "\nMTL File Open: " + mtlPath + "\n" +
                       summary("", 1, 0, 0, 1));
    EXPECT_EQ(obj->mMaterialPropertyCount, 1);
    EXPECT_EQ(obj->mMaterialProperties[0].Kd[0], 1.0f);
}

TEST(ObjFlags, CreationDefaults) {
    auto obj = newModel();
    EXPECT_TRUE(obj->rendersSmooth());
    EXPECT_TRUE(obj->rendersFaces());
    EXPECT_TRUE(obj->rendersWireframes());
    EXPECT_TRUE(obj->rendersNormals());
    EXPECT_TRUE(obj->rendersTextures());
    EXPECT_TRUE(obj->rendersMaterials());
    EXPECT_TRUE(obj->displayListDirty);
    EXPECT_EQ(obj->displayListName(), -1);
    EXPECT_EQ(obj->wireframeDisplayListName(), -1);
    EXPECT_EQ(obj->mVertCount, 0);
    EXPECT_STREQ(obj->objectName, "");
}

struct FlagCase {
    const char* name;
    void (MyOBJ::*set)(bool);
    bool (MyOBJ::*get)() const;
};

const FlagCase kFlags[] = {
    {"smooth", &MyOBJ::setRendersSmooth, &MyOBJ::rendersSmooth},
    {"faces", &MyOBJ::setRendersFaces, &MyOBJ::rendersFaces},
    {"wireframes", &MyOBJ::setRendersWireframes, &MyOBJ::rendersWireframes},
    {"normals", &MyOBJ::setRendersNormals, &MyOBJ::rendersNormals},
    {"textures", &MyOBJ::setRendersTextures, &MyOBJ::rendersTextures},
    {"materials", &MyOBJ::setRendersMaterials, &MyOBJ::rendersMaterials},
};

TEST(ObjFlags, SetterMarksDirtyOnlyWhenTheValueChanges) {
    for (const FlagCase& flag : kFlags) {
        auto obj = newModel();
        obj->displayListDirty = false;
        ((*obj).*flag.set)(true);
        EXPECT_FALSE(obj->displayListDirty) << flag.name;
        ((*obj).*flag.set)(false);
        EXPECT_TRUE(obj->displayListDirty) << flag.name;
        EXPECT_FALSE(((*obj).*flag.get)()) << flag.name;
        obj->displayListDirty = false;
        ((*obj).*flag.set)(false);
        EXPECT_FALSE(obj->displayListDirty) << flag.name;
    }
}

// Capacities: exactly full is silent, one more is dropped with one warning.
struct CapacityCase {
    const char* kind;
    const char* linePrefix; // followed by the line number
    const char* lineSuffix;
    const char* warning;
};

const CapacityCase kCapacities[] = {
    {"v", "v ", " 0 0\n", "WARNING: more than 500000 vertices, the rest dropped\n"},
    {"vt", "vt ", " 0\n", "WARNING: more than 500000 texture vertices, the rest dropped\n"},
    {"vn", "vn ", " 0 0\n", "WARNING: more than 500000 normals, the rest dropped\n"},
    {"f", "f ", " 1 1\n", "WARNING: more than 500000 faces, the rest dropped\n"},
};

int32_t countOf(const MyOBJ& obj, const std::string& kind) {
    return kind == "v"    ? obj.mVertCount
           : kind == "vt" ? obj.mTextureVertCount
           : kind == "vn" ? obj.mNormalCount
                          : obj.mFaceCount;
}

int32_t lastValueOf(const MyOBJ& obj, const std::string& kind) {
    return kind == "v"    ? static_cast<int32_t>(obj.mVerts[499999].x)
           : kind == "vt" ? static_cast<int32_t>(obj.mTextureVerts[499999].x)
           : kind == "vn" ? static_cast<int32_t>(obj.mNormals[499999].x)
                          : obj.mFaces[499999].v[0];
}

TEST(ObjCapacity, FullArraysKeepTheFirstRecordsAndWarnOncePerKind) {
    for (const CapacityCase& c : kCapacities) {
        for (const int lines : {500000, 500003}) {
            std::string text;
            text.reserve(static_cast<size_t>(lines) * 16);
            for (int i = 1; i <= lines; ++i) {
                text += c.linePrefix;
                text += std::to_string(i);
                text += c.lineSuffix;
            }
            auto obj = newModel();
            const std::string out = loadText(*obj, text);
            EXPECT_EQ(countOf(*obj, c.kind), 500000) << c.kind;
            EXPECT_EQ(lastValueOf(*obj, c.kind), 500000) << c.kind;
            const bool warned = out.find(c.warning) != std::string::npos;
            EXPECT_EQ(warned, lines > 500000) << c.kind << " " << out;
            EXPECT_EQ(out.find(c.warning), out.rfind(c.warning)) << c.kind;
        }
    }
}

} // namespace
