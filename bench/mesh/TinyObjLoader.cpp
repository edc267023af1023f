// The one translation unit that compiles tinyobjloader.
#define TINYOBJLOADER_IMPLEMENTATION
#include <tiny_obj_loader.h>
