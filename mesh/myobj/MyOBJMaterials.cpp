// The MTL reader and the material changes of "usemtl" lines.
#include "diag/Diagnostics.h"
#include "mesh/MyOBJ.h"
#include "mesh/myobj/MyOBJDropped.h"
#include "mesh/scan/ObjScan.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

using mesh::detail::Scanner;

namespace {

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

void MyOBJ::loadMTLFile(const char* fileName, const mesh::FileSource& files) {
    mMaterialPropertyCount = 0;
    mCurrentMaterial = -1;
    mDropped &= ~mesh::detail::kDroppedMaterials;
    void* file = files.open(fileName, files.user);
    if (file) {
        diag::out("MTL File Open: %s\n", fileName);
        mesh::detail::forEachPieceOfFile(
            files, file, [this](const char* line, const char* end) { readMTLLine(line, end); });
        files.close(file, files.user);
    } else {
        diag::out("WARNING: MTL File did not open: %s\n", fileName);
    }
    reportDropped(mDropped & mesh::detail::kDroppedMaterials);
    displayListDirty = true;
}

void MyOBJ::readMTLLine(const char* line, const char* end) {
    const mesh::detail::Keyword word = mesh::detail::keywordOf(line, end);
    if (word.length == 0) {
        return; // blank lines mean nothing
    }
    float* colour[3] = {};
    if (mCurrentMaterial >= 0) {
        MaterialProperties& m = mMaterialProperties[mCurrentMaterial];
        colour[0] = m.Ka;
        colour[1] = m.Kd;
        colour[2] = m.Ks;
    }
    if (word.is("newmtl")) {
        newMaterialLine(line, end);
    } else if (word.is("Ns")) {
        readShininessLine(line, end);
    } else if (word.is("Ka") || word.is("Kd") || word.is("Ks")) {
        float* rgb = colour[word.begin[1] == 'a' ? 0 : word.begin[1] == 'd' ? 1 : 2];
        if (rgb) {
            readColourLine(line, end, rgb);
        }
    } else if (!word.is("d") && !word.is("illum")) {
        diag::out("\nWARNING: line type not known:\n(%.*s)\n\n", static_cast<int>(end - line),
                  line);
    }
}

void MyOBJ::newMaterialLine(const char* line, const char* end) {
    if (mMaterialPropertyCount < 0) {
        mMaterialPropertyCount = 0;
    }
    if (mMaterialPropertyCount >= kMaxMaterials) {
        // Its property lines must not land in the last kept material.
        mDropped |= mesh::detail::kDroppedMaterials;
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
        const mesh::detail::LineCopy copy(line, end);
        char keyword[mesh::detail::kLineBuffer + 1];
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
        const mesh::detail::LineCopy copy(line, end);
        char keyword[mesh::detail::kLineBuffer + 1];
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
        // Bounded: a caller may have left a name without its NUL.
        if (std::strncmp(whatMtl, mMaterialProperties[n].name, kNameSize) == 0) {
            index = n;
        }
    }
    if (index == -1) {
        diag::out("WARNING: UseMtl Material Not found: %s\n", whatMtl);
    }
    mMtlChangeCount = std::max(mMtlChangeCount, int32_t{0});
    if (mMtlChangeCount >= kMaxMtlChanges) {
        mDropped |= mesh::detail::kDroppedMtlChanges;
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
