#include "diag/Diagnostics.h"

#include <cstdio>
#include <mutex>
#include <string>

namespace diag {
namespace {

std::mutex gMutex;
Sink gSink = nullptr;
void* gUser = nullptr;

void writeDefault(Channel channel, const char* bytes, size_t length) {
    FILE* stream = channel == Channel::Out ? stdout : stderr;
    std::fwrite(bytes, 1, length, stream);
    // The log and errors are read next to a running program: never held back.
    if (channel != Channel::Out)
        std::fflush(stream);
}

} // namespace

void setSink(Sink sink, void* user) {
    std::lock_guard lock(gMutex);
    gSink = sink;
    gUser = user;
}

void write(Channel channel, const char* bytes, size_t length) {
    // One call per message under one lock, so lines from different threads
    // never interleave, whatever the sink.
    std::lock_guard lock(gMutex);
    if (gSink)
        gSink(channel, bytes, length, gUser);
    else
        writeDefault(channel, bytes, length);
}

void vwrite(Channel channel, const char* format, va_list args) {
    char small[512];
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (n < 0)
        return;
    std::string big;
    const char* text = small;
    size_t length = size_t(n);
    if (length >= sizeof small) {
        big.resize(length + 1);
        std::vsnprintf(big.data(), big.size(), format, args);
        big.resize(length);
        text = big.data();
    }
    if (channel == Channel::Log && (length == 0 || text[length - 1] != '\n')) {
        if (text == small && length + 1 < sizeof small) {
            small[length++] = '\n';
        } else {
            if (text == small)
                big.assign(small, length);
            big.push_back('\n');
            text = big.data();
            length = big.size();
        }
    }
    write(channel, text, length);
}

#define DIAG_FORWARD(name, channel)                                                                \
    void name(const char* format, ...) {                                                           \
        va_list args;                                                                              \
        va_start(args, format);                                                                    \
        vwrite(channel, format, args);                                                             \
        va_end(args);                                                                              \
    }
DIAG_FORWARD(out, Channel::Out)
DIAG_FORWARD(err, Channel::Err)
DIAG_FORWARD(log, Channel::Log)
#undef DIAG_FORWARD

void warning(const char* format, ...) {
    static constexpr char kPrefix[] = "WARNING: ";
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (n >= 0) {
        std::string text(kPrefix);
        const size_t prefix = text.size();
        text.resize(prefix + size_t(n) + 1);
        std::vsnprintf(text.data() + prefix, size_t(n) + 1, format, args);
        text.resize(prefix + size_t(n));
        write(Channel::Out, text.data(), text.size());
    }
    va_end(args);
}

} // namespace diag
