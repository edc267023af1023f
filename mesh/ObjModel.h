// A Wavefront OBJ model read the way general-purpose viewers read one:
// polygons of any number of corners (concave ones too, cut into triangles by
// ear clipping), faces written v, v/vt, v//vn or v/vt/vn, negative (relative)
// indices, "l" line and "p" point elements, vertex colours ("v x y z r g b")
// and the diffuse texture map ("map_Kd") of each material.
//
// MyOBJ keeps its own fixed-capacity reading; this model is sized by the file
// (within the limits below) and holds nothing GL: a viewer builds its drawing
// from it. Files are not trusted: every index is resolved and checked at read
// time, so a user of the model may index the arrays without further checks.
#pragma once

#include "math/Vector3D.h"
#include "mesh/FileSource.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mesh {

// One corner of a polygon or a line element: 0-based indices into the model's
// arrays. v always names a position; vt and vn are -1 where the file gave
// none or one that names nothing loaded.
struct ObjCorner {
    int32_t v{-1};
    int32_t vt{-1};
    int32_t vn{-1};
};

struct ObjMaterial {
    std::string name; // of its "newmtl" line, without surrounding blanks
    float Ka[3]{0.2f, 0.2f, 0.2f};
    float Kd[3]{0.8f, 0.8f, 0.8f};
    float Ks[3]{0.0f, 0.0f, 0.0f};
    float Ns{0.0f};
    // The "map_Kd" file without its options (-o, -s, ...), backslashes read as
    // slashes, and a relative name put after the library's own folder, so that
    // it resolves from where the library's name does. Empty: none.
    std::string diffuseMap;
};

// cornerCount (at least 3) corners from corners[firstCorner] on, in the file's order.
struct ObjPolygon {
    uint32_t firstCorner{};
    uint32_t cornerCount{};
    int32_t material{-1}; // index into materials; -1: none
    // Unit normal of the polygon's plane by Newell's method, on the side from
    // which the corners run counter-clockwise; zero for a degenerate polygon.
    Vector3D normal{};
};

// cornerCount (at least 2) corners from corners[firstCorner] on, joined in order.
struct ObjPolyline {
    uint32_t firstCorner{};
    uint32_t cornerCount{};
    int32_t material{-1};
};

struct ObjModel {
    // Each array holds at most this many entries; the rest of a file's
    // records of that kind is left out with one warning line.
    static constexpr uint32_t kMaxElements = uint32_t{1} << 24;
    static constexpr uint32_t kMaxMaterials = 65536;

    std::string name; // of the first "o" line, without surrounding blanks

    std::vector<Vector3D> positions;
    // Empty when no "v" line has a colour; else one per position, components
    // in 0..1, and NaN components for a position written without a colour.
    std::vector<Vector3D> colours;
    // u, 1 - v, 0: as MyOBJ keeps them, for images stored top row first.
    std::vector<Vector3D> textureCoords;
    std::vector<Vector3D> normals; // as written, not normalised

    std::vector<ObjCorner> corners; // of the polygons and the line elements
    std::vector<ObjPolygon> polygons;
    // The polygons cut into triangles (at most kMaxElements): three indices
    // into corners each, in polygon order, each wound as its polygon is.
    std::vector<uint32_t> triangles;
    // For each triangle, the index of its polygon.
    std::vector<uint32_t> trianglePolygons;
    std::vector<ObjPolyline> lines;
    std::vector<int32_t> points; // position indices of the "p" elements

    std::vector<ObjMaterial> materials;

    bool hasColour(size_t position) const {
        return position < colours.size() && !std::isnan(colours[position].x);
    }
};

// What a reading may open besides the model itself.
struct ObjReadOptions {
    // Nothing outside the model's own folder: a material library or a texture
    // map named by an absolute path or through ".." is left out, with one
    // warning line for each of the two kinds. For a program that reads files
    // nobody chose to open (a thumbnailer); the viewer reads what it is given.
    bool confineToModelFolder{};
};

// Replaces model by the file's content and the materials of the libraries it
// names (relative names against the current directory, as MyOBJ has them).
// Prints on standard output, as MyOBJ does, "OBJ File Open: NAME", a
// "MTL File Open: NAME" line for each library, one summary
// "Object Loaded: NAME" / "v: ..., vt: ..., vn: ..., f: ..., l: ..., p: ..."
// and one warning line for each kind of record that was left out. False, after
// "WARNING: OBJ File did not open: NAME", when the file cannot be read.
bool readObjModel(const char* fileName, ObjModel& model, const FileSource& files = systemFiles(),
                  const ObjReadOptions& options = {});

// The same from text, as the file "(text)"; every library it names reads mtlText.
bool readObjModelText(std::string_view objText, ObjModel& model, std::string_view mtlText = {});

} // namespace mesh
