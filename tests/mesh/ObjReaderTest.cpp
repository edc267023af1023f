#include "MeshTestSupport.h"

TEST(ObjReader, PrintsEveryMessageExactly) {
    const std::string empty = summary(0, 0, 0, 0), unknown = "\nWARNING: line type not known:\n(",
                      badFace = "WARNING: unsupported face (";
    // One model for all: the "o" name stays until a load reads another.
    const std::pair<std::string, std::string> cases[] = {
        // clang-format off
        // The warning keeps the line's terminator, so ")" opens the next output line.
        {"g cube\n", unknown + "g cube\n)\n\n" + empty},
        {"# comment\n#\n#comment\n", unknown + "#comment\n)\n\n" + empty}, {"\n\n   \n\t \r\n", empty},
        {"#aaaaaaaaaaaaaaa x\n", unknown + "#aaaaaaaaaaaaaaa x\n)\n\n" + empty}, // 16-char keyword
        {std::string("g a\0b\nv 1 2 3\0v\n", 16), unknown + "g a)\n\n" + summary(1, 0, 0, 0)},
        {"f\nf 1 2\nf 1 2 3 4 5\n", badFace + "0 verts)\n" + badFace + "2 verts)\n" + badFace + "5 verts)\n" + empty},
        // The first piece is a 254-character comment; the rest is a line of its own.
        {"# " + std::string(252, 'x') + "v 9 8 7\n" + std::string(254, ' ') + "\n",
         summary(1, 0, 0, 0)},
        {"o Cube\nv 0 0 0\nvt 0 0\nvn 0 0 1\nf 1 1 1\n", "Object Loaded: Cube\nv: 1, vt: 1, vn: 1, f: 1\n\n"},
        {"  o Cube\n", "Object Loaded: o Cube\nv: 0, vt: 0, vn: 0, f: 0\n\n"}, // by position
        {"v 1 2 3\n", "Object Loaded: o Cube\nv: 1, vt: 0, vn: 0, f: 0\n\n"},
        {"o", empty},
        // clang-format on
    };
    auto obj = std::make_unique<MyOBJ>();
    for (const auto& [text, out] : cases)
        EXPECT_EQ(loadText(*obj, text), out) << text;
}

TEST(ObjCapacity, FullArraysKeepTheFirstRecordsAndWarnOncePerKind) {
    const int n = 500000;
    const std::string kinds[][2] = {
        {"v", "vertices"}, {"vt", "texture vertices"}, {"vn", "normals"}, {"f", "faces"}};
    std::string full, extra, warnings;
    for (const auto& [kind, name] : kinds) {
        for (int i = 1; i <= n + 2; ++i)
            (i <= n ? full : extra) += kind + " " + std::to_string(i) + " 1 1\n";
        warnings += "WARNING: more than 500000 " + name + ", the rest dropped\n";
    }
    auto obj = std::make_unique<MyOBJ>();
    for (const bool parallel : {false, true}) { // the helper's records take another path
        obj->readsInParallel = parallel;
        EXPECT_EQ(loadText(*obj, full), summary(n, n, n, n));
        EXPECT_EQ(loadText(*obj, full + extra), warnings + summary(n, n, n, n));
        // Each kind keeps its 500,000th line.
        EXPECT_EQ((std::vector<float>{obj->mVerts[n - 1].x, obj->mTextureVerts[n - 1].x,
                                      obj->mNormals[n - 1].x, float(obj->mFaces[n - 1].v[0])}),
                  std::vector<float>(4, n));
    }
}
