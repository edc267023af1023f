// Internal to the viewer's reader: its MTL side.
#pragma once

#include "mesh/ObjModel.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace mesh::detail {

// Appends the library's materials; says which library opened, as MyOBJ does.
// Texture maps the options leave out are counted in mapsLeftOut.
void readMaterialLibrary(const char* name, const FileSource& files,
                         std::vector<ObjMaterial>& materials, const ObjReadOptions& options,
                         uint64_t& mapsLeftOut);
// Whether a file named so may lie outside the folder its name is taken from:
// an absolute name, or one with a ".." component.
bool namesOutsideFolder(std::string_view name);

} // namespace mesh::detail
