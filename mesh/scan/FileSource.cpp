// The two file sources of the readers.
#include "mesh/FileSource.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace mesh {
namespace {

// Descriptors travel as pointers: fd + 1, so that 0 stays "none".
void* systemOpen(const char* name, void*) {
    // Non-blocking, so that opening a pipe nobody writes to cannot hang; a
    // regular file reads the same either way.
    const int fd = ::open(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd); // a directory or a device such as /dev/zero is no model
        return nullptr;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return reinterpret_cast<void*>(static_cast<intptr_t>(fd) + 1);
}

int descriptor(void* file) {
    return static_cast<int>(reinterpret_cast<intptr_t>(file) - 1);
}

size_t systemRead(void* file, char* buffer, size_t size, void*) {
    for (;;) {
        const ssize_t got = ::read(descriptor(file), buffer, size);
        if (got >= 0) {
            return static_cast<size_t>(got);
        }
        if (errno != EINTR) {
            return 0;
        }
    }
}

void systemClose(void* file, void*) {
    ::close(descriptor(file));
}

size_t systemSize(void* file, void*) {
    struct stat status {};
    return ::fstat(descriptor(file), &status) == 0 && status.st_size > 0
               ? static_cast<size_t>(status.st_size)
               : 0;
}

struct MemoryCursor {
    std::string_view rest;
};

void* memoryOpen(const char* name, void* user) {
    const auto& files = static_cast<MemoryFiles*>(user)->files;
    const auto found = files.find(std::string_view(name));
    return found == files.end() ? nullptr : new (std::nothrow) MemoryCursor{found->second};
}

size_t memoryRead(void* file, char* buffer, size_t size, void*) {
    auto* cursor = static_cast<MemoryCursor*>(file);
    const size_t n = size < cursor->rest.size() ? size : cursor->rest.size();
    std::memcpy(buffer, cursor->rest.data(), n);
    cursor->rest.remove_prefix(n);
    return n;
}

void memoryClose(void* file, void*) {
    delete static_cast<MemoryCursor*>(file);
}

size_t memorySize(void* file, void*) {
    return static_cast<MemoryCursor*>(file)->rest.size();
}

} // namespace

const FileSource& systemFiles() {
    static const FileSource source{systemOpen, systemRead, systemClose, nullptr, systemSize};
    return source;
}

FileSource MemoryFiles::source() {
    return FileSource{memoryOpen, memoryRead, memoryClose, this, memorySize};
}

namespace {
constexpr const char* kLibraryName = "(library)";
}

TextFiles::TextFiles(std::string_view model, std::string_view library) {
    memory_.files.emplace(kModelName, model);
    memory_.files.emplace(kLibraryName, library);
    memorySource_ = memory_.source();
}

void* TextFiles::open(const char* name, void* user) {
    const auto* self = static_cast<TextFiles*>(user);
    const char* held = std::strcmp(name, kModelName) == 0 ? kModelName : kLibraryName;
    return self->memorySource_.open(held, self->memorySource_.user);
}

FileSource TextFiles::source() {
    return FileSource{&TextFiles::open, memorySource_.read, memorySource_.close, this,
                      memorySource_.size};
}

FileSource WatchedFiles::source() {
    return FileSource{
        [](const char* name, void* user) -> void* {
            auto* self = static_cast<WatchedFiles*>(user);
            void* file = self->inner_.open(name, self->inner_.user);
            if (file)
                self->opened(file);
            return file;
        },
        [](void* file, char* buffer, size_t size, void* user) -> size_t {
            auto* self = static_cast<WatchedFiles*>(user);
            const size_t got = self->inner_.read(file, buffer, size, self->inner_.user);
            return self->passed(file, buffer, got) ? got : 0;
        },
        [](void* file, void* user) {
            auto* self = static_cast<WatchedFiles*>(user);
            self->closing(file);
            self->inner_.close(file, self->inner_.user);
        },
        this,
        [](void* file, void* user) -> size_t {
            auto* self = static_cast<WatchedFiles*>(user);
            return self->inner_.size ? self->inner_.size(file, self->inner_.user) : 0;
        },
    };
}

} // namespace mesh
