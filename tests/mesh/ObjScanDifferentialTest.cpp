// The reader's numbers against the C library's sscanf with the reader's
// patterns, over generated and random lines: this guards the fast scanner.
#include "MeshTestSupport.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <sstream>
#include <vector>

using namespace meshtest;

namespace {

// Words that the C library reads in its own ways, blank-separated.
const std::vector<std::string> kWords = [] {
    std::vector<std::string> words;
    std::istringstream in(
        "0 -0 +2 3.25 .5 -.5 5. 1e5 1E-3 -2.5e+2 1e 1e+ 1.5.3 100ergs 0x1p3 0x nan "
        "-nan inf -infinity in 1e40 1e-50 1e-45 3.4028236e38 1.17549435e-38 - + . "
        "abc 1,5 2/3 1//2 e5 00012 1.0f 1e5e3 123456789012345678901234567890 "
        "4294967297 99999999999999999999 -2147483649 16777217");
    for (std::string w; in >> w;) {
        words.push_back(w);
    }
    return words;
}();
const char* const kBlanks[] = {" ", "  ", "\t", "", "\r", "\v"};

std::string randomNumber(std::mt19937& rng) {
    char text[64];
    switch (rng() % 4) {
    case 0:
        return kWords[rng() % kWords.size()];
    case 1:
        std::snprintf(text, sizeof text, "%.*g", static_cast<int>(rng() % 20 + 1),
                      std::uniform_real_distribution<double>(-1e6, 1e6)(rng));
        return text;
    case 2:
        std::snprintf(text, sizeof text, "%.9e",
                      std::ldexp(std::uniform_real_distribution<double>(-1, 1)(rng),
                                 static_cast<int>(rng() % 260) - 140));
        return text;
    default: {
        std::string number = rng() % 2 ? "-" : "";
        const size_t digits = rng() % 25 + 1, dot = rng() % 3 ? digits : rng() % digits;
        for (size_t i = 0; i < digits; ++i) {
            number += i == dot ? "." : "";
            number.push_back(static_cast<char>('0' + rng() % 10));
        }
        return number;
    }
    }
}

std::string numberLine(std::mt19937& rng, const std::string& keyword) {
    std::string line = keyword;
    for (int i = static_cast<int>(rng() % 6); i > 0; --i) {
        line += rng() % 8 ? " " : kBlanks[rng() % std::size(kBlanks)];
        line += randomNumber(rng);
    }
    return rng() % 2 ? line + "\n" : line;
}

bool sameBits(const float (&a)[3], const float (&b)[3]) {
    return std::memcmp(a, b, sizeof a) == 0;
}

TEST(ObjScanDifferential, NumberLinesMatchScanf) {
    std::mt19937 rng(1234);
    auto obj = newModel();
    obj->loadMTLText("newmtl m\n");
    for (const char* keyword : {"v", "vn", "vt", "Kd"}) {
        for (int i = 0; i < 20000; ++i) {
            const std::string line = numberLine(rng, keyword);
            // What the field held before stays where the line supplies nothing.
            float want[3] = {0.25f, 0.5f, 0.75f}, got[3];
            char word[256];
            obj->mVertCount = obj->mNormalCount = obj->mTextureVertCount = 0;
            float* kd = obj->mMaterialProperties[0].Kd;
            std::memcpy(kd, want, sizeof want);
            if (keyword == std::string("Kd")) {
                std::sscanf(line.c_str(), "%s %f %f %f", word, &want[0], &want[1], &want[2]);
                obj->readDiffuse(line.c_str());
                std::memcpy(got, kd, sizeof got);
            } else if (keyword == std::string("vt")) {
                want[0] = want[1] = want[2] = 0;
                std::sscanf(line.c_str(), "%s %f %f", word, &want[0], &want[1]);
                want[1] = 1.0f - want[1];
                obj->readTextureVertex(line.c_str());
                std::memcpy(got, &obj->mTextureVerts[0], sizeof got);
            } else {
                want[0] = want[1] = want[2] = 0;
                std::sscanf(line.c_str(), "%s %f %f %f", word, &want[0], &want[1], &want[2]);
                keyword == std::string("v") ? obj->readVertex(line.c_str())
                                            : obj->readNormal(line.c_str());
                std::memcpy(got, keyword == std::string("v") ? &obj->mVerts[0] : &obj->mNormals[0],
                            sizeof got);
            }
            ASSERT_TRUE(sameBits(got, want))
                << "[" << line << "] got " << got[0] << " " << got[1] << " " << got[2] << " want "
                << want[0] << " " << want[1] << " " << want[2];
        }
    }
}

std::string faceLine(std::mt19937& rng) {
    const auto index = [&]() -> std::string {
        switch (rng() % 6) {
        case 0:
            return kWords[rng() % kWords.size()];
        case 1:
            return "";
        case 2:
            return std::string(rng() % 2 ? "-" : "+") + std::to_string(rng() % 100000);
        default:
            return std::to_string(rng() % 500000);
        }
    };
    std::string line = "f";
    const int groups = static_cast<int>(rng() % 8 ? 3 + rng() % 2 : rng() % 6),
              notation = static_cast<int>(rng() % 3);
    for (int g = 0; g < groups; ++g) {
        line += std::string(rng() % 10 ? " " : kBlanks[rng() % std::size(kBlanks)]) + index();
        if (notation == 1) {
            line += std::string(rng() % 20 ? "//" : "/") + index();
        } else if (notation == 2) {
            line +=
                std::string(rng() % 20 ? "/" : "") + index() + (rng() % 20 ? "/" : " ") + index();
        }
    }
    return rng() % 2 ? line + "\n" : line;
}

TEST(ObjScanDifferential, FaceLinesMatchScanfInEveryNotation) {
    std::mt19937 rng(42);
    auto obj = newModel();
    int compared = 0;
    std::string mismatch;
    testing::internal::CaptureStdout(); // the unsupported-face warnings
    for (int i = 0; i < 40000 && mismatch.empty(); ++i) {
        const std::string line = faceLine(rng);
        int v[4] = {-1, -1, -1, -1}, vt[4] = {-1, -1, -1, -1}, vn[4] = {-1, -1, -1, -1};
        char word[256];
        const char* text = line.c_str();
        if (line.find("//") != std::string::npos) {
            std::sscanf(text, "%s %d//%d %d//%d %d//%d %d//%d", word, &v[0], &vn[0], &v[1], &vn[1],
                        &v[2], &vn[2], &v[3], &vn[3]);
        } else if (line.find('/') != std::string::npos) {
            std::sscanf(text, "%s %d/%d/%d %d/%d/%d %d/%d/%d %d/%d/%d", word, &v[0], &vt[0], &vn[0],
                        &v[1], &vt[1], &vn[1], &v[2], &vt[2], &vn[2], &v[3], &vt[3], &vn[3]);
        } else {
            std::sscanf(text, "%s %d %d %d %d", word, &v[0], &v[1], &v[2], &v[3]);
        }
        obj->mFaceCount = 0;
        obj->readFace(text);
        const Face& f = obj->mFaces[0];
        if (obj->mFaceCount == 1 &&
            (std::memcmp(f.v, v, sizeof v) || std::memcmp(f.vt, vt, sizeof vt) ||
             std::memcmp(f.vn, vn, sizeof vn))) {
            mismatch = line;
        }
        compared += obj->mFaceCount;
    }
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(mismatch, "");
    EXPECT_GT(compared, 20000);
}

} // namespace
