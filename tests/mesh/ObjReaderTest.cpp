#include "MeshTestSupport.h"

TEST(ObjReader, PrintsEveryMessageExactly) {
    const std::string empty = summary(0, 0, 0, 0), unknown = "\nWARNING: line type not known:\n(",
                      badFace = "WARNING: unsupported face (";
    // One model for all: the "o" name stays until a load reads another.
    const std::pair<std::string, std::string> cases[] = {
        // clang-format off
        // The warning keeps the line's terminator, so ")" opens the next output line.
        {"g cube\n", unknown + "g cube\n)\n\n" + empty},
        {"# comment\n#\n#comment\n", unknown + "#comment\n)\n\n" + empty},
        {"\n\n   \n\t \r\n", empty},
        {"#aaaaaaaaaaaaaaa x\n", unknown + "#aaaaaaaaaaaaaaa x\n)\n\n" + empty}, // 16-char keyword
        {std::string("g a\0b\nv 1 2 3\0v\n", 16), unknown + "g a)\n\n" + summary(1, 0, 0, 0)},
        {"f\nf 1 2\nf 1 2 3 4 5\n",
         badFace + "0 verts)\n" + badFace + "2 verts)\n" + badFace + "5 verts)\n" + empty},
        // The first piece is a 254-character comment; the rest is a line of its own.
        {"# " + std::string(252, 'x') + "v 9 8 7\n" + std::string(254, ' ') + "\n",
         summary(1, 0, 0, 0)},
        {"o Cube\nv 0 0 0\nvt 0 0\nvn 0 0 1\nf 1 1 1\n",
         "Object Loaded: Cube\nv: 1, vt: 1, vn: 1, f: 1\n\n"},
        {"  o Cube\n", "Object Loaded: o Cube\nv: 0, vt: 0, vn: 0, f: 0\n\n"}, // by position
        {"v 1 2 3\n", "Object Loaded: o Cube\nv: 1, vt: 0, vn: 0, f: 0\n\n"},
        {"o", empty},
        // clang-format on
    };
    auto obj = std::make_unique<MyOBJ>();
    for (const auto& [text, out] : cases) {
        EXPECT_EQ(loadText(*obj, text), out) << text;
    }
}

TEST(ObjCapacity, FullArraysKeepTheFirstRecordsAndWarnOncePerKind) {
    const std::string kinds[][2] = {
        {"v", "vertices"}, {"vt", "texture vertices"}, {"vn", "normals"}, {"f", "faces"}};
    const int n = 500000;
    for (int k = 0; k < 4; ++k) {
        const std::string full =
            summary(k == 0 ? n : 0, k == 1 ? n : 0, k == 2 ? n : 0, k == 3 ? n : 0);
        auto obj = std::make_unique<MyOBJ>();
        std::string text;
        for (int i = 1; i <= n + 2; ++i) {
            text += kinds[k][0] + " " + std::to_string(i) + " 1 1\n";
        }
        EXPECT_EQ(loadText(*obj, text.substr(0, text.find(kinds[k][0] + " 500001 "))),
                  full); // full
        EXPECT_EQ(loadText(*obj, text),
                  "WARNING: more than 500000 " + kinds[k][1] + ", the rest dropped\n" + full);
        const float last[] = {obj->mVerts[n - 1].x, obj->mTextureVerts[n - 1].x,
                              obj->mNormals[n - 1].x, static_cast<float>(obj->mFaces[n - 1].v[0])};
        EXPECT_EQ(last[k], n) << kinds[k][0]; // the 500,000th line's
    }
}
