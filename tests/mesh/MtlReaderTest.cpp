#include "MeshTestSupport.h"

#include <string>

using meshtest::loadText;
using meshtest::newModel;
using meshtest::summary;

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

TEST(MtlReader, MaterialKeepsItsNameTerminatorAndProperties) {
    auto obj = newModel();
    EXPECT_EQ(loadLibrary(*obj, "newmtl red\nKd 1 0 0\nNs 50\nd 1\nillum 2\n"), "");
    ASSERT_EQ(obj->mMaterialPropertyCount, 1);
    const MaterialProperties& m = obj->mMaterialProperties[0];
    EXPECT_STREQ(m.name, "red\n");
    EXPECT_EQ(m.Kd[0], 1.0f);
    EXPECT_EQ(m.Kd[1], 0.0f);
    EXPECT_EQ(m.Ka[0], 0.0f);
    EXPECT_EQ(m.Ks[2], 0.0f);
    EXPECT_EQ(m.Ns, 50.0f);
    EXPECT_TRUE(obj->displayListDirty);
}

TEST(MtlReader, ShortColourLineSetsOnlyWhatItSupplies) {
    auto obj = newModel();
    loadLibrary(*obj, "newmtl m\nKa 0.1 0.2 0.3\nKa 0.5\nKs 0.5 x 0.7\n");
    const MaterialProperties& m = obj->mMaterialProperties[0];
    EXPECT_EQ(m.Ka[0], 0.5f);
    EXPECT_EQ(m.Ka[1], 0.2f);
    EXPECT_EQ(m.Ka[2], 0.3f);
    EXPECT_EQ(m.Ks[0], 0.5f);
    EXPECT_EQ(m.Ks[1], 0.0f);
    EXPECT_EQ(m.Ks[2], 0.0f);
}

TEST(MtlReader, NewMaterialStartsFromZeroEvenOverAnOldEntry) {
    auto obj = newModel();
    loadLibrary(*obj, "newmtl a\nKd 1 1 1\nNs 9\n");
    loadLibrary(*obj, "newmtl b\n");
    EXPECT_STREQ(obj->mMaterialProperties[0].name, "b\n");
    EXPECT_EQ(obj->mMaterialProperties[0].Kd[0], 0.0f);
    EXPECT_EQ(obj->mMaterialProperties[0].Ns, 0.0f);
}

TEST(MtlReader, CommentsAndUnknownStatementsWarn) {
    auto obj = newModel();
    EXPECT_EQ(loadLibrary(*obj, "# made by hand\nnewmtl m\nmap_Kd a.png"),
              "\nWARNING: line type not known:\n(# made by hand\n)\n\n"
              "\nWARNING: line type not known:\n(map_Kd a.png)\n\n");
}

TEST(MtlReader, PropertiesBeforeTheFirstMaterialAreIgnored) {
    auto obj = newModel();
    EXPECT_EQ(loadLibrary(*obj, "Kd 1 1 1\nNs 5\nKa 1 1 1\nKs 1 1 1\n\n  \n"), "");
    EXPECT_EQ(obj->mMaterialPropertyCount, 0);
    EXPECT_EQ(obj->mMaterialProperties[0].Kd[0], 0.0f);
    EXPECT_EQ(obj->mMaterialProperties[0].Ns, 0.0f);
}

TEST(MtlReader, SixteenMaterialsFitTheSeventeenthIsDroppedWithItsProperties) {
    std::string text;
    for (int i = 0; i < 17; ++i) {
        text += "newmtl m" + std::to_string(i) + "\nNs " + std::to_string(i) + "\n";
    }
    auto obj = newModel();
    EXPECT_EQ(loadLibrary(*obj, text), "WARNING: more than 16 materials, the rest dropped\n");
    EXPECT_EQ(obj->mMaterialPropertyCount, 16);
    EXPECT_STREQ(obj->mMaterialProperties[15].name, "m15\n");
    EXPECT_EQ(obj->mMaterialProperties[15].Ns, 15.0f);

    text.resize(text.find("newmtl m16"));
    EXPECT_EQ(loadLibrary(*obj, text), "");
    EXPECT_EQ(obj->mMaterialPropertyCount, 16);
}

TEST(MtlReader, MissingLibraryWarnsAndLeavesNoMaterials) {
    auto obj = newModel();
    testing::internal::CaptureStdout();
    obj->loadMTLFile("/nonexistent/none.mtl");
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "WARNING: MTL File did not open: /nonexistent/none.mtl\n");
    EXPECT_EQ(obj->mMaterialPropertyCount, 0);
    EXPECT_EQ(useMtl(*obj, "usemtl red\n"), "WARNING: UseMtl Material Not found: red\n\n");
}

TEST(UseMtl, RecordsTheFaceFromWhichEachMaterialHolds) {
    auto obj = newModel();
    loadLibrary(*obj, "newmtl red\nnewmtl blue\n");
    EXPECT_EQ(useMtl(*obj, "usemtl red\n"), "");
    for (int i = 0; i < 3; ++i) {
        obj->readFace("f 1 2 3\n");
    }
    useMtl(*obj, "usemtl blue\n");
    useMtl(*obj, "usemtl red\n");
    ASSERT_EQ(obj->mMtlChangeCount, 3);
    EXPECT_EQ(obj->mMtlChanges[0].startingFace, 0);
    EXPECT_EQ(obj->mMtlChanges[0].materialIndex, 0);
    EXPECT_EQ(obj->mMtlChanges[1].startingFace, 3);
    EXPECT_EQ(obj->mMtlChanges[1].materialIndex, 1);
    // Two in a row share their starting face.
    EXPECT_EQ(obj->mMtlChanges[2].startingFace, 3);
}

TEST(UseMtl, NamesCompareWithTheirTerminatorsAndTheLastDuplicateWins) {
    auto obj = newModel();
    loadLibrary(*obj, "newmtl red\nnewmtl red \nnewmtl red\n");
    // No terminator at the end of the text: no match, and no empty line after the warning.
    EXPECT_EQ(useMtl(*obj, "usemtl red"), "WARNING: UseMtl Material Not found: red\n");
    EXPECT_EQ(obj->mMtlChanges[0].materialIndex, -1);
    EXPECT_EQ(useMtl(*obj, "usemtl red \n"), "");
    EXPECT_EQ(obj->mMtlChanges[1].materialIndex, 1);
    EXPECT_EQ(useMtl(*obj, "usemtl red\n"), "");
    EXPECT_EQ(obj->mMtlChanges[2].materialIndex, 2);
    EXPECT_EQ(useMtl(*obj, "usemtl Red\n"), "WARNING: UseMtl Material Not found: Red\n\n");
    EXPECT_EQ(obj->mMtlChangeCount, 4);
}

TEST(UseMtl, BeforeAnyLibraryNothingIsFound) {
    auto obj = newModel();
    const std::string out = loadText(*obj, "usemtl red\nv 0 0 0\nf 1 1 1\n");
    EXPECT_EQ(out, "WARNING: UseMtl Material Not found: red\n\n" + summary("", 1, 0, 0, 1));
    EXPECT_EQ(obj->mMaterialPropertyCount, -1);
    EXPECT_EQ(obj->mFaceCount, 1);
    EXPECT_EQ(obj->mMtlChangeCount, 0);
}

TEST(UseMtl, AThousandChangesFitTheRestAreDroppedWithOneWarning) {
    auto obj = newModel();
    std::string text = "mtllib x.mtl\n";
    for (int i = 0; i < 1003; ++i) {
        text += "usemtl a\n";
    }
    const std::string out = loadText(*obj, text, "newmtl a\n");
    EXPECT_EQ(out,
              "MTL File Open: x.mtl\nWARNING: more than 1000 material changes, the rest dropped\n" +
                  summary("", 0, 0, 0, 0));
    text.resize(text.size() - 3 * 9);
    EXPECT_EQ(loadText(*obj, text, "newmtl a\n"),
              "MTL File Open: x.mtl\n" + summary("", 0, 0, 0, 0));
}

TEST(UseMtl, SecondLibraryReplacesTheFirst) {
    auto obj = newModel();
    const std::string out =
        loadText(*obj, "mtllib a.mtl\nmtllib b.mtl\nusemtl m\n", "newmtl m\nKd 0 1 0\n");
    EXPECT_EQ(out, "MTL File Open: a.mtl\nMTL File Open: b.mtl\n" + summary("", 0, 0, 0, 0));
    EXPECT_EQ(obj->mMaterialPropertyCount, 1);
}

} // namespace
