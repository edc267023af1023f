// tinyobjloader reading one file as a peer's whole process, for its peak
// memory beside the viewer's:  tinyobj_read MODEL.obj
// As the mesh benchmark calls it: polygons kept whole, materials beside the file.
#define TINYOBJLOADER_IMPLEMENTATION
#include <tiny_obj_loader.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tinyobj_read MODEL.obj\n");
        return 2;
    }
    tinyobj::attrib_t attrib;
    std::vector<tinyobj::shape_t> shapes;
    std::vector<tinyobj::material_t> materials;
    std::string warn, err;
    const std::string path = argv[1];
    const std::string folder = path.substr(0, path.rfind('/') + 1);
    if (!tinyobj::LoadObj(&attrib, &shapes, &materials, &warn, &err, argv[1], folder.c_str(),
                          false)) {
        std::fprintf(stderr, "tinyobj_read: %s\n", err.c_str());
        return 1;
    }
    size_t faces = 0;
    for (const tinyobj::shape_t& s : shapes)
        faces += s.mesh.num_face_vertices.size();
    std::printf("v: %zu, f: %zu\n", attrib.vertices.size() / 3, faces);
    return 0;
}
