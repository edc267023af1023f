#include "MeshTestSupport.h"

#include <array>
#include <filesystem>
#include <fstream>
#include <unistd.h>

using namespace meshtest;

namespace {

struct OutputCase {
    const char* name;
    std::string text;
    std::string printed;
};

const OutputCase kOutputs[] = {
    // The warning keeps the line's terminator, so ")" opens the next output line.
    {"UnknownLineKind", "g cube\n",
     "\nWARNING: line type not known:\n(g cube\n)\n\n" + summary("", 0, 0, 0, 0)},
    {"CommentNeedsItsBlank", "# comment\n#\n#comment\n",
     "\nWARNING: line type not known:\n(#comment\n)\n\n" + summary("", 0, 0, 0, 0)},
    {"BlankLinesAreSilent", "\n\n   \n\t \r\n", summary("", 0, 0, 0, 0)},
    {"KeywordOfSixteenCharactersIsUnknown", "#aaaaaaaaaaaaaaa x\n",
     "\nWARNING: line type not known:\n(#aaaaaaaaaaaaaaa x\n)\n\n" + summary("", 0, 0, 0, 0)},
    {"LineEndsAtNul", std::string("g a\0b\nv 1 2 3\0v\n", 16),
     "\nWARNING: line type not known:\n(g a)\n\n" + summary("", 1, 0, 0, 0)},
    {"FacesOfTooFewOrManyCorners", "f\nf 1 2\nf 1 2 3 4 5\n",
     "WARNING: unsupported face (0 verts)\nWARNING: unsupported face (2 verts)\n"
     "WARNING: unsupported face (5 verts)\n" +
         summary("", 0, 0, 0, 0)},
    {"SummaryNamesTheObjectWithItsTerminator", "o Cube\nv 0 0 0\nvt 0 0\nvn 0 0 1\nf 1 1 1\n",
     "Object Loaded: Cube\nv: 1, vt: 1, vn: 1, f: 1\n\n"},
    // The first piece is a 254-character comment; the rest is a line of its own.
    {"LongLineComesInPieces",
     "# " + std::string(252, 'x') + "v 9 8 7\n" + std::string(254, ' ') + "\n",
     summary("", 1, 0, 0, 0)},
    {"UseMtlBeforeAnyLibrary", "usemtl red\n",
     "WARNING: UseMtl Material Not found: red\n\n" + summary("", 0, 0, 0, 0)},
};

class ReaderOutput : public testing::TestWithParam<OutputCase> {};

TEST_P(ReaderOutput, PrintsExactly) {
    auto obj = newModel();
    EXPECT_EQ(loadText(*obj, GetParam().text), GetParam().printed);
}

INSTANTIATE_TEST_SUITE_P(ObjReader, ReaderOutput, testing::ValuesIn(kOutputs),
                         [](const auto& info) { return info.param.name; });

struct FaceCase {
    const char* line;
    int verts;
    std::array<int, 12> indices; // v[0..3], vt[0..3], vn[0..3]
};

const FaceCase kFaces[] = {
    {"f 1 2 3", 3, {1, 2, 3, -1, -1, -1, -1, -1, -1, -1, -1, -1}},
    {"f 1/4/7 2/5/8 3/6/9 4/7/1", 4, {1, 2, 3, 4, 4, 5, 6, 7, 7, 8, 9, 1}},
    {"f 1//3 2//3 3//3", 3, {1, 2, 3, -1, -1, -1, -1, -1, 3, 3, 3, -1}},
    // Position and texture without normal: the scan stops after the first texture index.
    {"f 1/1 2/2 3/3", 3, {1, -1, -1, -1, 1, -1, -1, -1, -1, -1, -1, -1}},
    {"f\t-1 -2 -3", 3, {-1, -2, -3, -1, -1, -1, -1, -1, -1, -1, -1, -1}},
    {"f 1 2 x 4", 4, {1, 2, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1}},
};

TEST(ObjReader, FaceIndicesAreStoredAsEachNotationScansThem) {
    for (const FaceCase& c : kFaces) {
        auto obj = newModel();
        loadText(*obj, c.line);
        ASSERT_EQ(obj->mFaceCount, 1) << c.line;
        const Face& f = obj->mFaces[0];
        std::array<int, 12> got{};
        for (int i = 0; i < 4; ++i) {
            got[i] = f.v[i], got[4 + i] = f.vt[i], got[8 + i] = f.vn[i];
        }
        EXPECT_EQ(f.verts, c.verts) << c.line;
        EXPECT_EQ(got, c.indices) << c.line;
    }
}

TEST(ObjReader, ValuesAreStoredAsWrittenAndTextureVFlipped) {
    auto obj = newModel();
    loadText(*obj, "v 1.5 -2 3e1\nvn 0 0 2\nvt 0.25 0.75 0.9\n  o Cube\n");
    EXPECT_EQ(obj->mVerts[0].z, 30.0f);
    EXPECT_EQ(obj->mNormals[0].z, 2.0f);
    EXPECT_EQ(obj->mTextureVerts[0].x, 0.25f);
    EXPECT_EQ(obj->mTextureVerts[0].y, 0.25f);
    EXPECT_EQ(obj->mTextureVerts[0].z, 0.0f);
    EXPECT_STREQ(obj->objectName, "o Cube\n"); // by position, not by word
    loadText(*obj, "v 1 2 3\n");
    EXPECT_STREQ(obj->objectName, "o Cube\n"); // survives a reload without one
    loadText(*obj, "o");
    EXPECT_STREQ(obj->objectName, "");
}

TEST(ObjReader, MissingFileLeavesAnEmptyUsableModel) {
    auto obj = newModel();
    loadText(*obj, "v 1 2 3\nf 1 1 1\n");
    obj->displayListDirty = false;
    testing::internal::CaptureStdout();
    obj->loadOBJFile("/nonexistent/x.obj");
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "WARNING: OBJ File did not open: /nonexistent/x.obj\n" + summary("", 0, 0, 0, 0));
    EXPECT_EQ(obj->mFaceCount, 0);
    EXPECT_EQ(obj->mMaterialPropertyCount, -1);
    EXPECT_TRUE(obj->displayListDirty);
}

TEST(ObjReader, FileLoadReadsTheLibraryItNames) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("dravin_mesh_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string objPath = (dir / "m.obj").string(), mtlPath = (dir / "m.mtl").string();
    std::ofstream(mtlPath) << "newmtl red\nKd 1 0 0\n";
    std::ofstream(objPath) << "mtllib " << mtlPath << "\nv 0 0 0\nusemtl red\nf 1 1 1\n";
    auto obj = newModel();
    testing::internal::CaptureStdout();
    obj->loadOBJFile(objPath.c_str());
    const std::string out = testing::internal::GetCapturedStdout();
    std::filesystem::remove_all(dir);
    EXPECT_EQ(out, "OBJ File Open: " + objPath + "\nMTL File Open: " + mtlPath + "\n" +
                       summary("", 1, 0, 0, 1));
    EXPECT_EQ(obj->mMaterialProperties[0].Kd[0], 1.0f);
}

TEST(ObjFlags, StartOnAndMarkDirtyOnlyWhenChanged) {
    const std::pair<void (MyOBJ::*)(bool), bool (MyOBJ::*)() const> flags[] = {
        {&MyOBJ::setRendersSmooth, &MyOBJ::rendersSmooth},
        {&MyOBJ::setRendersFaces, &MyOBJ::rendersFaces},
        {&MyOBJ::setRendersWireframes, &MyOBJ::rendersWireframes},
        {&MyOBJ::setRendersNormals, &MyOBJ::rendersNormals},
        {&MyOBJ::setRendersTextures, &MyOBJ::rendersTextures},
        {&MyOBJ::setRendersMaterials, &MyOBJ::rendersMaterials},
    };
    auto obj = newModel();
    EXPECT_TRUE(obj->displayListDirty);
    EXPECT_EQ(obj->displayListName(), -1);
    EXPECT_EQ(obj->wireframeDisplayListName(), -1);
    for (const auto& [set, get] : flags) {
        EXPECT_TRUE(((*obj).*get)());
        obj->displayListDirty = false;
        ((*obj).*set)(true);
        EXPECT_FALSE(obj->displayListDirty);
        ((*obj).*set)(false);
        EXPECT_TRUE(obj->displayListDirty);
        EXPECT_FALSE(((*obj).*get)());
    }
}

TEST(ObjCapacity, FullArraysKeepTheFirstRecordsAndWarnOncePerKind) {
    const char* const kinds[][2] = {
        {"v", "vertices"}, {"vt", "texture vertices"}, {"vn", "normals"}, {"f", "faces"}};
    for (const auto& [kind, name] : kinds) {
        for (const int lines : {500000, 500002}) {
            std::string text;
            for (int i = 1; i <= lines; ++i) {
                text += std::string(kind) + " " + std::to_string(i) + " 1 1\n";
            }
            auto obj = newModel();
            const std::string out = loadText(*obj, text);
            const std::string warning =
                std::string("WARNING: more than 500000 ") + name + ", the rest dropped\n";
            EXPECT_EQ(out, (lines > 500000 ? warning : "") +
                               summary("", obj->mVertCount, obj->mTextureVertCount,
                                       obj->mNormalCount, obj->mFaceCount));
            const int last = kind == std::string("f")   ? obj->mFaces[499999].v[0]
                             : kind == std::string("v") ? static_cast<int>(obj->mVerts[499999].x)
                             : kind == std::string("vt")
                                 ? static_cast<int>(obj->mTextureVerts[499999].x)
                                 : static_cast<int>(obj->mNormals[499999].x);
            EXPECT_EQ(last, 500000) << kind;
            EXPECT_EQ(obj->mVertCount + obj->mTextureVertCount + obj->mNormalCount +
                          obj->mFaceCount,
                      500000);
        }
    }
}

} // namespace
