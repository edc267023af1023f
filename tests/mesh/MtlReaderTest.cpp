#include "MeshTestSupport.h"

TEST(MtlReader, PropertiesFillTheLastMaterialAndKeepWhatALineDoesNotSupply) {
    auto obj = std::make_unique<MyOBJ>();
    const char* const text = "Kd 1 1 1\nKs 1 1 1\nnewmtl red\nKd 1 0 0\nNs 50\nKa 0.5\n"
                             "Ks 0.5 x 7\nd 1\nillum 2\nnewmtl b\n# c\nmap_Kd a.png";
    const std::string unknown = "\nWARNING: line type not known:\n(";
    EXPECT_EQ(printed([&] { obj->loadMTLText(text); }),
              unknown + "# c\n)\n\n" + unknown + "map_Kd a.png)\n\n");
    EXPECT_EQ(obj->mFaceCount, 0); // the lines before "newmtl" wrote nothing before the array
    ASSERT_EQ(obj->mMaterialPropertyCount, 2);
    const MaterialProperties& m = obj->mMaterialProperties[0];
    EXPECT_STREQ(m.name, "red\n");
    EXPECT_EQ(
        (std::vector<float>{m.Kd[0], m.Kd[1], m.Kd[2], m.Ns, m.Ka[0], m.Ka[1], m.Ks[0], m.Ks[1]}),
        (std::vector<float>{1, 0, 0, 50, 0.5f, 0, 0.5f, 0}));
}

TEST(MtlReader, SeventeenthMaterialIsDroppedAndAMissingLibraryLeavesNone) {
    std::string text;
    for (int i = 0; i < 17; ++i) {
        text += "newmtl m" + std::to_string(i) + "\nNs " + std::to_string(i) + "\n";
    }
    auto obj = std::make_unique<MyOBJ>();
    const auto load = [&](std::string_view t) { return printed([&] { obj->loadMTLText(t); }); };
    EXPECT_EQ(load(text.substr(0, text.find("newmtl m16"))), ""); // exactly full
    EXPECT_EQ(load(text), "WARNING: more than 16 materials, the rest dropped\n");
    EXPECT_EQ(obj->mMaterialPropertyCount, 16);
    EXPECT_EQ(obj->mMaterialProperties[15].Ns, 15.0f);
    EXPECT_EQ(printed([&] { obj->loadMTLFile("/nonexistent/none.mtl"); }),
              "WARNING: MTL File did not open: /nonexistent/none.mtl\n");
    EXPECT_EQ(printed([&] { obj->readUseMtl("usemtl m0\n"); }),
              "WARNING: UseMtl Material Not found: m0\n\n");
}

TEST(UseMtl, RecordsFromWhichFaceAMaterialHoldsComparingNamesWithTerminators) {
    auto obj = std::make_unique<MyOBJ>();
    obj->loadMTLText("newmtl red\nnewmtl red \nnewmtl red\n");
    const auto use = [&](const char* line) { return printed([&] { obj->readUseMtl(line); }); };
    EXPECT_EQ(use("usemtl red\n"), ""); // the later duplicate wins
    obj->readFace("f 1 2 3\n");
    obj->readFace("f 1 2 3\n");
    EXPECT_EQ(use("usemtl red \n"), "");
    // Without a terminator: no match, and no empty line after the warning.
    EXPECT_EQ(use("usemtl red"), "WARNING: UseMtl Material Not found: red\n");
    EXPECT_EQ(use("usemtl Red\n"), "WARNING: UseMtl Material Not found: Red\n\n");
    EXPECT_EQ(changes(*obj), (Changes{{0, 2}, {2, 1}, {2, -1}, {2, -1}}));
}

TEST(UseMtl, AThousandChangesFitTheRestAreDroppedWithOneWarning) {
    auto obj = std::make_unique<MyOBJ>();
    std::string text = "mtllib x.mtl\nmtllib y.mtl\n"; // the second library replaces the first
    const std::string opened = "MTL File Open: x.mtl\nMTL File Open: y.mtl\n";
    for (int i = 0; i < 1000; ++i) {
        text += "usemtl a\n";
    }
    EXPECT_EQ(loadText(*obj, text, "newmtl a\n"), opened + summary(0, 0, 0, 0));
    EXPECT_EQ(loadText(*obj, text + "usemtl a\nusemtl a\n", "newmtl a\n"),
              opened + "WARNING: more than 1000 material changes, the rest dropped\n" +
                  summary(0, 0, 0, 0));
    EXPECT_EQ(obj->mMaterialPropertyCount, 1);
}
