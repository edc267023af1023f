// The viewer's drawing of a model: each distinct corner once, its polygons,
// line and point elements as indices into those corners, grouped by
// material, in the viewer's render modes. Built once from the model without
// GL; at the first frame the arrays go into GL buffer objects and the copies
// here are freed. What only some modes need (flat faces, normal lines,
// textures) is made the first time a frame asks for it, from the buffers.
#pragma once

#include "math/Vector3D.h"
#include "mesh/ObjModel.h"

#include <cstdint>
#include <string>
#include <vector>

// What a frame shows; the keys switch them.
struct ViewerFlags {
    bool smooth{};
    bool faces{};
    bool wireframe{};
    bool normals{};
    bool materials{};
    bool textures{};
};

class ViewerMesh {
  public:
    // Needs no GL, and may run on any thread. The model's positions are taken
    // as they are (framed already). Its vertex and element arrays are moved
    // out as they are used and left empty; it keeps its name and materials,
    // which the drawing reads while it lasts.
    explicit ViewerMesh(mesh::ObjModel& model);
    // Once a frame was drawn, with the view's context current (before that,
    // it calls no GL and may run on any thread).
    ~ViewerMesh();
    ViewerMesh(const ViewerMesh&) = delete;
    ViewerMesh& operator=(const ViewerMesh&) = delete;

    // Where the arrays are drawn from: buffer objects, or the client arrays
    // the viewer drew with before (also where the context has no buffer
    // objects). Chosen before the first frame.
    enum class Storage { buffers, clientArrays };
    Storage storage{Storage::buffers};

    // Main thread, with the view's context current. checker is the texture
    // shown where the textures are on and a material has no map of its own.
    // Leaves every GL attribute and buffer binding as it found them.
    void draw(const ViewerFlags& flags, unsigned checker);

    size_t triangleCount() const { return triangles_.count / 3; }
    size_t lineCount() const { return lines_.count / 2; }
    size_t pointCount() const { return points_.count; }
    bool hasNormals() const { return fileNormals_; }
    // Whether the arrays are in buffer objects (after the first frame).
    bool inBuffers() const { return position_.buffer != 0; }

  private:
    // One array for GL: here until the first frame, then in a buffer object
    // of its own where the context has them.
    template <class T> struct Array {
        std::vector<T> data; // emptied once in a buffer
        size_t count{};      // entries, here or in the buffer
        unsigned buffer{};
        void set(std::vector<T> entries);
        // The entries for a pointer or an index call: an offset into the bound buffer, or here.
        const void* at(size_t entry) const;
        // All entries: here, or read back from the buffer into scratch.
        const T* read(std::vector<T>& scratch) const;
        // All entries moved out; the buffer is gone.
        std::vector<T> take();
    };
    // Triangles from first (an index into triangles_) of one material.
    struct Group {
        size_t first{}, count{};
        int32_t material{-1};
    };

    void upload();
    template <class T> void upload(Array<T>& array, unsigned target);
    void bind(unsigned target, unsigned buffer) const;
    void pointVertices(bool normals) const;
    void buildFlat();
    void buildOutlines();
    void buildNormalLines(bool smooth);
    void drawFaces(const ViewerFlags& flags, unsigned checker);
    void drawUnlit(const ViewerFlags& flags);
    // Sets the group's material and texture; whether it is textured.
    bool useMaterial(int32_t material, const ViewerFlags& flags, unsigned checker);

    const mesh::ObjModel& model_; // its materials
    bool fileNormals_{}, textured_{}, coloured_{};
    // Whether the context has buffer objects (GL 1.5); known at the first frame.
    bool uploaded_{}, contextHasBuffers_{};
    // Per vertex; after the first flat frame, the flat copies follow the
    // vertexCount_ shared by the polygons, lines and points.
    Array<float> position_, normal_, texture_, colour_;
    size_t vertexCount_{};
    Array<uint32_t> triangles_;       // grouped by material
    std::vector<uint32_t> polygonOf_; // of each triangle of triangles_
    std::vector<Group> groups_;
    Array<uint32_t> lines_;  // line elements, a pair a segment
    Array<uint32_t> points_; // the "p" elements, or every vertex of a cloud
    // Of each triangle of triangles_, which of its sides (bit k: from corner
    // k to the next) are sides of its polygon, the outline the wireframe shows.
    std::vector<uint8_t> outline_;
    std::vector<Vector3D> polygonNormals_; // of each polygon's plane
    // Made when first needed: triangles_ with the flat copies of their
    // corners; the polygon outlines, a pair a side; the normals as lines, of
    // the polygons and of the smooth vertices.
    Array<uint32_t> flatTriangles_, outlines_;
    Array<float> normalLines_[2];
    bool flatBuilt_{}, outlinesBuilt_{}, normalLinesBuilt_[2]{};
    // One per material once a frame needs them: a texture name, 0 for none.
    static constexpr unsigned kNotLoaded = ~0u;
    std::vector<unsigned> textures_;
};
