// The richer reader's material libraries: colours, shininess and the diffuse
// texture map of each material.
#include "mesh/model/ObjModelMaterials.h"
#include "diag/Diagnostics.h"
#include "mesh/ObjModel.h"
#include "mesh/model/ObjModelText.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace mesh {

namespace {

using detail::Keyword;
using detail::Scanner;

// "Kd r g b", or "Kd r" for a grey; a colour that is no number is left as it was.
void readColour(Scanner& s, float (&rgb)[3]) {
    float c[3];
    int n = 0;
    while (n < 3 && detail::readNumber(s, c[n]))
        ++n;
    if (n == 1)
        c[1] = c[2] = c[0];
    if ((n == 1 || n == 3) && !std::isnan(c[0]) && !std::isnan(c[1]) && !std::isnan(c[2]))
        std::memcpy(rgb, c, sizeof c);
}

// The options a texture map may carry before its file name, with how many
// values each takes at most (-o, -s and -t take one to three numbers).
int optionValues(std::string_view option) {
    static const struct {
        const char* name;
        int values;
    } kOptions[] = {{"-blendu", 1}, {"-blendv", 1},  {"-bm", 1},  {"-boost", 1}, {"-cc", 1},
                    {"-clamp", 1},  {"-imfchan", 1}, {"-mm", 2},  {"-o", 3},     {"-s", 3},
                    {"-t", 3},      {"-texres", 1},  {"-type", 1}};
    for (const auto& o : kOptions)
        if (option == o.name)
            return o.values;
    return -1;
}

// The file name of "map_Kd [options] file", which may hold blanks.
std::string mapFileName(Scanner& s) {
    for (;;) {
        s.skipSpace();
        const char* start = s.p;
        const std::string_view word = detail::nextWord(s);
        const int values = optionValues(word);
        if (values < 0) {
            s.p = start;
            break;
        }
        // The first value of an option is anything; the others only numbers.
        detail::nextWord(s);
        float unused;
        for (int k = 1; k < values && detail::readNumber(s, unused); ++k) {
        }
    }
    const char* end = s.end;
    while (end > s.p && detail::isSpace(end[-1]))
        --end;
    return std::string(s.p, size_t(end - s.p));
}

} // namespace

namespace detail {

bool namesOutsideFolder(std::string_view name) {
    if (name.starts_with('/'))
        return true;
    for (size_t start = 0; start <= name.size();) {
        const size_t slash = std::min(name.find('/', start), name.size());
        if (name.substr(start, slash - start) == "..")
            return true;
        start = slash + 1;
    }
    return false;
}

void readMaterialLibrary(const char* name, const FileSource& files,
                         std::vector<ObjMaterial>& materials, const ObjReadOptions& options,
                         uint64_t& mapsLeftOut) {
    std::string bytes;
    bool cut = false;
    if (!detail::readWholeFile(files, name, bytes, cut)) {
        diag::out("WARNING: MTL File did not open: %s\n", name);
        return;
    }
    diag::out("MTL File Open: %s\n", name);
    const char* slash = std::strrchr(name, '/');
    const std::string folder(name, slash ? size_t(slash - name + 1) : 0);
    ObjMaterial* current = nullptr;
    bool full = false;
    detail::forEachLine(bytes, [&](const char* begin, const char* end) {
        const Keyword w = detail::keywordOf(begin, end);
        if (w.length == 0)
            return;
        Scanner s{w.begin + w.length, end};
        if (w.is("newmtl")) {
            current = nullptr;
            if (materials.size() >= ObjModel::kMaxMaterials) {
                full = true; // its property lines must not land in another material
                return;
            }
            materials.push_back({});
            current = &materials.back();
            current->name = detail::restAfter(w, end);
        } else if (!current) {
            return; // properties of no material
        } else if (w.is("Ka")) {
            readColour(s, current->Ka);
        } else if (w.is("Kd")) {
            readColour(s, current->Kd);
        } else if (w.is("Ks")) {
            readColour(s, current->Ks);
        } else if (w.is("Ns")) {
            float ns;
            if (detail::readNumber(s, ns) && std::isfinite(ns))
                current->Ns = ns;
        } else if (w.is("map_Kd")) {
            current->diffuseMap = mapFileName(s);
            // Written on Windows at times: folders after backslashes.
            std::replace(current->diffuseMap.begin(), current->diffuseMap.end(), '\\', '/');
            if (options.confineToModelFolder && namesOutsideFolder(current->diffuseMap)) {
                ++mapsLeftOut;
                current->diffuseMap.clear();
            }
            if (!current->diffuseMap.empty() && current->diffuseMap[0] != '/')
                current->diffuseMap.insert(0, folder);
        }
        // Every other statement (d, Tr, illum, Ni, the other maps...) is not drawn.
    });
    if (cut)
        diag::warning("%s is larger than %zu MiB; the rest is left out\n", name,
                      detail::kMaxFileBytes >> 20);
    if (full)
        diag::warning("more than %u materials, the rest left out\n",
                      unsigned(ObjModel::kMaxMaterials));
}

} // namespace detail
} // namespace mesh
