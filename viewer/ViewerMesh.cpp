#include "viewer/ViewerMesh.h"

#include "diag/Diagnostics.h"
#include "image/QTImage.h"

#include <GL/gl.h>
#include <cmath>
#include <unordered_map>

namespace {

// Faces without a material or a colour of their own: a light, neutral grey.
constexpr float kNeutral[4] = {0.78f, 0.77f, 0.74f, 1.0f};
// Outlines, normals, line and point elements: unlit, dark against the faces.
constexpr float kInk[4] = {0.12f, 0.13f, 0.15f, 1.0f};
// A normal line's length in the framed model, whose radius is 1.
constexpr float kNormalLength = 0.04f;

struct CornerKey {
    int32_t v, vt, vn;
    bool operator==(const CornerKey&) const = default;
};
struct CornerHash {
    size_t operator()(const CornerKey& k) const {
        uint64_t h = uint64_t(uint32_t(k.v)) * 0x9E3779B97F4A7C15ull;
        h ^= (uint64_t(uint32_t(k.vt)) + 0x632BE59BD9B4E019ull + (h << 6) + (h >> 2));
        h ^= (uint64_t(uint32_t(k.vn)) * 0xC2B2AE3D27D4EB4Full) + (h << 6) + (h >> 2);
        return size_t(h);
    }
};

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

void ViewerMesh::Vertices::add(const Vector3D& p, const Vector3D& n, const Vector3D& t,
                               const Vector3D& c) {
    position.insert(position.end(), {p.x, p.y, p.z});
    normal.insert(normal.end(), {n.x, n.y, n.z});
    if (textured)
        texture.insert(texture.end(), {t.x, t.y});
    if (coloured)
        colour.insert(colour.end(), {c.x, c.y, c.z});
}

void ViewerMesh::Vertices::point(bool withNormals) const {
    glVertexPointer(3, GL_FLOAT, 0, position.data());
    if (withNormals) {
        glEnableClientState(GL_NORMAL_ARRAY);
        glNormalPointer(GL_FLOAT, 0, normal.data());
    }
    if (coloured) {
        glEnableClientState(GL_COLOR_ARRAY);
        glColorPointer(3, GL_FLOAT, 0, colour.data());
    }
    if (textured)
        glTexCoordPointer(2, GL_FLOAT, 0, texture.data());
}

ViewerMesh::ViewerMesh(const mesh::ObjModel& model) : model_(model) {
    const mesh::ObjModel& m = model;
    fileNormals_ = !m.normals.empty();
    smooth_.coloured = flat_.coloured = !m.colours.empty();
    smooth_.textured = flat_.textured = !m.textureCoords.empty();
    const Vector3D origin{0, 0, 0}, neutral{kNeutral[0], kNeutral[1], kNeutral[2]};

    // Each distinct corner once: a position with its texture coordinate,
    // normal (the file's, or its polygon's) and colour.
    std::unordered_map<CornerKey, uint32_t, CornerHash> seen;
    seen.reserve(m.positions.size() + m.positions.size() / 2);
    const auto vertexOf = [&](const mesh::ObjCorner& c, const Vector3D& faceNormal) {
        const auto [at, added] = seen.emplace(CornerKey{c.v, c.vt, c.vn}, uint32_t(smooth_.size()));
        if (added)
            smooth_.add(m.positions[size_t(c.v)], c.vn >= 0 ? m.normals[size_t(c.vn)] : faceNormal,
                        c.vt >= 0 ? m.textureCoords[size_t(c.vt)] : origin,
                        m.hasColour(size_t(c.v)) ? m.colours[size_t(c.v)] : neutral);
        return at->second;
    };
    std::vector<uint32_t> cornerVertex(m.corners.size());
    for (const mesh::ObjPolygon& p : m.polygons)
        for (uint32_t k = p.firstCorner; k < p.firstCorner + p.cornerCount; ++k)
            cornerVertex[k] = vertexOf(m.corners[k], p.normal);
    for (const mesh::ObjPolyline& l : m.lines)
        for (uint32_t k = l.firstCorner; k < l.firstCorner + l.cornerCount; ++k)
            cornerVertex[k] = vertexOf(m.corners[k], origin);

    // Triangles grouped by material in the materials' order, those without one
    // last: a counting sort on material + 1, slot 0 holding the ones without.
    const size_t slots = m.materials.size() + 1;
    std::vector<size_t> start(slots + 1, 0);
    for (uint32_t p : m.trianglePolygons)
        ++start[size_t(m.polygons[p].material + 1) + 1];
    for (size_t g = 1; g <= slots; ++g)
        start[g] += start[g - 1];
    indices_.resize(m.triangles.size());
    polygonOf_.resize(m.trianglePolygons.size());
    std::vector<size_t> next(start.begin(), start.end() - 1);
    for (size_t t = 0; t < m.trianglePolygons.size(); ++t) {
        const uint32_t polygon = m.trianglePolygons[t];
        const size_t at = next[size_t(m.polygons[polygon].material + 1)]++;
        polygonOf_[at] = polygon;
        for (size_t k = 0; k < 3; ++k)
            indices_[3 * at + k] = cornerVertex[m.triangles[3 * t + k]];
    }
    for (size_t g = 1; g <= slots; ++g) {
        const size_t slot = g % slots;
        if (start[slot + 1] > start[slot])
            groups_.push_back(
                {3 * start[slot], 3 * (start[slot + 1] - start[slot]), int32_t(slot) - 1});
    }

    for (const mesh::ObjPolygon& p : m.polygons)
        for (uint32_t k = 0; k < p.cornerCount; ++k)
            edgeIndices_.insert(edgeIndices_.end(),
                                {cornerVertex[p.firstCorner + k],
                                 cornerVertex[p.firstCorner + (k + 1) % p.cornerCount]});
    for (const mesh::ObjPolyline& l : m.lines)
        for (uint32_t k = l.firstCorner; k + 1 < l.firstCorner + l.cornerCount; ++k)
            lineIndices_.insert(lineIndices_.end(), {cornerVertex[k], cornerVertex[k + 1]});
    // Points: the "p" elements, or every vertex of a model with nothing else to show.
    const bool cloud = m.polygons.empty() && m.lines.empty() && m.points.empty();
    for (size_t i = 0, n = cloud ? m.positions.size() : m.points.size(); i < n; ++i)
        pointIndices_.push_back(vertexOf({cloud ? int32_t(i) : m.points[i], -1, -1}, origin));
}

void ViewerMesh::buildFlat() {
    if (!flat_.position.empty())
        return;
    const auto at = [](const std::vector<float>& a, size_t i, size_t n) {
        return Vector3D{a[n * i], a[n * i + 1], n == 3 ? a[n * i + 2] : 0.0f};
    };
    for (size_t k = 0; k < indices_.size(); ++k) {
        const uint32_t v = indices_[k];
        flat_.add(at(smooth_.position, v, 3), model_.polygons[polygonOf_[k / 3]].normal,
                  smooth_.textured ? at(smooth_.texture, v, 2) : Vector3D{},
                  smooth_.coloured ? at(smooth_.colour, v, 3) : Vector3D{});
    }
}

void ViewerMesh::buildNormalLines(bool smooth) {
    std::vector<float>& lines = normalLines_[smooth];
    if (!lines.empty())
        return;
    const auto line = [&](Vector3D p, Vector3D n) {
        n = unit(n);
        lines.insert(lines.end(), {p.x, p.y, p.z, p.x + kNormalLength * n.x,
                                   p.y + kNormalLength * n.y, p.z + kNormalLength * n.z});
    };
    if (smooth) {
        // The normals the faces are lit with: of the vertices of the polygons.
        std::vector<bool> done(smooth_.size());
        for (uint32_t v : indices_)
            if (!done[v]) {
                done[v] = true;
                const float* p = &smooth_.position[3 * v];
                const float* n = &smooth_.normal[3 * v];
                line({p[0], p[1], p[2]}, {n[0], n[1], n[2]});
            }
        return;
    }
    // One at the middle of each polygon.
    const mesh::ObjModel& m = model_;
    for (const mesh::ObjPolygon& p : m.polygons) {
        double c[3] = {0, 0, 0};
        for (uint32_t k = p.firstCorner; k < p.firstCorner + p.cornerCount; ++k) {
            const Vector3D& v = m.positions[size_t(m.corners[k].v)];
            c[0] += v.x, c[1] += v.y, c[2] += v.z;
        }
        line(
            {float(c[0] / p.cornerCount), float(c[1] / p.cornerCount), float(c[2] / p.cornerCount)},
            p.normal);
    }
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
    if (!texture || !smooth_.textured) {
        glDisable(GL_TEXTURE_2D);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        return false;
    }
    glBindTexture(GL_TEXTURE_2D, texture);
    glEnable(GL_TEXTURE_2D);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    return true;
}

void ViewerMesh::drawFaces(const ViewerFlags& flags, unsigned checker) {
    if (!flags.smooth)
        buildFlat();
    const Vertices& v = flags.smooth ? smooth_ : flat_;
    glEnable(GL_LIGHTING);
    // Flat normals follow each face's winding, which models from elsewhere do
    // not keep alike: light both sides. A file's own normals are right
    // whichever way a face winds, and two-sided lighting would turn them away.
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, flags.smooth ? GL_FALSE : GL_TRUE);
    if (v.coloured) {
        // Vertex colours are the faces' own: they stand for the material's diffuse colour.
        glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
        glEnable(GL_COLOR_MATERIAL);
    }
    if (flags.wireframe) {
        // The outlines drawn after stay in front of the faces they edge.
        glEnable(GL_POLYGON_OFFSET_FILL);
        glPolygonOffset(1.0f, 1.0f);
    }
    v.point(true);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    for (const Group& g : groups_) {
        useMaterial(g.material, flags, checker);
        if (flags.smooth)
            glDrawElements(GL_TRIANGLES, GLsizei(g.count), GL_UNSIGNED_INT, &indices_[g.first]);
        else
            glDrawArrays(GL_TRIANGLES, GLint(g.first), GLsizei(g.count));
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
    glVertexPointer(3, GL_FLOAT, 0, smooth_.position.data());
    if (flags.wireframe && !edgeIndices_.empty())
        glDrawElements(GL_LINES, GLsizei(edgeIndices_.size()), GL_UNSIGNED_INT,
                       edgeIndices_.data());
    if (flags.normals && !indices_.empty()) {
        buildNormalLines(flags.smooth);
        const std::vector<float>& lines = normalLines_[flags.smooth];
        glVertexPointer(3, GL_FLOAT, 0, lines.data());
        glDrawArrays(GL_LINES, 0, GLsizei(lines.size() / 3));
        glVertexPointer(3, GL_FLOAT, 0, smooth_.position.data());
    }
    // Line and point elements in their vertices' colours where the file gives them.
    if (smooth_.coloured) {
        glEnableClientState(GL_COLOR_ARRAY);
        glColorPointer(3, GL_FLOAT, 0, smooth_.colour.data());
    }
    if (!lineIndices_.empty())
        glDrawElements(GL_LINES, GLsizei(lineIndices_.size()), GL_UNSIGNED_INT,
                       lineIndices_.data());
    if (!pointIndices_.empty()) {
        glPointSize(3.0f);
        glDrawElements(GL_POINTS, GLsizei(pointIndices_.size()), GL_UNSIGNED_INT,
                       pointIndices_.data());
    }
    glDisableClientState(GL_COLOR_ARRAY);
}

void ViewerMesh::draw(const ViewerFlags& flags, unsigned checker) {
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_LIGHTING_BIT | GL_POLYGON_BIT |
                 GL_TEXTURE_BIT | GL_POINT_BIT);
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glEnableClientState(GL_VERTEX_ARRAY);
    if (flags.faces && !indices_.empty())
        drawFaces(flags, checker);
    drawUnlit(flags);
    glPopClientAttrib();
    glPopAttrib();
}
