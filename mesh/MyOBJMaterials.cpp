// The MTL reader and the material changes of "usemtl" lines.
#include "diag/Diagnostics.h"
#include "mesh/MyOBJ.h"
#include "mesh/MyOBJDropped.h"
#include "mesh/ObjScan.h"

#include <cstdio>
#include <cstring>

using objscan::Scanner;

namespace {

constexpr size_t kMaxKeyword = 15;

template <size_t N> bool keywordIs(const char* word, size_t length, const char (&name)[N]) {
    return length == N - 1 && std::memcmp(word, name, N - 1) == 0;
}

// A name is the raw line from just after the keyword and one separator on,
// terminator included; blanks before the keyword shift it.
void copyNameAfter(size_t keywordLength, const char* line, const char* end, char* name) {
    const size_t lineLength = static_cast<size_t>(end - line);
    const size_t from = keywordLength + 1;
    size_t n = lineLength > from ? lineLength - from : 0;
    if (n > static_cast<size_t>(MyOBJ::kNameSize - 1)) {
        n = MyOBJ::kNameSize - 1;
    }
    std::memcpy(name, line + from, n);
    name[n] = '\0';
}

} // namespace

void MyOBJ::loadMTLFile(const char* fileName) {
    mMaterialPropertyCount = 0;
    mCurrentMaterial = -1;
    mDropped &= ~meshdrop::kMaterials;
    std::FILE* file = std::fopen(fileName, "r");
    if (file) {
        diag::out("MTL File Open: %s\n", fileName);
        objscan::forEachPieceOfStream(
            file, [this](const char* line, const char* end) { readMTLLine(line, end); });
    } else {
        diag::out("WARNING: MTL File did not open: %s\n", fileName);
    }
    finishMTLLoad();
    if (file) {
        std::fclose(file);
    }
}

void MyOBJ::loadMTLText(std::string_view mtlText) {
    mMaterialPropertyCount = 0;
    mCurrentMaterial = -1;
    mDropped &= ~meshdrop::kMaterials;
    readMTLBytes(mtlText);
    finishMTLLoad();
}

void MyOBJ::readMTLBytes(std::string_view text) {
    objscan::forEachPieceOfText(
        text, [this](const char* line, const char* end) { readMTLLine(line, end); });
}

void MyOBJ::finishMTLLoad() {
    reportDropped(mDropped & meshdrop::kMaterials);
    displayListDirty = true;
}

void MyOBJ::readMTLLine(const char* line, const char* end) {
    Scanner scan{line, end};
    scan.skipSpace();
    const char* word = scan.p;
    if (!scan.word()) {
        return; // blank lines mean nothing
    }
    const size_t length = static_cast<size_t>(scan.p - word);
    if (length <= kMaxKeyword) {
        if (keywordIs(word, length, "newmtl")) {
            newMaterialLine(line, end);
            return;
        }
        if (keywordIs(word, length, "Ns")) {
            readShininessLine(line, end);
            return;
        }
        if (keywordIs(word, length, "Ka")) {
            if (mCurrentMaterial >= 0) {
                readColourLine(line, end, mMaterialProperties[mCurrentMaterial].Ka);
            }
            return;
        }
        if (keywordIs(word, length, "Kd")) {
            if (mCurrentMaterial >= 0) {
                readColourLine(line, end, mMaterialProperties[mCurrentMaterial].Kd);
            }
            return;
        }
        if (keywordIs(word, length, "Ks")) {
            if (mCurrentMaterial >= 0) {
                readColourLine(line, end, mMaterialProperties[mCurrentMaterial].Ks);
            }
            return;
        }
        if (keywordIs(word, length, "d") || keywordIs(word, length, "illum")) {
            return;
        }
    }
    diag::out("\nWARNING: line type not known:\n(%.*s)\n\n", static_cast<int>(end - line), line);
}

void MyOBJ::newMaterialLine(const char* line, const char* end) {
    if (mMaterialPropertyCount < 0) {
        mMaterialPropertyCount = 0;
    }
    if (mMaterialPropertyCount >= kMaxMaterials) {
        // Its property lines must not land in the last kept material.
        mDropped |= meshdrop::kMaterials;
        mCurrentMaterial = -1;
        return;
    }
    mCurrentMaterial = mMaterialPropertyCount++;
    MaterialProperties& material = mMaterialProperties[mCurrentMaterial];
    copyNameAfter(6, line, end, material.name);
    material.Ns = 0;
    for (int i = 0; i < 3; ++i) {
        material.Ka[i] = 0;
        material.Kd[i] = 0;
        material.Ks[i] = 0;
    }
}

void MyOBJ::readColourLine(const char* line, const char* end, float* rgb) {
    float value[3];
    int converted = 0;
    Scanner scan{line, end};
    if (scan.word()) {
        while (converted < 3 && scan.real(value[converted])) {
            ++converted;
        }
    }
    if (scan.unsure) {
        // Straight into the fields: what the line does not supply stays.
        const objscan::LineCopy copy(line, end);
        char keyword[objscan::kLineBuffer + 1];
        std::sscanf(copy.text, "%s %f %f %f", keyword, &rgb[0], &rgb[1], &rgb[2]);
        return;
    }
    for (int i = 0; i < converted; ++i) {
        rgb[i] = value[i];
    }
}

void MyOBJ::readShininessLine(const char* line, const char* end) {
    if (mCurrentMaterial < 0) {
        return;
    }
    float& shininess = mMaterialProperties[mCurrentMaterial].Ns;
    float value = 0;
    Scanner scan{line, end};
    const bool converted = scan.word() && scan.real(value);
    if (scan.unsure) {
        const objscan::LineCopy copy(line, end);
        char keyword[objscan::kLineBuffer + 1];
        std::sscanf(copy.text, "%s %f", keyword, &shininess);
        return;
    }
    if (converted) {
        shininess = value;
    }
}

void MyOBJ::readUseMtlLine(const char* line, const char* end) {
    char whatMtl[kNameSize];
    copyNameAfter(6, line, end, whatMtl);
    int32_t index = -1;
    const int32_t materialCount =
        mMaterialPropertyCount < kMaxMaterials ? mMaterialPropertyCount : kMaxMaterials;
    // The last material of that name wins.
    for (int32_t n = 0; n < materialCount; ++n) {
        if (std::strcmp(whatMtl, mMaterialProperties[n].name) == 0) {
            index = n;
        }
    }
    if (index == -1) {
        diag::out("WARNING: UseMtl Material Not found: %s\n", whatMtl);
    }
    if (mMtlChangeCount >= kMaxMtlChanges) {
        mDropped |= meshdrop::kMtlChanges;
        return;
    }
    mMtlChanges[mMtlChangeCount].startingFace = mFaceCount;
    mMtlChanges[mMtlChangeCount].materialIndex = index;
    ++mMtlChangeCount;
}

void MyOBJ::newMaterial(const char* line) {
    newMaterialLine(line, line + std::strlen(line));
}

void MyOBJ::readShininess(const char* line) {
    readShininessLine(line, line + std::strlen(line));
}

void MyOBJ::readAmbient(const char* line) {
    if (mCurrentMaterial >= 0) {
        readColourLine(line, line + std::strlen(line), mMaterialProperties[mCurrentMaterial].Ka);
    }
}

void MyOBJ::readDiffuse(const char* line) {
    if (mCurrentMaterial >= 0) {
        readColourLine(line, line + std::strlen(line), mMaterialProperties[mCurrentMaterial].Kd);
    }
}

void MyOBJ::readSpecular(const char* line) {
    if (mCurrentMaterial >= 0) {
        readColourLine(line, line + std::strlen(line), mMaterialProperties[mCurrentMaterial].Ks);
    }
}

void MyOBJ::readUseMtl(const char* line) {
    readUseMtlLine(line, line + std::strlen(line));
}
