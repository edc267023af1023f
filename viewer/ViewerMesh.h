// The viewer's drawing of a model: its polygons, line and point elements in
// vertex arrays, grouped by material, in the viewer's render modes. Built once
// from the model; what only some modes need (flat normals, normal lines,
// textures) is made the first time a frame asks for it.
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
    // Needs no GL. The model's positions are taken as they are (framed already).
    explicit ViewerMesh(const mesh::ObjModel& model);

    // Main thread, with the view's context current. checker is the texture
    // shown where the textures are on and a material has no map of its own.
    // Leaves every GL attribute as it found it.
    void draw(const ViewerFlags& flags, unsigned checker);

    size_t triangleCount() const { return indices_.size() / 3; }
    size_t lineCount() const { return lineIndices_.size() / 2; }
    size_t pointCount() const { return pointIndices_.size(); }
    bool hasNormals() const { return fileNormals_; }

  private:
    // One array entry per distinct corner: position, normal, texture coordinate, colour.
    struct Vertices {
        bool textured{}, coloured{}; // whether texture and colour have entries
        std::vector<float> position, normal, texture, colour;
        void add(const Vector3D& p, const Vector3D& n, const Vector3D& t, const Vector3D& c);
        size_t size() const { return position.size() / 3; }
        void point(bool withNormals) const; // the arrays for GL
    };
    // Triangles from first (an index into indices_) of one material.
    struct Group {
        size_t first{}, count{};
        int32_t material{-1};
    };

    void buildFlat();
    void buildNormalLines(bool smooth);
    void drawFaces(const ViewerFlags& flags, unsigned checker);
    void drawUnlit(const ViewerFlags& flags);
    // Sets the group's material and texture; whether it is textured.
    bool useMaterial(int32_t material, const ViewerFlags& flags, unsigned checker);

    const mesh::ObjModel& model_;
    std::vector<Vector3D> positions_;
    Vertices smooth_;                 // shared by the polygons, lines and points
    std::vector<uint32_t> indices_;   // triangles into smooth_, grouped by material
    std::vector<uint32_t> polygonOf_; // of each triangle of indices_
    std::vector<Group> groups_;
    std::vector<uint32_t> edgeIndices_;  // polygon outlines into smooth_
    std::vector<uint32_t> lineIndices_;  // line elements, a pair a segment
    std::vector<uint32_t> pointIndices_; // the "p" elements, or every vertex of a cloud
    bool fileNormals_{};
    bool coloured_{};
    // Made when first needed: one vertex per triangle corner with its
    // polygon's normal, in the order of indices_; the normals as lines, of
    // the smooth vertices and of the polygons.
    Vertices flat_;
    std::vector<float> normalLines_[2];
    // One per material once a frame needs them: a texture name, 0 for none.
    static constexpr unsigned kNotLoaded = ~0u;
    std::vector<unsigned> textures_;
};
