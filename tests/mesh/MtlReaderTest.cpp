#include "MeshTestSupport.h"

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

// Loads "m.mtl" of the map source on its own and returns what it printed.
static std::string loadLibrary(MyOBJ& obj, const std::string& text) {
    mesh::MemoryFiles files{{{"m.mtl", text}}};
    return printed([&] { obj.loadMTLFile("m.mtl", files.source()); });
}

TEST(MtlReader, PropertiesFillTheLastMaterialAndASeventeenthMaterialIsDropped) {
    auto obj = std::make_unique<MyOBJ>();
    const char* const text = "Kd 1 1 1\nKs 1 1 1\nnewmtl red\nKd 1 0 0\nNs 50\nKa 0.5\n"
                             "Ks 0.5 x 7\nd 1\nillum 2\nnewmtl b\n# c\nmap_Kd a.png";
    const std::string unknown = "\nWARNING: line type not known:\n(";
    EXPECT_EQ(loadLibrary(*obj, text),
              "MTL File Open: m.mtl\n" + unknown + "# c\n)\n\n" + unknown + "map_Kd a.png)\n\n");
    EXPECT_EQ(obj->mFaceCount, 0); // the lines before "newmtl" wrote nothing before the array
    ASSERT_EQ(obj->mMaterialPropertyCount, 2);
    const MaterialProperties& m = obj->mMaterialProperties[0];
    EXPECT_STREQ(m.name, "red\n");
    EXPECT_EQ(
        (std::vector<float>{m.Kd[0], m.Kd[1], m.Kd[2], m.Ns, m.Ka[0], m.Ka[1], m.Ks[0], m.Ks[1]}),
        (std::vector<float>{1, 0, 0, 50, 0.5f, 0, 0.5f, 0}));
    std::string full; // sixteen materials, then one too many
    for (int i = 0; i < 17; ++i)
        full += "newmtl m" + std::to_string(i) + "\nNs " + std::to_string(i) + "\n";
    const std::string opened = "MTL File Open: m.mtl\n";
    EXPECT_EQ(loadLibrary(*obj, full.substr(0, full.find("newmtl m16"))), opened);
    EXPECT_EQ(loadLibrary(*obj, full),
              opened + "WARNING: more than 16 materials, the rest dropped\n");
    EXPECT_EQ(obj->mMaterialPropertyCount, 16);
    EXPECT_EQ(obj->mMaterialProperties[15].Ns, 15.0f);
}

// A directory, a device, a named pipe and a missing name, as model and as library.
TEST(MtlReader, WhatIsNoRegularFileWarnsOnceWithoutWaiting) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("dravin_mesh_files_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string fifo = (dir / "pipe").string(), model = (dir / "m.obj").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string names[] = {dir.string(), "/dev/zero", fifo, (dir / "none").string()};
    std::string text, libraries, models;
    for (const std::string& name : names) {
        text += "mtllib " + name + "\n";
        libraries += "WARNING: MTL File did not open: " + name + "\n";
        models += "WARNING: OBJ File did not open: " + name + "\n" + summary(0, 0, 0, 0);
    }
    std::ofstream(model) << text;
    auto obj = std::make_unique<MyOBJ>();
    EXPECT_EQ(printed([&] { obj->loadOBJFile(model.c_str()); }),
              "OBJ File Open: " + model + "\n" + libraries + summary(0, 0, 0, 0));
    EXPECT_EQ(obj->mMaterialPropertyCount, 0); // a library that did not open leaves none
    std::string out;
    for (const std::string& name : names)
        out += printed([&] { obj->loadOBJFile(name.c_str()); });
    EXPECT_EQ(out, models);
    EXPECT_EQ(obj->mMaterialPropertyCount, -1);
    std::filesystem::remove_all(dir);
}

TEST(UseMtl, RecordsFromWhichFaceAMaterialHoldsComparingNamesWithTerminators) {
    auto obj = std::make_unique<MyOBJ>();
    loadLibrary(*obj, "newmtl red\nnewmtl red \nnewmtl red\n");
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

TEST(UseMtl, LibrariesReplaceEachOtherAndAThousandChangesFit) {
    auto obj = std::make_unique<MyOBJ>();
    // The second library replaces the first; one without a name changes nothing.
    std::string text = "mtllib x.mtl\nmtllib m.mtl\nmtllib\nmtllib  \t\n";
    const std::string unnamed = "WARNING: mtllib names no file; the materials stay as they are\n";
    const std::string opened = "MTL File Open: x.mtl\nMTL File Open: m.mtl\n" + unnamed + unnamed;
    for (int i = 0; i < 1000; ++i)
        text += "usemtl a\n";
    mesh::MemoryFiles files{{{"x.mtl", "newmtl b\nnewmtl c\n"}, {"m.mtl", "newmtl a\n"}}};
    files.files["m.obj"] = text + "f 1 2 3\n";
    EXPECT_EQ(loadFiles(*obj, files), opened + summary(0, 0, 0, 1));
    EXPECT_EQ(changes(*obj), (Changes{{0, 0}}));
    files.files["m.obj"] = text + "usemtl a\nusemtl a\n";
    EXPECT_EQ(loadFiles(*obj, files),
              opened + "WARNING: more than 1000 material changes, the rest dropped\n" +
                  summary(0, 0, 0, 0));
    EXPECT_EQ(obj->mMaterialPropertyCount, 1);
}
