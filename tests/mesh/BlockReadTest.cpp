// The block reader, and both OBJ readers through it: a file read in blocks of
// any size on any number of threads gives what reading it whole in one thread
// gives. Also built under ThreadSanitizer.
#include "MeshTestSupport.h"
#include "fuzz/mesh/MeshFuzzHarness.h"
#include "fuzz/mesh/ObjModelCheck.h"
#include "mesh/scan/TextBlocks.h"

#include <cstdlib>
#include <random>

namespace {

// The readers use every core unless DRAVIN_READ_THREADS says otherwise.
struct ReadThreads {
    explicit ReadThreads(unsigned n) {
        setenv("DRAVIN_READ_THREADS", std::to_string(n).c_str(), 1);
    }
    ~ReadThreads() { unsetenv("DRAVIN_READ_THREADS"); }
};

// Text handed out at most `most` bytes a read, as a pipe may.
struct Trickle {
    std::string_view rest;
    size_t most;
    static void* open(const char*, void* user) { return user; }
    static size_t read(void* file, char* buffer, size_t size, void*) {
        auto* t = static_cast<Trickle*>(file);
        const size_t n = std::min({size, t->most, t->rest.size()});
        std::memcpy(buffer, t->rest.data(), n);
        t->rest.remove_prefix(n);
        return n;
    }
    static void close(void*, void*) {}
};

// Keeps the blocks as they are taken, read in order or ahead into a part.
struct Blocks final : mesh::detail::BlockReader {
    std::vector<std::string> parts;
    std::vector<std::string> taken;
    size_t lastLineEnd(const char* data, size_t size) override {
        return mesh::detail::lastLineEnd(data, size);
    }
    void useParts(size_t n) override { parts.resize(n); }
    void readInOrder(size_t, const char* data, size_t size) override {
        taken.emplace_back(data, size);
    }
    void readAhead(size_t part, const char* data, size_t size) override {
        parts[part].assign(data, size);
    }
    void takePart(size_t part) override { taken.push_back(parts[part]); }
};

// Every kind of line of both readers, at every place a block may cut: a line
// longer than MyOBJ's 254-byte pieces (with a NUL in one), lines continued
// with a backslash, "\r\n" ends, relative and out-of-range indices, colours,
// materials, and a last line without its newline.
const std::string kModel = [] {
    std::string s = "mtllib m.mtl\no Boundaries\r\n";
    for (int i = 0; i < 12; ++i) {
        s += "v " + std::to_string(i % 3) + ' ' + std::to_string(i / 3) + " 0";
        s += i % 5 ? "" : " 1 0.5 2";
        s += i % 2 ? "\r\n" : "\n";
    }
    s += "vt 0.5 0.25\nvt 1 1\nvn 0 0 1\n# ";
    s.append(300, 'c');
    s += "\nv 9 9 9 ";
    s.append(260, ' ');
    s += "\nusemtl a\nf 1/1/1 2/2/1 3//1\nf -1 -2 \\\n -3 -4\r\n";
    s.append("f 4 5 6\0 7\n", 11);
    s += "usemtl b\nf 1 2 99\nf 5 6 7 8 \\\r\n9\nl 1 2 \\\n3\np 1 -1 x\ng ";
    s.append(400, 'g');
    s += "\nf 1/1 2/2 3/3 \\";
    return s;
}();
constexpr const char* kLibrary = "newmtl a\nKd 1 0 0\nnewmtl b\nKd 0 0 1\n";

} // namespace

TEST(BlockRead, BlocksEndWhereLinesEndAndTogetherAreTheFile) {
    // Block bytes, threads and bytes at most (the last cuts: the rest is left,
    // and said to be); then the most a read hands out.
    // clang-format off
    const std::pair<mesh::detail::Settings, size_t> cases[] = {
        {{1, 1}, SIZE_MAX}, {{1, 3}, SIZE_MAX}, {{7, 2}, 1}, {{64, 4}, 5}, {{300, 2}, SIZE_MAX},
        {{1 << 20, 2}, SIZE_MAX}, {{16, 3, 500}, SIZE_MAX}};
    // clang-format on
    for (const auto& [settings, most] : cases) {
        SCOPED_TRACE(testing::Message()
                     << settings.blockBytes << " " << most << " " << settings.threads);
        Trickle trickle{kModel, most};
        const mesh::FileSource source{Trickle::open, Trickle::read, Trickle::close, &trickle};
        Blocks blocks;
        const mesh::detail::Result read = mesh::detail::read(source, &trickle, blocks, settings);
        const std::string expected = kModel.substr(0, settings.maxBytes);
        std::string joined;
        for (size_t i = 0; i < blocks.taken.size(); ++i) {
            const std::string& b = blocks.taken[i];
            EXPECT_FALSE(b.empty());
            EXPECT_TRUE(i + 1 == blocks.taken.size() ||
                        mesh::detail::lastLineEnd(b.data(), b.size()) == b.size())
                << b;
            joined += b;
        }
        EXPECT_EQ(std::tie(joined, read.bytes, read.cut),
                  std::tuple(expected, expected.size(), settings.maxBytes < kModel.size()));
        EXPECT_LE(read.threads, std::max(settings.threads, 1u));
    }
}

TEST(BlockRead, BothReadersGiveTheWholeFilesModelAtEveryBlockSize) {
    // 1 and tiny sizes, sizes that cut inside a line, a continued line, a
    // "\r\n" and MyOBJ's pieces (254 bytes), and larger ones.
    const size_t sizes[] = {1, 2, 3, 5, 9, 17, 40, 100, 253, 254, 255, 256, 600, 1 << 16};
    const ReadThreads threads(3);
    auto one = std::make_unique<MyOBJ>(), blocks = std::make_unique<MyOBJ>();
    for (const size_t size : sizes) {
        EXPECT_TRUE(meshfuzz::sameInParallel(*one, *blocks, kModel, kLibrary, size)) << size;
        for (const unsigned n : {1u, 3u})
            EXPECT_TRUE(meshfuzz::sameInBlocks(kModel, kLibrary, size, n)) << size << " " << n;
    }
    // What they read: both readers' summaries, for a model that is not empty.
    mesh::ObjModel model;
    const std::string out = printed([&] { mesh::readObjModelText(kModel, model, kLibrary); });
    EXPECT_NE(out.find("v: 13, vt: 2, vn: 1, f: 4, l: 1, p: 2\n"), out.npos) << out;
    EXPECT_EQ(blocks->mVertCount, 13);
}

TEST(BlockRead, ALargeModelReadOnEveryCoreIsTheModelOfOneThread) {
    // Random positions, texture coordinates and normals, then faces and
    // lines of every notation, relative indices among them, under materials.
    std::mt19937 rng(7);
    std::string text = "mtllib m.mtl\n";
    const int n = 20000;
    for (int i = 0; i < 3 * n; ++i) {
        const char* kind[] = {"v", "vt", "vn"};
        text += kind[i % 3];
        for (int k = 0; k < 3 - (i % 3 == 1); ++k)
            text += ' ' + std::to_string(rng() % 2000 / 100.0);
        text += '\n';
    }
    for (int i = 0; i < 2 * n; ++i) {
        if (i % 5000 == 0)
            text += i % 10000 ? "usemtl b\n" : "usemtl a\n";
        text += i % 5003 ? "f" : "l";
        for (int k = 0; k < 3 + i % 4; ++k) {
            const int v = 1 + int(rng() % n);
            const std::string index = std::to_string(v);
            text += ' ' + std::to_string(i % 3001 ? v : v - n - 1);
            text += i % 3 ? "/" : "//";
            text += index;
            if (i % 3 == 1)
                text += '/' + index;
        }
        text += '\n';
    }
    auto one = std::make_unique<MyOBJ>(), all = std::make_unique<MyOBJ>();
    EXPECT_TRUE(meshfuzz::sameInParallel(*one, *all, text, kLibrary, 64 << 10));
    EXPECT_TRUE(meshfuzz::sameInBlocks(text, kLibrary, 64 << 10, 0));
    mesh::ObjModel model;
    printed([&] { mesh::readObjModelText(text, model, kLibrary); });
    EXPECT_EQ(model.polygons.size() + model.lines.size(), size_t(2 * n));
    EXPECT_EQ(meshfuzz::modelFault(model), "");
}
