// Where the readers get their bytes: open by name, read, close. Files of the
// file system by default; a map of names to bytes for tests, fuzzing and
// programs that carry their models in memory.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace mesh {

struct FileSource {
    // The named file opened for reading, or nullptr when it cannot be read as
    // a regular file: missing, unreadable, a directory, a device, a pipe.
    void* (*open)(const char* name, void* user);
    // Up to size bytes into buffer; 0 at the end of the file or on an error.
    size_t (*read)(void* file, char* buffer, size_t size, void* user);
    void (*close)(void* file, void* user);
    void* user;
    // The open file's size in bytes where the source knows it (nullptr, or 0:
    // not known). Readers size their arrays by it; it is only a hint.
    size_t (*size)(void* file, void* user) = nullptr;
};

// Names resolve as given: a relative one against the current directory.
const FileSource& systemFiles();

// Files held in memory. The source reads the map in place: keep it alive and
// unchanged while a load runs.
struct MemoryFiles {
    std::map<std::string, std::string, std::less<>> files;
    FileSource source();
};

// One model text under the name "(text)" and one library text under every
// other name: the files of a model read from text. Keep it alive and in place
// while a load runs.
struct TextFiles {
    static constexpr const char* kModelName = "(text)";
    TextFiles(std::string_view model, std::string_view library);
    TextFiles(const TextFiles&) = delete;
    TextFiles& operator=(const TextFiles&) = delete;
    FileSource source();

  private:
    MemoryFiles memory_;
    FileSource memorySource_;
    static void* open(const char* name, void* user);
};

// Another source's files, each read shown to the class that derives from this
// one before the reader gets it: to count what a load reads, or to end a file
// early. The files' sizes pass through, so readers still size their arrays.
// Keep the object alive and in place while a load runs.
class WatchedFiles {
  public:
    explicit WatchedFiles(const FileSource& inner = systemFiles()) : inner_(inner) {}
    virtual ~WatchedFiles() = default;
    WatchedFiles(const WatchedFiles&) = delete;
    WatchedFiles& operator=(const WatchedFiles&) = delete;

    FileSource source();

  protected:
    // file is the inner source's, opened (not nullptr) or about to be closed.
    virtual void opened(void* /*file*/) {}
    // The bytes just read from file; false ends the file before them.
    virtual bool passed(void* file, const char* bytes, size_t size) = 0;
    virtual void closing(void* /*file*/) {}

  private:
    const FileSource& inner_;
};

} // namespace mesh
