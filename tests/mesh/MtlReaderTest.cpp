#include "MeshTestSupport.h"

using namespace meshtest;

namespace {

std::string loadLibrary(MyOBJ& obj, std::string_view text) {
    testing::internal::CaptureStdout();
    obj.loadMTLText(text);
    return testing::internal::GetCapturedStdout();
}

std::string useMtl(MyOBJ& obj, const char* line) {
    testing::internal::CaptureStdout();
    obj.readUseMtl(line);
    return testing::internal::GetCapturedStdout();
}

TEST(MtlReader, PropertiesFillTheLastMaterialAndKeepWhatALineDoesNotSupply) {
    auto obj = newModel();
    EXPECT_EQ(loadLibrary(
                  *obj, "Kd 1 1 1\nnewmtl red\nKd 1 0 0\nNs 50\nKa 0.5\nKs 0.5 x 7\nd 1\nillum 2\n"
                        "newmtl b\n# c\nmap_Kd a.png"),
              "\nWARNING: line type not known:\n(# c\n)\n\n\nWARNING: line type not "
              "known:\n(map_Kd a.png)\n\n");
    ASSERT_EQ(obj->mMaterialPropertyCount, 2);
    const MaterialProperties& m = obj->mMaterialProperties[0];
    EXPECT_STREQ(m.name, "red\n");
    EXPECT_EQ((std::vector<float>{m.Kd[0], m.Kd[1], m.Kd[2], m.Ns}),
              (std::vector<float>{1, 0, 0, 50}));
    EXPECT_EQ((std::vector<float>{m.Ka[0], m.Ka[1], m.Ks[0], m.Ks[1]}),
              (std::vector<float>{0.5f, 0, 0.5f, 0}));
    EXPECT_TRUE(obj->displayListDirty);
}

TEST(MtlReader, SeventeenthMaterialIsDroppedWithItsProperties) {
    std::string text;
    for (int i = 0; i < 17; ++i) {
        text += "newmtl m" + std::to_string(i) + "\nNs " + std::to_string(i) + "\n";
    }
    auto obj = newModel();
    EXPECT_EQ(loadLibrary(*obj, text), "WARNING: more than 16 materials, the rest dropped\n");
    EXPECT_EQ(obj->mMaterialPropertyCount, 16);
    EXPECT_EQ(obj->mMaterialProperties[15].Ns, 15.0f);
    text.resize(text.find("newmtl m16"));
    EXPECT_EQ(loadLibrary(*obj, text), "");
}

TEST(MtlReader, MissingLibraryLeavesNoMaterials) {
    auto obj = newModel();
    loadLibrary(*obj, "newmtl red\n");
    testing::internal::CaptureStdout();
    obj->loadMTLFile("/nonexistent/none.mtl");
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "WARNING: MTL File did not open: /nonexistent/none.mtl\n");
    EXPECT_EQ(useMtl(*obj, "usemtl red\n"), "WARNING: UseMtl Material Not found: red\n\n");
}

TEST(UseMtl, RecordsFromWhichFaceAMaterialHoldsComparingNamesWithTerminators) {
    auto obj = newModel();
    loadLibrary(*obj, "newmtl red\nnewmtl red \nnewmtl red\n");
    EXPECT_EQ(useMtl(*obj, "usemtl red\n"), ""); // the later duplicate wins
    obj->readFace("f 1 2 3\n");
    obj->readFace("f 1 2 3\n");
    EXPECT_EQ(useMtl(*obj, "usemtl red \n"), "");
    // Without a terminator: no match, and no empty line after the warning.
    EXPECT_EQ(useMtl(*obj, "usemtl red"), "WARNING: UseMtl Material Not found: red\n");
    EXPECT_EQ(useMtl(*obj, "usemtl Red\n"), "WARNING: UseMtl Material Not found: Red\n\n");
    const int expected[][2] = {{0, 2}, {2, 1}, {2, -1}, {2, -1}};
    ASSERT_EQ(obj->mMtlChangeCount, 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(obj->mMtlChanges[i].startingFace, expected[i][0]) << i;
        EXPECT_EQ(obj->mMtlChanges[i].materialIndex, expected[i][1]) << i;
    }
}

TEST(UseMtl, AThousandChangesFitTheRestAreDroppedWithOneWarning) {
    auto obj = newModel();
    for (const int lines : {1000, 1003}) {
        std::string text = "mtllib x.mtl\nmtllib y.mtl\n"; // the second library replaces the first
        for (int i = 0; i < lines; ++i) {
            text += "usemtl a\n";
        }
        EXPECT_EQ(loadText(*obj, text, "newmtl a\n"),
                  std::string("MTL File Open: x.mtl\nMTL File Open: y.mtl\n") +
                      (lines > 1000 ? "WARNING: more than 1000 material changes, the rest dropped\n"
                                    : "") +
                      summary("", 0, 0, 0, 0));
        EXPECT_EQ(obj->mMaterialPropertyCount, 1);
    }
}

} // namespace
