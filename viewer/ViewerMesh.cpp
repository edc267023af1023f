#include "viewer/ViewerMesh.h"

#include "diag/Diagnostics.h"
#include "image/QTImage.h"

// The buffer object calls (GL 1.5), which libGL exports.
#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <malloc.h>

namespace {

// Faces without a material or a colour of their own: a light, neutral grey.
constexpr float kNeutral[4] = {0.78f, 0.77f, 0.74f, 1.0f};
// Outlines, normals, line and point elements: unlit, dark against the faces.
constexpr float kInk[4] = {0.12f, 0.13f, 0.15f, 1.0f};
// A normal line's length in the framed model, whose radius is 1.
constexpr float kNormalLength = 0.04f;
// A software renderer (llvmpipe) keeps every triangle it has set up until the
// frame is flushed, some 150 bytes each: flushed after each piece, it fills
// the piece while the next is set up and reuses its memory. A large model
// then costs a tenth of the memory to draw and draws a little faster; most
// models are one piece.
constexpr size_t kTrianglesPerFlush = 100000;

// A corner as the file names it. vn is the file's normal, or below 0 where
// the corner takes another: -1 none (lines and points), -2 - p polygon p's.
// Corners that differ only in which other normal they would take are one.
struct CornerKey {
    int32_t v, vt, vn;
    bool sameAs(const CornerKey& o) const {
        return v == o.v && vt == o.vt && std::max(vn, -1) == std::max(o.vn, -1);
    }
};

// The distinct corners of a model, numbered in the order first met: open
// addressing into the keys, kept at most half full.
class CornerTable {
  public:
    explicit CornerTable(size_t expected) {
        keys_.reserve(expected);
        rehash(std::bit_ceil(2 * std::max<size_t>(expected, 8)));
    }
    uint32_t of(const CornerKey& key) {
        if (2 * (keys_.size() + 1) > slots_.size())
            rehash(2 * slots_.size());
        for (size_t i = hash(key);; ++i) {
            uint32_t& slot = slots_[i & (slots_.size() - 1)];
            if (slot == 0) {
                keys_.push_back(key);
                slot = uint32_t(keys_.size());
                return slot - 1;
            }
            if (keys_[slot - 1].sameAs(key))
                return slot - 1;
        }
    }
    // The keys in number order; the table is gone.
    std::vector<CornerKey> keys() && {
        std::vector<uint32_t>().swap(slots_);
        return std::move(keys_);
    }

  private:
    static size_t hash(const CornerKey& k) {
        uint64_t h = uint64_t(uint32_t(k.v)) * 0x9E3779B97F4A7C15ull ^
                     uint64_t(uint32_t(k.vt)) * 0xC2B2AE3D27D4EB4Full ^
                     uint64_t(uint32_t(std::max(k.vn, -1))) * 0x165667B19E3779F9ull;
        h ^= h >> 31;
        h *= 0xD6E8FEB86659FD93ull;
        return size_t(h ^ (h >> 32));
    }
    void rehash(size_t size) {
        slots_.assign(size, 0);
        for (size_t n = 0; n < keys_.size(); ++n)
            for (size_t i = hash(keys_[n]);; ++i)
                if (uint32_t& slot = slots_[i & (size - 1)]; slot == 0) {
                    slot = uint32_t(n + 1);
                    break;
                }
    }
    std::vector<uint32_t> slots_; // a key's number + 1; 0 empty
    std::vector<CornerKey> keys_;
};

template <class T> void release(std::vector<T>& v) {
    std::vector<T>().swap(v);
}

// Once the model's arrays are freed, and the drawing's copies once in buffers:
// their pages back to the system (the C library may keep them for later), so
// that what a large model costs is held once.
void returnFreedMemory() {
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

// The normal of length 1, or none (zero) where it has no direction.
Vector3D unit(Vector3D n) {
    const Vector3D u = Vector3DNormalize(n);
    return std::isfinite(u.x + u.y + u.z) ? u : Vector3D{0, 0, 0};
}

void setMaterial(const float* ambient, const float* diffuse, const float* specular,
                 float shininess) {
    const float a[4] = {ambient[0], ambient[1], ambient[2], 1.0f};
    const float d[4] = {diffuse[0], diffuse[1], diffuse[2], 1.0f};
    const float s[4] = {specular[0], specular[1], specular[2], 1.0f};
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, a);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, d);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, s);
    // Files write Ns from 0 to 1000; GL takes 0 to 128.
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, std::fmin(std::fmax(shininess, 0.0f), 128.0f));
}

void setNeutralMaterial() {
    const float specular[3] = {0.25f, 0.25f, 0.25f};
    setMaterial(kNeutral, kNeutral, specular, 24.0f);
}

unsigned textureFromFile(const std::string& path, const std::string& material) {
    std::unique_ptr<QTImage> image = QTImage::imageFromPath(path);
    if (image) {
        image->LoadImageData();
        image->CreateImageWithBitdepth(32, MAX_BUFFER_WIDTH, MAX_BUFFER_HEIGHT);
    }
    if (!image || !image->image_loaded || !image->aligned_buffer_ptr) {
        diag::err("dravin: cannot read the texture %s of the material %s; it is drawn without\n",
                  path.c_str(), material.c_str());
        return 0;
    }
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    // GL copies the pixels here, so the image may go.
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, GLsizei(image->buffer_size.width),
                 GLsizei(image->buffer_size.height), 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
                 image->aligned_buffer_ptr);
    return name;
}

} // namespace

template <class T> void ViewerMesh::Array<T>::set(std::vector<T> entries) {
    data = std::move(entries);
    count = data.size();
}

template <class T> const void* ViewerMesh::Array<T>::at(size_t entry) const {
    if (buffer)
        return reinterpret_cast<const void*>(entry * sizeof(T));
    return data.data() + entry;
}

template <class T> const T* ViewerMesh::Array<T>::read(std::vector<T>& scratch) const {
    if (!buffer)
        return data.data();
    scratch.resize(count);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, GLsizeiptr(count * sizeof(T)), scratch.data());
    return scratch.data();
}

template <class T> std::vector<T> ViewerMesh::Array<T>::take() {
    std::vector<T> entries;
    if (buffer) {
        read(entries);
        glDeleteBuffers(1, &buffer);
        buffer = 0;
    } else {
        entries = std::move(data);
    }
    count = 0;
    return entries;
}

ViewerMesh::ViewerMesh(mesh::ObjModel& model) : model_(model) {
    mesh::ObjModel& m = model;
    fileNormals_ = !m.normals.empty();
    coloured_ = !m.colours.empty();
    textured_ = !m.textureCoords.empty();

    polygonNormals_.reserve(m.polygons.size());
    for (const mesh::ObjPolygon& p : m.polygons)
        polygonNormals_.push_back(p.normal);

    // Each distinct corner once: a position with its texture coordinate,
    // normal (the file's, or its polygon's) and colour.
    CornerTable table(m.positions.size());
    std::vector<uint32_t> cornerVertex(m.corners.size());
    for (size_t p = 0; p < m.polygons.size(); ++p)
        for (uint32_t k = m.polygons[p].firstCorner;
             k < m.polygons[p].firstCorner + m.polygons[p].cornerCount; ++k) {
            const mesh::ObjCorner& c = m.corners[k];
            cornerVertex[k] = table.of({c.v, c.vt, c.vn >= 0 ? c.vn : -2 - int32_t(p)});
        }
    for (const mesh::ObjPolyline& l : m.lines)
        for (uint32_t k = l.firstCorner; k < l.firstCorner + l.cornerCount; ++k)
            cornerVertex[k] = table.of({m.corners[k].v, m.corners[k].vt, -1});
    // Points: the "p" elements, or every vertex of a model with nothing else to show.
    const bool cloud = m.polygons.empty() && m.lines.empty() && m.points.empty();
    std::vector<uint32_t> points(cloud ? m.positions.size() : m.points.size());
    for (size_t i = 0; i < points.size(); ++i)
        points[i] = table.of({cloud ? int32_t(i) : m.points[i], -1, -1});
    points_.set(std::move(points));
    release(m.corners);
    release(m.points);

    // The vertex arrays, each model array freed once read.
    const std::vector<CornerKey> keys = std::move(table).keys();
    vertexCount_ = keys.size();
    const auto gather = [&](size_t width, auto entry) {
        std::vector<float> a(width * keys.size());
        for (size_t i = 0; i < keys.size(); ++i) {
            const Vector3D e = entry(keys[i]);
            const float xyz[3] = {e.x, e.y, e.z};
            std::copy_n(xyz, width, &a[width * i]);
        }
        return a;
    };
    position_.set(gather(3, [&](const CornerKey& k) { return m.positions[size_t(k.v)]; }));
    normal_.set(gather(3, [&](const CornerKey& k) {
        return k.vn >= 0    ? m.normals[size_t(k.vn)]
               : k.vn == -1 ? Vector3D{0, 0, 0}
                            : polygonNormals_[size_t(-2 - k.vn)];
    }));
    if (textured_)
        texture_.set(gather(2, [&](const CornerKey& k) {
            return k.vt >= 0 ? m.textureCoords[size_t(k.vt)] : Vector3D{0, 0, 0};
        }));
    if (coloured_)
        colour_.set(gather(3, [&](const CornerKey& k) {
            return m.hasColour(size_t(k.v)) ? m.colours[size_t(k.v)]
                                            : Vector3D{kNeutral[0], kNeutral[1], kNeutral[2]};
        }));
    release(m.positions);
    release(m.normals);
    release(m.textureCoords);
    release(m.colours);

    // Triangles grouped by material in the materials' order, those without one
    // last: a counting sort on material + 1, slot 0 holding the ones without.
    const size_t slots = m.materials.size() + 1;
    std::vector<size_t> start(slots + 1, 0);
    for (uint32_t p : m.trianglePolygons)
        ++start[size_t(m.polygons[p].material + 1) + 1];
    for (size_t g = 1; g <= slots; ++g)
        start[g] += start[g - 1];
    std::vector<uint32_t> triangles(m.triangles.size());
    polygonOf_.resize(m.trianglePolygons.size());
    outline_.resize(m.trianglePolygons.size());
    std::vector<size_t> next(start.begin(), start.end() - 1);
    for (size_t t = 0; t < m.trianglePolygons.size(); ++t) {
        const uint32_t polygon = m.trianglePolygons[t];
        const mesh::ObjPolygon& p = m.polygons[polygon];
        const size_t at = next[size_t(p.material + 1)]++;
        polygonOf_[at] = polygon;
        // Which sides of the triangle are sides of its polygon: corners next to each other.
        const auto after = [&](uint32_t k) {
            return k + 1 == p.firstCorner + p.cornerCount ? p.firstCorner : k + 1;
        };
        const uint32_t* c = &m.triangles[3 * t];
        for (size_t k = 0; k < 3; ++k) {
            triangles[3 * at + k] = cornerVertex[c[k]];
            const uint32_t d = c[(k + 1) % 3];
            if (after(c[k]) == d || after(d) == c[k])
                outline_[at] |= uint8_t(1u << k);
        }
    }
    triangles_.set(std::move(triangles));
    for (size_t g = 1; g <= slots; ++g) {
        const size_t slot = g % slots;
        if (start[slot + 1] > start[slot])
            groups_.push_back(
                {3 * start[slot], 3 * (start[slot + 1] - start[slot]), int32_t(slot) - 1});
    }
    release(m.triangles);
    release(m.trianglePolygons);

    std::vector<uint32_t> pairs;
    for (const mesh::ObjPolyline& l : m.lines)
        for (uint32_t k = l.firstCorner; k + 1 < l.firstCorner + l.cornerCount; ++k)
            pairs.insert(pairs.end(), {cornerVertex[k], cornerVertex[k + 1]});
    lines_.set(std::move(pairs));
    release(m.polygons);
    release(m.lines);
    returnFreedMemory();
}

ViewerMesh::~ViewerMesh() {
    if (contextHasBuffers_) {
        for (Array<float>* a :
             {&position_, &normal_, &texture_, &colour_, &normalLines_[0], &normalLines_[1]})
            glDeleteBuffers(1, &a->buffer);
        for (Array<uint32_t>* a : {&triangles_, &flatTriangles_, &outlines_, &lines_, &points_})
            glDeleteBuffers(1, &a->buffer);
    }
    for (unsigned texture : textures_)
        if (texture != kNotLoaded)
            glDeleteTextures(1, &texture);
}

template <class T> void ViewerMesh::upload(Array<T>& array, unsigned target) {
    if (storage != Storage::buffers || !contextHasBuffers_ || array.data.empty())
        return;
    // An error left by someone else would read as this upload's.
    for (int i = 0; i < 8 && glGetError() != GL_NO_ERROR; ++i) {
    }
    GLuint name = 0;
    glGenBuffers(1, &name);
    glBindBuffer(target, name);
    glBufferData(target, GLsizeiptr(array.data.size() * sizeof(T)), array.data.data(),
                 GL_STATIC_DRAW);
    if (glGetError() != GL_NO_ERROR) {
        // No room in the driver: this array stays a client array.
        glDeleteBuffers(1, &name);
        return;
    }
    array.buffer = name;
    release(array.data);
}

void ViewerMesh::upload() {
    for (Array<float>* a : {&position_, &normal_, &texture_, &colour_})
        upload(*a, GL_ARRAY_BUFFER);
    for (Array<uint32_t>* a : {&triangles_, &lines_, &points_})
        upload(*a, GL_ELEMENT_ARRAY_BUFFER);
    returnFreedMemory();
}

void ViewerMesh::bind(unsigned target, unsigned buffer) const {
    if (contextHasBuffers_)
        glBindBuffer(target, buffer);
}

void ViewerMesh::buildFlat() {
    if (flatBuilt_)
        return;
    flatBuilt_ = true;
    std::vector<uint32_t> scratch;
    const uint32_t* triangles = triangles_.read(scratch);
    // Each corner that needs the polygon's normal gets a copy of its vertex
    // with it, shared by the triangles of the polygon. Vertex colours vary
    // over a face: every corner of a coloured face is copied. Otherwise the
    // triangle is lit once, at its last corner (GL_FLAT), and that one alone
    // is copied: the corners are turned so that one that has a copy is last.
    std::vector<uint32_t> flat(triangles_.count), source, sourcePolygon;
    size_t polygonStart = 0;
    // A copy of vertex v for this polygon among the last few made, else 0.
    const auto copyFor = [&](uint32_t v) -> size_t {
        constexpr size_t kRecent = 16;
        for (size_t i = source.size(); i > polygonStart && i + kRecent > source.size(); --i)
            if (source[i - 1] == v)
                return vertexCount_ + i;
        return 0;
    };
    const auto copyOf = [&](uint32_t v, uint32_t polygon) {
        if (const size_t copy = copyFor(v))
            return uint32_t(copy - 1);
        source.push_back(v);
        sourcePolygon.push_back(polygon);
        return uint32_t(vertexCount_ + source.size() - 1);
    };
    for (size_t t = 0; t < triangles_.count / 3; ++t) {
        const uint32_t polygon = polygonOf_[t];
        if (t == 0 || polygon != polygonOf_[t - 1])
            polygonStart = source.size();
        const uint32_t* c = triangles + 3 * t;
        uint32_t* out = flat.data() + 3 * t;
        if (coloured_) {
            for (size_t k = 0; k < 3; ++k)
                out[k] = copyOf(c[k], polygon);
            continue;
        }
        size_t last = 2;
        for (size_t k = 0; k < 3; ++k)
            if (copyFor(c[k]))
                last = k;
        out[0] = c[(last + 1) % 3];
        out[1] = c[(last + 2) % 3];
        out[2] = copyOf(c[last], polygon);
    }
    flatTriangles_.set(std::move(flat));
    upload(flatTriangles_, GL_ELEMENT_ARRAY_BUFFER);

    const auto extend = [&](Array<float>& array, size_t width, auto copy) {
        std::vector<float> a = array.take();
        a.resize(width * (vertexCount_ + source.size()));
        for (size_t i = 0; i < source.size(); ++i)
            copy(&a[width * (vertexCount_ + i)], i, &a[width * source[i]]);
        array.set(std::move(a));
        upload(array, GL_ARRAY_BUFFER);
    };
    const auto same = [](size_t width) {
        return [width](float* to, size_t, const float* from) { std::copy_n(from, width, to); };
    };
    extend(position_, 3, same(3));
    extend(normal_, 3, [&](float* to, size_t i, const float*) {
        const Vector3D& n = polygonNormals_[sourcePolygon[i]];
        to[0] = n.x, to[1] = n.y, to[2] = n.z;
    });
    if (textured_)
        extend(texture_, 2, same(2));
    if (coloured_)
        extend(colour_, 3, same(3));
}

void ViewerMesh::buildOutlines() {
    if (outlinesBuilt_)
        return;
    outlinesBuilt_ = true;
    std::vector<uint32_t> scratch, pairs;
    const uint32_t* triangles = triangles_.read(scratch);
    for (size_t t = 0; t < outline_.size(); ++t)
        for (size_t k = 0; k < 3; ++k)
            if (outline_[t] >> k & 1)
                pairs.insert(pairs.end(), {triangles[3 * t + k], triangles[3 * t + (k + 1) % 3]});
    outlines_.set(std::move(pairs));
    upload(outlines_, GL_ELEMENT_ARRAY_BUFFER);
}

void ViewerMesh::buildNormalLines(bool smooth) {
    if (normalLinesBuilt_[smooth])
        return;
    normalLinesBuilt_[smooth] = true;
    std::vector<float> lines;
    const auto line = [&](const Vector3D& p, Vector3D n) {
        n = unit(n);
        lines.insert(lines.end(), {p.x, p.y, p.z, p.x + kNormalLength * n.x,
                                   p.y + kNormalLength * n.y, p.z + kNormalLength * n.z});
    };
    if (smooth) {
        // The normals the faces are lit with: of the vertices of the polygons.
        std::vector<float> positionScratch, normalScratch;
        std::vector<uint32_t> triangleScratch;
        const float* p = position_.read(positionScratch);
        const float* n = normal_.read(normalScratch);
        const uint32_t* triangles = triangles_.read(triangleScratch);
        std::vector<bool> done(vertexCount_);
        for (size_t k = 0; k < triangles_.count; ++k)
            if (const uint32_t v = triangles[k]; !done[v]) {
                done[v] = true;
                line({p[3 * v], p[3 * v + 1], p[3 * v + 2]},
                     {n[3 * v], n[3 * v + 1], n[3 * v + 2]});
            }
    } else {
        // One at the middle of each polygon: of the corners its sides start from.
        std::vector<float> positionScratch;
        std::vector<uint32_t> triangleScratch;
        const float* p = position_.read(positionScratch);
        const uint32_t* triangles = triangles_.read(triangleScratch);
        std::vector<double> sum(4 * polygonNormals_.size());
        for (size_t t = 0; t < outline_.size(); ++t)
            for (size_t k = 0; k < 3; ++k)
                if (outline_[t] >> k & 1) {
                    double* s = &sum[4 * polygonOf_[t]];
                    const float* v = &p[3 * triangles[3 * t + k]];
                    s[0] += v[0], s[1] += v[1], s[2] += v[2], s[3] += 1;
                }
        for (size_t i = 0; i < polygonNormals_.size(); ++i)
            if (const double* s = &sum[4 * i]; s[3] > 0)
                line({float(s[0] / s[3]), float(s[1] / s[3]), float(s[2] / s[3])},
                     polygonNormals_[i]);
    }
    normalLines_[smooth].set(std::move(lines));
    upload(normalLines_[smooth], GL_ARRAY_BUFFER);
}

bool ViewerMesh::useMaterial(int32_t material, const ViewerFlags& flags, unsigned checker) {
    const mesh::ObjMaterial* mat =
        flags.materials && material >= 0 ? &model_.materials[size_t(material)] : nullptr;
    if (mat)
        setMaterial(mat->Ka, mat->Kd, mat->Ks, mat->Ns);
    else
        setNeutralMaterial();
    unsigned texture = flags.textures ? checker : 0;
    if (mat && !mat->diffuseMap.empty() && (flags.materials || flags.textures)) {
        if (textures_.empty())
            textures_.assign(model_.materials.size(), kNotLoaded);
        unsigned& map = textures_[size_t(material)];
        if (map == kNotLoaded)
            map = textureFromFile(mat->diffuseMap, mat->name);
        texture = map ? map : texture;
    }
    if (!texture || !textured_) {
        glDisable(GL_TEXTURE_2D);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        return false;
    }
    glBindTexture(GL_TEXTURE_2D, texture);
    glEnable(GL_TEXTURE_2D);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    return true;
}

void ViewerMesh::pointVertices(bool normals) const {
    bind(GL_ARRAY_BUFFER, position_.buffer);
    glVertexPointer(3, GL_FLOAT, 0, position_.at(0));
    if (normals) {
        glEnableClientState(GL_NORMAL_ARRAY);
        bind(GL_ARRAY_BUFFER, normal_.buffer);
        glNormalPointer(GL_FLOAT, 0, normal_.at(0));
    }
    if (coloured_) {
        glEnableClientState(GL_COLOR_ARRAY);
        bind(GL_ARRAY_BUFFER, colour_.buffer);
        glColorPointer(3, GL_FLOAT, 0, colour_.at(0));
    }
    if (textured_) {
        bind(GL_ARRAY_BUFFER, texture_.buffer);
        glTexCoordPointer(2, GL_FLOAT, 0, texture_.at(0));
    }
}

void ViewerMesh::drawFaces(const ViewerFlags& flags, unsigned checker) {
    if (!flags.smooth)
        buildFlat();
    const Array<uint32_t>& triangles = flags.smooth ? triangles_ : flatTriangles_;
    glEnable(GL_LIGHTING);
    // Flat normals follow each face's winding, which models from elsewhere do
    // not keep alike: light both sides. A file's own normals are right
    // whichever way a face winds, and two-sided lighting would turn them away.
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, flags.smooth ? GL_FALSE : GL_TRUE);
    if (!flags.smooth && !coloured_)
        glShadeModel(GL_FLAT);
    if (coloured_) {
        // Vertex colours are the faces' own: they stand for the material's diffuse colour.
        glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
        glEnable(GL_COLOR_MATERIAL);
    }
    if (flags.wireframe) {
        // The outlines drawn after stay in front of the faces they edge.
        glEnable(GL_POLYGON_OFFSET_FILL);
        glPolygonOffset(1.0f, 1.0f);
    }
    pointVertices(true);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    bind(GL_ELEMENT_ARRAY_BUFFER, triangles.buffer);
    for (const Group& g : groups_) {
        useMaterial(g.material, flags, checker);
        for (size_t done = 0; done < g.count; done += 3 * kTrianglesPerFlush) {
            if (done)
                glFlush();
            glDrawElements(GL_TRIANGLES, GLsizei(std::min(g.count - done, 3 * kTrianglesPerFlush)),
                           GL_UNSIGNED_INT, triangles.at(g.first + done));
        }
    }
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_COLOR_MATERIAL);
    glDisable(GL_LIGHTING);
}

void ViewerMesh::drawUnlit(const ViewerFlags& flags) {
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glColor4fv(kInk);
    const auto drawIndexed = [&](GLenum mode, const Array<uint32_t>& indices) {
        bind(GL_ELEMENT_ARRAY_BUFFER, indices.buffer);
        glDrawElements(mode, GLsizei(indices.count), GL_UNSIGNED_INT, indices.at(0));
    };
    bind(GL_ARRAY_BUFFER, position_.buffer);
    glVertexPointer(3, GL_FLOAT, 0, position_.at(0));
    if (flags.wireframe && triangles_.count) {
        buildOutlines();
        drawIndexed(GL_LINES, outlines_);
    }
    if (flags.normals && triangles_.count) {
        buildNormalLines(flags.smooth);
        const Array<float>& lines = normalLines_[flags.smooth];
        bind(GL_ARRAY_BUFFER, lines.buffer);
        glVertexPointer(3, GL_FLOAT, 0, lines.at(0));
        glDrawArrays(GL_LINES, 0, GLsizei(lines.count / 3));
        bind(GL_ARRAY_BUFFER, position_.buffer);
        glVertexPointer(3, GL_FLOAT, 0, position_.at(0));
    }
    // Line and point elements in their vertices' colours where the file gives them.
    if (coloured_) {
        glEnableClientState(GL_COLOR_ARRAY);
        bind(GL_ARRAY_BUFFER, colour_.buffer);
        glColorPointer(3, GL_FLOAT, 0, colour_.at(0));
    }
    if (lines_.count)
        drawIndexed(GL_LINES, lines_);
    if (points_.count) {
        glPointSize(3.0f);
        drawIndexed(GL_POINTS, points_);
    }
    glDisableClientState(GL_COLOR_ARRAY);
}

void ViewerMesh::draw(const ViewerFlags& flags, unsigned checker) {
    if (!uploaded_) {
        int major = 0, minor = 0;
        const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
        contextHasBuffers_ = version && std::sscanf(version, "%d.%d", &major, &minor) == 2 &&
                             (major > 1 || minor >= 5);
    }
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_LIGHTING_BIT | GL_POLYGON_BIT |
                 GL_TEXTURE_BIT | GL_POINT_BIT);
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    GLint found[2] = {0, 0};
    if (contextHasBuffers_) {
        glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &found[0]);
        glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &found[1]);
    }
    if (!uploaded_) {
        uploaded_ = true;
        upload();
    }
    glEnableClientState(GL_VERTEX_ARRAY);
    if (flags.faces && triangles_.count)
        drawFaces(flags, checker);
    drawUnlit(flags);
    glPopClientAttrib();
    glPopAttrib();
    bind(GL_ARRAY_BUFFER, GLuint(found[0]));
    bind(GL_ELEMENT_ARRAY_BUFFER, GLuint(found[1]));
}
