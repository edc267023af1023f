#include "host/Log.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace host {

void Log(const char* format, ...) {
    char line[1024];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (n < 0)
        return;
    size_t len = std::strlen(line);
    bool hasNewline = len > 0 && line[len - 1] == '\n';
    // One write per line, so lines from different threads never interleave.
    std::fprintf(stderr, hasNewline ? "%s" : "%s\n", line);
}

} // namespace host
