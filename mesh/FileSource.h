// Where the readers get their bytes: open by name, read, close. Files of the
// file system by default; a map of names to bytes for tests, fuzzing and
// programs that carry their models in memory.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <string>

namespace mesh {

struct FileSource {
    // The named file opened for reading, or nullptr when it cannot be read as
    // a regular file: missing, unreadable, a directory, a device, a pipe.
    void* (*open)(const char* name, void* user);
    // Up to size bytes into buffer; 0 at the end of the file or on an error.
    size_t (*read)(void* file, char* buffer, size_t size, void* user);
    void (*close)(void* file, void* user);
    void* user;
};

// Names resolve as given: a relative one against the current directory.
const FileSource& systemFiles();

// Files held in memory. The source reads the map in place: keep it alive and
// unchanged while a load runs.
struct MemoryFiles {
    std::map<std::string, std::string, std::less<>> files;
    FileSource source();
};

} // namespace mesh
