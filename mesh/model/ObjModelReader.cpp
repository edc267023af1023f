// The richer OBJ reader: the file's blocks read into parts on every core,
// each part taken into the model in file order (where its indices are
// resolved and checked against the records before them), then the polygons
// cut into triangles on every core.
#include "diag/Diagnostics.h"
#include "mesh/ObjModel.h"
#include "mesh/model/ObjModelMaterials.h"
#include "mesh/model/ObjModelPart.h"
#include "mesh/model/ObjModelText.h"
#include "mesh/model/Triangulate.h"
#include "mesh/scan/TextBlocks.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstring>
#include <set>
#include <unordered_map>

namespace mesh {

namespace {

using detail::Corner;
using detail::Element;
using detail::ElementKind;
using detail::Part;

constexpr size_t kMax = ObjModel::kMaxElements;

// The 1-based or negative (relative) index of a record among count read so
// far, 0-based; -1 when it names none of them.
int32_t resolve(int32_t index, size_t count) {
    if (index > 0 && uint64_t(index) <= count)
        return index - 1;
    if (index < 0 && uint64_t(-int64_t(index)) <= count)
        return int32_t(int64_t(count) + index);
    return -1;
}

// The records before an element: the model's counts where its line stands.
struct Counts {
    size_t positions, textureCoords, normals;
};

class Loader final : public detail::BlockReader {
  public:
    Loader(ObjModel& model, const FileSource& files, size_t fileBytes,
           const ObjReadOptions& options)
        : m_(model), files_(files), options_(options), fileBytes_(fileBytes) {}

    size_t lastLineEnd(const char* data, size_t size) override {
        return detail::lastLineEnd(data, size);
    }
    void useParts(size_t parts) override { parts_.resize(parts); }
    void readInOrder(size_t part, const char* data, size_t size) override {
        parts_[part].read(data, size);
        take(parts_[part]);
    }
    void readAhead(size_t part, const char* data, size_t size) override {
        parts_[part].read(data, size);
    }
    void takePart(size_t part) override { take(parts_[part]); }

    // Once the file is read: the libraries, the triangles, the materials and
    // the report.
    void finish(unsigned threads) {
        parts_.clear();
        for (const std::string& name : libraries_)
            detail::readMaterialLibrary(name.c_str(), files_, m_.materials, options_, mapsLeftOut_);
        cutPolygons(threads);
        resolveMaterials();
        report();
    }

  private:
    // Room for count more entries in an array that holds size; false, and
    // the kind marked for its warning, when there is none.
    bool room(size_t size, size_t count, const char* kind) {
        if (size + count <= kMax)
            return true;
        full_.insert(kind);
        return false;
    }

    // Room for more entries of a kind the part holds count of: as many as
    // the rest of the file would hold at the part's density, if the file's
    // size is known, so that an array grows once or twice in a load.
    template <class T> void grow(std::vector<T>& v, size_t more, size_t count, const Part& p) {
        double expected = 0;
        if (p.bytes() > 0 && fileBytes_ > bytesTaken_)
            expected = double(count) / double(p.bytes()) * double(fileBytes_ - bytesTaken_);
        detail::reserveMore(v, more, size_t(std::min(double(kMax), v.size() + more + expected)));
    }

    // Appends what fits; returns how many did.
    template <class From>
    size_t append(std::vector<Vector3D>& to, const From& from, const char* kind, const Part& p) {
        const size_t n = std::min(from.size(), kMax - to.size());
        if (n < from.size())
            full_.insert(kind);
        grow(to, n, n, p);
        to.insert(to.end(), from.begin(), from.begin() + ptrdiff_t(n));
        return n;
    }

    void take(const Part& p) {
        const size_t before = m_.positions.size();
        const Counts base{before, m_.textureCoords.size(), m_.normals.size()};
        bytesTaken_ += p.bytes();
        const size_t kept = append(m_.positions, p.positions, "vertices", p);
        takeColours(p, before, kept);
        append(m_.textureCoords, p.textureCoords, "texture coordinates", p);
        append(m_.normals, p.normals, "normals", p);
        // Each library once, however often it is named; read at the end.
        for (const std::string& name : p.libraries)
            if (options_.confineToModelFolder && detail::namesOutsideFolder(name))
                ++librariesLeftOut_;
            else if (librariesRead_.insert(name).second)
                libraries_.push_back(name);
        if (p.named && !named_) {
            m_.name = p.name;
            named_ = true;
        }
        if (p.unknownLines && unknownLines_ == 0)
            firstUnknown_ = p.firstUnknown;
        unknownLines_ += p.unknownLines;
        uses_.clear();
        for (const std::string& name : p.useNames)
            uses_.push_back(useIndex(name));
        grow(m_.corners, p.corners.size(), p.corners.size(), p);
        grow(m_.polygons, p.elements.size(), p.elements.size(), p);
        if (!takePlainFaces(p, base))
            takeElements(p, base);
        if (p.material != detail::kInherited)
            material_ = uses_[size_t(p.material)];
    }

    // The usual block of faces: every corner as written, and room for all.
    bool takePlainFaces(const Part& p, const Counts& base) {
        const bool named =
            base.positions + p.positions.size() <= kMax &&
            base.textureCoords + p.textureCoords.size() <= kMax &&
            base.normals + p.normals.size() <= kMax && p.beyond[0] <= int64_t(base.positions) &&
            p.beyond[1] <= int64_t(base.textureCoords) && p.beyond[2] <= int64_t(base.normals);
        if (!p.plainFaces || !named || m_.polygons.size() + p.elements.size() > kMax ||
            m_.corners.size() + p.corners.size() > kMax || triangles_ + p.triangles > kMax)
            return false;
        uint32_t first = uint32_t(m_.corners.size());
        m_.corners.insert(m_.corners.end(), p.corners.begin(), p.corners.end());
        for (const Element& e : p.elements) {
            const int32_t material =
                e.material == detail::kInherited ? material_ : uses_[size_t(e.material)];
            m_.polygons.push_back({first, e.corners, material, {}});
            first += e.corners;
        }
        triangles_ += p.triangles;
        return true;
    }

    // Element by element: each checked, resolved where it is relative, and
    // left out with its kind's count where it names nothing or has no room.
    void takeElements(const Part& p, const Counts& base) {
        const Corner* c = p.corners.data();
        for (const Element& e : p.elements) {
            const Counts at{std::min(kMax, base.positions + e.positions),
                            std::min(kMax, base.textureCoords + e.textureCoords),
                            std::min(kMax, base.normals + e.normals)};
            const int32_t material =
                e.material == detail::kInherited ? material_ : uses_[size_t(e.material)];
            // Most elements name records before them with positive indices:
            // then each corner is as written, less one.
            const bool asWritten = !e.relative && !e.unreadable && e.mostV <= at.positions &&
                                   e.mostVt <= at.textureCoords && e.mostVn <= at.normals;
            const size_t first = m_.corners.size();
            if (asWritten) {
                if (e.kind != ElementKind::Points)
                    m_.corners.insert(m_.corners.end(), c, c + e.corners);
            } else if (!resolveCorners(e, c, at)) {
                ++(e.kind == ElementKind::Face ? facesOutOfRange_ : linesOutOfRange_);
                m_.corners.resize(first);
                c += e.corners;
                continue;
            }
            if (e.kind == ElementKind::Face)
                face(first, material);
            else if (e.kind == ElementKind::Line)
                polyline(first, material);
            else
                points(e, c, at);
            c += e.corners;
        }
    }

    // The part's colours for the positions kept; a model's colours begin at
    // its first coloured position.
    void takeColours(const Part& p, size_t before, size_t kept) {
        if (!coloured_ && !p.colours.empty() && p.firstColoured < kept) {
            coloured_ = true;
            grow(m_.colours, before + kept, kept, p);
            m_.colours.assign(before, {NAN, NAN, NAN});
        }
        if (coloured_) {
            grow(m_.colours, kept, kept, p);
            if (p.colours.empty())
                m_.colours.insert(m_.colours.end(), kept, {NAN, NAN, NAN});
            else
                m_.colours.insert(m_.colours.end(), p.colours.begin(),
                                  p.colours.begin() + ptrdiff_t(kept));
        }
        const auto below = [kept](const std::vector<uint32_t>& at) {
            return uint64_t(std::lower_bound(at.begin(), at.end(), kept) - at.begin());
        };
        clampedColours_ += below(p.clampedColours);
        colourNotNumbers_ += below(p.colourNotNumbers);
    }

    // The element's corners onto the model's, each resolved; false when one
    // names no position (or a word is no corner). Points stay off: they are
    // checked one by one.
    bool resolveCorners(const Element& e, const Corner* c, const Counts& at) {
        bool named = !e.unreadable;
        if (e.kind == ElementKind::Points)
            return named;
        for (uint32_t k = 0; k < e.corners; ++k) {
            ObjCorner corner;
            if ((corner.v = resolve(c[k].v + 1, at.positions)) < 0) {
                named = false;
                continue;
            }
            corner.vt = resolve(c[k].vt + 1, at.textureCoords);
            corner.vn = resolve(c[k].vn + 1, at.normals);
            ignoredIndices_ += (c[k].vt != -1 && corner.vt < 0) + (c[k].vn != -1 && corner.vn < 0);
            m_.corners.push_back(corner);
        }
        return named;
    }

    // A face of the corners from first on, all named.
    void face(size_t first, int32_t material) {
        const size_t n = m_.corners.size() - first;
        if (n < 3) {
            ++shortFaces_;
        } else if (room(m_.polygons.size(), 1, "faces") && room(first, n, "corners") &&
                   room(triangles_, n - 2, "triangles")) {
            if (m_.polygons.size() == m_.polygons.capacity())
                detail::reserveMore(m_.polygons, 1);
            m_.polygons.push_back({uint32_t(first), uint32_t(n), material, {}});
            triangles_ += n - 2;
            return;
        }
        m_.corners.resize(first);
    }

    void polyline(size_t first, int32_t material) {
        const size_t n = m_.corners.size() - first;
        if (n < 2) {
            ++shortLines_;
        } else if (room(m_.lines.size(), 1, "line elements") && room(first, n, "corners")) {
            m_.lines.push_back({uint32_t(first), uint32_t(n), material});
            for (size_t k = first; k < m_.corners.size(); ++k)
                m_.corners[k].vn = -1; // a line has no normals
            return;
        }
        m_.corners.resize(first);
    }

    void points(const Element& e, const Corner* c, const Counts& at) {
        for (uint32_t k = 0; k < e.corners; ++k) {
            const int32_t v = resolve(c[k].v + 1, at.positions);
            if (v < 0)
                ++pointsOutOfRange_;
            else if (room(m_.points.size(), 1, "points"))
                m_.points.push_back(v);
        }
    }

    // usemtl names are matched when every library has been read: a library
    // may be named after the faces that use it.
    int32_t useIndex(const std::string& name) {
        const auto [it, added] = useIndices_.emplace(name, int32_t(useNames_.size()));
        if (added)
            useNames_.push_back(it->first);
        return it->second;
    }

    // Each polygon's normal and triangles, n - 2 for n corners: so where each
    // range of polygons puts its triangles is known before they are cut.
    void cutPolygons(unsigned threads) {
        constexpr size_t kGrain = 4096;
        const size_t count = m_.polygons.size();
        std::vector<size_t> firstTriangle(count / kGrain + 1);
        for (size_t i = 0, t = 0; i < count; t += m_.polygons[i].cornerCount - 2, ++i)
            if (i % kGrain == 0)
                firstTriangle[i / kGrain] = t;
        detail::reserveMore(m_.triangles, 3 * triangles_);
        m_.triangles.resize(3 * triangles_);
        detail::reserveMore(m_.trianglePolygons, triangles_);
        m_.trianglePolygons.resize(triangles_);
        struct Worker {
            std::vector<Vector3D> spots; // of a polygon too large for the stack
            std::vector<uint32_t> cut;
            uint64_t tangled = 0;
        };
        std::vector<Worker> workers(std::max(threads, 1u));
        const ObjCorner* const corners = m_.corners.data();
        const Vector3D* const positions = m_.positions.data();
        detail::forEachRange(count, kGrain, threads, [&](unsigned w, size_t begin, size_t end) {
            Worker& k = workers[w];
            size_t t = firstTriangle[begin / kGrain];
            for (size_t i = begin; i < end; ++i) {
                // The positions are all over the array: ask for those of a
                // later polygon while this one is cut.
                constexpr size_t kAhead = 16;
                if (i + kAhead < end) {
                    const ObjPolygon& later = m_.polygons[i + kAhead];
                    for (uint32_t j = 0; j < std::min(later.cornerCount, 4u); ++j)
                        __builtin_prefetch(positions + corners[later.firstCorner + j].v);
                }
                ObjPolygon& polygon = m_.polygons[i];
                const uint32_t n = polygon.cornerCount;
                const ObjCorner* corner = corners + polygon.firstCorner;
                Vector3D few[8];
                Vector3D* spots = few;
                if (n > std::size(few)) {
                    k.spots.resize(n);
                    spots = k.spots.data();
                }
                for (uint32_t j = 0; j < n; ++j)
                    spots[j] = positions[size_t(corner[j].v)];
                // The usual sizes spelled out, so that each is unrolled.
                polygon.normal = n == 3   ? newellNormal(spots, 3)
                                 : n == 4 ? newellNormal(spots, 4)
                                          : newellNormal(spots, n);
                uint32_t* out = m_.triangles.data() + 3 * t;
                if (n == 3) {
                    out[0] = polygon.firstCorner;
                    out[1] = polygon.firstCorner + 1;
                    out[2] = polygon.firstCorner + 2;
                } else if (n == 4) {
                    uint32_t quad[6];
                    k.tangled += !triangulateQuad(spots, polygon.normal, quad);
                    for (size_t j = 0; j < 6; ++j)
                        out[j] = polygon.firstCorner + quad[j];
                } else {
                    k.cut.clear();
                    k.tangled += !triangulatePolygon(spots, n, polygon.normal, k.cut);
                    for (size_t j = 0; j < 3 * (n - 2); ++j)
                        out[j] = polygon.firstCorner + (j < k.cut.size() ? k.cut[j] : 0);
                }
                std::fill_n(m_.trianglePolygons.data() + t, n - 2, uint32_t(i));
                t += n - 2;
            }
        });
        for (const Worker& k : workers)
            tangled_ += k.tangled;
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
            diag::warning("%" PRIu64 " %s\n", count, what);
    }

    void report() {
        for (const std::string& kind : full_)
            diag::warning("more than %" PRIu32 " %s, the rest left out\n", ObjModel::kMaxElements,
                          kind.c_str());
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
            diag::warning("%" PRIu64 " materials named by usemtl are in no library "
                          "(the first: %s); their faces have none\n",
                          unknownMaterials_, firstUnknownMaterial_.c_str());
        if (unknownLines_)
            diag::warning("%" PRIu64 " lines of unknown kinds left out (the first: %s)\n",
                          unknownLines_, firstUnknown_.c_str());
        diag::out("Object Loaded: %s\nv: %zu, vt: %zu, vn: %zu, f: %zu, l: %zu, p: %zu\n\n",
                  m_.name.c_str(), m_.positions.size(), m_.textureCoords.size(), m_.normals.size(),
                  m_.polygons.size(), m_.lines.size(), m_.points.size());
    }

    ObjModel& m_;
    const FileSource& files_;
    const ObjReadOptions& options_;
    const size_t fileBytes_; // 0: not known
    size_t bytesTaken_{};
    std::vector<Part> parts_; // of the blocks read ahead
    bool named_{};
    bool coloured_{};      // a position kept so far has a colour
    int32_t material_{-1}; // an index into useNames_ until the end of the load
    std::vector<std::string> useNames_;
    std::unordered_map<std::string, int32_t> useIndices_;
    std::vector<int32_t> uses_; // of the part being taken: its use names' indices
    std::set<std::string> librariesRead_;
    std::vector<std::string> libraries_; // in the order they were first named
    size_t triangles_{};                 // the polygons' triangles to be
    // What was left out, for one line each at the end.
    std::set<std::string> full_;
    uint64_t facesOutOfRange_{}, shortFaces_{}, ignoredIndices_{}, tangled_{};
    uint64_t linesOutOfRange_{}, shortLines_{}, pointsOutOfRange_{};
    uint64_t clampedColours_{}, colourNotNumbers_{};
    uint64_t unknownMaterials_{}, unknownLines_{};
    uint64_t librariesLeftOut_{}, mapsLeftOut_{}; // by options_
    std::string firstUnknownMaterial_, firstUnknown_;
};

// Closes the file however the read ends.
struct OpenFile {
    const FileSource& files;
    void* file;
    ~OpenFile() { files.close(file, files.user); }
};

} // namespace

bool readObjModel(const char* fileName, ObjModel& model, const FileSource& files,
                  const ObjReadOptions& options) {
    return detail::readModel(fileName, model, files, detail::Settings{}, options);
}

bool readObjModelText(std::string_view objText, ObjModel& model, std::string_view mtlText) {
    TextFiles text(objText, mtlText);
    return readObjModel(TextFiles::kModelName, model, text.source());
}

bool detail::readModel(const char* fileName, mesh::ObjModel& model, const mesh::FileSource& files,
                       const detail::Settings& settings, const mesh::ObjReadOptions& options) {
    model = mesh::ObjModel{};
    void* file = files.open(fileName, files.user);
    if (!file) {
        diag::out("WARNING: OBJ File did not open: %s\n", fileName);
        return false;
    }
    diag::out("OBJ File Open: %s\n", fileName);
    mesh::Loader loader(model, files, files.size ? files.size(file, files.user) : 0, options);
    detail::Settings limited = settings;
    limited.maxBytes = std::min(settings.maxBytes, kMaxFileBytes);
    detail::Result read;
    {
        const mesh::OpenFile open{files, file};
        read = detail::read(files, file, loader, limited);
    }
    if (read.cut)
        diag::warning("%s is larger than %zu MiB; the rest is left out\n", fileName,
                      limited.maxBytes >> 20);
    loader.finish(detail::threadsFor(settings.threads));
    return true;
}

} // namespace mesh
