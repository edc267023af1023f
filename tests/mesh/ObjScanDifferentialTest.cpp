// The readers' numbers against the C library's sscanf with the readers'
// patterns, over generated and random lines: this guards the fast scanner.
#include "MeshTestSupport.h"
#include "fuzz/mesh/MeshFuzzHarness.h"

#include <cmath>
#include <iterator>
#include <random>
#include <sstream>

// Words that the C library reads in its own ways.
const std::vector<std::string> kWords = [] {
    std::istringstream in(
        "0 -0 +2 3.25 .5 -.5 5. 1e5 1E-3 -2.5e+2 1e 1e+ 1.5.3 100ergs 0x1p3 0x nan "
        "-nan inf -infinity in 1e40 1e-50 1e-45 3.4028236e38 1.17549435e-38 - + . "
        "abc 1,5 2/3 1//2 e5 00012 1.0f 1e5e3 123456789012345678901234567890 "
        "4294967297 99999999999999999999 -2147483649 16777217");
    return std::vector<std::string>{std::istream_iterator<std::string>(in), {}};
}();

// A random "v" line of up to five numbers, or "f" line in one of the three notations.
// A number is a word, or a float over the whole exponent range printed to up to 24
// places; an index is a word, nothing, or a number of either sign.
static std::string randomLine(std::mt19937& rng, bool face) {
    const auto token = [&]() -> std::string {
        const auto kind = rng() % 6;
        char text[512];
        if (kind == 0 || (face && kind == 1))
            return kind ? "" : kWords[rng() % kWords.size()];
        if (face)
            return std::to_string(static_cast<int>(rng() % 1000000) - (kind == 2 ? 500000 : 0));
        const char* const formats[] = {"%.*g", "%.*g", "%.*g", "%.*e", "%.*e", "%.*f"};
        std::snprintf(text, sizeof text, formats[kind], static_cast<int>(rng() % 25),
                      std::ldexp(std::uniform_real_distribution<double>(-1, 1)(rng),
                                 static_cast<int>(rng() % 260) - 140));
        return text;
    };
    const char* const blanks[] = {" ", "  ", "\t", "", "\r", "\v"};
    std::string line = face ? "f" : "v";
    const auto notation = face ? rng() % 3 : 0;
    for (auto i = face && rng() % 8 ? 3 + rng() % 2 : rng() % 6; i > 0; --i) {
        line += rng() % 8 ? " " : blanks[rng() % 6];
        line += token();
        for (unsigned k = 0; k < notation; ++k) { // "//" or "/" and "/", rarely another
            line += notation == 1 ? (rng() % 20 ? "//" : "/") : rng() % 20 ? "/" : k ? " " : "";
            line += token();
        }
    }
    return rng() % 2 ? line + "\n" : line;
}

TEST(ObjScanDifferential, EveryReaderMatchesScanfOnNumberAndFaceLines) {
    std::mt19937 rng(1234);
    auto obj = std::make_unique<MyOBJ>();
    int faces = 0;
    std::string mismatch;
    printed([&] { // the unsupported-face warnings
        for (int i = 0; i < 120000 && mismatch.empty(); ++i) {
            const std::string line = randomLine(rng, i % 2);
            mismatch = meshfuzz::matchesScanf(*obj, line) ? "" : "[" + line + "]";
            faces += obj->mFaceCount;
        }
    });
    EXPECT_EQ(mismatch, "");
    EXPECT_GT(faces, 40000);
}

TEST(ObjScanDifferential, ReadingWithTheHelperThreadGivesTheModelAndMessagesOfOneThread) {
    std::mt19937 rng(99);
    const char* const others[] = {"usemtl a\n", "usemtl b\n", "mtllib m.mtl\n", "o Name\n", "# c\n",
                                  "g x\n",      "\n",         "mtllib\n"};
    std::string mixed; // every kind of line, a long one and a NUL now and then
    while (mixed.size() < 300000) {
        const auto pick = rng() % 16;
        mixed += pick < 8 ? others[pick]
                 : pick < 15
                     ? randomLine(rng, pick % 2) + "\n"
                     : "v 1 2 3 " + std::string(rng() % 600, 'x') + std::string(1, '\0') + "\n";
    }
    std::string many; // more records in one part than the helper holds
    for (int i = 0; i < 300000; ++i)
        many += i % 1000 ? "v 1 2 3\n" : "vt 0.5 x\n";
    const char* const library = "newmtl a\nKd 1 0 0\nnewmtl b\n";
    auto one = std::make_unique<MyOBJ>(), shared = std::make_unique<MyOBJ>();
    for (const size_t block : {1024, 4096, 65536})
        EXPECT_TRUE(meshfuzz::sameInParallel(*one, *shared, mixed, library, block)) << block;
    EXPECT_TRUE(meshfuzz::sameInParallel(*one, *shared, many, library, size_t{4} << 20));
    EXPECT_EQ(shared->mVertCount, 299700);
}
