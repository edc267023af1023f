// The one path every module writes its lines through: standard output,
// standard error and the host log. A program that embeds the framework can
// install a sink to redirect or silence them; tests capture through it.
#pragma once

#include <cstdarg>
#include <cstddef>

namespace diag {

enum class Channel { Out, Err, Log };

// Receives each message whole, exactly the bytes that would be written. May
// be called from any thread; calls never overlap.
using Sink = void (*)(Channel channel, const char* bytes, size_t length, void* user);

// nullptr restores the default: Out to stdout, Err and Log to stderr.
void setSink(Sink sink, void* user = nullptr);

// printf-style; the bytes go out as formatted, with no newline added.
void out(const char* format, ...) __attribute__((format(printf, 1, 2)));
void err(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The host log: one line a message, a newline added when it has none.
void log(const char* format, ...) __attribute__((format(printf, 1, 2)));

// A warning this project adds for a fault it mends: "WARNING: " and the
// message, on standard output, in one write. The system's own documented
// warning lines are printed with out() as they are written.
void warning(const char* format, ...) __attribute__((format(printf, 1, 2)));

void vwrite(Channel channel, const char* format, va_list args);
void write(Channel channel, const char* bytes, size_t length);

} // namespace diag
