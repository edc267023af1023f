// The richer OBJ reader: whole lines, every element kind a viewer shows, and
// every index resolved and checked as it is read.
#include "diag/Diagnostics.h"
#include "mesh/ObjModel.h"
#include "mesh/ObjModelText.h"
#include "mesh/Triangulate.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstring>
#include <set>
#include <unordered_map>

namespace mesh {

namespace {

using objscan::Keyword;
using objscan::Scanner;

// Keywords of the format that a viewer of polygons has no use for: silent.
bool isIgnoredKeyword(const Keyword& w) {
    static const char* const kIgnored[] = {
        "g",          "s",         "vp",    "cstype",   "deg",      "bmat", "step",   "curv",
        "curv2",      "surf",      "parm",  "trim",     "hole",     "scrv", "sp",     "end",
        "con",        "mg",        "bevel", "c_interp", "d_interp", "lod",  "usemap", "maplib",
        "shadow_obj", "trace_obj", "ctech", "stech",    "call",     "csh"};
    for (const char* k : kIgnored)
        if (w.length == std::strlen(k) && std::memcmp(w.begin, k, w.length) == 0)
            return true;
    return w.begin[0] == '#';
}

// The 1-based or negative (relative) index of a record among count read so
// far, 0-based; -1 when it names none of them.
int32_t resolve(int64_t index, size_t count) {
    if (index > 0 && uint64_t(index) <= count)
        return int32_t(index - 1);
    if (index < 0 && uint64_t(-index) <= count)
        return int32_t(int64_t(count) + index);
    return -1;
}

// An optional integer; beyond 18 digits it saturates (and names nothing).
bool integer(const char*& p, const char* end, int64_t& out) {
    const bool negative = p < end && *p == '-';
    const char* q = p + (p < end && (*p == '-' || *p == '+'));
    int64_t value = 0;
    const char* digits = q;
    for (; q < end && objscan::isDigit(*q); ++q)
        value = value < int64_t(1e17) ? value * 10 + (*q - '0') : int64_t(1e18);
    if (q == digits)
        return false;
    out = negative ? -value : value;
    p = q;
    return true;
}

// One corner word: v, v/vt, v//vn or v/vt/vn (0: absent). False for a word of another shape.
bool parseCorner(std::string_view word, int64_t (&index)[3]) {
    const char* p = word.data();
    const char* const end = p + word.size();
    index[0] = index[1] = index[2] = 0;
    if (!integer(p, end, index[0]))
        return false;
    for (int k = 1; k < 3 && p < end; ++k) {
        if (*p != '/')
            return false;
        ++p;
        if (p < end && *p != '/' && !integer(p, end, index[k]))
            return false;
    }
    return p == end;
}

class Reader {
  public:
    Reader(ObjModel& model, const FileSource& files, const ObjReadOptions& options)
        : m_(model), files_(files), options_(options) {}

    void line(const char* begin, const char* end) {
        const Keyword w = objscan::keywordOf(begin, end);
        if (w.length == 0)
            return;
        Scanner s{w.begin + w.length, end};
        if (w.is("v"))
            vertex(s);
        else if (w.is("vt"))
            textureCoord(s);
        else if (w.is("vn"))
            normal(s);
        else if (w.is("f"))
            face(s);
        else if (w.is("l"))
            polyline(s);
        else if (w.is("p"))
            points(s);
        else if (w.is("usemtl"))
            material_ = useIndex(objmodel::restAfter(w, end));
        else if (w.is("mtllib"))
            libraries(s);
        else if (w.is("o")) {
            if (!named_)
                m_.name = objmodel::restAfter(w, end);
            named_ = true;
        } else if (!isIgnoredKeyword(w) && unknownLines_++ == 0) {
            firstUnknown_.assign(w.begin, std::min<size_t>(w.length, 40));
        }
    }

    void finish() {
        resolveMaterials();
        report();
    }

  private:
    // Room for count more entries in an array that holds size; false, and
    // the kind marked for its warning, when there is none.
    bool room(size_t size, size_t count, const char* kind) {
        if (size + count <= ObjModel::kMaxElements)
            return true;
        full_.insert(kind);
        return false;
    }

    void vertex(Scanner& s) {
        if (!room(m_.positions.size(), 1, "vertices"))
            return;
        float n[7] = {0, 0, 0, 0, 0, 0, 0};
        int count = 0;
        while (count < 7 && objmodel::readNumber(s, n[count]))
            ++count;
        m_.positions.push_back({n[0], n[1], n[2]});
        // x y z r g b: a colour; x y z w: a weight, ignored.
        const bool coloured = count >= 6;
        if (!coloured && m_.colours.empty())
            return;
        if (m_.colours.empty())
            m_.colours.assign(m_.positions.size() - 1, {NAN, NAN, NAN});
        Vector3D c{NAN, NAN, NAN};
        if (coloured) {
            const float* rgb = n + 3;
            if (std::isnan(rgb[0]) || std::isnan(rgb[1]) || std::isnan(rgb[2])) {
                ++colourNotNumbers_;
            } else {
                clampedColours_ += rgb[0] < 0 || rgb[0] > 1 || rgb[1] < 0 || rgb[1] > 1 ||
                                   rgb[2] < 0 || rgb[2] > 1;
                c = {std::clamp(rgb[0], 0.0f, 1.0f), std::clamp(rgb[1], 0.0f, 1.0f),
                     std::clamp(rgb[2], 0.0f, 1.0f)};
            }
        }
        m_.colours.push_back(c);
    }

    void textureCoord(Scanner& s) {
        if (!room(m_.textureCoords.size(), 1, "texture coordinates"))
            return;
        float u = 0, v = 0;
        objmodel::readNumber(s, u) && objmodel::readNumber(s, v);
        m_.textureCoords.push_back({u, 1.0f - v, 0.0f});
    }

    void normal(Scanner& s) {
        if (!room(m_.normals.size(), 1, "normals"))
            return;
        float n[3] = {0, 0, 0};
        objmodel::readNumber(s, n[0]) && objmodel::readNumber(s, n[1]) &&
            objmodel::readNumber(s, n[2]);
        m_.normals.push_back({n[0], n[1], n[2]});
    }

    // The corners of an element; false when one of them names no position or is no corner.
    bool readCorners(Scanner& s) {
        corners_.clear();
        bool named = true;
        for (std::string_view word; !(word = objmodel::nextWord(s)).empty();) {
            int64_t index[3];
            ObjCorner c;
            if (!parseCorner(word, index) || (c.v = resolve(index[0], m_.positions.size())) < 0) {
                named = false;
                continue;
            }
            c.vt = resolve(index[1], m_.textureCoords.size());
            c.vn = resolve(index[2], m_.normals.size());
            ignoredIndices_ += (index[1] != 0 && c.vt < 0) + (index[2] != 0 && c.vn < 0);
            corners_.push_back(c);
        }
        return named;
    }

    void face(Scanner& s) {
        const bool named = readCorners(s);
        if (!named) {
            ++facesOutOfRange_;
            return;
        }
        const size_t n = corners_.size();
        if (n < 3) {
            ++shortFaces_;
            return;
        }
        if (!room(m_.polygons.size(), 1, "faces") || !room(m_.corners.size(), n, "corners") ||
            !room(m_.trianglePolygons.size(), n - 2, "triangles"))
            return;
        spots_.clear();
        for (const ObjCorner& c : corners_)
            spots_.push_back(m_.positions[size_t(c.v)]);
        ObjPolygon polygon{uint32_t(m_.corners.size()), uint32_t(n), material_,
                           newellNormal(spots_)};
        cut_.clear();
        tangled_ += !triangulatePolygon(spots_, polygon.normal, cut_);
        for (uint32_t k : cut_)
            m_.triangles.push_back(polygon.firstCorner + k);
        m_.trianglePolygons.insert(m_.trianglePolygons.end(), cut_.size() / 3,
                                   uint32_t(m_.polygons.size()));
        m_.corners.insert(m_.corners.end(), corners_.begin(), corners_.end());
        m_.polygons.push_back(polygon);
    }

    void polyline(Scanner& s) {
        if (!readCorners(s)) {
            ++linesOutOfRange_;
            return;
        }
        if (corners_.size() < 2) {
            ++shortLines_;
            return;
        }
        if (!room(m_.lines.size(), 1, "line elements") ||
            !room(m_.corners.size(), corners_.size(), "corners"))
            return;
        m_.lines.push_back({uint32_t(m_.corners.size()), uint32_t(corners_.size()), material_});
        for (ObjCorner c : corners_)
            m_.corners.push_back({c.v, c.vt, -1}); // a line has no normals
    }

    void points(Scanner& s) {
        for (std::string_view word; !(word = objmodel::nextWord(s)).empty();) {
            int64_t index[3];
            const int32_t v =
                parseCorner(word, index) ? resolve(index[0], m_.positions.size()) : -1;
            if (v < 0)
                ++pointsOutOfRange_;
            else if (room(m_.points.size(), 1, "points"))
                m_.points.push_back(v);
        }
    }

    void libraries(Scanner& s) {
        for (std::string_view word; !(word = objmodel::nextWord(s)).empty();) {
            const std::string name(word);
            if (options_.confineToModelFolder && namesOutsideFolder(name)) {
                ++librariesLeftOut_;
                continue;
            }
            // Each library once, however often it is named.
            if (librariesRead_.insert(name).second)
                readMaterialLibrary(name.c_str(), files_, m_.materials, options_, mapsLeftOut_);
        }
    }

    // usemtl names are matched when every library has been read: a library
    // may be named after the faces that use it.
    int32_t useIndex(std::string_view name) {
        const auto [it, added] = useIndices_.emplace(std::string(name), int32_t(useNames_.size()));
        if (added)
            useNames_.push_back(it->first);
        return it->second;
    }

    void resolveMaterials() {
        std::unordered_map<std::string_view, int32_t> byName;
        for (size_t i = 0; i < m_.materials.size(); ++i)
            byName.emplace(m_.materials[i].name, int32_t(i)); // the first of a name
        std::vector<int32_t> material(useNames_.size(), -1);
        for (size_t u = 0; u < useNames_.size(); ++u) {
            const auto found = byName.find(useNames_[u]);
            if (found != byName.end())
                material[u] = found->second;
            else if (unknownMaterials_++ == 0)
                firstUnknownMaterial_ = useNames_[u];
        }
        for (ObjPolygon& p : m_.polygons)
            p.material = p.material < 0 ? -1 : material[size_t(p.material)];
        for (ObjPolyline& l : m_.lines)
            l.material = l.material < 0 ? -1 : material[size_t(l.material)];
    }

    void warn(uint64_t count, const char* what) {
        if (count)
            diag::out("WARNING: %" PRIu64 " %s\n", count, what);
    }

    void report() {
        for (const std::string& kind : full_)
            diag::out("WARNING: more than %" PRIu32 " %s, the rest left out\n",
                      ObjModel::kMaxElements, kind.c_str());
        warn(facesOutOfRange_, "faces with a corner that names no vertex left out");
        warn(shortFaces_, "faces with fewer than 3 corners left out");
        warn(ignoredIndices_, "texture or normal indices that name none ignored");
        warn(tangled_, "faces too tangled to cut into triangles exactly, partly cut as fans");
        warn(linesOutOfRange_, "line elements with a point that names no vertex left out");
        warn(shortLines_, "line elements of fewer than 2 points left out");
        warn(pointsOutOfRange_, "point indices that name no vertex left out");
        warn(clampedColours_, "vertex colours outside 0..1 clamped");
        warn(colourNotNumbers_, "vertex colours that are not numbers left out");
        warn(librariesLeftOut_, "material libraries outside the model's folder left out");
        warn(mapsLeftOut_, "texture maps outside the model's folder left out");
        if (unknownMaterials_)
            diag::out("WARNING: %" PRIu64 " materials named by usemtl are in no library "
                      "(the first: %s); their faces have none\n",
                      unknownMaterials_, firstUnknownMaterial_.c_str());
        if (unknownLines_)
            diag::out("WARNING: %" PRIu64 " lines of unknown kinds left out (the first: %s)\n",
                      unknownLines_, firstUnknown_.c_str());
        diag::out("Object Loaded: %s\nv: %zu, vt: %zu, vn: %zu, f: %zu, l: %zu, p: %zu\n\n",
                  m_.name.c_str(), m_.positions.size(), m_.textureCoords.size(), m_.normals.size(),
                  m_.polygons.size(), m_.lines.size(), m_.points.size());
    }

    ObjModel& m_;
    const FileSource& files_;
    const ObjReadOptions& options_;
    bool named_{};
    int32_t material_{-1}; // an index into useNames_ until the end of the load
    std::vector<std::string> useNames_;
    std::unordered_map<std::string, int32_t> useIndices_;
    std::set<std::string> librariesRead_;
    // Reused for each element.
    std::vector<ObjCorner> corners_;
    std::vector<Vector3D> spots_;
    std::vector<uint32_t> cut_;
    // What was left out, for one line each at the end.
    std::set<std::string> full_;
    uint64_t facesOutOfRange_{}, shortFaces_{}, ignoredIndices_{}, tangled_{};
    uint64_t linesOutOfRange_{}, shortLines_{}, pointsOutOfRange_{};
    uint64_t clampedColours_{}, colourNotNumbers_{};
    uint64_t unknownMaterials_{}, unknownLines_{};
    uint64_t librariesLeftOut_{}, mapsLeftOut_{}; // by options_
    std::string firstUnknownMaterial_, firstUnknown_;
};

} // namespace

bool readObjModel(const char* fileName, ObjModel& model, const FileSource& files,
                  const ObjReadOptions& options) {
    model = ObjModel{};
    std::string bytes;
    bool cut = false;
    if (!objmodel::readWholeFile(files, fileName, bytes, cut)) {
        diag::out("WARNING: OBJ File did not open: %s\n", fileName);
        return false;
    }
    diag::out("OBJ File Open: %s\n", fileName);
    if (cut)
        diag::out("WARNING: %s is larger than %zu MiB; the rest is left out\n", fileName,
                  objmodel::kMaxFileBytes >> 20);
    Reader reader(model, files, options);
    objmodel::forEachLine(bytes, [&](const char* b, const char* e) { reader.line(b, e); });
    reader.finish();
    return true;
}

bool readObjModelText(std::string_view objText, ObjModel& model, std::string_view mtlText) {
    TextFiles text(objText, mtlText);
    return readObjModel(TextFiles::kModelName, model, text.source());
}

} // namespace mesh
